// The list of a message's attachment files with their shell icons, shared by the compose window, the
// message windows and the Save Attachments dialog. Each row's data is the folder that holds its file.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atlstr.h>
#include <atlwin.h>
#include <atlctrls.h>

namespace AttachmentListText
{
const char kOpenFailed[] = "ERROR: ";
} // namespace AttachmentListText

class CAttachmentList : public CWindowImpl<CAttachmentList, CListViewCtrl>
{
public:
    BEGIN_MSG_MAP(CAttachmentList)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnDoubleClick)
        MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    // Subclasses the list; its window's height at this moment is the height of one row of the list.
    explicit CAttachmentList(HWND hWndList = NULL);
    ~CAttachmentList();

    // Subclasses a list later (the constructor's work, for a list that did not exist then).
    void Attach(HWND hWndList);
    // The image list (20 by 16, as both small and normal images) and, in report view, the columns
    // "File Name" and "Size".
    void Init();
    // One file, or with a null pszFileName every file of pszFolder (the images are removed first then).
    void AddAttachment(const char* pszFolder, const char* pszFileName);
    // One row: the name shown, the file's full path (for its size), its icons and the row's data.
    int AddItem(const char* pszDisplayName, const char* pszPath, HICON hIcon, HICON hSmallIcon, LPARAM lParam);
    // One row high, or two when the items do not fit; moved to nTop and stretched to nRight. Returns the
    // list's new bottom.
    int AdjustHeight(int nRight, int nTop);
    void DeleteSelected();
    // Opens every selected file through the virus warning.
    void OpenSelected();
    void DeleteAll();

    // The folder and file name of a row.
    CString GetItemFolder(int nItem) const;
    CString GetItemFileName(int nItem) const;

    // How a file is opened; set by the program to the virus-warning operation. Returns as that does.
    typedef INT_PTR (*AttachmentOpener)(HWND hWndOwner, const char* pszFolder, const char* pszFileName);
    static AttachmentOpener s_pfnOpenAttachment;

    LRESULT OnDoubleClick(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled);

    // The Save Attachments dialog saves on a double click instead.
    bool m_bOpenOnDoubleClick = true;
    int m_nRowHeight = 0;
    CImageList m_images;
};
