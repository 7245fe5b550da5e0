// The dialog that fills a message window: the painted header, the To line as a page of its own, the
// attachments and the body.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <atlapp.h>
#include <atlstr.h>
#include <atlwin.h>

#include "app/LetrovaGlobals.h"
#include "app/ManagerCommands.h"
#include "content/EncodedWord.h"
#include "content/TextUtilities.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/File.h"
#include "foundation/FileException.h"
#include "foundation/FoundationUi.h"
#include "foundation/Paths.h"
#include "foundation/TraceFile.h"
#include "foundation/WindowMessages.h"
#include "resources/resource.h"
#include "store/DatabaseMy.h"
#include "store/EmailsImpl.h"
#include "store/OLEDBException.h"
#include "ui/main/MainCommands.h"
#include "ui/main/MessagePanes.h"
#include "ui/main/MessageViewLayout.h"

namespace MessageDialogText
{
const char kInitFailed[] = "\r\nCDlgMessageImpl::OnInitDialog(...) Unhandled exception!!!";
const char kViewFailed[] = "ERROR: View message failed!\r\n";
const char kPrintBegin[] = "\r\nCDlgMessageImpl::OnPrint(...) begin";
const char kPrintEnd[] = "\r\nCDlgMessageImpl::OnPrint(...) end";
const char kPrintFailed[] = "CDlgMessageImpl::OnPrint()\r\nUnhandled exception!!!\r\n";
const char kReplyFailed[] = "CDlgMessageImpl::OnReply()\r\nUnhandled exception!!!\r\n";
const char kSaveFailed[] = "ERROR: ";
const WORD ID_UPDATE_WINDOW = 33047;
const WORD ID_VIEW_MESSAGE_BODY = 32797;
} // namespace MessageDialogText

// The folder the user picked for an attachment of that name; false when none was chosen. Tests give their
// own.
typedef bool (*AttachmentFolderChooser)(HWND hWndOwner, const char* pszName, CString& strFolder);
AttachmentFolderChooser SetAttachmentFolderChooser(AttachmentFolderChooser pfnChooser);
bool ChooseAttachmentFolder(HWND hWndOwner, const char* pszName, CString& strFolder);

// Writes a text whole to a file (created or truncated).
void WriteTextFile(const char* pszPath, const CString& strText);

