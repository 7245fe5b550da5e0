// The mail client's COM object: construction of the shared objects, the window-opening methods, the
// start and the end of the thread manager, and the opening of the databases.
#include "app/Letrova.h"

#include <algorithm>
#include <vector>

#include "app/LetrovaGlobals.h"
#include "app/ShellFileTypes.h"
#include "app/ThreadManager.h"
#include "content/BodyWalker.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/File.h"
#include "foundation/FileException.h"
#include "foundation/FoundationUi.h"
#include "foundation/Paths.h"
#include "foundation/TraceFile.h"
#include "foundation/WindowMessages.h"
#include "platform/htmledit/HtmlEdit.h"
#include "platform/htmlview/HtmlView.h"
#include "store/OLEDBException.h"
#include "ui/compose/AttachmentList.h"
#include "ui/compose/CtrlMessageBody.h"
#include "ui/main/DlgVirusWarning.h"

BEGIN_OBJECT_MAP(ObjectMap)
OBJECT_ENTRY(CLSID_Letrova, CLetrova)
END_OBJECT_MAP()

ATL::_ATL_OBJMAP_ENTRY* LetrovaObjectMap()
{
    return ObjectMap;
}

namespace
{
const char kCmdLineFile[] = "CmdLine.txt";
const DWORD kCloseWarningMs = 20000;
const DWORD kAreYouMeAnswerMs = 2000;

CLetrova::ManagerWaitHook g_pfnManagerWaitHook = NULL;

struct CManagerStart
{
    HANDLE hEventFinished;
    CString strCmdLine;
    volatile LONG* pbFinished;
    LPARAM lExtra;
};

struct CRunningInstanceSearch
{
    HWND hWndFound;
};

CString FromBstr(BSTR bstr)
{
    return CString(bstr != NULL ? bstr : L"");
}

CString LoadText(UINT nId)
{
    CString strText;
    strText.LoadString(nId);
    return strText;
}

HANDLE CreateSetEvent()
{
    return ::CreateEventA(NULL, FALSE, TRUE, NULL);
}
} // namespace

volatile LONG CLetrova::s_bManagerFinished = 1;

namespace
{
// Several objects live at once in a process that opens Simple MAPI sessions: the first one makes the
// process-wide events and loads the rich-edit library, the last one frees them, and the process-wide
// pointers always lead to a live object.
CRITICAL_SECTION* SharedStateLock()
{
    static CRITICAL_SECTION cs;
    static bool bInit = (::InitializeCriticalSection(&cs), true);
    (void)bInit;
    return &cs;
}
std::vector<CLetrova*>& LiveObjects()
{
    static std::vector<CLetrova*> objects;
    return objects;
}

void PointTo(CLetrova* pLetrova)
{
    g_pLetrova = pLetrova;
    g_pDatabaseMy = pLetrova != NULL ? &pLetrova->m_database : NULL;
    if (pLetrova != NULL)
        g_pRegistry = &pLetrova->m_registry;
}
} // namespace

void CLetrova::AcquireSharedState(CLetrova* pLetrova)
{
    ::EnterCriticalSection(SharedStateLock());
    std::vector<CLetrova*>& objects = LiveObjects();
    if (objects.empty())
    {
        if (g_hRichEdit == NULL)
        {
            g_hRichEdit = ::LoadLibraryA("RICHED20.DLL");
            if (g_hRichEdit == NULL)
                AppMessageBox("Fatal error:\nFailed RICHED20.DLL load", MB_ICONSTOP, NULL);
        }
        RegisterLetrovaMessages();
        if (LetrovaAreYouMe == 0)
            RegisterLetrovaAreYouMe();
        g_hEventMessageFile = CreateSetEvent();
        g_hEventListHandOver = CreateSetEvent();
        g_hEventMessageWindow = CreateSetEvent();
        SetTempFileEvent(g_hEventMessageFile);
        CCtrlMessageBody::s_hHandOverEvent = g_hEventListHandOver;
        CAttachmentList::s_pfnOpenAttachment = CDlgVirusWarning::OpenAttachment;
        CHtmlView::RegisterClass();
        CHtmlEdit::RegisterClass();
    }
    objects.push_back(pLetrova);
    PointTo(pLetrova);
    ::LeaveCriticalSection(SharedStateLock());
}

