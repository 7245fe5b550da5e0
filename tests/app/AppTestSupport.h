// Shared helpers of the application-core tests: settings that point at fresh database files, a user who
// answers every box and dialog and remembers them, the record of started threads, and window helpers.
#pragma once

#include <windows.h>

#include <atlcom.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/Letrova.h"

// Settings naming three database files in a folder of the test that do not exist yet; an unopenable
// accounts "file" (a folder) on request. The settings are removed at the end.
class CFreshSettings
{
public:
    explicit CFreshSettings(bool bUnopenableAccounts = false);
    ~CFreshSettings();

    std::string m_strFolder;
};

// Answers every message box with IDOK and every database dialog with Cancel, and keeps their texts.
class CRecordingUser
{
public:
    CRecordingUser();
    ~CRecordingUser();

    std::vector<std::string> Boxes();
    bool WaitForBox(const std::string& strText);
    // Called with each box's text (on the showing thread) before it is answered.
    void (*m_pfnOnBox)(const std::string& strText) = nullptr;

    static CRecordingUser* s_pCurrent;
    std::mutex m_lock;
    std::vector<std::string> m_boxes;
    std::vector<std::string> m_captions;
};

// Every command line a user-interface thread is started for in this process.
class CThreadStarts
{
public:
    CThreadStarts();
    ~CThreadStarts();

    std::vector<std::string> Lines();
    bool WaitForCount(size_t nCount);
    bool WaitForLine(const std::string& strLine);

    static CThreadStarts* s_pCurrent;
    std::mutex m_lock;
    std::vector<std::string> m_lines;
};

// A Letrova object of this process, made as the class factory makes it.
CComPtr<ILetrova> NewLetrova(CLetrova** ppObject = nullptr);

// This process's visible top-level windows; with a title, only those that have it.
std::vector<HWND> OwnWindows(const char* pszTitle = nullptr);
std::vector<HWND> ProcessWindows(DWORD dwProcessId, const char* pszTitle = nullptr);
// Closes every visible window of this process as a user would, then waits for the manager to finish; a
// window that stays open is a test failure, never a wait without end.
void CloseAllAndWait(ILetrova* pLetrova);
