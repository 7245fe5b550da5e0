// The message store: one position in the Emails table with its message text, attachments and recipients.
#pragma once

#include <windows.h>

#include <string.h>

#include <new>

#include <atlstr.h>

#include "foundation/Exception.h"
#include "store/AccountsTable.h"
#include "store/AddressTable.h"
#include "store/AttachmentsTable.h"
#include "store/EmailsTable.h"
#include "store/MessageStoreTexts.h"
#include "store/MimePartStandIn.h"

// Message text helpers; the store applies them to the text of its current row.
namespace MessageText
{
// The text up to the first blank line; the whole text when there is none.
CString GetHeader(const CString& strMessage);
// The value of the nIndex-th field of that name, unfolded and trimmed; names match at line starts only and
// without regard to case. Empty when there is no such field.
CString GetHeaderField(const CString& strMessage, const char* pszName, int nIndex);
// Replaces the field (pszName with its colon) in the header, or adds it at the header's end when absent.
void SetHeaderField(CString& strMessage, const char* pszName, const char* pszValue);
// Appends every byte the stream gives until it gives none (S_OK), or until a read fails: then the failure,
// and strText holds only a part of the text.
HRESULT ReadStream(ISequentialStream* pStream, CString& strText);
// Writes the text to the file; a text that begins with "\r\n" is written without those two characters.
void SaveToFile(const CString& strMessage, const char* pszPath);
} // namespace MessageText

// The "subject" header of a parsed message; empty when it has none.
CString GetMessageSubject(const CMimePart* pMessage);

