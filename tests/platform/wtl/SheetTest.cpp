// Property sheets (modal, without Apply, and as a wizard) and the common file and folder dialogs.
#include <atlapp.h>
#include <atldlgs.h>

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

const int IDC_BACK_BUTTON = 0x3023;
const int IDC_NEXT_BUTTON = 0x3024;
const int IDC_FINISH_BUTTON = 0x3025;
const int IDC_APPLY_BUTTON = 0x3021;

struct PageLog
{
    std::vector<int> activated;
    int nApplied = 0;
    int nKillActive = 0;
    bool bFinished = false;
};

template <WORD t_wIDD>
class CSamplePage : public CPropertyPageImpl<CSamplePage<t_wIDD>>
{
public:
    enum
    {
        IDD = t_wIDD
    };
    CSamplePage(PageLog& log, int nIndex, int nCount) : m_log(log), m_nIndex(nIndex), m_nCount(nCount) {}

    BEGIN_MSG_MAP(CSamplePage)
        CHAIN_MSG_MAP(CPropertyPageImpl<CSamplePage<t_wIDD>>)
    END_MSG_MAP()

    int OnSetActive()
    {
        m_log.activated.push_back(m_nIndex);
        if (m_bWizard)
            this->SetWizardButtons((m_nIndex > 0 ? PSWIZB_BACK : 0) |
                                   (m_nIndex == m_nCount - 1 ? PSWIZB_FINISH : PSWIZB_NEXT));
        return 0;
    }
    BOOL OnKillActive()
    {
        m_log.nKillActive++;
        return m_bRefuseToLeave;
    }
    int OnApply()
    {
        m_log.nApplied++;
        return PSNRET_NOERROR;
    }
    INT_PTR OnWizardFinish()
    {
        m_log.bFinished = true;
        return FALSE;
    }

    PageLog& m_log;
    int m_nIndex;
    int m_nCount;
    bool m_bWizard = false;
    bool m_bRefuseToLeave = false;
};

class CSampleSheet : public CPropertySheetImpl<CSampleSheet>
{
public:
    CSampleSheet(PageLog& log, bool bWizard)
        : CPropertySheetImpl<CSampleSheet>("Sample Sheet"), m_page1(log, 0, 3), m_page2(log, 1, 3),
          m_page3(log, 2, 3)
    {
        m_psh.dwFlags |= PSH_NOAPPLYNOW;
        m_page1.m_bWizard = m_page2.m_bWizard = m_page3.m_bWizard = bWizard;
        if (bWizard)
        {
            SetWizardMode();
            SetWatermark(IDB_SAMPLE_WATERMARK);
        }
        AddPage(m_page1);
        AddPage(m_page2);
        AddPage(m_page3);
    }
    CSamplePage<IDD_SAMPLE_PAGE1> m_page1;
    CSamplePage<IDD_SAMPLE_PAGE2> m_page2;
    CSamplePage<IDD_SAMPLE_PAGE3> m_page3;
};

