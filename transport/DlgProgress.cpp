// The send-and-receive progress window: its account loop, one worker thread per account, the task and
// error lists, the cancel flag that the protocol clients read.
#include "transport/DlgProgress.h"

#include <objbase.h>

#include <stdarg.h>

#include "app/ManagerCommands.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/TextServices.h"
#include "foundation/TraceFile.h"
#include "store/DeletedMessagesTable.h"
#include "store/MessageFlagsNotice.h"
#include "store/OLEDBException.h"
#include "transport/DlgException.h"
#include "transport/ProgressTexts.h"

extern CAppModule _Module;

volatile LONG g_nNewMessages = 0;
DWORD CDlgProgress::s_dwManagerThreadId = 0;
HANDLE CDlgProgress::s_hEventListHandOver = NULL;

namespace
{
void ShowExceptionDialog(HWND hWndOwner, const CString& strReport, const CString& strDetail)
{
    CDlgException dialog(strReport, 0, strDetail);
    dialog.DoModal(hWndOwner);
}
} // namespace

CDlgProgress::ReportDialog CDlgProgress::s_pfnReportDialog = ShowExceptionDialog;
CDlgProgress::AboutBox CDlgProgress::s_pfnAboutBox = NULL;

namespace
{
const int kPictureIds[3] = {IDC_PICTURE_DONE, IDC_PICTURE_ERRORS, IDC_PICTURE_STOPPED};
const UINT_PTR kWorkerWatchTimer = 1;
const UINT kWorkerWatchPeriod = 50;

void Trace(const char* pszText)
{
    if (IsTraceOn())
        g_pTraceFile->WriteText(pszText);
}
} // namespace

CString CDlgProgress::FormatString(UINT nIdString, ...)
{
    CString strFormat;
    strFormat.LoadString(nIdString);
    va_list args;
    va_start(args, nIdString);
    CString strText;
    strText.FormatV(strFormat, args);
    va_end(args);
    return strText;
}

CDlgProgress::CDlgProgress(CDatabaseMy* pDatabase, LONG nAccount, HWND hOwner, DWORD dwOwnerThread, int nMode)
    : m_History(pDatabase != NULL ? &pDatabase->m_Orb : NULL, hOwner), m_hEventRunState(NULL),
      m_dwOwnerThread(dwOwnerThread), m_pDatabase(pDatabase), m_hOwner(hOwner), m_hProgress(NULL),
      m_hStatusLine(NULL), m_hStatusText(NULL), m_hTabs(NULL), m_hTasks(NULL), m_hErrors(NULL),
      m_hAnimation(NULL), m_hPictures{NULL, NULL, NULL}, m_hStop(NULL), m_hNext(NULL), m_pAccounts(NULL),
      m_pOptions(NULL), m_hWorker(NULL), m_dwWorkerThreadId(0), m_nAccount(nAccount), m_bFinished(0), m_bCancel(0), m_bSkip(0),
      m_bModal(0), m_nMode(nMode), m_bClosing(false), m_nAfterWorker(0)
{
    Trace(ProgressText::kTraceConstructor);
    if (m_dwOwnerThread == 0)
        m_dwOwnerThread = s_dwManagerThreadId;
    if (m_hOwner != NULL)
    {
        ::SendMessageA(m_hOwner, LetrovaGethEventDlgProgress, (WPARAM)&m_hEventRunState, 0);
        if (m_hEventRunState != NULL)
            ::ResetEvent(m_hEventRunState);
    }
    g_nNewMessages = 0;
}

CDlgProgress::~CDlgProgress()
{
    delete m_pAccounts;
    delete m_pOptions;
    if (m_hWorker != NULL)
        ::CloseHandle(m_hWorker);
    if (m_hEventRunState != NULL)
        ::SetEvent(m_hEventRunState);
    Trace(ProgressText::kTraceDestructor);
}

INT_PTR CDlgProgress::DoModal(HWND hWndParent, LPARAM dwInitParam)
{
    m_bModal = 1;
    return CDialogImpl<CDlgProgress>::DoModal(hWndParent, dwInitParam);
}

BOOL CDlgProgress::PreTranslateMessage(MSG* pMsg)
{
    return m_hWnd != NULL && ::IsDialogMessageA(m_hWnd, pMsg);
}

