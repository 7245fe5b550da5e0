// Window wrapper, window and dialog implementation templates with thunks, and the message-map macros.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <olectl.h>

#include <atlcore.h>
#include <atlstr.h>

namespace ATL
{

// ---------------------------------------------------------------------------------------------------------
// Exceptions inside message maps. The map catches everything; the hook is called from inside that catch
// block, so it may rethrow (`throw;`) to find out what was thrown. It must not let anything escape.

typedef void (*ATL_MSGMAP_EXCEPTION_HOOK)(const char* pszClassName);

// Returns the previous hook; null restores the built-in report ("Unhandled exception!!!\r\n" + class name).
ATL_MSGMAP_EXCEPTION_HOOK AtlSetMsgMapExceptionHook(ATL_MSGMAP_EXCEPTION_HOOK pfnHook);
void AtlHandleMsgMapException(const char* pszClassName) noexcept;

// The module whose resources (dialogs, menus, strings, toolbars) the templates load.
inline HINSTANCE AtlGetResourceInstance()
{
    return _AtlBaseModule.GetResourceInstance();
}

// ---------------------------------------------------------------------------------------------------------

class _U_RECT
{
public:
    _U_RECT(LPRECT lpRect) : m_lpRect(lpRect) {}
    _U_RECT(RECT& rc) : m_lpRect(&rc) {}
    LPRECT m_lpRect;
};

class _U_MENUorID
{
public:
    _U_MENUorID(HMENU hMenu) : m_hMenu(hMenu) {}
    _U_MENUorID(UINT nID) : m_hMenu((HMENU)(UINT_PTR)nID) {}
    HMENU m_hMenu;
};

class _U_STRINGorID
{
public:
    _U_STRINGorID(LPCSTR lpString) : m_lpstr(lpString) {}
    _U_STRINGorID(UINT nID) : m_lpstr(MAKEINTRESOURCEA(nID)) {}
    LPCSTR m_lpstr;
};

class CWindow
{
public:
    static RECT rcDefault;
    HWND m_hWnd;

    CWindow(HWND hWnd = NULL) : m_hWnd(hWnd) {}
    CWindow& operator=(HWND hWnd)
    {
        m_hWnd = hWnd;
        return *this;
    }
    operator HWND() const { return m_hWnd; }

    void Attach(HWND hWndNew) { m_hWnd = hWndNew; }
    HWND Detach()
    {
        HWND hWnd = m_hWnd;
        m_hWnd = NULL;
        return hWnd;
    }
    static LPCSTR GetWndClassName() { return NULL; }

