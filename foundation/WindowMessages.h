// The program's registered window messages. The "Get" messages carry in wParam the address of the
// variable that receives the answer.
#pragma once

#include <windows.h>

extern UINT LetrovaSplitVertical;
extern UINT LetrovaSplitHorizontal;
extern UINT LetrovaGetTable;
extern UINT LetrovaGetDatabase;
extern UINT LetrovaGetOrbDatabase;
extern UINT LetrovaGetAccountsDatabase;
extern UINT LetrovaGetMyDatabase;
extern UINT LetrovaGetRegistry;
extern UINT LetrovaGetIdThread;
extern UINT LetrovaGethEventDlgProgress;
// wParam = command id, lParam = non-zero to enable.
extern UINT LetrovaEnable;
extern UINT LetrovaNotifyIcon;
// Finds a running instance; registered by the library's start-up, not by RegisterLetrovaMessages.
extern UINT LetrovaAreYouMe;

// Registers the twelve private messages; the numbers are the same in every thread and module.
void RegisterLetrovaMessages();
UINT RegisterLetrovaAreYouMe();
