// The pop-up help of the option pages: a table from control to string resource.
#pragma once

#include "foundation/ContextualHelp.h"

struct COptionsHelpEntry
{
    int nIdControl;
    UINT nIdString;
};

class COptionsHelp : public CContextualHelp
{
public:
    // The table ends with an entry whose control is 0.
    explicit COptionsHelp(const COptionsHelpEntry* pEntries) : m_pEntries(pEntries) {}

    CString GetHelpText(int nIdControl) override;

private:
    const COptionsHelpEntry* m_pEntries;
};
