// The Options sheet's test store, owner and threads.
#include "OptionsSheetFixture.h"

#include <commctrl.h>

#include "app/LetrovaGlobals.h"
#include "app/ThreadManager.h"
#include "foundation/ErrorUtil.h"
#include "foundation/WindowMessages.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/WindowReaders.h"
#include "ui/options/SheetOptions.h"

namespace
{
const char kSettingsApplication[] = "LetrovaOptionsSheetTests";

int RecordedBox(const char* pszText, const char*, UINT nStyle, HWND)
{
    std::lock_guard<std::mutex> lock(COptionsSheetFixture::s_boxLock);
    COptionsSheetFixture::s_boxes.push_back(pszText != NULL ? pszText : "");
    if (!COptionsSheetFixture::s_answers.empty())
    {
        int nAnswer = COptionsSheetFixture::s_answers.front();
        COptionsSheetFixture::s_answers.pop_front();
        return nAnswer;
    }
    return (nStyle & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}
} // namespace

std::mutex COptionsSheetFixture::s_boxLock;
std::vector<std::string> COptionsSheetFixture::s_boxes;
std::deque<int> COptionsSheetFixture::s_answers;

BOOL COptionsOwner::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                         DWORD)
{
    if (uMsg == LetrovaGethEventDlgProgress)
    {
        *reinterpret_cast<HANDLE*>(wParam) = m_hRunState;
        lResult = 1;
        return TRUE;
    }
    if (uMsg == WM_COMMAND)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_commands.push_back(LOWORD(wParam));
        lResult = 0;
        return TRUE;
    }
    return m_main.ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult);
}

std::vector<WORD> COptionsOwner::Commands()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_commands;
}

COptionsSheetFixture::COptionsSheetFixture() : m_ownerThread(_Module)
{
    m_nSaved[0] = g_bUseMyDatabase;
    m_nSaved[1] = g_bPrivateContacts;
    m_nSaved[2] = g_bConnectToOrb;
    m_nSaved[3] = g_nThreadCount;
    g_bUseMyDatabase = 1;
    g_bPrivateContacts = 0;
    g_bConnectToOrb = 1;
    g_nThreadCount = 1;
    {
        std::lock_guard<std::mutex> lock(s_boxLock);
        s_boxes.clear();
        s_answers.clear();
    }
    SetAppMessageBoxHook(RecordedBox);
    CString strSettings = CString("software\\Vorn\\") + kSettingsApplication;
    ::RegDeleteTreeA(HKEY_CURRENT_USER, strSettings);
    m_pRegistry.reset(new CRegistry(kSettingsApplication));
    const char* files[] = {"Accounts.mdb", "email.mdb", "Orb.mdb"};
    for (const char* pszFile : files)
        CreateDatabaseFile(m_folder.Path(pszFile));
    m_pRegistry->m_strAccountsDatabase = m_folder.Path("Accounts.mdb");
    m_pRegistry->m_strLocalDatabase = m_folder.Path("email.mdb");
    m_pRegistry->m_strOrbDatabase = m_folder.Path("Orb.mdb");
    m_pDatabase.reset(new CDatabaseMy(m_pRegistry.get()));
    m_pDatabase->OpenAll();
    m_pDatabase->m_Local.m_Folders.EnsureTable(NULL);

    m_pOwner.reset(new COptionsOwner(m_pDatabase.get(), m_pRegistry.get(), m_mainThread.ThreadId()));
    m_pOwner->m_hRunState = ::CreateEventA(NULL, TRUE, TRUE, NULL);
    m_ownerThread.Start([this]() -> HWND {
        RECT rc = {10, 10, 300, 200};
        return m_pOwner->Create(NULL, rc, "Options owner", WS_OVERLAPPEDWINDOW);
    });
}

