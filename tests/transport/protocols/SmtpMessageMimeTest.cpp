// Golden messages of the MIME builder, with its clock, tick and zone fixed.
#include "transport/SmtpMessage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TransportTestSupport.h"

namespace
{

std::string Str(const CString& s)
{
    return std::string(static_cast<const char*>(s), s.GetLength());
}

DWORD WINAPI FixedTick()
{
    return 0xABCD;
}

// Thursday 9 January 2003, 07:05:09, one hour east of UTC, from Ann to Bob.
CSmtpMessage* MakeMessage()
{
    CSmtpMessage* pMessage = new CSmtpMessage;
    SYSTEMTIME time = {2003, 1, 4, 9, 7, 5, 9, 0};
    pMessage->m_Time = time;
    pMessage->m_nZone = 100;
    pMessage->m_pfnGetTickCount = FixedTick;
    pMessage->m_Headers.Add("X-Mailer", "Test Mailer");
    pMessage->m_From = CSmtpContentType("ann@example.com", "Ann");
    pMessage->m_To.push_back(CSmtpContentType("bob@example.com"));
    pMessage->m_strSubject = "Hi";
    return pMessage;
}

const char kHeaders[] = "From: \"Ann\" <ann@example.com>\r\n"
                        "To: <bob@example.com>\r\n"
                        "Subject: Hi\r\n"
                        "Date: Thu, 9 Jan 2003 07:05:09 +0100\r\n"
                        "Importance: Normal\r\n"
                        "X-MSMail-Priority: Normal\r\n"
                        "X-Priority: 3 (Normal)\r\n";

std::string Build(CSmtpMessage& message)
{
    CString text;
    EXPECT_EQ(message.BuildMime(text), 1);
    return Str(text);
}

std::string TempFile(const char* pszName, const std::string& bytes)
{
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    const std::string path = std::string(szTemp) + pszName;
    WriteWholeFile(path, bytes);
    return path;
}

TEST(SmtpMessageMimeTest, SinglePart)
{
    std::unique_ptr<CSmtpMessage> message(MakeMessage());
    message->m_BodyParts.push_back(CSmtpBodyPart("Hello\r\n"));
    EXPECT_EQ(Build(*message), std::string(kHeaders) +
                                   "MIME-Version: 1.0\r\n"
                                   "X-Mailer: Test Mailer\r\n"
                                   "Content-Type: text/plain;\r\n\tcharset=\"iso-8859-1\"\r\n"
                                   "Content-Transfer-Encoding: 7bit\r\n\r\n"
                                   "Hello\r\n");
}

TEST(SmtpMessageMimeTest, NoBody)
{
    std::unique_ptr<CSmtpMessage> message(MakeMessage());
    message->m_nPriority = 0;
    message->m_nReadReceipt = 1;
    const std::string text = Build(*message);
    EXPECT_EQ(text, "Disposition-Notification-To: <ann@example.com>\r\n"
                    "From: \"Ann\" <ann@example.com>\r\n"
                    "To: <bob@example.com>\r\n"
                    "Subject: Hi\r\n"
                    "Date: Thu, 9 Jan 2003 07:05:09 +0100\r\n"
                    "Importance: High\r\n"
                    "X-MSMail-Priority: High\r\n"
                    "X-Priority: 1 (High)\r\n"
                    "MIME-Version: 1.0\r\n"
                    "X-Mailer: Test Mailer\r\n"
                    "Content-Type: text/plain;\r\n\tcharset=\"iso-8859-1\"\r\n"
                    "Content-Transfer-Encoding: 7bit\r\n\r\n");
}

TEST(SmtpMessageMimeTest, MixedWithAnAttachment)
{
    const std::string path = TempFile("mime-golden.bin", std::string("\x01\x02\x03\x00", 4));
    std::unique_ptr<CSmtpMessage> message(MakeMessage());
    message->m_BodyParts.push_back(CSmtpBodyPart("Hello\r\n"));
    message->m_Attachments.push_back(CSmtpAttachment(path.c_str()));
    message->m_Headers.Add("Reply-To", "<ann@example.net>");
    EXPECT_EQ(Build(*message),
              std::string(kHeaders) +
                  "MIME-Version: 1.0\r\n"
                  "Content-Type: multipart/mixed;\r\n\tboundary=\"CSmtpMsgPart123X456_000_0000ABCD\"\r\n"
                  "Reply-To: <ann@example.net>\r\n"
                  "X-Mailer: Test Mailer\r\n"
                  "\r\nThis is a multipart message in MIME format\r\n"
                  "\r\n--CSmtpMsgPart123X456_000_0000ABCD\r\n"
                  "Content-Type: text/plain;\r\n\tcharset=\"iso-8859-1\"\r\n"
                  "Content-Transfer-Encoding: 7bit\r\n\r\n"
                  "Hello\r\n"
                  "\r\n--CSmtpMsgPart123X456_000_0000ABCD\r\n"
                  "Content-Type: application/octet-stream;\r\n\tname=\"mime-golden.bin\"\r\n"
                  "Content-Transfer-Encoding: base64\r\n"
                  "Content-Disposition: attachment;\r\n\tfilename=\"mime-golden.bin\"\r\n\r\n"
                  "AQIDAA=="
                  "\r\n--CSmtpMsgPart123X456_000_0000ABCD--\r\n");
    DeleteFileA(path.c_str());
}

TEST(SmtpMessageMimeTest, AlternativeAndNestedAlternative)
{
    std::unique_ptr<CSmtpMessage> message(MakeMessage());
    message->m_BodyParts.push_back(CSmtpBodyPart("Hello\r\n"));
    message->m_BodyParts.push_back(CSmtpBodyPart("<p>Hello</p>", "text/html"));
    std::string text = Build(*message);
    EXPECT_NE(
        text.find(
            "Content-Type: multipart/alternative;\r\n\tboundary=\"CSmtpMsgPart123X456_000_0000ABCD\"\r\n"),
        std::string::npos);
    EXPECT_NE(text.find("\r\n--CSmtpMsgPart123X456_000_0000ABCD\r\nContent-Type: "
                        "text/html;\r\n\tcharset=\"iso-8859-1\"\r\n"
                        "Content-Transfer-Encoding: "
                        "7bit\r\n\r\n<p>Hello</p>\r\n--CSmtpMsgPart123X456_000_0000ABCD--\r\n"),
              std::string::npos)
        << text;

    const std::string path = TempFile("mime-nested.txt", "notes\r\n");
    message.reset(MakeMessage());
    message->m_BodyParts.push_back(CSmtpBodyPart("Hello\r\n"));
    message->m_BodyParts.push_back(CSmtpBodyPart("<p>Hello</p>", "text/html"));
    message->m_Attachments.push_back(CSmtpAttachment(path.c_str(), "", 1, "text/plain"));
    text = Build(*message);
    const std::string inner = "CSmtpMsgPart123X456_001_0000ABCD";
    EXPECT_NE(text.find("multipart/mixed;"), std::string::npos);
    EXPECT_NE(text.find("\r\n--CSmtpMsgPart123X456_000_0000ABCD\r\nContent-Type: "
                        "multipart/alternative;\r\n\tboundary=\"" +
                        inner + "\"\r\n\r\n--" + inner + "\r\nContent-Type: text/plain;"),
              std::string::npos)
        << text;
    EXPECT_NE(
        text.find("<p>Hello</p>\r\n--" + inner +
                  "--\r\n\r\n--CSmtpMsgPart123X456_000_0000ABCD\r\n"
                  "Content-Type: text/plain;\r\n\tcharset=\"iso-8859-1\";\r\n\tname=\"mime-nested.txt\"\r\n"
                  "Content-Transfer-Encoding: 7bit\r\nContent-Disposition: "
                  "inline;\r\n\tfilename=\"mime-nested.txt\""
                  "\r\n\r\nnotes\r\n\r\n--CSmtpMsgPart123X456_000_0000ABCD--\r\n"),
        std::string::npos)
        << text;
    DeleteFileA(path.c_str());
}

TEST(SmtpMessageMimeTest, AttachmentTypesComeFromTheRegistry)
{
    HKEY hKey = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, ".vorntest", 0, NULL, 0, KEY_WRITE, NULL, &hKey, NULL),
              ERROR_SUCCESS);
    const char szType[] = "text/x-vorn-test";
    RegSetValueExA(hKey, "Content Type", 0, REG_SZ, reinterpret_cast<const BYTE*>(szType), sizeof(szType));
    RegCloseKey(hKey);

    const std::string path = TempFile("mime-type.vorntest", "text\r\n");
    std::unique_ptr<CSmtpMessage> message(MakeMessage());
    message->m_Attachments.push_back(CSmtpAttachment(path.c_str(), "", 0, "", "utf-8"));
    message->m_Attachments.push_back(CSmtpAttachment(path.c_str(), "no-extension"));
    const std::string text = Build(*message);
    EXPECT_NE(
        text.find(
            "Content-Type: text/x-vorn-test;\r\n\tcharset=\"utf-8\";\r\n\tname=\"mime-type.vorntest\"\r\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("Content-Type: application/octet-stream;\r\n\tname=\"no-extension\"\r\n"),
              std::string::npos);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".vorntest");
    DeleteFileA(path.c_str());

    message.reset(MakeMessage());
    message->m_Attachments.push_back(CSmtpAttachment("Z:\\no\\such\\file.bin"));
    CString out;
    try
    {
        message->BuildMime(out);
        ADD_FAILURE() << "a missing attachment must stop the build";
    }
    catch (const char* pszText)
    {
        const std::string prefix = "ERROR: 'Z:\\no\\such\\file.bin'\r\n";
        EXPECT_EQ(std::string(pszText).compare(0, prefix.size(), prefix), 0) << pszText;
    }
}

