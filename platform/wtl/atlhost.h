// Dialogs that host ActiveX controls: the system's control container (class "AtlAxWin" of atl.dll) creates
// the controls named in the template; GetDlgControl reaches a control's interfaces.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <atlwin.h>

extern "C" BOOL WINAPI AtlAxWinInit();
extern "C" HRESULT WINAPI AtlAxGetControl(HWND hWnd, IUnknown** pUnk);

// Asked of a control window for its object; a control window of our own answers it with its IUnknown
// (not add-ref'd), as the system's container does.
#ifndef WM_ATLGETCONTROL
#define WM_ATLGETCONTROL (WM_USER + 603)
#endif

namespace ATL
{

// The interface iid of the control in dialog item nID.
HRESULT AtlGetDlgControl(HWND hWndDlg, int nID, REFIID iid, void** ppCtrl);

template <class T, class TBase = CWindow>
class CAxDialogImpl : public CDialogImpl<T, TBase>
{
public:
    INT_PTR DoModal(HWND hWndParent = ::GetActiveWindow(), LPARAM dwInitParam = 0)
    {
        ::AtlAxWinInit();
        return CDialogImpl<T, TBase>::DoModal(hWndParent, dwInitParam);
    }
    HWND Create(HWND hWndParent, LPARAM dwInitParam = 0)
    {
        ::AtlAxWinInit();
        return CDialogImpl<T, TBase>::Create(hWndParent, dwInitParam);
    }
};

} // namespace ATL

#ifndef _ATL_NO_AUTOMATIC_NAMESPACE
using namespace ATL;
#endif
