// What these tests share: Windows Sockets and COM for every test, the loopback peers of ./test, the Python
// clients, and a recorder of message boxes that may come from any thread.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include <atlapp.h>

extern CAppModule _Module;

#include "PeerFiles.h"

// Runs a Python client of tests/transport/server (http_clients.py) with the given arguments and returns what it
// wrote, or "" when it wrote nothing in time. Wine cannot wait for a Linux process, so the client writes
// its whole output to a file at the end, and the test waits for that file.
std::string RunPythonClient(const std::vector<std::string>& arguments);

// Answers every application message box with a fixed button and records its text, from any thread.
class CBoxRecorder
{
public:
    explicit CBoxRecorder(int nAnswer = IDOK);
    ~CBoxRecorder();
    std::vector<std::string> Texts() const;
    size_t Count() const;

private:
    static int Hook(const char* pszText, const char* pszCaption, UINT nStyle, HWND hWndOwner);
    int (*m_pfnPrevious)(const char*, const char*, UINT, HWND);
};
