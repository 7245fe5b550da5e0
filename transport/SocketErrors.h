// Texts of the Windows Sockets error codes, as the socket layer reports them.
#pragma once

// "Unknown error." for a code the table does not hold.
const char* GetSocketErrorText(int nError);
