// Tests of the transfer-encoding codecs and the header codecs the MIME parser uses.
#include "content/TransferEncoding.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "content/ContentTexts.h"

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

TEST(TransferEncodingTest, Base64DecodesGroupsPaddingAndSkipsWhatIsNotInTheAlphabet)
{
    const struct
    {
        const char* encoded;
        std::string decoded;
    } cases[] = {
        {"YWJj", "abc"},
        {"YWI=", "ab"},
        {"YQ==", "a"},
        {"YW\r\nJj", "abc"},
        {" Y W J j \t", "abc"},
        {"YW*Jj", "abc"},     // stray characters carry nothing
        {"YQ==YWJj", "aabc"}, // concatenated encodings
        {"YWI", "ab"},        // a last group that lost its padding keeps its bytes
        {"", ""},
        {"AA==", std::string(1, '\0')},
        {"/+8=", "\xff\xef"},
        {"QU=JD", "ABC"},  // a "=" where no padding belongs is skipped, not counted
        {"Q=U=JD", "ABC"},
        {"QUI=QUJD", "ABABC"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(Str(DecodeTransferEncoding("base64", c.encoded)), c.decoded) << c.encoded;
    }
}

TEST(TransferEncodingTest, Base64RoundTripsEveryByte)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    for (size_t n = 0; n <= 5; ++n)
    {
        const std::string data = all.substr(0, all.size() - n);
        const std::string encoded = EncodeBase64Bytes(data.data(), data.size());
        EXPECT_EQ(encoded.size() % 4, 0u);
        EXPECT_EQ(DecodeBase64Bytes(encoded.data(), encoded.size()), data);
    }
    EXPECT_EQ(EncodeBase64Bytes("abc", 3), "YWJj");
    EXPECT_EQ(EncodeBase64Bytes("A", 1), "QQ==");
}

