#pragma once

// An SQLite VFS over the default one that ends the process at its n-th write, to any file, as a
// kill would: the deterministic way to stop a save at every point of its commit. Registered as
// the default, so the hive code opens its files through it unchanged. For a child process.
#include <sqlite3.h>

#include <csignal>

class CFaultVfs
{
public:
    // Writes before the fault; a negative count never faults.
    static void Install(int nWritesBeforeFault)
    {
        s_nWritesLeft = nWritesBeforeFault;
        s_pReal = sqlite3_vfs_find(nullptr);
        s_vfs = *s_pReal;
        s_vfs.zName = "lumdrak-fault";
        s_vfs.szOsFile = static_cast<int>(sizeof(SFile)) + s_pReal->szOsFile;
        s_vfs.xOpen = Open;
        sqlite3_vfs_register(&s_vfs, 1);
    }

private:
    struct SFile
    {
        sqlite3_file base; // first: SQLite sees an SFile as its sqlite3_file
        sqlite3_file* pReal;
    };

    static sqlite3_file* Real(sqlite3_file* pFile)
    {
        return reinterpret_cast<SFile*>(pFile)->pReal;
    }

    static int Open(sqlite3_vfs*, sqlite3_filename zName, sqlite3_file* pFile, int nFlags,
                    int* pOutFlags)
    {
        auto* pOurs = reinterpret_cast<SFile*>(pFile);
        pOurs->pReal = reinterpret_cast<sqlite3_file*>(pOurs + 1);
        const int nResult = s_pReal->xOpen(s_pReal, zName, pOurs->pReal, nFlags, pOutFlags);
        if (nResult != SQLITE_OK || pOurs->pReal->pMethods == nullptr)
        {
            pFile->pMethods = nullptr;
            return nResult;
        }
        s_methods = *pOurs->pReal->pMethods;
        s_methods.xClose = [](sqlite3_file* p) { return Real(p)->pMethods->xClose(Real(p)); };
        s_methods.xRead = [](sqlite3_file* p, void* pData, int n, sqlite3_int64 nAt)
        { return Real(p)->pMethods->xRead(Real(p), pData, n, nAt); };
        s_methods.xWrite = [](sqlite3_file* p, const void* pData, int n, sqlite3_int64 nAt)
        {
            if (s_nWritesLeft == 0) raise(SIGKILL);
            if (s_nWritesLeft > 0) --s_nWritesLeft;
            return Real(p)->pMethods->xWrite(Real(p), pData, n, nAt);
        };
        s_methods.xTruncate = [](sqlite3_file* p, sqlite3_int64 n)
        { return Real(p)->pMethods->xTruncate(Real(p), n); };
        s_methods.xSync = [](sqlite3_file* p, int n)
        { return Real(p)->pMethods->xSync(Real(p), n); };
        s_methods.xFileSize = [](sqlite3_file* p, sqlite3_int64* pn)
        { return Real(p)->pMethods->xFileSize(Real(p), pn); };
        s_methods.xLock = [](sqlite3_file* p, int n)
        { return Real(p)->pMethods->xLock(Real(p), n); };
        s_methods.xUnlock = [](sqlite3_file* p, int n)
        { return Real(p)->pMethods->xUnlock(Real(p), n); };
        s_methods.xCheckReservedLock = [](sqlite3_file* p, int* pn)
        { return Real(p)->pMethods->xCheckReservedLock(Real(p), pn); };
        s_methods.xFileControl = [](sqlite3_file* p, int n, void* pArg)
        { return Real(p)->pMethods->xFileControl(Real(p), n, pArg); };
        s_methods.xSectorSize = [](sqlite3_file* p)
        { return Real(p)->pMethods->xSectorSize(Real(p)); };
        s_methods.xDeviceCharacteristics = [](sqlite3_file* p)
        { return Real(p)->pMethods->xDeviceCharacteristics(Real(p)); };
        // No shared memory or memory mapping: the hive uses a rollback journal, read by read().
        s_methods.iVersion = 1;
        pFile->pMethods = &s_methods;
        return SQLITE_OK;
    }

    static inline sqlite3_vfs* s_pReal = nullptr;
    static inline sqlite3_vfs s_vfs = {};
    static inline sqlite3_io_methods s_methods = {};
    static inline int s_nWritesLeft = -1;
};
