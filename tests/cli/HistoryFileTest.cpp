// The history file: where it lives, what it keeps, and that no file of someone else's is
// ever changed.
#include "HistoryFile.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

const std::string kHeader = std::string(CHistoryFile::kHeader) + "\n";

std::string Text(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& strText, mode_t nMode = 0600)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << strText;
    chmod(path.c_str(), nMode);
}

mode_t Mode(const fs::path& path)
{
    struct stat status = {};
    lstat(path.c_str(), &status);
    return status.st_mode;
}

// What stands at a path: type and mode, and a regular file's bytes or a folder's entry count.
std::string State(const fs::path& path)
{
    const mode_t nMode = Mode(path);
    return std::to_string(nMode) + ' ' +
           (S_ISREG(nMode)   ? Text(path)
            : S_ISDIR(nMode) ? std::to_string(std::distance(fs::directory_iterator(path), {}))
                             : std::string());
}

std::vector<std::string> Stored(const fs::path& path)
{
    std::vector<std::string> entries;
    EXPECT_TRUE(CHistoryFile::Decode(Text(path), entries)) << path;
    return entries;
}

std::vector<std::string> Numbered(const char* szPrefix, int nFirst, int nCount)
{
    std::vector<std::string> lines;
    for (int i = nFirst; i < nFirst + nCount; ++i)
        lines.push_back(szPrefix + std::to_string(i));
    return lines;
}

// Sets or, for nullptr, removes a variable; a test that reads them sets all it reads.
void SetVariable(const char* szName, const char* pValue)
{
    pValue ? setenv(szName, pValue, 1) : unsetenv(szName);
}

// Every test gets a private folder.
class HistoryFileTest : public ::testing::Test
{
protected:
    static CHistoryFile Loaded(const fs::path& path)
    {
        CHistoryFile history(path.string());
        history.Load();
        return history;
    }

    CTemporaryFolder m_temporary{"lumdrak-history"};
    fs::path m_folder = m_temporary.Path();
    fs::path m_file = m_folder / "eval_history";
};

TEST_F(HistoryFileTest, ThePathComesFromTheEnvironment)
{
    const struct
    {
        const char* pOverride;
        const char* pStateHome;
        const char* pHome;
        const char* szPath;
    } cases[] = {
        {nullptr, "/x/state", "/home/u", "/x/state/lumdrak/eval_history"},
        {nullptr, nullptr, "/home/u", "/home/u/.local/state/lumdrak/eval_history"},
        {nullptr, "", "/home/u", "/home/u/.local/state/lumdrak/eval_history"},
        {nullptr, "relative/state", "/home/u", "/home/u/.local/state/lumdrak/eval_history"},
        {"", "/x/state", "/home/u", ""}, // set and empty: no history file
        {"/elsewhere/h", "/x/state", "/home/u", "/elsewhere/h"},
        {nullptr, nullptr, nullptr, "passwd"}, // the home folder of the user's own entry
    };
    for (const auto& c : cases)
    {
        SetVariable("LUMDRAK_EVAL_HISTORY", c.pOverride);
        SetVariable("XDG_STATE_HOME", c.pStateHome);
        SetVariable("HOME", c.pHome);
        const passwd* pEntry = getpwuid(getuid());
        ASSERT_NE(pEntry, nullptr);
        const std::string strExpected =
            c.szPath == std::string("passwd")
                ? std::string(pEntry->pw_dir) + "/.local/state/lumdrak/eval_history"
                : c.szPath;
        EXPECT_EQ(CHistoryFile::PathFromEnvironment(), strExpected)
            << (c.pOverride ? c.pOverride : "-") << " " << (c.pStateHome ? c.pStateHome : "-");
    }
}

