// The From list of a new message.
#include "ui/compose/FromAccounts.h"

#include <set>

#include "content/AddressList.h"
#include "foundation/TextServices.h"
#include "store/AccountsTable.h"
#include "ui/compose/ComposeStandIns.h"

namespace
{
CString UpperAddress(const CString& strEntry)
{
    CString strName, strAddress;
    SplitAddress(strEntry, strName, strAddress);
    strAddress.Trim();
    strAddress.MakeUpper();
    return strAddress;
}
} // namespace

void ListFromAccounts(CSession* pSession, const CComposeFields& fields, bool bMapiMessage,
                      std::vector<CFromAccount>& accounts, int& nSelected, HWND hOwner)
{
    accounts.clear();
    nSelected = -1;

    std::set<CString> addressed;
    std::vector<CString> entries;
    ParseAddressList(fields.m_strSourceTo, entries, ',');
    ParseAddressList(fields.m_strSourceCc, entries, ',');
    for (const CString& strEntry : entries)
        addressed.insert(UpperAddress(strEntry));
    CString strFrom = UpperAddress(fields.m_strFrom);

    LONG nDefaultID = -1;
    {
        CAccountsImpl impl(pSession);
        if (impl.SelectDefaultAccount(hOwner))
            nDefaultID = impl.m_Accounts.m_ID;
    }

    std::vector<bool> matches;
    CAccountsTable table(pSession, NULL);
    table.Open(hOwner);
    while (table.MoveNext() == S_OK)
    {
        CString strAddress = table.m_szEmailAddress;
        CString strUpper = strAddress;
        strUpper.Trim();
        strUpper.MakeUpper();
        bool bMatch = bMapiMessage ? (!strFrom.IsEmpty() && strUpper == strFrom) : addressed.count(strUpper) != 0;
        bool bDraftFrom = !strFrom.IsEmpty() && strUpper == strFrom;
        accounts.push_back({table.m_ID, strAddress + " (" + table.m_szDisplayName + ")"});
        matches.push_back(fields.m_nMode == COMPOSE_EDIT_DRAFT ? bDraftFrom : bMatch);
    }
    bool bAnyMatch = false;
    for (bool bMatch : matches)
        bAnyMatch = bAnyMatch || bMatch;
    for (size_t i = 0; i < accounts.size(); i++)
    {
        bool bSelect = fields.m_nMode == COMPOSE_EDIT_DRAFT || bAnyMatch ? (bool)matches[i]
                                                                         : accounts[i].nID == nDefaultID;
        if (bSelect)
            nSelected = (int)i;
    }
}

bool FillFromCombo(HWND hWndCombo, CSession* pSession, const CComposeFields& fields, bool bMapiMessage,
                   HWND hOwner)
{
    ::SendMessageA(hWndCombo, CB_RESETCONTENT, 0, 0);
    if (!AddAccountWithWizard(pSession, hOwner))
        return false;
    std::vector<CFromAccount> accounts;
    int nSelected = -1;
    ListFromAccounts(pSession, fields, bMapiMessage, accounts, nSelected, hOwner);
    for (const CFromAccount& account : accounts)
    {
        int nIndex = (int)::SendMessageA(hWndCombo, CB_ADDSTRING, 0, (LPARAM)account.strText.GetString());
        ::SendMessageA(hWndCombo, CB_SETITEMDATA, nIndex, (LPARAM)account.nID);
    }
    ::SendMessageA(hWndCombo, CB_SETCURSEL, nSelected, 0);
    return true;
}
