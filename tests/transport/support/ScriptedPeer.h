// A loopback server on a thread of its own that plays a script against one client connection, for replies
// that real servers do not give on demand (split, merged, refused, silent).
#pragma once

#include <winsock.h>
#include <windows.h>

#include <string>
#include <vector>

class CScriptedPeer
{
public:
    CScriptedPeer();
    ~CScriptedPeer();

    // Script steps, played in order once a client has connected.
    CScriptedPeer& Send(const std::string& text);
    // Sends text in two writes, the second after a pause, so that the client most likely reads them apart.
    CScriptedPeer& SendSplit(const std::string& first, const std::string& second);
    // Reads one line from the client and records it; a line that does not start with prefix is noted.
    CScriptedPeer& Expect(const std::string& prefix);
    // Waits until the test sets the event before going on.
    CScriptedPeer& WaitFor(HANDLE hEvent);
    CScriptedPeer& Close();

    // Listens on 127.0.0.1 and starts playing; returns the port.
    UINT Start();
    // Waits for the script to end (at most the given time) and returns what went wrong, empty when nothing.
    std::string Finish(DWORD dwTimeout = 20000);

    std::vector<std::string> m_Received;

private:
    struct CStep
    {
        int nKind;
        std::string text;
        std::string second;
        HANDLE hEvent;
    };
    static DWORD WINAPI ThreadProc(void* pParam);
    void Play();
    bool ReadLine(std::string& line);

    std::vector<CStep> m_Steps;
    SOCKET m_hListen;
    SOCKET m_hClient;
    HANDLE m_hThread;
    std::string m_strPending;
    std::string m_strFailure;
};
