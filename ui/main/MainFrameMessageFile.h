// The window of a message read from an ".eml" file.
#pragma once

#include "ui/main/DlgMessageFile.h"
#include "ui/main/MainFrameMessageBase.h"

class CMainFrameMessageFile : public CMainFrameMessageBase<CMainFrameMessageFile, CDlgMessageFile>
{
public:
    typedef CMainFrameMessageBase<CMainFrameMessageFile, CDlgMessageFile> _baseClass;

    DECLARE_FRAME_WND_CLASS("LetrovaMessageFileFrame", IDR_MESSAGE_FRAME)

    BEGIN_MSG_MAP(CMainFrameMessageFile)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        CHAIN_MSG_MAP(_baseClass)
    END_MSG_MAP()

    CMainFrameMessageFile(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, const char* pszPath,
                          DWORD dwThreadId, int bHide, volatile LONG* pThreadCount);
    ~CMainFrameMessageFile();

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled);
    HWND CreateMessageDialog(HWND hParent);

    HMODULE m_hRichEdit = NULL;
};
