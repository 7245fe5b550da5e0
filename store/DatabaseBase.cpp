// The database objects with their table members.
#include "store/DatabaseBase.h"

#include "foundation/ErrorUtil.h"
#include "foundation/TraceFile.h"
#include "store/DatabaseDialogs.h"
#include "store/OLEDBException.h"
#include "store/StoreTexts.h"

#include <cstring>

static const DWORD kJetFileNotFound = 5003024;

CDatabaseBase::CDatabaseBase(CRegistry* pOwner)
    : CDatabaseSession(pOwner), m_ContactName(&m_session), m_Contacts(&m_session), m_Contacts2(&m_session),
      m_Site(&m_session), m_Site2(&m_session), m_Accounts(&m_session, &m_Options), m_Folders(&m_session),
      m_Emails(&m_session), m_Options(&m_session)
{
    AddTable(&m_ContactName);
    AddTable(&m_Contacts);
    AddTable(&m_Contacts2);
    AddTable(&m_Site);
    AddTable(&m_Site2);
    AddTable(&m_Folders);
    AddTable(&m_Emails);
    AddTable(&m_Accounts);
    AddTable(&m_Options);
}

CDatabaseBase::~CDatabaseBase() {}

void CDatabaseBase::Open(const char* pszPath)
{
    CDatabaseSession::Open(pszPath);
    if (IsOpen())
        m_Options.Reset();
}

void CDatabaseBase::Close()
{
    if (!IsOpen())
        return;
    for (CTableLink* pTable : m_tables)
        pTable->CloseTable();
    CDatabaseSession::Close();
}

HRESULT CDatabaseBase::CreateDatabase(const char* pszPath)
{
    HRESULT hr = CDatabaseSession::CreateDatabase(pszPath);
    for (CTableLink* pTable : m_tables)
        pTable->m_bReady = 0;
    return hr;
}

void CDatabaseBase::OnGetTable(void*& pResult, const char* pszTableName, HWND hOwner)
{
    try
    {
        CString strName(pszTableName);
        if (strName == "ContactName, Site")
        {
            m_Contacts.OpenFiltered(hOwner);
            pResult = static_cast<CContactsTable*>(&m_Contacts);
        }
        else if (strName == "ContactName")
            pResult = &m_ContactName;
        else if (strName == "Site")
            pResult = &m_Site;
        else if (strName == "Accounts")
            pResult = &m_Accounts;
        else if (strName == "Folders")
            pResult = &m_Folders;
        else if (strName == "Emails")
            pResult = &m_Emails;
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        m_strLastError.Format(StoreText::kInfoText, pszText, (const char*)m_strPassword,
                              (const char*)m_strUserID, (const char*)m_strDataSource,
                              (const char*)m_strProvider, (const char*)m_strProgID);
        AppMessageBox(m_strLastError, MB_ICONSTOP);
    }
}

CDatabaseLocal::CDatabaseLocal(CRegistry* pOwner)
    : CDatabaseBase(pOwner), m_bNewDatabase(0), m_Folders2(&m_session), m_Folders3(&m_session),
      m_Rules(&m_session)
{
    AddTable(&m_Folders2);
    AddTable(&m_Folders3);
    AddTable(&m_Rules.m_Table);
    AddTable(&m_Rules.m_Table.m_Tables.m_Conditions);
    AddTable(&m_Rules.m_Table.m_Tables.m_Values);
    g_pDatabaseLocal = this;
}

CDatabaseLocal::~CDatabaseLocal()
{
    if (IsTraceOn())
        g_pTraceFile->WriteText(StoreText::kTraceDtorLocal);
    Close();
    if (g_pDatabaseLocal == this)
        g_pDatabaseLocal = NULL;
}

void CDatabaseLocal::Open(const char* pszPath)
{
    CDatabaseBase::Open(pszPath);
    if (!IsOpen())
        return;
    try
    {
        m_Rules.Load(NULL);
    }
    catch (COLEDBException* pException)
    {
        DebugTrace("%s\n", (const char*)pException->Summary());
        delete pException;
        m_Rules.RemoveAll();
    }
    catch (CException* pException)
    {
        DebugTrace("%s\n", (const char*)pException->m_strMessage);
        delete pException;
        m_Rules.RemoveAll();
    }
    catch (const char* pszText)
    {
        DebugTrace("%s\n", pszText);
        m_Rules.RemoveAll();
    }
}

CString CDatabaseLocal::GetKindName()
{
    return StoreText::kKindLocal;
}

CString CDatabaseLocal::GetFileName()
{
    return m_pOwner != NULL ? m_pOwner->m_strLocalDatabase : CString();
}

void CDatabaseLocal::SetFileName()
{
    if (m_pOwner == NULL)
        return;
    m_pOwner->m_strLocalDatabase = m_strDataSource;
    m_pOwner->WriteProfileString(StoreText::kOptionsSection, StoreText::kLocalFileValue, m_strDataSource);
}

CDatabaseOrb::CDatabaseOrb(CRegistry* pOwner) : CDatabaseBase(pOwner), m_History(&m_session)
{
    AddTable(&m_History);
    g_pDatabaseOrb = this;
}

CDatabaseOrb::~CDatabaseOrb()
{
    if (IsTraceOn())
        g_pTraceFile->WriteText(StoreText::kTraceDtorOrb);
    Close();
    if (g_pDatabaseOrb == this)
        g_pDatabaseOrb = NULL;
}

void CDatabaseOrb::Open(const char* pszPath)
{
    if (g_bPrivateContacts)
    {
        Close();
        return;
    }
    try
    {
        CDatabaseBase::Open(pszPath);
        if (IsOpen())
        {
            CSiteTable::Create(&m_session, NULL);
            CContactNameTable::Create(&m_session, NULL);
            CHistoryTable::CreateTable(&m_session, NULL);
        }
    }
    catch (const char* pszText)
    {
        // The user chose private contacts in the prompt: the central database is simply not used.
        if (strcmp(pszText, StoreText::kPrivateContacts) != 0)
            throw;
        Close();
    }
}

CString CDatabaseOrb::GetKindName()
{
    return StoreText::kKindOrb;
}

CString CDatabaseOrb::GetFileName()
{
    return m_pOwner != NULL ? m_pOwner->m_strOrbDatabase : CString();
}

void CDatabaseOrb::SetFileName()
{
    if (m_pOwner == NULL)
        return;
    m_pOwner->m_strOrbDatabase = m_strDataSource;
    m_pOwner->WriteProfileString(StoreText::kOptionsSection, StoreText::kOrbFileValue, m_strDataSource);
}

int CDatabaseOrb::ReportOpenFailure()
{
    return g_bConnectToOrb;
}

int CDatabaseOrb::PromptForFile(int iRecord, COLEDBException* pException, CString& strPath)
{
    if (g_bPrivateContacts)
        throw StoreText::kPrivateContacts;
    // A first start has no central database yet: make an empty one, as for the local database.
    if (pException->m_records[iRecord].dwHelpContext == kJetFileNotFound &&
        SUCCEEDED(CreateDatabase(strPath)))
        return 1;
    CString strPrompt =
        CString(StoreText::kOrbNotExists) + "\r\n" + pException->m_records[iRecord].strDescription;
    if (DoOrbDatabaseDialog(NULL, strPrompt, strPath) != IDOK)
        throw StoreText::kCanceledByUser;
    return 1;
}
