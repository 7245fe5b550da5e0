// The message properties sheet and the source text window.
#include "ui/main/MessageProperties.h"

#include <commctrl.h>
#include <prsht.h>

#include "foundation/ErrorUtil.h"
#include "resources/resource.h"

namespace
{
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
            HWND hSource = pPage->source.m_hWnd;
            if (hSource != NULL && IsWindow(hSource))
            {
                SendMessageA(hSource, WM_SYSCOMMAND, SC_RESTORE, 0);
                SetFocus(hSource);
            }
            else
                pPage->source.Create(hDlg, pPage->pStore->GetMessage());
            return TRUE;
        }
        break;
    case WM_DESTROY:
        if (pPage != NULL && pPage->source.m_hWnd != NULL && IsWindow(pPage->source.m_hWnd))
            pPage->source.DestroyWindow();
        break;
    }
    return FALSE;
}
} // namespace

INT_PTR ShowMessageProperties(HWND hWndOwner, CEmailsImpl<>& store)
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
    psh.hwndParent = hWndOwner != NULL ? GetAncestor(hWndOwner, GA_ROOT) : NULL;
    psh.hInstance = psp.hInstance;
    psh.pszCaption = store.m_Subject;
    psh.nPages = 1;
    psh.nStartPage = 0;
    psh.ppsp = &psp;
    return PropertySheetA(&psh);
}
