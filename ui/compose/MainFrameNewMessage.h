// The new-message window: its menus and toolbars around the compose dialog, the commands that the dialog
// leaves to it and the question whether to save on closing.
#pragma once

#include <windows.h>

#include <atlctrlw.h>

#include "resources/resource.h"
#include "ui/compose/ComposeCommands.h"
#include "ui/compose/DlgNewMessage.h"
#include "ui/main/EditorToolBar.h"
#include "ui/main/MainFrameBase.h"
#include "ui/main/MessageClientWindow.h"

class CMainFrameNewMessage : public CMainFrameBase<CMainFrameNewMessage>
{
public:
    typedef CMainFrameBase<CMainFrameNewMessage> _baseClass;

    DECLARE_FRAME_WND_CLASS("LetrovaNewMessageFrame", IDR_NEW_MESSAGE_HTML)

    BEGIN_UPDATE_UI_MAP(CMainFrameNewMessage)
        UPDATE_ELEMENT(ID_VIEW_TOOLBAR, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_VIEW_STATUS_BAR, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ComposeCommand::ID_ALL_HEADERS, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ComposeCommand::ID_SOURCE_EDIT, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ComposeCommand::ID_READ_RECEIPT, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ComposeCommand::ID_MY_BUSINESS_CARD, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ComposeCommand::ID_USE_MACRO, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ComposeCommand::ID_CONTACT_MACROS, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ComposeCommand::ID_SIGNATURE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ComposeCommand::ID_RICH_TEXT, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ComposeCommand::ID_PLAIN_TEXT, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ComposeCommand::ID_PRIORITY_HIGH, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ComposeCommand::ID_PRIORITY_NORMAL, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ComposeCommand::ID_PRIORITY_LOW, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ComposeCommand::ID_SEND, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ComposeCommand::ID_SEND_INDIVIDUAL, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_EDIT_CUT, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_EDIT_COPY, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_EDIT_PASTE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_EDIT_UNDO, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_EDIT_REDO, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_SELECT_ALL_ITEMS, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_EDIT_FIND_TEXT, UPDUI_MENUPOPUP)
    END_UPDATE_UI_MAP()

    BEGIN_MSG_MAP(CMainFrameNewMessage)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SYSCOMMAND, OnSysCommand)
        MESSAGE_HANDLER(WM_QUERYENDSESSION, OnQueryEndSession)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        NOTIFY_CODE_HANDLER(TBN_DROPDOWN, OnToolBarDropDown)
        MESSAGE_HANDLER(WM_INITMENUPOPUP, OnInitMenuPopup)
        MESSAGE_HANDLER(WM_MEASUREITEM, OnMeasureItem)
        MESSAGE_HANDLER(WM_DRAWITEM, OnDrawItem)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroyFrame)
        CHAIN_MSG_MAP(_baseClass)
    END_MSG_MAP()

    CMainFrameNewMessage(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwManagerThreadId,
                         const CNewMessageArgs& args, volatile LONG* pThreadCount = NULL);
    ~CMainFrameNewMessage();

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnIdle() override;

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnQueryEndSession(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnToolBarDropDown(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnDestroyFrame(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnInitMenuPopup(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnMeasureItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);

    // What the frame base asks about the focused window: in HTML the preview or the editor first.
    bool HasSelection(HWND hWnd) { return CanCopy(hWnd, false); }
    bool CanSelectAll(HWND hWnd, bool bReadOnly);
    bool CanFindText(HWND hWnd, bool bReadOnly);
    // 1 yes, 0 no, -1 ask the focused edit control.
    int HtmlAnswer(HWND hWnd, long nCommand, bool bPreviewAnswers);
    bool CanCopy(HWND hWnd, bool bReadOnly);
    bool CanCut(HWND hWnd, bool bReadOnly);
    bool CanPaste(HWND hWnd, bool bReadOnly);
    bool CanUndo(HWND hWnd, bool bReadOnly);
    bool CanRedo(HWND hWnd, bool bReadOnly);

    enum CloseAnswer
    {
        CLOSE_YES,
        CLOSE_NO,
        CLOSE_BUSY
    };
    // The save query of closing and of the end of the session.
    CloseAnswer QueryClose();
    // HTML on: the HTML menu and the formatting band; off: the plain-text menu without it.
    void ApplyFormat(bool bHtml);

    CColorMenu m_colorBack;
    CCommandBarCtrl m_cmdBar;
    CEditorToolBar m_formatBar;
    HWND m_hWndMainToolBar = NULL;
    CMessageClientWindow m_client;
    CDlgNewMessage m_dialog;
    HMENU m_hMenuHtml = NULL;
    HMENU m_hMenuText = NULL;
    HMENU m_hMenuStyle = NULL;
    HMODULE m_hRichEdit = NULL;
    int m_bCreateFailed = 0;
    int m_bUseMacro = 0;
    int m_bContactMacros = 0;

private:
    void InsertMacro(WORD nCommand);
    void ShowDropDown(HWND hWndToolBar, int nCommand, UINT nMenu);
};
