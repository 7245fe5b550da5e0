// Command bar: the frame's menu shown as a row of toolbar buttons, each opening its popup.
#include "atlctrlw.h"

#include "atlframe.h"

#include <algorithm>
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

// The popup's owner is subclassed while a popup of the bar is open, so the bar draws its items; the
// owner's own procedure is kept with the window, which may outlive the bar's subclassing.
static const char kOwnerProcProperty[] = "OrbCommandBarOwnerProc";

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

static LRESULT CALLBACK PopupOwnerProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CCommandBarCtrl* pBar = t_state.pTracking;
    WNDPROC pfnOwnerProc = (WNDPROC)(LONG_PTR)::GetPropA(hWnd, kOwnerProcProperty);
    if (pfnOwnerProc == NULL)
        return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
    if (pBar != NULL)
    {
        switch (uMsg)
        {
        case WM_INITMENUPOPUP:
        {
            // The owner's UI update sets states and texts first; the bar then draws what it left.
            LRESULT lResult = ::CallWindowProcA(pfnOwnerProc, hWnd, uMsg, wParam, lParam);
            if (!HIWORD(lParam))
                pBar->DrawItemsOf((HMENU)wParam);
            return lResult;
        }
        case WM_MEASUREITEM:
            if (wParam == 0 && pBar->MeasurePopupItem((MEASUREITEMSTRUCT*)lParam))
                return TRUE;
            break;
        case WM_DRAWITEM:
            if (wParam == 0 && pBar->DrawPopupItem((const DRAWITEMSTRUCT*)lParam))
                return TRUE;
            break;
        case WM_MENUCHAR:
        {
            // Owner-drawn items get no mnemonics from the system.
            int nPos = pBar->FindPopupMnemonic((HMENU)lParam, (char)LOWORD(wParam));
            if (nPos >= 0)
                return MAKELRESULT(nPos, MNC_EXECUTE);
            break;
        }
        }
    }
    return ::CallWindowProcA(pfnOwnerProc, hWnd, uMsg, wParam, lParam);
}

