// What every frame does the same way, whatever its class: help, the About box, e-mailing the trace file,
// the status-bar texts and the edit-command questions.
#pragma once

#include <windows.h>

#include <atlstr.h>

class CRegistry;

// Status texts longer than this are cut.
const int kMaxStatusText = 250;
CString CutStatusText(const char* pszText);

// Opens the help file in the HTML Help viewer; shows string 500 when no viewer window comes.
void OpenFrameHelp(const char* pszHelpFolder);
// The About box (resource 202), modal on the active window.
INT_PTR ShowAboutBox(HWND hWndParent);
// Runs the error-report dialog with a copy of the trace file taken under its lock, so the threads that trace
// meanwhile keep their trace object.
void EmailTraceFile(HWND hWndOwner, CRegistry* pRegistry);

// The default answers of a frame for the window that has the focus.
bool FocusHasSelection(HWND hWnd);
bool FocusCanCut(HWND hWnd, bool bReadOnly);
bool FocusCanCopy(HWND hWnd, bool bReadOnly);
bool FocusCanPaste(HWND hWnd, bool bReadOnly);
bool FocusCanUndo(HWND hWnd, bool bReadOnly);
bool FocusCanRedo(HWND hWnd, bool bReadOnly);
// Asks the window itself with a query command; a non-zero answer is yes.
bool FocusAnswers(HWND hWnd, WORD nQuery);

// The stand-in of the HTML Help entry that tests and the first call replace; set when the library loads.
typedef HWND(WINAPI* HtmlHelpEntry)(HWND, LPCSTR, UINT, DWORD_PTR);
