// The scripted hostile POP3 server (hostile_pop3.py) as a test sees it: started on 127.0.0.1 for one scenario,
// read back for what it still holds and what it was sent, stopped when the object goes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CHostilePop3
{
public:
    // Starts the server and waits (bounded) until it listens; Port() is 0 when it did not start.
    explicit CHostilePop3(const char* pszScenario);
    // Stops the server and waits (bounded) for its last state.
    ~CHostilePop3();

    UINT Port() const { return m_nPort; }
    // The subjects of the messages still on the server, sorted.
    std::vector<std::string> Remaining() const;
    // The command lines of each connection, in order.
    std::vector<std::vector<std::string>> Sessions() const;

private:
    std::vector<std::string> StateLines() const;
    std::string m_strFolder;     // Windows path, ending in a backslash
    std::string m_strUnixFolder; // the same folder as the server sees it
    UINT m_nPort = 0;
};