class SheetTest : public ::testing::Test
{
protected:
    // Runs the sheet modally on a UI thread and returns its window once shown.
    HWND RunSheet(bool bWizard)
    {
        m_pSheet.reset(new CSampleSheet(m_log, bWizard));
        m_ui.Run([this] { m_nResult = m_pSheet->DoModal(NULL); });
        return CDialogResponder::FindDialog(m_ui.ThreadId());
    }
    static void Press(HWND hWndSheet, int nButton) { ::PostMessageA(hWndSheet, PSM_PRESSBUTTON, nButton, 0); }
    static int ActiveIndex(HWND hWndSheet)
    {
        HWND hWndPage = (HWND)::SendMessageA(hWndSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
        return (int)::SendMessageA(hWndSheet, PSM_HWNDTOINDEX, (WPARAM)hWndPage, 0);
    }
    bool WaitForActivations(std::vector<int> expected)
    {
        return WaitFor([&] { return m_log.activated == expected; });
    }

    PageLog m_log;
    std::unique_ptr<CSampleSheet> m_pSheet;
    CUiThread m_ui{_Module};
    INT_PTR m_nResult = -2;
};

TEST_F(SheetTest, WizardStepsBackAndNextAndFinishesWithTheButtonsOfEachPage)
{
    HWND hWndSheet = RunSheet(true);
    ASSERT_NE(hWndSheet, (HWND)NULL);
    ASSERT_TRUE(WaitForActivations({0}));
    // The page sets the buttons after it has logged its activation.
    auto enabled = [&](int nID) { return ::IsWindowEnabled(::GetDlgItem(hWndSheet, nID)) != FALSE; };
    EXPECT_TRUE(WaitFor([&] { return !enabled(IDC_BACK_BUTTON) && enabled(IDC_NEXT_BUTTON); }));

    Press(hWndSheet, PSBTN_NEXT);
    ASSERT_TRUE(WaitForActivations({0, 1}));
    EXPECT_TRUE(WaitFor([&] { return enabled(IDC_BACK_BUTTON); }));
    Press(hWndSheet, PSBTN_BACK);
    ASSERT_TRUE(WaitForActivations({0, 1, 0}));
    Press(hWndSheet, PSBTN_NEXT);
    Press(hWndSheet, PSBTN_NEXT);
    ASSERT_TRUE(WaitForActivations({0, 1, 0, 1, 2}));
    EXPECT_TRUE(
        WaitFor([&] { return ::IsWindowVisible(::GetDlgItem(hWndSheet, IDC_FINISH_BUTTON)) != FALSE; }));

    Press(hWndSheet, PSBTN_FINISH);
    ASSERT_TRUE(m_ui.WaitForExit());
    EXPECT_TRUE(m_log.bFinished);
    EXPECT_GT(m_nResult, 0);
}

TEST_F(SheetTest, WizardCancelledReturnsZero)
{
    HWND hWndSheet = RunSheet(true);
    ASSERT_NE(hWndSheet, (HWND)NULL);
    ASSERT_TRUE(WaitForActivations({0}));
    Press(hWndSheet, PSBTN_CANCEL);
    ASSERT_TRUE(m_ui.WaitForExit());
    EXPECT_EQ(m_nResult, 0);
    EXPECT_FALSE(m_log.bFinished);
}

TEST_F(SheetTest, PageThatRefusesToBeLeftKeepsTheSheetOnIt)
{
    m_pSheet.reset();
    HWND hWndSheet = RunSheet(false);
    ASSERT_NE(hWndSheet, (HWND)NULL);
    ASSERT_TRUE(WaitForActivations({0}));
    m_ui.Invoke([this] { m_pSheet->m_page1.m_bRefuseToLeave = true; });
    ::PostMessageA(hWndSheet, PSM_SETCURSEL, 1, 0);
    ASSERT_TRUE(WaitFor([&] { return m_log.nKillActive == 1; }));
    EXPECT_EQ(ActiveIndex(hWndSheet), 0);

    m_ui.Invoke([this] { m_pSheet->m_page1.m_bRefuseToLeave = false; });
    ::PostMessageA(hWndSheet, PSM_SETCURSEL, 1, 0);
    ASSERT_TRUE(WaitForActivations({0, 1}));
    Press(hWndSheet, PSBTN_CANCEL);
    ASSERT_TRUE(m_ui.WaitForExit());
}

TEST_F(SheetTest, SheetWithoutApplyAppliesEveryVisitedPageOnOk)
{
    HWND hWndSheet = RunSheet(false);
    ASSERT_NE(hWndSheet, (HWND)NULL);
    EXPECT_EQ(WindowText(hWndSheet), "Sample Sheet");
    HWND hWndApply = ::GetDlgItem(hWndSheet, IDC_APPLY_BUTTON);
    EXPECT_TRUE(hWndApply == NULL || !::IsWindowVisible(hWndApply));

    ::PostMessageA(hWndSheet, PSM_SETCURSEL, 1, 0);
    ASSERT_TRUE(WaitForActivations({0, 1}));
    Press(hWndSheet, PSBTN_OK);
    ASSERT_TRUE(m_ui.WaitForExit());
    // The third page was never shown, so it was never created and has nothing to apply.
    EXPECT_EQ(m_log.nApplied, 2);
    EXPECT_GT(m_nResult, 0);
}

// ---------------------------------------------------------------------------------------------------------

std::string MakeTempFolder(const char* pszName)
{
    char szTemp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, szTemp);
    std::string folder = std::string(szTemp) + pszName;
    ::CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

class CAttachDialog : public CFileDialogImpl<CAttachDialog>
{
public:
    CAttachDialog()
        : CFileDialogImpl<CAttachDialog>(TRUE, "*.*", NULL, OFN_HIDEREADONLY, "All Files (*.*)\0*.*\0")
    {
        m_ofn.lpstrTitle = "Insert Attachment";
    }
    void OnInitDone(LPOFNOTIFYA) { SetControlText(IDOK, "&Attach"); }
    BOOL OnFileOK(LPOFNOTIFYA)
    {
        m_nFileOK++;
        return TRUE;
    }
    int m_nFileOK = 0;
};

TEST(FileDialogTest, DialogAnsweredWithAFileNameReturnsItsFullPathAndSeesItsNotifications)
{
    std::string folder = MakeTempFolder("wtl-file-dialog");
    CAttachDialog dlg;
    dlg.m_ofn.lpstrInitialDir = folder.c_str();
    INT_PTR nResult = 0;
    CUiThread ui(_Module);
    ui.Run([&] { nResult = dlg.DoModal(NULL); });

    HWND hWndDlg = CDialogResponder::FindDialog(ui.ThreadId(), "Insert Attachment");
    ASSERT_NE(hWndDlg, (HWND)NULL);
    EXPECT_TRUE(WaitFor([&] { return CDialogResponder::ItemText(hWndDlg, IDOK) == "&Attach"; }));
    const int nFileNameBox = 0x47C; // the explorer dialog's file name box
    ASSERT_TRUE(CDialogResponder::SetField(hWndDlg, nFileNameBox, "note.txt"));
    CDialogResponder::Press(hWndDlg, IDOK);
    ASSERT_TRUE(ui.WaitForExit());

    EXPECT_EQ(nResult, IDOK);
    EXPECT_EQ(dlg.m_nFileOK, 1);
    EXPECT_EQ(lstrcmpiA(dlg.m_szFileName, (folder + "\\note.txt").c_str()), 0) << dlg.m_szFileName;
}

// The text of the tree item the dialog has selected; empty while there is none.
std::string SelectedTreeItemText(HWND hWndTree)
{
    char szText[MAX_PATH] = "";
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = (HTREEITEM)::SendMessageA(hWndTree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    item.pszText = szText;
    item.cchTextMax = MAX_PATH;
    if (item.hItem == NULL || !::SendMessageA(hWndTree, TVM_GETITEMA, 0, (LPARAM)&item))
        return std::string();
    return szText;
}

TEST(FolderDialogTest, DialogConfirmedReturnsTheFolderItStartedIn)
{
    // A folder of our own straight under the drive, away from the system's temp folder that Wine and other
    // programs write into. Not under the user's profile: this Wine's folder tree does not reach into it
    // from a path.
    std::string folder = "C:\\wtl-folder-dialog";
    ::CreateDirectoryA(folder.c_str(), NULL);
    CFolderDialog dlg(NULL, "Choose the store folder");
    dlg.SetInitialFolder(folder.c_str());
    INT_PTR nResult = 0;
    CUiThread ui(_Module);
    ui.Run([&] {
        ::OleInitialize(NULL);
        nResult = dlg.DoModal(NULL);
        ::OleUninitialize();
    });
    HWND hWndDlg = CDialogResponder::FindDialog(ui.ThreadId());
    ASSERT_NE(hWndDlg, (HWND)NULL);
    HWND hWndTree = FindChildByClass(hWndDlg, WC_TREEVIEWA);
    ASSERT_NE(hWndTree, (HWND)NULL);
    // OK is enabled by any file-system folder selected: wait for the one the dialog was started in.
    EXPECT_TRUE(WaitFor([&] {
        return SelectedTreeItemText(hWndTree) == "wtl-folder-dialog" &&
               ::IsWindowEnabled(::GetDlgItem(hWndDlg, IDOK));
    })) << "selected: " << SelectedTreeItemText(hWndTree);
    CDialogResponder::Press(hWndDlg, IDOK);
    ASSERT_TRUE(ui.WaitForExit());
    EXPECT_EQ(nResult, IDOK);
    EXPECT_EQ(lstrcmpiA(dlg.GetFolderPath(), folder.c_str()), 0) << dlg.GetFolderPath();
}

TEST(FolderDialogTest, DialogCancelledReturnsCancelAndNoFolder)
{
    CFolderDialog dlg(NULL, "Choose the store folder");
    INT_PTR nResult = 0;
    CUiThread ui(_Module);
    CDialogResponder responder(ui.ThreadId(),
                               [](HWND hWnd) { return CDialogResponder::Press(hWnd, IDCANCEL); });
    ui.Run([&] { nResult = dlg.DoModal(NULL); });
    ASSERT_TRUE(ui.WaitForExit());
    EXPECT_EQ(nResult, IDCANCEL);
    EXPECT_STREQ(dlg.GetFolderPath(), "");
}

} // namespace
