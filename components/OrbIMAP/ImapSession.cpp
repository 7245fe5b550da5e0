// The IMAP session: commands, their replies and the reopening of a dropped connection.
#include "components/OrbIMAP/ImapSession.h"

#include <algorithm>

#include "components/OrbIMAP/ImapError.h"
#include "components/OrbIMAP/ModifiedUtf7.h"

namespace
{

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool HasWord(const std::string& strWords, const char* pszWord)
{
    const std::string padded = " " + strWords + " ";
    return padded.find(" " + std::string(pszWord) + " ") != std::string::npos;
}

[[noreturn]] void Malformed(const char* pszWhat)
{
    throw CImapError(std::string("The server sent a malformed response: ") + pszWhat + ".");
}

size_t Depth(const std::string& strName, const std::string& strDelimiter)
{
    if (strDelimiter.empty())
        return 0;
    size_t n = 0;
    for (size_t pos = strName.find(strDelimiter); pos != std::string::npos;
         pos = strName.find(strDelimiter, pos + strDelimiter.size()))
        ++n;
    return n;
}

struct CFetchData
{
    bool bUid = false;
    uint32_t nUid = 0;
    bool bFlags = false;
    uint32_t nFlags = 0;
    bool bBody = false;
    std::string strBody;
};

// A "* n FETCH (...)" response; false for any other response.
bool ParseFetch(const CImapResponse& response, CFetchData& data, bool bTakeBody)
{
    if (response.values.size() < 2 || !response.values[1].IsAtom("FETCH"))
        return false;
    if (response.values.size() != 3 || response.values[2].nKind != CImapValue::LIST)
        Malformed("a FETCH response has no list of items");
    const std::vector<CImapValue>& items = response.values[2].items;
    if (items.size() % 2 != 0)
        Malformed("a FETCH item has no value");
    for (size_t i = 0; i < items.size(); i += 2)
    {
        const CImapValue& key = items[i];
        const CImapValue& value = items[i + 1];
        if (key.IsAtom("UID"))
        {
            if (!value.AsNumber(data.nUid) || data.nUid == 0)
                Malformed("a UID is not a number");
            data.bUid = true;
        }
        else if (key.IsAtom("FLAGS"))
        {
            if (value.nKind != CImapValue::LIST)
                Malformed("FLAGS is not a list");
            data.bFlags = true;
            for (const CImapValue& flag : value.items)
            {
                if (flag.IsAtom("\\SEEN"))
                    data.nFlags |= IMAP_FLAG_SEEN;
                else if (flag.IsAtom("\\DELETED"))
                    data.nFlags |= IMAP_FLAG_DELETED;
            }
        }
        else if (key.IsAtom("BODY[]") && bTakeBody)
        {
            if (value.nKind != CImapValue::STRING && value.nKind != CImapValue::NIL)
                Malformed("a message body is not a string");
            data.bBody = value.nKind == CImapValue::STRING;
            data.strBody = value.strText;
        }
    }
    return true;
}

bool ValidUidSet(const std::string& strSet)
{
    if (strSet.empty())
        return false;
    for (char c : strSet)
        if (!((c >= '0' && c <= '9') || c == ',' || c == ':'))
            return false;
    return true;
}

} // namespace

