// The window of a stored message.
#pragma once

#include "ui/main/DlgMessage.h"
#include "ui/main/MainFrameMessageBase.h"

class CMainFrameMessage : public CMainFrameMessageBase<CMainFrameMessage, CDlgMessage>
{
public:
    typedef CMainFrameMessageBase<CMainFrameMessage, CDlgMessage> _baseClass;

    DECLARE_FRAME_WND_CLASS("LetrovaMessageFrame", IDR_MESSAGE_FRAME)

    BEGIN_MSG_MAP(CMainFrameMessage)
        CHAIN_MSG_MAP(_baseClass)
    END_MSG_MAP()

    CMainFrameMessage(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, LONG nEmailsID, DWORD dwThreadId,
                      int bHide, volatile LONG* pThreadCount);
    ~CMainFrameMessage();

    HWND CreateMessageDialog(HWND hParent);

    LONG m_nEmailsID;
};
