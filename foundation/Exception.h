// The program's general exception: thrown as a pointer, deleted by whoever catches it.
#pragma once

#include <atlstr.h>

class CException
{
public:
    // A null detail gives an empty detail text.
    explicit CException(const char* pszMessage, const char* pszDetail = NULL);
    virtual ~CException();

    CString m_strMessage;
    CString m_strDetail;
};
