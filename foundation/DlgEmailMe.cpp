// The error-report dialog (resource 115).
#include "foundation/DlgEmailMe.h"

#include <iterator>

#include "foundation/TextDialog.h"
#include "resources/resource.h"

namespace
{
const int kDefaultValue = 1;
}

CDlgEmailMe::CDlgEmailMe(const char* pszText, const char* pszFile, int nValue)
    : m_strText(pszText ? pszText : ""), m_strFile(pszFile ? pszFile : ""),
      m_nValue(nValue ? nValue : kDefaultValue)
{
}

INT_PTR CDlgEmailMe::DoModal(HWND hWndOwner)
{
    const DlgItemText items[] = {{IDC_EMAIL_ME_TEXT, m_strText}, {IDC_EMAIL_ME_FILE, m_strFile}};
    return DoModalTextDialog(hWndOwner, IDD_EMAIL_ME, items, std::size(items), IDOK);
}
