// Finds the message boxes and modal dialogs of a thread, reads them and answers them as a user would.
#include "tests/support/DialogResponder.h"

#include "tests/support/WindowReaders.h"

#include <algorithm>

static const char s_szDialogClass[] = "#32770";

HWND CDialogResponder::FindDialog(DWORD dwThreadId, const char* pszCaption, DWORD dwTimeoutMs)
{
    HWND hFound = NULL;
    WaitFor(
        [&] {
            for (HWND hWnd : ThreadWindows(dwThreadId, s_szDialogClass))
            {
                if (pszCaption == NULL || WindowText(hWnd) == pszCaption)
                {
                    hFound = hWnd;
                    return true;
                }
            }
            return false;
        },
        dwTimeoutMs);
    return hFound;
}

std::string CDialogResponder::MessageBoxText(HWND hWndBox)
{
    return ItemText(hWndBox, 0xFFFF);
}

std::string CDialogResponder::ItemText(HWND hWndDlg, int nID)
{
    HWND hItem = ::GetDlgItem(hWndDlg, nID);
    return hItem ? WindowText(hItem) : std::string();
}

bool CDialogResponder::SetField(HWND hWndDlg, int nID, const char* pszText)
{
    HWND hItem = ::GetDlgItem(hWndDlg, nID);
    return hItem != NULL && ::SendMessageA(hItem, WM_SETTEXT, 0, (LPARAM)pszText) != 0;
}

bool CDialogResponder::SetCheck(HWND hWndDlg, int nID, bool bChecked)
{
    HWND hItem = ::GetDlgItem(hWndDlg, nID);
    if (hItem == NULL)
        return false;
    ::SendMessageA(hItem, BM_SETCHECK, bChecked ? BST_CHECKED : BST_UNCHECKED, 0);
    return true;
}

bool CDialogResponder::Press(HWND hWndDlg, int nID)
{
    HWND hItem = ::GetDlgItem(hWndDlg, nID);
    return ::PostMessageA(hWndDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), (LPARAM)hItem) != 0;
}

// ---------------------------------------------------------------------------------------------------------

CDialogResponder::CDialogResponder(DWORD dwThreadId, std::function<bool(HWND)> handler)
    : m_dwThreadId(dwThreadId), m_handler(std::move(handler))
{
    m_hStop = ::CreateEventA(NULL, TRUE, FALSE, NULL);
    m_hThread = ::CreateThread(NULL, 0, ThreadProc, this, 0, NULL);
}

CDialogResponder::~CDialogResponder()
{
    ::SetEvent(m_hStop);
    ::WaitForSingleObject(m_hThread, 10000);
    ::CloseHandle(m_hThread);
    ::CloseHandle(m_hStop);
}

std::vector<CDialogResponder::Seen> CDialogResponder::Answered() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_answered;
}

bool CDialogResponder::WaitForAnswered(size_t nCount, DWORD dwTimeoutMs) const
{
    return WaitFor(
        [&] {
            std::lock_guard<std::mutex> guard(m_lock);
            return m_answered.size() >= nCount;
        },
        dwTimeoutMs);
}

DWORD WINAPI CDialogResponder::ThreadProc(LPVOID pParam)
{
    CDialogResponder* pThis = (CDialogResponder*)pParam;
    while (::WaitForSingleObject(pThis->m_hStop, 10) == WAIT_TIMEOUT)
    {
        for (HWND hWnd : ThreadWindows(pThis->m_dwThreadId, s_szDialogClass))
        {
            {
                std::lock_guard<std::mutex> guard(pThis->m_lock);
                if (std::find(pThis->m_handled.begin(), pThis->m_handled.end(), hWnd) !=
                    pThis->m_handled.end())
                    continue;
            }
            Seen seen = {WindowText(hWnd), MessageBoxText(hWnd)};
            if (pThis->m_handler(hWnd))
            {
                std::lock_guard<std::mutex> guard(pThis->m_lock);
                pThis->m_handled.push_back(hWnd);
                pThis->m_answered.push_back(seen);
            }
        }
    }
    return 0;
}
