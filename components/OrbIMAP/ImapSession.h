// One IMAP connection as the component uses it: log in, list, create, delete and rename folders, list a
// folder's UIDs, fetch messages and delete them. Portable: it speaks over any CImapStream. Failures throw
// CImapError with a text for the user; a connection that fails or sends a malformed reply is closed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/OrbIMAP/ImapResponse.h"
#include "components/OrbIMAP/ImapStream.h"

enum : uint32_t
{
    IMAP_FLAG_SEEN = 0x1,
    IMAP_FLAG_DELETED = 0x8,
};

struct CImapFolder
{
    std::string strAttributes; // as the server sent them, e.g. "(\HasNoChildren \Sent)"
    std::string strDelimiter;  // empty for a server's NIL
    std::string strWireName;   // modified UTF-7, as the server sent it
    std::u16string strName;
};

class CImapSession
{
public:
    explicit CImapSession(CImapConnector& connector);
    ~CImapSession();

    void SetTimeout(int nMilliseconds);
    // Protocol lines as "Send>..." and "Receive>..." (passwords masked, literals by size).
    void SetTrace(std::function<void(const std::string&)> trace) { m_Trace = std::move(trace); }

    // Logs in, unless a live connection with these credentials exists (then it only checks it is alive).
    void Login(const std::string& strHost, unsigned nPort, const std::string& strUser, const std::string& strPassword);
    void Logout();
    bool Connected() const { return m_pStream != nullptr; }
    const std::string& User() const { return m_strUser; }
    const std::string& Password() const { return m_strPassword; }

    // Every folder, parents before their children.
    std::vector<CImapFolder> ListFolders();
    void CreateFolder(const std::u16string& strPath);
    // Deletes the folder and everything below it, deepest first.
    void DeleteFolder(const std::u16string& strPath);
    void RenameFolder(const std::u16string& strOldPath, const std::u16string& strNewPath);

    // Selects the folder and reports each message's UID and flags; returns the folder's message count.
    // A listing that fails part-way throws after the UIDs already reported.
    uint32_t FetchUids(const std::u16string& strPath, const std::function<void(uint32_t, uint32_t)>& onUid);
    // The whole message of that UID in the selected folder, its \Seen flag left alone; false when the
    // folder has no such message.
    bool FetchMessage(uint32_t nUid, std::string& strMessage, uint32_t& nFlags);
    bool FetchMessage(const std::u16string& strPath, uint32_t nUid, std::string& strMessage, uint32_t& nFlags);
    bool HasSelection() const { return !m_strSelected.empty(); }
    // Marks the messages of a UID set ("4,7:9") deleted, reporting each UID with its new flags, and
    // expunges them.
    void DeleteMessages(const std::u16string& strPath, const std::string& strUidSet,
                        const std::function<void(uint32_t, uint32_t)>& onUid);

private:
    typedef std::function<void(const CImapResponse&)> Handler;
    enum Repeat
    {
        ONCE,       // changes the server: a connection lost after it went out is reported
        REPEATABLE, // may be sent again on a new connection when the old one had dropped
    };

    void Open();
    void Close();
    void EnsureLive();
    void Run(const std::string& strCommand, Repeat nRepeat, const Handler& onData = Handler(),
             const std::string& strTraceText = "");
    void SendAndWait(const std::string& strCommand, const Handler& onData, const std::string& strTraceText,
                     bool& bAnswered);
    void Untagged(const CImapResponse& response);
    void Select(const std::string& strWirePath);
    std::string WirePath(const std::u16string& strPath) const;
    std::string Delimiter();
    bool Exists(const std::string& strWirePath);
    void Trace(const char* pszPrefix, const std::string& strLine);

    CImapConnector& m_Connector;
    std::unique_ptr<CImapStream> m_pStream;
    std::unique_ptr<CImapResponseReader> m_pReader;
    int m_nTimeoutMs = 60000;
    unsigned m_nTag = 0;
    unsigned m_nOpens = 0; // connections made, so a command knows whether it already made one
    std::string m_strHost;
    unsigned m_nPort = 0;
    std::string m_strUser;
    std::string m_strPassword;
    bool m_bLoggedIn = false; // credentials were accepted once: a dropped connection may be reopened
    std::string m_strCapabilities;
    std::string m_strSelected; // wire name of the selected folder
    uint32_t m_nExists = 0;
    bool m_bBye = false;
    std::string m_strDelimiterCache;
    bool m_bDelimiterKnown = false;
    std::function<void(const std::string&)> m_Trace;
};

// Quotes a text as an IMAP quoted string; throws CImapError for CR, LF or NUL, which no quoted string holds.
std::string QuoteImapString(const std::string& strText);
