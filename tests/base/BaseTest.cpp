// The house's shared pieces: case rules on every byte, the XDG folders, private folders and
// who may write where.
#include "Ascii.h"
#include "Files.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

// Only the 52 ASCII letters have a case; every other byte, those above 127 included, stays.
TEST(Ascii, CaseRulesMatchTheCLocaleOnEveryByte)
{
    for (int nByte = 0; nByte < 256; ++nByte)
    {
        const char ch = static_cast<char>(nByte);
        EXPECT_EQ(lumdrak::AsciiLower(ch), nByte < 128 ? std::tolower(nByte) : ch) << nByte;
        EXPECT_EQ(lumdrak::AsciiUpper(ch), nByte < 128 ? std::toupper(nByte) : ch) << nByte;
        EXPECT_EQ(lumdrak::IsAsciiLetter(ch), nByte < 128 && std::isalpha(nByte)) << nByte;
        EXPECT_EQ(lumdrak::IsAsciiDigit(ch), nByte < 128 && std::isdigit(nByte)) << nByte;
    }
    EXPECT_TRUE(lumdrak::StartsWithNoCase("Log10(", "LOG"));
    EXPECT_FALSE(lumdrak::StartsWithNoCase("lo", "log"));
    EXPECT_FALSE(lumdrak::StartsWithNoCase("\xC4x", "\xE4"));
}

void SetVariable(const char* pszName, const char* pszValue)
{
    pszValue ? setenv(pszName, pszValue, 1) : unsetenv(pszName);
}

TEST(Files, XdgFoldersComeFromTheVariableElseFromTheHomeFolder)
{
    const passwd* pEntry = getpwuid(getuid());
    ASSERT_NE(pEntry, nullptr);
    const std::string strOwnHome = pEntry->pw_dir;
    const std::tuple<const char*, const char*, std::string, std::string> rows[] = {
        // XDG_CONFIG_HOME and XDG_STATE_HOME alike, HOME; config folder, state folder
        {"/x", "/home/u", "/x", "/x"},
        {nullptr, "/home/u", "/home/u/.config", "/home/u/.local/state"},
        {"", "/home/u", "/home/u/.config", "/home/u/.local/state"},
        {"relative", "/home/u", "/home/u/.config", "/home/u/.local/state"},
        {nullptr, nullptr, strOwnHome + "/.config", strOwnHome + "/.local/state"},
        {nullptr, "relative", strOwnHome + "/.config", strOwnHome + "/.local/state"},
    };
    for (const auto& [pszXdg, pszHome, strConfig, strState] : rows)
    {
        SetVariable("XDG_CONFIG_HOME", pszXdg);
        SetVariable("XDG_STATE_HOME", pszXdg);
        SetVariable("HOME", pszHome);
        EXPECT_EQ(lumdrak::XdgFolder(lumdrak::EXdgFolder::Config), strConfig) << strConfig;
        EXPECT_EQ(lumdrak::XdgFolder(lumdrak::EXdgFolder::State), strState) << strState;
    }
}

class FilesTest : public ::testing::Test
{
protected:
    CTemporaryFolder m_temporary{"lumdrak-base"};
    std::string m_strFolder = m_temporary.Path().string();
};

TEST_F(FilesTest, PrivateFoldersAreMadeWithTheirParentsWhateverTheUmask)
{
    for (const mode_t nMask : {0, 022, 0277, 0777})
    {
        const std::string strDeep = m_strFolder + "/a/b/c";
        fs::remove_all(m_strFolder + "/a");
        const mode_t nOld = umask(nMask);
        EXPECT_TRUE(lumdrak::MakePrivateFolder(strDeep)) << nMask;
        EXPECT_TRUE(lumdrak::MakePrivateFolder(strDeep)) << "an existing folder is fine";
        umask(nOld);
        for (const char* pszPart : {"/a", "/a/b", "/a/b/c"})
            EXPECT_EQ(fs::status(m_strFolder + pszPart).permissions(), fs::perms::owner_all)
                << nMask << pszPart;
    }
    std::FILE* pFile = std::fopen((m_strFolder + "/plain").c_str(), "w");
    ASSERT_NE(pFile, nullptr);
    std::fclose(pFile);
    EXPECT_FALSE(lumdrak::MakePrivateFolder(m_strFolder + "/plain/below")) << "below a file";
    EXPECT_EQ(lumdrak::FolderOf("/a/b"), "/a");
    EXPECT_EQ(lumdrak::FolderOf("/a"), "/");
    EXPECT_EQ(lumdrak::FolderOf("name"), ".");
}

TEST_F(FilesTest, OnlyWhatTheUserOwnsOrASharedStickyFolderIsTheirsToWrite)
{
    if (geteuid() != 0) GTEST_SKIP() << "giving files to another user needs root";
    const std::tuple<const char*, mode_t, bool> rows[] = {
        // a folder of the other user and its mode, whether a new file below it is ours to make
        {"/theirs", 0755, false},
        {"/open", 0777, false}, // writable, but not shared: the file would stay theirs to keep
        {"/shared", 01777, true},
    };
    for (const auto& [pszFolder, nMode, bOurs] : rows)
    {
        const std::string strFolder = m_strFolder + pszFolder;
        fs::create_directory(strFolder);
        chmod(strFolder.c_str(), nMode);
        ASSERT_EQ(chown(strFolder.c_str(), 65534, 65534), 0);
        EXPECT_EQ(lumdrak::IsOursToWrite(strFolder + "/x/y/file"), bOurs) << pszFolder;
        EXPECT_FALSE(lumdrak::IsOursToWrite(strFolder)) << "the folder itself is theirs";
    }
    EXPECT_TRUE(lumdrak::IsOursToWrite(m_strFolder + "/new/file"));
    EXPECT_TRUE(lumdrak::IsOursToWrite(m_strFolder));
}

} // namespace
