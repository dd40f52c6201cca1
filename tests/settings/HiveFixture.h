#pragma once

// A hive of its own for every settings test, and ways to look into it and to damage it.
#include "Registry.h"
#include "RegistryString.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <stdlib.h>

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

// The stored transcript, "-" when there is none.
inline std::string StoredTranscript()
{
    return CRegistryString("Software\\Lumdrak\\Console", "-", true, HKEY_CURRENT_USER).GetValue();
}

// nLines lines of 100 times chFill, CR LF between them.
inline std::string Lines(std::size_t nLines, char chFill)
{
    std::string strText;
    for (std::size_t i = 0; i < nLines; ++i)
        strText.append(i ? "\r\n" : "").append(100, chFill);
    return strText;
}

// Every test runs on its own XDG_CONFIG_HOME, so its hive starts missing; TearDown removes it.
class CHiveTest : public ::testing::Test
{
public:
    static std::string Folder() { return std::string(std::getenv("XDG_CONFIG_HOME")) + "/lumdrak"; }
    static std::string HivePath() { return Folder() + "/registry.sqlite3"; }
    static std::string JournalPath() { return HivePath() + "-journal"; }

    // The bytes of a readable regular file, else "".
    static std::string Bytes(const std::string& strPath)
    {
        std::ifstream file(strPath, std::ios::binary);
        return fs::is_regular_file(strPath) ? std::string(std::istreambuf_iterator<char>(file),
                                                          std::istreambuf_iterator<char>())
                                            : std::string();
    }

    // What sits at the hive's and the journal's paths: file type, mode and bytes.
    static std::string Snapshot()
    {
        std::string strState;
        for (const std::string& strPath : {HivePath(), JournalPath()})
        {
            const fs::file_status status = fs::symlink_status(strPath);
            strState += std::to_string(static_cast<int>(status.type())) + ' ' +
                        std::to_string(static_cast<int>(status.permissions())) + ' ' +
                        Bytes(strPath) + '\n';
        }
        return strState;
    }

    // Leaves the hive as a copy killed while committing strSql leaves it: the file changed and
    // the journal that undoes the change still beside it. Without syncs SQLite marks the
    // journal valid from its first page, so a copy taken inside the transaction is hot.
    static bool MakeHotJournal(const std::string& strSql)
    {
        sqlite3* pDb = nullptr;
        sqlite3_open_v2(HivePath().c_str(), &pDb, SQLITE_OPEN_READWRITE, nullptr);
        std::string strJournal;
        const bool bDone =
            sqlite3_exec(pDb, ("PRAGMA synchronous = OFF; BEGIN IMMEDIATE; " + strSql).c_str(),
                         nullptr, nullptr, nullptr) == SQLITE_OK &&
            !(strJournal = Bytes(JournalPath())).empty() &&
            sqlite3_exec(pDb, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(pDb);
        std::ofstream(JournalPath(), std::ios::binary) << strJournal;
        return bDone && strJournal[0] != '\0';
    }

    // The rows of a query on the hive file itself, fields joined by '|', each row ended by '\n'.
    static std::string Sql(const std::string& strQuery)
    {
        sqlite3* pDb = nullptr;
        sqlite3_open_v2(HivePath().c_str(), &pDb, SQLITE_OPEN_READWRITE, nullptr);
        std::string strRows;
        auto AddRow = [](void* pRows, int nColumns, char** ppValues, char**)
        {
            for (int nColumn = 0; nColumn < nColumns; ++nColumn)
                static_cast<std::string*>(pRows)
                    ->append(ppValues[nColumn] ? ppValues[nColumn] : "")
                    .append(nColumn + 1 < nColumns ? "|" : "\n");
            return 0;
        };
        const int nResult = sqlite3_exec(pDb, strQuery.c_str(), AddRow, &strRows, nullptr);
        sqlite3_close(pDb);
        return nResult == SQLITE_OK ? strRows : "error";
    }

    // Changes with every value written, even with the same bytes.
    static std::string LastWrite() { return Sql("SELECT max(serial) FROM vals"); }

    // See Unprivileged.h: the test's own folder goes to nobody for the row.
    template <typename TBody> void AsUnprivilegedUser(TBody fnBody)
    {
        ::AsUnprivilegedUser(m_strRoot, fnBody);
    }

protected:
    void SetUp() override
    {
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
    }

    std::string m_strRoot;
};
