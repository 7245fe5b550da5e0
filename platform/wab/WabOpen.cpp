// wab32.dll's entry: WABOpen finds the user's address book file and opens it read-only.
#include <windows.h>

#include <shlobj.h>
// mingw-w64's wab.h pulls in mapidefs.h beside wabdefs.h, which clash: the pieces are taken one by one.
#include <wabdefs.h>
#include <wabcode.h>
#include <wabtags.h>
#include <wabiab.h>
#include <wabapi.h>

#include <cstddef>
#include <memory>
#include <string>

#include "platform/wab/WabObjects.h"

namespace
{
// WAB_PARAM as the first WAB versions knew it: without the property-sheet GUID.
const ULONG kFourFieldParamSize = offsetof(WAB_PARAM, guidPSExt);

std::string DefaultFileName()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\WAB\\WAB4\\Wab File Name", 0, KEY_READ,
                      &hKey) == ERROR_SUCCESS)
    {
        char szPath[MAX_PATH] = "";
        DWORD cb = sizeof(szPath) - 1;
        DWORD type = 0;
        const LONG result =
            RegQueryValueExA(hKey, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(szPath), &cb);
        RegCloseKey(hKey);
        if (result == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && szPath[0] != '\0')
            return szPath;
    }
    char szAppData[MAX_PATH] = "";
    char szUser[256] = "";
    DWORD cchUser = sizeof(szUser);
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, szAppData)) ||
        !GetUserNameA(szUser, &cchUser))
        return std::string();
    return std::string(szAppData) + "\\Microsoft\\Address Book\\" + szUser + ".wab";
}

HRESULT ReadWholeFile(const std::string& path, std::string& bytes)
{
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
    {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? MAPI_E_NOT_FOUND
                                                                              : MAPI_E_NO_ACCESS;
    }
    LARGE_INTEGER size = {};
    HRESULT hr = S_OK;
    if (!GetFileSizeEx(hFile, &size) || size.QuadPart > static_cast<LONGLONG>(WabLayout::kMaxFileSize))
        hr = MAPI_E_CORRUPT_DATA;
    else
    {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!bytes.empty() &&
            (!ReadFile(hFile, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) ||
             read != bytes.size()))
            hr = MAPI_E_DISK_ERROR;
    }
    CloseHandle(hFile);
    return hr;
}
} // namespace

extern "C" HRESULT WINAPI WABOpen(LPADRBOOK* lppAdrBook, LPWABOBJECT* lppWABObject, LPWAB_PARAM lpWP, DWORD)
{
    if (lppAdrBook == nullptr || lppWABObject == nullptr)
        return MAPI_E_INVALID_PARAMETER;
    *lppAdrBook = nullptr;
    *lppWABObject = nullptr;
    try
    {
        std::string path;
        if (lpWP != nullptr)
        {
            if (lpWP->cbSize != sizeof(WAB_PARAM) && lpWP->cbSize != kFourFieldParamSize)
                return MAPI_E_INVALID_PARAMETER;
            if (lpWP->szFileName != nullptr)
                path = lpWP->szFileName;
        }
        if (path.empty())
            path = DefaultFileName();
        if (path.empty())
            return MAPI_E_NOT_FOUND;

        std::string bytes;
        HRESULT hr = ReadWholeFile(path, bytes);
        if (FAILED(hr))
            return hr;
        auto pFile = std::make_shared<CWabFile>();
        switch (pFile->Load(bytes))
        {
        case kWabLoaded:
            break;
        case kWabOlderFormat:
            return MAPI_E_VERSION;
        default:
            return MAPI_E_CORRUPT_DATA;
        }
        return CreateWabObjects(pFile, lppAdrBook, lppWABObject);
    }
    catch (...)
    {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
}
