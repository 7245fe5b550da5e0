// One connection accepted by the local HTTP server: each whole request line it sends is answered with what
// the listening socket's owner gives for its number.
#pragma once

#include <atlstr.h>

#include "transport/HttpRequestReader.h"
#include "transport/SocketSyncMT.h"

class CSocketListening;

class CHTMLServerConnection : public CSocketSyncMT
{
public:
    explicit CHTMLServerConnection(CSocketListening* pListening);

    // Traces the text, then sends all of it.
    virtual int Send(const void* pBuf, int nLength, int nFlags = 0);
    virtual void OnReceive(int nError);
    virtual void OnClose(int nError);

    // The owner's text as a whole HTTP response.
    static CString FrameReply(const CString& strBody);

    CSocketListening* m_pListening;
    CHttpRequestReader m_Reader;

private:
    // Answers every whole line received; false when this object is gone (its owner or the overflow closed
    // it), after which nothing of it may be touched.
    bool ServePending();
};