void CLetrova::ReleaseSharedState(CLetrova* pLetrova)
{
    ::EnterCriticalSection(SharedStateLock());
    std::vector<CLetrova*>& objects = LiveObjects();
    objects.erase(std::remove(objects.begin(), objects.end(), pLetrova), objects.end());
    if (objects.empty())
    {
        SetTempFileEvent(NULL);
        for (HANDLE* phEvent : {&g_hEventMessageFile, &g_hEventListHandOver, &g_hEventMessageWindow})
        {
            if (*phEvent != NULL)
                ::CloseHandle(*phEvent);
            *phEvent = NULL;
        }
        if (g_hRichEdit != NULL)
            ::FreeLibrary(g_hRichEdit);
        g_hRichEdit = NULL;
        if (g_pLetrova == pLetrova)
            PointTo(NULL);
        if (g_pRegistry == &pLetrova->m_registry)
            g_pRegistry = NULL;
    }
    else if (g_pLetrova == pLetrova)
        PointTo(objects.back());
    ::LeaveCriticalSection(SharedStateLock());
}

CLetrova::CLetrova()
    : m_hManagerThread(NULL), m_hEventManagerFinished(NULL), m_database(&m_registry)
{
    ::OutputDebugStringA("\r\nCLetrova()\r\n");
    if (IsTraceOn())
        g_pTraceFile->WriteText("CLetrova()");
    CString strCaption = LoadText(IDS_PROJNAME);
    if (!strCaption.IsEmpty())
    {
        strncpy(AppCaption, strCaption, sizeof(AppCaption) - 1);
        AppCaption[sizeof(AppCaption) - 1] = '\0';
    }
    AcquireSharedState(this);
}

CLetrova::~CLetrova()
{
    if (m_hManagerThread != NULL)
        ::CloseHandle(m_hManagerThread);
    if (m_hEventManagerFinished != NULL)
        ::CloseHandle(m_hEventManagerFinished);
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n~CLetrova()");
    ReleaseSharedState(this);
}

CLetrova::ManagerWaitHook CLetrova::SetManagerWaitHook(ManagerWaitHook pfnHook)
{
    ManagerWaitHook pfnOld = g_pfnManagerWaitHook;
    g_pfnManagerWaitHook = pfnHook;
    return pfnOld;
}

HRESULT CLetrova::OpenWindow(const CString& strCmdLine)
{
    try
    {
        m_strCmdLine = strCmdLine;
        if (HandOverCommandLine(m_strCmdLine) == 1)
            return S_OK;
        StartThreadManager(m_strCmdLine);
    }
    catch (CException* pException)
    {
        ShowCaughtException(pException);
    }
    catch (...)
    {
        AppMessageBox("STDMETHODIMP CLetrova::Letrova(). Unhandled exception!!!", MB_ICONSTOP, NULL);
    }
    return S_OK;
}

STDMETHODIMP CLetrova::Letrova()
{
    return OpenWindow(CString());
}

STDMETHODIMP CLetrova::Close()
{
    return CloseThreads(true);
}

STDMETHODIMP CLetrova::NewMessage(long lRecipientID)
{
    CString strCmdLine;
    strCmdLine.Format("/n %ld", lRecipientID);
    return OpenWindow(strCmdLine);
}

STDMETHODIMP CLetrova::SendAndReceiveAll(long lAccountID)
{
    CString strCmdLine;
    strCmdLine.Format("/p %ld", lAccountID);
    return OpenWindow(strCmdLine);
}

STDMETHODIMP CLetrova::AddressBook()
{
    return OpenWindow("/a");
}

STDMETHODIMP CLetrova::WindowProc(long, unsigned int, unsigned int, long)
{
    return S_OK;
}

