// Puts recorders in place of the system seams for the life of the object and tells what the program called.
#pragma once

#include <windows.h>

#include "platform/wtl/SystemSeams.h"

#include <mutex>
#include <string>
#include <vector>

class CSeamRecorder
{
public:
    struct Call
    {
        std::string
            strSeam; // "NotifyIcon", "PlaySoundFile", "ShellExecuteFile", "ShowHtmlHelp", "PrintDocument"
        std::string strDetail; // the arguments, see the recorders in SeamRecorder.cpp
    };

    // One recorder at a time; the previous seams come back when it is destroyed.
    CSeamRecorder();
    ~CSeamRecorder();
    CSeamRecorder(const CSeamRecorder&) = delete;
    CSeamRecorder& operator=(const CSeamRecorder&) = delete;

    std::vector<Call> Calls() const;
    bool WaitForCall(const char* pszSeam, DWORD dwTimeoutMs = 20000, Call* pFound = NULL) const;

    // What the recorded calls answer; success by default.
    BOOL m_bNotifyIconResult = TRUE;
    HINSTANCE m_hShellExecuteResult = (HINSTANCE)(INT_PTR)33;
    HWND m_hHtmlHelpResult = (HWND)(INT_PTR)1;
    HRESULT m_hrPrintResult = S_OK;

private:
    static BOOL WINAPI RecordNotifyIcon(DWORD dwMessage, PNOTIFYICONDATAA pData);
    static BOOL WINAPI RecordPlaySound(LPCSTR pszSound, HMODULE hModule, DWORD dwFlags);
    static HINSTANCE WINAPI RecordShellExecute(HWND, LPCSTR pszVerb, LPCSTR pszFile, LPCSTR pszParameters,
                                               LPCSTR pszDirectory, INT nShowCmd);
    static HWND WINAPI RecordHtmlHelp(HWND, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData);
    static HRESULT RecordPrintDocument(IDispatch* pComponent, bool bWithUserInterface);
    void Add(const char* pszSeam, const std::string& strDetail);

    mutable std::mutex m_lock;
    std::vector<Call> m_calls;
    decltype(CSystemSeams::NotifyIcon) m_pfnNotifyIcon;
    decltype(CSystemSeams::PlaySoundFile) m_pfnPlaySound;
    decltype(CSystemSeams::ShellExecuteFile) m_pfnShellExecute;
    decltype(CSystemSeams::ShowHtmlHelp) m_pfnHtmlHelp;
    decltype(CSystemSeams::PrintDocument) m_pfnPrintDocument;
};
