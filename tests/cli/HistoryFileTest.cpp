// The history file: where it lives, what it keeps, and that no file of someone else's is
// ever changed.
#include "HistoryFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

const std::string kHeader = std::string(CHistoryFile::kHeader) + "\n";

std::optional<std::string> ReadFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& strText, mode_t nMode = 0600)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << strText;
    chmod(path.c_str(), nMode);
}

mode_t ModeOf(const fs::path& path)
{
    struct stat status{};
    lstat(path.c_str(), &status);
    return status.st_mode & 07777;
}

std::vector<std::string> Numbered(const char* szPrefix, int nFirst, int nCount)
{
    std::vector<std::string> lines;
    for (int i = nFirst; i < nFirst + nCount; ++i)
        lines.push_back(szPrefix + std::to_string(i));
    return lines;
}

// Every test gets a private folder and its own environment.
class HistoryFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* szName : kVariables)
        {
            const char* pValue = std::getenv(szName);
            m_saved.emplace_back(pValue ? std::optional<std::string>(pValue) : std::nullopt);
        }
        std::string strTemplate = (fs::temp_directory_path() / "lumdrak-history-XXXXXX").string();
        ASSERT_NE(mkdtemp(strTemplate.data()), nullptr);
        m_folder = strTemplate;
        m_file = m_folder / "eval_history";
    }

    void TearDown() override
    {
        for (std::size_t i = 0; i < std::size(kVariables); ++i)
        {
            if (m_saved[i])
                setenv(kVariables[i], m_saved[i]->c_str(), 1);
            else
                unsetenv(kVariables[i]);
        }
        std::error_code error;
        fs::remove_all(m_folder, error);
    }

    static void SetVariable(const char* szName, const char* pValue)
    {
        if (pValue)
            setenv(szName, pValue, 1);
        else
            unsetenv(szName);
    }

    static constexpr const char* kVariables[] = {"LUMDRAK_EVAL_HISTORY", "XDG_STATE_HOME", "HOME"};
    std::vector<std::optional<std::string>> m_saved;
    fs::path m_folder;
    fs::path m_file;
};

TEST_F(HistoryFileTest, ThePathComesFromTheEnvironment)
{
    struct SCase
    {
        const char* pOverride;
        const char* pStateHome;
        const char* pHome;
        const char* szPath;
    } const cases[] = {
        {nullptr, "/x/state", "/home/u", "/x/state/lumdrak/eval_history"},
        {nullptr, nullptr, "/home/u", "/home/u/.local/state/lumdrak/eval_history"},
        {nullptr, "", "/home/u", "/home/u/.local/state/lumdrak/eval_history"},
        {nullptr, "relative/state", "/home/u", "/home/u/.local/state/lumdrak/eval_history"},
        {"", "/x/state", "/home/u", ""}, // set and empty: no history file
        {"/elsewhere/h", "/x/state", "/home/u", "/elsewhere/h"},
        {nullptr, nullptr, nullptr, ""},
    };
    for (const SCase& c : cases)
    {
        SetVariable("LUMDRAK_EVAL_HISTORY", c.pOverride);
        SetVariable("XDG_STATE_HOME", c.pStateHome);
        SetVariable("HOME", c.pHome);
        EXPECT_EQ(CHistoryFile::PathFromEnvironment(), c.szPath)
            << (c.pOverride ? c.pOverride : "-") << " " << (c.pStateHome ? c.pStateHome : "-");
    }
}

TEST_F(HistoryFileTest, KeepsEachTypedLineOnce)
{
    constexpr std::size_t kLongest = CHistoryFile::kMaxLineLength;
    struct SCase
    {
        std::vector<std::string> added;
        std::vector<std::string> kept;
    } const cases[] = {
        {{"1+2", "1+2", "3", "1+2"}, {"1+2", "3", "1+2"}}, // only repeats in a row are dropped
        {{"", " ", "\t \t", "r"}, {"r"}},
        {{std::string(kLongest, '1'), std::string(kLongest + 1, '2')}, {std::string(kLongest, '1')}},
        {{std::string("1\0" "2", 3), "sin(0) "}, {"sin(0) "}},
    };
    for (const SCase& c : cases)
    {
        fs::remove(m_file);
        CHistoryFile history(m_file.string());
        history.Load();
        for (const std::string& strLine : c.added)
            history.Add(strLine);
        EXPECT_EQ(history.Entries(), c.kept) << c.added.front();
        CHistoryFile reloaded(m_file.string());
        reloaded.Load();
        EXPECT_EQ(reloaded.Entries(), c.kept) << c.added.front();
    }
}

