// Commands, accessors and rowsets: moves, inserts, one-accessor updates, deletes, NULLs, texts and streams.
#include "OleDbTestSupport.h"

#include <vector>

namespace
{
const char kCreateFolders[] =
    "CREATE TABLE Folders(ID COUNTER CONSTRAINT PK_FolderID PRIMARY KEY, OwnerID INTEGER NOT NULL, Name TEXT(100) "
    "NOT NULL, Type INTEGER NOT NULL, nUnread INTEGER, nMessagesNumber INTEGER, Flags INTEGER)";
const char kSelectFolders[] =
    " \tSELECT \t\tID, \t\tOwnerID, \t\tName, \t\tType,  \t\tnUnread, nMessagesNumber, Flags FROM Folders";

class CFolderRow
{
public:
    LONG m_ID;
    char m_szName[101];
    LONG m_OwnerID;
    LONG m_Type;
    LONG m_nUnread;
    LONG m_nMessagesNumber;
    char m_szParam[256];
    LONG m_Flags;

    BEGIN_ACCESSOR_MAP(CFolderRow, 4)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(2, m_OwnerID)
            COLUMN_ENTRY(3, m_szName)
            COLUMN_ENTRY(4, m_Type)
            COLUMN_ENTRY(5, m_nUnread)
            COLUMN_ENTRY(6, m_nMessagesNumber)
            COLUMN_ENTRY(7, m_Flags)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_ID)
        END_ACCESSOR()
        BEGIN_ACCESSOR(2, true)
            COLUMN_ENTRY(6, m_nMessagesNumber)
        END_ACCESSOR()
        BEGIN_ACCESSOR(3, true)
            COLUMN_ENTRY(7, m_Flags)
        END_ACCESSOR()
    END_ACCESSOR_MAP()

    BEGIN_PARAM_MAP(CFolderRow)
        COLUMN_ENTRY(1, m_ID)
        COLUMN_ENTRY(2, m_szParam)
    END_PARAM_MAP()
};

class CFolders : public CCommand<CAccessor<CFolderRow>>
{
public:
    HRESULT OpenWhere(CSession& session, const char* pszWhere)
    {
        std::string sql = std::string(kSelectFolders) + pszWhere;
        CDBPropSet propset(DBPROPSET_ROWSET);
        propset.AddProperty(DBPROP_IRowsetChange, true);
        propset.AddProperty(DBPROP_UPDATABILITY, DBPROPVAL_UP_CHANGE | DBPROPVAL_UP_DELETE | DBPROPVAL_UP_INSERT);
        return Open(session, sql.c_str(), &propset);
    }
    void Set(LONG nOwner, const char* pszName, LONG nType, LONG nUnread = 0, LONG nMessages = 0, LONG nFlags = 0)
    {
        ClearRecord();
        m_OwnerID = nOwner;
        lstrcpynA(m_szName, pszName, sizeof(m_szName));
        m_Type = nType;
        m_nUnread = nUnread;
        m_nMessagesNumber = nMessages;
        m_Flags = nFlags;
    }
};

class RowsetTest : public COleDbTest
{
protected:
    void SetUp() override
    {
        COleDbTest::SetUp();
        Exec(kCreateFolders);
    }

    // Names of all rows, in the order the table gives them.
    std::vector<std::string> Names()
    {
        CFolders f;
        std::vector<std::string> names;
        EXPECT_EQ(S_OK, f.OpenWhere(m_session, ""));
        while (f.MoveNext() == S_OK)
            names.push_back(f.m_szName);
        return names;
    }
};
} // namespace

TEST_F(RowsetTest, InsertThenMoveLastStandsOnTheNewRowWithItsCounterValue)
{
    CFolders f;
    f.m_ID = 1;
    ASSERT_EQ(S_OK, f.OpenWhere(m_session, " WHERE Type = ?"));
    EXPECT_EQ(DB_S_ENDOFROWSET, f.MoveFirst());
    const struct
    {
        const char* pszName;
        LONG nType;
    } rows[] = {{"Inbox", 1}, {"Outbox", 2}, {"Drafts", 5}};
    for (LONG i = 0; i < 3; ++i)
    {
        f.Set(0, rows[i].pszName, rows[i].nType);
        ASSERT_EQ(S_OK, f.Insert(0));
        // The new row is the last one even where it does not match the rowset's condition.
        ASSERT_EQ(S_OK, f.MoveLast());
        EXPECT_EQ(i + 1, f.m_ID);
        EXPECT_STREQ(rows[i].pszName, f.m_szName);
        EXPECT_EQ(rows[i].nType, f.m_Type);
    }
    EXPECT_EQ((std::vector<std::string>{"Inbox", "Outbox", "Drafts"}), Names());
}

