// Which member names of a cabinet archive may be written below the folder it is extracted into.
#pragma once

// False for an empty name, an absolute, drive or UNC path, a ".." part, a colon, a control character or a
// reserved device name as any part (CON, NUL, COM1, "aux.txt", ...).
bool IsSafeMemberName(const char* pszName);