TEST_F(HistoryFileTest, KeepsEachTypedLineOnce)
{
    constexpr std::size_t kLongest = CHistoryFile::kMaxLineLength;
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        // added, kept
        {{"1+2", "1+2", "3", "1+2"}, {"1+2", "3", "1+2"}}, // only repeats in a row are dropped
        {{"", " ", "\t \t", "r"}, {"r"}},
        {{std::string(kLongest, '1'), std::string(kLongest + 1, '2')},
         {std::string(kLongest, '1')}},
        {{std::string("1\0"
                      "2",
                      3),
          "sin(0) "},
         {"sin(0) "}},
    };
    for (const auto& [added, kept] : cases)
    {
        fs::remove(m_file);
        CHistoryFile history = Loaded(m_file);
        for (const std::string& strLine : added)
            history.Add(strLine);
        EXPECT_EQ(history.Entries(), kept) << added.front();
        EXPECT_EQ(Loaded(m_file).Entries(), kept) << added.front();
    }
}

// Whatever the umask: one that takes the owner's write bit too (0277) must not leave a folder
// that no save can write into.
TEST_F(HistoryFileTest, IsCreatedPrivateUnderTheStateFolder)
{
    SetVariable("LUMDRAK_EVAL_HISTORY", nullptr);
    SetVariable("XDG_STATE_HOME", (m_folder / "state").c_str());
    for (const mode_t nMask : {022, 0277})
    {
        fs::remove_all(m_folder / "state");
        const mode_t nOldMask = umask(nMask);
        CHistoryFile history = Loaded(CHistoryFile::PathFromEnvironment());
        EXPECT_FALSE(fs::exists(m_folder / "state")) << "nothing is made before a line is typed";
        EXPECT_TRUE(history.Add("1+2"));
        EXPECT_TRUE(history.Add("3"));
        umask(nOldMask);

        EXPECT_EQ(Mode(m_folder / "state") & 07777, 0700u) << nMask;
        EXPECT_EQ(Mode(m_folder / "state/lumdrak") & 07777, 0700u) << nMask;
        EXPECT_EQ(Mode(m_folder / "state/lumdrak/eval_history") & 07777, 0600u) << nMask;
        EXPECT_EQ(Text(m_folder / "state/lumdrak/eval_history"), kHeader + "1+2\n3\n") << nMask;
        EXPECT_EQ(std::distance(fs::directory_iterator(m_folder / "state/lumdrak"), {}), 1)
            << "no temporary file is left behind";
    }
}

// As root with a user's XDG_STATE_HOME (sudo -E): the user's file, or the user's folder while
// there is no file yet, is read but never replaced; a shared sticky folder (/tmp) is anyone's.
TEST_F(HistoryFileTest, AnotherUsersFileOrFolderIsReadButNeverReplaced)
{
    if (geteuid() != 0) GTEST_SKIP() << "giving files to another user needs root";
    constexpr uid_t kOther = 65534;
    const std::tuple<const char*, mode_t, const char*, bool> rows[] = {
        // the other user's folder and its mode, the file below it, whether a line is written
        {"theirs", 0755, "eval_history", false},         // their file
        {"theirs", 0755, "lumdrak/eval_history", false}, // their folder, no file yet
        {"shared", 01777, "eval_history", true},
    };
    for (const auto& [pszFolder, nMode, pszFile, bWritten] : rows)
    {
        const fs::path folder = m_folder / pszFolder;
        fs::remove_all(folder);
        fs::create_directory(folder);
        chmod(folder.c_str(), nMode);
        const fs::path file = folder / pszFile;
        const bool bTheirFile = !bWritten && std::string(pszFile) == "eval_history";
        if (bTheirFile) WriteFile(file, kHeader + "1+2\n", 0644);
        ASSERT_EQ(chown(folder.c_str(), kOther, kOther), 0);
        ASSERT_TRUE(!bTheirFile || chown(file.c_str(), kOther, kOther) == 0);
        const std::string strBefore = State(folder) + State(file);
        const std::vector<std::string> arrBefore =
            bTheirFile ? std::vector<std::string>{"1+2"} : std::vector<std::string>{};

        CHistoryFile history = Loaded(file);
        EXPECT_EQ(history.Entries(), arrBefore) << pszFolder << "/" << pszFile;
        EXPECT_EQ(history.IsWritable(), bWritten) << pszFolder << "/" << pszFile;
        EXPECT_TRUE(history.Add("3"));
        if (bWritten)
            EXPECT_EQ(Text(file), kHeader + "3\n");
        else
            EXPECT_EQ(State(folder) + State(file), strBefore) << pszFolder << "/" << pszFile;
    }
}