    HWND Create(LPCSTR lpstrWndClass, HWND hWndParent, _U_RECT rect = NULL, LPCSTR szWindowName = NULL,
                DWORD dwStyle = 0, DWORD dwExStyle = 0, _U_MENUorID MenuOrID = 0U,
                LPVOID lpCreateParam = NULL)
    {
        if (rect.m_lpRect == NULL)
            rect.m_lpRect = &rcDefault;
        m_hWnd = ::CreateWindowExA(dwExStyle, lpstrWndClass, szWindowName, dwStyle, rect.m_lpRect->left,
                                   rect.m_lpRect->top, rect.m_lpRect->right - rect.m_lpRect->left,
                                   rect.m_lpRect->bottom - rect.m_lpRect->top, hWndParent, MenuOrID.m_hMenu,
                                   AtlGetResourceInstance(), lpCreateParam);
        return m_hWnd;
    }
    BOOL DestroyWindow()
    {
        if (!::DestroyWindow(m_hWnd))
            return FALSE;
        m_hWnd = NULL;
        return TRUE;
    }

    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    BOOL IsChild(HWND hWnd) const { return ::IsChild(m_hWnd, hWnd); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL UpdateWindow() { return ::UpdateWindow(m_hWnd); }
    BOOL Invalidate(BOOL bErase = TRUE) { return ::InvalidateRect(m_hWnd, NULL, bErase); }
    BOOL InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE)
    {
        return ::InvalidateRect(m_hWnd, lpRect, bErase);
    }
    BOOL RedrawWindow(LPCRECT lpRect = NULL, HRGN hRgn = NULL,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
    {
        return ::RedrawWindow(m_hWnd, lpRect, hRgn, flags);
    }
    void SetRedraw(BOOL bRedraw = TRUE) { ::SendMessageA(m_hWnd, WM_SETREDRAW, (WPARAM)bRedraw, 0); }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE)
    {
        for (HWND hChild = ::GetTopWindow(m_hWnd); hChild != NULL; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        {
            ::SendMessageA(hChild, message, wParam, lParam);
            if (bDeep && ::GetTopWindow(hChild) != NULL)
                CWindow(hChild).SendMessageToDescendants(message, wParam, lParam, bDeep);
        }
    }

    BOOL SetWindowText(LPCSTR lpszString) { return ::SetWindowTextA(m_hWnd, lpszString); }
    int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const
    {
        return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount);
    }
    int GetWindowText(CString& strText) const
    {
        int nLength = ::GetWindowTextLengthA(m_hWnd);
        char* p = strText.GetBufferSetLength(nLength + 1);
        int nRead = ::GetWindowTextA(m_hWnd, p, nLength + 1);
        strText.ReleaseBuffer(nRead);
        return nRead;
    }
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE) { SendMessage(WM_SETFONT, (WPARAM)hFont, bRedraw); }
    HFONT GetFont() const { return (HFONT)SendMessage(WM_GETFONT); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon = TRUE)
    {
        return (HICON)SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, (LPARAM)hIcon);
    }
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
    BOOL SetMenu(HMENU hMenu) { return ::SetMenu(m_hWnd, hMenu); }
    BOOL DrawMenuBar() { return ::DrawMenuBar(m_hWnd); }
    HMENU GetSystemMenu(BOOL bRevert) const { return ::GetSystemMenu(m_hWnd, bRevert); }

    DWORD GetStyle() const { return (DWORD)::GetWindowLongPtrA(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { return (DWORD)::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE); }
    LONG_PTR GetWindowLongPtr(int nIndex) const { return ::GetWindowLongPtrA(m_hWnd, nIndex); }
    LONG_PTR SetWindowLongPtr(int nIndex, LONG_PTR dwNewLong)
    {
        return ::SetWindowLongPtrA(m_hWnd, nIndex, dwNewLong);
    }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0)
    {
        return ModifyLong(GWL_STYLE, dwRemove, dwAdd, nFlags);
    }
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0)
    {
        return ModifyLong(GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
    }

    BOOL GetWindowRect(LPRECT lpRect) const { return ::GetWindowRect(m_hWnd, lpRect); }
    BOOL GetClientRect(LPRECT lpRect) const { return ::GetClientRect(m_hWnd, lpRect); }
    BOOL ClientToScreen(LPPOINT lpPoint) const { return ::ClientToScreen(m_hWnd, lpPoint); }
    BOOL ClientToScreen(LPRECT lpRect) const
    {
        return ::ClientToScreen(m_hWnd, (LPPOINT)lpRect) && ::ClientToScreen(m_hWnd, ((LPPOINT)lpRect) + 1);
    }
    BOOL ScreenToClient(LPPOINT lpPoint) const { return ::ScreenToClient(m_hWnd, lpPoint); }
    BOOL ScreenToClient(LPRECT lpRect) const
    {
        return ::ScreenToClient(m_hWnd, (LPPOINT)lpRect) && ::ScreenToClient(m_hWnd, ((LPPOINT)lpRect) + 1);
    }
    int MapWindowPoints(HWND hWndTo, LPRECT lpRect) const
    {
        return ::MapWindowPoints(m_hWnd, hWndTo, (LPPOINT)lpRect, 2);
    }
    BOOL MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
    {
        return ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    BOOL MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE)
    {
        return ::MoveWindow(m_hWnd, lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                            lpRect->bottom - lpRect->top, bRepaint);
    }
    BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags);
    }
    BOOL SetWindowPos(HWND hWndInsertAfter, LPCRECT lpRect, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, hWndInsertAfter, lpRect->left, lpRect->top,
                              lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, nFlags);
    }
    BOOL BringWindowToTop() { return ::BringWindowToTop(m_hWnd); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    BOOL CenterWindow(HWND hWndCenter = NULL);

    HWND GetParent() const { return ::GetParent(m_hWnd); }
    HWND SetParent(HWND hWndNewParent) { return ::SetParent(m_hWnd, hWndNewParent); }
    HWND GetWindow(UINT nCmd) const { return ::GetWindow(m_hWnd, nCmd); }
    HWND GetTopLevelParent() const;
    HWND GetTopLevelWindow() const;
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    static HWND GetFocus() { return ::GetFocus(); }
    HWND SetCapture() { return ::SetCapture(m_hWnd); }
    HDC GetDC() { return ::GetDC(m_hWnd); }
    HDC GetWindowDC() { return ::GetWindowDC(m_hWnd); }
    int ReleaseDC(HDC hDC) { return ::ReleaseDC(m_hWnd, hDC); }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = NULL)
    {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = "", UINT nType = MB_OK)
    {
        return ::MessageBoxA(m_hWnd, lpszText, lpszCaption, nType);
    }

    // Dialog items.
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    int SetDlgCtrlID(int nID) { return (int)::SetWindowLongPtrA(m_hWnd, GWLP_ID, nID); }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    BOOL SetDlgItemText(int nID, LPCSTR lpszString) { return ::SetDlgItemTextA(m_hWnd, nID, lpszString); }
    UINT GetDlgItemText(int nID, LPSTR lpStr, int nMaxCount) const
    {
        return ::GetDlgItemTextA(m_hWnd, nID, lpStr, nMaxCount);
    }
    UINT GetDlgItemText(int nID, CString& strText) const
    {
        return (UINT)CWindow(GetDlgItem(nID)).GetWindowText(strText);
    }
    UINT GetDlgItemInt(int nID, BOOL* lpTrans = NULL, BOOL bSigned = TRUE) const
    {
        return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
    }
    BOOL SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE)
    {
        return ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned);
    }
    BOOL CheckDlgButton(int nIDButton, UINT nCheck) { return ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
    UINT IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
    BOOL CheckRadioButton(int nIDFirst, int nIDLast, int nIDCheck)
    {
        return ::CheckRadioButton(m_hWnd, nIDFirst, nIDLast, nIDCheck);
    }
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
    }
    HWND GetNextDlgTabItem(HWND hWndCtl, BOOL bPrevious = FALSE) const
    {
        return ::GetNextDlgTabItem(m_hWnd, hWndCtl, bPrevious);
    }
    BOOL IsDialogMessage(LPMSG lpMsg) { return ::IsDialogMessageA(m_hWnd, lpMsg); }
    // The interface of the ActiveX control (or control of our own) in dialog item nID.
    HRESULT GetDlgControl(int nID, REFIID iid, void** ppCtrl) const;
    void GotoDlgCtrl(HWND hWndCtrl) const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, (WPARAM)hWndCtrl, 1L); }

