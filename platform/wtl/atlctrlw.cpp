// Command bar: the frame's menu shown as a row of toolbar buttons, each opening its popup.
#include "atlctrlw.h"

#include "atlframe.h"

#include <vector>

namespace WTL
{

const UINT CCommandBarCtrl::s_uOpenPopupMsg = ::RegisterWindowMessageA("OrbCommandBarOpenPopup");

// Per UI thread: its command bars and the keyboard hooks that serve them.
struct CommandBarThreadState
{
    std::vector<CCommandBarCtrl*> bars;
    HHOOK hGetMessageHook = NULL;
    HHOOK hMsgFilterHook = NULL;
    bool bAltAlone = false;
    CCommandBarCtrl* pTracking = NULL;
};

static thread_local CommandBarThreadState t_state;

static CCommandBarCtrl* BarOfWindow(HWND hWnd)
{
    HWND hWndTop = hWnd;
    while (hWndTop != NULL && (::GetWindowLongPtrA(hWndTop, GWL_STYLE) & WS_CHILD))
        hWndTop = ::GetParent(hWndTop);
    for (CCommandBarCtrl* pBar : t_state.bars)
        if (pBar->IsWindow() && pBar->GetTopLevelParent() == hWndTop && pBar->IsWindowVisible())
            return pBar;
    return NULL;
}

static LRESULT CALLBACK GetMessageHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    MSG* pMsg = (MSG*)lParam;
    if (nCode == HC_ACTION && wParam == PM_REMOVE && pMsg->hwnd != NULL)
    {
        switch (pMsg->message)
        {
        case WM_SYSKEYDOWN:
            if (pMsg->wParam == VK_MENU)
            {
                // Auto-repeat of a held Alt is not a new press.
                if (!(pMsg->lParam & 0x40000000))
                    t_state.bAltAlone = true;
                break;
            }
            t_state.bAltAlone = false;
            if (pMsg->wParam == VK_F10 && ::GetKeyState(VK_SHIFT) >= 0)
            {
                if (CCommandBarCtrl* pBar = BarOfWindow(pMsg->hwnd))
                {
                    pBar->PostOpenPopup(0);
                    pMsg->message = WM_NULL;
                }
            }
            break;
        case WM_SYSKEYUP:
            if (pMsg->wParam == VK_MENU && t_state.bAltAlone)
            {
                t_state.bAltAlone = false;
                if (CCommandBarCtrl* pBar = BarOfWindow(pMsg->hwnd))
                {
                    pBar->PostOpenPopup(0);
                    pMsg->message = WM_NULL;
                }
            }
            break;
        case WM_SYSCHAR:
            t_state.bAltAlone = false;
            if (CCommandBarCtrl* pBar = BarOfWindow(pMsg->hwnd))
            {
                int nIndex = pBar->FindMnemonic((char)pMsg->wParam);
                if (nIndex != -1)
                {
                    pBar->PostOpenPopup(nIndex);
                    pMsg->message = WM_NULL;
                }
            }
            break;
        case WM_KEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            t_state.bAltAlone = false;
            break;
        }
    }
    return ::CallNextHookEx(t_state.hGetMessageHook, nCode, wParam, lParam);
}

// Inside the menu loop: Left and Right on the top popup move to the neighbouring popup of the bar.
static LRESULT CALLBACK MsgFilterHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    MSG* pMsg = (MSG*)lParam;
    CCommandBarCtrl* pBar = t_state.pTracking;
    if (nCode == MSGF_MENU && pBar != NULL && pMsg->message == WM_KEYDOWN &&
        (pMsg->wParam == VK_LEFT || pMsg->wParam == VK_RIGHT))
    {
        HMENU hMenuShown = (HMENU)::SendMessageA(pMsg->hwnd, MN_GETHMENU, 0, 0);
        HMENU hMenuTop = ::GetSubMenu(pBar->GetMenu(), pBar->m_nOpenPopup);
        bool bOnTop = hMenuShown == hMenuTop;
        bool bOpensSubmenu = false;
        if (bOnTop && pMsg->wParam == VK_RIGHT)
        {
            int nCount = ::GetMenuItemCount(hMenuShown);
            for (int i = 0; i < nCount; i++)
                if ((::GetMenuState(hMenuShown, i, MF_BYPOSITION) & MF_HILITE) && ::GetSubMenu(hMenuShown, i))
                    bOpensSubmenu = true;
        }
        if (bOnTop && !bOpensSubmenu)
        {
            int nCount = ::GetMenuItemCount(pBar->GetMenu());
            int nStep = pMsg->wParam == VK_LEFT ? nCount - 1 : 1;
            pBar->m_nNextPopup = (pBar->m_nOpenPopup + nStep) % nCount;
            ::EndMenu();
            return 1;
        }
    }
    return ::CallNextHookEx(t_state.hMsgFilterHook, nCode, wParam, lParam);
}

