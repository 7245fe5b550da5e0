// The listening socket of the local HTTP server that answers the numbered links of the rule descriptions.
// It listens on the loopback address only and owns the connections it accepts.
#pragma once

#include <atlstr.h>

#include <vector>

#include "transport/SocketSyncMT.h"

class CHTMLServerConnection;

class CSocketListening : public CSocketSyncMT
{
public:
    // Listens on the first free port from nPort on, trying 100 ports.
    explicit CSocketListening(UINT nPort);
    virtual ~CSocketListening();

    // The text to send for a request of the given number (its digits, possibly none); empty sends nothing.
    virtual CString GetReply(CHTMLServerConnection* pConnection, const char* pszNumber);
    virtual void OnAccept(int nError);
    virtual void OnClose(int nError);

    // Closes, removes and deletes a connection; one that is no longer listed is left alone.
    void CloseConnection(CHTMLServerConnection* pConnection);
    bool HasConnection(const CHTMLServerConnection* pConnection) const;

    HWND m_hWndOwner;
    std::vector<CHTMLServerConnection*> m_Connections;
    // The port asked for; after start-up the port bound, or the first port past the range when none was free.
    UINT m_nPort;

protected:
    void StartUp(UINT nPort);
    // FALSE when the port is in use; any other failure throws a CException.
    BOOL CreateSocket(UINT nPort, int nType, const char* pszAddress);

private:
    bool m_bServing = false;  // bound, and its port offered to the views
};
