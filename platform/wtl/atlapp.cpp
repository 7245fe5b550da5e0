// Message loop and application module.
#include "atlapp.h"

namespace WTL
{

int CMessageLoop::Run()
{
    BOOL bDoIdle = TRUE;
    int nIdleCount = 0;
    for (;;)
    {
        while (bDoIdle && !::PeekMessageA(&m_msg, NULL, 0, 0, PM_NOREMOVE))
        {
            if (!OnIdle(nIdleCount++))
                bDoIdle = FALSE;
        }
        BOOL bRet = ::GetMessageA(&m_msg, NULL, 0, 0);
        if (bRet == -1)
            continue;
        if (!bRet)
            break;
        if (!PreTranslateMessage(&m_msg))
        {
            ::TranslateMessage(&m_msg);
            ::DispatchMessageA(&m_msg);
        }
        if (IsIdleMessage(&m_msg))
        {
            bDoIdle = TRUE;
            nIdleCount = 0;
        }
    }
    return (int)m_msg.wParam;
}

BOOL CMessageLoop::PreTranslateMessage(MSG* pMsg)
{
    // Filters run on the loop's thread; none of their exceptions may end the thread's loop.
    try
    {
        for (int i = m_aMsgFilter.GetSize() - 1; i >= 0; i--)
        {
            if (i >= m_aMsgFilter.GetSize())
                continue;
            CMessageFilter* pMessageFilter = m_aMsgFilter[i];
            if (pMessageFilter != NULL && pMessageFilter->PreTranslateMessage(pMsg))
                return TRUE;
        }
    }
    catch (...)
    {
        ATL::AtlHandleMsgMapException("CMessageLoop");
        return TRUE;
    }
    return FALSE;
}

BOOL CMessageLoop::OnIdle(int /*nIdleCount*/)
{
    try
    {
        ATL::CSimpleArray<CIdleHandler*> aHandlers(m_aIdleHandler);
        for (int i = 0; i < aHandlers.GetSize(); i++)
        {
            // A handler run earlier in this pass may have removed a later one.
            if (m_aIdleHandler.Find(aHandlers[i]) != -1)
                aHandlers[i]->OnIdle();
        }
    }
    catch (...)
    {
        ATL::AtlHandleMsgMapException("CMessageLoop");
    }
    return FALSE;
}

// ---------------------------------------------------------------------------------------------------------

CAppModule::CAppModule() : m_dwMainThreadID(::GetCurrentThreadId())
{
    ::InitializeCriticalSection(&m_csMsgLoopMap);
}

CAppModule::~CAppModule()
{
    ::DeleteCriticalSection(&m_csMsgLoopMap);
}

HRESULT CAppModule::Init(ATL::_ATL_OBJMAP_ENTRY* pObjMap, HINSTANCE hInstance, const GUID* pLibID)
{
    m_dwMainThreadID = ::GetCurrentThreadId();
    HRESULT hr = ATL::CComModule::Init(pObjMap, hInstance, pLibID);
    if (FAILED(hr))
        return hr;
    INITCOMMONCONTROLSEX iccx = {sizeof(iccx), ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES |
                                                   ICC_DATE_CLASSES | ICC_USEREX_CLASSES};
    ::InitCommonControlsEx(&iccx);
    return S_OK;
}

void CAppModule::Term()
{
    ::EnterCriticalSection(&m_csMsgLoopMap);
    m_mapMsgLoop.RemoveAll();
    ::LeaveCriticalSection(&m_csMsgLoopMap);
    ATL::CComModule::Term();
}

BOOL CAppModule::AddMessageLoop(CMessageLoop* pMsgLoop)
{
    ::EnterCriticalSection(&m_csMsgLoopMap);
    DWORD dwThreadID = ::GetCurrentThreadId();
    // A thread runs one loop at a time.
    BOOL bRet = m_mapMsgLoop.FindKey(dwThreadID) == -1 && m_mapMsgLoop.Add(dwThreadID, pMsgLoop);
    ::LeaveCriticalSection(&m_csMsgLoopMap);
    return bRet;
}

BOOL CAppModule::RemoveMessageLoop()
{
    ::EnterCriticalSection(&m_csMsgLoopMap);
    BOOL bRet = m_mapMsgLoop.Remove(::GetCurrentThreadId());
    ::LeaveCriticalSection(&m_csMsgLoopMap);
    return bRet;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD dwThreadID) const
{
    ::EnterCriticalSection(&m_csMsgLoopMap);
    CMessageLoop* pLoop = m_mapMsgLoop.Lookup(dwThreadID);
    ::LeaveCriticalSection(&m_csMsgLoopMap);
    return pLoop;
}

CString AtlLoadString(UINT nID)
{
    CString str;
    const char* p = NULL;
    // A length-only query gives a pointer to the resource's counted UTF-16 text; convert it whole.
    int nLen = ::LoadStringW(ModuleHelper::GetResourceInstance(), nID, (LPWSTR)&p, 0);
    if (nLen <= 0)
        return str;
    const wchar_t* pw = (const wchar_t*)p;
    int nBytes = ::WideCharToMultiByte(CP_ACP, 0, pw, nLen, NULL, 0, NULL, NULL);
    char* buf = str.GetBufferSetLength(nBytes);
    ::WideCharToMultiByte(CP_ACP, 0, pw, nLen, buf, nBytes, NULL, NULL);
    str.ReleaseBuffer(nBytes);
    return str;
}

} // namespace WTL
