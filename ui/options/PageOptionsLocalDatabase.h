// The Local Database page: the file of the local mail database, switched while no run and no other window
// uses it.
#pragma once

#include "resources/resource.h"
#include "ui/options/PageOptionsImpl.h"

class CDatabaseBase;

class CPageOptionsLocalDatabase : public CPageOptionsImpl<CPageOptionsLocalDatabase>
{
public:
    enum
    {
        IDD = IDD_OPTIONS_LOCAL_DATABASE
    };

    BEGIN_MSG_MAP(CPageOptionsLocalDatabase)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDC_OPTIONS_BROWSE, OnBrowse)
        CHAIN_MSG_MAP(CPageOptionsImpl<CPageOptionsLocalDatabase>)
    END_MSG_MAP()

    CPageOptionsLocalDatabase(CRegistry* pRegistry, HWND hWndOwner);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnBrowse(WORD, WORD, HWND, BOOL&);

    bool StoreValues();

private:
    // Opens the file and its Folders table once; false with the reason when either fails.
    bool OpenDatabaseFile(CDatabaseBase* pDatabase, const CString& strPath, CString& strFailure);
};
