// The Save Attachments dialog: its list and buttons, the "Save To" checks, the replace question, copies
// that fail, and opening through the virus warning.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>

#include "AttachmentTestSupport.h"
#include "store/EmailsImpl.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/SeamRecorder.h"
#include "tests/support/WindowReaders.h"
#include "ui/main/DlgSaveAttachments.h"

namespace
{
const char kCaption[] = "Save Attachments";

class DlgSaveAttachmentsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pRegistry = TestSettings();
        m_pSavedRegistry = g_pRegistry;
        g_pRegistry = m_pRegistry.get();
        CDlgSaveAttachments::s_szLastFolder[0] = '\0';
    }
    void TearDown() override { g_pRegistry = m_pSavedRegistry; }

    // Runs the dialog on a message with these attachments; act drives it once it shows (on the responder's
    // thread) and returns when it is done with it.
    INT_PTR Run(const std::vector<std::string>& names, const std::function<void(HWND)>& act)
    {
        CEmailsImpl<> store(NULL);
        store.Clear();
        store.m_strMessage = MessageWithAttachments(names).c_str();
        CModalRun run([&]() { return CDlgSaveAttachments::Run(&store, NULL); });
        CDialogResponder responder(run.ThreadId(), [&](HWND hDlg) {
            if (WindowText(hDlg) != kCaption)
                return false;
            act(hDlg);
            return true;
        });
        EXPECT_TRUE(run.Wait());
        return run.m_nResult;
    }

    static bool Enabled(HWND hDlg, int nID) { return ::IsWindowEnabled(::GetDlgItem(hDlg, nID)) != FALSE; }
    static HWND List(HWND hDlg) { return ::GetDlgItem(hDlg, IDC_SAVE_ATTACHMENTS_LIST); }

    // Selects every row, sets "Save To" and presses Save; returns when the dialog has answered.
    void Save(HWND hDlg, const std::string& strFolder, size_t nBoxesBefore, bool bExpectBox)
    {
        CDialogResponder::Press(hDlg, IDC_SAVE_SELECT_ALL);
        WaitFor([&]() { return ListView_GetSelectedCount(List(hDlg)) > 0; });
        CDialogResponder::SetField(hDlg, IDC_SAVE_TO, strFolder.c_str());
        CDialogResponder::Press(hDlg, IDOK);
        if (bExpectBox)
            WaitFor([&]() { return m_user.m_boxes.size() > nBoxesBefore || !::IsWindow(hDlg); });
    }

    std::string Folder(const CScratchFolder& folder) const
    {
        return std::string(folder.m_strPath.Left(folder.m_strPath.GetLength() - 1));
    }

    CScriptedUser m_user;
    CScratchFolder m_target{"save-target"};
    std::unique_ptr<CRegistry> m_pRegistry;
    CRegistry* m_pSavedRegistry = NULL;
};

