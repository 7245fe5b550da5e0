// The message dialog of a stored message: opens it by its EmailsID within its folder's rows and steps
// through them.
#pragma once

#include "ui/main/DlgMessageImpl.h"

class CDlgMessage : public CDlgMessageImpl<CDlgMessage>
{
public:
    typedef CDlgMessageImpl<CDlgMessage> _baseClass;

    BEGIN_MSG_MAP(CDlgMessage)
        CHAIN_MSG_MAP(_baseClass)
        COMMAND_ID_HANDLER(32807, OnNext)
        COMMAND_ID_HANDLER(32808, OnPrevious)
        COMMAND_ID_HANDLER(32790, OnProperties)
        MESSAGE_HANDLER(WM_COMMAND, OnPaneCommand)
    END_MSG_MAP()

    // Throws when the row is missing.
    void OpenMessage();

    // "Previous message" moves on in the folder's rows, "Next message" back: the menu's words follow the
    // list, which shows the newest first.
    LRESULT OnNext(WORD, WORD, HWND, BOOL&);
    LRESULT OnPrevious(WORD, WORD, HWND, BOOL&);
    LRESULT OnProperties(WORD, WORD, HWND, BOOL&);

    LONG m_nEmailsID = 0;

private:
    // Rows of the folder from the first up to the one with nEmailsID; false when it is not among them.
    bool SeekTo(LONG nEmailsID);
    LRESULT Step(bool bForward, const char* pszFailure);
};