TEST_F(RowsetTest, SetDataThroughOneAccessorWritesOnlyThatAccessorsColumns)
{
    Exec("INSERT INTO Folders (OwnerID, Name, Type, nUnread, nMessagesNumber, Flags) VALUES (0, 'Inbox', 1, 4, 10, 7)");
    CFolders f;
    f.m_ID = 1;
    ASSERT_EQ(S_OK, f.OpenWhere(m_session, " WHERE ID = ?"));
    ASSERT_EQ(S_OK, f.MoveNext());
    f.m_nMessagesNumber = 11;
    lstrcpyA(f.m_szName, "Changed in memory only");
    f.m_Flags = 0;
    ASSERT_EQ(S_OK, f.SetData(2));

    CFolders check;
    check.m_ID = 1;
    ASSERT_EQ(S_OK, check.OpenWhere(m_session, " WHERE ID = ?"));
    ASSERT_EQ(S_OK, check.MoveNext());
    EXPECT_EQ(11, check.m_nMessagesNumber);
    EXPECT_STREQ("Inbox", check.m_szName);
    EXPECT_EQ(7, check.m_Flags);
    EXPECT_EQ(4, check.m_nUnread);
}

TEST_F(RowsetTest, DeletedRowsAreSkippedByLaterMovesAndGoneFromTheTable)
{
    for (const char* pszName : {"One", "Two", "Three"})
    {
        std::string sql = std::string("INSERT INTO Folders (OwnerID, Name, Type) VALUES (0, '") + pszName + "', 9)";
        Exec(sql.c_str());
    }
    CFolders f;
    ASSERT_EQ(S_OK, f.OpenWhere(m_session, ""));
    ASSERT_EQ(S_OK, f.MoveFirst());
    ASSERT_EQ(S_OK, f.MoveNext());
    EXPECT_STREQ("Two", f.m_szName);
    ASSERT_EQ(S_OK, f.Delete());
    ASSERT_EQ(S_OK, f.MoveNext());
    EXPECT_STREQ("Three", f.m_szName);
    ASSERT_EQ(S_OK, f.MovePrev());
    EXPECT_STREQ("One", f.m_szName);
    ASSERT_EQ(S_OK, f.MoveLast());
    EXPECT_STREQ("Three", f.m_szName);
    EXPECT_EQ(DB_S_ENDOFROWSET, f.MoveNext());
    EXPECT_EQ((std::vector<std::string>{"One", "Three"}), Names());
}

TEST_F(RowsetTest, NullColumnsReadAsZeroNotAsThePreviousRowsValues)
{
    Exec("INSERT INTO Folders (OwnerID, Name, Type, nUnread, nMessagesNumber, Flags) VALUES (3, 'Full', 1, 4, 10, 7)");
    Exec("INSERT INTO Folders (OwnerID, Name, Type) VALUES (3, 'Sparse', 2)");
    CFolders f;
    ASSERT_EQ(S_OK, f.OpenWhere(m_session, ""));
    ASSERT_EQ(S_OK, f.MoveNext());
    EXPECT_EQ(10, f.m_nMessagesNumber);
    ASSERT_EQ(S_OK, f.MoveNext());
    EXPECT_STREQ("Sparse", f.m_szName);
    EXPECT_EQ(0, f.m_nUnread);
    EXPECT_EQ(0, f.m_nMessagesNumber);
    EXPECT_EQ(0, f.m_Flags);
}

namespace
{
class CFlagsRow
{
public:
    char m_szName[101];
    LONG m_Flags;
    DBSTATUS m_FlagsStatus;

    BEGIN_COLUMN_MAP(CFlagsRow)
        COLUMN_ENTRY(1, m_szName)
        COLUMN_ENTRY_STATUS(2, m_Flags, m_FlagsStatus)
    END_COLUMN_MAP()
};
} // namespace

// A number bound with a status part keeps what the consumer preset: the status says NULL.
TEST_F(RowsetTest, NullNumbersBoundWithAStatusKeepTheValueTheConsumerPreset)
{
    Exec("INSERT INTO Folders (OwnerID, Name, Type, Flags) VALUES (3, 'Full', 1, 7)");
    Exec("INSERT INTO Folders (OwnerID, Name, Type) VALUES (3, 'Sparse', 2)");
    CCommand<CAccessor<CFlagsRow>> rows;
    ASSERT_EQ(S_OK, rows.Open(m_session, "SELECT Name, Flags FROM Folders"));
    rows.m_Flags = -1;
    ASSERT_EQ(S_OK, rows.MoveNext());
    EXPECT_EQ(7, rows.m_Flags);
    EXPECT_EQ(DBSTATUS_S_OK, rows.m_FlagsStatus);
    rows.m_Flags = -1;
    ASSERT_EQ(S_OK, rows.MoveNext());
    EXPECT_STREQ("Sparse", rows.m_szName);
    EXPECT_EQ(-1, rows.m_Flags);
    EXPECT_EQ(DBSTATUS_S_ISNULL, rows.m_FlagsStatus);
}