private:
    BOOL ModifyLong(int nIndex, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
    {
        DWORD dwOld = (DWORD)::GetWindowLongPtrA(m_hWnd, nIndex);
        DWORD dwNew = (dwOld & ~dwRemove) | dwAdd;
        if (dwOld == dwNew)
            return FALSE;
        ::SetWindowLongPtrA(m_hWnd, nIndex, (LONG_PTR)dwNew);
        if (nFlags != 0)
            ::SetWindowPos(m_hWnd, NULL, 0, 0, 0, 0,
                           SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
        return TRUE;
    }
};

// ---------------------------------------------------------------------------------------------------------

template <DWORD t_dwStyle = 0, DWORD t_dwExStyle = 0>
class CWinTraits
{
public:
    static DWORD GetWndStyle(DWORD dwStyle) { return dwStyle == 0 ? t_dwStyle : dwStyle; }
    static DWORD GetWndExStyle(DWORD dwExStyle) { return dwExStyle == 0 ? t_dwExStyle : dwExStyle; }
};

template <DWORD t_dwStyle = 0, DWORD t_dwExStyle = 0, class TWinTraits = CWinTraits<0, 0>>
class CWinTraitsOR
{
public:
    static DWORD GetWndStyle(DWORD dwStyle) { return dwStyle | t_dwStyle | TWinTraits::GetWndStyle(dwStyle); }
    static DWORD GetWndExStyle(DWORD dwExStyle)
    {
        return dwExStyle | t_dwExStyle | TWinTraits::GetWndExStyle(dwExStyle);
    }
};

typedef CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0> CControlWinTraits;
typedef CWinTraits<WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                   WS_EX_APPWINDOW | WS_EX_WINDOWEDGE>
    CFrameWinTraits;
typedef CWinTraits<0, 0> CNullTraits;

// ---------------------------------------------------------------------------------------------------------
// A thunk is a few bytes of machine code that puts the object pointer where the window handle was and jumps
// to the static procedure, so each window reaches its own object on whatever thread it runs.

class CWndProcThunk
{
public:
    CWndProcThunk() : m_pCode(NULL) {}
    ~CWndProcThunk();
    CWndProcThunk(const CWndProcThunk&) = delete;
    CWndProcThunk& operator=(const CWndProcThunk&) = delete;

    BOOL Init(WNDPROC proc, void* pThis);
    WNDPROC GetWNDPROC() const { return (WNDPROC)(INT_PTR)m_pCode; }

private:
    void* m_pCode;
};

// Hands the object being created to the first message its window receives on this thread.
void AtlSetCreatingWindow(void* pThis);
void* AtlTakeCreatingWindow();

struct CWndClassInfo
{
    WNDCLASSEXA m_wc;
    LPCSTR m_lpszOrigName;
    WNDPROC pWndProc;
    LPCSTR m_lpszCursorID;
    BOOL m_bSystemCursor;
    ATOM m_atom;
    char m_szAutoName[32];

    ATOM Register(WNDPROC* pProc);
};

class CMessageMap
{
public:
    virtual ~CMessageMap() {}
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                                      DWORD dwMsgMapID) = 0;
};

typedef MSG _ATL_MSG;

// The messages a control sends its parent about itself: those that are forwarded and reflected.
bool AtlIsControlNotification(UINT uMsg);

// Finds the control a parent-side notification is about, for reflection back to the control itself.
HWND AtlGetReflectionTarget(HWND hWndParent, UINT uMsg, WPARAM wParam, LPARAM lParam);

#define WINSTATE_DESTROYED 0x00000001