CCommandBarCtrl::~CCommandBarCtrl()
{
    m_imageList.Destroy();
    for (int i = 0; i < m_aItemBitmaps.GetSize(); i++)
        ::DeleteObject(m_aItemBitmaps[i]);
}

HWND CCommandBarCtrl::Create(HWND hWndParent, ATL::_U_RECT rect, LPCSTR szWindowName, DWORD dwStyle,
                             DWORD dwExStyle, UINT nID, LPVOID lpCreateParam)
{
    if (rect.m_lpRect == NULL)
        rect.m_lpRect = &rcDefault;
    // A real toolbar, subclassed, so that rebars and readers see a toolbar.
    HWND hWnd =
        ::CreateWindowExA(dwExStyle, TOOLBARCLASSNAMEA, szWindowName, dwStyle | TBSTYLE_LIST, 0, 0, 100, 20,
                          hWndParent, (HMENU)(UINT_PTR)nID, ATL::AtlGetResourceInstance(), lpCreateParam);
    if (hWnd == NULL)
        return NULL;
    if (!SubclassWindow(hWnd))
    {
        ::DestroyWindow(hWnd);
        return NULL;
    }
    SetButtonStructSize();
    SetBitmapSize(0, 0);
    t_state.bars.push_back(this);
    if (t_state.hGetMessageHook == NULL)
    {
        t_state.hGetMessageHook =
            ::SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, NULL, ::GetCurrentThreadId());
        t_state.hMsgFilterHook =
            ::SetWindowsHookExA(WH_MSGFILTER, MsgFilterHook, NULL, ::GetCurrentThreadId());
    }
    return hWnd;
}

LRESULT CCommandBarCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    for (size_t i = 0; i < t_state.bars.size(); i++)
    {
        if (t_state.bars[i] == this)
        {
            t_state.bars.erase(t_state.bars.begin() + i);
            break;
        }
    }
    if (t_state.bars.empty() && t_state.hGetMessageHook != NULL)
    {
        ::UnhookWindowsHookEx(t_state.hGetMessageHook);
        ::UnhookWindowsHookEx(t_state.hMsgFilterHook);
        t_state.hGetMessageHook = NULL;
        t_state.hMsgFilterHook = NULL;
    }
    bHandled = FALSE;
    return 0;
}

BOOL CCommandBarCtrl::AttachMenu(HMENU hMenu)
{
    while (GetButtonCount() > 0)
        DeleteButton(0);
    m_hMenu = hMenu;
    if (hMenu == NULL)
        return TRUE;
    int nCount = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; i++)
    {
        char szText[128] = "";
        ::GetMenuStringA(hMenu, i, szText, sizeof(szText), MF_BYPOSITION);
        TBBUTTON button = {};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = i + 1;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        button.iString = (INT_PTR)szText;
        if (!InsertButton(i, &button))
            return FALSE;
    }
    AutoSize();
    ShowImagesInMenu(hMenu);
    return TRUE;
}

// The menu draws an item's bitmap beside its text, so no owner drawing is needed.
void CCommandBarCtrl::ShowImagesInMenu(HMENU hMenu)
{
    if (hMenu == NULL || m_mapCommandImage.GetSize() == 0)
        return;
    int nCount = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; i++)
    {
        HMENU hSubMenu = ::GetSubMenu(hMenu, i);
        if (hSubMenu != NULL)
        {
            ShowImagesInMenu(hSubMenu);
            continue;
        }
        int nImage = GetImageIndex(::GetMenuItemID(hMenu, i));
        if (nImage < 0)
            continue;
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_BITMAP;
        mii.hbmpItem = ItemBitmap(nImage);
        ::SetMenuItemInfoA(hMenu, i, TRUE, &mii);
    }
}

HBITMAP CCommandBarCtrl::ItemBitmap(int nImage)
{
    int cx = 0, cy = 0;
    m_imageList.GetIconSize(cx, cy);
    HDC hdcScreen = ::GetDC(NULL);
    HDC hdc = ::CreateCompatibleDC(hdcScreen);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hdcScreen, cx, cy);
    HGDIOBJ hOld = ::SelectObject(hdc, hBitmap);
    RECT rc = {0, 0, cx, cy};
    ::FillRect(hdc, &rc, ::GetSysColorBrush(COLOR_MENU));
    m_imageList.Draw(hdc, nImage, 0, 0, ILD_TRANSPARENT);
    ::SelectObject(hdc, hOld);
    ::DeleteDC(hdc);
    ::ReleaseDC(NULL, hdcScreen);
    m_aItemBitmaps.Add(hBitmap);
    return hBitmap;
}