COptionsSheetFixture::~COptionsSheetFixture()
{
    if (m_pSheetThread && !Closed())
        Cancel();
    m_pSheetThread.reset();
    m_ownerThread.Invoke([this]() {
        if (m_pOwner->IsWindow())
            m_pOwner->DestroyWindow();
    });
    m_ownerThread.PostQuit();
    m_ownerThread.WaitForExit();
    ::CloseHandle(m_pOwner->m_hRunState);
    m_pDatabase.reset();
    m_pRegistry.reset();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, CString("software\\Vorn\\") + kSettingsApplication);
    SetAppMessageBoxHook(NULL);
    g_bUseMyDatabase = m_nSaved[0];
    g_bPrivateContacts = m_nSaved[1];
    g_bConnectToOrb = m_nSaved[2];
    g_nThreadCount = m_nSaved[3];
}

HWND COptionsSheetFixture::Open(UINT nStartPage)
{
    m_pSheetThread.reset(new CUiThread(_Module));
    m_nResult = -2;
    HWND hWndOwner = m_pOwner->m_hWnd;
    m_pSheetThread->Run(
        [this, hWndOwner, nStartPage]() { m_nResult = RunOptionsSheet(hWndOwner, nStartPage); });
    m_hWndSheet = CDialogResponder::FindDialog(m_pSheetThread->ThreadId(), "Options");
    // The dialog is found while its first page may still initialise.
    if (m_hWndSheet != NULL && !m_pSheetThread->WaitUntilIdle())
        return NULL;
    return m_hWndSheet;
}

int COptionsSheetFixture::ActiveIndex()
{
    HWND hWndPage = (HWND)::SendMessageA(m_hWndSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    // While a page is being made the sheet may answer with no window, whose index is that of the first page
    // not made yet.
    if (hWndPage == NULL)
        return -1;
    return (int)::SendMessageA(m_hWndSheet, PSM_HWNDTOINDEX, (WPARAM)hWndPage, 0);
}

bool COptionsSheetFixture::StaysOn(int nPage)
{
    return WaitFor([&]() { return !Closed() && ActiveIndex() == nPage; });
}

HWND COptionsSheetFixture::ShowPage(int nIndex)
{
    // Sent, so that it returns once the page has been made and shown.
    ::SendMessageA(m_hWndSheet, PSM_SETCURSEL, nIndex, 0);
    if (ActiveIndex() != nIndex)
        return NULL;
    return (HWND)::SendMessageA(m_hWndSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
}

void COptionsSheetFixture::PressOk()
{
    size_t nBoxes = Boxes().size();
    CDialogResponder::Press(m_hWndSheet, IDOK);
    WaitFor([&]() { return Closed() || Boxes().size() > nBoxes; });
}

bool COptionsSheetFixture::Cancel()
{
    ::PostMessageA(m_hWndSheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    return m_pSheetThread->WaitForExit();
}

void COptionsSheetFixture::Click(HWND hWndPage, int nID, bool bChecked)
{
    HWND hItem = ::GetDlgItem(hWndPage, nID);
    ::SendMessageA(hItem, BM_SETCHECK, bChecked ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageA(hWndPage, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), (LPARAM)hItem);
}

void COptionsSheetFixture::Type(HWND hWndPage, int nID, const char* pszText)
{
    ::SetDlgItemTextA(hWndPage, nID, pszText);
}

std::vector<std::string> COptionsSheetFixture::Boxes()
{
    std::lock_guard<std::mutex> lock(s_boxLock);
    return s_boxes;
}

void COptionsSheetFixture::AnswerNext(int nAnswer)
{
    std::lock_guard<std::mutex> lock(s_boxLock);
    s_answers.push_back(nAnswer);
}

int COptionsSheetFixture::StoredInt(const char* pszName)
{
    // Read-only, so that the fresh object writes nothing back when it goes.
    int nSaved = g_bSettingsReadOnly;
    g_bSettingsReadOnly = 1;
    int nValue = CRegistry(kSettingsApplication).GetProfileInt("Options", pszName, -1);
    g_bSettingsReadOnly = nSaved;
    return nValue;
}

std::string COptionsSheetFixture::StoredText(const char* pszName)
{
    int nSaved = g_bSettingsReadOnly;
    g_bSettingsReadOnly = 1;
    std::string strValue =
        (const char*)CRegistry(kSettingsApplication).GetProfileString("Options", pszName, "<none>");
    g_bSettingsReadOnly = nSaved;
    return strValue;
}
