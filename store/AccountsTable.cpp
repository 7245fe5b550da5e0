// The Accounts table, its table object, the account access object and the account operations.
#include "store/AccountsTable.h"

#include <memory>

#include "foundation/ErrorUtil.h"
#include "foundation/PasswordCrypto.h"
#include "store/DatabaseSession.h"
#include "store/OLEDBException.h"
#include "store/StoreTexts.h"
#include "store/TextException.h"

namespace
{
const char kAccounts[] = "Accounts";
const char kAccountsSelect[] =
    " \tSELECT \t\tID, \t\tDisplayName, \t\tEmailAddress, \t\tPOP3, \t\tSMTP, \t\tAccountName, Pass, Flags, "
    "RemoveAfter , IncomingServerType, Delimiter, SMTPAccountName, SMTPPass, SMTPPort, IncomingPort, "
    "PassCrypto "
    "FROM Accounts";
const WPARAM ID_ADD_ACCOUNT = 33041;
// The descriptor indexes of the columns that older files lack (IncomingServerType to PassCrypto).
const int kFirstNewerColumn = 9;
const int kLastNewerColumn = 15;

IMAPwrapperDeleter s_pfnDeleteIMAPwrapper = NULL;

// The root item of an IMAP account in Folders: its ID, looked up by Type and Name.
class CFolderRootRecord
{
public:
    LONG m_ID;
    LONG m_Type;
    char m_szName[256];

    // clang-format off
    BEGIN_COLUMN_MAP(CFolderRootRecord)
        COLUMN_ENTRY(1, m_ID)
    END_COLUMN_MAP()

    BEGIN_PARAM_MAP(CFolderRootRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_Type)
        COLUMN_ENTRY(2, m_szName)
    END_PARAM_MAP()
    // clang-format on
};
const LONG kImapRootType = 13;
} // namespace

const CColumnDesc g_AccountsColumns[] = {
    {"ID", 1, DBTYPE_COUNTER, 0, " CONSTRAINT PK_ID PRIMARY KEY", NULL, 1},
    {"DisplayName", 2, DBTYPE_STR, 100, " NOT NULL", NULL, 1},
    {"EmailAddress", 3, DBTYPE_STR, 100, " NOT NULL", NULL, 1},
    {"POP3", 4, DBTYPE_STR, 100, " NOT NULL", NULL, 1},
    {"SMTP", 5, DBTYPE_STR, 100, " NOT NULL", NULL, 1},
    {"AccountName", 6, DBTYPE_STR, 100, " NOT NULL", NULL, 1},
    {"Pass", 7, DBTYPE_STR, 100, "", NULL, 1},
    {"Flags", 8, DBTYPE_I4, 0, "", NULL, 1},
    {"RemoveAfter", 9, DBTYPE_UI1, 0, " NOT NULL", NULL, 1},
    {"IncomingServerType", 10, DBTYPE_UI1, 0, "", NULL, 1},
    {"Delimiter", 11, DBTYPE_STR, 2, "", NULL, 1},
    {"SMTPAccountName", 12, DBTYPE_STR, 100, "", NULL, 1},
    {"SMTPPass", 13, DBTYPE_STR, 100, "", NULL, 1},
    {"SMTPPort", 14, DBTYPE_I4, 0, "", NULL, 1},
    {"IncomingPort", 15, DBTYPE_I4, 0, "", NULL, 1},
    {"PassCrypto", 16, DBTYPE_BYTES, 0, "", NULL, 1},
    {"", 0, 0, 0, "", NULL, 0},
};

const char* const IncomingServerTypeNames[] = {"POP3", "IMAP", NULL};

void SetIMAPwrapperDeleter(IMAPwrapperDeleter pfnDeleter)
{
    s_pfnDeleteIMAPwrapper = pfnDeleter;
}

CAccountsRecord& CAccountsRecord::operator=(const CAccountsRecord& other)
{
    if (this != &other)
    {
        memcpy((void*)this, (const void*)&other, sizeof(CAccountsRecord));
        m_pIMAPwrapper = NULL;
    }
    return *this;
}

void CAccountsRecord::Clear()
{
    memset((void*)this, 0, sizeof(CAccountsRecord));
}

