// The virus warning: when it asks, what its answers open, save and store, and that an open without an owner
// window asks all the same.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "AttachmentTestSupport.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/SeamRecorder.h"
#include "tests/support/WindowReaders.h"
#include "ui/main/DlgSaveAttachments.h"
#include "ui/main/DlgVirusWarning.h"

namespace
{
const char kCaption[] = "Open Attachment Warning";

class DlgVirusWarningTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_pRegistry = TestSettings();
        m_pSavedRegistry = g_pRegistry;
        g_pRegistry = m_pRegistry.get();
        m_strFolder = m_files.m_strPath.Left(m_files.m_strPath.GetLength() - 1);
        WriteWholeFile(m_files.Path("report.doc"), "the report");
        CDlgSaveAttachments::s_pfnBrowseForFolder = BrowseAtStart;
        s_strBrowserStart.clear();
    }
    void TearDown() override
    {
        g_pRegistry = m_pSavedRegistry;
        CDlgSaveAttachments::s_pfnBrowseForFolder = CDlgSaveAttachments::SystemBrowseForFolder;
    }

    // The folder browser of "save it" answers with the folder it starts at.
    static bool BrowseAtStart(HWND, const char* pszStart, CString& strFolder)
    {
        s_strBrowserStart = pszStart;
        strFolder = pszStart;
        return true;
    }

    int Stored(const char* pszExtension) { return m_pRegistry->GetProfileInt("Virus Warning", pszExtension, -7); }

    // Opens report.doc; the warning, when it comes, gets these answers.
    INT_PTR Open(HWND hOwner, bool bSaveIt, bool bAlwaysAsk, int nButton, int& nAsked)
    {
        lstrcpyA(CDlgSaveAttachments::s_szLastFolder, Folder(m_target).c_str());
        CString strFolder = m_strFolder;
        CModalRun run([&]() { return CDlgVirusWarning::OpenAttachment(hOwner, strFolder, "report.doc"); });
        CDialogResponder responder(run.ThreadId(), [&](HWND hDlg) {
            if (WindowText(hDlg) != kCaption)
                return false;
            m_strShownName = CDialogResponder::ItemText(hDlg, IDC_VIRUS_FILE_NAME);
            m_bOpenItTicked = ::IsDlgButtonChecked(hDlg, IDC_VIRUS_OPEN_IT) == BST_CHECKED;
            m_bAlwaysAskTicked = ::IsDlgButtonChecked(hDlg, IDC_VIRUS_ALWAYS_ASK) == BST_CHECKED;
            if (m_bScreenshot)
                SaveWindowScreenshot(hDlg, "virus-warning");
            CDialogResponder::SetCheck(hDlg, IDC_VIRUS_OPEN_IT, !bSaveIt);
            CDialogResponder::SetCheck(hDlg, IDC_VIRUS_SAVE_IT, bSaveIt);
            CDialogResponder::SetCheck(hDlg, IDC_VIRUS_ALWAYS_ASK, bAlwaysAsk);
            CDialogResponder::Press(hDlg, nButton);
            return true;
        });
        EXPECT_TRUE(run.Wait());
        nAsked = 0;
        for (const CDialogResponder::Seen& seen : responder.Answered())
            nAsked += seen.strCaption == kCaption ? 1 : 0;
        return run.m_nResult;
    }

    static std::string Folder(const CScratchFolder& folder)
    {
        return std::string(folder.m_strPath.Left(folder.m_strPath.GetLength() - 1));
    }

    std::string ExpectedOpen() const
    {
        return "open|" + std::string(m_strFolder) + "\\report.doc|(null)|" + std::string(m_strFolder) + "|1";
    }

    CScratchFolder m_files{"virus"};
    CScratchFolder m_target{"virus-target"};
    CString m_strFolder;
    std::unique_ptr<CRegistry> m_pRegistry;
    CRegistry* m_pSavedRegistry = NULL;
    std::string m_strShownName;
    bool m_bOpenItTicked = false;
    bool m_bAlwaysAskTicked = false;
    bool m_bScreenshot = false;
    static std::string s_strBrowserStart;
};

