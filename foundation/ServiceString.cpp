// The string resources of the dialog services.
#include "foundation/ServiceString.h"

#include "foundation/Texts.h"

CString LoadServiceString(unsigned nId)
{
    CString strText;
    if (strText.LoadString(nId) && !strText.IsEmpty())
        return strText;
    for (const FoundationText::ServiceString& entry : FoundationText::kServiceStrings)
    {
        if (entry.nId == nId)
            return entry.pszText;
    }
    return CString();
}
