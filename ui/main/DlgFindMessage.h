// The search dialog of the find-message window: the criteria, the folder searched and the result list.
#pragma once

#include <windows.h>

#include <memory>

#include <atlstr.h>
#include <atlwin.h>

#include "resources/resource.h"
#include "store/Folders.h"
#include "ui/main/FindQuery.h"
#include "ui/main/MessagesList.h"

class CDlgFindMessage : public CDialogImpl<CDlgFindMessage>
{
public:
    enum
    {
        IDD = IDD_FIND_MESSAGE,
        // Posted to itself: the first folder choice runs once the window stands.
        WM_FIRST_FOLDER_CHOICE = WM_APP + 0x41
    };

    BEGIN_MSG_MAP(CDlgFindMessage)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_FIRST_FOLDER_CHOICE, OnFirstFolderChoice)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    // nFolderID 0: the dialog asks for the folder first.
    CDlgFindMessage(HWND hWndFrame, LONG nFolderID);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnFirstFolderChoice(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    void FindNow();
    void NewSearch();
    // The folder picker; false when cancelled.
    bool Browse(const char* pszCaption);
    // Open, Save As, Properties, Reply to Sender and Forward of the frame.
    void EnableMessageCommands(BOOL bEnable);
    // The criteria as the fields give them.
    CFindCriteria Criteria();
    CListViewCtrlMessages& List() { return m_results.m_list; }

    HWND m_hWndFrame;
    LONG m_nFolderID;
    CFoldersRecord m_folder;
    std::unique_ptr<CFolders> m_pFolders;
    CDlgMessagesList m_results;
    // Read by the fill between rows.
    volatile LONG m_nStop = 0;
    // The last search, repeated when the list is refilled.
    CString m_strWhere, m_strBody, m_strAttachment;

private:
    void LoadFolder();
    void SetSearching(bool bSearching);
};
