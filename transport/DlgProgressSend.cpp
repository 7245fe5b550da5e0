// The send worker of the progress window: the account's Outbox messages go out over SMTP and move to
// Sent Items, one error line per account.
#include "transport/DlgProgress.h"

#include <memory>
#include <vector>

#include "content/AddressList.h"
#include "content/EncodedWord.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/TextServices.h"
#include "store/AddressTable.h"
#include "store/ContactsTable.h"
#include "store/OLEDBException.h"
#include "transport/ProgressTexts.h"
#include "transport/Smtp.h"
#include "transport/TransportTexts.h"

namespace
{
// One recipient as the merge placeholders see it.
struct CMergeNames
{
    std::vector<CString> names;
    CString strLastAddress;
};

CString JoinNames(const std::vector<CString>& names, int nPart)
{
    CString strJoined;
    for (size_t i = 0; i < names.size(); ++i)
    {
        const CString strName = DecodeEncodedWord(names[i]);
        const int nBlank = strName.Find(' ');
        CString strPart = strName;
        if (nPart == 1)
            strPart = nBlank < 0 ? strName : strName.Left(nBlank);
        else if (nPart == 2)
            strPart = nBlank < 0 ? CString() : strName.Mid(nBlank + 1);
        if (i > 0)
            strJoined += ", ";
        strJoined += strPart;
    }
    return strJoined;
}

CString JoinHeaderValues(const CString& strTo, const CString& strCc, const CString& strBcc)
{
    CString strJoined;
    for (const CString* pValue : {&strTo, &strCc, &strBcc})
    {
        if (pValue->IsEmpty())
            continue;
        if (!strJoined.IsEmpty())
            strJoined += ", ";
        strJoined += *pValue;
    }
    return strJoined;
}
} // namespace

namespace
{
// Replaces the placeholders of the merge in the text. bContacts: also the values of the contact whose
// address is the last recipient's.
void MergeText(CString& strText, const CMergeNames& merge, bool bContacts, CDatabaseMy* pDatabase, HWND hOwner)
{
    strText.Replace("%recipient_firstname%", JoinNames(merge.names, 1));
    strText.Replace("%recipient_surname%", JoinNames(merge.names, 2));
    strText.Replace("%recipient_name%", JoinNames(merge.names, 0));
    if (!bContacts)
        return;
    CString strTitle, strInitials, strFamiliar;
    CSession* pSession =
        pDatabase->m_Orb.IsOpen() ? &pDatabase->m_Orb.m_session : &pDatabase->m_Local.m_session;
    try
    {
        CContactsTableHolder contacts(pSession);
        if (contacts.FindByEmail(merge.strLastAddress, hOwner))
        {
            strTitle = contacts.m_cTitle;
            strInitials = contacts.m_cInitials;
            strFamiliar = contacts.m_cFamiliar;
        }
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char*)
    {
    }
    strText.Replace("%recipient_title%", strTitle);
    strText.Replace("%recipient_initials%", strInitials);
    strText.Replace("%recipient_familiar%", strFamiliar);
}
} // namespace

