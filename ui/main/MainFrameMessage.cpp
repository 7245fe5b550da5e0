// The window of a stored message.
#include "ui/main/MainFrameMessage.h"

CMainFrameMessage::CMainFrameMessage(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, LONG nEmailsID,
                                     DWORD dwThreadId, int bHide, volatile LONG* pThreadCount)
    : _baseClass(pDatabaseMy, pRegistry, dwThreadId, bHide, pThreadCount), m_nEmailsID(nEmailsID)
{
    m_dialog.Setup(pDatabaseMy != NULL ? &pDatabaseMy->m_Local : NULL, &m_hWnd, m_dwThreadId);
    m_dialog.m_nEmailsID = nEmailsID;
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\nCMainFrameMessage()");
}

CMainFrameMessage::~CMainFrameMessage()
{
    if (IsTraceOn())
        g_pTraceFile->WriteText("\r\n~CMainFrameMessage()");
}

HWND CMainFrameMessage::CreateMessageDialog(HWND hParent)
{
    return m_dialog.Create(hParent);
}
