// The OLE DB session holder that every database object derives from.
#include "store/DatabaseSession.h"

#include <memory>

#include <msjetoledb.h>

#include "app/SplashWnd.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/TraceFile.h"
#include "store/DatabaseDialogs.h"
#include "store/OLEDBException.h"
#include "store/StoreTexts.h"
#include "store/TextException.h"

CDatabaseSession* g_pDatabaseLocal = NULL;
CDatabaseSession* g_pDatabaseOrb = NULL;
CDatabaseSession* g_pDatabaseAccounts = NULL;

namespace
{
// Each retry follows an answer of the user or a file just created; this only stops a loop that makes no
// progress, such as a created file that still does not open.
const int kMaxOpenAttempts = 10;

const DWORD kJetFileNotFound = 5003024;
const DWORD kJetDiskIO = 5003043;
const DWORD kJetInvalidPath = 5003044;
const DWORD kJetFileLocked = 5003051;

// Without the mail client's update client nothing can be fetched.
int DefaultInstaller(const char*, const char*, const char*)
{
    return 0;
}

ComponentInstaller s_pfnInstaller = DefaultInstaller;
} // namespace

ComponentInstaller SetComponentInstaller(ComponentInstaller pfnInstaller)
{
    ComponentInstaller pfnOld = s_pfnInstaller;
    s_pfnInstaller = pfnInstaller != NULL ? pfnInstaller : DefaultInstaller;
    return pfnOld;
}

int InstallComponent(const char* pszComponent, const char* pszFolderURL, const char* pszInstallDir)
{
    return s_pfnInstaller(pszComponent, pszFolderURL, pszInstallDir);
}

CDatabaseSession* FindDatabaseBySession(CSession* pSession)
{
    CDatabaseSession* databases[] = {g_pDatabaseLocal, g_pDatabaseOrb, g_pDatabaseAccounts};
    for (CDatabaseSession* pDatabase : databases)
    {
        if (pDatabase != NULL && pSession == &pDatabase->m_session)
            return pDatabase;
    }
    return NULL;
}

CSession* AccountsSessionFor(CSession* pSession)
{
    if (g_bUseMyDatabase && g_pDatabaseAccounts != NULL)
        return &g_pDatabaseAccounts->m_session;
    return pSession;
}

CDatabaseSession::CDatabaseSession(CRegistry* pOwner) : m_pOwner(pOwner) {}

HRESULT CDatabaseSession::Flush()
{
    if (!IsOpen())
        return E_UNEXPECTED;
    IJetFlush* pFlush = NULL;
    // A provider without the interface writes through at every commit.
    if (FAILED(m_session.m_spOpenRowset->QueryInterface(IID_IJetFlush, (void**)&pFlush)) || pFlush == NULL)
        return S_OK;
    HRESULT hr = pFlush->Flush();
    pFlush->Release();
    return hr;
}

CDatabaseSession::~CDatabaseSession()
{
    m_session.Close();
}

CString CDatabaseSession::GetFileName()
{
    return CString();
}

void CDatabaseSession::SetNewDatabase(int) {}

