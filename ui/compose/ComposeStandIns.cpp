// The address book's, the vCard writer's and the account wizard's operations in their simplest form.
#include "ui/compose/ComposeStandIns.h"

#include <vector>

#include "content/AddressList.h"
#include "store/AccountsTable.h"

CString ResolveRecipients(const CString& strText, int& bOk, HWND hOwner)
{
    std::vector<CString> entries;
    try
    {
        bOk = ParseAddressList(strText, entries, ';', NULL, TRUE, hOwner) ? 1 : 0;
    }
    catch (const char*)
    {
        // The address book's Cancel: the user chose no one for a name.
        bOk = 0;
    }
    if (!bOk)
        return CString();
    CString strResult;
    for (const CString& strEntry : entries)
    {
        if (!strResult.IsEmpty())
            strResult += "; ";
        strResult += strEntry;
    }
    return strResult;
}

CString ContactNameSearchWhere(const CString& strQuotedEntry)
{
    return " AND (ContactName.cFirstname LIKE '" + strQuotedEntry + "%' OR ContactName.cSurname LIKE '" +
           strQuotedEntry + "%')";
}

int (*ComposeAccountWizard)(CAccountsRecord& record, HWND hWndParent) = NULL;
ComposeRecipientPicker ComposeSelectRecipients = NULL;
ComposeContactPicker ComposeSelectContacts = NULL;

BOOL AddAccountWithWizard(CSession* pSession, HWND hOwner)
{
    {
        CAccountsTable accounts(pSession, NULL);
        accounts.Open(hOwner);
        if (accounts.MoveFirst() == S_OK)
            return TRUE;
    }
    if (ComposeAccountWizard == NULL)
        return FALSE;
    return AddAccount(hOwner, pSession,
                      [hOwner](CAccountsRecord& record) { return ComposeAccountWizard(record, hOwner); })
               ? TRUE
               : FALSE;
}
