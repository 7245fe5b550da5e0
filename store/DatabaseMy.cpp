// The holder of the three databases.
#include "store/DatabaseMy.h"

#include "foundation/TraceFile.h"
#include "store/StoreTexts.h"

CDatabaseAccounts::CDatabaseAccounts(CRegistry* pOwner) : CDatabaseSession(pOwner)
{
    g_pDatabaseAccounts = this;
}

CDatabaseAccounts::~CDatabaseAccounts()
{
    Close();
    if (g_pDatabaseAccounts == this)
        g_pDatabaseAccounts = NULL;
}

void CDatabaseAccounts::Open(const char* pszPath)
{
    if (!g_bUseMyDatabase)
    {
        Close();
        return;
    }
    CDatabaseSession::Open(pszPath);
}

CString CDatabaseAccounts::GetKindName()
{
    return StoreText::kKindAccounts;
}

CString CDatabaseAccounts::GetFileName()
{
    return m_pOwner != NULL ? m_pOwner->GetAccountsDatabaseFileName(FALSE) : CString();
}

void CDatabaseAccounts::SetFileName()
{
    if (m_pOwner == NULL)
        return;
    m_pOwner->m_strAccountsDatabase = m_strDataSource;
    m_pOwner->WriteProfileString(StoreText::kOptionsSection, StoreText::kAccountsFileValue, m_strDataSource);
}

CDatabaseMy::CDatabaseMy(CRegistry* pOwner)
    : m_pOwner(pOwner), m_Accounts(pOwner), m_Local(pOwner), m_Orb(pOwner), m_bOpened(0)
{
}

CDatabaseMy::~CDatabaseMy()
{
    if (IsTraceOn())
        g_pTraceFile->WriteText(StoreText::kTraceDtorMy);
}

void CDatabaseMy::OpenAll()
{
    m_bOpened = 1;
    m_Accounts.Open(NULL);
    m_Local.Open(NULL);
    m_Orb.Open(NULL);
}
