// The compose dialog: set-up, layout, the commands of the fields and sending or saving the message.
#include "ui/compose/DlgNewMessage.h"

#include <commdlg.h>
#include <richedit.h>

#include <vector>

#include "content/MergePlaceholders.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Registry.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseMy.h"
#include "store/DatabaseSession.h"
#include "store/EmailsImpl.h"
#include "ui/compose/ComposeCommands.h"
#include "ui/compose/ComposeErrors.h"
#include "ui/compose/ComposeSetup.h"
#include "ui/compose/ComposeSpelling.h"
#include "ui/compose/ComposeStandIns.h"
#include "ui/compose/ComposeTexts.h"
#include "ui/compose/FromAccounts.h"
#include "ui/compose/OutgoingMessage.h"
#include "ui/compose/SignaturesTable.h"
#include "ui/addressbook/VcardHandler.h"
#include "foundation/Paths.h"
#include "ui/main/MainCommands.h"
#include "ui/main/MainDialogStandIns.h"

using namespace ComposeCommand;

int CDlgNewMessage::s_bAllHeaders = 0;
int CDlgNewMessage::s_bSourceEdit = 0;

namespace
{
const int kMaxEditableList = 32767;
const int kShownListLength = 32763;
const int kMargin = 10;
const int kRowGap = 5;
// Several file names with their folder: the dialog's own 260 characters hold few.
const DWORD kFileBufferSize = 64 * 1024;
const DWORD kCloseAfterSendWait = 500;

RECT ChildRect(HWND hWndDlg, int nID)
{
    RECT rc = {};
    HWND hWnd = ::GetDlgItem(hWndDlg, nID);
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(NULL, hWndDlg, (POINT*)&rc, 2);
    return rc;
}

// Moves the control to the row at nTop, keeping its left edge and height, ending at nRight.
int PlaceRow(HWND hWndDlg, int nID, int nTop, int nRight)
{
    RECT rc = ChildRect(hWndDlg, nID);
    ::MoveWindow(::GetDlgItem(hWndDlg, nID), rc.left, nTop, nRight - rc.left, rc.bottom - rc.top, TRUE);
    return nTop + (rc.bottom - rc.top);
}

void PlaceLabel(HWND hWndDlg, int nID, int nRowTop)
{
    RECT rc = ChildRect(hWndDlg, nID);
    ::MoveWindow(::GetDlgItem(hWndDlg, nID), rc.left, nRowTop + 2, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

void DeleteFolderTree(const CString& strFolder)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA(strFolder + "\\*", &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            CString strName = data.cFileName;
            if (strName == "." || strName == "..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteFolderTree(strFolder + "\\" + strName);
            else
                ::DeleteFileA(strFolder + "\\" + strName);
        } while (::FindNextFileA(hFind, &data));
        ::FindClose(hFind);
    }
    ::RemoveDirectoryA(strFolder);
}
} // namespace

CDlgNewMessage::CDlgNewMessage(const CNewMessageArgs& args, DWORD dwManagerThreadId)
    : m_nPriorityCommand(ID_PRIORITY_NORMAL), m_args(args), m_dwManagerThreadId(dwManagerThreadId)
{
    ParseComposeArgument(args.strArgument, m_fields.m_nMode, m_fields.m_strAddressList);
    m_fields.m_strAttachPath = args.strAttachPath;
    m_fields.m_bHtml = 1;
    m_hWorkerEvent = ::CreateEventA(NULL, TRUE, TRUE, NULL);
}

CDlgNewMessage::~CDlgNewMessage()
{
    if (m_hWorker != NULL)
        ::CloseHandle(m_hWorker);
    if (m_hWorkerEvent != NULL)
        ::CloseHandle(m_hWorkerEvent);
    if (m_hMenuBrush != NULL)
        ::DeleteObject(m_hMenuBrush);
    for (HBITMAP hBitmap : {m_hRecipientsBitmap, m_hAccountsBitmap, m_hCardBitmap})
        if (hBitmap != NULL)
            ::DeleteObject(hBitmap);
    if (!m_fields.m_strAttachFolder.IsEmpty())
        DeleteFolderTree(m_fields.m_strAttachFolder);
}

LRESULT CDlgNewMessage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    try
    {
        m_hWndFrame = ::GetParent(GetParent());
        ::SendMessageA(m_hWndFrame, LetrovaGetRegistry, (WPARAM)&m_pRegistry, 0);
        ::SendMessageA(m_hWndFrame, LetrovaGetMyDatabase, (WPARAM)&m_pDatabaseMy, 0);

        m_editTo.SubclassWindow(GetDlgItem(IDC_COMPOSE_TO));
        m_editCc.SubclassWindow(GetDlgItem(IDC_COMPOSE_CC));
        m_editBcc.SubclassWindow(GetDlgItem(IDC_COMPOSE_BCC));
        for (CEditAddress* pEdit : {&m_editTo, &m_editCc, &m_editBcc})
        {
            pEdit->m_hWndOwner = m_hWndFrame;
            pEdit->SendMessage(EM_SETEVENTMASK, 0, ENM_CHANGE);
        }
        m_editSubject.SubclassWindow(GetDlgItem(IDC_COMPOSE_SUBJECT));
        m_editBody.SubclassWindow(GetDlgItem(IDC_COMPOSE_BODY));
        m_editSource.SubclassWindow(GetDlgItem(IDC_COMPOSE_SOURCE));
        m_editBody.SendMessage(EM_SETLIMITTEXT, 0, 0);
        m_editSource.SendMessage(EM_SETLIMITTEXT, 0, 0);
        m_attachments.Attach(GetDlgItem(IDC_COMPOSE_ATTACHMENTS));
        m_attachments.Init();
        m_pPreview.reset(new CCtrlMessageBody(m_hWndFrame));
        m_pPreview->Create(m_hWnd);
        if (m_pPreview->m_hWnd != NULL)
            ::ShowWindow(m_pPreview->m_hWnd, SW_HIDE);

        HWND hWndTabs = GetDlgItem(IDC_COMPOSE_TABS);
        const char* pszTabs[] = {ComposeText::kTabEdit, ComposeText::kTabSource, ComposeText::kTabPreview};
        for (int i = 0; i < 3; i++)
        {
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<char*>(pszTabs[i]);
            ::SendMessageA(hWndTabs, TCM_INSERTITEMA, i, (LPARAM)&item);
        }
        // Grey in the pictures becomes the buttons' face colour.
        HINSTANCE hResources = GetResourceModule();
        auto loadPicture = [hResources](int nID)
        {
            return (HBITMAP)::LoadImageA(hResources, MAKEINTRESOURCEA(nID), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS);
        };
        m_hRecipientsBitmap = loadPicture(IDB_COMPOSE_RECIPIENTS);
        m_hAccountsBitmap = loadPicture(IDB_COMPOSE_ACCOUNTS);
        m_hCardBitmap = loadPicture(IDB_COMPOSE_CARD);
        SendDlgItemMessage(IDC_COMPOSE_FROM_BUTTON, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)m_hAccountsBitmap);

