// Reaching the object of a hosted control.
#include "atlhost.h"

namespace ATL
{

HRESULT AtlGetDlgControl(HWND hWndDlg, int nID, REFIID iid, void** ppCtrl)
{
    if (ppCtrl == NULL)
        return E_POINTER;
    *ppCtrl = NULL;
    HWND hWndCtrl = ::GetDlgItem(hWndDlg, nID);
    if (hWndCtrl == NULL)
        return E_FAIL;
    IUnknown* pUnk = NULL;
    char szClass[32] = "";
    ::GetClassNameA(hWndCtrl, szClass, sizeof(szClass));
    // The system container keeps its state in the window's user data, so only its own windows are asked
    // that way; another window's user data would be taken for a container.
    if (lstrcmpiA(szClass, "AtlAxWin") == 0)
    {
        if (FAILED(::AtlAxGetControl(hWndCtrl, &pUnk)))
            pUnk = NULL;
    }
    else
    {
        pUnk = (IUnknown*)::SendMessageA(hWndCtrl, WM_ATLGETCONTROL, 0, 0);
        if (pUnk != NULL)
            pUnk->AddRef();
    }
    if (pUnk == NULL)
        return E_FAIL;
    HRESULT hr = pUnk->QueryInterface(iid, ppCtrl);
    pUnk->Release();
    return hr;
}

HRESULT CWindow::GetDlgControl(int nID, REFIID iid, void** ppCtrl) const
{
    return AtlGetDlgControl(m_hWnd, nID, iid, ppCtrl);
}

} // namespace ATL
