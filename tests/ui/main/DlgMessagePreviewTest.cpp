// The preview pane in the main window on a small store: a selected row shows its header and body, the
// attachment toolbar and menu follow the message's attachments, the height is kept in the settings, and a
// message that cannot be shown offers the error report.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "MainFrameFixture.h"
#include "StoreTestSupport.h"
#include "foundation/ErrorUtil.h"
#include "foundation/WindowMessages.h"
#include "platform/htmlview/HtmlView.h"
#include "store/EmailsImpl.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/SeamRecorder.h"
#include "tests/support/WindowReaders.h"
#include "ui/main/DlgMessagePreview.h"

namespace
{
std::mutex s_lock;
std::vector<std::string> s_boxes;

// Answers Yes where the box asks, OK elsewhere.
int AnswerYes(const char* pszText, const char*, UINT nStyle, HWND)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_boxes.push_back(pszText);
    return (nStyle & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
}

int AnswerNo(const char* pszText, const char*, UINT nStyle, HWND)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_boxes.push_back(pszText);
    return (nStyle & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

std::string MimeMessage(const char* pszFrom, const char* pszTo, const char* pszCc, const char* pszSubject,
                        const char* pszHtml, int nAttachments)
{
    std::string text = std::string("From: ") + pszFrom + "\r\nTo: " + pszTo + "\r\n";
    if (*pszCc)
        text += std::string("Cc: ") + pszCc + "\r\n";
    text += std::string("Subject: ") + pszSubject + "\r\nMIME-Version: 1.0\r\n";
    text += "Content-Type: multipart/mixed; boundary=\"part-b\"\r\n\r\n--part-b\r\n"
            "Content-Type: text/html; charset=iso-8859-1\r\n\r\n";
    text += std::string(pszHtml) + "\r\n";
    for (int i = 1; i <= nAttachments; i++)
    {
        char szName[32];
        wsprintfA(szName, "notes%02d.txt", i);
        text += std::string("--part-b\r\nContent-Type: text/plain; name=\"") + szName +
                "\"\r\nContent-Disposition: attachment; filename=\"" + szName + "\"\r\n\r\nline " +
                std::to_string(i) + "\r\n";
    }
    return text + "--part-b--\r\n";
}

std::string SqlText(const std::string& text)
{
    std::string quoted;
    for (char c : text)
    {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted;
}

class DlgMessagePreviewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The fill selects its last row, which may be the one that cannot be shown: nothing may wait for a
        // click unless a test asks.
        m_pfnOldHook = SetAppMessageBoxHook(AnswerNo);
        const char* pszReport = "<html><body><h2>Quarterly report</h2><p>Figures <b>attached</b>.</p></body></html>";
        Add("Report", MimeMessage("Ann Lee <ann@example.org>", "Bo <bo@example.org>", "Cy <cy@example.org>",
                                  "Report", pszReport, 2), 0x01, 0);
        Add("Plain", MimeMessage("Dee <dee@example.org>", "Eve <eve@example.org>, Fay <fay@example.org>", "",
                                 "Plain", "<p>No files here.</p>", 0), 0x08, 0);
        Add("Many", MimeMessage("Gus <gus@example.org>", "Hal <hal@example.org>", "", "Many",
                                "<p>Seventeen files.</p>", 17), 0x01, 0);
        Add("Broken", MimeMessage("Ida <ida@example.org>", "Jo <jo@example.org>", "", "Broken",
                                  "<p>Unknown encoding.</p>", 0), 0, 22);
    }

    void TearDown() override
    {
        m_store.Stop();
        SetAppMessageBoxHook(m_pfnOldHook);
    }

    void Add(const char* pszSubject, const std::string& strMessage, LONG nFlags, int nEncode)
    {
        CString strSQL;
        strSQL.Format("INSERT INTO Emails (EmDate, Subject, Message, Ref, FolderID, Flags, UniqueID, AccountID, "
                      "Encode) VALUES (45000, '%s', '%s', '%s', %ld, %ld, 'u-%s', 0, %d)",
                      pszSubject, SqlText(strMessage).c_str(), SqlText(MessageText::GetHeaderField(strMessage.c_str(), "From", 0).GetString()).c_str(), (long)m_store.m_nInbox, (long)nFlags, pszSubject,
                      nEncode);
        Execute(m_store.Local(), strSQL);
    }

    CDlgMessagePreview& Preview() { return m_store.m_pFrame->m_client.m_container.m_right.m_preview; }
    CListViewCtrlMessages& List() { return m_store.m_pFrame->m_client.m_container.m_right.m_list.m_list; }

    void StartWithInbox()
    {
        ASSERT_NE(nullptr, m_store.Start());
        ASSERT_TRUE(m_store.Select(m_store.m_nAlpha));
        ASSERT_TRUE(m_store.Select(m_store.m_nInbox));
        // Each folder change posts a fill request, and a request that finds a fill running posts itself
        // again: the list is settled once it is idle with nothing more in its queue, twice running.
        int nSettled = 0;
        ASSERT_TRUE(WaitFor([&] {
            bool bReady = false;
            m_store.OnFrame([&] {
                MSG msg;
                bReady = !List().IsFilling() && List().GetRowCount() == 4 &&
                         !::PeekMessageA(&msg, List().m_hWnd, 0, 0, PM_NOREMOVE);
            });
            nSettled = bReady ? nSettled + 1 : 0;
            return nSettled >= 2;
        }));
    }

    // Selects the row as a click would; the list hands the message to the preview.
    void SelectRow(const char* pszSubject)
    {
        bool bFound = false;
        m_store.OnFrame([&] {
            for (int i = 0; i < List().GetRowCount(); i++)
            {
                if (List().Row(i).strSubject != pszSubject)
                    continue;
                ListView_SetItemState(List().m_hWnd, -1, 0, LVIS_SELECTED);
                ListView_SetItemState(List().m_hWnd, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                bFound = true;
            }
        });
        ASSERT_TRUE(bFound) << pszSubject;
    }

    std::string BodyText()
    {
        std::string strText;
        m_store.OnFrame([&] {
            CHtmlView* pView = CHtmlView::FromWindow(Preview().m_body.m_hWndBrowser);
            if (pView != nullptr)
            {
                std::wstring text = pView->Text();
                strText.assign(text.begin(), text.end());
            }
        });
        return strText;
    }

    int PreviewHeight()
    {
        RECT rc = WindowRect(Preview().m_hWnd);
        return rc.bottom - rc.top;
    }

    CMainFrameFixture m_store;
    AppMessageBoxHook m_pfnOldHook = nullptr;
};

TEST_F(DlgMessagePreviewTest, ASelectedRowShowsItsHeaderAndBody)
{
    StartWithInbox();
    SelectRow("Report");
    ASSERT_TRUE(WaitFor([&] { return BodyText().find("Quarterly report") != std::string::npos; })) << BodyText();
    CString strFrom, strTo, strCc, strSubject;
    bool bSaveVisible = false, bIndividually = true;
    m_store.OnFrame([&] {
        CMessageHeaderPane& pane = Preview().m_header.m_pane;
        strFrom = pane.m_strFrom;
        strTo = pane.m_strTo;
        strCc = pane.m_strCc;
        strSubject = pane.m_strSubject;
        bIndividually = pane.m_bIndividually;
        bSaveVisible = Preview().m_toolbar.IsSaveButtonVisible();
    });
    EXPECT_EQ(CString("Ann Lee <ann@example.org>"), strFrom);
    EXPECT_EQ(CString("Bo <bo@example.org>"), strTo);
    EXPECT_EQ(CString("Cy <cy@example.org>"), strCc);
    EXPECT_EQ(CString("Report"), strSubject);
    EXPECT_FALSE(bIndividually);
    EXPECT_TRUE(bSaveVisible);
    SaveWindowScreenshot(m_store.m_pFrame->m_hWnd, "main-window-preview-html-attachments");

    // Changing folders leaves no message's header behind.
    m_store.OnFrame([&] {
        m_store.Send(WM_COMMAND, ID_VIEW_MESSAGE_BODY, 0);
        strFrom = Preview().m_header.m_pane.m_strFrom;
        bSaveVisible = Preview().m_toolbar.IsSaveButtonVisible();
    });
    EXPECT_TRUE(strFrom.IsEmpty());
    EXPECT_FALSE(bSaveVisible);

    // Another row replaces header and body.
    SelectRow("Plain");
    ASSERT_TRUE(WaitFor([&] { return BodyText().find("No files here.") != std::string::npos; })) << BodyText();
    m_store.OnFrame([&] {
        strFrom = Preview().m_header.m_pane.m_strFrom;
        bIndividually = Preview().m_header.m_pane.m_bIndividually;
    });
    EXPECT_EQ(CString("Dee <dee@example.org>"), strFrom);
    EXPECT_TRUE(bIndividually);
}

TEST_F(DlgMessagePreviewTest, TheFramePassesAMessageToShowOnToThePreview)
{
    StartWithInbox();
    LONG nID = QueryLong(m_store.Local(), "SELECT EmailsID FROM Emails WHERE Subject = 'Many'");
    CEmailsImpl<> message(&m_store.Local());
    CString strFrom;
    s_boxes.clear();
    SetAppMessageBoxHook(AnswerYes);
    m_store.OnFrame([&] {
        message.SelectByID(nID, m_store.m_pFrame->m_hWnd);
        m_store.Send(WM_COMMAND, ID_VIEW_MESSAGE_BODY, (LPARAM)&message);
        strFrom = Preview().m_header.m_pane.m_strFrom;
    });
    SetAppMessageBoxHook(AnswerNo);
    EXPECT_EQ(std::vector<std::string>(), s_boxes);
    EXPECT_EQ(CString("Gus <gus@example.org>"), strFrom);
    ASSERT_TRUE(WaitFor([&] { return BodyText().find("Seventeen files.") != std::string::npos; })) << BodyText();

    // The toolbar's Save Attachments button reports through the header area and opens the dialog, over the
    // main window even while another window is active.
    HWND hFrame = m_store.m_pFrame->m_hWnd;
    bool bOver = false;
    CDialogResponder responder(m_store.m_ui.ThreadId(), [&](HWND hDialog) {
        bOver = OpensOver(hDialog, hFrame);
        return CDialogResponder::Press(hDialog, IDCANCEL);
    });
    CForegroundElsewhere elsewhere;
    ::PostMessageA(Preview().m_header.m_hWnd, WM_COMMAND, MAKEWPARAM(ID_SAVE_ATTACHMENTS, BN_CLICKED),
                   (LPARAM)Preview().m_toolbar.m_hWnd);
    ASSERT_TRUE(responder.WaitForAnswered(1));
    EXPECT_EQ("Save Attachments", responder.Answered()[0].strCaption);
    EXPECT_TRUE(bOver);
}

TEST_F(DlgMessagePreviewTest, WithoutAttachmentsTheSaveButtonIsHiddenAndTheListButtonTakesTheWidth)
{
    StartWithInbox();
    const struct
    {
        const char* pszSubject;
        bool bSave;
    } cases[] = {{"Plain", false}, {"Report", true}, {"Plain", false}};
    for (const auto& c : cases)
    {
        SelectRow(c.pszSubject);
        bool bSave = !c.bSave;
        CString strSubject;
        int nListWidth = 0, nHeaderWidth = 0, nSaveRight = 0;
        ASSERT_TRUE(WaitFor([&] {
            m_store.OnFrame([&] {
                CAttachmentToolbar& toolbar = Preview().m_toolbar;
                bSave = toolbar.IsSaveButtonVisible();
                strSubject = Preview().m_header.m_pane.m_strSubject;
                RECT rcList = toolbar.ButtonRect(ID_ATTACHMENT_LIST);
                nListWidth = rcList.right - rcList.left;
                nSaveRight = toolbar.ButtonRect(ID_SAVE_ATTACHMENTS).right;
                RECT rcHeader;
                Preview().m_header.GetClientRect(&rcHeader);
                nHeaderWidth = rcHeader.right;
            });
            return bSave == c.bSave && strSubject == c.pszSubject;
        })) << c.pszSubject;
        if (c.bSave)
        {
            EXPECT_LT(nListWidth, nHeaderWidth) << c.pszSubject;
            EXPECT_EQ(nHeaderWidth, nSaveRight) << c.pszSubject;
        }
        else
            EXPECT_EQ(nHeaderWidth, nListWidth) << c.pszSubject;
    }
}

TEST_F(DlgMessagePreviewTest, TheAttachmentMenuExtractsAgainIntoANewFolderAndRemovesTheOld)
{
    CSeamRecorder seams;
    StartWithInbox();
    SelectRow("Report");
    ASSERT_TRUE(WaitFor([&] { return BodyText().find("Quarterly report") != std::string::npos; }));
    CString strFirst, strSecond;
    std::vector<std::string> texts;
    int nMenuItems = 0;
    m_store.OnFrame([&] {
        Preview().FillAttachmentMenu();
        strFirst = Preview().m_strAttachFolder;
        // Other test programs take attachment folders too, and may take the first one's number once it is
        // free: a file of ours in it tells whether this folder went.
        ::CloseHandle(::CreateFileA(strFirst + "\\marker.tmp", GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL));
        Preview().FillAttachmentMenu();
        strSecond = Preview().m_strAttachFolder;
        for (const CAttachmentMenuItem& item : Preview().m_toolbar.Items())
            texts.push_back((const char*)item.strText);
        nMenuItems = ::GetMenuItemCount(Preview().m_toolbar.Popup());
    });
    ASSERT_FALSE(strFirst.IsEmpty());
    EXPECT_NE(strFirst, strSecond);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(strFirst + "\\marker.tmp"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(strFirst + "\\notes01.txt"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(strSecond));
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ((std::vector<std::string>{"notes01.txt", "notes02.txt"}), texts);
    // The attachments above the separator and Save Attachments.
    EXPECT_EQ(4, nMenuItems);

    // Choosing an item opens that file; text files are opened without the warning here.
    m_store.m_pRegistry->WriteProfileInt("Virus Warning", ".txt", 0);
    ::SendMessageA(Preview().m_hWnd, WM_COMMAND, ID_ATTACH_1, 0);
    CSeamRecorder::Call call;
    ASSERT_TRUE(seams.WaitForCall("ShellExecuteFile", 20000, &call));
    EXPECT_NE(std::string::npos, call.strDetail.find((const char*)strSecond)) << call.strDetail;
}

TEST_F(DlgMessagePreviewTest, SeventeenAttachmentsGiveSixteenMenuItems)
{
    StartWithInbox();
    SelectRow("Many");
    ASSERT_TRUE(WaitFor([&] { return BodyText().find("Seventeen files.") != std::string::npos; }));
    std::vector<UINT> ids;
    int nMenuItems = 0, nFiles = 0;
    m_store.OnFrame([&] {
        Preview().FillAttachmentMenu();
        for (const CAttachmentMenuItem& item : Preview().m_toolbar.Items())
            ids.push_back(item.nID);
        nMenuItems = ::GetMenuItemCount(Preview().m_toolbar.Popup());
        WIN32_FIND_DATAA data;
        HANDLE hFind = ::FindFirstFileA(Preview().m_strAttachFolder + "\\*.txt", &data);
        if (hFind != INVALID_HANDLE_VALUE)
        {
            do
                nFiles++;
            while (::FindNextFileA(hFind, &data));
            ::FindClose(hFind);
        }
    });
    EXPECT_EQ(17, nFiles);
    ASSERT_EQ(16u, ids.size());
    for (UINT i = 0; i < ids.size(); i++)
        EXPECT_EQ(ID_ATTACH_1 + i, ids[i]);
    EXPECT_EQ(18, nMenuItems);
}

TEST_F(DlgMessagePreviewTest, APreviewHeightChangedByTheUserSurvivesARestart)
{
    StartWithInbox();
    const int nBefore = PreviewHeight();
    HWND hRight = m_store.m_pFrame->m_client.m_container.m_right.m_hWnd;
    m_store.OnFrame([&] { ::SendMessageA(hRight, LetrovaSplitHorizontal, 0, MAKELPARAM(0, (WORD)(SHORT)-40)); });
    ASSERT_TRUE(WaitFor([&] { return PreviewHeight() == nBefore + 40; })) << PreviewHeight();
    m_store.Stop();
    EXPECT_EQ(nBefore + 40, m_store.m_pRegistry->GetMessageBodyHeight());

    ASSERT_NE(nullptr, m_store.Start());
    EXPECT_TRUE(WaitFor([&] { return PreviewHeight() == nBefore + 40; })) << PreviewHeight();
}

TEST_F(DlgMessagePreviewTest, AMessageThatCannotBeShownOffersTheErrorReport)
{
    StartWithInbox();
    s_boxes.clear();
    SetAppMessageBoxHook(AnswerYes);
    SelectRow("Broken");
    SetAppMessageBoxHook(AnswerNo);
    CRecordingThread::Command command = {};
    ASSERT_TRUE(m_store.m_manager.WaitForCommand(32782, 20000, &command));
    EXPECT_EQ((LPARAM)-2, command.lParam);
    bool bOffered = false;
    for (const std::string& strText : s_boxes)
        bOffered |= strText.find("ERROR. Unknown encode - 22") == 0 &&
                    strText.find("Do you want to email me the report about your problem?") != std::string::npos;
    EXPECT_TRUE(bOffered);
}
} // namespace

namespace
{
TEST_F(DlgMessagePreviewTest, TheAttachmentMenuOfAMessageGoneFromTheStoreShowsTheError)
{
    StartWithInbox();
    SelectRow("Report");
    ASSERT_TRUE(WaitFor([&] { return BodyText().find("Quarterly report") != std::string::npos; }));
    Execute(m_store.Local(), "DELETE FROM Emails WHERE Subject = 'Report'");
    s_boxes.clear();
    SetAppMessageBoxHook(AnswerYes);
    m_store.OnFrame([&] {
        NMTOOLBARA notify = {};
        notify.hdr.hwndFrom = Preview().m_toolbar.m_hWnd;
        notify.hdr.idFrom = CAttachmentToolbar::kToolbarId;
        notify.hdr.code = TBN_DROPDOWN;
        notify.iItem = ID_SAVE_ATTACHMENTS;
        ::SendMessageA(Preview().m_header.m_hWnd, WM_NOTIFY, notify.hdr.idFrom, (LPARAM)&notify);
    });
    SetAppMessageBoxHook(AnswerNo);
    ASSERT_EQ(1u, s_boxes.size());
    EXPECT_EQ(0u, s_boxes[0].find("ERROR: Message is not found")) << s_boxes[0];
}
} // namespace