template <class TBase = CWindow>
class CWindowImplRoot : public TBase, public CMessageMap
{
public:
    CWndProcThunk m_thunk;
    const _ATL_MSG* m_pCurrentMsg;
    DWORD m_dwState;

    CWindowImplRoot() : m_pCurrentMsg(NULL), m_dwState(0) {}
    ~CWindowImplRoot()
    {
        // A window must not outlive the object its thunk points to.
        if (this->m_hWnd != NULL && ::IsWindow(this->m_hWnd))
            ::DestroyWindow(this->m_hWnd);
    }

    const _ATL_MSG* GetCurrentMessage() const { return m_pCurrentMsg; }
    virtual void OnFinalMessage(HWND /*hWnd*/) {}

    LRESULT ForwardNotifications(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
    {
        if (!AtlIsControlNotification(uMsg))
        {
            bHandled = FALSE;
            return 0;
        }
        return ::SendMessageA(this->GetParent(), uMsg, wParam, lParam);
    }
    LRESULT ReflectNotifications(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
    {
        HWND hWndChild = AtlGetReflectionTarget(this->m_hWnd, uMsg, wParam, lParam);
        if (hWndChild == NULL)
        {
            bHandled = FALSE;
            return 1;
        }
        return ::SendMessageA(hWndChild, OCM__BASE + uMsg, wParam, lParam);
    }
    static BOOL DefaultReflectionHandler(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
    {
        if (uMsg >= OCM__BASE + WM_COMMAND && uMsg <= OCM__BASE + WM_CTLCOLORSTATIC)
        {
            lResult = ::DefWindowProcA(hWnd, uMsg - OCM__BASE, wParam, lParam);
            return TRUE;
        }
        return FALSE;
    }

protected:
    // The first message of a new window: from here on its messages reach this object through the thunk.
    WNDPROC AttachThunk(HWND hWnd, WNDPROC pfnProc, int nProcIndex)
    {
        this->m_hWnd = hWnd;
        m_thunk.Init(pfnProc, this);
        WNDPROC pProc = m_thunk.GetWNDPROC();
        ::SetWindowLongPtrA(hWnd, nProcIndex, (LONG_PTR)pProc);
        return pProc;
    }

    // Runs the message map with the message as the current one. An exception from a handler counts as
    // handled: it must not unwind into the system's dispatcher.
    BOOL RouteMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes, const char* pszWhere)
    {
        _ATL_MSG msg = {this->m_hWnd, uMsg, wParam, lParam, 0, {0, 0}};
        const _ATL_MSG* pOldMsg = m_pCurrentMsg;
        m_pCurrentMsg = &msg;
        BOOL bRet;
        try
        {
            bRet = ProcessWindowMessage(this->m_hWnd, uMsg, wParam, lParam, lRes, 0);
        }
        catch (...)
        {
            AtlHandleMsgMapException(pszWhere);
            bRet = TRUE;
        }
        m_pCurrentMsg = pOldMsg;
        return bRet;
    }

    // Once the outermost message of a destroyed window has returned, the object lets go of the handle.
    void FinishIfDestroyed(const char* pszWhere)
    {
        if ((m_dwState & WINSTATE_DESTROYED) == 0 || m_pCurrentMsg != NULL)
            return;
        HWND hWndThis = this->m_hWnd;
        this->m_hWnd = NULL;
        m_dwState &= ~WINSTATE_DESTROYED;
        try
        {
            OnFinalMessage(hWndThis);
        }
        catch (...)
        {
            AtlHandleMsgMapException(pszWhere);
        }
    }
};

template <class TBase = CWindow, class TWinTraits = CControlWinTraits>
class CWindowImplBaseT : public CWindowImplRoot<TBase>
{
public:
    WNDPROC m_pfnSuperWindowProc;

    CWindowImplBaseT() : m_pfnSuperWindowProc(::DefWindowProcA) {}

    static DWORD GetWndStyle(DWORD dwStyle) { return TWinTraits::GetWndStyle(dwStyle); }
    static DWORD GetWndExStyle(DWORD dwExStyle) { return TWinTraits::GetWndExStyle(dwExStyle); }

    virtual WNDPROC GetWindowProc() { return WindowProc; }

    static LRESULT CALLBACK StartWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        CWindowImplBaseT* pThis =
            static_cast<CWindowImplBaseT*>((CWindowImplRoot<TBase>*)AtlTakeCreatingWindow());
        if (pThis == NULL)
            return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
        WNDPROC pProc = pThis->AttachThunk(hWnd, pThis->GetWindowProc(), GWLP_WNDPROC);
        return pProc(hWnd, uMsg, wParam, lParam);
    }

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        CWindowImplBaseT* pThis = (CWindowImplBaseT*)hWnd;
        LRESULT lRes = 0;
        BOOL bRet = pThis->RouteMessage(uMsg, wParam, lParam, lRes, "CWindowImpl");
        if (uMsg == WM_NCDESTROY)
        {
            if (!bRet)
            {
                LONG_PTR pfnWndProc = ::GetWindowLongPtrA(pThis->m_hWnd, GWLP_WNDPROC);
                lRes = pThis->DefWindowProc(uMsg, wParam, lParam);
                if (pThis->m_pfnSuperWindowProc != ::DefWindowProcA &&
                    ::GetWindowLongPtrA(pThis->m_hWnd, GWLP_WNDPROC) == pfnWndProc)
                    ::SetWindowLongPtrA(pThis->m_hWnd, GWLP_WNDPROC, (LONG_PTR)pThis->m_pfnSuperWindowProc);
            }
            pThis->m_dwState |= WINSTATE_DESTROYED;
        }
        else if (!bRet)
        {
            lRes = pThis->DefWindowProc(uMsg, wParam, lParam);
        }
        pThis->FinishIfDestroyed("CWindowImpl");
        return lRes;
    }

