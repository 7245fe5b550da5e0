// A session's transaction that is aborted on every way out unless it was committed: a connection is shared
// by every window of the process, and a transaction left open would take their writes into it.
#pragma once

#include <windows.h>

#include <atldbcli.h>

class CTransactionGuard
{
public:
    // Starts a read-committed transaction; throws a COLEDBException when it cannot.
    CTransactionGuard(CSession* pSession, HWND hOwner);
    ~CTransactionGuard() { Abort(); }
    CTransactionGuard(const CTransactionGuard&) = delete;
    CTransactionGuard& operator=(const CTransactionGuard&) = delete;

    // Throws a COLEDBException when the commit fails; the transaction is then aborted.
    void Commit();
    void Abort();

private:
    CSession* m_pSession;
    HWND m_hOwner;
    bool m_bOpen = false;
};
