// The message list, its fill thread and its commands, and the pane that hosts it.
#include "ui/main/MessagesList.h"

#include <algorithm>
#include <iterator>

#include "app/ManagerCommands.h"
#include "content/EncodedWord.h"
#include "content/MimePart.h"
#include "content/SearchableBody.h"
#include "foundation/ErrorUtil.h"
#include "foundation/FoundationUi.h"
#include "foundation/LocaleDateFormat.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseSession.h"
#include "store/EmailsImpl.h"
#include "store/MessageFlagsNotice.h"
#include "store/OLEDBException.h"
#include "store/TableBase.h"
#include "foundation/Paths.h"
#include "foundation/Registry.h"
#include "foundation/TextServices.h"
#include "foundation/TraceFile.h"
#include "ui/addressbook/ContactInsertion.h"
#include "ui/main/DlgChoiceFolder.h"
#include "ui/main/MessageProperties.h"

namespace
{
const WORD kIdDeleteMessage = 33027;
const WORD kIdDeleteMessageFromList = 33044;
const WORD kIdEditMessageInList = 33052;
const WORD kIdProperties = 32790;
const char kNotFound[] = "ERROR: Message is not found";
const char kAskPermanent[] = "Are you sure you want to permanently delete the %d selected message(s)?";
const char kSelectFirst[] = "Select a message first.";
const char kStatusRow[] = "Message %d. Folder %s";
const char kNUnreadFailed[] = "ERROR: Update of the nUnread field of the Foldres table failed!";
const char kFillCrashed[] = "Unhandled exception!!!\r\nCListViewCtrlMessages::SelFolderChangedThreadProc(...)";
const char kDeleteCrashed[] = "CListViewCtrlMessages::DeleteSelectedItems()\r\nUnhandled exception!!!\r\n";
const char kOrderByDate[] = "Mark Order By Date";

// Counts a move or delete under way for as long as it runs.
class CRowCommand
{
public:
    explicit CRowCommand(int& nCount) : m_nCount(nCount) { m_nCount++; }
    ~CRowCommand() { m_nCount--; }

private:
    int& m_nCount;
};

HRESULT DefaultDragStarter(IDataObject* pDataObject, IDropSource* pDropSource, DWORD dwEffects, DWORD* pdwEffect)
{
    CDropTarget::RegisterPendingTargets();
    return ::DoDragDrop(pDataObject, pDropSource, dwEffects, pdwEffect);
}

CListViewCtrlMessages::DragStarter s_pfnDragStarter = DefaultDragStarter;

// The columns the list reads of each row; the Message stream is never bound.
class CListRowAccessor
{
public:
    LONG m_EmailsID = 0;
    DATE m_EmDate = 0;
    DBSTATUS m_nEmDateStatus = DBSTATUS_S_OK;
    char m_Subject[256] = {};
    char m_Ref[256] = {};
    LONG m_FolderID = 0;
    LONG m_Flags = 0;
    char m_UniqueID[256] = {};
    LONG m_AccountID = 0;
    BYTE m_Encode = 0;

    // clang-format off
    BEGIN_COLUMN_MAP(CListRowAccessor)
        COLUMN_ENTRY(1, m_EmailsID)
        COLUMN_ENTRY_STATUS(2, m_EmDate, m_nEmDateStatus)
        COLUMN_ENTRY(5, m_Subject)
        COLUMN_ENTRY(7, m_Ref)
        COLUMN_ENTRY(9, m_FolderID)
        COLUMN_ENTRY(10, m_Flags)
        COLUMN_ENTRY(12, m_UniqueID)
        COLUMN_ENTRY(13, m_AccountID)
        COLUMN_ENTRY(14, m_Encode)
    END_COLUMN_MAP()
    // clang-format on

    void CopyTo(CMessageRow& row) const
    {
        row.nEmailsID = m_EmailsID;
        row.emDate = m_EmDate;
        row.nFolderID = m_FolderID;
        row.nFlags = m_Flags;
        row.nAccountID = m_AccountID;
        row.nEncode = m_Encode;
        row.strRef = m_Ref;
        row.strSubject = m_Subject;
        row.strUniqueID = m_UniqueID;
    }
};

bool HasAttachmentNamed(const CMimePart& part, const CString& strUpperText)
{
    CString strName = part.GetHeaderDeep("content-disposition", "filename");
    if (strName.IsEmpty())
        strName = part.GetHeaderDeep("content-type", "name");
    strName = DecodeEncodedWord(strName);
    strName.MakeUpper();
    if (!strName.IsEmpty() && strName.Find(strUpperText) >= 0)
        return true;
    for (const CMimePart* pChild = part.m_pFirstChild; pChild != NULL; pChild = pChild->m_pNextSibling)
        if (HasAttachmentNamed(*pChild, strUpperText))
            return true;
    return false;
}

// The bitmap with 0xFF00FF shown in the button face; NULL when the module has no such bitmap.
HBITMAP LoadListBitmap(UINT nID)
{
    HBITMAP hBitmap =
        (HBITMAP)LoadImageA(GetResourceModule(), MAKEINTRESOURCEA(nID), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (hBitmap == NULL)
        return NULL;
    DIBSECTION dib = {};
    if (GetObjectA(hBitmap, sizeof(dib), &dib) == sizeof(dib) && dib.dsBm.bmBitsPixel == 24 && dib.dsBm.bmBits != NULL)
    {
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        for (int y = 0; y < dib.dsBm.bmHeight; y++)
        {
            BYTE* pRow = (BYTE*)dib.dsBm.bmBits + (size_t)y * dib.dsBm.bmWidthBytes;
            for (int x = 0; x < dib.dsBm.bmWidth; x++)
            {
                BYTE* p = pRow + 3 * x;
                if (p[0] == 0xFF && p[1] == 0x00 && p[2] == 0xFF)
                {
                    p[0] = GetBValue(face);
                    p[1] = GetGValue(face);
                    p[2] = GetRValue(face);
                }
            }
        }
    }
    return hBitmap;
}

// A plain mark for a module without the list's bitmaps (a program that only hosts the list).
HBITMAP PlaceholderBitmap(int nIndex)
{
    HDC hScreen = ::GetDC(NULL);
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, 20, 16);
    HDC hDC = CreateCompatibleDC(hScreen);
    HGDIOBJ hOld = SelectObject(hDC, hBitmap);
    RECT rc = {0, 0, 20, 16};
    FillRect(hDC, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
    if (nIndex != IMAGE_BLANK)
    {
        HBRUSH hBrush = CreateSolidBrush(RGB(40 * (nIndex % 6), 90 + 12 * nIndex, 200 - 10 * nIndex));
        RECT rcMark = {6, 4, 14, 12};
        FillRect(hDC, &rcMark, hBrush);
        DeleteObject(hBrush);
    }
    SelectObject(hDC, hOld);
    DeleteDC(hDC);
    ::ReleaseDC(NULL, hScreen);
    return hBitmap;
}

CEmailsImpl<>* FrameEmailsTable(HWND hWndFrame)
{
    CEmailsImpl<>* pTable = NULL;
    ::SendMessageA(hWndFrame, LetrovaGetTable, (WPARAM)&pTable, (LPARAM) "Emails");
    return pTable;
}

void ShowError(HWND hWnd, const char* pszFallback)
{
    try
    {
        throw;
    }
    catch (COLEDBException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_ICONSTOP, hWnd);
        delete pException;
    }
    catch (CException* pException)
    {
        AppMessageBox(pException->m_strMessage, MB_ICONSTOP, hWnd);
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, hWnd);
    }
    catch (...)
    {
        AppMessageBox(pszFallback, MB_ICONSTOP, hWnd);
    }
}
} // namespace

CListViewCtrlMessages::CListViewCtrlMessages() : m_pStop(&m_nOwnStop)
{
    m_hIdle = CreateEventA(NULL, TRUE, TRUE, NULL);
    InitializeCriticalSection(&m_cachePaths);
    for (LONG nType = COLUMN_PRIORITY; nType <= COLUMN_SENT; nType++)
        m_columns.push_back(CColumn{nType, 0});
}

CListViewCtrlMessages::~CListViewCtrlMessages()
{
    CloseHandle(m_hIdle);
    DeleteCriticalSection(&m_cachePaths);
    if (m_hFontBold != NULL)
        DeleteObject(m_hFontBold);
    if (m_hFontStrike != NULL)
        DeleteObject(m_hFontStrike);
    if (m_hImages != NULL)
        ImageList_Destroy(m_hImages);
}

