// The database file dialog and the central database dialog, built from in-memory templates.
#include "store/DatabaseDialogs.h"

#include <commdlg.h>

#include <vector>

#include "foundation/Paths.h"
#include "foundation/Registry.h"
#include "store/DialogTemplate.h"
#include "store/StoreTexts.h"

namespace
{
enum
{
    IDC_PATH = 203,
    IDC_PROMPT = 204,
    IDC_SHOW_CONNECT_FAILURE = 205,
    IDC_PRIVATE_CONTACTS = 336,
    IDC_BROWSE = 1114
};

DatabaseDialogHook s_pfnHook = NULL;

struct CDialogState
{
    bool bOrb;
    const char* pszPrompt;
    CString* pPath;
};

void EnableOrbControls(HWND hDlg)
{
    BOOL bEnable = IsDlgButtonChecked(hDlg, IDC_PRIVATE_CONTACTS) != BST_CHECKED;
    EnableWindow(GetDlgItem(hDlg, IDC_PATH), bEnable);
    EnableWindow(GetDlgItem(hDlg, IDC_BROWSE), bEnable);
    EnableWindow(GetDlgItem(hDlg, IDC_SHOW_CONNECT_FAILURE), bEnable);
}

CString GetItemText(HWND hDlg, int nId)
{
    HWND hItem = GetDlgItem(hDlg, nId);
    int cch = GetWindowTextLengthA(hItem);
    CString str;
    GetWindowTextA(hItem, str.GetBuffer(cch + 1), cch + 1);
    str.ReleaseBuffer();
    return str;
}

void Browse(HWND hDlg)
{
    CString strPath = GetItemText(hDlg, IDC_PATH);
    char szFile[MAX_PATH] = {0};
    // The filter's parts are separated by NULs, which a literal cannot end with twice on its own.
    CString strFilter = CString(StoreText::kMdbFilter) + '\n' + "*.mdb" + '\n' + StoreText::kAllFilesFilter +
                        '\n' + "*.*" + '\n' + '\n';
    std::vector<char> filter(strFilter.GetLength() + 1);
    for (int i = 0; i < strFilter.GetLength(); i++)
        filter[i] = strFilter[i] == '\n' ? '\0' : strFilter[i];
    // A network path starts browsing in the data folder; otherwise the system chooses.
    CString strInitialDir = strPath.Left(2) == "\\\\" ? GetUserDataFolder() : CString();
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hDlg;
    ofn.lpstrFilter = filter.data();
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = sizeof(szFile);
    ofn.lpstrTitle = StoreText::kOpenLocalTitle;
    ofn.lpstrDefExt = "mdb";
    ofn.lpstrInitialDir = strInitialDir.IsEmpty() ? NULL : (const char*)strInitialDir;
    ofn.Flags = OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&ofn))
        SetDlgItemTextA(hDlg, IDC_PATH, szFile);
}

INT_PTR CALLBACK DatabaseDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CDialogState* pState = reinterpret_cast<CDialogState*>(GetWindowLongPtrA(hDlg, DWLP_USER));
    switch (uMsg)
    {
    case WM_INITDIALOG:
    {
        pState = reinterpret_cast<CDialogState*>(lParam);
        SetWindowLongPtrA(hDlg, DWLP_USER, (LONG_PTR)pState);
        HICON hIcon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(1));
        if (hIcon == NULL)
            hIcon = LoadIconA(NULL, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
        SendMessageA(hDlg, WM_SETICON, ICON_BIG, (LPARAM)hIcon);
        SendMessageA(hDlg, WM_SETICON, ICON_SMALL, (LPARAM)hIcon);
        SetDlgItemTextA(hDlg, IDC_PROMPT, pState->pszPrompt);
        SetDlgItemTextA(hDlg, IDC_PATH, *pState->pPath);
        if (pState->bOrb)
        {
            CheckDlgButton(hDlg, IDC_SHOW_CONNECT_FAILURE, g_bConnectToOrb ? BST_CHECKED : BST_UNCHECKED);
            CheckDlgButton(hDlg, IDC_PRIVATE_CONTACTS, g_bPrivateContacts ? BST_CHECKED : BST_UNCHECKED);
            EnableOrbControls(hDlg);
        }
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDC_BROWSE: Browse(hDlg); return TRUE;
        case IDC_PRIVATE_CONTACTS: EnableOrbControls(hDlg); return TRUE;
        case IDOK:
            *pState->pPath = GetItemText(hDlg, IDC_PATH);
            if (pState->bOrb)
            {
                g_bConnectToOrb = IsDlgButtonChecked(hDlg, IDC_SHOW_CONNECT_FAILURE) == BST_CHECKED;
                g_bPrivateContacts = IsDlgButtonChecked(hDlg, IDC_PRIVATE_CONTACTS) == BST_CHECKED;
            }
            EndDialog(hDlg, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(hDlg, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR RunDialog(HWND hOwner, bool bOrb, const char* pszPrompt, CString& strPath)
{
    if (s_pfnHook != NULL)
        return s_pfnHook(bOrb ? IDD_ORB_DATABASE : IDD_DATABASE_FILE, pszPrompt, strPath);
    short cy = bOrb ? 128 : 100;
    CDialogTemplate dialog(StoreText::kCaption, 280, cy);
    dialog.AddItem(IDC_PROMPT, kStatic, SS_LEFT, 7, 7, 266, 40, "");
    dialog.AddItem(IDC_PATH, kEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 52, 200, 14, "");
    dialog.AddItem(IDC_BROWSE, kButton, BS_PUSHBUTTON | WS_TABSTOP, 213, 52, 60, 14, StoreText::kBrowse);
    if (bOrb)
    {
        dialog.AddItem(IDC_SHOW_CONNECT_FAILURE, kButton, BS_AUTOCHECKBOX | WS_TABSTOP, 7, 72, 266, 12,
                       StoreText::kShowConnectFailure);
        dialog.AddItem(IDC_PRIVATE_CONTACTS, kButton, BS_AUTOCHECKBOX | WS_TABSTOP, 7, 88, 266, 12,
                       StoreText::kPrivateContactsBox);
    }
    dialog.AddItem(IDOK, kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 157, cy - 21, 55, 14, "OK");
    dialog.AddItem(IDCANCEL, kButton, BS_PUSHBUTTON | WS_TABSTOP, 218, cy - 21, 55, 14, "Cancel");
    CDialogState state = {bOrb, pszPrompt, &strPath};
    return DialogBoxIndirectParamA(GetModuleHandleA(NULL), dialog.Get(),
                                   hOwner != NULL ? hOwner : GetActiveWindow(), DatabaseDialogProc,
                                   (LPARAM)&state);
}
} // namespace

DatabaseDialogHook SetDatabaseDialogHook(DatabaseDialogHook pfnHook)
{
    DatabaseDialogHook pfnOld = s_pfnHook;
    s_pfnHook = pfnHook;
    return pfnOld;
}

INT_PTR DoDatabaseFileDialog(HWND hOwner, const char* pszPrompt, CString& strPath)
{
    return RunDialog(hOwner, false, pszPrompt, strPath);
}

INT_PTR DoOrbDatabaseDialog(HWND hOwner, const char* pszPrompt, CString& strPath)
{
    return RunDialog(hOwner, true, pszPrompt, strPath);
}