template <class T> class CDlgMessageImpl : public CDialogImpl<T>
{
public:
    enum
    {
        IDD = IDD_MESSAGE_VIEW
    };

    BEGIN_MSG_MAP(CDlgMessageImpl)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        NOTIFY_HANDLER(IDC_MESSAGE_ATTACHMENTS, NM_DBLCLK, OnAttachmentDoubleClick)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_ID_HANDLER(MessageDialogText::ID_UPDATE_WINDOW, OnUpdateWindow)
        COMMAND_ID_HANDLER(ID_FILE_PRINT_MESSAGE, OnPrint)
        COMMAND_ID_HANDLER(ID_REPLY, OnReplyForward)
        COMMAND_ID_HANDLER(ID_FORWARD, OnReplyForward)
        COMMAND_ID_HANDLER(ID_CLOSE_LOCAL_DATABASE, OnCloseDatabase)
        COMMAND_ID_HANDLER(ID_OPEN_LOCAL_DATABASE, OnOpenDatabase)
        COMMAND_ID_HANDLER(MessageDialogText::ID_VIEW_MESSAGE_BODY, OnViewMessageBody)
    END_MSG_MAP()

    CDlgMessageImpl()
        : m_message(NULL), m_body(NULL), m_toPane(NULL), m_strToName(MessageViewPage::UniqueFileName("To")),
          m_strPrintName(MessageViewPage::UniqueFileName("Print"))
    {
    }

    virtual ~CDlgMessageImpl()
    {
        DeleteAttachFolder();
        ::DeleteFileA(ToPagePath());
        ::DeleteFileA(GetTempFolder() + m_strPrintName.Mid(1));
        if (m_hBoldFont != NULL)
            ::DeleteObject(m_hBoldFont);
    }

    // Before the dialog is created: the local database, the frame that owns the dialog, the manager.
    void Setup(CDatabaseLocal* pDatabase, HWND* phWndOwner, DWORD dwManagerThreadId)
    {
        m_pDatabase = pDatabase;
        m_phWndOwner = phWndOwner;
        m_dwManagerThreadId = dwManagerThreadId;
        if (pDatabase != NULL)
            m_message.m_pSession = &pDatabase->m_session;
    }

    // The To page of this window, in the temporary "HTML" folder.
    CString ToPagePath() const { return GetTempHtmlPath() + m_strToName; }

    HWND OwnerWindow() const { return m_phWndOwner != NULL ? *m_phWndOwner : NULL; }

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        CString strError;
        CString strThrown;
        bool bShowError = false;
        bool bFailed = false;
        try
        {
            // The frame answers the panes' questions and takes their enabling.
            m_body.m_hWndOwner = OwnerWindow();
            m_toPane.m_hWndOwner = OwnerWindow();
            m_body.Create(this->m_hWnd, 0);
            m_toPane.Create(this->m_hWnd, 0);
            m_attachments.Attach(this->GetDlgItem(IDC_MESSAGE_ATTACHMENTS));
            m_attachments.m_bOpenOnDoubleClick = false;
            m_attachments.Init();
            m_hNormalFont = this->GetFont();
            LOGFONTA logFont = {};
            ::GetObjectA(m_hNormalFont != NULL ? (HGDIOBJ)m_hNormalFont : ::GetStockObject(DEFAULT_GUI_FONT),
                         sizeof(logFont), &logFont);
            logFont.lfWeight = FW_BOLD;
            m_hBoldFont = ::CreateFontIndirectA(&logFont);

            static_cast<T*>(this)->OpenMessage();
            ShowMessage();
        }
        catch (CException* pException)
        {
            strError = pException->m_strMessage;
            delete pException;
            bShowError = true;
        }
        catch (CFileException* pException)
        {
            strError = pException->GetErrorText().Left(255);
            delete pException;
            bShowError = true;
        }
        catch (COLEDBException* pException)
        {
            // The database layer has reported it already.
            delete pException;
            bFailed = true;
        }
        catch (const char* pszText)
        {
            bFailed = true;
            strThrown = pszText;
        }
        catch (...)
        {
            strError = MessageDialogText::kInitFailed;
            if (IsTraceOn())
                g_pTraceFile->WriteText(strError);
            bShowError = true;
        }
        // Every path: the manager waits for this before it starts the next message window.
        SignalShown();
        if (bShowError)
            ShowErrorReportPrompt(strError, NULL);
        else if (!strThrown.IsEmpty())
            OfferErrorReport(strThrown.Find(MessageDialogText::kViewFailed) == 0
                                 ? strThrown
                                 : CString(MessageDialogText::kViewFailed) + strThrown);
        return bShowError || bFailed ? FALSE : TRUE;
    }

    // The shown message, after every open and every step.
    void ShowMessage()
    {
        m_strCharset = m_message.GetCharsetName();
        m_message.GetMessage();
        m_strFrom = m_message.GetHeaderField("From");
        m_strDate = m_message.GetHeaderField("Date");
        m_strTo = m_message.GetHeaderField("To");
        m_strCc = m_message.GetHeaderField("Cc");
        m_strSubject = m_message.GetHeaderField("Subject");
        if (OwnerWindow() != NULL)
            ::SetWindowTextA(OwnerWindow(), m_message.GetSubject());

        m_attachments.DeleteAll();
        DeleteAttachFolder();
        m_strAttachFolder = m_message.SaveMessageToTempFile();
        m_attachments.AddAttachment(m_strAttachFolder, NULL);
        bool bAttachments = ::SendMessageA(m_attachments.m_hWnd, LVM_GETITEMCOUNT, 0, 0) > 0;
        ::ShowWindow(m_attachments.m_hWnd, bAttachments ? SW_SHOWNA : SW_HIDE);

        if (m_body.m_hWnd != NULL)
            ::SendMessageA(m_body.m_hWnd, WM_COMMAND, MessageDialogText::ID_VIEW_MESSAGE_BODY,
                           (LPARAM)&m_message);

        CString strFace;
        int nPixels = 0;
        ValueFont(strFace, nPixels);
        CString strPage =
            MessageViewPage::BuildToPage(MessageViewPage::ColourHex(::GetSysColor(COLOR_BTNFACE)),
                                         MessageViewPage::ToLineHtml(m_strTo), strFace, nPixels);
        ::CreateDirectoryA(GetTempHtmlPath(), NULL);
        WriteTextFile(ToPagePath(), strPage);
        if (m_toPane.m_hWnd != NULL)
            m_toPane.Navigate(ToPagePath());
    }

    // Runs the layout again, as a size change would.
    void Relayout()
    {
        RECT rc;
        this->GetWindowRect(&rc);
        int nWidth = rc.right - rc.left, nHeight = rc.bottom - rc.top;
        this->SetWindowPos(NULL, 0, 0, nWidth, nHeight + 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        this->SetWindowPos(NULL, 0, 0, nWidth, nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&)
    {
        RECT rcClient;
        this->GetClientRect(&rcClient);
        const int nWidth = rcClient.right, nHeight = rcClient.bottom;
        const int nHeader = MessageViewLayout::HeaderHeight(!m_strCc.IsEmpty(), m_bWideTo);
        RECT rcTo = MessageViewLayout::ToPaneRect(nWidth, m_bWideTo);
        m_nToWidth = rcTo.right - rcTo.left;
        if (m_toPane.m_hWnd != NULL)
            ::MoveWindow(m_toPane.m_hWnd, rcTo.left, rcTo.top, m_nToWidth, rcTo.bottom - rcTo.top, TRUE);
        int nListBottom = -1;
        if (m_attachments.m_hWnd != NULL && ::IsWindowVisible(m_attachments.m_hWnd))
            nListBottom = m_attachments.AdjustHeight(nWidth - MessageViewLayout::kRightMargin, nHeader);
        RECT rcBody = MessageViewLayout::BodyPaneRect(nWidth, nHeight, nHeader, nListBottom);
        if (m_body.m_hWnd != NULL)
            ::MoveWindow(m_body.m_hWnd, rcBody.left, rcBody.top, rcBody.right - rcBody.left,
                         rcBody.bottom - rcBody.top, TRUE);
        RECT rcHeader = {0, 0, nWidth, nHeader + 18};
        this->InvalidateRect(&rcHeader);
        this->UpdateWindow();
        return 0;
    }

    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&)
    {
        PAINTSTRUCT ps;
        HDC hDC = ::BeginPaint(this->m_hWnd, &ps);
        RECT rcClient;
        this->GetClientRect(&rcClient);
        ::FillRect(hDC, &ps.rcPaint, ::GetSysColorBrush(COLOR_BTNFACE));
        ::SetBkMode(hDC, TRANSPARENT);
        HGDIOBJ hOldFont =
            ::SelectObject(hDC, m_hBoldFont != NULL ? m_hBoldFont : ::GetStockObject(DEFAULT_GUI_FONT));

        int nValueLeft = 90;
        if (m_attachments.m_hWnd != NULL)
        {
            RECT rcList;
            ::GetWindowRect(m_attachments.m_hWnd, &rcList);
            ::MapWindowPoints(NULL, this->m_hWnd, (POINT*)&rcList, 2);
            nValueLeft = rcList.left;
        }
        const UINT nFormat = DT_WORD_ELLIPSIS | DT_SINGLELINE | DT_NOPREFIX;
        CString strLabel = LoadLabel(IDS_HEADER_FROM);
        RECT rcMeasure = {0, 0, 0, 0};
        ::DrawTextA(hDC, strLabel, -1, &rcMeasure, DT_CALCRECT | DT_SINGLELINE);
        const int nLine = rcMeasure.bottom > 0 ? rcMeasure.bottom : 13;
        int nTop = 2;

        DrawLabel(hDC, IDS_HEADER_FROM, nTop, nLine, nValueLeft);
        DrawValue(hDC, m_strFrom, nTop, nLine, nValueLeft, rcClient.right, true);
        nTop += nLine;
        DrawLabel(hDC, IDS_HEADER_DATE, nTop, nLine, nValueLeft);
        DrawValue(hDC, m_strDate, nTop, nLine, nValueLeft, rcClient.right, false);
        // The To label stands on the To pane's line, beside the value the pane shows.
        DrawLabel(hDC, IDS_HEADER_TO, MessageViewLayout::ToPaneRect(rcClient.right, m_bWideTo).top, nLine,
                  nValueLeft);

        ::SelectObject(hDC,
                       m_hNormalFont != NULL ? (HGDIOBJ)m_hNormalFont : ::GetStockObject(DEFAULT_GUI_FONT));
        CString strTo = DecodeEncodedWord(m_strTo);
        SIZE size = {0, 0};
        ::GetTextExtentPoint32A(hDC, strTo, strTo.GetLength(), &size);
        bool bWide = MessageViewLayout::IsToWide(size.cx, m_nToWidth, ::GetSystemMetrics(SM_CXVSCROLL));

        nTop = MessageViewLayout::ToPaneRect(rcClient.right, m_bWideTo).bottom;
        if (!m_strCc.IsEmpty())
        {
            DrawLabel(hDC, IDS_HEADER_CC, nTop, nLine, nValueLeft);
            DrawValue(hDC, m_strCc, nTop, nLine, nValueLeft, rcClient.right, true);
            nTop += nLine;
        }
        DrawLabel(hDC, IDS_HEADER_SUBJECT, nTop, nLine, nValueLeft);
        DrawValue(hDC, m_strSubject, nTop, nLine, nValueLeft, rcClient.right, true);
        if (m_attachments.m_hWnd != NULL && ::IsWindowVisible(m_attachments.m_hWnd))
        {
            nTop += nLine;
            DrawLabel(hDC, IDS_HEADER_ATTACH, nTop, nLine, nValueLeft);
        }
        ::SelectObject(hDC, hOldFont);
        ::EndPaint(this->m_hWnd, &ps);

        if (bWide != m_bWideTo)
        {
            m_bWideTo = bWide;
            Relayout();
            this->PostMessage(WM_COMMAND, MessageDialogText::ID_UPDATE_WINDOW);
        }
        return 0;
    }

    LRESULT OnAttachmentDoubleClick(int, LPNMHDR, BOOL&)
    {
        int nItem = (int)::SendMessageA(m_attachments.m_hWnd, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
        if (nItem < 0)
            return 0;
        char szName[MAX_PATH] = "";
        LVITEMA item = {};
        item.iSubItem = 0;
        item.pszText = szName;
        item.cchTextMax = MAX_PATH;
        ::SendMessageA(m_attachments.m_hWnd, LVM_GETITEMTEXTA, nItem, (LPARAM)&item);
        SaveAttachmentToFolder(szName);
        return 0;
    }

    // Saves the attachment of that name into a folder the user picks; the path written, empty when none.
    CString SaveAttachmentToFolder(const char* pszName)
    {
        CString strFolder;
        HWND hWndOwner = ::GetAncestor(static_cast<T*>(this)->m_hWnd, GA_ROOT);
        if (!ChooseAttachmentFolder(hWndOwner, pszName, strFolder))
            return CString();
        try
        {
            if (strFolder.Right(1) != "\\")
                strFolder += "\\";
            CString strName = MakeFileName(pszName);
            CString strPath = strFolder + strName;
            CString strSource = m_strAttachFolder;
            if (strSource.Right(1) != "\\")
                strSource += "\\";
            if (!::CopyFileA(strSource + strName, strPath, FALSE))
                throw new CFileException(CFileException::generic, (LONG)::GetLastError(), strPath);
            return strPath;
        }
        catch (CFileException* pException)
        {
            AppMessageBox(CString(MessageDialogText::kSaveFailed) + pException->GetErrorText(), MB_ICONSTOP,
                          OwnerWindow());
            delete pException;
        }
        return CString();
    }

    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
    {
        if (m_body.m_hWnd != NULL && ::IsWindow(m_body.m_hWnd))
            ::DestroyWindow(m_body.m_hWnd);
        if (m_toPane.m_hWnd != NULL && ::IsWindow(m_toPane.m_hWnd))
            ::DestroyWindow(m_toPane.m_hWnd);
        return 0;
    }

    LRESULT OnUpdateWindow(WORD, WORD, HWND, BOOL&)
    {
        m_nToReloads++;
        if (m_toPane.m_spBrowser != NULL)
            m_toPane.m_spBrowser->Refresh();
        return 1;
    }

    LRESULT OnPrint(WORD, WORD, HWND, BOOL&)
    {
        try
        {
            if (IsTraceOn())
                g_pTraceFile->WriteText(MessageDialogText::kPrintBegin);
            CString strPath = GetTempFolder() + m_strPrintName.Mid(1);
            WriteTextFile(strPath, m_message.GetForwardReplyPrintHTML(OwnerWindow(), 2));
            if (IsTraceOn())
                g_pTraceFile->WriteText("\r\n" + strPath);
            ::SendMessageA(OwnerWindow(), WM_COMMAND, ID_PRINT, (LPARAM)(const char*)strPath);
            if (IsTraceOn())
                g_pTraceFile->WriteText(MessageDialogText::kPrintEnd);
        }
        catch (CException* pException)
        {
            delete pException;
            AppMessageBox(MessageDialogText::kPrintFailed, MB_ICONSTOP, OwnerWindow());
        }
        catch (CFileException* pException)
        {
            delete pException;
            AppMessageBox(MessageDialogText::kPrintFailed, MB_ICONSTOP, OwnerWindow());
        }
        catch (COLEDBException* pException)
        {
            delete pException;
            AppMessageBox(MessageDialogText::kPrintFailed, MB_ICONSTOP, OwnerWindow());
        }
        catch (...)
        {
            AppMessageBox(MessageDialogText::kPrintFailed, MB_ICONSTOP, OwnerWindow());
        }
        return 1;
    }

    LRESULT OnReplyForward(WORD, WORD wID, HWND, BOOL&)
    {
        try
        {
            CEmailsImpl<>* pTable = NULL;
            ::SendMessageA(OwnerWindow(), LetrovaGetTable, (WPARAM)&pTable, (LPARAM) "Emails");
            if (pTable == NULL)
                throw "ERROR: Message is not found";
            if (m_message.m_EmailsID != 0)
            {
                if (!pTable->OpenByKey(m_message.m_EmailsID, TRUE, OwnerWindow()))
                    throw "ERROR: Message is not found";
            }
            else
                pTable->OpenMessageFile(m_message.GetMessageFileName(), m_message.m_Encode);
        }
        catch (COLEDBException* pException)
        {
            delete pException;
            AppMessageBox(MessageDialogText::kReplyFailed, MB_ICONSTOP, OwnerWindow());
            return 1;
        }
        catch (CException* pException)
        {
            delete pException;
            AppMessageBox(MessageDialogText::kReplyFailed, MB_ICONSTOP, OwnerWindow());
            return 1;
        }
        catch (...)
        {
            AppMessageBox(MessageDialogText::kReplyFailed, MB_ICONSTOP, OwnerWindow());
            return 1;
        }
        ::PostThreadMessageA(m_dwManagerThreadId, WM_USER, ID_NEW_MESSAGE_MENU,
                             wID == ID_REPLY ? (LPARAM)-1 : (LPARAM)-4);
        return 1;
    }

    LRESULT OnCloseDatabase(WORD, WORD, HWND, BOOL&)
    {
        m_message.CloseAll();
        return SendToPanes(ID_CLOSE_LOCAL_DATABASE, 0);
    }

    LRESULT OnOpenDatabase(WORD, WORD, HWND, BOOL&)
    {
        try
        {
            static_cast<T*>(this)->OpenMessage();
        }
        catch (CException* pException)
        {
            delete pException;
        }
        catch (COLEDBException* pException)
        {
            delete pException;
        }
        catch (...)
        {
        }
        return SendToPanes(ID_OPEN_LOCAL_DATABASE, 0);
    }

    LRESULT OnViewMessageBody(WORD, WORD, HWND hWndCtl, BOOL&)
    {
        CEmailsImpl<>* pMessage = reinterpret_cast<CEmailsImpl<>*>(hWndCtl);
        if (pMessage != NULL)
        {
            try
            {
                m_strCharset = pMessage->GetCharsetName();
            }
            catch (COLEDBException* pException)
            {
                delete pException;
            }
        }
        this->Invalidate();
        this->UpdateWindow();
        // A charset chosen in the body pane comes back this way: the body shows the message again in it.
        if (pMessage != NULL && pMessage != &m_message && m_body.m_hWnd != NULL)
            ::SendMessageA(m_body.m_hWnd, WM_COMMAND, MessageDialogText::ID_VIEW_MESSAGE_BODY,
                           (LPARAM)pMessage);
        return 1;
    }

    // Every other command: the body pane, then the To pane, whose answer counts.
    LRESULT OnPaneCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&) { return SendToPanes(wParam, lParam); }

    LRESULT SendToPanes(WPARAM wParam, LPARAM lParam)
    {
        if (m_body.m_hWnd != NULL && ::IsWindow(m_body.m_hWnd))
            ::SendMessageA(m_body.m_hWnd, WM_COMMAND, wParam, lParam);
        if (m_toPane.m_hWnd != NULL && ::IsWindow(m_toPane.m_hWnd))
            return ::SendMessageA(m_toPane.m_hWnd, WM_COMMAND, wParam, lParam);
        return 0;
    }

    // For the frame's Edit questions: bBodyOnly asks the body pane alone.
    bool PaneAllowsCopy(HWND hWnd, bool bBodyOnly)
    {
        if (m_body.m_hWnd != NULL && m_body.IsCopyEnabled(hWnd))
            return true;
        return !bBodyOnly && m_toPane.m_hWnd != NULL && m_toPane.IsCopyEnabled(hWnd);
    }
    bool IsInPane(HWND hWnd) const
    {
        return hWnd != NULL &&
               ((m_body.m_hWnd != NULL && (hWnd == m_body.m_hWnd || ::IsChild(m_body.m_hWnd, hWnd))) ||
                (m_toPane.m_hWnd != NULL && (hWnd == m_toPane.m_hWnd || ::IsChild(m_toPane.m_hWnd, hWnd))));
    }

    CEmailsImpl<> m_message;
    CDatabaseLocal* m_pDatabase = NULL;
    HWND* m_phWndOwner = NULL;
    DWORD m_dwManagerThreadId = 0;
    CString m_strAttachFolder;
    HFONT m_hBoldFont = NULL;
    HFONT m_hNormalFont = NULL;
    CString m_strCharset;
    CString m_strFrom;
    CString m_strDate;
    CString m_strTo;
    CString m_strCc;
    CString m_strSubject;
    CAttachmentList m_attachments;
    CCtrlMessageBody m_body;
    CCtrlMessageBody m_toPane;
    bool m_bWideTo = false;
    int m_nToWidth = 0;
    // How often the To page was reloaded because its width class changed.
    int m_nToReloads = 0;

protected:
    void SignalShown()
    {
        if (g_hEventMessageWindow != NULL)
            ::SetEvent(g_hEventMessageWindow);
    }

    // The thrown text with the offer to mail a report, the message attached.
    void OfferErrorReport(const CString& strText)
    {
        CString strFile = GetTempFolder() + "Message." + "eml";
        bool bWritten = false;
        try
        {
            m_message.SaveMessageToFile(strFile);
            bWritten = true;
        }
        catch (CFileException* pException)
        {
            delete pException;
        }
        ShowErrorReportPrompt(strText, bWritten ? (const char*)strFile : NULL);
        if (bWritten)
            ::DeleteFileA(strFile);
    }

    void DeleteAttachFolder()
    {
        if (m_strAttachFolder.IsEmpty())
            return;
        try
        {
            DeleteFolderTree(m_strAttachFolder);
        }
        catch (CException* pException)
        {
            delete pException;
        }
        m_strAttachFolder.Empty();
    }

    static CString LoadLabel(UINT nID)
    {
        char szText[64] = "";
        ::LoadStringA(_Module.GetResourceInstance(), nID, szText, sizeof(szText));
        return szText;
    }

    // The face and the em height in pixels of the font the values are painted in.
    void ValueFont(CString& strFace, int& nPixels)
    {
        HFONT hFont = m_hNormalFont != NULL ? m_hNormalFont : (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
        LOGFONTA logFont = {};
        ::GetObjectA(hFont, sizeof(logFont), &logFont);
        strFace = logFont.lfFaceName;
        HDC hDC = ::GetDC(NULL);
        HGDIOBJ hOld = ::SelectObject(hDC, hFont);
        TEXTMETRICA tm = {};
        ::GetTextMetricsA(hDC, &tm);
        ::SelectObject(hDC, hOld);
        ::ReleaseDC(NULL, hDC);
        nPixels = tm.tmHeight - tm.tmInternalLeading > 0 ? tm.tmHeight - tm.tmInternalLeading : 11;
    }

    void DrawLabel(HDC hDC, UINT nID, int nTop, int nLine, int nValueLeft)
    {
        HGDIOBJ hOld = ::SelectObject(hDC, m_hBoldFont != NULL ? (HGDIOBJ)m_hBoldFont
                                                               : ::GetStockObject(DEFAULT_GUI_FONT));
        RECT rc = {5, nTop, nValueLeft, nTop + nLine};
        CString strLabel = LoadLabel(nID);
        ::DrawTextA(hDC, strLabel, -1, &rc, DT_WORD_ELLIPSIS | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(hDC, hOld);
    }

    void DrawValue(HDC hDC, const CString& strValue, int nTop, int nLine, int nLeft, int nRight, bool bDecode)
    {
        HGDIOBJ hOld = ::SelectObject(hDC, m_hNormalFont != NULL ? (HGDIOBJ)m_hNormalFont
                                                                 : ::GetStockObject(DEFAULT_GUI_FONT));
        RECT rc = {nLeft, nTop, nRight, nTop + nLine};
        if (bDecode)
            DecodeEncodedWord(strValue, hDC, &rc, m_strCharset, FALSE);
        else
            ::DrawTextA(hDC, strValue, -1, &rc, DT_WORD_ELLIPSIS | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(hDC, hOld);
    }

    CString m_strToName;
    CString m_strPrintName;
};
