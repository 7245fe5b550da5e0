// The message dialog of an ".eml" file: reads it and steps to the neighbouring files of its folder.
#pragma once

#include "ui/main/DlgMessageImpl.h"

class CDlgMessageFile : public CDlgMessageImpl<CDlgMessageFile>
{
public:
    typedef CDlgMessageImpl<CDlgMessageFile> _baseClass;

    BEGIN_MSG_MAP(CDlgMessageFile)
        COMMAND_ID_HANDLER(ID_FILE_SAVE_AS_MESSAGE, OnSaveAs)
        CHAIN_MSG_MAP(_baseClass)
        COMMAND_ID_HANDLER(32807, OnPreviousFile)
        COMMAND_ID_HANDLER(32808, OnNextFile)
        COMMAND_ID_HANDLER(32790, OnProperties)
        MESSAGE_HANDLER(WM_COMMAND, OnPaneCommand)
    END_MSG_MAP()

    void OpenMessage();

    LRESULT OnSaveAs(WORD, WORD, HWND, BOOL&);
    LRESULT OnPreviousFile(WORD, WORD, HWND, BOOL&) { return Step(false); }
    LRESULT OnNextFile(WORD, WORD, HWND, BOOL&) { return Step(true); }
    LRESULT OnProperties(WORD, WORD, HWND, BOOL&);

    // The neighbouring file of the current one in name order; empty when there is none to open.
    CString NeighbourPath(bool bNext) const;

    CString m_strPath;

private:
    LRESULT Step(bool bNext);
};
