// Frame windows with rebar, toolbar, status bar and client, and the UI-update table of menus and toolbars.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atlapp.h>
#include <atlwin.h>

#include <string>
#include <type_traits>

namespace WTL
{

#define UPDUI_ENABLED 0x0000
#define UPDUI_DISABLED 0x0100
#define UPDUI_CHECKED 0x0200
#define UPDUI_CHECKED2 0x0400
#define UPDUI_RADIO 0x0800
#define UPDUI_DEFAULT 0x1000
#define UPDUI_TEXT 0x2000
#define UPDUI_CLEARDEFAULT 0x4000

#define UPDUI_MENUPOPUP 0x0001
#define UPDUI_MENUBAR 0x0002
#define UPDUI_CHILDWINDOW 0x0004
#define UPDUI_TOOLBAR 0x0008
#define UPDUI_STATUSBAR 0x0010

#define ATL_SIMPLE_TOOLBAR_STYLE                                                                             \
    (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TBSTYLE_TOOLTIPS)
#define ATL_SIMPLE_TOOLBAR_PANE_STYLE                                                                        \
    (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | CCS_NODIVIDER | CCS_NORESIZE |              \
     CCS_NOPARENTALIGN | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT)
#define ATL_SIMPLE_REBAR_STYLE                                                                               \
    (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | RBS_VARHEIGHT | RBS_BANDBORDERS |           \
     RBS_AUTOSIZE)
#define ATL_SIMPLE_REBAR_NOBORDER_STYLE                                                                      \
    (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | RBS_VARHEIGHT | RBS_BANDBORDERS |           \
     RBS_AUTOSIZE | CCS_NODIVIDER)
#define ATL_SIMPLE_STATUSBAR_STYLE                                                                           \
    (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | SBARS_SIZEGRIP)

// The toolbar resource type and its layout: version 1, button width and height, count, then the command
// ids, 0 for a separator. The button images are the BITMAP resource with the same id.
#define RT_TOOLBAR MAKEINTRESOURCE(241)

struct _AtlToolBarData
{
    WORD wVersion;
    WORD wWidth;
    WORD wHeight;
    WORD wItemCount;
    WORD* items() { return (WORD*)(this + 1); }
};

// The part after the first "\n" of a command's string is its tool-tip; the part before is its prompt.
CString AtlCommandPrompt(UINT nID);
CString AtlCommandToolTip(UINT nID);

// The command an accelerator table gives a keyboard message, or -1.
int AtlFindAcceleratorCommand(HACCEL hAccel, const MSG* pMsg);

class CUpdateUIBase;

HWND AtlCreateSimpleToolBarCtrl(HWND hWndParent, UINT nResourceID, BOOL bInitialSeparator, DWORD dwStyle,
                                UINT nID);
BOOL AtlAddSimpleReBarBandCtrl(HWND hWndReBar, HWND hWndBand, int nID, LPCSTR lpstrTitle, BOOL bNewRow,
                               int cxWidth, BOOL bFullWidthAlways);

class CFrameWndClassInfo : public ATL::CWndClassInfo
{
public:
    UINT m_uCommonResourceID;

    ATOM Register(WNDPROC* pProc)
    {
        if (m_atom == 0 && m_uCommonResourceID != 0)
        {
            HINSTANCE hInst = ATL::AtlGetResourceInstance();
            m_wc.hIcon = (HICON)::LoadImageA(hInst, MAKEINTRESOURCEA(m_uCommonResourceID), IMAGE_ICON, 0, 0,
                                             LR_DEFAULTCOLOR);
            m_wc.hIconSm = (HICON)::LoadImageA(hInst, MAKEINTRESOURCEA(m_uCommonResourceID), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXSMICON),
                                               ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
        }
        return ATL::CWndClassInfo::Register(pProc);
    }
};

#define DECLARE_FRAME_WND_CLASS_EX(WndClassName, uCommonResourceID, style, bkgnd)                            \
    static WTL::CFrameWndClassInfo& GetWndClassInfo()                                                        \
    {                                                                                                        \
        static WTL::CFrameWndClassInfo wc = {                                                                \
            {{sizeof(WNDCLASSEXA), (UINT)(style), StartWindowProc, 0, 0, NULL, NULL, NULL,                   \
              (HBRUSH)(INT_PTR)((bkgnd) + 1), NULL, WndClassName, NULL},                                     \
             NULL,                                                                                           \
             NULL,                                                                                           \
             IDC_ARROW,                                                                                      \
             TRUE,                                                                                           \
             0,                                                                                              \
             ""},                                                                                            \
            uCommonResourceID};                                                                              \
        return wc;                                                                                           \
    }

#define DECLARE_FRAME_WND_CLASS(WndClassName, uCommonResourceID)                                             \
    DECLARE_FRAME_WND_CLASS_EX(WndClassName, uCommonResourceID, 0, COLOR_WINDOW)

template <class T, class TBase = ATL::CWindow, class TWinTraits = ATL::CFrameWinTraits>
class CFrameWindowImplBase : public ATL::CWindowImplBaseT<TBase, TWinTraits>
{
public:
    typedef ATL::CWindowImplBaseT<TBase, TWinTraits> _windowBase;

