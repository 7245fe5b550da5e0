// The frame every top-level window derives from: the "Get" answers, the shared commands, help, the About
// box, the trace by e-mail, the status-bar texts, idle enabling and the close handling.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atlapp.h>
#include <atlframe.h>
#include <atlstr.h>
#include <atlwin.h>

#include "app/CmdLineHolder.h"
#include "foundation/TraceFile.h"
#include "foundation/WindowMessages.h"
#include "ui/main/DlgPrint.h"
#include "ui/main/FrameBaseSupport.h"
#include "ui/main/Main.h"
#include "store/DatabaseMy.h"
#include "ui/main/MainCommands.h"

extern CAppModule _Module;

template <class T>
class CMainFrameBase : public CFrameWindowImpl<T>,
                       public CUpdateUI<T>,
                       public CMessageFilter,
                       public CIdleHandler,
                       public CMain
{
public:
    typedef CFrameWindowImpl<T> _frameBase;

    BEGIN_MSG_MAP(CMainFrameBase)
        MESSAGE_HANDLER(WM_SYSCOMMAND, OnSysCommand)
        MESSAGE_HANDLER(LetrovaGetAccountsDatabase, OnGetAccountsDatabase)
        MESSAGE_HANDLER(LetrovaGetMyDatabase, OnGetMyDatabase)
        MESSAGE_HANDLER(LetrovaEnable, OnEnable)
        MESSAGE_HANDLER(LetrovaAreYouMe, OnAreYouMe)
        MESSAGE_HANDLER(WM_COMMAND, OnBaseCommand)
        CHAIN_MSG_MAP(CUpdateUI<T>)
        CHAIN_MSG_MAP(_frameBase)
        MESSAGE_HANDLER(WM_INITMENUPOPUP, OnInitMenuPopup)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_MENUSELECT, OnMenuSelect)
        CHAIN_MSG_MAP(CMain)
    END_MSG_MAP()

    CMainFrameBase(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwThreadId, int bHide,
                   volatile LONG* pThreadCount)
        : CMain(pDatabaseMy, pRegistry, dwThreadId), m_bHide(bHide), m_pThreadCount(pThreadCount)
    {
    }

    // The frame's own window classes; a derived frame may give other styles.
    HWND CreateEx(HWND hWndParent = NULL, ATL::_U_RECT rect = NULL, DWORD dwStyle = 0, DWORD dwExStyle = 0,
                  LPVOID lpCreateParam = NULL)
    {
        if (dwStyle == 0)
            dwStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
        if (dwExStyle == 0)
            dwExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
        return _frameBase::CreateEx(hWndParent, rect, dwStyle, dwExStyle, lpCreateParam);
    }

    BOOL PreTranslateMessage(MSG* pMsg) override { return _frameBase::PreTranslateMessage(pMsg); }

    BOOL OnIdle() override
    {
        HWND hFocus = ::GetFocus();
        if (hFocus != NULL)
        {
            T* pT = static_cast<T*>(this);
            bool bReadOnly = (::GetWindowLongA(hFocus, GWL_STYLE) & ES_READONLY) != 0;
            this->UIEnable(ID_EDIT_CUT, pT->CanCut(hFocus, bReadOnly));
            this->UIEnable(ID_EDIT_COPY, pT->CanCopy(hFocus, bReadOnly));
            this->UIEnable(ID_EDIT_UNDO, pT->CanUndo(hFocus, bReadOnly));
            this->UIEnable(ID_EDIT_REDO, pT->CanRedo(hFocus, bReadOnly));
            this->UIEnable(ID_EDIT_PASTE, pT->CanPaste(hFocus, bReadOnly));
            this->UIEnable(ID_SELECT_ALL_ITEMS, pT->CanSelectAll(hFocus, bReadOnly));
            this->UIEnable(ID_EDIT_FIND_TEXT, pT->CanFindText(hFocus, bReadOnly));
            this->UIEnable(ID_MOVE_TO_FOLDER, FocusAnswers(hFocus, ID_CAN_MOVE_TO_FOLDER));
            this->UIEnable(ID_MARK_AS_READ, FocusAnswers(hFocus, ID_CAN_MARK_AS_READ));
            this->UIEnable(ID_MARK_AS_UNREAD, FocusAnswers(hFocus, ID_CAN_MARK_AS_UNREAD));
            this->UIEnable(ID_MARK_ALL_READ, FocusAnswers(hFocus, ID_CAN_MARK_ALL_READ));
            this->UIEnable(ID_EDIT_DELETE, FocusAnswers(hFocus, ID_CAN_DELETE));
        }
        this->UIUpdateToolBar();
        return FALSE;
    }

    // The questions the idle handler asks about the focused window; frames may answer otherwise.
    bool HasSelection(HWND hWnd) { return FocusHasSelection(hWnd); }
    bool CanCut(HWND hWnd, bool bReadOnly) { return FocusCanCut(hWnd, bReadOnly); }
    bool CanCopy(HWND hWnd, bool bReadOnly) { return FocusCanCopy(hWnd, bReadOnly); }
    bool CanPaste(HWND hWnd, bool bReadOnly) { return FocusCanPaste(hWnd, bReadOnly); }
    bool CanUndo(HWND hWnd, bool bReadOnly) { return FocusCanUndo(hWnd, bReadOnly); }
    bool CanRedo(HWND hWnd, bool bReadOnly) { return FocusCanRedo(hWnd, bReadOnly); }
    bool CanSelectAll(HWND hWnd, bool) { return FocusAnswers(hWnd, ID_CAN_SELECT_ALL); }
    bool CanFindText(HWND hWnd, bool) { return FocusAnswers(hWnd, ID_CAN_FIND_TEXT); }
    CString GetHelpFolder() { return CString(); }

    LRESULT OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
    {
        if ((wParam & 0xFFF0) == SC_CLOSE)
        {
            if (IsTraceOn())
                g_pTraceFile->Write("\r\nCMainFrameBase::OnSysCommand(...). wParam = SC_CLOSE");
            if (m_bHide && m_pThreadCount != NULL && *m_pThreadCount != 1 && this->IsWindowVisible())
            {
                this->ShowWindow(SW_HIDE);
                return 1;
            }
        }
        bHandled = FALSE;
        return 0;
    }

    LRESULT OnGetAccountsDatabase(UINT, WPARAM wParam, LPARAM, BOOL&)
    {
        *reinterpret_cast<CDatabaseAccounts**>(wParam) = m_pDatabaseMy != NULL ? &m_pDatabaseMy->m_Accounts : NULL;
        return 1;
    }

    LRESULT OnGetMyDatabase(UINT, WPARAM wParam, LPARAM, BOOL&)
    {
        *reinterpret_cast<CDatabaseMy**>(wParam) = m_pDatabaseMy;
        return 1;
    }

    LRESULT OnEnable(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        this->UIEnable((int)wParam, lParam != 0);
        if (m_hWndToolBarHolder != NULL && ::IsWindow(m_hWndToolBarHolder))
            ::SendMessageA(m_hWndToolBarHolder, TB_ENABLEBUTTON, wParam, LOWORD(lParam));
        return 1;
    }

    LRESULT OnAreYouMe(UINT, WPARAM, LPARAM, BOOL&)
    {
        CCmdLineHolder holder(m_dwThreadId);
        LRESULT lResult = holder.OnAreYouMe();
        m_strCmdLine = holder.m_strCmdLine;
        return lResult;
    }

    LRESULT OnBaseCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
    {
        switch (LOWORD(wParam))
        {
        case ID_NEW_MESSAGE_MENU:
            PostToManager(ID_NEW_MESSAGE_MENU, 0);
            return 1;
        case ID_MAIN_WINDOW_MENU:
            PostToManager(ID_MAIN_WINDOW_MENU, 0);
            return 0;
        case ID_VIEW_TOOLBAR:
            OnViewToolBar();
            return 0;
        case ID_VIEW_STATUS_BAR:
            OnViewStatusBar();
            return 0;
        case ID_APP_ABOUT:
            ShowAboutBox(this->m_hWnd);
            return 0;
        case ID_HELP_CONTENTS:
            OpenFrameHelp(static_cast<T*>(this)->GetHelpFolder());
            return 0;
        case ID_SET_STATUSBAR:
            m_strStatusText = CutStatusText(reinterpret_cast<const char*>(lParam));
            SetSimpleStatusText(m_strStatusText);
            return 1;
        case ID_SET_STATUSBAR_2:
        {
            CString strText = CutStatusText(reinterpret_cast<const char*>(lParam));
            SetSimpleStatusText(strText.IsEmpty() ? m_strStatusText : strText);
            return 1;
        }
        case ID_PRINT:
            m_dlgPrint.Print(this->m_hWnd, reinterpret_cast<const char*>(lParam));
            return 1;
        case ID_EMAIL_TRACE:
            EmailTraceFile(this->m_hWnd, m_pRegistry);
            return 1;
        }
        bHandled = FALSE;
        return 0;
    }

    LRESULT OnInitMenuPopup(UINT, WPARAM, LPARAM, BOOL&)
    {
        this->SendMessage(WM_COMMAND, ID_INIT_MENU_POPUP, (LPARAM)this->GetMenu());
        return 0;
    }

    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
    {
        this->SendMessage(WM_COMMAND, ID_CLOSE_LOCAL_DATABASE, 0);
        return 0;
    }

    LRESULT OnMenuSelect(UINT, WPARAM wParam, LPARAM lParam, BOOL&)
    {
        HMENU hMenu = (HMENU)lParam;
        if (hMenu != NULL && !(HIWORD(wParam) & MF_POPUP))
        {
            int nCount = ::GetMenuItemCount(hMenu);
            for (int i = 0; i < nCount; i++)
            {
                if (::GetMenuState(hMenu, i, MF_BYPOSITION) & MF_HILITE)
                {
                    char szText[256] = "";
                    ::GetMenuStringA(hMenu, i, szText, sizeof(szText), MF_BYPOSITION);
                    m_strHighlightedText = szText;
                    break;
                }
            }
        }
        return 0;
    }

    void OnViewToolBar()
    {
        s_bToolBarVisible = !s_bToolBarVisible;
        if (this->m_hWndToolBar != NULL)
        {
            int nBand = (int)::SendMessageA(this->m_hWndToolBar, RB_IDTOINDEX, ATL_IDW_BAND_FIRST + 1, 0);
            ::SendMessageA(this->m_hWndToolBar, RB_SHOWBAND, nBand, s_bToolBarVisible);
        }
        this->UISetCheck(ID_VIEW_TOOLBAR, s_bToolBarVisible);
        this->UpdateLayout();
    }

    void OnViewStatusBar()
    {
        BOOL bVisible = ::IsWindowVisible(this->m_hWndStatusBar);
        ::ShowWindow(this->m_hWndStatusBar, bVisible ? SW_HIDE : SW_SHOWNOACTIVATE);
        this->UISetCheck(ID_VIEW_STATUS_BAR, !bVisible);
        this->UpdateLayout();
    }

    void SetSimpleStatusText(const char* pszText)
    {
        if (this->m_hWndStatusBar == NULL)
            return;
        ::SendMessageA(this->m_hWndStatusBar, SB_SIMPLE, TRUE, 0);
        ::SendMessageA(this->m_hWndStatusBar, SB_SETTEXTA, 255 | SBT_NOBORDERS, (LPARAM)pszText);
    }

    // Registers the frame with its thread's loop; a frame calls it from its WM_CREATE.
    void RegisterWithLoop()
    {
        CMessageLoop* pLoop = _Module.GetMessageLoop();
        if (pLoop != NULL)
        {
            pLoop->AddMessageFilter(this);
            pLoop->AddIdleHandler(this);
        }
    }
    void UnregisterFromLoop()
    {
        CMessageLoop* pLoop = _Module.GetMessageLoop();
        if (pLoop != NULL)
        {
            pLoop->RemoveMessageFilter(this);
            pLoop->RemoveIdleHandler(this);
        }
    }

    // Shared by every window of the class in the process.
    static int s_bToolBarVisible;

    HWND m_hWndToolBarHolder = NULL;
    CDlgPrint m_dlgPrint;
    CString m_strStatusText;
    CString m_strHighlightedText;
    int m_bHide;
    volatile LONG* m_pThreadCount;
    CString m_strCmdLine;

};

template <class T> int CMainFrameBase<T>::s_bToolBarVisible = 1;