TEST(TransferEncodingTest, QuotedPrintableDecodesEscapesAndSoftBreaksOnly)
{
    const struct
    {
        const char* encoded;
        const char* decoded;
    } cases[] = {
        {"a=3Db", "a=b"},
        {"a=3db", "a=b"}, // lower-case hexadecimal from sloppy encoders
        {"a=\r\nb", "ab"},
        {"a=\nb", "ab"},     // bare LF soft break
        {"a=  \r\nb", "ab"}, // transport padding after the "="
        {"a=\r\n.b", "a.b"}, // a dot after a soft break is text, not SMTP stuffing
        {"line1\r\nline2\tx", "line1\r\nline2\tx"},
        {"50=%", "50=%"}, // "=" without hexadecimal digits stays
        {"end=", "end="},
        {"=E9t=E9", "\xe9t\xe9"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(Str(DecodeTransferEncoding("QUOTED-PRINTABLE", c.encoded)), c.decoded) << c.encoded;
    }
}

TEST(TransferEncodingTest, IdentityEncodingsLeaveTheTextAndNamesAreTrimmedAndCaseBlind)
{
    for (const char* name :
         {"7bit", "8BIT", "8bit<html>", "8bits", "binary", "text/plain", "plain", "Text/Html", " 7bit\r"})
    {
        EXPECT_EQ(DecodeTransferEncoding(name, "a=3Db"), "a=3Db") << name;
    }
    EXPECT_EQ(DecodeTransferEncoding(" Quoted-Printable ", "a=3Db"), "a=b");
}

TEST(TransferEncodingTest, QuotedPrintableEncodesLinesOf75PlusSoftBreak)
{
    CString out;
    EncodeQuotedPrintable(out, CString('a', 200), "\r\n");
    EXPECT_EQ(Str(out),
              std::string(75, 'a') + "=\r\n" + std::string(75, 'a') + "=\r\n" + std::string(50, 'a'));
}

TEST(TransferEncodingTest, QuotedPrintableEncodingNeverSplitsAnEscape)
{
    // The escape would straddle column 75: the line is cut before it.
    for (int lead = 72; lead <= 75; ++lead)
    {
        const std::string text = std::string(lead, 'x') + "\xe9" + std::string(10, 'y');
        CString out;
        EncodeQuotedPrintable(out, Cs(text), "\r\n");
        const std::string encoded = Str(out);
        std::istringstream lines(encoded);
        std::string line;
        while (std::getline(lines, line))
        {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            EXPECT_LE(line.size(), 76u) << lead;
            const size_t eq = line.rfind('=');
            EXPECT_TRUE(eq == std::string::npos || eq == line.size() - 1 || eq + 3 <= line.size()) << line;
        }
        EXPECT_EQ(Str(DecodeTransferEncoding("quoted-printable", out)), text) << lead;
    }
}

TEST(TransferEncodingTest, QuotedPrintableRoundTripsTrailingBlanksControlsAndLineEnds)
{
    const std::string texts[] = {
        "trailing blank \r\nand tab\t\r\nlast ",
        "a=b\x01\x7f\xff\r\n\r\n.dot line\r\n",
        std::string(300, ' '),
        "no line end",
        "x\ry" + std::string(200, 'z'), // lone CR and LF are data, not line ends
        "lf\nonly\n",
        "cr at end\r",
        "\n\r\r\n \n",
    };
    for (const std::string& text : texts)
    {
        CString out;
        EncodeQuotedPrintable(out, Cs(text), "\r\n");
        const std::string encoded = Str(out);
        // Nothing a transport may strip: no line of the encoding ends in white space.
        EXPECT_EQ(encoded.find(" \r\n"), std::string::npos) << encoded;
        EXPECT_EQ(encoded.find("\t\r\n"), std::string::npos) << encoded;
        EXPECT_NE(encoded.back(), ' ');
        EXPECT_EQ(Str(DecodeTransferEncoding("quoted-printable", out)), text);
    }
}

TEST(TransferEncodingTest, QuotedPrintableEscapesCarriageReturnsAndLineFeedsOutsideAPair)
{
    CString out;
    EncodeQuotedPrintable(out, "a\rb\nc\r\nd", "\r\n");
    EXPECT_EQ(out, "a=0Db=0Ac\r\nd");
}

TEST(TransferEncodingTest, QuotedPrintableWithAnotherLineEndCountsItsColumn)
{
    CString out = "NOTE;ENCODING=QUOTED-PRINTABLE:";
    EncodeQuotedPrintable(out, "first\r\nsecond", "=0D=0A");
    EXPECT_EQ(out, "NOTE;ENCODING=QUOTED-PRINTABLE:first=0D=0Asecond");
    CString decoded = DecodeTransferEncoding("QUOTED-PRINTABLE", "first=0D=0Asecond");
    EXPECT_EQ(decoded, "first\r\nsecond");
}

TEST(TransferEncodingTest, TransferEncodingLineIsRecognisedWhateverItsCaseAndWhiteSpace)
{
    const struct
    {
        const char* line;
        int code;
        const char* value;
    } cases[] = {
        {"Content-Transfer-Encoding: base64\r", TE_BASE64, "BASE64"},
        {"content-transfer-encoding: BASE64", TE_BASE64, "BASE64"},
        {"Content-Transfer-Encoding:base64\r\n", TE_BASE64, "BASE64"},
        {"Content-Transfer-Encoding:  Quoted-Printable  \r\n", TE_QUOTED_PRINTABLE, "QUOTED-PRINTABLE"},
        {"Content-Transfer-Encoding: 8bit", TE_8BIT, "8BIT"},
        {"Content-Transfer-Encoding: 7bit\r", TE_7BIT, "7BIT"},
        {"Content-Transfer-Encoding: binary\t\r", TE_BINARY, "BINARY"},
        {"Content-Transfer-Encoding: x-uuencode\r", TE_X_TOKEN, "X-UUENCODE"},
        {"Content-Transfer-Encoding: rot13\r", TE_BINARY, "ROT13"},
        {"Content-Transfer-Encoding: base64 (comment)\r", TE_BASE64, "BASE64"},
        {"Content-Transfer-Encoding: (by \\(scanner\\)) Quoted-Printable\r\n", TE_QUOTED_PRINTABLE,
         "QUOTED-PRINTABLE"},
        {"Content-Transfer-Encoding : base64\r", TE_BASE64, "BASE64"},
        {"Content-Transfer-Encoding\t:quoted-printable\r", TE_QUOTED_PRINTABLE, "QUOTED-PRINTABLE"},
    };
    for (const auto& c : cases)
    {
        int code = -1;
        CString value;
        EXPECT_EQ(GetTransferEncoding(c.line, code, value), 1) << c.line;
        EXPECT_EQ(code, c.code) << c.line;
        EXPECT_EQ(value, c.value) << c.line;
    }
    int code = 42;
    CString value;
    EXPECT_EQ(GetTransferEncoding("Content-Type: text/plain\r", code, value), 0);
    EXPECT_EQ(GetTransferEncoding("X-Content-Transfer-Encoding: base64\r", code, value), 0);
    EXPECT_EQ(code, 42);
}

TEST(TransferEncodingTest, ContentTypeValueJoinsContinuationLinesAndSplits)
{
    const CString header = "From: a@b\r\nContent-Type: multipart/mixed;\r\n\tboundary=\"----=_X1\"\r\n"
                           "Subject: s\r\n";
    CString type, subtype;
    EXPECT_EQ(GetContentTypeValue(header, &type, &subtype), " multipart/mixed;\tboundary=\"----=_X1\"");
    EXPECT_EQ(type, "multipart");
    EXPECT_EQ(subtype, "mixed");
    EXPECT_EQ(GetContentTypeValue("Content-type:text/plain; charset=x\r\n", &type), " text/plain; charset=x");
    EXPECT_EQ(type, "text/plain");
    EXPECT_EQ(GetContentTypeValue("From: a@b\r\nContent-Type : text/html\r\n", &type, &subtype),
              " text/html");
    EXPECT_EQ(type + "/" + subtype, "text/html");
    EXPECT_EQ(GetContentTypeValue("Subject: none\r\n", &type, &subtype), "");
    EXPECT_EQ(GetContentTypeValue("Content-Typed: text/html\r\n", &type, &subtype), "");
    EXPECT_EQ(type, "");
    try
    {
        GetContentTypeValue("Content-Type: garbage\r\n", &type, &subtype);
        ADD_FAILURE() << "no throw";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, kContentTypeNotDetected);
    }
}

