// Placeholder for the parsed message until the message part tree exists: keeps the text it was made from
// and answers header look-ups from it.
#pragma once

#include <atlstr.h>

class CMimePart
{
public:
    explicit CMimePart(const char* pszText) : m_strText(pszText) {}
    virtual ~CMimePart() {}

    // The value of the first field of that name (lower case); parameters are not told apart.
    CString GetHeader(const char* pszField, const char* pszParameter) const;

    CString m_strText;
};
