// The update dialog (versions list), the download dialog, their progress pane and the About box.
#include "updater/UpdateDialogs.h"

#include <commctrl.h>
#include <time.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FileException.h"
#include "updater/CoUpdate.h"
#include "updater/Download.h"

namespace
{

struct CDialogState
{
    CoUpdate* m_pUpdate;
    HWND m_hPane;
    bool m_bUpdate;
};

void SetTitle(HWND hDlg, const CString& strPrefix)
{
    char szOwn[33] = "";
    GetWindowTextA(hDlg, szOwn, sizeof(szOwn));
    SetWindowTextA(hDlg, strPrefix + " " + szOwn);
}

void CentreOnParent(HWND hDlg)
{
    RECT rcDlg, rcOwner;
    HWND hOwner = GetParent(hDlg);
    if (!hOwner)
        hOwner = GetDesktopWindow();
    GetWindowRect(hDlg, &rcDlg);
    GetWindowRect(hOwner, &rcOwner);
    int x = rcOwner.left + ((rcOwner.right - rcOwner.left) - (rcDlg.right - rcDlg.left)) / 2;
    int y = rcOwner.top + ((rcOwner.bottom - rcOwner.top) - (rcDlg.bottom - rcDlg.top)) / 2;
    SetWindowPos(hDlg, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK PaneProc(HWND hPane, UINT uMsg, WPARAM, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_INITDIALOG: {
        CoUpdate* pUpdate = reinterpret_cast<CoUpdate*>(lParam);
        SetWindowLongPtrA(hPane, GWLP_USERDATA, lParam);
        SendDlgItemMessageA(hPane, IDC_UPDATE_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendDlgItemMessageA(hPane, IDC_UPDATE_PROGRESS, PBM_SETPOS, 0, 0);
        SetDlgItemTextA(hPane, IDC_UPDATE_URL, pUpdate->m_strURL);
        Animate_OpenEx(GetDlgItem(hPane, IDC_UPDATE_ANIMATION), g_hUpdateResources,
                       MAKEINTRESOURCEA(IDR_UPDATE_ANIMATION));
        Animate_Play(GetDlgItem(hPane, IDC_UPDATE_ANIMATION), 0, -1, -1);
        return TRUE;
    }
    case WM_DESTROY: {
        CoUpdate* pUpdate = reinterpret_cast<CoUpdate*>(GetWindowLongPtrA(hPane, GWLP_USERDATA));
        if (pUpdate && pUpdate->m_hProgress == hPane)
            pUpdate->m_hProgress = nullptr;
        return FALSE;
    }
    }
    return FALSE;
}

HWND CreatePane(HWND hDlg, CoUpdate* pUpdate)
{
    InterlockedExchange(&pUpdate->m_bStop, TRUE);
    HWND hPane = CreateDialogParamA(g_hUpdateResources, MAKEINTRESOURCEA(IDD_UPDATE_PROGRESS), hDlg, PaneProc,
                                    reinterpret_cast<LPARAM>(pUpdate));
    if (hPane)
        SetWindowPos(hPane, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    pUpdate->m_hProgress = hPane;
    return hPane;
}

INT_PTR CALLBACK AboutProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg)
    {
    case WM_INITDIALOG: {
        CentreOnParent(hDlg);
        SetTitle(hDlg, "");
        char szOwn[33] = "";
        GetWindowTextA(hDlg, szOwn, sizeof(szOwn));
        SetWindowTextA(hDlg, CString(szOwn + 1) + " " + LoadUpdateString(IDS_UPDATE_NAME));
        char szPath[MAX_PATH] = "";
        GetModuleFileNameA(g_hUpdateResources, szPath, MAX_PATH);
        CString strRelease, strDate;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(szPath, GetFileExInfoStandard, &data))
        {
            FILETIME local;
            SYSTEMTIME st;
            FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
            FileTimeToSystemTime(&local, &st);
            struct tm t = {};
            t.tm_year = st.wYear - 1900;
            t.tm_mon = st.wMonth - 1;
            t.tm_mday = st.wDay;
            t.tm_hour = st.wHour;
            t.tm_min = st.wMinute;
            t.tm_sec = st.wSecond;
            t.tm_wday = st.wDayOfWeek;
            char szDate[128] = "";
            strftime(szDate, sizeof(szDate), "%A, %B %d, %Y %H:%M.%S", &t);
            strDate = szDate;
        }
        strRelease.Format(LoadUpdateString(IDS_UPDATE_ABOUT_RELEASE), strDate.GetString());
        CString strText;
        strText.Format(LoadUpdateString(IDS_UPDATE_ABOUT_VERSION), GetFileVersionText(szPath).GetString(),
                       strRelease.GetString());
        SetDlgItemTextA(hDlg, IDC_UPDATE_ABOUT_TEXT, strText);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// Cancel before a download closes; during one it only asks the worker to stop, and the worker's
// ID_END_DIALOG closes the dialog once it has.
void OnCancel(HWND hDlg, CDialogState* pState)
{
    if (pState->m_pUpdate->m_hDownloadThread &&
        WaitForSingleObject(pState->m_pUpdate->m_hDownloadThread, 0) == WAIT_TIMEOUT)
    {
        InterlockedExchange(&pState->m_pUpdate->m_bStop, TRUE);
        return;
    }
    EndDialog(hDlg, IDCANCEL);
}

void StoreDialogError(CoUpdate* pUpdate)
{
    try
    {
        throw;
    }
    catch (CException* e)
    {
        pUpdate->m_strError = e->m_strMessage;
        delete e;
    }
    catch (CFileException* e)
    {
        char szError[255] = "";
        e->GetErrorMessage(szError, sizeof(szError));
        pUpdate->m_strError = szError;
        delete e;
    }
    catch (...)
    {
        pUpdate->m_strError = "CDlgUpdate. Unhandled exception!!!";
    }
}

// Rows are owner-drawn: the version and its details, word-wrapped, in the row's colours.
void DrawVersionRow(const DRAWITEMSTRUCT* pDraw)
{
    if (static_cast<int>(pDraw->itemID) < 0)
        return;
    HWND hList = pDraw->hwndItem;
    char szVersion[260] = "", szDetails[4096] = "";
    ListView_GetItemText(hList, pDraw->itemID, 0, szVersion, sizeof(szVersion));
    ListView_GetItemText(hList, pDraw->itemID, 1, szDetails, sizeof(szDetails));
    bool bSelected = (pDraw->itemState & ODS_SELECTED) != 0;
    COLORREF background = GetSysColor(bSelected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    COLORREF text =
        bSelected ? RGB(255 - GetRValue(background), 255 - GetGValue(background), 255 - GetBValue(background))
                  : GetSysColor(COLOR_WINDOWTEXT);
    HBRUSH hBrush = CreateSolidBrush(background);
    FillRect(pDraw->hDC, &pDraw->rcItem, hBrush);
    DeleteObject(hBrush);
    SetBkColor(pDraw->hDC, background);
    SetTextColor(pDraw->hDC, text);
    int nWidth0 = ListView_GetColumnWidth(hList, 0), nWidth1 = ListView_GetColumnWidth(hList, 1);
    RECT rc = pDraw->rcItem;
    rc.left = pDraw->rcItem.left;
    rc.right = rc.left + nWidth0;
    DrawTextA(pDraw->hDC, szVersion, -1, &rc, DT_WORDBREAK);
    rc.left = pDraw->rcItem.left + nWidth0;
    rc.right = pDraw->rcItem.left + nWidth0 + nWidth1;
    DrawTextA(pDraw->hDC, szDetails, -1, &rc, DT_WORDBREAK);
}

int CALLBACK CompareVersions(LPARAM lParam1, LPARAM lParam2, LPARAM)
{
    return reinterpret_cast<CUpdateVersion*>(lParam2)->Compare(*reinterpret_cast<CUpdateVersion*>(lParam1));
}

void EnableDownload(HWND hDlg)
{
    EnableWindow(GetDlgItem(hDlg, IDOK),
                 ListView_GetSelectedCount(GetDlgItem(hDlg, IDC_UPDATE_VERSIONS)) == 1);
}

// A folder that reads as no version (or cannot be listed) gets no row; the others still do.
void FillVersionsList(HWND hDlg, CoUpdate* pUpdate)
{
    HWND hList = GetDlgItem(hDlg, IDC_UPDATE_VERSIONS);
    HWND hPane = pUpdate->m_hProgress;
    SetDlgItemTextA(hPane, IDC_UPDATE_STATUS, LoadUpdateString(IDS_UPDATE_LISTING));
    int nRow = 0;
    for (size_t i = 0; i < pUpdate->m_ServerList.m_names.size(); ++i)
    {
        const CString& strName = pUpdate->m_ServerList.m_serverNames[i];
        CUpdateVersion version;
        if (!CUpdateVersion::IsVersionFolderName(strName) || !version.TryParse(strName))
            continue;
        CServerFileList list;
        try
        {
            list.Read(pUpdate->m_hInternet, JoinFolderUrl(pUpdate->m_strURL) + strName);
        }
        catch (CException* e)
        {
            delete e;
            continue;
        }
        CString strDetails = DownloadToString(pUpdate, list, "Details.txt");
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = nRow++;
        item.pszText = const_cast<char*>(strName.GetString());
        item.lParam = reinterpret_cast<LPARAM>(new CUpdateVersion(version));
        int iItem = ListView_InsertItem(hList, &item);
        ListView_SetItemText(hList, iItem, 1, const_cast<char*>(strDetails.GetString()));
    }
    SetDlgItemTextA(hPane, IDC_UPDATE_STATUS, "");
    SetDlgItemTextA(hPane, IDC_UPDATE_ELAPSED, "");
    SetDlgItemTextA(hPane, IDC_UPDATE_RATE, "");
}

void InitVersionsList(HWND hList)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    CString strVersion = LoadUpdateString(IDS_UPDATE_COLUMN_VERSION);
    CString strDetails = LoadUpdateString(IDS_UPDATE_COLUMN_DETAILS);
    column.pszText = const_cast<char*>(strVersion.GetString());
    column.cx = 100;
    ListView_InsertColumn(hList, 0, &column);
    column.pszText = const_cast<char*>(strDetails.GetString());
    column.cx = 650;
    ListView_InsertColumn(hList, 1, &column);
    ListView_SetExtendedListViewStyle(hList, ListView_GetExtendedListViewStyle(hList) | 0x30);
}

void OnDownload(HWND hDlg, CDialogState* pState)
{
    HWND hList = GetDlgItem(hDlg, IDC_UPDATE_VERSIONS);
    int iItem = ListView_GetNextItem(hList, -1, LVNI_SELECTED);
    if (iItem < 0)
    {
        AppMessageBoxCaption(LoadUpdateString(IDS_UPDATE_CHOOSE_VERSION), UpdateCaption, 0, hDlg);
        return;
    }
    char szFolder[260] = "";
    ListView_GetItemText(hList, iItem, 0, szFolder, sizeof(szFolder));
    StartDownloadThread(pState->m_pUpdate, szFolder);
    EnableWindow(GetDlgItem(hDlg, IDOK), FALSE);
}

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CDialogState* pState = reinterpret_cast<CDialogState*>(GetWindowLongPtrA(hDlg, DWLP_USER));
    try
    {
        switch (uMsg)
        {
        case WM_INITDIALOG: {
            pState = reinterpret_cast<CDialogState*>(lParam);
            SetWindowLongPtrA(hDlg, DWLP_USER, lParam);
            CentreOnParent(hDlg);
            pState->m_hPane = CreatePane(hDlg, pState->m_pUpdate);
            if (pState->m_bUpdate)
            {
                SetTitle(hDlg, CString(UpdateCaption) + " " + pState->m_pUpdate->GetVersionText());
                InitVersionsList(GetDlgItem(hDlg, IDC_UPDATE_VERSIONS));
                InterlockedExchange(&pState->m_pUpdate->m_bStop, FALSE);
                FillVersionsList(hDlg, pState->m_pUpdate);
                InterlockedExchange(&pState->m_pUpdate->m_bStop, TRUE);
                EnableDownload(hDlg);
                ListView_SortItems(GetDlgItem(hDlg, IDC_UPDATE_VERSIONS), CompareVersions, 0);
            }
            else
            {
                SetTitle(hDlg, UpdateCaption);
                StartDownloadThread(pState->m_pUpdate, "");
            }
            return TRUE;
        }
        case WM_MEASUREITEM:
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 100;
            return TRUE;
        case WM_DRAWITEM:
            if (wParam == IDC_UPDATE_VERSIONS)
                DrawVersionRow(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_NOTIFY: {
            NMHDR* pHeader = reinterpret_cast<NMHDR*>(lParam);
            if (pHeader->idFrom != IDC_UPDATE_VERSIONS)
                return FALSE;
            if (pHeader->code == LVN_ITEMCHANGED)
                EnableDownload(hDlg);
            else if (pHeader->code == LVN_DELETEITEM)
                delete reinterpret_cast<CUpdateVersion*>(reinterpret_cast<NMLISTVIEW*>(lParam)->lParam);
            else if (pHeader->code == NM_DBLCLK && IsWindowEnabled(GetDlgItem(hDlg, IDOK)) &&
                     ListView_GetSelectedCount(pHeader->hwndFrom) > 0)
                OnDownload(hDlg, pState);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam))
            {
            case IDOK:
                if (pState->m_bUpdate)
                    OnDownload(hDlg, pState);
                return TRUE;
            case IDCANCEL:
                OnCancel(hDlg, pState);
                return TRUE;
            case IDC_UPDATE_ABOUT:
                DialogBoxParamA(g_hUpdateResources, MAKEINTRESOURCEA(IDD_UPDATE_ABOUT), hDlg, AboutProc, 0);
                return TRUE;
            case ID_END_DIALOG:
                EndDialog(hDlg, lParam);
                return TRUE;
            }
            return FALSE;
        }
    }
    catch (...)
    {
        if (pState)
            StoreDialogError(pState->m_pUpdate);
        EndDialog(hDlg, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunDialog(CoUpdate* pUpdate, HWND hWndOwner, bool bUpdate)
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_ANIMATE_CLASS};
    InitCommonControlsEx(&icc);
    CDialogState state = {pUpdate, nullptr, bUpdate};
    INT_PTR nResult =
        DialogBoxParamA(g_hUpdateResources, MAKEINTRESOURCEA(bUpdate ? IDD_UPDATE : IDD_UPDATE_DOWNLOAD),
                        hWndOwner, DialogProc, reinterpret_cast<LPARAM>(&state));
    // The worker may still be finishing its last step after it posted the end: the object outlives it.
    if (pUpdate->m_hDownloadThread)
        WaitForSingleObject(pUpdate->m_hDownloadThread, INFINITE);
    // A dialog that could not be shown did nothing: that is a failure, not an empty success.
    if (nResult == -1)
        throw new CException("FATAL ERROR: Show the dialog failed!\r\n" + GetLastErrorText());
    return nResult;
}

} // namespace

INT_PTR ShowUpdateDialog(CoUpdate* pUpdate, HWND hWndOwner)
{
    return RunDialog(pUpdate, hWndOwner, true);
}

INT_PTR ShowDownloadDialog(CoUpdate* pUpdate, HWND hWndOwner)
{
    return RunDialog(pUpdate, hWndOwner, false);
}
