// The Signatures table of the local mail database: the user's one signature text, in its first row.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include "store/ColumnDesc.h"
#include "store/TableBase.h"

extern const CColumnDesc g_SignaturesColumns[];

class CSignaturesRecord
{
public:
    LONG m_ID = 0;
    ISequentialStream* m_pSignatureText = NULL;
    DBLENGTH m_SignatureLength = 0;
    DBSTATUS m_SignatureStatus = 0;

    // clang-format off
    BEGIN_ACCESSOR_MAP(CSignaturesRecord, 2)
        BEGIN_ACCESSOR(0, true)
            COLUMN_ENTRY(1, m_ID)
        END_ACCESSOR()
        BEGIN_ACCESSOR(1, false)
            BLOB_ENTRY_LENGTH_STATUS(2, IID_ISequentialStream, STGM_READ, m_pSignatureText, m_SignatureLength,
                                     m_SignatureStatus)
        END_ACCESSOR()
    END_ACCESSOR_MAP()
    // clang-format on
};

// Creates the table with its own statement when the database lacks it.
void EnsureSignaturesTable(CSession* pSession, HWND hOwner = NULL);

class CSignaturesTable : public CTableBase<CSignaturesRecord>
{
public:
    explicit CSignaturesTable(CSession* pSession) : CTableBase<CSignaturesRecord>(pSession) {}
    virtual ~CSignaturesTable() { ReleaseStream(); }

    // Closes an open rowset and opens the table; the first open of the object makes and checks the table.
    void Open(HWND hOwner, bool bUpdatable = true);
    // The first row's text, read whole; empty when the table has no row.
    CString ReadSignature(HWND hOwner);

private:
    void ReleaseStream();
};
