// Conversion between the character sets named in messages and the program's 8-bit texts, over MLang.
#pragma once

#include <windows.h>

#include <mlang.h>

#include <atlstr.h>

// mingw's import libraries lack these identifiers.
extern const CLSID CLSID_OrbMultiLanguage; // CLSID_CMultiLanguage
extern const IID IID_OrbMultiLanguage;     // IID_IMultiLanguage
extern const IID IID_OrbMLangFontLink2;    // IID_IMLangFontLink2

class CCharsetDecoder
{
public:
    // Names MLang does not know fall back to "iso-8859-1" (decoded as windows-1252).
    explicit CCharsetDecoder(const char* pszCharset);
    // The charset is the code page's header charset; an unknown code page behaves as "iso-8859-1".
    explicit CCharsetDecoder(UINT nCodePage);
    ~CCharsetDecoder();
    CCharsetDecoder(const CCharsetDecoder&) = delete;
    CCharsetDecoder& operator=(const CCharsetDecoder&) = delete;

    void Init();

    // Target code page: nCodePage when not 0, else the ANSI code page with bUseAnsi, else the charset's
    // own. A conversion that fails returns text unchanged.
    CString Convert(const CString& text, BOOL bToCharset, BOOL bUseAnsi, UINT nCodePage);
    CString Decode(const CString& text, BOOL bUseAnsi = TRUE, UINT nCodePage = 0);
    CString Encode(const CString& text);
    CString ToUtf8(const CString& text, BOOL bFromAnsi);
    CString FromUtf8(const CString& text);
    // *pnCount: the size of pWide on entry, the characters written on return.
    HRESULT ToUnicode(const CString& text, WCHAR* pWide, UINT* pnCount);
    CString FromUnicode(const WCHAR* pWide, UINT* pnCount);

    const CString& GetCharsetName() const { return m_strCharset; }
    // The 8-bit code page text of this charset is kept in (65001 for the Unicode forms).
    UINT GetCodePage() const;
    UINT GetInternetEncoding() const { return m_Info.uiInternetEncoding; }

private:
    void InitOrRelease();
    // Runs one MLang conversion, sized by a query first; false when MLang reports anything but S_OK.
    bool ConvertBytes(UINT nFrom, UINT nTo, const CString& text, CString& result);

    CString m_strCharset;
    IMultiLanguage* m_pLang = nullptr;
    MIMECSETINFO m_Info = {};
    MIMECSETINFO m_InfoUtf8 = {};
};

// A new BSTR of an 8-bit text in the ANSI code page (nLength -1: up to its NUL); null on failure.
BSTR A2BSTR(const char* pszText, int nLength = -1);

// One IMultiLanguage per thread, created on first use and released when the thread leaves COM.
// Returns an added reference; throws a CException when COM is not initialised on the thread.
IMultiLanguage* GetThreadMultiLanguage();
