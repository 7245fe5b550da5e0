// Tests of the base64 coder.
#include "foundation/Base64.h"

#include <string.h>

#include <string>

#include <gtest/gtest.h>

namespace
{
std::string Encoded(const std::string& strData)
{
    CBase64 coder;
    coder.Encode((const unsigned char*)strData.data(), (unsigned)strData.size());
    EXPECT_EQ(strlen(coder.GetEncoded()), coder.m_nEncodedLength);
    return std::string(coder.GetEncoded(), coder.m_nEncodedLength);
}

std::string Decoded(const std::string& strText)
{
    CBase64 coder;
    coder.Decode(strText.data(), (unsigned)strText.size());
    return std::string((const char*)coder.GetDecoded(), coder.m_nDecodedLength);
}

struct CodingCase
{
    const char* pszData;
    const char* pszEncoded;
};

const CodingCase kRfcVectors[] = {
    {"", ""},
    {"f", "Zg=="},
    {"fo", "Zm8="},
    {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="},
    {"fooba", "Zm9vYmE="},
    {"foobar", "Zm9vYmFy"},
    {"abc", "YWJj"},
    {"A", "QQ=="},
};
} // namespace

TEST(Base64, EncodesAndDecodesTheRfcVectors)
{
    for (const CodingCase& c : kRfcVectors)
    {
        EXPECT_EQ(c.pszEncoded, Encoded(c.pszData)) << c.pszData;
        EXPECT_EQ(c.pszData, Decoded(c.pszEncoded)) << c.pszEncoded;
    }
}

TEST(Base64, RoundTripsEveryByteValue)
{
    std::string strData;
    for (int i = 0; i < 256; i++)
        strData += (char)i;
    for (size_t nLength = 0; nLength <= strData.size(); nLength += 37)
        EXPECT_EQ(strData.substr(0, nLength), Decoded(Encoded(strData.substr(0, nLength)))) << nLength;
}

TEST(Base64, DecodedBufferEndsInZeroBytes)
{
    CBase64 coder;
    coder.Decode("QUJD", 4);
    coder.Decode("QQ==", 4);
    ASSERT_EQ(1u, coder.m_nDecodedLength);
    EXPECT_EQ(0x41, coder.GetDecoded()[0]);
    for (unsigned i = 1; i < coder.m_nDecodedCapacity; i++)
        ASSERT_EQ(0, coder.GetDecoded()[i]) << i;
}

TEST(Base64, DecodingSkipsWhatIsNotInTheAlphabet)
{
    const CodingCase cases[] = {
        {"foobar", "Zm9v\r\nYmFy"}, {"foobar", " Zm9v\tYm Fy \r\n"},
        {"foobar", "Zm9v*Ym!F-y"},  {"foobar", "Zm9v\x01Y\x7fmFy."},
        {"f", "Zg==\r\n"},          {"fo", "Z m 8 ="},
    };
    for (const CodingCase& c : cases)
        EXPECT_EQ(c.pszData, Decoded(c.pszEncoded)) << c.pszEncoded;
}

TEST(Base64, HighBitCharactersDecodeLikeTheirLowHalf)
{
    std::string strText = "Zm9vYmFy";
    std::string strHigh;
    for (char ch : strText)
        strHigh += (char)(ch | 0x80);
    EXPECT_EQ("foobar", Decoded(strHigh));
}

TEST(Base64, TrailingGroupsWithoutPaddingCarryWhatTheyHold)
{
    const CodingCase cases[] = {{"f", "Zg"}, {"fo", "Zm8"}, {"foo", "Zm9vY"}};
    for (const CodingCase& c : cases)
        EXPECT_EQ(c.pszData, Decoded(c.pszEncoded)) << c.pszEncoded;
}

TEST(Base64, TextOperationsIgnoreNull)
{
    CBase64 coder;
    coder.EncodeText(NULL);
    coder.DecodeText(NULL);
    EXPECT_EQ(0u, coder.m_nEncodedLength);
    EXPECT_EQ(0u, coder.m_nDecodedLength);
    coder.EncodeText("user@example.com");
    EXPECT_STREQ("dXNlckBleGFtcGxlLmNvbQ==", coder.GetEncoded());
    coder.DecodeText("dXNlckBleGFtcGxlLmNvbQ==");
    EXPECT_STREQ("user@example.com", (const char*)coder.GetDecoded());
}

TEST(Base64, BuffersGrowInWholePagesAboveTheRequest)
{
    CBase64 coder;
    coder.AllocEncoded(0);
    EXPECT_EQ(4096u, coder.m_nEncodedCapacity);
    coder.AllocEncoded(4097);
    EXPECT_EQ(8192u, coder.m_nEncodedCapacity);
    coder.AllocEncoded(100);
    EXPECT_EQ(8192u, coder.m_nEncodedCapacity);
    std::string strData(10000, 'x');
    EXPECT_EQ(strData, Decoded(Encoded(strData)));
}
