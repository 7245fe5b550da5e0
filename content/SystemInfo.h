// The block of machine and component information that error reports and error dialogs append.
#pragma once

#include <windows.h>

#include <atlstr.h>

// Path of a COM class's in-process server and its file version text; on failure strInformation says why.
bool GetComponentPath(REFCLSID clsid, CString& strPath, CString& strInformation);
// "MLang file:" and "MLang file version:" lines; empty when MLang's path is not registered.
CString GetMLangVersionText();
// Never throws: it runs inside error handlers.
CString SystemInfoText();

// The platform, version and service pack lines for a version record.
CString WindowsVersionText(const OSVERSIONINFOEXA& info, BOOL bExtended);

// The spelling tools' version lines come from the compose code, which registers its reader here. The
// reader throws a CException when the spelling library cannot be loaded.
typedef CString (*SpellCheckerVersionTextProc)();
void SetSpellCheckerVersionTextProc(SpellCheckerVersionTextProc pfnProc);