TEST_F(HistoryFileTest, KeepsTheLastThousandLinesAcrossRestarts)
{
    WriteFile(m_file, CHistoryFile::Encode(Numbered("n", 0, 998)));
    CHistoryFile history = Loaded(m_file);
    for (const std::string& strLine : Numbered("n", 998, 5))
        history.Add(strLine);
    EXPECT_EQ(history.Entries(), Numbered("n", 3, 1000));
    EXPECT_EQ(Loaded(m_file).Entries(), Numbered("n", 3, 1000));

    // A longer file, written by hand, is read to its last thousand lines and cut on writing.
    std::string strLong = kHeader;
    for (const std::string& strLine : Numbered("x", 0, 1500))
        strLong += strLine + "\n";
    WriteFile(m_file, strLong);
    CHistoryFile longer = Loaded(m_file);
    EXPECT_EQ(longer.Entries(), Numbered("x", 500, 1000));
    longer.Add("y");
    std::vector<std::string> expected = Numbered("x", 501, 999);
    expected.push_back("y");
    EXPECT_EQ(Stored(m_file), expected);
}

TEST_F(HistoryFileTest, EscapesWhatWouldBreakALine)
{
    const std::vector<std::string> entries = {"a\\b",         "\x01\x1f\x7f", "tab\there",
                                              "\xC3\xA9 $FF", "\\x41",        "'\r'"};
    const std::string strText = CHistoryFile::Encode(entries);
    EXPECT_EQ(strText, kHeader + "a\\\\b\n\\x01\\x1F\\x7F\ntab\\x09here\n\xC3\xA9 $FF\n"
                                 "\\\\x41\n'\\x0D'\n");
    std::vector<std::string> decoded;
    EXPECT_TRUE(CHistoryFile::Decode(strText, decoded));
    EXPECT_EQ(decoded, entries);

    EXPECT_TRUE(CHistoryFile::Decode("", decoded)) << "an empty file is a new one";
    EXPECT_TRUE(decoded.empty());
    EXPECT_TRUE(CHistoryFile::Decode(kHeader + "1\n\n2\n", decoded)) << "a blank line is skipped";
    EXPECT_EQ(decoded, (std::vector<std::string>{"1", "2"}));
}

// Whatever stands in the file's place and is no history of ours is read as none (a named
// pipe is not even opened, which would block) and left exactly as it is; the session still
// keeps its lines.
TEST_F(HistoryFileTest, ForeignFilesAreReadAsNoHistoryAndNeverWritten)
{
    const std::string foreign[] = {
        "1+2\n3*4\n",                      // lines without the header
        "_HiStOrY_V2_\n1+2\n",             // another program's history
        "# lumdrak-eval history 2\n1+2\n", // a later version of ours
        kHeader + "1+2",                   // cut off inside a line
        kHeader + "1\\q2\n",               // an escape we never write
        kHeader + "1\\x4\n",
        kHeader + "\\x00\n",
        kHeader + "a\x01"
                  "b\n", // a control byte we would have escaped
        kHeader.substr(0, kHeader.size() - 1),
        std::string("\xFF\xFE\0\x01 binary\n", 13),
        "<folder>",
        "<named pipe>",
    };
    for (const std::string& strText : foreign)
    {
        fs::remove(m_file);
        if (strText == "<folder>")
            fs::create_directory(m_file);
        else if (strText == "<named pipe>")
            mkfifo(m_file.c_str(), 0640);
        else
            WriteFile(m_file, strText, 0640);
        const std::string strBefore = State(m_file);
        CHistoryFile history = Loaded(m_file);
        EXPECT_TRUE(history.Entries().empty()) << strText.substr(0, 40);
        EXPECT_FALSE(history.IsWritable()) << strText.substr(0, 40);
        EXPECT_TRUE(history.Add("7")) << "the session still keeps its lines";
        EXPECT_EQ(history.Entries(), std::vector<std::string>{"7"});
        EXPECT_EQ(State(m_file), strBefore) << strText.substr(0, 40);
    }
}

