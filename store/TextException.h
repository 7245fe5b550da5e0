// Plain text exceptions whose text is built at run time.
#pragma once

// Throws a const char* that stays valid for the rest of the process: catchers never free text exceptions,
// and the text must outlive the object that formed it. Equal texts share one copy.
[[noreturn]] void ThrowText(const char* pszText);