CString CAccountsRecord::GetPassword()
{
    DWORD cbBlock = 0;
    memcpy(&cbBlock, m_PassCrypto, sizeof(cbBlock));
    if (cbBlock == 0)
        return m_szPass;
    DWORD dwStatus = 0;
    CString strPassword = CAPIDecrypt(m_PassCrypto, sizeof(m_PassCrypto), &dwStatus, NULL);
    if (dwStatus == (DWORD)NTE_BAD_DATA)
    {
        CString strText;
        strText.Format(StoreText::kNoPasswordPermission, m_szDisplayName, m_szEmailAddress);
        AppMessageBox(strText, MB_OK);
    }
    return strPassword;
}

void CAccountsRecord::SetPassword(const char* pszPassword)
{
    if (pszPassword == NULL || pszPassword[0] == '\0')
        memset(m_PassCrypto, 0, sizeof(m_PassCrypto));
    else
        CAPIEncrypt(pszPassword, m_PassCrypto, sizeof(m_PassCrypto), NULL);
    m_szPass[0] = '\0';
}

void CAccountsRecord::OfferImapList(HWND hOwner)
{
    const WPARAM ID_IMAP_LIST = 33051;
    if (m_Flags & 0x100)
        return;
    if (AppMessageBox(StoreText::kOfferImapList, MB_YESNO | MB_ICONQUESTION, hOwner) == IDYES && hOwner != NULL)
        ::SendMessage(hOwner, WM_COMMAND, ID_IMAP_LIST, (LPARAM)this);
}

void CAccountsRecord::DeleteIMAPwrapper()
{
    if (m_pIMAPwrapper != NULL && s_pfnDeleteIMAPwrapper != NULL)
        s_pfnDeleteIMAPwrapper(m_pIMAPwrapper);
    m_pIMAPwrapper = NULL;
}

CAccountsTable::CAccountsTable(CSession* pSession, COptionsTable* pOptions)
    : CTableBase<CAccountsRecord>(AccountsSessionFor(pSession)), m_pOptions(pOptions)
{
}

CAccountsTable::~CAccountsTable() {}

const char* CAccountsTable::DefaultSelect()
{
    return kAccountsSelect;
}

void CAccountsTable::CreateTableIfMissing(CSession* pSession, HWND hOwner)
{
    ::CreateTableIfMissing(pSession, hOwner, kAccounts, g_AccountsColumns, "");
}

void CAccountsTable::Open(HWND hOwner, const char*, const char* pszSQL)
{
    if (!HasSession())
        throw StoreText::kNoSession;
    EnsureTable(hOwner);
    OpenRowset(hOwner, pszSQL != NULL ? pszSQL : kAccountsSelect);
}

void CAccountsTable::EnsureTable(HWND hOwner)
{
    if (m_bReady)
        return;
    CreateTableIfMissing(m_pSession, hOwner);
    EnsureTableSchema(hOwner, m_pSession, kAccounts, g_AccountsColumns, m_strError,
                      [this](int nColumn) { return AlterColumn(nColumn, m_pSession); });
    m_bReady = 1;
}

bool CAccountsTable::AlterColumn(int nColumn, CSession* pSession)
{
    if (nColumn < kFirstNewerColumn || nColumn > kLastNewerColumn)
        return false;
    if (!AddTableColumn(pSession, kAccounts, g_AccountsColumns[nColumn]))
        throw StoreText::kAccountsAlterFailed;
    return true;
}

bool CAccountsTable::Exists(HWND hOwner, LONG nAccountID)
{
    m_ID = nAccountID;
    Open(hOwner, kAccounts, CString(kAccountsSelect) + " WHERE ID = ?");
    bool bFound = MoveFirst() == S_OK;
    CloseTable();
    return bFound;
}

