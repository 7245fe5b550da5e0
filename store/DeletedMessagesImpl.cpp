// Recording a deleted server message for the leave-on-server bookkeeping.
#include "store/DeletedMessagesImpl.h"

#include <string.h>

#include "store/AccountsTable.h"
#include "store/DeletedMessagesTable.h"
#include "store/Folders.h"
#include "store/OLEDBException.h"
#include "store/StoreTexts.h"

namespace
{
const char kInsertFailed[] = "ERROR: Insert DeletedMessages table failed!";
}

bool CDeletedMessagesImpl::Record(HWND hOwner, const char* pszUniqueID, LONG nAccountID, DATE emDate)
{
    if (m_pSession == NULL)
        throw StoreText::kNoSession;
    CAccountsImpl accounts(m_pSession);
    if (!accounts.m_Accounts.Exists(hOwner, nAccountID))
        return false;
    CDeletedMessagesTable& table = accounts.m_DeletedMessages;
    CDeletedMessagesTable::Create(m_pSession, hOwner);
    table.Find(hOwner, nAccountID, NULL);
    table.Clear();
    strncpy(table.m_UniqueID, pszUniqueID, sizeof(table.m_UniqueID) - 1);
    table.m_DateOfDeleting = emDate;
    table.m_AccountID = nAccountID;
    HRESULT hr = table.Insert();
    if (FAILED(hr))
        throw new COLEDBException(table.m_spRowsetChange, IID_IRowsetChange, kInsertFailed, m_pSession, hOwner,
                                  FALSE, NULL, FALSE, FALSE, hr);
    table.CloseTable();
    return true;
}

void CDeletedMessagesImpl::Remove(HWND hOwner, const char* pszUniqueID, LONG nAccountID)
{
    CAccountsImpl accounts(m_pSession);
    CDeletedMessagesTable& table = accounts.m_DeletedMessages;
    table.Find(hOwner, nAccountID, pszUniqueID);
    // One row: an older row of the same message stands for a deletion that did happen.
    if (table.MoveNext() == S_OK)
        table.Delete();
    table.CloseTable();
}

bool IsImapFolder(CSession* pSession, LONG nFolderID, HWND hOwner)
{
    CFolders folders(pSession);
    if (!folders.LoadFolder(nFolderID, hOwner))
        return false;
    return folders.m_Type == FOLDER_IMAP_FIRST || folders.m_Type == FOLDER_IMAP_LAST;
}
