// Command bar: the frame's menu shown as a row of toolbar buttons, each opening its popup.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atlapp.h>
#include <atlctrls.h>
#include <atlwin.h>

#include <memory>
#include <vector>

namespace WTL
{

#define ATL_SIMPLE_CMDBAR_PANE_STYLE                                                                         \
    (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | CCS_NODIVIDER | CCS_NORESIZE |              \
     CCS_NOPARENTALIGN | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS)

// The popups are tracked with the top-level frame as owner, so the frame gets WM_INITMENUPOPUP,
// WM_MENUSELECT and WM_COMMAND exactly as from a menu bar of its own (UI update works unchanged).
// Keyboard: Alt or F10 opens the first popup, Alt+letter the popup with that mnemonic, Left and Right
// move between popups. Popup items show the image that LoadImages found for their command.
// While a popup of the bar is open its items are drawn by the bar, as a menu bar's are: image and check in
// a left column, the text after it, and the accelerator (the text after a tab) right-aligned in a column
// of its own right of the widest text; the items are plain text items again once the popup has closed.
class CCommandBarCtrl : public ATL::CWindowImpl<CCommandBarCtrl, CToolBarCtrl>
{
public:
    BEGIN_MSG_MAP(CCommandBarCtrl)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDown)
        MESSAGE_HANDLER(s_uOpenPopupMsg, OnOpenPopup)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    CCommandBarCtrl() {}
    ~CCommandBarCtrl();

    HWND Create(HWND hWndParent, ATL::_U_RECT rect = NULL, LPCSTR szWindowName = NULL,
                DWORD dwStyle = ATL_SIMPLE_CMDBAR_PANE_STYLE, DWORD dwExStyle = 0,
                UINT nID = ATL_IDW_COMMAND_BAR, LPVOID lpCreateParam = NULL);

    // Shows the menu's top-level items as buttons; the menu stays owned by the caller.
    BOOL AttachMenu(HMENU hMenu);
    HMENU GetMenu() const { return m_hMenu; }
    // Reads the toolbar resource and its bitmap: the image of each command.
    BOOL LoadImages(ATL::_U_STRINGorID tbID);
    HIMAGELIST GetImageList() const { return m_imageList; }
    int GetImageIndex(UINT nCommand) const { return m_mapCommandImage.Lookup((WORD)nCommand) - 1; }

    // Opens the popup of the button at nIndex (as a click would), returning when the menu closes.
    void TrackPopup(int nIndex);
    // Where the popup would open from a posted request: lets the keyboard open one outside the hook.
    void PostOpenPopup(int nIndex) { PostMessage(s_uOpenPopupMsg, (WPARAM)nIndex); }
    int FindMnemonic(char ch) const;

    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
    LRESULT OnOpenPopup(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled);

    // Items of an open popup: measured and drawn by the bar (WM_MEASUREITEM, WM_DRAWITEM of the owner).
    void DrawItemsOf(HMENU hPopup);
    bool MeasurePopupItem(MEASUREITEMSTRUCT* pMeasure);
    bool DrawPopupItem(const DRAWITEMSTRUCT* pDraw);
    int FindPopupMnemonic(HMENU hPopup, char ch) const;
    void RestorePopupItems();

    // Set while a popup of this bar is open: the neighbour to open after it closes (-1 for none).
    int m_nNextPopup = -1;
    int m_nOpenPopup = -1;

private:
    static const UINT s_uOpenPopupMsg;

    HMENU m_hMenu = NULL;
    CImageList m_imageList;
    ATL::CSimpleMap<WORD, int> m_mapCommandImage; // image index + 1
    ATL::CSimpleArray<HBITMAP> m_aItemBitmaps;

    // A popup item while the bar draws it: where it is and what it held before.
    struct CDrawnItem
    {
        HMENU hMenu;
        UINT nPos;
        UINT nID;
        UINT fType;
        ULONG_PTR dwOldData;
        ATL::CString strText;
    };
    std::vector<std::unique_ptr<CDrawnItem>> m_aDrawnItems;
    std::vector<HMENU> m_aDrawnPopups;
    HFONT m_hMenuFont = NULL;

    struct CPopupColumns
    {
        int cxImage, cxText, cxAccel, cyItem;
    };
    CPopupColumns PopupColumns(HMENU hPopup, HDC hdc) const;
    CDrawnItem* DrawnItem(ULONG_PTR dwData) const;
    HFONT MenuFont();
    void ShowImagesInMenu(HMENU hMenu);
    HBITMAP ItemBitmap(int nImage);
};

} // namespace WTL

#ifndef _WTL_NO_AUTOMATIC_NAMESPACE
using namespace WTL;
#endif
