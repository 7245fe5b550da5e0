// The spelling dialog.
#include "content/DlgSpelling.h"

#include "content/SpellChecker.h"

namespace
{
// Where the dialog was when a button last closed it, for every check of the process.
RECT g_rcKept = {};
} // namespace

CDlgSpelling::CDlgSpelling(const CSpellEngineEntries& entries, SPELL_ENGINE hEngine,
                           const SpellInputBlock& input, const CString& strWord)
    : m_entries(entries), m_hEngine(hEngine), m_input(input), m_strWord(strWord)
{
}

LRESULT CDlgSpelling::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (::IsRectEmpty(&g_rcKept))
        CenterWindow(GetParent());
    else
        SetWindowPos(NULL, g_rcKept.left, g_rcKept.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HINSTANCE hInstance = ATL::_AtlBaseModule.GetResourceInstance();
    HICON hIcon =
        (HICON)::LoadImageA(hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
    HICON hSmall = (HICON)::LoadImageA(hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                       ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0);
    if (hIcon)
        SetIcon(hIcon, TRUE);
    if (hSmall)
        SetIcon(hSmall, FALSE);
    SetDlgItemText(IDC_SPELL_WORD, m_strWord);

    if (!FillSuggestions())
    {
        EndDialog(0);
        return TRUE;
    }
    HWND hList = GetDlgItem(IDC_SPELL_SUGGESTIONS);
    if (::SendMessageA(hList, LB_GETCOUNT, 0, 0) <= 0)
        SetDlgItemText(IDC_SPELL_CHANGE_TO, m_strWord);
    else
    {
        ::SendMessageA(hList, LB_SETCURSEL, 0, 0);
        BOOL bHandled = TRUE;
        OnSuggestionChanged(0, 0, NULL, bHandled);
    }
    return TRUE;
}

bool CDlgSpelling::FillSuggestions()
{
    HWND hList = GetDlgItem(IDC_SPELL_SUGGESTIONS);
    uint16_t wCommand = kSpellCommandSuggest;
    int nTotal = 0;
    // An engine that never says it is done still stops: at 32 words, or at a round that adds none.
    while (nTotal < kSpellMaxSuggestions)
    {
        SpellResultBlock result = {};
        result.cbSuggestions = kSpellSuggestionBufferSize;
        if (m_entries.pfnCommand(m_hEngine, wCommand, &m_input, &result) != kSpellOk)
            return false;
        wCommand = kSpellCommandSuggestMore;
        if (result.wStatus == kSpellResultNoMoreSuggestions)
            break;
        int nAdded = 0;
        size_t nOffset = 0;
        for (int i = 0; i < result.cSuggestions && nTotal < kSpellMaxSuggestions; i++)
        {
            const char* p = result.szSuggestions + nOffset;
            const size_t nLeft = sizeof(result.szSuggestions) - nOffset;
            const size_t n = strnlen(p, nLeft);
            if (n == 0 || n == nLeft)
                break;
            ::SendMessageA(hList, LB_ADDSTRING, 0, (LPARAM)CString(p, (int)n).GetString());
            nOffset += n + 1;
            nAdded++;
            nTotal++;
        }
        if (nAdded == 0)
            break;
    }
    return true;
}

LRESULT CDlgSpelling::OnSuggestionChanged(WORD, WORD, HWND, BOOL&)
{
    HWND hList = GetDlgItem(IDC_SPELL_SUGGESTIONS);
    const LRESULT nSelected = ::SendMessageA(hList, LB_GETCURSEL, 0, 0);
    if (nSelected == LB_ERR)
        return 0;
    const LRESULT nLength = ::SendMessageA(hList, LB_GETTEXTLEN, nSelected, 0);
    if (nLength == LB_ERR)
        return 0;
    CString strText;
    ::SendMessageA(hList, LB_GETTEXT, nSelected, (LPARAM)strText.GetBuffer((int)nLength + 1));
    strText.ReleaseBuffer((int)nLength);
    SetDlgItemText(IDC_SPELL_CHANGE_TO, strText);
    return 0;
}

LRESULT CDlgSpelling::OnButton(WORD, WORD wID, HWND, BOOL&)
{
    if (wID == IDC_SPELL_CHANGE || wID == IDC_SPELL_CHANGE_ALL)
    {
        HWND hEdit = GetDlgItem(IDC_SPELL_CHANGE_TO);
        const int nLength = ::GetWindowTextLengthA(hEdit);
        ::GetWindowTextA(hEdit, m_strChangeTo.GetBuffer(nLength + 1), nLength + 1);
        m_strChangeTo.ReleaseBuffer();
    }
    GetWindowRect(&g_rcKept);
    EndDialog(wID);
    return 0;
}
