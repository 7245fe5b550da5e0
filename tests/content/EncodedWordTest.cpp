// Tests of the RFC 2047 decoder against hand-made words and python-made fixtures.
#include "content/EncodedWord.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

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

TEST(EncodedWordTest, DecodesWordsIntoTheAnsiCodePage)
{
    const struct
    {
        const char* header;
        std::string decoded;
    } cases[] = {
        {"=?ISO-8859-1?Q?Caf=E9_cr=E8me?=", "Caf\xe9 cr\xe8me"},
        {"=?iso-8859-1?q?a=E9?=", "a\xe9"},
        {"=?utf-8?b?w6k=?=", "\xe9"},
        {"=?UTF-8?B?4oCcUeKAnQ==?=", "\x93Q\x94"},
        {"Re: =?iso-8859-1?Q?caf=E9?= [list]", "Re: caf\xe9 [list]"},
        {"=?utf-8?Q?a?= =?utf-8?Q?b?=", "ab"},
        {"=?utf-8?Q?a?=\r\n\t=?utf-8?Q?b?=", "ab"},
        {"=?utf-8?Q?a?==?utf-8?Q?b?=", "ab"},
        {"=?utf-8?Q?a?= x =?utf-8?Q?b?=", "a x b"},
        {"=?utf-8?Q?=C3?= =?utf-8?Q?=A9?=", "\xe9"}, // one character split over two words
        {"=?utf-8?B?4g==?= =?utf-8?B?gqw=?=", "\x80"},
        {"=?utf-8?Q?=C3=A9?= =?iso-8859-1?Q?=E9?=", "\xe9\xe9"}, // adjacent words of two charsets
        {"a=b =?utf-8?Q?=C3=A9?=", "a=b \xe9"},
        {"=?utf-8*en?Q?=C3=A9?=", "\xe9"},  // RFC 2231 language suffix
        {"=?utf-8?Q?abc", "=?utf-8?Q?abc"}, // unterminated: left as it came
        {"=?utf-8?Q?ok?= =?utf-8?Q?bad", "ok =?utf-8?Q?bad"},
        {"=?utf-8?X?abc?=", "=?utf-8?X?abc?="},
        {"=?utf-8?Q?J=FFrg?=", "J?rg"}, // invalid UTF-8 becomes the ANSI replacement
        {"plain text", "plain text"},
        {"", ""},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(Str(DecodeEncodedWord(c.header)), c.decoded) << c.header;
    }
}

// A header of a hundred thousand words, or of word openings that never close, is read in one pass.
TEST(EncodedWordTest, MegabyteHeadersDecodeWithoutRescanningTheRest)
{
    std::string strWords, strOpenings, strUnclosed;
    for (int i = 0; i < 100000; ++i)
        strWords += "=?iso-8859-1?Q?=E9?= ";
    while (strOpenings.size() < 1024 * 1024)
        strOpenings += "=?";
    while (strUnclosed.size() < 1024 * 1024)
        strUnclosed += "x =?iso-8859-1?Q?a";
    EXPECT_EQ(Str(DecodeEncodedWord(Cs(strWords))), std::string(100000, '\xe9') + " ");
    EXPECT_EQ(Str(DecodeEncodedWord(Cs(strOpenings))), strOpenings);
    EXPECT_EQ(Str(DecodeEncodedWord(Cs(strUnclosed))), strUnclosed);
}

TEST(EncodedWordTest, RawEightBitHeadersNeedADefaultCharset)
{
    EXPECT_EQ(Str(DecodeEncodedWord("\xf0\xd2\xc9")), "\xf0\xd2\xc9");
    // Without words the raw bytes go to the default charset's own code page (koi8-r: 1251).
    EXPECT_EQ(Str(DecodeEncodedWord("\xf0\xd2\xc9", NULL, NULL, "koi8-r")), "\xcf\xf0\xe8");
}

TEST(EncodedWordTest, RawEightBitHeadersThatAreValidUtf8ReadAsUtf8)
{
    // Into the ANSI code page (1252 here), whatever the default charset.
    EXPECT_EQ(Str(DecodeEncodedWord("\xC2\xA3" "600")), "\xA3" "600");
    EXPECT_EQ(Str(DecodeEncodedWord("Caf\xC3\xA9 \xE2\x82\xAC" "5", NULL, NULL, "koi8-r")),
              "Caf\xE9 \x80" "5");
    // Asked for the default charset's code page, UTF-8 text comes back in it.
    EXPECT_EQ(Str(DecodeEncodedWord("\xD0\x9F\xD1\x80", NULL, NULL, "koi8-r", TRUE)), "\xF0\xD2");
    // Bytes that are not UTF-8 keep today's reading.
    EXPECT_EQ(Str(DecodeEncodedWord("\xA3" "600")), "\xA3" "600");
}

TEST(EncodedWordTest, DecodesPythonMadeHeadersInEveryCharset)
{
    std::ifstream file(ORB_TEST_DATA_DIR "/encoded-words-python.txt", std::ios::binary);
    ASSERT_TRUE(file.is_open());
    std::string line;
    int rows = 0;
    while (std::getline(file, line))
    {
        if (line.empty() || line[0] == '#')
            continue;
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const std::string text = line.substr(0, tab);
        std::string header = line.substr(tab + 1);
        for (size_t at = header.find("\\r\\n"); at != std::string::npos; at = header.find("\\r\\n"))
            header.replace(at, 4, "\r\n");
        // Decoded into UTF-8, which holds every script of the fixture.
        EXPECT_EQ(Str(DecodeEncodedWord(Cs(header), NULL, NULL, "utf-8", TRUE)), text) << header;
        ++rows;
    }
    EXPECT_GT(rows, 0);
}

} // namespace