TEST(SmtpMessageMimeTest, EachEncodingIsNamedInItsPart)
{
    const struct
    {
        std::string body;
        int nEncoding;
        const char* name;
    } cases[] = {
        {"plain\r\n", SMTP_ENCODING_AUTO, "7bit"},
        {"caf\xe9 au lait, short lines of plain text\r\n", SMTP_ENCODING_AUTO, "8bit"},
        {std::string(100, 'q') + "\r\n", SMTP_ENCODING_AUTO, "quoted-printable"},
        {std::string("a\0b", 3), SMTP_ENCODING_AUTO, "base64"},
        {"forced\r\n", SMTP_ENCODING_BASE64, "base64"},
        {"forced\r\n", SMTP_ENCODING_QUOTED_PRINTABLE, "quoted-printable"},
    };
    for (const auto& c : cases)
    {
        std::unique_ptr<CSmtpMessage> message(MakeMessage());
        message->m_BodyParts.push_back(CSmtpBodyPart("", "text/plain", "iso-8859-1", c.nEncoding));
        message->m_BodyParts.back().m_strText = CString(c.body.data(), static_cast<int>(c.body.size()));
        EXPECT_NE(Build(*message).find(std::string("Content-Transfer-Encoding: ") + c.name + "\r\n\r\n"),
                  std::string::npos)
            << c.name;
    }
}

