// The accounts dialogs on a store of their own: an owner frame that answers the "Get" messages, a recording
// thread as the main window's thread, and each modal dialog run on a UI thread of its own.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlwin.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "foundation/Registry.h"
#include "store/AccountsTable.h"
#include "store/DatabaseMy.h"
#include "tests/support/RecordingThread.h"
#include "tests/support/UiThread.h"
#include "ui/main/Main.h"

// The frame that opened a dialog: answers the "Get" messages and keeps the commands sent to it.
class CAccountsOwner : public CWindowImpl<CAccountsOwner>
{
public:
    CAccountsOwner(CDatabaseMy* pDatabase, CRegistry* pRegistry, DWORD dwMainThreadId)
        : m_main(pDatabase, pRegistry, dwMainThreadId)
    {
    }

    BEGIN_MSG_MAP(CAccountsOwner)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        CHAIN_MSG_MAP_MEMBER(m_main)
    END_MSG_MAP()

    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    // "33041 Name" or "33042 Name" for each account command, in order.
    std::vector<std::string> Commands();

    CMain m_main;
    std::mutex m_lock;
    std::vector<std::string> m_commands;
};

class CAccountsFixture
{
public:
    CAccountsFixture();
    ~CAccountsFixture();

    // Adds an account through the store; returns its ID.
    LONG AddAccount(const char* pszName, BYTE nType = INCOMING_SERVER_POP3, LONG nFlags = 6,
                    const char* pszPassword = "");
    // A cleared record of a new account, as the wizard gets it.
    static CAccountsRecord NewRecord();
    // The account's row read back through a fresh table object.
    CAccountsRecord ReadAccount(LONG nID);

    // Runs the Internet Accounts dialog modally on the UI thread; returns its window once shown.
    HWND OpenAccountsDialog();
    // Runs the account sheet over the record modally on the UI thread; returns its window once shown.
    HWND OpenSheet(CAccountsRecord& record, int nMode);
    // Waits for the modal run to end; its result is in m_nResult.
    bool WaitForClosed() { return m_ui.WaitForExit(); }

    // The next message box of the UI thread: its text after pressing the button.
    std::string AnswerBox(int nButton);
    // A dialog of the UI thread with this caption.
    HWND FindDialog(const char* pszCaption);
    // A screenshot of the window once the UI thread has painted all of it.
    void Screenshot(HWND hWnd, const char* pszName);

    CSession& Accounts() { return m_pDatabase->m_Accounts.m_session; }
    long Query(const char* pszSQL) { return QueryLong(Accounts(), pszSQL); }
    long Query(const CString& strSQL) { return QueryLong(Accounts(), strSQL); }

    CScratchFolder m_folder{"accounts-ui"};
    std::unique_ptr<CRegistry> m_pRegistry;
    std::unique_ptr<CDatabaseMy> m_pDatabase;
    CRecordingThread m_mainThread;
    std::unique_ptr<CAccountsOwner> m_pOwner;
    CUiThread m_ui;
    INT_PTR m_nResult = -2;
    int m_nSaved[3] = {};
};

// The wizard buttons, the active page and the title strip of a sheet.
namespace SheetButton
{
const int kBack = 0x3023;
const int kNext = 0x3024;
const int kFinish = 0x3025;
} // namespace SheetButton

HWND ActivePage(HWND hWndSheet);
int ActiveIndex(HWND hWndSheet);
bool ButtonShown(HWND hWndSheet, int nID);
std::string TitleStripText(HWND hWndSheet);
