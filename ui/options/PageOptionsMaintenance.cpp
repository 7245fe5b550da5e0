// The Maintenance page.
#include "ui/options/PageOptionsMaintenance.h"

namespace
{
const COptionsHelpEntry kHelp[] = {{IDC_MAINTENANCE_SERVER_LOG, 436}, {0, 0}};
} // namespace

CPageOptionsMaintenance::CPageOptionsMaintenance(CRegistry* pRegistry)
    : CPageOptionsImpl(pRegistry, NULL, kHelp)
{
}

LRESULT CPageOptionsMaintenance::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    Check(IDC_MAINTENANCE_SERVER_LOG, m_pRegistry->GetServerLog() != 0);
    return TRUE;
}

bool CPageOptionsMaintenance::StoreValues()
{
    m_pRegistry->SetServerLog(IsChecked(IDC_MAINTENANCE_SERVER_LOG));
    return true;
}
