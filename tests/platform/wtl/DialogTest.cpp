// Dialogs modal and modeless, and the message loop's filters and idle handlers.
#include <atlapp.h>
#include <atlwin.h>

#include <gtest/gtest.h>

#include "tests/platform/wtl/SampleResource.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"

#include <string>
#include <vector>

extern CAppModule _Module;

namespace
{

class CDlgSample : public CDialogImpl<CDlgSample>
{
public:
    enum
    {
        IDD = IDD_SAMPLE_DIALOG
    };
    CString m_strName;
    bool m_bModeless = false;

    BEGIN_MSG_MAP(CDlgSample)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnCloseCmd)
        COMMAND_ID_HANDLER(IDCANCEL, OnCloseCmd)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM lParam, BOOL&)
    {
        SetDlgItemText(IDC_SAMPLE_NAME, (const char*)lParam);
        return TRUE;
    }
    LRESULT OnCloseCmd(WORD, WORD wID, HWND, BOOL&)
    {
        GetDlgItemText(IDC_SAMPLE_NAME, m_strName);
        if (m_bModeless)
            DestroyWindow();
        else
            EndDialog(wID);
        return 0;
    }
};

TEST(DialogTest, ModalDialogAnsweredByTheResponderReturnsTheButtonAndKeepsTheTypedText)
{
    CDlgSample dlg;
    INT_PTR nResult = 0;
    CUiThread ui(_Module);
    ui.Run([&] { nResult = dlg.DoModal(NULL, (LPARAM) "initial"); });

    HWND hWndDlg = CDialogResponder::FindDialog(ui.ThreadId(), "Sample Dialog");
    ASSERT_NE(hWndDlg, (HWND)NULL);
    EXPECT_EQ(CDialogResponder::ItemText(hWndDlg, IDC_SAMPLE_NAME), "initial");
    EXPECT_TRUE(CDialogResponder::SetField(hWndDlg, IDC_SAMPLE_NAME, "Ann Smith"));
    EXPECT_TRUE(CDialogResponder::Press(hWndDlg, IDOK));

    ASSERT_TRUE(ui.WaitForExit());
    EXPECT_EQ(nResult, IDOK);
    EXPECT_STREQ(dlg.m_strName, "Ann Smith");
    EXPECT_EQ(dlg.m_hWnd, (HWND)NULL);
}

TEST(DialogTest, ModalDialogCancelledReturnsCancel)
{
    CDlgSample dlg;
    INT_PTR nResult = 0;
    CUiThread ui(_Module);
    CDialogResponder responder(ui.ThreadId(),
                               [](HWND hWnd) { return CDialogResponder::Press(hWnd, IDCANCEL); });
    ui.Run([&] { nResult = dlg.DoModal(NULL, (LPARAM) ""); });
    ASSERT_TRUE(ui.WaitForExit());
    EXPECT_EQ(nResult, IDCANCEL);
    ASSERT_EQ(responder.Answered().size(), 1u);
    EXPECT_EQ(responder.Answered()[0].strCaption, "Sample Dialog");
}

// A modeless dialog needs IsDialogMessage in the loop for its keyboard; the filter puts it there.
class CModelessHost : public CMessageFilter
{
public:
    CDlgSample m_dlg;
    BOOL PreTranslateMessage(MSG* pMsg) override { return m_dlg.IsWindow() && m_dlg.IsDialogMessage(pMsg); }
};

TEST(DialogTest, ModelessDialogGetsDialogKeysThroughTheLoopsFilter)
{
    CModelessHost host;
    host.m_dlg.m_bModeless = true;
    CUiThread ui(_Module);
    HWND hWndDlg = ui.Start([&] {
        HWND hWnd = host.m_dlg.Create(NULL, (LPARAM) "modeless");
        _Module.GetMessageLoop()->AddMessageFilter(&host);
        ::ShowWindow(hWnd, SW_SHOW);
        return hWnd;
    });
    ASSERT_NE(hWndDlg, (HWND)NULL);

    // Escape pressed in the edit box becomes IDCANCEL only through IsDialogMessage.
    HWND hWndEdit = ::GetDlgItem(hWndDlg, IDC_SAMPLE_NAME);
    ::PostMessageA(hWndEdit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(hWndDlg); }));
    EXPECT_STREQ(host.m_dlg.m_strName, "modeless");
    ui.PostQuit();
    EXPECT_TRUE(ui.WaitForExit());
}

class COrderedFilter : public CMessageFilter, public CIdleHandler
{
public:
    COrderedFilter(std::vector<std::string>& log, const char* pszName, bool bEat)
        : m_log(log), m_pszName(pszName), m_bEat(bEat)
    {}
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message != WM_APP + 7)
            return FALSE;
        m_log.push_back(std::string("filter ") + m_pszName);
        return m_bEat;
    }
    BOOL OnIdle() override
    {
        m_nIdle++;
        return FALSE;
    }
    std::vector<std::string>& m_log;
    const char* m_pszName;
    bool m_bEat;
    volatile int m_nIdle = 0;
};

TEST(MessageLoopTest, LatestFilterSeesAMessageFirstAndCanEatItAndIdleHandlersRunWhenTheQueueEmpties)
{
    std::vector<std::string> log;
    COrderedFilter older(log, "older", false), newer(log, "newer", true);
    CUiThread ui(_Module);
    HWND hWnd = ui.Start([&] {
        CMessageLoop* pLoop = _Module.GetMessageLoop();
        pLoop->AddMessageFilter(&older);
        pLoop->AddMessageFilter(&newer);
        pLoop->AddIdleHandler(&older);
        return ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    });
    ASSERT_NE(hWnd, (HWND)NULL);
    EXPECT_TRUE(WaitFor([&] { return older.m_nIdle > 0; }));

    ::PostThreadMessageA(ui.ThreadId(), WM_APP + 7, 0, 0);
    int nIdleBefore = older.m_nIdle;
    ::PostThreadMessageA(ui.ThreadId(), WM_APP + 8, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return older.m_nIdle > nIdleBefore; }));
    ui.PostQuit();
    ASSERT_TRUE(ui.WaitForExit());
    EXPECT_EQ(log, (std::vector<std::string>{"filter newer"}));
}

} // namespace
