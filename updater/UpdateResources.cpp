// The module whose resources the updater reads, and the loader of its strings.
#include "updater/UpdateResources.h"

HINSTANCE g_hUpdateResources = nullptr;

CString LoadUpdateString(UINT nId)
{
    CString str;
    str.LoadString(g_hUpdateResources ? g_hUpdateResources : GetModuleHandleA(nullptr), nId);
    return str;
}
