// The find-message window: a frame whose client holds the search dialog.
#pragma once

#include <windows.h>

#include <atlwin.h>

#include "ui/main/DlgFindMessage.h"
#include "ui/main/MainFrameBase.h"

class CFindMessageClient : public CWindowImpl<CFindMessageClient>
{
public:
    DECLARE_WND_CLASS_EX("LetrovaFindMessageClient", 0, COLOR_BTNFACE)

    BEGIN_MSG_MAP(CFindMessageClient)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    explicit CFindMessageClient(LONG nFolderID) : m_dlg(NULL, nFolderID) {}

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

    CDlgFindMessage m_dlg;
};

class CMainFrameFindMessage : public CMainFrameBase<CMainFrameFindMessage>
{
public:
    DECLARE_FRAME_WND_CLASS("LetrovaFindMessageFrame", IDR_FIND_MESSAGE)

    BEGIN_UPDATE_UI_MAP(CMainFrameFindMessage)
        UPDATE_ELEMENT(ID_FILE_OPEN_MESSAGE, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_FILE_SAVE_AS_MESSAGE, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(32790, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_REPLY, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_FORWARD, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_MOVE_TO_FOLDER, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_EDIT_DELETE, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_MARK_AS_READ, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_MARK_AS_UNREAD, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_MARK_ALL_READ, UPDUI_MENUPOPUP)
    END_UPDATE_UI_MAP()

    BEGIN_MSG_MAP(CMainFrameFindMessage)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SYSCOMMAND, OnSysCommand)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        CHAIN_MSG_MAP(CMainFrameBase<CMainFrameFindMessage>)
    END_MSG_MAP()

    CMainFrameFindMessage(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwThreadId, int bHide,
                          volatile LONG* pThreadCount, LONG nFolderID);
    ~CMainFrameFindMessage();

    BOOL PreTranslateMessage(MSG* pMsg) override;

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    CDlgFindMessage& Dialog() { return m_client.m_dlg; }

    CFindMessageClient m_client;
};
