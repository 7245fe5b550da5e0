// Tests of the dialog field checks and contextual help on a real dialog.
#include <atlapp.h>
#include <atlwin.h>

#include <string.h>

#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/ContextualHelp.h"
#include "foundation/DlgFields.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Shell.h"
#include "tests/foundation/services/DialogServicesResource.h"
#include "tests/foundation/services/FakeHtmlHelp.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"

CAppModule _Module;

namespace
{
// Bounded waits, generous because every test program of the build runs at once.
const DWORD kPatienceMs = 30000;
const UINT kDisplayTextPopup = 14;

class CNameHelp : public CContextualHelp
{
public:
    CString GetHelpText(int nIdControl) override
    {
        if (nIdControl == IDC_NAME)
            return "Type the name.";
        return CContextualHelp::GetHelpText(nIdControl);
    }
};

class CDlgFieldCheck : public CDialogImpl<CDlgFieldCheck>
{
public:
    enum
    {
        IDD = IDD_FIELD_CHECK
    };

    BEGIN_MSG_MAP(CDlgFieldCheck)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_NEXTDLGCTL, OnNextDlgCtl)
    COMMAND_ID_HANDLER(IDOK, OnOK)
    COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    CHAIN_MSG_MAP_MEMBER(m_help)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        HWND hCombo = GetDlgItem(IDC_COMPANY);
        int nIndex = (int)::SendMessageA(hCombo, CB_ADDSTRING, 0, (LPARAM) "Vorn");
        ::SendMessageA(hCombo, CB_SETITEMDATA, nIndex, 4711);
        return TRUE;
    }

    // Where a complaint put the focus; read here because another program's window may hold the real focus.
    LRESULT OnNextDlgCtl(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
    {
        if (lParam)
            m_hWndFocused = (HWND)wParam;
        bHandled = FALSE;
        return 0;
    }

    // The name is required and held in 101 characters; a company is required unless "Individual" is set.
    LRESULT OnOK(WORD, WORD, HWND, BOOL&)
    {
        CDlgFields fields(this);
        char szName[101];
        if (!fields.GetText(IDC_NAME, szName, sizeof(szName), IDC_NAME_LABEL, TRUE))
            return 0;
        DWORD_PTR dwCompany = 0;
        if (!fields.GetComboData(dwCompany, IDC_COMPANY, IDC_COMPANY_LABEL,
                                 !fields.IsChecked(IDC_INDIVIDUAL)))
            return 0;
        m_strName = szName;
        m_dwCompany = dwCompany;
        EndDialog(IDOK);
        return 0;
    }

    LRESULT OnCancel(WORD, WORD, HWND, BOOL&)
    {
        EndDialog(IDCANCEL);
        return 0;
    }

    CNameHelp m_help;
    CString m_strName;
    DWORD_PTR m_dwCompany = 0;
    HWND m_hWndFocused = NULL;
};

// What AppMessageBox would have shown; the complaint boxes themselves are the message box layer's business.
std::mutex g_complaintLock;
std::vector<std::string> g_complaints;

int RecordComplaint(const char* pszText, const char*, UINT, HWND)
{
    std::lock_guard<std::mutex> guard(g_complaintLock);
    g_complaints.push_back(pszText);
    return IDOK;
}

