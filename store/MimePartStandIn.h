// Placeholder for the parsed message until the message part tree exists: keeps the text it was made from.
#pragma once

#include <atlstr.h>

class CMimePart
{
public:
    explicit CMimePart(const char* pszText) : m_strText(pszText) {}
    virtual ~CMimePart() {}

    CString m_strText;
};