LRESULT CDlgProgress::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CenterWindow(m_hOwner);
    HINSTANCE hInstance = AtlGetResourceInstance();
    HICON hBig = (HICON)::LoadImageA(hInstance, MAKEINTRESOURCEA(128), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                     ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR);
    HICON hSmall = (HICON)::LoadImageA(hInstance, MAKEINTRESOURCEA(128), IMAGE_ICON,
                                       ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                       LR_DEFAULTCOLOR);
    if (hBig != NULL)
        SetIcon(hBig, TRUE);
    if (hSmall != NULL)
        SetIcon(hSmall, FALSE);

    CMessageLoop* pLoop = _Module.GetMessageLoop();
    if (pLoop != NULL)
    {
        pLoop->AddMessageFilter(this);
        pLoop->AddIdleHandler(this);
    }
    UIAddChildWindowContainer(m_hWnd);

    m_hProgress = GetDlgItem(IDC_PROGRESS_BAR);
    m_hStatusLine = GetDlgItem(IDC_PROGRESS_STATUS_LINE);
    m_hStatusText = GetDlgItem(IDC_PROGRESS_STATUS_TEXT);
    m_hTabs = GetDlgItem(IDC_PROGRESS_TABS);
    m_hTasks = GetDlgItem(IDC_PROGRESS_TASKS);
    m_hErrors = GetDlgItem(IDC_PROGRESS_ERRORS);
    m_hAnimation = GetDlgItem(IDC_PROGRESS_ANIMATION);
    for (int i = 0; i < 3; ++i)
        m_hPictures[i] = GetDlgItem(kPictureIds[i]);
    m_hStop = GetDlgItem(IDC_PROGRESS_STOP);
    m_hNext = GetDlgItem(IDC_PROGRESS_NEXT);
    ::SendMessageA(m_hProgress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::SendMessageA(m_hProgress, PBM_SETPOS, 0, 0);
    const LPCSTR icons[3] = {IDI_INFORMATION, IDI_WARNING, IDI_HAND};
    for (int i = 0; i < 3; ++i)
        ::SendMessageA(m_hPictures[i], STM_SETICON, (WPARAM)::LoadIconA(NULL, icons[i]), 0);
    ShowState(0);

    CString strTasks, strStatus, strErrors;
    strTasks.LoadString(IDS_TASKS);
    strStatus.LoadString(IDS_STATUS);
    strErrors.LoadString(IDS_ERRORS);
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 450;
    column.pszText = const_cast<char*>((const char*)strTasks);
    ::SendMessageA(m_hTasks, LVM_INSERTCOLUMNA, 0, (LPARAM)&column);
    column.cx = 150;
    column.pszText = const_cast<char*>((const char*)strStatus);
    ::SendMessageA(m_hTasks, LVM_INSERTCOLUMNA, 1, (LPARAM)&column);

    if (m_nMode == 1)
        PostMessage(WM_COMMAND, ID_HIDE_DIALOG);

    try
    {
        if (m_pDatabase == NULL || !m_pDatabase->m_Local.IsOpen())
            throw ProgressText::kNoSession;
        CDeletedMessagesTable::Create(&m_pDatabase->m_Local.m_session, m_hWnd);
        m_pOptions = new COptionsTable(&m_pDatabase->m_Local.m_session);
        m_pAccounts = new CAccountsTable(&m_pDatabase->m_Local.m_session, m_pOptions);
        OpenAccounts();
        DebugTrace("%s", ProgressText::kTraceSendReceive);
        BuildTaskList();
        OpenAccounts();
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, m_hWnd);
        delete m_pAccounts;
        m_pAccounts = NULL;
    }
    catch (CException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_ICONSTOP, m_hWnd);
        delete pException;
        delete m_pAccounts;
        m_pAccounts = NULL;
    }
    catch (COLEDBException* pException)
    {
        // A run that cannot start says why instead of ending without a word.
        AppMessageBox(pException->Summary(), MB_ICONSTOP, m_hWnd);
        delete pException;
        delete m_pAccounts;
        m_pAccounts = NULL;
    }

    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>((const char*)strTasks);
    ::SendMessageA(m_hTabs, TCM_INSERTITEMA, 0, (LPARAM)&item);
    item.pszText = const_cast<char*>((const char*)strErrors);
    ::SendMessageA(m_hTabs, TCM_INSERTITEMA, 1, (LPARAM)&item);
    RECT rcTabs;
    ::GetWindowRect(m_hTabs, &rcTabs);
    ScreenToClient(&rcTabs);
    RECT rcFirst = {};
    const int nTabHeight =
        ::SendMessageA(m_hTabs, TCM_GETITEMRECT, 0, (LPARAM)&rcFirst) ? rcFirst.bottom - rcFirst.top : 19;
    for (HWND hPage : {m_hTasks, m_hErrors})
        ::MoveWindow(hPage, rcTabs.left + 3, rcTabs.top + 6 + nTabHeight, rcTabs.right - 3 - (rcTabs.left + 3),
                     rcTabs.bottom - 3 - (rcTabs.top + 6 + nTabHeight), FALSE);
    ShowPage(1);
    ShowPage(0);

    if (m_pAccounts == NULL)
        PostMessage(WM_COMMAND, ID_END);
    else
        SendMessage(WM_COMMAND, ID_NEXT);
    return TRUE;
}

