// The OLE DB session holder that every database object derives from: opening with interactive recovery,
// creating an empty file, running single statements and describing the connection in error texts.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "foundation/Registry.h"

class COLEDBException;

class CDatabaseSession
{
public:
    explicit CDatabaseSession(CRegistry* pOwner);
    virtual ~CDatabaseSession();

    // NULL opens GetFileName(). Always closes first, so reopening with another path is one call.
    virtual void Open(const char* pszPath = NULL);
    virtual void Close();
    virtual HRESULT CreateDatabase(const char* pszPath);
    virtual CString GetKindName() = 0;
    // Decides from error record iRecord of the failed open whether to retry, possibly with a new path.
    virtual int PromptForFile(int iRecord, COLEDBException* pException, CString& strPath);
    virtual CString GetFileName();
    virtual void SetFileName() = 0;
    virtual int ReportOpenFailure() = 0;
    virtual void SetNewDatabase(int bNew);

    // Runs one statement without a rowset; throws a COLEDBException (LastError set) when it fails.
    void ExecuteSQL(const char* pszSQL, HWND hOwner);
    // Appends this database's connection data when pSession is its session.
    void GetInfoText(CSession* pSession, CString& strText);
    bool IsOpen() const { return m_session.m_spOpenRowset != NULL; }
    // A second connection to the open file, for work that must not share the main session's transactions.
    HRESULT OpenOwnSession(CSession& session);
    // Puts everything committed on this database on the disk; the provider otherwise writes lazily, and a
    // power cut could take back what was committed. Failures are reported, not thrown.
    HRESULT Flush();

    CSession m_session;
    CRegistry* m_pOwner;
    CString m_strDataSource;
    CString m_strLastError;
    CString m_strPassword;
    CString m_strUserID;
    CString m_strProvider;
    CString m_strProgID;

private:
    void FindProvider();
    // Asks whether to fetch the missing provider and, on Yes, hands the request to the update component.
    bool AskToInstallProvider();
    bool OpenDataSource(const CString& strPath, CDataSource& dataSource);
    // Offers every error record to PromptForFile; true when one asks for another attempt.
    bool AskForRetry(COLEDBException& exception, CString& strPath);
};

// The three database objects; each constructor sets its own pointer.
extern CDatabaseSession* g_pDatabaseLocal;
extern CDatabaseSession* g_pDatabaseOrb;
extern CDatabaseSession* g_pDatabaseAccounts;

// The local, central or accounts database whose session member is pSession (tested in that order).
CDatabaseSession* FindDatabaseBySession(CSession* pSession);
// The session an Accounts or Options table works on: the accounts database's while the use-my-database
// switch is on and that database exists, else the given one.
CSession* AccountsSessionFor(CSession* pSession);

// Seams of the open for what a test cannot click or install.
// The update component client that fetches a missing provider; the mail client installs its own at load.
typedef int (*ComponentInstaller)(const char* pszComponent, const char* pszFolderURL,
                                  const char* pszInstallDir);
ComponentInstaller SetComponentInstaller(ComponentInstaller pfnInstaller);
// Has the installer fetch a missing component; its answer, 0 when it was not installed.
int InstallComponent(const char* pszComponent, const char* pszFolderURL, const char* pszInstallDir);