TEST_F(RowsetTest, PreparedCommandRunsAgainWithTheRecordsCurrentParameters)
{
    Exec("INSERT INTO Folders (OwnerID, Name, Type) VALUES (0, 'Inbox', 1)");
    Exec("INSERT INTO Folders (OwnerID, Name, Type) VALUES (0, 'Outbox', 2)");
    CFolders f;
    std::string sql = std::string(kSelectFolders) + " WHERE Type = ? AND Name = ?";
    ASSERT_EQ(S_OK, f.Create(m_session, sql.c_str(), DBGUID_DBSQL));
    ASSERT_EQ(S_OK, f.Prepare());
    const struct
    {
        LONG nType;
        const char* pszName;
        LONG nExpectedID;
    } cases[] = {{2, "outbox", 2}, {1, "Inbox", 1}, {1, "Outbox", 0}};
    for (const auto& c : cases)
    {
        f.ClearRecord();
        f.m_ID = c.nType;
        lstrcpyA(f.m_szParam, c.pszName);
        ASSERT_EQ(S_OK, f.Open());
        HRESULT hr = f.MoveNext();
        if (c.nExpectedID == 0)
            EXPECT_EQ(DB_S_ENDOFROWSET, hr);
        else
        {
            ASSERT_EQ(S_OK, hr);
            EXPECT_EQ(c.nExpectedID, f.m_ID);
        }
    }
}

TEST_F(RowsetTest, ParametersBeyondTheTextsMarkersAreLeftOut)
{
    Exec("INSERT INTO Folders (OwnerID, Name, Type) VALUES (0, 'Inbox', 1)");
    CFolders f;
    f.m_ID = 1;
    lstrcpyA(f.m_szParam, "not used");
    ASSERT_EQ(S_OK, f.OpenWhere(m_session, " WHERE ID = ?"));
    EXPECT_EQ(S_OK, f.MoveNext());
    f.Close();
    ASSERT_EQ(S_OK, f.OpenWhere(m_session, ""));
    EXPECT_EQ(S_OK, f.MoveNext());
}

TEST_F(RowsetTest, CommandTextStaysAvailableForErrorReports)
{
    CFolders f;
    EXPECT_TRUE(FAILED(f.OpenWhere(m_session, " WHERE NoSuchColumn = 1")));
    BSTR bstr = NULL;
    ASSERT_EQ(S_OK, f.GetCommandText(&bstr));
    EXPECT_EQ(0, wcscmp(L" \tSELECT \t\tID, \t\tOwnerID, \t\tName, \t\tType,  \t\tnUnread, nMessagesNumber, Flags FROM "
                        L"Folders WHERE NoSuchColumn = 1",
                        bstr));
    SysFreeString(bstr);
    CErrorRecord record = ReadErrorRecord(f.m_spCommand, IID_ICommand);
    EXPECT_EQ(1u, record.nRecords);
    EXPECT_NE(std::string::npos, record.strDescription.find("NoSuchColumn"));
}

namespace
{
const char kCreateEmails[] =
    "CREATE TABLE Emails(EmailsID COUNTER CONSTRAINT PK_EmailsID PRIMARY KEY, EmDate DATETIME, Subject TEXT(255), "
    "Message LONGBINARY, FolderID INTEGER NOT NULL, Flags INTEGER, UniqueID TEXT(255), Encode BYTE, PassCrypto "
    "LONGBINARY, Ind LOGICAL)";

class CMessageRow
{
public:
    LONG m_EmailsID;
    DATE m_EmDate;
    char m_szSubject[256];
    DBLENGTH m_cbMessage;
    DBSTATUS m_statusMessage;
    ISequentialStream* m_pMessage;
    LONG m_FolderID;
    LONG m_Flags;
    char m_szUniqueID[256];
    BYTE m_Encode;
    BYTE m_PassCrypto[512];
    VARIANT_BOOL m_Ind;

    BEGIN_ACCESSOR_MAP(CMessageRow, 3)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY_TYPE(2, DBTYPE_DATE, m_EmDate)
            COLUMN_ENTRY(3, m_szSubject)
            BLOB_ENTRY_LENGTH_STATUS(4, IID_ISequentialStream, STGM_READ, m_pMessage, m_cbMessage, m_statusMessage)
            COLUMN_ENTRY(5, m_FolderID)
            COLUMN_ENTRY(6, m_Flags)
            COLUMN_ENTRY(7, m_szUniqueID)
            COLUMN_ENTRY(8, m_Encode)
            COLUMN_ENTRY(9, m_PassCrypto)
            COLUMN_ENTRY_TYPE(10, DBTYPE_BOOL, m_Ind)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_EmailsID)
        END_ACCESSOR()
        BEGIN_ACCESSOR(2, true)
            COLUMN_ENTRY(5, m_FolderID)
        END_ACCESSOR()
    END_ACCESSOR_MAP()

    BEGIN_PARAM_MAP(CMessageRow)
        COLUMN_ENTRY(1, m_FolderID)
        COLUMN_ENTRY(2, m_szSubject)
        COLUMN_ENTRY_TYPE(3, DBTYPE_R8, m_EmDate)
    END_PARAM_MAP()
};

class CMessages : public CCommand<CAccessor<CMessageRow>>
{
public:
    HRESULT OpenWhere(CSession& session, const char* pszWhere)
    {
        std::string sql = std::string(" \tSELECT Emails.EmailsID, Emails.EmDate, Emails.Subject, Emails.Message, "
                                      "Emails.FolderID, Emails.Flags, Emails.UniqueID, Emails.Encode, "
                                      "Emails.PassCrypto, Emails.Ind FROM Emails") +
                          pszWhere;
        CDBPropSet propset(DBPROPSET_ROWSET);
        propset.AddProperty(DBPROP_IRowsetChange, true);
        propset.AddProperty(DBPROP_UPDATABILITY, DBPROPVAL_UP_CHANGE | DBPROPVAL_UP_DELETE | DBPROPVAL_UP_INSERT);
        return Open(session, sql.c_str(), &propset);
    }
};

