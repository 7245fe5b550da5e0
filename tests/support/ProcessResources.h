// What a process holds of the system's limited objects, read so that a test can make and destroy windows in
// a loop and see whether anything stays behind.
#pragma once

#include <windows.h>

#include <string>

struct CProcessResources
{
    // GDI objects, windows (of every thread of the process, message-only ones included), menus, kernel
    // handles and threads.
    int nGdiObjects = 0;
    int nWindows = 0;
    int nMenus = 0;
    int nHandles = 0;
    int nThreads = 0;

    static CProcessResources Read();
    // "gdi 12, windows 3, ..." for a failure message.
    std::string Describe() const;
    bool operator==(const CProcessResources& other) const;
};
