// The blocking level of the thread-safe socket layer: a call that would block waits for its event on the
// shared notification window, so it can only wait on the thread that owns that window.
#pragma once

#include "transport/SocketAsyncMT.h"

class CSocketSyncMT : public CSocketAsyncMT
{
public:
    CSocketSyncMT();
    virtual ~CSocketSyncMT();

    virtual BOOL Accept(CSocketAsyncMT& rConnected, SOCKADDR* pAddr = NULL, int* pAddrLen = NULL);
    virtual void Close();
    // The count received (0 when the peer has closed), or -1 on a socket error or a stopped wait.
    virtual int Receive(void* pBuf, int nLength, int nFlags = 0);
    // Sends the whole buffer: its length, or -1.
    virtual int Send(const void* pBuf, int nLength, int nFlags = 0);
    virtual BOOL ConnectRaw(const SOCKADDR* pAddr, int nAddrLen);
    virtual int ReceiveFromRaw(void* pBuf, int nLength, SOCKADDR* pFrom, int* pFromLen, int nFlags);
    virtual int SendToRaw(const void* pBuf, int nLength, const SOCKADDR* pTo, int nToLen, int nFlags);
    virtual BOOL OnWaitIdle();
    // TRUE when the caller should try again, FALSE when it must give up.
    virtual BOOL WaitForEvent(long lStopEvent);

    UINT m_nTimeOut;
    int* m_pbBlocking;
    int m_nConnectResult;

private:
    bool RefuseNestedCall();
};
