// CMapiSessions: the Simple MAPI sessions of the process, each with a Letrova object of its own; the
// exported Simple MAPI functions find their session here.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "OrbMail.h"

struct CMapiSession
{
    ILetrova* m_pLetrova = NULL;
    // COM was entered for the session on this thread, which alone may leave it again.
    DWORD m_dwThreadId = 0;
    bool m_bComEntered = false;
};

class CMapiSessions
{
public:
    CMapiSessions();
    // At unloading, under the loader lock: the sessions' memory only, no COM call.
    ~CMapiSessions();

    // Both throw CException* with the texts the exports show.
    ULONG Logon();
    void Logoff(ULONG nHandle);
    // The session's object with a reference for the caller; throws the given invalid-session text.
    ILetrova* Find(ULONG nHandle, const char* pszInvalidText);

private:
    static void Close(CMapiSession* pSession);

    CRITICAL_SECTION m_lock;
    std::vector<std::pair<ULONG, CMapiSession*>> m_sessions;
    ULONG m_nLastHandle;
};

extern CMapiSessions g_MapiSessions;
