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

    // The clock of the 60-second question; tests put a clock of their own here.
    static DWORD(WINAPI* s_pfnGetTickCount)();

    int* m_pnCancel;
    DWORD m_dwStartTick;

private:
    void ThrowIfCancelled() const;
    using CSocketSync::Receive;
    using CSocketSync::Send;
};
