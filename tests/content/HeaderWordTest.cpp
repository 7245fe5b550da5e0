// Tests of RFC 2047 encoding of outgoing header texts.
#include "content/TransferEncoding.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "content/EncodedWord.h"

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

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

TEST(HeaderWordTest, AsciiTextIsReturnedUnchanged)
{
    for (const char* text : {"", "Plain subject", "=?looks?Q?encoded?=", "100% _sure_"})
    {
        EXPECT_EQ(EncodeHeaderWord(text), text);
    }
}

// Expected values were checked once against python3's email.header decoder.
TEST(HeaderWordTest, EncodesAsAnIndependentDecoderExpects)
{
    std::ifstream file(ORB_TEST_DATA_DIR "/header-words-cp1252.txt", std::ios::binary);
    ASSERT_TRUE(file.is_open());
    std::string line;
    int rows = 0;
    while (std::getline(file, line))
    {
        if (line.empty() || line[0] == '#')
            continue;
        const size_t tab = line.find('\t');
        const std::string text = FromHex(line.substr(0, tab));
        std::string expected = line.substr(tab + 1);
        for (size_t at = expected.find("\\r\\n\\t"); at != std::string::npos; at = expected.find("\\r\\n\\t"))
            expected.replace(at, 6, "\r\n\t");
        EXPECT_EQ(Str(EncodeHeaderWord(Cs(text))), expected);
        ++rows;
    }
    EXPECT_GT(rows, 0);
}

TEST(HeaderWordTest, LongTextsFoldBetweenWordsOfAtMost75Characters)
{
    for (const std::string& text : {std::string(200, '\xe9'), "Subject " + std::string(150, 'x') + "\xe9 end",
                                    std::string("a_b=c?d \xe9 ") + std::string(90, '=')})
    {
        const std::string encoded = Str(EncodeHeaderWord(Cs(text)));
        size_t start = 0;
        int words = 0;
        for (;;)
        {
            const size_t fold = encoded.find("\r\n\t", start);
            const std::string word =
                encoded.substr(start, fold == std::string::npos ? std::string::npos : fold - start);
            EXPECT_LE(word.size(), 75u) << word;
            EXPECT_EQ(word.rfind("=?", 0), 0u) << word;
            EXPECT_EQ(word.substr(word.size() - 2), "?=") << word;
            EXPECT_EQ(word.find(' '), std::string::npos) << word;
            ++words;
            if (fold == std::string::npos)
                break;
            start = fold + 3;
        }
        EXPECT_GT(words, 1);
        EXPECT_EQ(Str(DecodeEncodedWord(Cs(encoded))), text);
    }
}

} // namespace
