// The Windows pieces of CString: the user's ANSI code page, string resources and BSTRs.
#include "atlstr.h"

#include "atlcore.h"

namespace ATL
{

std::string StringPlatform::WideToAnsi(const wchar_t* pch, size_t nLength)
{
    std::string str;
    if (nLength == 0)
        return str;
    const int nWide = static_cast<int>(nLength);
    const int nAnsi = WideCharToMultiByte(CP_ACP, 0, pch, nWide, nullptr, 0, nullptr, nullptr);
    if (nAnsi <= 0)
        return str;
    str.resize(static_cast<size_t>(nAnsi));
    WideCharToMultiByte(CP_ACP, 0, pch, nWide, &str[0], nAnsi, nullptr, nullptr);
    return str;
}

void StringPlatform::MakeUpper(char* pch, size_t nLength)
{
    CharUpperBuffA(pch, static_cast<DWORD>(nLength));
}

void StringPlatform::MakeLower(char* pch, size_t nLength)
{
    CharLowerBuffA(pch, static_cast<DWORD>(nLength));
}

unsigned char StringPlatform::FoldCase(unsigned char ch)
{
    struct CFoldTable
    {
        char m_chLower[256];
        CFoldTable()
        {
            for (int i = 0; i < 256; ++i)
                m_chLower[i] = static_cast<char>(i);
            CharLowerBuffA(m_chLower, 256);
        }
    };
    static const CFoldTable s_table;
    return static_cast<unsigned char>(s_table.m_chLower[ch]);
}

BOOL CString::LoadString(UINT nID)
{
    return LoadString(_AtlBaseModule.GetResourceInstance(), nID);
}

BOOL CString::LoadString(HINSTANCE hInstance, UINT nID)
{
    // String resources come in blocks of 16 counted UTF-16 strings; reading the block directly keeps
    // texts of any length whole, where LoadStringA would cut them at a fixed buffer.
    HRSRC hResource = FindResourceA(hInstance, MAKEINTRESOURCEA((nID >> 4) + 1), MAKEINTRESOURCEA(6));
    if (!hResource)
        return FALSE;
    HGLOBAL hGlobal = LoadResource(hInstance, hResource);
    const WORD* pw = hGlobal ? static_cast<const WORD*>(LockResource(hGlobal)) : nullptr;
    if (!pw)
        return FALSE;
    const WORD* pwEnd = pw + SizeofResource(hInstance, hResource) / sizeof(WORD);
    for (UINT i = 0; i < (nID & 15); ++i)
    {
        if (pw >= pwEnd)
            return FALSE;
        pw += 1 + *pw;
    }
    if (pw >= pwEnd || *pw == 0 || pw + 1 + *pw > pwEnd)
        return FALSE;
    AssignWide(reinterpret_cast<const wchar_t*>(pw + 1), *pw);
    return TRUE;
}

BSTR CString::AllocSysString() const
{
    const int nAnsi = GetLength();
    const int nWide = nAnsi ? MultiByteToWideChar(CP_ACP, 0, m_str.data(), nAnsi, nullptr, 0) : 0;
    BSTR bstr = SysAllocStringLen(nullptr, static_cast<UINT>(nWide));
    if (bstr && nWide)
        MultiByteToWideChar(CP_ACP, 0, m_str.data(), nAnsi, bstr, nWide);
    return bstr;
}

} // namespace ATL
