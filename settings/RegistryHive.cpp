// The registry operations of Registry.h over an SQLite hive file, for platforms without a
// registry. HKEY_CURRENT_USER lives in $XDG_CONFIG_HOME/lumdrak/registry.sqlite3 (or
// ~/.config/lumdrak/registry.sqlite3). Reads never create anything; the first write creates
// the folder (0700) and the file (0600). Opening a hive of ours also takes the group and other
// bits off the folder and the file when the user owns them, but never through a symlink: a
// linked folder or hive is used as it is.
//
// A hive, its folder, or while they are missing the nearest folder above them, that belongs to
// another user is only read: nothing is created, written or rolled back in it. A root session
// with a user's XDG_CONFIG_HOME (sudo -E keeps it) would otherwise leave root's files in the
// user's home, which the user's own sessions could then neither read nor replace.
//
// Key paths are stored whole, parts joined by single backslashes: empty parts (from leading,
// doubled or trailing backslashes) are dropped, so "\A\\B\" names the key "A\B", and "" is
// the root. Paths and value names compare case-insensitively in ASCII only (SQLite's NOCASE);
// a key or value keeps the spelling it was created with. Values hold a type and raw bytes.
//
// A file that is not a hive of ours is never written, deleted or replaced: every operation on
// it fails. An empty file is a hive not yet made: reads find nothing, the first write makes it.
// Each write is one IMMEDIATE transaction and every connection waits for a busy hive, so several
// running copies of the program can share it; the last write wins. Reads, too, open the hive
// read-write when the file and its folder allow it, because only such a connection can roll back
// the journal that a copy killed while committing leaves behind; until that is done the hive cannot
// be read at all. A key opened with kRegOptionReadOnly is the exception: it only ever reads.

#include "Registry.h"

#include "FileDescriptor.h"
#include "Files.h"

#include <sqlite3.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// An open key: its own connection to the hive, so handles are independent of one another and
// nothing is shared across fork().
class CRegistryKey
{
public:
    struct CDatabaseCloser
    {
        void operator()(sqlite3* pDb) const { sqlite3_close_v2(pDb); }
    };

    std::unique_ptr<sqlite3, CDatabaseCloser> m_pDatabase;
    std::string m_strFile; // the hive file, for keys opened below this one
    std::string m_strPath; // normalised key path inside the hive
    REGSAM m_nAccess = 0;
};

