// The listing of one folder of the update server over WinINet's FTP.
#include "updater/ServerFileList.h"

#include "foundation/Exception.h"
#include "updater/UpdateResources.h"
#include "updater/UpdateVersion.h"

namespace
{

// Closes a WinINet handle on every way out.
class CInternetHandle
{
public:
    explicit CInternetHandle(HINTERNET h = nullptr) : m_h(h) {}
    ~CInternetHandle()
    {
        if (m_h)
            InternetCloseHandle(m_h);
    }
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;
    operator HINTERNET() const { return m_h; }
    HINTERNET m_h;
};

[[noreturn]] void ThrowOpenFailed(const char* pszUrl)
{
    char szResponse[2048] = "";
    DWORD dwError = 0;
    DWORD dwLength = sizeof(szResponse);
    if (!InternetGetLastResponseInfoA(&dwError, szResponse, &dwLength))
        szResponse[0] = '\0';
    szResponse[sizeof(szResponse) - 1] = '\0';
    CString strText;
    strText.Format(LoadUpdateString(IDS_UPDATE_OPEN_FAILED), pszUrl, szResponse);
    throw new CException(strText);
}

} // namespace

void CServerFileList::Clear()
{
    m_names.clear();
    m_serverNames.clear();
    m_sizes.clear();
    m_folders.clear();
    m_strURL.Empty();
}

// WinINet cannot open an FTP folder by its URL (the server answers "550 Is a directory."): the folder is
// listed through a connection of its own, with the URL's credentials, in active mode.
void CServerFileList::Read(HINTERNET hInternet, const char* pszUrl)
{
    Clear();
    char szHost[INTERNET_MAX_HOST_NAME_LENGTH + 1] = "";
    char szUser[INTERNET_MAX_USER_NAME_LENGTH + 1] = "";
    char szPassword[INTERNET_MAX_PASSWORD_LENGTH + 1] = "";
    char szPath[INTERNET_MAX_PATH_LENGTH + 1] = "";
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = szHost;
    parts.dwHostNameLength = sizeof(szHost);
    parts.lpszUserName = szUser;
    parts.dwUserNameLength = sizeof(szUser);
    parts.lpszPassword = szPassword;
    parts.dwPasswordLength = sizeof(szPassword);
    parts.lpszUrlPath = szPath;
    parts.dwUrlPathLength = sizeof(szPath);
    if (hInternet == nullptr || pszUrl == nullptr || !InternetCrackUrlA(pszUrl, 0, 0, &parts) ||
        parts.nScheme != INTERNET_SCHEME_FTP)
        ThrowOpenFailed(pszUrl ? pszUrl : "");

    CInternetHandle hConnect(InternetConnectA(hInternet, szHost, parts.nPort, szUser[0] ? szUser : nullptr,
                                              szPassword[0] ? szPassword : nullptr, INTERNET_SERVICE_FTP, 0,
                                              0));
    if (!hConnect)
        ThrowOpenFailed(pszUrl);
    CString strPattern = JoinFolderUrl(szPath[0] ? szPath : "/");
    strPattern += '*';
    WIN32_FIND_DATAA data = {};
    CInternetHandle hFind(
        FtpFindFirstFileA(hConnect, strPattern, &data, INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE, 0));
    if (!hFind)
    {
        // An empty folder is a listing of nothing, not a failure: the server then answered the listing
        // with success (2xx), where a missing folder gets a 5xx reply.
        DWORD dwError = GetLastError();
        char szResponse[2048] = "";
        DWORD dwResponseError = 0, dwLength = sizeof(szResponse);
        if (!InternetGetLastResponseInfoA(&dwResponseError, szResponse, &dwLength))
            szResponse[0] = '\0';
        if (dwError == ERROR_NO_MORE_FILES || szResponse[0] == '2')
        {
            m_strURL = pszUrl;
            return;
        }
        ThrowOpenFailed(pszUrl);
    }
    do
    {
        if (strcmp(data.cFileName, ".") == 0 || strcmp(data.cFileName, "..") == 0)
            continue;
        CString strName(data.cFileName);
        m_serverNames.push_back(strName);
        strName.MakeUpper();
        m_names.push_back(strName);
        m_sizes.push_back(data.nFileSizeLow);
        m_folders.push_back((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (InternetFindNextFileA(hFind, &data));
    m_strURL = pszUrl;
}

int CServerFileList::Find(const char* pszName) const
{
    CString strName(pszName ? pszName : "");
    strName.MakeUpper();
    for (size_t i = 0; i < m_names.size(); ++i)
    {
        if (m_names[i] == strName)
            return static_cast<int>(i);
    }
    return -1;
}

bool CServerFileList::Contains(const char* pszName) const
{
    return Find(pszName) >= 0;
}

DWORD CServerFileList::GetFileSize(const char* pszName) const
{
    int i = Find(pszName);
    if (i < 0)
        throw new CException("FATAL ERROR: Open " + JoinFolderUrl(m_strURL) + (pszName ? pszName : "") +
                             " file failed!");
    return m_sizes[i];
}

CString CServerFileList::GetFileUrl(const char* pszName) const
{
    GetFileSize(pszName);
    return JoinFolderUrl(m_strURL) + m_serverNames[Find(pszName)];
}