std::string MakeMessage(size_t cb)
{
    std::string s;
    s.reserve(cb);
    for (size_t i = 0; i < cb; ++i)
        s += (char)(i % 251);
    return s;
}

class MessageTest : public COleDbTest
{
protected:
    void SetUp() override
    {
        COleDbTest::SetUp();
        Exec(kCreateEmails);
    }
};
} // namespace

TEST_F(MessageTest, AMegabyteMessageRoundTripsThroughStreamsAndSurvivesRowUpdates)
{
    const std::string message = MakeMessage(1024 * 1024);
    CMessages m;
    m.m_FolderID = 7;
    ASSERT_EQ(S_OK, m.OpenWhere(m_session, " WHERE FolderID = ?"));
    m.ClearRecord();
    m.m_FolderID = 7;
    lstrcpyA(m.m_szSubject, "Big");
    m.m_pMessage = CreateMemoryStream(message);
    m.m_cbMessage = message.size();
    m.m_statusMessage = DBSTATUS_S_OK;
    ASSERT_EQ(S_OK, m.Insert(0));
    EXPECT_EQ(NULL, m.m_pMessage); // the provider took the stream
    ASSERT_EQ(S_OK, m.MoveLast());
    EXPECT_EQ(1, m.m_EmailsID);
    EXPECT_EQ(message.size(), m.m_cbMessage);
    // Writing the row back with the stream it came with leaves the stored text alone, read or not.
    m.m_Flags = 2;
    ASSERT_EQ(S_OK, m.SetData(0));
    m.m_pMessage->Release();
    m.m_pMessage = NULL;

    CMessages check;
    check.m_FolderID = 7;
    ASSERT_EQ(S_OK, check.OpenWhere(m_session, " WHERE FolderID = ?"));
    ASSERT_EQ(S_OK, check.MoveNext());
    EXPECT_EQ(2, check.m_Flags);
    EXPECT_EQ(DBSTATUS_S_OK, check.m_statusMessage);
    std::string read = ReadStream(check.m_pMessage);
    check.m_pMessage = NULL;
    EXPECT_TRUE(read == message) << "read " << read.size() << " bytes";
}

namespace
{
// A consumer object that lends its bytes: reading it would be a copy the provider is not to make.
class CLendingStream : public ISequentialStream, public IJetLentBytes
{
public:
    CLendingStream(const std::string& bytes, HRESULT hrLend = S_OK) : m_bytes(bytes), m_hrLend(hrLend) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_ISequentialStream)
            *ppv = static_cast<ISequentialStream*>(this);
        else if (riid == IID_IJetLentBytes)
            *ppv = static_cast<IJetLentBytes*>(this);
        else
        {
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRefs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_nRefs; }
    STDMETHODIMP Read(void*, ULONG, ULONG* pcbRead) override
    {
        m_bRead = true;
        if (pcbRead != NULL)
            *pcbRead = 0;
        return S_FALSE;
    }
    STDMETHODIMP Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    STDMETHODIMP GetLentBytes(const void** ppv, ULONG* pcb) override
    {
        *ppv = m_bytes.data();
        *pcb = (ULONG)m_bytes.size();
        return m_hrLend;
    }

    std::string m_bytes;
    HRESULT m_hrLend;
    ULONG m_nRefs = 1;
    bool m_bRead = false;
};

std::string StoredMessage(CSession& session, LONG nFolderID, DBSTATUS* pStatus)
{
    CMessages check;
    check.m_FolderID = nFolderID;
    if (check.OpenWhere(session, " WHERE FolderID = ?") != S_OK || check.MoveNext() != S_OK)
        return "(no row)";
    *pStatus = check.m_statusMessage;
    if (check.m_pMessage == NULL)
        return std::string();
    std::string read = ReadStream(check.m_pMessage);
    check.m_pMessage = NULL;
    return read;
}
} // namespace

TEST_F(MessageTest, LentBytesAreStoredWholeByInsertAndByRowChanges)
{
    const std::string cases[] = {"", std::string("a\0b\0", 4), MakeMessage(3 * 1024 * 1024 + 7)};
    LONG nFolder = 100;
    for (const std::string& text : cases)
    {
        SCOPED_TRACE(text.size());
        nFolder++;
        CMessages m;
        m.m_FolderID = nFolder;
        ASSERT_EQ(S_OK, m.OpenWhere(m_session, " WHERE FolderID = ?"));
        m.ClearRecord();
        m.m_FolderID = nFolder;
        CLendingStream lender(text);
        m.m_pMessage = &lender;
        m.m_cbMessage = text.size();
        m.m_statusMessage = DBSTATUS_S_OK;
        ASSERT_EQ(S_OK, m.Insert(0));
        EXPECT_FALSE(lender.m_bRead);
        EXPECT_EQ(0u, lender.m_nRefs); // released like any storage object handed over
        DBSTATUS status = DBSTATUS_E_UNAVAILABLE;
        EXPECT_TRUE(StoredMessage(m_session, nFolder, &status) == text);
        EXPECT_EQ(DBSTATUS_S_OK, status); // an empty text stays a text, not NULL

        // A row change writes lent bytes the same way; the old text is gone whole.
        ASSERT_EQ(S_OK, m.MoveLast());
        if (m.m_pMessage != NULL)
            m.m_pMessage->Release();
        const std::string changed = text + "changed";
        CLendingStream second(changed);
        m.m_pMessage = &second;
        m.m_cbMessage = changed.size();
        m.m_statusMessage = DBSTATUS_S_OK;
        ASSERT_EQ(S_OK, m.SetData(0));
        m.m_pMessage = NULL;
        EXPECT_FALSE(second.m_bRead);
        EXPECT_TRUE(StoredMessage(m_session, nFolder, &status) == changed);
    }
}

