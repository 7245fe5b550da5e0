// The Spelling page: checking spelling before a message is sent.
#pragma once

#include "resources/resource.h"
#include "ui/options/PageOptionsImpl.h"

class CPageOptionsSpelling : public CPageOptionsImpl<CPageOptionsSpelling>
{
public:
    enum
    {
        IDD = IDD_OPTIONS_SPELLING
    };

    BEGIN_MSG_MAP(CPageOptionsSpelling)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        CHAIN_MSG_MAP(CPageOptionsImpl<CPageOptionsSpelling>)
    END_MSG_MAP()

    explicit CPageOptionsSpelling(CRegistry* pRegistry);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);

    bool StoreValues();
};