std::string DlgVirusWarningTest::s_strBrowserStart;

TEST_F(DlgVirusWarningTest, TheStoredValueOfTheExtensionDecidesWhetherItAsks)
{
    CSettingsOwner owner(m_pRegistry.get());
    struct Case
    {
        const char* pszName;
        int nStored; // -1: no value
        HWND hOwner;
        int nAsked;
    } cases[] = {
        {"value 0 opens at once", 0, owner.m_hWnd, 0},
        {"no value asks", -1, owner.m_hWnd, 1},
        {"value 1 asks", 1, owner.m_hWnd, 1},
        {"any other value asks", 5, owner.m_hWnd, 1},
        {"no owner still asks", -1, NULL, 1},
        {"no owner and value 0 opens at once", 0, NULL, 0},
    };
    for (const Case& c : cases)
    {
        m_pRegistry->WriteProfileString("Virus Warning", NULL, NULL);
        if (c.nStored >= 0)
            m_pRegistry->WriteProfileInt("Virus Warning", ".doc", c.nStored);
        CSeamRecorder seams;
        int nAsked = -1;
        INT_PTR nResult = Open(c.hOwner, false, true, IDOK, nAsked);
        EXPECT_EQ(c.nAsked, nAsked) << c.pszName;
        ASSERT_EQ(1u, seams.Calls().size()) << c.pszName;
        EXPECT_EQ(ExpectedOpen(), seams.Calls()[0].strDetail) << c.pszName;
        EXPECT_EQ(33, nResult) << c.pszName;
        EXPECT_EQ(c.nStored >= 0 ? c.nStored : -7, Stored(".doc")) << c.pszName;
    }
}

TEST_F(DlgVirusWarningTest, TheQuestionOpensWithOpenItAndAlwaysAskTicked)
{
    CSeamRecorder seams;
    m_bScreenshot = true;
    int nAsked = 0;
    Open(NULL, false, true, IDCANCEL, nAsked);
    EXPECT_EQ(1, nAsked);
    EXPECT_EQ("report.doc", m_strShownName);
    EXPECT_TRUE(m_bOpenItTicked);
    EXPECT_TRUE(m_bAlwaysAskTicked);
}

TEST_F(DlgVirusWarningTest, CancelOpensNothingAndStoresNothing)
{
    CSeamRecorder seams;
    int nAsked = 0;
    EXPECT_EQ(1, Open(NULL, false, false, IDCANCEL, nAsked));
    EXPECT_TRUE(seams.Calls().empty());
    EXPECT_EQ(-7, Stored(".doc"));
}

TEST_F(DlgVirusWarningTest, UntickingAlwaysAskAndSavingStoresZeroAndCopiesTheFile)
{
    CSeamRecorder seams;
    int nAsked = 0;
    EXPECT_EQ(1, Open(NULL, true, false, IDOK, nAsked));
    EXPECT_EQ(1, nAsked);
    EXPECT_TRUE(seams.Calls().empty());
    EXPECT_EQ(0, Stored(".doc"));
    EXPECT_EQ(Folder(m_target), s_strBrowserStart);
    EXPECT_EQ("the report", ReadWholeFile(m_target.Path("report.doc")));

    // From now on files of that type open without the question.
    Open(NULL, false, true, IDOK, nAsked);
    EXPECT_EQ(0, nAsked);
    EXPECT_EQ(1u, seams.Calls().size());
}

TEST_F(DlgVirusWarningTest, AFailingOpenIsShownWithThePathAndTheReason)
{
    CScriptedUser user;
    CSeamRecorder seams;
    seams.m_hShellExecuteResult = (HINSTANCE)(INT_PTR)31;
    m_pRegistry->WriteProfileInt("Virus Warning", ".doc", 0);
    int nAsked = 0;
    EXPECT_EQ(31, Open(NULL, false, true, IDOK, nAsked));
    ASSERT_EQ(1u, user.m_boxes.size());
    EXPECT_EQ(std::string(m_strFolder) +
                  "\\report.doc\r\n\r\nThere is no application associated with the given file name extension. ",
              user.m_boxes[0]);
}
} // namespace