    // With a rebar, m_hWndToolBar is the rebar.
    HWND m_hWndToolBar = NULL;
    HWND m_hWndStatusBar = NULL;
    HWND m_hWndClient = NULL;
    HACCEL m_hAccel = NULL;

    BEGIN_MSG_MAP(CFrameWindowImplBase)
        MESSAGE_HANDLER(WM_MENUSELECT, OnMenuSelect)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        NOTIFY_CODE_HANDLER(TTN_GETDISPINFOA, OnToolTipTextA)
        NOTIFY_CODE_HANDLER(TTN_GETDISPINFOW, OnToolTipTextW)
    END_MSG_MAP()

    HWND Create(HWND hWndParent, ATL::_U_RECT rect, LPCSTR szWindowName, DWORD dwStyle, DWORD dwExStyle,
                ATL::_U_MENUorID MenuOrID, ATOM atom, LPVOID lpCreateParam)
    {
        return _windowBase::Create(hWndParent, rect, szWindowName, dwStyle, dwExStyle, MenuOrID, atom,
                                   lpCreateParam);
    }

    static HWND CreateSimpleToolBarCtrl(HWND hWndParent, UINT nResourceID, BOOL bInitialSeparator = FALSE,
                                        DWORD dwStyle = ATL_SIMPLE_TOOLBAR_STYLE, UINT nID = ATL_IDW_TOOLBAR)
    {
        return AtlCreateSimpleToolBarCtrl(hWndParent, nResourceID, bInitialSeparator, dwStyle, nID);
    }

    BOOL CreateSimpleReBar(DWORD dwStyle = ATL_SIMPLE_REBAR_STYLE, UINT nID = ATL_IDW_TOOLBAR)
    {
        m_hWndToolBar = CreateSimpleReBarCtrl(this->m_hWnd, dwStyle, nID);
        return m_hWndToolBar != NULL;
    }
    static HWND CreateSimpleReBarCtrl(HWND hWndParent, DWORD dwStyle = ATL_SIMPLE_REBAR_STYLE,
                                      UINT nID = ATL_IDW_TOOLBAR)
    {
        HWND hWndReBar = ::CreateWindowExA(0, REBARCLASSNAMEA, NULL, dwStyle, 0, 0, 100, 100, hWndParent,
                                           (HMENU)(UINT_PTR)nID, ATL::AtlGetResourceInstance(), NULL);
        if (hWndReBar != NULL)
        {
            REBARINFO rbi = {sizeof(REBARINFO), 0, NULL};
            ::SendMessageA(hWndReBar, RB_SETBARINFO, 0, (LPARAM)&rbi);
        }
        return hWndReBar;
    }

    // Bands are numbered ATL_IDW_BAND_FIRST + the count of bands before them.
    BOOL AddSimpleReBarBand(HWND hWndBand, LPCSTR lpstrTitle = NULL, BOOL bNewRow = FALSE, int cxWidth = 0,
                            BOOL bFullWidthAlways = FALSE)
    {
        return AtlAddSimpleReBarBandCtrl(m_hWndToolBar, hWndBand, 0, lpstrTitle, bNewRow, cxWidth,
                                         bFullWidthAlways);
    }
    static BOOL AddSimpleReBarBandCtrl(HWND hWndReBar, HWND hWndBand, int nID = 0, LPCSTR lpstrTitle = NULL,
                                       BOOL bNewRow = FALSE, int cxWidth = 0, BOOL bFullWidthAlways = FALSE)
    {
        return AtlAddSimpleReBarBandCtrl(hWndReBar, hWndBand, nID, lpstrTitle, bNewRow, cxWidth,
                                         bFullWidthAlways);
    }

