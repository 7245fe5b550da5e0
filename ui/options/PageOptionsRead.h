// The Read page: marking a displayed message read after some seconds, and the list's date order.
#pragma once

#include "resources/resource.h"
#include "ui/options/PageOptionsImpl.h"

class CPageOptionsRead : public CPageOptionsImpl<CPageOptionsRead>
{
public:
    enum
    {
        IDD = IDD_OPTIONS_READ
    };

    BEGIN_MSG_MAP(CPageOptionsRead)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_READ_MARK, OnMark)
        CHAIN_MSG_MAP(CPageOptionsImpl<CPageOptionsRead>)
    END_MSG_MAP()

    explicit CPageOptionsRead(CRegistry* pRegistry);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMark(WORD, WORD, HWND, BOOL&);

    bool StoreValues();

private:
    void EnableSeconds();
};