namespace
{
// The linked Options table, or one of our own on the same session when the table object has none.
COptionsTable& OptionsFor(COptionsTable* pLinked, CSession* pSession, std::unique_ptr<COptionsTable>& pOwn)
{
    if (pLinked != NULL)
        return *pLinked;
    pOwn.reset(new COptionsTable(pSession));
    return *pOwn;
}

// The user's Options row made current, its DefaultAccountID -1 when NULL; false when the user has none.
bool MoveToUserOptions(COptionsTable& options, HWND hOwner)
{
    if (options.m_UserID == 0)
        options.m_UserID = 1;
    options.m_DefaultAccountID = -1;
    options.Open(hOwner);
    return options.MoveFirst() == S_OK;
}
} // namespace

bool CAccountsTable::IsDefaultAccount(HWND hOwner)
{
    std::unique_ptr<COptionsTable> pOwn;
    COptionsTable& options = OptionsFor(m_pOptions, m_pSession, pOwn);
    if (!MoveToUserOptions(options, hOwner))
    {
        options.m_DefaultAccountID = m_ID;
        options.m_Flags = 0;
        HRESULT hr = options.Insert();
        if (FAILED(hr))
            throw new COLEDBException(options.m_spRowset, IID_IRowsetChange, StoreText::kInsertOptionsFailed,
                                      options.GetSession(), hOwner, TRUE, NULL, FALSE, TRUE, hr);
        MoveToUserOptions(options, hOwner);
    }
    if (options.m_DefaultAccountID == -1)
        SetDefaultAccount(hOwner);
    return options.m_DefaultAccountID == m_ID;
}

void CAccountsTable::SetDefaultAccount(HWND hOwner)
{
    std::unique_ptr<COptionsTable> pOwn;
    COptionsTable& options = OptionsFor(m_pOptions, m_pSession, pOwn);
    bool bFound = MoveToUserOptions(options, hOwner);
    options.m_DefaultAccountID = m_ID;
    if (!bFound)
        options.m_Flags = 0;
    HRESULT hr = bFound ? options.SetData() : options.Insert();
    if (FAILED(hr))
        throw new COLEDBException(options.m_spRowset, IID_IRowsetChange, StoreText::kSetDefaultAccountFailed,
                                  options.GetSession(), hOwner, TRUE, NULL, FALSE, TRUE, hr);
}

CString CAccountsTable::GetPassword(HWND hOwner)
{
    DWORD nFirstWord = 0;
    memcpy(&nFirstWord, m_PassCrypto, sizeof(nFirstWord));
    if (nFirstWord != 0)
        return CAccountsRecord::GetPassword();
    CString strPassword = m_szPass;
    if (strPassword.IsEmpty())
        return strPassword;
    SetPassword(strPassword);
    HRESULT hr = SetData();
    if (FAILED(hr))
        COLEDBException exception(m_spRowset, IID_IRowsetChange, StoreText::kUpdateAccountsFailed, m_pSession,
                                  hOwner, TRUE, NULL, FALSE, TRUE, hr);
    return strPassword;
}

HRESULT CAccountsTable::DeleteAccount(HWND hOwner)
{
    LONG nAccountID = m_ID;
    CString strSQL;

    // Options.DefaultAccountID refers to the account: move the users to another account, or to none.
    if (TableExists(m_pSession, "Options"))
    {
        strSQL.Format("UPDATE Options SET DefaultAccountID = (SELECT MIN(ID) FROM Accounts WHERE ID <> %ld) "
                      "WHERE DefaultAccountID = %ld",
                      (long)nAccountID, (long)nAccountID);
        CString strFailed;
        strFailed.Format(StoreText::kExecuteSqlFailed, (const char*)strSQL);
        ExecuteOnSession(m_pSession, strSQL, hOwner, strFailed);
        if (m_pOptions != NULL && m_pOptions->HasSession())
            m_pOptions->Reset();
    }

    // Older versions kept the bookkeeping in the local database even when the accounts had their own
    // file: clear it there too.
    CAccountsImpl impl(m_pSession);
    impl.m_DeletedMessages.DeleteByAccountID(hOwner, nAccountID);
    if (g_pDatabaseLocal != NULL && g_pDatabaseLocal->IsOpen() &&
        &g_pDatabaseLocal->m_session != impl.m_DeletedMessages.GetSession())
    {
        CDeletedMessagesTable local(&g_pDatabaseLocal->m_session);
        local.DeleteByAccountID(hOwner, nAccountID);
    }

    return Delete();
}