void CDatabaseSession::Open(const char* pszPath)
{
    CString strPath = pszPath != NULL ? CString(pszPath) : GetFileName();
    std::unique_ptr<CSplashWnd> pSplash(new CSplashWnd(GetKindName()));
    pSplash->Create();
    try
    {
        FindProvider();
        if (m_strProgID.IsEmpty())
            return; // the user asked for the provider to be installed
        m_strPassword.Empty();
        m_strProvider.Empty();
        m_strUserID = StoreText::kAdmin;
        CString strFailed =
            CString(StoreText::kOpenSessionFailed1) + GetKindName() + StoreText::kOpenSessionFailed2;
        for (int nAttempt = 1;; nAttempt++)
        {
            Close();
            CDataSource dataSource;
            if (!OpenDataSource(strPath, dataSource))
            {
                if (!ReportOpenFailure())
                    return;
                COLEDBException exception(dataSource.m_spInit, IID_IDBInitialize, strFailed, &m_session);
                if (nAttempt < kMaxOpenAttempts && AskForRetry(exception, strPath))
                    continue;
                exception.ShowDialog(NULL);
                m_strLastError = CString(StoreText::kOpenDatabaseFailed1) + GetKindName() +
                                 StoreText::kOpenDatabaseFailed2;
                throw new CException(m_strLastError);
            }
            if (FAILED(m_session.Open(dataSource)))
            {
                COLEDBException exception(dataSource.m_spInit, IID_IDBCreateSession, strFailed, &m_session);
                m_session.Close();
                if (nAttempt < kMaxOpenAttempts && AskForRetry(exception, strPath))
                    continue;
                exception.ShowDialog(NULL);
                m_strLastError = CString(StoreText::kOpenDatabaseFailed1) + GetKindName() +
                                 StoreText::kOpenDatabaseFailed2;
                throw StoreText::kUnhandledOpen;
            }
            break;
        }
        m_strDataSource = strPath;
        SetFileName();
        if (IsTraceOn())
            g_pTraceFile->WriteText(CString(StoreText::kTraceOpen) + strPath);
    }
    catch (COLEDBException*)
    {
        throw;
    }
    catch (CException*)
    {
        throw;
    }
    catch (const char*)
    {
        throw;
    }
    catch (...)
    {
        throw StoreText::kUnhandledOpen;
    }
}

// Leaves m_strProgID empty when the user chose to have the provider installed.
void CDatabaseSession::FindProvider()
{
    m_strProgID.Empty();
    CEnumerator enumerator;
    if (FAILED(enumerator.Open()))
    {
        if (AskToInstallProvider())
            return;
        throw new COLEDBException(NULL, IID_NULL, StoreText::kEnumeratorFailed, &m_session);
    }
    CString strList;
    while (enumerator.MoveNext() == S_OK)
    {
        CString strName(enumerator.m_szName);
        if (!strList.IsEmpty())
            strList += "\r\n";
        strList += strName;
        if (strName == StoreText::kJetProgID)
        {
            m_strProgID = strName;
            return;
        }
    }
    if (AskToInstallProvider())
        return;
    CString strText = CString(StoreText::kNotInstalled1) + StoreText::kJetProgID + StoreText::kNotInstalled2 +
                      strList + StoreText::kNotInstalled3 + StoreText::kJetProgID + ".";
    throw new COLEDBException(NULL, IID_NULL, strText, &m_session);
}

bool CDatabaseSession::AskToInstallProvider()
{
    CString strQuestion;
    strQuestion.Format(StoreText::kProviderQuestion, StoreText::kJetProgID);
    if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    CString strURL = m_pOwner != NULL ? m_pOwner->m_strUpdateUrl : CString();
    if (strURL.Right(1) != "/")
        strURL += "/";
    s_pfnInstaller(StoreText::kMdacComponent, strURL,
                   m_pOwner != NULL ? m_pOwner->GetDefaultInstallDirectory() : CString());
    return true;
}

HRESULT CDatabaseSession::OpenOwnSession(CSession& session)
{
    if (!IsOpen() || m_strDataSource.IsEmpty())
        return E_FAIL;
    CDBPropSet propSets[2] = {CDBPropSet(DBPROPSET_DBINIT), CDBPropSet(DBPROPSET_JETOLEDB_DBINIT)};
    propSets[0].AddProperty(DBPROP_INIT_DATASOURCE, (const char*)m_strDataSource);
    propSets[0].AddProperty(DBPROP_INIT_MODE, (long)DB_MODE_SHARE_DENY_NONE);
    propSets[1].AddProperty(DBPROP_JETOLEDB_DATABASEPASSWORD, (const char*)m_strPassword);
    CDataSource dataSource;
    HRESULT hr = dataSource.Open(m_strProgID.IsEmpty() ? "Microsoft.Jet.OLEDB.4.0" : (const char*)m_strProgID,
                                 propSets, 2);
    if (SUCCEEDED(hr))
        hr = session.Open(dataSource);
    return hr;
}

