// The message list: an owner-data report list whose rows are kept by the control and filled by a worker
// thread in batches, and the pane that hosts it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <vector>

#include <atlstr.h>
#include <atlwin.h>

#include "resources/resource.h"
#include "store/Folders.h"
#include "ui/main/DragDrop.h"
#include "ui/main/MainCommands.h"
#include "ui/main/MessageRows.h"

const WORD ID_VIEW_MESSAGE_BODY = 32797;
const WORD ID_VIEW_MESSAGE_BODY_2 = 32806;

// The list keeps its rows in its own array and answers LVN_GETDISPINFO, so a large folder fills without
// one insert per row; the fill thread hands rows over in batches, one sent message per batch.
class CListViewCtrlMessages : public CWindowImpl<CListViewCtrlMessages, CWindow>
{
public:
    enum
    {
        WM_FILL_BATCH = WM_APP + 0x31,
        WM_FILL_DONE = WM_APP + 0x32,
        // Sent to the parent when the selection has come to rest after a held key moved it.
        WM_PREVIEW_SELECTION = WM_APP + 0x33,
        kPreviewTimer = 0x4F52,
        kAddedRowsTimer = 0x4F53,
        // Milliseconds a handed-over row may wait to be shown with the rows handed over after it.
        kAddedRowsDelay = 250,
        // Milliseconds between two showings of a fill's progress (rows, status text).
        kFillRepaintDelay = 100,
        kBatchSize = 512,
        // The fill's first page: a screen of rows, shown before the rest of the folder is read.
        kFirstPageRows = 200
    };

    BEGIN_MSG_MAP(CListViewCtrlMessages)
        MESSAGE_HANDLER(WM_FILL_BATCH, OnFillBatch)
        MESSAGE_HANDLER(WM_FILL_DONE, OnFillDone)
        MESSAGE_HANDLER(LVM_SORTITEMS, OnSortItems)
        MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
        MESSAGE_HANDLER(WM_KEYUP, OnKeyUp)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnDoubleClick)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_SETFOCUS, OnFocus)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnFocus)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    CListViewCtrlMessages();
    ~CListViewCtrlMessages();

    // After the window is subclassed: columns, images, styles and fonts. pSession is the local database.
    void Initialize(CSession* pSession, HWND hWndFrame);
    void AddColumn(LONG nType);

    // Requests a refill; a running fill is stopped first and the new one starts when it has ended.
    void SelFolderChanged(const CFoldersRecord* pFolder, int nReselect, const char* pszWhere = NULL,
                          const char* pszBody = NULL, volatile LONG* pStop = NULL,
                          const char* pszAttachment = NULL, HWND hWndNotify = NULL);
    // A handed-over message's row, brought into view; during a fill it waits for the fill's end.
    void AddItem(const CMessageRow& row, int nIndex);
    // The listed columns of one stored message, read without its text; false when it is not stored or the
    // list has no database.
    bool ReadRow(LONG nEmailID, CMessageRow& row);
    // Shows the rows handed over since the control was last told, at once.
    void ShowAddedRows();
    void ClearList();
    bool IsFilling() const { return WaitForSingleObject(m_hIdle, 0) != WAIT_OBJECT_0; }
    // Signalled while no fill runs.
    HANDLE IdleEvent() const { return m_hIdle; }

    int GetRowCount() const { return (int)m_rows.size(); }
    const CMessageRow& Row(int i) const { return m_rows[i]; }
    std::vector<int> SelectedRows() const;
    // The text and image of a cell, as the list shows them.
    CString CellText(int nRow, int nColumn);
    int CellImage(int nRow, int nColumn) const;
    LRESULT OnGetDispInfo(NMLVDISPINFOA* pInfo);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* pDraw);
    // A selection change of a held key's repeat: the preview waits until the selection rests. False when
    // it should be shown now.
    bool DeferPreview();
    // Set while rows move under the selection, which is then the same messages as before.
    bool m_bMovingSelection = false;
    HFONT FontOfRow(int nRow) const;

    // Commands.
    void DeleteSelectedItems();
    void MoveSelected(LONG nTargetID);
    void MarkRows(bool bRead, bool bAll);
    void RefreshChanged();
    void OpenSelected();
    BOOL CanMark(bool bRead);
    void MoveToChosenFolder();
    // Menu 259 with its items enabled for the selection; the caller destroys it.
    HMENU LoadContextMenu();
    void SaveSelectedAs();
    void ShowProperties();

    // Runs the drag of the selection; the default is DoDragDrop. Tests put their own in its place.
    typedef HRESULT (*DragStarter)(IDataObject* pDataObject, IDropSource* pDropSource, DWORD dwEffects,
                                   DWORD* pdwEffect);
    static DragStarter SetDragStarter(DragStarter pfnStarter);

    struct CColumn
    {
        LONG nType;
        LONG bAscending;
    };
    std::vector<CColumn> m_columns;
    int m_nSortColumn = -1;
    LONG m_nFolderID = 0;
    LONG m_nFolderType = 0;
    // Set by the main window's key filter from the Shift state; cleared at the end of every delete.
    BOOL m_bPermanentDelete = FALSE;
    LONG m_nPendingMove = 0;
    // The folder of the last move request, carried out or not.
    LONG m_nLastMoveTarget = 0;
    // The folder of the last fill request.
    LONG m_nRequestFolderID = -1;
    LONG m_nRequestType = -1;
    // The per-account view: the name of the account item above a system folder node without a folder.
    CString m_strAccountName;
    // The fill's SQL of the last fill.
    CString m_strLastQuery;
    HFONT m_hFontBold = NULL;
    HFONT m_hFontStrike = NULL;
    HIMAGELIST m_hImages = NULL;