// Histories of ours that may not be read, or not be written. Root may do anything, so as root
// the checks run in a child that has become an ordinary user, in a folder that user could
// write (and so could replace the files in).
TEST_F(HistoryFileTest, UnreadableFilesAreIgnoredAndLeftAlone)
{
    const fs::path readOnly = m_folder / "read_only";
    WriteFile(m_file, kHeader + "1+2\n", 0200);
    WriteFile(readOnly, kHeader + "1+2\n", 0444);
    chmod(m_folder.c_str(), 0777);
    const std::string strBefore = State(m_file) + State(readOnly);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0)
    {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        CHistoryFile history = Loaded(m_file);
        const bool bIgnored = history.Entries().empty() && !history.IsWritable() &&
                              history.Add("3") && history.Entries().size() == 1;
        CHistoryFile kept = Loaded(readOnly);
        const bool bRead = kept.Entries() == std::vector<std::string>{"1+2"} && kept.Add("3") &&
                           kept.Entries().size() == 2;
        _exit(bIgnored && bRead ? 0 : 1);
    }
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << nStatus;
    EXPECT_EQ(State(m_file) + State(readOnly), strBefore);
    chmod(m_file.c_str(), 0600);
    EXPECT_EQ(Text(m_file), kHeader + "1+2\n");
}

TEST_F(HistoryFileTest, SessionsSideBySideKeepEachOthersLines)
{
    CHistoryFile first = Loaded(m_file);
    CHistoryFile second = Loaded(m_file);
    first.Add("a1");
    second.Add("b1");
    first.Add("a2");
    second.Add("a2"); // the file's last line already: not written twice
    EXPECT_EQ(Stored(m_file), (std::vector<std::string>{"a1", "b1", "a2"}));
    EXPECT_EQ(first.Entries(), (std::vector<std::string>{"a1", "a2"}))
        << "each session sees its own lines";

    // Two processes writing as fast as they can lose no line and break no file.
    constexpr int kLines = 100;
    fs::remove(m_file);
    pid_t children[2];
    for (int nChild = 0; nChild < 2; ++nChild)
    {
        children[nChild] = fork();
        ASSERT_GE(children[nChild], 0);
        if (children[nChild] != 0) continue;
        CHistoryFile history = Loaded(m_file);
        for (const std::string& strLine : Numbered(nChild == 0 ? "p" : "q", 0, kLines))
            history.Add(strLine);
        _exit(0);
    }
    for (const pid_t pid : children)
        waitpid(pid, nullptr, 0);
    std::vector<std::string> byChild[2];
    for (const std::string& strLine : Stored(m_file))
        byChild[strLine[0] == 'p' ? 0 : 1].push_back(strLine);
    EXPECT_EQ(byChild[0], Numbered("p", 0, kLines));
    EXPECT_EQ(byChild[1], Numbered("q", 0, kLines));
}

TEST_F(HistoryFileTest, ALinkIsFollowedAndKept)
{
    const fs::path target = m_folder / "dotfiles/history";
    fs::create_directory(m_folder / "dotfiles");
    WriteFile(target, kHeader + "1\n");
    fs::create_symlink(target, m_file);
    CHistoryFile history = Loaded(m_file);
    EXPECT_EQ(history.Entries(), std::vector<std::string>{"1"});
    history.Add("2");
    EXPECT_TRUE(fs::is_symlink(m_file));
    EXPECT_EQ(Text(target), kHeader + "1\n2\n");

    fs::remove(target); // now the link leads nowhere: leave it so
    Loaded(m_file).Add("3");
    EXPECT_TRUE(fs::is_symlink(m_file));
    EXPECT_FALSE(fs::exists(target));
}

} // namespace