STDMETHODIMP CLetrova::EmailMerge(BSTR bstrAddressList)
{
    return OpenWindow("/n " + FromBstr(bstrAddressList));
}

STDMETHODIMP CLetrova::RegisterShellFileTypes(BSTR bstrPathName)
{
    try
    {
        m_strExePath = FromBstr(bstrPathName);
        CShellFileTypes::Register(this, TRUE);
    }
    catch (CException* pException)
    {
        ShowCaughtException(pException);
    }
    catch (...)
    {
        AppMessageBox("STDMETHODIMP CLetrova::RegisterShellFileTypes(). Unhandled exception!!!", MB_ICONSTOP,
                      NULL);
    }
    return S_OK;
}

STDMETHODIMP CLetrova::Message(BSTR bstrMessageFileName)
{
    return OpenWindow("/f " + FromBstr(bstrMessageFileName));
}

STDMETHODIMP CLetrova::MailTo(BSTR bstrAddress)
{
    return OpenWindow(FromBstr(bstrAddress));
}

STDMETHODIMP CLetrova::MailAttach(BSTR bstrFileName)
{
    return OpenWindow("/ma " + FromBstr(bstrFileName));
}

STDMETHODIMP CLetrova::MessageID(BSTR bstrMessageID)
{
    return OpenWindow(FromBstr(bstrMessageID));
}

STDMETHODIMP CLetrova::put_ExeModulePath(BSTR newVal)
{
    m_strExePath = FromBstr(newVal);
    return S_OK;
}

STDMETHODIMP CLetrova::OpenDatabase()
{
    CString strFailure;
    try
    {
        m_database.OpenAll();
        return S_OK;
    }
    catch (COLEDBException* pException)
    {
        // The database layer has shown it.
        delete pException;
        return S_FALSE;
    }
    catch (const char* pszText)
    {
        strFailure = pszText;
    }
    catch (CException* pException)
    {
        strFailure = pException->m_strMessage;
        delete pException;
    }
    catch (...)
    {
        strFailure = "Unhandled exception!!!\r\nOpen database failed!";
    }
    AppMessageBox(strFailure, MB_ICONSTOP, NULL);
    return S_FALSE;
}

STDMETHODIMP CLetrova::CloseNoWarning()
{
    return CloseThreads(false);
}

int CLetrova::HandOverCommandLine(const CString& strCmdLine)
{
    try
    {
        if (!DecideInstanceRole())
            return 0;
        {
            CFile file(GetTempFolder() + kCmdLineFile, CFile::modeCreate | CFile::modeWrite);
            file.Write(strCmdLine.GetString(), static_cast<UINT>(strCmdLine.GetLength()));
            file.Close();
        }
        CRunningInstanceSearch search = {NULL};
        ::EnumWindows(IsRunningInstanceWindow, reinterpret_cast<LPARAM>(&search));
        return search.hWndFound != NULL ? 1 : 0;
    }
    catch (CFileException* pException)
    {
        ShowFileException(pException, true);
    }
    catch (...)
    {
        AppMessageBox("STDMETHODIMP CLetrova::Letrova(). Unhandled exception!!!", MB_ICONSTOP, NULL);
    }
    return 0;
}

BOOL CALLBACK CLetrova::IsRunningInstanceWindow(HWND hWnd, LPARAM lParam)
{
    DWORD_PTR dwResult = 0;
    if (!::SendMessageTimeoutA(hWnd, LetrovaAreYouMe, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kAreYouMeAnswerMs,
                               &dwResult))
        return TRUE;
    if (dwResult != LetrovaAreYouMe)
        return TRUE;
    reinterpret_cast<CRunningInstanceSearch*>(lParam)->hWndFound = hWnd;
    return FALSE;
}

