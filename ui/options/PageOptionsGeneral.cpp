// The General page.
#include "ui/options/PageOptionsGeneral.h"

#include <commctrl.h>

#include "foundation/BuiltInHosts.h"
#include "foundation/Texts.h"

namespace
{
const COptionsHelpEntry kHelp[] = {{IDC_GENERAL_START_IN_INBOX, 416},
                                   {IDC_GENERAL_CHECK_NEW, 417},
                                   {IDC_GENERAL_MINUTES, 417},
                                   {IDC_GENERAL_UPDATE_WHEN_STARTING, 418},
                                   {IDC_GENERAL_UPDATE_URL, 420},
                                   {IDC_GENERAL_DEFAULT_URL, 419},
                                   {0, 0}};
const UINT kMinMinutes = 1;
const UINT kMaxMinutes = 480;
const int kMinute = 60000;
} // namespace

CPageOptionsGeneral::CPageOptionsGeneral(CRegistry* pRegistry) : CPageOptionsImpl(pRegistry, NULL, kHelp) {}

LRESULT CPageOptionsGeneral::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    Check(IDC_GENERAL_START_IN_INBOX, m_pRegistry->GetStartInInbox() != 0);
    Check(IDC_GENERAL_CHECK_NEW, m_pRegistry->m_bCheckNew != 0);
    SendDlgItemMessage(IDC_OPTIONS_SPIN, UDM_SETRANGE32, kMinMinutes, kMaxMinutes);
    SetDlgItemInt(IDC_GENERAL_MINUTES, (UINT)(m_pRegistry->m_nCheckNewTimeOut / kMinute), FALSE);
    Check(IDC_GENERAL_UPDATE_WHEN_STARTING, m_pRegistry->m_bUpdateWhenStarting != 0);
    SetDlgItemText(IDC_GENERAL_UPDATE_URL, m_pRegistry->m_strUpdateUrl);
    EnableInterval();
    return TRUE;
}

LRESULT CPageOptionsGeneral::OnSwitch(WORD, WORD, HWND, BOOL&)
{
    EnableInterval();
    return 0;
}

LRESULT CPageOptionsGeneral::OnDefaultUrl(WORD, WORD, HWND, BOOL&)
{
    CString strUrl = CString(FoundationText::kUpdateUrlPrefix) + BuiltInHosts::kUpdateServerHost +
                     FoundationText::kUpdateUrlSuffix;
    SetDlgItemText(IDC_GENERAL_UPDATE_URL, strUrl);
    return 0;
}

void CPageOptionsGeneral::EnableInterval()
{
    bool bOn = IsChecked(IDC_GENERAL_CHECK_NEW);
    Enable(IDC_GENERAL_MINUTES, bOn);
    Enable(IDC_OPTIONS_SPIN, bOn);
}

bool CPageOptionsGeneral::StoreValues()
{
    m_pRegistry->SetStartInInbox(IsChecked(IDC_GENERAL_START_IN_INBOX));
    bool bCheckNew = IsChecked(IDC_GENERAL_CHECK_NEW);
    StoreInt(OptionsSetting::kCheckNew, m_pRegistry->m_bCheckNew, bCheckNew);
    if (bCheckNew)
    {
        UINT nMinutes = 0;
        if (!ReadCount(IDC_GENERAL_MINUTES, kMinMinutes, kMaxMinutes, nMinutes))
            return Refuse(IDC_GENERAL_MINUTES, IDS_CHECK_MINUTES_RANGE);
        StoreInt(OptionsSetting::kCheckNewTimeOut, m_pRegistry->m_nCheckNewTimeOut, (int)nMinutes * kMinute);
    }
    StoreInt(OptionsSetting::kUpdateWhenStarting, m_pRegistry->m_bUpdateWhenStarting,
             IsChecked(IDC_GENERAL_UPDATE_WHEN_STARTING));
    StoreText(OptionsSetting::kUpdateUrl, m_pRegistry->m_strUpdateUrl, ItemText(IDC_GENERAL_UPDATE_URL));
    return true;
}