void CDlgProgress::OpenAccounts()
{
    m_pAccounts->Close();
    m_pAccounts->Clear();
    m_pAccounts->m_Flags = 6;
    m_pAccounts->m_RemoveAfter = 5;
    CString strSQL = ProgressText::kAccountsSelect;
    if (m_nAccount != 0)
    {
        m_pAccounts->m_ID = m_nAccount;
        strSQL += ProgressText::kAccountsWhere;
    }
    m_pAccounts->Open(m_hWnd, "Accounts", strSQL);
}

void CDlgProgress::BuildTaskList()
{
    CEmailsImpl<> store(&m_pDatabase->m_Local.m_session);
    CFolders folders(&m_pDatabase->m_Local.m_session);
    const LONG nOutbox = folders.GetSystemFolder(FOLDER_OUTBOX, m_hWnd);
    while (m_pAccounts->MoveNext() == S_OK)
    {
        const int nCount = CountOutbox(store, nOutbox, false);
        if (nCount != 0)
            AddTask(FormatString(IDS_SEND_MESSAGES_TASK, nCount, m_pAccounts->m_szDisplayName), 0,
                    m_pAccounts->m_ID);
        if (m_nMode == 2 || (m_nAccount == 0 && (m_pAccounts->m_Flags & 0x4) != 0))
            AddTask(FormatString(IDS_CHECK_FOR_NEW_MESSAGES, m_pAccounts->m_szDisplayName), 1, m_pAccounts->m_ID);
    }
}

int CDlgProgress::CountOutbox(CEmailsImpl<>& store, LONG nOutbox, bool bPerRecipient)
{
    std::vector<std::pair<LONG, LONG>> messages; // EmailsID, Flags
    store.OpenByFolder(nOutbox, m_hWnd);
    while (store.MoveNext(1, 0) == S_OK)
    {
        CString strName, strAddress;
        try
        {
            SplitAddress(store.m_Ref, strName, strAddress);
        }
        catch (const char*)
        {
            continue;
        }
        if (strAddress.CompareNoCase(m_pAccounts->m_szEmailAddress) == 0)
            messages.push_back(std::make_pair(store.m_EmailsID, store.m_Flags));
    }
    store.Close();
    if (!bPerRecipient)
        return (int)messages.size();
    int nCount = 0;
    for (const auto& message : messages)
    {
        if ((message.second & 0x8) == 0)
        {
            ++nCount;
            continue;
        }
        CAddressTable addresses(&m_pDatabase->m_Local.m_session);
        addresses.OpenForEmail(message.first, m_hWnd, ADDRESS_TO);
        while (addresses.MoveNext() == S_OK)
        {
            if (addresses.m_Flags & 0x1)
                ++nCount;
        }
    }
    return nCount;
}

void CDlgProgress::AddTask(const CString& strText, int nKind, LONG nAccountID)
{
    CTaskItem* pItem = new CTaskItem{nKind, nAccountID};
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = (int)::SendMessageA(m_hTasks, LVM_GETITEMCOUNT, 0, 0);
    item.pszText = const_cast<char*>((const char*)strText);
    item.lParam = (LPARAM)pItem;
    ::SendMessageA(m_hTasks, LVM_INSERTITEMA, 0, (LPARAM)&item);
}

