// Menu holder; a managed holder destroys its menu.
#pragma once

#include <windows.h>

#include <atlwin.h>

namespace WTL
{

template <bool t_bManaged>
class CMenuT
{
public:
    HMENU m_hMenu;

    CMenuT(HMENU hMenu = NULL) : m_hMenu(hMenu) {}
    ~CMenuT()
    {
        if (t_bManaged && m_hMenu != NULL)
            ::DestroyMenu(m_hMenu);
    }
    CMenuT(const CMenuT&) = delete;
    CMenuT& operator=(const CMenuT&) = delete;
    CMenuT& operator=(HMENU hMenu)
    {
        Attach(hMenu);
        return *this;
    }

    operator HMENU() const { return m_hMenu; }
    bool IsNull() const { return m_hMenu == NULL; }
    BOOL IsMenu() const { return ::IsMenu(m_hMenu); }
    void Attach(HMENU hMenuNew)
    {
        if (t_bManaged && m_hMenu != NULL && m_hMenu != hMenuNew)
            ::DestroyMenu(m_hMenu);
        m_hMenu = hMenuNew;
    }
    HMENU Detach()
    {
        HMENU hMenu = m_hMenu;
        m_hMenu = NULL;
        return hMenu;
    }

    BOOL CreateMenu()
    {
        Attach(::CreateMenu());
        return m_hMenu != NULL;
    }
    BOOL CreatePopupMenu()
    {
        Attach(::CreatePopupMenu());
        return m_hMenu != NULL;
    }
    BOOL LoadMenu(ATL::_U_STRINGorID menu)
    {
        Attach(::LoadMenuA(ATL::AtlGetResourceInstance(), menu.m_lpstr));
        return m_hMenu != NULL;
    }
    BOOL DestroyMenu()
    {
        if (m_hMenu == NULL)
            return FALSE;
        BOOL bRet = ::DestroyMenu(m_hMenu);
        if (bRet)
            m_hMenu = NULL;
        return bRet;
    }

    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    UINT GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
    int GetMenuString(UINT nIDItem, LPSTR lpString, int nMaxCount, UINT nFlags) const
    {
        return ::GetMenuStringA(m_hMenu, nIDItem, lpString, nMaxCount, nFlags);
    }
    int GetMenuString(UINT nIDItem, CString& strText, UINT nFlags) const
    {
        char sz[1024];
        int n = ::GetMenuStringA(m_hMenu, nIDItem, sz, sizeof(sz), nFlags);
        strText = n > 0 ? sz : "";
        return n;
    }
    CMenuT<false> GetSubMenu(int nPos) const { return CMenuT<false>(::GetSubMenu(m_hMenu, nPos)); }
    BOOL GetMenuItemInfo(UINT uItem, BOOL bByPosition, LPMENUITEMINFOA lpmii) const
    {
        return ::GetMenuItemInfoA(m_hMenu, uItem, bByPosition, lpmii);
    }
    BOOL SetMenuItemInfo(UINT uItem, BOOL bByPosition, LPCMENUITEMINFOA lpmii)
    {
        return ::SetMenuItemInfoA(m_hMenu, uItem, bByPosition, lpmii);
    }

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = NULL)
    {
        return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
    }
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = NULL)
    {
        return ::InsertMenuA(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
    }
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = NULL)
    {
        return ::ModifyMenuA(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
    }
    BOOL RemoveMenu(UINT nPosition, UINT nFlags) { return ::RemoveMenu(m_hMenu, nPosition, nFlags); }
    BOOL DeleteMenu(UINT nPosition, UINT nFlags) { return ::DeleteMenu(m_hMenu, nPosition, nFlags); }
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable)
    {
        return ::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable);
    }
    DWORD CheckMenuItem(UINT nIDCheckItem, UINT nCheck)
    {
        return ::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck);
    }
    BOOL CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags)
    {
        return ::CheckMenuRadioItem(m_hMenu, nIDFirst, nIDLast, nIDItem, nFlags);
    }
    BOOL SetMenuDefaultItem(UINT uItem = (UINT)-1, BOOL bByPos = FALSE)
    {
        return ::SetMenuDefaultItem(m_hMenu, uItem, bByPos);
    }
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, HWND hWnd, LPCRECT lpRect = NULL)
    {
        return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, hWnd, lpRect);
    }
};
typedef CMenuT<true> CMenu;
typedef CMenuT<false> CMenuHandle;

} // namespace WTL

#ifndef _WTL_NO_AUTOMATIC_NAMESPACE
using namespace WTL;
#endif
