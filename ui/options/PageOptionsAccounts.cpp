// The Accounts page.
#include "ui/options/PageOptionsAccounts.h"

#include "foundation/Exception.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseSession.h"
#include "store/OLEDBException.h"

namespace
{
const COptionsHelpEntry kHelp[] = {
    {IDC_ACCOUNTS_SEPARATE, 457}, {IDC_OPTIONS_LOCATION, 460}, {IDC_OPTIONS_BROWSE, 458}, {0, 0}};
} // namespace

CPageOptionsAccounts::CPageOptionsAccounts(CRegistry* pRegistry, HWND hWndOwner)
    : CPageOptionsImpl(pRegistry, hWndOwner, kHelp)
{
}

LRESULT CPageOptionsAccounts::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    Check(IDC_ACCOUNTS_SEPARATE, g_bUseMyDatabase != 0);
    SetDlgItemText(IDC_OPTIONS_LOCATION, m_pRegistry->GetAccountsDatabaseFileName(FALSE));
    EnableLocation();
    return TRUE;
}

LRESULT CPageOptionsAccounts::OnSeparate(WORD, WORD, HWND, BOOL&)
{
    EnableLocation();
    return 0;
}

LRESULT CPageOptionsAccounts::OnBrowse(WORD, WORD, HWND, BOOL&)
{
    BrowseForDatabase(IDC_OPTIONS_LOCATION, OptionsText::kAccountsFilter, IDS_OPEN_ACCOUNTS_DATABASE);
    return 0;
}

void CPageOptionsAccounts::OpenDatabase(CDatabaseSession* pDatabase, const CString& strPath)
{
    try
    {
        pDatabase->Open(strPath);
    }
    catch (CException* pException)
    {
        delete pException;
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char*)
    {
    }
}

void CPageOptionsAccounts::EnableLocation()
{
    bool bSeparate = IsChecked(IDC_ACCOUNTS_SEPARATE);
    Enable(IDC_OPTIONS_LOCATION, bSeparate);
    Enable(IDC_OPTIONS_BROWSE, bSeparate);
}

bool CPageOptionsAccounts::StoreValues()
{
    bool bSeparate = IsChecked(IDC_ACCOUNTS_SEPARATE);
    int nWasSeparate = g_bUseMyDatabase;
    int nSeparate = 0;
    StoreInt(OptionsSetting::kSeparateAccounts, nSeparate, bSeparate);
    g_bUseMyDatabase = nSeparate;
    CDatabaseSession* pAccounts = FromOwner<CDatabaseSession>(LetrovaGetAccountsDatabase);
    if (!bSeparate)
    {
        if (pAccounts != NULL)
            pAccounts->Close();
        return true;
    }
    CString strPath = ItemText(IDC_OPTIONS_LOCATION);
    if (pAccounts == NULL)
        return Refuse(IDC_OPTIONS_LOCATION, IDS_ACCOUNTS_OPEN_FAILED);
    bool bWasOpen = pAccounts->IsOpen();
    CString strOld = pAccounts->GetFileName();
    if (strPath != strOld || !bWasOpen)
        OpenDatabase(pAccounts, strPath);
    if (pAccounts->IsOpen())
        return true;
    // While the switch is on every account is read from this database: a file that does not open must not
    // leave the switch on over a closed one. What was in use before comes back.
    StoreInt(OptionsSetting::kSeparateAccounts, nSeparate, nWasSeparate);
    g_bUseMyDatabase = nSeparate;
    if (bWasOpen)
        OpenDatabase(pAccounts, strOld);
    return Refuse(IDC_OPTIONS_LOCATION, IDS_ACCOUNTS_OPEN_FAILED);
}