LRESULT CDlgProgress::OnOK(WORD, WORD, HWND, BOOL&)
{
    EndWindow(IDOK);
    return 0;
}

LRESULT CDlgProgress::OnCancel(WORD, WORD, HWND, BOOL&)
{
    // The worker is never cut off: it may hold a message that is stored but not yet deleted on the server,
    // or a database write half done. It sees the cancel flag and ends by itself; until then the window is
    // out of sight and this thread goes on serving its messages.
    if (m_bClosing)
        return 0;
    m_bClosing = true;
    m_bCancel = 1;
    if (!WorkerEnded())
    {
        ShowWindow(SW_HIDE);
        AfterWorker(IDCANCEL);
        return 0;
    }
    EndWindow(IDCANCEL);
    return 0;
}

bool CDlgProgress::WorkerEnded()
{
    if (m_hWorker == NULL)
        return true;
    if (::WaitForSingleObject(m_hWorker, 0) != WAIT_OBJECT_0)
        return false;
    ::CloseHandle(m_hWorker);
    m_hWorker = NULL;
    return true;
}

void CDlgProgress::AfterWorker(WORD nCommand)
{
    m_nAfterWorker = nCommand;
    SetTimer(kWorkerWatchTimer, kWorkerWatchPeriod);
}

LRESULT CDlgProgress::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam != kWorkerWatchTimer)
    {
        bHandled = FALSE;
        return 0;
    }
    if (!WorkerEnded())
        return 0;
    KillTimer(kWorkerWatchTimer);
    const WORD nCommand = m_nAfterWorker;
    m_nAfterWorker = 0;
    if (nCommand == IDCANCEL)
        EndWindow(IDCANCEL);
    else if (nCommand != 0)
        PostMessage(WM_COMMAND, nCommand);
    return 0;
}

void CDlgProgress::EndWindow(int nCode)
{
    if (m_bModal)
        EndDialog(nCode);
    else
    {
        DestroyWindow();
        ::PostQuitMessage(nCode);
    }
}

LRESULT CDlgProgress::OnStopButton(WORD, WORD, HWND, BOOL&)
{
    OnStop();
    return 0;
}

void CDlgProgress::OnStop()
{
    m_bCancel = 1;
    CString strText;
    strText.LoadString(IDS_RUN_INTERRUPTED);
    ::SetWindowTextA(m_hStatusText, strText);
    ::SetWindowTextA(m_hStatusLine, "");
    ShowState(208);
    ::EnableWindow(m_hStop, FALSE);
    ::EnableWindow(m_hNext, FALSE);
}

LRESULT CDlgProgress::OnSkip(WORD, WORD, HWND, BOOL&)
{
    m_bSkip = 1;
    m_bCancel = 1;
    ::EnableWindow(m_hStop, FALSE);
    MarkCurrentCancelled();
    return 0;
}

LRESULT CDlgProgress::OnHide(WORD, WORD, HWND, BOOL&)
{
    PostMessage(WM_COMMAND, ID_HIDE_DIALOG);
    return 0;
}

void CDlgProgress::MarkCurrentCancelled()
{
    SetTaskStatus(IDS_CANCELLED, 2);
}

LRESULT CDlgProgress::OnNext(WORD, WORD, HWND, BOOL&)
{
    if (m_bClosing || m_bFinished || m_pAccounts == NULL)
        return 0;
    // The worker posts this as its last act; it is let finish before the rowset moves under it.
    if (!WorkerEnded())
    {
        AfterWorker(ID_NEXT);
        return 0;
    }
    ::SendMessageA(m_hProgress, PBM_SETPOS, 0, 0);
    if (m_bCancel)
    {
        MarkCurrentCancelled();
        if (m_bSkip)
        {
            ::EnableWindow(m_hStop, TRUE);
            ::EnableWindow(m_hNext, TRUE);
            m_bCancel = 0;
        }
    }
    m_bSkip = 0;
    for (;;)
    {
        HRESULT hr = E_FAIL;
        try
        {
            hr = m_pAccounts->MoveNext();
        }
        catch (COLEDBException* pException)
        {
            delete pException;
        }
        if (hr != S_OK)
        {
            ::EnableWindow(m_hStop, FALSE);
            ::EnableWindow(m_hNext, FALSE);
            PostMessage(WM_COMMAND, ID_END);
            return 0;
        }
        if (!m_bCancel)
            break;
        MarkCurrentCancelled();
    }
    m_hWorker = ::CreateThread(NULL, 0, WorkerProc, this, 0, &m_dwWorkerThreadId);
    if (m_hWorker == NULL)
        PostMessage(WM_COMMAND, ID_NEXT);
    return 0;
}

