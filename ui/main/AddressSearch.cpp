// The contact search of typed texts.
#include "ui/main/AddressSearch.h"

#include "content/TextUtilities.h"
#include "foundation/TextServices.h"

namespace
{
CString Literal(const CString& strText)
{
    return SqlQuote(EscapeLikeChars(strText));
}
} // namespace

CString CAddressSearch::WhereText(const char* pszText, const char* pszPrefix, BOOL bEither)
{
    CString strText = pszText != NULL ? pszText : "";
    CString strPrefix = pszPrefix != NULL ? pszPrefix : "";
    int nBlank = strText.Find(' ');
    if (nBlank >= 0)
    {
        CString strFirst = strText.Left(nBlank);
        CString strRest = strText.Mid(nBlank + 1);
        strRest.TrimLeft();
        return " AND ContactName.cFirstname = '" + SqlQuote(strFirst) + "' AND ContactName.cSurname LIKE '" +
               strPrefix + Literal(strRest) + "%'";
    }
    if (bEither)
        return " AND (ContactName.cFirstname LIKE '" + strPrefix + Literal(strText) +
               "%' OR ContactName.cEmail LIKE '" + strPrefix + Literal(strText) + "%')";
    return " AND ContactName.cFirstname LIKE '" + strPrefix + Literal(strText) + "%'";
}

void CAddressSearch::BuildWhere(CContactsTableHolder& holder, HWND hOwner, const char* pszText,
                                const char* pszPrefix, BOOL bEither)
{
    holder.Open(hOwner, BuildContactsSelect(hOwner) + WhereText(pszText, pszPrefix, bEither));
}