TEST_F(DlgSaveAttachmentsTest, AMessageWithoutAttachmentsLeavesSaveAndOpenDisabled)
{
    int nRows = -1;
    bool bSave = true, bOpen = true;
    INT_PTR nResult = Run({}, [&](HWND hDlg) {
        nRows = ListView_GetItemCount(List(hDlg));
        bSave = Enabled(hDlg, IDOK);
        bOpen = Enabled(hDlg, IDC_SAVE_OPEN);
        CDialogResponder::Press(hDlg, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_EQ(0, nRows);
    EXPECT_FALSE(bSave);
    EXPECT_FALSE(bOpen);
}

TEST_F(DlgSaveAttachmentsTest, TheListShowsTheFilesAndSaveAndOpenFollowTheSelection)
{
    std::vector<std::vector<std::string>> rows;
    bool bBefore = true, bAfter = false;
    strcpy(CDlgSaveAttachments::s_szLastFolder, "C:\\last folder");
    std::string strSaveTo;
    Run({"notes.txt", "report.doc"}, [&](HWND hDlg) {
        rows = ListViewItems(List(hDlg));
        strSaveTo = CDialogResponder::ItemText(hDlg, IDC_SAVE_TO);
        bBefore = Enabled(hDlg, IDOK) || Enabled(hDlg, IDC_SAVE_OPEN);
        CDialogResponder::Press(hDlg, IDC_SAVE_SELECT_ALL);
        // The dialog enables the two buttons one after the other.
        bAfter = WaitFor([&]() { return Enabled(hDlg, IDOK) && Enabled(hDlg, IDC_SAVE_OPEN); });
        SaveWindowScreenshot(hDlg, "save-attachments");
        CDialogResponder::Press(hDlg, IDCANCEL);
    });
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("notes.txt", rows[0][0]);
    EXPECT_EQ("report.doc", rows[1][0]);
    EXPECT_EQ("C:\\last folder", strSaveTo);
    EXPECT_FALSE(bBefore);
    EXPECT_TRUE(bAfter);
}

TEST_F(DlgSaveAttachmentsTest, SaveToTooLongOrEmptyIsRefusedAndTheDialogStays)
{
    struct Case
    {
        std::string strSaveTo;
        const char* pszBox;
    } cases[] = {{std::string(260, 'a'), "Path too long."},
                 {"", "Save to: field is empty."}};
    for (const Case& c : cases)
    {
        size_t nBoxes = m_user.m_boxes.size();
        bool bStillOpen = false;
        DWORD dwSelection = 0;
        INT_PTR nResult = Run({"a.txt"}, [&](HWND hDlg) {
            Save(hDlg, c.strSaveTo, nBoxes, true);
            bStillOpen = ::IsWindow(hDlg) && ::IsWindowVisible(hDlg);
            dwSelection = (DWORD)::SendDlgItemMessageA(hDlg, IDC_SAVE_TO, EM_GETSEL, 0, 0);
            CDialogResponder::Press(hDlg, IDCANCEL);
        });
        EXPECT_EQ(IDCANCEL, nResult) << c.pszBox;
        ASSERT_EQ(nBoxes + 1, m_user.m_boxes.size()) << c.pszBox;
        EXPECT_EQ(c.pszBox, m_user.m_boxes.back());
        EXPECT_TRUE(bStillOpen);
        // The text is selected for editing.
        EXPECT_EQ(0u, LOWORD(dwSelection)) << c.pszBox;
        EXPECT_EQ(std::min<size_t>(c.strSaveTo.size(), 260), HIWORD(dwSelection)) << c.pszBox;
    }
}

TEST_F(DlgSaveAttachmentsTest, NoToTheReplaceQuestionSkipsThatFileAndTheNextIsCopied)
{
    WriteWholeFile(m_target.Path("first.txt"), "old first");
    m_user.m_boxAnswers = {IDNO};
    INT_PTR nResult = Run({"first.txt", "second.txt"}, [&](HWND hDlg) { Save(hDlg, Folder(m_target), 0, false); });
    EXPECT_EQ(IDOK, nResult);
    ASSERT_EQ(1u, m_user.m_boxes.size());
    EXPECT_EQ("File '" + Folder(m_target) + "\\first.txt' is exists. Do you want to replace it?", m_user.m_boxes[0]);
    EXPECT_EQ("old first", ReadWholeFile(m_target.Path("first.txt")));
    EXPECT_EQ("content of second.txt", ReadWholeFile(m_target.Path("second.txt")));
    EXPECT_EQ(Folder(m_target), CDlgSaveAttachments::s_szLastFolder);

    // Yes replaces it.
    m_user.m_boxAnswers = {IDYES, IDYES};
    EXPECT_EQ(IDOK, Run({"first.txt"}, [&](HWND hDlg) { Save(hDlg, Folder(m_target), 1, false); }));
    EXPECT_EQ("content of first.txt", ReadWholeFile(m_target.Path("first.txt")));
}

TEST_F(DlgSaveAttachmentsTest, ACopyThatFailsIsNamedTheOthersAreCopiedAndTheDialogStays)
{
    bool bStillOpen = false;
    INT_PTR nResult = Run({"first.txt", "gone.txt", "third.txt"}, [&](HWND hDlg) {
        // The extracted file of the second row disappears before it is copied.
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = 1;
        ListView_GetItem(List(hDlg), &item);
        ::DeleteFileA(*reinterpret_cast<CString*>(item.lParam) + "\\gone.txt");
        Save(hDlg, Folder(m_target), 0, true);
        bStillOpen = ::IsWindowVisible(hDlg) != FALSE;
        CDialogResponder::Press(hDlg, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, nResult);
    EXPECT_TRUE(bStillOpen);
    ASSERT_EQ(1u, m_user.m_boxes.size());
    EXPECT_EQ("These files could not be saved:\r\n\r\ngone.txt", m_user.m_boxes[0]);
    EXPECT_EQ("content of first.txt", ReadWholeFile(m_target.Path("first.txt")));
    EXPECT_EQ("content of third.txt", ReadWholeFile(m_target.Path("third.txt")));
}

TEST_F(DlgSaveAttachmentsTest, SaveAndOpenWithNothingSelectedAskForASelection)
{
    Run({"a.txt"}, [&](HWND hDlg) {
        // The buttons are off without a selection; their commands still answer when they come.
        ::PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
        ::PostMessageA(hDlg, WM_COMMAND, IDC_SAVE_OPEN, 0);
        WaitFor([&]() { return m_user.m_boxes.size() >= 2; });
        CDialogResponder::Press(hDlg, IDCANCEL);
    });
    EXPECT_EQ((std::vector<std::string>{"Select an attachment please.", "Select an attachment please."}),
              m_user.m_boxes);
}

TEST_F(DlgSaveAttachmentsTest, OpenGoesThroughTheVirusWarningSettings)
{
    m_pRegistry->WriteProfileInt("Virus Warning", ".txt", 0);
    CSeamRecorder seams;
    Run({"a.txt"}, [&](HWND hDlg) {
        CDialogResponder::Press(hDlg, IDC_SAVE_SELECT_ALL);
        WaitFor([&]() { return Enabled(hDlg, IDC_SAVE_OPEN); });
        CDialogResponder::Press(hDlg, IDC_SAVE_OPEN);
        seams.WaitForCall("ShellExecuteFile");
        CDialogResponder::Press(hDlg, IDCANCEL);
    });
    ASSERT_EQ(1u, seams.Calls().size());
    EXPECT_NE(std::string::npos, seams.Calls()[0].strDetail.find("\\a.txt|(null)|"));
}
} // namespace