template <class TAccessor = CEmailsStoreAccessor> class CEmailsImpl : public CEmailsTable<TAccessor>
{
    typedef CEmailsTable<TAccessor> CTable;
    typedef CCommand<CAccessor<TAccessor>> CBaseCommand;

public:
    explicit CEmailsImpl(CSession* pSession)
        : CTable(pSession), m_attachments(pSession), m_addresses(pSession), m_accounts(pSession)
    {
    }
    virtual ~CEmailsImpl()
    {
        Close();
        delete m_pMimeMessage;
    }

    void Close()
    {
        m_attachments.Close();
        m_addresses.Close();
        CTable::Close();
    }
    // A database closing its tables closes the whole store.
    void CloseTable() override { Close(); }

    void SelectByID(LONG nEmailID, HWND hWndOwner)
    {
        StartSelection();
        this->m_FolderID = nEmailID; // the identity travels in the first parameter, FolderID
        this->Open(hWndOwner, "Emails", CString(g_szEmailsSelect) + " WHERE EmailsID = ?");
        if (MoveNext(0, 1) != S_OK)
        {
            CString strText;
            strText.Format(MessageStoreText::kMessageNotFound, (long)nEmailID);
            throw new CException(strText, "");
        }
    }

    // The message-ID form: the Message-ID travels in the Subject field. The caller moves.
    void SelectByMessageID(const CEmailsRecord& message, HWND hWndOwner)
    {
        CString strMessageID = message.m_MessageID;
        StartSelection();
        strncpy(this->m_Subject, strMessageID, sizeof(this->m_Subject) - 1);
        this->Open(hWndOwner, "Emails", CString(g_szEmailsSelect) + " WHERE MessageID = ?");
    }

    // The caller moves to the first row.
    void OpenByFolder(LONG nFolderID, HWND hWndOwner)
    {
        StartSelection();
        this->m_FolderID = nFolderID;
        this->Open(hWndOwner, "Emails", CString(g_szEmailsSelect) + " WHERE FolderID = ?");
    }

    // The folder-and-unique-ID form. An identity too long for the column cannot be stored, so it answers
    // "no row" without running anything: the caller's next move ends at once.
    void SelectByFolderAndUniqueID(HWND hWndOwner, LONG nFolderID, const char* pszUniqueID)
    {
        StartSelection();
        this->m_FolderID = nFolderID;
        if (strlen(pszUniqueID) >= sizeof(this->m_UniqueID))
            return;
        strcpy(this->m_UniqueID, pszUniqueID);
        this->Open(hWndOwner, "Emails",
                   CString(g_szEmailsSelect) + " WHERE " + g_EmailsColumns[8].m_pszName + " = ?" + " AND " +
                       g_EmailsColumns[11].m_pszName + " = ?");
    }

    // Prepares the SELECT with pszCondition for repeated look-ups through OpenTable.
    void Select(const char* pszCondition)
    {
        CTable::Close();
        CString strSQL = CString(g_szEmailsSelect) + pszCondition;
        HRESULT hr = this->Create(*this->m_pSession, strSQL);
        if (SUCCEEDED(hr))
            hr = this->Prepare(0);
        if (FAILED(hr))
            this->ThrowExecuteFailure(this->m_spCommand, this->m_pSession, NULL, hr);
        this->m_bPrepared = true;
        this->m_bLookupPrepared = true;
    }

    void OpenTable(HWND hWndOwner = NULL) { this->ExecutePrepared(hWndOwner); }

    // A message of that folder, subject and sender pattern (LIKE) dated within the same second; the caller
    // moves to the first row, and a row means a duplicate.
    void FindDuplicate(HWND hWndOwner, LONG nFolderID, const char* pszSubject, const char* pszSenderPattern,
                       const SYSTEMTIME& when)
    {
        if (!this->m_bLookupPrepared)
        {
            this->EnsureTable(hWndOwner);
            Select(CString(" WHERE ") + g_EmailsColumns[8].m_pszName + " = ? AND " +
                   g_EmailsColumns[4].m_pszName + " = ? AND " + g_EmailsColumns[6].m_pszName +
                   " LIKE ? AND " + g_EmailsColumns[1].m_pszName + " < ? AND " +
                   g_EmailsColumns[1].m_pszName + " > ?");
        }
        this->ReleaseMessageStream();
        if (this->m_spRowset != NULL)
            this->ReleaseRows();
        this->Clear();
        DropText();
        this->m_FolderID = nFolderID;
        strncpy(this->m_Subject, pszSubject, sizeof(this->m_Subject) - 1);
        strncpy(this->m_Ref, pszSenderPattern, sizeof(this->m_Ref) - 1);
        this->m_EmDate = OleDateAfterSeconds(when, 1);
        this->m_EmDateMin = OleDateAfterSeconds(when, -1);
        OpenTable(hWndOwner);
    }

    // 0 (S_OK) when the move gave a row. A store whose selection answered "no row" gives end of rowset.
    HRESULT MoveNext(BOOL bRelease, BOOL bRead)
    {
        DropText();
        if (this->m_spRowset == NULL)
            return DB_S_ENDOFROWSET;
        this->ReleaseMessageStream();
        HRESULT hr = CBaseCommand::MoveNext();
        AfterMove(hr, bRelease, bRead);
        return hr;
    }

    HRESULT MoveLast(BOOL bRelease)
    {
        DropText();
        if (this->m_spRowset == NULL)
            return DB_S_ENDOFROWSET;
        this->ReleaseMessageStream();
        HRESULT hr = CBaseCommand::MoveLast();
        AfterMove(hr, bRelease, 1);
        return hr;
    }

    void AfterMove(HRESULT hr, BOOL bRelease, BOOL bRead)
    {
        if (hr != S_OK || this->m_pMessage == NULL)
            return;
        if (bRelease)
            this->ReleaseMessageStream();
        else if (bRead)
            GetMessage();
    }

    // The whole text of the current row, read from its stream once. A read that fails is never taken for
    // the end of the text: the provider aborts a long read when the row changes under it, so the row's
    // stream is opened afresh and read once more; a second failure, or a row that is gone, throws.
    CString GetMessage()
    {
        if (this->m_pMessage == NULL || !m_strMessage.IsEmpty())
            return m_strMessage;
        CString strText;
        HRESULT hr = MessageText::ReadStream(this->m_pMessage, strText);
        this->ReleaseMessageStream();
        if (FAILED(hr))
        {
            strText.Empty();
            const HRESULT hrReopen = this->GetData(0);
            if (SUCCEEDED(hrReopen) && this->m_pMessage != NULL)
            {
                hr = MessageText::ReadStream(this->m_pMessage, strText);
                this->ReleaseMessageStream();
            }
            else if (FAILED(hrReopen))
                hr = hrReopen;
            if (FAILED(hr))
            {
                CString strError;
                strError.Format(MessageStoreText::kReadMessageFailed, (long)this->m_EmailsID);
                throw new COLEDBException(NULL, IID_ISequentialStream, strError, this->m_pSession, NULL,
                                          FALSE, NULL, FALSE, FALSE, hr, NULL, this->m_spRowset);
            }
        }
        m_strMessage = strText;
        return m_strMessage;
    }

    CString GetHeader() { return MessageText::GetHeader(m_strMessage); }
    CString GetHeaderField(const char* pszName, int nIndex = 0)
    {
        return MessageText::GetHeaderField(m_strMessage, pszName, nIndex);
    }
    void SetHeaderField(const char* pszName, const char* pszValue)
    {
        GetMessage();
        MessageText::SetHeaderField(m_strMessage, pszName, pszValue);
    }

    // The parsed message of the current row, built once; null when it cannot be made.
    CMimePart* GetMimeMessage()
    {
        if (m_pMimeMessage == NULL)
            m_pMimeMessage = new (std::nothrow) CMimePart(GetMessage());
        return m_pMimeMessage;
    }

    void SaveMessageToFile(const char* pszPath)
    {
        HCURSOR hOldCursor = SetCursor(LoadCursor(NULL, IDC_WAIT));
        try
        {
            MessageText::SaveToFile(m_strMessage, pszPath);
        }
        catch (...)
        {
            SetCursor(hOldCursor);
            throw;
        }
        SetCursor(hOldCursor);
    }

    CAttachmentsTable m_attachments;
    CString m_strMessage;
    CString m_strParseError;
    CAddressTable m_addresses;
    CAccountsImpl m_accounts;
    CMimePart* m_pMimeMessage = NULL;
    int m_bSearch = 1;
    CString m_strMessageFilePath;

private:
    void DropText()
    {
        delete m_pMimeMessage;
        m_pMimeMessage = NULL;
        m_strMessage.Empty();
    }

    void StartSelection()
    {
        Close();
        this->Clear();
        DropText();
    }
};
