// The program's registered window messages.
#include "foundation/WindowMessages.h"

UINT LetrovaSplitVertical = 0;
UINT LetrovaSplitHorizontal = 0;
UINT LetrovaGetTable = 0;
UINT LetrovaGetDatabase = 0;
UINT LetrovaGetOrbDatabase = 0;
UINT LetrovaGetAccountsDatabase = 0;
UINT LetrovaGetMyDatabase = 0;
UINT LetrovaGetRegistry = 0;
UINT LetrovaGetIdThread = 0;
UINT LetrovaGethEventDlgProgress = 0;
UINT LetrovaEnable = 0;
UINT LetrovaNotifyIcon = 0;
UINT LetrovaAreYouMe = 0;

void RegisterLetrovaMessages()
{
    LetrovaSplitVertical = ::RegisterWindowMessageA("LetrovaSplitVertical");
    LetrovaSplitHorizontal = ::RegisterWindowMessageA("LetrovaSplitHorizontal");
    LetrovaGetTable = ::RegisterWindowMessageA("LetrovaGetTable");
    LetrovaGetDatabase = ::RegisterWindowMessageA("LetrovaGetDatabase");
    LetrovaGetOrbDatabase = ::RegisterWindowMessageA("LetrovaGetOrbDatabase");
    LetrovaGetAccountsDatabase = ::RegisterWindowMessageA("LetrovaGetAccountsDatabase");
    LetrovaGetMyDatabase = ::RegisterWindowMessageA("LetrovaGetMyDatabase");
    LetrovaGetRegistry = ::RegisterWindowMessageA("LetrovaGetRegistry");
    LetrovaGetIdThread = ::RegisterWindowMessageA("LetrovaGetIdThread");
    LetrovaGethEventDlgProgress = ::RegisterWindowMessageA("LetrovaGethEventDlgProgress");
    LetrovaEnable = ::RegisterWindowMessageA("LetrovaEnable");
    LetrovaNotifyIcon = ::RegisterWindowMessageA("LetrovaNotifyIcon");
}

UINT RegisterLetrovaAreYouMe()
{
    LetrovaAreYouMe = ::RegisterWindowMessageA("LetrovaAreYouMe");
    return LetrovaAreYouMe;
}
