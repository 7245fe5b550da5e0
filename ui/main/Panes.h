// The client area of the main window: a host, the pane container with the left pane (folders over
// contacts) and the right pane (message list over preview), separated by splitter bars.
#pragma once

#include <windows.h>

#include <atlwin.h>

#include "foundation/WindowMessages.h"
#include "resources/resource.h"
#include "ui/main/DlgMessagePreview.h"
#include "ui/main/FoldersPane.h"
#include "ui/main/MessagesList.h"
#include "ui/main/MainCommands.h"
#include "ui/addressbook/AddressBookListView.h"
#include "ui/main/PaneTitle.h"
#include "ui/main/SplitterBar.h"

class CRegistry;

// The settings store of the frame that holds the window.
CRegistry* FrameRegistry(HWND hWnd);

class CContactsPane : public CDialogImpl<CContactsPane>
{
public:
    enum
    {
        IDD = IDD_CONTACTS_PANE
    };

    BEGIN_MSG_MAP(CContactsPane)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        NOTIFY_HANDLER(IDC_CONTACTS_LIST, LVN_COLUMNCLICK, OnColumnClick)
        NOTIFY_HANDLER(IDC_CONTACTS_LIST, LVN_ITEMCHANGED, OnRowsChanged)
        NOTIFY_HANDLER(IDC_CONTACTS_LIST, LVN_INSERTITEM, OnRowsChanged)
        NOTIFY_HANDLER(IDC_CONTACTS_LIST, LVN_DELETEITEM, OnRowsChanged)
        NOTIFY_HANDLER(IDC_CONTACTS_LIST, LVN_DELETEALLITEMS, OnRowsChanged)
        MESSAGE_HANDLER(WM_NOTIFY, OnTitleNotify)
        COMMAND_ID_HANDLER(IDOK, OnCloseDialog)
        COMMAND_ID_HANDLER(IDCANCEL, OnCloseDialog)
        COMMAND_ID_HANDLER(ID_VIEW_CONTACTS, OnViewContacts)
        COMMAND_ID_HANDLER(ID_IS_VISIBLE_CONTACTS, OnToggle)
        COMMAND_ID_HANDLER(ID_UPDATE, OnUpdate)
        MESSAGE_HANDLER(WM_COMMAND, OnOtherCommand)
    END_MSG_MAP()

    int TitleHeight() const { return m_title.Height(); }
    void CreateTitle();

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnColumnClick(int, LPNMHDR pnmh, BOOL&);
    // Print is enabled exactly while the list has rows.
    LRESULT OnRowsChanged(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnTitleNotify(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCloseDialog(WORD, WORD wID, HWND, BOOL&);
    LRESULT OnViewContacts(WORD, WORD, HWND, BOOL&);
    LRESULT OnToggle(WORD, WORD, HWND, BOOL&);
    LRESULT OnUpdate(WORD, WORD, HWND, BOOL& bHandled);
    LRESULT OnOtherCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&);

    CContactsPane() : m_list(&m_main) {}

    CPaneTitle m_title;
    HWND m_hWndList = NULL;
    HWND m_hWndMain = NULL;
    // The list's owner is the main window: its Get answers, its commands.
    CWindow m_main;
    CAddressBookListView m_list;
};

class CLeftPane : public CDialogImpl<CLeftPane>
{
public:
    enum
    {
        IDD = IDD_LEFT_PANE
    };

    BEGIN_MSG_MAP(CLeftPane)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(LetrovaSplitHorizontal, OnSplit)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    CLeftPane() : m_bar(true) {}

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnSplit(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&);

    CFoldersPane m_folders;
    CContactsPane m_contacts;
    CSplitterBar m_bar;
    bool m_bContactsAlone = false;
};

class CRightPane : public CDialogImpl<CRightPane>
{
public:
    enum
    {
        IDD = IDD_RIGHT_PANE
    };

    BEGIN_MSG_MAP(CRightPane)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(LetrovaSplitHorizontal, OnSplit)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    CRightPane() : m_bar(true) {}

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnSplit(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&);

    CDlgMessagesList m_list;
    CDlgMessagePreview m_preview;
    CSplitterBar m_bar;
};

class CPaneContainer : public CDialogImpl<CPaneContainer>
{
public:
    enum
    {
        IDD = IDD_PANE_CONTAINER
    };

    BEGIN_MSG_MAP(CPaneContainer)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(LetrovaSplitVertical, OnSplit)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    CPaneContainer() : m_bar(false) {}

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnSplit(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&);

    CLeftPane m_left;
    CRightPane m_right;
    CSplitterBar m_bar;
};

class CClientHost : public CWindowImpl<CClientHost>
{
public:
    DECLARE_WND_CLASS_EX("LetrovaClientHost", 0, COLOR_BTNFACE)

    BEGIN_MSG_MAP(CClientHost)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

    CPaneContainer m_container;
};
