// The attachment list: the files of a folder with their sizes, opening and removing the selected ones, and
// one or two rows of height as the items need.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "ComposeTestStore.h"
#include "app/LetrovaGlobals.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"
#include "ui/compose/AttachmentList.h"

namespace
{
struct Opened
{
    std::string strFolder;
    std::string strName;
};
std::vector<Opened> g_opened;

INT_PTR RecordOpen(HWND, const char* pszFolder, const char* pszFileName)
{
    g_opened.push_back({pszFolder, pszFileName});
    return 33;
}

class AttachmentListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteFileBytes(m_files.Path("alpha.txt"), std::string(3000, 'a'));
        WriteFileBytes(m_files.Path("beta.doc"), "b");
        m_strFolder = m_files.m_strPath.Left(m_files.m_strPath.GetLength() - 1);
        g_opened.clear();
        m_pfnSaved = CAttachmentList::s_pfnOpenAttachment;
        CAttachmentList::s_pfnOpenAttachment = RecordOpen;
    }
    void TearDown() override
    {
        m_ui.Invoke([this]() {
            delete m_pList;
            if (m_hParent != NULL)
                ::DestroyWindow(m_hParent);
        });
        CAttachmentList::s_pfnOpenAttachment = m_pfnSaved;
    }

    // A list of that style, 20 pixels high, in a parent window of its own.
    void Create(DWORD dwStyle, int nWidth)
    {
        m_ui.Start([&]() -> HWND {
            m_hParent = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 600, 300, NULL, NULL, NULL,
                                          NULL);
            HWND hList = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | dwStyle, 10, 10,
                                           nWidth, 20, m_hParent, NULL, NULL, NULL);
            m_pList = new CAttachmentList(hList);
            m_pList->Init();
            return m_hParent;
        });
    }

    CScratchFolder m_files{"attachment-list"};
    CString m_strFolder;
    CUiThread m_ui{_Module};
    HWND m_hParent = NULL;
    CAttachmentList* m_pList = NULL;
    CAttachmentList::AttachmentOpener m_pfnSaved = NULL;
};

TEST_F(AttachmentListTest, AFolderGivesOneRowPerFileWithItsSizeAndFolder)
{
    Create(LVS_REPORT, 500);
    m_ui.Invoke([&]() { m_pList->AddAttachment(m_strFolder, NULL); });
    std::vector<std::vector<std::string>> rows = ListViewItems(m_pList->m_hWnd);
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ((std::vector<std::string>{"alpha.txt", "3KB"}), rows[0]);
    EXPECT_EQ((std::vector<std::string>{"beta.doc", "1KB"}), rows[1]);
    EXPECT_EQ(m_strFolder, m_pList->GetItemFolder(1));
    EXPECT_EQ(2, m_pList->m_images.GetImageCount());

    // A folder added again starts the images afresh; a single file adds one row.
    m_ui.Invoke([&]() {
        m_pList->DeleteAll();
        m_pList->AddAttachment(m_strFolder, NULL);
        m_pList->AddAttachment(m_strFolder, "beta.doc");
    });
    EXPECT_EQ(3, m_pList->GetItemCount());
    EXPECT_EQ(3, m_pList->m_images.GetImageCount());
}

TEST_F(AttachmentListTest, OpeningAndDeletingActOnTheSelectedRows)
{
    Create(LVS_REPORT, 500);
    m_ui.Invoke([&]() {
        m_pList->AddAttachment(m_strFolder, NULL);
        m_pList->SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
        m_pList->SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(1, 1));
    });
    ASSERT_EQ(1u, g_opened.size());
    EXPECT_EQ(std::string(m_strFolder), g_opened[0].strFolder);
    EXPECT_EQ("beta.doc", g_opened[0].strName);

    m_ui.Invoke([&]() { m_pList->SendMessage(WM_KEYDOWN, VK_DELETE, 0); });
    std::vector<std::vector<std::string>> rows = ListViewItems(m_pList->m_hWnd);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("alpha.txt", rows[0][0]);
}

TEST_F(AttachmentListTest, TheHeightIsOneRowOrTwoWhenTheItemsDoNotFit)
{
    Create(LVS_SMALLICON, 500);
    int nBottom = 0;
    RECT rc = {};
    m_ui.Invoke([&]() {
        m_pList->AddAttachment(m_strFolder, "beta.doc");
        nBottom = m_pList->AdjustHeight(400, 50);
        m_pList->GetWindowRect(&rc);
    });
    EXPECT_EQ(20, rc.bottom - rc.top);
    EXPECT_EQ(70, nBottom);
    EXPECT_EQ(390, rc.right - rc.left);

    m_ui.Invoke([&]() {
        for (int i = 0; i < 12; i++)
            m_pList->AddAttachment(m_strFolder, "alpha.txt");
        nBottom = m_pList->AdjustHeight(400, 50);
        m_pList->GetWindowRect(&rc);
    });
    EXPECT_EQ(40, rc.bottom - rc.top);
    EXPECT_EQ(90, nBottom);
}
} // namespace
