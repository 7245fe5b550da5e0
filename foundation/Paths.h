// The program's folders, path parts, folder deletion, file replacement, clipboard and word letters.
#pragma once

#include <windows.h>

#include <atlstr.h>

// Each folder is created when missing, on every call.
CString GetUserDataFolder();        // application data + "\Vorn", no trailing backslash
CString GetTempFolder();            // system temporary folder + "Lv\", with the backslash
CString CreateUniqueAttachFolder(); // <temp>Attach\1, \2, ...: the first that this call could create
CString GetTempHtmlPath();          // <temp>HTML, not created here

// "X:" for a drive path, "\\server\share\" for a UNC path, else empty.
CString GetDriveOrShare(const char* pszPath);
CString GetPathFolder(const char* pszPath);      // drive and directory, with its trailing backslash
CString GetPathExtension(const char* pszPath);   // with its dot, or empty
CString GetPathFileNameExt(const char* pszPath); // name and extension
CString RegQueryValueText(const char* pszSubKey, HKEY hKeyRoot);

// Deletes everything in the folder but pszKeep. Files denied to us (in use) are skipped, so a true result
// does not mean the folder is empty. Other failures throw a CException.
BOOL DeleteFolderContents(const char* pszFolder, const char* pszKeep = NULL);
void DeleteFolderTree(const char* pszFolder);
void DeleteAttachTempFolder();
// Asks before replacing an existing file and deletes it on Yes; returns the button, IDYES when there was
// no file.
int ConfirmReplaceFile(const char* pszPath);

// Reading leaves the clipboard as it was.
CString GetClipboardText();
void SetClipboardText(const char* pszText);

// Font enumeration callback; lParam is the combo box to fill.
int CALLBACK AddFontNameToCombo(const LOGFONTA* pLogFont, const TEXTMETRICA* pMetrics, DWORD dwFontType,
                                LPARAM lParam);
COLORREF SwapRedBlue(COLORREF color);
// Letters of the ANSI code page; the bytes 0xA8, 0xB8 and 0xC0-0xFF always count (Cyrillic in 1251).
bool IsWordLetter(unsigned char c);
