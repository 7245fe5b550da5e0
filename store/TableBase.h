// The shape every table class of the store shares: an OLE DB command over its row record, the address of
// its database's session member, the schema check's error text and a ready flag, and the open that offers
// to reconnect a database that lost its file.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/TableSchema.h"

// What a database object needs of each table it holds: close it, and make it check its schema again.
class CTableLink
{
public:
    virtual ~CTableLink() {}
    virtual void CloseTable() = 0;

    int m_bReady = 0; // the schema step ran on this object
};

// WM_USER with ID_UPDATE to the main window's thread: views must show a change. A no-op while no main
// window was set.
const WPARAM ID_UPDATE = 32785;
void SetStoreMainFrame(HWND hWndMainFrame);
void PostUpdateToMainFrame();

// The reconnecting open as a routine of its own, for any command. Opens pCommand (Create, Prepare, Open
// with the property set, bind). On failure: for a provider disk error (native 5003043) asks whether to
// continue; Yes closes and reopens the session's database and tries again, a few times at most; otherwise
// the exception dialog is shown and a COLEDBException with pszFailText + SQL is thrown.
template <class TCommand>
void OpenCommandWithReconnect(TCommand& command, CSession* pSession, HWND hOwner, const char* pszSQL,
                              CDBPropSet* pPropSet, bool& bPrepared);
// The part of it that needs no template: decides after a failed attempt. Returns true to try again,
// else throws.
bool ReconnectAfterFailure(ICommand* pCommand, HRESULT hr, CSession* pSession, HWND hOwner,
                           const char* pszSQL, int nAttempt);

template <class TRecord>
class CTableBase : public CCommand<CAccessor<TRecord>>, public CTableLink
{
public:
    explicit CTableBase(CSession* pSession) : m_pSession(pSession) {}
    virtual ~CTableBase() { CloseTable(); }

    CSession* GetSession() const { return m_pSession; }
    bool HasSession() const { return m_pSession != NULL && m_pSession->m_spOpenRowset != NULL; }

    void CloseTable() override
    {
        this->Close();
        if (m_bPrepared)
            this->Unprepare();
        m_bPrepared = false;
        this->ReleaseCommand();
    }

    // The table's SQL, or the default SELECT when pszSQL is NULL, as a changeable rowset.
    void OpenRowset(HWND hOwner, const char* pszSQL)
    {
        CDBPropSet propSet(DBPROPSET_ROWSET);
        SetChangeableRowsetProps(propSet);
        OpenCommandWithReconnect(*this, m_pSession, hOwner, pszSQL, &propSet, m_bPrepared);
    }

    CSession* m_pSession;
    CString m_strError;
    bool m_bPrepared = false;
};

template <class TCommand>
void OpenCommandWithReconnect(TCommand& command, CSession* pSession, HWND hOwner, const char* pszSQL,
                              CDBPropSet* pPropSet, bool& bPrepared)
{
    for (int nAttempt = 1;; nAttempt++)
    {
        command.Close();
        if (bPrepared)
            command.Unprepare();
        bPrepared = false;
        command.ReleaseCommand();
        HRESULT hr = command.Create(*pSession, pszSQL);
        if (SUCCEEDED(hr))
        {
            hr = command.Prepare();
            bPrepared = SUCCEEDED(hr);
        }
        if (SUCCEEDED(hr))
            hr = command.Open(pPropSet, NULL, true, 1);
        if (SUCCEEDED(hr))
            return;
        if (!ReconnectAfterFailure(command.m_spCommand, hr, pSession, hOwner, pszSQL, nAttempt))
            return;
    }
}
