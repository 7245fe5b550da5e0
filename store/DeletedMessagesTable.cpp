// The DeletedMessages table and the leave-on-server bookkeeping.
#include "store/DeletedMessagesTable.h"

#include <string.h>

#include "foundation/TraceFile.h"
#include "store/AccountsTable.h"
#include "store/DatabaseSession.h"
#include "store/OLEDBException.h"
#include "store/ServerMessageList.h"
#include "store/StoreTexts.h"
#include "store/TableSchema.h"

const CColumnDesc g_DeletedMessagesColumns[] = {
    {"UniqueID", 1, DBTYPE_STR, 255, "", NULL, 1},
    {"AccountID", 2, DBTYPE_I4, 0, "", NULL, 1},
    {"DateOfDeleting", 3, DBTYPE_DATE, 0, "", NULL, 1},
    {"", 0, 0, 0, "", NULL, 1}};

namespace
{
const char kTable[] = "DeletedMessages";
// The create-failed text in the string table (resources/foundation.rc): the table's name, then the statement.
const UINT kCreateTableFailedText = 246;
const char kCreateStatement[] =
    "CREATE TABLE DeletedMessages(UniqueID TEXT(255) NOT NULL, AccountID INTEGER NOT NULL CONSTRAINT "
    "FK_DeletedMessagesAccountID REFERENCES Accounts (ID), DateOfDeleting DATETIME)";
const char kFindQuery[] = " \tSELECT * FROM DeletedMessages WHERE AccountID = ?";
const char kUniqueIDTooLarge[] = "Find DeletedMessages table failed! UniqueID length too large.";
const char kOpenFailed[] = "FATAL ERROR. Open DeletedMessages table failed!\r\n\r\n";
const char kDeleteRowFailed[] = "ERROR: Delete from DeletedMessages table failed!";
const char kOpenEmailsFailed[] = "FATAL ERROR. Open Emails table failed!\r\n\r\n";
const char kUpdateFlagsFailed[] = "ERROR: Update of the Flags field of the Accounts table failed!";
// The store's messages of one account with one server identifier. The account is part of the condition:
// another account's message with the same identifier says nothing about this server.
const char kStoredQuery[] =
    " \tSELECT Emails.EmailsID, Emails.EmDate, Emails.Criteria, Emails.Quantity, Emails.Subject, "
    "Emails.Message, Emails.Ref, Emails.Status, Emails.FolderID, Emails.Flags, Emails.MessageID, "
    "Emails.UniqueID, Emails.AccountID, Emails.Encode FROM Emails WHERE UniqueID = ? AND AccountID = ?";
// A quiet server drops the connection after a while; STAT keeps it talking during a long pass.
const DWORD kKeepAliveTicks = 10000;

DWORD SystemTicks()
{
    return GetTickCount();
}
PurgeTickSource s_pfnTicks = SystemTicks;

DATE LocalNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    DATE date = 0;
    SystemTimeToVariantTime(&now, &date);
    return date;
}

class CStoredMessageRecord
{
public:
    LONG m_EmailsID = 0;
    DATE m_EmDate = 0;
    char m_UniqueID[256] = {};
    LONG m_AccountID = 0;

    // clang-format off
    BEGIN_COLUMN_MAP(CStoredMessageRecord)
        COLUMN_ENTRY(1, m_EmailsID)
        COLUMN_ENTRY(2, m_EmDate)
    END_COLUMN_MAP()

    BEGIN_PARAM_MAP(CStoredMessageRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_UniqueID)
        COLUMN_ENTRY(2, m_AccountID)
    END_PARAM_MAP()
    // clang-format on
};
} // namespace

void CDeletedMessagesRecord::Clear()
{
    memset(m_UniqueID, 0, sizeof(m_UniqueID));
    m_AccountID = 0;
    m_DateOfDeleting = LocalNow();
}

PurgeTickSource SetPurgeTickSource(PurgeTickSource pfnTicks)
{
    PurgeTickSource pfnOld = s_pfnTicks;
    s_pfnTicks = pfnTicks != NULL ? pfnTicks : SystemTicks;
    return pfnOld;
}

