// The receive worker of the progress window: new POP3 mail is fetched, filed by the message rules, stored,
// handed to the main window and only then deleted on the server.
#include "transport/DlgProgress.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "content/AddressList.h"
#include "content/SystemInfo.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/Registry.h"
#include "foundation/TextServices.h"
#include "foundation/TraceFile.h"
#include "store/AddressTable.h"
#include "store/DeletedMessagesTable.h"
#include "store/OLEDBException.h"
#include "transport/DlgException.h"
#include "transport/DlgLogon.h"
#include "transport/HeaderRewrite.h"
#include "transport/ImapAccountWalk.h"
#include "transport/Pop3.h"
#include "transport/Pop3ServerList.h"
#include "transport/ProgressTexts.h"
#include "transport/TransportTexts.h"

namespace
{
// The server identifiers of one account's stored messages.
class CStoredIdRecord
{
public:
    char m_UniqueID[256] = {};
    LONG m_AccountID = 0;

    // clang-format off
    BEGIN_COLUMN_MAP(CStoredIdRecord)
        COLUMN_ENTRY(1, m_UniqueID)
    END_COLUMN_MAP()

    BEGIN_PARAM_MAP(CStoredIdRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_AccountID)
    END_PARAM_MAP()
    // clang-format on
};

const char kStoredIdsQuery[] = "SELECT UniqueID FROM Emails WHERE AccountID = ?";
const char kStoredIdsFailed[] = "FATAL ERROR. Open Emails table failed!";

typedef std::set<std::string> CIdSet;

std::string Key(const CString& strId)
{
    return std::string((const char*)strId, strId.GetLength());
}

// What the account has stored and what the user has deleted of it, by identifier (as bytes), read once per
// listing: a query per message would scan the table for each. A failed read is thrown: taken for "nothing
// stored" it would store every message again.
void ReadKnownIds(CSession* pSession, CDeletedMessagesTable& deleted, HWND hWnd, LONG nAccountID, CIdSet& known)
{
    known.clear();
    CCommand<CAccessor<CStoredIdRecord>> stored;
    stored.m_AccountID = nAccountID;
    HRESULT hr = stored.Open(*pSession, kStoredIdsQuery);
    if (FAILED(hr))
        throw new COLEDBException(stored.m_spCommand, IID_ICommand, kStoredIdsFailed, pSession, hWnd, FALSE, NULL,
                                  FALSE, FALSE, hr);
    while (stored.MoveNext() == S_OK)
    {
        if (stored.m_UniqueID[0] != '\0')
            known.insert(stored.m_UniqueID);
    }
    stored.Close();
    deleted.Find(hWnd, nAccountID, NULL);
    while (deleted.MoveNext() == S_OK)
    {
        if (deleted.m_UniqueID[0] != '\0')
            known.insert(deleted.m_UniqueID);
    }
    deleted.Close();
}

// An identifier as the trace shows it: control bytes, NUL among them, escaped, and a long one cut.
CString EscapedId(const CString& strId)
{
    CString strText;
    const int nShown = strId.GetLength() < 300 ? strId.GetLength() : 300;
    for (int i = 0; i < nShown; ++i)
    {
        const unsigned char c = (unsigned char)strId[i];
        if (c < 0x20 || c == 0x7F || c == '\\')
        {
            CString strByte;
            strByte.Format("\\x%02X", c);
            strText += strByte;
        }
        else
            strText += (char)c;
    }
    if (nShown < strId.GetLength())
        strText += "...";
    return strText;
}

// The identifiers of the connection's UIDL listing that the bookkeeping can rely on, by message number - 1;
// empty where there is none. An identifier the Emails and DeletedMessages columns cannot hold, one with a
// control byte (a NUL would cut it short in every comparison), or one that the listing gives twice names no
// single message: that message is taken as from a server without UIDL.
std::vector<CString> UsableIds(CPop3& pop, int nCount)
{
    std::vector<CString> ids(nCount > 0 ? nCount : 0);
    std::map<std::string, int> listed;
    std::map<int, int> numbers;
    for (int i = 0; i < pop.GetUidlCount(); ++i)
    {
        ++listed[Key(pop.GetStringAt(i))];
        ++numbers[pop.GetNumberAt(i)];
    }
    for (int i = 0; i < pop.GetUidlCount(); ++i)
    {
        const CString strId = pop.GetStringAt(i);
        const int nNumber = pop.GetNumberAt(i);
        if (nNumber < 1 || nNumber > nCount)
            continue;
        const char* pszReason = NULL;
        if (strId.IsEmpty())
            pszReason = ProgressText::kIdEmpty;
        else if (strId.GetLength() >= 256)
            pszReason = ProgressText::kIdTooLong;
        else if (listed[Key(strId)] > 1)
            pszReason = ProgressText::kIdRepeated;
        else if (numbers[nNumber] > 1)
            pszReason = ProgressText::kIdNumberRepeated;
        for (int k = 0; pszReason == NULL && k < strId.GetLength(); ++k)
        {
            const unsigned char c = (unsigned char)strId[k];
            if (c < 0x20 || c == 0x7F)
                pszReason = ProgressText::kIdControl;
        }
        if (pszReason == NULL)
        {
            ids[nNumber - 1] = strId;
            continue;
        }
        if (IsTraceOn())
        {
            CString strTrace;
            strTrace.Format(ProgressText::kTraceUnusableId, nNumber, pszReason, (const char*)EscapedId(strId));
            g_pTraceFile->WriteText(strTrace);
        }
    }
    // A number claimed twice is unusable for every entry that claims it.
    for (const auto& number : numbers)
    {
        if (number.second > 1 && number.first >= 1 && number.first <= nCount)
            ids[number.first - 1].Empty();
    }
    return ids;
}

// The message number of an identifier in a listing by number; 0 when it is not there.
int NumberOf(const std::vector<CString>& ids, const CString& strId)
{
    for (size_t i = 0; i < ids.size(); ++i)
    {
        if (!strId.IsEmpty() && ids[i] == strId)
            return (int)i + 1;
    }
    return 0;
}

// Takes a message out of the connection's identifier list: the bookkeeping deals with the rest only.
void Unlist(CPop3& pop, int nMessage)
{
    for (int i = 0; i < pop.GetUidlCount(); ++i)
    {
        if (pop.GetNumberAt(i) == nMessage)
        {
            pop.RemoveAt(i);
            return;
        }
    }
}

// Runs a command even after Stop or Next: the DELE of a stored message and the QUIT that commits the DELEs
// must go, or the stored messages come again. A server that does not answer them soon is left.
template <class TCommand> void PastCancel(CPop3& pop, TCommand command)
{
    CMySocket::CPastCancel past(pop.m_Socket);
    command();
}

void QuitPastCancel(CPop3& pop)
{
    try
    {
        PastCancel(pop, [&] { pop.Quit(); });
    }
    catch (CException* pException)
    {
        delete pException;
    }
    catch (const char*)
    {
    }
}
} // namespace

