// The accounts dialogs' test store, owner and UI thread.
#include "AccountsFixture.h"

#include <commctrl.h>

#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowReaders.h"
#include "ui/options/AccountWizard.h"
#include "ui/options/DlgInternetAccounts.h"

extern CAppModule _Module;

namespace
{
const char kSettingsApplication[] = "LetrovaAccountsTests";
const char kBoxCaption[] = "Vorn Email";
} // namespace

LRESULT CAccountsOwner::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    WORD wID = LOWORD(wParam);
    if ((wID != 33041 && wID != 33042) || lParam == 0)
    {
        bHandled = FALSE;
        return 0;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_commands.push_back(std::to_string(wID) + " " +
                         reinterpret_cast<CAccountsRecord*>(lParam)->m_szDisplayName);
    return 0;
}

std::vector<std::string> CAccountsOwner::Commands()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_commands;
}

CAccountsFixture::CAccountsFixture() : m_ui(_Module)
{
    m_nSaved[0] = g_bUseMyDatabase;
    m_nSaved[1] = g_bConnectToOrb;
    m_nSaved[2] = g_bPrivateContacts;
    g_bUseMyDatabase = 1;
    g_bConnectToOrb = 0;
    g_bPrivateContacts = 0;
    ::RegDeleteTreeA(HKEY_CURRENT_USER, CString("software\\Vorn\\") + kSettingsApplication);
    m_pRegistry.reset(new CRegistry(kSettingsApplication));
    m_pRegistry->m_strAccountsDatabase = m_folder.Path("Accounts.mdb");
    m_pRegistry->m_strLocalDatabase = m_folder.Path("email.mdb");
    m_pRegistry->m_strOrbDatabase = m_folder.Path("Orb.mdb");
    m_pDatabase.reset(new CDatabaseMy(m_pRegistry.get()));
    m_pDatabase->OpenAll();
    // Opening the Options table the way the client does creates Accounts and Options.
    m_pDatabase->m_Local.m_Options.Reset();
    m_pDatabase->m_Local.m_Options.CloseTable();
    m_pOwner.reset(new CAccountsOwner(m_pDatabase.get(), m_pRegistry.get(), m_mainThread.ThreadId()));
}

CAccountsFixture::~CAccountsFixture()
{
    m_ui.PostQuit();
    m_ui.WaitForExit();
    m_pDatabase.reset();
    g_bUseMyDatabase = m_nSaved[0];
    g_bConnectToOrb = m_nSaved[1];
    g_bPrivateContacts = m_nSaved[2];
}

CAccountsRecord CAccountsFixture::NewRecord()
{
    CAccountsRecord record;
    record.m_Flags = 6;
    record.m_RemoveAfter = 5;
    return record;
}

LONG CAccountsFixture::AddAccount(const char* pszName, BYTE nType, LONG nFlags, const char* pszPassword)
{
    ::AddAccount(NULL, &m_pDatabase->m_Local.m_session,
                 [&](CAccountsRecord& record)
                 {
                     lstrcpyA(record.m_szDisplayName, pszName);
                     lstrcpynA(record.m_szEmailAddress, (std::string(pszName) + "@example.org").c_str(),
                               sizeof(record.m_szEmailAddress));
                     lstrcpyA(record.m_szPOP3, "pop.example.org");
                     lstrcpyA(record.m_szSMTP, "smtp.example.org");
                     lstrcpyA(record.m_szAccountName, pszName);
                     record.m_IncomingServerType = nType;
                     record.m_Flags = nFlags;
                     record.SetPassword(pszPassword);
                     return 1;
                 });
    CString strSQL;
    strSQL.Format("SELECT MAX(ID) FROM Accounts WHERE DisplayName = '%s'", pszName);
    return Query(strSQL);
}

CAccountsRecord CAccountsFixture::ReadAccount(LONG nID)
{
    CAccountsTable table(&m_pDatabase->m_Local.m_session, NULL);
    table.m_ID = nID;
    table.Open(NULL, "Accounts", CString(CAccountsTable::DefaultSelect()) + " WHERE ID = ?");
    CAccountsRecord record;
    if (table.MoveFirst() == S_OK)
        record = table;
    table.CloseTable();
    return record;
}

HWND CAccountsFixture::OpenAccountsDialog()
{
    m_ui.Run(
        [this]
        {
            m_pOwner->Create(NULL, CWindow::rcDefault, "Owner", WS_OVERLAPPEDWINDOW);
            m_nResult = RunInternetAccountsDialog(m_pOwner->m_hWnd);
            m_pOwner->DestroyWindow();
        });
    return FindDialog("Internet Accounts");
}

HWND CAccountsFixture::OpenSheet(CAccountsRecord& record, int nMode)
{
    m_ui.Run(
        [this, &record, nMode]
        {
            CAccountWizard sheet(record, nMode);
            m_nResult = sheet.Run(NULL);
        });
    return FindDialog(nMode == CAccountWizard::MODE_WIZARD ? "Internet Connection Wizard"
                                                           : "Account Properties");
}

HWND CAccountsFixture::FindDialog(const char* pszCaption)
{
    return CDialogResponder::FindDialog(m_ui.ThreadId(), pszCaption);
}

std::string CAccountsFixture::AnswerBox(int nButton)
{
    HWND hBox = FindDialog(kBoxCaption);
    if (hBox == NULL)
        return "(no message box)";
    std::string strText = CDialogResponder::MessageBoxText(hBox);
    CDialogResponder::Press(hBox, nButton);
    WaitFor([&] { return !::IsWindow(hBox); });
    return strText;
}

void CAccountsFixture::Screenshot(HWND hWnd, const char* pszName)
{
    // A sheet's page is shown after the sheet says it is the current one.
    HWND hPage = ActivePage(hWnd);
    if (hPage != NULL)
        WaitFor([&] { return ::IsWindowVisible(hPage) != FALSE; });
    m_ui.Invoke(
        [hWnd] { ::RedrawWindow(hWnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); });
    SaveWindowScreenshot(hWnd, pszName);
}

HWND ActivePage(HWND hWndSheet)
{
    return (HWND)::SendMessageA(hWndSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
}

int ActiveIndex(HWND hWndSheet)
{
    return (int)::SendMessageA(hWndSheet, PSM_HWNDTOINDEX, (WPARAM)ActivePage(hWndSheet), 0);
}

bool ButtonShown(HWND hWndSheet, int nID)
{
    HWND hButton = ::GetDlgItem(hWndSheet, nID);
    return hButton != NULL && ::IsWindowVisible(hButton) && ::IsWindowEnabled(hButton);
}

std::string TitleStripText(HWND hWndSheet)
{
    HWND hStrip = FindChildByClass(hWndSheet, "OrbAccountTitleStrip");
    return hStrip != NULL ? WindowText(hStrip) : std::string("(no title strip)");
}
