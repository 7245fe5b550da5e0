// The editor's formatting toolbar.
#include "ui/main/EditorToolBar.h"

#include <commctrl.h>

#include "foundation/ErrorUtil.h"
#include "foundation/FoundationUi.h"

namespace
{
const UINT kToolBarResource = 144;
const UINT kToolBarResourceType = 241;
const int kButtonPadding = 7;
const int kSeparatorWidth = 8;
const int kFontNameWidth = 150;
const int kFontSizeWidth = 50;
const int kFontSizeInset = 5;
const int kDropDownHeight = 200;
const char* const kFontSizes[] = {"8", "10", "12", "14", "18", "24", "36"};

int CALLBACK AddFontFamily(const LOGFONTA* pFont, const TEXTMETRICA*, DWORD, LPARAM lParam)
{
    HWND hWndBox = (HWND)lParam;
    if (::SendMessageA(hWndBox, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)pFont->lfFaceName) == CB_ERR)
        ::SendMessageA(hWndBox, CB_ADDSTRING, 0, (LPARAM)pFont->lfFaceName);
    return 1;
}
} // namespace

bool CEditorToolBar::ReadToolBarResource(UINT nResource, SIZE& imageSize, std::vector<WORD>& items)
{
    HMODULE hModule = GetResourceModule();
    HRSRC hResource = ::FindResourceA(hModule, MAKEINTRESOURCEA(nResource), MAKEINTRESOURCEA(kToolBarResourceType));
    if (hResource == NULL)
        return false;
    const WORD* pData = (const WORD*)::LockResource(::LoadResource(hModule, hResource));
    if (pData == NULL || ::SizeofResource(hModule, hResource) < 4 * sizeof(WORD))
        return false;
    imageSize.cx = pData[1];
    imageSize.cy = pData[2];
    WORD nCount = pData[3];
    if (::SizeofResource(hModule, hResource) < (DWORD)(4 + nCount) * sizeof(WORD))
        return false;
    items.assign(pData + 4, pData + 4 + nCount);
    return true;
}

RECT CEditorToolBar::ItemRect(WORD nCommand)
{
    RECT rc = {};
    int nIndex = (int)::SendMessageA(m_hWnd, TB_COMMANDTOINDEX, nCommand, 0);
    ::SendMessageA(m_hWnd, TB_GETITEMRECT, nIndex, (LPARAM)&rc);
    return rc;
}

HWND CEditorToolBar::Create(HWND hWndParent, UINT nID)
{
    SIZE imageSize = {};
    std::vector<WORD> items;
    if (!ReadToolBarResource(kToolBarResource, imageSize, items))
        return NULL;
    m_hWnd = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, NULL,
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_FLAT |
                                   TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE,
                               0, 0, 100, imageSize.cy + kButtonPadding + 2, hWndParent, (HMENU)(UINT_PTR)nID,
                               GetResourceModule(), NULL);
    if (m_hWnd == NULL)
        return NULL;
    ::SendMessageA(m_hWnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageA(m_hWnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(imageSize.cx, imageSize.cy));

    // Every item but a separator takes the next image of the strip, the two boxes' places included.
    std::vector<TBBUTTON> buttons;
    int nImage = 0;
    for (WORD nCommand : items)
    {
        TBBUTTON button = {};
        button.idCommand = nCommand;
        button.fsState = TBSTATE_ENABLED;
        if (nCommand == 0)
        {
            button.fsStyle = BTNS_SEP;
            button.iBitmap = kSeparatorWidth;
        }
        else if (nCommand == ID_FONT_NAME_BOX || nCommand == ID_FONT_SIZE_BOX)
        {
            button.fsStyle = BTNS_SEP;
            button.iBitmap = nCommand == ID_FONT_NAME_BOX ? kFontNameWidth : kFontSizeWidth;
            nImage++;
        }
        else
        {
            button.fsStyle = BTNS_BUTTON;
            button.iBitmap = nImage++;
        }
        buttons.push_back(button);
    }
    TBADDBITMAP bitmap = {GetResourceModule(), kToolBarResource};
    ::SendMessageA(m_hWnd, TB_ADDBITMAP, nImage, (LPARAM)&bitmap);
    ::SendMessageA(m_hWnd, TB_ADDBUTTONSA, buttons.size(), (LPARAM)buttons.data());
    ::SendMessageA(m_hWnd, TB_SETBUTTONSIZE, 0,
                   MAKELPARAM(imageSize.cx + kButtonPadding, imageSize.cy + kButtonPadding));
    ::SendMessageA(m_hWnd, TB_AUTOSIZE, 0, 0);

    HFONT hFont = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
    RECT rc = ItemRect(ID_FONT_NAME_BOX);
    m_hWndFontName = ::CreateWindowExA(0, "COMBOBOX", NULL,
                                       WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT,
                                       rc.left, rc.top, kFontNameWidth, kDropDownHeight, m_hWnd,
                                       (HMENU)(UINT_PTR)ID_FONT_NAME_BOX, GetResourceModule(), NULL);
    if (m_hWndFontName == NULL)
    {
        AppMessageBox(GetLastErrorText(), MB_ICONERROR, hWndParent);
    }
    else
    {
        ::SendMessageA(m_hWndFontName, WM_SETFONT, (WPARAM)hFont, FALSE);
        HDC hDC = ::GetDC(NULL);
        ::EnumFontFamiliesA(hDC, NULL, AddFontFamily, (LPARAM)m_hWndFontName);
        ::ReleaseDC(NULL, hDC);
        ::SendMessageA(m_hWndFontName, CB_SETCURSEL, (WPARAM)-1, 0);
    }

    rc = ItemRect(ID_FONT_SIZE_BOX);
    m_hWndFontSize = ::CreateWindowExA(0, "COMBOBOX", NULL, WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST,
                                       rc.left + kFontSizeInset, rc.top, kFontSizeWidth - kFontSizeInset,
                                       kDropDownHeight, m_hWnd, (HMENU)(UINT_PTR)ID_FONT_SIZE_BOX,
                                       GetResourceModule(), NULL);
    if (m_hWndFontSize != NULL)
    {
        ::SendMessageA(m_hWndFontSize, WM_SETFONT, (WPARAM)hFont, FALSE);
        for (const char* pszSize : kFontSizes)
            ::SendMessageA(m_hWndFontSize, CB_ADDSTRING, 0, (LPARAM)pszSize);
        ::SendMessageA(m_hWndFontSize, CB_SETCURSEL, (WPARAM)-1, 0);
    }
    return m_hWnd;
}