void CDeletedMessagesTable::PrepareQuery(bool bWithUniqueID)
{
    CloseTable();
    CString strSQL = kFindQuery;
    if (bWithUniqueID)
        strSQL += CString(" AND ") + "UniqueID" + " = ?";
    HRESULT hr = CCommand<CAccessor<CDeletedMessagesRecord>>::Create(*m_pSession, strSQL);
    if (SUCCEEDED(hr))
        hr = Prepare();
    if (FAILED(hr))
        throw new COLEDBException(m_spCommand, IID_ICommand, kOpenFailed, m_pSession, NULL, FALSE, NULL, FALSE,
                                  FALSE, hr);
    m_bPrepared = true;
    m_bPreparedWithUniqueID = bWithUniqueID;
}

void CDeletedMessagesTable::OpenPrepared(HWND hOwner)
{
    CDBPropSet propSet(DBPROPSET_ROWSET);
    SetChangeableRowsetProps(propSet);
    HRESULT hr = Open(&propSet);
    if (FAILED(hr))
        throw new COLEDBException(m_spCommand, IID_ICommand, kOpenFailed, m_pSession, hOwner, FALSE, NULL, FALSE,
                                  FALSE, hr);
}

void CDeletedMessagesTable::Find(HWND hOwner, LONG nAccountID, const char* pszUniqueID)
{
    if (!HasSession())
        throw StoreText::kNoSession;
    bool bWithUniqueID = pszUniqueID != NULL;
    if (!m_bPrepared || m_bPreparedWithUniqueID != bWithUniqueID)
        PrepareQuery(bWithUniqueID);
    CCommand<CAccessor<CDeletedMessagesRecord>>::Close();
    Clear();
    m_AccountID = nAccountID;
    if (pszUniqueID != NULL)
    {
        if (strlen(pszUniqueID) >= sizeof(m_UniqueID))
            throw kUniqueIDTooLarge;
        strcpy(m_UniqueID, pszUniqueID);
    }
    OpenPrepared(hOwner);
}

void CDeletedMessagesTable::DeleteByAccountID(HWND hOwner, LONG nAccountID)
{
    if (!HasSession() || !TableExists(m_pSession, kTable))
        return;
    CString strSQL;
    strSQL.Format("DELETE FROM %s WHERE %s = %ld", kTable, "AccountID", (long)nAccountID);
    // The statement runs where the table was found: the database of this very session.
    CDatabaseSession* pDatabase = FindDatabaseBySession(m_pSession);
    if (pDatabase != NULL)
    {
        pDatabase->ExecuteSQL(strSQL, hOwner);
        return;
    }
    CString strFailed;
    strFailed.Format(StoreText::kExecuteSqlFailed, (const char*)strSQL);
    ExecuteOnSession(m_pSession, strSQL, hOwner, strFailed);
}

void CDeletedMessagesTable::Create(CSession* pSession, HWND hOwner)
{
    pSession = AccountsSessionFor(pSession);
    if (hOwner != NULL && IsWindow(hOwner))
    {
        // The referenced table must not be held open while the new one is created.
        static const UINT s_uGetTable = RegisterWindowMessageA("LetrovaGetTable");
        CAccountsTable* pAccounts = NULL;
        ::SendMessage(hOwner, s_uGetTable, (WPARAM)&pAccounts, (LPARAM) "Accounts");
        if (pAccounts != NULL)
            pAccounts->CCommand<CAccessor<CAccountsRecord>>::Close();
    }
    if (TableExists(pSession, kTable))
        return;
    CCommand<CNoAccessor, CNoRowset> command;
    HRESULT hr = command.Open(*pSession, kCreateStatement, NULL, NULL, DBGUID_DEFAULT, false);
    if (FAILED(hr))
    {
        CString strText;
        CString strFormat;
        strFormat.LoadString(kCreateTableFailedText);
        strText.Format(strFormat, kTable, kCreateStatement);
        throw new COLEDBException(command.m_spCommand, IID_ICommand, strText, pSession, hOwner, FALSE, NULL,
                                  FALSE, FALSE, hr);
    }
    if (IsTraceOn())
        g_pTraceFile->WriteText(CString("\r\n") + kCreateStatement);
    command.Close();
}

