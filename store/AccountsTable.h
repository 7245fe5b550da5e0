// The Accounts table: one row per mail account, its table object, the account access object and the
// account operations (delete, add, IMAP root folders, password).
#pragma once

#include <functional>

#include "store/ColumnDesc.h"
#include "store/DeletedMessagesTable.h"
#include "store/OptionsTable.h"
#include "store/TableBase.h"

class CIMAPwrapperAccount;

extern const CColumnDesc g_AccountsColumns[];
// Names of IncomingServerType 0 and 1, closed by NULL.
extern const char* const IncomingServerTypeNames[];

enum
{
    INCOMING_SERVER_POP3 = 0,
    INCOMING_SERVER_IMAP = 1
};

class CAccountsRecord
{
public:
    CAccountsRecord() { Clear(); }
    // A copy never owns the original's IMAP client.
    CAccountsRecord(const CAccountsRecord& other) { *this = other; }
    CAccountsRecord& operator=(const CAccountsRecord& other);

    // All zero: no account, no IMAP client.
    void Clear();
    // The incoming password: decrypted from PassCrypto when it holds a block, else the plain Pass column.
    CString GetPassword();
    // Encrypts the password into PassCrypto (no pass phrase) and empties the plain column; an empty text
    // empties both, so a password the user took away is not used any more. The row is not written.
    void SetPassword(const char* pszPassword);
    void DeleteIMAPwrapper();
    void SetFlagsBit8() { m_Flags |= 0x100; }
    // For an IMAP account root that shows no folders: unless the server's list has come (Flags 0x100),
    // offers to fetch it; Yes sends the owner ID_IMAP_LIST with this account.
    void OfferImapList(HWND hOwner);

    char m_szAccountName[101];
    char m_szEmailAddress[101];
    char m_szDisplayName[101];
    LONG m_ID;
    char m_szPOP3[101];
    char m_szSMTP[101];
    BYTE m_RemoveAfter;
    char m_szSMTPAccountName[101];
    char m_szSMTPPass[101];
    LONG m_SMTPPort;
    LONG m_IncomingPort;
    LONG m_Flags;
    BYTE m_IncomingServerType;
    CIMAPwrapperAccount* m_pIMAPwrapper;
    char m_szPass[101];
    BYTE m_PassCrypto[512];
    char m_szDelimiter[3];

    // clang-format off
    BEGIN_ACCESSOR_MAP(CAccountsRecord, 5)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(2, m_szDisplayName)
            COLUMN_ENTRY(3, m_szEmailAddress)
            COLUMN_ENTRY(4, m_szPOP3)
            COLUMN_ENTRY(5, m_szSMTP)
            COLUMN_ENTRY(6, m_szAccountName)
            COLUMN_ENTRY(7, m_szPass)
            COLUMN_ENTRY(8, m_Flags)
            COLUMN_ENTRY(9, m_RemoveAfter)
            COLUMN_ENTRY(10, m_IncomingServerType)
            COLUMN_ENTRY(11, m_szDelimiter)
            COLUMN_ENTRY(12, m_szSMTPAccountName)
            COLUMN_ENTRY(13, m_szSMTPPass)
            COLUMN_ENTRY(14, m_SMTPPort)
            COLUMN_ENTRY(15, m_IncomingPort)
            COLUMN_ENTRY_TYPE_SIZE(16, DBTYPE_BYTES, 512, m_PassCrypto)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_ID)
        END_ACCESSOR()
        BEGIN_ACCESSOR(2, true)
            COLUMN_ENTRY(6, m_szAccountName)
            COLUMN_ENTRY(7, m_szPass)
        END_ACCESSOR()
        BEGIN_ACCESSOR(3, true)
            COLUMN_ENTRY(8, m_Flags)
        END_ACCESSOR()
        BEGIN_ACCESSOR(4, true)
            COLUMN_ENTRY(11, m_szDelimiter)
        END_ACCESSOR()
    END_ACCESSOR_MAP()

    // Every keyed select takes its value from the ID field, whatever the column.
    BEGIN_PARAM_MAP(CAccountsRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_ID)
    END_PARAM_MAP()
    // clang-format on
};

// Destroys an account's IMAP client; set by the IMAP client code, which owns that class.
typedef void (*IMAPwrapperDeleter)(CIMAPwrapperAccount* pWrapper);
void SetIMAPwrapperDeleter(IMAPwrapperDeleter pfnDeleter);

class CAccountsTable : public CTableBase<CAccountsRecord>
{
public:
    // Works on the accounts database while the use-my-database switch is on.
    CAccountsTable(CSession* pSession, COptionsTable* pOptions);
    virtual ~CAccountsTable();

    // pszTable names the table in the failure text; NULL SQL is the default SELECT.
    void Open(HWND hOwner, const char* pszTable = "Accounts", const char* pszSQL = NULL);
    // Creates and upgrades the table, once per object.
    void EnsureTable(HWND hOwner);
    // Adds one of the newer columns (descriptor index 9 to 15); false for any other.
    bool AlterColumn(int nColumn, CSession* pSession);
    // Deletes the current account with its leave-on-server bookkeeping, after moving the users' default
    // account off it. Returns the result of the row deletion.
    HRESULT DeleteAccount(HWND hOwner);
    // Inserts the Folders root item (Type 13) of every IMAP account that has none.
    void EnsureIMAPRootFolders(HWND hOwner);
    // True when an account with that ID exists.
    bool Exists(HWND hOwner, LONG nAccountID);
    // True when the current account is the user's default. A user with no default (no Options row, or a
    // NULL one) gets the current account as the default first.
    bool IsDefaultAccount(HWND hOwner);
    // Makes the current account the user's default, adding the user's Options row when it is missing.
    void SetDefaultAccount(HWND hOwner);
    // The current account's incoming password. One still in the plain column is encrypted and the row
    // written, once; a failed write is shown and the text returned all the same.
    CString GetPassword(HWND hOwner = NULL);

    static void CreateTableIfMissing(CSession* pSession, HWND hOwner);
    static const char* DefaultSelect();

    COptionsTable* m_pOptions;
};

// The account access object of receiving, the message store and account deletion.
class CAccountsImpl
{
public:
    explicit CAccountsImpl(CSession* pSession);
    virtual ~CAccountsImpl();

    // Reads the Accounts rows in order up to the user's default account, which it leaves current; an
    // account read while the user has none (no Options row, or -1) becomes the default first. False when
    // the rows run out.
    bool SelectDefaultAccount(HWND hOwner);

    CDeletedMessagesTable m_DeletedMessages;
    CString m_strText;
    COptionsTable m_Options;
    CAccountsTable m_Accounts;
};

// The add-account command of the Internet Accounts dialog, without the dialog: a cleared record with the
// defaults of a new account (Flags 6, RemoveAfter 5) goes through runWizard (1: finished) and is inserted.
// Insert failures are shown, not thrown. Returns true when an account was added.
bool AddAccount(HWND hOwner, CSession* pSession,
                const std::function<int(CAccountsRecord& record)>& runWizard);
