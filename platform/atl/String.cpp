// The portable core of CString: everything that does not depend on the code page.
#include "atlstr.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace ATL
{

namespace
{

const char kWhitespace[] = " \t\n\v\f\r";

// Clamps a caller's (possibly negative or oversized) position into [0, nLength].
size_t ClampPos(long long iPos, size_t nLength)
{
    if (iPos < 0)
        return 0;
    return std::min(static_cast<size_t>(iPos), nLength);
}

int Sign(int n)
{
    return (n > 0) - (n < 0);
}

int CompareBytes(const char* pch1, size_t n1, const char* pch2, size_t n2)
{
    const int nCmp = n1 && n2 ? std::memcmp(pch1, pch2, std::min(n1, n2)) : 0;
    if (nCmp != 0)
        return Sign(nCmp);
    return (n1 > n2) - (n1 < n2);
}

int CompareBytesNoCase(const char* pch1, size_t n1, const char* pch2, size_t n2)
{
    const size_t nCommon = std::min(n1, n2);
    for (size_t i = 0; i < nCommon; ++i)
    {
        const int c1 = StringPlatform::FoldCase(static_cast<unsigned char>(pch1[i]));
        const int c2 = StringPlatform::FoldCase(static_cast<unsigned char>(pch2[i]));
        if (c1 != c2)
            return c1 < c2 ? -1 : 1;
    }
    return (n1 > n2) - (n1 < n2);
}

} // namespace

CString::CString(const char* psz)
{
    if (psz)
        m_str = psz;
}

CString::CString(const char* pch, int nLength)
{
    if (pch && nLength > 0)
        m_str.assign(pch, static_cast<size_t>(nLength));
}

CString::CString(char ch, int nRepeat)
{
    if (nRepeat > 0)
        m_str.assign(static_cast<size_t>(nRepeat), ch);
}

CString::CString(const wchar_t* psz)
{
    if (psz)
        AssignWide(psz, std::wcslen(psz));
}

CString::CString(const wchar_t* pch, int nLength)
{
    if (pch && nLength > 0)
        AssignWide(pch, static_cast<size_t>(nLength));
}

void CString::AssignWide(const wchar_t* pch, size_t nLength)
{
    m_str = StringPlatform::WideToAnsi(pch, nLength);
}

CString& CString::operator=(const char* psz)
{
    // psz may point into this string's own text, which assign copes with.
    if (psz)
        m_str.assign(psz);
    else
        m_str.clear();
    return *this;
}

CString& CString::operator=(const wchar_t* psz)
{
    if (psz)
        AssignWide(psz, std::wcslen(psz));
    else
        m_str.clear();
    return *this;
}

CString& CString::operator=(char ch)
{
    m_str.assign(1, ch);
    return *this;
}

CString& CString::operator+=(const CString& str)
{
    m_str += str.m_str;
    return *this;
}

CString& CString::operator+=(const char* psz)
{
    if (psz)
        m_str.append(psz);
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_str += ch;
    return *this;
}

char CString::GetAt(int iChar) const
{
    if (iChar < 0 || static_cast<size_t>(iChar) > m_str.size())
        return '\0';
    return m_str.c_str()[iChar];
}

void CString::SetAt(int iChar, char ch)
{
    if (iChar >= 0 && static_cast<size_t>(iChar) < m_str.size())
        m_str[static_cast<size_t>(iChar)] = ch;
}

int CString::Compare(const char* psz) const
{
    return CompareBytes(m_str.data(), m_str.size(), psz ? psz : "", psz ? std::strlen(psz) : 0);
}

int CString::Compare(const CString& str) const
{
    return CompareBytes(m_str.data(), m_str.size(), str.m_str.data(), str.m_str.size());
}

int CString::CompareNoCase(const char* psz) const
{
    return CompareBytesNoCase(m_str.data(), m_str.size(), psz ? psz : "", psz ? std::strlen(psz) : 0);
}

int CString::CompareNoCase(const CString& str) const
{
    return CompareBytesNoCase(m_str.data(), m_str.size(), str.m_str.data(), str.m_str.size());
}

CString CString::Left(int nCount) const
{
    return Mid(0, nCount);
}

CString CString::Mid(int iFirst) const
{
    return Mid(iFirst, GetLength());
}

CString CString::Mid(int iFirst, int nCount) const
{
    const size_t nFirst = ClampPos(iFirst, m_str.size());
    const size_t nTake = ClampPos(nCount, m_str.size() - nFirst);
    CString strResult;
    strResult.m_str.assign(m_str, nFirst, nTake);
    return strResult;
}

CString CString::Right(int nCount) const
{
    const size_t nTake = ClampPos(nCount, m_str.size());
    CString strResult;
    strResult.m_str.assign(m_str, m_str.size() - nTake, nTake);
    return strResult;
}

int CString::Find(char ch, int iStart) const
{
    if (iStart < 0 || static_cast<size_t>(iStart) > m_str.size())
        return -1;
    const size_t nPos = m_str.find(ch, static_cast<size_t>(iStart));
    return nPos == std::string::npos ? -1 : static_cast<int>(nPos);
}

int CString::Find(const char* pszSub, int iStart) const
{
    if (!pszSub || iStart < 0 || static_cast<size_t>(iStart) > m_str.size())
        return -1;
    const size_t nPos = m_str.find(pszSub, static_cast<size_t>(iStart));
    return nPos == std::string::npos ? -1 : static_cast<int>(nPos);
}

int CString::ReverseFind(char ch) const
{
    const size_t nPos = m_str.rfind(ch);
    return nPos == std::string::npos ? -1 : static_cast<int>(nPos);
}

int CString::FindOneOf(const char* pszCharSet) const
{
    if (!pszCharSet || !*pszCharSet)
        return -1;
    const size_t nPos = m_str.find_first_of(pszCharSet);
    return nPos == std::string::npos ? -1 : static_cast<int>(nPos);
}

int CString::Replace(char chOld, char chNew)
{
    int nCount = 0;
    for (char& ch : m_str)
    {
        if (ch == chOld)
        {
            ch = chNew;
            ++nCount;
        }
    }
    return nCount;
}

int CString::Replace(const char* pszOld, const char* pszNew)
{
    if (!pszOld || !*pszOld)
        return 0;
    // Copies first: either argument may point into this string's own text.
    const std::string strOld(pszOld);
    const std::string strNew(pszNew ? pszNew : "");
    std::string strResult;
    int nCount = 0;
    size_t nFrom = 0;
    for (size_t nPos; (nPos = m_str.find(strOld, nFrom)) != std::string::npos; nFrom = nPos + strOld.size())
    {
        strResult.append(m_str, nFrom, nPos - nFrom);
        strResult += strNew;
        ++nCount;
    }
    if (nCount)
    {
        strResult.append(m_str, nFrom, std::string::npos);
        m_str.swap(strResult);
    }
    return nCount;
}

int CString::Remove(char ch)
{
    const size_t nBefore = m_str.size();
    m_str.erase(std::remove(m_str.begin(), m_str.end(), ch), m_str.end());
    return static_cast<int>(nBefore - m_str.size());
}

int CString::Insert(int iIndex, char ch)
{
    m_str.insert(ClampPos(iIndex, m_str.size()), 1, ch);
    return GetLength();
}

int CString::Insert(int iIndex, const char* psz)
{
    if (psz)
    {
        const std::string strInsert(psz);
        m_str.insert(ClampPos(iIndex, m_str.size()), strInsert);
    }
    return GetLength();
}

int CString::Delete(int iIndex, int nCount)
{
    if (iIndex < 0)
        iIndex = 0;
    if (nCount > 0 && static_cast<size_t>(iIndex) < m_str.size())
        m_str.erase(static_cast<size_t>(iIndex), static_cast<size_t>(nCount));
    return GetLength();
}

CString& CString::MakeUpper()
{
    if (!m_str.empty())
        StringPlatform::MakeUpper(&m_str[0], m_str.size());
    return *this;
}

CString& CString::MakeLower()
{
    if (!m_str.empty())
        StringPlatform::MakeLower(&m_str[0], m_str.size());
    return *this;
}

CString& CString::TrimLeft()
{
    return TrimLeft(kWhitespace);
}

CString& CString::TrimLeft(char chTarget)
{
    m_str.erase(0, m_str.find_first_not_of(chTarget));
    return *this;
}

CString& CString::TrimLeft(const char* pszTargets)
{
    if (pszTargets && *pszTargets)
        m_str.erase(0, m_str.find_first_not_of(pszTargets));
    return *this;
}

CString& CString::TrimRight()
{
    return TrimRight(kWhitespace);
}

CString& CString::TrimRight(char chTarget)
{
    const size_t nLast = m_str.find_last_not_of(chTarget);
    m_str.erase(nLast == std::string::npos ? 0 : nLast + 1);
    return *this;
}

CString& CString::TrimRight(const char* pszTargets)
{
    if (pszTargets && *pszTargets)
    {
        const size_t nLast = m_str.find_last_not_of(pszTargets);
        m_str.erase(nLast == std::string::npos ? 0 : nLast + 1);
    }
    return *this;
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::Trim(char chTarget)
{
    return TrimRight(chTarget).TrimLeft(chTarget);
}

CString& CString::Trim(const char* pszTargets)
{
    return TrimRight(pszTargets).TrimLeft(pszTargets);
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(const char* pszFormat, va_list args)
{
    if (!pszFormat)
    {
        m_str.clear();
        return;
    }
    va_list argsMeasure;
    va_copy(argsMeasure, args);
    const int nNeeded = std::vsnprintf(nullptr, 0, pszFormat, argsMeasure);
    va_end(argsMeasure);
    // A format the runtime rejects leaves an empty text rather than a partial one.
    if (nNeeded <= 0)
    {
        m_str.clear();
        return;
    }
    // Formats into a fresh buffer: an argument may point into this string's own text.
    std::string strResult(static_cast<size_t>(nNeeded), '\0');
    std::vsnprintf(&strResult[0], strResult.size() + 1, pszFormat, args);
    m_str.swap(strResult);
}

char* CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength > 0 && static_cast<size_t>(nMinBufLength) > m_str.size())
        m_str.resize(static_cast<size_t>(nMinBufLength));
    return &m_str[0];
}

char* CString::GetBufferSetLength(int nLength)
{
    m_str.resize(nLength > 0 ? static_cast<size_t>(nLength) : 0);
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = static_cast<int>(std::strlen(m_str.c_str()));
    m_str.resize(std::min(static_cast<size_t>(nNewLength), m_str.size()));
}

CString operator+(const CString& str1, const CString& str2)
{
    CString strResult(str1);
    strResult += str2;
    return strResult;
}

CString operator+(const CString& str1, const char* psz2)
{
    CString strResult(str1);
    strResult += psz2;
    return strResult;
}

CString operator+(const char* psz1, const CString& str2)
{
    CString strResult(psz1);
    strResult += str2;
    return strResult;
}

CString operator+(const CString& str1, char ch2)
{
    CString strResult(str1);
    strResult += ch2;
    return strResult;
}

CString operator+(char ch1, const CString& str2)
{
    CString strResult(ch1);
    strResult += str2;
    return strResult;
}

} // namespace ATL