    HWND Create(HWND hWndParent, _U_RECT rect, LPCSTR szWindowName, DWORD dwStyle, DWORD dwExStyle,
                _U_MENUorID MenuOrID, ATOM atom, LPVOID lpCreateParam = NULL)
    {
        if (atom == 0)
            return NULL;
        if (rect.m_lpRect == NULL)
            rect.m_lpRect = &TBase::rcDefault;
        AtlSetCreatingWindow(static_cast<CWindowImplRoot<TBase>*>(this));
        HWND hWnd = ::CreateWindowExA(
            dwExStyle, MAKEINTATOM(atom), szWindowName, dwStyle, rect.m_lpRect->left, rect.m_lpRect->top,
            rect.m_lpRect->right - rect.m_lpRect->left, rect.m_lpRect->bottom - rect.m_lpRect->top,
            hWndParent, MenuOrID.m_hMenu, AtlGetResourceInstance(), lpCreateParam);
        AtlTakeCreatingWindow();
        return hWnd;
    }

    BOOL SubclassWindow(HWND hWnd)
    {
        if (this->m_hWnd != NULL || !::IsWindow(hWnd))
            return FALSE;
        if (!this->m_thunk.Init(GetWindowProc(), this))
            return FALSE;
        WNDPROC pfnWndProc =
            (WNDPROC)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)this->m_thunk.GetWNDPROC());
        if (pfnWndProc == NULL)
            return FALSE;
        m_pfnSuperWindowProc = pfnWndProc;
        this->m_hWnd = hWnd;
        return TRUE;
    }

    HWND UnsubclassWindow(BOOL bForce = FALSE)
    {
        WNDPROC pOurProc = this->m_thunk.GetWNDPROC();
        WNDPROC pActiveProc = (WNDPROC)::GetWindowLongPtrA(this->m_hWnd, GWLP_WNDPROC);
        if (this->m_pCurrentMsg != NULL || (!bForce && pOurProc != pActiveProc))
            return NULL;
        ::SetWindowLongPtrA(this->m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuperWindowProc);
        m_pfnSuperWindowProc = ::DefWindowProcA;
        return this->Detach();
    }

    LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        return ::CallWindowProcA(m_pfnSuperWindowProc, this->m_hWnd, uMsg, wParam, lParam);
    }
    LRESULT DefWindowProc()
    {
        const _ATL_MSG* pMsg = this->m_pCurrentMsg;
        return pMsg ? DefWindowProc(pMsg->message, pMsg->wParam, pMsg->lParam) : 0;
    }
};

typedef CWindowImplBaseT<CWindow> CWindowImplBase;

template <class T, class TBase = CWindow, class TWinTraits = CControlWinTraits>
class CWindowImpl : public CWindowImplBaseT<TBase, TWinTraits>
{
public:
    typedef CWindowImplBaseT<TBase, TWinTraits> _baseClass;

    static CWndClassInfo& GetWndClassInfo()
    {
        static CWndClassInfo wc = {{sizeof(WNDCLASSEXA), CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                    _baseClass::StartWindowProc, 0, 0, NULL, NULL, NULL,
                                    (HBRUSH)(COLOR_WINDOW + 1), NULL, NULL, NULL},
                                   NULL,
                                   NULL,
                                   IDC_ARROW,
                                   TRUE,
                                   0,
                                   ""};
        return wc;
    }

    HWND Create(HWND hWndParent, _U_RECT rect = NULL, LPCSTR szWindowName = NULL, DWORD dwStyle = 0,
                DWORD dwExStyle = 0, _U_MENUorID MenuOrID = 0U, LPVOID lpCreateParam = NULL)
    {
        if (T::GetWndClassInfo().m_lpszOrigName == NULL)
            this->m_pfnSuperWindowProc = ::DefWindowProcA;
        ATOM atom = T::GetWndClassInfo().Register(&this->m_pfnSuperWindowProc);
        dwStyle = T::GetWndStyle(dwStyle);
        dwExStyle = T::GetWndExStyle(dwExStyle);
        return _baseClass::Create(hWndParent, rect, szWindowName, dwStyle, dwExStyle, MenuOrID, atom,
                                  lpCreateParam);
    }
};

