// A program for the installation tests: started by the updater, it leaves RUNME.MARKER beside itself.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    char* pszSlash = strrchr(szPath, '\\');
    if (pszSlash)
        lstrcpyA(pszSlash + 1, "RUNME.MARKER");
    HANDLE h = CreateFileA(szPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return 0;
}
