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
#include "store/EmailsImpl.h"
#include "ui/compose/ComposeCommands.h"
#include "ui/compose/ComposeErrors.h"
#include "ui/compose/ComposeSetup.h"
#include "ui/compose/ComposeTexts.h"
#include "ui/compose/FromAccounts.h"
#include "ui/compose/OutgoingMessage.h"
#include "ui/main/MainCommands.h"

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

        HWND hWndTabs = GetDlgItem(IDC_COMPOSE_TABS);
        const char* pszTabs[] = {ComposeText::kTabEdit, ComposeText::kTabSource, ComposeText::kTabPreview};
        for (int i = 0; i < 3; i++)
        {
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<char*>(pszTabs[i]);
            ::SendMessageA(hWndTabs, TCM_INSERTITEMA, i, (LPARAM)&item);
        }
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
    Relayout();
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
    return m_fields.m_nMode == COMPOSE_EDIT_DRAFT || m_bChanged != 0 ||
           m_editBody.SendMessage(EM_GETMODIFY) != 0;
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
    COutgoingMessage outgoing(m_fields, target);
    return outgoing.StoreMessage(nFolderType, bIndividual);
}

int CDlgNewMessage::CloseAfterSend(LONG nEmailsID)
{
    if (nEmailsID == 0)
        return 1;
    ::ShowWindow(m_hWndFrame, SW_HIDE);
    ::Sleep(kCloseAfterSendWait);
    ::PostThreadMessageA(m_dwManagerThreadId, WM_USER, ComposeCommand::ID_SEND_MESSAGE, nEmailsID);
    m_bSent = 1;
    ::PostMessageA(m_hWndFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

void CDlgNewMessage::InsertAtCaret(const CString& strText)
{
    CPlainTextEdit edit;
    edit.m_hWnd = m_editBody.m_hWnd;
    PasteTextViaClipboard(edit, strText);
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

void CDlgNewMessage::SwitchToHtml()
{
    if (m_fields.m_bEditor)
        return;
    if (AppMessageBox(ComposeText::kDhtmlMissing, MB_YESNO | MB_ICONQUESTION, m_hWndFrame) == IDYES)
    {
        AppMessageBox(ComposeText::kCloseAndRetry, MB_ICONINFORMATION, m_hWndFrame);
        ::PostMessageA(m_hWndFrame, WM_CLOSE, 0, 0);
    }
}

void CDlgNewMessage::SwitchToPlain()
{
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
            case IDC_COMPOSE_FROM_BUTTON:
            case IDC_COMPOSE_CARD:
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
        case ID_DELETE_MY_CARD:
            ::SendMessageA(m_hWndFrame, WM_COMMAND, ID_MY_BUSINESS_CARD, 0);
            return 1;
        case ID_SIGNATURE:
            return 1;
        case ID_RICH_TEXT:
            SwitchToHtml();
            return 1;
        case ID_PLAIN_TEXT:
            SwitchToPlain();
            return 1;
        case ID_SET_DEFAULT_FOCUS:
            m_editTo.SetFocus();
            return 1;
        case ID_SPELLING:
        {
            CPlainTextEdit edit;
            edit.m_hWnd = m_editBody.m_hWnd;
            bool bCompleted = SpellCheckEditControl(edit, TRUE, m_bAnnounceSpelling);
            m_bAnnounceSpelling = 1;
            return bCompleted ? 0 : 1;
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
