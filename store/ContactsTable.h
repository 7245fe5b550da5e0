// Contacts: the ContactName table of people, the joined contact row (person with company) and the query
// objects the address book, the recipient picker and the send worker read it through.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/ColumnDesc.h"
#include "store/TableBase.h"

extern const CColumnDesc g_ContactNameColumns[];
// Every contact read starts from this join; a person whose company row is missing is never returned.
extern const char g_szContactsSelect[];

class CContactRecord
{
public:
    CContactRecord() { ZeroAll(); }

    // Empties every text of both tables, CustomerID, ID and the list text; Ind and AddDate stay.
    void Clear();
    // First name, then the surname after one blank when both are there.
    CString GetFullName() const;
    // "\"Full Name\" <address>"; without an address, says so in a message box and still returns the text.
    CString GetRecipientText() const;
    // The address-book sort: column 0 list text, 1 e-mail, 2 company, 3 position, 4 DDI, 5 mobile;
    // case-insensitive in the user's locale. Any other column compares equal.
    int Compare(const CContactRecord& other, int nColumn, BOOL bAscending) const;

    char m_cDDI[51];
    char m_cEmail[101];
    char m_cFamiliar[101];
    char m_cFirstname[101];
    char m_cIndType1[101];
    char m_cIndType2[101];
    char m_cIndType3[101];
    char m_cIndType4[101];
    char m_cIndType5[101];
    char m_cIndType6[101];
    char m_cIndType7[101];
    char m_cInitials[41];
    char m_cMobile[51];
    char m_cPosition[101];
    char m_cSurname[101];
    char m_cTitle[101];
    char m_cNotes[1024];
    char m_Company[101];
    char m_Address1[101];
    char m_Address2[101];
    char m_TownCity[101];
    char m_County[101];
    char m_Postcode[41];
    char m_Tel[51];
    char m_Fax[51];
    char m_Web[101];
    char m_Country[51];
    char m_Notes[1024];
    VARIANT_BOOL m_Ind;
    char m_Type1[76];
    char m_Type2[76];
    char m_Type3[76];
    char m_Type4[76];
    char m_Type5[76];
    DATE m_AddDate;
    LONG m_CustomerID;
    LONG m_ID;
    // The text of the address-book list's first column, filled by the address book.
    CString m_strListText;

    // clang-format off
    BEGIN_COLUMN_MAP(CContactRecord)
        COLUMN_ENTRY(1, m_ID)
        COLUMN_ENTRY(2, m_CustomerID)
        COLUMN_ENTRY(3, m_cTitle)
        COLUMN_ENTRY(4, m_cFirstname)
        COLUMN_ENTRY(5, m_cInitials)
        COLUMN_ENTRY(6, m_cSurname)
        COLUMN_ENTRY(7, m_cPosition)
        COLUMN_ENTRY(8, m_cEmail)
        COLUMN_ENTRY(9, m_cDDI)
        COLUMN_ENTRY(10, m_cFamiliar)
        COLUMN_ENTRY(11, m_cMobile)
        COLUMN_ENTRY(12, m_cIndType1)
        COLUMN_ENTRY(13, m_cIndType2)
        COLUMN_ENTRY(14, m_cIndType3)
        COLUMN_ENTRY(15, m_cIndType4)
        COLUMN_ENTRY(16, m_cIndType5)
        COLUMN_ENTRY(17, m_cIndType6)
        COLUMN_ENTRY(18, m_cIndType7)
        COLUMN_ENTRY(19, m_cNotes)
        COLUMN_ENTRY(20, m_Company)
        COLUMN_ENTRY(21, m_Address1)
        COLUMN_ENTRY(22, m_Address2)
        COLUMN_ENTRY(23, m_TownCity)
        COLUMN_ENTRY(24, m_County)
        COLUMN_ENTRY(25, m_Postcode)
        COLUMN_ENTRY(26, m_Tel)
        COLUMN_ENTRY(27, m_Fax)
        COLUMN_ENTRY(28, m_Web)
        COLUMN_ENTRY(29, m_Country)
        COLUMN_ENTRY(30, m_Notes)
        COLUMN_ENTRY_TYPE(31, DBTYPE_BOOL, m_Ind)
        COLUMN_ENTRY(32, m_Type1)
        COLUMN_ENTRY(33, m_Type2)
        COLUMN_ENTRY(34, m_Type3)
        COLUMN_ENTRY(35, m_Type4)
        COLUMN_ENTRY(36, m_Type5)
        COLUMN_ENTRY(37, m_AddDate)
    END_COLUMN_MAP()

    // A "?" in a caller's statement binds ContactName.ID.
    BEGIN_PARAM_MAP(CContactRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_ID)
    END_PARAM_MAP()
    // clang-format on

private:
    void ZeroAll();
};

// The joined contacts query over the session of the database that holds it.
class CContactsTable : public CCommand<CAccessor<CContactRecord>>, public CTableLink
{
public:
    explicit CContactsTable(CSession* pSession) : m_pSession(pSession) {}
    virtual ~CContactsTable() { CloseTable(); }

    void CloseTable() override
    {
        Close();
        ReleaseCommand();
    }
    CSession* GetSession() const { return m_pSession; }
    // The command open with reconnect, for callers that read the query directly; NULL: the default query.
    void OpenQuery(CSession* pSession, const char* pszSQL, CDBPropSet* pPropSet);

    CSession* m_pSession;
    bool m_bPrepared = false;
};