#define DECLARE_WND_CLASS_EX(WndClassName, style, bkgnd)                                                     \
    static ATL::CWndClassInfo& GetWndClassInfo()                                                             \
    {                                                                                                        \
        static ATL::CWndClassInfo wc = {{sizeof(WNDCLASSEXA), (UINT)(style), StartWindowProc, 0, 0, NULL,    \
                                         NULL, NULL, (HBRUSH)(INT_PTR)((bkgnd) + 1), NULL, WndClassName,     \
                                         NULL},                                                              \
                                        NULL,                                                                \
                                        NULL,                                                                \
                                        IDC_ARROW,                                                           \
                                        TRUE,                                                                \
                                        0,                                                                   \
                                        ""};                                                                 \
        return wc;                                                                                           \
    }

#define DECLARE_WND_CLASS(WndClassName)                                                                      \
    DECLARE_WND_CLASS_EX(WndClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, COLOR_WINDOW)

// A superclass takes the original class's procedure and settings under a class name of its own.
#define DECLARE_WND_SUPERCLASS(WndClassName, OrigWndClassName)                                               \
    static ATL::CWndClassInfo& GetWndClassInfo()                                                             \
    {                                                                                                        \
        static ATL::CWndClassInfo wc = {{sizeof(WNDCLASSEXA), 0, StartWindowProc, 0, 0, NULL, NULL, NULL,    \
                                         NULL, NULL, WndClassName, NULL},                                    \
                                        OrigWndClassName,                                                    \
                                        NULL,                                                                \
                                        NULL,                                                                \
                                        TRUE,                                                                \
                                        0,                                                                   \
                                        ""};                                                                 \
        return wc;                                                                                           \
    }

// ---------------------------------------------------------------------------------------------------------

template <class TBase = CWindow>
class CDialogImplBaseT : public CWindowImplRoot<TBase>
{
public:
    virtual DLGPROC GetDialogProc() { return DialogProc; }

    static INT_PTR CALLBACK StartDialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        CDialogImplBaseT* pThis =
            static_cast<CDialogImplBaseT*>((CWindowImplRoot<TBase>*)AtlTakeCreatingWindow());
        if (pThis == NULL)
            return FALSE;
        DLGPROC pProc = (DLGPROC)pThis->AttachThunk(hWnd, (WNDPROC)pThis->GetDialogProc(), DWLP_DLGPROC);
        return pProc(hWnd, uMsg, wParam, lParam);
    }

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        CDialogImplBaseT* pThis = (CDialogImplBaseT*)hWnd;
        LRESULT lRes = 0;
        BOOL bRet = pThis->RouteMessage(uMsg, wParam, lParam, lRes, "CDialogImpl");
        if (uMsg == WM_NCDESTROY)
            pThis->m_dwState |= WINSTATE_DESTROYED;
        INT_PTR nResult = FALSE;
        if (bRet)
        {
            switch (uMsg)
            {
            // These answer through the procedure's return value, all others through DWLP_MSGRESULT.
            case WM_COMPAREITEM:
            case WM_VKEYTOITEM:
            case WM_CHARTOITEM:
            case WM_INITDIALOG:
            case WM_QUERYDRAGICON:
            case WM_CTLCOLORMSGBOX:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORLISTBOX:
            case WM_CTLCOLORBTN:
            case WM_CTLCOLORDLG:
            case WM_CTLCOLORSCROLLBAR:
            case WM_CTLCOLORSTATIC:
                nResult = (INT_PTR)lRes;
                break;
            default:
                if ((pThis->m_dwState & WINSTATE_DESTROYED) == 0)
                    ::SetWindowLongPtrA(pThis->m_hWnd, DWLP_MSGRESULT, (LONG_PTR)lRes);
                nResult = TRUE;
                break;
            }
        }
        pThis->FinishIfDestroyed("CDialogImpl");
        return nResult;
    }
};

template <class T, class TBase = CWindow>
class CDialogImpl : public CDialogImplBaseT<TBase>
{
public:
    INT_PTR DoModal(HWND hWndParent = ::GetActiveWindow(), LPARAM dwInitParam = 0)
    {
        AtlSetCreatingWindow(static_cast<CWindowImplRoot<TBase>*>(this));
        INT_PTR nRet =
            ::DialogBoxParamA(AtlGetResourceInstance(), MAKEINTRESOURCEA(static_cast<T*>(this)->IDD),
                              hWndParent, T::StartDialogProc, dwInitParam);
        AtlTakeCreatingWindow();
        this->m_hWnd = NULL;
        return nRet;
    }
    BOOL EndDialog(int nRetCode) { return ::EndDialog(this->m_hWnd, nRetCode); }

