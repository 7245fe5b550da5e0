// The Emails table: schema, creation with its dependent tables, upgrade, flags and the message list's sort.
#include "store/EmailsTable.h"

#include <string.h>

#include "foundation/Exception.h"
#include "store/AddressTable.h"
#include "store/AttachmentsTable.h"
#include "store/DatabaseSession.h"
#include "store/MessageStoreTexts.h"
#include "store/TableSchema.h"

const CColumnDesc g_EmailsColumns[] = {
    {"EmailsID", 1, DBTYPE_COUNTER, 0, " CONSTRAINT PK_EmailsID PRIMARY KEY", NULL, 1},
    {"EmDate", 2, DBTYPE_DATE, 0, "", NULL, 1},
    {"Criteria", 3, DBTYPE_STR, 255, "", NULL, 1},
    {"Quantity", 4, DBTYPE_I4, 0, "", NULL, 0},
    {"Subject", 5, DBTYPE_STR, 255, "", NULL, 1},
    {"Message", 6, DBTYPE_BYTES, 0, "", NULL, 1},
    {"Ref", 7, DBTYPE_STR, 255, "", NULL, 1},
    {"Status", 8, DBTYPE_STR, 50, "", NULL, 1},
    {"FolderID", 9, DBTYPE_I4, 0, " NOT NULL CONSTRAINT FK_FolderID REFERENCES Folders (ID)", NULL, 1},
    {"Flags", 10, DBTYPE_I4, 0, "", NULL, 1},
    {"MessageID", 11, DBTYPE_STR, 127, "", NULL, 1},
    {"UniqueID", 12, DBTYPE_STR, 255, "", NULL, 1},
    {"AccountID", 13, DBTYPE_I4, 0, "", NULL, 1},
    {"Encode", 14, DBTYPE_UI1, 0, "", NULL, 1},
    {"", 0, 0, 0, "", NULL, 1}};

const char g_szEmailsSelect[] =
    " \tSELECT Emails.EmailsID, Emails.EmDate, Emails.Criteria, Emails.Quantity, Emails.Subject, "
    "Emails.Message, Emails.Ref, Emails.Status, Emails.FolderID, Emails.Flags, Emails.MessageID, "
    "Emails.UniqueID, Emails.AccountID, Emails.Encode FROM Emails";

namespace
{
// Indexes of the columns that databases of older versions lack.
enum
{
    COLUMN_UNIQUEID = 11,
    COLUMN_ACCOUNTID = 12,
    COLUMN_ENCODE = 13
};

int Sign(double d)
{
    return d > 0 ? 1 : (d < 0 ? -1 : 0);
}
} // namespace

void CEmailsRecord::ZeroRow()
{
    memset(m_Criteria, 0, sizeof(m_Criteria));
    m_EmailsID = 0;
    m_EmDate = 0;
    m_FolderID = 0;
    m_MessageLength = 0;
    m_MessageStatus = 0;
    m_pMessage = NULL;
    m_Quantity = 0;
    memset(m_Ref, 0, sizeof(m_Ref));
    memset(m_Status, 0, sizeof(m_Status));
    memset(m_Subject, 0, sizeof(m_Subject));
    memset(m_MessageID, 0, sizeof(m_MessageID));
    memset(m_UniqueID, 0, sizeof(m_UniqueID));
    m_AccountID = 0;
    m_Flags = 0;
    m_Encode = 0;
}

void CEmailsRecord::Clear()
{
    ReleaseMessageStream();
    ZeroRow();
    SYSTEMTIME st;
    GetLocalTime(&st);
    SystemTimeToVariantTime(&st, &m_EmDate);
}

void CEmailsRecord::ReleaseMessageStream()
{
    if (m_pMessage != NULL)
        m_pMessage->Release();
    m_pMessage = NULL;
}

void CEmailsRecord::UpdateFlags(CDatabaseSession* pDatabase, HWND hWndOwner)
{
    CString strSQL;
    strSQL.Format("UPDATE Emails SET Flags = %ld WHERE EmailsID = %ld", (long)m_Flags, (long)m_EmailsID);
    pDatabase->ExecuteSQL(strSQL, hWndOwner);
}

