// Tests of charset conversion over Wine's real MLang.
#include "content/CharsetDecoder.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "foundation/Exception.h"

namespace
{

std::string Str(const CString& s)
{
    return std::string(static_cast<const char*>(s), s.GetLength());
}

CString Cs(const std::string& s)
{
    return CString(s.data(), static_cast<int>(s.size()));
}

const UINT kUtf8 = 65001;

TEST(CharsetDecoderTest, DecodesMailCharsetsToTheRequestedCodePage)
{
    const struct
    {
        const char* charset;
        std::string input;
        UINT target;
        std::string expected;
    } cases[] = {
        {"utf-8", "Caf\xc3\xa9 \xe2\x80\x9cq\xe2\x80\x9d \xe2\x82\xac", 1252, "Caf\xe9 \x93q\x94 \x80"},
        {"iso-8859-1", "\x93q\x94 \x80 \xe9", 1252, "\x93q\x94 \x80 \xe9"}, // carries windows-1252 text
        {"us-ascii", "\x80", kUtf8, "\xe2\x82\xac"},
        {"windows-1252", "\x80\x80\x80\x80", kUtf8, "\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac"},
        {"koi8-r", "\xf0\xd2\xc9", 1251, "\xcf\xf0\xe8"},
        {"iso-2022-jp", "\x1b$BF|K\\\x1b(B", 932, "\x93\xfa\x96\x7b"},
        {"ks_c_5601-1987", "\xbe\xc8", kUtf8, "\xec\x95\x88"},
        {"euc-kr", "\xbe\xc8", kUtf8, "\xec\x95\x88"},
        {"ks_c_5601", "\xbe\xc8", 949, "\xbe\xc8"},
        {"tis-620", "\xca", kUtf8, "\xe0\xb8\xaa"},
        {"windows-874", "\xca", kUtf8, "\xe0\xb8\xaa"},
        {"utf8", "\xc3\xa9", 1252, "\xe9"},
        {"latin1", "\xe9", kUtf8, "\xc3\xa9"},
        {"cp1251", "\xcf", kUtf8, "\xd0\x9f"},
        {"\"UTF-8\" ", "\xc3\xa9", 1252, "\xe9"},
        {"x-no-such-charset", "\x80\xe9", kUtf8, "\xe2\x82\xac\xc3\xa9"}, // falls back to iso-8859-1
        {"", "\xe9", kUtf8, "\xc3\xa9"},
        // invalid UTF-8 never passes through raw
        {"utf-8", "a\xff" "b\xc3", 1252, "a?b?"},
        {"utf-8", "a\xffz", kUtf8, "a\xef\xbf\xbdz"},
    };
    for (const auto& c : cases)
    {
        CCharsetDecoder decoder(c.charset);
        EXPECT_EQ(Str(decoder.Decode(Cs(c.input), TRUE, c.target)), c.expected) << c.charset;
    }
}

TEST(CharsetDecoderTest, DecodesToTheAnsiCodePageByDefault)
{
    ASSERT_EQ(GetACP(), 1252u);
    EXPECT_EQ(Str(CCharsetDecoder("utf-8").Decode("Caf\xc3\xa9")), "Caf\xe9");
}

TEST(CharsetDecoderTest, UnicodeCharsetsKeepTheirOwnTextAsUtf8)
{
    // MLang names UTF-16 as the family code page of utf-8; 8-bit text must never get UTF-16 bytes.
    CCharsetDecoder decoder("utf-8");
    EXPECT_EQ(decoder.GetCodePage(), kUtf8);
    EXPECT_EQ(Str(decoder.Decode("Caf\xc3\xa9 x", FALSE, 0)), "Caf\xc3\xa9 x");
    EXPECT_EQ(CCharsetDecoder("utf-7").GetCodePage(), kUtf8);
}

TEST(CharsetDecoderTest, OutputLongerThanTwiceTheInputComesOutWhole)
{
    // Shift-JIS with ASCII between: iso-2022-jp adds escape sequences around every Japanese run.
    const std::string sjis = "abc\x82\xa0\x82\xa2xyz\x93\xfa\x96\x7b";
    CCharsetDecoder decoder("iso-2022-jp");
    EXPECT_EQ(Str(decoder.Convert(Cs(sjis), TRUE, FALSE, 932)), "abc\x1b$B$\"$$\x1b(Bxyz\x1b$BF|K\\\x1b(B");
    EXPECT_EQ(Str(CCharsetDecoder("utf-8").Encode("\x80\x80\x80\x80")),
              "\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac");
    EXPECT_EQ(Str(CCharsetDecoder("iso-8859-1").ToUtf8("\x80\x80\x80\x80", TRUE)),
              "\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac");
    EXPECT_EQ(Str(CCharsetDecoder("koi8-r").FromUtf8("\xe2\x82\xac")), "\x80");
}

TEST(CharsetDecoderTest, CodePageConstructorNamesTheHeaderCharset)
{
    EXPECT_EQ(CCharsetDecoder(932u).GetCharsetName(), "iso-2022-jp");
    EXPECT_EQ(CCharsetDecoder(65001u).GetCharsetName(), "utf-8");
    for (UINT unknown : {0u, 12345u})
    {
        CCharsetDecoder decoder(unknown);
        EXPECT_EQ(decoder.GetCharsetName(), "") << unknown;
        EXPECT_EQ(Str(decoder.Decode("\xe9", TRUE, kUtf8)), "\xc3\xa9") << unknown;
    }
}

TEST(CharsetDecoderTest, UnicodeRoundTripIsNotCutForDoubleByteCharsets)
{
    CCharsetDecoder decoder("ks_c_5601-1987");
    WCHAR wide[16];
    UINT count = 16;
    ASSERT_EQ(decoder.ToUnicode("\xbe\xc8\xb3\xe7", wide, &count), S_OK);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(wide[0], 0xC548);
    EXPECT_EQ(Str(decoder.FromUnicode(wide, &count)), "\xbe\xc8\xb3\xe7");
}

TEST(CharsetDecoderTest, ReportsClearlyWhenComIsNotInitialisedOnTheThread)
{
    std::string message;
    std::thread([&message] {
        try
        {
            CCharsetDecoder decoder("utf-8");
        }
        catch (CException* e)
        {
            message = Str(e->m_strMessage);
            delete e;
        }
    }).join();
    EXPECT_EQ(message.rfind("FATAL ERROR: Create MultiLanguage (MLANG.DLL) component failed!\r\n", 0), 0u)
        << message;
    EXPECT_NE(message.find("CoInitialize has not been called."), std::string::npos) << message;
}

TEST(CharsetDecoderTest, OneMultiLanguageObjectServesAThreadUntilItLeavesCom)
{
    std::thread([] {
        for (int round = 0; round < 2; ++round)
        {
            ASSERT_TRUE(SUCCEEDED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED)));
            IMultiLanguage* first = GetThreadMultiLanguage();
            IMultiLanguage* second = GetThreadMultiLanguage();
            EXPECT_EQ(first, second);
            first->Release();
            second->Release();
            EXPECT_EQ(Str(CCharsetDecoder("utf-8").Decode("\xc3\xa9")), "\xe9");
            CoUninitialize();
        }
    }).join();
}

} // namespace
