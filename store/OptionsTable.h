// The Options table: one row per user with the default account and a word of option bits.
#pragma once

#include "store/ColumnDesc.h"
#include "store/TableBase.h"

extern const CColumnDesc g_OptionsColumns[];

class COptionsRecord
{
public:
    LONG m_DefaultAccountID;
    LONG m_UserID;
    LONG m_Flags;
    // A NULL DefaultAccountID (no default account) leaves the value the caller preset: callers preset -1
    // and read "still -1" as no default.
    DBSTATUS m_DefaultAccountIDStatus;

    // clang-format off
    BEGIN_COLUMN_MAP(COptionsRecord)
        COLUMN_ENTRY(1, m_UserID)
        COLUMN_ENTRY_STATUS(2, m_DefaultAccountID, m_DefaultAccountIDStatus)
        COLUMN_ENTRY(3, m_Flags)
    END_COLUMN_MAP()

    BEGIN_PARAM_MAP(COptionsRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_UserID)
    END_PARAM_MAP()
    // clang-format on
};

class COptionsTable : public CTableBase<COptionsRecord>
{
public:
    // Works on the accounts database while the use-my-database switch is on.
    explicit COptionsTable(CSession* pSession);
    virtual ~COptionsTable();

    // The rows of the record's UserID; NULL SQL is the default SELECT.
    void Open(HWND hOwner = NULL, const char* pszSQL = NULL);
    // Ready flag cleared, rowset closed, record zeroed with UserID 1, then opened: the database works with
    // the row of user 1.
    void Reset();
    // Stores the default account of the record's user, inserting the row when there is none. An account
    // that does not exist is refused with a text exception: the column refers to Accounts.
    void SetDefaultAccountID(HWND hOwner, LONG nAccountID);

    // Write the record's DefaultAccountID as a value even when the last read found NULL; the default is
    // cleared by an UPDATE statement, never through the record.
    HRESULT SetData()
    {
        m_DefaultAccountIDStatus = DBSTATUS_S_OK;
        return CTableBase<COptionsRecord>::SetData();
    }
    HRESULT Insert(int nAccessor = 0, bool bGetHRow = false)
    {
        m_DefaultAccountIDStatus = DBSTATUS_S_OK;
        return CTableBase<COptionsRecord>::Insert(nAccessor, bGetHRow);
    }

    static void CreateTableIfMissing(CSession* pSession, HWND hOwner);

    // Bit 0 (signatures on all outgoing messages) and bit 1 (none on replies and forwards) of the current
    // user's Flags, read once per object; 0 when the user has no row.
    int GetAddSignature(HWND hOwner = NULL) { return (ReadFlagsOnce(hOwner) & 0x1) != 0; }
    int GetNoSignatureOnReply(HWND hOwner = NULL) { return (ReadFlagsOnce(hOwner) & 0x2) != 0; }

private:
    LONG ReadFlagsOnce(HWND hOwner);
    bool m_bFlagsRead = false;
    LONG m_nFlagsRead = 0;
};
