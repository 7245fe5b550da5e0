// The Address table: the recipients of stored messages by kind (To, Cc, Bcc).
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/ColumnDesc.h"
#include "store/TableBase.h"

extern const CColumnDesc g_AddressColumns[];
extern const char g_szAddressSelect[];

// Recipient kinds in Type.
enum
{
    ADDRESS_TO = 0,
    ADDRESS_CC = 1,
    ADDRESS_BCC = 2
};

class CAddressRecord
{
public:
    char m_Address[129] = {};
    LONG m_EmailID = 0;
    char m_Name[129] = {};
    BYTE m_Type = 0;
    BYTE m_Flags = 0;

    BEGIN_ACCESSOR_MAP(CAddressRecord, 1)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(1, m_EmailID)
            COLUMN_ENTRY(2, m_Name)
            COLUMN_ENTRY(3, m_Address)
            COLUMN_ENTRY(4, m_Type)
            COLUMN_ENTRY(5, m_Flags)
        END_ACCESSOR()
    END_ACCESSOR_MAP()

    BEGIN_PARAM_MAP(CAddressRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_EmailID)
        COLUMN_ENTRY(2, m_Type)
        COLUMN_ENTRY(3, m_Address)
    END_PARAM_MAP()

    void ClearRow()
    {
        memset(m_Address, 0, sizeof(m_Address));
        m_EmailID = 0;
        memset(m_Name, 0, sizeof(m_Name));
        m_Type = 0;
        m_Flags = 0;
    }
};

class CAddressTable : public CTableBase<CAddressRecord>
{
public:
    explicit CAddressTable(CSession* pSession) : CTableBase<CAddressRecord>(pSession) {}
    virtual ~CAddressTable();

    // pszSQL null: the rows of the EmailID and Type in the record.
    void Open(HWND hWndOwner, const char* pszSQL = NULL);
    void EnsureTable(HWND hWndOwner);
    static void CreateTable(CSession* pSession, HWND hWndOwner);
    // The recipients of one message of one kind (To unless told otherwise).
    void OpenForEmail(LONG nEmailID, HWND hWndOwner, BYTE nType = ADDRESS_TO);
    void DeleteByEmailID(LONG nEmailID, HWND hWnd);
    void Close() { CloseTable(); }
    // Stores one recipient entry ("Name <address>" or a bare address) unless the message already has that
    // address under that kind. An empty entry is skipped.
    void InsertRecipient(const char* pszEntry, LONG nEmailID, BYTE nType, HWND hWndOwner);

    // The table that recipient insertion makes on first use for its duplicate test.
    CAddressTable* m_pDuplicates = NULL;

private:
    static bool AlterColumn(int nColumn, CSession* pSession);
};
