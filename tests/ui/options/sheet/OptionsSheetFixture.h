// The Options sheet on a store of its own: an owner frame that answers the "Get" messages from the three
// databases and records the commands it is sent, a recording thread as the main window's thread, and the
// sheet run modally on a UI thread of its own.
#pragma once

#include <windows.h>

#include <atlwin.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "foundation/Registry.h"
#include "store/DatabaseMy.h"
#include "tests/support/RecordingThread.h"
#include "tests/support/UiThread.h"
#include "ui/main/Main.h"

class COptionsOwner : public CWindowImpl<COptionsOwner>
{
public:
    DECLARE_WND_CLASS("OrbTestOptionsOwner")

    COptionsOwner(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwMainThread)
        : m_main(pDatabaseMy, pRegistry, dwMainThread)
    {
    }
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                              DWORD dwMsgMapID = 0) override;
    std::vector<WORD> Commands();

    CMain m_main;
    HANDLE m_hRunState = NULL;

private:
    std::mutex m_lock;
    std::vector<WORD> m_commands;
};

class COptionsSheetFixture
{
public:
    COptionsSheetFixture();
    ~COptionsSheetFixture();

    // Shows the sheet on its start page; its window, or NULL.
    HWND Open(UINT nStartPage = 0);
    // Selects a page and waits until it shows; its window.
    HWND ShowPage(int nIndex);
    int ActiveIndex();
    // Waits until the sheet, still open, shows the page (after a refusal).
    bool StaysOn(int nPage);
    // Presses OK or Cancel. OK waits until the sheet closed or a message box came; Cancel until it closed.
    void PressOk();
    bool Cancel();
    bool Closed() { return m_pSheetThread->WaitForExit(0); }
    INT_PTR Result() const { return m_nResult; }

    // The check box's state and its click notice, so that the page's enabling runs.
    void Click(HWND hWndPage, int nID, bool bChecked);
    void Type(HWND hWndPage, int nID, const char* pszText);

    // Message boxes shown so far; each is answered from the queue, else No for a question and OK otherwise.
    std::vector<std::string> Boxes();
    void AnswerNext(int nAnswer);

    // A fresh settings object's reading of a value of section "Options" (-1 / "<none>" when missing).
    int StoredInt(const char* pszName);
    std::string StoredText(const char* pszName);

    CSession& Local() { return m_pDatabase->m_Local.m_session; }
    CSession& Orb() { return m_pDatabase->m_Orb.m_session; }

    CScratchFolder m_folder{"optsheet"};
    CScriptedUser m_user;
    std::unique_ptr<CRegistry> m_pRegistry;
    std::unique_ptr<CDatabaseMy> m_pDatabase;
    CRecordingThread m_mainThread;
    CUiThread m_ownerThread;
    std::unique_ptr<COptionsOwner> m_pOwner;
    std::unique_ptr<CUiThread> m_pSheetThread;
    HWND m_hWndSheet = NULL;
    INT_PTR m_nResult = -2;
    int m_nSaved[4] = {};

    static std::mutex s_boxLock;
    static std::vector<std::string> s_boxes;
    static std::deque<int> s_answers;
};