// Runs the dialog modally on a UI thread of its own; its complaints are recorded instead of shown.
class DialogServicesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        {
            std::lock_guard<std::mutex> guard(g_complaintLock);
            g_complaints.clear();
        }
        m_pfnOldHook = SetAppMessageBoxHook(RecordComplaint);
        m_ui.reset(new CUiThread(_Module));
        m_ui->Run([this] { m_nResult = m_dlg.DoModal(NULL); });
        m_hDlg = CDialogResponder::FindDialog(m_ui->ThreadId(), "Field Check", kPatienceMs);
        ASSERT_TRUE(m_hDlg != NULL);
    }

    void TearDown() override
    {
        if (::IsWindow(m_hDlg))
            CDialogResponder::Press(m_hDlg, IDCANCEL);
        EXPECT_TRUE(m_ui->WaitForExit(kPatienceMs));
        m_ui.reset();
        SetAppMessageBoxHook(m_pfnOldHook);
    }

    std::vector<std::string> Complaints() const
    {
        std::lock_guard<std::mutex> guard(g_complaintLock);
        return g_complaints;
    }

    // Presses OK and waits until the dialog either closed or complained once more.
    void PressOk()
    {
        size_t nBefore = Complaints().size();
        ASSERT_TRUE(CDialogResponder::Press(m_hDlg, IDOK));
        ASSERT_TRUE(
            WaitFor([&] { return !::IsWindow(m_hDlg) || Complaints().size() > nBefore; }, kPatienceMs));
    }

    std::string LastComplaint() const
    {
        std::vector<std::string> complaints = Complaints();
        return complaints.empty() ? std::string() : complaints.back();
    }

    void SetName(const std::string& strName)
    {
        ASSERT_TRUE(::IsWindow(m_hDlg));
        EXPECT_TRUE(CDialogResponder::SetField(m_hDlg, IDC_NAME, strName.c_str()));
        EXPECT_EQ(strName, CDialogResponder::ItemText(m_hDlg, IDC_NAME));
    }

    // The control a complaint put the focus on, read on the dialog's thread.
    HWND FocusedByComplaint()
    {
        HWND hFocused = NULL;
        m_ui->Invoke([&] { hFocused = m_dlg.m_hWndFocused; }, kPatienceMs);
        return hFocused;
    }

    CDlgFieldCheck m_dlg;
    INT_PTR m_nResult = 0;
    std::unique_ptr<CUiThread> m_ui;
    HWND m_hDlg = NULL;
    AppMessageBoxHook m_pfnOldHook = NULL;
};
} // namespace

TEST_F(DialogServicesTest, GetTextRefusesAFieldThatFillsItsBufferAndAcceptsOneCharacterLess)
{
    SetName(std::string(100, 'n'));
    CDialogResponder::SetCheck(m_hDlg, IDC_INDIVIDUAL, true);
    PressOk();
    ASSERT_TRUE(::IsWindow(m_hDlg));
    EXPECT_EQ("Field\nName:\ntoo large. Maximum char count: 99", LastComplaint());
    EXPECT_EQ(::GetDlgItem(m_hDlg, IDC_NAME), FocusedByComplaint());

    std::string strName(99, 'n');
    SetName(strName);
    PressOk();
    ASSERT_TRUE(m_ui->WaitForExit(kPatienceMs));
    EXPECT_EQ(IDOK, m_nResult);
    EXPECT_EQ(strName, (const char*)m_dlg.m_strName);
    EXPECT_EQ(1u, Complaints().size());
}

TEST_F(DialogServicesTest, EmptyRequiredFieldsAndMissingChoicesAreRefusedOnTheField)
{
    PressOk();
    EXPECT_EQ("Field\nName:\nis empty.", LastComplaint());
    EXPECT_EQ(::GetDlgItem(m_hDlg, IDC_NAME), FocusedByComplaint());

    SetName("Ann");
    PressOk();
    EXPECT_EQ("Choice a\nCompany:\nplease.", LastComplaint());
    EXPECT_EQ(::GetDlgItem(m_hDlg, IDC_COMPANY), FocusedByComplaint());

    ::SendMessageA(::GetDlgItem(m_hDlg, IDC_COMPANY), CB_SETCURSEL, 0, 0);
    PressOk();
    ASSERT_TRUE(m_ui->WaitForExit(kPatienceMs));
    EXPECT_EQ(IDOK, m_nResult);
    EXPECT_EQ(4711u, m_dlg.m_dwCompany);
    EXPECT_EQ(2u, Complaints().size());
}

namespace
{
// Stands for a property sheet: shows the page that a complaint is about.
class CPageHost : public CWindowImpl<CPageHost>
{
public:
    DECLARE_WND_CLASS("OrbTestPageHost")

    BEGIN_MSG_MAP(CPageHost)
    COMMAND_ID_HANDLER(ID_SHOW_WINDOW, OnShowWindow)
    END_MSG_MAP()

    LRESULT OnShowWindow(WORD, WORD, HWND hWndPage, BOOL&)
    {
        m_hWndShown = hWndPage;
        ::ShowWindow(hWndPage, SW_SHOW);
        return 0;
    }

    HWND m_hWndShown = NULL;
};
} // namespace

