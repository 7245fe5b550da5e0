#include "PeerFiles.h"

#include <cstdlib>

UINT PeerPort(const char* pszVariable)
{
    const char* pszValue = getenv(pszVariable);
    return pszValue ? static_cast<UINT>(atoi(pszValue)) : 0;
}

std::string PeerFolder()
{
    const char* pszValue = getenv("ORB_PEER_DIR");
    if (!pszValue || !*pszValue)
        return std::string();
    std::string path = std::string("Z:") + pszValue + "/";
    for (char& c : path)
    {
        if (c == '/')
            c = '\\';
    }
    return path;
}

std::string ReadWholeFile(const std::string& path)
{
    std::string bytes;
    HANDLE hFile =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                    OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD nRead = 0;
    while (ReadFile(hFile, buffer, sizeof(buffer), &nRead, NULL) && nRead > 0)
        bytes.append(buffer, nRead);
    CloseHandle(hFile);
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    DWORD nWritten = 0;
    WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, NULL);
    CloseHandle(hFile);
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ListFiles(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((folder + "*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    return names;
}
