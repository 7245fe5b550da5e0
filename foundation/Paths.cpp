// The program's folders, path parts, folder deletion, file replacement, clipboard and word letters.
#include "foundation/Paths.h"

#include <shlobj.h>
#include <string.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/File.h"
#include "foundation/RegExp.h"
#include "foundation/Texts.h"
#include "resources/resource.h"

namespace
{
// Owns a FindFirstFile search so that an exception in the loop still ends it.
class CFindHolder
{
public:
    explicit CFindHolder(HANDLE hFind) : m_hFind(hFind) {}
    ~CFindHolder()
    {
        if (m_hFind != INVALID_HANDLE_VALUE)
            ::FindClose(m_hFind);
    }
    HANDLE m_hFind;
};

class CClipboardHolder
{
public:
    CClipboardHolder() : m_bOpen(::OpenClipboard(NULL) != FALSE) {}
    ~CClipboardHolder()
    {
        if (m_bOpen)
            ::CloseClipboard();
    }
    bool m_bOpen;
};

struct PathParts
{
    CString strDrive;
    CString strDir;
    CString strName;
    CString strExtension;
};

PathParts SplitPath(const char* pszPath)
{
    PathParts parts;
    CString strPath = pszPath ? pszPath : "";
    int nStart = 0;
    if (strPath.GetLength() >= 2 && strPath[1] == ':')
    {
        parts.strDrive = strPath.Left(2);
        nStart = 2;
    }
    int nLastSep = -1;
    for (int i = nStart; i < strPath.GetLength(); ++i)
    {
        if (IsDirSep(strPath[i]))
            nLastSep = i;
    }
    if (nLastSep >= 0)
        parts.strDir = strPath.Mid(nStart, nLastSep + 1 - nStart);
    CString strFile = strPath.Mid(nLastSep >= 0 ? nLastSep + 1 : nStart);
    int nDot = strFile.ReverseFind('.');
    if (nDot >= 0)
    {
        parts.strName = strFile.Left(nDot);
        parts.strExtension = strFile.Mid(nDot);
    }
    else
    {
        parts.strName = strFile;
    }
    return parts;
}
} // namespace

CString GetUserDataFolder()
{
    char szAppData[MAX_PATH] = "";
    ::SHGetFolderPathA(NULL, CSIDL_APPDATA | CSIDL_FLAG_CREATE, NULL, 0, szAppData);
    CString strFolder = szAppData;
    strFolder += FoundationText::kDataFolder;
    ::CreateDirectoryA(strFolder, NULL);
    return strFolder;
}

CString GetTempFolder()
{
    char szTemp[MAX_PATH + 1] = "";
    DWORD n = ::GetTempPathA(MAX_PATH, szTemp);
    if (n == 0 || n > MAX_PATH)
        szTemp[0] = '\0';
    CString strFolder = szTemp;
    strFolder += FoundationText::kTempFolder;
    ::CreateDirectoryA(strFolder, NULL);
    strFolder += "\\";
    return strFolder;
}

CString CreateUniqueAttachFolder()
{
    CString strTemp = GetTempFolder();
    CString strAttach = strTemp + FoundationText::kAttachFolder;
    ::CreateDirectoryA(strAttach, NULL);
    // Windows on other threads look for a folder at the same time: the folder is taken by creating it, so
    // two of them never get the same one and one's clean-up never deletes the other's files.
    CString strFolder;
    int nOtherFailures = 0;
    for (int n = 1;;)
    {
        strFolder.Format("%s%s\\%d", (const char*)strTemp, FoundationText::kAttachFolder, n);
        if (::CreateDirectoryA(strFolder, NULL))
            break;
        const DWORD dwError = ::GetLastError();
        if (dwError == ERROR_ALREADY_EXISTS)
        {
            ++n;
            continue;
        }
        // The Attach folder emptied by another start meanwhile: made again, the same name is tried again.
        // A folder that cannot be made at all is returned still; writing into it reports why.
        if (++nOtherFailures > 3)
            break;
        ::CreateDirectoryA(strAttach, NULL);
    }
    return strFolder;
}

CString GetTempHtmlPath()
{
    return GetTempFolder() + FoundationText::kHtmlFolder;
}

CString GetDriveOrShare(const char* pszPath)
{
    PathParts parts = SplitPath(pszPath);
    if (!parts.strDrive.IsEmpty())
        return parts.strDrive;
    CRegExp re("^\\\\\\\\([^\\\\]*)\\\\([^\\\\]*)\\\\(.*)", false);
    if (pszPath != NULL && re.Match(pszPath) && re.SubStrings() == 3)
        return "\\\\" + re.GetSubString(1) + "\\" + re.GetSubString(2) + "\\";
    return CString();
}

CString GetPathFolder(const char* pszPath)
{
    PathParts parts = SplitPath(pszPath);
    return parts.strDrive + parts.strDir;
}

CString GetPathExtension(const char* pszPath)
{
    return SplitPath(pszPath).strExtension;
}

CString GetPathFileNameExt(const char* pszPath)
{
    PathParts parts = SplitPath(pszPath);
    return parts.strName + parts.strExtension;
}

