// The preview's attachment toolbar and its owner-drawn attachment menu.
#include "ui/main/AttachmentToolbar.h"

#include <shellapi.h>

#include <algorithm>

#include <atlbase.h>

#include "foundation/WindowMessages.h"

CAttachmentToolbar* CAttachmentToolbar::s_pFilling = NULL;

namespace
{
struct CToolBarData
{
    WORD wVersion;
    WORD wWidth;
    WORD wHeight;
    WORD wItemCount;
    WORD* Items() { return (WORD*)(this + 1); }
};

const int kSeparatorWidth = 8;
} // namespace

CAttachmentToolbar::CAttachmentToolbar() = default;

CAttachmentToolbar::~CAttachmentToolbar()
{
    Destroy();
}

bool CAttachmentToolbar::Create(HWND hWndParent, HWND hWndFrame)
{
    m_pDatabase = NULL;
    ::SendMessageA(hWndFrame, LetrovaGetDatabase, (WPARAM)&m_pDatabase, 0);

    if (m_hImages == NULL)
        m_hImages = ImageList_Create(kImageWidth, kImageHeight, ILC_COLOR24 | ILC_MASK, 3, 0);
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    {
        if (m_hMenuFont != NULL)
            ::DeleteObject(m_hMenuFont);
        m_hMenuFont = ::CreateFontIndirectA(&metrics.lfMenuFont);
    }

    HINSTANCE hInst = ATL::AtlGetResourceInstance();
    HRSRC hRsrc = ::FindResourceA(hInst, MAKEINTRESOURCEA(IDR_ATTACHMENTS_TOOLBAR), MAKEINTRESOURCEA(241));
    HGLOBAL hGlobal = hRsrc != NULL ? ::LoadResource(hInst, hRsrc) : NULL;
    CToolBarData* pData = hGlobal != NULL ? (CToolBarData*)::LockResource(hGlobal) : NULL;
    if (pData == NULL)
        return false;
    m_nImageHeight = pData->wHeight;
    std::vector<TBBUTTON> buttons;
    int nImage = 0;
    for (int i = 0; i < pData->wItemCount; i++)
    {
        TBBUTTON button = {};
        WORD nID = pData->Items()[i];
        if (nID == 0)
        {
            button.iBitmap = kSeparatorWidth;
            button.fsStyle = BTNS_SEP;
        }
        else
        {
            button.iBitmap = nImage++;
            button.idCommand = nID;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_DROPDOWN;
        }
        buttons.push_back(button);
    }

    m_hWnd = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, NULL,
                               WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                   CCS_NORESIZE | CCS_NOMOVEY | CCS_TOP,
                               0, 0, 100, pData->wHeight + 12, hWndParent, (HMENU)(UINT_PTR)kToolbarId, hInst, NULL);
    if (m_hWnd == NULL)
        return false;
    ::SendMessageA(m_hWnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBADDBITMAP bitmap = {hInst, IDR_ATTACHMENTS_TOOLBAR};
    ::SendMessageA(m_hWnd, TB_ADDBITMAP, nImage, (LPARAM)&bitmap);
    ::SendMessageA(m_hWnd, TB_ADDBUTTONSA, buttons.size(), (LPARAM)buttons.data());
    ::SendMessageA(m_hWnd, TB_SETBITMAPSIZE, 0, MAKELONG(pData->wWidth, pData->wHeight));
    ::SendMessageA(m_hWnd, TB_SETBUTTONSIZE, 0, MAKELONG(pData->wWidth + 7, pData->wHeight + 7));

    // The list button becomes the place of the header lines, as wide as the layout makes it.
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STYLE | TBIF_SIZE | TBIF_IMAGE;
    info.fsStyle = BTNS_SEP;
    info.iImage = ::GetSystemMetrics(SM_CXVSCROLL) + 12;
    info.cx = (WORD)info.iImage;
    ::SendMessageA(m_hWnd, TB_SETBUTTONINFOA, ID_ATTACHMENT_LIST, (LPARAM)&info);
    m_host.Create(m_hWnd);
    ::SendMessageA(m_hWnd, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    ShowSaveButton(false);
    return true;
}

void CAttachmentToolbar::Destroy()
{
    if (m_host.m_hWnd != NULL && ::IsWindow(m_host.m_hWnd))
        m_host.DestroyWindow();
    m_host.m_hWnd = NULL;
    if (m_hWnd != NULL && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    m_hWnd = NULL;
    if (m_hMenu != NULL)
        ::DestroyMenu(m_hMenu);
    m_hMenu = m_hPopup = NULL;
    m_items.clear();
    if (m_hImages != NULL)
        ImageList_Destroy(m_hImages);
    m_hImages = NULL;
    if (m_hMenuFont != NULL)
        ::DeleteObject(m_hMenuFont);
    m_hMenuFont = NULL;
    if (s_pFilling == this)
        s_pFilling = NULL;
}

void CAttachmentToolbar::LayOut(int nWidth)
{
    if (m_hWnd == NULL)
        return;
    int nListWidth = nWidth;
    if (IsSaveButtonVisible())
    {
        RECT rcSave = ButtonRect(ID_SAVE_ATTACHMENTS);
        RECT rcList = ButtonRect(ID_ATTACHMENT_LIST);
        nListWidth = nWidth - (rcSave.right - rcList.right);
    }
    if (nListWidth < 0)
        nListWidth = 0;
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_SIZE | TBIF_IMAGE;
    info.cx = (WORD)nListWidth;
    info.iImage = nListWidth;
    ::SendMessageA(m_hWnd, TB_SETBUTTONINFOA, ID_ATTACHMENT_LIST, (LPARAM)&info);
    ::SetWindowPos(m_hWnd, NULL, 0, 0, nWidth, Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_host.m_hWnd != NULL)
    {
        RECT rc = ButtonRect(ID_ATTACHMENT_LIST);
        m_host.SetWindowPos(NULL, rc.left, 0, rc.right - rc.left, Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CAttachmentToolbar::ShowSaveButton(bool bShow)
{
    if (m_hWnd != NULL)
        ::SendMessageA(m_hWnd, TB_HIDEBUTTON, ID_SAVE_ATTACHMENTS, MAKELONG(!bShow, 0));
}

bool CAttachmentToolbar::IsSaveButtonVisible() const
{
    return m_hWnd != NULL && !::SendMessageA(m_hWnd, TB_ISBUTTONHIDDEN, ID_SAVE_ATTACHMENTS, 0);
}

int CAttachmentToolbar::Height() const
{
    return m_nImageHeight + 12;
}

RECT CAttachmentToolbar::ButtonRect(UINT nID) const
{
    RECT rc = {};
    if (m_hWnd != NULL)
        ::SendMessageA(m_hWnd, TB_GETRECT, nID, (LPARAM)&rc);
    return rc;
}

void CAttachmentToolbar::ResetMenu()
{
    if (m_hMenu != NULL)
        ::DestroyMenu(m_hMenu);
    m_hMenu = ::LoadMenuA(ATL::AtlGetResourceInstance(), MAKEINTRESOURCEA(IDR_ATTACHMENTS_MENU));
    m_hPopup = m_hMenu != NULL ? ::GetSubMenu(m_hMenu, 0) : NULL;
    m_items.clear();
    m_nAdded = 0;
    if (m_hImages != NULL)
        ImageList_RemoveAll(m_hImages);
}

bool CAttachmentToolbar::AddMenuItem(const char* pszFolder, const char* pszFileName)
{
    const UINT nID = ID_ATTACH_1 + m_nAdded;
    if (nID > ID_ATTACH_16 || m_hPopup == NULL)
        return false;
    CAttachmentMenuItem item;
    item.nID = nID;
    item.strFolder = pszFolder;
    item.strText = pszFileName;
    item.strFile = item.strFolder + "\\" + pszFileName;
    SHFILEINFOA info = {};
    if (::SHGetFileInfoA(item.strFile, 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) != 0 && info.hIcon != NULL)
    {
        item.nImage = ImageList_AddIcon(m_hImages, info.hIcon);
        ::DestroyIcon(info.hIcon);
    }
    m_items.push_back(item);
    m_nAdded++;
    // The item data is the item's place in the list, which outlives the menu.
    ::InsertMenuA(m_hPopup, 0, MF_BYPOSITION | MF_OWNERDRAW, nID, (LPCSTR)(UINT_PTR)m_items.size());
    return true;
}

const CAttachmentMenuItem* CAttachmentToolbar::FindItem(UINT nID) const
{
    for (const CAttachmentMenuItem& item : m_items)
        if (item.nID == nID)
            return &item;
    return NULL;
}

int CAttachmentToolbar::TextWidth(const char* pszText) const
{
    HDC hDC = ::GetDC(NULL);
    HGDIOBJ hOld = ::SelectObject(hDC, m_hMenuFont != NULL ? (HGDIOBJ)m_hMenuFont : ::GetStockObject(DEFAULT_GUI_FONT));
    RECT rc = {};
    ::DrawTextA(hDC, pszText, -1, &rc, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(NULL, hDC);
    return rc.right - rc.left;
}

void CAttachmentToolbar::MeasureItem(MEASUREITEMSTRUCT* pMeasure)
{
    if (pMeasure->CtlType != ODT_MENU || pMeasure->itemData == 0 || pMeasure->itemData > m_items.size())
        return;
    const CAttachmentMenuItem& item = m_items[pMeasure->itemData - 1];
    LOGFONTA lf = {};
    if (m_hMenuFont != NULL)
        ::GetObjectA(m_hMenuFont, sizeof(lf), &lf);
    int nFontHeight = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    pMeasure->itemHeight = std::max(nFontHeight + 8, (int)CAttachmentMenuItem::kItemHeight);
    pMeasure->itemWidth = TextWidth(item.strText) + 2 * CAttachmentMenuItem::kIconCell + 5 -
                          ::GetSystemMetrics(SM_CXMENUCHECK) + 1;
}

void CAttachmentToolbar::DrawItem(const DRAWITEMSTRUCT* pDraw)
{
    if (pDraw->CtlType != ODT_MENU)
        return;
    HDC hDC = pDraw->hDC;
    RECT rc = pDraw->rcItem;
    if (pDraw->itemData == 0 || pDraw->itemData > m_items.size())
    {
        RECT rcLine = rc;
        rcLine.top += (rc.bottom - rc.top) / 2;
        ::DrawEdge(hDC, &rcLine, EDGE_ETCHED, BF_TOP);
        return;
    }
    const CAttachmentMenuItem& item = m_items[pDraw->itemData - 1];
    const bool bSelected = (pDraw->itemState & ODS_SELECTED) != 0;
    const bool bGrayed = (pDraw->itemState & ODS_GRAYED) != 0;
    const bool bChecked = (pDraw->itemState & ODS_CHECKED) != 0;

    RECT rcIcon = {rc.left, rc.top + (rc.bottom - rc.top - CAttachmentMenuItem::kItemHeight) / 2,
                   rc.left + CAttachmentMenuItem::kIconCell, 0};
    rcIcon.bottom = rcIcon.top + CAttachmentMenuItem::kItemHeight;
    if (!bGrayed)
    {
        ::FillRect(hDC, &rcIcon, ::GetSysColorBrush(COLOR_MENU));
        if (bChecked)
            ::DrawEdge(hDC, &rcIcon, BDR_SUNKENOUTER, BF_RECT);
        else if (bSelected)
            ::DrawEdge(hDC, &rcIcon, BDR_RAISEDINNER, BF_RECT);
        if (item.nImage >= 0)
            ImageList_Draw(m_hImages, item.nImage, hDC,
                           rcIcon.left + (CAttachmentMenuItem::kIconCell - CAttachmentMenuItem::kIconWidth) / 2,
                           rcIcon.top + (CAttachmentMenuItem::kItemHeight - kImageHeight) / 2, ILD_TRANSPARENT);
    }

    RECT rcText = {rc.left + CAttachmentMenuItem::kIconCell, rc.top, rc.right, rc.bottom};
    if (pDraw->itemAction & (ODA_SELECT | ODA_DRAWENTIRE))
        ::FillRect(hDC, &rcText, ::GetSysColorBrush(bSelected ? COLOR_HIGHLIGHT : COLOR_MENU));
    rcText.left += 3;
    rcText.right -= CAttachmentMenuItem::kIconCell;

    HGDIOBJ hOld = ::SelectObject(hDC, m_hMenuFont != NULL ? (HGDIOBJ)m_hMenuFont : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(hDC, TRANSPARENT);
    CString strLeft = item.strText, strRight;
    int nTab = strLeft.Find('\t');
    if (nTab >= 0)
    {
        strRight = strLeft.Mid(nTab + 1);
        strLeft = strLeft.Left(nTab);
    }
    auto drawText = [&](RECT r) {
        ::DrawTextA(hDC, strLeft, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
        if (!strRight.IsEmpty())
            ::DrawTextA(hDC, strRight, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    };
    if (bGrayed)
    {
        RECT rcShadow = rcText;
        ::OffsetRect(&rcShadow, 1, 1);
        ::SetTextColor(hDC, ::GetSysColor(COLOR_3DHILIGHT));
        drawText(rcShadow);
        ::SetTextColor(hDC, ::GetSysColor(COLOR_GRAYTEXT));
    }
    else
        ::SetTextColor(hDC, ::GetSysColor(bSelected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    drawText(rcText);
    ::SelectObject(hDC, hOld);
}
