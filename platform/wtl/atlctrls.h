// Wrappers of the standard and common controls and the image list: typed messages over a window handle.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <atlapp.h>
#include <atlwin.h>

namespace WTL
{

// Shared by the wrappers: creation with the control's own class name.
#define WTL_CONTROL_COMMON_(theClass, className)                                                             \
public:                                                                                                      \
    theClass(HWND hWnd = NULL) : TBase(hWnd)                                                                 \
    {}                                                                                                       \
    theClass& operator=(HWND hWnd)                                                                           \
    {                                                                                                        \
        this->m_hWnd = hWnd;                                                                                 \
        return *this;                                                                                        \
    }                                                                                                        \
    static LPCSTR GetWndClassName()                                                                          \
    {                                                                                                        \
        return className;                                                                                    \
    }                                                                                                        \
    HWND Create(HWND hWndParent, ATL::_U_RECT rect = NULL, LPCSTR szWindowName = NULL, DWORD dwStyle = 0,    \
                DWORD dwExStyle = 0, ATL::_U_MENUorID MenuOrID = 0U, LPVOID lpCreateParam = NULL)            \
    {                                                                                                        \
        return TBase::Create(GetWndClassName(), hWndParent, rect.m_lpRect, szWindowName, dwStyle, dwExStyle, \
                             MenuOrID.m_hMenu, lpCreateParam);                                               \
    }

template <class TBase>
class CStaticT : public TBase
{
    WTL_CONTROL_COMMON_(CStaticT, "STATIC")
    HICON SetIcon(HICON hIcon) { return (HICON)this->SendMessage(STM_SETICON, (WPARAM)hIcon); }
    HBITMAP SetBitmap(HBITMAP hBitmap)
    {
        return (HBITMAP)this->SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hBitmap);
    }
};
typedef CStaticT<ATL::CWindow> CStatic;

template <class TBase>
class CButtonT : public TBase
{
    WTL_CONTROL_COMMON_(CButtonT, "BUTTON")
    int GetCheck() const { return (int)this->SendMessage(BM_GETCHECK); }
    void SetCheck(int nCheck) { this->SendMessage(BM_SETCHECK, nCheck); }
    UINT GetState() const { return (UINT)this->SendMessage(BM_GETSTATE); }
    void SetState(BOOL bHighlight) { this->SendMessage(BM_SETSTATE, bHighlight); }
    UINT GetButtonStyle() const { return (UINT)this->GetStyle() & 0xFFFF; }
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE) { this->SendMessage(BM_SETSTYLE, nStyle, bRedraw); }
    HICON SetIcon(HICON hIcon) { return (HICON)this->SendMessage(BM_SETIMAGE, IMAGE_ICON, (LPARAM)hIcon); }
    HBITMAP SetBitmap(HBITMAP hBitmap)
    {
        return (HBITMAP)this->SendMessage(BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hBitmap);
    }
    void Click() { this->SendMessage(BM_CLICK); }
};
typedef CButtonT<ATL::CWindow> CButton;

template <class TBase>
class CEditT : public TBase
{
    WTL_CONTROL_COMMON_(CEditT, "EDIT")
    BOOL CanUndo() const { return (BOOL)this->SendMessage(EM_CANUNDO); }
    int GetLineCount() const { return (int)this->SendMessage(EM_GETLINECOUNT); }
    BOOL GetModify() const { return (BOOL)this->SendMessage(EM_GETMODIFY); }
    void SetModify(BOOL bModified = TRUE) { this->SendMessage(EM_SETMODIFY, bModified); }
    void GetSel(int& nStartChar, int& nEndChar) const
    {
        this->SendMessage(EM_GETSEL, (WPARAM)&nStartChar, (LPARAM)&nEndChar);
    }
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE)
    {
        this->SendMessage(EM_SETSEL, nStartChar, nEndChar);
        if (!bNoScroll)
            this->SendMessage(EM_SCROLLCARET);
    }
    void ReplaceSel(LPCSTR lpszNewText, BOOL bCanUndo = FALSE)
    {
        this->SendMessage(EM_REPLACESEL, (WPARAM)bCanUndo, (LPARAM)lpszNewText);
    }
    void AppendText(LPCSTR lpstrText, BOOL bNoScroll = FALSE, BOOL bCanUndo = FALSE)
    {
        int nLen = this->GetWindowTextLength();
        SetSel(nLen, nLen, bNoScroll);
        ReplaceSel(lpstrText, bCanUndo);
    }
    void SetLimitText(UINT nMax) { this->SendMessage(EM_LIMITTEXT, nMax); }
    UINT GetLimitText() const { return (UINT)this->SendMessage(EM_GETLIMITTEXT); }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return (BOOL)this->SendMessage(EM_SETREADONLY, bReadOnly); }
    void Undo() { this->SendMessage(EM_UNDO); }
    void Clear() { this->SendMessage(WM_CLEAR); }
    void Copy() { this->SendMessage(WM_COPY); }
    void Cut() { this->SendMessage(WM_CUT); }
    void Paste() { this->SendMessage(WM_PASTE); }
};
typedef CEditT<ATL::CWindow> CEdit;

template <class TBase>
class CListBoxT : public TBase
{
    WTL_CONTROL_COMMON_(CListBoxT, "LISTBOX")
    int GetCount() const { return (int)this->SendMessage(LB_GETCOUNT); }
    int GetCurSel() const { return (int)this->SendMessage(LB_GETCURSEL); }
    int SetCurSel(int nSelect) { return (int)this->SendMessage(LB_SETCURSEL, nSelect); }
    int GetSel(int nIndex) const { return (int)this->SendMessage(LB_GETSEL, nIndex); }
    int SetSel(int nIndex, BOOL bSelect = TRUE) { return (int)this->SendMessage(LB_SETSEL, bSelect, nIndex); }
    int GetSelCount() const { return (int)this->SendMessage(LB_GETSELCOUNT); }
    DWORD_PTR GetItemData(int nIndex) const { return (DWORD_PTR)this->SendMessage(LB_GETITEMDATA, nIndex); }
    int SetItemData(int nIndex, DWORD_PTR dwItemData)
    {
        return (int)this->SendMessage(LB_SETITEMDATA, nIndex, (LPARAM)dwItemData);
    }
    int GetText(int nIndex, LPSTR lpszBuffer) const
    {
        return (int)this->SendMessage(LB_GETTEXT, nIndex, (LPARAM)lpszBuffer);
    }
    int GetText(int nIndex, CString& strText) const
    {
        int nLen = (int)this->SendMessage(LB_GETTEXTLEN, nIndex);
        if (nLen == LB_ERR)
            return LB_ERR;
        char* p = strText.GetBufferSetLength(nLen + 1);
        nLen = GetText(nIndex, p);
        strText.ReleaseBuffer(nLen == LB_ERR ? 0 : nLen);
        return nLen;
    }
    int AddString(LPCSTR lpszItem) { return (int)this->SendMessage(LB_ADDSTRING, 0, (LPARAM)lpszItem); }
    int InsertString(int nIndex, LPCSTR lpszItem)
    {
        return (int)this->SendMessage(LB_INSERTSTRING, nIndex, (LPARAM)lpszItem);
    }
    int DeleteString(UINT nIndex) { return (int)this->SendMessage(LB_DELETESTRING, nIndex); }
    void ResetContent() { this->SendMessage(LB_RESETCONTENT); }
    int FindStringExact(int nIndexStart, LPCSTR lpszFind) const
    {
        return (int)this->SendMessage(LB_FINDSTRINGEXACT, nIndexStart, (LPARAM)lpszFind);
    }
};
typedef CListBoxT<ATL::CWindow> CListBox;

