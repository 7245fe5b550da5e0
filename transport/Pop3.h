// The POP3 client of one connection: USER and PASS, STAT, LIST, UIDL, CAPA, RETR, DELE and QUIT.
#pragma once

#include <atlstr.h>

#include <string>
#include <utility>
#include <vector>

#include "transport/MySocket.h"
#include "transport/ReplyReader.h"

class CPop3
{
public:
    // Asks the user for the name and password of the server's account: IDOK when both were given.
    typedef INT_PTR (*LogonPrompt)(HWND hWndParent, const char* pszServer, CString& strUser,
                                   CString& strPassword);

    explicit CPop3(int* pnCancel = NULL);
    ~CPop3();

    void Init(const char* pszServer, const char* pszUser, const char* pszPassword, UINT nPort,
              HWND hWndProgress = NULL);
    int Connect();
    // 0 when the server refused the password (status 1, its reply in the error text).
    int Login(HWND hWndParent);
    int Stat();
    int List();
    int Uidl(int nMessage = 0);
    // The message text, unstuffed and without the end line, is then read with GetMessageText.
    int Retr(int nMessage);
    int Dele(int& nMessage);
    // Asks the server's capabilities (CAPA): true when it takes commands sent before earlier replies came.
    // A server without CAPA says no.
    bool CanPipeline();
    // Sends DELE without waiting for its reply, which is read with the next command's: a round trip less for
    // each message. A refusal is thrown by that next command once its own reply is read. Only for a server
    // that pipelines.
    void DeleWithNext(int nMessage);
    int Quit();
    void Close();
    int Reconnect(HWND hWndParent);

    CString GetMessageText() const { return m_strMessage; }
    // The message text handed over: a message of many megabytes is not kept here as a second copy.
    CString TakeMessageText()
    {
        CString text(std::move(m_strMessage));
        m_strMessage.Empty();
        return text;
    }
    CString GetErrorText() const { return m_strError; }
    int GetListCount() const { return static_cast<int>(m_Sizes.size()); }
    int GetTotalSize() const { return m_nTotalSize; }
    int GetMessageCount() const { return m_nMessageCount; }
    int GetStatus() const { return m_nStatus; }

    // The unique-identifier list of the UIDL listings, in server order: identifier and message number.
    int GetUidlCount() const { return static_cast<int>(m_Uidl.size()); }
    // An empty text when the index is not below the count.
    CString GetStringAt(int nIndex) const;
    // The message number at that position; 0 when the index is not below the count.
    int GetNumberAt(int nIndex) const;
    // The position of an identifier, compared without regard to case; -1 when it is not listed.
    int FindUniqueId(const char* pszUniqueId) const;
    void RemoveAt(int nIndex);

    // Set by the receive worker; without it a missing name or password ends the logon as cancelled.
    static LogonPrompt s_pfnLogonPrompt;

    CMySocket m_Socket;

private:
    // Sends one command line (formatted into 512 bytes at most) and reads its reply.
    int Command(const CString& command, int nCode, int nTrace = TRACE_FULL);
    int ReadResponse(int nCode, int nTrace);
    // The replies of the DELEs sent ahead, in order; the first refusal is kept for the command to throw.
    void ReadDeleReplies();
    // One CRLF-ended status or listing line from the connection, without its line end; false when the
    // connection ended or the wait was stopped first (nResult then holds the receive's result). A line past
    // the reader's limit fails the command.
    bool ReadLine(std::string& line, int nTrace, int& nResult);
    int ReceiveMore(int nLength, int nTrace);
    [[noreturn]] void Fail(const CString& text);
    // One line of a multi-line reply with its leading dot taken off; false at the closing ".".
    bool ReadReplyLine(std::string& line);
    void ReadListing(int nCode);
    bool ReadCapabilities();
    void ReadMessage();

    std::vector<std::pair<CString, int>> m_Uidl;
    int m_nStatus;
    HWND m_hWndProgress;
    CString m_strError;
    CString m_strPassword;
    CString m_strUser;
    CString m_strServer;
    UINT m_nPort;
    CString m_strMessage;
    int m_nTotalSize;
    long long m_nReceived;
    int m_nCurrentMessage;
    std::vector<int> m_Sizes;
    int m_nMessageCount;
    int m_nShownPercent; // the progress bar's position, set only when it changes
    int m_nUnreadDeles;
    CString m_strDeleRefusal;
    CLineReader m_Reader; // received text after the last line read
};