TEST(DialogFieldComplaints, AComplaintOnAHiddenPageAsksItsSheetToShowItFirst)
{
    {
        std::lock_guard<std::mutex> guard(g_complaintLock);
        g_complaints.clear();
    }
    AppMessageBoxHook pfnOldHook = SetAppMessageBoxHook(RecordComplaint);
    CPageHost host;
    CDlgFieldCheck page;
    bool bVisibleWhenAsked = true;
    CUiThread ui(_Module);
    ASSERT_TRUE(ui.Start(
                    [&]
                    {
                        host.Create(NULL, CWindow::rcDefault, "Sheet", WS_OVERLAPPEDWINDOW);
                        page.Create(host.m_hWnd);
                        return page.m_hWnd;
                    }) != NULL);
    ASSERT_TRUE(ui.Invoke(
        [&]
        {
            bVisibleWhenAsked = ::IsWindowVisible(page.m_hWnd) != 0;
            CDlgFields(&page).ShowError(IDC_NAME, 173, IDC_NAME_LABEL, 0);
        },
        kPatienceMs));
    EXPECT_FALSE(bVisibleWhenAsked);
    EXPECT_EQ(page.m_hWnd, host.m_hWndShown);
    EXPECT_TRUE(::IsWindowVisible(page.m_hWnd));
    EXPECT_EQ(::GetDlgItem(page.m_hWnd, IDC_NAME), page.m_hWndFocused);
    {
        std::lock_guard<std::mutex> guard(g_complaintLock);
        ASSERT_EQ(1u, g_complaints.size());
        EXPECT_EQ("Field\nName:\nis empty.", g_complaints[0]);
    }
    ui.Invoke(
        [&]
        {
            page.DestroyWindow();
            host.DestroyWindow();
        },
        kPatienceMs);
    ui.PostQuit();
    EXPECT_TRUE(ui.WaitForExit(kPatienceMs));
    SetAppMessageBoxHook(pfnOldHook);
}

namespace
{
HMODULE LoadFakeHtmlHelp(const char*)
{
    return ::LoadLibraryA("fake_hhctrl.dll");
}

const FakeHtmlHelpCall* LastCall()
{
    HMODULE hFake = ::GetModuleHandleA("fake_hhctrl.dll");
    if (hFake == NULL)
        return NULL;
    LastHtmlHelpCallProc pfn =
        reinterpret_cast<LastHtmlHelpCallProc>(::GetProcAddress(hFake, "LastHtmlHelpCall"));
    return pfn != NULL ? pfn() : NULL;
}

HELPINFO HelpOn(HWND hDlg, int nId, int x, int y)
{
    HELPINFO info;
    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = nId;
    info.hItemHandle = ::GetDlgItem(hDlg, nId);
    info.MousePos.x = x;
    info.MousePos.y = y;
    return info;
}
} // namespace

TEST_F(DialogServicesTest, HelpOnAControlShowsItsTextAsAPopupAtTheMouse)
{
    SetHtmlHelpLoader(LoadFakeHtmlHelp);
    struct Case
    {
        int nId;
        const char* pszText;
    };
    const Case cases[] = {
        {IDOK, "Closes the dialog box and saves any changes you have made."},
        {IDCANCEL, "Closes the dialog box without saving any changes you have made."},
        {IDC_INDIVIDUAL, "There is no help topic for this element"},
        {IDC_NAME, "Type the name."},
    };
    int nX = 100;
    for (const Case& c : cases)
    {
        HELPINFO info = HelpOn(m_hDlg, c.nId, nX, 77);
        EXPECT_TRUE(::SendMessageA(m_hDlg, WM_HELP, 0, (LPARAM)&info)) << c.nId;
        const FakeHtmlHelpCall* pCall = LastCall();
        ASSERT_TRUE(pCall != NULL);
        EXPECT_EQ(kDisplayTextPopup, pCall->uCommand);
        EXPECT_STREQ(c.pszText, pCall->szText);
        EXPECT_EQ(nX, pCall->pt.x);
        EXPECT_EQ(77, pCall->pt.y);
        EXPECT_EQ(NULL, pCall->hWndCaller);
        EXPECT_FALSE(pCall->bFile);
        EXPECT_EQ((COLORREF)-1, pCall->clrForeground);
        EXPECT_EQ((COLORREF)-1, pCall->clrBackground);
        EXPECT_EQ(-1, pCall->rcMargins.left);
        EXPECT_EQ(-1, pCall->rcMargins.bottom);
        EXPECT_FALSE(pCall->bFont);
        nX += 10;
    }

    // Help on a menu item is not ours to answer.
    int nCalls = LastCall()->nCalls;
    HELPINFO menuInfo = HelpOn(m_hDlg, IDOK, 1, 1);
    menuInfo.iContextType = HELPINFO_MENUITEM;
    EXPECT_FALSE(::SendMessageA(m_hDlg, WM_HELP, 0, (LPARAM)&menuInfo));
    EXPECT_EQ(nCalls, LastCall()->nCalls);
    SetHtmlHelpLoader(NULL);
}
