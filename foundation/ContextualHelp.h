// Pop-up help for the controls of a dialog: a member whose message map the dialog chains last.
#pragma once

#include <atlwin.h>

class CContextualHelp
{
public:
    BEGIN_MSG_MAP(CContextualHelp)
    MESSAGE_HANDLER(WM_HELP, OnHelpMessage)
    END_MSG_MAP()

    virtual ~CContextualHelp();

    // OK and Cancel have their texts; dialogs override this for their own controls.
    virtual CString GetHelpText(int nIdControl);
    // Shows the control's text at the mouse position of the request; TRUE when HTML Help showed it.
    BOOL OnHelp(const HELPINFO* pInfo);

private:
    LRESULT OnHelpMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
};
