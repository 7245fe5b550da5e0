// The message body view.
#include "ui/compose/CtrlMessageBody.h"

#include "content/TextUtilities.h"
#include "foundation/ErrorUtil.h"
#include "foundation/FoundationUi.h"
#include "foundation/Paths.h"
#include "foundation/Registry.h"
#include "foundation/TraceFile.h"
#include "foundation/WindowMessages.h"
#include "resources/resource.h"
#include "store/DatabaseSession.h"
#include "store/MessageFlagsNotice.h"
#include "store/MessageView.h"

HANDLE CCtrlMessageBody::s_hHandOverEvent = NULL;

namespace
{
const UINT_PTR kMarkReadTimer = 1;
const DWORD kHandOverWait = 5000;

// Each view writes a file of its own: two views must never show each other's message.
CString NewViewFileName()
{
    static volatile LONG s_nViews = 0;
    CString strName;
    strName.Format("\\Body%lu_%ld.htm", (unsigned long)::GetCurrentProcessId(),
                   (long)::InterlockedIncrement(&s_nViews));
    return strName;
}

CString ReadFileText(const char* pszPath)
{
    CString strText;
    CFile file(pszPath, CFile::modeRead | CFile::shareDenyNone);
    const DWORD nLength = file.GetLength();
    if (nLength > 0)
    {
        char* pszBuffer = strText.GetBuffer((int)nLength);
        const UINT nRead = file.Read(pszBuffer, nLength);
        strText.ReleaseBuffer((int)nRead);
    }
    return strText;
}

void WriteFileText(const char* pszPath, const CString& strText)
{
    ::DeleteFileA(pszPath);
    CFile file(pszPath, CFile::modeCreate | CFile::modeWrite);
    file.Write((const char*)strText, (UINT)strText.GetLength());
}
} // namespace

CCtrlMessageBody::CCtrlMessageBody(HWND hWndOwner, BOOL bShowEmpty, BOOL bMarkReadByTimer, BOOL bBorder)
    : CHost(hWndOwner), m_bShowEmpty(bShowEmpty), m_bMarkReadByTimer(bMarkReadByTimer)
{
    m_bBorder = bBorder != FALSE;
}

CCtrlMessageBody::~CCtrlMessageBody()
{
    if (m_hWnd != NULL && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    delete m_pFolders;
    m_pFolders = NULL;
    if (!m_strHtmlFile.IsEmpty())
        ::DeleteFileA(m_strHtmlFile);
}

LRESULT CCtrlMessageBody::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    try
    {
        m_strTempFolder = GetTempHtmlPath();
        m_strHtmlFile = m_strTempFolder + NewViewFileName();
        if (m_bShowEmpty)
        {
            CString strPath;
            CString strError;
            WriteMessageViewFile(CString(), NULL, "", false, strPath, "", NULL, 0, strError);
            Navigate(strPath);
        }
    }
    catch (CException* pException)
    {
        delete pException;
        AppMessageBox(MessageBodyText::kInitFailed, MB_ICONSTOP, NULL);
    }
    catch (...)
    {
        AppMessageBox(MessageBodyText::kInitFailed, MB_ICONSTOP, NULL);
    }
    return TRUE;
}

LRESULT CCtrlMessageBody::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam != kMarkReadTimer)
    {
        bHandled = FALSE;
        return 0;
    }
    KillTimer(kMarkReadTimer);
    MarkRead();
    return 0;
}

LRESULT CCtrlMessageBody::OnViewMessageBody(WORD, WORD, HWND hWndCtl, BOOL&)
{
    return OnViewMessageBody(reinterpret_cast<CEmailsImpl<>*>(hWndCtl));
}

LRESULT CCtrlMessageBody::OnViewMessageBody(CEmailsImpl<>* pMessage)
{
    // Serialises the display with a worker that is handing a new message over; a wait that runs out goes
    // on all the same, and the event is left set for the next one either way.
    if (s_hHandOverEvent != NULL)
    {
        ::WaitForSingleObject(s_hHandOverEvent, kHandOverWait);
        ::SetEvent(s_hHandOverEvent);
    }
    try
    {
        ShowStore(pMessage);
    }
    catch (CException* pException)
    {
        CString strText = CString(MessageBodyText::kViewFailed) + pException->m_strMessage;
        delete pException;
        DebugTrace("%s", MessageBodyText::kViewFailedTrace);
        AppMessageBox(strText, MB_ICONSTOP, NULL);
    }
    catch (COLEDBException* pException)
    {
        CString strText = CString(MessageBodyText::kViewFailed) + pException->m_strMessage;
        delete pException;
        DebugTrace("%s", MessageBodyText::kViewFailedTrace);
        AppMessageBox(strText, MB_ICONSTOP, NULL);
    }
    catch (const char* pszText)
    {
        DebugTrace("%s", MessageBodyText::kViewFailedTrace);
        AppMessageBox(CString(MessageBodyText::kViewFailed) + pszText, MB_ICONSTOP, NULL);
    }
    catch (...)
    {
        DebugTrace("%s", MessageBodyText::kViewFailedTrace);
        AppMessageBox(MessageBodyText::kViewFailed, MB_ICONSTOP, NULL);
    }
    return 0;
}