TEST_F(MessageTest, ALenderThatCannotLendItsBytesStoresNoRow)
{
    CMessages m;
    m.m_FolderID = 9;
    ASSERT_EQ(S_OK, m.OpenWhere(m_session, " WHERE FolderID = ?"));
    m.ClearRecord();
    m.m_FolderID = 9;
    CLendingStream lender("text", E_OUTOFMEMORY);
    m.m_pMessage = &lender;
    m.m_cbMessage = 4;
    m.m_statusMessage = DBSTATUS_S_OK;
    EXPECT_TRUE(FAILED(m.Insert(0)));
    m.m_pMessage = NULL;
    DBSTATUS status = DBSTATUS_S_OK;
    EXPECT_EQ("(no row)", StoredMessage(m_session, 9, &status));
}

TEST_F(MessageTest, FixedWidthBindingsRoundTrip)
{
    CMessages m;
    ASSERT_EQ(S_OK, m.OpenWhere(m_session, ""));
    m.ClearRecord();
    m.m_FolderID = 1;
    SYSTEMTIME st = {2002, 3, 2, 5, 10, 20, 30, 0};
    SystemTimeToVariantTime(&st, &m.m_EmDate);
    m.m_Encode = 18;
    m.m_Ind = VARIANT_TRUE;
    m.m_PassCrypto[0] = 3;
    m.m_PassCrypto[511] = 0xAB;
    lstrcpyA(m.m_szUniqueID, "UIDL-1");
    std::string longSubject(300, 'x');
    ASSERT_EQ(S_OK, m.Insert(0));
    ASSERT_EQ(S_OK, m.MoveLast());
    ASSERT_EQ(S_OK, m.MoveFirst());
    EXPECT_EQ(18, m.m_Encode);
    EXPECT_EQ(VARIANT_TRUE, m.m_Ind);
    EXPECT_EQ(3, m.m_PassCrypto[0]);
    EXPECT_EQ(0xAB, m.m_PassCrypto[511]);
    EXPECT_EQ(DBSTATUS_S_ISNULL, m.m_statusMessage);
    EXPECT_EQ(NULL, m.m_pMessage);

    // Stored as Jet stores them: a true LOGICAL is -1, a date an exact day number, long texts cut to the buffer.
    Exec(("UPDATE Emails SET Subject = '" + longSubject + "'").c_str());
    CMessages check;
    check.m_FolderID = 1;
    ASSERT_EQ(S_OK, check.OpenWhere(m_session, " WHERE Ind = -1 AND EmDate = #3/5/2002 10:20:30# AND FolderID = ?"));
    ASSERT_EQ(S_OK, check.MoveNext());
    EXPECT_EQ(255u, strlen(check.m_szSubject));
    EXPECT_EQ(std::string(255, 'x'), check.m_szSubject);
}

TEST_F(MessageTest, DateParametersBoundAsDoublesFindTheSecond)
{
    Exec("INSERT INTO Emails (FolderID, Subject, EmDate) VALUES (4, 'Dated', 37320.430902777775)");
    CMessages m;
    m.ClearRecord();
    m.m_FolderID = 4;
    lstrcpyA(m.m_szSubject, "DATED");
    m.m_EmDate = 37320.43091;
    ASSERT_EQ(S_OK, m.OpenWhere(m_session, " WHERE FolderID = ? AND Subject = ? AND EmDate < ?"));
    EXPECT_EQ(S_OK, m.MoveNext());
}

TEST_F(RowsetTest, AnInjectedDiskFaultFailsOneOpenWithJetError3043)
{
    OleDbInjectIoFaults(1);
    CFolders f;
    EXPECT_EQ(E_FAIL, f.OpenWhere(m_session, ""));
    CErrorRecord record = ReadErrorRecord(f.m_spCommand, IID_ICommand);
    EXPECT_EQ(5003043u, record.dwHelpContext);
    EXPECT_EQ("Disk or network error.", record.strDescription);
    EXPECT_EQ(S_OK, f.OpenWhere(m_session, ""));
}