void CListViewCtrlMessages::AddColumn(LONG nType)
{
    m_columns.push_back(CColumn{nType, 0});
}

void CListViewCtrlMessages::Initialize(CSession* pSession, HWND hWndFrame)
{
    m_pSession = pSession;
    m_hWndFrame = hWndFrame;
    m_hImages = ImageList_Create(20, 16, ILC_COLOR24 | ILC_MASK, 3, 0);
    // In the order of the image positions.
    static const UINT kBitmaps[IMAGE_COUNT] = {IDB_LIST_SORT_UP, IDB_LIST_SORT_DOWN, IDB_LIST_CLIP_HEADER,
                                               IDB_LIST_CLIP, IDB_LIST_BLANK, IDB_LIST_UNREAD, IDB_LIST_READ,
                                               IDB_LIST_FLAGGED, IDB_LIST_UNREAD_NO_BODY, IDB_LIST_COUNTS_AS_READ,
                                               IDB_LIST_HIGH_PRIORITY, IDB_LIST_LOW_PRIORITY,
                                               IDB_LIST_PRIORITY_HEADER};
    for (int i = 0; i < IMAGE_COUNT; i++)
    {
        HBITMAP hBitmap = LoadListBitmap(kBitmaps[i]);
        if (hBitmap == NULL)
            hBitmap = PlaceholderBitmap(i);
        ImageList_AddMasked(m_hImages, hBitmap, RGB(255, 255, 255));
        DeleteObject(hBitmap);
    }
    ListView_SetImageList(m_hWnd, m_hImages, LVSIL_SMALL);
    ListView_SetImageList(m_hWnd, m_hImages, LVSIL_NORMAL);
    Header_SetImageList(ListView_GetHeader(m_hWnd), m_hImages);

    int nColumn = 0;
    for (const CColumn& column : m_columns)
    {
        LVCOLUMNA lvc = {};
        static const char* const kHeaders[] = {"", "", "From", "Subject", "Sent", "Folder"};
        static const int kWidths[] = {20, 20, 200, 200, 120, 200};
        if (column.nType < 0 || column.nType > COLUMN_FOLDER)
            continue;
        lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        lvc.cx = kWidths[column.nType];
        lvc.pszText = const_cast<char*>(kHeaders[column.nType]);
        lvc.fmt = LVCFMT_LEFT;
        if (column.nType <= COLUMN_ATTACHMENT)
        {
            lvc.mask |= LVCF_IMAGE;
            lvc.fmt = LVCFMT_IMAGE;
            lvc.iImage = column.nType == COLUMN_PRIORITY ? IMAGE_PRIORITY_HEADER : IMAGE_CLIP_HEADER;
        }
        ListView_InsertColumn(m_hWnd, nColumn++, &lvc);
    }
    ListView_SetExtendedListViewStyleEx(m_hWnd, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_SUBITEMIMAGES,
                                        LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_SUBITEMIMAGES);
    HFONT hFont = (HFONT)SendMessage(WM_GETFONT);
    LOGFONTA lf = {};
    GetObjectA(hFont != NULL ? (HGDIOBJ)hFont : GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lf.lfWeight = FW_BOLD;
    m_hFontBold = CreateFontIndirectA(&lf);
    lf.lfWeight = FW_NORMAL;
    lf.lfStrikeOut = TRUE;
    m_hFontStrike = CreateFontIndirectA(&lf);
}

// ---- fill

void CListViewCtrlMessages::SelFolderChanged(const CFoldersRecord* pFolder, int nReselect, const char* pszWhere,
                                             const char* pszBody, volatile LONG* pStop, const char* pszAttachment,
                                             HWND hWndNotify)
{
    m_nRequestFolderID = pFolder != NULL ? pFolder->m_ID : -1;
    m_nRequestType = pFolder != NULL ? pFolder->m_Type : -1;
    m_nReselect = nReselect;
    m_bCallerWhere = pszWhere != NULL && *pszWhere != 0;
    m_strWhere = pszWhere != NULL ? pszWhere : "";
    // A refill without a query of its own repeats a remembered search whole: its row filters, its stop
    // flag and the window told of its end.
    if (m_bCallerWhere || m_strRememberedWhere.IsEmpty())
    {
        m_strBody = pszBody != NULL ? pszBody : "";
        m_strAttachment = pszAttachment != NULL ? pszAttachment : "";
        m_pStop = pStop != NULL ? pStop : &m_nOwnStop;
        m_hWndNotify = hWndNotify;
    }
    m_bRunRequested = true;
    if (IsFilling())
    {
        InterlockedExchange(m_pStop, 1);
        m_bRefillPending = true;
    }
    else
        PostMessage(WM_COMMAND, ID_RUN_THREAD);
}

void CListViewCtrlMessages::StartFill()
{
    // One fill per request: a start posted for a request that has been served already is dropped.
    if (!m_bRunRequested)
        return;
    if (WaitForSingleObject(m_hIdle, 100) != WAIT_OBJECT_0 || m_hThread != NULL)
    {
        PostMessage(WM_COMMAND, ID_RUN_THREAD);
        return;
    }
    m_bRefillPending = false;
    m_bRunRequested = false;
    ResetEvent(m_hIdle);
    InterlockedExchange(m_pStop, 0);
    CRegistry* pRegistry = NULL;
    ::SendMessageA(m_hWndFrame, LetrovaGetRegistry, (WPARAM)&pRegistry, 0);
    // The settings' own default, newest first: the main window puts a received message first by the same
    // default, so a fill in stored order would leave it out of place.
    m_bOrderByDate = pRegistry != NULL && pRegistry->GetProfileInt("Options", kOrderByDate, 1) != 0;
    m_nTopIndex = ListView_GetTopIndex(m_hWnd);
    m_nPerPage = ListView_GetCountPerPage(m_hWnd);
    ClearList();
    m_nFolderID = m_nRequestFolderID;
    // The preview shows nothing while the folder changes.
    ::SendMessageA(GetParent(), WM_COMMAND, ID_VIEW_MESSAGE_BODY_2, 0);
    DWORD dwThreadID = 0;
    m_hThread = CreateThread(NULL, 0, FillThreadProc, this, 0, &dwThreadID);
    if (m_hThread == NULL)
        SetEvent(m_hIdle);
}

DWORD WINAPI CListViewCtrlMessages::FillThreadProc(void* pParam)
{
    CListViewCtrlMessages* pThis = static_cast<CListViewCtrlMessages*>(pParam);
    CoInitialize(NULL);
    pThis->Fill();
    CoUninitialize();
    HWND hWnd = pThis->m_hWnd;
    SetEvent(pThis->m_hIdle);
    ::PostMessageA(hWnd, WM_FILL_DONE, 1, 0);
    return 0;
}

void CListViewCtrlMessages::Fill()
{
    CString strError;
    int nListed = 0;
    try
    {
        LONG nFolderID = m_nFolderID;
        LONG nType = -1;
        CFolders folders(m_pSession);
        CString strAccountWhere;
        // A system folder node of an account item shows that folder's messages of the account's address.
        if (nFolderID == 0 && !m_strAccountName.IsEmpty() && m_nRequestType >= FOLDER_INBOX &&
            m_nRequestType <= FOLDER_DRAFTS)
        {
            CString strName, strAddress;
            SplitAddress(m_strAccountName, strName, strAddress);
            if (!strAddress.IsEmpty())
            {
                nFolderID = folders.GetSystemFolder(m_nRequestType, m_hWndFrame);
                strAccountWhere = BuildAccountViewWhere(nFolderID, strAddress);
            }
        }
        bool bFolderFound = nFolderID > 0 && folders.LoadFolder(nFolderID, NULL);
        if (bFolderFound)
            nType = folders.m_Type;
        m_nFolderType = nType;
        if (m_bCallerWhere)
            m_strRememberedWhere = m_strWhere;
        const CString strWhere = !m_strRememberedWhere.IsEmpty() ? m_strRememberedWhere : strAccountWhere;

        CCommand<CAccessor<CListRowAccessor>> rows;
        m_strLastQuery = BuildFillQuery(nFolderID, nType, strWhere, m_bOrderByDate);
        // A folder is read in two pages, a first screen and the rest: the layer reads a rowset whole before
        // its first row, so one SELECT of a large folder would keep the list empty until all of it was read.
        // More pages cost more than they give (each is a rowset of its own). A caller's query keeps its own
        // text and is read in one go.
        const bool bPaged = m_strRememberedWhere.IsEmpty();
        CFillKey key;
        int nPageRows = kFirstPageRows;
        auto openPage = [&]() {
            const CString strSQL =
                bPaged ? BuildFillPageQuery(nFolderID, nType, strWhere, m_bOrderByDate, key, nPageRows)
                       : m_strLastQuery;
            HRESULT hr = rows.Open(*m_pSession, strSQL);
            if (FAILED(hr))
                throw new COLEDBException(NULL, IID_ICommand, "FATAL ERROR. Open Emails table failed!",
                                          m_pSession, NULL, FALSE, NULL, FALSE, FALSE, hr);
        };
        openPage();
        int nInPage = 0;
        std::vector<CMessageRow>* pBatch = new std::vector<CMessageRow>();
        std::unique_ptr<std::vector<CMessageRow>> batch(pBatch);
        int nUnread = 0, nRead = 0;
        // A stopped fill has counted only a part of the folder: its count is never written.
        bool bStopped = false;
        LONG nLastID = 0;
        CString strUpperAttachment = m_strAttachment;
        strUpperAttachment.MakeUpper();
        CEmailsImpl<> store(m_pSession);
        // The status text is set a few times a second: each setting repaints the status bar.
        DWORD dwLastStatus = 0;
        bool bStatusShown = false;
        auto flush = [&]() {
            if (batch->empty())
                return;
            if (!bStatusShown || GetTickCount() - dwLastStatus >= kFillRepaintDelay)
            {
                CString strStatus;
                strStatus.Format(kStatusRow, nRead,
                                 (const char*)FolderPath(batch->back().nFolderID, m_pSession));
                ::SendMessageA(m_hWndFrame, WM_COMMAND, ID_SET_STATUSBAR_2, (LPARAM)(const char*)strStatus);
                dwLastStatus = GetTickCount();
                bStatusShown = true;
            }
            ::SendMessageA(m_hWnd, WM_FILL_BATCH, 0, (LPARAM)batch.get());
            batch->clear();
        };
        for (;;)
        {
            if (rows.MoveNext() != S_OK)
            {
                // A first page cut short by its limit may have more after it.
                if (!bPaged || nPageRows == 0 || nInPage < nPageRows)
                    break;
                rows.Close();
                flush();
                nPageRows = 0;
                nInPage = 0;
                openPage();
                continue;
            }
            if (InterlockedCompareExchange(m_pStop, 0, 1) == 1)
            {
                bStopped = true;
                break;
            }
            nInPage++;
            key.bAny = true;
            key.nEmailsID = rows.m_EmailsID;
            key.emDate = rows.m_EmDate;
            key.bDateNull = rows.m_nEmDateStatus == DBSTATUS_S_ISNULL;
            nRead++;
            CMessageRow row;
            rows.CopyTo(row);
            nLastID = row.nEmailsID;
            if (!m_strBody.IsEmpty() || !m_strAttachment.IsEmpty())
            {
                if (!store.OpenByKey(row.nEmailsID, TRUE))
                    continue;
                CMimePart* pMessage = store.GetMimeMessage();
                if (pMessage == NULL)
                    continue;
                if (!m_strBody.IsEmpty() && SearchableBody(*pMessage).Find(m_strBody) < 0)
                    continue;
                if (!m_strAttachment.IsEmpty() && !HasAttachmentNamed(*pMessage, strUpperAttachment))
                    continue;
            }
            if (row.IsUnread())
                nUnread++;
            batch->push_back(std::move(row));
            nListed++;
            if ((int)batch->size() >= kBatchSize)
                flush();
        }
        flush();
        rows.Close();
        store.Close();

        if (strWhere.IsEmpty() && bFolderFound && !bStopped)
        {
            // What was counted is the store's own count; a change made while the fill ran makes the folder
            // tree count it again when it hears of that change.
            MessageFlagsNotice.nUnreadDelta = 0;
            CString strSQL;
            strSQL.Format("UPDATE Folders SET nUnread = %ld WHERE ID = %ld", (long)nUnread, (long)nFolderID);
            try
            {
                GetOwnerDatabase(m_hWndFrame, m_pSession)->ExecuteSQL(strSQL, NULL);
            }
            catch (COLEDBException* pException)
            {
                pException->m_strMessage = CString(kNUnreadFailed) + "\r\n" + pException->m_strMessage;
                throw;
            }
            MessageFlagsNotice.nUnread = nUnread;
            MessageFlagsNotice.nMessages = nListed;
            MessageFlagsNotice.nKind = NOTICE_FOLDER_COUNTED;
            MessageFlagsNotice.nFolderID = nFolderID;
            MessageFlagsNotice.nMessageID = nLastID;
            ::PostThreadMessageA((DWORD)ManagerThread(), WM_USER, ID_UPDATE_MESSAGE_FLAGS, 0);
        }
        // The server's copy of an IMAP folder is compared with what was listed.
        if (nFolderID > 0 && !m_bDestroying && !bStopped)
        {
            CFolders folder(m_pSession);
            if (folder.LoadFolder(nFolderID, NULL))
                folder.RunImapFolderCommand(m_hWndFrame, nListed);
        }
    }
    catch (COLEDBException* pException)
    {
        strError = pException->m_strMessage;
        delete pException;
    }
    catch (CException* pException)
    {
        strError = pException->m_strMessage;
        delete pException;
    }
    catch (const char* pszText)
    {
        strError = pszText;
    }
    catch (...)
    {
        strError = kFillCrashed;
    }
    ::SendMessageA(m_hWnd, WM_FILL_DONE, 0, (LPARAM)nListed);
    ::SendMessageA(m_hWndFrame, WM_COMMAND, ID_SET_STATUSBAR_2, (LPARAM) "");
    if (!strError.IsEmpty() && !m_bDestroying)
        ShowErrorReportPrompt(strError, NULL);
}

LONG CListViewCtrlMessages::ManagerThread()
{
    DWORD dwThread = 0;
    ::SendMessageA(m_hWndFrame, LetrovaGetIdThread, (WPARAM)&dwThread, 0);
    return (LONG)dwThread;
}

CString CListViewCtrlMessages::FolderPath(LONG nFolderID, CSession* pSession)
{
    EnterCriticalSection(&m_cachePaths);
    for (const auto& entry : m_paths)
        if (entry.first == nFolderID)
        {
            CString strPath = entry.second;
            LeaveCriticalSection(&m_cachePaths);
            return strPath;
        }
    LeaveCriticalSection(&m_cachePaths);
    CString strPath;
    CFolders folders(pSession);
    LONG nID = nFolderID;
    // A cycle in the owners must not hang the fill: no path is deeper than the folders there are.
    for (int nDepth = 0; nDepth < 1000 && nID > 0 && folders.LoadFolder(nID, NULL); nDepth++)
    {
        strPath = strPath.IsEmpty() ? CString(folders.m_Name) : CString(folders.m_Name) + "\\" + strPath;
        nID = folders.m_OwnerID;
    }
    EnterCriticalSection(&m_cachePaths);
    m_paths.push_back(std::make_pair(nFolderID, strPath));
    LeaveCriticalSection(&m_cachePaths);
    return strPath;
}

LRESULT CListViewCtrlMessages::OnFillBatch(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (m_bDestroying)
        return 0;
    // The fill clears the batch once this returns: its rows move, and their texts with them.
    std::vector<CMessageRow>& batch = *reinterpret_cast<std::vector<CMessageRow>*>(lParam);
    const bool bFirst = m_rows.empty();
    m_rows.insert(m_rows.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
    // The first rows show at once; later ones are told to the control a few times a second, since each
    // telling costs about a repaint of the list.
    if (bFirst)
        SetRowCount(true);
    else if (!m_bAddsPending)
    {
        m_bAddsPending = true;
        m_nAddedRow = -1;
        SetTimer(kAddedRowsTimer, kFillRepaintDelay);
    }
    return 0;
}

void CListViewCtrlMessages::SetRowCount(bool bKeepView)
{
    // The count told now includes any row still waiting to be shown.
    if (m_bAddsPending)
    {
        KillTimer(kAddedRowsTimer);
        m_bAddsPending = false;
    }
    // Rows added at the end repaint only where they show; anything else repaints the whole list.
    ListView_SetItemCountEx(m_hWnd, (int)m_rows.size(), bKeepView ? LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL : 0);
    if (!bKeepView)
        InvalidateRect(NULL, FALSE);
}

LRESULT CListViewCtrlMessages::OnFillDone(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    if (wParam == 0)
    {
        // Sent by the fill before it ends: the rows are complete.
        if (m_bDestroying)
            return 0;
        ShowAddedRows();
        if (!m_pendingAdds.empty())
        {
            std::vector<std::pair<CMessageRow, int>> pending;
            pending.swap(m_pendingAdds);
            for (const auto& add : pending)
            {
                bool bListed = false;
                for (const CMessageRow& row : m_rows)
                    bListed = bListed || row.nEmailsID == add.first.nEmailsID;
                if (!bListed)
                    InsertRow(add.first, add.second);
            }
            ShowAddedRows();
        }
        if (m_nSortColumn >= 0)
        {
            const CColumn column = m_columns[m_nSortColumn];
            std::stable_sort(m_rows.begin(), m_rows.end(), [&](const CMessageRow& a, const CMessageRow& b) {
                return CompareMessageRows(a, b, column.nType, column.bAscending) < 0;
            });
            InvalidateRect(NULL, FALSE);
        }
        int nCount = (int)m_rows.size();
        if (nCount > 0 && !m_bOrderByDate)
        {
            int nSelect = m_nReselect >= 0 ? std::min(m_nReselect + 1, nCount - 1) : nCount - 1;
            int nVisible = m_nReselect >= 0 ? std::min(m_nTopIndex + m_nPerPage, nCount - 1) : nCount - 1;
            ListView_SetItemState(m_hWnd, nSelect, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_EnsureVisible(m_hWnd, nVisible, FALSE);
        }
        return 0;
    }
    // Posted once the fill thread has let go of everything.
    if (m_hThread != NULL)
    {
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        m_hThread = NULL;
    }
    if (m_nPendingMove != 0)
    {
        LONG nTarget = m_nPendingMove;
        m_nPendingMove = 0;
        SendMessage(WM_COMMAND, ID_MOVE_MESSAGE_FOLDER, nTarget);
    }
    if (m_bRefillPending)
        PostMessage(WM_COMMAND, ID_RUN_THREAD);
    if (m_hWndNotify != NULL)
        ::PostMessageA(m_hWndNotify, WM_COMMAND, ID_UPDATE, 0);
    return 0;
}

void CListViewCtrlMessages::ClearList()
{
    if (m_bAddsPending)
    {
        KillTimer(kAddedRowsTimer);
        m_bAddsPending = false;
    }
    m_nAddedFirst = 0;
    m_rows.clear();
    m_pendingAdds.clear();
    ListView_SetItemCountEx(m_hWnd, 0, 0);
}

void CListViewCtrlMessages::AddItem(const CMessageRow& row, int nIndex)
{
    // The fill may still read this message: the row waits for the fill's end and goes in only when the
    // fill did not list it.
    if (IsFilling())
    {
        for (const auto& pending : m_pendingAdds)
            if (pending.first.nEmailsID == row.nEmailsID)
                return;
        m_pendingAdds.push_back(std::make_pair(row, nIndex));
        return;
    }
    InsertRow(row, nIndex);
}

bool CListViewCtrlMessages::ReadRow(LONG nEmailID, CMessageRow& row)
{
    if (m_pSession == NULL)
        return false;
    // The columns keep their places in the full select, which the accessor's ordinals name; the message
    // text, the costly one, is left out.
    CString strSQL;
    strSQL.Format("SELECT EmailsID, EmDate, 0, 0, Subject, 0, Ref, 0, FolderID, Flags, 0, UniqueID, AccountID, "
                  "Encode FROM Emails WHERE EmailsID = %ld",
                  (long)nEmailID);
    CCommand<CAccessor<CListRowAccessor>> rows;
    if (FAILED(rows.Open(*m_pSession, strSQL)) || rows.MoveNext() != S_OK)
        return false;
    rows.CopyTo(row);
    return true;
}

void CListViewCtrlMessages::InsertRow(const CMessageRow& row, int nIndex)
{
    nIndex = std::max(0, std::min(nIndex, (int)m_rows.size()));
    if (nIndex == 0 && !m_rows.empty())
    {
        // A row at the top moves every row under the selection: until the control is told, its positions
        // stay those of the rows it shows (see ViewRow), and telling it moves the selection along.
        m_rows.insert(m_rows.begin(), row);
        m_nAddedFirst++;
        if (!m_bAddsPending)
        {
            m_bAddsPending = true;
            SetTimer(kAddedRowsTimer, kAddedRowsDelay);
        }
        return;
    }
    ShowAddedRows();
    m_rows.insert(m_rows.begin() + nIndex, row);
    if (nIndex == (int)m_rows.size() - 1)
    {
        // A row at the end moves no other row. The control is told of new rows at most once per interval:
        // each telling repaints the list, which costs far more than storing a message, and a receive hands
        // over its messages one by one.
        m_nAddedRow = nIndex;
        if (!m_bAddsPending)
        {
            m_bAddsPending = true;
            SetTimer(kAddedRowsTimer, kAddedRowsDelay);
        }
        return;
    }
    // The control keeps its selection by position: the selected messages stay selected as they move down.
    std::vector<int> selected = SelectedRows();
    const int nFocused = ListView_GetNextItem(m_hWnd, -1, LVNI_FOCUSED);
    SetRowCount(false);
    if (selected.empty() && nFocused < nIndex)
    {
        ListView_EnsureVisible(m_hWnd, nIndex, FALSE);
        return;
    }
    m_bMovingSelection = true;
    ListView_SetItemState(m_hWnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int nRow : selected)
        ListView_SetItemState(m_hWnd, nRow < nIndex ? nRow : nRow + 1, LVIS_SELECTED, LVIS_SELECTED);
    if (nFocused >= 0)
        ListView_SetItemState(m_hWnd, nFocused < nIndex ? nFocused : nFocused + 1, LVIS_FOCUSED,
                              LVIS_FOCUSED);
    m_bMovingSelection = false;
    ListView_EnsureVisible(m_hWnd, nIndex, FALSE);
}

void CListViewCtrlMessages::ShowAddedRows()
{
    if (!m_bAddsPending)
        return;
    const int nShift = m_nAddedFirst;
    if (nShift == 0)
    {
        SetRowCount(true);
        if (m_nAddedRow >= 0 && m_nAddedRow < (int)m_rows.size())
            ListView_EnsureVisible(m_hWnd, m_nAddedRow, FALSE);
        return;
    }
    std::vector<int> selected;
    for (int i = ListView_GetNextItem(m_hWnd, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(m_hWnd, i, LVNI_SELECTED))
        selected.push_back(i);
    const int nFocused = ListView_GetNextItem(m_hWnd, -1, LVNI_FOCUSED);
    m_nAddedFirst = 0;
    SetRowCount(false);
    m_bMovingSelection = true;
    if (!selected.empty() || nFocused >= 0)
        ListView_SetItemState(m_hWnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int nRow : selected)
        ListView_SetItemState(m_hWnd, nRow + nShift, LVIS_SELECTED, LVIS_SELECTED);
    if (nFocused >= 0)
        ListView_SetItemState(m_hWnd, nFocused + nShift, LVIS_FOCUSED, LVIS_FOCUSED);
    m_bMovingSelection = false;
    ListView_EnsureVisible(m_hWnd, 0, FALSE);
}

int CListViewCtrlMessages::ViewRow(int nItem) const
{
    return nItem + m_nAddedFirst;
}

LRESULT CListViewCtrlMessages::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    // The fill may be blocked sending to this very thread: serve sent messages while it ends, and free
    // nothing it uses before it has.
    m_bDestroying = true;
    if (m_hThread != NULL)
    {
        InterlockedExchange(m_pStop, 1);
        for (;;)
        {
            DWORD dwWait = MsgWaitForMultipleObjects(1, &m_hThread, FALSE, INFINITE, QS_SENDMESSAGE);
            if (dwWait != WAIT_OBJECT_0 + 1)
                break;
            MSG msg;
            PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        CloseHandle(m_hThread);
        m_hThread = NULL;
    }
    ClearList();
    bHandled = FALSE;
    return 0;
}

// ---- cells

CString CListViewCtrlMessages::CellText(int nRow, int nColumn)
{
    if (nRow < 0 || nRow >= (int)m_rows.size() || nColumn < 0 || nColumn >= (int)m_columns.size())
        return "";
    const CMessageRow& row = m_rows[nRow];
    switch (m_columns[nColumn].nType)
    {
    case COLUMN_FROM:
        return DecodeEncodedWord(row.strRef);
    case COLUMN_SUBJECT:
        return DecodeEncodedWord(row.strSubject);
    case COLUMN_SENT:
    {
        static CLocaleDateFormat format;
        return format.FormatDate(row.emDate) + " " + format.FormatTime(row.emDate);
    }
    case COLUMN_FOLDER:
        return FolderPath(row.nFolderID, m_pSession);
    default:
        return "";
    }
}

int CListViewCtrlMessages::CellImage(int nRow, int nColumn) const
{
    if (nRow < 0 || nRow >= (int)m_rows.size() || nColumn < 0 || nColumn >= (int)m_columns.size())
        return -1;
    const CMessageRow& row = m_rows[nRow];
    switch (m_columns[nColumn].nType)
    {
    case COLUMN_PRIORITY:
        return PriorityImage(row.nFlags);
    case COLUMN_ATTACHMENT:
        return (row.nFlags & EMAIL_FLAG_ATTACHMENTS) ? IMAGE_CLIP : IMAGE_BLANK;
    case COLUMN_FROM:
        return FromImage(row);
    default:
        return -1;
    }
}

LRESULT CListViewCtrlMessages::OnGetDispInfo(NMLVDISPINFOA* pInfo)
{
    LVITEMA& item = pInfo->item;
    if (item.mask & LVIF_TEXT)
    {
        CString strText = CellText(ViewRow(item.iItem), item.iSubItem);
        lstrcpynA(item.pszText, strText, item.cchTextMax);
    }
    if (item.mask & LVIF_IMAGE)
        item.iImage = CellImage(ViewRow(item.iItem), item.iSubItem);
    return 0;
}

HFONT CListViewCtrlMessages::FontOfRow(int nRow) const
{
    if (nRow < 0 || nRow >= (int)m_rows.size())
        return NULL;
    const CMessageRow& row = m_rows[nRow];
    if (row.nFlags & EMAIL_FLAG_BODY_PRESENT)
        return m_hFontStrike;
    if (row.IsUnread())
        return m_hFontBold;
    return NULL;
}

LRESULT CListViewCtrlMessages::OnCustomDraw(NMLVCUSTOMDRAW* pDraw)
{
    switch (pDraw->nmcd.dwDrawStage)
    {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
    {
        HFONT hFont = FontOfRow(ViewRow((int)pDraw->nmcd.dwItemSpec));
        if (hFont == NULL)
            return CDRF_DODEFAULT;
        SelectObject(pDraw->nmcd.hdc, hFont);
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

// ---- sorting

LRESULT CListViewCtrlMessages::OnSortItems(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    ShowAddedRows();
    int nColumn = (int)wParam;
    if (nColumn < 0 || nColumn >= (int)m_columns.size())
        return FALSE;
    HWND hHeader = ListView_GetHeader(m_hWnd);
    if (m_nSortColumn >= 0 && m_nSortColumn != nColumn)
    {
        HDITEMA hdi = {};
        hdi.mask = HDI_FORMAT;
        hdi.fmt = HDF_STRING;
        Header_SetItem(hHeader, m_nSortColumn, &hdi);
    }
    m_columns[nColumn].bAscending = !m_columns[nColumn].bAscending;
    m_nSortColumn = nColumn;
    HDITEMA hdi = {};
    hdi.mask = HDI_FORMAT | HDI_IMAGE;
    hdi.fmt = HDF_STRING | HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
    hdi.iImage = m_columns[nColumn].bAscending ? IMAGE_SORT_UP : IMAGE_SORT_DOWN;
    Header_SetItem(hHeader, nColumn, &hdi);
    const CColumn column = m_columns[nColumn];
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const CMessageRow& a, const CMessageRow& b) {
        return CompareMessageRows(a, b, column.nType, column.bAscending) < 0;
    });
    InvalidateRect(NULL, FALSE);
    return TRUE;
}

// ---- selection helpers

std::vector<int> CListViewCtrlMessages::SelectedRows() const
{
    // Positions of the control are rows only once it has been told of rows added at the top.
    if (m_nAddedFirst > 0)
        const_cast<CListViewCtrlMessages*>(this)->ShowAddedRows();
    std::vector<int> rows;
    for (int i = ListView_GetNextItem(m_hWnd, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(m_hWnd, i, LVNI_SELECTED))
        rows.push_back(i);
    return rows;
}

void CListViewCtrlMessages::SelectRow(int nRow)
{
    ShowAddedRows();
    ListView_SetItemState(m_hWnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (nRow < 0 || nRow >= (int)m_rows.size())
        return;
    ListView_SetItemState(m_hWnd, nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(m_hWnd, nRow, FALSE);
}

void CListViewCtrlMessages::RemoveRows(const std::vector<int>& rows)
{
    ShowAddedRows();
    // The control keeps the selection by position: clear it before the positions move.
    ListView_SetItemState(m_hWnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    std::vector<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    for (auto it = sorted.rbegin(); it != sorted.rend(); ++it)
        if (*it >= 0 && *it < (int)m_rows.size())
            m_rows.erase(m_rows.begin() + *it);
    SetRowCount(false);
}

// ---- commands

LRESULT CListViewCtrlMessages::OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    if (wParam != VK_DELETE)
    {
        // A held key repeats faster than a message can be read and shown: the rows it passes are not
        // previewed, only the one it stops on.
        m_bRepeatedKey = (lParam & (1 << 30)) != 0;
        LRESULT lResult = DefWindowProc(uMsg, wParam, lParam);
        m_bRepeatedKey = false;
        return lResult;
    }
    if (GetKeyState(VK_SHIFT) < 0)
        m_bPermanentDelete = TRUE;
    DeleteSelectedItems();
    return 0;
}

bool CListViewCtrlMessages::DeferPreview()
{
    if (!m_bRepeatedKey)
    {
        if (m_bPreviewPending)
        {
            KillTimer(kPreviewTimer);
            m_bPreviewPending = false;
        }
        return false;
    }
    // Longer than the keyboard's repeat interval, so the timer runs out only when the key is no longer held.
    DWORD dwSpeed = 31;
    SystemParametersInfoA(SPI_GETKEYBOARDSPEED, 0, &dwSpeed, 0);
    const UINT nRepeat = (UINT)(1000.0 / (2.5 + 27.5 * (dwSpeed > 31 ? 31 : dwSpeed) / 31.0));
    SetTimer(kPreviewTimer, 2 * nRepeat + 20);
    m_bPreviewPending = true;
    return true;
}

void CListViewCtrlMessages::ShowRestingPreview()
{
    if (!m_bPreviewPending)
        return;
    KillTimer(kPreviewTimer);
    m_bPreviewPending = false;
    ::SendMessageA(GetParent(), WM_PREVIEW_SELECTION, 0, 0);
}

LRESULT CListViewCtrlMessages::OnKeyUp(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    ShowRestingPreview();
    return 0;
}

LRESULT CListViewCtrlMessages::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (wParam == kPreviewTimer)
        ShowRestingPreview();
    else if (wParam == kAddedRowsTimer)
        ShowAddedRows();
    else
        bHandled = FALSE;
    return 0;
}

LRESULT CListViewCtrlMessages::OnDoubleClick(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    if (ListView_GetSelectedCount(m_hWnd) > 0)
        PostMessage(WM_COMMAND, ID_FILE_OPEN_MESSAGE);
    return 0;
}

HMENU CListViewCtrlMessages::LoadContextMenu()
{
    HMENU hMenu = LoadMenuA(GetResourceModule(), MAKEINTRESOURCEA(IDR_MESSAGES_LIST_CONTEXT_MENU));
    if (hMenu == NULL)
        return NULL;
    HMENU hPopup = GetSubMenu(hMenu, 0);
    const bool bOne = ListView_GetSelectedCount(m_hWnd) == 1;
    for (UINT nID : {ID_FILE_OPEN_MESSAGE, ID_FILE_PRINT_MESSAGE, ID_REPLY, ID_FORWARD, ID_ADD_SENDER, kIdProperties})
        EnableMenuItem(hPopup, nID, MF_BYCOMMAND | (bOne ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(hPopup, ID_MARK_AS_READ, MF_BYCOMMAND | (CanMark(true) ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(hPopup, ID_MARK_AS_UNREAD, MF_BYCOMMAND | (CanMark(false) ? MF_ENABLED : MF_GRAYED));
    return hMenu;
}

LRESULT CListViewCtrlMessages::OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (ListView_GetSelectedCount(m_hWnd) == 0)
        return 0;
    HMENU hMenu = LoadContextMenu();
    if (hMenu == NULL)
        return 0;
    POINT pt = {(SHORT)LOWORD(lParam), (SHORT)HIWORD(lParam)};
    if (lParam == -1)
        GetCursorPos(&pt);
    TrackPopupMenu(GetSubMenu(hMenu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, NULL);
    DestroyMenu(hMenu);
    return 0;
}

CListViewCtrlMessages::DragStarter CListViewCtrlMessages::SetDragStarter(DragStarter pfnStarter)
{
    DragStarter pfnOld = s_pfnDragStarter;
    s_pfnDragStarter = pfnStarter != NULL ? pfnStarter : DefaultDragStarter;
    return pfnOld;
}

LRESULT CListViewCtrlMessages::OnMouseMove(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    if (!(wParam & MK_LBUTTON) || ListView_GetSelectedCount(m_hWnd) == 0)
        return 0;
    LVHITTESTINFO hit = {};
    hit.pt.x = (SHORT)LOWORD(lParam);
    hit.pt.y = (SHORT)HIWORD(lParam);
    const UINT kOnRow = LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON;
    if (ListView_HitTest(m_hWnd, &hit) < 0 || !(hit.flags & kOnRow))
        return 0;
    CDropSource source;
    DWORD dwEffect = DROPEFFECT_NONE;
    s_pfnDragStarter(&m_dataObject, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &dwEffect);
    bHandled = TRUE;
    return dwEffect;
}

LRESULT CListViewCtrlMessages::OnFocus(UINT uMsg, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    const BOOL bEnable = uMsg == WM_SETFOCUS && ListView_GetSelectedCount(m_hWnd) > 0;
    if (m_hWndFrame != NULL)
        ::SendMessageA(m_hWndFrame, LetrovaEnable, ID_FILE_PRINT_MESSAGE, bEnable);
    return 0;
}

void CListViewCtrlMessages::MoveToChosenFolder()
{
    CDlgChoiceFolder dlg(m_hWndFrame, m_nFolderID);
    if (dlg.DoModal(::GetAncestor(m_hWnd, GA_ROOT)) == IDOK)
        SendMessage(WM_COMMAND, ID_MOVE_MESSAGE_FOLDER, dlg.m_nChosenID);
}

void CListViewCtrlMessages::SaveSelectedAs()
{
    std::vector<int> rows = SelectedRows();
    if (rows.size() != 1)
        return;
    try
    {
        CEmailsImpl<> store(m_pSession);
        if (!store.OpenByKey(m_rows[rows[0]].nEmailsID, TRUE))
            throw kNotFound;
        store.SaveAs(m_hWnd);
    }
    catch (...)
    {
        ShowError(m_hWnd, "CListViewCtrlMessages::OnSaveAs()\r\nUnhandled exception!!!\r\n");
    }
}

void CListViewCtrlMessages::ShowProperties()
{
    try
    {
        for (int nRow : SelectedRows())
        {
            CEmailsImpl<> store(m_pSession);
            store.SelectByIDUnique(m_rows[nRow].nEmailsID, m_hWnd,
                                   [this](CEmailsImpl<>& selected) { ShowMessageProperties(m_hWnd, selected); });
        }
    }
    catch (...)
    {
        ShowError(m_hWnd, "CListViewCtrlMessages::OnProperties()\r\nUnhandled exception!!!\r\n");
    }
}

BOOL CListViewCtrlMessages::CanMark(bool bRead)
{
    std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return FALSE;
    if (rows.size() > 1)
        return TRUE;
    CEmailsImpl<> store(m_pSession);
    if (!store.OpenByKey(m_rows[rows[0]].nEmailsID, FALSE))
        return FALSE;
    if (store.m_Flags & EMAIL_FLAG_BODY_PRESENT)
        return FALSE;
    return store.IsUnread() == bRead;
}

LRESULT CListViewCtrlMessages::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    const WORD nID = LOWORD(wParam);
    switch (nID)
    {
    case ID_RUN_THREAD:
        StartFill();
        return 1;
    case ID_SELECT_ALL_ITEMS:
        ListView_SetItemState(m_hWnd, -1, LVIS_SELECTED, LVIS_SELECTED);
        return 1;
    case ID_CAN_DELETE:
    case ID_CAN_MOVE_TO_FOLDER:
    case ID_CAN_MARK_ALL_READ:
        return ListView_GetSelectedCount(m_hWnd) > 0 ? 1 : 0;
    case ID_CAN_MARK_AS_READ:
        return CanMark(true);
    case ID_CAN_MARK_AS_UNREAD:
        return CanMark(false);
    case ID_EDIT_DELETE:
        DeleteSelectedItems();
        return 1;
    case ID_MOVE_MESSAGE_FOLDER:
        MoveSelected((LONG)lParam);
        return 1;
    case ID_MARK_AS_READ:
    case ID_MARK_AS_UNREAD:
    case ID_MARK_ALL_READ:
        MarkRows(nID != ID_MARK_AS_UNREAD, nID == ID_MARK_ALL_READ);
        return 1;
    case ID_UPDATE_MESSAGE_FLAGS:
        RefreshChanged();
        return 0;
    case ID_FILE_OPEN_MESSAGE:
        OpenSelected();
        return 1;
    case kIdProperties:
    {
        if (::GetFocus() != m_hWnd)
        {
            bHandled = FALSE;
            return 0;
        }
        ShowProperties();
        return 1;
    }
    case ID_MOVE_TO_FOLDER:
        MoveToChosenFolder();
        return 1;
    case ID_FILE_SAVE_AS_MESSAGE:
        SaveSelectedAs();
        return 1;
    case ID_FILE_PRINT_MESSAGE:
    case ID_REPLY:
    case ID_FORWARD:
    case ID_ADD_SENDER:
        // The pane's commands, from the context menu.
        return ::SendMessageA(GetParent(), WM_COMMAND, wParam, lParam);
    case kIdDeleteMessage:
        return 1; // the rows are removed by the command that deleted them
    case kIdDeleteMessageFromList:
    {
        for (int i = (int)m_rows.size() - 1; i >= 0; i--)
            if (m_rows[i].nEmailsID == (LONG)lParam)
                RemoveRows(std::vector<int>(1, i));
        ::SendMessageA(m_hWndFrame, WM_COMMAND, kIdDeleteMessage, lParam);
        return 1;
    }
    case kIdEditMessageInList:
    {
        const CEmailsRecord& record = *reinterpret_cast<CEmailsRecord*>(lParam);
        for (CMessageRow& row : m_rows)
            if (row.nFolderID == record.m_FolderID && row.nAccountID == record.m_AccountID &&
                row.strUniqueID == record.m_UniqueID)
                row = MakeMessageRow(record);
        InvalidateRect(NULL, FALSE);
        return 1;
    }
    default:
        bHandled = FALSE;
        return 0;
    }
}

void CListViewCtrlMessages::OpenSelected()
{
    std::vector<int> rows = SelectedRows();
    if (rows.empty())
    {
        AppMessageBox(kSelectFirst, MB_ICONINFORMATION, m_hWnd);
        return;
    }
    try
    {
        const CMessageRow row = m_rows[rows[0]];
        CFolders folders(m_pSession);
        LONG nDrafts = folders.GetSystemFolder(FOLDER_DRAFTS, m_hWndFrame);
        DWORD dwManager = (DWORD)ManagerThread();
        if (row.nFolderID != nDrafts)
        {
            ::PostThreadMessageA(dwManager, WM_USER, ID_MESSAGE, row.nEmailsID);
            return;
        }
        CEmailsImpl<>* pTable = FrameEmailsTable(m_hWndFrame);
        if (pTable == NULL || !pTable->OpenByKey(row.nEmailsID, TRUE, m_hWndFrame))
            throw kNotFound;
        ::PostThreadMessageA(dwManager, WM_USER, ID_NEW_MESSAGE_MENU, (LPARAM)-5);
        DeleteSelectedItems();
    }
    catch (...)
    {
        ShowError(m_hWnd, "CListViewCtrlMessages::OnOpen()\r\nUnhandled exception!!!\r\n");
    }
}

void CListViewCtrlMessages::MarkRows(bool bRead, bool bAll)
{
    HCURSOR hOld = SetCursor(LoadCursor(NULL, IDC_WAIT));
    ChangedMessageIDs.clear();
    MessageFlagsNotice.nUnreadDelta = 0;
    std::vector<int> rows;
    if (bAll)
        for (int i = 0; i < (int)m_rows.size(); i++)
            rows.push_back(i);
    else
        rows = SelectedRows();
    try
    {
        CEmailsImpl<> store(m_pSession);
        CDatabaseSession* pDatabase = GetOwnerDatabase(m_hWndFrame, m_pSession);
        for (int nRow : rows)
        {
            if (!store.OpenByKey(m_rows[nRow].nEmailsID, FALSE))
                continue;
            if (store.IsUnread() != bRead)
                continue;
            store.SetFlag(EMAIL_FLAG_UNREAD, !bRead);
            store.UpdateFlags(pDatabase, m_hWnd);
            MessageFlagsNotice.nUnread += bRead ? -1 : 1;
            MessageFlagsNotice.nUnreadDelta += bRead ? -1 : 1;
            MessageFlagsNotice.nKind = bRead ? NOTICE_MESSAGE_READ : NOTICE_MESSAGE_UNREAD;
            ChangedMessageIDs.push_back(store.m_EmailsID);
        }
        if (!rows.empty())
        {
            MessageFlagsNotice.nFolderID = m_rows[rows.back()].nFolderID;
            MessageFlagsNotice.nMessageID = m_rows[rows.back()].nEmailsID;
            ::PostThreadMessageA((DWORD)ManagerThread(), WM_USER, ID_UPDATE_MESSAGE_FLAGS, 0);
        }
    }
    catch (...)
    {
        ShowError(m_hWnd, "CListViewCtrlMessages::OnMarkAsRead()\r\nUnhandled exception!!!\r\n");
    }
    SetCursor(hOld);
}

void CListViewCtrlMessages::RefreshChanged()
{
    try
    {
        CEmailsImpl<> store(m_pSession);
        for (LONG nID : ChangedMessageIDs)
        {
            for (int i = 0; i < (int)m_rows.size(); i++)
            {
                if (m_rows[i].nEmailsID != nID)
                    continue;
                if (!store.OpenByKey(nID, FALSE) || store.m_Flags == m_rows[i].nFlags)
                    break;
                m_rows[i] = MakeMessageRow(store);
                ListView_RedrawItems(m_hWnd, i, i);
            }
        }
    }
    catch (...)
    {
        ShowError(m_hWnd, "CListViewCtrlMessages::OnUpdateMessageFlags()\r\nUnhandled exception!!!\r\n");
    }
}

void CListViewCtrlMessages::MoveSelected(LONG nTargetID)
{
    m_nLastMoveTarget = nTargetID;
    if (IsFilling())
    {
        m_nPendingMove = nTargetID;
        return;
    }
    // A database call may serve this thread's messages while it waits: a move or delete that arrives
    // then runs after the one under way, never inside it over rows that are changing.
    if (m_nRowCommands > 0)
    {
        PostMessage(WM_COMMAND, ID_MOVE_MESSAGE_FOLDER, nTargetID);
        return;
    }
    CRowCommand busy(m_nRowCommands);
    HCURSOR hOld = SetCursor(LoadCursor(NULL, IDC_WAIT));
    std::vector<int> rows = SelectedRows();
    std::vector<int> removed;
    LONG nSource = 0, nUnread = 0;
    try
    {
        CFolders folders(m_pSession);
        LONG nTargetType = folders.LoadFolder(nTargetID, NULL) ? folders.m_Type : -1;
        CEmailsImpl<> store(m_pSession);
        for (int nRow : rows)
        {
            const LONG nID = m_rows[nRow].nEmailsID;
            if (!store.OpenByKey(nID, TRUE))
                throw kNotFound;
            if (nSource == 0)
                nSource = store.m_FolderID;
            // Moving into the list's own folder keeps the messages where they are, and so their rows.
            if (store.m_FolderID == nTargetID)
                continue;
            const bool bUnread = store.IsUnread();
            store.MoveToFolder(m_hWnd, nTargetID);
            if (nTargetType == FOLDER_OUTBOX)
            {
                CString strSQL;
                strSQL.Format("UPDATE Address SET Flags = Flags | 1 WHERE EmailID = %ld", (long)nID);
                GetOwnerDatabase(m_hWndFrame, m_pSession)->ExecuteSQL(strSQL, m_hWnd);
            }
            if (bUnread)
                nUnread++;
            removed.push_back(nRow);
        }
    }
    catch (...)
    {
        ShowError(m_hWnd, "CListViewCtrlMessages::OnMoveMessageFolder()\r\nUnhandled exception!!!\r\n");
    }
    RemoveRows(removed);
    // Read messages change the folders' message counts too.
    if (nSource != 0 && !removed.empty())
    {
        MessageFlagsNotice.nFolderID = nTargetID;
        MessageFlagsNotice.nPreviousFolderID = nSource;
        ::SendMessageA(m_hWndFrame, WM_COMMAND, ID_SET_FOLDER_UNREAD, nUnread);
    }
    SetCursor(hOld);
}

void CListViewCtrlMessages::DeleteSelectedItems()
{
    if (IsFilling() || m_nRowCommands > 0)
    {
        PostMessage(WM_COMMAND, ID_EDIT_DELETE);
        return;
    }
    CRowCommand busy(m_nRowCommands);
    const BOOL bPermanentKey = m_bPermanentDelete;
    m_bPermanentDelete = FALSE;
    std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    HCURSOR hOld = SetCursor(LoadCursor(NULL, IDC_WAIT));
    std::vector<int> removed;
    LONG nSource = 0, nSourceType = -1, nUnread = 0, nDeletedItems = 0;
    bool bPermanent = false;
    std::vector<CString> imapIDs;
    try
    {
        CFolders folders(m_pSession);
        CEmailsImpl<> store(m_pSession);
        for (int nRow : rows)
        {
            const LONG nID = m_rows[nRow].nEmailsID;
            if (!store.OpenByKey(nID, TRUE))
                throw kNotFound;
            if (nSource == 0)
            {
                nSource = store.m_FolderID;
                nSourceType = folders.LoadFolder(nSource, NULL) ? folders.m_Type : -1;
                bPermanent = nSourceType == FOLDER_DELETED_ITEMS || bPermanentKey;
                if (bPermanent)
                {
                    CString strAsk;
                    strAsk.Format(kAskPermanent, (int)rows.size());
                    if (AppMessageBox(strAsk, MB_YESNO | MB_ICONQUESTION, m_hWnd) != IDYES)
                    {
                        SetCursor(hOld);
                        return;
                    }
                }
                else
                    nDeletedItems = folders.GetSystemFolder(FOLDER_DELETED_ITEMS, m_hWndFrame);
            }
            if (nSourceType == FOLDER_IMAP_FIRST || nSourceType == FOLDER_IMAP_LAST)
            {
                // The server deletes it; the folder's next synchronisation removes the row.
                imapIDs.push_back(CString(store.m_UniqueID));
                continue;
            }
            const bool bUnread = store.IsUnread();
            if (bPermanent)
                store.DeleteMessage(m_hWnd);
            else
                store.MoveToFolder(m_hWnd, nDeletedItems);
            if (bUnread)
                nUnread++;
            removed.push_back(nRow);
        }
        if (!imapIDs.empty() && folders.LoadFolder(nSource, NULL))
            folders.ImapDeleteMessages(m_hWndFrame, imapIDs);
    }
    catch (...)
    {
        ShowError(m_hWnd, kDeleteCrashed);
    }
    const int nFirst = removed.empty() ? -1 : *std::min_element(removed.begin(), removed.end());
    RemoveRows(removed);
    if (!removed.empty())
    {
        MessageFlagsNotice.nFolderID = bPermanent ? 0 : nDeletedItems;
        MessageFlagsNotice.nPreviousFolderID = nSource;
        ::SendMessageA(m_hWndFrame, WM_COMMAND, ID_SET_FOLDER_UNREAD, nUnread);
        if (nSourceType == FOLDER_INBOX && nUnread > 0)
            ::SendMessageA(m_hWndFrame, WM_COMMAND, ID_REMOVE_TRAY_ICON, 0);
    }
    if (!removed.empty())
    {
        if (m_rows.empty())
        {
            CFoldersRecord folder;
            folder.m_ID = nSource;
            SelFolderChanged(&folder, -1);
        }
        else
        {
            SelectRow(std::min(nFirst, (int)m_rows.size() - 1));
            SetFocus();
        }
    }
    SetCursor(hOld);
}

// ---- pane

int CDlgMessagesList::HeaderHeight() const
{
    HWND hHeader = m_list.m_hWnd != NULL ? ListView_GetHeader(m_list.m_hWnd) : NULL;
    if (hHeader == NULL)
        return 0;
    RECT rc;
    ::GetWindowRect(hHeader, &rc);
    return rc.bottom - rc.top;
}

LRESULT CDlgMessagesList::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    // The list object owns its images and frees them itself: the control must not free them too.
    HWND hList = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS |
                                       LVS_OWNERDATA | LVS_SHAREIMAGELISTS,
                                   0, 0, 100, 100, m_hWnd, (HMENU)(UINT_PTR)IDC_MESSAGE_LIST, NULL, NULL);
    m_list.SubclassWindow(hList);
    for (LONG nType : m_extraColumns)
        m_list.AddColumn(nType);
    HWND hFrame = GetTopLevelParent();
    CDatabaseSession* pDatabase = NULL;
    ::SendMessageA(hFrame, LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
    m_list.Initialize(pDatabase != NULL ? &pDatabase->m_session : NULL, hFrame);
    RegisterClipboardFormatA("MessagesListClipboardFormat");
    return TRUE;
}

LRESULT CDlgMessagesList::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    ::MoveWindow(m_list.m_hWnd, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
}

LRESULT CDlgMessagesList::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    NMHDR* pnmh = reinterpret_cast<NMHDR*>(lParam);
    if (pnmh->hwndFrom != m_list.m_hWnd)
    {
        bHandled = FALSE;
        return 0;
    }
    LRESULT lResult = 0;
    switch (pnmh->code)
    {
    case LVN_GETDISPINFOA:
        lResult = m_list.OnGetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(lParam));
        break;
    case NM_CUSTOMDRAW:
        lResult = m_list.OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        break;
    case LVN_COLUMNCLICK:
        m_list.SendMessage(LVM_SORTITEMS, reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem, 0);
        break;
    case LVN_ITEMCHANGED:
    {
        const UINT nSelected = ListView_GetSelectedCount(m_list.m_hWnd);
        HWND hFrame = GetTopLevelParent();
        ::SendMessageA(hFrame, LetrovaEnable, ID_FILE_PRINT_MESSAGE, nSelected > 0);
        const NMLISTVIEW* pChange = reinterpret_cast<NMLISTVIEW*>(lParam);
        const bool bSelectionChanged = ((pChange->uNewState ^ pChange->uOldState) & LVIS_SELECTED) != 0;
        if (nSelected == 1 && bSelectionChanged && !m_list.IsFilling() && !m_list.m_bMovingSelection &&
            !m_list.DeferPreview())
            ShowSelectedInPreview(hFrame);
        break;
    }
    default:
        bHandled = FALSE;
        return 0;
    }
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, lResult);
    return lResult;
}

LRESULT CDlgMessagesList::OnPreviewSelection(UINT, WPARAM, LPARAM, BOOL&)
{
    if (ListView_GetSelectedCount(m_list.m_hWnd) == 1 && !m_list.IsFilling())
        ShowSelectedInPreview(GetTopLevelParent());
    return 0;
}

void CDlgMessagesList::ShowSelectedInPreview(HWND hFrame)
{
    std::vector<int> rows = m_list.SelectedRows();
    if (rows.size() != 1)
        return;
    CEmailsImpl<>* pTable = FrameEmailsTable(hFrame);
    try
    {
        if (pTable == NULL || !pTable->OpenByKey(m_list.Row(rows[0]).nEmailsID, TRUE, hFrame))
            throw "ERROR: Message is not found";
    }
    catch (...)
    {
        ShowError(m_hWnd, "CDlgMessagesList::OnItemChanged()\r\nUnhandled exception!!!\r\n");
        return;
    }
    ::SendMessageA(GetParent(), WM_COMMAND, ID_VIEW_MESSAGE_BODY, (LPARAM)pTable);
}

bool CDlgMessagesList::ReadSelectedIntoFrameTable(const char* pszCrashText)
{
    std::vector<int> rows = m_list.SelectedRows();
    if (rows.empty())
    {
        AppMessageBox(kSelectFirst, MB_ICONINFORMATION, m_hWnd);
        return false;
    }
    HWND hFrame = GetTopLevelParent();
    CEmailsImpl<>* pTable = FrameEmailsTable(hFrame);
    try
    {
        if (pTable == NULL || !pTable->OpenByKey(m_list.Row(rows[0]).nEmailsID, TRUE, hFrame))
            throw kNotFound;
        return true;
    }
    catch (...)
    {
        ShowError(m_hWnd, pszCrashText);
        return false;
    }
}

CString CDlgMessagesList::NextPrintFile()
{
    static volatile LONG s_nPrints = 0;
    CString strPath;
    strPath.Format("%sPrint%lx-%ld.htm", (const char*)GetTempFolder(), (unsigned long)GetCurrentThreadId(),
                   (long)InterlockedIncrement(&s_nPrints));
    return strPath;
}

void CDlgMessagesList::Print()
{
    const char kPrintCrashed[] = "CDlgMessagesList::OnPrint()\r\nUnhandled exception!!!\r\n";
    if (!ReadSelectedIntoFrameTable(kPrintCrashed))
        return;
    HWND hFrame = GetTopLevelParent();
    try
    {
        CString strHtml = FrameEmailsTable(hFrame)->GetForwardReplyPrintHTML(hFrame, 2);
        // Kept until the print has read it: each print has a file of its own.
        const CString strPath = NextPrintFile();
        CFile file(strPath, CFile::modeCreate | CFile::modeWrite);
        file.Write((const char*)strHtml, (UINT)strHtml.GetLength());
        file.Close();
        if (IsTraceOn())
            g_pTraceFile->Write("\r\nCDlgMessagesList::OnPrint(): %s", (const char*)strPath);
        ::SendMessageA(hFrame, WM_COMMAND, ID_PRINT, (LPARAM)(const char*)strPath);
    }
    catch (CFileException* pException)
    {
        AppMessageBox(CString("ERROR: ") + pException->GetErrorText(), MB_ICONSTOP, m_hWnd);
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(CString("ERROR: ") + pszText, MB_ICONSTOP, m_hWnd);
    }
    catch (...)
    {
        ShowError(m_hWnd, kPrintCrashed);
    }
}

void CDlgMessagesList::AddSender()
{
    const char kAddCrashed[] = "CDlgMessagesList::OnAddSenderToAddressBook()\r\nUnhandled exception!!!\r\n";
    if (!ReadSelectedIntoFrameTable(kAddCrashed))
        return;
    HWND hFrame = GetTopLevelParent();
    try
    {
        AddNewContact(hFrame, FrameEmailsTable(hFrame));
        DWORD dwManager = 0;
        ::SendMessageA(hFrame, LetrovaGetIdThread, (WPARAM)&dwManager, 0);
        ::PostThreadMessageA(dwManager, WM_USER, ID_UPDATE_ADDRESS_BOOK, 0);
    }
    catch (...)
    {
        ShowError(m_hWnd, kAddCrashed);
    }
}

LRESULT CDlgMessagesList::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    const WORD nID = LOWORD(wParam);
    if (nID == ID_VIEW_MESSAGE_BODY_2)
        return ::SendMessageA(GetParent(), WM_COMMAND, ID_VIEW_MESSAGE_BODY, lParam);
    if (nID == ID_REPLY || nID == ID_FORWARD)
    {
        if (!ReadSelectedIntoFrameTable("CDlgMessagesList::OnReply()\r\nUnhandled exception!!!\r\n"))
            return 1;
        DWORD dwManager = 0;
        ::SendMessageA(GetTopLevelParent(), LetrovaGetIdThread, (WPARAM)&dwManager, 0);
        ::PostThreadMessageA(dwManager, WM_USER, ID_NEW_MESSAGE_MENU, nID == ID_REPLY ? (LPARAM)-1 : (LPARAM)-4);
        return 1;
    }
    if (nID == ID_FILE_PRINT_MESSAGE)
    {
        // The focused window prints: the preview, when it has the focus, prints its own.
        if (m_list.m_hWnd == NULL || ::GetFocus() != m_list.m_hWnd)
        {
            bHandled = FALSE;
            return 0;
        }
        Print();
        return 1;
    }
    if (nID == ID_ADD_SENDER)
    {
        AddSender();
        return 1;
    }
    if (m_list.m_hWnd != NULL)
        return m_list.SendMessage(WM_COMMAND, wParam, lParam);
    bHandled = FALSE;
    return 0;
}
