// The HTML Settings dialog.
#include "ui/options/DlgHtmlSettings.h"

#include <string.h>

#include "foundation/Registry.h"
#include "ui/options/OptionsTexts.h"

namespace
{
// The point sizes of HTML font sizes 1 to 7, in that order.
const int kPointSizes[] = {8, 10, 12, 14, 18, 24, 36};
} // namespace

int CALLBACK CDlgHtmlSettings::AddFontFamily(const LOGFONTA* pLogFont, const TEXTMETRICA*, DWORD,
                                             LPARAM lParam)
{
    ::SendMessageA((HWND)lParam, CB_ADDSTRING, 0, (LPARAM)pLogFont->lfFaceName);
    return 1;
}

LRESULT CDlgHtmlSettings::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    HWND hWndNames = GetDlgItem(IDC_HTML_FONT_NAME);
    HDC hdc = GetDC();
    ::EnumFontFamiliesA(hdc, NULL, (FONTENUMPROCA)AddFontFamily, (LPARAM)hWndNames);
    ReleaseDC(hdc);
    const CString& strName = m_pRegistry->m_strHtmlSendFontName;
    if (!strName.IsEmpty())
    {
        // The combo box's own search ignores case; the stored name is matched exactly.
        int nCount = (int)::SendMessageA(hWndNames, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < nCount; i++)
        {
            char szName[LF_FACESIZE + 1] = "";
            if (::SendMessageA(hWndNames, CB_GETLBTEXTLEN, i, 0) > LF_FACESIZE)
                continue;
            ::SendMessageA(hWndNames, CB_GETLBTEXT, i, (LPARAM)szName);
            if (strcmp(szName, strName) == 0)
            {
                ::SendMessageA(hWndNames, CB_SETCURSEL, i, 0);
                break;
            }
        }
    }
    HWND hWndSizes = GetDlgItem(IDC_HTML_FONT_SIZE);
    for (int nPoints : kPointSizes)
    {
        char szSize[16];
        wsprintfA(szSize, "%d", nPoints);
        ::SendMessageA(hWndSizes, CB_ADDSTRING, 0, (LPARAM)szSize);
    }
    if (m_pRegistry->m_nHtmlSendFontSize != -1)
        ::SendMessageA(hWndSizes, CB_SETCURSEL, m_pRegistry->m_nHtmlSendFontSize - 1, 0);
    return TRUE;
}

LRESULT CDlgHtmlSettings::OnOK(WORD, WORD wID, HWND, BOOL&)
{
    HWND hWndNames = GetDlgItem(IDC_HTML_FONT_NAME);
    int nName = (int)::SendMessageA(hWndNames, CB_GETCURSEL, 0, 0);
    if (nName != CB_ERR)
    {
        char szName[LF_FACESIZE + 1] = "";
        if (::SendMessageA(hWndNames, CB_GETLBTEXTLEN, nName, 0) <= LF_FACESIZE)
        {
            ::SendMessageA(hWndNames, CB_GETLBTEXT, nName, (LPARAM)szName);
            m_pRegistry->m_strHtmlSendFontName = szName;
            m_pRegistry->WriteProfileString(OptionsSetting::kSection, OptionsSetting::kHtmlSendFontName,
                                            szName);
        }
    }
    // With no size chosen the setting stays "none" (-1): 0 is no HTML font size.
    int nSelected = (int)::SendDlgItemMessageA(m_hWnd, IDC_HTML_FONT_SIZE, CB_GETCURSEL, 0, 0);
    int nSize = nSelected != CB_ERR ? nSelected + 1 : -1;
    m_pRegistry->m_nHtmlSendFontSize = nSize;
    m_pRegistry->WriteProfileInt(OptionsSetting::kSection, OptionsSetting::kHtmlSendFontSize, nSize);
    EndDialog(wID);
    return 0;
}

LRESULT CDlgHtmlSettings::OnCancel(WORD, WORD wID, HWND, BOOL&)
{
    EndDialog(wID);
    return 0;
}