    BOOL CreateSimpleStatusBar(LPCSTR lpstrText, DWORD dwStyle = ATL_SIMPLE_STATUSBAR_STYLE,
                               UINT nID = ATL_IDW_STATUS_BAR)
    {
        m_hWndStatusBar = ::CreateStatusWindowA(dwStyle, lpstrText, this->m_hWnd, nID);
        return m_hWndStatusBar != NULL;
    }
    // The idle text is string ATL_IDS_IDLEMESSAGE when the module has it, else "Ready".
    BOOL CreateSimpleStatusBar(UINT nTextID = ATL_IDS_IDLEMESSAGE, DWORD dwStyle = ATL_SIMPLE_STATUSBAR_STYLE,
                               UINT nID = ATL_IDW_STATUS_BAR)
    {
        CString strText = AtlLoadString(nTextID);
        if (strText.IsEmpty() && nTextID == ATL_IDS_IDLEMESSAGE)
            strText = "Ready";
        return CreateSimpleStatusBar(strText, dwStyle, nID);
    }

    void UpdateLayout(BOOL bResizeBars = TRUE)
    {
        RECT rect;
        this->GetClientRect(&rect);
        UpdateBarsPosition(rect, bResizeBars);
        if (m_hWndClient != NULL)
            ::SetWindowPos(m_hWndClient, NULL, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void UpdateBarsPosition(RECT& rect, BOOL bResizeBars = TRUE)
    {
        if (m_hWndToolBar != NULL && (::GetWindowLongPtrA(m_hWndToolBar, GWL_STYLE) & WS_VISIBLE))
        {
            if (bResizeBars)
            {
                ::SendMessageA(m_hWndToolBar, WM_SIZE, 0, 0);
                ::InvalidateRect(m_hWndToolBar, NULL, TRUE);
            }
            RECT rectTB;
            ::GetWindowRect(m_hWndToolBar, &rectTB);
            rect.top += rectTB.bottom - rectTB.top;
        }
        if (m_hWndStatusBar != NULL && (::GetWindowLongPtrA(m_hWndStatusBar, GWL_STYLE) & WS_VISIBLE))
        {
            if (bResizeBars)
                ::SendMessageA(m_hWndStatusBar, WM_SIZE, 0, 0);
            RECT rectSB;
            ::GetWindowRect(m_hWndStatusBar, &rectSB);
            rect.bottom -= rectSB.bottom - rectSB.top;
        }
    }

    BOOL PreTranslateMessage(MSG* pMsg)
    {
        if (m_hAccel == NULL)
            return FALSE;
        // A command the UI-update table disables is swallowed here, before it reaches any handler: the
        // frame's own handlers usually come before the update table in its message map.
        if constexpr (std::is_base_of<CUpdateUIBase, T>::value)
        {
            int nCommand = AtlFindAcceleratorCommand(m_hAccel, pMsg);
            if (nCommand != -1 && (static_cast<T*>(this)->UIGetState(nCommand) & UPDUI_DISABLED))
                return TRUE;
        }
        return ::TranslateAcceleratorA(this->m_hWnd, m_hAccel, pMsg);
    }

    LRESULT OnMenuSelect(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
    {
        bHandled = FALSE;
        if (m_hWndStatusBar == NULL)
            return 1;
        WORD wFlags = HIWORD(wParam);
        if (wFlags == 0xFFFF && lParam == 0)
        {
            // The menu closed.
            ::SendMessageA(m_hWndStatusBar, SB_SIMPLE, FALSE, 0);
            return 1;
        }
        CString strPrompt;
        if (!(wFlags & MF_POPUP) && !(wFlags & MF_SEPARATOR))
            strPrompt = AtlCommandPrompt(LOWORD(wParam));
        ::SendMessageA(m_hWndStatusBar, SB_SIMPLE, TRUE, 0);
        ::SendMessageA(m_hWndStatusBar, SB_SETTEXTA, 255 | SBT_NOBORDERS, (LPARAM)(LPCSTR)strPrompt);
        return 1;
    }
    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL& bHandled)
    {
        if (m_hWndClient != NULL && ::IsWindow(m_hWndClient))
            ::SetFocus(m_hWndClient);
        bHandled = FALSE;
        return 1;
    }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
    {
        if ((this->GetStyle() & (WS_CHILD | WS_POPUP)) == 0)
            ::PostQuitMessage(1);
        bHandled = FALSE;
        return 1;
    }
    LRESULT OnToolTipTextA(int, LPNMHDR pnmh, BOOL&)
    {
        LPNMTTDISPINFOA pDispInfo = (LPNMTTDISPINFOA)pnmh;
        if (!(pDispInfo->uFlags & TTF_IDISHWND))
        {
            m_strToolTip = AtlCommandToolTip((UINT)pnmh->idFrom);
            pDispInfo->lpszText = (LPSTR)(LPCSTR)m_strToolTip;
            pDispInfo->hinst = NULL;
        }
        return 0;
    }
    LRESULT OnToolTipTextW(int, LPNMHDR pnmh, BOOL&)
    {
        LPNMTTDISPINFOW pDispInfo = (LPNMTTDISPINFOW)pnmh;
        if (!(pDispInfo->uFlags & TTF_IDISHWND))
        {
            CString strTip = AtlCommandToolTip((UINT)pnmh->idFrom);
            int nLen = ::MultiByteToWideChar(CP_ACP, 0, strTip, strTip.GetLength(), NULL, 0);
            m_wstrToolTip.assign(nLen + 1, L'\0');
            ::MultiByteToWideChar(CP_ACP, 0, strTip, strTip.GetLength(), &m_wstrToolTip[0], nLen);
            pDispInfo->lpszText = &m_wstrToolTip[0];
            pDispInfo->hinst = NULL;
        }
        return 0;
    }

private:
    // The tool-tip control reads the text after the notification returns.
    CString m_strToolTip;
    std::wstring m_wstrToolTip;
};

template <class T, class TBase = ATL::CWindow, class TWinTraits = ATL::CFrameWinTraits>
class CFrameWindowImpl : public CFrameWindowImplBase<T, TBase, TWinTraits>
{
public:
    typedef CFrameWindowImplBase<T, TBase, TWinTraits> _baseClass;

    BEGIN_MSG_MAP(CFrameWindowImpl)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        NOTIFY_CODE_HANDLER(RBN_AUTOSIZE, OnReBarAutoSize)
        CHAIN_MSG_MAP(_baseClass)
    END_MSG_MAP()

    HWND Create(HWND hWndParent = NULL, ATL::_U_RECT rect = NULL, LPCSTR szWindowName = NULL,
                DWORD dwStyle = 0, DWORD dwExStyle = 0, HMENU hMenu = NULL, LPVOID lpCreateParam = NULL)
    {
        ATOM atom = T::GetWndClassInfo().Register(&this->m_pfnSuperWindowProc);
        dwStyle = T::GetWndStyle(dwStyle);
        dwExStyle = T::GetWndExStyle(dwExStyle);
        if (rect.m_lpRect == NULL)
            rect.m_lpRect = &TBase::rcDefault;
        return _baseClass::Create(hWndParent, rect, szWindowName, dwStyle, dwExStyle, hMenu, atom,
                                  lpCreateParam);
    }

    // Title, menu and accelerators all come from the class's common resource id.
    HWND CreateEx(HWND hWndParent = NULL, ATL::_U_RECT rect = NULL, DWORD dwStyle = 0, DWORD dwExStyle = 0,
                  LPVOID lpCreateParam = NULL)
    {
        UINT nID = T::GetWndClassInfo().m_uCommonResourceID;
        CString strTitle = AtlLoadString(nID);
        if (strTitle.GetLength() > 255)
            strTitle = strTitle.Left(255);
        HINSTANCE hInst = ATL::AtlGetResourceInstance();
        HMENU hMenu = ::LoadMenuA(hInst, MAKEINTRESOURCEA(nID));
        HWND hWnd = Create(hWndParent, rect, strTitle, dwStyle, dwExStyle, hMenu, lpCreateParam);
        if (hWnd == NULL)
        {
            if (hMenu != NULL)
                ::DestroyMenu(hMenu);
            return NULL;
        }
        this->m_hAccel = ::LoadAcceleratorsA(hInst, MAKEINTRESOURCEA(nID));
        return hWnd;
    }

    BOOL CreateSimpleToolBar(UINT nResourceID = 0, DWORD dwStyle = ATL_SIMPLE_TOOLBAR_STYLE,
                             UINT nID = ATL_IDW_TOOLBAR)
    {
        if (nResourceID == 0)
            nResourceID = T::GetWndClassInfo().m_uCommonResourceID;
        this->m_hWndToolBar =
            _baseClass::CreateSimpleToolBarCtrl(this->m_hWnd, nResourceID, TRUE, dwStyle, nID);
        return this->m_hWndToolBar != NULL;
    }

    LRESULT OnSize(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
    {
        if (wParam != SIZE_MINIMIZED)
            static_cast<T*>(this)->UpdateLayout();
        bHandled = FALSE;
        return 1;
    }
    LRESULT OnReBarAutoSize(int, LPNMHDR, BOOL&)
    {
        static_cast<T*>(this)->UpdateLayout(FALSE);
        return 0;
    }
};

// ---------------------------------------------------------------------------------------------------------
// UI update: a table of command ids and where each appears; states set by UIEnable and friends are
// applied to popup menus as they open, to the menu bar and toolbars on idle.

struct _AtlUpdateUIMap
{
    WORD m_nID;
    WORD m_wType;
};

#define BEGIN_UPDATE_UI_MAP(thisClass)                                                                       \
    static const WTL::_AtlUpdateUIMap* GetUpdateUIMap()                                                      \
    {                                                                                                        \
        static const WTL::_AtlUpdateUIMap theMap[] = {
#define UPDATE_ELEMENT(nID, wType) {(WORD)(nID), (WORD)(wType)},
#define END_UPDATE_UI_MAP()                                                                                  \
    {                                                                                                        \
        (WORD) - 1, 0                                                                                        \
    }                                                                                                        \
    }                                                                                                        \
    ;                                                                                                        \
    return theMap;                                                                                           \
    }

class CUpdateUIBase
{
public:
    struct _AtlUpdateUIData
    {
        WORD m_wState;
        CString m_strText;
    };

    BEGIN_MSG_MAP(CUpdateUIBase)
        MESSAGE_HANDLER(WM_INITMENUPOPUP, OnInitMenuPopup)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    CUpdateUIBase() {}
    virtual ~CUpdateUIBase() {}
    CUpdateUIBase(const CUpdateUIBase&) = delete;
    CUpdateUIBase& operator=(const CUpdateUIBase&) = delete;

    BOOL UIAddToolBar(HWND hWndToolBar);
    BOOL UIAddMenuBar(HWND hWnd);
    BOOL UIAddChildWindowContainer(HWND hWnd);

    BOOL UIEnable(int nID, BOOL bEnable, BOOL bForceUpdate = FALSE);
    BOOL UISetCheck(int nID, int nCheck, BOOL bForceUpdate = FALSE);
    BOOL UISetCheck(int nID, bool bCheck, BOOL bForceUpdate = FALSE)
    {
        return UISetCheck(nID, bCheck ? 1 : 0, bForceUpdate);
    }
    BOOL UISetRadio(int nID, BOOL bRadio, BOOL bForceUpdate = FALSE);
    BOOL UISetText(int nID, LPCSTR lpstrText, BOOL bForceUpdate = FALSE);
    BOOL UISetDefault(int nID, BOOL bDefault, BOOL bForceUpdate = FALSE);
    // UPDUI_* state bits of the command; 0 when the table does not list it.
    DWORD UIGetState(int nID) const;

    BOOL UIUpdateMenuBar(BOOL bForceUpdate = FALSE, BOOL bMainMenu = FALSE);
    BOOL UIUpdateToolBar(BOOL bForceUpdate = FALSE);
    BOOL UIUpdateChildWindows(BOOL bForceUpdate = FALSE);

    LRESULT OnInitMenuPopup(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);

protected:
    // The frame whose own menu bar the UPDUI_MENUBAR entries live in.
    virtual HWND UIOwnerWindow() const { return NULL; }
    void UISetMap(const _AtlUpdateUIMap* pMap);
    int FindEntry(int nID) const;
    BOOL SetState(int nID, WORD wClear, WORD wSet, BOOL bForceUpdate);
    static void ApplyToMenu(HMENU hMenu, const _AtlUpdateUIMap& entry, const _AtlUpdateUIData& data);

    const _AtlUpdateUIMap* m_pUIMap = NULL;
    ATL::CSimpleArray<_AtlUpdateUIData> m_aUIData;
    ATL::CSimpleArray<HWND> m_aToolBars;
    ATL::CSimpleArray<HWND> m_aMenuBars;
    ATL::CSimpleArray<HWND> m_aChildWindows;
    WORD m_wDirtyType = 0;
};

template <class T>
class CUpdateUI : public CUpdateUIBase
{
public:
    CUpdateUI() { UISetMap(T::GetUpdateUIMap()); }

protected:
    HWND UIOwnerWindow() const override { return static_cast<const T*>(this)->m_hWnd; }
};

} // namespace WTL

#ifndef _WTL_NO_AUTOMATIC_NAMESPACE
using namespace WTL;
#endif