std::string QuoteImapString(const std::string& strText)
{
    std::string quoted = "\"";
    for (char c : strText)
    {
        if (c == '\r' || c == '\n' || c == '\0')
            throw CImapError("A folder name, user name or password may not hold a line break.");
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

CImapSession::CImapSession(CImapConnector& connector) : m_Connector(connector) {}

CImapSession::~CImapSession() {}

void CImapSession::SetTimeout(int nMilliseconds)
{
    m_nTimeoutMs = nMilliseconds;
    if (m_pReader)
        m_pReader->SetTimeout(nMilliseconds);
}

void CImapSession::Trace(const char* pszPrefix, const std::string& strLine)
{
    if (m_Trace)
        m_Trace(pszPrefix + strLine);
}

void CImapSession::Close()
{
    m_pReader.reset();
    m_pStream.reset();
    m_strCapabilities.clear();
    m_bBye = false;
}

void CImapSession::Open()
{
    Close();
    ++m_nOpens;
    m_pStream = m_Connector.Open(m_strHost, m_nPort, m_nTimeoutMs);
    m_pReader.reset(new CImapResponseReader(m_pStream.get()));
    m_pReader->SetTimeout(m_nTimeoutMs);
    m_pReader->SetTrace([this](const std::string& line) { Trace("Receive>", line); });
    try
    {
        const CImapResponse greeting = m_pReader->Read();
        if (greeting.strTag != "*" || (greeting.strStatus != "OK" && greeting.strStatus != "PREAUTH"))
        {
            if (greeting.strStatus == "BYE")
                throw CImapError("The server refused the connection: " + greeting.strText, CImapError::REFUSED,
                                 "BYE");
            Malformed("the greeting is not OK");
        }
        bool bAnswered = false;
        if (greeting.strStatus == "OK")
            SendAndWait("LOGIN " + QuoteImapString(m_strUser) + " " + QuoteImapString(m_strPassword), Handler(),
                        "LOGIN " + QuoteImapString(m_strUser) + " ********", bAnswered);
        SendAndWait("CAPABILITY", Handler(), "", bAnswered);
        if (!m_strSelected.empty())
        {
            const std::string strFolder = m_strSelected;
            m_strSelected.clear();
            SendAndWait("SELECT " + QuoteImapString(strFolder), Handler(), "", bAnswered);
            m_strSelected = strFolder;
        }
    }
    catch (...)
    {
        Close();
        throw;
    }
}

void CImapSession::EnsureLive()
{
    if (m_pStream)
    {
        // Whatever came while the connection was idle: a server that said BYE or closed it is done.
        try
        {
            while (!m_bBye && m_pReader->InputPending())
                Untagged(m_pReader->Read());
        }
        catch (const CImapError&)
        {
            Close();
        }
        if (m_bBye)
            Close();
    }
    if (!m_pStream)
    {
        if (!m_bLoggedIn)
            throw CImapError("The client is not connected to the server.");
        Open();
    }
}

void CImapSession::Untagged(const CImapResponse& response)
{
    if (response.strStatus == "BYE")
    {
        m_bBye = true;
        return;
    }
    if (response.values.empty())
        return;
    if (response.values[0].IsAtom("CAPABILITY"))
    {
        m_strCapabilities.clear();
        for (size_t i = 1; i < response.values.size(); ++i)
            m_strCapabilities += (i > 1 ? " " : "") + Upper(response.values[i].strText);
    }
    else if (response.values.size() == 2 && response.values[1].IsAtom("EXISTS"))
    {
        uint32_t n = 0;
        if (!response.values[0].AsNumber(n))
            Malformed("EXISTS without a number");
        m_nExists = n;
    }
}

void CImapSession::SendAndWait(const std::string& strCommand, const Handler& onData,
                               const std::string& strTraceText, bool& bAnswered)
{
    const std::string strTag = "a" + std::to_string(++m_nTag);
    Trace("Send>", strTag + " " + (strTraceText.empty() ? strCommand : strTraceText));
    const std::string strLine = strTag + " " + strCommand + "\r\n";
    if (!m_pStream->Send(strLine.data(), strLine.size()))
        throw CImapError("The connection to the server was lost.", CImapError::CLOSED);
    for (;;)
    {
        const CImapResponse response = m_pReader->Read();
        if (response.strTag == "*")
        {
            Untagged(response);
            if (!response.IsStatus())
            {
                bAnswered = true;
                if (onData)
                    onData(response);
            }
            continue;
        }
        if (response.strTag == "+")
            Malformed("the server asks for data the client did not offer");
        if (response.strTag != strTag)
            Malformed("the server answers a command the client did not send");
        bAnswered = true;
        if (response.strStatus == "OK")
            return;
        const std::string strVerb = strCommand.substr(0, strCommand.find(' ', strCommand.compare(0, 4, "UID ") == 0 ? 4 : 0));
        throw CImapError("The server refused " + strVerb + ": " + response.strText, CImapError::REFUSED,
                         response.strStatus);
    }
}

void CImapSession::Run(const std::string& strCommand, Repeat nRepeat, const Handler& onData,
                       const std::string& strTraceText)
{
    const unsigned nOpens = m_nOpens;
    EnsureLive();
    const bool bReopened = m_nOpens != nOpens;
    bool bAnswered = false;
    try
    {
        SendAndWait(strCommand, onData, strTraceText, bAnswered);
        return;
    }
    catch (const CImapError& e)
    {
        if (e.Refused())
            throw;
        Close();
        const bool bDroppedBefore = e.GetKind() == CImapError::CLOSED && !bAnswered;
        if (!bDroppedBefore)
            throw;
        if (nRepeat == ONCE)
            throw CImapError(std::string(e.what()) + " Whether the server carried out the command is not known; "
                             "it was not repeated.", CImapError::CLOSED);
        if (bReopened)
            throw;
    }
    // The server had dropped the connection before it read the command (a kick, an idle time-out): one
    // new connection, and the command once more.
    Open();
    try
    {
        SendAndWait(strCommand, onData, strTraceText, bAnswered);
    }
    catch (const CImapError& e)
    {
        if (!e.Refused())
            Close();
        throw;
    }
}

void CImapSession::Login(const std::string& strHost, unsigned nPort, const std::string& strUser,
                         const std::string& strPassword)
{
    QuoteImapString(strHost);
    QuoteImapString(strUser);
    QuoteImapString(strPassword);
    if (m_pStream && m_bLoggedIn && strHost == m_strHost && nPort == m_nPort && strUser == m_strUser &&
        strPassword == m_strPassword)
    {
        Run("NOOP", REPEATABLE);
        return;
    }
    Logout();
    m_strHost = strHost;
    m_nPort = nPort;
    m_strUser = strUser;
    m_strPassword = strPassword;
    Open();
    m_bLoggedIn = true;
}

void CImapSession::Logout()
{
    if (m_pStream)
    {
        try
        {
            bool bAnswered = false;
            SendAndWait("LOGOUT", Handler(), "", bAnswered);
        }
        catch (const CImapError&)
        {
        }
    }
    Close();
    m_bLoggedIn = false;
    m_strSelected.clear();
    m_strDelimiterCache.clear();
    m_bDelimiterKnown = false;
}

std::string CImapSession::WirePath(const std::u16string& strPath) const
{
    for (char16_t c : strPath)
        if (c == u'\r' || c == u'\n' || c == 0)
            throw CImapError("A folder path may not hold a line break.");
    return EncodeModifiedUtf7(strPath);
}

namespace
{

// A "* LIST (attributes) delimiter name" response; false for any other response.
bool ParseList(const CImapResponse& response, CImapFolder& folder)
{
    if (response.values.empty() || !response.values[0].IsAtom("LIST"))
        return false;
    if (response.values.size() != 4 || response.values[1].nKind != CImapValue::LIST)
        Malformed("a LIST response is incomplete");
    const CImapValue& delimiter = response.values[2];
    const CImapValue& name = response.values[3];
    if (delimiter.nKind == CImapValue::LIST || name.nKind == CImapValue::LIST || name.nKind == CImapValue::NIL)
        Malformed("a LIST response has no name");
    folder.strAttributes = "(";
    for (size_t i = 0; i < response.values[1].items.size(); ++i)
    {
        const CImapValue& attribute = response.values[1].items[i];
        if (attribute.nKind == CImapValue::LIST)
            Malformed("a folder attribute is a list");
        folder.strAttributes += (i > 0 ? " " : "") + attribute.strText;
    }
    folder.strAttributes += ")";
    folder.strDelimiter = delimiter.strText;
    folder.strWireName = name.strText;
    folder.strName = DecodeModifiedUtf7(name.strText);
    return true;
}

bool HasAttribute(const std::string& strAttributes, const char* pszUpper)
{
    const std::string inner = Upper(strAttributes.substr(1, strAttributes.size() - 2));
    return HasWord(inner, pszUpper);
}

} // namespace

std::vector<CImapFolder> CImapSession::ListFolders()
{
    std::vector<CImapFolder> folders;
    Run("LIST \"\" \"*\"", REPEATABLE, [&](const CImapResponse& response) {
        CImapFolder folder;
        if (ParseList(response, folder))
            folders.push_back(folder);
    });
    std::stable_sort(folders.begin(), folders.end(), [](const CImapFolder& a, const CImapFolder& b) {
        return Depth(a.strWireName, a.strDelimiter) < Depth(b.strWireName, b.strDelimiter);
    });
    if (!HasWord(m_strCapabilities, "CHILDREN"))
    {
        // Without the CHILDREN extension a folder says nothing of its children: the listing does.
        for (CImapFolder& folder : folders)
        {
            if (HasAttribute(folder.strAttributes, "\\HASCHILDREN") ||
                HasAttribute(folder.strAttributes, "\\HASNOCHILDREN"))
                continue;
            bool bChildren = false;
            if (!folder.strDelimiter.empty())
            {
                const std::string prefix = folder.strWireName + folder.strDelimiter;
                for (const CImapFolder& other : folders)
                    bChildren = bChildren || other.strWireName.compare(0, prefix.size(), prefix) == 0;
            }
            folder.strAttributes.insert(folder.strAttributes.size() - 1,
                                        std::string(folder.strAttributes.size() > 2 ? " " : "") +
                                            (bChildren ? "\\HasChildren" : "\\HasNoChildren"));
        }
    }
    return folders;
}

std::string CImapSession::Delimiter()
{
    if (!m_bDelimiterKnown)
    {
        std::string strDelimiter;
        Run("LIST \"\" \"\"", REPEATABLE, [&](const CImapResponse& response) {
            if (!response.values.empty() && response.values[0].IsAtom("LIST"))
            {
                if (response.values.size() != 4)
                    Malformed("a LIST response is incomplete");
                strDelimiter = response.values[2].strText;
            }
        });
        m_strDelimiterCache = strDelimiter;
        m_bDelimiterKnown = true;
    }
    return m_strDelimiterCache;
}

bool CImapSession::Exists(const std::string& strWirePath)
{
    bool bFound = false;
    Run("LIST \"\" " + QuoteImapString(strWirePath), REPEATABLE, [&](const CImapResponse& response) {
        CImapFolder folder;
        if (ParseList(response, folder) && folder.strWireName == strWirePath &&
            !HasAttribute(folder.strAttributes, "\\NONEXISTENT"))
            bFound = true;
    });
    return bFound;
}

void CImapSession::CreateFolder(const std::u16string& strPath)
{
    Run("CREATE " + QuoteImapString(WirePath(strPath)), ONCE);
}

void CImapSession::DeleteFolder(const std::u16string& strPath)
{
    const std::string strWire = WirePath(strPath);
    const std::string strDelimiter = Delimiter();
    std::vector<CImapFolder> inferiors;
    if (!strDelimiter.empty())
    {
        const std::string prefix = strWire + strDelimiter;
        Run("LIST \"\" " + QuoteImapString(prefix + "*"), REPEATABLE, [&](const CImapResponse& response) {
            CImapFolder folder;
            if (ParseList(response, folder) && folder.strWireName.compare(0, prefix.size(), prefix) == 0 &&
                !HasAttribute(folder.strAttributes, "\\NONEXISTENT"))
                inferiors.push_back(folder);
        });
        std::stable_sort(inferiors.begin(), inferiors.end(), [](const CImapFolder& a, const CImapFolder& b) {
            return Depth(a.strWireName, a.strDelimiter) > Depth(b.strWireName, b.strDelimiter);
        });
    }
    // A server may drop a connection whose selected folder goes away: leave it first.
    const std::string prefix = strWire + strDelimiter;
    if (!m_strSelected.empty() &&
        (m_strSelected == strWire || (!strDelimiter.empty() && m_strSelected.compare(0, prefix.size(), prefix) == 0)))
    {
        Run(HasWord(m_strCapabilities, "UNSELECT") ? "UNSELECT" : "CLOSE", REPEATABLE);
        m_strSelected.clear();
    }
    for (const CImapFolder& inferior : inferiors)
        Run("DELETE " + QuoteImapString(inferior.strWireName), ONCE);
    Run("DELETE " + QuoteImapString(strWire), ONCE);
}

void CImapSession::RenameFolder(const std::u16string& strOldPath, const std::u16string& strNewPath)
{
    const std::string strOld = WirePath(strOldPath);
    const std::string strNew = WirePath(strNewPath);
    if (!m_strSelected.empty() && m_strSelected.compare(0, strOld.size(), strOld) == 0)
        m_strSelected.clear();
    try
    {
        Run("RENAME " + QuoteImapString(strOld) + " " + QuoteImapString(strNew), ONCE);
    }
    catch (const CImapError& e)
    {
        // Already done (by an earlier attempt whose answer was lost, or by another client): the folder
        // is where it was asked to go.
        if (!e.Refused() || Exists(strOld) || !Exists(strNew))
            throw;
    }
}

void CImapSession::Select(const std::string& strWirePath)
{
    m_strSelected.clear();
    m_nExists = 0;
    Run("SELECT " + QuoteImapString(strWirePath), REPEATABLE);
    m_strSelected = strWirePath;
}

uint32_t CImapSession::FetchUids(const std::u16string& strPath, const std::function<void(uint32_t, uint32_t)>& onUid)
{
    Select(WirePath(strPath));
    if (m_nExists == 0)
        return 0;
    Run("UID FETCH 1:* (UID FLAGS)", REPEATABLE, [&](const CImapResponse& response) {
        CFetchData data;
        if (!ParseFetch(response, data, false))
            return;
        if (!data.bUid)
            Malformed("a FETCH response has no UID");
        onUid(data.nUid, data.nFlags);
    });
    return m_nExists;
}

bool CImapSession::FetchMessage(uint32_t nUid, std::string& strMessage, uint32_t& nFlags)
{
    if (m_strSelected.empty())
        throw CImapError("No folder has been listed on this connection.");
    bool bFound = false;
    Run("UID FETCH " + std::to_string(nUid) + " (UID FLAGS BODY.PEEK[])", REPEATABLE,
        [&](const CImapResponse& response) {
            CFetchData data;
            if (!ParseFetch(response, data, true))
                return;
            if (!data.bUid)
                Malformed("a FETCH response has no UID");
            if (data.nUid != nUid)
                return;
            if (data.bFlags)
                nFlags = data.nFlags;
            if (data.bBody)
            {
                strMessage.swap(data.strBody);
                bFound = true;
            }
        });
    return bFound;
}

bool CImapSession::FetchMessage(const std::u16string& strPath, uint32_t nUid, std::string& strMessage,
                                uint32_t& nFlags)
{
    const std::string strWire = WirePath(strPath);
    if (strWire != m_strSelected || !m_pStream)
        Select(strWire);
    return FetchMessage(nUid, strMessage, nFlags);
}

void CImapSession::DeleteMessages(const std::u16string& strPath, const std::string& strUidSet,
                                  const std::function<void(uint32_t, uint32_t)>& onUid)
{
    if (!ValidUidSet(strUidSet))
        throw CImapError("The messages to delete are not named by their UIDs: \"" + strUidSet + "\".");
    Select(WirePath(strPath));
    Run("UID STORE " + strUidSet + " +FLAGS (\\Deleted)", ONCE, [&](const CImapResponse& response) {
        CFetchData data;
        if (ParseFetch(response, data, false) && data.bUid)
            onUid(data.nUid, data.nFlags);
    });
    if (HasWord(m_strCapabilities, "UIDPLUS"))
        Run("UID EXPUNGE " + strUidSet, ONCE);
    else
        Run("EXPUNGE", ONCE);
}
