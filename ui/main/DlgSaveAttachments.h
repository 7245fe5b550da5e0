// The Save Attachments dialog: a message's attachments extracted into a temporary folder, listed, and
// copied to a folder of the user's choice or opened.
#pragma once

#include <windows.h>

#include <atlstr.h>
#include <atlwin.h>

#include "resources/resource.h"

#include <vector>

#include "store/EmailsImpl.h"
#include "ui/compose/AttachmentList.h"


namespace SaveAttachmentsText
{
const char kOpenFailed[] = "Unhandled exception!!!\r\nOpen Save Attachments dialog failed!";
const char kErrorPrefix[] = "ERROR: ";
const char kReportFileName[] = "Message_2.";
const char kReportFileExtension[] = "eml";
// Our own: a copy that fails is named, never passed over.
const char kCopyFailed[] = "These files could not be saved:\r\n";
} // namespace SaveAttachmentsText

class CDlgSaveAttachments : public CDialogImpl<CDlgSaveAttachments>
{
public:
    enum
    {
        IDD = IDD_SAVE_ATTACHMENTS
    };

    BEGIN_MSG_MAP(CDlgSaveAttachments)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        NOTIFY_HANDLER(IDC_SAVE_ATTACHMENTS_LIST, LVN_ITEMCHANGED, OnItemChanged)
        NOTIFY_HANDLER(IDC_SAVE_ATTACHMENTS_LIST, NM_DBLCLK, OnDoubleClick)
        COMMAND_ID_HANDLER(IDOK, OnSave)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(IDC_SAVE_BROWSE, OnBrowse)
        COMMAND_ID_HANDLER(IDC_SAVE_SELECT_ALL, OnSelectAll)
        COMMAND_ID_HANDLER(IDC_SAVE_OPEN, OnOpen)
    END_MSG_MAP()

    CDlgSaveAttachments(CEmailsImpl<>* pMessage, HWND hWndParent);

    // Runs the dialog modally over the active window: IDOK when files were copied, else IDCANCEL.
    static INT_PTR Run(CEmailsImpl<>* pMessage, HWND hWndParent);

    // The folder browser (file-system folders only) starting at pszStart; false on Cancel.
    static bool BrowseForFolder(HWND hWndOwner, const char* pszStart, CString& strFolder)
    {
        return s_pfnBrowseForFolder(hWndOwner, pszStart, strFolder);
    }
    // The system's folder browser; tests put one of their own in its place.
    static bool SystemBrowseForFolder(HWND hWndOwner, const char* pszStart, CString& strFolder);
    typedef bool (*FolderBrowser)(HWND hWndOwner, const char* pszStart, CString& strFolder);
    static FolderBrowser s_pfnBrowseForFolder;

    // The folder last saved into, for the whole process.
    static char s_szLastFolder[MAX_PATH];

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnItemChanged(int, LPNMHDR, BOOL&);
    LRESULT OnDoubleClick(int, LPNMHDR, BOOL&);
    LRESULT OnSave(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);
    LRESULT OnSelectAll(WORD, WORD, HWND, BOOL&);
    LRESULT OnOpen(WORD, WORD, HWND, BOOL&);

    CEmailsImpl<>* m_pMessage;
    HWND m_hWndParent;
    CAttachmentList m_list;
    // The temporary folder the attachments were extracted into.
    CString m_strFolder;

private:
    void EnableSelectionCommands();
    // Copies the selected rows; the names of the files that could not be copied go to failed.
    void SaveSelected(const CString& strTarget, std::vector<CString>& failed);
    void OfferErrorReport(const CString& strText, const CString& strDetail);
};
