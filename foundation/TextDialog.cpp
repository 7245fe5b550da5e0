// A modal dialog from the resources that only shows texts and closes on Cancel or on one button of its own.
#include "foundation/TextDialog.h"

#include <atlcore.h>

namespace
{
struct TextDialogParams
{
    const DlgItemText* pItems;
    size_t nItems;
    int nIDClose;
};

INT_PTR CALLBACK TextDialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
    {
        const TextDialogParams* pParams = (const TextDialogParams*)lParam;
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        for (size_t i = 0; i < pParams->nItems; i++)
            ::SetDlgItemTextA(hWnd, pParams->pItems[i].nID, pParams->pItems[i].pszText);
        return TRUE;
    }
    case WM_COMMAND:
    {
        // Controls may notify before WM_INITDIALOG has stored the parameters.
        const TextDialogParams* pParams = (const TextDialogParams*)::GetWindowLongPtrA(hWnd, DWLP_USER);
        int nID = LOWORD(wParam);
        if (nID == IDCANCEL || (pParams != NULL && nID == pParams->nIDClose))
        {
            ::EndDialog(hWnd, nID);
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    return FALSE;
}
} // namespace

INT_PTR DoModalTextDialog(HWND hWndOwner, int nIDD, const DlgItemText* pItems, size_t nItems, int nIDClose)
{
    TextDialogParams params = {pItems, nItems, nIDClose};
    return ::DialogBoxParamA(ATL::_AtlBaseModule.GetResourceInstance(), MAKEINTRESOURCEA(nIDD), hWndOwner,
                             TextDialogProc, (LPARAM)&params);
}
