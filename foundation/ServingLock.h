// A lock that one thread may take again while it holds it, and whose waiter keeps serving the messages
// other threads send to its windows: the holder may be sending to them, and a plain wait would deadlock.
#pragma once

#include <windows.h>

class CServingLock
{
public:
    CServingLock() : m_hMutex(CreateMutexW(NULL, FALSE, NULL)) {}
    ~CServingLock() { CloseHandle(m_hMutex); }
    CServingLock(const CServingLock&) = delete;
    CServingLock& operator=(const CServingLock&) = delete;

    void Lock()
    {
        for (;;)
        {
            const DWORD dwResult = MsgWaitForMultipleObjects(1, &m_hMutex, FALSE, INFINITE, QS_SENDMESSAGE);
            if (dwResult == WAIT_OBJECT_0 || dwResult == WAIT_ABANDONED_0)
                return;
            if (dwResult != WAIT_OBJECT_0 + 1)
            {
                WaitForSingleObject(m_hMutex, INFINITE);
                return;
            }
            // Peeking delivers the messages sent to this thread's windows; nothing posted is taken.
            MSG msg;
            PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    void Unlock() { ReleaseMutex(m_hMutex); }

    class CHold
    {
    public:
        explicit CHold(CServingLock& lock) : m_Lock(lock) { m_Lock.Lock(); }
        ~CHold() { m_Lock.Unlock(); }
        CHold(const CHold&) = delete;
        CHold& operator=(const CHold&) = delete;

    private:
        CServingLock& m_Lock;
    };

private:
    HANDLE m_hMutex;
};