TEST_F(RowsetTest, AnOpenRowsetDoesNotBlockChangesToTheSchema)
{
    Exec("INSERT INTO Folders (OwnerID, Name, Type) VALUES (0, 'Inbox', 1)");
    CFolders f;
    ASSERT_EQ(S_OK, f.OpenWhere(m_session, ""));
    ASSERT_EQ(S_OK, f.MoveNext());
    Exec("CREATE TABLE Signatures(ID COUNTER CONSTRAINT PK_ID PRIMARY KEY, SignatureText LONGTEXT)");
    Exec("CREATE INDEX idxName ON Folders (Name)");
    Exec("DROP TABLE Signatures");
    Exec("INSERT INTO Folders (OwnerID, Name, Type) VALUES (0, 'Outbox', 2)");
    EXPECT_EQ(DB_S_ENDOFROWSET, f.MoveNext());
    EXPECT_EQ((std::vector<std::string>{"Inbox", "Outbox"}), Names());
}

TEST_F(RowsetTest, ATableOpenedByNameReadsAndAppendsRows)
{
    Exec("INSERT INTO Folders (OwnerID, Name, Type) VALUES (0, 'Inbox', 1)");
    CTable<CAccessor<CFolderRow>> table;
    CDBPropSet propset(DBPROPSET_ROWSET);
    propset.AddProperty(DBPROP_IRowsetChange, true);
    propset.AddProperty(DBPROP_UPDATABILITY, 7);
    ASSERT_EQ(S_OK, table.Open(m_session, "Folders", &propset));
    ASSERT_EQ(S_OK, table.MoveFirst());
    EXPECT_STREQ("Inbox", table.m_szName);
    table.ClearRecord();
    lstrcpyA(table.m_szName, "Outbox");
    table.m_Type = 2;
    ASSERT_EQ(S_OK, table.Insert(0, true));
    EXPECT_EQ(S_OK, table.Update());
    ASSERT_EQ(S_OK, table.MoveLast());
    EXPECT_EQ(2, table.m_ID);
    EXPECT_EQ(DB_E_NOTABLE, CTable<CAccessor<CFolderRow>>().Open(m_session, "NoSuchTable"));
}

TEST_F(MessageTest, FreeRecordMemoryReleasesTheStreamOfTheRow)
{
    Exec("INSERT INTO Emails (FolderID, Message) VALUES (1, x'41424344')");
    CMessages m;
    ASSERT_EQ(S_OK, m.OpenWhere(m_session, ""));
    ASSERT_EQ(S_OK, m.MoveNext());
    ASSERT_NE(nullptr, m.m_pMessage);
    EXPECT_EQ(4u, m.m_cbMessage);
    m.FreeRecordMemory();
    EXPECT_EQ(nullptr, m.m_pMessage);
}

TEST_F(MessageTest, AFullDatabaseReportsThatItHasReachedItsMaximumSize)
{
    Exec("PRAGMA max_page_count = 40");
    CMessages m;
    ASSERT_EQ(S_OK, m.OpenWhere(m_session, ""));
    m.ClearRecord();
    m.m_FolderID = 1;
    const std::string message = MakeMessage(1024 * 1024);
    m.m_pMessage = CreateMemoryStream(message);
    m.m_cbMessage = message.size();
    EXPECT_TRUE(FAILED(m.Insert(0)));
    CErrorRecord record = ReadErrorRecord(m.m_spRowsetChange, IID_IRowsetChange);
    EXPECT_EQ("Database has reached maximum size.", record.strDescription);
    EXPECT_EQ(DB_S_ENDOFROWSET, m.MoveLast());
}

TEST_F(MessageTest, AMessageBoundAsTextIsReadFromTheFile)
{
    Exec("INSERT INTO Emails (FolderID, Message) VALUES (1, CAST('Subject: hi' AS BLOB))");
    struct CTextRow
    {
        char m_szMessage[64];
        BEGIN_COLUMN_MAP(CTextRow)
            COLUMN_ENTRY(1, m_szMessage)
        END_COLUMN_MAP()
    };
    CCommand<CAccessor<CTextRow>> q;
    ASSERT_EQ(S_OK, q.Open(m_session, "SELECT Message FROM Emails"));
    ASSERT_EQ(S_OK, q.MoveNext());
    EXPECT_STREQ("Subject: hi", q.m_szMessage);
}

TEST_F(RowsetTest, TextsReadBackInTheCodePageBeforeAndAfterARowChanges)
{
    // Plain, accented (code page 1252), empty and too long for the 101-byte field; the row changed through
    // the rowset is read again from the table.
    const std::string strLong(150, 'x');
    const char* const names[] = {"Inbox", "Caf\xe9 M\xfcller", "", strLong.c_str()};
    CFolders f;
    ASSERT_EQ(S_OK, f.OpenWhere(m_session, ""));
    for (const char* pszName : names)
    {
        f.Set(1, "", 5);
        // The record's field holds 100 characters: the long name goes in through SQL.
        if (strlen(pszName) < sizeof(f.m_szName))
            lstrcpynA(f.m_szName, pszName, sizeof(f.m_szName));
        ASSERT_EQ(S_OK, f.Insert(0));
    }
    f.Close();
    Exec(("UPDATE Folders SET Name = '" + strLong + "' WHERE Type = 5 AND ID = (SELECT MAX(ID) FROM Folders)").c_str());

    ASSERT_EQ(S_OK, f.OpenWhere(m_session, ""));
    for (int i = 0; i < 4; i++)
    {
        ASSERT_EQ(S_OK, f.MoveNext()) << i;
        EXPECT_EQ(std::string(f.m_szName), i < 3 ? std::string(names[i]) : strLong.substr(0, 100)) << i;
        EXPECT_EQ(5, f.m_Type);
    }
    ASSERT_EQ(S_OK, f.MoveFirst());
    ASSERT_EQ(S_OK, f.MoveNext());
    f.m_Flags = 9;
    ASSERT_EQ(S_OK, f.SetData(3));
    ASSERT_EQ(S_OK, f.GetData());
    EXPECT_STREQ("Caf\xe9 M\xfcller", f.m_szName);
    EXPECT_EQ(9, f.m_Flags);
}

