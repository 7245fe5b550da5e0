// The file dialog of the business-card commands: open to import, save (asking before it overwrites) to
// export.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atldlgs.h>

#include "ui/addressbook/AddressBookTexts.h"

class CVcardFileDialog : public CFileDialogImpl<CVcardFileDialog>
{
public:
    explicit CVcardFileDialog(BOOL bOpen)
        : CFileDialogImpl<CVcardFileDialog>(bOpen, AddressBookText::kVcardDefaultExt, NULL,
                                            bOpen ? OFN_HIDEREADONLY : OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                            AddressBookText::kVcardFilter)
    {
        m_ofn.lpstrTitle = AddressBookText::kVcardFileTitle;
    }

    // IDOK with the chosen file; a failure of the dialog itself is shown, Cancel is not.
    INT_PTR Run(HWND hWndParent);
};