template <class TBase>
class CComboBoxT : public TBase
{
    WTL_CONTROL_COMMON_(CComboBoxT, "COMBOBOX")
    int GetCount() const { return (int)this->SendMessage(CB_GETCOUNT); }
    int GetCurSel() const { return (int)this->SendMessage(CB_GETCURSEL); }
    int SetCurSel(int nSelect) { return (int)this->SendMessage(CB_SETCURSEL, nSelect); }
    DWORD_PTR GetItemData(int nIndex) const { return (DWORD_PTR)this->SendMessage(CB_GETITEMDATA, nIndex); }
    int SetItemData(int nIndex, DWORD_PTR dwItemData)
    {
        return (int)this->SendMessage(CB_SETITEMDATA, nIndex, (LPARAM)dwItemData);
    }
    int GetLBText(int nIndex, LPSTR lpszText) const
    {
        return (int)this->SendMessage(CB_GETLBTEXT, nIndex, (LPARAM)lpszText);
    }
    int GetLBText(int nIndex, CString& strText) const
    {
        int nLen = (int)this->SendMessage(CB_GETLBTEXTLEN, nIndex);
        if (nLen == CB_ERR)
            return CB_ERR;
        char* p = strText.GetBufferSetLength(nLen + 1);
        nLen = GetLBText(nIndex, p);
        strText.ReleaseBuffer(nLen == CB_ERR ? 0 : nLen);
        return nLen;
    }
    int GetLBTextLen(int nIndex) const { return (int)this->SendMessage(CB_GETLBTEXTLEN, nIndex); }
    int AddString(LPCSTR lpszString) { return (int)this->SendMessage(CB_ADDSTRING, 0, (LPARAM)lpszString); }
    int InsertString(int nIndex, LPCSTR lpszString)
    {
        return (int)this->SendMessage(CB_INSERTSTRING, nIndex, (LPARAM)lpszString);
    }
    int DeleteString(UINT nIndex) { return (int)this->SendMessage(CB_DELETESTRING, nIndex); }
    void ResetContent() { this->SendMessage(CB_RESETCONTENT); }
    int FindString(int nStartAfter, LPCSTR lpszString) const
    {
        return (int)this->SendMessage(CB_FINDSTRING, nStartAfter, (LPARAM)lpszString);
    }
    int FindStringExact(int nIndexStart, LPCSTR lpszFind) const
    {
        return (int)this->SendMessage(CB_FINDSTRINGEXACT, nIndexStart, (LPARAM)lpszFind);
    }
    int SelectString(int nStartAfter, LPCSTR lpszString)
    {
        return (int)this->SendMessage(CB_SELECTSTRING, nStartAfter, (LPARAM)lpszString);
    }
    BOOL LimitText(int nMaxChars) { return (BOOL)this->SendMessage(CB_LIMITTEXT, nMaxChars); }
    void ShowDropDown(BOOL bShowIt = TRUE) { this->SendMessage(CB_SHOWDROPDOWN, bShowIt); }
    BOOL GetDroppedState() const { return (BOOL)this->SendMessage(CB_GETDROPPEDSTATE); }
    int SetItemHeight(int nIndex, UINT cyItemHeight)
    {
        return (int)this->SendMessage(CB_SETITEMHEIGHT, nIndex, cyItemHeight);
    }
};
typedef CComboBoxT<ATL::CWindow> CComboBox;

// ---------------------------------------------------------------------------------------------------------

class CImageList
{
public:
    HIMAGELIST m_hImageList;

    CImageList(HIMAGELIST hImageList = NULL) : m_hImageList(hImageList) {}
    CImageList& operator=(HIMAGELIST hImageList)
    {
        m_hImageList = hImageList;
        return *this;
    }
    operator HIMAGELIST() const { return m_hImageList; }
    bool IsNull() const { return m_hImageList == NULL; }
    void Attach(HIMAGELIST hImageList) { m_hImageList = hImageList; }
    HIMAGELIST Detach()
    {
        HIMAGELIST h = m_hImageList;
        m_hImageList = NULL;
        return h;
    }

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
    {
        m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
        return m_hImageList != NULL;
    }
    BOOL Create(ATL::_U_STRINGorID bitmap, int cx, int nGrow, COLORREF crMask)
    {
        m_hImageList = ImageList_LoadImageA(ATL::AtlGetResourceInstance(), bitmap.m_lpstr, cx, nGrow, crMask,
                                            IMAGE_BITMAP, LR_CREATEDIBSECTION);
        return m_hImageList != NULL;
    }
    BOOL Destroy()
    {
        if (m_hImageList == NULL)
            return FALSE;
        BOOL bRet = ImageList_Destroy(m_hImageList);
        if (bRet)
            m_hImageList = NULL;
        return bRet;
    }
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    BOOL GetIconSize(int& cx, int& cy) const { return ImageList_GetIconSize(m_hImageList, &cx, &cy); }
    COLORREF SetBkColor(COLORREF cr) { return ImageList_SetBkColor(m_hImageList, cr); }
    int Add(HBITMAP hBitmap, HBITMAP hBitmapMask = NULL)
    {
        return ImageList_Add(m_hImageList, hBitmap, hBitmapMask);
    }
    int Add(HBITMAP hBitmap, COLORREF crMask) { return ImageList_AddMasked(m_hImageList, hBitmap, crMask); }
    int AddIcon(HICON hIcon) { return ImageList_AddIcon(m_hImageList, hIcon); }
    int ReplaceIcon(int nImage, HICON hIcon) { return ImageList_ReplaceIcon(m_hImageList, nImage, hIcon); }
    BOOL Remove(int nImage) { return ImageList_Remove(m_hImageList, nImage); }
    BOOL RemoveAll() { return ImageList_RemoveAll(m_hImageList); }
    HICON ExtractIcon(int nImage) { return ImageList_ExtractIcon(NULL, m_hImageList, nImage); }
    BOOL Draw(HDC hDC, int nImage, int x, int y, UINT nStyle)
    {
        return ImageList_Draw(m_hImageList, nImage, hDC, x, y, nStyle);
    }
    BOOL Draw(HDC hDC, int nImage, POINT pt, UINT nStyle)
    {
        return ImageList_Draw(m_hImageList, nImage, hDC, pt.x, pt.y, nStyle);
    }
    BOOL DrawEx(int nImage, HDC hDC, int x, int y, int dx, int dy, COLORREF rgbBk, COLORREF rgbFg,
                UINT fStyle)
    {
        return ImageList_DrawEx(m_hImageList, nImage, hDC, x, y, dx, dy, rgbBk, rgbFg, fStyle);
    }
    BOOL BeginDrag(int nImage, int xHotSpot, int yHotSpot)
    {
        return ImageList_BeginDrag(m_hImageList, nImage, xHotSpot, yHotSpot);
    }
    static void EndDrag() { ImageList_EndDrag(); }
    static BOOL DragEnter(HWND hWndLock, int x, int y) { return ImageList_DragEnter(hWndLock, x, y); }
    static BOOL DragLeave(HWND hWndLock) { return ImageList_DragLeave(hWndLock); }
    static BOOL DragMove(int x, int y) { return ImageList_DragMove(x, y); }
    static BOOL DragShowNolock(BOOL bShow) { return ImageList_DragShowNolock(bShow); }
};

