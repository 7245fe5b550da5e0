// The process-wide module handles of the template layers.
#include "atlcore.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace ATL
{

CAtlBaseModule _AtlBaseModule;

HINSTANCE CAtlBaseModule::GetModuleInstance() const
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

HINSTANCE CAtlBaseModule::GetResourceInstance() const
{
    return m_hInstResource ? m_hInstResource : GetModuleInstance();
}

HINSTANCE CAtlBaseModule::SetResourceInstance(HINSTANCE hInstResource)
{
    HINSTANCE hOld = m_hInstResource;
    m_hInstResource = hInstResource;
    return hOld;
}

} // namespace ATL