void CCtrlMessageBody::ShowStore(CEmailsImpl<>* pMessage)
{
    if (IsWindow())
        KillTimer(kMarkReadTimer);
    if (pMessage == NULL)
    {
        m_nEmailsID = 0;
        m_strMessageFile.Empty();
        m_nEncode = 0;
        m_nBodyKind = 0;
        Navigate("about:blank");
        EnableMessageCommands(false);
        return;
    }
    m_nEmailsID = pMessage->m_EmailsID;
    m_strMessageFile = pMessage->GetMessageFileName();
    m_nEncode = pMessage->m_Encode;

    CString strName = m_strHtmlFile.Mid(m_strTempFolder.GetLength());
    CString strPath;
    int nNoMessage = 0;
    // Text bodies are escaped: markup in a plain-text message is shown, never run.
    int nKind = pMessage->GetMessageFile(strPath, strName, &nNoMessage, 1);
    m_nBodyKind = nNoMessage ? 0 : nKind;
    if (m_nBodyKind == 0)
        Navigate("about:blank");
    else if (m_nBodyKind == 1)
    {
        CString strText = ReadFileText(strPath);
        WriteFileText(strPath, "<HTML>" + BuildViewHead(pMessage->GetCharsetName()) + "\r\n<BODY>" +
                                   PreformattedTextBlock(strText) + "</BODY></HTML>");
        Navigate(strPath);
    }
    else
        Navigate(strPath);
    EnableMessageCommands(true);
    StartMarkReadTimer();
}

void CCtrlMessageBody::EnableMessageCommands(bool bEnable)
{
    if (m_hWndOwner == NULL)
        return;
    const WORD commands[] = {MessageBodyCommand::kOpen, MessageBodyCommand::kSaveAs, MessageBodyCommand::kAddSender,
                             MessageBodyCommand::kReply, MessageBodyCommand::kForward};
    for (WORD wID : commands)
        ::SendMessageA(m_hWndOwner, LetrovaEnable, wID, bEnable ? 1 : 0);
    for (WORD wID = MessageBodyCommand::kEncodingFirst; wID <= MessageBodyCommand::kEncodingLast; wID++)
        ::SendMessageA(m_hWndOwner, LetrovaEnable, wID, bEnable ? 1 : 0);
}

void CCtrlMessageBody::StartMarkReadTimer()
{
    if (!m_bMarkReadByTimer || m_hWndOwner == NULL)
        return;
    CRegistry* pRegistry = NULL;
    ::SendMessageA(m_hWndOwner, LetrovaGetRegistry, (WPARAM)&pRegistry, 0);
    if (pRegistry == NULL || !pRegistry->m_bMarkRead)
        return;
    m_nTimerDelay = pRegistry->m_nMarkReadTimeOut > 0 ? (UINT)pRegistry->m_nMarkReadTimeOut : 0;
    SetTimer(kMarkReadTimer, m_nTimerDelay);
}

void CCtrlMessageBody::MarkRead()
{
    if (m_nEmailsID <= 0)
        return;
    CDatabaseSession* pDatabase = OwnerDatabase();
    if (pDatabase == NULL)
        return;
    CEmailsImpl<> store(&pDatabase->m_session);
    if (!store.OpenByKey(m_nEmailsID, FALSE, m_hWnd) || !store.IsUnread())
        return;
    store.SetFlag(EMAIL_FLAG_UNREAD, FALSE);
    store.UpdateFlags(pDatabase, m_hWnd);
    MessageFlagsNotice.nUnread -= 1;
    MessageFlagsNotice.nUnreadDelta -= 1;
    MessageFlagsNotice.nKind = NOTICE_MESSAGE_READ;
    MessageFlagsNotice.nFolderID = store.m_FolderID;
    MessageFlagsNotice.nMessageID = store.m_EmailsID;
    ChangedMessageIDs.clear();
    ChangedMessageIDs.push_back(store.m_EmailsID);
    DWORD dwThreadId = 0;
    ::SendMessageA(m_hWndOwner, LetrovaGetIdThread, (WPARAM)&dwThreadId, 0);
    if (dwThreadId != 0)
        ::PostThreadMessageA(dwThreadId, WM_USER, MessageBodyCommand::kUpdateMessageFlags, 0);
}