BOOL CCommandBarCtrl::LoadImages(ATL::_U_STRINGorID tbID)
{
    HINSTANCE hInst = ATL::AtlGetResourceInstance();
    HRSRC hRsrc = ::FindResourceA(hInst, tbID.m_lpstr, RT_TOOLBAR);
    if (hRsrc == NULL)
        return FALSE;
    DWORD dwSize = ::SizeofResource(hInst, hRsrc);
    _AtlToolBarData* pData = (_AtlToolBarData*)::LockResource(::LoadResource(hInst, hRsrc));
    if (pData == NULL || dwSize < sizeof(_AtlToolBarData) || pData->wVersion != 1 ||
        dwSize < sizeof(_AtlToolBarData) + pData->wItemCount * sizeof(WORD))
        return FALSE;
    if (m_imageList.IsNull())
        m_imageList.Create(pData->wWidth, pData->wHeight, ILC_COLOR24 | ILC_MASK, pData->wItemCount, 4);
    HBITMAP hBitmap = (HBITMAP)::LoadImageA(hInst, tbID.m_lpstr, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    int nFirst = m_imageList.GetImageCount();
    if (hBitmap != NULL)
    {
        m_imageList.Add(hBitmap, RGB(192, 192, 192));
        ::DeleteObject(hBitmap);
    }
    int nImage = nFirst;
    for (int i = 0; i < pData->wItemCount; i++)
    {
        WORD wID = pData->items()[i];
        if (wID == 0)
            continue;
        if (m_mapCommandImage.FindKey(wID) == -1)
            m_mapCommandImage.Add(wID, nImage + 1);
        nImage++;
    }
    ShowImagesInMenu(m_hMenu);
    return TRUE;
}

int CCommandBarCtrl::FindMnemonic(char ch) const
{
    if (m_hMenu == NULL)
        return -1;
    char chUpper = (char)(UINT_PTR)::CharUpperA((LPSTR)(UINT_PTR)(BYTE)ch);
    int nCount = ::GetMenuItemCount(m_hMenu);
    for (int i = 0; i < nCount; i++)
    {
        char szText[128] = "";
        ::GetMenuStringA(m_hMenu, i, szText, sizeof(szText), MF_BYPOSITION);
        for (const char* p = szText; *p; p++)
        {
            if (*p == '&' && p[1] != '&' && p[1] != 0)
            {
                if ((char)(UINT_PTR)::CharUpperA((LPSTR)(UINT_PTR)(BYTE)p[1]) == chUpper)
                    return i;
                break;
            }
            if (*p == '&')
                p++;
        }
    }
    return -1;
}

LRESULT CCommandBarCtrl::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    int nIndex = (int)SendMessage(TB_HITTEST, 0, (LPARAM)&pt);
    if (nIndex < 0 || m_hMenu == NULL)
    {
        bHandled = FALSE;
        return 0;
    }
    TrackPopup(nIndex);
    return 0;
}

LRESULT CCommandBarCtrl::OnOpenPopup(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    TrackPopup((int)wParam);
    return 0;
}

void CCommandBarCtrl::TrackPopup(int nIndex)
{
    HWND hWndOwner = GetTopLevelParent();
    while (nIndex >= 0 && m_hMenu != NULL && nIndex < ::GetMenuItemCount(m_hMenu))
    {
        HMENU hPopup = ::GetSubMenu(m_hMenu, nIndex);
        if (hPopup == NULL)
            break;
        RECT rc;
        GetItemRect(nIndex, &rc);
        MapWindowPoints(HWND_DESKTOP, &rc);
        TPMPARAMS tpm = {sizeof(TPMPARAMS), rc};
        m_nOpenPopup = nIndex;
        m_nNextPopup = -1;
        PressButton(nIndex + 1, TRUE);
        t_state.pTracking = this;
        ::TrackPopupMenuEx(hPopup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, rc.left,
                           rc.bottom, hWndOwner, &tpm);
        t_state.pTracking = NULL;
        if (!IsWindow())
            return;
        PressButton(nIndex + 1, FALSE);
        m_nOpenPopup = -1;
        nIndex = m_nNextPopup;
    }
}

} // namespace WTL