namespace
{

using CDatabase = std::unique_ptr<sqlite3, CRegistryKey::CDatabaseCloser>;
using lumdrak::CFileDescriptor;

struct CStatementFinalizer
{
    void operator()(sqlite3_stmt* pStatement) const { sqlite3_finalize(pStatement); }
};
using CStatement = std::unique_ptr<sqlite3_stmt, CStatementFinalizer>;

// Marks the file as ours ("LmDr"); a file without it is never touched.
constexpr int kApplicationId = 0x4C6D4472;
constexpr int kSchemaVersion = 1;

// Another copy of the program holds the hive only for one short transaction; wait for it
// rather than lose a save, but do not hang a closing window forever on a stuck lock.
constexpr int kBusyTimeoutMs = 10000;

// Written into a temporary file that becomes the hive only when complete. A value's serial
// numbers the writes across the hive, like a key's last-write time: SQLite leaves a row that is
// overwritten with the same bytes untouched, and the serial keeps every write visible.
constexpr const char* kSchemaSql = "PRAGMA application_id = 1282229362;"
                                   "PRAGMA user_version = 1;"
                                   "CREATE TABLE keys (path TEXT NOT NULL COLLATE NOCASE"
                                   " PRIMARY KEY) WITHOUT ROWID;"
                                   "CREATE TABLE vals (key TEXT NOT NULL COLLATE NOCASE,"
                                   " name TEXT NOT NULL COLLATE NOCASE,"
                                   " type INTEGER NOT NULL, data BLOB NOT NULL,"
                                   " serial INTEGER NOT NULL,"
                                   " PRIMARY KEY (key, name)) WITHOUT ROWID;"
                                   "INSERT INTO keys VALUES ('');";
static_assert(kApplicationId == 1282229362, "kSchemaSql spells the application id in decimal");

bool Execute(sqlite3* pDb, const char* pSql)
{
    return sqlite3_exec(pDb, pSql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

CStatement Prepare(sqlite3* pDb, const char* pSql)
{
    sqlite3_stmt* pStatement = nullptr;
    sqlite3_prepare_v2(pDb, pSql, -1, &pStatement, nullptr);
    return CStatement(pStatement);
}

bool BindText(sqlite3_stmt* pStatement, int nIndex, const std::string& strText)
{
    return strText.size() <= INT_MAX &&
           sqlite3_bind_text(pStatement, nIndex, strText.data(), static_cast<int>(strText.size()),
                             SQLITE_TRANSIENT) == SQLITE_OK;
}

// BEGIN IMMEDIATE takes the write lock up front, so two writers queue on the busy timeout
// instead of one failing at once on a lock upgrade; rolled back unless committed.
class CWriteTransaction
{
public:
    explicit CWriteTransaction(sqlite3* pDb) : m_pDb(pDb), m_bOpen(Execute(pDb, "BEGIN IMMEDIATE"))
    {
    }
    ~CWriteTransaction()
    {
        if (m_bOpen && !sqlite3_get_autocommit(m_pDb)) Execute(m_pDb, "ROLLBACK");
    }
    CWriteTransaction(const CWriteTransaction&) = delete;
    CWriteTransaction& operator=(const CWriteTransaction&) = delete;

    bool IsOpen() const { return m_bOpen; }

    bool Commit()
    {
        if (!m_bOpen || !Execute(m_pDb, "COMMIT")) return false;
        m_bOpen = false;
        return true;
    }

private:
    sqlite3* m_pDb;
    bool m_bOpen;
};

// "" when no home folder can be found; then every operation fails.
std::string HiveFile()
{
    const std::string strConfig = lumdrak::XdgFolder(lumdrak::EXdgFolder::Config);
    return strConfig.empty() ? std::string() : strConfig + "/lumdrak/registry.sqlite3";
}

std::string JoinPath(const std::string& strBase, const char* pSubKey)
{
    std::string strPath;
    const std::string strJoined = strBase + '\\' + (pSubKey ? pSubKey : "");
    std::size_t nStart = 0;
    while (nStart <= strJoined.size())
    {
        std::size_t nEnd = strJoined.find('\\', nStart);
        if (nEnd == std::string::npos) nEnd = strJoined.size();
        if (nEnd > nStart)
            strPath.append(strPath.empty() ? "" : "\\").append(strJoined, nStart, nEnd - nStart);
        nStart = nEnd + 1;
    }
    return strPath;
}

// The hive file and the normalised key path that hKey and a subkey path address.
LONG Resolve(HKEY hKey, const char* pSubKey, std::string& strFile, std::string& strPath)
{
    if (hKey == HKEY_CURRENT_USER)
    {
        strFile = HiveFile();
        strPath = JoinPath({}, pSubKey);
        return strFile.empty() ? ERROR_REGISTRY_IO_FAILED : ERROR_SUCCESS;
    }
    if (!hKey) return ERROR_INVALID_HANDLE;
    strFile = hKey->m_strFile;
    strPath = JoinPath(hKey->m_strPath, pSubKey);
    return ERROR_SUCCESS;
}

// Takes the group and other bits off a file or folder that the effective user owns.
void MakePrivate(int nFd)
{
    struct stat info;
    if (fstat(nFd, &info) == 0 && info.st_uid == geteuid() && (info.st_mode & 077) != 0)
        fchmod(nFd, info.st_mode & 07700);
}

// Checks the file's header before SQLite opens it, since SQLite would roll back a journal
// left beside a foreign database, writing to it; a file too short for a header is not ours
// either (an empty one is no hive yet, see IsEmptyFile). Makes the hive and its folder private.
// Leaves no descriptor open for SQLite to lose its locks by (see CFileDescriptor). With
// bReadOnly the modes stay as they are.
LONG ClaimHive(const std::string& strFile, bool bReadOnly)
{
    constexpr int kFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    // O_NOFOLLOW first: a symlinked hive is read through its link, but what the link points
    // to keeps its mode.
    CFileDescriptor fd(open(strFile.c_str(), kFlags | O_NOFOLLOW));
    const bool bLink = fd.Get() < 0 && errno == ELOOP;
    if (bLink) fd.Reset(open(strFile.c_str(), kFlags));
    if (fd.Get() < 0) return ERROR_REGISTRY_IO_FAILED;

    // The file header: its magic text, and the application id big-endian at offset 68.
    unsigned char header[100];
    struct stat info;
    if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        pread(fd.Get(), header, sizeof header, 0) != static_cast<ssize_t>(sizeof header) ||
        std::memcmp(header, "SQLite format 3", 16) != 0 ||
        ((std::uint32_t{header[68]} << 24) | (std::uint32_t{header[69]} << 16) |
         (std::uint32_t{header[70]} << 8) | header[71]) !=
            static_cast<std::uint32_t>(kApplicationId))
        return ERROR_BADDB;

    if (bReadOnly) return ERROR_SUCCESS;
    if (!bLink) MakePrivate(fd.Get());
    const CFileDescriptor folder(
        open(lumdrak::FolderOf(strFile).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.Get() >= 0) MakePrivate(folder.Get());
    return ERROR_SUCCESS;
}

// Whether SQLite can write the file and keep its journal beside it, in the folder of the file
// a symlink leads to. Otherwise even a read opens read-only: a rollback that could write the
// file but not delete the journal would change the hive and still fail.
bool IsWritable(const std::string& strFile)
{
    const std::unique_ptr<char, decltype(&std::free)> pReal(realpath(strFile.c_str(), nullptr),
                                                            &std::free);
    if (!pReal) return false;
    const std::string strReal = pReal.get();
    return faccessat(AT_FDCWD, strReal.c_str(), W_OK, AT_EACCESS) == 0 &&
           faccessat(AT_FDCWD, strReal.substr(0, strReal.find_last_of('/') + 1).c_str(),
                     W_OK | X_OK, AT_EACCESS) == 0;
}

// Whether this process may create or change the hive without taking it from its owner.
bool IsOursToWrite(const std::string& strFile)
{
    return lumdrak::IsOursToWrite(strFile) && lumdrak::IsOursToWrite(lumdrak::FolderOf(strFile));
}

// An empty regular file where the hive belongs (a crash while one was made, or `: > file`) is
// no hive yet: a read finds nothing in it, and the first write makes the hive in it.
bool IsEmptyFile(const std::string& strFile)
{
    struct stat info;
    return stat(strFile.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0;
}

// Opens an existing hive file, never creating one, and checks that it is ours. Read-write even
// for a read when it can be (see the top of this file), unless bReadOnly: SQLite then refuses
// a hive whose journal needs a rollback rather than roll it back.
LONG OpenHive(const std::string& strFile, CDatabase& pDb, bool bReadOnly = false)
{
    struct stat info;
    if (lstat(strFile.c_str(), &info) != 0)
        return errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_REGISTRY_IO_FAILED;
    if (IsEmptyFile(strFile)) return ERROR_FILE_NOT_FOUND;
    if (LONG nError = ClaimHive(strFile, bReadOnly)) return nError;

    sqlite3* pRawDb = nullptr;
    const int nFlags = !bReadOnly && IsWritable(strFile) && IsOursToWrite(strFile)
                           ? SQLITE_OPEN_READWRITE
                           : SQLITE_OPEN_READONLY;
    const int nResult = sqlite3_open_v2(strFile.c_str(), &pRawDb, nFlags, nullptr);
    pDb.reset(pRawDb); // a handle comes back even on failure and must be closed
    if (nResult != SQLITE_OK) return ERROR_REGISTRY_IO_FAILED;
    sqlite3_busy_timeout(pRawDb, kBusyTimeoutMs);

    CStatement pCheck =
        Prepare(pRawDb, "SELECT (SELECT * FROM pragma_application_id) = ?1"
                        " AND (SELECT * FROM pragma_user_version) = ?2"
                        " AND (SELECT count(*) FROM sqlite_schema"
                        "      WHERE type = 'table' AND name IN ('keys', 'vals')) = 2");
    if (!pCheck || sqlite3_bind_int(pCheck.get(), 1, kApplicationId) != SQLITE_OK ||
        sqlite3_bind_int(pCheck.get(), 2, kSchemaVersion) != SQLITE_OK ||
        sqlite3_step(pCheck.get()) != SQLITE_ROW)
        return ERROR_REGISTRY_IO_FAILED;
    return sqlite3_column_int(pCheck.get(), 0) == 1 ? ERROR_SUCCESS : ERROR_BADDB;
}

// Makes the hive inside an empty file, in one transaction that first checks the file is still
// empty of tables: of several copies that found it empty, the first makes the hive and the
// others use it. Until it commits, readers see an empty file, which holds nothing.
LONG FillEmptyHive(const std::string& strFile)
{
    sqlite3* pRawDb = nullptr;
    const int nResult = sqlite3_open_v2(strFile.c_str(), &pRawDb, SQLITE_OPEN_READWRITE, nullptr);
    CDatabase pDb(pRawDb);
    if (nResult != SQLITE_OK) return ERROR_REGISTRY_IO_FAILED;
    sqlite3_busy_timeout(pRawDb, kBusyTimeoutMs);
    CWriteTransaction transaction(pRawDb);
    CStatement pCount = Prepare(pRawDb, "SELECT count(*) FROM sqlite_schema");
    if (!transaction.IsOpen() || !pCount || sqlite3_step(pCount.get()) != SQLITE_ROW)
        return ERROR_REGISTRY_IO_FAILED;
    const bool bEmpty = sqlite3_column_int(pCount.get(), 0) == 0;
    pCount.reset();
    if (bEmpty && !Execute(pRawDb, kSchemaSql)) return ERROR_REGISTRY_IO_FAILED;
    return transaction.Commit() ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
}

// Builds a complete hive in a temporary file of the same folder and links it into place only
// if the name is still free, so no process ever sees a half-made hive; when another process
// got there first, its hive is the one used.
LONG CreateHive(const std::string& strFile)
{
    if (IsEmptyFile(strFile)) return FillEmptyHive(strFile);

    lumdrak::CTemporaryFile temp(strFile);
    if (!temp.IsOpen()) return ERROR_REGISTRY_IO_FAILED;
    temp.Close();
    const std::string& strTemp = temp.Path();

    sqlite3* pRawDb = nullptr;
    const int nResult = sqlite3_open_v2(strTemp.c_str(), &pRawDb, SQLITE_OPEN_READWRITE, nullptr);
    CDatabase pDb(pRawDb);
    if (nResult != SQLITE_OK || !Execute(pRawDb, "BEGIN") || !Execute(pRawDb, kSchemaSql) ||
        !Execute(pRawDb, "COMMIT"))
        return ERROR_REGISTRY_IO_FAILED;
    pDb.reset();

    if (link(strTemp.c_str(), strFile.c_str()) == 0) return ERROR_SUCCESS;
    if (errno != EEXIST) return ERROR_REGISTRY_IO_FAILED;
    return IsEmptyFile(strFile) ? FillEmptyHive(strFile) : ERROR_SUCCESS;
}

LONG MakeKey(CDatabase pDb, std::string strFile, std::string strPath, REGSAM nAccess,
             PHKEY phkResult)
{
    auto pKey = std::make_unique<CRegistryKey>();
    pKey->m_pDatabase = std::move(pDb);
    pKey->m_strFile = std::move(strFile);
    pKey->m_strPath = std::move(strPath);
    pKey->m_nAccess = nAccess;
    *phkResult = pKey.release();
    return ERROR_SUCCESS;
}

} // namespace

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult)
{
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::string strFile;
    std::string strPath;
    if (LONG nError = Resolve(hKey, lpSubKey, strFile, strPath)) return nError;

    const bool bReadOnly = (ulOptions & kRegOptionReadOnly) != 0;
    // A key opened to read alone cannot be written through.
    if (bReadOnly) samDesired &= KEY_READ;
    if ((samDesired & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) && !IsOursToWrite(strFile))
        return ERROR_ACCESS_DENIED;
    CDatabase pDb;
    if (LONG nError = OpenHive(strFile, pDb, bReadOnly)) return nError;

    CStatement pFind = Prepare(pDb.get(), "SELECT 1 FROM keys WHERE path = ?1");
    if (!pFind || !BindText(pFind.get(), 1, strPath)) return ERROR_REGISTRY_IO_FAILED;
    const int nStep = sqlite3_step(pFind.get());
    if (nStep != SQLITE_ROW)
        return nStep == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : ERROR_REGISTRY_IO_FAILED;
    pFind.reset();
    return MakeKey(std::move(pDb), std::move(strFile), std::move(strPath), samDesired, phkResult);
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD /*lpReserved*/, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData)
{
    if (hKey == HKEY_CURRENT_USER)
    {
        HKEY hRoot = nullptr;
        if (LONG nError = RegOpenKeyExA(hKey, "", 0, KEY_QUERY_VALUE, &hRoot)) return nError;
        const std::unique_ptr<CRegistryKey> pRoot(hRoot);
        return RegQueryValueExA(hRoot, lpValueName, nullptr, lpType, lpData, lpcbData);
    }
    if (!hKey) return ERROR_INVALID_HANDLE;
    if (!(hKey->m_nAccess & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;

    CStatement pFind = Prepare(hKey->m_pDatabase.get(),
                               "SELECT type, data FROM vals WHERE key = ?1 AND name = ?2");
    if (!pFind || !BindText(pFind.get(), 1, hKey->m_strPath) ||
        !BindText(pFind.get(), 2, lpValueName ? lpValueName : ""))
        return ERROR_REGISTRY_IO_FAILED;
    const int nStep = sqlite3_step(pFind.get());
    if (nStep != SQLITE_ROW)
        return nStep == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : ERROR_REGISTRY_IO_FAILED;

    const DWORD nType = static_cast<DWORD>(sqlite3_column_int64(pFind.get(), 0));
    const void* pBlob = sqlite3_column_blob(pFind.get(), 1);
    const DWORD nSize = static_cast<DWORD>(sqlite3_column_bytes(pFind.get(), 1));
    if (lpType) *lpType = nType;
    if (lpData)
    {
        if (*lpcbData < nSize)
        {
            *lpcbData = nSize;
            return ERROR_MORE_DATA;
        }
        if (nSize > 0) std::memcpy(lpData, pBlob, nSize);
    }
    if (lpcbData) *lpcbData = nSize;
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR /*lpClass*/,
                     DWORD dwOptions, REGSAM samDesired,
                     const LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, PHKEY phkResult,
                     LPDWORD lpdwDisposition)
{
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    if (dwOptions != REG_OPTION_NON_VOLATILE) // the hive keeps no volatile keys
        return ERROR_INVALID_PARAMETER;
    std::string strFile;
    std::string strPath;
    if (LONG nError = Resolve(hKey, lpSubKey, strFile, strPath)) return nError;

    if (!IsOursToWrite(strFile)) return ERROR_ACCESS_DENIED;
    if (!lumdrak::MakePrivateFolder(lumdrak::FolderOf(strFile))) return ERROR_REGISTRY_IO_FAILED;
    CDatabase pDb;
    LONG nError = OpenHive(strFile, pDb);
    if (nError == ERROR_FILE_NOT_FOUND)
    {
        nError = CreateHive(strFile);
        if (nError == ERROR_SUCCESS) nError = OpenHive(strFile, pDb);
    }
    if (nError != ERROR_SUCCESS) return nError;

    // The key and every missing parent, shortest first; existing ones keep their spelling.
    bool bCreated = false;
    {
        CWriteTransaction transaction(pDb.get());
        CStatement pInsert = Prepare(pDb.get(), "INSERT OR IGNORE INTO keys VALUES (?1)");
        if (!transaction.IsOpen() || !pInsert) return ERROR_REGISTRY_IO_FAILED;
        for (std::size_t nEnd = 0; nEnd != std::string::npos && !strPath.empty();)
        {
            nEnd = strPath.find('\\', nEnd + 1);
            sqlite3_reset(pInsert.get());
            if (!BindText(pInsert.get(), 1, strPath.substr(0, nEnd)) ||
                sqlite3_step(pInsert.get()) != SQLITE_DONE)
                return ERROR_REGISTRY_IO_FAILED;
            bCreated = sqlite3_changes(pDb.get()) > 0;
        }
        pInsert.reset();
        if (!transaction.Commit()) return ERROR_REGISTRY_IO_FAILED;
    }
    if (lpdwDisposition)
        *lpdwDisposition = bCreated ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return MakeKey(std::move(pDb), std::move(strFile), std::move(strPath), samDesired, phkResult);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                    const BYTE* lpData, DWORD cbData)
{
    if (hKey == HKEY_CURRENT_USER)
    {
        HKEY hRoot = nullptr;
        if (LONG nError = RegCreateKeyExA(hKey, "", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          KEY_SET_VALUE, nullptr, &hRoot, nullptr))
            return nError;
        const std::unique_ptr<CRegistryKey> pRoot(hRoot);
        return RegSetValueExA(hRoot, lpValueName, 0, dwType, lpData, cbData);
    }
    if (!hKey) return ERROR_INVALID_HANDLE;
    if (!(hKey->m_nAccess & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if ((!lpData && cbData > 0) || cbData > INT_MAX) return ERROR_INVALID_PARAMETER;

    sqlite3* pDb = hKey->m_pDatabase.get();
    CWriteTransaction transaction(pDb);
    CStatement pUpsert =
        Prepare(pDb, "INSERT INTO vals VALUES (?1, ?2, ?3, ?4,"
                     " (SELECT coalesce(max(serial), 0) + 1 FROM vals)) ON CONFLICT (key, name)"
                     " DO UPDATE SET type = excluded.type, data = excluded.data,"
                     " serial = excluded.serial");
    // A null pointer would bind SQL NULL; empty data must stay an empty blob.
    static const BYTE kNoData = 0;
    if (!transaction.IsOpen() || !pUpsert || !BindText(pUpsert.get(), 1, hKey->m_strPath) ||
        !BindText(pUpsert.get(), 2, lpValueName ? lpValueName : "") ||
        sqlite3_bind_int64(pUpsert.get(), 3, dwType) != SQLITE_OK ||
        sqlite3_bind_blob(pUpsert.get(), 4, lpData ? lpData : &kNoData, static_cast<int>(cbData),
                          SQLITE_TRANSIENT) != SQLITE_OK ||
        sqlite3_step(pUpsert.get()) != SQLITE_DONE)
        return ERROR_REGISTRY_IO_FAILED;
    pUpsert.reset();
    return transaction.Commit() ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName)
{
    if (hKey == HKEY_CURRENT_USER)
    {
        HKEY hRoot = nullptr;
        if (LONG nError = RegOpenKeyExA(hKey, "", 0, KEY_SET_VALUE, &hRoot)) return nError;
        const std::unique_ptr<CRegistryKey> pRoot(hRoot);
        return RegDeleteValueA(hRoot, lpValueName);
    }
    if (!hKey) return ERROR_INVALID_HANDLE;
    if (!(hKey->m_nAccess & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;

    sqlite3* pDb = hKey->m_pDatabase.get();
    CWriteTransaction transaction(pDb);
    CStatement pDelete = Prepare(pDb, "DELETE FROM vals WHERE key = ?1 AND name = ?2");
    if (!transaction.IsOpen() || !pDelete || !BindText(pDelete.get(), 1, hKey->m_strPath) ||
        !BindText(pDelete.get(), 2, lpValueName ? lpValueName : "") ||
        sqlite3_step(pDelete.get()) != SQLITE_DONE)
        return ERROR_REGISTRY_IO_FAILED;
    const bool bDeleted = sqlite3_changes(pDb) > 0;
    pDelete.reset();
    if (!transaction.Commit()) return ERROR_REGISTRY_IO_FAILED;
    return bDeleted ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG RegCloseKey(HKEY hKey)
{
    if (hKey == HKEY_CURRENT_USER) return ERROR_SUCCESS;
    if (!hKey) return ERROR_INVALID_HANDLE;
    delete hKey;
    return ERROR_SUCCESS;
}
