// Stand-in of the preview pane until it exists: the same window place, with an empty preview.
#pragma once

#include <windows.h>

#include <atlwin.h>

#include "resources/resource.h"
#include "ui/main/MainCommands.h"

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
