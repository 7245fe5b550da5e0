// The question asked before an attachment is opened with the program registered for its type, and the
// opening itself.
#pragma once

#include <windows.h>

#include <atlstr.h>
#include <atlwin.h>

#include "resources/resource.h"


namespace VirusWarningText
{
// The settings section: one value per file extension (with its dot); 0 opens without asking.
const char kSection[] = "Virus Warning";
} // namespace VirusWarningText

class CDlgVirusWarning : public CDialogImpl<CDlgVirusWarning>
{
public:
    enum
    {
        IDD = IDD_VIRUS_WARNING
    };

    BEGIN_MSG_MAP(CDlgVirusWarning)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    CDlgVirusWarning(HWND hWndOwner, const char* pszFileName);

    // Opens folder\name with its program, asking first unless the user turned the question off for its
    // extension; the question can also save the file elsewhere. Returns 1 when the user cancelled or saved,
    // else the shell's result.
    static INT_PTR OpenAttachment(HWND hWndOwner, const char* pszFolder, const char* pszFileName);
    // The shell's "open" of folder\name in that folder; a failure is shown with the path and the reason.
    static INT_PTR ShellOpen(const char* pszFolder, const char* pszFileName);
    // Copies folder\name into a folder the user chooses, asking before replacing; returns 1.
    static INT_PTR SaveToDisk(const char* pszFolder, const char* pszFileName);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    HWND m_hWndOwner;
    CString m_strFileName;
    // 0 open, 1 save to disk.
    int m_nChoice = 0;
    BOOL m_bAlwaysAsk = TRUE;
};
