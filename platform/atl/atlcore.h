// The module handles shared by the template layers: where code and resources of this module live.
#pragma once

#include <windows.h>

namespace ATL
{

// Constant-initialised, so code running in other static constructors may already ask it.
class CAtlBaseModule
{
public:
    constexpr CAtlBaseModule() = default;

    // The module this library is linked into (the DLL or program).
    HINSTANCE GetModuleInstance() const;
    // Where strings, dialogs and other resources are loaded from; the module itself unless set.
    HINSTANCE GetResourceInstance() const;
    HINSTANCE SetResourceInstance(HINSTANCE hInstResource);

private:
    HINSTANCE m_hInstResource = nullptr;
};

extern CAtlBaseModule _AtlBaseModule;

} // namespace ATL
