// A frame built as the application's frames are: command bar, toolbar in a rebar, status bar, UI update.
#pragma once

#include <atlapp.h>
#include <atlctrls.h>
#include <atlctrlw.h>
#include <atlframe.h>

#include "tests/platform/wtl/SampleResource.h"

extern CAppModule _Module;

class CSampleFrame : public CFrameWindowImpl<CSampleFrame>,
                     public CUpdateUI<CSampleFrame>,
                     public CMessageFilter,
                     public CIdleHandler
{
public:
    DECLARE_FRAME_WND_CLASS("OrbTestSampleFrame", IDR_SAMPLEFRAME)

    BEGIN_UPDATE_UI_MAP(CSampleFrame)
        UPDATE_ELEMENT(ID_SAMPLE_ENABLED, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_SAMPLE_DISABLED, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_SAMPLE_CHECKED, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
    END_UPDATE_UI_MAP()

    BEGIN_MSG_MAP(CSampleFrame)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_INITMENUPOPUP, OnInitMenuPopup)
        COMMAND_ID_HANDLER(ID_SAMPLE_ENABLED, OnSampleEnabled)
        COMMAND_ID_HANDLER(ID_SAMPLE_DISABLED, OnSampleDisabled)
        COMMAND_ID_HANDLER(ID_SAMPLE_POST, OnPostToManager)
        CHAIN_MSG_MAP(CUpdateUI<CSampleFrame>)
        CHAIN_MSG_MAP(CFrameWindowImpl<CSampleFrame>)
    END_MSG_MAP()

    explicit CSampleFrame(DWORD dwManagerThread = 0) : m_dwManagerThread(dwManagerThread) {}

    CCommandBarCtrl m_CmdBar;
    CToolBarCtrl m_wndToolBar;
    CEdit m_wndClient;
    DWORD m_dwManagerThread;
    volatile LONG m_nEnabledRuns = 0;
    volatile LONG m_nDisabledRuns = 0;
    HMENU m_hLastPopup = NULL;

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        return CFrameWindowImpl<CSampleFrame>::PreTranslateMessage(pMsg);
    }
    BOOL OnIdle() override
    {
        UIUpdateToolBar();
        return FALSE;
    }

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&)
    {
        HWND hWndCmdBar = m_CmdBar.Create(m_hWnd, rcDefault, NULL, ATL_SIMPLE_CMDBAR_PANE_STYLE);
        m_CmdBar.AttachMenu(GetMenu());
        m_CmdBar.LoadImages(IDR_SAMPLEFRAME);
        SetMenu(NULL);

        m_wndToolBar = CreateSimpleToolBarCtrl(m_hWnd, IDR_SAMPLEFRAME, FALSE, ATL_SIMPLE_TOOLBAR_PANE_STYLE);
        CreateSimpleReBar(ATL_SIMPLE_REBAR_NOBORDER_STYLE);
        AddSimpleReBarBand(hWndCmdBar);
        AddSimpleReBarBand(m_wndToolBar, NULL, TRUE);
        CreateSimpleStatusBar();
        m_hWndClient = m_wndClient.Create(m_hWnd, rcDefault, "client", WS_CHILD | WS_VISIBLE | ES_MULTILINE,
                                          WS_EX_CLIENTEDGE);

        UIAddToolBar(m_wndToolBar);
        UIEnable(ID_SAMPLE_DISABLED, FALSE);
        UISetCheck(ID_SAMPLE_CHECKED, 1);

        CMessageLoop* pLoop = _Module.GetMessageLoop();
        pLoop->AddMessageFilter(this);
        pLoop->AddIdleHandler(this);
        return 0;
    }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
    {
        CMessageLoop* pLoop = _Module.GetMessageLoop();
        pLoop->RemoveMessageFilter(this);
        pLoop->RemoveIdleHandler(this);
        ::DestroyMenu(m_CmdBar.GetMenu());
        bHandled = FALSE;
        return 0;
    }
    LRESULT OnInitMenuPopup(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
    {
        m_hLastPopup = (HMENU)wParam;
        bHandled = FALSE;
        return 0;
    }
    LRESULT OnSampleEnabled(WORD, WORD, HWND, BOOL&)
    {
        ::InterlockedIncrement(&m_nEnabledRuns);
        return 0;
    }
    LRESULT OnSampleDisabled(WORD, WORD, HWND, BOOL&)
    {
        ::InterlockedIncrement(&m_nDisabledRuns);
        return 0;
    }
    LRESULT OnPostToManager(WORD, WORD, HWND, BOOL&)
    {
        ::PostThreadMessageA(m_dwManagerThread, WM_USER, ID_SAMPLE_POST, 42);
        return 0;
    }
};
