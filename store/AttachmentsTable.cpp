// The Attachments table: creation, open, insert and delete by message.
#include "store/AttachmentsTable.h"

#include <string.h>

#include "store/DatabaseSession.h"
#include "store/MessageStoreTexts.h"
#include "store/MessageTableSupport.h"
#include "store/OLEDBException.h"
#include "store/StoreTexts.h"
#include "store/TextException.h"

const char g_szAttachmentsSelect[] =
    " \tSELECT \t\tID, \t\tName, EmailID, \t\tFileSize  \t\tFROM Attachments WHERE EmailID = ?";
const char g_szAttachmentsCreate[] =
    "CREATE TABLE Attachments (ID COUNTER CONSTRAINT PK_AttachmentsID PRIMARY KEY, Name TEXT(255), EmailID "
    "INTEGER NOT NULL CONSTRAINT FK_EmailID REFERENCES Emails (EmailsID), FileSize INTEGER NOT NULL)";

namespace
{
const char* const kAttachmentsColumnNames[] = {"ID", "Name", "EmailID", "FileSize", ""};
const int kMaxAttachmentName = 255;
} // namespace

void CAttachmentsTable::Open(HWND hWndOwner, const char* pszSQL)
{
    if (!HasSession())
        throw MessageStoreText::kNoSessionAttachments;
    if (!m_bReady)
    {
        CreateTable(m_pSession, hWndOwner);
        int nCheck = 0;
        try
        {
            nCheck = CheckTableColumnNames(hWndOwner, m_pSession, "Attachments", kAttachmentsColumnNames,
                                           m_strError, NULL);
        }
        catch (COLEDBException* pException)
        {
            delete pException;
        }
        if (nCheck != 1)
            ThrowText(m_strError);
        m_bReady = 1;
    }
    OpenRowset(hWndOwner, pszSQL != NULL ? pszSQL : g_szAttachmentsSelect);
}

void CAttachmentsTable::Insert(LONG nEmailID, const char* pszName, HWND hWndOwner, LONG nFileSize)
{
    // Refused before the open, so a name that cannot be stored leaves no trace in the file.
    if (strlen(pszName) > (size_t)kMaxAttachmentName)
        throw MessageStoreText::kAttachmentNameTooLong;
    m_ID = 0;
    memset(m_Name, 0, sizeof(m_Name));
    m_EmailID = nEmailID;
    m_FileSize = nFileSize;
    Open(hWndOwner);
    strcpy(m_Name, pszName);
    HRESULT hr = CCommand<CAccessor<CAttachmentsRecord>>::Insert(0);
    if (FAILED(hr))
    {
        throw new COLEDBException(m_spRowsetChange, IID_IRowsetChange,
                                  MessageStoreText::kInsertAttachmentsFailed, m_pSession, hWndOwner, FALSE,
                                  NULL, FALSE, FALSE, hr);
    }
}

void CAttachmentsTable::DeleteByEmailID(LONG nEmailID, HWND hWndOwner)
{
    CString strSQL;
    strSQL.Format("DELETE FROM Attachments WHERE EmailID = %ld", (long)nEmailID);
    GetOwnerDatabase(hWndOwner, m_pSession)->ExecuteSQL(strSQL, hWndOwner);
}

void CAttachmentsTable::CreateTable(CSession* pSession, HWND hWndOwner)
{
    if (!TableExists(pSession, "Attachments"))
        CreateTableWithStatement(pSession, hWndOwner, "Attachments", g_szAttachmentsCreate);
}