// ---------------------------------------------------------------------------------------------------------

template <class TBase>
class CListViewCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CListViewCtrlT, WC_LISTVIEWA)
    int GetItemCount() const { return (int)this->SendMessage(LVM_GETITEMCOUNT); }
    BOOL SetItemCount(int nItems) { return (BOOL)this->SendMessage(LVM_SETITEMCOUNT, nItems); }
    BOOL SetItemCountEx(int nItems, DWORD dwFlags)
    {
        return (BOOL)this->SendMessage(LVM_SETITEMCOUNT, nItems, dwFlags);
    }
    BOOL GetItem(LPLVITEMA pItem) const { return (BOOL)this->SendMessage(LVM_GETITEMA, 0, (LPARAM)pItem); }
    BOOL SetItem(const LVITEMA* pItem) { return (BOOL)this->SendMessage(LVM_SETITEMA, 0, (LPARAM)pItem); }
    int InsertItem(const LVITEMA* pItem) { return (int)this->SendMessage(LVM_INSERTITEMA, 0, (LPARAM)pItem); }
    int InsertItem(int nItem, LPCSTR lpszItem)
    {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = nItem;
        item.pszText = (LPSTR)lpszItem;
        return InsertItem(&item);
    }
    int InsertItem(int nItem, LPCSTR lpszItem, int nImage)
    {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = nItem;
        item.pszText = (LPSTR)lpszItem;
        item.iImage = nImage;
        return InsertItem(&item);
    }
    int InsertItem(UINT nMask, int nItem, LPCSTR lpszItem, UINT nState, UINT nStateMask, int nImage,
                   LPARAM lParam)
    {
        LVITEMA item = {};
        item.mask = nMask;
        item.iItem = nItem;
        item.state = nState;
        item.stateMask = nStateMask;
        item.pszText = (LPSTR)lpszItem;
        item.iImage = nImage;
        item.lParam = lParam;
        return InsertItem(&item);
    }
    BOOL DeleteItem(int nItem) { return (BOOL)this->SendMessage(LVM_DELETEITEM, nItem); }
    BOOL DeleteAllItems() { return (BOOL)this->SendMessage(LVM_DELETEALLITEMS); }
    int GetItemText(int nItem, int nSubItem, LPSTR lpszText, int nLen) const
    {
        LVITEMA item = {};
        item.iSubItem = nSubItem;
        item.pszText = lpszText;
        item.cchTextMax = nLen;
        return (int)this->SendMessage(LVM_GETITEMTEXTA, nItem, (LPARAM)&item);
    }
    BOOL GetItemText(int nItem, int nSubItem, CString& strText) const
    {
        // The control cuts silently at the buffer size, so grow until the text fits.
        for (int nLen = 256;; nLen *= 2)
        {
            char* p = strText.GetBufferSetLength(nLen);
            int nRes = GetItemText(nItem, nSubItem, p, nLen);
            if (nRes < nLen - 1 || nLen >= 1024 * 1024)
            {
                strText.ReleaseBuffer(nRes);
                return TRUE;
            }
        }
    }
    BOOL SetItemText(int nItem, int nSubItem, LPCSTR lpszText)
    {
        LVITEMA item = {};
        item.iSubItem = nSubItem;
        item.pszText = (LPSTR)lpszText;
        return (BOOL)this->SendMessage(LVM_SETITEMTEXTA, nItem, (LPARAM)&item);
    }
    DWORD_PTR GetItemData(int nItem) const
    {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = nItem;
        GetItem(&item);
        return (DWORD_PTR)item.lParam;
    }
    BOOL SetItemData(int nItem, DWORD_PTR dwData)
    {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = nItem;
        item.lParam = (LPARAM)dwData;
        return SetItem(&item);
    }
    UINT GetItemState(int nItem, UINT nMask) const
    {
        return (UINT)this->SendMessage(LVM_GETITEMSTATE, nItem, nMask);
    }
    BOOL SetItemState(int nItem, UINT nState, UINT nStateMask)
    {
        LVITEMA item = {};
        item.state = nState;
        item.stateMask = nStateMask;
        return (BOOL)this->SendMessage(LVM_SETITEMSTATE, nItem, (LPARAM)&item);
    }
    BOOL SelectItem(int nIndex)
    {
        if (!SetItemState(nIndex, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED))
            return FALSE;
        return EnsureVisible(nIndex, FALSE);
    }
    int GetNextItem(int nItem, int nFlags) const
    {
        return (int)this->SendMessage(LVM_GETNEXTITEM, nItem, MAKELPARAM(nFlags, 0));
    }
    int GetSelectedIndex() const { return GetNextItem(-1, LVNI_ALL | LVNI_SELECTED); }
    UINT GetSelectedCount() const { return (UINT)this->SendMessage(LVM_GETSELECTEDCOUNT); }
    int FindItem(LVFINDINFOA* pFindInfo, int nStart = -1) const
    {
        return (int)this->SendMessage(LVM_FINDITEMA, nStart, (LPARAM)pFindInfo);
    }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK)
    {
        return (BOOL)this->SendMessage(LVM_ENSUREVISIBLE, nItem, MAKELPARAM(bPartialOK, 0));
    }
    BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const
    {
        lpRect->left = nCode;
        return (BOOL)this->SendMessage(LVM_GETITEMRECT, nItem, (LPARAM)lpRect);
    }
    int HitTest(LVHITTESTINFO* pHitTestInfo) const
    {
        return (int)this->SendMessage(LVM_HITTEST, 0, (LPARAM)pHitTestInfo);
    }
    int HitTest(POINT pt, UINT* pFlags) const
    {
        LVHITTESTINFO hti = {};
        hti.pt = pt;
        int nRes = HitTest(&hti);
        if (pFlags != NULL)
            *pFlags = hti.flags;
        return nRes;
    }
    int InsertColumn(int nCol, const LVCOLUMNA* pColumn)
    {
        return (int)this->SendMessage(LVM_INSERTCOLUMNA, nCol, (LPARAM)pColumn);
    }
    int InsertColumn(int nCol, LPCSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                     int nSubItem = -1)
    {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.pszText = (LPSTR)lpszColumnHeading;
        column.fmt = nFormat;
        if (nWidth != -1)
        {
            column.mask |= LVCF_WIDTH;
            column.cx = nWidth;
        }
        if (nSubItem != -1)
        {
            column.mask |= LVCF_SUBITEM;
            column.iSubItem = nSubItem;
        }
        return InsertColumn(nCol, &column);
    }
    BOOL DeleteColumn(int nCol) { return (BOOL)this->SendMessage(LVM_DELETECOLUMN, nCol); }
    BOOL GetColumn(int nCol, LVCOLUMNA* pColumn) const
    {
        return (BOOL)this->SendMessage(LVM_GETCOLUMNA, nCol, (LPARAM)pColumn);
    }
    BOOL SetColumn(int nCol, const LVCOLUMNA* pColumn)
    {
        return (BOOL)this->SendMessage(LVM_SETCOLUMNA, nCol, (LPARAM)pColumn);
    }
    int GetColumnWidth(int nCol) const { return (int)this->SendMessage(LVM_GETCOLUMNWIDTH, nCol); }
    BOOL SetColumnWidth(int nCol, int cx)
    {
        return (BOOL)this->SendMessage(LVM_SETCOLUMNWIDTH, nCol, MAKELPARAM(cx, 0));
    }
    HWND GetHeader() const { return (HWND)this->SendMessage(LVM_GETHEADER); }
    DWORD GetExtendedListViewStyle() const { return (DWORD)this->SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE); }
    DWORD SetExtendedListViewStyle(DWORD dwExStyle, DWORD dwExMask = 0)
    {
        return (DWORD)this->SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, dwExMask, dwExStyle);
    }
    HIMAGELIST SetImageList(HIMAGELIST hImageList, int nImageListType)
    {
        return (HIMAGELIST)this->SendMessage(LVM_SETIMAGELIST, nImageListType, (LPARAM)hImageList);
    }
    HIMAGELIST GetImageList(int nImageListType) const
    {
        return (HIMAGELIST)this->SendMessage(LVM_GETIMAGELIST, nImageListType);
    }
    BOOL SortItems(PFNLVCOMPARE pfnCompare, LPARAM lParamSort)
    {
        return (BOOL)this->SendMessage(LVM_SORTITEMS, (WPARAM)lParamSort, (LPARAM)pfnCompare);
    }
    BOOL RedrawItems(int nFirst, int nLast)
    {
        return (BOOL)this->SendMessage(LVM_REDRAWITEMS, nFirst, nLast);
    }
    BOOL Update(int nItem) { return (BOOL)this->SendMessage(LVM_UPDATE, nItem); }
    int GetTopIndex() const { return (int)this->SendMessage(LVM_GETTOPINDEX); }
    int GetCountPerPage() const { return (int)this->SendMessage(LVM_GETCOUNTPERPAGE); }
    HWND EditLabel(int nItem) { return (HWND)this->SendMessage(LVM_EDITLABELA, nItem); }
    COLORREF SetBkColor(COLORREF cr) { return (COLORREF)this->SendMessage(LVM_SETBKCOLOR, 0, cr); }
    COLORREF SetTextColor(COLORREF cr) { return (COLORREF)this->SendMessage(LVM_SETTEXTCOLOR, 0, cr); }
    COLORREF SetTextBkColor(COLORREF cr) { return (COLORREF)this->SendMessage(LVM_SETTEXTBKCOLOR, 0, cr); }
};
typedef CListViewCtrlT<ATL::CWindow> CListViewCtrl;

