// The message properties sheet and the source text window.
#include "ui/main/MessageProperties.h"

#include <commctrl.h>
#include <prsht.h>

#include "foundation/ErrorUtil.h"
#include "resources/resource.h"

namespace
{
const char kTextWindowClass[] = "VornMessageSourceText";
// String 318 of the string table; kept here, since its block is another subsystem's.
const char kBodyTooLong[] = "The message body too long. It will be truncated.";

LRESULT CALLBACK TextWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_SIZE:
    {
        HWND hEdit = GetWindow(hWnd, GW_CHILD);
        if (hEdit != NULL)
            MoveWindow(hEdit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }
    case WM_SETFOCUS:
    {
        HWND hEdit = GetWindow(hWnd, GW_CHILD);
        if (hEdit != NULL)
            SetFocus(hEdit);
        return 0;
    }
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

const char kResourceAnchor = 0;

// The module these resources are linked into: the library, or a test program.
HINSTANCE ResourceInstance()
{
    HMODULE hModule = NULL;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       &kResourceAnchor, &hModule);
    return hModule;
}


INT_PTR CALLBACK DetailsPageProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CPageMessageDetails* pPage = (CPageMessageDetails*)GetWindowLongPtrA(hDlg, DWLP_USER);
    switch (uMsg)
    {
    case WM_INITDIALOG:
    {
        pPage = (CPageMessageDetails*)((PROPSHEETPAGEA*)lParam)->lParam;
        SetWindowLongPtrA(hDlg, DWLP_USER, (LONG_PTR)pPage);
        SetDlgItemTextA(hDlg, IDC_DETAILS_HEADER, pPage->pStore->GetHeader());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_MESSAGE_SOURCE_BUTTON && pPage != NULL)
        {
            if (pPage->hWndSource != NULL && IsWindow(pPage->hWndSource))
            {
                SendMessageA(pPage->hWndSource, WM_SYSCOMMAND, SC_RESTORE, 0);
                SetFocus(pPage->hWndSource);
            }
            else
                pPage->hWndSource = CWndText::Create(NULL, pPage->pStore->m_Subject, pPage->pStore->GetMessage());
            return TRUE;
        }
        break;
    case WM_DESTROY:
        if (pPage != NULL && pPage->hWndSource != NULL && IsWindow(pPage->hWndSource))
            DestroyWindow(pPage->hWndSource);
        if (pPage != NULL)
            pPage->hWndSource = NULL;
        break;
    }
    return FALSE;
}
} // namespace

HWND CWndText::Create(HWND hWndOwner, const char* pszTitle, const CString& strText)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TextWindowProc;
    wc.hInstance = ResourceInstance();
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = kTextWindowClass;
    RegisterClassA(&wc);
    CString strShown = strText;
    if (strShown.GetLength() > kMaxText)
    {
        AppMessageBox(kBodyTooLong, MB_ICONWARNING, hWndOwner);
        strShown = strShown.Left(kMaxText - 4) + "...";
    }
    HWND hWnd = CreateWindowExA(0, kTextWindowClass, pszTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                CW_USEDEFAULT, 600, 400, hWndOwner, NULL, wc.hInstance, NULL);
    if (hWnd == NULL)
        return NULL;
    RECT rc;
    GetClientRect(hWnd, &rc);
    HWND hEdit = CreateWindowExA(0, "EDIT", "",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                     ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                 0, 0, rc.right, rc.bottom, hWnd, NULL, wc.hInstance, NULL);
    SendMessageA(hEdit, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), 0);
    SetWindowTextA(hEdit, strShown);
    return hWnd;
}

INT_PTR ShowMessageProperties(CEmailsImpl<>& store)
{
    store.GetMessage();
    CPageMessageDetails page;
    page.pStore = &store;
    PROPSHEETPAGEA psp = {};
    psp.dwSize = sizeof(psp);
    psp.hInstance = ResourceInstance();
    psp.pszTemplate = MAKEINTRESOURCEA(IDD_MESSAGE_DETAILS);
    psp.pfnDlgProc = DetailsPageProc;
    psp.lParam = (LPARAM)&page;
    PROPSHEETHEADERA psh = {};
    psh.dwSize = sizeof(psh);
    psh.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    psh.hwndParent = GetActiveWindow();
    psh.hInstance = psp.hInstance;
    psh.pszCaption = store.m_Subject;
    psh.nPages = 1;
    psh.nStartPage = 0;
    psh.ppsp = &psp;
    return PropertySheetA(&psh);
}
