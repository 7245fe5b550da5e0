// The Send page.
#include "ui/options/PageOptionsSend.h"

#include "foundation/WindowMessages.h"
#include "ui/options/DlgHtmlSettings.h"

namespace
{
const COptionsHelpEntry kHelp[] = {{IDC_SEND_HTML_SETTINGS, 434}, {0, 0}};
} // namespace

CPageOptionsSend::CPageOptionsSend(HWND hWndOwner) : CPageOptionsImpl(NULL, hWndOwner, kHelp) {}

CRegistry* CPageOptionsSend::Registry()
{
    if (m_pRegistry == NULL)
        m_pRegistry = FromOwner<CRegistry>(LetrovaGetRegistry);
    return m_pRegistry;
}

LRESULT CPageOptionsSend::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CRegistry* pRegistry = Registry();
    int nIndividual = 1;
    if (pRegistry != NULL)
        nIndividual = pRegistry->GetProfileInt(OptionsSetting::kSection, OptionsSetting::kSendIndividual, 1);
    Check(nIndividual != 0 ? IDC_SEND_INDIVIDUAL : IDC_SEND_TOGETHER, true);
    return TRUE;
}

LRESULT CPageOptionsSend::OnHtmlSettings(WORD, WORD, HWND, BOOL&)
{
    CRegistry* pRegistry = Registry();
    if (pRegistry != NULL)
    {
        CDlgHtmlSettings dlg(pRegistry);
        dlg.DoModal(m_hWnd);
    }
    return 0;
}

bool CPageOptionsSend::StoreValues()
{
    CRegistry* pRegistry = Registry();
    if (pRegistry == NULL)
        return true;
    if (IsChecked(IDC_SEND_TOGETHER))
        pRegistry->WriteProfileInt(OptionsSetting::kSection, OptionsSetting::kSendIndividual, 0);
    else if (IsChecked(IDC_SEND_INDIVIDUAL))
        pRegistry->WriteProfileInt(OptionsSetting::kSection, OptionsSetting::kSendIndividual, 1);
    return true;
}