template <class TBase>
class CTreeViewCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CTreeViewCtrlT, WC_TREEVIEWA)
    UINT GetCount() const { return (UINT)this->SendMessage(TVM_GETCOUNT); }
    HTREEITEM InsertItem(LPTVINSERTSTRUCTA lpInsertStruct)
    {
        return (HTREEITEM)this->SendMessage(TVM_INSERTITEMA, 0, (LPARAM)lpInsertStruct);
    }
    HTREEITEM InsertItem(LPCSTR lpszItem, HTREEITEM hParent, HTREEITEM hInsertAfter)
    {
        return InsertItem(TVIF_TEXT, lpszItem, 0, 0, 0, 0, 0, hParent, hInsertAfter);
    }
    HTREEITEM InsertItem(LPCSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent,
                         HTREEITEM hInsertAfter)
    {
        return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, lpszItem, nImage, nSelectedImage, 0, 0,
                          0, hParent, hInsertAfter);
    }
    HTREEITEM InsertItem(UINT nMask, LPCSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                         UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter)
    {
        TVINSERTSTRUCTA tvis = {};
        tvis.hParent = hParent;
        tvis.hInsertAfter = hInsertAfter;
        tvis.item.mask = nMask;
        tvis.item.pszText = (LPSTR)lpszItem;
        tvis.item.iImage = nImage;
        tvis.item.iSelectedImage = nSelectedImage;
        tvis.item.state = nState;
        tvis.item.stateMask = nStateMask;
        tvis.item.lParam = lParam;
        return InsertItem(&tvis);
    }
    BOOL DeleteItem(HTREEITEM hItem) { return (BOOL)this->SendMessage(TVM_DELETEITEM, 0, (LPARAM)hItem); }
    BOOL DeleteAllItems() { return (BOOL)this->SendMessage(TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT); }
    BOOL Expand(HTREEITEM hItem, UINT nCode = TVE_EXPAND)
    {
        return (BOOL)this->SendMessage(TVM_EXPAND, nCode, (LPARAM)hItem);
    }
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const
    {
        return (HTREEITEM)this->SendMessage(TVM_GETNEXTITEM, nCode, (LPARAM)hItem);
    }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PREVIOUS); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetRootItem() const { return GetNextItem(NULL, TVGN_ROOT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(NULL, TVGN_CARET); }
    HTREEITEM GetDropHilightItem() const { return GetNextItem(NULL, TVGN_DROPHILITE); }
    BOOL SelectItem(HTREEITEM hItem)
    {
        return (BOOL)this->SendMessage(TVM_SELECTITEM, TVGN_CARET, (LPARAM)hItem);
    }
    BOOL SelectDropTarget(HTREEITEM hItem)
    {
        return (BOOL)this->SendMessage(TVM_SELECTITEM, TVGN_DROPHILITE, (LPARAM)hItem);
    }
    BOOL EnsureVisible(HTREEITEM hItem)
    {
        return (BOOL)this->SendMessage(TVM_ENSUREVISIBLE, 0, (LPARAM)hItem);
    }
    BOOL GetItem(LPTVITEMA pItem) const { return (BOOL)this->SendMessage(TVM_GETITEMA, 0, (LPARAM)pItem); }
    BOOL SetItem(LPTVITEMA pItem) { return (BOOL)this->SendMessage(TVM_SETITEMA, 0, (LPARAM)pItem); }
    BOOL GetItemText(HTREEITEM hItem, LPSTR lpstrText, int nLen) const
    {
        TVITEMA item = {};
        item.hItem = hItem;
        item.mask = TVIF_TEXT;
        item.pszText = lpstrText;
        item.cchTextMax = nLen;
        return GetItem(&item);
    }
    BOOL GetItemText(HTREEITEM hItem, CString& strText) const
    {
        char sz[1024] = "";
        BOOL bRet = GetItemText(hItem, sz, sizeof(sz));
        strText = sz;
        return bRet;
    }
    BOOL SetItemText(HTREEITEM hItem, LPCSTR lpszItem)
    {
        TVITEMA item = {};
        item.hItem = hItem;
        item.mask = TVIF_TEXT;
        item.pszText = (LPSTR)lpszItem;
        return SetItem(&item);
    }
    DWORD_PTR GetItemData(HTREEITEM hItem) const
    {
        TVITEMA item = {};
        item.hItem = hItem;
        item.mask = TVIF_PARAM;
        GetItem(&item);
        return (DWORD_PTR)item.lParam;
    }
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData)
    {
        TVITEMA item = {};
        item.hItem = hItem;
        item.mask = TVIF_PARAM;
        item.lParam = (LPARAM)dwData;
        return SetItem(&item);
    }
    BOOL SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage)
    {
        TVITEMA item = {};
        item.hItem = hItem;
        item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.iImage = nImage;
        item.iSelectedImage = nSelectedImage;
        return SetItem(&item);
    }
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const
    {
        return (UINT)this->SendMessage(TVM_GETITEMSTATE, (WPARAM)hItem, nStateMask);
    }
    BOOL SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask)
    {
        TVITEMA item = {};
        item.hItem = hItem;
        item.mask = TVIF_STATE;
        item.state = nState;
        item.stateMask = nStateMask;
        return SetItem(&item);
    }
    BOOL ItemHasChildren(HTREEITEM hItem) const
    {
        TVITEMA item = {};
        item.hItem = hItem;
        item.mask = TVIF_CHILDREN;
        GetItem(&item);
        return item.cChildren;
    }
    BOOL GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const
    {
        *(HTREEITEM*)lpRect = hItem;
        return (BOOL)this->SendMessage(TVM_GETITEMRECT, (WPARAM)bTextOnly, (LPARAM)lpRect);
    }
    HTREEITEM HitTest(TVHITTESTINFO* pHitTestInfo) const
    {
        return (HTREEITEM)this->SendMessage(TVM_HITTEST, 0, (LPARAM)pHitTestInfo);
    }
    HTREEITEM HitTest(POINT pt, UINT* pFlags) const
    {
        TVHITTESTINFO hti = {};
        hti.pt = pt;
        HTREEITEM hItem = HitTest(&hti);
        if (pFlags != NULL)
            *pFlags = hti.flags;
        return hItem;
    }
    HIMAGELIST SetImageList(HIMAGELIST hImageList, int nImageListType = TVSIL_NORMAL)
    {
        return (HIMAGELIST)this->SendMessage(TVM_SETIMAGELIST, nImageListType, (LPARAM)hImageList);
    }
    HIMAGELIST CreateDragImage(HTREEITEM hItem)
    {
        return (HIMAGELIST)this->SendMessage(TVM_CREATEDRAGIMAGE, 0, (LPARAM)hItem);
    }
    HWND EditLabel(HTREEITEM hItem) { return (HWND)this->SendMessage(TVM_EDITLABELA, 0, (LPARAM)hItem); }
    BOOL SortChildren(HTREEITEM hItem, BOOL bRecurse = FALSE)
    {
        return (BOOL)this->SendMessage(TVM_SORTCHILDREN, bRecurse, (LPARAM)hItem);
    }
    BOOL SortChildrenCB(LPTVSORTCB pSort, BOOL bRecurse = FALSE)
    {
        return (BOOL)this->SendMessage(TVM_SORTCHILDRENCB, bRecurse, (LPARAM)pSort);
    }
};
typedef CTreeViewCtrlT<ATL::CWindow> CTreeViewCtrl;

