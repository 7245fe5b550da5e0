// The Create Folder and Rename Folder dialogs.
#include "store/FolderDialogs.h"

#include <atlwin.h>

#include "foundation/DlgFields.h"
#include "store/DialogTemplate.h"
#include "store/FolderTreeTexts.h"

namespace
{
// Room for 99 characters: the check refuses a text that fills the buffer.
const int kNameBuffer = 101;

INT_PTR CALLBACK FolderNameDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CString* pName = reinterpret_cast<CString*>(GetWindowLongPtrA(hDlg, DWLP_USER));
    switch (uMsg)
    {
    case WM_INITDIALOG:
        SetWindowLongPtrA(hDlg, DWLP_USER, lParam);
        SetDlgItemTextA(hDlg, IDC_FOLDER_NAME, *reinterpret_cast<CString*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDOK:
        {
            CWindow dialog(hDlg);
            CDlgFields fields(&dialog);
            char szName[kNameBuffer];
            if (fields.GetText(IDC_FOLDER_NAME, szName, sizeof(szName), IDC_FOLDER_NAME_LABEL, TRUE))
            {
                *pName = szName;
                EndDialog(hDlg, IDOK);
            }
            return TRUE;
        }
        case IDCANCEL: EndDialog(hDlg, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}
} // namespace

INT_PTR DoFolderNameDialog(HWND hOwner, bool bRename, CString& strName)
{
    CDialogTemplate dialog(bRename ? FolderTreeText::kRenameFolderCaption : FolderTreeText::kCreateFolderCaption,
                           220, 62);
    dialog.AddItem(IDC_FOLDER_NAME_LABEL, kStatic, SS_LEFT, 7, 7, 206, 10, FolderTreeText::kFolderNameLabel);
    dialog.AddItem(IDC_FOLDER_NAME, kEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 19, 206, 14, "");
    dialog.AddItem(IDOK, kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 97, 41, 55, 14, "OK");
    dialog.AddItem(IDCANCEL, kButton, BS_PUSHBUTTON | WS_TABSTOP, 158, 41, 55, 14, "Cancel");
    CString strEdited = bRename ? strName : CString();
    INT_PTR nResult = DialogBoxIndirectParamA(GetModuleHandleA(NULL), dialog.Get(),
                                              hOwner != NULL ? hOwner : GetActiveWindow(), FolderNameDialogProc,
                                              (LPARAM)&strEdited);
    if (nResult == IDOK)
        strName = strEdited;
    return nResult;
}
