// "Find People".
#include "ui/addressbook/DlgFindPeople.h"

#include "foundation/ErrorUtil.h"
#include "ui/addressbook/AddressBookTexts.h"
#include "ui/addressbook/AddressBookViewImpl.h"

namespace
{
const int kFields[6] = {IDC_AB_NAME, IDC_AB_EMAIL, IDC_AB_COMPANY, IDC_AB_POSITION, IDC_AB_DDI, IDC_AB_MOBILE};
}

CDlgFindPeople::CTexts& CDlgFindPeople::SharedTexts()
{
    static CTexts s_texts;
    return s_texts;
}

LRESULT CDlgFindPeople::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    for (int i = 0; i < 6; i++)
        SetDlgItemText(kFields[i], m_texts[i]);
    return TRUE;
}

LRESULT CDlgFindPeople::OnFind(WORD, WORD, HWND, BOOL&)
{
    bool bEmpty = true;
    for (int i = 0; i < 6; i++)
    {
        char szText[256] = "";
        GetDlgItemText(kFields[i], szText, sizeof(szText));
        m_texts[i] = szText;
        bEmpty = bEmpty && m_texts[i].IsEmpty();
    }
    {
        CAddressBookSharedLock lock;
        SharedTexts() = m_texts;
    }
    if (bEmpty)
    {
        AppMessageBox(AddressBookText::kEnterSomething, MB_ICONERROR, m_hWnd);
        return 0;
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CDlgFindPeople::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(IDCANCEL);
    return 0;
}
