// The Maintenance page: the log of every command exchanged with the servers.
#pragma once

#include "resources/resource.h"
#include "ui/options/PageOptionsImpl.h"

class CPageOptionsMaintenance : public CPageOptionsImpl<CPageOptionsMaintenance>
{
public:
    enum
    {
        IDD = IDD_OPTIONS_MAINTENANCE
    };

    BEGIN_MSG_MAP(CPageOptionsMaintenance)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        CHAIN_MSG_MAP(CPageOptionsImpl<CPageOptionsMaintenance>)
    END_MSG_MAP()

    explicit CPageOptionsMaintenance(CRegistry* pRegistry);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);

    bool StoreValues();
};