TEST(TransferEncodingTest, BoundaryIsFoundQuotedBareAndOnContinuationLines)
{
    const struct
    {
        const char* header;
        const char* boundary;
    } cases[] = {
        {"Content-Type: multipart/mixed; boundary=\"abc def\"\r\n", "abc def"},
        {"Content-Type: multipart/mixed; BOUNDARY = \"q\"; charset=x\r\n", "q"},
        {"Content-Type: multipart/mixed; boundary=bare-1\r\n", "bare-1"},
        {"Content-Type: multipart/mixed; boundary=bare-2 ; x=y\r\n", "bare-2"},
        {"Content-Type: multipart/alternative;\r\n boundary=\"----=_NextPart_000\"\r\n",
         "----=_NextPart_000"},
        {"Content-Type: text/plain\r\n", ""},
        {"Subject: boundary=\"no\"\r\n", ""},
        {"Content-Type: multipart/mixed; boundary=bar; x-boundary=foo\r\n", "bar"},
        {"Content-Type: multipart/signed;\r\n\tboundary*=\"ansi-x3.4-1968''Ee%51f\"\r\n", "EeQf"}, // RFC 2231
        {"Content-Type: multipart/mixed; boundary*=us-ascii'en'a%20b\r\n", "a b"},
        {"Content-Type: multipart/mixed; xboundary=\"foo\"; boundary=bar\r\n", "bar"},
        {"Content-Type: multipart/mixed; boundary=\"a;b \\\"c\\\"\"\r\n", "a;b \"c\""},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(GetBoundary(c.header), c.boundary) << c.header;
    }
}