class CContactsTableHolder : public CContactsTable
{
public:
    explicit CContactsTableHolder(CSession* pSession) : CContactsTable(pSession) {}

    // Opens pszSQL (NULL: the default query). A first failure creates Site and ContactName when they are
    // missing and tries once more.
    void Open(HWND hOwner, const char* pszSQL = NULL);
    // The default query, without the contacts lacking an e-mail address when the settings say so.
    void OpenFiltered(HWND hOwner);
    // Positions on the first contact with that address (the database's own comparison); false when
    // there is none. An empty address answers false and leaves the table as it was.
    bool FindByEmail(const char* pszAddress, HWND hOwner);
    // Reads the contact of that ContactName ID joined with its company; false when there is none.
    bool ReadContact(LONG nID, HWND hOwner);

    CString m_strText;
};

// The default query, with " AND ContactName.cEmail <> ''" while "Only display users with an email
// address" is on (asked of the owner's settings; on when the owner does not answer).
CString BuildContactsSelect(HWND hOwner);

class CContactNameRecord
{
public:
    LONG m_ID = 0;
    LONG m_CustomerID = 0;
    char m_cTitle[101] = {};
    char m_cFirstname[101] = {};
    char m_cInitials[41] = {};
    char m_cSurname[101] = {};
    char m_cPosition[101] = {};
    char m_cEmail[101] = {};
    char m_cDDI[51] = {};
    char m_cFamiliar[101] = {};
    char m_cMobile[51] = {};
    char m_cIndType[7][101] = {};
    char m_cNotes[1024] = {};

    // clang-format off
    BEGIN_ACCESSOR_MAP(CContactNameRecord, 2)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(2, m_CustomerID)
            COLUMN_ENTRY(3, m_cTitle)
            COLUMN_ENTRY(4, m_cFirstname)
            COLUMN_ENTRY(5, m_cInitials)
            COLUMN_ENTRY(6, m_cSurname)
            COLUMN_ENTRY(7, m_cPosition)
            COLUMN_ENTRY(8, m_cEmail)
            COLUMN_ENTRY(9, m_cDDI)
            COLUMN_ENTRY(10, m_cFamiliar)
            COLUMN_ENTRY(11, m_cMobile)
            COLUMN_ENTRY(12, m_cIndType[0])
            COLUMN_ENTRY(13, m_cIndType[1])
            COLUMN_ENTRY(14, m_cIndType[2])
            COLUMN_ENTRY(15, m_cIndType[3])
            COLUMN_ENTRY(16, m_cIndType[4])
            COLUMN_ENTRY(17, m_cIndType[5])
            COLUMN_ENTRY(18, m_cIndType[6])
            COLUMN_ENTRY(19, m_cNotes)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, true)
            COLUMN_ENTRY(1, m_ID)
        END_ACCESSOR()
    END_ACCESSOR_MAP()

    // clang-format on

    // Two parameter bindings: ID for the opens by identifier, cEmail, cFirstname and cSurname (in marker
    // order) for the look-ups. A command makes its binding once, at its first execution.
    void _OleDbBindParams(::ATL::COleDbBinder& _b)
    {
        _b.SetParamType(DBPARAMIO_INPUT);
        if (m_bLookupParams)
        {
            COLUMN_ENTRY(1, m_cEmail)
            COLUMN_ENTRY(2, m_cFirstname)
            COLUMN_ENTRY(3, m_cSurname)
        }
        else
        {
            COLUMN_ENTRY(1, m_ID)
        }
    }

    bool m_bLookupParams = false;
};

// The ContactName rows alone.
class CContactNameTable : public CTableBase<CContactNameRecord>
{
public:
    explicit CContactNameTable(CSession* pSession) : CTableBase<CContactNameRecord>(pSession) {}

    virtual ~CContactNameTable() { Close(); }

    // pszSQL NULL: every row (the default select). Checks the schema once per object; a lost connection
    // offers to reconnect. pszTable names the table in the failure text.
    void Open(HWND hOwner, const char* pszTable = "ContactName", const char* pszSQL = NULL);
    // Clears the record and reads the contact of that ID; false when there is none.
    BOOL OpenByID(CSession* pSession, LONG nID, HWND hOwner = NULL);
    // Once per object: the table (after Site) is made when missing and its columns checked. A schema that
    // does not match is thrown as the check's text.
    void EnsureSchema(HWND hOwner);
    void EnsureTable(HWND hOwner) { EnsureSchema(hOwner); }

    // The look-up: the default select followed by pszWhere (which starts with its own blank), made and
    // prepared once; a command that cannot be made or prepared throws, and the object stays unprepared.
    void PrepareLookup(const char* pszWhere, HWND hOwner = NULL);
    // Runs the prepared look-up with the values now in the record (cEmail, cFirstname, cSurname in marker
    // order); the caller moves to the first row. Throws a COLEDBException when it fails.
    void ExecuteLookup();
    // Any state: closes the rowset, releases the command with its parameter binding; the checked flag stays.
    void Close();
    bool IsLookupPrepared() const { return m_bLookupPrepared; }
    // Creates the table when it is missing, and only then its eleven indexes.
    static void Create(CSession* pSession, HWND hOwner);

private:
    bool m_bLookupPrepared = false;
};

// The default select of the ContactName table object, in the columns' order.
extern const char g_szContactNameSelect[];

class CContactNameTableHolder : public CContactNameTable
{
public:
    explicit CContactNameTableHolder(CSession* pSession) : CContactNameTable(pSession) {}
    CString m_strText;
};
