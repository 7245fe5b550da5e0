// The few Win32 declarations the address-list splitter and its headers name, for its native fuzz target.
#pragma once

#include <cstddef>
// The real header brings in the C string functions, and code that includes it may rely on that.
#include <cstring>

typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned long DWORD;
typedef long LONG;
typedef struct HWND__* HWND;
typedef struct HKEY__* HKEY;
typedef struct HINSTANCE__* HMODULE;
typedef struct _GUID
{
    unsigned char bytes[16];
} GUID;
typedef const GUID& REFCLSID;
typedef const GUID& REFIID;
typedef struct _OSVERSIONINFOEXA OSVERSIONINFOEXA;

#define TRUE 1
#define FALSE 0
#define REG_SZ 1
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(0x80000000ul))
// There is no string table natively: the text a CString would load is the empty one it holds.
#define LoadString(id) IsEmpty()