template <class TBase>
class CToolBarCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CToolBarCtrlT, TOOLBARCLASSNAMEA)
    BOOL EnableButton(int nID, BOOL bEnable = TRUE)
    {
        return (BOOL)this->SendMessage(TB_ENABLEBUTTON, nID, MAKELPARAM(bEnable, 0));
    }
    BOOL CheckButton(int nID, BOOL bCheck = TRUE)
    {
        return (BOOL)this->SendMessage(TB_CHECKBUTTON, nID, MAKELPARAM(bCheck, 0));
    }
    BOOL PressButton(int nID, BOOL bPress = TRUE)
    {
        return (BOOL)this->SendMessage(TB_PRESSBUTTON, nID, MAKELPARAM(bPress, 0));
    }
    BOOL HideButton(int nID, BOOL bHide = TRUE)
    {
        return (BOOL)this->SendMessage(TB_HIDEBUTTON, nID, MAKELPARAM(bHide, 0));
    }
    BOOL IsButtonEnabled(int nID) const { return (BOOL)this->SendMessage(TB_ISBUTTONENABLED, nID); }
    BOOL IsButtonChecked(int nID) const { return (BOOL)this->SendMessage(TB_ISBUTTONCHECKED, nID); }
    BOOL IsButtonHidden(int nID) const { return (BOOL)this->SendMessage(TB_ISBUTTONHIDDEN, nID); }
    int GetState(int nID) const { return (int)this->SendMessage(TB_GETSTATE, nID); }
    BOOL SetState(int nID, UINT nState)
    {
        return (BOOL)this->SendMessage(TB_SETSTATE, nID, MAKELPARAM(nState, 0));
    }
    BOOL GetButton(int nIndex, LPTBBUTTON lpButton) const
    {
        return (BOOL)this->SendMessage(TB_GETBUTTON, nIndex, (LPARAM)lpButton);
    }
    int GetButtonCount() const { return (int)this->SendMessage(TB_BUTTONCOUNT); }
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const
    {
        return (BOOL)this->SendMessage(TB_GETITEMRECT, nIndex, (LPARAM)lpRect);
    }
    BOOL GetRect(int nID, LPRECT lpRect) const
    {
        return (BOOL)this->SendMessage(TB_GETRECT, nID, (LPARAM)lpRect);
    }
    int CommandToIndex(UINT nID) const { return (int)this->SendMessage(TB_COMMANDTOINDEX, nID); }
    void SetButtonStructSize(int nSize = sizeof(TBBUTTON)) { this->SendMessage(TB_BUTTONSTRUCTSIZE, nSize); }
    BOOL SetButtonSize(int cx, int cy)
    {
        return (BOOL)this->SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(cx, cy));
    }
    BOOL SetBitmapSize(int cx, int cy)
    {
        return (BOOL)this->SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(cx, cy));
    }
    BOOL AddButtons(int nNumButtons, LPCTBBUTTON lpButtons)
    {
        return (BOOL)this->SendMessage(TB_ADDBUTTONSA, nNumButtons, (LPARAM)lpButtons);
    }
    BOOL InsertButton(int nIndex, LPCTBBUTTON lpButton)
    {
        return (BOOL)this->SendMessage(TB_INSERTBUTTONA, nIndex, (LPARAM)lpButton);
    }
    BOOL DeleteButton(int nIndex) { return (BOOL)this->SendMessage(TB_DELETEBUTTON, nIndex); }
    int AddBitmap(int nNumButtons, UINT nBitmapID)
    {
        TBADDBITMAP tbab = {ATL::AtlGetResourceInstance(), nBitmapID};
        return (int)this->SendMessage(TB_ADDBITMAP, (WPARAM)nNumButtons, (LPARAM)&tbab);
    }
    int AddBitmap(int nNumButtons, HBITMAP hBitmap)
    {
        TBADDBITMAP tbab = {NULL, (UINT_PTR)hBitmap};
        return (int)this->SendMessage(TB_ADDBITMAP, (WPARAM)nNumButtons, (LPARAM)&tbab);
    }
    BOOL GetButtonInfo(int nID, LPTBBUTTONINFOA lptbbi) const
    {
        return (BOOL)this->SendMessage(TB_GETBUTTONINFOA, nID, (LPARAM)lptbbi);
    }
    BOOL SetButtonInfo(int nID, LPTBBUTTONINFOA lptbbi)
    {
        return (BOOL)this->SendMessage(TB_SETBUTTONINFOA, nID, (LPARAM)lptbbi);
    }
    HIMAGELIST SetImageList(HIMAGELIST hImageList, int nIndex = 0)
    {
        return (HIMAGELIST)this->SendMessage(TB_SETIMAGELIST, nIndex, (LPARAM)hImageList);
    }
    HIMAGELIST GetImageList(int nIndex = 0) const
    {
        return (HIMAGELIST)this->SendMessage(TB_GETIMAGELIST, nIndex);
    }
    HIMAGELIST SetDisabledImageList(HIMAGELIST hImageList)
    {
        return (HIMAGELIST)this->SendMessage(TB_SETDISABLEDIMAGELIST, 0, (LPARAM)hImageList);
    }
    HIMAGELIST SetHotImageList(HIMAGELIST hImageList)
    {
        return (HIMAGELIST)this->SendMessage(TB_SETHOTIMAGELIST, 0, (LPARAM)hImageList);
    }
    DWORD SetExtendedStyle(DWORD dwStyle)
    {
        return (DWORD)this->SendMessage(TB_SETEXTENDEDSTYLE, 0, dwStyle);
    }
    DWORD GetExtendedStyle() const { return (DWORD)this->SendMessage(TB_GETEXTENDEDSTYLE); }
    HWND GetToolTips() const { return (HWND)this->SendMessage(TB_GETTOOLTIPS); }
    void AutoSize() { this->SendMessage(TB_AUTOSIZE); }
    DWORD GetButtonSize() const { return (DWORD)this->SendMessage(TB_GETBUTTONSIZE); }
    int GetRows() const { return (int)this->SendMessage(TB_GETROWS); }
    BOOL GetMaxSize(LPSIZE lpSize) const { return (BOOL)this->SendMessage(TB_GETMAXSIZE, 0, (LPARAM)lpSize); }
    int GetHotItem() const { return (int)this->SendMessage(TB_GETHOTITEM); }
    int SetHotItem(int nItem) { return (int)this->SendMessage(TB_SETHOTITEM, nItem); }
};
typedef CToolBarCtrlT<ATL::CWindow> CToolBarCtrl;

