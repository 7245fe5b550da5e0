// SQL quoting and address splitting.
#include "foundation/TextServices.h"

#include <string.h>

#include "foundation/RegExp.h"

CString SqlQuote(const char* pszText)
{
    CString strText = pszText != NULL ? pszText : "";
    strText.Replace("'", "''");
    return strText;
}

void SplitAddress(const char* pszText, CString& strName, CString& strAddress)
{
    strName.Empty();
    strAddress.Empty();
    if (pszText == NULL || *pszText == '\0')
        return;
    CRegExp nameAndAddress("(.*) <(.*)>");
    if (nameAndAddress.Match(pszText) && nameAndAddress.SubStrings() == 2)
    {
        strName = nameAndAddress.GetSubString(1);
        strName.Remove('"');
        strAddress = nameAndAddress.GetSubString(2);
        return;
    }
    CRegExp addressOnly(".*<(.*)>");
    if (addressOnly.Match(pszText) && addressOnly.SubStrings() == 1)
    {
        strAddress = addressOnly.GetSubString(1);
        return;
    }
    if (strchr(pszText, '@') != NULL)
        strAddress = pszText;
    else
        strName = pszText;
}
