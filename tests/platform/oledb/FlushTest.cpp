// The flush of committed work: commits to the write-ahead log are not synced one by one, and Flush syncs
// the log that holds them before it returns.
#include "OleDbTestSupport.h"

#include <msjetoledb.h>
#include <sqlite3.h>

#include <atomic>
#include <cstring>

namespace
{
// A file system over the default one that counts the syncs of write-ahead logs.
std::atomic<int> s_nLogSyncs(0);
sqlite3_vfs* s_pBase = NULL;

struct CCountingFile
{
    sqlite3_file base;
    bool bLog;
    sqlite3_file* pReal; // allocated right after this object
};

sqlite3_file* Real(sqlite3_file* pFile)
{
    return reinterpret_cast<CCountingFile*>(pFile)->pReal;
}

int Close(sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); }
int Read(sqlite3_file* f, void* p, int n, sqlite3_int64 o) { return Real(f)->pMethods->xRead(Real(f), p, n, o); }
int Write(sqlite3_file* f, const void* p, int n, sqlite3_int64 o)
{
    return Real(f)->pMethods->xWrite(Real(f), p, n, o);
}
int Truncate(sqlite3_file* f, sqlite3_int64 n) { return Real(f)->pMethods->xTruncate(Real(f), n); }
int Sync(sqlite3_file* f, int flags)
{
    if (reinterpret_cast<CCountingFile*>(f)->bLog)
        ++s_nLogSyncs;
    return Real(f)->pMethods->xSync(Real(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* p) { return Real(f)->pMethods->xFileSize(Real(f), p); }
int Lock(sqlite3_file* f, int n) { return Real(f)->pMethods->xLock(Real(f), n); }
int Unlock(sqlite3_file* f, int n) { return Real(f)->pMethods->xUnlock(Real(f), n); }
int CheckReservedLock(sqlite3_file* f, int* p) { return Real(f)->pMethods->xCheckReservedLock(Real(f), p); }
int FileControl(sqlite3_file* f, int op, void* p) { return Real(f)->pMethods->xFileControl(Real(f), op, p); }
int SectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int DeviceCharacteristics(sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); }
int ShmMap(sqlite3_file* f, int i, int n, int b, void volatile** p)
{
    return Real(f)->pMethods->xShmMap(Real(f), i, n, b, p);
}
int ShmLock(sqlite3_file* f, int o, int n, int fl) { return Real(f)->pMethods->xShmLock(Real(f), o, n, fl); }
void ShmBarrier(sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); }
int ShmUnmap(sqlite3_file* f, int d) { return Real(f)->pMethods->xShmUnmap(Real(f), d); }

const sqlite3_io_methods kMethods = {2, Close, Read, Write, Truncate, Sync, FileSize, Lock, Unlock,
                                     CheckReservedLock, FileControl, SectorSize, DeviceCharacteristics,
                                     ShmMap, ShmLock, ShmBarrier, ShmUnmap, NULL, NULL};

int Open(sqlite3_vfs*, sqlite3_filename zName, sqlite3_file* pFile, int flags, int* pOutFlags)
{
    CCountingFile* p = reinterpret_cast<CCountingFile*>(pFile);
    p->pReal = reinterpret_cast<sqlite3_file*>(p + 1);
    p->bLog = (flags & SQLITE_OPEN_WAL) != 0;
    p->base.pMethods = NULL;
    int rc = s_pBase->xOpen(s_pBase, zName, p->pReal, flags, pOutFlags);
    if (rc == SQLITE_OK && p->pReal->pMethods != NULL)
        p->base.pMethods = &kMethods;
    return rc;
}

class FlushTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        s_pBase = sqlite3_vfs_find(NULL);
        m_vfs = *s_pBase;
        m_vfs.zName = "orb-sync-counter";
        m_vfs.szOsFile = (int)sizeof(CCountingFile) + s_pBase->szOsFile;
        m_vfs.xOpen = Open;
        sqlite3_vfs_register(&m_vfs, 1);
        m_strPath = m_folder.Path("email.mdb");
        ASSERT_EQ(S_OK, CreateDatabaseFile(m_strPath));
        ASSERT_EQ(S_OK, OpenDataSource(m_ds, m_strPath));
        ASSERT_EQ(S_OK, m_session.Open(m_ds));
    }
    void TearDown() override
    {
        m_session.Close();
        m_ds.Close();
        sqlite3_vfs_register(s_pBase, 1);
        sqlite3_vfs_unregister(&m_vfs);
        CoUninitialize();
    }
    CTempFolder m_folder;
    sqlite3_vfs m_vfs;
    std::string m_strPath;
    CDataSource m_ds;
    CSession m_session;
};
} // namespace

TEST_F(FlushTest, FlushSyncsTheLogThatHoldsTheCommits)
{
    ASSERT_EQ(S_OK, Execute(m_session, "CREATE TABLE Emails (EmailsID INTEGER, Subject TEXT(100))"));
    const int nBefore = s_nLogSyncs;
    ASSERT_EQ(S_OK, Execute(m_session, "INSERT INTO Emails (EmailsID, Subject) VALUES (1, 'stored')"));
    // The premise: a commit alone leaves the log in the cache, where a power cut takes it.
    EXPECT_EQ(nBefore, s_nLogSyncs.load());
    IJetFlush* pFlush = NULL;
    ASSERT_EQ(S_OK, m_session.m_spOpenRowset->QueryInterface(IID_IJetFlush, (void**)&pFlush));
    EXPECT_EQ(S_OK, pFlush->Flush());
    pFlush->Release();
    EXPECT_GT(s_nLogSyncs.load(), nBefore);
}
