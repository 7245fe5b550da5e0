// The hidden frame of the Simple MAPI calls.
#include "app/MainFrameHidden.h"

#include "app/Letrova.h"
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FoundationUi.h"
#include "foundation/TraceFile.h"

CMainFrameHidden::CMainFrameHidden(CLetrova* pLetrova)
    : CMain(&pLetrova->m_database, &pLetrova->m_registry, 0)
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCMainFrameHidden()");
}

CMainFrameHidden::CMainFrameHidden(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwThreadId)
    : CMain(pDatabaseMy, pRegistry, dwThreadId)
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCMainFrameHidden()");
}

CMainFrameHidden::~CMainFrameHidden()
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n~CMainFrameHidden()");
}

HWND CMainFrameHidden::CreateHidden(HWND hWndParent)
{
    if (hWndParent == NULL || !::IsWindow(hWndParent))
        hWndParent = ::GetDesktopWindow();
    RECT rc = {10, 10, 200, 50};
    return Create(hWndParent, rc, NULL, WS_CHILD, 0);
}

CHiddenFrameHolder::CHiddenFrameHolder(CLetrova* pLetrova, LONG_PTR ulUIParam) : m_frame(pLetrova)
{
    if (m_frame.CreateHidden(reinterpret_cast<HWND>(ulUIParam)) == NULL)
        throw new CException("ERROR: Create the hidden frame failed!\r\n" + GetLastErrorText());
}

CHiddenFrameHolder::~CHiddenFrameHolder()
{
    if (m_frame.m_hWnd != NULL && ::IsWindow(m_frame.m_hWnd))
        m_frame.DestroyWindow();
}
