// The Signatures table of the local mail database.
#include "ui/compose/SignaturesTable.h"

#include <vector>

#include "store/OLEDBException.h"
#include "store/TableSchema.h"
#include "ui/compose/ComposeTexts.h"

const CColumnDesc g_SignaturesColumns[] = {
    {"ID", 1, DBTYPE_COUNTER, 0, " CONSTRAINT PK_AttachmentsID PRIMARY KEY", NULL, 1},
    {"SignatureText", 2, DBTYPE_BYTES, 0, "", NULL, 1},
    {"", 0, 0, 0, "", NULL, 1}};

namespace
{
const ULONG kChunk = 512000;
}

void EnsureSignaturesTable(CSession* pSession, HWND hOwner)
{
    CreateTableWithStatement(pSession, hOwner, ComposeText::kSignaturesTable, ComposeText::kCreateSignatures);
}

void CSignaturesTable::Open(HWND hOwner, bool bUpdatable)
{
    if (!HasSession())
        throw ComposeText::kSignaturesNoSession;
    ReleaseStream();
    CloseTable();
    if (!m_bReady)
    {
        EnsureSignaturesTable(m_pSession, hOwner);
        EnsureTableSchema(hOwner, m_pSession, ComposeText::kSignaturesTable, g_SignaturesColumns, m_strError,
                          [](int) { return false; });
        m_bReady = 1;
    }
    CDBPropSet propSet(DBPROPSET_ROWSET);
    if (bUpdatable)
        SetChangeableRowsetProps(propSet);
    try
    {
        OpenCommandWithReconnect(static_cast<CTableBase<CSignaturesRecord>&>(*this), m_pSession, hOwner,
                                 ComposeText::kSignaturesSelect, &propSet, m_bPrepared);
    }
    catch (COLEDBException* pException)
    {
        CString strDescription =
            pException->m_records.empty() ? CString() : CString(pException->m_records[0].strDescription);
        pException->m_strMessage = ComposeText::kSignaturesOpenFailed + strDescription;
        throw;
    }
}

CString CSignaturesTable::ReadSignature(HWND hOwner)
{
    Open(hOwner, true);
    CString strText;
    if (MoveFirst() != S_OK)
        return strText;
    GetData(1);
    if (m_pSignatureText == NULL || m_SignatureStatus == DBSTATUS_S_ISNULL)
    {
        ReleaseStream();
        return strText;
    }
    std::vector<char> buffer(kChunk);
    for (;;)
    {
        ULONG nRead = 0;
        HRESULT hr = m_pSignatureText->Read(&buffer[0], kChunk, &nRead);
        if (FAILED(hr) || nRead == 0)
            break;
        strText += CString(&buffer[0], (int)nRead);
    }
    ReleaseStream();
    return strText;
}

void CSignaturesTable::ReleaseStream()
{
    if (m_pSignatureText != NULL)
        m_pSignatureText->Release();
    m_pSignatureText = NULL;
}