LRESULT CCtrlMessageBody::OnDeleteMessage(WORD, WORD, HWND hWndCtl, BOOL& bHandled)
{
    bHandled = FALSE;
    if ((LONG)(LONG_PTR)hWndCtl == m_nEmailsID && m_nEmailsID > 0)
        OnViewMessageBody(NULL);
    return 0;
}

void CCtrlMessageBody::LoadCurrentMessage(CEmailsImpl<>& store, bool bUnique)
{
    if (m_nEmailsID <= 0)
    {
        if (m_strMessageFile.IsEmpty())
            throw MessageBodyText::kMessageNotFound;
        store.OpenMessageFile(m_strMessageFile, m_nEncode);
        return;
    }
    if (!store.OpenByKey(m_nEmailsID, TRUE, m_hWnd))
        throw MessageBodyText::kMessageNotFound;
    if (bUnique)
    {
        CEmailsImpl<> second(store.m_pSession);
        if (second.OpenByKey(m_nEmailsID, FALSE, m_hWnd) && second.MoveNext(TRUE, FALSE) == S_OK)
            throw MessageBodyText::kTooMuchMessages;
    }
}

LRESULT CCtrlMessageBody::OnReread(WORD, WORD, HWND, BOOL&)
{
    CDatabaseSession* pDatabase = OwnerDatabase();
    if (pDatabase == NULL)
        return 0;
    CEmailsImpl<> store(&pDatabase->m_session);
    try
    {
        LoadCurrentMessage(store, true);
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, NULL);
        return 0;
    }
    OnViewMessageBody(&store);
    return 0;
}

LRESULT CCtrlMessageBody::OnEncoding(WORD, WORD wID, HWND, BOOL&)
{
    CDatabaseSession* pDatabase = OwnerDatabase();
    if (pDatabase == NULL && m_nEmailsID > 0)
        return 0;
    const BYTE nIndex = EncodingIndex(wID);
    CSession* pSession = pDatabase != NULL ? &pDatabase->m_session : NULL;
    CEmailsImpl<> store(pSession);
    try
    {
        const BYTE nPrevious = m_nEncode;
        m_nEncode = nIndex;
        try
        {
            LoadCurrentMessage(store, false);
        }
        catch (...)
        {
            m_nEncode = nPrevious;
            throw;
        }
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, NULL);
        return 0;
    }
    // A message shown from a file keeps the choice only in the view.
    if (m_nEmailsID > 0)
        store.UpdateEncode(m_hWndOwner, nIndex);
    else
        store.m_Encode = nIndex;
    m_nEncode = nIndex;
    if (m_hWndOwner != NULL && m_hWndOwner != m_hWnd)
        ::SendMessageA(m_hWndOwner, WM_COMMAND, MessageBodyCommand::kViewMessageBody, (LPARAM)&store);
    else
        OnViewMessageBody(&store);
    m_nEncode = nIndex;
    return 0;
}

LRESULT CCtrlMessageBody::OnCloseLocalDatabase(WORD, WORD, HWND, BOOL& bHandled)
{
    if (m_pFolders != NULL)
        m_pFolders->Close();
    bHandled = FALSE;
    return 0;
}

WORD CCtrlMessageBody::EncodingCommand(BYTE nIndex)
{
    return nIndex == 0 ? MessageBodyCommand::kEncodingDefault : (WORD)(33003 + nIndex);
}

BYTE CCtrlMessageBody::EncodingIndex(WORD wID)
{
    return wID == MessageBodyCommand::kEncodingDefault ? 0 : (BYTE)(wID - 33003);
}

void CCtrlMessageBody::OfferErrorReport(const CString& strText)
{
    CString strFormat, strQuestion;
    strFormat.LoadString(IDS_EMAIL_ME_REPORT);
    strQuestion.Format(strFormat, (const char*)strText);
    if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONSTOP, NULL) != IDYES)
        return;
    CString strPath = GetTempFolder() + MessageBodyText::kSavedMessageName;
    try
    {
        CDatabaseSession* pDatabase = OwnerDatabase();
        if (pDatabase != NULL && m_nEmailsID > 0)
        {
            CEmailsImpl<> store(&pDatabase->m_session);
            LoadCurrentMessage(store, false);
            MessageText::SaveToFile(store.GetMessage(), strPath);
        }
    }
    catch (...)
    {
    }
    ShowErrorReportPrompt(strText, strPath);
    ::DeleteFileA(strPath);
}

CDatabaseSession* CCtrlMessageBody::OwnerDatabase() const
{
    if (m_hWndOwner == NULL)
        return NULL;
    CDatabaseSession* pDatabase = NULL;
    ::SendMessageA(m_hWndOwner, LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
    return pDatabase;
}