CString RegQueryValueText(const char* pszSubKey, HKEY hKeyRoot)
{
    LONG cbValue = 0;
    if (::RegQueryValueA(hKeyRoot, pszSubKey, NULL, &cbValue) != ERROR_SUCCESS || cbValue <= 0)
        return CString();
    CString strValue;
    char* pszValue = strValue.GetBuffer(cbValue);
    LONG cbRead = cbValue;
    LONG lResult = ::RegQueryValueA(hKeyRoot, pszSubKey, pszValue, &cbRead);
    if (lResult != ERROR_SUCCESS)
        pszValue[0] = '\0';
    else
        pszValue[cbValue - 1] = '\0';
    strValue.ReleaseBuffer();
    return strValue;
}

BOOL DeleteFolderContents(const char* pszFolder, const char* pszKeep)
{
    CString strFolder = pszFolder ? pszFolder : "";
    if (strFolder.IsEmpty() || strFolder[strFolder.GetLength() - 1] != '\\')
        strFolder += "\\";
    WIN32_FIND_DATAA findData;
    CFindHolder find(::FindFirstFileA(strFolder + "*.*", &findData));
    if (find.m_hFind == INVALID_HANDLE_VALUE)
        return TRUE;
    do
    {
        const char* pszName = findData.cFileName;
        if (strcmp(pszName, ".") == 0 || strcmp(pszName, "..") == 0)
            continue;
        if (pszKeep != NULL && lstrcmpiA(pszName, pszKeep) == 0)
            continue;
        CString strPath = strFolder + pszName;
        if (findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            DeleteFolderTree(strPath);
            continue;
        }
        if (!::DeleteFileA(strPath))
        {
            DWORD dwError = 0;
            CString strSystem = GetLastErrorText(&dwError);
            if (dwError == ERROR_ACCESS_DENIED)
                continue;
            CString strMessage = FoundationText::kDeleteFileFailed;
            strMessage += strPath;
            strMessage += "\r\n\r\n";
            strMessage += strSystem;
            throw new CException(strMessage);
        }
    } while (::FindNextFileA(find.m_hFind, &findData));
    return TRUE;
}

void DeleteFolderTree(const char* pszFolder)
{
    DeleteFolderContents(pszFolder, NULL);
    ::RemoveDirectoryA(pszFolder);
}

void DeleteAttachTempFolder()
{
    DeleteFolderContents(GetTempFolder() + FoundationText::kAttachFolder, NULL);
}

int ConfirmReplaceFile(const char* pszPath)
{
    CFileStatus status;
    if (!CFile::GetFileStatus(pszPath, status))
        return IDYES;
    CString strFormat, strQuestion;
    strFormat.LoadString(IDS_FILE_EXISTS_REPLACE);
    strQuestion.Format(strFormat, pszPath);
    int nButton = AppMessageBox(strQuestion, MB_YESNOCANCEL | MB_ICONQUESTION, NULL);
    if (nButton == IDYES && !::DeleteFileA(pszPath))
    {
        CString strSystem = GetLastErrorText();
        strFormat.LoadString(IDS_CREATE_ATTACHED_FILE_FAILED);
        CString strMessage;
        strMessage.Format(strFormat, pszPath, (const char*)strSystem);
        throw new CException(strMessage);
    }
    return nButton;
}

CString GetClipboardText()
{
    CString strText;
    CClipboardHolder clipboard;
    if (!clipboard.m_bOpen)
        return strText;
    HANDLE hData = ::GetClipboardData(CF_TEXT);
    if (hData == NULL)
        return strText;
    const char* pszData = (const char*)::GlobalLock(hData);
    if (pszData != NULL)
    {
        // The block may lack its terminator: read no further than it reaches.
        SIZE_T cb = ::GlobalSize(hData);
        SIZE_T n = 0;
        while (n < cb && pszData[n] != '\0')
            ++n;
        strText = CString(pszData, (int)n);
        ::GlobalUnlock(hData);
    }
    return strText;
}

void SetClipboardText(const char* pszText)
{
    if (pszText == NULL)
        pszText = "";
    CClipboardHolder clipboard;
    if (!clipboard.m_bOpen)
        return;
    ::EmptyClipboard();
    size_t n = strlen(pszText);
    HGLOBAL hData = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, n + 1);
    if (hData == NULL)
        return;
    char* pszData = (char*)::GlobalLock(hData);
    if (pszData == NULL)
    {
        ::GlobalFree(hData);
        return;
    }
    memcpy(pszData, pszText, n);
    ::GlobalUnlock(hData);
    if (::SetClipboardData(CF_TEXT, hData) == NULL)
        ::GlobalFree(hData);
}

int CALLBACK AddFontNameToCombo(const LOGFONTA* pLogFont, const TEXTMETRICA*, DWORD, LPARAM lParam)
{
    ::SendMessageA((HWND)lParam, CB_ADDSTRING, 0, (LPARAM)pLogFont->lfFaceName);
    return 1;
}

COLORREF SwapRedBlue(COLORREF color)
{
    return (color & 0xFF00FF00) | ((color & 0xFF) << 16) | ((color >> 16) & 0xFF);
}

bool IsWordLetter(unsigned char c)
{
    if (::IsCharAlphaA((CHAR)c))
        return true;
    if (c == 0xF7 || c == 0xF8)
        return true;
    if (c == ' ' || (c >= '\t' && c <= '\r'))
        return false;
    if (c >= '0' && c <= '9')
        return false;
    bool bAsciiPunctuation = (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) ||
                             (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
    if (bAsciiPunctuation)
        return c == '?';
    if (c >= 0x80 && c <= 0xBF)
        return c == 0xA8 || c == 0xB8;
    return true;
}
