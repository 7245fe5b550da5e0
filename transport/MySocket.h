// The client socket of the POP3 and SMTP clients: the blocking socket with the user's cancel flag, the
// 60-second question to the user, traffic tracing and connect errors raised as exceptions.
#pragma once

#include "transport/SocketSync.h"

// How CMySocket traces a transfer.
enum SocketTrace
{
    TRACE_FULL = 0,
    TRACE_SHORT = 1,  // the first 10 characters and "..."
    TRACE_SECRET = 2, // the command word only: credentials never reach the trace
};

class CMySocket : public CSocketSync
{
public:
    explicit CMySocket(int* pnCancel = NULL);
    virtual ~CMySocket();

    virtual int OnWaitTick();
    // The buffer must hold nLength + 1 bytes: what was received is zero-terminated. -1 when the wait was
    // stopped; throws "Cancelled by user." when the cancel flag is set before or after.
    virtual int Receive(char* pBuf, int nLength, int nFlags, int nTrace);
    virtual int Send(const char* pText, int nLength, int nFlags, int nTrace);

    // Throws a CException "Connect to server error: " with the reason when the connection is not made.
    BOOL Connect(const char* pszHost, UINT nPort);

    // A reply line that trickles in byte by byte has not answered: between these calls the 60-second
    // question counts from the start of the line, not from each receive.
    void StartAnswerClock();
    void StopAnswerClock() { m_dwAnswerTick = 0; }

    // For a command that must go even after the user stopped (the DELE of a stored message, the QUIT that
    // commits the DELEs): the cancel flag does not stop it at once, but once the flag is set the command has
    // kGracePeriod more before it is given up as cancelled, so a server that trickles cannot hold the run.
    class CPastCancel
    {
    public:
        explicit CPastCancel(CMySocket& socket);
        ~CPastCancel();

    private:
        CMySocket& m_Socket;
        UINT m_nTimeOut;
    };
    static const DWORD kGracePeriod = 3000;

    // The clock of the 60-second question and of the grace period; tests put a clock of their own here.
    static DWORD(WINAPI* s_pfnGetTickCount)();

    int* m_pnCancel;
    DWORD m_dwStartTick;

private:
    void ThrowIfCancelled();
    // True when the user stopped the transfer (or the grace period after Stop has passed).
    bool IsCancelled();
    // Asks the 60-second question when its time has come: true when the user answered No.
    bool NoMoreWaiting();

    DWORD m_dwAnswerTick; // start of the reply line being read; 0 when none
    bool m_bPastCancel;
    DWORD m_dwGraceStart; // when a command past cancel first saw the flag set; 0 before
    using CSocketSync::Receive;
    using CSocketSync::Send;
};
