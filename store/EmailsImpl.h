// The message store: one position in the Emails table with its message text, attachments and recipients.
#pragma once

#include <windows.h>

#include <string.h>

#include <functional>
#include <new>
#include <vector>

#include <atlstr.h>

#include "content/AddressList.h"
#include "content/BodyWalker.h"
#include "content/EncodedWord.h"
#include "content/HtmlViewRewriter.h"
#include "content/MimePart.h"
#include "content/ReceivedMessage.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/File.h"
#include "foundation/FileException.h"
#include "foundation/Paths.h"
#include "foundation/SequentialStream.h"
#include "store/AccountsTable.h"
#include "store/AddressTable.h"
#include "store/AttachmentsTable.h"
#include "store/EmailsTable.h"
#include "store/DatabaseSession.h"
#include "store/DeletedMessagesImpl.h"
#include "store/MessageFlagsNotice.h"
#include "store/MessageOperations.h"
#include "store/MessageInsertion.h"
#include "store/MessageStoreTexts.h"
#include "store/MessageTableSupport.h"
#include "store/MessageView.h"
#include "store/OLEDBException.h"

// Message text helpers; the store applies them to the text of its current row.
namespace MessageText
{
// The text up to the first blank line; the whole text when there is none.
CString GetHeader(const CString& strMessage);
// The value of the nIndex-th field of that name, unfolded and trimmed; names match at line starts only and
// without regard to case, blanks may stand before the colon. The header section ends where the part tree's
// does (ReadHeaderField). Empty when there is no such field.
CString GetHeaderField(const CString& strMessage, const char* pszName, int nIndex);
// Replaces the field (pszName with its colon) in the header, or adds it at the header's end when absent.
void SetHeaderField(CString& strMessage, const char* pszName, const char* pszValue);
// Appends every byte the stream gives until it gives none (S_OK), or until a read fails: then the failure,
// and strText holds only a part of the text. cbExpected, the size the text likely has, only saves work.
HRESULT ReadStream(ISequentialStream* pStream, CString& strText, size_t cbExpected = 0);
// Writes the text to the file; a text that begins with "\r\n" is written without those two characters.
void SaveToFile(const CString& strMessage, const char* pszPath);
} // namespace MessageText

