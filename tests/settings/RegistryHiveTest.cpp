#include "HiveTest.h"

namespace
{

// The type and data of a value, or the code of the first call that failed.
LONG Load(const char* pKey, const char* pName, DWORD& nType, std::string& strData)
{
    HKEY hKey = nullptr;
    DWORD nSize = 0;
    LONG nResult = RegOpenKeyExA(HKEY_CURRENT_USER, pKey, 0, KEY_READ, &hKey);
    if (nResult == ERROR_SUCCESS)
        nResult = RegQueryValueExA(hKey, pName, nullptr, &nType, nullptr, &nSize);
    strData.assign(nSize, '\0');
    if (nResult == ERROR_SUCCESS)
        nResult = RegQueryValueExA(hKey, pName, nullptr, &nType,
                                   reinterpret_cast<BYTE*>(strData.data()), &nSize);
    RegCloseKey(hKey);
    return nResult;
}

mode_t Mode(const std::string& strPath)
{
    struct stat info = {};
    stat(strPath.c_str(), &info);
    return info.st_mode & 07777;
}

} // namespace

using RegistryHiveTest = CHiveTest;

TEST_F(RegistryHiveTest, FirstWriteMakesAPrivateFolderAndFileWhateverTheUmask)
{
    for (const mode_t nMask : {0000, 0277})
    {
        fs::remove_all(Folder());
        const mode_t nOldMask = umask(nMask);
        EXPECT_EQ(Store("Software", "v", REG_SZ, "x"), ERROR_SUCCESS);
        umask(nOldMask);
        EXPECT_EQ(Mode(Folder()), 0700u) << "umask " << nMask;
        EXPECT_EQ(Mode(HivePath()), 0600u) << "umask " << nMask;
        EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), {}), 1) << "temporary file left";
    }
}

TEST_F(RegistryHiveTest, HiveLivesInXdgConfigHomeElseInHomeConfig)
{
    const std::string strHomeHive = m_strRoot + "/home/.config/lumdrak/registry.sqlite3";
    const std::pair<const char*, std::string> rows[] = {
        // XDG_CONFIG_HOME (nullptr: unset), hive
        {"/xdg", m_strRoot + "/xdg/lumdrak/registry.sqlite3"},
        {"", strHomeHive},
        {nullptr, strHomeHive},
        {"relative", strHomeHive}};
    setenv("HOME", (m_strRoot + "/home").c_str(), 1);
    const fs::path oldCwd = fs::current_path(); // so a wrongly used relative path lands in ours
    fs::current_path(m_strRoot);
    for (const auto& [pXdg, strHive] : rows)
    {
        const std::string strXdg = pXdg && *pXdg == '/' ? m_strRoot + pXdg : pXdg ? pXdg : "";
        pXdg ? setenv("XDG_CONFIG_HOME", strXdg.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(m_strRoot + "/home");
        EXPECT_EQ(Store("Software", "v", REG_SZ, "x"), ERROR_SUCCESS);
        EXPECT_TRUE(fs::is_regular_file(strHive)) << strHive;
    }
    EXPECT_FALSE(fs::exists(m_strRoot + "/relative"));
    fs::current_path(oldCwd);
}

TEST_F(RegistryHiveTest, KeysAndNamesMatchIgnoringAsciiCaseAndEmptyPathParts)
{
    ASSERT_EQ(Store("Software\\Lumdrak\\Save", "SaveKey", REG_SZ, "one"), ERROR_SUCCESS);
    ASSERT_EQ(Store("software\\LUMDRAK\\save", "SAVEKEY", REG_SZ, "two"), ERROR_SUCCESS);
    const BYTE latin[] = {'l', 'a', 't', 'i', 'n'}; // the predefined root works as a key, too
    ASSERT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "\xC4", 0, REG_SZ, latin, 5), ERROR_SUCCESS);
    const struct
    {
        const char* pKey;
        const char* pName;
        LONG nExpected;
    } rows[] = {
        {"Software\\Lumdrak\\Save", "SaveKey", ERROR_SUCCESS},
        {"\\SOFTWARE\\\\lumdrak\\Save\\", "savekey", ERROR_SUCCESS},
        {"Software\\Lumdrak", "SaveKey", ERROR_FILE_NOT_FOUND}, // the parent was made, empty
        {"Software\\Lumdrak\\Sav", "SaveKey", ERROR_FILE_NOT_FOUND},
        {"Software\\Lumdrak\\Save", "", ERROR_FILE_NOT_FOUND}, // the unnamed value is another
        {"", "\xC4", ERROR_SUCCESS},
        {"", "\xE4", ERROR_FILE_NOT_FOUND}, // no case folding beyond ASCII
    };
    for (const auto& row : rows)
    {
        DWORD nType = REG_NONE;
        std::string strData;
        EXPECT_EQ(Load(row.pKey, row.pName, nType, strData), row.nExpected)
            << row.pKey << '|' << row.pName;
    }
    DWORD nSize = 0;
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "\xC4", nullptr, nullptr, nullptr, &nSize), 0);
    EXPECT_EQ(nSize, 5u);
    EXPECT_EQ(Sql("SELECT key, name, data FROM vals ORDER BY key"),
              "|\xC4|latin\nSoftware\\Lumdrak\\Save|SaveKey|two\n");
    EXPECT_EQ(Sql("SELECT path FROM keys ORDER BY path"),
              "\nSoftware\nSoftware\\Lumdrak\nSoftware\\Lumdrak\\Save\n");
}

TEST_F(RegistryHiveTest, ValuesKeepTheirTypeAndRawBytes)
{
    const std::pair<DWORD, std::string> rows[] = {{REG_SZ, std::string("BB021", 6)},
                                                  {REG_BINARY, std::string("\0a\0b", 4)},
                                                  {REG_DWORD, std::string("\x2A\0\0\0", 4)},
                                                  {REG_SZ, ""}};
    for (const auto& [nStoredType, strStored] : rows)
    {
        ASSERT_EQ(Store("K", "v", nStoredType, strStored), ERROR_SUCCESS);
        DWORD nType = REG_NONE;
        std::string strData;
        EXPECT_EQ(Load("K", "v", nType, strData), ERROR_SUCCESS);
        EXPECT_EQ(nType, nStoredType);
        EXPECT_EQ(strData, strStored);

        if (strStored.empty()) continue;
        HKEY hKey = nullptr; // one byte short: fails and tells the size needed
        DWORD nSize = static_cast<DWORD>(strStored.size()) - 1;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &hKey), ERROR_SUCCESS);
        EXPECT_EQ(RegQueryValueExA(hKey, "v", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(strData.data()), &nSize),
                  ERROR_MORE_DATA);
        EXPECT_EQ(nSize, strStored.size());
        RegCloseKey(hKey);
    }
}