TEST_F(HistoryFileTest, IsCreatedPrivateUnderTheStateFolder)
{
    SetVariable("LUMDRAK_EVAL_HISTORY", nullptr);
    SetVariable("XDG_STATE_HOME", (m_folder / "state").c_str());
    umask(022);
    CHistoryFile history(CHistoryFile::PathFromEnvironment());
    history.Load();
    EXPECT_FALSE(fs::exists(m_folder / "state")) << "nothing is created before a line is typed";
    EXPECT_TRUE(history.Add("1+2"));

    const fs::path file = m_folder / "state/lumdrak/eval_history";
    EXPECT_EQ(ModeOf(m_folder / "state"), 0700u);
    EXPECT_EQ(ModeOf(m_folder / "state/lumdrak"), 0700u);
    EXPECT_EQ(ModeOf(file), 0600u);
    EXPECT_EQ(ReadFile(file), kHeader + "1+2\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder / "state/lumdrak"), {}), 1)
        << "no temporary file is left behind";
}

TEST_F(HistoryFileTest, KeepsTheLastThousandLinesAcrossRestarts)
{
    WriteFile(m_file, CHistoryFile::Encode(Numbered("n", 0, 998)));
    {
        CHistoryFile history(m_file.string());
        history.Load();
        for (const std::string& strLine : Numbered("n", 998, 5))
            history.Add(strLine);
        EXPECT_EQ(history.Entries(), Numbered("n", 3, 1000));
    }
    CHistoryFile restarted(m_file.string());
    restarted.Load();
    EXPECT_EQ(restarted.Entries(), Numbered("n", 3, 1000));

    // A longer file, written by hand, is read to its last thousand lines and cut on writing.
    std::string strLong = kHeader;
    for (const std::string& strLine : Numbered("x", 0, 1500))
        strLong += strLine + "\n";
    WriteFile(m_file, strLong);
    CHistoryFile longer(m_file.string());
    longer.Load();
    EXPECT_EQ(longer.Entries(), Numbered("x", 500, 1000));
    longer.Add("y");
    std::vector<std::string> stored;
    ASSERT_TRUE(CHistoryFile::Decode(ReadFile(m_file).value_or(""), stored));
    std::vector<std::string> expected = Numbered("x", 501, 999);
    expected.push_back("y");
    EXPECT_EQ(stored, expected);
}

TEST_F(HistoryFileTest, EscapesWhatWouldBreakALine)
{
    const std::vector<std::string> entries = {"a\\b", "\x01\x1f\x7f", "tab\there", "\xC3\xA9 $FF",
                                              "\\x41", "'\r'"};
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

TEST_F(HistoryFileTest, ForeignFilesAreReadAsNoHistoryAndNeverWritten)
{
    const std::string foreign[] = {
        "1+2\n3*4\n",                        // lines without the header
        "_HiStOrY_V2_\n1+2\n",               // another program's history
        "# lumdrak-eval history 2\n1+2\n",   // a later version of ours
        kHeader + "1+2",                     // cut off inside a line
        kHeader + "1\\q2\n",                 // an escape we never write
        kHeader + "1\\x4\n",
        kHeader + "\\x00\n",
        kHeader + "a\x01" "b\n",             // a control byte we would have escaped
        kHeader.substr(0, kHeader.size() - 1),
        std::string("\xFF\xFE\0\x01 binary\n", 13),
    };
    for (const std::string& strText : foreign)
    {
        WriteFile(m_file, strText, 0640);
        CHistoryFile history(m_file.string());
        history.Load();
        EXPECT_TRUE(history.Entries().empty()) << strText.substr(0, 40);
        EXPECT_FALSE(history.IsWritable()) << strText.substr(0, 40);
        EXPECT_TRUE(history.Add("7")) << "the session still keeps its lines";
        EXPECT_EQ(history.Entries(), std::vector<std::string>{"7"});
        EXPECT_EQ(ReadFile(m_file), strText) << strText.substr(0, 40);
        EXPECT_EQ(ModeOf(m_file), 0640u) << strText.substr(0, 40);
    }
}

TEST_F(HistoryFileTest, UnreadableFilesAreIgnoredAndLeftAlone)
{
    // A folder and a named pipe in the file's place: neither is read (the pipe would block)
    // nor replaced.
    fs::create_directory(m_file);
    CHistoryFile folder(m_file.string());
    folder.Load();
    EXPECT_TRUE(folder.Add("1"));
    EXPECT_TRUE(fs::is_directory(m_file) && fs::is_empty(m_file));
    fs::remove(m_file);

    ASSERT_EQ(mkfifo(m_file.c_str(), 0600), 0);
    CHistoryFile pipe(m_file.string());
    pipe.Load();
    EXPECT_TRUE(pipe.Add("1"));
    EXPECT_TRUE(fs::is_fifo(m_file));
    fs::remove(m_file);

    // Histories of ours that may not be read, or not be written. Root may do anything, so as
    // root the checks run in a child that has become an ordinary user, in a folder that user
    // could write (and so could replace the files in).
    const std::string strText = kHeader + "1+2\n";
    const fs::path readOnly = m_folder / "read_only";
    WriteFile(m_file, strText, 0200);
    WriteFile(readOnly, strText, 0444);
    chmod(m_folder.c_str(), 0777);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0)
    {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        CHistoryFile history(m_file.string());
        history.Load();
        const bool bIgnored = history.Entries().empty() && !history.IsWritable() &&
                              history.Add("3") && history.Entries().size() == 1;
        CHistoryFile kept(readOnly.string());
        kept.Load();
        const bool bRead = kept.Entries() == std::vector<std::string>{"1+2"} && kept.Add("3") &&
                           kept.Entries().size() == 2;
        _exit(bIgnored && bRead ? 0 : 1);
    }
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << nStatus;
    EXPECT_EQ(ModeOf(m_file), 0200u);
    EXPECT_EQ(ModeOf(readOnly), 0444u);
    EXPECT_EQ(ReadFile(readOnly), strText);
    chmod(m_file.c_str(), 0600);
    EXPECT_EQ(ReadFile(m_file), strText);
}

TEST_F(HistoryFileTest, SessionsSideBySideKeepEachOthersLines)
{
    CHistoryFile first(m_file.string());
    CHistoryFile second(m_file.string());
    first.Load();
    second.Load();
    first.Add("a1");
    second.Add("b1");
    first.Add("a2");
    second.Add("a2"); // the file's last line already: not written twice
    std::vector<std::string> stored;
    ASSERT_TRUE(CHistoryFile::Decode(ReadFile(m_file).value_or(""), stored));
    EXPECT_EQ(stored, (std::vector<std::string>{"a1", "b1", "a2"}));
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
        if (children[nChild] == 0)
        {
            CHistoryFile history(m_file.string());
            history.Load();
            for (const std::string& strLine : Numbered(nChild == 0 ? "p" : "q", 0, kLines))
                history.Add(strLine);
            _exit(0);
        }
    }
    for (const pid_t pid : children)
        waitpid(pid, nullptr, 0);
    ASSERT_TRUE(CHistoryFile::Decode(ReadFile(m_file).value_or(""), stored));
    ASSERT_EQ(stored.size(), 2u * kLines);
    std::vector<std::string> byChild[2];
    for (const std::string& strLine : stored)
        byChild[strLine[0] == 'p' ? 0 : 1].push_back(strLine);
    EXPECT_EQ(byChild[0], Numbered("p", 0, kLines));
    EXPECT_EQ(byChild[1], Numbered("q", 0, kLines));
}

TEST_F(HistoryFileTest, ALinkIsFollowedAndKept)
{
    fs::create_directory(m_folder / "dotfiles");
    WriteFile(m_folder / "dotfiles/history", kHeader + "1\n");
    fs::create_symlink(m_folder / "dotfiles/history", m_file);
    CHistoryFile history(m_file.string());
    history.Load();
    EXPECT_EQ(history.Entries(), std::vector<std::string>{"1"});
    history.Add("2");
    EXPECT_TRUE(fs::is_symlink(m_file));
    EXPECT_EQ(ReadFile(m_folder / "dotfiles/history"), kHeader + "1\n2\n");

    fs::remove(m_folder / "dotfiles/history"); // now the link leads nowhere: leave it so
    CHistoryFile dangling(m_file.string());
    dangling.Load();
    dangling.Add("3");
    EXPECT_TRUE(fs::is_symlink(m_file));
    EXPECT_FALSE(fs::exists(m_folder / "dotfiles/history"));
}

} // namespace
