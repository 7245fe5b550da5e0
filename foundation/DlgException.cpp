// The exception dialog (resource 110).
#include "foundation/DlgException.h"

#include <iterator>

#include "foundation/TextDialog.h"
#include "resources/resource.h"

CDlgException::CDlgException(const char* pszMessage, int nNumber, const char* pszSecond)
    : m_strMessage(pszMessage ? pszMessage : ""), m_nNumber(nNumber), m_strSecond(pszSecond ? pszSecond : "")
{
}

INT_PTR CDlgException::DoModal(HWND hWndOwner)
{
    const DlgItemText items[] = {{IDC_EXCEPTION_TEXT, m_strMessage}};
    return DoModalTextDialog(hWndOwner, IDD_EXCEPTION, items, std::size(items), IDC_EMAIL_ME);
}
