// The blocking socket level: connect, accept, receive and send wait for their event by pumping the thread's
// messages, with a periodic timer that lets the call retry and a derived class stop it.
#pragma once

#include "transport/SocketAsync.h"

class CSocketSync : public CSocketAsync
{
public:
    CSocketSync();
    virtual ~CSocketSync();

    virtual BOOL Accept(CSocketAsync& rConnected, SOCKADDR* pAddr = NULL, int* pAddrLen = NULL);
    virtual void Close();
    // The count received (0 when the peer has closed), or -1 when the wait was stopped. Socket errors throw
    // a CException.
    virtual int Receive(void* pBuf, int nLength, int nFlags = 0);
    // Sends the whole buffer: its length, or -1 when the wait was stopped. Socket errors throw a CException.
    virtual int Send(const void* pBuf, int nLength, int nFlags = 0);
    virtual BOOL ConnectRaw(const SOCKADDR* pAddr, int nAddrLen);
    virtual int ReceiveFromRaw(void* pBuf, int nLength, SOCKADDR* pFrom, int* pFromLen, int nFlags);
    virtual int SendToRaw(const void* pBuf, int nLength, const SOCKADDR* pTo, int nToLen, int nFlags);
    virtual BOOL OnWaitIdle();
    // TRUE when the caller should try again, FALSE when it must give up.
    virtual BOOL WaitForEvent(long lStopEvent);
    // Called at each tick of the waiting timer; non-zero stops the wait.
    virtual int OnWaitTick();

    UINT m_nTimeOut;
    int* m_pbBlocking;
    int m_nConnectResult;

private:
    bool RefuseNestedCall();
};
