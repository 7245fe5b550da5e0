// Small helpers: the value types and the wait cursor.
#pragma once

#include <windows.h>

#include <atlgdi.h>
#include <atltypes.h>
#include <atluser.h>

namespace WTL
{

// Shows the hourglass for the life of the object and restores the previous cursor.
class CWaitCursor
{
public:
    HCURSOR m_hWaitCursor;
    HCURSOR m_hOldCursor;
    bool m_bInUse;

    CWaitCursor(bool bSet = true, LPCSTR lpstrCursor = IDC_WAIT, bool bSys = true)
        : m_hOldCursor(NULL), m_bInUse(false)
    {
        m_hWaitCursor = ::LoadCursorA(bSys ? NULL : ATL::AtlGetResourceInstance(), lpstrCursor);
        if (bSet)
            Set();
    }
    ~CWaitCursor() { Restore(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    bool Set()
    {
        if (m_bInUse)
            return false;
        m_hOldCursor = ::SetCursor(m_hWaitCursor);
        m_bInUse = true;
        return true;
    }
    bool Restore()
    {
        if (!m_bInUse)
            return false;
        ::SetCursor(m_hOldCursor);
        m_bInUse = false;
        return true;
    }
};

} // namespace WTL

#ifndef _WTL_NO_AUTOMATIC_NAMESPACE
using namespace WTL;
#endif