DWORD WINAPI CDlgProgress::WorkerProc(LPVOID pParam)
{
    CDlgProgress* pThis = static_cast<CDlgProgress*>(pParam);
    const HRESULT hrCom = ::CoInitialize(NULL);
    try
    {
        CEmailsImpl<> store(&pThis->m_pDatabase->m_Local.m_session);
        CFolders folders(&pThis->m_pDatabase->m_Local.m_session);
        pThis->Send(store, folders);
        pThis->Receive(store, folders);
    }
    catch (...)
    {
        DebugTrace("CDlgProgress worker: unhandled exception\n");
    }
    pThis->ShowState(0);
    ::SetWindowTextA(pThis->m_hStatusText, "");
    pThis->SetStatusText("");
    ::PostMessageA(pThis->m_hWnd, WM_COMMAND, ID_NEXT, 0);
    if (SUCCEEDED(hrCom))
        ::CoUninitialize();
    return 0;
}

LRESULT CDlgProgress::OnEnd(WORD, WORD, HWND, BOOL&)
{
    m_bFinished = 1;
    if (!WorkerEnded())
    {
        if (!m_bClosing)
            AfterWorker(ID_END);
        return 0;
    }
    if (::SendMessageA(m_hErrors, LB_GETCOUNT, 0, 0) > 0)
    {
        ::SendMessageA(m_hTabs, TCM_SETCURSEL, 1, 0);
        ShowPage(1);
        ShowState(207);
        ShowWindow(SW_SHOW);
        CString strText;
        strText.LoadString(IDS_RUN_HAD_ERRORS);
        ::SetWindowTextA(m_hStatusText, strText);
    }
    else if (!m_bCancel)
        PostMessage(WM_COMMAND, IDCANCEL);
    return 0;
}

LRESULT CDlgProgress::OnHideDialog(WORD, WORD, HWND, BOOL&)
{
    if (!m_bFinished)
    {
        ShowWindow(SW_HIDE);
        if (m_hOwner != NULL)
            ::SendMessageA(m_hOwner, WM_COMMAND, ID_ENABLE_SEND_RECEIVE_MENU_ITEMS, 1);
    }
    else
        PostMessage(WM_COMMAND, IDCANCEL);
    return 0;
}

LRESULT CDlgProgress::OnAbout(WORD, WORD, HWND, BOOL&)
{
    if (s_pfnAboutBox != NULL)
        s_pfnAboutBox(m_hWnd);
    return 0;
}

void CDlgProgress::ShowPage(int nTab)
{
    ::ShowWindow(m_hTasks, nTab == 0 ? SW_SHOW : SW_HIDE);
    ::ShowWindow(m_hErrors, nTab == 0 ? SW_HIDE : SW_SHOW);
}

LRESULT CDlgProgress::OnTabChange(int, LPNMHDR, BOOL&)
{
    ShowPage((int)::SendMessageA(m_hTabs, TCM_GETCURSEL, 0, 0));
    return 0;
}

