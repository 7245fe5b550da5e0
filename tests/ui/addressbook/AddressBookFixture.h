// The address book's test store (local and central databases in a scratch folder) and an owner window on a
// UI thread of its own that answers the Get messages as a frame does, with a recording thread as manager.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atlapp.h>
#include <atlwin.h>

#include <functional>
#include <mutex>
#include <vector>
#include <memory>
#include <string>

#include "StoreTestSupport.h"
#include "app/LetrovaGlobals.h"
#include "foundation/Registry.h"
#include "store/DatabaseMy.h"
#include "tests/support/RecordingThread.h"
#include "tests/support/UiThread.h"
#include "tests/support/WindowReaders.h"
#include "ui/addressbook/MainFrameAddressBook.h"
#include "ui/main/Main.h"

// The frame a contact list or dialog belongs to: the Get answers, and the files it is asked to print.
class COwnerWindow : public CWindowImpl<COwnerWindow, CWindow, CFrameWinTraits>
{
public:
    DECLARE_WND_CLASS("AddressBookTestOwner")

    BEGIN_MSG_MAP(COwnerWindow)
        COMMAND_ID_HANDLER(32923, OnPrint)
        CHAIN_MSG_MAP_MEMBER(m_main)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    // A print hands over a file: what it held then is kept.
    LRESULT OnPrint(WORD, WORD, HWND hWndCtl, BOOL&)
    {
        const char* pszPath = reinterpret_cast<const char*>(hWndCtl);
        std::string strText;
        if (FILE* pFile = fopen(pszPath, "rb"))
        {
            char buffer[4096];
            size_t n;
            while ((n = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
                strText.append(buffer, n);
            fclose(pFile);
        }
        std::lock_guard<std::mutex> lock(m_lock);
        m_prints.push_back({pszPath, strText});
        return 1;
    }
    // Commands of the window's child (a contact list's pane) go to it, as a frame's do.
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
    {
        if (m_hWndRoute == NULL)
        {
            bHandled = FALSE;
            return 0;
        }
        return ::SendMessageA(m_hWndRoute, WM_COMMAND, wParam, lParam);
    }
    std::vector<std::pair<std::string, std::string>> Prints()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_prints;
    }

    HWND m_hWndRoute = NULL;
    std::mutex m_lock;
    std::vector<std::pair<std::string, std::string>> m_prints;

    COwnerWindow(CDatabaseMy* pDatabase, CRegistry* pRegistry, DWORD dwThreadId)
        : m_main(pDatabase, pRegistry, dwThreadId)
    {
    }
    void OnFinalMessage(HWND) override { ::PostQuitMessage(0); }

    CMain m_main;
};

class AddressBookTest : public ::testing::Test
{
protected:
    explicit AddressBookTest(const char* pszFolder = "addressbook") : m_folder(pszFolder), m_ui(_Module) {}
    void SetUp() override;
    void TearDown() override;

    // The contacts' database: the central one, or the local one once UseLocal has closed the central.
    CSession& Contacts() { return m_bLocal ? m_pDatabase->m_Local.m_session : m_pDatabase->m_Orb.m_session; }
    void UseLocal();
    long Query(const char* pszSQL) { return QueryLong(Contacts(), pszSQL); }
    void Exec(const char* pszSQL) { ASSERT_TRUE(Execute(Contacts(), pszSQL)) << pszSQL; }
    // A company row; returns its SiteID.
    LONG AddSite(const char* pszCompany, const char* pszPostcode = "", bool bIndividual = false);
    // A person of that site; returns the ID.
    LONG AddPerson(LONG nSiteID, const char* pszFirst, const char* pszSurname, const char* pszEmail);
    // Runs fn on the owner's thread and waits for it.
    void OnOwner(std::function<void()> fn) { ASSERT_TRUE(m_ui.Invoke(fn)); }
    // True when the contacts' connection has no transaction open.
    bool NoOpenTransaction();

    CScratchFolder m_folder;
    std::unique_ptr<CRegistry> m_pRegistry;
    std::unique_ptr<CDatabaseMy> m_pDatabase;
    CRecordingThread m_manager;
    CUiThread m_ui;
    HWND m_hOwner = NULL;
    COwnerWindow* m_pOwner = nullptr;
    bool m_bLocal = false;

private:
    int m_nSaved[3] = {};
};

// The address-book window on a UI thread of its own.
class CFrameThread
{
public:
    CFrameThread(CDatabaseMy* pDatabase, CRegistry* pRegistry, DWORD dwManager) : m_ui(_Module)
    {
        m_hWnd = m_ui.Start([=]() -> HWND {
            m_pFrame = new CMainFrameAddressBook(pDatabase, pRegistry, dwManager);
            RECT rc = {40, 40, 760, 480};
            HWND hWnd = m_pFrame->CreateEx(NULL, &rc);
            if (hWnd != NULL)
                m_pFrame->ShowWindow(SW_SHOW);
            return hWnd;
        });
    }
    ~CFrameThread() { Stop(); }

    void Stop()
    {
        if (m_pFrame == nullptr)
            return;
        m_ui.Invoke([this]() {
            if (m_pFrame->IsWindow())
                m_pFrame->DestroyWindow();
        });
        m_ui.WaitForExit();
        delete m_pFrame;
        m_pFrame = nullptr;
    }
    CAddressBookListView& List() { return m_pFrame->m_pane.m_list; }
    HWND ListWindow() { return List().m_hWnd; }
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (const auto& row : ListViewItems(ListWindow()))
            names.push_back(row.empty() ? "" : row[0]);
        return names;
    }
    bool WaitForRows(size_t nRows)
    {
        return WaitFor([&]() { return (size_t)ListView_GetItemCount(ListWindow()) == nRows; });
    }
    void Command(WORD nID, LPARAM lParam = 0) { ::PostMessageA(m_hWnd, WM_COMMAND, nID, lParam); }
    void SelectRow(int nRow)
    {
        m_ui.Invoke([&]() {
            for (int i = 0; i < List().GetItemCount(); i++)
                List().SetItemState(i, i == nRow ? LVIS_SELECTED | LVIS_FOCUSED : 0, LVIS_SELECTED | LVIS_FOCUSED);
            List().SetFocus();
        });
    }
    bool ButtonEnabled(int nID)
    {
        int nState = ToolBarButtonState(m_pFrame->m_hWndToolBarCtrl, nID);
        return nState >= 0 && (nState & TBSTATE_ENABLED) != 0;
    }

    CUiThread m_ui;
    CMainFrameAddressBook* m_pFrame = nullptr;
    HWND m_hWnd = NULL;
};
