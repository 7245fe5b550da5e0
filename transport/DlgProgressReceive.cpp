// The receive worker of the progress window: new POP3 mail is fetched, filed by the message rules, stored,
// handed to the main window and only then deleted on the server.
#include "transport/DlgProgress.h"

#include <memory>
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
// The store's messages of one account with one server identifier.
class CUniqueIDProbeRecord
{
public:
    LONG m_EmailsID = 0;
    char m_UniqueID[256] = {};
    LONG m_AccountID = 0;

    // clang-format off
    BEGIN_COLUMN_MAP(CUniqueIDProbeRecord)
        COLUMN_ENTRY(1, m_EmailsID)
    END_COLUMN_MAP()

    BEGIN_PARAM_MAP(CUniqueIDProbeRecord)
        SET_PARAM_TYPE(DBPARAMIO_INPUT)
        COLUMN_ENTRY(1, m_UniqueID)
        COLUMN_ENTRY(2, m_AccountID)
    END_PARAM_MAP()
    // clang-format on
};

bool IsStored(CSession* pSession, LONG nAccountID, const CString& strUniqueID)
{
    if (strUniqueID.IsEmpty() || strUniqueID.GetLength() >= 256)
        return false;
    CCommand<CAccessor<CUniqueIDProbeRecord>> probe;
    strcpy(probe.m_UniqueID, strUniqueID);
    probe.m_AccountID = nAccountID;
    if (FAILED(probe.Open(*pSession, "SELECT EmailsID FROM Emails WHERE UniqueID = ? AND AccountID = ?")))
        return false;
    return probe.MoveNext() == S_OK;
}

// The identifier of a message number in the connection's UIDL listing; empty when it has none. After a
// reconnect the numbers have moved, so the listing is searched by number, never by position.
CString UniqueIdOf(CPop3& pop, int nMessage)
{
    for (int i = 0; i < pop.GetUidlCount(); ++i)
    {
        if (pop.GetNumberAt(i) == nMessage)
            return pop.GetStringAt(i);
    }
    return CString();
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
        QuitPastCancel(pop);
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
    const bool bUidl = (account.m_Flags & (ACCOUNT_LEAVE_ON_SERVER | ACCOUNT_MESSAGES_ON_SERVER)) != 0;
    const bool bLeaveCopy = (account.m_Flags & ACCOUNT_LEAVE_ON_SERVER) != 0;
    bool bListed = false;
    auto readLists = [&]() {
        bListed = false;
        if (bUidl)
            bListed = pop.Uidl() != 0;
        pop.Stat();
        pop.List();
    };
    readLists();

    const LONG nInbox = folders.GetSystemFolder(FOLDER_INBOX, m_hWnd);
    int nCount = pop.GetListCount();
    const bool bHistory = IsHistoryOn();
    int i = m_pDatabase->m_pOwner != NULL
                ? m_pDatabase->m_pOwner->GetProfileInt(ProgressText::kOptionsSection,
                                                       ProgressText::kStartReceiveMessageNumber, 0)
                : 0;
    if (i < 0)
        i = 0;
    CDeletedMessagesTable deleted(pSession);
    // DELEs sent on this connection: QUIT commits them, a lost connection forgets them.
    std::vector<int> pendingDeles;
    DWORD dwLastCommand = ::GetTickCount();
    bool bStopped = false;

    for (; i < nCount; ++i)
    {
        if (::GetTickCount() - dwLastCommand > 2000)
        {
            pop.Stat();
            dwLastCommand = ::GetTickCount();
        }
        const int nMessage = i + 1;
        const CString strUniqueID = bListed ? UniqueIdOf(pop, nMessage) : CString();
        if (bUidl && IsStored(pSession, account.m_ID, strUniqueID))
            continue;
        // Without an identifier from the server nothing can match a bookkeeping row.
        if (!strUniqueID.IsEmpty())
        {
            deleted.Find(m_hWnd, account.m_ID, strUniqueID);
            const bool bDeleted = deleted.MoveNext() == S_OK;
            deleted.Close();
            if (bDeleted)
                continue;
        }

        CString strFailure;
        CString strDetail;
        bool bFailed = false;
        try
        {
            SetStatusText(FormatString(IDS_RECEIVING_MESSAGE, nMessage, nCount));
            pop.Retr(nMessage);
            dwLastCommand = ::GetTickCount();
            const CString strText = pop.TakeMessageText();
            const CString strStoreID = bLeaveCopy ? strUniqueID : CString();

            LONG nTarget = nInbox;
            if (m_pRuleSet != NULL && m_pRuleSet->HasRules())
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
                        delete pException;
                    }
                    catch (const char*)
                    {
                    }
                }
            }

            try
            {
                store.InsertMessage(strText, nTarget, 0, strStoreID, account.m_ID, m_hOwner, NULL, 0.0, NULL, NULL,
                                    TRUE, FALSE, FALSE);
            }
            catch (...)
            {
                if (nTarget == nInbox)
                    throw;
                nTarget = nInbox;
                store.InsertMessage(strText, nInbox, 0, strStoreID, account.m_ID, m_hOwner, NULL, 0.0, NULL, NULL,
                                    TRUE, FALSE, FALSE);
            }
            const LONG nStoredID = store.m_EmailsID;
            ::InterlockedIncrement(&g_nNewMessages);
            NoticeStored(nTarget, nStoredID, true);
            HandOver(nStoredID);

            // Stored and handed over: only now may the server let it go.
            if (!bLeaveCopy)
            {
                int nDele = nMessage;
                PastCancel(pop, [&] { pop.Dele(nDele); });
                pendingDeles.push_back(nMessage);
            }

            if (bHistory)
            {
                const CString strFrom = MessageText::GetHeaderField(strText, "From", 0);
                if (!strFrom.IsEmpty())
                {
                    try
                    {
                        m_History.SetHistoryRecord(strFrom, ProgressText::kDirectionIn, strText, NULL);
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
            }
        }
        catch (COLEDBException* pException)
        {
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
        // A QUIT answered on the old connection has committed its DELEs and the server has renumbered;
        // a lost connection has committed none, and they are sent again on the new one.
        bool bCommitted = false;
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
        if (!pop.Reconnect(m_hWnd))
            throw new CException(pop.GetErrorText());
        int nNext = i + 1;
        if (bCommitted)
        {
            nNext -= (int)pendingDeles.size();
            pendingDeles.clear();
        }
        // The lists are read before the DELEs go again: a listing leaves out the messages marked in its
        // session, and the walk counts by message number.
        readLists();
        nCount = pop.GetListCount();
        for (int nDele : pendingDeles)
            PastCancel(pop, [&] { pop.Dele(nDele); });
        dwLastCommand = ::GetTickCount();
        i = nNext - 1;
    }

    // Stop and Next leave the bookkeeping for the next run, but the QUIT still goes: it commits the DELEs.
    if (!bStopped && !m_bCancel && (account.m_Flags & (ACCOUNT_LEAVE_ON_SERVER | ACCOUNT_MESSAGES_ON_SERVER)))
    {
        CPop3ServerList server(pop, bListed);
        PurgeDeletedMessages(m_hOwner, *m_pAccounts, server);
    }
    SetStatusText(FormatString(IDS_DISCONNECTING));
    if (m_bCancel)
        QuitPastCancel(pop);
    else
        pop.Quit();
}
