// Conversion between the character sets named in messages and the program's 8-bit texts, over MLang.
#include "content/CharsetDecoder.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "content/ContentTexts.h"
#include "foundation/ErrorUtil.h"

const CLSID CLSID_OrbMultiLanguage = {
    0x275C23E2, 0x3747, 0x11D0, {0x9F, 0xEA, 0x00, 0xAA, 0x00, 0x3F, 0x86, 0x46}};
const IID IID_OrbMultiLanguage = {
    0x275C23E1, 0x3747, 0x11D0, {0x9F, 0xEA, 0x00, 0xAA, 0x00, 0x3F, 0x86, 0x46}};
const IID IID_OrbMLangFontLink2 = {
    0xDCCFC162, 0x2B38, 0x11D2, {0xB7, 0xEC, 0x00, 0xC0, 0x4F, 0x8F, 0x5D, 0x9A}};

namespace
{

const UINT kCodePageUtf8 = 65001;
const UINT kCodePageWindows1252 = 1252;

// Keeps the thread's MLang object until the thread's last CoUninitialize, which would otherwise leave
// us holding a pointer into an apartment that no longer exists.
class CMultiLanguageCache : public IInitializeSpy
{
public:
    IMultiLanguage* m_pLang = nullptr;
    bool m_bSpyRegistered = false;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IInitializeSpy))
        {
            *ppv = static_cast<IInitializeSpy*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as its thread: COM's references do not own it.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP PreInitialize(DWORD, DWORD) override { return S_OK; }
    STDMETHODIMP PostInitialize(HRESULT hrCoInit, DWORD, DWORD) override { return hrCoInit; }
    STDMETHODIMP PreUninitialize(DWORD dwCurThreadAptRefs) override
    {
        if (dwCurThreadAptRefs == 1 && m_pLang)
        {
            m_pLang->Release();
            m_pLang = nullptr;
        }
        return S_OK;
    }
    STDMETHODIMP PostUninitialize(DWORD) override { return S_OK; }
};

thread_local CMultiLanguageCache* t_pCache = nullptr;

// Labels seen in real mail that MLang does not know, and the code page whose text they carry.
struct CharsetAlias
{
    const char* name;
    UINT codePage;
};
const CharsetAlias kAliases[] = {
    {"utf8", kCodePageUtf8},
    {"unicode-1-1-utf-8", kCodePageUtf8},
    {"latin1", kCodePageWindows1252},
    {"latin-1", kCodePageWindows1252},
    {"l1", kCodePageWindows1252},
    {"iso8859-1", kCodePageWindows1252},
    {"iso_8859-1", kCodePageWindows1252},
    {"ascii", kCodePageWindows1252},
    {"euc-kr", 949},
    {"ks_c_5601", 949},
    {"ks_c_5601-1989", 949},
    {"ksc5601", 949},
    {"ksc_5601", 949},
    {"korean", 949},
    {"tis-620", 874},
    {"tis620", 874},
    {"iso-8859-11", 874},
    {"windows-874", 874},
};

CString NormalizeCharsetName(const char* pszName)
{
    CString name;
    for (const char* p = pszName ? pszName : ""; *p; ++p)
    {
        if (*p == '"' || *p == '\'' || isspace(static_cast<unsigned char>(*p)))
            continue;
        name += static_cast<char>(tolower(static_cast<unsigned char>(*p)));
    }
    // RFC 2231 lets a language follow the charset: "utf-8*en".
    const int star = name.Find('*');
    if (star >= 0)
        name = name.Left(star);
    return name;
}

// "cp1251", "windows-1251", "x-cp1251", "ibm866": the number names the code page.
UINT CodePageFromNumberedName(const CString& name)
{
    static const char* const kPrefixes[] = {"x-cp", "cp", "windows-", "ibm"};
    for (const char* prefix : kPrefixes)
    {
        const int n = static_cast<int>(strlen(prefix));
        if (name.GetLength() > n && strncmp(name, prefix, n) == 0)
        {
            const char* digits = static_cast<const char*>(name) + n;
            char* end = nullptr;
            const unsigned long cp = strtoul(digits, &end, 10);
            if (end != digits && *end == '\0' && cp > 0 && cp < 65536)
                return static_cast<UINT>(cp);
        }
    }
    return 0;
}

bool LookUpCharset(IMultiLanguage* pLang, const char* pszName, MIMECSETINFO& info)
{
    BSTR bstr = A2BSTR(pszName);
    if (!bstr)
        return false;
    const HRESULT hr = pLang->GetCharsetInfo(bstr, &info);
    SysFreeString(bstr);
    return hr == S_OK;
}

