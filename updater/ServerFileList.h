// The listing of one folder of the update server over WinINet's FTP.
#pragma once

#include <windows.h>

#include <wininet.h>

#include <vector>

#include <atlstr.h>

class CServerFileList
{
public:
    // Lists the folder at the FTP URL; an unreadable folder throws a CException with string 101.
    void Read(HINTERNET hInternet, const char* pszUrl);
    // The listed size of a name, compared upper-cased; a missing name throws a CException.
    DWORD GetFileSize(const char* pszName) const;
    // The URL of a listed file with the name as the server spells it; a missing name throws as GetFileSize.
    CString GetFileUrl(const char* pszName) const;
    // Whether a name is listed, compared upper-cased.
    bool Contains(const char* pszName) const;
    void Clear();

    // Upper-cased, to compare and to name local files; m_serverNames keeps each as the server spells it.
    std::vector<CString> m_names;
    std::vector<CString> m_serverNames;
    std::vector<DWORD> m_sizes;
    std::vector<bool> m_folders;
    CString m_strURL;

private:
    int Find(const char* pszName) const;
};