void CEmailsRecord::SaveFlags(HWND hWnd)
{
    CDatabaseSession* pDatabase = NULL;
    ::SendMessage(hWnd, RegisterWindowMessageA("LetrovaGetDatabase"), (WPARAM)&pDatabase, 0);
    if (pDatabase != NULL)
        UpdateFlags(pDatabase, NULL);
}

DATE OleDateAfterSeconds(const SYSTEMTIME& when, int nSeconds)
{
    SYSTEMTIME st = when;
    st.wMilliseconds = 0;
    FILETIME ft;
    DATE date = 0;
    if (!SystemTimeToFileTime(&st, &ft))
        return date;
    ULARGE_INTEGER ticks;
    ticks.LowPart = ft.dwLowDateTime;
    ticks.HighPart = ft.dwHighDateTime;
    ticks.QuadPart += (LONGLONG)nSeconds * 10000000;
    ft.dwLowDateTime = ticks.LowPart;
    ft.dwHighDateTime = ticks.HighPart;
    if (FileTimeToSystemTime(&ft, &st))
        SystemTimeToVariantTime(&st, &date);
    return date;
}

int CompareEmailsRecords(const CEmailsRecord& a, const CEmailsRecord& b, int nColumn, BOOL bAscending)
{
    const CEmailsRecord& x = bAscending ? a : b;
    const CEmailsRecord& y = bAscending ? b : a;
    switch (nColumn)
    {
    case 0:
    case 1:
    {
        int nx = x.m_Flags & EMAIL_FLAG_ATTACHMENTS;
        int ny = y.m_Flags & EMAIL_FLAG_ATTACHMENTS;
        return nx == ny ? 0 : (nx != 0 ? 1 : -1);
    }
    case 2:
        return lstrcmpiA(x.m_Ref, y.m_Ref);
    case 3:
        return lstrcmpiA(x.m_Subject, y.m_Subject);
    case 4:
        return Sign(x.m_EmDate - y.m_EmDate);
    case 5:
        return x.m_FolderID == y.m_FolderID ? 0 : (x.m_FolderID > y.m_FolderID ? 1 : -1);
    default:
        return 0;
    }
}

void CEmailsTableBase::CreateTable(CSession* pSession, HWND hWndOwner)
{
    if (TableExists(pSession, "Emails"))
        return;
    CreateTableIfMissing(pSession, hWndOwner, "Emails", g_EmailsColumns);
    CAttachmentsTable::CreateTable(pSession, hWndOwner);
    CAddressTable::CreateTable(pSession, hWndOwner);
}

int CEmailsTableBase::AlterTable(int nColumn, CSession* pSession)
{
    if (nColumn != COLUMN_UNIQUEID && nColumn != COLUMN_ACCOUNTID && nColumn != COLUMN_ENCODE)
        return 0;
    if (!AddTableColumn(pSession, "Emails", g_EmailsColumns[nColumn]))
    {
        if (nColumn == COLUMN_ENCODE)
        {
            CString strDefinition;
            g_EmailsColumns[nColumn].GetDefinition(strDefinition);
            throw new CException(CString("FATAL ERROR.\r\n") + "ALTER TABLE " + "Emails" + " ADD " +
                                 strDefinition + "\r\nfailed.");
        }
        throw MessageStoreText::kAlterEmailsFailed;
    }
    return 1;
}

void CEmailsTableBase::EnsureTable(CSession* pSession, HWND hWndOwner, CString& strError)
{
    CreateTable(pSession, hWndOwner);
    EnsureTableSchema(hWndOwner, pSession, "Emails", g_EmailsColumns, strError,
                      [pSession](int nColumn) { return AlterTable(nColumn, pSession) != 0; });
}

void CEmailsTableBase::ThrowExecuteFailure(ICommand* pCommand, CSession* pSession, HWND hWndOwner, HRESULT hr)
{
    CString strText =
        CString(StoreText::kOpenNamedTableFailed1) + "Emails" + StoreText::kOpenNamedTableFailed2;
    throw new COLEDBException(pCommand, IID_ICommand, strText, pSession, hWndOwner, FALSE, NULL, FALSE, FALSE,
                              hr);
}
