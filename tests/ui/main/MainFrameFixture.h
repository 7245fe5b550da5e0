// A main window on a small store of its own: nested folders with unread counts and two accounts of one
// display name, run on a UI thread of its own with a recording thread as the manager.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "StoreTestSupport.h"
#include "foundation/Registry.h"
#include "store/DatabaseMy.h"
#include "tests/support/RecordingThread.h"
#include "tests/support/UiThread.h"
#include "ui/main/MainFrame.h"

class CMainFrameFixture
{
public:
    CMainFrameFixture();
    ~CMainFrameFixture();

    // Creates and shows the frame on its thread.
    HWND Start();
    // Waits until the message list has filled for the folder it was last asked for.
    bool WaitForList();
    // Destroys the frame on its thread and waits for the thread to end.
    void Stop();
    // Runs code on the frame's thread.
    void OnFrame(std::function<void()> fn) { m_ui.Invoke(fn); }
    LRESULT Send(UINT uMsg, WPARAM wParam, LPARAM lParam = 0);

    HWND Tree();
    // The tree's items as "depth:name" with the unread counts left out, and the same from the Folders table.
    std::vector<std::string> TreeFolders();
    std::vector<std::string> TableFolders();
    // Selects the item of the folder on the frame's thread.
    bool Select(LONG nFolderID);
    LONG FolderID(const char* pszName);
    std::vector<std::string> SendReceiveItems();
    CSession& Local() { return m_pDatabase->m_Local.m_session; }

    CScratchFolder m_folder{"uimain"};
    CScriptedUser m_user;
    std::unique_ptr<CRegistry> m_pRegistry;
    std::unique_ptr<CDatabaseMy> m_pDatabase;
    CRecordingThread m_manager;
    CUiThread m_ui;
    CMainFrame* m_pFrame = nullptr;
    volatile LONG m_nThreadCount = 1;
    LONG m_nInbox = 0, m_nProjects = 0, m_nAlpha = 0, m_nWork = 0;
    int m_nSaved[3] = {};
};
