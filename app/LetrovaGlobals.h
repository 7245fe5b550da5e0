// Process-wide state of the mail client: the window module, the one COM object with the objects it shares,
// the hand-over events and the single-instance role.
#pragma once

#include <windows.h>

#include <atlapp.h>

class CLetrova;
class CFileException;
class CDatabaseMy;

extern CAppModule _Module;

// Set by the COM object's constructor, cleared by its destructor.
extern CLetrova* g_pLetrova;
extern CDatabaseMy* g_pDatabaseMy;
extern HMODULE g_hRichEdit;
// Auto-reset events, created set: the message-file, list hand-over and message-window signals.
extern HANDLE g_hEventMessageFile;
extern HANDLE g_hEventListHandOver;
extern HANDLE g_hEventMessageWindow;

extern const char kLetrovaMutexName[];

// The role is decided by the first process that opens windows, not by every process that loads the
// library: a program that only sends mail through Simple MAPI must not make the running client a
// second instance. Decided once per process; returns the second-instance flag. The first instance also
// empties its temporary "Attach" and "HTML" folders then.
BOOL DecideInstanceRole();
// Gives the role up: on unloading, and for tests that play both instances in turn.
void ReleaseInstanceRole();
// Writes "Current thread count" to the settings directly: a settings object built at unloading would
// reopen and empty the trace file.
void WriteThreadCount(LONG nCount);
// The "ERROR: ..." stop box for a file failure met at a COM or thread boundary, traced when asked;
// deletes the exception.
void ShowFileException(CFileException* pException, bool bTrace);