// What the store keeps of an outgoing message's attachment: its name, size, and whether it is an inline
// image of the HTML (which gets no Attachments row).
struct CStoredAttachment
{
    CString m_strName;
    LONG m_nSize = 0;
    bool m_bInline = false;
};

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

    // A rowset of the folder that holds none of its rows (no counter is 0): an insert still shows its row at
    // the end, where MoveLast reads the new identifier, without reading a large folder for every message.
    void OpenForInsert(LONG nFolderID, HWND hWndOwner)
    {
        StartSelection();
        this->m_FolderID = nFolderID;
        this->Open(hWndOwner, "Emails", CString(g_szEmailsSelect) + " WHERE FolderID = ? AND EmailsID = 0");
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
            LoadMessage();
    }

    // The whole text of the current row, read from its stream once.
    CString GetMessage()
    {
        LoadMessage();
        return m_strMessage;
    }

    // Reads the current row's text into m_strMessage once. A read that fails is never taken for the end of
    // the text: the provider aborts a long read when the row changes under it, so the row's stream is opened
    // afresh and read once more; a second failure, or a row that is gone, throws.
    void LoadMessage()
    {
        if (this->m_pMessage == NULL || !m_strMessage.IsEmpty())
            return;
        // Read into the member itself: emptied between rows it keeps its storage, so a walk through a folder
        // does not ask the heap for every message's size again.
        HRESULT hr = MessageText::ReadStream(this->m_pMessage, m_strMessage, (size_t)this->m_MessageLength);
        this->ReleaseMessageStream();
        if (FAILED(hr))
        {
            m_strMessage.Empty();
            const HRESULT hrReopen = this->GetData(0);
            if (SUCCEEDED(hrReopen) && this->m_pMessage != NULL)
            {
                hr = MessageText::ReadStream(this->m_pMessage, m_strMessage, (size_t)this->m_MessageLength);
                this->ReleaseMessageStream();
            }
            else if (FAILED(hrReopen))
                hr = hrReopen;
            if (FAILED(hr))
            {
                m_strMessage.Empty();
                CString strError;
                strError.Format(MessageStoreText::kReadMessageFailed, (long)this->m_EmailsID);
                throw new COLEDBException(NULL, IID_ISequentialStream, strError, this->m_pSession, NULL,
                                          FALSE, NULL, FALSE, FALSE, hr, NULL, this->m_spRowset);
            }
        }
    }

    CString GetHeader() { return MessageText::GetHeader(m_strMessage); }
    CString GetHeaderField(const char* pszName, int nIndex = 0)
    {
        return MessageText::GetHeaderField(m_strMessage, pszName, nIndex);
    }
    void SetHeaderField(const char* pszName, const char* pszValue)
    {
        LoadMessage();
        MessageText::SetHeaderField(m_strMessage, pszName, pszValue);
    }

    // The parsed message of the current row, built once; null when it cannot be made.
    CMimePart* GetMimeMessage()
    {
        // Parsed from the text held here, not from a copy of it: a message may be very large.
        if (m_pMimeMessage == NULL)
        {
            LoadMessage();
            m_pMimeMessage = new (std::nothrow) CMimePart(m_strMessage);
        }
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

    // Stores a received message text: its row, recipients and attachments (rows, and files in the temporary
    // folder for the parts that are saved at once). With pAttachmentNames the attachment names are collected
    // there instead of stored as rows. Problems of the text itself never stop the row from being stored:
    // they are left in m_strParseError. The text is taken by value, so a caller that moves it in leaves no
    // second copy of a large message; after the call it is the store's text (ReceivedText), also after a
    // failure.
    void InsertMessage(CString strText, LONG nFolderID, LONG nProbeFolderID, const char* pszUniqueID,
                       LONG nAccountID, HWND hWndOwner, std::vector<CString>* pAttachmentNames, DATE date,
                       const char* pszSubject, const char* pszFrom, BOOL bUnread, BOOL bNoBody,
                       BOOL bBodyPresent)
    {
        try
        {
            this->SetFlag(EMAIL_FLAG_NO_BODY, bNoBody);
            this->SetFlag(EMAIL_FLAG_UNREAD, bUnread);
            this->SetBodyPresent(bBodyPresent);
            this->m_FolderID = nFolderID;
            DropText();
            m_strMessage = std::move(strText);
            m_strParseError.Empty();

            // Only the leaves are read here, so the tree keeps no body above them; it is never left behind
            // for readers of whole parts.
            struct CTreeDrop
            {
                CEmailsImpl& store;
                ~CTreeDrop() { store.DropTree(); }
            } treeDrop{*this};
            m_pMimeMessage = new (std::nothrow) CMimePart(m_strMessage, true);
            CReceivedMessageScan scan;
            CMimePart* pMessage = m_pMimeMessage;
            if (pMessage != NULL)
                ScanReceivedMessage(*pMessage, scan, GetDefaultCharsetName());
            m_strParseError = scan.m_strError;
            // A message that is one attachment always gets its row, also when names are collected.
            bool bApplication = pMessage != NULL && IsApplicationMessage(*pMessage);
            pMessage = NULL; // the insertion below moves the store, which drops the parsed message

            if (nFolderID == 0)
                return;
            InsertMessage(nProbeFolderID, hWndOwner, NULL, pszUniqueID, nAccountID, 0, date, pszSubject, pszFrom,
                          0, 0);
            LONG nEmailID = this->m_EmailsID;
            for (size_t i = 0; i < scan.m_attachments.size(); i++)
            {
                const CReceivedAttachment& attachment = scan.m_attachments[i];
                CString strRowName = attachment.m_strName;
                if (attachment.m_bWriteFile)
                {
                    // Named for the message, so parts of different messages never share a file.
                    strRowName.Format("%s%ld-%s", (const char*)GetTempFolder(), (long)nEmailID,
                                      (const char*)attachment.m_strName);
                    CFile file(strRowName, CFile::modeCreate | CFile::modeWrite);
                    file.Write((const char*)attachment.m_strData, (UINT)attachment.m_strData.GetLength());
                    file.Close();
                }
                if (pAttachmentNames != NULL && !bApplication)
                    pAttachmentNames->push_back(attachment.m_strName);
                else
                    m_attachments.Insert(nEmailID, strRowName, hWndOwner, (LONG)attachment.m_nSize);
            }
            m_attachments.Close();
        }
        catch (CException*)
        {
            throw;
        }
        catch (const char*)
        {
            throw;
        }
        catch (COLEDBException* pException)
        {
            delete pException;
            throw MessageStoreText::kInsertMessageError;
        }
        catch (CFileException* pException)
        {
            delete pException;
            throw MessageStoreText::kInsertMessageFailed;
        }
        catch (...)
        {
            throw MessageStoreText::kInsertMessageFailed;
        }
    }

    // Stores the message text as a new row of the folder in FolderID, with its recipients. Null texts are
    // taken from the header; a failure leaves neither the row nor its recipients, and saves the text as
    // "Message.eml" in the temporary folder.
    void InsertMessage(LONG nProbeFolderID, HWND hWndOwner, const char* pszMessageID, const char* pszUniqueID,
                       LONG nAccountID, BOOL bExtra1, DATE date, const char* pszSubject, const char* pszFrom,
                       BOOL bExtra2, BOOL bExtra3)
    {
        if (this->m_FolderID == 0)
            return;
        if (m_strMessage.IsEmpty())
            GetMessage();
        // The row's writing takes the text out of the store and gives it back: it is never held twice.
        CString strText;
        LONG nNewID = 0;
        try
        {
            nNewID = InsertRow(nProbeFolderID, hWndOwner, pszMessageID, pszUniqueID, nAccountID, bExtra1, date,
                               pszSubject, pszFrom, bExtra2, bExtra3, strText);
            StoreRecipients(hWndOwner, GetHeaderField("To"), GetHeaderField("Cc"), GetHeaderField("Bcc"));
        }
        catch (...)
        {
            if (m_strMessage.IsEmpty())
                m_strMessage = std::move(strText);
            if (nNewID != 0)
                RemoveRow(nNewID, hWndOwner);
            CString strPath = GetTempFolder() + MessageStoreText::kSavedMessageName;
            try
            {
                SaveMessageToFile(strPath);
            }
            catch (CFileException* pFileException)
            {
                delete pFileException;
            }
            try
            {
                throw;
            }
            catch (CException* pException)
            {
                CString strMessage = pException->m_strMessage;
                delete pException;
                throw new CException(strMessage, strPath);
            }
        }
    }

    const CString& ReceivedText() const { return m_strMessage; }
    CString TakeReceivedText()
    {
        DropTree();
        CString strText(std::move(m_strMessage));
        m_strMessage.Empty();
        return strText;
    }

    // Each empty list is taken from the header field of its kind.
    void StoreRecipients(HWND hWndOwner, CString strTo, CString strCc, CString strBcc)
    {
        const char* const kFields[] = {"To", "Cc", "Bcc"};
        CString* lists[] = {&strTo, &strCc, &strBcc};
        for (int nType = 0; nType < 3; nType++)
        {
            if (lists[nType]->IsEmpty())
                *lists[nType] = GetHeaderField(kFields[nType]);
            std::vector<CString> entries;
            ParseAddressList(*lists[nType], entries);
            for (const CString& strEntry : entries)
                m_addresses.InsertRecipient(strEntry, this->m_EmailsID, (BYTE)nType, hWndOwner);
        }
        m_addresses.Close();
    }

    // The body walker over the current message: mode 0 writes the text body to *pTarget, mode 1 saves or
    // lists the attachment named pszName.
    int ExtractPart(CString* pTarget, int* pKind, int nMode, const char* pszName, HWND* phList, int* pCancelled,
                    int* pSize)
    {
        CBodyWalker walker(m_strParseError, m_bSearch);
        return walker.ExtractPart(GetMessage(), pTarget, pKind, nMode, pszName, phList, pCancelled, pSize);
    }

    // ---- Operations on the current row ----

    enum
    {
        kEditMessageInListCtrl = 33052,
        kDeleteMessage = 33027
    };

    bool IsUnread() const
    {
        return (this->m_Flags & EMAIL_FLAG_BODY_PRESENT) == 0 && (this->m_Flags & EMAIL_FLAG_UNREAD) != 0;
    }

    // True when the row exists; the text is read when asked.
    bool OpenByKey(LONG nEmailID, BOOL bRead, HWND hWndOwner = NULL)
    {
        StartSelection();
        this->m_FolderID = nEmailID; // the identity travels in the first parameter, FolderID
        this->Open(hWndOwner, "Emails", CString(g_szEmailsSelect) + " WHERE EmailsID = ?");
        return MoveNext(0, bRead) == S_OK;
    }

    void UpdateBody(HWND hWndOwner, const CString& strText)
    {
        DropText();
        m_strMessage = strText;
        this->ReleaseMessageStream();
        CSequentialStream stream;
        ULONG cbWritten = 0;
        stream.Write((const char*)strText, (ULONG)strText.GetLength(), &cbWritten);
        this->m_pMessage = &stream;
        this->m_MessageLength = strText.GetLength();
        this->m_MessageStatus = DBSTATUS_S_OK;
        HRESULT hr = this->SetData(0);
        this->m_pMessage = NULL;
        if (FAILED(hr))
            ThrowUpdate(hWndOwner, MessageStoreText::kUpdateBodyFailed, hr);
        this->m_Flags &= ~EMAIL_FLAG_NO_BODY;
        hr = this->SetData(3);
        if (FAILED(hr))
            ThrowUpdate(hWndOwner, MessageStoreText::kUpdateNoBodyFailed, hr);
        UpdateFlagsAndSubject(hWndOwner);
        ::SendMessage(hWndOwner, WM_COMMAND, kEditMessageInListCtrl, (LPARAM)this);
    }

    void UpdateFlagsAndSubject(HWND hWndOwner)
    {
        CMimePart* pMessage = GetMimeMessage();
        const BOOL bAttachments = pMessage != NULL && pMessage->HasAttachments();
        if (((this->m_Flags & EMAIL_FLAG_ATTACHMENTS) != 0) != (bAttachments != FALSE))
        {
            this->SetFlag(EMAIL_FLAG_ATTACHMENTS, bAttachments);
            HRESULT hr = this->SetData(3);
            if (FAILED(hr))
                ThrowUpdate(hWndOwner, MessageStoreText::kUpdateFlagsFailed, hr);
        }
        CString strSubject = DecodeEncodedWord(GetHeaderField("Subject"));
        if (strSubject.GetLength() >= 256)
            strSubject = strSubject.Left(255);
        if (strSubject != this->m_Subject)
        {
            memset(this->m_Subject, 0, sizeof(this->m_Subject));
            strncpy(this->m_Subject, strSubject, sizeof(this->m_Subject) - 1);
            HRESULT hr = this->SetData(5);
            if (FAILED(hr))
                ThrowUpdate(hWndOwner, MessageStoreText::kUpdateSubjectFailed, hr);
        }
    }

    void UpdateEncode(HWND hWndOwner, BYTE nIndex)
    {
        this->m_Encode = nIndex;
        if (this->m_EmailsID == 0)
            return;
        CString strSQL;
        strSQL.Format("UPDATE Emails SET Encode = %ld WHERE EmailsID = %ld", (long)this->m_Encode,
                      (long)this->m_EmailsID);
        GetOwnerDatabase(hWndOwner, this->m_pSession)->ExecuteSQL(strSQL, hWndOwner);
    }

    void CheckEncodingMenuItem(HMENU hMenu) const
    {
        CheckMenuRadioItem(hMenu, 33004, 33025, MessageOperations::EncodingMenuCommand(this->m_Encode),
                           MF_BYCOMMAND);
    }

    // A move to the folder the message is in writes nothing; the notice is filled either way.
    void MoveToFolder(HWND hWndOwner, LONG nFolderID)
    {
        LoadMessage();
        MessageFlagsNotice.nPreviousFolderID = this->m_FolderID;
        if (this->m_FolderID != nFolderID)
        {
            this->m_FolderID = nFolderID;
            HRESULT hr = this->SetData(2);
            if (FAILED(hr))
                ThrowUpdate(hWndOwner, MessageStoreText::kMoveFailed, hr);
        }
        MessageFlagsNotice.nKind = NOTICE_MESSAGE_MOVED;
        MessageFlagsNotice.nFolderID = nFolderID;
        MessageFlagsNotice.nMessageID = this->m_EmailsID;
        MessageFlagsNotice.bMovedUnread = IsUnread();
    }

    // Closes the recipients, the attachments and the message rowset: the local database is about to close.
    void CloseAll() { Close(); }

    // 0 (S_OK) when the move gave a row.
    HRESULT MovePrevious(BOOL bRead = TRUE)
    {
        DropText();
        if (this->m_spRowset == NULL)
            return DB_S_ENDOFROWSET;
        this->ReleaseMessageStream();
        HRESULT hr = CBaseCommand::MovePrev();
        AfterMove(hr, FALSE, bRead);
        return hr;
    }

    CString GetMessageFileName() const { return m_strMessageFilePath; }

    // Shows a message file instead of a row: the row is cleared and the file's text becomes the message.
    // An index of 255 or more keeps the row's charset; a subject of 255 characters or more is left out.
    // A file failure is shown with its text.
    void OpenMessageFile(const char* pszPath, int nEncode)
    {
        m_strMessageFilePath = pszPath;
        this->Clear();
        DropText();
        try
        {
            CFile file(pszPath, CFile::modeRead | CFile::shareDenyNone);
            const DWORD nLength = file.GetLength();
            CString strText;
            if (nLength > 0)
            {
                char* pszBuffer = strText.GetBuffer((int)nLength);
                const UINT nRead = file.Read(pszBuffer, nLength);
                strText.ReleaseBuffer((int)nRead);
            }
            m_strMessage = strText;
            CString strSubject = GetHeaderField("Subject");
            if (strSubject.GetLength() < 255)
                strncpy(this->m_Subject, strSubject, sizeof(this->m_Subject) - 1);
            if (nEncode < 255)
                this->m_Encode = (BYTE)nEncode;
        }
        catch (CFileException* pException)
        {
            CString strText = pException->GetErrorText();
            delete pException;
            AppMessageBox(strText, MB_ICONERROR, NULL);
        }
        this->ReleaseMessageStream();
    }

    CString GetSubject()
    {
        GetMessage();
        return DecodeEncodedWord(GetHeaderField("Subject"));
    }

    // Runs the save dialog and writes the message to the chosen file; dialog failures are shown.
    void SaveAs(HWND hWndOwner)
    {
        LoadMessage();
        char szFile[MAX_PATH] = {};
        strncpy(szFile, MessageOperations::ProposedSaveName(GetSubject()), MAX_PATH - 1);
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = hWndOwner != NULL ? ::GetAncestor(hWndOwner, GA_ROOT) : NULL;
        ofn.lpstrFilter = "Mail (*.eml)\0*.eml\0";
        ofn.lpstrFile = szFile;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrTitle = MessageStoreText::kSaveMessageAs;
        ofn.lpstrDefExt = "eml";
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
        if (GetSaveFileNameA(&ofn))
        {
            SaveMessageToFile(szFile);
            return;
        }
        CString strError = MessageOperations::CommonDialogErrorText(CommDlgExtendedError(), szFile);
        if (!strError.IsEmpty())
            AppMessageBox(strError, MB_ICONERROR, hWndOwner);
    }

    // The header fields of the current message, decoded, for a quote.
    CQuotedHeader GetQuotedHeader()
    {
        LoadMessage();
        CQuotedHeader header;
        header.strFrom = DecodeEncodedWord(GetHeaderField("From"));
        header.strDate = DecodeEncodedWord(GetHeaderField("Date"));
        header.strTo = DecodeEncodedWord(GetHeaderField("To"));
        header.strCc = DecodeEncodedWord(GetHeaderField("Cc"));
        header.strSubject = DecodeEncodedWord(GetHeaderField("Subject"));
        return header;
    }

    CString GetQuotedHTML(int nMode, const CString& strViewHtml)
    {
        return MessageOperations::GetQuotedHTML(nMode, GetQuotedHeader(), strViewHtml);
    }

    // The message's view with its header block in front of the body: the printable form in mode 2. The
    // view file is this object's own and thread's, so windows printing at once never read each other's.
    CString GetForwardReplyPrintHTML(HWND hWndOwner, int nMode)
    {
        CString strName;
        strName.Format("\\ForwardReplyPrint%lx-%p.htm", (unsigned long)::GetCurrentThreadId(), (void*)this);
        CString strPath;
        int nNoMessage = 0;
        const int nKind = GetMessageFile(strPath, strName, &nNoMessage, 1);
        if (nNoMessage != 0 || nKind == 0)
            return CString();
        CString strView;
        {
            CFile file(strPath, CFile::modeRead | CFile::shareDenyNone);
            const DWORD nLength = file.GetLength();
            if (nLength > 0)
            {
                file.Read(strView.GetBuffer((int)nLength), nLength);
                strView.ReleaseBuffer((int)nLength);
            }
        }
        ::DeleteFileA(strPath);
        if (nMode == 2)
        {
            try
            {
                m_accounts.SelectDefaultAccount(hWndOwner);
            }
            catch (COLEDBException* pException)
            {
                delete pException;
            }
            catch (const char*)
            {
            }
        }
        if (nKind == 2)
            return GetQuotedHTML(nMode, strView);
        return GetQuotedHTML(2, MessageOperations::TextViewToHtml(strView, BuildViewHead(GetCharsetName())));
    }

    // Selects the one message of that EmailsID and shows it (the properties sheet); a missing or doubled
    // message is shown as an error box.
    void SelectByIDUnique(LONG nEmailsID, HWND hWndOwner, const std::function<void(CEmailsImpl&)>& show)
    {
        try
        {
            StartSelection();
            this->m_FolderID = nEmailsID; // the identity travels in the first parameter, FolderID
            this->Open(hWndOwner, "Emails", CString(g_szEmailsSelect) + " WHERE EmailsID = ?");
            if (MoveNext(0, 1) != S_OK)
                throw MessageStoreText::kMessageNotFoundText;
            show(*this);
            if (MoveNext(1, 0) == S_OK)
                throw MessageStoreText::kTooMuchMessages;
        }
        catch (const char* pszText)
        {
            AppMessageBox(pszText, MB_ICONERROR, hWndOwner);
        }
    }

    // Deletes the current message with its recipients and attachment rows. A message from a server that is
    // not in an IMAP folder is recorded first, so that no receive between the two writes fetches it again;
    // the record is taken back when the delete fails.
    HRESULT DeleteMessage(HWND hWndOwner)
    {
        LoadMessage();
        const LONG nEmailID = this->m_EmailsID;
        const CString strUniqueID = this->m_UniqueID;
        const LONG nAccountID = this->m_AccountID;
        const DATE emDate = this->m_EmDate;
        bool bRecorded = false;
        if (!strUniqueID.IsEmpty() && !IsImapFolder(this->m_pSession, this->m_FolderID, hWndOwner))
            bRecorded = CDeletedMessagesImpl(this->m_pSession).Record(hWndOwner, strUniqueID, nAccountID, emDate);
        HRESULT hr = S_OK;
        try
        {
            m_addresses.DeleteByEmailID(nEmailID, hWndOwner);
            m_attachments.DeleteByEmailID(nEmailID, hWndOwner);
            hr = this->Delete();
            if (FAILED(hr))
                ThrowUpdate(hWndOwner, MessageStoreText::kDeleteMessageFailed, hr);
        }
        catch (...)
        {
            if (bRecorded)
            {
                try
                {
                    CDeletedMessagesImpl(this->m_pSession).Remove(hWndOwner, strUniqueID, nAccountID);
                }
                catch (COLEDBException* pException)
                {
                    delete pException;
                }
                catch (const char*)
                {
                }
            }
            throw;
        }
        ::SendMessage(hWndOwner, WM_COMMAND, kDeleteMessage, (LPARAM)nEmailID);
        return hr;
    }


    // The charset of the row's Encode index; index 0 is the message's own charset.
    CString GetCharsetName()
    {
        if (this->m_Encode == 0)
            return GetDefaultCharsetName();
        const char* pszName = GetEncodeCharsetName(this->m_Encode);
        if (pszName == NULL)
        {
            CString strText;
            strText.Format(MessageViewText::kUnknownEncode, (int)this->m_Encode, (long)this->m_EmailsID);
            throw new COLEDBException(NULL, IID_IRowset, strText, this->m_pSession, NULL, FALSE, NULL, FALSE,
                                      FALSE, E_FAIL);
        }
        return pszName;
    }

    // The charset of the message's HTML text, else of its plain text, else "iso-8859-1".
    CString GetDefaultCharsetName()
    {
        CMimePart* pMessage = GetMimeMessage();
        CString strCharset = pMessage != NULL ? pMessage->GetBodyCharset() : CString();
        return strCharset.IsEmpty() ? CString("iso-8859-1") : strCharset;
    }

    CString GetMessageCharset(int nKind, const CString& strBody)
    {
        return ::GetMessageCharset(nKind, strBody, GetDefaultCharsetName());
    }

    // Writes the current message as an HTML file in the temporary "HTML" folder (pszName with its leading
    // backslash) and returns its body kind; strPath receives the file's path. Flags: 1 text bodies are
    // escaped and their links made, 2 no rule between parts. Failures are thrown as m_strLastError.
    int GetMessageFile(CString& strPath, const char* pszName, int* pnNoMessage, int nFlags)
    {
        CString strMessage;
        CString strCharset;
        CMimePart* pMessage = NULL;
        try
        {
            strMessage = GetMessage();
            if (!strMessage.IsEmpty())
            {
                pMessage = GetMimeMessage();
                strCharset = GetCharsetName();
            }
        }
        catch (CException* pException)
        {
            m_strLastError = MessageViewText::kViewFailed + pException->m_strMessage;
            delete pException;
            throw (const char*)m_strLastError;
        }
        catch (COLEDBException* pException)
        {
            m_strLastError = MessageViewText::kViewFailed + pException->m_strMessage;
            delete pException;
            throw (const char*)m_strLastError;
        }
        return WriteMessageViewFile(strMessage, pMessage, strCharset, this->m_Encode != 0, strPath, pszName,
                                    pnNoMessage, nFlags, m_strLastError);
    }

    // The current message's HTML made ready for the view file at pszFilePath; with no path the inline images
    // stay "cid:" references.
    void RewriteHtmlForView(CString& strHtml, const char* pszFilePath)
    {
        CViewFileRewriter rewriter(GetMimeMessage(), GetCharsetName(), this->m_Encode != 0, pszFilePath,
                                   m_strLastError);
        strHtml = rewriter.Rewrite(strHtml);
    }

    // The attachments of the current message in a new numbered folder under "Attach"; returns its path.
    CString SaveMessageToTempFile()
    {
        return SaveAttachmentsToTempFolder(GetMimeMessage(), GetCharsetName());
    }

    // Stores an outgoing message text in the folder with its recipients (from its To, Cc and Bcc fields) and
    // a row for every attachment that is not inline; returns the new EmailsID.
    LONG StoreOutgoingMessage(const CString& strText, LONG nFolderID, const std::vector<CStoredAttachment>& attachments,
                              HWND hWndOwner, BOOL bIndividual, BOOL bMerge, BOOL bMergeContacts)
    {
        this->m_Flags &= ~EMAIL_FLAG_UNREAD;
        this->m_FolderID = nFolderID;
        DropText();
        m_strMessage = strText;
        InsertMessage(0, hWndOwner, NULL, NULL, 0, bIndividual, 0.0, NULL, NULL, bMerge, bMergeContacts);
        LONG nEmailID = this->m_EmailsID;
        for (const CStoredAttachment& attachment : attachments)
        {
            if (attachment.m_bInline)
                continue;
            m_attachments.Insert(nEmailID, attachment.m_strName, hWndOwner, attachment.m_nSize);
        }
        m_attachments.Close();
        return nEmailID;
    }

    CString m_strLastError;
    CAttachmentsTable m_attachments;
    CString m_strMessage;
    CString m_strParseError;
    CAddressTable m_addresses;
    CAccountsImpl m_accounts;
    CMimePart* m_pMimeMessage = NULL;
    int m_bSearch = 1;
    CString m_strMessageFilePath;

private:
    [[noreturn]] void ThrowUpdate(HWND hWndOwner, const char* pszText, HRESULT hr)
    {
        throw new COLEDBException(this->m_spRowsetChange, IID_IRowsetChange, pszText, this->m_pSession, hWndOwner,
                                  FALSE, NULL, FALSE, FALSE, hr);
    }

    static bool IsApplicationMessage(const CMimePart& message)
    {
        CString strType, strSubtype;
        message.GetContentType(strType, strSubtype);
        return strType == "application";
    }

    // Steps of the insertion up to the row and its identity; returns the new EmailsID. The store's text is
    // held in strText while the row is written and is back in the store when this returns; after a failure
    // it may still be in strText.
    LONG InsertRow(LONG nProbeFolderID, HWND hWndOwner, const char* pszMessageID, const char* pszUniqueID,
                   LONG nAccountID, BOOL bExtra1, DATE date, const char* pszSubject, const char* pszFrom,
                   BOOL bExtra2, BOOL bExtra3, CString& strText)
    {
        CMimePart* pMessage = GetMimeMessage();
        BOOL bAttachments = pMessage != NULL && pMessage->HasAttachments();

        LONG nFlags = this->m_Flags & ~(EMAIL_FLAG_HIGH_PRIORITY | EMAIL_FLAG_LOW_PRIORITY);
        nFlags |= PriorityFlags(GetHeaderField("X-Priority"));
        nFlags = bExtra1 ? nFlags | EMAIL_FLAG_EXTRA1 : nFlags & ~EMAIL_FLAG_EXTRA1;
        nFlags = bExtra2 ? nFlags | EMAIL_FLAG_EXTRA2 : nFlags & ~EMAIL_FLAG_EXTRA2;
        nFlags = bExtra3 ? nFlags | EMAIL_FLAG_EXTRA3 : nFlags & ~EMAIL_FLAG_EXTRA3;
        nFlags = bAttachments ? nFlags | EMAIL_FLAG_ATTACHMENTS : nFlags & ~EMAIL_FLAG_ATTACHMENTS;

        CString strSubject =
            DecodeEncodedWord(pszSubject != NULL ? CString(pszSubject) : GetHeaderField("Subject"));
        if (strSubject.GetLength() > 255)
        {
            CString strWarning;
            strWarning.Format(MessageStoreText::kSubjectTooLong, (const char*)strSubject,
                              (const char*)strSubject.Left(255));
            AppMessageBox(strWarning, MB_ICONWARNING, hWndOwner);
            strSubject = strSubject.Left(255);
        }

        CString strUniqueID = pszUniqueID != NULL ? CString(pszUniqueID) : CString(this->m_UniqueID);
        if (pszUniqueID != NULL && strUniqueID.GetLength() > 255)
            throw MessageStoreText::kUniqueIDTooLarge;
        LONG nAccount = nAccountID != 0 ? nAccountID : this->m_AccountID;

        CString strMessageID = pszMessageID != NULL ? CString(pszMessageID) : GetHeaderField("Message-ID");
        if (strMessageID.IsEmpty())
            strMessageID = MakeGeneratedMessageID();
        strMessageID = strMessageID.GetLength() < 128 ? StripMessageIDBrackets(strMessageID) : CString();

        CString strFrom = DecodeEncodedWord(pszFrom != NULL ? CString(pszFrom) : GetHeaderField("From"));
        if (strFrom.GetLength() >= 256)
            strFrom.Empty();

        LONG nFolderID = this->m_FolderID;
        BYTE nEncode = this->m_Encode;
        DATE emDate = date;
        if (date == 0.0)
        {
            SYSTEMTIME now, parsed;
            GetLocalTime(&now);
            SystemTimeToVariantTime(&now, &emDate);
            CString strDate = GetHeaderField("Date");
            if (!strDate.IsEmpty() && strDate.Find("%CURRENT_DATE_TIME") != 0 &&
                ParseMessageDate(strDate, parsed))
            {
                DATE converted;
                if (IsValidSystemTime(parsed) && SystemTimeToVariantTime(&parsed, &converted))
                {
                    emDate = converted;
                    if (nProbeFolderID != 0 &&
                        IsDuplicate(nProbeFolderID, strSubject, strFrom, parsed, hWndOwner))
                        nFolderID = nProbeFolderID;
                }
            }
        }

        // Opening the insert rowset drops the store's text: strText holds it until the row is written.
        strText = std::move(m_strMessage);
        m_strMessage.Empty();
        OpenForInsert(nFolderID, hWndOwner);
        this->m_FolderID = nFolderID;
        this->m_Flags = nFlags;
        this->m_EmDate = emDate;
        this->m_AccountID = nAccount;
        this->m_Encode = nEncode;
        strncpy(this->m_Subject, strSubject, sizeof(this->m_Subject) - 1);
        strncpy(this->m_UniqueID, strUniqueID, sizeof(this->m_UniqueID) - 1);
        strncpy(this->m_MessageID, strMessageID, sizeof(this->m_MessageID) - 1);
        strncpy(this->m_Ref, strFrom, sizeof(this->m_Ref) - 1);

        CBorrowedStream stream((const char*)strText, (ULONG)strText.GetLength());
        this->m_pMessage = &stream;
        this->m_MessageLength = strText.GetLength();
        this->m_MessageStatus = DBSTATUS_S_OK;
        HRESULT hr = this->Insert(0);
        this->m_pMessage = NULL;
        if (FAILED(hr) || MoveLast(1) != S_OK)
        {
            throw new COLEDBException(this->m_spRowsetChange, IID_IRowsetChange,
                                      MessageStoreText::kInsertEmailsFailed, this->m_pSession, hWndOwner, FALSE,
                                      NULL, FALSE, FALSE, hr);
        }
        LONG nNewID = this->m_EmailsID;
        Close();
        m_strMessage = std::move(strText);
        strText.Empty();
        return nNewID;
    }

    // A message of the same second, subject and sender in another folder than the probe folder.
    bool IsDuplicate(LONG nProbeFolderID, const CString& strSubject, const CString& strFrom,
                     const SYSTEMTIME& when, HWND hWndOwner)
    {
        try
        {
            CEmailsImpl<> probe(this->m_pSession);
            probe.Clear();
            probe.m_FolderID = nProbeFolderID;
            strncpy(probe.m_Subject, strSubject, sizeof(probe.m_Subject) - 1);
            strncpy(probe.m_Ref, strFrom, sizeof(probe.m_Ref) - 1);
            probe.m_EmDate = OleDateAfterSeconds(when, 1);
            probe.m_EmDateMin = OleDateAfterSeconds(when, -1);
            probe.Open(hWndOwner, "Emails",
                       CString(g_szEmailsSelect) +
                           " WHERE FolderID <> ? AND Subject = ? AND Ref = ? AND EmDate < ? AND EmDate > ?");
            return probe.MoveNext(1, 0) == S_OK;
        }
        catch (COLEDBException* pException)
        {
            delete pException;
            return false;
        }
    }

    // Takes back a row whose recipients could not be stored.
    void RemoveRow(LONG nEmailID, HWND hWndOwner)
    {
        try
        {
            Close();
            m_addresses.Close();
            m_addresses.DeleteByEmailID(nEmailID, hWndOwner);
            CString strSQL;
            strSQL.Format("DELETE FROM Emails WHERE EmailsID = %ld", (long)nEmailID);
            GetOwnerDatabase(hWndOwner, this->m_pSession)->ExecuteSQL(strSQL, hWndOwner);
        }
        catch (COLEDBException* pException)
        {
            delete pException;
        }
        catch (CException* pException)
        {
            delete pException;
        }
    }

    void DropTree()
    {
        delete m_pMimeMessage;
        m_pMimeMessage = NULL;
    }

    void DropText()
    {
        DropTree();
        m_strMessage.Empty();
    }

    void StartSelection()
    {
        Close();
        this->Clear();
        DropText();
    }
};