void PurgeDeletedMessages(HWND hOwner, CAccountsTable& account, CServerMessageList& server)
{
    // A listing that failed leaves an empty list that means nothing: the bookkeeping stays as it was.
    if (!server.IsListed())
        return;
    const DATE now = LocalNow();
    const LONG nFlags = account.m_Flags;
    const double dRemoveAfter = account.m_RemoveAfter;
    const bool bLeaveCopy = (nFlags & ACCOUNT_LEAVE_ON_SERVER) != 0;
    const bool bRemoveWhenDeleted = (nFlags & ACCOUNT_REMOVE_WHEN_DELETED) != 0;
    const bool bRemoveAfterDays = (nFlags & ACCOUNT_REMOVE_AFTER_DAYS) != 0;

    CAccountsImpl impl(account.GetSession());
    CDeletedMessagesTable& deleted = impl.m_DeletedMessages;
    deleted.Find(hOwner, account.m_ID, NULL);
    while (deleted.MoveNext() == S_OK)
    {
        bool bDeleteRow = server.GetCount() == 0;
        if (!bDeleteRow)
        {
            for (int i = 0; i < server.GetCount(); i++)
            {
                // Identifiers are byte strings: a different letter case is a different message.
                if (strcmp(server.GetUniqueID(i), deleted.m_UniqueID) != 0)
                    continue;
                if (bLeaveCopy && !bRemoveWhenDeleted &&
                    !(bRemoveAfterDays && deleted.m_DateOfDeleting + dRemoveAfter < now))
                    continue;
                server.Dele(server.GetMessageNumber(i));
                server.RemoveAt(i);
                bDeleteRow = true;
                break; // the row is gone: it has nothing left to compare
            }
        }
        if (!bDeleteRow)
            continue;
        HRESULT hr = deleted.Delete();
        if (FAILED(hr))
            throw new COLEDBException(deleted.m_spRowsetChange, IID_IRowsetChange, kDeleteRowFailed,
                                      deleted.GetSession(), hOwner, FALSE, NULL, FALSE, FALSE, hr);
    }
    deleted.CloseTable();

    CCommand<CAccessor<CStoredMessageRecord>> stored;
    CSession* pStoreSession = account.GetSession();
    if (g_pDatabaseLocal != NULL && g_pDatabaseLocal->IsOpen())
        pStoreSession = &g_pDatabaseLocal->m_session; // messages live in the local database
    HRESULT hr = stored.Create(*pStoreSession, kStoredQuery);
    if (SUCCEEDED(hr))
        hr = stored.Prepare();
    if (FAILED(hr))
        throw new COLEDBException(stored.m_spCommand, IID_ICommand, kOpenEmailsFailed, pStoreSession, hOwner,
                                  FALSE, NULL, FALSE, FALSE, hr);
    DWORD dwTicks = s_pfnTicks();
    for (int i = 0; i < server.GetCount();)
    {
        if (s_pfnTicks() - dwTicks > kKeepAliveTicks)
        {
            server.Stat();
            dwTicks = s_pfnTicks();
        }
        const char* pszUniqueID = server.GetUniqueID(i);
        // An identifier the column cannot hold was never stored under it: cutting it could match another.
        if (strlen(pszUniqueID) >= sizeof(stored.m_UniqueID))
        {
            i++;
            continue;
        }
        stored.Close();
        strcpy(stored.m_UniqueID, pszUniqueID);
        stored.m_AccountID = account.m_ID;
        stored.m_EmDate = 0;
        CDBPropSet propSet(DBPROPSET_ROWSET);
        SetChangeableRowsetProps(propSet);
        hr = stored.Open(&propSet);
        if (FAILED(hr))
            throw new COLEDBException(stored.m_spCommand, IID_ICommand, kOpenEmailsFailed, pStoreSession, hOwner,
                                      FALSE, NULL, FALSE, FALSE, hr);
        if (stored.MoveNext() == S_OK &&
            (!bLeaveCopy || (bRemoveAfterDays && stored.m_EmDate + dRemoveAfter < now)))
        {
            server.Dele(server.GetMessageNumber(i));
            server.RemoveAt(i);
            continue;
        }
        i++;
    }
    stored.Close();

    if (server.GetCount() > 0)
        account.m_Flags |= ACCOUNT_MESSAGES_ON_SERVER;
    else
        account.m_Flags &= ~ACCOUNT_MESSAGES_ON_SERVER;
    hr = account.SetData(0);
    if (FAILED(hr))
        throw new COLEDBException(account.m_spRowsetChange, IID_IRowsetChange, kUpdateFlagsFailed,
                                  account.GetSession(), hOwner, FALSE, NULL, FALSE, FALSE, hr);
}