CString Utf8ToCodePage(const CString& text, UINT nTo)
{
    if (text.IsEmpty())
        return text;
    const int nWide = MultiByteToWideChar(CP_UTF8, 0, text, text.GetLength(), nullptr, 0);
    if (nWide <= 0)
        return text;
    std::vector<WCHAR> wide(nWide);
    MultiByteToWideChar(CP_UTF8, 0, text, text.GetLength(), wide.data(), nWide);
    const int nBytes = WideCharToMultiByte(nTo, 0, wide.data(), nWide, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0)
        return text;
    std::vector<char> bytes(nBytes);
    WideCharToMultiByte(nTo, 0, wide.data(), nWide, bytes.data(), nBytes, nullptr, nullptr);
    return CString(bytes.data(), nBytes);
}

bool IsKnownCodePage(IMultiLanguage* pLang, UINT cp)
{
    MIMECPINFO info = {};
    // S_FALSE is how MLang says it does not know the code page.
    return pLang->GetCodePageInfo(cp, &info) == S_OK;
}

} // namespace

IMultiLanguage* GetThreadMultiLanguage()
{
    if (!t_pCache)
        t_pCache = new CMultiLanguageCache;
    CMultiLanguageCache& cache = *t_pCache;
    if (!cache.m_pLang)
    {
        IMultiLanguage* pLang = nullptr;
        CreateComComponent(CLSID_OrbMultiLanguage, IID_OrbMultiLanguage, reinterpret_cast<void**>(&pLang),
                           kMultiLanguageName);
        if (!cache.m_bSpyRegistered)
        {
            ULARGE_INTEGER cookie;
            cache.m_bSpyRegistered = SUCCEEDED(CoRegisterInitializeSpy(&cache, &cookie));
        }
        if (!cache.m_bSpyRegistered)
            return pLang; // without the spy a cached pointer could outlive the apartment
        cache.m_pLang = pLang;
    }
    cache.m_pLang->AddRef();
    return cache.m_pLang;
}

BSTR A2BSTR(const char* pszText, int nLength)
{
    if (!pszText)
        return nullptr;
    if (nLength < 0)
        nLength = static_cast<int>(strlen(pszText));
    const int nWide = nLength ? MultiByteToWideChar(CP_ACP, 0, pszText, nLength, nullptr, 0) : 0;
    BSTR bstr = SysAllocStringLen(nullptr, nWide);
    if (bstr && nWide)
        MultiByteToWideChar(CP_ACP, 0, pszText, nLength, bstr, nWide);
    return bstr;
}

CCharsetDecoder::CCharsetDecoder(const char* pszCharset) : m_strCharset(pszCharset ? pszCharset : "")
{
    InitOrRelease();
}

CCharsetDecoder::CCharsetDecoder(UINT nCodePage)
{
    IMultiLanguage* pLang = GetThreadMultiLanguage();
    MIMECPINFO info = {};
    if (nCodePage != 0 && pLang->GetCodePageInfo(nCodePage, &info) == S_OK)
        m_strCharset = CString(info.wszHeaderCharset);
    pLang->Release();
    InitOrRelease();
}

void CCharsetDecoder::InitOrRelease()
{
    // A constructor that throws runs no destructor: give the interface back here.
    try
    {
        Init();
    }
    catch (...)
    {
        if (m_pLang)
            m_pLang->Release();
        m_pLang = nullptr;
        throw;
    }
}

CCharsetDecoder::~CCharsetDecoder()
{
    if (m_pLang)
        m_pLang->Release();
}

void CCharsetDecoder::Init()
{
    if (!m_pLang)
        m_pLang = GetThreadMultiLanguage();

    const CString name = NormalizeCharsetName(m_strCharset);
    UINT aliasCodePage = 0;
    for (const CharsetAlias& alias : kAliases)
    {
        if (name == alias.name)
            aliasCodePage = alias.codePage;
    }
    if (aliasCodePage == kCodePageUtf8)
    {
        if (!LookUpCharset(m_pLang, "utf-8", m_Info))
            throw kCharsetInitFailed;
    }
    else if (aliasCodePage != 0)
    {
        m_Info.uiCodePage = m_Info.uiInternetEncoding = aliasCodePage;
    }
    else if (!LookUpCharset(m_pLang, name, m_Info))
    {
        const UINT cp = CodePageFromNumberedName(name);
        if (cp != 0 && IsKnownCodePage(m_pLang, cp))
            m_Info.uiCodePage = m_Info.uiInternetEncoding = cp;
        else if (!LookUpCharset(m_pLang, "iso-8859-1", m_Info))
            throw kCharsetInitFailed;
    }
    // Text labelled us-ascii or iso-8859-1 is, in practice, windows-1252 (curly quotes, the euro sign);
    // 1252 is a superset of both, so decoding by it loses nothing.
    if (m_Info.uiInternetEncoding == 20127 || m_Info.uiInternetEncoding == 28591)
        m_Info.uiInternetEncoding = kCodePageWindows1252;

    if (!LookUpCharset(m_pLang, "utf-8", m_InfoUtf8))
        throw kCharsetInitFailed;
}

UINT CCharsetDecoder::GetCodePage() const
{
    // MLang names UTF-16 (1200) as the family code page of utf-8 and utf-7; 8-bit text wants UTF-8.
    if (m_Info.uiCodePage == 1200 || m_Info.uiCodePage == 1201)
        return kCodePageUtf8;
    return m_Info.uiCodePage;
}

