// What the attachment dialog tests share: a message with attachments, a window that answers for the
// settings, a scratch folder for the files, and a modal run on a UI thread of its own.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include <memory>
#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "foundation/Registry.h"
#include "tests/support/UiThread.h"

// A message whose attachments carry these names and contents (each its name upper-cased when empty).
std::string MessageWithAttachments(const std::vector<std::string>& names);
std::string ReadWholeFile(const CString& strPath);
void WriteWholeFile(const CString& strPath, const std::string& strBytes);

// A window on the creating thread that answers "LetrovaGetRegistry" with the given settings.
class CSettingsOwner
{
public:
    explicit CSettingsOwner(CRegistry* pRegistry);
    ~CSettingsOwner();
    HWND m_hWnd = NULL;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};

// Runs a modal operation on a UI thread and waits for it while the calling thread keeps its windows alive.
class CModalRun
{
public:
    explicit CModalRun(std::function<INT_PTR()> body);
    bool Wait(DWORD dwTimeoutMs = 30000);
    DWORD ThreadId() const { return m_ui.ThreadId(); }
    INT_PTR m_nResult = -1;

private:
    CUiThread m_ui;
    volatile LONG m_bDone = 0;
};

// The settings of the tests, with an empty "Virus Warning" section.
std::unique_ptr<CRegistry> TestSettings();
