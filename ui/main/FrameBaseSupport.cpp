// The class-independent halves of the frame base.
#include "ui/main/FrameBaseSupport.h"

#include <commctrl.h>
#include <richedit.h>

#include <atlapp.h>

#include "content/SystemInfo.h"
#include "foundation/ErrorUtil.h"
#include "foundation/FileException.h"
#include "foundation/Paths.h"
#include "foundation/TraceFile.h"
#include "platform/wtl/SystemSeams.h"
#include "resources/resource.h"
#include "transport/DlgEmailMe.h"

namespace
{
const char kHelpFileName[] = "OrbMail.chm";
const UINT kHtmlHelpDisplayTopic = 0;

INT_PTR CALLBACK AboutProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
    {
        HWND hParent = ::GetParent(hDlg);
        RECT rcParent, rcDlg;
        if (hParent == NULL)
            hParent = ::GetDesktopWindow();
        ::GetWindowRect(hParent, &rcParent);
        ::GetWindowRect(hDlg, &rcDlg);
        int cx = rcDlg.right - rcDlg.left, cy = rcDlg.bottom - rcDlg.top;
        ::SetWindowPos(hDlg, NULL, rcParent.left + (rcParent.right - rcParent.left - cx) / 2,
                       rcParent.top + (rcParent.bottom - rcParent.top - cy) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        char szCaption[256] = "";
        ::GetWindowTextA(hDlg, szCaption, sizeof(szCaption));
        CString strTitle = CString(szCaption) + " " + AtlLoadString(IDS_PROJNAME);
        ::SetWindowTextA(hDlg, strTitle);
        ::SetDlgItemTextA(hDlg, IDC_ABOUT_INFO, SystemInfoText());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        {
            ::EndDialog(hDlg, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

UINT ReadOnlyStyleSelection(HWND hWnd)
{
    return (UINT)::SendMessageA(hWnd, EM_SELECTIONTYPE, 0, 0);
}
} // namespace

CString CutStatusText(const char* pszText)
{
    CString strText = pszText != NULL ? pszText : "";
    if (strText.GetLength() > kMaxStatusText)
        strText = strText.Left(kMaxStatusText);
    return strText;
}

void OpenFrameHelp(const char* pszHelpFolder)
{
    CString strPath = CString(pszHelpFolder) + kHelpFileName;
    if (CSystemSeams::ShowHtmlHelp(NULL, strPath, kHtmlHelpDisplayTopic, 0) != NULL)
        return;
    CString strFormat = AtlLoadString(IDS_HELP_FAILED);
    CString strText;
    strText.Format(strFormat, (const char*)strPath, (const char*)AtlLoadString(IDS_PROJNAME));
    AppMessageBox(strText, MB_ICONERROR);
}

INT_PTR ShowAboutBox(HWND hWndParent)
{
    return ::DialogBoxParamA(GetResourceModule(), MAKEINTRESOURCEA(IDD_ABOUTBOX), hWndParent, AboutProc, 0);
}

void EmailTraceFile(HWND hWndOwner, CRegistry* pRegistry)
{
    CTraceFile* pTrace = g_pTraceFile;
    CString strCopy;
    if (pTrace != NULL)
    {
        strCopy = GetTempFolder() + "TraceCopy.log";
        if (!pTrace->CopyTo(strCopy))
        {
            AppMessageBox(CString("ERROR: '") + strCopy + "' " + GetLastErrorText().Left(255), MB_ICONERROR);
            return;
        }
    }
    CDlgEmailMe dlg(NULL, strCopy, pRegistry);
    dlg.DoModal(hWndOwner);
}

bool FocusHasSelection(HWND hWnd)
{
    return ReadOnlyStyleSelection(hWnd) != 0;
}

bool FocusCanCut(HWND hWnd, bool bReadOnly)
{
    return !bReadOnly && FocusHasSelection(hWnd);
}

bool FocusCanCopy(HWND hWnd, bool bReadOnly)
{
    return !bReadOnly && FocusHasSelection(hWnd);
}

bool FocusCanPaste(HWND hWnd, bool bReadOnly)
{
    return !bReadOnly && ::SendMessageA(hWnd, EM_CANPASTE, 0, 0) != 0;
}

bool FocusCanUndo(HWND hWnd, bool bReadOnly)
{
    return !bReadOnly && ::SendMessageA(hWnd, EM_CANUNDO, 0, 0) != 0;
}

bool FocusCanRedo(HWND hWnd, bool bReadOnly)
{
    return !bReadOnly && ::SendMessageA(hWnd, EM_CANREDO, 0, 0) != 0;
}

bool FocusAnswers(HWND hWnd, WORD nQuery)
{
    return ::SendMessageA(hWnd, WM_COMMAND, nQuery, 0) != 0;
}
