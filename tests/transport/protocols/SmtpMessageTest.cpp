// Tests of the outgoing message model's body encoder.
#include "transport/SmtpMessage.h"

#include <gtest/gtest.h>

#include <string>

#include "content/TransferEncoding.h"

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

TEST(SmtpMessageTest, AutomaticModeChoosesTheEncodingByContent)
{
    const struct
    {
        std::string text;
        const char* name;
    } cases[] = {
        {std::string("a\0b", 3), "base64"},
        {std::string(100, 'x') + "\r\nshort", "quoted-printable"},
        {"short\r\n" + std::string(100, 'x'), "quoted-printable"}, // a long last line counts too
        {"Caf\xe9 au lait, short lines of plain text\r\n", "8bit"},
        {"\xe9\xe8\xe0\xf9\xe2 only", "base64"},
        {"plain ascii\r\n", "7bit"},
        {"", "7bit"},
    };
    for (const auto& c : cases)
    {
        CSmtpMessage message;
        CString text = Cs(c.text), name;
        message.EncodeBody(SMTP_ENCODING_AUTO, text, name);
        EXPECT_EQ(name, c.name) << c.text;
    }
}

TEST(SmtpMessageTest, EncodedBodiesDecodeBackToTheirText)
{
    const std::string texts[] = {
        std::string("bin\0ary\xff", 8),
        std::string(300, 'x') + " \r\n.\r\nend ",
        "Caf\xe9\r\n",
    };
    for (const std::string& original : texts)
    {
        CSmtpMessage message;
        CString text = Cs(original), name;
        message.EncodeBody(SMTP_ENCODING_AUTO, text, name);
        EXPECT_EQ(Str(DecodeTransferEncoding(name, text)), original) << Str(name);
    }
}

TEST(SmtpMessageTest, BodiesKeepDotsAtLineStartsAndWrapAt76)
{
    // Dots are doubled on the wire only, never in the text that is stored.
    CSmtpMessage message;
    CString text = "a\r\n.\r\n.b", name;
    message.EncodeBody(SMTP_ENCODING_7BIT, text, name);
    EXPECT_EQ(text, "a\r\n.\r\n.b");

    CString bytes = CString('\xff', 120);
    message.EncodeBody(SMTP_ENCODING_BASE64, bytes, name);
    EXPECT_EQ(name, "base64");
    EXPECT_EQ(bytes.Find("\r\n"), 76);

    CString words = "word " + CString('w', 70) + " tail " + CString('z', 100);
    message.EncodeBody(SMTP_ENCODING_8BIT, words, name);
    EXPECT_EQ(Str(words), "word " + std::string(70, 'w') + " \r\ntail \r\n" + std::string(100, 'z'));

    CString high = "\xe9t\xe9";
    message.EncodeBody(SMTP_ENCODING_7BIT, high, name);
    EXPECT_EQ(high, "?t?");
}

TEST(SmtpMessageTest, LoneCarriageReturnsAndLineFeedsSurviveEncoding)
{
    // An attachment that is not CR LF text goes quoted-printable when it has a long line: its lone CR
    // and LF bytes travel escaped and come back as they were.
    const std::string bytes = "x\ry" + std::string(200, 'z') + "\n\r\n";
    CSmtpMessage message;
    CString text, name;
    message.EncodeBody(SMTP_ENCODING_AUTO, text, name, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<int>(bytes.size()));
    EXPECT_EQ(name, "quoted-printable");
    EXPECT_EQ(Str(DecodeTransferEncoding(name, text)), bytes);

    // LF-only text is wrapped line by line as the encoding choice counted its lines, with CR LF ends.
    const std::string second = std::string(50, 'b') + " " + std::string(20, 'c');
    CString lines = Cs(std::string(50, 'a') + "\n" + second + "\rd");
    message.EncodeBody(SMTP_ENCODING_AUTO, lines, name);
    EXPECT_EQ(name, "7bit");
    EXPECT_EQ(Str(lines), std::string(50, 'a') + "\r\n" + second + "\r\nd");
}

TEST(SmtpMessageTest, NewMessageHasNormalPriorityAndATimeZone)
{
    CSmtpMessage message;
    EXPECT_EQ(message.m_nPriority, 1);
    EXPECT_EQ(message.m_nMultipartKind, 0);
    EXPECT_GE(message.m_Time.wYear, 2020);
    EXPECT_LE(message.m_nZone, 1400);
    EXPECT_GE(message.m_nZone, -1200);
}

} // namespace
