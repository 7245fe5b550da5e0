// Finds the message boxes and modal dialogs of a thread, reads them and answers them as a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class CDialogResponder
{
public:
    // A dialog (window class "#32770") shown by the thread, optionally with this exact caption.
    static HWND FindDialog(DWORD dwThreadId, const char* pszCaption = NULL, DWORD dwTimeoutMs = 20000);
    // The text of a message box (its static control 0xFFFF).
    static std::string MessageBoxText(HWND hWndBox);
    static std::string ItemText(HWND hWndDlg, int nID);
    static bool SetField(HWND hWndDlg, int nID, const char* pszText);
    static bool SetCheck(HWND hWndDlg, int nID, bool bChecked);
    // Presses the button as a click would: the dialog gets BN_CLICKED from it. Posted, so a button that
    // opens another modal dialog does not block the caller.
    static bool Press(HWND hWndDlg, int nID);

    // Answers every dialog that the thread shows from now on, in the background, until destroyed.
    // The handler gets the dialog and returns true once it has answered it.
    CDialogResponder(DWORD dwThreadId, std::function<bool(HWND)> handler);
    ~CDialogResponder();
    CDialogResponder(const CDialogResponder&) = delete;
    CDialogResponder& operator=(const CDialogResponder&) = delete;

    struct Seen
    {
        std::string strCaption;
        std::string strText; // the message box text, empty for other dialogs
    };
    std::vector<Seen> Answered() const;
    bool WaitForAnswered(size_t nCount, DWORD dwTimeoutMs = 20000) const;

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam);

    DWORD m_dwThreadId;
    std::function<bool(HWND)> m_handler;
    HANDLE m_hStop;
    HANDLE m_hThread;
    mutable std::mutex m_lock;
    std::vector<Seen> m_answered;
    std::vector<HWND> m_handled;
};
