// The pop-up help of the Mail Rules page and of the rule editor.
#pragma once

#include "foundation/ContextualHelp.h"

class CRulesHelp : public CContextualHelp
{
public:
    explicit CRulesHelp(bool bEditor) : m_bEditor(bEditor) {}
    // The page's and the editor's controls share numbers: each window has its own table.
    CString GetHelpText(int nIdControl) override;

    bool m_bEditor;
};
