// Stands in for the host program started by the shell: writes its command line beside itself and ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char szPath[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath = szPath;
    strPath = strPath.substr(0, strPath.rfind('\\') + 1) + "command-line.txt";
    std::string strPart = strPath + ".part";
    HANDLE hFile = ::CreateFileA(strPart.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return 1;
    const char* pszLine = ::GetCommandLineA();
    DWORD cbWritten = 0;
    ::WriteFile(hFile, pszLine, static_cast<DWORD>(strlen(pszLine)), &cbWritten, nullptr);
    ::CloseHandle(hFile);
    // Renamed when whole, so a reader never sees half a line.
    ::MoveFileExA(strPart.c_str(), strPath.c_str(), MOVEFILE_REPLACE_EXISTING);
    return 0;
}
