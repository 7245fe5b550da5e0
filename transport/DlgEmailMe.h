// The dialog that e-mails an error text, with a file such as the trace file attached, to the support
// mailbox.
#pragma once

#include <atlwin.h>

#include "resources/resource.h"
#include "transport/WndText.h"

class CRegistry;

class CDlgEmailMe : public ATL::CDialogImpl<CDlgEmailMe>
{
public:
    enum
    {
        IDD = IDD_EMAIL_ME
    };
    BEGIN_MSG_MAP(CDlgEmailMe)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_ID_HANDLER(IDOK, OnSend)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_HANDLER(IDC_EMAIL_ME_VIEW, BN_CLICKED, OnView)
    END_MSG_MAP()

    // The settings object gives the fields their first values and keeps what was typed after a send; null
    // takes the process's settings store.
    CDlgEmailMe(const char* pszText, const char* pszFile, CRegistry* pSettings = NULL);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSend(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnView(WORD, WORD, HWND, BOOL&);

    CString m_strText;
    CString m_strFile;
    CRegistry* m_pSettings;
    CWndText m_WndText;

private:
    CRegistry* Settings() const;
    // Shows string 272 with the support address and puts the focus on the field.
    void AskForAddress(int nID);
};
