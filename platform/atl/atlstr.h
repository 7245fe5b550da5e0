// CString: the program's 8-bit text type, in the user's ANSI code page.
#pragma once

#include <cstdarg>
#include <string>
#include <type_traits>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#include <oleauto.h>
#endif

#if defined(__clang__)
#define ORB_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#elif defined(__GNUC__)
#define ORB_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define ORB_PRINTF_FORMAT(fmt, args)
#endif

namespace ATL
{

// Length-counted, so an embedded NUL (a message text can carry one) never cuts the text; the buffer is
// always NUL-terminated after the last character for the implicit const char* view. Copies are deep, so
// a CString may be handed to another thread without shared state.
class CString
{
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(const char* psz);
    CString(const char* pch, int nLength);
    CString(char ch, int nRepeat = 1);
    // Wide text is converted through the ANSI code page; characters it cannot hold become '?'.
    CString(const wchar_t* psz);
    CString(const wchar_t* pch, int nLength);
    // Takes the text over without copying it: a message of many megabytes is not held twice.
    explicit CString(std::string&& str) noexcept : m_str(std::move(str)) {}

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* psz);
    CString& operator=(const wchar_t* psz);
    CString& operator=(char ch);

    CString& operator+=(const CString& str);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    const char* GetString() const { return m_str.c_str(); }
    operator const char*() const { return m_str.c_str(); }

    // Index GetLength() reads the terminating NUL; any other index outside the text reads NUL as well.
    char GetAt(int iChar) const;
    void SetAt(int iChar, char ch);
    char operator[](int iChar) const { return GetAt(iChar); }
    // Spares callers a cast for unsigned indexes, which would otherwise also match the const char* view.
    template <typename I, typename = std::enable_if_t<std::is_integral_v<I> && !std::is_same_v<I, int>>>
    char operator[](I iChar) const
    {
        if constexpr (std::is_signed_v<I>)
        {
            if (iChar < 0)
                return '\0';
        }
        return static_cast<unsigned long long>(iChar) > m_str.size() ? '\0' : m_str.c_str()[iChar];
    }

    int Compare(const char* psz) const;
    int Compare(const CString& str) const;
    int CompareNoCase(const char* psz) const;
    int CompareNoCase(const CString& str) const;

    CString Left(int nCount) const;
    CString Mid(int iFirst) const;
    CString Mid(int iFirst, int nCount) const;
    CString Right(int nCount) const;

    int Find(char ch, int iStart = 0) const;
    int Find(const char* pszSub, int iStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* pszCharSet) const;

    int Replace(char chOld, char chNew);
    int Replace(const char* pszOld, const char* pszNew);
    int Remove(char ch);
    int Insert(int iIndex, char ch);
    int Insert(int iIndex, const char* psz);
    int Delete(int iIndex, int nCount = 1);

    CString& MakeUpper();
    CString& MakeLower();

    CString& TrimLeft();
    CString& TrimLeft(char chTarget);
    CString& TrimLeft(const char* pszTargets);
    CString& TrimRight();
    CString& TrimRight(char chTarget);
    CString& TrimRight(const char* pszTargets);
    CString& Trim();
    CString& Trim(char chTarget);
    CString& Trim(const char* pszTargets);

    // The text is measured first, so output of any length is formatted whole and never overruns.
    void Format(const char* pszFormat, ...) ORB_PRINTF_FORMAT(2, 3);
    void FormatV(const char* pszFormat, va_list args);

    // The buffer holds at least nMinBufLength characters plus a NUL; ReleaseBuffer(-1) takes the length
    // from the first NUL, ReleaseBuffer(n) keeps exactly n characters.
    char* GetBuffer(int nMinBufLength);
    char* GetBuffer() { return GetBuffer(0); }
    char* GetBufferSetLength(int nLength);
    void ReleaseBuffer(int nNewLength = -1);

#ifdef _WIN32
    // Loads string resource nID from the resource module, converting it through the ANSI code page.
    BOOL LoadString(UINT nID);
    BOOL LoadString(HINSTANCE hInstance, UINT nID);
    // A new BSTR holding the whole text (embedded NULs included); the caller frees it.
    BSTR AllocSysString() const;
#endif

private:
    void AssignWide(const wchar_t* pch, size_t nLength);

    std::string m_str;
};

CString operator+(const CString& str1, const CString& str2);
CString operator+(const CString& str1, const char* psz2);
CString operator+(const char* psz1, const CString& str2);
CString operator+(const CString& str1, char ch2);
CString operator+(char ch1, const CString& str2);

inline bool operator==(const CString& str1, const CString& str2) { return str1.Compare(str2) == 0; }
inline bool operator==(const CString& str1, const char* psz2) { return str1.Compare(psz2) == 0; }
inline bool operator==(const char* psz1, const CString& str2) { return str2.Compare(psz1) == 0; }
inline bool operator!=(const CString& str1, const CString& str2) { return str1.Compare(str2) != 0; }
inline bool operator!=(const CString& str1, const char* psz2) { return str1.Compare(psz2) != 0; }
inline bool operator!=(const char* psz1, const CString& str2) { return str2.Compare(psz1) != 0; }
inline bool operator<(const CString& str1, const CString& str2) { return str1.Compare(str2) < 0; }
inline bool operator<(const CString& str1, const char* psz2) { return str1.Compare(psz2) < 0; }
inline bool operator<(const char* psz1, const CString& str2) { return str2.Compare(psz1) > 0; }
inline bool operator>(const CString& str1, const CString& str2) { return str1.Compare(str2) > 0; }
inline bool operator>(const CString& str1, const char* psz2) { return str1.Compare(psz2) > 0; }
inline bool operator>(const char* psz1, const CString& str2) { return str2.Compare(psz1) < 0; }
inline bool operator<=(const CString& str1, const CString& str2) { return str1.Compare(str2) <= 0; }
inline bool operator<=(const CString& str1, const char* psz2) { return str1.Compare(psz2) <= 0; }
inline bool operator<=(const char* psz1, const CString& str2) { return str2.Compare(psz1) >= 0; }
inline bool operator>=(const CString& str1, const CString& str2) { return str1.Compare(str2) >= 0; }
inline bool operator>=(const CString& str1, const char* psz2) { return str1.Compare(psz2) >= 0; }
inline bool operator>=(const char* psz1, const CString& str2) { return str2.Compare(psz1) <= 0; }

// The code-page dependent pieces, defined once per platform.
namespace StringPlatform
{
// Converts wide text to the ANSI code page, '?' standing for what the code page cannot hold.
std::string WideToAnsi(const wchar_t* pch, size_t nLength);
void MakeUpper(char* pch, size_t nLength);
void MakeLower(char* pch, size_t nLength);
// The lower-case form of one byte, for case-blind comparison.
unsigned char FoldCase(unsigned char ch);
} // namespace StringPlatform

} // namespace ATL

using namespace ATL;
