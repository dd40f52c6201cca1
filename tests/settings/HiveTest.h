#pragma once

#include "Registry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

// Stores raw bytes through the registry operations, as another program might.
inline LONG Store(const char* pKey, const char* pName, DWORD nType, const std::string& strData)
{
    HKEY hKey = nullptr;
    LONG nResult = RegCreateKeyExA(HKEY_CURRENT_USER, pKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_WRITE, nullptr, &hKey, nullptr);
    if (nResult == ERROR_SUCCESS)
        nResult =
            RegSetValueExA(hKey, pName, 0, nType, reinterpret_cast<const BYTE*>(strData.data()),
                           static_cast<DWORD>(strData.size()));
    RegCloseKey(hKey);
    return nResult;
}

// Every test runs on its own XDG_CONFIG_HOME, so its hive starts missing; TearDown removes the
// folder and restores the environment.
class CHiveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int nVar = 0; nVar < 2; ++nVar)
            if (const char* pValue = std::getenv(kVars[nVar])) m_strSavedEnv[nVar] = pValue;
        std::string strTemplate = fs::temp_directory_path() / "lumdrak-settings-XXXXXX";
        ASSERT_NE(mkdtemp(strTemplate.data()), nullptr);
        m_strRoot = strTemplate;
        setenv("XDG_CONFIG_HOME", m_strRoot.c_str(), 1);
    }

    void TearDown() override
    {
        std::error_code ec; // permissions a test took away must not stop the clean-up
        for (const auto& entry : fs::recursive_directory_iterator(m_strRoot, ec))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_strRoot, ec);
        for (int nVar = 0; nVar < 2; ++nVar)
            m_strSavedEnv[nVar] ? setenv(kVars[nVar], m_strSavedEnv[nVar]->c_str(), 1)
                                : unsetenv(kVars[nVar]);
    }

    std::string Folder() const { return m_strRoot + "/lumdrak"; }
    std::string HivePath() const { return Folder() + "/registry.sqlite3"; }

    // What sits at the hive's path: its file type and, for a file, its bytes.
    std::string Snapshot() const
    {
        std::ifstream file(HivePath(), std::ios::binary);
        std::string strBytes;
        if (fs::is_regular_file(HivePath()))
            strBytes.assign(std::istreambuf_iterator<char>(file), {});
        return std::to_string(static_cast<int>(fs::symlink_status(HivePath()).type())) + strBytes;
    }

    // The rows of a query on the hive file itself, fields joined by '|', each row ended by '\n'.
    std::string Sql(const std::string& strQuery) const
    {
        sqlite3* pDb = nullptr;
        sqlite3_open_v2(HivePath().c_str(), &pDb, SQLITE_OPEN_READONLY, nullptr);
        std::string strRows;
        auto AddRow = [](void* pRows, int nColumns, char** ppValues, char**)
        {
            for (int nColumn = 0; nColumn < nColumns; ++nColumn)
                static_cast<std::string*>(pRows)
                    ->append(nColumn ? "|" : "")
                    .append(ppValues[nColumn] ? ppValues[nColumn] : "");
            static_cast<std::string*>(pRows)->append("\n");
            return 0;
        };
        const int nResult = sqlite3_exec(pDb, strQuery.c_str(), AddRow, &strRows, nullptr);
        sqlite3_close(pDb);
        return nResult == SQLITE_OK ? strRows : "error";
    }

    // Changes with every value written, even with the same bytes.
    std::string LastWrite() const { return Sql("SELECT max(serial) FROM vals"); }

    static constexpr const char* kVars[2] = {"XDG_CONFIG_HOME", "HOME"};
    std::optional<std::string> m_strSavedEnv[2];
    std::string m_strRoot;
};
