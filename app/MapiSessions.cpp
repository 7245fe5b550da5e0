// The Simple MAPI sessions and the eight exports: each finds its session, passes its arguments to the
// session object's method and returns the Simple MAPI result. Nothing thrown leaves an export.
#include "app/MapiSessions.h"

#include <mapi.h>

#include <atlbase.h>

#include <memory>
#include <new>

#include "app/MapiTexts.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FileException.h"
#include "foundation/FoundationUi.h"
#include "foundation/TraceFile.h"
#include "resources/resource.h"
#include "store/OLEDBException.h"

CMapiSessions g_MapiSessions;

namespace
{
class CLock
{
public:
    explicit CLock(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
    ~CLock() { ::LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION& m_cs;
};

CComBSTR ToBstr(const char* pszText)
{
    return CComBSTR(pszText != NULL ? pszText : "");
}

// Shows what an export caught, as its caller cannot be told more than MAPI_E_FAILURE.
ULONG Failed(const char* pszExport)
{
    CString strText;
    try
    {
        throw;
    }
    catch (CException* pException)
    {
        strText = pException->m_strMessage;
        delete pException;
    }
    catch (COLEDBException* pException)
    {
        strText = pException->m_strMessage;
        delete pException;
    }
    catch (CFileException* pException)
    {
        char szError[255] = {};
        pException->GetErrorMessage(szError, sizeof(szError));
        strText = CString("ERROR: ") + szError;
        delete pException;
    }
    catch (const char* pszText)
    {
        strText = pszText;
    }
    catch (...)
    {
        strText.Format("%s\r\nUnhandled exception!!!", pszExport);
    }
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n" + strText);
    ShowErrorReportPrompt(strText, NULL);
    return MAPI_E_FAILURE;
}

// Releases a found session object on every way out of an export.
class CFoundSession
{
public:
    CFoundSession(ULONG nHandle, const char* pszInvalidText)
        : m_pLetrova(g_MapiSessions.Find(nHandle, pszInvalidText))
    {
    }
    ~CFoundSession() { m_pLetrova->Release(); }
    ILetrova* operator->() const { return m_pLetrova; }

private:
    ILetrova* m_pLetrova;
};
} // namespace

CMapiSessions::CMapiSessions() : m_nLastHandle(0)
{
    ::InitializeCriticalSection(&m_lock);
}

CMapiSessions::~CMapiSessions()
{
    for (auto& entry : m_sessions)
        delete entry.second;
    m_sessions.clear();
    ::DeleteCriticalSection(&m_lock);
}

ULONG CMapiSessions::Logon()
{
    std::unique_ptr<CMapiSession> pSession(new CMapiSession);
    pSession->m_dwThreadId = ::GetCurrentThreadId();
    pSession->m_bComEntered = SUCCEEDED(::CoInitialize(NULL));
    try
    {
        CString strName;
        strName.LoadString(IDS_PROJNAME);
        CreateComComponent(CLSID_Letrova, IID_ILetrova, reinterpret_cast<void**>(&pSession->m_pLetrova),
                           strName + MapiText::kComponentSuffix);
        if (pSession->m_pLetrova->OpenDatabase() != S_OK)
            throw new CException(MapiText::kOpenDatabaseFailed);
    }
    catch (...)
    {
        Close(pSession.get());
        throw;
    }
    CLock lock(m_lock);
    try
    {
        ULONG nHandle = m_nLastHandle;
        for (;;)
        {
            nHandle = nHandle >= 0x7FFFFFFF ? 1 : nHandle + 1;
            bool bTaken = false;
            for (const auto& entry : m_sessions)
                bTaken = bTaken || entry.first == nHandle;
            if (!bTaken)
                break;
        }
        m_sessions.push_back(std::make_pair(nHandle, pSession.get()));
        m_nLastHandle = nHandle;
        pSession.release();
        return nHandle;
    }
    catch (const std::bad_alloc&)
    {
    }
    Close(pSession.get());
    throw new CException(MapiText::kCreateSessionFailed);
}

void CMapiSessions::Logoff(ULONG nHandle)
{
    CMapiSession* pSession = NULL;
    {
        CLock lock(m_lock);
        for (auto it = m_sessions.begin(); it != m_sessions.end(); ++it)
        {
            if (it->first == nHandle)
            {
                pSession = it->second;
                m_sessions.erase(it);
                break;
            }
        }
    }
    if (pSession == NULL)
        throw new CException(MapiText::kInvalidLogoff);
    if (pSession->m_pLetrova != NULL)
        pSession->m_pLetrova->CloseNoWarning();
    Close(pSession);
    delete pSession;
}

ILetrova* CMapiSessions::Find(ULONG nHandle, const char* pszInvalidText)
{
    CLock lock(m_lock);
    for (const auto& entry : m_sessions)
    {
        if (entry.first == nHandle && entry.second != NULL && entry.second->m_pLetrova != NULL)
        {
            entry.second->m_pLetrova->AddRef();
            return entry.second->m_pLetrova;
        }
    }
    throw new CException(pszInvalidText);
}

void CMapiSessions::Close(CMapiSession* pSession)
{
    if (pSession->m_pLetrova != NULL)
        pSession->m_pLetrova->Release();
    pSession->m_pLetrova = NULL;
    // A session logged off on another thread leaves COM of its logon thread as it is.
    if (pSession->m_bComEntered && pSession->m_dwThreadId == ::GetCurrentThreadId())
        ::CoUninitialize();
    pSession->m_bComEntered = false;
}

extern "C" ULONG WINAPI MAPILogon(ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG, LPLHANDLE lplhSession)
{
    try
    {
        if (lplhSession == NULL)
            return MAPI_E_FAILURE;
        *lplhSession = g_MapiSessions.Logon();
        return SUCCESS_SUCCESS;
    }
    catch (...)
    {
        return Failed("MAPILogon");
    }
}

extern "C" ULONG WINAPI MAPILogoff(LHANDLE lhSession, ULONG_PTR, FLAGS, ULONG)
{
    try
    {
        g_MapiSessions.Logoff(static_cast<ULONG>(lhSession));
        return SUCCESS_SUCCESS;
    }
    catch (...)
    {
        return Failed("MAPILogoff");
    }
}

extern "C" ULONG WINAPI MAPISendMail(LHANDLE lhSession, ULONG_PTR ulUIParam, lpMapiMessage lpMessage,
                                     FLAGS flFlags, ULONG)
{
    ULONG nTemporary = 0;
    ULONG nResult = MAPI_E_FAILURE;
    try
    {
        if (lpMessage == NULL)
            return MAPI_E_FAILURE;
        if (lhSession == 0)
            nTemporary = g_MapiSessions.Logon();
        {
            CFoundSession session(lhSession != 0 ? static_cast<ULONG>(lhSession) : nTemporary,
                                  MapiText::kInvalidSendMail);
            nResult = MAPI_E_NO_MESSAGES;
            session->MAPISendMail(static_cast<LONG_PTR>(ulUIParam), reinterpret_cast<LONG_PTR>(lpMessage),
                                  static_cast<long>(flFlags), reinterpret_cast<LONG_PTR>(&nResult));
        }
    }
    catch (...)
    {
        nResult = Failed("MAPISendMail");
    }
    if (nTemporary != 0)
    {
        try
        {
            g_MapiSessions.Logoff(nTemporary);
        }
        catch (...)
        {
            Failed("MAPISendMail");
        }
    }
    return nResult;
}

extern "C" ULONG WINAPI MAPIFindNext(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszMessageType,
                                     LPSTR lpszSeedMessageID, FLAGS flFlags, ULONG, LPSTR lpszMessageID)
{
    try
    {
        if (lpszMessageID == NULL)
            return MAPI_E_FAILURE;
        CFoundSession session(static_cast<ULONG>(lhSession), MapiText::kInvalidFindNext);
        HRESULT hr = session->MAPIFindNext(static_cast<LONG_PTR>(ulUIParam), ToBstr(lpszMessageType),
                                           ToBstr(lpszSeedMessageID), static_cast<long>(flFlags),
                                           reinterpret_cast<LONG_PTR>(lpszMessageID));
        if (hr == S_OK)
            return SUCCESS_SUCCESS;
        return hr == S_FALSE ? MAPI_E_NO_MESSAGES : MAPI_E_FAILURE;
    }
    catch (...)
    {
        return Failed("MAPIFindNext");
    }
}

extern "C" ULONG WINAPI MAPIReadMail(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszMessageID,
                                     FLAGS flFlags, ULONG, lpMapiMessage* lppMessage)
{
    try
    {
        if (lppMessage == NULL)
            return MAPI_E_FAILURE;
        *lppMessage = NULL;
        CFoundSession session(static_cast<ULONG>(lhSession), MapiText::kInvalidReadMail);
        ULONG nResult = MAPI_E_INVALID_MESSAGE;
        session->MAPIReadMail(static_cast<LONG_PTR>(ulUIParam), ToBstr(lpszMessageID),
                              static_cast<long>(flFlags), reinterpret_cast<LONG_PTR>(lppMessage),
                              reinterpret_cast<LONG_PTR>(&nResult));
        return nResult;
    }
    catch (...)
    {
        return Failed("MAPIReadMail");
    }
}

extern "C" ULONG WINAPI MAPIAddress(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszCaption,
                                    ULONG nEditFields, LPSTR lpszLabels, ULONG nRecips, lpMapiRecipDesc lpRecips,
                                    FLAGS flFlags, ULONG, LPULONG lpnNewRecips, lpMapiRecipDesc* lppNewRecips)
{
    try
    {
        if (lpnNewRecips == NULL || lppNewRecips == NULL)
            return MAPI_E_FAILURE;
        *lpnNewRecips = 0;
        *lppNewRecips = NULL;
        CFoundSession session(static_cast<ULONG>(lhSession), MapiText::kInvalidAddress);
        ULONG nResult = MAPI_E_INVALID_MESSAGE;
        session->MAPIAddress(static_cast<LONG_PTR>(ulUIParam), ToBstr(lpszCaption),
                             static_cast<long>(nEditFields), ToBstr(lpszLabels), static_cast<long>(nRecips),
                             reinterpret_cast<LONG_PTR>(lpRecips), static_cast<long>(flFlags),
                             reinterpret_cast<LONG_PTR>(lpnNewRecips), reinterpret_cast<LONG_PTR>(lppNewRecips),
                             reinterpret_cast<LONG_PTR>(&nResult));
        return nResult;
    }
    catch (...)
    {
        return Failed("MAPIAddress");
    }
}

extern "C" ULONG WINAPI MAPIResolveName(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszName, FLAGS flFlags,
                                        ULONG, lpMapiRecipDesc* lppRecip)
{
    try
    {
        if (lppRecip == NULL)
            return MAPI_E_FAILURE;
        *lppRecip = NULL;
        CFoundSession session(static_cast<ULONG>(lhSession), MapiText::kInvalidResolveName);
        ULONG nResult = MAPI_E_FAILURE;
        session->MAPIResolveName(static_cast<LONG_PTR>(ulUIParam), ToBstr(lpszName),
                                 static_cast<long>(flFlags), reinterpret_cast<LONG_PTR>(lppRecip),
                                 reinterpret_cast<LONG_PTR>(&nResult));
        return nResult;
    }
    catch (...)
    {
        return Failed("MAPIResolveName");
    }
}

extern "C" ULONG WINAPI MAPIDeleteMail(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszMessageID,
                                       FLAGS flFlags, ULONG)
{
    try
    {
        CFoundSession session(static_cast<ULONG>(lhSession), MapiText::kInvalidDeleteMail);
        ULONG nResult = MAPI_E_FAILURE;
        session->MAPIDeleteMail(static_cast<LONG_PTR>(ulUIParam), ToBstr(lpszMessageID),
                                static_cast<long>(flFlags), reinterpret_cast<LONG_PTR>(&nResult));
        return nResult;
    }
    catch (...)
    {
        return Failed("MAPIDeleteMail");
    }
}