void CDlgProgress::Receive(CEmailsImpl<>& store, CFolders& folders)
{
    CAccountsRecord& account = *m_pAccounts;
    if (!(m_nMode == 2 || (m_nAccount == 0 && (account.m_Flags & 0x4) != 0)))
        return;
    const UINT nPort = account.m_IncomingPort != 0
                           ? (UINT)account.m_IncomingPort
                           : (account.m_IncomingServerType == INCOMING_SERVER_IMAP ? 143 : 110);
    const char* pszProtocol = ProgressText::kProtocolImap;
    const CString strServer = account.m_szPOP3;
    CString strError;
    // Outside the try: a text the client throws lives in it, and must outlive the unwinding to the catch.
    std::unique_ptr<CPop3> pPop;
    try
    {
        if (account.m_IncomingServerType == INCOMING_SERVER_IMAP)
        {
            WalkIMAPFolders(*m_pAccounts, m_hOwner);
            return;
        }
        pszProtocol = ProgressText::kProtocolPop3;
        pPop.reset(new CPop3(&m_bCancel));
        CPop3& pop = *pPop;
        CPop3::s_pfnLogonPrompt = CDlgLogon::Prompt;
        CString strPassword = account.GetPassword();
        DebugTrace(ProgressText::kTracePop3, (const char*)strServer, account.m_szAccountName,
                   ProgressText::kPasswordMask);
        ::SetWindowTextA(m_hStatusText, FormatString(IDS_CONNECTING_TO, (const char*)strServer));
        SetStatusText(FormatString(IDS_FINDING_HOST));
        ShowState(1);
        SetTaskStatus(IDS_EXECUTING, 1);
        ReceivePop3(store, folders, pop, strPassword, strError, nPort);
    }
    catch (CException* pException)
    {
        strError = pException->m_strMessage;
        delete pException;
    }
    catch (COLEDBException* pException)
    {
        strError = pException->Summary();
        delete pException;
    }
    catch (const char* pszText)
    {
        strError = pszText;
    }
    catch (...)
    {
        AppMessageBox(ProgressText::kReceiveUnhandled, MB_ICONSTOP, m_hWnd);
    }
    if (!strError.IsEmpty() && !m_bCancel)
    {
        SetTaskStatus(IDS_FAILED, 1);
        AddErrorLine(strServer, pszProtocol, nPort, strError, true);
    }
}

