// The Emails table: one row per stored message, its record, its three parameter bindings, its table object.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/ColumnDesc.h"
#include "store/OLEDBException.h"
#include "store/StoreTexts.h"
#include "store/TableBase.h"

class CDatabaseSession;

extern const CColumnDesc g_EmailsColumns[];

// Plain and store texts of the message list and of every selection on this table.
extern const char g_szEmailsSelect[];

// Message state bits in Flags.
enum
{
    EMAIL_FLAG_ATTACHMENTS = 0x01,
    EMAIL_FLAG_UNREAD = 0x02,
    EMAIL_FLAG_EXTRA1 = 0x08,
    EMAIL_FLAG_HIGH_PRIORITY = 0x10,
    EMAIL_FLAG_LOW_PRIORITY = 0x20,
    EMAIL_FLAG_NO_BODY = 0x40,
    EMAIL_FLAG_BODY_PRESENT = 0x80,
    EMAIL_FLAG_EXTRA2 = 0x100,
    EMAIL_FLAG_EXTRA3 = 0x200
};

class CEmailsRecord
{
public:
    CEmailsRecord() { ZeroRow(); }

    // Zeroes the row (releasing a stream still bound to it) and sets EmDate to now.
    void Clear();
    void UpdateFlags(CDatabaseSession* pDatabase, HWND hWndOwner);
    void SaveFlags(HWND hWnd);
    // Lets go of the bound Message stream without reading it.
    void ReleaseMessageStream();
    // The body-present marker; setting it clears the no-body and unread bits.
    void SetBodyPresent(BOOL bPresent)
    {
        if (bPresent)
            m_Flags = (m_Flags | EMAIL_FLAG_BODY_PRESENT) & ~(EMAIL_FLAG_NO_BODY | EMAIL_FLAG_UNREAD);
        else
            m_Flags &= ~EMAIL_FLAG_BODY_PRESENT;
    }
    bool IsNoBody() const { return (m_Flags & EMAIL_FLAG_NO_BODY) != 0; }
    void SetFlag(LONG nFlag, BOOL bSet) { m_Flags = bSet ? (m_Flags | nFlag) : (m_Flags & ~nFlag); }

    char m_Criteria[256];
    LONG m_EmailsID;
    DATE m_EmDate;
    LONG m_FolderID;
    DBLENGTH m_MessageLength;
    DBSTATUS m_MessageStatus;
    ISequentialStream* m_pMessage;
    LONG m_Quantity;
    char m_Ref[256];
    char m_Status[51];
    char m_Subject[256];
    char m_MessageID[128];
    char m_UniqueID[256];
    LONG m_AccountID;
    LONG m_Flags;
    BYTE m_Encode;

protected:
    void ZeroRow();
};

// The OLE date nSeconds after the time, made through calendar fields like every stored date, so that a
// bound one second off compares exactly with a row of that second.
DATE OleDateAfterSeconds(const SYSTEMTIME& when, int nSeconds);

// Sort of the message list by column 0-5; a zero bAscending reverses the order.
int CompareEmailsRecords(const CEmailsRecord& a, const CEmailsRecord& b, int nColumn, BOOL bAscending);

// Every column but the counter: read with each row and written by an insert.
#define EMAILS_ROW_ENTRIES()                                                                                 \
    COLUMN_ENTRY(2, m_EmDate)                                                                                \
    COLUMN_ENTRY(3, m_Criteria)                                                                              \
    COLUMN_ENTRY(4, m_Quantity)                                                                              \
    COLUMN_ENTRY(5, m_Subject)                                                                               \
    BLOB_ENTRY_LENGTH_STATUS(6, IID_ISequentialStream, STGM_READ, m_pMessage, m_MessageLength,               \
                             m_MessageStatus)                                                                \
    COLUMN_ENTRY(7, m_Ref)                                                                                   \
    COLUMN_ENTRY(8, m_Status)                                                                                \
    COLUMN_ENTRY(9, m_FolderID)                                                                              \
    COLUMN_ENTRY(10, m_Flags)                                                                                \
    COLUMN_ENTRY(11, m_MessageID)                                                                            \
    COLUMN_ENTRY(12, m_UniqueID)                                                                             \
    COLUMN_ENTRY(13, m_AccountID)                                                                            \
    COLUMN_ENTRY(14, m_Encode)

// The store form: selections by folder, by identity (put into FolderID), by account and unique ID (account in
// FolderID, unique ID in Subject) and the duplicate search (EmDate and EmDateMin are its date bounds).
class CEmailsStoreAccessor : public CEmailsRecord
{
public:
    DATE m_EmDateMin = 0;

    BEGIN_ACCESSOR_MAP(CEmailsStoreAccessor, 6)
        BEGIN_ACCESSOR(0, true)
            EMAILS_ROW_ENTRIES()
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_EmailsID)
        END_ACCESSOR()
        BEGIN_ACCESSOR(2, true)
            COLUMN_ENTRY(9, m_FolderID)
        END_ACCESSOR()
        BEGIN_ACCESSOR(3, true)
            COLUMN_ENTRY(10, m_Flags)
        END_ACCESSOR()
        BEGIN_ACCESSOR(4, true)
            COLUMN_ENTRY(14, m_Encode)
        END_ACCESSOR()
        BEGIN_ACCESSOR(5, true)
            COLUMN_ENTRY(5, m_Subject)
        END_ACCESSOR()
    END_ACCESSOR_MAP()

    BEGIN_PARAM_MAP(CEmailsStoreAccessor)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_FolderID)
        COLUMN_ENTRY(2, m_Subject)
        COLUMN_ENTRY(3, m_Ref)
        COLUMN_ENTRY_TYPE(4, DBTYPE_R8, m_EmDate)
        COLUMN_ENTRY_TYPE(5, DBTYPE_R8, m_EmDateMin)
    END_PARAM_MAP()
};

