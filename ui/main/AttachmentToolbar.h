// The preview's attachment toolbar: the header lines over the attachment button, the Save Attachments
// button, and the owner-drawn menu of the shown message's attachment files.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include <atlstr.h>
#include <atlwin.h>

#include "resources/resource.h"

class CDatabaseSession;

const WORD ID_SAVE_ATTACHMENTS = 32779;
const WORD ID_ATTACHMENT_LIST = 32780;
const WORD ID_ATTACH_1 = 32924;
const WORD ID_ATTACH_16 = 32939;

// The empty dialog on the toolbar that holds the header lines.
class CAttachmentsHost : public CDialogImpl<CAttachmentsHost>
{
public:
    enum
    {
        IDD = IDD_ATTACHMENTS_HOST
    };

    BEGIN_MSG_MAP(CAttachmentsHost)
        COMMAND_ID_HANDLER(IDOK, OnCloseDialog)
        COMMAND_ID_HANDLER(IDCANCEL, OnCloseDialog)
    END_MSG_MAP()

    LRESULT OnCloseDialog(WORD, WORD, HWND, BOOL&) { return 0; }
};

struct CAttachmentMenuItem
{
    enum
    {
        kIconCell = 31,
        kItemHeight = 26,
        kIconWidth = 20,
        kIconHeight = 15
    };

    UINT nID = 0;
    CString strFile;   // full path
    CString strFolder; // where it was extracted
    CString strText;   // its file name
    int nImage = -1;
};

class CAttachmentToolbar
{
public:
    enum
    {
        kToolbarId = 59392,
        kImageWidth = 20,
        kImageHeight = 16
    };

    CAttachmentToolbar();
    ~CAttachmentToolbar();
    CAttachmentToolbar(const CAttachmentToolbar&) = delete;
    CAttachmentToolbar& operator=(const CAttachmentToolbar&) = delete;

    // Builds the toolbar from resource 203 on the parent; hWndFrame answers the "Get" messages.
    bool Create(HWND hWndParent, HWND hWndFrame);
    void Destroy();

    // Gives the list button the width the Save Attachments button leaves, then sizes the toolbar.
    void LayOut(int nWidth);
    void ShowSaveButton(bool bShow);
    bool IsSaveButtonVisible() const;
    int Height() const;
    RECT ButtonRect(UINT nID) const;

    // Starts a new attachment menu from menu 273; the items of the previous one are dropped.
    void ResetMenu();
    // Adds the file of the folder as the top item; false once ID_ATTACH_16 has been given out.
    bool AddMenuItem(const char* pszFolder, const char* pszFileName);
    HMENU Popup() const { return m_hPopup; }
    const std::vector<CAttachmentMenuItem>& Items() const { return m_items; }
    const CAttachmentMenuItem* FindItem(UINT nID) const;

    void MeasureItem(MEASUREITEMSTRUCT* pMeasure);
    void DrawItem(const DRAWITEMSTRUCT* pDraw);

    HWND m_hWnd = NULL;
    CAttachmentsHost m_host;
    CDatabaseSession* m_pDatabase = NULL;

    // The object whose menu is being filled.
    static CAttachmentToolbar* s_pFilling;

private:
    int TextWidth(const char* pszText) const;

    HIMAGELIST m_hImages = NULL;
    HFONT m_hMenuFont = NULL;
    HMENU m_hMenu = NULL;
    HMENU m_hPopup = NULL;
    std::vector<CAttachmentMenuItem> m_items;
    int m_nAdded = 0;
    int m_nImageHeight = 34;
};
