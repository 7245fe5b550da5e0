// The preview pane below the message list: the header area (header lines and attachment toolbar) over the
// body view of the selected message.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atlstr.h>
#include <atlwin.h>

#include "resources/resource.h"
#include "store/EmailsImpl.h"
#include "ui/compose/CtrlMessageBody.h"
#include "ui/main/AttachmentToolbar.h"
#include "ui/main/MessageHeaderPane.h"
#include "ui/main/MessagesList.h"

// The header area: it owns the header lines' fonts and passes what its toolbar reports to the pane.
class CDlgPreviewHeader : public CDialogImpl<CDlgPreviewHeader>
{
public:
    enum
    {
        IDD = IDD_PREVIEW_HEADER
    };

    BEGIN_MSG_MAP(CDlgPreviewHeader)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_NOTIFY, OnToolbarMessage)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        COMMAND_ID_HANDLER(IDOK, OnCloseDialog)
        COMMAND_ID_HANDLER(IDCANCEL, OnCloseDialog)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnToolbarMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCloseDialog(WORD, WORD, HWND, BOOL&) { return 0; }

    CMessageHeaderPane m_pane;
    HFONT m_hFontBold = NULL;
    HWND m_hWndToolbar = NULL;
};

class CDlgMessagePreview : public CDialogImpl<CDlgMessagePreview>
{
public:
    enum
    {
        IDD = IDD_PREVIEW_PANE,
        kDefaultHeight = 185
    };

    BEGIN_MSG_MAP(CDlgMessagePreview)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_ID_HANDLER(ID_VIEW_MESSAGE_BODY, OnViewMessageBody)
        COMMAND_RANGE_HANDLER(ID_ATTACH_1, ID_ATTACH_16, OnAttachment)
        COMMAND_ID_HANDLER(ID_SAVE_ATTACHMENTS, OnSaveAttachments)
        NOTIFY_CODE_HANDLER(TBN_DROPDOWN, OnDropDown)
        MESSAGE_HANDLER(WM_DRAWITEM, OnDrawItem)
        MESSAGE_HANDLER(WM_MEASUREITEM, OnMeasureItem)
        COMMAND_ID_HANDLER(IDOK, OnCloseDialog)
        COMMAND_ID_HANDLER(IDCANCEL, OnCloseDialog)
        MESSAGE_HANDLER(WM_COMMAND, OnOtherCommand)
    END_MSG_MAP()

    CDlgMessagePreview() : m_body(NULL, FALSE, TRUE) {}

    // The header part, which the right pane never hides.
    int MinimumHeight() const { return m_toolbar.Height(); }

    // Shows the header of the message at the store's current row; errors are reported and leave the
    // previous message in place.
    void ShowMessage(CEmailsImpl<>* pStore);
    // Extracts the shown message's attachments into a new folder (the previous one is removed) and fills
    // the attachment menu with its files.
    void FillAttachmentMenu();

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnViewMessageBody(WORD, WORD, HWND, BOOL&);
    LRESULT OnAttachment(WORD, WORD wID, HWND, BOOL&);
    LRESULT OnSaveAttachments(WORD, WORD, HWND, BOOL&);
    LRESULT OnDropDown(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
    LRESULT OnMeasureItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCloseDialog(WORD, WORD, HWND, BOOL&) { return 0; }
    LRESULT OnOtherCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&);

    CDlgPreviewHeader m_header;
    CAttachmentToolbar m_toolbar;
    CCtrlMessageBody m_body;
    HWND m_hWndFrame = NULL;
    LONG m_nEmailsID = 0;
    // Where the last attachment menu's files were extracted; removed when the next menu is made.
    CString m_strAttachFolder;

private:
    void LayOutToolbar(int nWidth);
    void ReportError(const char* pszText);
};
