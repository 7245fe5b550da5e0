// Stand-ins of the message list and preview panes until those panes exist: the same window places and
// calls, with an empty list and an empty preview.
#pragma once

#include <windows.h>

#include <atlwin.h>

#include "resources/resource.h"
#include "ui/main/MainCommands.h"

class CMessageListPane : public CDialogImpl<CMessageListPane>
{
public:
    enum
    {
        IDD = IDD_MESSAGE_LIST_PANE
    };

    BEGIN_MSG_MAP(CMessageListPane)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        COMMAND_ID_HANDLER(ID_MOVE_MESSAGE_FOLDER, OnMoveMessageFolder)
    END_MSG_MAP()

    // Fills the list for the folder; the stand-in only keeps which one.
    void Fill(LONG nFolderID) { m_nFolderID = nFolderID; m_nFills++; }
    int HeaderHeight() const;

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnMoveMessageFolder(WORD, WORD, HWND, BOOL&);

    HWND m_hWndList = NULL;
    LONG m_nFolderID = 0;
    int m_nFills = 0;
    LONG m_nMovedTo = 0;
};

class CPreviewPane : public CDialogImpl<CPreviewPane>
{
public:
    enum
    {
        IDD = IDD_PREVIEW_PANE
    };

    BEGIN_MSG_MAP(CPreviewPane)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
    END_MSG_MAP()

    // The header part that always stays visible.
    int MinimumHeight() const { return 40; }

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);

    HWND m_hWndText = NULL;
};