private:
    LRESULT OnFillBatch(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnFillDone(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSortItems(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnKeyUp(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    void ShowRestingPreview();
    LRESULT OnDoubleClick(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnFocus(UINT uMsg, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM, LPARAM, BOOL&);

    void StartFill();
    static DWORD WINAPI FillThreadProc(void* pParam);
    void Fill();
    CString FolderPath(LONG nFolderID, CSession* pSession);
    void SetRowCount(bool bKeepView);
    void InsertRow(const CMessageRow& row, int nIndex);
    // The row a position of the control shows.
    int ViewRow(int nItem) const;
    void RemoveRows(const std::vector<int>& rows);
    LONG ManagerThread();
    void SelectRow(int nRow);

    std::vector<CMessageRow> m_rows;
    // Rows handed over during a fill, with the position asked for.
    std::vector<std::pair<CMessageRow, int>> m_pendingAdds;
    CSession* m_pSession = NULL;
    HWND m_hWndFrame = NULL;
    HANDLE m_hIdle;
    HANDLE m_hThread = NULL;
    volatile LONG m_nOwnStop = 0;
    volatile LONG* m_pStop;
    bool m_bRefillPending = false;
    bool m_bRunRequested = false;
    // Moves and deletes under way.
    int m_nRowCommands = 0;
    bool m_bDestroying = false;
    bool m_bOrderByDate = false;
    bool m_bRepeatedKey = false;
    bool m_bPreviewPending = false;
    bool m_bAddsPending = false;
    int m_nAddedRow = 0;
    // Rows added at the top that the control has not been told of.
    int m_nAddedFirst = 0;
    CListDataObject m_dataObject;
    // The fill request.
    int m_nReselect = -1;
    CString m_strWhere, m_strRememberedWhere, m_strBody, m_strAttachment;
    bool m_bCallerWhere = false;
    HWND m_hWndNotify = NULL;
    int m_nTopIndex = 0, m_nPerPage = 0;
    // The folder-path cache, one folder read once per control; the fill thread and the UI thread share it.
    CRITICAL_SECTION m_cachePaths;
    std::vector<std::pair<LONG, CString>> m_paths;
};

class CDlgMessagesList : public CDialogImpl<CDlgMessagesList>
{
public:
    enum
    {
        IDD = IDD_MESSAGE_LIST_PANE
    };

    BEGIN_MSG_MAP(CDlgMessagesList)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        MESSAGE_HANDLER(CListViewCtrlMessages::WM_PREVIEW_SELECTION, OnPreviewSelection)
    END_MSG_MAP()

    int HeaderHeight() const;

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnNotify(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnPreviewSelection(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    // Re-reads the one selected message into the frame's store and hands it to the preview.
    void ShowSelectedInPreview(HWND hFrame);

    // Reads the first selected message into the frame's shared Emails table; false (after saying why) when
    // there is none.
    bool ReadSelectedIntoFrameTable(const char* pszCrashText);
    void Print();
    void AddSender();
    // The printable file of this pane's next print: its own name, so no other window's print replaces it.
    static CString NextPrintFile();

    CListViewCtrlMessages m_list;
    // Extra column types before the list is initialised (the find window's Folder column).
    std::vector<LONG> m_extraColumns;
};