template <class TBase>
class CReBarCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CReBarCtrlT, REBARCLASSNAMEA)
    UINT GetBandCount() const { return (UINT)this->SendMessage(RB_GETBANDCOUNT); }
    BOOL GetBandInfo(int nBand, LPREBARBANDINFOA lprbbi) const
    {
        return (BOOL)this->SendMessage(RB_GETBANDINFOA, nBand, (LPARAM)lprbbi);
    }
    BOOL SetBandInfo(int nBand, LPREBARBANDINFOA lprbbi)
    {
        return (BOOL)this->SendMessage(RB_SETBANDINFOA, nBand, (LPARAM)lprbbi);
    }
    BOOL InsertBand(int nBand, LPREBARBANDINFOA lprbbi)
    {
        return (BOOL)this->SendMessage(RB_INSERTBANDA, nBand, (LPARAM)lprbbi);
    }
    BOOL DeleteBand(int nBand) { return (BOOL)this->SendMessage(RB_DELETEBAND, nBand); }
    int IdToIndex(UINT uBandID) const { return (int)this->SendMessage(RB_IDTOINDEX, uBandID); }
    BOOL ShowBand(int nBand, BOOL bShow) { return (BOOL)this->SendMessage(RB_SHOWBAND, nBand, bShow); }
    BOOL MaximizeBand(int nBand) { return (BOOL)this->SendMessage(RB_MAXIMIZEBAND, nBand); }
    UINT GetBarHeight() const { return (UINT)this->SendMessage(RB_GETBARHEIGHT); }
    UINT GetRowCount() const { return (UINT)this->SendMessage(RB_GETROWCOUNT); }
    BOOL GetRect(int nBand, LPRECT lpRect) const
    {
        return (BOOL)this->SendMessage(RB_GETRECT, nBand, (LPARAM)lpRect);
    }
    void LockBands(bool bLock)
    {
        int nCount = (int)GetBandCount();
        for (int i = 0; i < nCount; i++)
        {
            REBARBANDINFOA rbbi = {sizeof(REBARBANDINFOA)};
            rbbi.fMask = RBBIM_STYLE;
            GetBandInfo(i, &rbbi);
            rbbi.fStyle = bLock ? (rbbi.fStyle | RBBS_NOGRIPPER) : (rbbi.fStyle & ~RBBS_NOGRIPPER);
            SetBandInfo(i, &rbbi);
        }
    }
};
typedef CReBarCtrlT<ATL::CWindow> CReBarCtrl;

