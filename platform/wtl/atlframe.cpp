// Frame helpers that need no template parameter: toolbar from resources, rebar bands, UI-update table.
#include "atlframe.h"

#include <map>
#include <mutex>
#include <utility>

namespace WTL
{

CString AtlCommandPrompt(UINT nID)
{
    CString str = AtlLoadString(nID);
    int nBreak = str.Find('\n');
    return nBreak == -1 ? str : str.Left(nBreak);
}

CString AtlCommandToolTip(UINT nID)
{
    CString str = AtlLoadString(nID);
    int nBreak = str.Find('\n');
    return nBreak == -1 ? CString() : str.Mid(nBreak + 1);
}

int AtlFindAcceleratorCommand(HACCEL hAccel, const MSG* pMsg)
{
    bool bKey = pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN;
    bool bChar = pMsg->message == WM_CHAR || pMsg->message == WM_SYSCHAR;
    if (hAccel == NULL || (!bKey && !bChar))
        return -1;
    int nCount = ::CopyAcceleratorTableA(hAccel, NULL, 0);
    if (nCount <= 0)
        return -1;
    ATL::CSimpleArray<ACCEL> aAccel;
    for (int i = 0; i < nCount; i++)
        aAccel.Add(ACCEL());
    ::CopyAcceleratorTableA(hAccel, aAccel.GetData(), nCount);
    BYTE fMods = (::GetKeyState(VK_SHIFT) < 0 ? FSHIFT : 0) | (::GetKeyState(VK_CONTROL) < 0 ? FCONTROL : 0) |
                 ((::GetKeyState(VK_MENU) < 0 || (pMsg->lParam & 0x20000000)) ? FALT : 0);
    for (int i = 0; i < nCount; i++)
    {
        const ACCEL& accel = aAccel[i];
        if (accel.fVirt & FVIRTKEY)
        {
            if (bKey && accel.key == (WORD)pMsg->wParam &&
                (accel.fVirt & (FSHIFT | FCONTROL | FALT)) == fMods)
                return accel.cmd;
        }
        else if (bChar && accel.key == (WORD)pMsg->wParam && (accel.fVirt & FALT) == (fMods & FALT))
        {
            return accel.cmd;
        }
    }
    return -1;
}

// The faded images of a toolbar bitmap for its greyed buttons: the toolbar's own greying turns a
// full-colour image into a flat silhouette. Made once per bitmap and kept for the process, as every frame
// of a class shows the same ones.
static HIMAGELIST DisabledImages(HINSTANCE hInst, UINT nResourceID, int cx, int cy)
{
    static std::mutex s_lock;
    static std::map<std::pair<HINSTANCE, UINT>, HIMAGELIST> s_lists;
    std::lock_guard<std::mutex> guard(s_lock);
    auto found = s_lists.find(std::make_pair(hInst, nResourceID));
    if (found != s_lists.end())
        return found->second;
    HIMAGELIST hImages = NULL;
    HBITMAP hLoaded = (HBITMAP)::LoadImageA(hInst, MAKEINTRESOURCEA(nResourceID), IMAGE_BITMAP, 0, 0, 0);
    BITMAP bm = {};
    HBITMAP hBitmap = NULL;
    void* pBits = NULL;
    if (hLoaded != NULL && ::GetObjectA(hLoaded, sizeof(bm), &bm) != 0 && cx > 0)
    {
        // A 24-bit copy, whatever the depth the bitmap is stored in.
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = bm.bmWidth;
        bmi.bmiHeader.biHeight = bm.bmHeight;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 24;
        hBitmap = ::CreateDIBSection(NULL, &bmi, DIB_RGB_COLORS, &pBits, NULL, 0);
        HDC hdcSource = ::CreateCompatibleDC(NULL);
        HDC hdcCopy = ::CreateCompatibleDC(NULL);
        HGDIOBJ hOldSource = ::SelectObject(hdcSource, hLoaded);
        HGDIOBJ hOldCopy = ::SelectObject(hdcCopy, hBitmap);
        ::BitBlt(hdcCopy, 0, 0, bm.bmWidth, bm.bmHeight, hdcSource, 0, 0, SRCCOPY);
        ::SelectObject(hdcSource, hOldSource);
        ::SelectObject(hdcCopy, hOldCopy);
        ::DeleteDC(hdcSource);
        ::DeleteDC(hdcCopy);
        ::GdiFlush();
    }
    if (hLoaded != NULL)
        ::DeleteObject(hLoaded);
    if (hBitmap != NULL && pBits != NULL)
    {
        // Light grey is the transparent colour of toolbar bitmaps; every other pixel becomes a light grey
        // of its own brightness, never the transparent one.
        int nStride = (bm.bmWidth * 3 + 3) & ~3;
        for (int y = 0; y < bm.bmHeight; y++)
        {
            BYTE* p = (BYTE*)pBits + (size_t)y * nStride;
            for (int x = 0; x < bm.bmWidth; x++, p += 3)
            {
                if (p[0] == 192 && p[1] == 192 && p[2] == 192)
                    continue;
                int nGrey = (p[2] * 30 + p[1] * 59 + p[0] * 11) / 100;
                BYTE faded = (BYTE)(128 + nGrey / 2);
                if (faded == 192)
                    faded = 193;
                p[0] = p[1] = p[2] = faded;
            }
        }
        hImages = ImageList_Create(cx, cy, ILC_COLOR24 | ILC_MASK, bm.bmWidth / cx, 0);
        if (hImages != NULL)
            ImageList_AddMasked(hImages, hBitmap, RGB(192, 192, 192));
    }
    if (hBitmap != NULL)
        ::DeleteObject(hBitmap);
    s_lists[std::make_pair(hInst, nResourceID)] = hImages;
    return hImages;
}

HWND AtlCreateSimpleToolBarCtrl(HWND hWndParent, UINT nResourceID, BOOL bInitialSeparator, DWORD dwStyle,
                                UINT nID)
{
    HINSTANCE hInst = ATL::AtlGetResourceInstance();
    HRSRC hRsrc = ::FindResourceA(hInst, MAKEINTRESOURCEA(nResourceID), RT_TOOLBAR);
    if (hRsrc == NULL)
        return NULL;
    DWORD dwSize = ::SizeofResource(hInst, hRsrc);
    HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
    _AtlToolBarData* pData = hGlobal ? (_AtlToolBarData*)::LockResource(hGlobal) : NULL;
    // A resource shorter than its own count claims is not read past its end.
    if (pData == NULL || dwSize < sizeof(_AtlToolBarData) || pData->wVersion != 1 ||
        dwSize < sizeof(_AtlToolBarData) + pData->wItemCount * sizeof(WORD))
        return NULL;

    WORD* pItems = pData->items();
    ATL::CSimpleArray<TBBUTTON> aButtons;
    int nBitmaps = 0;
    if (bInitialSeparator)
    {
        TBBUTTON button = {};
        button.iBitmap = 4;
        button.fsStyle = BTNS_SEP;
        aButtons.Add(button);
    }
    for (int i = 0; i < pData->wItemCount; i++)
    {
        TBBUTTON button = {};
        if (pItems[i] != 0)
        {
            button.iBitmap = nBitmaps++;
            button.idCommand = pItems[i];
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
        else
        {
            button.iBitmap = 8;
            button.fsStyle = BTNS_SEP;
        }
        aButtons.Add(button);
    }

    HWND hWnd = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, NULL, dwStyle, 0, 0, 100, 100, hWndParent,
                                  (HMENU)(UINT_PTR)nID, hInst, NULL);
    if (hWnd == NULL)
        return NULL;
    ::SendMessageA(hWnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageA(hWnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(pData->wWidth, pData->wHeight));
    ::SendMessageA(hWnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(pData->wWidth + 7, pData->wHeight + 7));
    if (nBitmaps > 0 && ::FindResourceA(hInst, MAKEINTRESOURCEA(nResourceID), (LPCSTR)RT_BITMAP) != NULL)
    {
        TBADDBITMAP tbab = {hInst, nResourceID};
        ::SendMessageA(hWnd, TB_ADDBITMAP, nBitmaps, (LPARAM)&tbab);
        HIMAGELIST hDisabled = DisabledImages(hInst, nResourceID, pData->wWidth, pData->wHeight);
        if (hDisabled != NULL)
            ::SendMessageA(hWnd, TB_SETDISABLEDIMAGELIST, 0, (LPARAM)hDisabled);
    }
    ::SendMessageA(hWnd, TB_ADDBUTTONSA, aButtons.GetSize(), (LPARAM)aButtons.GetData());
    ::SendMessageA(hWnd, TB_AUTOSIZE, 0, 0);
    return hWnd;
}

BOOL AtlAddSimpleReBarBandCtrl(HWND hWndReBar, HWND hWndBand, int nID, LPCSTR lpstrTitle, BOOL bNewRow,
                               int cxWidth, BOOL bFullWidthAlways)
{
    if (hWndReBar == NULL || hWndBand == NULL)
        return FALSE;
    char szClass[32] = "";
    ::GetClassNameA(hWndBand, szClass, sizeof(szClass));
    bool bToolBar = lstrcmpiA(szClass, TOOLBARCLASSNAMEA) == 0;
    int nBandCount = (int)::SendMessageA(hWndReBar, RB_GETBANDCOUNT, 0, 0);

    REBARBANDINFOA rbBand = {};
    rbBand.cbSize = sizeof(REBARBANDINFOA);
    rbBand.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_ID | RBBIM_SIZE;
    if (lpstrTitle != NULL)
        rbBand.fMask |= RBBIM_TEXT;
    rbBand.fStyle = RBBS_CHILDEDGE;
    if (nBandCount != 0 && bNewRow)
        rbBand.fStyle |= RBBS_BREAK;
    rbBand.lpText = (LPSTR)lpstrTitle;
    rbBand.hwndChild = hWndBand;
    rbBand.wID = nID != 0 ? (UINT)nID : (UINT)(ATL_IDW_BAND_FIRST + nBandCount);

    RECT rcTmp;
    if (bToolBar)
    {
        int nBtnCount = (int)::SendMessageA(hWndBand, TB_BUTTONCOUNT, 0, 0);
        if (nBtnCount > 0)
        {
            ::SendMessageA(hWndBand, TB_GETITEMRECT, nBtnCount - 1, (LPARAM)&rcTmp);
            rbBand.cx = cxWidth != 0 ? cxWidth : rcTmp.right;
            rbBand.cyMinChild = rcTmp.bottom - rcTmp.top;
            if (bFullWidthAlways)
                rbBand.cxMinChild = rbBand.cx;
            else if (lpstrTitle == NULL)
            {
                ::SendMessageA(hWndBand, TB_GETITEMRECT, 0, (LPARAM)&rcTmp);
                rbBand.cxMinChild = rcTmp.right;
            }
        }
        else
        {
            ::GetWindowRect(hWndBand, &rcTmp);
            rbBand.cx = cxWidth != 0 ? cxWidth : rcTmp.right - rcTmp.left;
            rbBand.cyMinChild = rcTmp.bottom - rcTmp.top;
        }
    }
    else
    {
        ::GetWindowRect(hWndBand, &rcTmp);
        rbBand.cx = cxWidth != 0 ? cxWidth : rcTmp.right - rcTmp.left;
        rbBand.cxMinChild = bFullWidthAlways ? rbBand.cx : 0;
        rbBand.cyMinChild = rcTmp.bottom - rcTmp.top;
    }
    return ::SendMessageA(hWndReBar, RB_INSERTBANDA, (WPARAM)-1, (LPARAM)&rbBand) != 0;
}

// ---------------------------------------------------------------------------------------------------------

void CUpdateUIBase::UISetMap(const _AtlUpdateUIMap* pMap)
{
    m_pUIMap = pMap;
    m_aUIData.RemoveAll();
    for (const _AtlUpdateUIMap* p = pMap; p != NULL && p->m_nID != (WORD)-1; p++)
        m_aUIData.Add(_AtlUpdateUIData{UPDUI_ENABLED, CString()});
}

int CUpdateUIBase::FindEntry(int nID) const
{
    for (int i = 0; i < m_aUIData.GetSize(); i++)
        if (m_pUIMap[i].m_nID == (WORD)nID)
            return i;
    return -1;
}

BOOL CUpdateUIBase::SetState(int nID, WORD wClear, WORD wSet, BOOL bForceUpdate)
{
    int i = FindEntry(nID);
    if (i == -1)
        return FALSE;
    _AtlUpdateUIData& data = m_aUIData[i];
    WORD wOld = data.m_wState;
    data.m_wState = (WORD)((data.m_wState & ~wClear) | wSet);
    if (data.m_wState != wOld || bForceUpdate)
        m_wDirtyType |= m_pUIMap[i].m_wType;
    if (bForceUpdate)
    {
        UIUpdateMenuBar(TRUE);
        UIUpdateToolBar(TRUE);
        UIUpdateChildWindows(TRUE);
    }
    return TRUE;
}

BOOL CUpdateUIBase::UIEnable(int nID, BOOL bEnable, BOOL bForceUpdate)
{
    return bEnable ? SetState(nID, UPDUI_DISABLED, 0, bForceUpdate)
                   : SetState(nID, 0, UPDUI_DISABLED, bForceUpdate);
}

BOOL CUpdateUIBase::UISetCheck(int nID, int nCheck, BOOL bForceUpdate)
{
    WORD wSet = nCheck == 1 ? UPDUI_CHECKED : nCheck == 2 ? UPDUI_CHECKED2 : 0;
    return SetState(nID, UPDUI_CHECKED | UPDUI_CHECKED2, wSet, bForceUpdate);
}

BOOL CUpdateUIBase::UISetRadio(int nID, BOOL bRadio, BOOL bForceUpdate)
{
    return SetState(nID, UPDUI_RADIO, bRadio ? UPDUI_RADIO : 0, bForceUpdate);
}

BOOL CUpdateUIBase::UISetDefault(int nID, BOOL bDefault, BOOL bForceUpdate)
{
    return SetState(nID, UPDUI_DEFAULT, bDefault ? UPDUI_DEFAULT : 0, bForceUpdate);
}

BOOL CUpdateUIBase::UISetText(int nID, LPCSTR lpstrText, BOOL bForceUpdate)
{
    int i = FindEntry(nID);
    if (i == -1)
        return FALSE;
    m_aUIData[i].m_strText = lpstrText ? lpstrText : "";
    m_aUIData[i].m_wState |= UPDUI_TEXT;
    m_wDirtyType |= m_pUIMap[i].m_wType;
    if (bForceUpdate)
        UIUpdateMenuBar(TRUE);
    return TRUE;
}

DWORD CUpdateUIBase::UIGetState(int nID) const
{
    int i = FindEntry(nID);
    return i == -1 ? 0 : m_aUIData[i].m_wState;
}

BOOL CUpdateUIBase::UIAddToolBar(HWND hWndToolBar)
{
    if (hWndToolBar == NULL)
        return FALSE;
    m_wDirtyType |= UPDUI_TOOLBAR;
    return m_aToolBars.Add(hWndToolBar);
}

BOOL CUpdateUIBase::UIAddMenuBar(HWND hWnd)
{
    if (hWnd == NULL)
        return FALSE;
    m_wDirtyType |= UPDUI_MENUBAR;
    return m_aMenuBars.Add(hWnd);
}

BOOL CUpdateUIBase::UIAddChildWindowContainer(HWND hWnd)
{
    if (hWnd == NULL)
        return FALSE;
    m_wDirtyType |= UPDUI_CHILDWINDOW;
    return m_aChildWindows.Add(hWnd);
}

void CUpdateUIBase::ApplyToMenu(HMENU hMenu, const _AtlUpdateUIMap& entry, const _AtlUpdateUIData& data)
{
    UINT nOld = ::GetMenuState(hMenu, entry.m_nID, MF_BYCOMMAND);
    if (nOld == (UINT)-1)
        return;
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_STATE;
    mii.fState = nOld & ~(MFS_GRAYED | MFS_CHECKED | MFS_DEFAULT | MF_HILITE);
    if (data.m_wState & UPDUI_DISABLED)
        mii.fState |= MFS_GRAYED;
    if (data.m_wState & (UPDUI_CHECKED | UPDUI_CHECKED2))
        mii.fState |= MFS_CHECKED;
    if (data.m_wState & UPDUI_DEFAULT)
        mii.fState |= MFS_DEFAULT;
    if (data.m_wState & UPDUI_TEXT)
    {
        mii.fMask |= MIIM_STRING;
        mii.dwTypeData = (LPSTR)(LPCSTR)data.m_strText;
    }
    ::SetMenuItemInfoA(hMenu, entry.m_nID, FALSE, &mii);
}

BOOL CUpdateUIBase::UIUpdateMenuBar(BOOL bForceUpdate, BOOL /*bMainMenu*/)
{
    if (!(m_wDirtyType & UPDUI_MENUBAR) && !bForceUpdate)
        return TRUE;
    ATL::CSimpleArray<HWND> aOwners(m_aMenuBars);
    HWND hWndOwner = UIOwnerWindow();
    if (hWndOwner != NULL && aOwners.Find(hWndOwner) == -1)
        aOwners.Add(hWndOwner);
    for (int w = 0; w < aOwners.GetSize(); w++)
    {
        HMENU hMenu = ::GetMenu(aOwners[w]);
        if (hMenu == NULL)
            continue;
        for (int i = 0; i < m_aUIData.GetSize(); i++)
            if (m_pUIMap[i].m_wType & UPDUI_MENUBAR)
                ApplyToMenu(hMenu, m_pUIMap[i], m_aUIData[i]);
        ::DrawMenuBar(aOwners[w]);
    }
    m_wDirtyType &= ~UPDUI_MENUBAR;
    return TRUE;
}

BOOL CUpdateUIBase::UIUpdateToolBar(BOOL bForceUpdate)
{
    if (!(m_wDirtyType & UPDUI_TOOLBAR) && !bForceUpdate)
        return TRUE;
    for (int t = 0; t < m_aToolBars.GetSize(); t++)
    {
        HWND hWndToolBar = m_aToolBars[t];
        if (!::IsWindow(hWndToolBar))
            continue;
        for (int i = 0; i < m_aUIData.GetSize(); i++)
        {
            if (!(m_pUIMap[i].m_wType & UPDUI_TOOLBAR))
                continue;
            WORD wState = m_aUIData[i].m_wState;
            int nID = m_pUIMap[i].m_nID;
            int nOld = (int)::SendMessageA(hWndToolBar, TB_GETSTATE, nID, 0);
            if (nOld == -1)
                continue;
            int nNew = nOld & ~(TBSTATE_ENABLED | TBSTATE_CHECKED | TBSTATE_INDETERMINATE);
            if (!(wState & UPDUI_DISABLED))
                nNew |= TBSTATE_ENABLED;
            if (wState & UPDUI_CHECKED)
                nNew |= TBSTATE_CHECKED;
            if (wState & UPDUI_CHECKED2)
                nNew |= TBSTATE_INDETERMINATE;
            if (nNew != nOld)
                ::SendMessageA(hWndToolBar, TB_SETSTATE, nID, MAKELPARAM(nNew, 0));
        }
    }
    m_wDirtyType &= ~UPDUI_TOOLBAR;
    return TRUE;
}

BOOL CUpdateUIBase::UIUpdateChildWindows(BOOL bForceUpdate)
{
    if (!(m_wDirtyType & UPDUI_CHILDWINDOW) && !bForceUpdate)
        return TRUE;
    for (int w = 0; w < m_aChildWindows.GetSize(); w++)
    {
        for (int i = 0; i < m_aUIData.GetSize(); i++)
        {
            if (!(m_pUIMap[i].m_wType & UPDUI_CHILDWINDOW))
                continue;
            HWND hWndChild = ::GetDlgItem(m_aChildWindows[w], m_pUIMap[i].m_nID);
            if (hWndChild == NULL)
                continue;
            WORD wState = m_aUIData[i].m_wState;
            ::EnableWindow(hWndChild, !(wState & UPDUI_DISABLED));
            if (wState & UPDUI_TEXT)
                ::SetWindowTextA(hWndChild, m_aUIData[i].m_strText);
        }
    }
    m_wDirtyType &= ~UPDUI_CHILDWINDOW;
    return TRUE;
}

LRESULT CUpdateUIBase::OnInitMenuPopup(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    HMENU hMenu = (HMENU)wParam;
    if (hMenu == NULL)
        return 1;
    for (int i = 0; i < m_aUIData.GetSize(); i++)
        if (m_pUIMap[i].m_wType & UPDUI_MENUPOPUP)
            ApplyToMenu(hMenu, m_pUIMap[i], m_aUIData[i]);
    return 0;
}

LRESULT CUpdateUIBase::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    // A disabled command must not run from its accelerator either.
    bHandled = HIWORD(wParam) == 1 && (UIGetState(LOWORD(wParam)) & UPDUI_DISABLED) != 0;
    return 0;
}

} // namespace WTL
