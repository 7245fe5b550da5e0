// Stands in for the product family's main program: loads OrbMail.dll beside it and runs the client.
#include <windows.h>

#include <cstdio>
#include <string>

int main()
{
    char exePath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exePath, MAX_PATH);
    std::string folder(exePath);
    folder.resize(folder.find_last_of("\\/") + 1);

    HMODULE hOrbMail = LoadLibraryA((folder + "OrbMail.dll").c_str());
    if (!hOrbMail)
    {
        std::fprintf(stderr, "Cannot load OrbMail.dll (error %lu)\n", GetLastError());
        return 2;
    }
    typedef int(WINAPI * DllRunProc)();
    DllRunProc pDllRun = reinterpret_cast<DllRunProc>(GetProcAddress(hOrbMail, "DllRun"));
    int result = pDllRun ? pDllRun() : 2;
    FreeLibrary(hOrbMail);
    return result;
}
