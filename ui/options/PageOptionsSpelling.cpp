// The Spelling page.
#include "ui/options/PageOptionsSpelling.h"

namespace
{
const COptionsHelpEntry kHelp[] = {{IDC_SPELLING_BEFORE_SEND, 435}, {0, 0}};
} // namespace

CPageOptionsSpelling::CPageOptionsSpelling(CRegistry* pRegistry) : CPageOptionsImpl(pRegistry, NULL, kHelp) {}

LRESULT CPageOptionsSpelling::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    Check(IDC_SPELLING_BEFORE_SEND, m_pRegistry->m_bCheckSpelling != 0);
    return TRUE;
}

bool CPageOptionsSpelling::StoreValues()
{
    StoreInt(OptionsSetting::kCheckSpelling, m_pRegistry->m_bCheckSpelling,
             IsChecked(IDC_SPELLING_BEFORE_SEND));
    return true;
}
