// What the two message windows share: the command bar, rebar and status bar, the message commands that
// follow the local database, the exit commands and the client window that holds the message dialog.
#pragma once

#include <windows.h>

#include <atlctrlw.h>

#include "app/LetrovaGlobals.h"
#include "resources/resource.h"
#include "ui/main/MainFrameBase.h"
#include "ui/main/MessageClientWindow.h"

namespace MessageFrameCommands
{
const WORD ID_PREVIOUS_MESSAGE = 32807;
const WORD ID_NEXT_MESSAGE = 32808;
const WORD ID_ADDRESS_BOOK_WINDOW = 32903;
const WORD ID_PROPERTIES = 32790;
// The commands that need the local database open.
const WORD kDataCommands[] = {ID_PREVIOUS_MESSAGE, ID_NEXT_MESSAGE,       ID_REPLY,
                              ID_FORWARD,          ID_FILE_PRINT_MESSAGE, ID_EDIT_DELETE};
} // namespace MessageFrameCommands

template <class T, class TDlg> class CMainFrameMessageBase : public CMainFrameBase<T>
{
public:
    typedef CMainFrameBase<T> _baseClass;

    BEGIN_UPDATE_UI_MAP(CMainFrameMessageBase)
        UPDATE_ELEMENT(MessageFrameCommands::ID_PREVIOUS_MESSAGE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(MessageFrameCommands::ID_NEXT_MESSAGE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_REPLY, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_FORWARD, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_FILE_PRINT_MESSAGE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_EDIT_DELETE, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_VIEW_TOOLBAR, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_VIEW_STATUS_BAR, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_EDIT_COPY, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_SELECT_ALL_ITEMS, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_EDIT_FIND_TEXT, UPDUI_MENUPOPUP)
    END_UPDATE_UI_MAP()

    BEGIN_MSG_MAP(CMainFrameMessageBase)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_COMMAND, OnMessageFrameCommand)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroyFrame)
        CHAIN_MSG_MAP(_baseClass)
        MESSAGE_HANDLER(WM_COMMAND, OnClientCommand)
    END_MSG_MAP()

    CMainFrameMessageBase(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwThreadId, int bHide,
                          volatile LONG* pThreadCount)
        : _baseClass(pDatabaseMy, pRegistry, dwThreadId, bHide, pThreadCount),
          m_client([this](HWND hParent) { return static_cast<T*>(this)->CreateMessageDialog(hParent); })
    {
    }

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&)
    {
        HWND hWndCmdBar =
            m_cmdBar.Create(this->m_hWnd, this->rcDefault, NULL,
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_FLAT |
                                TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE);
        m_cmdBar.AttachMenu(this->GetMenu());
        m_cmdBar.LoadImages(IDR_MESSAGE_FRAME);
        this->SetMenu(NULL);
        this->m_hWndToolBarHolder = hWndCmdBar;

        this->CreateSimpleReBar(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_AUTOSIZE |
                                    RBS_BANDBORDERS | RBS_VARHEIGHT | CCS_NODIVIDER,
                                ATL_IDW_TOOLBAR);
        this->AddSimpleReBarBand(hWndCmdBar, NULL, TRUE);
        this->CreateSimpleStatusBar(
            ATL_IDS_IDLEMESSAGE, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SBARS_SIZEGRIP,
            ATL_IDW_STATUS_BAR);

        static_cast<T*>(this)->CreateClient();

        this->UIAddToolBar(hWndCmdBar);
        this->UIAddMenuBar(hWndCmdBar);
        this->UISetCheck(ID_VIEW_TOOLBAR, 1);
        this->UISetCheck(ID_VIEW_STATUS_BAR, 1);
        this->RegisterWithLoop();
        return 0;
    }

    LRESULT OnDestroyFrame(UINT, WPARAM, LPARAM, BOOL& bHandled)
    {
        this->UnregisterFromLoop();
        // The menu went to the command bar, so the window no longer destroys it with itself.
        HMENU hMenu = m_cmdBar.GetMenu();
        m_cmdBar.AttachMenu(NULL);
        if (hMenu != NULL)
            ::DestroyMenu(hMenu);
        bHandled = FALSE;
        return 0;
    }

    LRESULT OnMessageFrameCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
    {
        switch (LOWORD(wParam))
        {
        case ID_APP_EXIT:
            this->PostMessage(WM_CLOSE);
            return 0;
        case ID_FILE_NEW:
            return 0;
        case MessageFrameCommands::ID_ADDRESS_BOOK_WINDOW:
            this->PostToManager(0, 0);
            return 0;
        case ID_CLOSE_LOCAL_DATABASE:
        case ID_OPEN_LOCAL_DATABASE:
            for (WORD nID : MessageFrameCommands::kDataCommands)
                this->UIEnable(nID, LOWORD(wParam) == ID_OPEN_LOCAL_DATABASE);
            this->UIUpdateToolBar();
            break;
        }
        bHandled = FALSE;
        return 0;
    }

    LRESULT OnClientCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
    {
        if (m_client.m_hWnd == NULL || !::IsWindow(m_client.m_hWnd))
        {
            bHandled = FALSE;
            return 0;
        }
        return m_client.SendMessage(WM_COMMAND, wParam, lParam);
    }

    void CreateClient()
    {
        m_client.Create(this->m_hWnd, this->rcDefault, NULL, WS_CHILD | WS_VISIBLE);
        this->m_hWndClient = m_client.m_hWnd;
        // The dialog releases the manager when it has shown its message; without a dialog nobody would.
        if (m_client.m_hWndDialog == NULL && g_hEventMessageWindow != NULL)
            ::SetEvent(g_hEventMessageWindow);
    }

    // The frame's questions about the focused window: the panes of the dialog answer for themselves.
    bool HasSelection(HWND hWnd) { return m_dialog.PaneAllowsCopy(hWnd, true) || FocusHasSelection(hWnd); }
    bool CanCopy(HWND hWnd, bool bReadOnly)
    {
        return m_dialog.PaneAllowsCopy(hWnd, false) || (FocusHasSelection(hWnd) && !bReadOnly);
    }
    bool CanSelectAll(HWND hWnd, bool)
    {
        return m_dialog.IsInPane(hWnd) || FocusAnswers(hWnd, ID_CAN_SELECT_ALL);
    }
    bool CanFindText(HWND hWnd, bool) { return FocusAnswers(hWnd, ID_CAN_FIND_TEXT); }

    CCommandBarCtrl m_cmdBar;
    CMessageClientWindow m_client;
    TDlg m_dialog;
};