TEST(TransferEncodingTest, DecodeBodyStopsAtTheBoundaryAndLeavesTheDelimitersLineEnd)
{
    const struct
    {
        int code;
        std::string body;
        std::string written;
    } cases[] = {
        {TE_BASE64, "YWJj\r\nZGVm\r\n--B\r\nafter", "abcdef"},
        {TE_BASE64, "YW\r\nJj\r\n--B--\r\n", "abc"}, // a group split over lines
        {TE_QUOTED_PRINTABLE, "a=3Db=\r\nc\r\nd\t=\ne\r\n--B\r\n", "a=bc\r\nd\te"},
        {TE_QUOTED_PRINTABLE, "soft at the end=\r\n--B\r\n", "soft at the end"},
        {TE_QUOTED_PRINTABLE, "begin 123 x=3D1\r\n--B", "begin 123 x=1"},
        {TE_BINARY, "\x01\x02\r\n--B--\r\n", "\x01\x02"},
        {TE_BINARY, "\x01\x02\r\n\r\n--B--\r\n", "\x01\x02\r\n"},
        {TE_7BIT, "Run:\r\nbegin 100 metres sprint\r\nend\r\n--B", "Run:\r\nbegin 100 metres sprint\r\nend"},
        {TE_7BIT, "line 1\r\nbegin 644 x.bin\r\nM9&%T\r\n--B", "line 1\r\nbegin 644 x.bin\r\nM9&%T"},
        {TE_8BIT, "lf\nonly\n--B\n", "lf\nonly"},
        {TE_8BIT, "--B\r\n", ""},
        {TE_8BIT, "a\r\n--B-- \t\r\n", "a"},
        // a line that only begins with the marker belongs to the part (a nested boundary "BC")
        {TE_8BIT, "a\r\n--BC\r\nb\r\n--B\r\n", "a\r\n--BC\r\nb"},
        {TE_8BIT, "a\r\n--B--x\r\n--B", "a\r\n--B--x"},
        // a missing closing boundary is read as though it were there
        {TE_BINARY, std::string("z\0z\r\n", 5), std::string("z\0z", 3)},
        {TE_X_TOKEN, "begin 644 a\r\nraw\r\n", "begin 644 a\r\nraw"},
        {TE_8BIT, "no end line", "no end line"},
    };
    for (const auto& c : cases)
    {
        std::istringstream in(c.body);
        std::ostringstream out;
        int code = c.code;
        CString value, error;
        const long long n = DecodeBody(in, out, "B", code, value, error);
        EXPECT_EQ(out.str(), c.written) << c.body;
        EXPECT_EQ(n, static_cast<long long>(c.written.size()));
    }
}

TEST(TransferEncodingTest, DecodeBodyWithoutABoundaryRunsToTheEnd)
{
    std::istringstream in("text\r\n--\r\n-- \r\nsig\r\n");
    std::ostringstream out;
    int code = TE_8BIT;
    CString value, error;
    EXPECT_EQ(DecodeBody(in, out, "", code, value, error), 20);
    EXPECT_EQ(out.str(), "text\r\n--\r\n-- \r\nsig\r\n");
}

TEST(TransferEncodingTest, DecodeBodyWithoutAnEncodingThrowsItsText)
{
    std::istringstream in("x\r\n");
    std::ostringstream out;
    int code = TE_NONE;
    CString value, error;
    try
    {
        DecodeBody(in, out, "B", code, value, error);
        ADD_FAILURE() << "no throw";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, kTransferEncodingNotDefined);
        EXPECT_EQ(error, kTransferEncodingNotDefined);
    }
}

TEST(TransferEncodingTest, SmallHelpers)
{
    EXPECT_EQ(CompareNoCaseN("Content-Type", "CONTENT-TYPX", 11), 0);
    EXPECT_NE(CompareNoCaseN("Content-Type", "CONTENT-TYPX", 12), 0);
    EXPECT_EQ(MinInt(-3, 2), -3);
    EXPECT_TRUE(IsBase64Char('='));
    EXPECT_TRUE(IsBase64Char('/'));
    EXPECT_FALSE(IsBase64Char('-'));
    EXPECT_EQ(Base64CharValue('a'), 26);
    EXPECT_EQ(Base64CharValue('*'), 255);
    std::ostringstream out;
    EXPECT_EQ(PutStreamChar('x', out), 'x');
    out.setstate(std::ios::failbit);
    EXPECT_EQ(PutStreamChar('y', out), -1);
}

} // namespace
