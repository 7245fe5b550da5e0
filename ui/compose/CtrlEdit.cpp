// The compose window's edit controls and the completion of typed recipients.
#include "ui/compose/CtrlEdit.h"

#include <richedit.h>

#include <vector>

#include "foundation/TextServices.h"
#include "foundation/WindowMessages.h"
#include "store/ContactsTable.h"
#include "store/DatabaseBase.h"
#include "ui/compose/ComposeErrors.h"
#include "ui/compose/ComposeStandIns.h"
#include "ui/compose/DlgFind.h"
#include "ui/main/MainCommands.h"

namespace
{
const WORD kEditUndo = 57643, kEditCut = 57635, kEditCopy = 57634, kEditPaste = 57637;
const WORD kEditDelete = 32876;

bool StartsWithNoCase(const CString& strText, const CString& strPrefix)
{
    return strText.GetLength() >= strPrefix.GetLength() &&
           strText.Left(strPrefix.GetLength()).CompareNoCase(strPrefix) == 0;
}

// The clipboard reduced to its plain text, so that a paste into a rich edit brings no formatting.
void KeepOnlyClipboardText(HWND hWnd)
{
    if (!::OpenClipboard(hWnd))
        return;
    CString strText;
    HANDLE hData = ::GetClipboardData(CF_TEXT);
    const char* pszData = hData != NULL ? static_cast<const char*>(::GlobalLock(hData)) : NULL;
    if (pszData != NULL)
    {
        strText = pszData;
        ::GlobalUnlock(hData);
    }
    if (pszData != NULL)
    {
        ::EmptyClipboard();
        HGLOBAL hCopy = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, strText.GetLength() + 1);
        if (hCopy != NULL)
        {
            memcpy(::GlobalLock(hCopy), strText.GetString(), strText.GetLength() + 1);
            ::GlobalUnlock(hCopy);
            if (::SetClipboardData(CF_TEXT, hCopy) == NULL)
                ::GlobalFree(hCopy);
        }
    }
    ::CloseClipboard();
}
} // namespace

CString CCtrlEdit::GetText()
{
    m_bRead = 1;
    int nLength = ::GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> wide(nLength + 1);
    ::GetWindowTextW(m_hWnd, wide.data(), nLength + 1);
    int nBytes = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, NULL, 0, NULL, NULL);
    CString strText;
    if (nBytes > 0)
    {
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, strText.GetBuffer(nBytes), nBytes, NULL, NULL);
        strText.ReleaseBuffer();
    }
    return strText;
}

LRESULT CCtrlEdit::OnCanPaste(UINT, WPARAM wParam, LPARAM, BOOL&)
{
    return wParam == 1 && ::IsClipboardFormatAvailable(CF_TEXT) ? 1 : 0;
}

LRESULT CCtrlEdit::OnHasSelection(UINT, WPARAM, LPARAM, BOOL&)
{
    DWORD dwStart = 0, dwEnd = 0;
    ::SendMessageA(m_hWnd, EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    return dwStart != dwEnd ? 1 : 0;
}

LRESULT CCtrlEdit::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    WORD nID = LOWORD(wParam);
    if (nID == ID_CAN_SELECT_ALL || nID == ID_CAN_FIND_TEXT)
        return 1;
    if (::GetFocus() != m_hWnd)
    {
        bHandled = FALSE;
        return 0;
    }
    switch (nID)
    {
    case kEditUndo:
        SendMessage(EM_UNDO);
        return 1;
    case kEditCut:
        SendMessage(WM_CUT);
        return 1;
    case kEditCopy:
        SendMessage(WM_COPY);
        return 1;
    case kEditPaste:
        if (m_bRichEdit)
            KeepOnlyClipboardText(m_hWnd);
        SendMessage(WM_PASTE);
        return 1;
    case ID_SELECT_ALL_ITEMS:
        SendMessage(EM_SETSEL, 0, -1);
        return 1;
    case kEditDelete:
        SendMessage(WM_KEYDOWN, VK_DELETE, 0);
        SendMessage(WM_KEYUP, VK_DELETE, 0xC0000001);
        return 1;
    case ID_EDIT_FIND_TEXT:
        Find();
        return 1;
    }
    bHandled = FALSE;
    return 0;
}