// Short accented text converts without the heap and long text through it: either way what fits comes back
// whole and what does not is cut to the field, on a character of the code page.
TEST_F(RowsetTest, AccentedTextsOfAnyLengthReadBackInTheCodePage)
{
    auto repeat = [](const char* psz, int n) {
        std::string s;
        for (int i = 0; i < n; i++)
            s += psz;
        return s;
    };
    const std::string names[] = {
        repeat("M\xfcller ", 10), // fits the field
        repeat("\xe9", 100),      // fills it exactly
        repeat("Caf\xe9 ", 30),   // longer than the field, short in UTF-8
        repeat("\xfc", 200),      // longer than the field, long in UTF-8
    };
    for (const std::string& name : names)
        Exec(("INSERT INTO Folders (OwnerID, Name, Type) VALUES (1, '" + name + "', 5)").c_str());
    CFolders f;
    ASSERT_EQ(S_OK, f.OpenWhere(m_session, ""));
    for (const std::string& name : names)
    {
        ASSERT_EQ(S_OK, f.MoveNext()) << name.size();
        EXPECT_EQ(name.substr(0, 100), std::string(f.m_szName)) << name.size();
    }
}

// The message list of one correspondent joins Emails with Address: such a rowset cannot be changed, and
// says so, and it reads each message body from the file only when the row's stream is read.
TEST_F(MessageTest, AJoinedRowsetIsReadOnlyAndReadsBodiesOnlyWhenAsked)
{
    Exec("CREATE TABLE Address(EmailID INTEGER NOT NULL, Address TEXT(100))");
    const std::string first = MakeMessage(300000), second = "second body";
    CMessages m;
    ASSERT_EQ(S_OK, m.OpenWhere(m_session, ""));
    for (const std::string* pBody : {&first, &second})
    {
        m.ClearRecord();
        m.m_FolderID = 1;
        m.m_pMessage = CreateMemoryStream(*pBody);
        m.m_cbMessage = pBody->size();
        m.m_statusMessage = DBSTATUS_S_OK;
        ASSERT_EQ(S_OK, m.Insert(0));
    }
    m.Close();
    Exec("INSERT INTO Address (EmailID, Address) VALUES (1, 'ann@example.org'), (1, 'bob@example.org')");

    CMessages joined;
    CDBPropSet propset(DBPROPSET_ROWSET);
    propset.AddProperty(DBPROP_IRowsetChange, true);
    propset.AddProperty(DBPROP_UPDATABILITY, DBPROPVAL_UP_CHANGE | DBPROPVAL_UP_DELETE | DBPROPVAL_UP_INSERT);
    joined.m_FolderID = 1;
    ASSERT_EQ(S_OK, joined.Open(m_session,
                                " \tSELECT Emails.EmailsID, Emails.EmDate, Emails.Subject, Emails.Message, "
                                "Emails.FolderID, Emails.Flags, Emails.UniqueID, Emails.Encode, Emails.PassCrypto, "
                                "Emails.Ind FROM Emails LEFT JOIN Address ON Emails.EmailsID = Address.EmailID "
                                "WHERE Emails.FolderId = ? ORDER BY Emails.EmailsID",
                                &propset));
    EXPECT_EQ((DWORD)DBPROPSTATUS_NOTSET, propset.rgProperties[0].dwStatus);
    EXPECT_EQ((DWORD)DBPROPSTATUS_NOTSET, propset.rgProperties[1].dwStatus);
    EXPECT_EQ(E_NOINTERFACE, joined.SetData());

    // A body changed after the open (same length) is read as it is now: nothing was read at the open.
    std::string changed = first;
    changed.replace(0, 7, "changed");
    CMessages rewrite;
    rewrite.m_FolderID = 1;
    ASSERT_EQ(S_OK, rewrite.OpenWhere(m_session, " WHERE FolderID = ?"));
    ASSERT_EQ(S_OK, rewrite.MoveFirst());
    rewrite.m_pMessage->Release();
    rewrite.m_pMessage = CreateMemoryStream(changed);
    rewrite.m_cbMessage = changed.size();
    ASSERT_EQ(S_OK, rewrite.SetData(0));
    rewrite.Close();

    std::vector<std::string> bodies;
    while (joined.MoveNext() == S_OK)
    {
        EXPECT_EQ(DBSTATUS_S_OK, joined.m_statusMessage);
        bodies.push_back(ReadStream(joined.m_pMessage));
        joined.m_pMessage = NULL;
    }
    ASSERT_EQ(3u, bodies.size());
    EXPECT_TRUE(bodies[0] == changed && bodies[1] == changed) << bodies[0].size() << " " << bodies[1].size();
    EXPECT_EQ(second, bodies[2]);

    // A rowset over one table keeps the changes it asks for.
    CDBPropSet single(DBPROPSET_ROWSET);
    single.AddProperty(DBPROP_IRowsetChange, true);
    CMessages plain;
    ASSERT_EQ(S_OK, plain.Open(m_session, "SELECT EmailsID, EmDate, Subject, Message, FolderID, Flags, UniqueID, "
                                          "Encode, PassCrypto, Ind FROM Emails",
                               &single));
    EXPECT_EQ((DWORD)DBPROPSTATUS_OK, single.rgProperties[0].dwStatus);
}