bool CDatabaseSession::OpenDataSource(const CString& strPath, CDataSource& dataSource)
{
    CDBPropSet propSets[2] = {CDBPropSet(DBPROPSET_DBINIT), CDBPropSet(DBPROPSET_JETOLEDB_DBINIT)};
    propSets[0].AddProperty(DBPROP_INIT_DATASOURCE, (const char*)strPath);
    propSets[0].AddProperty(DBPROP_INIT_MODE, (long)DB_MODE_SHARE_DENY_NONE);
    propSets[1].AddProperty(DBPROP_JETOLEDB_DATABASEPASSWORD, (const char*)m_strPassword);
    return SUCCEEDED(dataSource.Open((const char*)m_strProgID, propSets, 2));
}

bool CDatabaseSession::AskForRetry(COLEDBException& exception, CString& strPath)
{
    for (size_t i = 0; i < exception.m_records.size(); i++)
    {
        if (PromptForFile((int)i, &exception, strPath))
            return true;
    }
    return false;
}

int CDatabaseSession::PromptForFile(int iRecord, COLEDBException* pException, CString& strPath)
{
    const COLEDBException::CErrorRecord& record = pException->m_records[iRecord];
    const char* pszPrompt = NULL;
    if (record.strDescription == StoreText::kNotValidFileName)
        pszPrompt = StoreText::kLocalNotExists;
    else if (record.dwHelpContext == kJetFileNotFound)
    {
        if (FAILED(CreateDatabase(strPath)) &&
            DoDatabaseFileDialog(NULL, StoreText::kCreateBlankFailed, strPath) != IDOK)
            throw StoreText::kCanceledByUser;
        SetNewDatabase(1);
        return 1;
    }
    else if (record.dwHelpContext == kJetDiskIO || record.dwHelpContext == kJetInvalidPath ||
             record.dwHelpContext == kJetFileLocked)
        pszPrompt = record.strDescription;
    else
        return 0;
    if (DoDatabaseFileDialog(NULL, pszPrompt, strPath) != IDOK)
        throw StoreText::kCanceledByUser;
    return 1;
}

void CDatabaseSession::Close()
{
    if (!IsOpen())
        return;
    m_session.Close();
    if (IsTraceOn())
        g_pTraceFile->WriteText(CString(StoreText::kTraceClose) + GetFileName());
}

HRESULT CDatabaseSession::CreateDatabase(const char* pszPath)
{
    IDBInitialize* pInit = NULL;
    if (FAILED(OleDbCoCreateInstance(CLSID_JETOLEDB_4_00, NULL, CLSCTX_INPROC_SERVER, IID_IDBInitialize,
                                     (void**)&pInit)) ||
        pInit == NULL)
        return E_FAIL;
    IDBDataSourceAdmin* pAdmin = NULL;
    HRESULT hr = pInit->QueryInterface(IID_IDBDataSourceAdmin, (void**)&pAdmin);
    if (SUCCEEDED(hr) && pAdmin != NULL)
    {
        CDBPropSet propSet(DBPROPSET_DBINIT);
        propSet.AddProperty(DBPROP_INIT_DATASOURCE, pszPath);
        hr = pAdmin->CreateDataSource(1, &propSet, NULL, IID_NULL, NULL);
        pAdmin->Release();
    }
    pInit->Release();
    return hr;
}

void CDatabaseSession::ExecuteSQL(const char* pszSQL, HWND hOwner)
{
    CCommand<CNoAccessor, CNoRowset> command;
    if (FAILED(command.Open(m_session, pszSQL, NULL, NULL, DBGUID_DEFAULT, false)))
    {
        m_strLastError.Format(StoreText::kExecuteSqlFailed, pszSQL);
        throw new COLEDBException(command.m_spCommand, IID_ICommand, m_strLastError, &m_session, hOwner);
    }
}

void CDatabaseSession::GetInfoText(CSession* pSession, CString& strText)
{
    if (pSession != &m_session)
        return;
    strText += "\r\n\r\n" + GetKindName() + StoreText::kInfoHeader + m_strDataSource +
               "\r\nUserID: " + m_strUserID + "\r\nPassword: " + m_strPassword +
               "\r\nProvider: " + m_strProvider + "\r\nProgID: " + m_strProgID;
}
