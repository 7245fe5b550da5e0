// The running instance's side of the single-instance hand-over: reads the command line a second start left
// in "CmdLine.txt" and turns it into a command for the thread manager.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CCmdLineHolder
{
public:
    explicit CCmdLineHolder(DWORD dwManagerThreadId = 0) : m_dwManagerThreadId(dwManagerThreadId) {}

    // The answer to "LetrovaAreYouMe": always the message's own identifier.
    LRESULT OnAreYouMe();

    // The command and text argument that a handed-over command line becomes; false for a form the
    // running instance does not know. "/n " needs the file itself, which the manager reads.
    static bool CommandForCmdLine(const CString& strCmdLine, WPARAM& nCommand, CString& strArgument,
                                  bool& bKeepFile);

    DWORD m_dwManagerThreadId;
    CString m_strCmdLine;
};