#define EMAILS_PLAIN_ACCESSORS(cls)                                                                          \
    BEGIN_ACCESSOR_MAP(cls, 4)                                                                               \
        BEGIN_ACCESSOR(0, true)                                                                              \
            EMAILS_ROW_ENTRIES()                                                                             \
        END_ACCESSOR()                                                                                       \
        BEGIN_ACCESSOR(1, true)                                                                              \
            COLUMN_ENTRY(1, m_EmailsID)                                                                      \
        END_ACCESSOR()                                                                                       \
        BEGIN_ACCESSOR(2, true)                                                                              \
            COLUMN_ENTRY(9, m_FolderID)                                                                      \
        END_ACCESSOR()                                                                                       \
        BEGIN_ACCESSOR(3, true)                                                                              \
            COLUMN_ENTRY(10, m_Flags)                                                                        \
        END_ACCESSOR()                                                                                       \
    END_ACCESSOR_MAP()

// " WHERE MessageID = ?": the Message-ID goes into the Subject field.
class CEmailsMessageIDAccessor : public CEmailsRecord
{
public:
    EMAILS_PLAIN_ACCESSORS(CEmailsMessageIDAccessor)

    BEGIN_PARAM_MAP(CEmailsMessageIDAccessor)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_Subject)
    END_PARAM_MAP()
};

// WHERE FolderID = ? AND UniqueID = ?
class CEmailsUniqueIDAccessor : public CEmailsRecord
{
public:
    EMAILS_PLAIN_ACCESSORS(CEmailsUniqueIDAccessor)

    BEGIN_PARAM_MAP(CEmailsUniqueIDAccessor)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_FolderID)
        COLUMN_ENTRY(2, m_UniqueID)
    END_PARAM_MAP()
};

// Creation and upgrade of the table, shared by the three variants.
class CEmailsTableBase
{
public:
    // Creates Emails when it is missing, and with it Attachments and Address.
    static void CreateTable(CSession* pSession, HWND hWndOwner);
    // Adds the missing column of index nColumn when it is one of the newer ones; 0 when it is not.
    static int AlterTable(int nColumn, CSession* pSession);
    // Creation, then the schema check until it passes, upgrading the newer columns on the way.
    static void EnsureTable(CSession* pSession, HWND hWndOwner, CString& strError);
    // The failure of a prepared look-up.
    [[noreturn]] static void ThrowExecuteFailure(ICommand* pCommand, CSession* pSession, HWND hWndOwner,
                                                 HRESULT hr);
};

template <class TAccessor = CEmailsStoreAccessor>
class CEmailsTable : public CTableBase<TAccessor>, public CEmailsTableBase
{
    typedef CCommand<CAccessor<TAccessor>> CBaseCommand;

public:
    explicit CEmailsTable(CSession* pSession = NULL) : CTableBase<TAccessor>(pSession) {}
    virtual ~CEmailsTable() { Close(); }

    void EnsureTable(HWND hWndOwner)
    {
        if (this->m_bReady)
            return;
        CEmailsTableBase::EnsureTable(this->m_pSession, hWndOwner, this->m_strError);
        this->m_bReady = 1;
    }

    // pszSQL null: the SELECT of every column. Replacing the command ends a prepared look-up too, so a later
    // ExecutePrepared cannot run this text.
    void Open(HWND hWndOwner, const char* pszTable = "Emails", const char* pszSQL = NULL)
    {
        (void)pszTable;
        if (!this->HasSession())
            throw StoreText::kNoSession;
        EnsureTable(hWndOwner);
        this->ReleaseMessageStream();
        m_bLookupPrepared = false;
        this->OpenRowset(hWndOwner, pszSQL != NULL ? pszSQL : g_szEmailsSelect);
    }

    // Executes the statement prepared by a selection with the parameters now in the record.
    void ExecutePrepared(HWND hWndOwner)
    {
        CDBPropSet propset(DBPROPSET_ROWSET);
        SetChangeableRowsetProps(propset);
        this->ReleaseMessageStream();
        CBaseCommand::Close(); // the previous rowset only; the prepared command stays
        HRESULT hr = CBaseCommand::Open(&propset);
        if (FAILED(hr))
            ThrowExecuteFailure(this->m_spCommand, this->m_pSession, hWndOwner, hr);
    }

    // Rowset and command; the record keeps its values.
    void Close()
    {
        this->ReleaseMessageStream();
        CTableBase<TAccessor>::CloseTable();
        m_bLookupPrepared = false;
    }

    // Set while the command is a look-up prepared by a selection for repeated execution; any other open
    // replaces the command and clears it.
    bool m_bLookupPrepared = false;
};