    HWND Create(HWND hWndParent, LPARAM dwInitParam = 0)
    {
        AtlSetCreatingWindow(static_cast<CWindowImplRoot<TBase>*>(this));
        HWND hWnd =
            ::CreateDialogParamA(AtlGetResourceInstance(), MAKEINTRESOURCEA(static_cast<T*>(this)->IDD),
                                 hWndParent, T::StartDialogProc, dwInitParam);
        AtlTakeCreatingWindow();
        return hWnd;
    }
    HWND Create(HWND hWndParent, RECT&, LPARAM dwInitParam = 0) { return Create(hWndParent, dwInitParam); }
    BOOL DestroyWindow() { return ::DestroyWindow(this->m_hWnd); }
};

} // namespace ATL

// ---------------------------------------------------------------------------------------------------------
// Message maps: the first entry that handles a message ends the search; a handler that sets
// bHandled = FALSE lets the search go on. Message ids are compared with ==, so a run-time registered
// message held in a variable works like a constant.

#define BEGIN_MSG_MAP(theClass)                                                                              \
public:                                                                                                      \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,          \
                              DWORD dwMsgMapID = 0)                                                          \
    {                                                                                                        \
        const char* const pszMsgMapClass_ = #theClass;                                                       \
        BOOL bHandled = TRUE;                                                                                \
        (void)hWnd;                                                                                          \
        (void)uMsg;                                                                                          \
        (void)wParam;                                                                                        \
        (void)lParam;                                                                                        \
        (void)bHandled;                                                                                      \
        try                                                                                                  \
        {                                                                                                    \
            switch (dwMsgMapID)                                                                              \
            {                                                                                                \
            case 0:

#define ALT_MSG_MAP(msgMapID)                                                                                \
    break;                                                                                                   \
    case msgMapID:

#define END_MSG_MAP()                                                                                        \
    break;                                                                                                   \
    default:                                                                                                 \
        break;                                                                                               \
        }                                                                                                    \
        }                                                                                                    \
        catch (...)                                                                                          \
        {                                                                                                    \
            ::ATL::AtlHandleMsgMapException(pszMsgMapClass_);                                                \
            return bHandled;                                                                                 \
        }                                                                                                    \
        return FALSE;                                                                                        \
        }

#define MESSAGE_HANDLER(msg, func)                                                                           \
    if (uMsg == (UINT)(msg))                                                                                 \
    {                                                                                                        \
        bHandled = TRUE;                                                                                     \
        lResult = func(uMsg, wParam, lParam, bHandled);                                                      \
        if (bHandled)                                                                                        \
            return TRUE;                                                                                     \
    }

#define MESSAGE_RANGE_HANDLER(msgFirst, msgLast, func)                                                       \
    if (uMsg >= (UINT)(msgFirst) && uMsg <= (UINT)(msgLast))                                                 \
    {                                                                                                        \
        bHandled = TRUE;                                                                                     \
        lResult = func(uMsg, wParam, lParam, bHandled);                                                      \
        if (bHandled)                                                                                        \
            return TRUE;                                                                                     \
    }

#define COMMAND_HANDLER_IF_(cond, func)                                                                      \
    if (uMsg == WM_COMMAND && (cond))                                                                        \
    {                                                                                                        \
        bHandled = TRUE;                                                                                     \
        lResult = func(HIWORD(wParam), LOWORD(wParam), (HWND)lParam, bHandled);                              \
        if (bHandled)                                                                                        \
            return TRUE;                                                                                     \
    }

#define COMMAND_HANDLER(id, code, func)                                                                      \
    COMMAND_HANDLER_IF_((id) == LOWORD(wParam) && (code) == HIWORD(wParam), func)
#define COMMAND_ID_HANDLER(id, func) COMMAND_HANDLER_IF_((id) == LOWORD(wParam), func)
#define COMMAND_CODE_HANDLER(code, func) COMMAND_HANDLER_IF_((code) == HIWORD(wParam), func)
#define COMMAND_RANGE_HANDLER(idFirst, idLast, func)                                                         \
    COMMAND_HANDLER_IF_(LOWORD(wParam) >= (idFirst) && LOWORD(wParam) <= (idLast), func)
#define COMMAND_RANGE_CODE_HANDLER(idFirst, idLast, code, func)                                              \
    COMMAND_HANDLER_IF_(                                                                                     \
        LOWORD(wParam) >= (idFirst) && LOWORD(wParam) <= (idLast) && (code) == HIWORD(wParam), func)

#define NOTIFY_HANDLER_IF_(msg, cond, func)                                                                  \
    if (uMsg == (msg) && (cond))                                                                             \
    {                                                                                                        \
        bHandled = TRUE;                                                                                     \
        lResult = func((int)wParam, (LPNMHDR)lParam, bHandled);                                              \
        if (bHandled)                                                                                        \
            return TRUE;                                                                                     \
    }