template <class TBase>
class CStatusBarCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CStatusBarCtrlT, STATUSCLASSNAMEA)
    int GetParts(int nParts, int* pParts) const
    {
        return (int)this->SendMessage(SB_GETPARTS, nParts, (LPARAM)pParts);
    }
    BOOL SetParts(int nParts, int* pWidths)
    {
        return (BOOL)this->SendMessage(SB_SETPARTS, nParts, (LPARAM)pWidths);
    }
    int GetTextLength(int nPane, int* pType = NULL) const
    {
        DWORD dwRet = (DWORD)this->SendMessage(SB_GETTEXTLENGTHA, nPane);
        if (pType != NULL)
            *pType = (int)(short)HIWORD(dwRet);
        return (int)(short)LOWORD(dwRet);
    }
    int GetText(int nPane, LPSTR lpszText, int* pType = NULL) const
    {
        DWORD dwRet = (DWORD)this->SendMessage(SB_GETTEXTA, nPane, (LPARAM)lpszText);
        if (pType != NULL)
            *pType = (int)(short)HIWORD(dwRet);
        return (int)(short)LOWORD(dwRet);
    }
    BOOL GetText(int nPane, CString& strText, int* pType = NULL) const
    {
        int nLength = GetTextLength(nPane, pType);
        char* p = strText.GetBufferSetLength(nLength + 1);
        p[0] = 0;
        GetText(nPane, p, pType);
        strText.ReleaseBuffer(-1);
        return TRUE;
    }
    BOOL SetText(int nPane, LPCSTR lpszText, int nType = 0)
    {
        return (BOOL)this->SendMessage(SB_SETTEXTA, (nPane & 0xFF) | nType, (LPARAM)lpszText);
    }
    BOOL GetRect(int nPane, LPRECT lpRect) const
    {
        return (BOOL)this->SendMessage(SB_GETRECT, nPane, (LPARAM)lpRect);
    }
    BOOL IsSimple() const { return (BOOL)this->SendMessage(SB_ISSIMPLE); }
    BOOL SetSimple(BOOL bSimple = TRUE) { return (BOOL)this->SendMessage(SB_SIMPLE, bSimple); }
    void SetMinHeight(int nMin) { this->SendMessage(SB_SETMINHEIGHT, nMin); }
    BOOL SetIcon(int nPane, HICON hIcon) { return (BOOL)this->SendMessage(SB_SETICON, nPane, (LPARAM)hIcon); }
};
typedef CStatusBarCtrlT<ATL::CWindow> CStatusBarCtrl;

template <class TBase>
class CToolTipCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CToolTipCtrlT, TOOLTIPS_CLASSA)
    BOOL AddTool(LPTOOLINFOA lpToolInfo)
    {
        return (BOOL)this->SendMessage(TTM_ADDTOOLA, 0, (LPARAM)lpToolInfo);
    }
    void DelTool(LPTOOLINFOA lpToolInfo) { this->SendMessage(TTM_DELTOOLA, 0, (LPARAM)lpToolInfo); }
    void Activate(BOOL bActivate) { this->SendMessage(TTM_ACTIVATE, bActivate); }
    void RelayEvent(LPMSG lpMsg) { this->SendMessage(TTM_RELAYEVENT, 0, (LPARAM)lpMsg); }
    void UpdateTipText(LPTOOLINFOA lpToolInfo)
    {
        this->SendMessage(TTM_UPDATETIPTEXTA, 0, (LPARAM)lpToolInfo);
    }
    int SetMaxTipWidth(int nWidth) { return (int)this->SendMessage(TTM_SETMAXTIPWIDTH, 0, nWidth); }
};
typedef CToolTipCtrlT<ATL::CWindow> CToolTipCtrl;

template <class TBase>
class CProgressBarCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CProgressBarCtrlT, PROGRESS_CLASSA)
    DWORD SetRange(int nLower, int nUpper)
    {
        return (DWORD)this->SendMessage(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
    }
    int SetRange32(int nMin, int nMax) { return (int)this->SendMessage(PBM_SETRANGE32, nMin, nMax); }
    int SetPos(int nPos) { return (int)(short)LOWORD(this->SendMessage(PBM_SETPOS, nPos)); }
    int GetPos() const { return (int)this->SendMessage(PBM_GETPOS); }
    int OffsetPos(int nPos) { return (int)(short)LOWORD(this->SendMessage(PBM_DELTAPOS, nPos)); }
    int SetStep(int nStep) { return (int)(short)LOWORD(this->SendMessage(PBM_SETSTEP, nStep)); }
    int StepIt() { return (int)(short)LOWORD(this->SendMessage(PBM_STEPIT)); }
};
typedef CProgressBarCtrlT<ATL::CWindow> CProgressBarCtrl;

template <class TBase>
class CTabCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CTabCtrlT, WC_TABCONTROLA)
    int GetItemCount() const { return (int)this->SendMessage(TCM_GETITEMCOUNT); }
    int InsertItem(int nItem, LPCSTR lpszItem)
    {
        TCITEMA tci = {};
        tci.mask = TCIF_TEXT;
        tci.pszText = (LPSTR)lpszItem;
        return (int)this->SendMessage(TCM_INSERTITEMA, nItem, (LPARAM)&tci);
    }
    BOOL DeleteItem(int nItem) { return (BOOL)this->SendMessage(TCM_DELETEITEM, nItem); }
    BOOL DeleteAllItems() { return (BOOL)this->SendMessage(TCM_DELETEALLITEMS); }
    int GetCurSel() const { return (int)this->SendMessage(TCM_GETCURSEL); }
    int SetCurSel(int nItem) { return (int)this->SendMessage(TCM_SETCURSEL, nItem); }
    void AdjustRect(BOOL bLarger, LPRECT lpRect)
    {
        this->SendMessage(TCM_ADJUSTRECT, bLarger, (LPARAM)lpRect);
    }
};
typedef CTabCtrlT<ATL::CWindow> CTabCtrl;