LRESULT CDlgProgress::OnMeasureItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    MEASUREITEMSTRUCT* pMeasure = (MEASUREITEMSTRUCT*)lParam;
    if (wParam != IDC_PROGRESS_ERRORS || pMeasure == NULL || m_hErrors == NULL)
    {
        bHandled = FALSE;
        return 0;
    }
    const int nLength = (int)::SendMessageA(m_hErrors, LB_GETTEXTLEN, pMeasure->itemID, 0);
    CString strText;
    if (nLength > 0)
    {
        ::SendMessageA(m_hErrors, LB_GETTEXT, pMeasure->itemID, (LPARAM)strText.GetBuffer(nLength + 1));
        strText.ReleaseBuffer(nLength);
    }
    RECT rc;
    ::GetClientRect(m_hErrors, &rc);
    HDC hDC = ::GetDC(m_hErrors);
    HGDIOBJ hOld = ::SelectObject(hDC, (HGDIOBJ)::SendMessageA(m_hErrors, WM_GETFONT, 0, 0));
    ::DrawTextA(hDC, strText, strText.GetLength(), &rc, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(m_hErrors, hDC);
    pMeasure->itemHeight = rc.bottom - rc.top > 0 ? (UINT)(rc.bottom - rc.top) : 16;
    if (pMeasure->itemHeight > 255)
        pMeasure->itemHeight = 255;
    return TRUE;
}

LRESULT CDlgProgress::OnDrawItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    DRAWITEMSTRUCT* pDraw = (DRAWITEMSTRUCT*)lParam;
    if (wParam != IDC_PROGRESS_ERRORS || pDraw == NULL)
    {
        bHandled = FALSE;
        return 0;
    }
    if (pDraw->itemID == (UINT)-1)
        return TRUE;
    const int nLength = (int)::SendMessageA(m_hErrors, LB_GETTEXTLEN, pDraw->itemID, 0);
    CString strText;
    if (nLength > 0)
    {
        ::SendMessageA(m_hErrors, LB_GETTEXT, pDraw->itemID, (LPARAM)strText.GetBuffer(nLength + 1));
        strText.ReleaseBuffer(nLength);
    }
    RECT rc = pDraw->rcItem;
    const bool bSelected = (pDraw->itemState & ODS_SELECTED) != 0;
    const COLORREF crBack = ::GetSysColor(bSelected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    HBRUSH hBrush = ::CreateSolidBrush(crBack);
    ::FillRect(pDraw->hDC, &rc, hBrush);
    if (bSelected)
        ::FrameRect(pDraw->hDC, &rc, hBrush);
    ::DeleteObject(hBrush);
    ::SetBkMode(pDraw->hDC, TRANSPARENT);
    ::SetTextColor(pDraw->hDC, bSelected ? (~crBack & 0xFFFFFF) : ::GetSysColor(COLOR_WINDOWTEXT));
    ::DrawTextA(pDraw->hDC, strText, strText.GetLength(), &rc, DT_WORDBREAK | DT_NOPREFIX);
    return TRUE;
}

LRESULT CDlgProgress::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    CMessageLoop* pLoop = _Module.GetMessageLoop();
    if (pLoop != NULL)
    {
        pLoop->RemoveMessageFilter(this);
        pLoop->RemoveIdleHandler(this);
    }
    while (::SendMessageA(m_hTasks, LVM_GETITEMCOUNT, 0, 0) > 0)
    {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = 0;
        ::SendMessageA(m_hTasks, LVM_GETITEMA, 0, (LPARAM)&item);
        delete (CTaskItem*)item.lParam;
        ::SendMessageA(m_hTasks, LVM_DELETEITEM, 0, 0);
    }
    if (m_hOwner != NULL)
    {
        if (m_nMode == 1)
        {
            DWORD dwThread = 0;
            ::SendMessageA(m_hOwner, LetrovaGetIdThread, (WPARAM)&dwThread, 0);
            if (dwThread != 0)
                ::PostThreadMessageA(dwThread, WM_USER, ID_CHECKING_NEW_MESSAGES_COMPLETED, 0);
        }
        ::SendMessageA(m_hOwner, WM_COMMAND, ID_NEW_MESSAGES_COUNT, (LPARAM)g_nNewMessages);
    }
    return 0;
}

LRESULT CDlgProgress::OnGetTable(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (wParam == 0 || m_pDatabase == NULL)
        return 0;
    m_pDatabase->m_Local.OnGetTable(*(void**)wParam, (const char*)lParam, m_hOwner);
    return 1;
}

void CDlgProgress::SetStatusText(const char* pszText)
{
    if (m_hOwner != NULL)
        ::SendMessageA(m_hOwner, WM_COMMAND, ID_SET_STATUSBAR_2, (LPARAM)pszText);
    ::SetWindowTextA(m_hStatusLine, pszText);
}