void CLetrova::StartThreadManager(const CString& strCmdLine)
{
    if (!m_database.m_bOpened)
        OpenDatabase();
    for (;;)
    {
        if (s_bManagerFinished && m_hManagerThread != NULL)
        {
            ::CloseHandle(m_hManagerThread);
            m_hManagerThread = NULL;
        }
        if (m_hManagerThread == NULL)
        {
            if (m_hEventManagerFinished != NULL)
                ::CloseHandle(m_hEventManagerFinished);
            m_hEventManagerFinished = ::CreateEventA(NULL, FALSE, FALSE, NULL);
            CManagerStart* pStart = new CManagerStart;
            // The thread signals its own copy: this object (and its handle) may be gone when it ends.
            pStart->hEventFinished = NULL;
            ::DuplicateHandle(::GetCurrentProcess(), m_hEventManagerFinished, ::GetCurrentProcess(),
                              &pStart->hEventFinished, 0, FALSE, DUPLICATE_SAME_ACCESS);
            pStart->strCmdLine = strCmdLine;
            pStart->pbFinished = &s_bManagerFinished;
            pStart->lExtra = 0;
            g_ThreadManager.BeginRun();
            // The running manager keeps the library loaded: DllCanUnloadNow must not free its code.
            _Module.Lock();
            DWORD dwThreadId = 0;
            ::InterlockedExchange(&s_bManagerFinished, 0);
            m_hManagerThread = ::CreateThread(NULL, 0, ManagerThreadProc, pStart, 0, &dwThreadId);
            if (m_hManagerThread == NULL)
            {
                ::InterlockedExchange(&s_bManagerFinished, 1);
                _Module.Unlock();
                g_ThreadManager.EndRun();
                if (pStart->hEventFinished != NULL)
                    ::CloseHandle(pStart->hEventFinished);
                delete pStart;
                AppMessageBox("ERROR: Cannot create thread!!!", 0, NULL);
            }
            return;
        }
        // Thread tables change on the manager thread only, so a running manager gets the command posted.
        g_ThreadManager.WaitUntilReady(m_hManagerThread);
        if (g_ThreadManager.PostAddThread(strCmdLine))
            return;
        // The loop has just run dry: once the manager is done, a new one starts with the command.
        ::WaitForSingleObject(m_hManagerThread, INFINITE);
        ::InterlockedExchange(&s_bManagerFinished, 1);
    }
}

DWORD WINAPI CLetrova::ManagerThreadProc(LPVOID pParam)
{
    CManagerStart* pStart = static_cast<CManagerStart*>(pParam);
    DWORD dwResult = 0;
    try
    {
        dwResult = g_ThreadManager.Run(pStart->strCmdLine, SW_SHOW, ::GetCurrentThreadId(), pStart->lExtra);
    }
    catch (...)
    {
        dwResult = 0;
    }
    g_ThreadManager.EndRun();
    ::InterlockedExchange(pStart->pbFinished, 1);
    if (pStart->hEventFinished != NULL)
    {
        ::SetEvent(pStart->hEventFinished);
        ::CloseHandle(pStart->hEventFinished);
    }
    delete pStart;
    _Module.Unlock();
    return dwResult;
}

HRESULT CLetrova::CloseThreads(bool bWarn)
{
    ManagerWaitHook pfnWait = g_pfnManagerWaitHook != NULL ? g_pfnManagerWaitHook : ::WaitForSingleObject;
    try
    {
        g_ThreadManager.CloseAreYouMe();
        if (m_hManagerThread != NULL)
        {
            if (!bWarn)
                pfnWait(m_hEventManagerFinished, INFINITE);
            else if (pfnWait(m_hEventManagerFinished, kCloseWarningMs) == WAIT_TIMEOUT)
            {
                CString strText;
                strText.Format(LoadText(IDS_CLOSE_ALL_WINDOWS), LoadText(IDS_PROJNAME).GetString());
                AppMessageBox(strText, MB_ICONINFORMATION, NULL);
                pfnWait(m_hEventManagerFinished, INFINITE);
            }
            ::CloseHandle(m_hManagerThread);
            m_hManagerThread = NULL;
        }
    }
    catch (CException* pException)
    {
        ShowErrorReportPrompt(pException->m_strMessage, NULL);
        delete pException;
    }
    catch (...)
    {
    }
    return S_OK;
}