void CDlgProgress::Send(CEmailsImpl<>& store, CFolders& folders)
{
    if (m_nMode == 1)
        return;
    CAccountsRecord& account = *m_pAccounts;
    const UINT nPort = account.m_SMTPPort != 0 ? (UINT)account.m_SMTPPort : 25;
    const CString strServer = account.m_szSMTP;
    DebugTrace(ProgressText::kTraceSmtpServer, (const char*)strServer);
    CSession* pSession = &m_pDatabase->m_Local.m_session;
    CString strError;
    std::unique_ptr<CSmtpProgress> pSmtp;
    CString strUser, strPassword;
    const BOOL bAuthenticate = (account.m_Flags & 0x1) != 0;

    auto connect = [&]() {
        pSmtp.reset(new CSmtpProgress(&m_hProgress, &m_bCancel, bAuthenticate));
        pSmtp->m_strUser = strUser;
        pSmtp->m_strPassword = strPassword;
        if (!pSmtp->Connect(strServer, nPort))
            throw new CException(pSmtp->m_strLastReply.IsEmpty() ? CString(ProgressText::kSentFailed)
                                                                 : pSmtp->m_strLastReply);
    };

    try
    {
        const LONG nOutbox = folders.GetSystemFolder(FOLDER_OUTBOX, m_hWnd);
        const int nCount = CountOutbox(store, nOutbox, true);
        if (nCount == 0)
            return;
        // The account's messages, in rowset order, taken before any of them moves out of the Outbox.
        std::vector<LONG> messages;
        store.OpenByFolder(nOutbox, m_hWnd);
        while (store.MoveNext(1, 0) == S_OK)
        {
            CString strName, strAddress;
            try
            {
                SplitAddress(store.m_Ref, strName, strAddress);
            }
            catch (const char*)
            {
                continue;
            }
            if (strAddress.CompareNoCase(account.m_szEmailAddress) == 0)
                messages.push_back(store.m_EmailsID);
        }
        store.Close();

        ::SetWindowTextA(m_hStatusText, FormatString(IDS_CONNECTING_TO, (const char*)strServer));
        SetStatusText(FormatString(IDS_FINDING_HOST));
        if (account.m_Flags & 0x200)
        {
            strUser = account.m_szSMTPAccountName;
            strPassword = account.m_szSMTPPass;
        }
        else
        {
            strUser = account.m_szAccountName;
            strPassword = account.GetPassword();
        }
        connect();
        ShowState(2);
        SetTaskStatus(IDS_EXECUTING, 0);
        const bool bHistory = IsHistoryOn();
        const LONG nSentItems = folders.GetSystemFolder(FOLDER_SENT_ITEMS, m_hWnd);
        int nNumber = 0;

        // After a refused message: the reply is the account's error, and the next message gets a fresh
        // connection.
        auto handleFailure = [&](CException* pException) {
            strError = pException->m_strMessage;
            delete pException;
            if (m_bCancel)
                throw TransportText::kCancelled;
            pSmtp.reset();
            connect();
        };
        auto moveToSentItems = [&](LONG nEmailID) {
            CString strSQL;
            strSQL.Format("UPDATE Emails SET FolderID = %ld WHERE EmailsID = %ld", (long)nSentItems, (long)nEmailID);
            try
            {
                m_pDatabase->m_Local.ExecuteSQL(strSQL, m_hWnd);
            }
            catch (COLEDBException* pException)
            {
                delete pException;
                throw new COLEDBException(NULL, IID_NULL, ProgressText::kMoveToSentFailed, pSession, m_hWnd, FALSE,
                                          NULL, FALSE, FALSE, E_FAIL);
            }
        };
        // A History failure is reported as the account's error; it never undoes or repeats the sending.
        auto recordHistory = [&](const CString& strList, const CString& strText, const char* pszPath) {
            std::vector<CString> entries;
            ParseAddressList(strList, entries, ',');
            for (const CString& strEntry : entries)
            {
                try
                {
                    m_History.SetHistoryRecord(strEntry, ProgressText::kDirectionOut, strText, pszPath);
                }
                catch (CException* pException)
                {
                    strError = pException->m_strMessage;
                    delete pException;
                }
                catch (COLEDBException* pException)
                {
                    delete pException;
                }
                catch (const char* pszText)
                {
                    strError = pszText;
                }
            }
        };

        for (LONG nEmailID : messages)
        {
            if (m_bCancel)
                break;
            store.SelectByID(nEmailID, m_hWnd);
            CString strText = store.GetMessage();
            const LONG nFlags = store.m_Flags;
            const CString strSubject = store.m_Subject;
            CString strFromName, strFromAddress;
            SplitAddress(store.m_Ref, strFromName, strFromAddress);
            const CString strCc = store.GetHeaderField("Cc");
            const CString strBcc = store.GetHeaderField("Bcc");
            store.Close();

            CAddressTable addresses(pSession);
            std::vector<CAddressRecord> toRows;
            addresses.OpenForEmail(nEmailID, m_hWnd, ADDRESS_TO);
            while (addresses.MoveNext() == S_OK)
                toRows.push_back(addresses);
            addresses.Close();
            std::vector<CSmtpContentType> cc, bcc;
            addresses.OpenForEmail(nEmailID, m_hWnd, ADDRESS_CC);
            while (addresses.MoveNext() == S_OK)
            {
                if (addresses.m_Address[0] == '\0')
                {
                    const CString strName = addresses.m_Name;
                    CString strAdded;
                    if (!(nFlags & 0x8) &&
                        AppMessageBox(FormatString(IDS_EMPTY_RECIPIENT_ADDRESS, (const char*)strSubject, "Cc",
                                                   (const char*)strName),
                                      MB_YESNO | MB_ICONQUESTION, m_hWnd) == IDYES)
                    {
                        addresses.Close();
                        CString strSQL;
                        strSQL.Format("DELETE FROM Address WHERE EmailID = %ld AND Type = 1 AND Address = ''",
                                      (long)nEmailID);
                        try
                        {
                            m_pDatabase->m_Local.ExecuteSQL(strSQL, m_hWnd);
                        }
                        catch (COLEDBException* pException)
                        {
                            delete pException;
                            throw new COLEDBException(NULL, IID_NULL, ProgressText::kDeleteAddressFailed, pSession,
                                                      m_hWnd, FALSE, NULL, FALSE, FALSE, E_FAIL);
                        }
                        strAdded.LoadString(IDS_DATABASE_REPAIRED);
                    }
                    CString strCorrupt;
                    strCorrupt.Format(ProgressText::kCorruptCc, (long)nEmailID, (const char*)strAdded);
                    throw new CException(strCorrupt);
                }
                cc.push_back(CSmtpContentType(addresses.m_Address, addresses.m_Name));
            }
            addresses.Close();
            addresses.OpenForEmail(nEmailID, m_hWnd, ADDRESS_BCC);
            while (addresses.MoveNext() == S_OK)
            {
                if (addresses.m_Address[0] == '\0')
                {
                    CString strCorrupt;
                    strCorrupt.Format(ProgressText::kCorruptBcc, (long)nEmailID);
                    throw new CException(strCorrupt);
                }
                bcc.push_back(CSmtpContentType(addresses.m_Address, addresses.m_Name));
            }
            addresses.Close();

            const bool bMerge = (nFlags & 0x100) != 0;
            const bool bContacts = bMerge && (nFlags & 0x200) != 0;
            if ((nFlags & 0x8) == 0)
            {
                CSmtpMessage message;
                message.m_strSubject = strSubject;
                message.m_From = CSmtpContentType(strFromAddress, strFromName);
                CMergeNames merge;
                for (const CAddressRecord& row : toRows)
                {
                    if (row.m_Address[0] == '\0')
                        continue;
                    message.m_To.push_back(CSmtpContentType(row.m_Address, row.m_Name));
                    if (bMerge)
                    {
                        merge.names.push_back(row.m_Name);
                        merge.strLastAddress = row.m_Address;
                    }
                }
                if (message.m_To.empty())
                    throw new CException(FormatString(IDS_NO_RECIPIENTS, (long)nEmailID));
                message.m_Cc = cc;
                message.m_Bcc = bcc;
                ::SetWindowTextA(m_hStatusText, FormatString(IDS_SENDING_MAIL_USING, (const char*)strServer));
                SetStatusText(FormatString(IDS_SENDING_MESSAGE, ++nNumber, nCount));
                if (bMerge)
                    MergeText(strText, merge, bContacts, m_pDatabase, m_hWnd);
                try
                {
                    if (pSmtp->SendPrepared(message, strText) != 0)
                        throw ProgressText::kSentFailed;
                    moveToSentItems(nEmailID);
                    HandOver(nEmailID);
                    SetTaskStatus(IDS_COMPLETED, 0);
                }
                catch (CException* pException)
                {
                    handleFailure(pException);
                    ::SendMessageA(m_hProgress, PBM_SETPOS, 0, 0);
                    continue;
                }
                if (bHistory)
                    recordHistory(JoinHeaderValues(MessageText::GetHeaderField(strText, "To", 0), strCc, strBcc),
                                  strText, NULL);
                ::SendMessageA(m_hProgress, PBM_SETPOS, 0, 0);
                continue;
            }

            // Individual sending: one message per pending To row, the Cc and Bcc recipients with the first.
            bool bFirst = true;
            bool bPending = false;
            CString strStored = strText;
            for (const CAddressRecord& row : toRows)
            {
                if (m_bCancel)
                    return;
                if ((row.m_Flags & 0x1) == 0)
                    continue;
                CSmtpMessage message;
                message.m_strSubject = strSubject;
                message.m_From = CSmtpContentType(strFromAddress, strFromName);
                if (row.m_Address[0] != '\0')
                    message.m_To.push_back(CSmtpContentType(row.m_Address, row.m_Name));
                if (message.m_To.empty())
                    throw new CException(FormatString(IDS_NO_RECIPIENTS, (long)nEmailID));
                if (bFirst)
                {
                    message.m_Cc = cc;
                    message.m_Bcc = bcc;
                }
                CString strPath;
                const CString strHistoryList =
                    JoinHeaderValues(MessageText::GetHeaderField(strStored, "To", 0), strCc, strBcc);
                if (bHistory)
                {
                    std::vector<CString> entries;
                    ParseAddressList(strHistoryList, entries, ',');
                    for (const CString& strEntry : entries)
                    {
                        CString strName, strAddress;
                        try
                        {
                            SplitAddress(strEntry, strName, strAddress);
                            if (m_History.IsContactAddress(strAddress))
                            {
                                strPath = m_History.SaveCentralMessageCopy(strStored);
                                break;
                            }
                        }
                        catch (CException* pException)
                        {
                            strError = pException->m_strMessage;
                            delete pException;
                            break;
                        }
                        catch (COLEDBException* pException)
                        {
                            delete pException;
                            break;
                        }
                        catch (const char*)
                        {
                        }
                    }
                }
                ::SetWindowTextA(m_hStatusText, FormatString(IDS_SENDING_MAIL_USING, (const char*)strServer));
                SetStatusText(FormatString(IDS_SENDING_MESSAGE, ++nNumber, nCount));
                CString strTo;
                if (row.m_Name[0] != '\0')
                    strTo.Format("\"%s\"", row.m_Name);
                if (row.m_Address[0] != '\0')
                    strTo += (strTo.IsEmpty() ? "<" : " <") + CString(row.m_Address) + ">";
                strText = strStored;
                MessageText::SetHeaderField(strText, "To:", strTo);
                if (bContacts)
                {
                    CMergeNames merge;
                    merge.names.push_back(row.m_Name);
                    merge.strLastAddress = row.m_Address;
                    MergeText(strText, merge, true, m_pDatabase, m_hWnd);
                }
                bool bSent = false;
                try
                {
                    if (pSmtp->SendPrepared(message, strText) != 0)
                        throw ProgressText::kSentFailed;
                    bSent = true;
                    SetTaskStatus(IDS_COMPLETED, 0);
                }
                catch (CException* pException)
                {
                    handleFailure(pException);
                }
                ::SendMessageA(m_hProgress, PBM_SETPOS, 0, 0);
                if (bSent)
                {
                    bFirst = false;
                    CString strSQL;
                    strSQL.Format("UPDATE Address SET Flags = %d WHERE EmailID = %ld AND Type = 0 AND Address = '%s'",
                                  row.m_Flags & ~0x1, (long)nEmailID, (const char*)SqlQuote(row.m_Address));
                    try
                    {
                        m_pDatabase->m_Local.ExecuteSQL(strSQL, m_hWnd);
                    }
                    catch (COLEDBException* pException)
                    {
                        delete pException;
                        throw new COLEDBException(NULL, IID_NULL, ProgressText::kUpdateAddressFlagsFailed, pSession,
                                                  m_hWnd, FALSE, NULL, FALSE, FALSE, E_FAIL);
                    }
                    if (bHistory)
                        recordHistory(strHistoryList, strStored, strPath.IsEmpty() ? NULL : (const char*)strPath);
                }
                else
                    bPending = true;
            }
            // A recipient still to be reached keeps the message in the Outbox.
            if (!bPending)
            {
                moveToSentItems(nEmailID);
                HandOver(nEmailID);
            }
        }
    }
    catch (CException* pException)
    {
        strError = pException->m_strMessage;
        delete pException;
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        strError = pszText;
    }
    catch (...)
    {
        AppMessageBox(ProgressText::kSendUnhandled, MB_ICONSTOP, m_hWnd);
    }
    if (!strError.IsEmpty() && !m_bCancel)
    {
        SetTaskStatus(IDS_FAILED, 0);
        AddErrorLine(strServer, ProgressText::kProtocolSmtp, nPort, strError, false);
    }
}