void CDlgProgress::ReceivePop3(CEmailsImpl<>& store, CFolders& folders, CPop3& pop, CString& strPassword,
                               CString& strError, UINT nPort)
{
    CAccountsRecord& account = *m_pAccounts;
    const CString strServer = account.m_szPOP3;

    // Logon; a refused password asks again. What is typed there serves this run only: the user name is
    // written back, the password is not.
    CString strUser = account.m_szAccountName;
    for (;;)
    {
        pop.Init(strServer, strUser, strPassword, nPort, m_hProgress);
        if (!pop.Connect())
            throw new CException(pop.GetErrorText());
        SetStatusText(FormatString(IDS_AUTHORISING));
        if (pop.Login(m_hWnd))
            break;
        if (CDlgLogon::Prompt(m_hWnd, strServer, strUser, strPassword) != IDOK)
            throw new CException(pop.GetErrorText());
        try
        {
            pop.Quit();
        }
        catch (CException* pException)
        {
            delete pException;
        }
        catch (const char*)
        {
        }
        pop.Close();
    }
    // Logged on: whatever ends the walk, the QUIT goes, so that the DELEs sent are committed.
    try
    {
        ReceiveMessages(store, folders, pop, strUser, nPort, strError);
    }
    catch (...)
    {
        CString strNotFlushed;
        if (FlushStore(strNotFlushed))
            QuitPastCancel(pop);
        else
            pop.Close();
        throw;
    }
    SetTaskStatus(IDS_COMPLETED, 1);
}