void CCtrlEdit::Find()
{
    CDlgFind::Run(m_hWnd, m_bRichEdit);
}

CString TypedRecipient(const CString& strText, int nSelStart, int nSelEnd)
{
    if (nSelEnd < strText.GetLength() && strText[nSelEnd] != ' ')
        return CString();
    if (nSelStart > strText.GetLength())
        nSelStart = strText.GetLength();
    int nBegin = nSelStart;
    while (nBegin > 0 && strText[nBegin - 1] != ';')
        nBegin--;
    while (nBegin < nSelStart && (strText[nBegin] == ' ' || strText[nBegin] == ';'))
        nBegin++;
    return strText.Mid(nBegin, nSelStart - nBegin);
}

CString CompleteRecipient(const CString& strEntry, CSession* pSession, HWND hOwner)
{
    if (strEntry.IsEmpty() || pSession == NULL)
        return CString();
    // LIKE only narrows the rows: "%" and "_" typed by the user are wildcards there, so every candidate is
    // checked against the entry as typed.
    CString strLike = SqlQuote(strEntry);
    {
        CContactsTableHolder contacts(pSession);
        contacts.Open(hOwner, BuildContactsSelect(hOwner) + ContactNameSearchWhere(strLike));
        while (contacts.MoveNext() == S_OK)
        {
            CString strFirst = contacts.m_cFirstname, strSurname = contacts.m_cSurname;
            CString strName = strSurname.IsEmpty() ? strFirst : strFirst + " " + strSurname;
            if (!strName.IsEmpty() && StartsWithNoCase(strName, strEntry))
                return strName.Mid(strEntry.GetLength());
        }
    }
    CContactsTableHolder contacts(pSession);
    contacts.Open(hOwner, BuildContactsSelect(hOwner) + " AND ContactName.cEmail LIKE '" + strLike + "%'");
    while (contacts.MoveNext() == S_OK)
    {
        CString strEmail = contacts.m_cEmail;
        if (StartsWithNoCase(strEmail, strEntry))
            return strEmail.Mid(strEntry.GetLength());
    }
    return CString();
}

LRESULT CEditAddress::OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    LRESULT lResult = DefWindowProc(uMsg, wParam, lParam);
    if (wParam != VK_BACK && wParam != VK_TAB)
    {
        try
        {
            Complete();
        }
        catch (...)
        {
            ShowCaughtInCompose("CEditAddress::OnChar()", m_hWnd);
        }
    }
    return lResult;
}

void CEditAddress::Complete()
{
    CString strText = GetText();
    CHARRANGE range = {0, 0};
    SendMessage(EM_EXGETSEL, 0, (LPARAM)&range);
    CString strEntry = TypedRecipient(strText, range.cpMin, range.cpMax);
    if (strEntry.IsEmpty())
        return;
    CSession* pSession = NULL;
    if (m_hWndOwner != NULL)
    {
        CDatabaseBase* pDatabase = NULL;
        ::SendMessageA(m_hWndOwner, LetrovaGetOrbDatabase, (WPARAM)&pDatabase, 0);
        if (pDatabase == NULL || pDatabase->m_session.m_spOpenRowset == NULL)
            ::SendMessageA(m_hWndOwner, LetrovaGetDatabase, (WPARAM)&pDatabase, 0);
        if (pDatabase != NULL && pDatabase->m_session.m_spOpenRowset != NULL)
            pSession = &pDatabase->m_session;
    }
    CString strRest = CompleteRecipient(strEntry, pSession, m_hWndOwner);
    if (strRest.IsEmpty())
        return;
    SendMessage(EM_REPLACESEL, TRUE, (LPARAM)strRest.GetString());
    CHARRANGE inserted = {range.cpMin, range.cpMin + strRest.GetLength()};
    SendMessage(EM_EXSETSEL, 0, (LPARAM)&inserted);
}