CCommandBarCtrl::~CCommandBarCtrl()
{
    RestorePopupItems();
    if (m_hMenuFont != NULL)
        ::DeleteObject(m_hMenuFont);
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

// Menu metrics: the image column holds an image or a check mark with 3 pixels on each side; the
// accelerator column stands a gap right of the text column and a margin from the item's right edge, which
// leaves room for a submenu's arrow.
namespace
{
const int kImageMargin = 3;
const int kTextGap = 4;
const int kAccelGap = 24;
const int kRightMargin = 16;
} // namespace

HFONT CCommandBarCtrl::MenuFont()
{
    if (m_hMenuFont == NULL)
    {
        NONCLIENTMETRICSA ncm = {};
        ncm.cbSize = sizeof(ncm);
        if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
            m_hMenuFont = ::CreateFontIndirectA(&ncm.lfMenuFont);
    }
    return m_hMenuFont != NULL ? m_hMenuFont : (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
}

void CCommandBarCtrl::DrawItemsOf(HMENU hPopup)
{
    for (HMENU hDrawn : m_aDrawnPopups)
        if (hDrawn == hPopup)
            return;
    m_aDrawnPopups.push_back(hPopup);
    int nCount = ::GetMenuItemCount(hPopup);
    for (int i = 0; i < nCount; i++)
    {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_STRING | MIIM_ID;
        if (!::GetMenuItemInfoA(hPopup, i, TRUE, &mii) ||
            (mii.fType & (MFT_SEPARATOR | MFT_OWNERDRAW | MFT_BITMAP)))
            continue;
        // The whole text, however long: it is written back when the popup closes.
        std::vector<char> text(mii.cch + 1, '\0');
        mii.dwTypeData = text.data();
        mii.cch = (UINT)text.size();
        if (!::GetMenuItemInfoA(hPopup, i, TRUE, &mii))
            continue;
        m_aDrawnItems.emplace_back(
            new CDrawnItem{hPopup, (UINT)i, mii.wID, mii.fType, mii.dwItemData, text.data()});
        CDrawnItem* pItem = m_aDrawnItems.back().get();
        MENUITEMINFOA drawn = {};
        drawn.cbSize = sizeof(drawn);
        drawn.fMask = MIIM_FTYPE | MIIM_DATA;
        drawn.fType = mii.fType | MFT_OWNERDRAW;
        drawn.dwItemData = (ULONG_PTR)pItem;
        ::SetMenuItemInfoA(hPopup, i, TRUE, &drawn);
    }
}

void CCommandBarCtrl::RestorePopupItems()
{
    for (const auto& pItem : m_aDrawnItems)
    {
        if (::IsMenu(pItem->hMenu))
        {
            MENUITEMINFOA mii = {};
            mii.cbSize = sizeof(mii);
            mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_STRING;
            mii.fType = pItem->fType & ~MFT_OWNERDRAW;
            mii.dwItemData = pItem->dwOldData;
            mii.dwTypeData = (LPSTR)(LPCSTR)pItem->strText;
            ::SetMenuItemInfoA(pItem->hMenu, pItem->nPos, TRUE, &mii);
        }
    }
    m_aDrawnItems.clear();
    m_aDrawnPopups.clear();
}

CCommandBarCtrl::CDrawnItem* CCommandBarCtrl::DrawnItem(ULONG_PTR dwData) const
{
    for (const auto& pItem : m_aDrawnItems)
        if ((ULONG_PTR)pItem.get() == dwData)
            return pItem.get();
    return NULL;
}

// The widest text and the widest accelerator of the popup's items, so that every item of it lays its
// accelerator out in the same column.
CCommandBarCtrl::CPopupColumns CCommandBarCtrl::PopupColumns(HMENU hPopup, HDC hdc) const
{
    CPopupColumns columns = {};
    int cxImage = 0, cyImage = 0;
    if (!m_imageList.IsNull())
        m_imageList.GetIconSize(cxImage, cyImage);
    columns.cxImage = std::max(cxImage, ::GetSystemMetrics(SM_CXMENUCHECK)) + 2 * kImageMargin;
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(hdc, &tm);
    columns.cyItem =
        std::max((int)tm.tmHeight + 6, std::max(cyImage, ::GetSystemMetrics(SM_CYMENUCHECK)) + 4);
    for (const auto& pItem : m_aDrawnItems)
    {
        if (pItem->hMenu != hPopup)
            continue;
        int nTab = pItem->strText.Find('\t');
        CString strText = nTab >= 0 ? pItem->strText.Left(nTab) : pItem->strText;
        RECT rc = {};
        ::DrawTextA(hdc, strText, strText.GetLength(), &rc, DT_SINGLELINE | DT_CALCRECT);
        columns.cxText = std::max(columns.cxText, (int)(rc.right - rc.left));
        if (nTab >= 0)
        {
            CString strAccel = pItem->strText.Mid(nTab + 1);
            RECT rcAccel = {};
            ::DrawTextA(hdc, strAccel, strAccel.GetLength(), &rcAccel,
                        DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
            columns.cxAccel = std::max(columns.cxAccel, (int)(rcAccel.right - rcAccel.left));
        }
    }
    return columns;
}

bool CCommandBarCtrl::MeasurePopupItem(MEASUREITEMSTRUCT* pMeasure)
{
    if (pMeasure->CtlType != ODT_MENU)
        return false;
    CDrawnItem* pItem = DrawnItem(pMeasure->itemData);
    if (pItem == NULL)
        return false;
    HDC hdc = ::GetDC(NULL);
    HGDIOBJ hOldFont = ::SelectObject(hdc, MenuFont());
    CPopupColumns columns = PopupColumns(pItem->hMenu, hdc);
    ::SelectObject(hdc, hOldFont);
    ::ReleaseDC(NULL, hdc);
    pMeasure->itemWidth = columns.cxImage + kTextGap + columns.cxText +
                          (columns.cxAccel > 0 ? kAccelGap + columns.cxAccel : 0) + kRightMargin;
    pMeasure->itemHeight = columns.cyItem;
    return true;
}

bool CCommandBarCtrl::DrawPopupItem(const DRAWITEMSTRUCT* pDraw)
{
    if (pDraw->CtlType != ODT_MENU)
        return false;
    CDrawnItem* pItem = DrawnItem(pDraw->itemData);
    if (pItem == NULL)
        return false;
    HDC hdc = pDraw->hDC;
    RECT rc = pDraw->rcItem;
    bool bSelected = (pDraw->itemState & ODS_SELECTED) != 0;
    bool bGrayed = (pDraw->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    bool bChecked = (pDraw->itemState & ODS_CHECKED) != 0;
    ::FillRect(hdc, &rc, ::GetSysColorBrush(bSelected ? COLOR_HIGHLIGHT : COLOR_MENU));
    HGDIOBJ hOldFont = ::SelectObject(hdc, MenuFont());
    CPopupColumns columns = PopupColumns(pItem->hMenu, hdc);

    RECT rcImage = {rc.left, rc.top, rc.left + columns.cxImage, rc.bottom};
    int nImage = pItem->nID != 0 ? GetImageIndex(pItem->nID) : -1;
    if (nImage >= 0)
    {
        int cx = 0, cy = 0;
        m_imageList.GetIconSize(cx, cy);
        int x = rcImage.left + (columns.cxImage - cx) / 2, y = rc.top + (rc.bottom - rc.top - cy) / 2;
        if (bChecked)
        {
            RECT rcEdge = {x - 2, y - 2, x + cx + 2, y + cy + 2};
            ::DrawEdge(hdc, &rcEdge, BDR_SUNKENOUTER, BF_RECT);
        }
        // A greyed item's image is faded into the menu's colour.
        UINT uStyle = bGrayed ? ILD_TRANSPARENT | ILD_BLEND50 : ILD_TRANSPARENT;
        ::ImageList_DrawEx(m_imageList, nImage, hdc, x, y, 0, 0, CLR_NONE, ::GetSysColor(COLOR_MENU), uStyle);
    }
    else if (bChecked)
    {
        // A tick, or a dot for a radio item, in the text's colour.
        int cx = ::GetSystemMetrics(SM_CXMENUCHECK), cy = ::GetSystemMetrics(SM_CYMENUCHECK);
        int x = rcImage.left + (columns.cxImage - cx) / 2, y = rc.top + (rc.bottom - rc.top - cy) / 2;
        COLORREF crInk =
            ::GetSysColor(bGrayed ? COLOR_GRAYTEXT : bSelected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
        HPEN hPen = ::CreatePen(PS_SOLID, 2, crInk);
        HGDIOBJ hOldPen = ::SelectObject(hdc, hPen);
        if (pItem->fType & MFT_RADIOCHECK)
        {
            HBRUSH hBrush = ::CreateSolidBrush(crInk);
            HGDIOBJ hOldBrush = ::SelectObject(hdc, hBrush);
            ::Ellipse(hdc, x + cx / 2 - 3, y + cy / 2 - 3, x + cx / 2 + 3, y + cy / 2 + 3);
            ::SelectObject(hdc, hOldBrush);
            ::DeleteObject(hBrush);
        }
        else
        {
            POINT tick[] = {{x + 2, y + cy / 2}, {x + cx / 2 - 1, y + cy - 4}, {x + cx - 2, y + 3}};
            ::Polyline(hdc, tick, 3);
        }
        ::SelectObject(hdc, hOldPen);
        ::DeleteObject(hPen);
    }

    int nTab = pItem->strText.Find('\t');
    CString strText = nTab >= 0 ? pItem->strText.Left(nTab) : pItem->strText;
    CString strAccel = nTab >= 0 ? pItem->strText.Mid(nTab + 1) : CString();
    RECT rcText = {rc.left + columns.cxImage + kTextGap, rc.top, rc.right - kRightMargin, rc.bottom};
    UINT uPrefix = (pDraw->itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    ::SetBkMode(hdc, TRANSPARENT);
    for (int nPass = bGrayed && !bSelected ? 0 : 1; nPass < 2; nPass++)
    {
        // Greyed text has a light shadow one pixel down and right, as the system's menus draw it.
        COLORREF crText = nPass == 0 ? ::GetSysColor(COLOR_3DHILIGHT)
                          : bGrayed  ? ::GetSysColor(COLOR_GRAYTEXT)
                          : bSelected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT)
                                      : ::GetSysColor(COLOR_MENUTEXT);
        ::SetTextColor(hdc, crText);
        RECT rcPass = rcText;
        if (nPass == 0)
            ::OffsetRect(&rcPass, 1, 1);
        ::DrawTextA(hdc, strText, strText.GetLength(), &rcPass,
                    DT_SINGLELINE | DT_VCENTER | DT_LEFT | uPrefix);
        if (!strAccel.IsEmpty())
            ::DrawTextA(hdc, strAccel, strAccel.GetLength(), &rcPass,
                        DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    }
    ::SelectObject(hdc, hOldFont);
    return true;
}

int CCommandBarCtrl::FindPopupMnemonic(HMENU hPopup, char ch) const
{
    char chUpper = (char)(UINT_PTR)::CharUpperA((LPSTR)(UINT_PTR)(BYTE)ch);
    for (const auto& pItem : m_aDrawnItems)
    {
        if (pItem->hMenu != hPopup)
            continue;
        for (const char* p = pItem->strText; *p && *p != '\t'; p++)
        {
            if (*p == '&' && p[1] != '&' && p[1] != 0)
            {
                if ((char)(UINT_PTR)::CharUpperA((LPSTR)(UINT_PTR)(BYTE)p[1]) == chUpper)
                    return (int)pItem->nPos;
                break;
            }
            if (*p == '&')
                p++;
        }
    }
    return -1;
}

void CCommandBarCtrl::TrackPopup(int nIndex)
{
    HWND hWndOwner = GetTopLevelParent();
    WNDPROC pfnOwnerProc = (WNDPROC)::GetWindowLongPtrA(hWndOwner, GWLP_WNDPROC);
    bool bSubclassed = pfnOwnerProc != PopupOwnerProc &&
                       ::SetPropA(hWndOwner, kOwnerProcProperty, (HANDLE)(LONG_PTR)pfnOwnerProc);
    if (bSubclassed)
        ::SetWindowLongPtrA(hWndOwner, GWLP_WNDPROC, (LONG_PTR)PopupOwnerProc);
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
        RestorePopupItems();
        if (!IsWindow())
            break;
        PressButton(nIndex + 1, FALSE);
        m_nOpenPopup = -1;
        nIndex = m_nNextPopup;
    }
    // Someone who subclassed the owner meanwhile still calls through the kept procedure.
    if (bSubclassed && ::IsWindow(hWndOwner) &&
        ::GetWindowLongPtrA(hWndOwner, GWLP_WNDPROC) == (LONG_PTR)PopupOwnerProc)
    {
        ::SetWindowLongPtrA(hWndOwner, GWLP_WNDPROC, (LONG_PTR)pfnOwnerProc);
        ::RemovePropA(hWndOwner, kOwnerProcProperty);
    }
}

} // namespace WTL