        if (m_editor.Create(m_hWnd, m_hWndFrame, m_hWnd) != NULL)
            m_fields.m_bEditor = 1;
        ::ShowWindow(hWndTabs, m_fields.m_bEditor ? SW_SHOW : SW_HIDE);

        SetUp();
    }
    catch (...)
    {
        ShowCaughtInCompose(ComposeText::kInitCrashed, m_hWndFrame);
    }
    m_bSettingUp = false;
    return TRUE;
}

void CDlgNewMessage::SetUp()
{
    CComposeSources sources;
    if (m_pDatabaseMy != NULL)
    {
        sources.pLocalSession = &m_pDatabaseMy->m_Local.m_session;
        sources.pOrbSession = &m_pDatabaseMy->m_Orb.m_session;
    }
    sources.pRegistry = m_pRegistry;
    void* pTable = NULL;
    ::SendMessageA(m_hWndFrame, LetrovaGetTable, (WPARAM)&pTable, (LPARAM) "Emails");
    sources.pMessages = static_cast<CEmailsImpl<>*>(pTable);
    if (sources.pMessages != NULL)
        sources.nSelectedID = sources.pMessages->m_EmailsID;
    sources.pMapiMessage = m_args.pMapiMessage;
    sources.hOwner = m_hWndFrame;

    CComposeSetup setup(m_fields, sources);
    setup.Run();
    if (m_fields.m_bCloseWindow)
    {
        ::PostMessageA(m_hWndFrame, WM_CLOSE, 0, 0);
        return;
    }
    ShowFields();
    if (sources.pLocalSession != NULL &&
        !FillFromCombo(GetDlgItem(IDC_COMPOSE_FROM), sources.pLocalSession, m_fields, m_args.pMapiMessage != NULL,
                       m_hWndFrame))
    {
        ::PostMessageA(m_hWndFrame, WM_CLOSE, 0, 0);
        return;
    }
    if (!m_fields.m_strError.IsEmpty())
        AppMessageBox(m_fields.m_strError, MB_ICONSTOP, m_hWndFrame);
}

void CDlgNewMessage::ShowFields()
{
    SetRecipientField(m_editTo, m_fields.m_strTo);
    if (m_fields.m_bToReadOnly)
    {
        m_editTo.SendMessage(EM_SETREADONLY, TRUE);
        m_editTo.m_bReadOnly = 1;
        m_editTo.SendMessage(EM_SETBKGNDCOLOR, 0, ::GetSysColor(COLOR_MENU));
    }
    SetRecipientField(m_editCc, m_fields.m_strCc);
    SetRecipientField(m_editBcc, m_fields.m_strBcc);
    m_editSubject.SetWindowText(m_fields.m_strSubject);
    m_editBody.SetWindowText(m_fields.m_strPlainBody);
    for (const CComposeAttachment& attachment : m_fields.m_attachments)
        m_attachments.AddAttachment(attachment.m_strFolder, attachment.m_strName);
    ::SetWindowTextA(m_hWndFrame, m_fields.m_strSubject.IsEmpty() ? CString(ComposeText::kDefaultTitle)
                                                                  : m_fields.m_strSubject);
    ::ShowWindow(GetDlgItem(IDC_COMPOSE_CARD), m_fields.m_bBusinessCard ? SW_SHOW : SW_HIDE);
    SetPriority(m_fields.m_nPriority == 0 ? ID_PRIORITY_HIGH
                                          : m_fields.m_nPriority == 2 ? ID_PRIORITY_LOW : ID_PRIORITY_NORMAL);
    if (IsHtml())
    {
        if (m_fields.m_bDocumentSet)
            m_editor.SetDocumentHTML(m_fields.m_strHtmlDocument);
        else
            m_editor.NewDocument();
    }
    ShowBodyPane();
    Relayout();
}