template <class TBase>
class CUpDownCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CUpDownCtrlT, UPDOWN_CLASSA)
    HWND SetBuddy(HWND hWndBuddy) { return (HWND)this->SendMessage(UDM_SETBUDDY, (WPARAM)hWndBuddy); }
    void SetRange(int nLower, int nUpper) { this->SendMessage(UDM_SETRANGE, 0, MAKELPARAM(nUpper, nLower)); }
    void SetRange32(int nLower, int nUpper) { this->SendMessage(UDM_SETRANGE32, nLower, nUpper); }
    int SetPos(int nPos) { return (int)(short)LOWORD(this->SendMessage(UDM_SETPOS, 0, MAKELPARAM(nPos, 0))); }
    int GetPos() const { return (int)(short)LOWORD(this->SendMessage(UDM_GETPOS)); }
};
typedef CUpDownCtrlT<ATL::CWindow> CUpDownCtrl;

template <class TBase>
class CAnimateCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CAnimateCtrlT, ANIMATE_CLASSA)
    BOOL Open(ATL::_U_STRINGorID FileName)
    {
        return (BOOL)this->SendMessage(ACM_OPENA, (WPARAM)ATL::AtlGetResourceInstance(),
                                       (LPARAM)FileName.m_lpstr);
    }
    BOOL Play(UINT nFrom, UINT nTo, UINT nRep)
    {
        return (BOOL)this->SendMessage(ACM_PLAY, nRep, MAKELPARAM(nFrom, nTo));
    }
    BOOL Stop() { return (BOOL)this->SendMessage(ACM_STOP); }
    BOOL Close() { return (BOOL)this->SendMessage(ACM_OPENA); }
};
typedef CAnimateCtrlT<ATL::CWindow> CAnimateCtrl;

template <class TBase>
class CHeaderCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CHeaderCtrlT, WC_HEADERA)
    int GetItemCount() const { return (int)this->SendMessage(HDM_GETITEMCOUNT); }
    BOOL GetItem(int nIndex, LPHDITEMA pHeaderItem) const
    {
        return (BOOL)this->SendMessage(HDM_GETITEMA, nIndex, (LPARAM)pHeaderItem);
    }
    BOOL SetItem(int nIndex, LPHDITEMA pHeaderItem)
    {
        return (BOOL)this->SendMessage(HDM_SETITEMA, nIndex, (LPARAM)pHeaderItem);
    }
};
typedef CHeaderCtrlT<ATL::CWindow> CHeaderCtrl;

template <class TBase>
class CDateTimePickerCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CDateTimePickerCtrlT, DATETIMEPICK_CLASSA)
    BOOL SetFormat(LPCSTR lpszFormat)
    {
        return (BOOL)this->SendMessage(DTM_SETFORMATA, 0, (LPARAM)lpszFormat);
    }
    DWORD GetSystemTime(LPSYSTEMTIME lpSysTime) const
    {
        return (DWORD)this->SendMessage(DTM_GETSYSTEMTIME, 0, (LPARAM)lpSysTime);
    }
    BOOL SetSystemTime(DWORD dwFlags, LPSYSTEMTIME lpSysTime)
    {
        return (BOOL)this->SendMessage(DTM_SETSYSTEMTIME, dwFlags, (LPARAM)lpSysTime);
    }
    DWORD GetRange(LPSYSTEMTIME lpSysTimeArray) const
    {
        return (DWORD)this->SendMessage(DTM_GETRANGE, 0, (LPARAM)lpSysTimeArray);
    }
    BOOL SetRange(DWORD dwFlags, LPSYSTEMTIME lpSysTimeArray)
    {
        return (BOOL)this->SendMessage(DTM_SETRANGE, dwFlags, (LPARAM)lpSysTimeArray);
    }
    HWND GetMonthCal() const { return (HWND)this->SendMessage(DTM_GETMONTHCAL); }
};
typedef CDateTimePickerCtrlT<ATL::CWindow> CDateTimePickerCtrl;

template <class TBase>
class CRichEditCtrlT : public TBase
{
    WTL_CONTROL_COMMON_(CRichEditCtrlT, RICHEDIT_CLASSA)
    void GetSel(CHARRANGE& cr) const { this->SendMessage(EM_EXGETSEL, 0, (LPARAM)&cr); }
    int SetSel(long nStartChar, long nEndChar)
    {
        CHARRANGE cr = {nStartChar, nEndChar};
        return (int)this->SendMessage(EM_EXSETSEL, 0, (LPARAM)&cr);
    }
    void ReplaceSel(LPCSTR lpszNewText, BOOL bCanUndo = FALSE)
    {
        this->SendMessage(EM_REPLACESEL, (WPARAM)bCanUndo, (LPARAM)lpszNewText);
    }
    WORD GetSelectionType() const { return (WORD)this->SendMessage(EM_SELECTIONTYPE); }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) { return (BOOL)this->SendMessage(EM_SETREADONLY, bReadOnly); }
    COLORREF SetBackgroundColor(COLORREF cr) { return (COLORREF)this->SendMessage(EM_SETBKGNDCOLOR, 0, cr); }
    DWORD SetEventMask(DWORD dwEventMask)
    {
        return (DWORD)this->SendMessage(EM_SETEVENTMASK, 0, dwEventMask);
    }
    BOOL SetDefaultCharFormat(CHARFORMATA& cf)
    {
        return (BOOL)this->SendMessage(EM_SETCHARFORMAT, 0, (LPARAM)&cf);
    }
    BOOL SetSelectionCharFormat(CHARFORMATA& cf)
    {
        return (BOOL)this->SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
    }
    void LimitText(long nChars = 0) { this->SendMessage(EM_EXLIMITTEXT, 0, nChars); }
    BOOL CanUndo() const { return (BOOL)this->SendMessage(EM_CANUNDO); }
    BOOL CanRedo() const { return (BOOL)this->SendMessage(EM_CANREDO); }
    BOOL CanPaste(UINT nFormat = 0) const { return (BOOL)this->SendMessage(EM_CANPASTE, nFormat); }
};
typedef CRichEditCtrlT<ATL::CWindow> CRichEditCtrl;

#undef WTL_CONTROL_COMMON_

} // namespace WTL

#ifndef _WTL_NO_AUTOMATIC_NAMESPACE
using namespace WTL;
#endif