#define NOTIFY_HANDLER(id, cd, func)                                                                         \
    NOTIFY_HANDLER_IF_(WM_NOTIFY,                                                                            \
                       (UINT_PTR)(id) == ((LPNMHDR)lParam)->idFrom && (UINT)(cd) == ((LPNMHDR)lParam)->code, \
                       func)
#define NOTIFY_ID_HANDLER(id, func)                                                                          \
    NOTIFY_HANDLER_IF_(WM_NOTIFY, (UINT_PTR)(id) == ((LPNMHDR)lParam)->idFrom, func)
#define NOTIFY_CODE_HANDLER(cd, func)                                                                        \
    NOTIFY_HANDLER_IF_(WM_NOTIFY, (UINT)(cd) == ((LPNMHDR)lParam)->code, func)
#define NOTIFY_RANGE_HANDLER(idFirst, idLast, func)                                                          \
    NOTIFY_HANDLER_IF_(WM_NOTIFY,                                                                            \
                       ((LPNMHDR)lParam)->idFrom >= (UINT_PTR)(idFirst) &&                                   \
                           ((LPNMHDR)lParam)->idFrom <= (UINT_PTR)(idLast),                                  \
                       func)
#define NOTIFY_RANGE_CODE_HANDLER(idFirst, idLast, cd, func)                                                 \
    NOTIFY_HANDLER_IF_(WM_NOTIFY,                                                                            \
                       ((LPNMHDR)lParam)->idFrom >= (UINT_PTR)(idFirst) &&                                   \
                           ((LPNMHDR)lParam)->idFrom <= (UINT_PTR)(idLast) &&                                \
                           (UINT)(cd) == ((LPNMHDR)lParam)->code,                                            \
                       func)

#define CHAIN_MSG_MAP(theChainClass)                                                                         \
    {                                                                                                        \
        if (theChainClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                        \
            return TRUE;                                                                                     \
    }
#define CHAIN_MSG_MAP_MEMBER(theChainMember)                                                                 \
    {                                                                                                        \
        if ((theChainMember).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                      \
            return TRUE;                                                                                     \
    }
#define CHAIN_MSG_MAP_ALT(theChainClass, msgMapID)                                                           \
    {                                                                                                        \
        if (theChainClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, msgMapID))              \
            return TRUE;                                                                                     \
    }
#define CHAIN_MSG_MAP_ALT_MEMBER(theChainMember, msgMapID)                                                   \
    {                                                                                                        \
        if ((theChainMember).ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult, msgMapID))            \
            return TRUE;                                                                                     \
    }

#define REFLECT_NOTIFICATIONS()                                                                              \
    {                                                                                                        \
        bHandled = TRUE;                                                                                     \
        lResult = this->ReflectNotifications(uMsg, wParam, lParam, bHandled);                                \
        if (bHandled)                                                                                        \
            return TRUE;                                                                                     \
    }
#define FORWARD_NOTIFICATIONS()                                                                              \
    {                                                                                                        \
        bHandled = TRUE;                                                                                     \
        lResult = this->ForwardNotifications(uMsg, wParam, lParam, bHandled);                                \
        if (bHandled)                                                                                        \
            return TRUE;                                                                                     \
    }
#define DEFAULT_REFLECTION_HANDLER()                                                                         \
    if (this->DefaultReflectionHandler(hWnd, uMsg, wParam, lParam, lResult))                                 \
        return TRUE;

#define REFLECTED_COMMAND_HANDLER(id, code, func)                                                            \
    if (uMsg == OCM_COMMAND && (id) == LOWORD(wParam) && (code) == HIWORD(wParam))                           \
    {                                                                                                        \
        bHandled = TRUE;                                                                                     \
        lResult = func(HIWORD(wParam), LOWORD(wParam), (HWND)lParam, bHandled);                              \
        if (bHandled)                                                                                        \
            return TRUE;                                                                                     \
    }
#define REFLECTED_COMMAND_CODE_HANDLER(code, func)                                                           \
    if (uMsg == OCM_COMMAND && (code) == HIWORD(wParam))                                                     \
    {                                                                                                        \
        bHandled = TRUE;                                                                                     \
        lResult = func(HIWORD(wParam), LOWORD(wParam), (HWND)lParam, bHandled);                              \
        if (bHandled)                                                                                        \
            return TRUE;                                                                                     \
    }
#define REFLECTED_NOTIFY_HANDLER(id, cd, func)                                                               \
    NOTIFY_HANDLER_IF_(OCM_NOTIFY,                                                                           \
                       (UINT_PTR)(id) == ((LPNMHDR)lParam)->idFrom && (UINT)(cd) == ((LPNMHDR)lParam)->code, \
                       func)
#define REFLECTED_NOTIFY_CODE_HANDLER(cd, func)                                                              \
    NOTIFY_HANDLER_IF_(OCM_NOTIFY, (UINT)(cd) == ((LPNMHDR)lParam)->code, func)

#ifndef _ATL_NO_AUTOMATIC_NAMESPACE
using namespace ATL;
#endif