TEST_F(RowsetTest, InsertsThroughOneRowsetFollowChangesOfColumnsAndSchemaAndAFailedOneLeavesNoRow)
{
    CFolders f;
    ASSERT_EQ(S_OK, f.OpenWhere(m_session, ""));
    // Each insert goes through the same rowset; the statement behind it must follow the accessor's columns
    // and the table's schema as they change between inserts.
    const struct
    {
        const char* pszBefore; // a statement run just before the insert, or NULL
        int nAccessor;
        const char* pszName;
        bool bStored;
        LONG nID; // the counter MoveLast reads when the row was stored
    } inserts[] = {
        {NULL, 0, "Inbox", true, 1},
        {"CREATE UNIQUE INDEX idxName ON Folders (Name)", 0, "Inbox", false, 0},
        {NULL, 0, "Outbox", true, 2},
        {NULL, 3, "", false, 0}, // Flags alone: OwnerID, Name and Type may not be NULL
        {"DROP INDEX idxName", 0, "Inbox", true, 3},
        {"ALTER TABLE Folders ADD COLUMN Extra INTEGER", 0, "Drafts", true, 4},
    };
    for (const auto& insert : inserts)
    {
        SCOPED_TRACE(insert.pszName);
        if (insert.pszBefore != NULL)
            Exec(insert.pszBefore);
        f.Set(7, insert.pszName, 1, 0, 0, 5);
        HRESULT hr = f.Insert(insert.nAccessor);
        if (!insert.bStored)
        {
            EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
            continue;
        }
        ASSERT_EQ(S_OK, hr);
        ASSERT_EQ(S_OK, f.MoveLast());
        EXPECT_EQ(insert.nID, f.m_ID);
        EXPECT_STREQ(insert.pszName, f.m_szName);
        EXPECT_EQ(7, f.m_OwnerID);
        EXPECT_EQ(5, f.m_Flags);
    }
    EXPECT_EQ((std::vector<std::string>{"Inbox", "Outbox", "Inbox", "Drafts"}), Names());
    // The rowset that inserted is still open: the schema can change under it.
    Exec("CREATE INDEX idxType ON Folders (Type)");
    Exec("DROP INDEX idxType");
}

TEST_F(MessageTest, AStreamWhoseRowChangesBetweenReadsFailsAndNeverHandsOutTheOtherText)
{
    const std::string oldText = MakeMessage(300000);
    const std::string newText(400000, 'n');
    CMessages m;
    ASSERT_EQ(S_OK, m.OpenWhere(m_session, ""));
    m.ClearRecord();
    m.m_FolderID = 1;
    m.m_pMessage = CreateMemoryStream(oldText);
    m.m_cbMessage = oldText.size();
    m.m_statusMessage = DBSTATUS_S_OK;
    ASSERT_EQ(S_OK, m.Insert(0));

    const struct
    {
        const char* pszChange;
        bool bDeleted;
    } changes[] = {
        {"UPDATE", false},
        {"DELETE FROM Emails", true},
    };
    std::string stored = oldText;
    for (const auto& change : changes)
    {
        SCOPED_TRACE(change.pszChange);
        CMessages read;
        ASSERT_EQ(S_OK, read.OpenWhere(m_session, ""));
        ASSERT_EQ(S_OK, read.MoveNext());
        std::string part(100000, '\0');
        ULONG cbRead = 0;
        ASSERT_EQ(S_OK, read.m_pMessage->Read(&part[0], (ULONG)part.size(), &cbRead));
        ASSERT_EQ(part.size(), cbRead);
        EXPECT_TRUE(part == stored.substr(0, part.size()));

        if (change.bDeleted)
            Exec(change.pszChange);
        else
        {
            CMessages writer;
            ASSERT_EQ(S_OK, writer.OpenWhere(m_session, ""));
            ASSERT_EQ(S_OK, writer.MoveNext());
            writer.m_pMessage->Release();
            writer.m_pMessage = CreateMemoryStream(newText);
            writer.m_cbMessage = newText.size();
            writer.m_statusMessage = DBSTATUS_S_OK;
            ASSERT_EQ(S_OK, writer.SetData(0));
            stored = newText;
        }
        // The rest of the old text is gone and none of the new one may follow what was read.
        std::string rest(600000, '\0');
        cbRead = 12345;
        EXPECT_EQ(STG_E_READFAULT, read.m_pMessage->Read(&rest[0], (ULONG)rest.size(), &cbRead));
        EXPECT_EQ(0u, cbRead);
        read.m_pMessage->Release();
        read.m_pMessage = NULL;
    }
}