bool CCharsetDecoder::ConvertBytes(UINT nFrom, UINT nTo, const CString& text, CString& result)
{
    if (text.IsEmpty())
    {
        result.Empty();
        return true;
    }
    BYTE* pSource = reinterpret_cast<BYTE*>(const_cast<char*>(static_cast<const char*>(text)));
    // Ask for the size first: the output can be three times the input (cp1252 to UTF-8) or more
    // (escape sequences of iso-2022-jp), and MLang fails or writes nothing when the buffer is short.
    DWORD dwMode = 0;
    UINT nSource = text.GetLength();
    UINT nNeeded = 0;
    if (m_pLang->ConvertString(&dwMode, nFrom, nTo, pSource, &nSource, nullptr, &nNeeded) != S_OK ||
        nNeeded == 0)
        return false;
    std::vector<BYTE> buffer(nNeeded + 16);
    dwMode = 0;
    nSource = text.GetLength();
    UINT nWritten = static_cast<UINT>(buffer.size());
    if (m_pLang->ConvertString(&dwMode, nFrom, nTo, pSource, &nSource, buffer.data(), &nWritten) != S_OK ||
        nWritten == 0 || nWritten > buffer.size())
        return false;
    result = CString(reinterpret_cast<const char*>(buffer.data()), static_cast<int>(nWritten));
    return true;
}

CString CCharsetDecoder::Convert(const CString& text, BOOL bToCharset, BOOL bUseAnsi, UINT nCodePage)
{
    const UINT target = nCodePage ? nCodePage : bUseAnsi ? GetACP() : GetCodePage();
    const UINT from = bToCharset ? target : m_Info.uiInternetEncoding;
    const UINT to = bToCharset ? m_Info.uiInternetEncoding : target;
    // Invalid UTF-8 must not pass through raw, where it would be read as bytes of the target: each bad
    // sequence becomes U+FFFD, or the target's "?" when it cannot hold that.
    if (from == kCodePageUtf8 && (to == kCodePageUtf8 || (to < 50000 && IsValidCodePage(to))))
        return Utf8ToCodePage(text, to);
    if (from == to)
        return text;
    CString result;
    return ConvertBytes(from, to, text, result) ? result : text;
}

CString CCharsetDecoder::Decode(const CString& text, BOOL bUseAnsi, UINT nCodePage)
{
    return Convert(text, FALSE, bUseAnsi, nCodePage);
}

CString CCharsetDecoder::Encode(const CString& text)
{
    return Convert(text, TRUE, TRUE, 0);
}

CString CCharsetDecoder::ToUtf8(const CString& text, BOOL bFromAnsi)
{
    const UINT from = bFromAnsi ? GetACP() : GetCodePage();
    if (from == m_InfoUtf8.uiInternetEncoding)
        return text;
    CString result;
    return ConvertBytes(from, m_InfoUtf8.uiInternetEncoding, text, result) ? result : text;
}

CString CCharsetDecoder::FromUtf8(const CString& text)
{
    const UINT to = GetACP();
    if (to == m_InfoUtf8.uiInternetEncoding)
        return text;
    CString result;
    return ConvertBytes(m_InfoUtf8.uiInternetEncoding, to, text, result) ? result : text;
}

HRESULT CCharsetDecoder::ToUnicode(const CString& text, WCHAR* pWide, UINT* pnCount)
{
    DWORD dwMode = 0;
    UINT nSource = text.GetLength();
    if (nSource == 0)
    {
        *pnCount = 0;
        return S_OK;
    }
    return m_pLang->ConvertStringToUnicode(&dwMode, m_Info.uiInternetEncoding,
                                           const_cast<char*>(static_cast<const char*>(text)), &nSource, pWide,
                                           pnCount);
}

CString CCharsetDecoder::FromUnicode(const WCHAR* pWide, UINT* pnCount)
{
    if (!pWide || *pnCount == 0)
        return CString();
    WCHAR* pSource = const_cast<WCHAR*>(pWide);
    DWORD dwMode = 0;
    UINT nSource = *pnCount;
    UINT nNeeded = 0;
    // Sized by a query: a double-byte result is longer than the count of characters.
    if (m_pLang->ConvertStringFromUnicode(&dwMode, GetCodePage(), pSource, &nSource, nullptr, &nNeeded) !=
            S_OK ||
        nNeeded == 0)
        return CString();
    std::vector<char> buffer(nNeeded + 16);
    dwMode = 0;
    nSource = *pnCount;
    UINT nWritten = static_cast<UINT>(buffer.size());
    if (m_pLang->ConvertStringFromUnicode(&dwMode, GetCodePage(), pSource, &nSource, buffer.data(),
                                          &nWritten) != S_OK ||
        nWritten > buffer.size())
        return CString();
    *pnCount = nWritten;
    return CString(buffer.data(), static_cast<int>(strnlen(buffer.data(), nWritten)));
}