void CDlgNewMessage::ShowBodyPane()
{
    bool bHtml = IsHtml();
    HWND hWndTabs = GetDlgItem(IDC_COMPOSE_TABS);
    int nTab = bHtml ? (int)::SendMessageA(hWndTabs, TCM_GETCURSEL, 0, 0) : -1;
    ::ShowWindow(hWndTabs, bHtml ? SW_SHOW : SW_HIDE);
    m_editBody.ShowWindow(bHtml ? SW_HIDE : SW_SHOW);
    m_editSource.ShowWindow(nTab == 1 ? SW_SHOW : SW_HIDE);
    if (m_editor.m_hWnd != NULL)
        m_editor.ShowWindow(nTab <= 0 && bHtml ? SW_SHOW : SW_HIDE);
    if (m_pPreview && m_pPreview->m_hWnd != NULL)
        ::ShowWindow(m_pPreview->m_hWnd, nTab == 2 ? SW_SHOW : SW_HIDE);
    HWND hWndPane = !bHtml ? m_editBody.m_hWnd : nTab == 1 ? m_editSource.m_hWnd
                                          : nTab == 2 && m_pPreview ? m_pPreview->m_hWnd
                                                                    : m_editor.m_hWnd;
    if (hWndPane != NULL)
        ::SetWindowPos(hWndPane, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CDlgNewMessage::OnTabChanged()
{
    HWND hWndTabs = GetDlgItem(IDC_COMPOSE_TABS);
    int nTab = (int)::SendMessageA(hWndTabs, TCM_GETCURSEL, 0, 0);
    bool bSourceShown = IsSourceVisible();
    bool bEditorShown = m_editor.m_hWnd != NULL && m_editor.IsWindowVisible();
    if (nTab == 0 && bSourceShown)
    {
        CString strSource = m_editSource.GetText();
        if (strSource.IsEmpty())
            m_editor.NewDocument();
        else
            m_editor.SetDocumentHTML(strSource);
    }
    else if (nTab == 1 && bEditorShown)
        m_editSource.SetWindowText(m_editor.GetDocumentHTML());
    else if (nTab == 2)
    {
        if (bSourceShown)
        {
            AppMessageBox(ComposeText::kGoToEditTab, MB_ICONEXCLAMATION, m_hWndFrame);
            ::SendMessageA(hWndTabs, TCM_SETCURSEL, 1, 0);
            return;
        }
        CString strCharset = m_fields.m_strCharset;
        bool bCancelled = false;
        CString strBody = m_editor.GetMessageBody(strCharset, bCancelled);
        if (bCancelled)
        {
            ::SendMessageA(hWndTabs, TCM_SETCURSEL, 0, 0);
            return;
        }
        CString strFolder = GetTempHtmlPath();
        ::CreateDirectoryA(strFolder, NULL);
        CString strPath = strFolder + "\\MessageBody.htm";
        HANDLE hFile = ::CreateFileA(strPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (hFile != INVALID_HANDLE_VALUE)
        {
            DWORD dwWritten = 0;
            ::WriteFile(hFile, strBody.GetString(), strBody.GetLength(), &dwWritten, NULL);
            ::CloseHandle(hFile);
        }
        m_editSource.SetWindowText(m_editor.GetDocumentHTML());
        if (m_pPreview && m_pPreview->m_hWnd != NULL)
            m_pPreview->Navigate(strPath);
    }
    ShowBodyPane();
    ::SendMessageA(m_hWndFrame, WM_COMMAND, ID_FORMAT, nTab == 0 ? 1 : 0);
}

bool CDlgNewMessage::SwitchToHtml()
{
    if (!m_fields.m_bEditor)
    {
        if (AppMessageBox(ComposeText::kDhtmlMissing, MB_YESNO | MB_ICONQUESTION, m_hWndFrame) != IDYES)
            return false;
        CString strUrl = m_pRegistry != NULL ? m_pRegistry->m_strUpdateUrl : CString();
        if (strUrl.Right(1) != "/")
            strUrl += "/";
        // The installer reports its own failure; the window then stays as it is, plain text.
        if (InstallComponent(ComposeText::kDhtmlComponent, strUrl,
                             m_pRegistry != NULL ? m_pRegistry->GetDefaultInstallDirectory() : CString()) == 0)
            return false;
        AppMessageBox(ComposeText::kCloseAndRetry, MB_ICONINFORMATION, m_hWndFrame);
        // Through the save query: what was typed is not lost with the window.
        ::PostMessageA(m_hWndFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
        return false;
    }
    if (IsHtml())
        return true;
    m_fields.m_bHtml = 1;
    // The plain text becomes the document directly (escaped, a line a paragraph): no clipboard in between.
    bool bModified = m_editBody.SendMessage(EM_GETMODIFY) != 0;
    m_editor.SetPlainTextDocument(m_editBody.GetText());
    if (bModified)
        m_bChanged = 1;
    ShowBodyPane();
    Relayout();
    ::SendMessageA(m_hWndFrame, WM_COMMAND, ID_FORMAT, 1);
    return true;
}

bool CDlgNewMessage::SwitchToPlain()
{
    if (!m_fields.m_bEditor || !IsHtml())
        return false;
    bool bDirty = m_editor.IsDirty();
    if (bDirty && AppMessageBox(ComposeText::kToHtmlWarning, MB_OKCANCEL | MB_ICONEXCLAMATION, m_hWndFrame) != IDOK)
        return false;
    if (!IsEditTabSelected())
    {
        AppMessageBox(ComposeText::kGoToEditTab, MB_ICONEXCLAMATION, m_hWndFrame);
        return false;
    }
    m_editBody.SetWindowText(m_editor.GetPlainText());
    m_editBody.SendMessage(EM_SETMODIFY, bDirty ? TRUE : FALSE);
    m_fields.m_bHtml = 0;
    ShowBodyPane();
    Relayout();
    ::SendMessageA(m_hWndFrame, WM_COMMAND, ID_FORMAT, 0);
    return true;
}

void CDlgNewMessage::InsertSignature()
{
    if (m_pDatabaseMy == NULL)
        return;
    CSignaturesTable signatures(&m_pDatabaseMy->m_Local.m_session);
    CString strSignature = signatures.ReadSignature(m_hWndFrame);
    if (strSignature.IsEmpty())
        return;
    // Inserted directly, at the caret: the clipboard the user has stays as it was.
    if (IsHtml())
    {
        m_editor.SetFocus();
        m_editor.InsertHtml(SignatureToHtml(strSignature, m_pRegistry != NULL ? m_pRegistry->m_strHtmlSendFontName
                                                                               : CString(),
                                            m_pRegistry != NULL ? m_pRegistry->m_nHtmlSendFontSize : -1));
        return;
    }
    m_editBody.SetFocus();
    m_editBody.SendMessage(EM_REPLACESEL, TRUE, (LPARAM)strSignature.GetString());
}

void CDlgNewMessage::OnDocumentComplete()
{
    if (!m_bDocumentCompleted)
    {
        m_bDocumentCompleted = 1;
        if (m_fields.m_bLoadSourceHtml && IsHtml())
        {
            if (m_fields.m_nMode == COMPOSE_EDIT_DRAFT)
            {
                m_editor.LoadDocument(GetTempHtmlPath() + ComposeText::kNewMessageFile);
                return;
            }
            CString strDocument = m_editor.GetDocumentHTML();
            CString strUpper = strDocument;
            strUpper.MakeUpper();
            int nBody = strUpper.Find("<BODY>"), nEnd = strUpper.Find("</BODY>");
            CString strPrepared = (nBody >= 0 && nEnd > nBody ? strDocument.Mid(nBody + 6, nEnd - nBody - 6)
                                                              : CString()) +
                                  "<DIV><BR></DIV>";
            void* pTable = NULL;
            ::SendMessageA(m_hWndFrame, LetrovaGetTable, (WPARAM)&pTable, (LPARAM) "Emails");
            CEmailsImpl<>* pMessages = static_cast<CEmailsImpl<>*>(pTable);
            if (pMessages != NULL)
            {
                pMessages->SelectByID(m_fields.m_nSourceID, m_hWndFrame);
                CString strQuoted =
                    pMessages->GetQuotedHTML(m_fields.m_nMode == COMPOSE_FORWARD ? 0 : 1, m_fields.m_strBody);
                CString strQuotedUpper = strQuoted;
                strQuotedUpper.MakeUpper();
                int nOpen = strQuotedUpper.Find("<BODY");
                int nOpenEnd = nOpen >= 0 ? strQuoted.Find('>', nOpen) : -1;
                if (nOpenEnd >= 0)
                    strQuoted.Insert(nOpenEnd + 1, strPrepared);
                m_editor.SetDocumentHTML(strQuoted);
                return;
            }
        }
    }
    if (!m_bDefaultFocusDone)
    {
        m_bDefaultFocusDone = 1;
        PostMessage(WM_COMMAND, ID_SET_DEFAULT_FOCUS);
    }
}

LRESULT CDlgNewMessage::EditorCommand(WORD nID, LPARAM lParam)
{
    if (!IsHtml() || !m_editor.Exists())
        return 0;
    struct CEditorCommand
    {
        WORD nID;
        long nCommand;
        int nHow; // 0: only when enabled or latched, no prompt; 1: the editor's own dialog
    };
    static const CEditorCommand kCommands[] = {
        {32821, DECMD_BOLD, 0},        {32825, DECMD_ITALIC, 0},      {32826, DECMD_UNDERLINE, 0},
        {32834, DECMD_ORDERLIST, 0},   {32831, DECMD_UNORDERLIST, 0}, {32832, DECMD_OUTDENT, 0},
        {32833, DECMD_INDENT, 0},      {32761, DECMD_JUSTIFYLEFT, 0}, {32762, DECMD_JUSTIFYCENTER, 0},
        {32763, DECMD_JUSTIFYRIGHT, 0}, {32844, DECMD_IMAGE, 1},      {32845, DECMD_HYPERLINK, 1},
        {32975, DECMD_FONT, 1},        {32882, DECMD_INSERTROW, 0},   {32883, DECMD_INSERTCOL, 0},
        {32888, DECMD_INSERTCELL, 0},  {32884, DECMD_DELETEROWS, 0},  {32885, DECMD_DELETECOLS, 0},
        {32889, DECMD_DELETECELLS, 0}, {32886, DECMD_MERGECELLS, 0},  {32887, DECMD_SPLITCELL, 0},
    };
    for (const CEditorCommand& command : kCommands)
    {
        if (command.nID != nID)
            continue;
        if (command.nHow == 1)
            m_editor.Exec(command.nCommand, DECMD_OPT_PROMPTUSER);
        else
            ExecDHTMLCommand(m_editor, command.nCommand, DECMD_OPT_DONTPROMPTUSER);
        return 1;
    }
    switch (nID)
    {
    case 32881:
        m_editor.InsertTable();
        return 1;
    case ID_EDIT_CUT:
        return m_editor.RunFocused(DECMD_CUT, DECMD_OPT_DONTPROMPTUSER) ? 1 : 0;
    case ID_EDIT_COPY:
        return m_editor.RunFocused(DECMD_COPY, DECMD_OPT_DONTPROMPTUSER) ? 1 : 0;
    case ID_EDIT_PASTE:
        return m_editor.RunFocused(DECMD_PASTE, DECMD_OPT_DONTPROMPTUSER) ? 1 : 0;
    case ID_EDIT_UNDO:
        return m_editor.RunFocused(DECMD_UNDO, DECMD_OPT_DONTPROMPTUSER) ? 1 : 0;
    case ID_EDIT_REDO:
        return m_editor.RunFocused(DECMD_REDO, DECMD_OPT_DONTPROMPTUSER) ? 1 : 0;
    case ID_SELECT_ALL_ITEMS:
        return m_editor.RunFocused(DECMD_SELECTALL, DECMD_OPT_DONTPROMPTUSER) ? 1 : 0;
    case ID_EDIT_FIND_TEXT:
        return m_editor.RunFocused(DECMD_FINDTEXT, DECMD_OPT_PROMPTUSER) ? 1 : 0;
    case ID_DELETE_KEY:
        return m_editor.RunFocused(DECMD_DELETE, DECMD_OPT_DONTPROMPTUSER) ? 1 : 0;
    case ID_SELCHANGE_FONTNAME:
    {
        CComVariant name(reinterpret_cast<const char*>(lParam));
        m_editor.Exec(DECMD_SETFONTNAME, DECMD_OPT_DONTPROMPTUSER, &name);
        return 1;
    }
    case ID_SELCHANGE_FONTSIZE:
    {
        CComVariant size((long)lParam);
        m_editor.Exec(DECMD_SETFONTSIZE, DECMD_OPT_DONTPROMPTUSER, &size);
        return 1;
    }
    }
    if (nID >= 32849 && nID <= 32869)
    {
        const std::vector<CString>& names = m_editor.BlockFormatNames();
        size_t nIndex = nID - 32849;
        if (nIndex < names.size() && m_editor.Status(DECMD_SETBLOCKFMT) == DECMDF_ENABLED)
        {
            CComVariant name(names[nIndex]);
            try
            {
                m_editor.Exec(DECMD_SETBLOCKFMT, DECMD_OPT_DONTPROMPTUSER, &name);
            }
            catch (const char* pszText)
            {
                if (pszText == DhtmlErrorText(E_UNEXPECTED))
                    throw ComposeText::kBlockFormatUnexpected;
                throw;
            }
        }
        return 1;
    }
    if (nID >= 32949 && nID <= 32965)
        return m_editor.SendMessage(WM_COMMAND, nID);
    return 0;
}

void CDlgNewMessage::SetRecipientField(CEditAddress& edit, const CString& strText)
{
    if (strText.GetLength() < kMaxEditableList)
    {
        edit.SetWindowText(strText);
        edit.SendMessage(EM_SETREADONLY, FALSE);
        edit.m_bReadOnly = 0;
        edit.SendMessage(EM_SETBKGNDCOLOR, 0, ::GetSysColor(COLOR_WINDOW));
        return;
    }
    edit.SetWindowText(strText.Left(kShownListLength) + "...");
    edit.SendMessage(EM_SETREADONLY, TRUE);
    edit.m_bReadOnly = 1;
    edit.SendMessage(EM_SETBKGNDCOLOR, 0, ::GetSysColor(COLOR_MENU));
}

LRESULT CDlgNewMessage::OnSize(UINT, WPARAM, LPARAM, BOOL&)
{
    Relayout();
    return 0;
}

void CDlgNewMessage::Relayout()
{
    RECT rcClient;
    GetClientRect(&rcClient);
    const int W = rcClient.right, H = rcClient.bottom;
    HWND hWnd = m_hWnd;

    RECT rcCard = ChildRect(hWnd, IDC_COMPOSE_CARD);
    int nCardWidth = rcCard.right - rcCard.left;
    ::MoveWindow(GetDlgItem(IDC_COMPOSE_CARD), W - kMargin - nCardWidth, rcCard.top, nCardWidth,
                 rcCard.bottom - rcCard.top, TRUE);
    int nRight = m_fields.m_bBusinessCard ? W - kMargin - nCardWidth - kMargin : W - kMargin;

    RECT rcFromButton = ChildRect(hWnd, IDC_COMPOSE_FROM_BUTTON);
    int nButtonWidth = rcFromButton.right - rcFromButton.left;
    ::MoveWindow(GetDlgItem(IDC_COMPOSE_FROM_BUTTON), nRight - nButtonWidth, rcFromButton.top, nButtonWidth,
                 rcFromButton.bottom - rcFromButton.top, TRUE);
    RECT rcFrom = ChildRect(hWnd, IDC_COMPOSE_FROM);
    ::MoveWindow(GetDlgItem(IDC_COMPOSE_FROM), rcFrom.left, rcFrom.top, nRight - nButtonWidth - 2 - rcFrom.left,
                 rcFrom.bottom - rcFrom.top, TRUE);

    RECT rcTo = ChildRect(hWnd, IDC_COMPOSE_TO);
    int nBottom = PlaceRow(hWnd, IDC_COMPOSE_TO, rcTo.top, nRight);
    RECT rcCc = ChildRect(hWnd, IDC_COMPOSE_CC);
    ::MoveWindow(GetDlgItem(IDC_COMPOSE_CC_BUTTON), ChildRect(hWnd, IDC_COMPOSE_CC_BUTTON).left, nBottom + kRowGap,
                 ChildRect(hWnd, IDC_COMPOSE_CC_BUTTON).right - ChildRect(hWnd, IDC_COMPOSE_CC_BUTTON).left,
                 rcCc.bottom - rcCc.top, TRUE);
    nBottom = PlaceRow(hWnd, IDC_COMPOSE_CC, nBottom + kRowGap, nRight);

    bool bShowBcc = s_bAllHeaders || m_editBcc.GetWindowTextLength() > 0;
    ::ShowWindow(GetDlgItem(IDC_COMPOSE_BCC_BUTTON), bShowBcc ? SW_SHOW : SW_HIDE);
    ::ShowWindow(GetDlgItem(IDC_COMPOSE_BCC), bShowBcc ? SW_SHOW : SW_HIDE);
    if (bShowBcc)
    {
        RECT rcButton = ChildRect(hWnd, IDC_COMPOSE_BCC_BUTTON);
        ::MoveWindow(GetDlgItem(IDC_COMPOSE_BCC_BUTTON), rcButton.left, nBottom + kRowGap,
                     rcButton.right - rcButton.left, rcButton.bottom - rcButton.top, TRUE);
        nBottom = PlaceRow(hWnd, IDC_COMPOSE_BCC, nBottom + kRowGap, nRight);
    }

    int nSubjectTop = nBottom + kRowGap;
    PlaceLabel(hWnd, IDC_COMPOSE_SUBJECT_LABEL, nSubjectTop);
    nBottom = PlaceRow(hWnd, IDC_COMPOSE_SUBJECT, nSubjectTop, W - kMargin);

    bool bAttachments = m_attachments.m_hWnd != NULL && m_attachments.GetItemCount() > 0;
    ::ShowWindow(GetDlgItem(IDC_COMPOSE_ATTACH_LABEL), bAttachments ? SW_SHOW : SW_HIDE);
    m_attachments.ShowWindow(bAttachments ? SW_SHOW : SW_HIDE);
    if (bAttachments)
    {
        PlaceLabel(hWnd, IDC_COMPOSE_ATTACH_LABEL, nBottom + kRowGap);
        nBottom = m_attachments.AdjustHeight(W - kMargin, nBottom + kRowGap);
    }

    bool bPriority = m_nPriorityCommand != ID_PRIORITY_NORMAL;
    HWND hWndPriority = GetDlgItem(IDC_COMPOSE_PRIORITY);
    ::ShowWindow(hWndPriority, bPriority ? SW_SHOW : SW_HIDE);
    if (bPriority)
    {
        RECT rc = ChildRect(hWnd, IDC_COMPOSE_PRIORITY);
        ::MoveWindow(hWndPriority, rc.left, nBottom + kRowGap, W - kMargin, rc.bottom - rc.top, TRUE);
        nBottom = nBottom + kRowGap + (rc.bottom - rc.top);
    }

    RECT rcArea = {0, nBottom + kRowGap, W, H};
    if (rcArea.bottom < rcArea.top)
        rcArea.bottom = rcArea.top;
    HWND hWndTabs = GetDlgItem(IDC_COMPOSE_TABS);
    ::MoveWindow(hWndTabs, rcArea.left, rcArea.top, rcArea.right - rcArea.left, rcArea.bottom - rcArea.top, TRUE);
    RECT rcPane = rcArea;
    if (s_bSourceEdit && m_fields.IsHtmlEditing())
    {
        RECT rcTab = {};
        int nHeader = ::SendMessageA(hWndTabs, TCM_GETITEMRECT, 0, (LPARAM)&rcTab) ? rcTab.bottom - rcTab.top : 19;
        ::InflateRect(&rcPane, -3, -3);
        rcPane.bottom -= nHeader + 11;
    }
    for (CCtrlEdit* pEdit : {&m_editBody, &m_editSource})
        pEdit->MoveWindow(&rcPane);
    if (m_editor.m_hWnd != NULL)
        m_editor.MoveWindow(&rcPane);
    if (m_pPreview && m_pPreview->m_hWnd != NULL)
        ::MoveWindow(m_pPreview->m_hWnd, rcPane.left, rcPane.top, rcPane.right - rcPane.left,
                     rcPane.bottom - rcPane.top, TRUE);
}

bool CDlgNewMessage::IsSourceVisible() const
{
    return m_editSource.IsWindowVisible() != FALSE;
}

bool CDlgNewMessage::IsEditTabSelected() const
{
    return ::SendMessageA(::GetDlgItem(m_hWnd, IDC_COMPOSE_TABS), TCM_GETCURSEL, 0, 0) <= 0;
}

LRESULT CDlgNewMessage::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    NMHDR* pHeader = reinterpret_cast<NMHDR*>(lParam);
    if (pHeader->idFrom == IDC_COMPOSE_TABS && pHeader->code == TCN_SELCHANGE)
    {
        try
        {
            OnTabChanged();
        }
        catch (...)
        {
            ShowCaughtInCompose(ComposeText::kDialogCrashed, m_hWndFrame);
        }
        return 0;
    }
    if (pHeader->idFrom == IDC_COMPOSE_ATTACHMENTS)
    {
        if (pHeader->code == LVN_INSERTITEM || pHeader->code == LVN_DELETEITEM)
        {
            if (!m_bSettingUp)
                m_bChanged = 1;
            if (pHeader->code == LVN_INSERTITEM)
                Relayout();
            else
                PostMessage(WM_SIZE);
            return 0;
        }
    }
    bHandled = FALSE;
    return 0;
}

LRESULT CDlgNewMessage::OnCtlColorEdit(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT CDlgNewMessage::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    DRAWITEMSTRUCT* pDraw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    const UINT nID = pDraw->CtlID;
    if (pDraw->CtlType != ODT_BUTTON || (nID != IDC_COMPOSE_CARD && nID != IDC_COMPOSE_TO_BUTTON &&
                                         nID != IDC_COMPOSE_CC_BUTTON && nID != IDC_COMPOSE_BCC_BUTTON))
    {
        bHandled = FALSE;
        return 0;
    }
    // The recipient buttons show the address book's picture before their text, the card button its own.
    bool bCard = nID == IDC_COMPOSE_CARD;
    HBITMAP hPicture = bCard ? m_hCardBitmap : m_hRecipientsBitmap;
    bool bPushed = (pDraw->itemState & ODS_SELECTED) != 0;
    const int nShift = bPushed ? 1 : 0;
    RECT rc = pDraw->rcItem;
    ::DrawFrameControl(pDraw->hDC, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (bPushed ? DFCS_PUSHED : 0));
    BITMAP bitmap = {};
    int nTextLeft = rc.left + 3;
    if (hPicture != NULL && ::GetObjectA(hPicture, sizeof(bitmap), &bitmap) != 0)
    {
        int nLeft = bCard ? (rc.left + rc.right - bitmap.bmWidth) / 2 : rc.left + 3;
        HDC hMemory = ::CreateCompatibleDC(pDraw->hDC);
        HGDIOBJ hOld = ::SelectObject(hMemory, hPicture);
        ::BitBlt(pDraw->hDC, nLeft + nShift, (rc.top + rc.bottom - bitmap.bmHeight) / 2 + nShift, bitmap.bmWidth,
                 bitmap.bmHeight, hMemory, 0, 0, SRCCOPY);
        ::SelectObject(hMemory, hOld);
        ::DeleteDC(hMemory);
        nTextLeft = nLeft + bitmap.bmWidth + 2;
    }
    if (!bCard)
    {
        char szText[32] = "";
        ::GetWindowTextA(pDraw->hwndItem, szText, sizeof(szText));
        RECT rcText = {nTextLeft + nShift, rc.top + nShift, rc.right - 2 + nShift, rc.bottom + nShift};
        HGDIOBJ hOldFont = ::SelectObject(pDraw->hDC, (HFONT)::SendMessageA(pDraw->hwndItem, WM_GETFONT, 0, 0));
        ::SetBkMode(pDraw->hDC, TRANSPARENT);
        ::SetTextColor(pDraw->hDC, ::GetSysColor(::IsWindowEnabled(pDraw->hwndItem) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        ::DrawTextA(pDraw->hDC, szText, -1, &rcText, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        ::SelectObject(pDraw->hDC, hOldFont);
    }
    if (pDraw->itemState & ODS_FOCUS)
    {
        ::InflateRect(&rc, -3, -3);
        ::DrawFocusRect(pDraw->hDC, &rc);
    }
    return TRUE;
}

void CDlgNewMessage::SetPriority(int nCommand)
{
    if (nCommand != m_nPriorityCommand && !m_bSettingUp)
        m_bChanged = 1;
    m_nPriorityCommand = nCommand;
    const char* pszText = nCommand == ID_PRIORITY_HIGH  ? ComposeText::kHighPriority
                          : nCommand == ID_PRIORITY_LOW ? ComposeText::kLowPriority
                                                        : ComposeText::kNormalPriority;
    SetDlgItemText(IDC_COMPOSE_PRIORITY, pszText);
    Relayout();
}

bool CDlgNewMessage::HasChanges() const
{
    if (m_fields.m_nMode == COMPOSE_EDIT_DRAFT || m_bChanged != 0)
        return true;
    if (m_fields.m_bHtml && m_fields.m_bEditor)
        return const_cast<CDHTMLEditHost&>(m_editor).IsDirty();
    return m_editBody.SendMessage(EM_GETMODIFY) != 0;
}

void CDlgNewMessage::ReadFields()
{
    if (!m_fields.m_bToReadOnly)
        m_fields.m_strTo = m_editTo.GetText();
    m_fields.m_strCc = m_editCc.GetText();
    m_fields.m_strBcc = m_editBcc.GetText();
    m_fields.m_strSubject = m_editSubject.GetText();
    m_fields.m_strPlainBody = m_editBody.GetText();
    m_fields.m_attachments.clear();
    for (int i = 0; i < m_attachments.GetItemCount(); i++)
        m_fields.m_attachments.push_back({m_attachments.GetItemFolder(i), m_attachments.GetItemFileName(i)});
    HWND hWndFrom = GetDlgItem(IDC_COMPOSE_FROM);
    int nFrom = (int)::SendMessageA(hWndFrom, CB_GETCURSEL, 0, 0);
    m_fields.m_nAccountID = nFrom >= 0 ? (LONG)::SendMessageA(hWndFrom, CB_GETITEMDATA, nFrom, 0) : 0;
    m_fields.m_nPriority = m_nPriorityCommand == ID_PRIORITY_HIGH ? 0 : m_nPriorityCommand == ID_PRIORITY_LOW ? 2 : 1;
}

bool CDlgNewMessage::CanSend()
{
    // Sending checks quietly: only a halted check is worth a word.
    if (m_pRegistry != NULL && m_pRegistry->m_bCheckSpelling)
        m_bAnnounceSpelling = 0;
    if (m_pRegistry != NULL && m_pRegistry->m_bCheckSpelling &&
        SendMessage(WM_COMMAND, ID_SPELLING, 1) != 0 &&
        AppMessageBox(ComposeText::kSpellHalted, MB_YESNO | MB_ICONQUESTION, m_hWndFrame) == IDNO)
        return false;
    if (m_fields.IsHtmlEditing() && IsSourceVisible())
    {
        AppMessageBox(ComposeText::kStillEditingSource, MB_ICONEXCLAMATION, m_hWndFrame);
        return false;
    }
    return true;
}

LONG CDlgNewMessage::StoreMessage(int nFolderType, BOOL bIndividual)
{
    ReadFields();
    CStoreTarget target;
    target.pLocalSession = m_pDatabaseMy != NULL ? &m_pDatabaseMy->m_Local.m_session : NULL;
    target.hOwner = m_hWndFrame;
    target.dwManagerThreadId = m_dwManagerThreadId;
    ::SendMessageA(m_hWndFrame, LetrovaGetIdThread, (WPARAM)&target.dwMainThreadId, 0);
    target.hHandOverEvent = m_args.hHandOverEvent;
    ::SendMessageA(m_hWndFrame, WM_COMMAND, ID_GET_MACRO, (LPARAM)&target.nMerge);
    ::SendMessageA(m_hWndFrame, WM_COMMAND, ID_GET_MACRO_CONTACTS, (LPARAM)&target.nMergeContacts);
    target.bIncludeBusinessCard = m_fields.m_bBusinessCard;
    target.nBusinessCardID = m_pRegistry != NULL ? m_pRegistry->GetBusinessCardContactId() : -1;
    if (IsHtml())
    {
        CString strCharset = m_fields.m_strCharset;
        bool bCancelled = false;
        CString strBody = m_editor.GetMessageBody(strCharset, bCancelled);
        if (bCancelled)
            return 0;
        m_fields.m_strHtmlDocument = strBody;
        m_fields.m_strCharset = strCharset;
    }
    COutgoingMessage outgoing(m_fields, target);
    LONG nEmailsID = outgoing.StoreMessage(nFolderType, bIndividual);
    if (nEmailsID != 0 && IsHtml())
        m_editor.NewDocument();
    return nEmailsID;
}

int CDlgNewMessage::CloseAfterSend(LONG nEmailsID)
{
    if (nEmailsID == 0)
        return 1;
    ::ShowWindow(m_hWndFrame, SW_HIDE);
    ::Sleep(kCloseAfterSendWait);
    // The manager's send run ("/p N") takes N as the account whose Outbox it sends: the message's own ID
    // there named no account, and the message stayed in the Outbox without a word.
    ::PostThreadMessageA(m_dwManagerThreadId, WM_USER, ComposeCommand::ID_SEND_MESSAGE, m_fields.m_nAccountID);
    m_bSent = 1;
    ::PostMessageA(m_hWndFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

void CDlgNewMessage::InsertAtCaret(const CString& strText)
{
    if (IsHtml())
    {
        m_editor.InsertText(strText);
        return;
    }
    // At the caret directly: the user's clipboard stays as it was.
    m_editBody.SendMessage(EM_REPLACESEL, TRUE, (LPARAM)strText.GetString());
}

void CDlgNewMessage::AttachFiles()
{
    std::vector<char> buffer(kFileBufferSize, 0);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWndFrame;
    ofn.hInstance = GetResourceModule();
    static const char kFilter[] = "All Files (*.*)\0*.*\0";
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kFileBufferSize;
    ofn.lpstrDefExt = "*.*";
    ofn.lpstrTitle = ComposeText::kAttachTitle;
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!::GetOpenFileNameA(&ofn))
    {
        const char* pszError = NULL;
        switch (::CommDlgExtendedError())
        {
        case FNERR_SUBCLASSFAILURE:
            pszError = ComposeText::kSubclassFailed;
            break;
        case FNERR_INVALIDFILENAME:
            pszError = ComposeText::kInvalidFileName;
            break;
        case FNERR_BUFFERTOOSMALL:
            pszError = ComposeText::kBufferTooSmall;
            break;
        }
        if (pszError != NULL)
            AppMessageBox(pszError, MB_ICONSTOP, m_hWndFrame);
        return;
    }
    const char* pszFirst = buffer.data();
    const char* pszNext = pszFirst + strlen(pszFirst) + 1;
    if (*pszNext == 0)
    {
        CString strPath = pszFirst;
        int nSlash = strPath.ReverseFind('\\');
        m_attachments.AddAttachment(strPath.Left(nSlash), strPath.Mid(nSlash + 1));
        return;
    }
    CString strFolder = pszFirst;
    if (strFolder.Right(1) == "\\")
        strFolder = strFolder.Left(strFolder.GetLength() - 1);
    for (; *pszNext != 0; pszNext += strlen(pszNext) + 1)
        m_attachments.AddAttachment(strFolder, pszNext);
}

void CDlgNewMessage::ChooseRecipients(WORD nButton)
{
    if (ComposeSelectRecipients == NULL)
        return;
    CEditAddress& edit = nButton == IDC_COMPOSE_TO_BUTTON   ? m_editTo
                         : nButton == IDC_COMPOSE_CC_BUTTON ? m_editCc
                                                            : m_editBcc;
    // A read-only field holds a shortened list: the dialog starts empty rather than from the cut text.
    CString strList = edit.m_bReadOnly ? CString() : edit.GetText();
    CString* pLists[3] = {NULL, NULL, NULL};
    pLists[nButton == IDC_COMPOSE_TO_BUTTON ? 0 : nButton == IDC_COMPOSE_CC_BUTTON ? 1 : 2] = &strList;
    if (ComposeSelectRecipients(m_hWndFrame, NULL, NULL, pLists[0], pLists[1], pLists[2]) != IDOK)
        return;
    SetRecipientField(edit, strList);
    m_bChanged = 1;
    Relayout();
}

void CDlgNewMessage::EditAccounts()
{
    if (m_pDatabaseMy == NULL)
        return;
    HWND hWndFrom = GetDlgItem(IDC_COMPOSE_FROM);
    int nSelected = (int)::SendMessageA(hWndFrom, CB_GETCURSEL, 0, 0);
    LPARAM nChosen = nSelected >= 0 ? ::SendMessageA(hWndFrom, CB_GETITEMDATA, nSelected, 0) : 0;
    CMainDialogs::RunAccountsDialog(m_hWndFrame);
    if (!FillFromCombo(hWndFrom, &m_pDatabaseMy->m_Local.m_session, m_fields, m_args.pMapiMessage != NULL,
                       m_hWndFrame))
    {
        ::PostMessageA(m_hWndFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
    }
    // The account the user had chosen stays chosen while it exists.
    int nCount = (int)::SendMessageA(hWndFrom, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < nCount && nSelected >= 0; i++)
        if (::SendMessageA(hWndFrom, CB_GETITEMDATA, i, 0) == nChosen)
            ::SendMessageA(hWndFrom, CB_SETCURSEL, i, 0);
}

void CDlgNewMessage::AttachBusinessCards()
{
    if (ComposeSelectContacts == NULL || m_pDatabaseMy == NULL)
        return;
    std::vector<LONG> contacts;
    if (!ComposeSelectContacts(m_hWndFrame, ComposeText::kCardsTitle, ComposeText::kCardsButton,
                               ComposeText::kCardsPrompt, contacts))
        return;
    for (LONG nContact : contacts)
    {
        CString strPath;
        if (!WriteOwnVcard(&m_pDatabaseMy->m_Local.m_session, nContact, strPath))
            continue;
        int nSlash = strPath.ReverseFind('\\');
        m_attachments.AddAttachment(strPath.Left(nSlash), strPath.Mid(nSlash + 1));
    }
}

void CDlgNewMessage::OpenMyCard()
{
    CVcardPropertiesHandler handler(m_hWndFrame);
    if (!handler.EditOwnCard())
        AppMessageBox(ComposeText::kUnableToOpenCard, MB_ICONERROR, m_hWndFrame);
}

void CDlgNewMessage::ShowCardMenu()
{
    HMENU hMenu = ::LoadMenuA(GetResourceModule(), MAKEINTRESOURCEA(IDR_BUSINESS_CARD_MENU));
    if (hMenu == NULL)
        return;
    RECT rc = {};
    ::GetWindowRect(GetDlgItem(IDC_COMPOSE_CARD), &rc);
    // The frame routes the chosen command back here.
    ::TrackPopupMenu(::GetSubMenu(hMenu, 0), TPM_LEFTALIGN | TPM_TOPALIGN, rc.left, rc.bottom, 0, m_hWndFrame, NULL);
    ::DestroyMenu(hMenu);
}

LRESULT CDlgNewMessage::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    const WORD nID = LOWORD(wParam), nCode = HIWORD(wParam);
    try
    {
        // Notifications of the dialog's own controls.
        if (lParam != 0 && ::GetParent((HWND)lParam) == m_hWnd)
        {
            switch (nID)
            {
            case IDC_COMPOSE_SUBJECT:
                if (nCode == EN_CHANGE)
                {
                    CString strSubject = m_editSubject.GetText();
                    ::SetWindowTextA(m_hWndFrame, strSubject.IsEmpty() ? CString(ComposeText::kDefaultTitle)
                                                                       : strSubject);
                    if (!m_bSettingUp)
                        m_bChanged = 1;
                }
                return 0;
            case IDC_COMPOSE_TO:
            case IDC_COMPOSE_CC:
            case IDC_COMPOSE_BCC:
                if (nCode == EN_CHANGE && !m_bSettingUp)
                    m_bChanged = 1;
                return 0;
            case IDC_COMPOSE_FROM:
                if (nCode == CBN_SELCHANGE && !m_bSettingUp)
                    m_bChanged = 1;
                return 0;
            case IDC_COMPOSE_BODY:
            case IDC_COMPOSE_SOURCE:
            case IDC_COMPOSE_ATTACHMENTS:
                return 0;
            case IDC_COMPOSE_TO_BUTTON:
            case IDC_COMPOSE_CC_BUTTON:
            case IDC_COMPOSE_BCC_BUTTON:
                if (nCode == BN_CLICKED)
                    ChooseRecipients(nID);
                return 1;
            case IDC_COMPOSE_FROM_BUTTON:
                if (nCode == BN_CLICKED)
                    EditAccounts();
                return 1;
            case IDC_COMPOSE_CARD:
                if (nCode == BN_CLICKED)
                    ShowCardMenu();
                return 1;
            }
        }
        switch (nID)
        {
        case ID_SEND:
        case ID_SEND_INDIVIDUAL:
            if (CanSend())
                CloseAfterSend(StoreMessage(2, nID == ID_SEND_INDIVIDUAL));
            return 1;
        case ID_END:
            ::PostMessageA(m_hWndFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
            return 1;
        case ID_FILE_ATTACHMENT:
            AttachFiles();
            return 1;
        case ID_PRIORITY_HIGH:
        case ID_PRIORITY_NORMAL:
        case ID_PRIORITY_LOW:
            SetPriority(nID);
            return 1;
        case ID_PRIORITY_BUTTON:
            SetPriority(m_nPriorityCommand == ID_PRIORITY_NORMAL ? ID_PRIORITY_HIGH
                        : m_nPriorityCommand == ID_PRIORITY_HIGH ? ID_PRIORITY_LOW
                                                                 : ID_PRIORITY_NORMAL);
            return 1;
        case ID_READ_RECEIPT:
            m_fields.m_bReadReceipt = !m_fields.m_bReadReceipt;
            m_bChanged = 1;
            return 1;
        case ID_MY_BUSINESS_CARD:
            m_fields.m_bBusinessCard = !m_fields.m_bBusinessCard;
            m_bChanged = 1;
            ::ShowWindow(GetDlgItem(IDC_COMPOSE_CARD), m_fields.m_bBusinessCard ? SW_SHOW : SW_HIDE);
            Relayout();
            return 1;
        case ID_BUSINESS_CARD:
            AttachBusinessCards();
            return 1;
        case ID_OPEN_MY_CARD:
            OpenMyCard();
            return 1;
        case ID_DELETE_MY_CARD:
            ::SendMessageA(m_hWndFrame, WM_COMMAND, ID_MY_BUSINESS_CARD, 0);
            return 1;
        case ID_SIGNATURE:
            InsertSignature();
            return 1;
        case ID_NEW_DOCUMENT:
            m_editor.NewDocument();
            return 1;
        case ID_EDITOR_DOCUMENT_COMPLETE:
            OnDocumentComplete();
            return 1;
        case ID_WEB_BROWSER_DOWNLOAD_COMPLETE:
            m_bDownloadComplete = 1;
            return 1;
        case ID_RICH_TEXT:
            SwitchToHtml();
            return 1;
        case ID_PLAIN_TEXT:
            SwitchToPlain();
            return 1;
        case ID_SET_DEFAULT_FOCUS:
            if (m_fields.m_nBodyKind == 1 && IsHtml())
                ::PostMessageA(m_hWndFrame, WM_COMMAND, ID_PLAIN_TEXT, 0);
            else if (m_fields.m_nBodyKind == 2 && !IsHtml() && m_fields.m_bEditor)
                ::PostMessageA(m_hWndFrame, WM_COMMAND, ID_RICH_TEXT, 0);
            m_editTo.SetFocus();
            return 1;
        case ID_SPELLING:
        {
            const BOOL bAnnounce = m_bAnnounceSpelling;
            m_bAnnounceSpelling = 1;
            return CheckComposeSpelling(IsHtml() ? &m_editor : NULL, m_editBody.m_hWnd, bAnnounce, m_pRegistry,
                                        m_hWndFrame)
                       ? 0
                       : 1;
        }
        case ID_MACRO_FIRSTNAME:
            InsertAtCaret(ComposeText::kMacroFirstname);
            return 0;
        case ID_MACRO_NAME:
            InsertAtCaret(ComposeText::kMacroName);
            return 0;
        case ID_MACRO_SURNAME:
            InsertAtCaret(ComposeText::kMacroSurname);
            return 0;
        case ID_MACRO_TITLE:
            InsertAtCaret(ComposeText::kMacroTitle);
            return 0;
        case ID_MACRO_INITIALS:
            InsertAtCaret(ComposeText::kMacroInitials);
            return 0;
        case ID_MACRO_FAMILIAR:
            InsertAtCaret(ComposeText::kMacroFamiliar);
            return 0;
        }
        if (EditorCommand(nID, lParam) != 0)
            return 1;
        return RouteToChildren(wParam, lParam, bHandled);
    }
    catch (...)
    {
        ShowCaughtInCompose(ComposeText::kDialogCrashed, m_hWndFrame);
    }
    return 1;
}

LRESULT CDlgNewMessage::RouteToChildren(WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    for (CCtrlEdit* pEdit : {(CCtrlEdit*)&m_editTo, (CCtrlEdit*)&m_editCc, (CCtrlEdit*)&m_editBcc, &m_editSubject,
                             &m_editSource})
        pEdit->SendMessage(WM_COMMAND, wParam, lParam);
    if (m_editBody.SendMessage(WM_COMMAND, wParam, lParam) != 0)
        return 1;
    if (LOWORD(wParam) == ID_DELETE_KEY && ::GetFocus() == m_attachments.m_hWnd)
    {
        m_attachments.DeleteSelected();
        return 1;
    }
    bHandled = FALSE;
    return 0;
}