TEST(SmtpMessageMimeTest, SevenBitBodiesWrapAt76)
{
    std::unique_ptr<CSmtpMessage> message(MakeMessage());
    const std::string words = "word " + std::string(70, 'w') + " tail";
    message->m_BodyParts.push_back(CSmtpBodyPart("", "text/plain", "iso-8859-1", SMTP_ENCODING_7BIT));
    message->m_BodyParts.back().m_strText = words.c_str();
    const std::string text = Build(*message);
    EXPECT_NE(text.find("\r\n\r\nword " + std::string(70, 'w') + " \r\ntail"), std::string::npos) << text;
}

TEST(SmtpMessageMimeTest, DateCarriesTheZone)
{
    const struct
    {
        int nZone;
        const char* suffix;
    } cases[] = {{-500, "-0500"}, {100, "+0100"}, {530, "+0530"}, {0, "+0000"}};
    for (const auto& c : cases)
    {
        std::unique_ptr<CSmtpMessage> message(MakeMessage());
        message->m_nZone = c.nZone;
        EXPECT_EQ(Str(message->FormatDate()), std::string("Thu, 9 Jan 2003 07:05:09 ") + c.suffix);
    }
}

TEST(SmtpMessageMimeTest, DisplayNamesAreQuotedOrEncoded)
{
    const struct
    {
        const char* name;
        const char* written;
    } cases[] = {
        {"", "<a@example.com>"},
        {"Ann Lee", "\"Ann Lee\" <a@example.com>"},
        {"Say \"hi\" \\ bye", "\"Say \\\"hi\\\" \\\\ bye\" <a@example.com>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Str(CSmtpMessage::FormatAddress(CSmtpContentType("a@example.com", c.name))), c.written);
    const std::string encoded =
        Str(CSmtpMessage::FormatAddress(CSmtpContentType("a@example.com", "Ren\xe9")));
    EXPECT_EQ(encoded.compare(0, 2, "=?"), 0) << encoded;
    EXPECT_EQ(encoded.find('"'), std::string::npos) << encoded;
}

TEST(SmtpMessageMimeTest, CallerHeadersWinOverDefaults)
{
    std::unique_ptr<CSmtpMessage> message(MakeMessage());
    message->m_Headers.Add("X-Priority", "2");
    message->m_Bcc.push_back(CSmtpContentType("eve@example.com"));
    message->m_Cc.push_back(CSmtpContentType("dave@example.com"));
    message->m_Cc.push_back(CSmtpContentType("carl@example.com"));
    const std::string text = Build(*message);
    EXPECT_NE(text.find("X-Priority: 2\r\n"), std::string::npos);
    EXPECT_EQ(text.find("X-Priority: 3"), std::string::npos);
    EXPECT_NE(text.find("Cc: <dave@example.com>,\r\n\t<carl@example.com>\r\nTo:"), std::string::npos) << text;
    EXPECT_NE(text.find("Bcc: <eve@example.com>\r\nCc:"), std::string::npos) << text;
}

} // namespace
