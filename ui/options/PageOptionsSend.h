// The Send page: one message to all recipients or one per recipient, and the HTML Settings dialog.
#pragma once

#include "resources/resource.h"
#include "ui/options/PageOptionsImpl.h"

class CPageOptionsSend : public CPageOptionsImpl<CPageOptionsSend>
{
public:
    enum
    {
        IDD = IDD_OPTIONS_SEND
    };

    BEGIN_MSG_MAP(CPageOptionsSend)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_SEND_HTML_SETTINGS, OnHtmlSettings)
        CHAIN_MSG_MAP(CPageOptionsImpl<CPageOptionsSend>)
    END_MSG_MAP()

    // The settings object comes from the owner.
    explicit CPageOptionsSend(HWND hWndOwner);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnHtmlSettings(WORD, WORD, HWND, BOOL&);

    bool StoreValues();

private:
    CRegistry* Registry();
};
