// Message loop with filters and idle handlers, and the application module that maps UI threads to loops.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <atlbase.h>
#include <atlres.h>
#include <atlsimpcoll.h>
#include <atlwin.h>

namespace WTL
{

class CMessageFilter
{
public:
    virtual BOOL PreTranslateMessage(MSG* pMsg) = 0;
};

class CIdleHandler
{
public:
    virtual BOOL OnIdle() = 0;
};

// One per UI thread. Filters and idle handlers may add or remove themselves while they run.
class CMessageLoop
{
public:
    ATL::CSimpleArray<CMessageFilter*> m_aMsgFilter;
    ATL::CSimpleArray<CIdleHandler*> m_aIdleHandler;
    MSG m_msg;

    CMessageLoop() { ::ZeroMemory(&m_msg, sizeof(m_msg)); }
    virtual ~CMessageLoop() {}

    BOOL AddMessageFilter(CMessageFilter* pMessageFilter) { return m_aMsgFilter.Add(pMessageFilter); }
    BOOL RemoveMessageFilter(CMessageFilter* pMessageFilter) { return m_aMsgFilter.Remove(pMessageFilter); }
    BOOL AddIdleHandler(CIdleHandler* pIdleHandler) { return m_aIdleHandler.Add(pIdleHandler); }
    BOOL RemoveIdleHandler(CIdleHandler* pIdleHandler) { return m_aIdleHandler.Remove(pIdleHandler); }

    // Returns the exit code given to PostQuitMessage.
    int Run();

    static BOOL IsIdleMessage(MSG* pMsg)
    {
        switch (pMsg->message)
        {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
        case WM_PAINT:
        case 0x0118: // WM_SYSTIMER, the caret blink
            return FALSE;
        }
        return TRUE;
    }

    // The most recently added filter sees the message first.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL OnIdle(int nIdleCount);
};

// The COM module of the program or DLL and, per UI thread, its message loop. UI threads add and remove
// their loops concurrently, so the map is guarded.
class CAppModule : public ATL::CComModule
{
public:
    DWORD m_dwMainThreadID;

    CAppModule();
    ~CAppModule();

    // Also initialises the common controls the windows use.
    HRESULT Init(ATL::_ATL_OBJMAP_ENTRY* pObjMap, HINSTANCE hInstance, const GUID* pLibID = NULL);
    void Term();

    BOOL AddMessageLoop(CMessageLoop* pMsgLoop);
    BOOL RemoveMessageLoop();
    CMessageLoop* GetMessageLoop(DWORD dwThreadID = ::GetCurrentThreadId()) const;

private:
    CAppModule(const CAppModule&) = delete;
    CAppModule& operator=(const CAppModule&) = delete;

    mutable CRITICAL_SECTION m_csMsgLoopMap;
    ATL::CSimpleMap<DWORD, CMessageLoop*> m_mapMsgLoop;
};

namespace ModuleHelper
{
inline HINSTANCE GetModuleInstance()
{
    return ATL::_AtlBaseModule.GetModuleInstance();
}
inline HINSTANCE GetResourceInstance()
{
    return ATL::_AtlBaseModule.GetResourceInstance();
}
} // namespace ModuleHelper

// Loads the string resource; empty when it does not exist.
CString AtlLoadString(UINT nID);

} // namespace WTL

#ifndef _WTL_NO_AUTOMATIC_NAMESPACE
using namespace WTL;
#endif