void CDlgProgress::SetTaskStatus(UINT nIdString, int nKind)
{
    if (m_pAccounts == NULL)
        return;
    CString strText;
    strText.LoadString(nIdString);
    const int nCount = (int)::SendMessageA(m_hTasks, LVM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < nCount; ++i)
    {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        ::SendMessageA(m_hTasks, LVM_GETITEMA, 0, (LPARAM)&item);
        const CTaskItem* pItem = (const CTaskItem*)item.lParam;
        if (pItem == NULL || pItem->nAccountID != m_pAccounts->m_ID || (nKind != 2 && pItem->nKind != nKind))
            continue;
        LVITEMA text = {};
        text.iSubItem = 1;
        text.pszText = const_cast<char*>((const char*)strText);
        ::SendMessageA(m_hTasks, LVM_SETITEMTEXTA, i, (LPARAM)&text);
    }
}

void CDlgProgress::ShowState(int nState)
{
    ::SendMessageA(m_hAnimation, ACM_STOP, 0, 0);
    ::SendMessageA(m_hAnimation, ACM_OPENA, 0, 0);
    ::ShowWindow(m_hAnimation, SW_HIDE);
    for (int i = 0; i < 3; ++i)
        ::ShowWindow(m_hPictures[i], SW_HIDE);
    if (nState == 1 || nState == 2)
    {
        ::SendMessageA(m_hAnimation, ACM_OPENA, (WPARAM)AtlGetResourceInstance(), (LPARAM)MAKEINTRESOURCEA(nState));
        ::ShowWindow(m_hAnimation, SW_SHOW);
        ::SendMessageA(m_hAnimation, ACM_PLAY, (WPARAM)-1, MAKELPARAM(0, -1));
        return;
    }
    for (int i = 0; i < 3; ++i)
    {
        if (kPictureIds[i] == nState)
            ::ShowWindow(m_hPictures[i], SW_SHOW);
    }
}

void CDlgProgress::AddErrorLine(const char* pszServer, const char* pszProtocol, UINT nPort, CString strError,
                                bool bFlatten)
{
    if (strError.Right(2) == "\r\n")
        strError = strError.Left(strError.GetLength() - 2);
    if (bFlatten)
    {
        strError.Replace('\r', ' ');
        strError.Replace('\n', ' ');
    }
    ::SendMessageA(m_hErrors, LB_ADDSTRING, 0,
                   (LPARAM)(const char*)FormatString(IDS_ACCOUNT_ERROR_LINE, m_pAccounts->m_szAccountName, pszServer,
                                                     pszProtocol, (int)nPort, (const char*)strError));
}

void CDlgProgress::HandOver(LONG nEmailID)
{
    if (m_hOwner == NULL)
        return;
    if (s_hEventListHandOver != NULL)
    {
        ::WaitForSingleObject(s_hEventListHandOver, 5000);
        ::ResetEvent(s_hEventListHandOver);
    }
    ::PostThreadMessageA(m_dwOwnerThread, WM_USER, ID_ADD_MESSAGE_TO_CONTROL, nEmailID);
}

void CDlgProgress::NoticeStored(LONG nFolderID, LONG nEmailID, bool bUnread)
{
    if (m_hOwner == NULL)
        return;
    // Sent, not posted: the values are shared by every writer and must be read before the next one.
    MessageFlagsNotice.nFolderID = nFolderID;
    MessageFlagsNotice.nMessageID = nEmailID;
    MessageFlagsNotice.nUnreadDelta = bUnread ? 1 : 0;
    MessageFlagsNotice.nKind = NOTICE_MESSAGE_UNREAD;
    ::SendMessageA(m_hOwner, WM_COMMAND, ID_UPDATE_MESSAGE_FLAGS, NOTICE_SHOW_LATER);
}

bool CDlgProgress::IsHistoryOn()
{
    if (m_pDatabase == NULL || !m_pDatabase->m_Orb.IsOpen() || m_pDatabase->m_pOwner == NULL)
        return false;
    return m_pDatabase->m_pOwner->GetProfileInt(ProgressText::kOptionsSection, ProgressText::kNotLogToCentral, 1) ==
           0;
}
