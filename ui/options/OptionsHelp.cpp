// The pop-up help of the option pages.
#include "ui/options/OptionsHelp.h"

#include <atlapp.h>

CString COptionsHelp::GetHelpText(int nIdControl)
{
    for (const COptionsHelpEntry* pEntry = m_pEntries; pEntry != NULL && pEntry->nIdControl != 0; pEntry++)
    {
        if (pEntry->nIdControl == nIdControl)
            return AtlLoadString(pEntry->nIdString);
    }
    return CContextualHelp::GetHelpText(nIdControl);
}
