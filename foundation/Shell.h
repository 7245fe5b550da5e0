// The shell namespace walk, COM objects with readable creation failures, Internet Explorer and HTML Help.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atlstr.h>

struct IWebBrowser2;

// Receives each listed file: its path, its name and its small and large icons (destroyed after the call).
typedef void (*ShellFileCallback)(LPARAM lParam, const char* pszPath, const char* pszFileName,
                                  HICON hIconSmall, HICON hIconLarge);
// Walks from My Computer down the folder path and lists the files of the folder reached (only the one
// named pszFilter, when given).
void MatchShellPath(const char* pszFolderPath, ShellFileCallback pfnCallback, const char* pszFilter = NULL,
                    LPARAM lParam = 0);

// Creates and runs the object and stores its IDispatch; throws a CException naming the class on failure.
BOOL CreateAndRunObject(IDispatch** ppDispatch, REFCLSID clsid);
// Throws the CException for a failed creation; does nothing for 0.
void GetHResultText(HRESULT hr, const char* pszComponentName);

class CBrowserWindow
{
public:
    // With a URL, navigates to it at once without message boxes.
    explicit CBrowserWindow(const char* pszUrl = NULL);
    ~CBrowserWindow();

    // Returns the error text, empty on success; shows it unless quiet.
    CString Navigate(CString& strError, const char* pszUrl, bool bQuiet);

    IWebBrowser2* m_pBrowser;

private:
    CBrowserWindow(const CBrowserWindow&);
    CBrowserWindow& operator=(const CBrowserWindow&);
};

// The HTML Help entry point, loaded once per process; 0 when HTML Help is unavailable, and after one
// failure it is not tried again.
HWND HtmlHelp(HWND hWnd, const char* pszFile, UINT uCommand, DWORD_PTR dwData);
BOOL GetHtmlHelpPath(CString& strPath);
// Seam for tests: replaces the library loader and forgets what was loaded or failed.
typedef HMODULE (*HtmlHelpLoader)(const char* pszPath);
void SetHtmlHelpLoader(HtmlHelpLoader pfnLoader);
