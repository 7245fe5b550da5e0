// The DeletedMessages table: the server identifiers of messages deleted locally, per account, and the
// leave-on-server bookkeeping that removes messages from the server by the account's rules.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/ColumnDesc.h"
#include "store/TableBase.h"

class CAccountsTable;
class CServerMessageList;

extern const CColumnDesc g_DeletedMessagesColumns[];

// Accounts Flags bits of the leave-on-server rules.
enum
{
    ACCOUNT_LEAVE_ON_SERVER = 0x08,
    ACCOUNT_REMOVE_WHEN_DELETED = 0x10,
    ACCOUNT_REMOVE_AFTER_DAYS = 0x40,
    ACCOUNT_MESSAGES_ON_SERVER = 0x80
};

class CDeletedMessagesRecord
{
public:
    CDeletedMessagesRecord() { Clear(); }

    // All zero; DateOfDeleting is now.
    void Clear();

    char m_UniqueID[256];
    LONG m_AccountID;
    DATE m_DateOfDeleting;

    // clang-format off
    BEGIN_COLUMN_MAP(CDeletedMessagesRecord)
        COLUMN_ENTRY(1, m_UniqueID)
        COLUMN_ENTRY(2, m_AccountID)
        COLUMN_ENTRY(3, m_DateOfDeleting)
    END_COLUMN_MAP()

    BEGIN_PARAM_MAP(CDeletedMessagesRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_AccountID)
        COLUMN_ENTRY(2, m_UniqueID)
    END_PARAM_MAP()
    // clang-format on
};

class CDeletedMessagesTable : public CTableBase<CDeletedMessagesRecord>
{
public:
    explicit CDeletedMessagesTable(CSession* pSession) : CTableBase<CDeletedMessagesRecord>(pSession) {}
    virtual ~CDeletedMessagesTable() {}

    // Opens the account's rows, or its rows of one identifier, as a changeable rowset; the caller moves.
    void Find(HWND hOwner, LONG nAccountID, const char* pszUniqueID);
    // Deletes every row of the account, on this object's own session; nothing when the table is missing.
    void DeleteByAccountID(HWND hOwner, LONG nAccountID);
    // Creates the table when it is missing, on the accounts database's session while that switch is on.
    static void Create(CSession* pSession, HWND hOwner);

private:
    void PrepareQuery(bool bWithUniqueID);
    void OpenPrepared(HWND hOwner);

    // Which of the two statements is prepared: a lookup of one identifier must never run the
    // account-wide one.
    bool m_bPreparedWithUniqueID = false;
};

// The bookkeeping after a download pass: deletes on the server what the account's rules say may go,
// drops the rows that no longer matter and records in Flags (0x80) whether messages remain on the server.
// account is positioned on the account's row, which is written back. Failures are thrown.
void PurgeDeletedMessages(HWND hOwner, CAccountsTable& account, CServerMessageList& server);

// The millisecond clock of the keep-alive; a test may replace it. Returns the previous one.
typedef DWORD (*PurgeTickSource)();
PurgeTickSource SetPurgeTickSource(PurgeTickSource pfnTicks);
