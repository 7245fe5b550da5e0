// Message boxes with the application caption, debug output, registration helpers, COM creation, and
// system, shell and version texts shared by both libraries.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include "foundation/Exception.h"

// The caption of every AppMessageBox; written once at start-up, before any window exists.
extern char AppCaption[256];

// Empty unless an operation that knows what the user should do after a failure has set it; appended to the
// catch-all messages of the thread routines.
extern const char* volatile FailureHintText;

// Owner: the given window, else the active window, else the desktop.
int AppMessageBox(const char* pszText, UINT nStyle = 0, HWND hWndOwner = NULL);
// The same under a caption of the caller's.
int AppMessageBoxCaption(const char* pszText, const char* pszCaption, UINT nStyle = 0, HWND hWndOwner = NULL);
int AppMessageBoxF(UINT nStyle, const char* pszFormat, ...);
int AppMessageBoxId(UINT nIdPrompt, UINT nStyle = 0, HWND hWndOwner = NULL);

// Seam for what a test cannot click: receives each box instead of MessageBox and returns its button.
typedef int (*AppMessageBoxHook)(const char* pszText, const char* pszCaption, UINT nStyle, HWND hWndOwner);
AppMessageBoxHook SetAppMessageBoxHook(AppMessageBoxHook pfnHook);

// What a window's message dispatch shows for an exception caught in a handler. Neither throws.
void ShowCaughtException(CException* pException);
void ShowUnhandledException(const char* pszWindowClassName);
// The message-map exception hook of the window layer: call only from inside a catch block.
void ReportMsgMapException(const char* pszWindowClassName);

// The operating system's debug-string channel (not the trace file).
void DebugTrace(const char* pszFormat, ...);
void DebugTraceReceived(const char* pszText);
typedef void (*DebugOutputHook)(const char* pszText);
DebugOutputHook SetDebugOutputHook(DebugOutputHook pfnHook);

// A data size of 0 means the text length plus its terminating zero.
bool SetRegKey(const char* pszKey, const char* pszValue, const char* pszValueName = NULL,
               DWORD dwType = REG_SZ, DWORD cbData = 0, HKEY hKeyRoot = HKEY_CLASSES_ROOT);
LONG RegDeleteKeyTree(HKEY hParentKey, const char* pszKeyName);

// Throws a new CException naming the component when the object cannot be created.
void CreateComComponent(REFCLSID clsid, REFIID iid, void** ppv, const char* pszComponentName);

CString GetLastErrorText(DWORD* pdwError = NULL);
// *pbExtended tells whether the extended record could be read.
BOOL GetOSVersionInfo(OSVERSIONINFOEXA* pInfo, BOOL* pbExtended);

// Opens folder\name with its associated program; on failure shows why and returns FALSE.
BOOL OpenWithShell(const char* pszFolder, const char* pszFileName);

// Where strings are loaded from: the DLL in the product, the executable in tests.
HMODULE GetResourceModule();
void GetModulePaths(CString& strShortPath, CString& strLongPath);
BOOL GetFileVersionNumbers(const char* pszFile, int& nMajor, int& nMinor, int& nBuild, int& nRevision);
CString GetFileVersionText(const char* pszFile);
CString GetModuleVersionText();
