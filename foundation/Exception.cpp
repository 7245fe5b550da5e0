// The program's general exception.
#include "foundation/Exception.h"

CException::CException(const char* pszMessage, const char* pszDetail)
    : m_strMessage(pszMessage ? pszMessage : ""), m_strDetail(pszDetail ? pszDetail : "")
{
}

CException::~CException() {}
