// The tag walk by its defining pattern, "^(.*)(<.*>)(.*)" matched on what remains: the reference that the
// linear scanner must agree with, in the tests, the fuzz target and the benchmark.
#pragma once

#include <atlstr.h>

#include "foundation/RegExp.h"

inline bool FindLastHtmlTagByPattern(const char* pszText, int nLength, int& nStart, int& nEnd)
{
    CString strText(pszText, nLength);
    CRegExp pattern("^(.*)(<.*>)(.*)", true);
    if (!pattern.Match(strText))
        return false;
    nStart = pattern.SubLength(1);
    nEnd = nStart + pattern.SubLength(2);
    return true;
}
