// The address-book window: a frame whose client is a pane with a search box, Find and the contact list.
#pragma once

#include <windows.h>

#include <atlctrlw.h>
#include <atlwin.h>

#include "resources/resource.h"
#include "ui/addressbook/AddressBookListView.h"
#include "ui/main/MainFrameBase.h"

class CDlgAddressBookPane : public CDialogImpl<CDlgAddressBookPane>
{
public:
    enum
    {
        IDD = IDD_ADDRESS_BOOK_PANE
    };

    BEGIN_MSG_MAP(CDlgAddressBookPane)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        NOTIFY_HANDLER(IDC_AB_LIST, LVN_ITEMCHANGED, OnItemChanged)
        NOTIFY_HANDLER(IDC_AB_LIST, LVN_COLUMNCLICK, OnColumnClick)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    explicit CDlgAddressBookPane(CWindow* pFrame) : m_list(pFrame) {}

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnItemChanged(int, LPNMHDR, BOOL&);
    LRESULT OnColumnClick(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

    CAddressBookListView m_list;
};

class CMainFrameAddressBook : public CMainFrameBase<CMainFrameAddressBook>
{
public:
    DECLARE_FRAME_WND_CLASS("LetrovaAddressBookFrame", IDR_ADDRESS_BOOK)

    BEGIN_UPDATE_UI_MAP(CMainFrameAddressBook)
        UPDATE_ELEMENT(AddressBookCmd::kProperties, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(AddressBookCmd::kDelete, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(AddressBookCmd::kExportVcard, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(AddressBookCmd::kFilePrint, UPDUI_MENUPOPUP | UPDUI_TOOLBAR)
        UPDATE_ELEMENT(ID_VIEW_TOOLBAR, UPDUI_MENUPOPUP)
        UPDATE_ELEMENT(ID_VIEW_STATUS_BAR, UPDUI_MENUPOPUP)
    END_UPDATE_UI_MAP()

    BEGIN_MSG_MAP(CMainFrameAddressBook)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_ID_HANDLER(AddressBookCmd::kAppExit, OnExit)
        COMMAND_ID_HANDLER(AddressBookCmd::kNewMessageWithRecipient, OnNewMessageWithRecipient)
        COMMAND_ID_HANDLER(AddressBookCmd::kHelpContents, OnHelp)
        if (CMainFrameBase<CMainFrameAddressBook>::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))
            return TRUE;
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    CMainFrameAddressBook(CDatabaseMy* pDatabaseMy, CRegistry* pRegistry, DWORD dwThreadId);
    ~CMainFrameAddressBook();

    BOOL PreTranslateMessage(MSG* pMsg) override;

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnExit(WORD, WORD, HWND, BOOL&);
    // A new message to the contact goes to the manager, which opens it on a thread of its own.
    LRESULT OnNewMessageWithRecipient(WORD, WORD, HWND hWndCtl, BOOL&);
    LRESULT OnHelp(WORD, WORD, HWND, BOOL&);
    // Commands the frame base leaves go to the pane and its list; a refresh then updates the commands.
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    void UpdateCommandUI();
    static const char* GetHelpTopic();

    CCommandBarCtrl m_cmdBar;
    HWND m_hWndToolBarCtrl = NULL;
    CDlgAddressBookPane m_pane;
};
