// The outgoing mail server's log-on: the incoming server's account or one of its own (Flags 0x200).
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlwin.h>

#include "foundation/ContextualHelp.h"
#include "resources/resource.h"
#include "store/AccountsTable.h"

class CDlgOutgoingServer : public CDialogImpl<CDlgOutgoingServer>
{
public:
    enum { IDD = IDD_OUTGOING_SERVER };

    explicit CDlgOutgoingServer(CAccountsRecord& record) : m_record(record) {}

    BEGIN_MSG_MAP(CDlgOutgoingServer)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_OUTGOING_SAME, OnChoice)
        COMMAND_ID_HANDLER(IDC_OUTGOING_LOG_ON, OnChoice)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        CHAIN_MSG_MAP_MEMBER(m_help)
    END_MSG_MAP()

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnChoice(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    CAccountsRecord& m_record;
    CContextualHelp m_help;
};