void CAccountsTable::EnsureIMAPRootFolders(HWND hOwner)
{
    // The folders are the local database's even when the accounts have their own file.
    CSession* pFolders =
        g_pDatabaseLocal != NULL && g_pDatabaseLocal->IsOpen() ? &g_pDatabaseLocal->m_session : m_pSession;
    Clear();
    m_ID = INCOMING_SERVER_IMAP;
    Open(hOwner, kAccounts, CString(kAccountsSelect) + " WHERE IncomingServerType = ?");
    while (MoveNext() == S_OK)
    {
        CString strName = m_szDisplayName;
        if (strName.GetLength() > 100)
            strName = strName.Left(100);

        CCommand<CAccessor<CFolderRootRecord>> root;
        root.m_Type = kImapRootType;
        lstrcpynA(root.m_szName, strName, sizeof(root.m_szName));
        if (root.Open(*pFolders, "SELECT ID FROM Folders WHERE Type = ? AND Name = ?") == S_OK &&
            root.MoveFirst() == S_OK)
            continue;
        root.Close();

        CCommand<CAccessor<CFolderRootRecord>> insert;
        insert.m_Type = kImapRootType;
        lstrcpynA(insert.m_szName, strName, sizeof(insert.m_szName));
        HRESULT hr = insert.Open(*pFolders,
                                 "INSERT INTO Folders (Type, Name, OwnerID, nUnread, nMessagesNumber, Flags) "
                                 "VALUES (?, ?, 0, 0, 0, 0)",
                                 NULL, NULL, DBGUID_DEFAULT, false);
        if (FAILED(hr))
        {
            CString strText =
                CString(StoreText::kInsertImapFolderFailed1) + strName + StoreText::kInsertImapFolderFailed2;
            throw new COLEDBException(insert.m_spCommand, IID_ICommand, strText, pFolders, hOwner, FALSE,
                                      NULL, FALSE, FALSE, hr);
        }
    }
    CloseTable();
}

CAccountsImpl::CAccountsImpl(CSession* pSession)
    : m_DeletedMessages(AccountsSessionFor(pSession)), m_Options(pSession), m_Accounts(pSession, &m_Options)
{
}

CAccountsImpl::~CAccountsImpl() {}

bool CAccountsImpl::SelectDefaultAccount(HWND hOwner)
{
    m_Accounts.m_ID = 0;
    m_Accounts.Open(hOwner);
    while (m_Accounts.MoveNext() == S_OK)
    {
        if (m_Accounts.IsDefaultAccount(hOwner))
        {
            m_Options.CloseTable();
            return true;
        }
    }
    m_Options.CloseTable();
    return false;
}

bool AddAccount(HWND hOwner, CSession* pSession, const std::function<int(CAccountsRecord& record)>& runWizard)
{
    try
    {
        COptionsTable options(pSession);
        CAccountsTable accounts(pSession, &options);
        accounts.Open(hOwner);
        accounts.Clear();
        accounts.m_Flags = 6;
        accounts.m_RemoveAfter = 5;
        if (runWizard(accounts) != 1)
            return false;
        HRESULT hr = accounts.Insert(0);
        if (FAILED(hr))
        {
            COLEDBException exception(accounts.m_spRowset, IID_IRowsetChange, StoreText::kInsertAccountFailed,
                                      accounts.GetSession(), hOwner, TRUE, NULL, FALSE, TRUE, hr);
            return false;
        }
        // The rowset was opened before the insert and need not show the new row: what the owner hears of
        // is the record the wizard filled, with the row's ID when the rowset has it.
        CAccountsRecord added = accounts;
        if (accounts.MoveLast() == S_OK)
            added.m_ID = accounts.m_ID;
        if (added.m_IncomingServerType == INCOMING_SERVER_IMAP)
            PostUpdateToMainFrame();
        if (hOwner != NULL)
            SendMessageA(hOwner, WM_COMMAND, ID_ADD_ACCOUNT, (LPARAM)&added);
        accounts.CloseTable();
        options.CloseTable();
        return true;
    }
    catch (COLEDBException* pException)
    {
        delete pException; // the failing step has shown it
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, hOwner);
    }
    return false;
}
