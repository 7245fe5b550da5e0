// The General page: start in the Inbox, the new-mail check and its interval, the update check and its
// address.
#pragma once

#include "resources/resource.h"
#include "ui/options/PageOptionsImpl.h"

class CPageOptionsGeneral : public CPageOptionsImpl<CPageOptionsGeneral>
{
public:
    enum
    {
        IDD = IDD_OPTIONS_GENERAL
    };

    BEGIN_MSG_MAP(CPageOptionsGeneral)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_GENERAL_CHECK_NEW, OnSwitch)
        COMMAND_ID_HANDLER(IDC_GENERAL_UPDATE_WHEN_STARTING, OnSwitch)
        COMMAND_ID_HANDLER(IDC_GENERAL_DEFAULT_URL, OnDefaultUrl)
        CHAIN_MSG_MAP(CPageOptionsImpl<CPageOptionsGeneral>)
    END_MSG_MAP()

    explicit CPageOptionsGeneral(CRegistry* pRegistry);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSwitch(WORD, WORD, HWND, BOOL&);
    LRESULT OnDefaultUrl(WORD, WORD, HWND, BOOL&);

    bool StoreValues();

private:
    void EnableInterval();
};