void CDlgProgress::ReceiveMessages(CEmailsImpl<>& store, CFolders& folders, CPop3& pop, const CString& strUser,
                                   UINT nPort, CString& strError)
{
    CAccountsRecord& account = *m_pAccounts;
    const CString strServer = account.m_szPOP3;
    CSession* pSession = &m_pDatabase->m_Local.m_session;
    if (!m_pRuleSet)
    {
        m_pRuleSet.reset(new CMessageRuleSet(pSession));
        try
        {
            m_pRuleSet->Load(m_hOwner);
        }
        catch (COLEDBException* pException)
        {
            DebugTrace("%s\n", (const char*)pException->Summary());
            delete pException;
            m_pRuleSet->RemoveAll();
        }
        catch (CException* pException)
        {
            DebugTrace("%s\n", (const char*)pException->m_strMessage);
            delete pException;
            m_pRuleSet->RemoveAll();
        }
        catch (const char* pszText)
        {
            DebugTrace("%s\n", pszText);
            m_pRuleSet->RemoveAll();
        }
    }
    if (strUser != account.m_szAccountName)
    {
        strncpy(account.m_szAccountName, strUser, sizeof(account.m_szAccountName) - 1);
        CString strSQL;
        strSQL.Format("UPDATE Accounts SET AccountName = '%s' WHERE ID = %ld", (const char*)SqlQuote(strUser),
                      (long)account.m_ID);
        CDatabaseSession* pAccountsDatabase = FindDatabaseBySession(m_pAccounts->GetSession());
        try
        {
            if (pAccountsDatabase != NULL)
                pAccountsDatabase->ExecuteSQL(strSQL, m_hWnd);
        }
        catch (COLEDBException* pException)
        {
            delete pException;
            throw new COLEDBException(NULL, IID_NULL, ProgressText::kUpdateAccountsFailed, pSession, m_hWnd, FALSE,
                                      NULL, FALSE, FALSE, E_FAIL);
        }
    }

    ::SetWindowTextA(m_hStatusText, FormatString(IDS_CHECKING_NEW_MESSAGES, (const char*)strServer));
    SetStatusText(FormatString(IDS_RECEIVING_LIST));
    // Identifiers are asked for on every account: they are what tells a message stored by a run that ended
    // before its DELE. An account that keeps copies cannot do without them; one that keeps none goes on
    // without, as before, on a server that has no UIDL.
    const bool bUidlRequired = (account.m_Flags & (ACCOUNT_LEAVE_ON_SERVER | ACCOUNT_MESSAGES_ON_SERVER)) != 0;
    const bool bLeaveCopy = (account.m_Flags & ACCOUNT_LEAVE_ON_SERVER) != 0;
    bool bListed = false;
    int nCount = 0;
    std::vector<CString> ids; // usable identifiers by message number - 1
    // The bookkeeping rows live with the accounts, which may be a database of their own.
    CDeletedMessagesTable deleted(AccountsSessionFor(pSession));
    CIdSet known; // identifiers stored or deleted locally for this account
    bool bPipeline = false;
    auto readLists = [&]() {
        bListed = false;
        try
        {
            bListed = pop.Uidl() != 0;
        }
        catch (const char* pszText)
        {
            if (bUidlRequired || strcmp(pszText, TransportText::kUidlError) != 0)
                throw;
        }
        pop.Stat();
        pop.List();
        nCount = pop.GetListCount();
        ids = bListed ? UsableIds(pop, nCount) : std::vector<CString>(nCount);
        if (bListed)
            ReadKnownIds(pSession, deleted, m_hWnd, account.m_ID, known);
        bPipeline = pop.CanPipeline();
    };
    readLists();

    const LONG nInbox = folders.GetSystemFolder(FOLDER_INBOX, m_hWnd);
    const bool bHistory = IsHistoryOn();
    int nFirst = m_pDatabase->m_pOwner != NULL
                     ? m_pDatabase->m_pOwner->GetProfileInt(ProgressText::kOptionsSection,
                                                            ProgressText::kStartReceiveMessageNumber, 0)
                     : 0;
    if (nFirst < 0)
        nFirst = 0;
    // DELEs sent on this connection, by number and identifier: QUIT commits them, a lost connection forgets
    // them.
    std::vector<std::pair<int, CString>> pendingDeles;
    auto deleteOnServer = [&](int nMessage, const CString& strUniqueID) {
        PastCancel(pop, [&] {
            if (bPipeline)
                pop.DeleWithNext(nMessage);
            else
                pop.Dele(nMessage);
        });
        pendingDeles.push_back(std::make_pair(nMessage, strUniqueID));
        Unlist(pop, nMessage);
    };
    DWORD dwLastCommand = ::GetTickCount();
    // The status line is another thread's window: set for each of thousands of small messages it costs more
    // than fetching them. It shows the first and the last message, and a few a second in between.
    DWORD dwLastStatus = 0;
    bool bStatusShown = false;
    bool bStopped = false;

    for (int i = nFirst; i < nCount; ++i)
    {
        if (::GetTickCount() - dwLastCommand > 2000)
        {
            pop.Stat();
            dwLastCommand = ::GetTickCount();
        }
        const int nMessage = i + 1;
        const CString strUniqueID = ids[i];

        CString strFailure;
        CString strDetail;
        bool bFailed = false;
        try
        {
            // A message that a run stored before it ended without its DELE, or that the user has deleted
            // since, is not stored again; unless the account keeps copies, it goes as the run would have
            // let it go.
            if (!strUniqueID.IsEmpty() && known.count(Key(strUniqueID)) != 0)
            {
                if (!bLeaveCopy)
                    deleteOnServer(nMessage, strUniqueID);
                continue;
            }

            if (!bStatusShown || nMessage == nCount || ::GetTickCount() - dwLastStatus >= 200)
            {
                SetStatusText(FormatString(IDS_RECEIVING_MESSAGE, nMessage, nCount));
                dwLastStatus = ::GetTickCount();
                bStatusShown = true;
            }
            pop.Retr(nMessage);
            dwLastCommand = ::GetTickCount();
            // Handed on to the store below: a large message is held once, not by both.
            CString strText = pop.TakeMessageText();
            const CString strStoreID = strUniqueID;
            LONG nTarget = nInbox;
            if (m_pRuleSet->HasRules())
            {
                LONG nFolder = 0, nCopy = 0;
                CString strForward;
                m_pRuleSet->Apply(m_hOwner, strText, nFolder, nCopy, strForward);
                // A rule whose folder is gone files into the Inbox; a copy or a forward that fails never
                // keeps the message from being filed.
                if (nFolder > 0)
                    nTarget = nFolder;
                if (nCopy > 0)
                {
                    try
                    {
                        store.InsertMessage(strText, nCopy, 0, "", account.m_ID, m_hOwner, NULL, 0.0, NULL, NULL,
                                            TRUE, FALSE, FALSE);
                        NoticeStored(nCopy, store.m_EmailsID, true);
                        HandOver(store.m_EmailsID);
                    }
                    catch (CException* pException)
                    {
                        delete pException;
                    }
                    catch (COLEDBException* pException)
                    {
                        strError = pException->Summary();
                        delete pException;
                    }
                    catch (const char*)
                    {
                    }
                }
                if (!strForward.IsEmpty())
                {
                    try
                    {
                        const LONG nOutbox = folders.GetSystemFolder(FOLDER_OUTBOX, m_hWnd);
                        CString strSender;
                        strSender.Format("%s <%s>", account.m_szDisplayName, account.m_szEmailAddress);
                        store.InsertMessage(BuildForwardedText(strText, strForward), nOutbox, 0, "", account.m_ID,
                                            m_hOwner, NULL, 0.0, NULL, strSender, FALSE, FALSE, FALSE);
                        const LONG nForwardID = store.m_EmailsID;
                        // The envelope is built from the recipient rows: the forward goes to its own
                        // addresses only, never to the original Cc or Bcc.
                        CAddressTable addresses(pSession);
                        addresses.DeleteByEmailID(nForwardID, m_hWnd);
                        CString strList = strForward;
                        strList.Replace(';', ',');
                        std::vector<CString> entries;
                        ParseAddressList(strList, entries, ',');
                        for (const CString& strEntry : entries)
                            addresses.InsertRecipient(strEntry, nForwardID, ADDRESS_TO, m_hWnd);
                        NoticeStored(nOutbox, nForwardID, false);
                        HandOver(nForwardID);
                    }
                    catch (CException* pException)
                    {
                        delete pException;
                    }
                    catch (COLEDBException* pException)
                    {
                        strError = pException->Summary();
                        delete pException;
                    }
                    catch (const char*)
                    {
                    }
                }
            }

            const int nLength = strText.GetLength();
            try
            {
                store.InsertMessage(std::move(strText), nTarget, 0, strStoreID, account.m_ID, m_hOwner, NULL,
                                    0.0, NULL, NULL, TRUE, FALSE, FALSE);
            }
            catch (...)
            {
                // The store keeps the text after a failure; one that is not whole is never filed again.
                CString strBack = store.TakeReceivedText();
                if (nTarget == nInbox || strBack.GetLength() != nLength)
                    throw;
                nTarget = nInbox;
                store.InsertMessage(std::move(strBack), nInbox, 0, strStoreID, account.m_ID, m_hOwner, NULL,
                                    0.0, NULL, NULL, TRUE, FALSE, FALSE);
            }
            const CString& strStored = store.ReceivedText();
            const LONG nStoredID = store.m_EmailsID;
            if (!strStoreID.IsEmpty())
                known.insert(Key(strStoreID));
            ::InterlockedIncrement(&g_nNewMessages);
            NoticeStored(nTarget, nStoredID, true);
            HandOver(nStoredID);

            // Stored and handed over: only now may the server let it go.
            if (!bLeaveCopy)
                deleteOnServer(nMessage, strUniqueID);

            if (bHistory)
            {
                const CString strFrom = MessageText::GetHeaderField(strStored, "From", 0);
                if (!strFrom.IsEmpty())
                {
                    try
                    {
                        m_History.SetHistoryRecord(strFrom, ProgressText::kDirectionIn, strStored, NULL);
                    }
                    catch (CException* pException)
                    {
                        strError = pException->m_strMessage;
                        delete pException;
                    }
                    catch (COLEDBException* pException)
                    {
                        strError = pException->Summary();
                        delete pException;
                    }
                    catch (const char* pszText)
                    {
                        strError = pszText;
                    }
                }
            }
        }
        catch (COLEDBException* pException)
        {
            // The message stays on the server for the next run; the account reports what went wrong.
            strError = pException->Summary();
            delete pException;
            continue;
        }
        catch (CException* pException)
        {
            bFailed = true;
            strFailure = pException->m_strMessage;
            strDetail = pException->m_strDetail;
            delete pException;
        }
        catch (const char* pszText)
        {
            bFailed = true;
            strFailure = pszText;
        }
        if (!bFailed)
            continue;

        if (m_bCancel)
        {
            bStopped = true;
            break;
        }
        CString strReport;
        strReport.Format(ProgressText::kMessageReport, (const char*)strFailure, (const char*)strServer,
                         account.m_szSMTP, account.m_szAccountName, ProgressText::kPasswordMask,
                         account.m_szEmailAddress, (int)nPort, nMessage, (const char*)SystemInfoText());
        if (pop.GetStatus() != 2)
        {
            s_pfnReportDialog(::GetActiveWindow(), strReport, strDetail);
        }
        if (AppMessageBox(FormatString(IDS_DO_YOU_WANT_TO_CONTINUE), MB_YESNO | MB_ICONQUESTION, m_hWnd) != IDYES)
        {
            strError = strFailure;
            break;
        }
        // A QUIT answered on the old connection has committed its DELEs and the server has renumbered; one
        // whose reply was lost may have done either. Numbers of the old connection mean nothing on the new
        // one: what it still has is found by identifier.
        const std::vector<CString> oldIds = ids;
        const bool bWasListed = bListed;
        const std::vector<std::pair<int, CString>> oldDeles = pendingDeles;
        pendingDeles.clear();
        bool bCommitted = false;
        if (!FlushStore(strError))
            pop.Close();
        else
        {
            try
            {
                bCommitted = pop.Quit() != 0;
            }
            catch (CException* pException)
            {
                delete pException;
            }
            catch (const char*)
            {
            }
        }
        if (!pop.Reconnect(m_hWnd))
            throw new CException(pop.GetErrorText());
        readLists();
        int nNext = nCount;
        if (bWasListed && bListed)
        {
            for (const auto& dele : oldDeles)
            {
                const int nNow = NumberOf(ids, dele.second);
                if (nNow != 0)
                    deleteOnServer(nNow, dele.second);
            }
            // On with the first later message that is still there; a later one without a usable identifier
            // cannot be placed and waits for the next run.
            for (size_t k = (size_t)i + 1; k < oldIds.size(); ++k)
            {
                const int nNow = NumberOf(ids, oldIds[k]);
                if (nNow != 0)
                {
                    nNext = nNow - 1;
                    break;
                }
            }
        }
        else
        {
            // Without identifiers a DELE cannot be checked against the new numbering: it is dropped, and the
            // stored message may come again. An unanswered QUIT leaves the numbering unknown: the walk goes
            // on as if nothing was removed, so that at worst some messages wait for the next run.
            nNext = i + 1;
            if (bCommitted)
                nNext -= (int)oldDeles.size();
        }
        dwLastCommand = ::GetTickCount();
        i = nNext - 1;
    }

    // Stop and Next leave the bookkeeping for the next run, but the QUIT still goes: it commits the DELEs.
    if (!bStopped && !m_bCancel && (account.m_Flags & (ACCOUNT_LEAVE_ON_SERVER | ACCOUNT_MESSAGES_ON_SERVER)))
    {
        // A message whose identifier cannot be relied on is never deleted by the bookkeeping.
        for (int k = 0; k < pop.GetUidlCount();)
        {
            const int nNumber = pop.GetNumberAt(k);
            if (nNumber < 1 || nNumber > (int)ids.size() || ids[nNumber - 1] != pop.GetStringAt(k) ||
                ids[nNumber - 1].GetLength() != pop.GetStringAt(k).GetLength())
                pop.RemoveAt(k);
            else
                ++k;
        }
        CPop3ServerList server(pop, bListed);
        PurgeDeletedMessages(m_hOwner, *m_pAccounts, server);
    }
    SetStatusText(FormatString(IDS_DISCONNECTING));
    if (!FlushStore(strError))
    {
        // What the store may lose must stay on the server: the connection ends without committing.
        pop.Close();
        return;
    }
    if (m_bCancel)
        QuitPastCancel(pop);
    else
        pop.Quit();
}

bool CDlgProgress::FlushStore(CString& strError)
{
    if (SUCCEEDED(m_pDatabase->m_Local.Flush()))
        return true;
    strError = ProgressText::kStoreNotFlushed;
    return false;
}
