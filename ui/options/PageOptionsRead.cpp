// The Read page.
#include "ui/options/PageOptionsRead.h"

#include <commctrl.h>

namespace
{
const COptionsHelpEntry kHelp[] = {
    {IDC_READ_MARK, 429}, {IDC_READ_SECONDS, 429}, {IDC_READ_ORDER_BY_DATE, 430}, {0, 0}};
const UINT kMaxSeconds = 99;
const int kSecond = 1000;
} // namespace

CPageOptionsRead::CPageOptionsRead(CRegistry* pRegistry) : CPageOptionsImpl(pRegistry, NULL, kHelp) {}

LRESULT CPageOptionsRead::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    Check(IDC_READ_MARK, m_pRegistry->m_bMarkRead != 0);
    SendDlgItemMessage(IDC_OPTIONS_SPIN, UDM_SETRANGE32, 0, kMaxSeconds);
    SetDlgItemInt(IDC_READ_SECONDS, (UINT)(m_pRegistry->m_nMarkReadTimeOut / kSecond), FALSE);
    Check(IDC_READ_ORDER_BY_DATE, m_pRegistry->m_bOrderByDate != 0);
    EnableSeconds();
    return TRUE;
}

LRESULT CPageOptionsRead::OnMark(WORD, WORD, HWND, BOOL&)
{
    EnableSeconds();
    return 0;
}

void CPageOptionsRead::EnableSeconds()
{
    bool bOn = IsChecked(IDC_READ_MARK);
    Enable(IDC_READ_SECONDS, bOn);
    Enable(IDC_OPTIONS_SPIN, bOn);
}

bool CPageOptionsRead::StoreValues()
{
    StoreInt(OptionsSetting::kMarkRead, m_pRegistry->m_bMarkRead, IsChecked(IDC_READ_MARK));
    UINT nSeconds = 0;
    if (ReadCount(IDC_READ_SECONDS, 0, kMaxSeconds, nSeconds))
        StoreInt(OptionsSetting::kMarkReadTimeOut, m_pRegistry->m_nMarkReadTimeOut, (int)nSeconds * kSecond);
    else if (IsChecked(IDC_READ_MARK))
        return Refuse(IDC_READ_SECONDS, IDS_READ_SECONDS_RANGE);
    StoreInt(OptionsSetting::kOrderByDate, m_pRegistry->m_bOrderByDate, IsChecked(IDC_READ_ORDER_BY_DATE));
    return true;
}
