// The part tree: structure against Python's email package, header fields and parameters, malformed texts.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#ifdef _WIN32
#include <objbase.h>
#endif

#include "content/AttachmentName.h"
#include "content/MimePart.h"
#include "content/TextUtilities.h"
#include "content/ReceivedMessage.h"
#include "MimeCorpus.h"

namespace
{
CString Text(const std::string& bytes)
{
    return CString(bytes.data(), (int)bytes.size());
}
} // namespace

TEST(MimePartTest, CorpusTreesMatchPythonsOutlines)
{
    std::vector<CCorpusMessage> corpus = LoadMimeCorpus();
    ASSERT_GE(corpus.size(), 30u);
    for (const CCorpusMessage& message : corpus)
    {
        SCOPED_TRACE(message.strName);
        ASSERT_FALSE(message.strOutline.empty());
        CMimePart part(Text(message.strText));
        EXPECT_EQ(OutlineOf(part), message.strOutline);
    }
}

TEST(MimePartTest, TwoThreadsParsingAtOnceGetTheSameTrees)
{
    std::vector<CCorpusMessage> corpus = LoadMimeCorpus();
    std::vector<std::string> expected;
    for (const CCorpusMessage& message : corpus)
        expected.push_back(OutlineOf(CMimePart(Text(message.strText))));
    auto parseAll = [&](std::vector<std::string>& outlines) {
#ifdef _WIN32
        // As the program's receive threads: attachment names are read through MLang.
        CoInitialize(NULL);
#endif
        for (int nRound = 0; nRound < 5; nRound++)
        {
            outlines.clear();
            for (const CCorpusMessage& message : corpus)
            {
                CMimePart part(Text(message.strText));
                CReceivedMessageScan scan;
                ScanReceivedMessage(part, scan);
                outlines.push_back(OutlineOf(part));
            }
        }
#ifdef _WIN32
        CoUninitialize();
#endif
    };
    std::vector<std::string> first, second;
    std::thread one(parseAll, std::ref(first));
    std::thread two(parseAll, std::ref(second));
    one.join();
    two.join();
    EXPECT_EQ(first, expected);
    EXPECT_EQ(second, expected);
}

TEST(MimePartTest, FieldMapKeepsParametersOnlyWhereMimeDefinesThem)
{
    CMimePart part("Subject: one; two\r\n"
                   "  three\r\n"
                   "Message-ID: <a=b@example.com>\r\n"
                   "References: <x=1@y> <z=2@y>\r\n"
                   "Received: first\r\n"
                   "Received: second\r\n"
                   "Content-Type: TEXT/HTML;\r\n"
                   "\tCharSet=\"koi8-r\"\r\n"
                   "Content-Disposition: attachment; filename=\"a; b.pdf\"; size=123;\r\n"
                   "\tcreation-date=\"Tue, 05 Mar 2002 10:20:30 GMT\"\r\n"
                   "\r\n"
                   "body\r\n");
    EXPECT_STREQ(part.GetHeader("subject", ""), "one; two three");
    EXPECT_STREQ(part.GetHeader("message-id", ""), "<a=b@example.com>");
    EXPECT_STREQ(part.GetHeader("references", ""), "<x=1@y> <z=2@y>");
    EXPECT_STREQ(part.GetHeader("received", ""), "first");
    EXPECT_STREQ(part.GetHeader("content-type", "charset"), "\"koi8-r\"");
    EXPECT_STREQ(part.GetBodyCharset(), "koi8-r");
    EXPECT_TRUE(part.HasHeaderValue("content-type", "text/html"));
    CString strType, strSubtype;
    part.GetContentType(strType, strSubtype);
    EXPECT_STREQ(strType + "/" + strSubtype, "text/html");
    EXPECT_STREQ(part.GetParameter("content-disposition", "filename"), "a; b.pdf");
    EXPECT_STREQ(part.GetHeader("content-disposition", "size"), "123");
    EXPECT_STREQ(part.m_strBody, "body\r\n");
}

TEST(MimePartTest, AttachmentNamesComeFromEveryFormOfTheParameter)
{
    struct Case
    {
        const char* pszHeader;
        const char* pszName;
    } cases[] = {
        {"Content-Disposition: attachment; filename=\"a.txt\"; modification-date=\"Mon, 1 Jan 2001\"",
         "a.txt"},
        {"Content-Disposition: attachment; filename=plain.txt; size=5", "plain.txt"},
        {"Content-Disposition: attachment; FileName = \"spaced.txt\"", "spaced.txt"},
        {"Content-Disposition: attachment; filename*=utf-8''na%20me.txt", "na me.txt"},
        {"Content-Disposition: attachment; filename*0=\"long\"; filename*1=\"name.txt\"", "longname.txt"},
        {"Content-Disposition: attachment; filename=\"q\\\"uote.txt\"", "q\"uote.txt"},
        {"Content-Type: application/pdf; name=\"from-type.pdf\"", "from-type.pdf"},
        {"Content-Disposition: attachment", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszHeader);
        CMimePart part(CString(c.pszHeader) + "\r\n\r\nx");
        EXPECT_STREQ(GetRawAttachmentName(part), c.pszName);
    }
    EXPECT_STREQ(MakeAttachmentFileName("..\\..\\evil.txt"), MakeFileName("..\\..\\evil.txt"));
    EXPECT_EQ(MakeAttachmentFileName("..\\..\\evil.txt").FindOneOf("\\/:"), -1);
}

TEST(MimePartTest, UnusualStructuresStillGiveSoundTrees)
{
    // A part without headers keeps its whole text as body.
    CMimePart headerless("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\nfirst paragraph\r\n\r\n"
                         "second\r\n--b--\r\n");
    ASSERT_NE(headerless.m_pFirstChild, nullptr);
    EXPECT_STREQ(headerless.m_pFirstChild->m_strBody, "first paragraph\r\n\r\nsecond");
    EXPECT_TRUE(headerless.m_pFirstChild->m_fields.empty());

    // LF-only text reads like CRLF text.
    CMimePart lf("Subject: lf\nContent-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: "
                 "text/plain\n\nx\n--b--\n");
    ASSERT_NE(lf.m_pFirstChild, nullptr);
    EXPECT_STREQ(lf.m_pFirstChild->m_strBody, "x");
    EXPECT_STREQ(lf.GetHeader("subject", ""), "lf");

    // No blank line at all: everything is header.
    CMimePart noBody("Subject: only a header");
    EXPECT_STREQ(noBody.GetHeader("subject", ""), "only a header");
    EXPECT_TRUE(noBody.m_strBody.IsEmpty());

    // Nesting far deeper than any mail program writes stops at the cap instead of exhausting the stack.
    std::string deep;
    for (int i = 0; i < 5000; i++)
        deep += "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "x\r\n\r\n--b" +
                std::to_string(i) + "x\r\n";
    CMimePart nested(deep.c_str());
    int nDepth = 0;
    for (const CMimePart* p = &nested; p->m_pFirstChild != NULL; p = p->m_pFirstChild)
        nDepth++;
    EXPECT_EQ(nDepth, (int)CMimePart::kMaxDepth);
}

TEST(MimePartTest, ReceivedScanFindsTheAttachmentsWithTheirDecodedSizes)
{
    struct Expected
    {
        CString strName;
        long long nSize;
        bool bWriteFile;
    };
    struct Case
    {
        const char* pszFile;
        std::vector<Expected> attachments;
        bool bError;
    } cases[] = {
        {"plain-single-part.eml", {}, false},
        {"alternative-plain-html.eml", {}, false},
        // A named image is listed as Save Attachments writes it, also when the HTML shows it.
        {"related-inline-image.eml", {{"my image.png", 70, false}}, false},
        {"mixed-outlook-attachments.eml",
         {{"report.pdf", 768, false},
          {"notes.txt", 24, false},
          {"notes (2).txt", 28, false},
          {"ATT.eml", 113, true},
          {"Attachment5.dat", 14, false}},
         false},
        {"report-delivery-status.eml", {{"ATT.dat", 97, true}, {"ATT.txt", 36, true}}, false},
        {"application-without-disposition.eml", {{"scan.pdf", 768, false}}, true},
        {"rfc2231-and-unsafe-names.eml",
         {{"r\xE9sum\xE9.txt", 3, false},
          {MakeFileName("..\\..\\evil.txt"), 3, false},
          {MakeFileName("C:\\windows\\win.ini"), 5, false}},
         false},
        {"lf-only-line-endings.eml", {{"a.txt", 8, false}}, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszFile);
        CMimePart part(Text(ReadBinaryFile(MimeDataPath(c.pszFile))));
        CReceivedMessageScan scan;
        ScanReceivedMessage(part, scan);
        EXPECT_EQ(!scan.m_strError.IsEmpty(), c.bError) << scan.m_strError;
        ASSERT_EQ(scan.m_attachments.size(), c.attachments.size());
        for (size_t i = 0; i < c.attachments.size(); i++)
        {
            EXPECT_STREQ(scan.m_attachments[i].m_strName, c.attachments[i].strName);
            EXPECT_EQ(scan.m_attachments[i].m_nSize, c.attachments[i].nSize);
            EXPECT_EQ(scan.m_attachments[i].m_bWriteFile, c.attachments[i].bWriteFile);
        }
    }
}

namespace
{
// The leaves of a tree read for its leaves only are those of the whole tree: headers, bodies and order.
void ExpectSameLeaves(const CMimePart& whole, const CMimePart& lean)
{
    EXPECT_STREQ(lean.m_strHeader, whole.m_strHeader);
    ASSERT_EQ(lean.m_pFirstChild == NULL, whole.m_pFirstChild == NULL);
    if (whole.m_pFirstChild == NULL)
    {
        EXPECT_EQ(std::string(lean.m_strBody, lean.m_strBody.GetLength()),
                  std::string(whole.m_strBody, whole.m_strBody.GetLength()));
        return;
    }
    const CMimePart* pLean = lean.m_pFirstChild;
    for (const CMimePart* pWhole = whole.m_pFirstChild; pWhole != NULL; pWhole = pWhole->m_pNextSibling)
    {
        ASSERT_NE(pLean, nullptr);
        ExpectSameLeaves(*pWhole, *pLean);
        pLean = pLean->m_pNextSibling;
    }
    EXPECT_EQ(pLean, nullptr);
}
} // namespace

TEST(MimePartTest, ATreeReadForItsLeavesFindsTheSameAttachmentsAsTheWholeTree)
{
    std::vector<std::string> texts;
    for (const CCorpusMessage& message : LoadMimeCorpus())
        texts.push_back(message.strText);
    texts.push_back("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\nno header\r\n--b--\r\n");
    texts.push_back("Subject: lf\nContent-Type: multipart/mixed; boundary=b\n\n--b\n"
                    "Content-Type: text/plain\n"
                    "Content-Disposition: attachment; filename=a.txt\n\nx\n--b--\n");
    texts.push_back("Content-Type: multipart/mixed; boundary=b\r\n\r\npreamble\r\n--b\r\n"
                    "Content-Type: multipart/alternative; boundary=c\r\n\r\n--c\r\n\r\ninner\r\n--c\r\n"
                    "Content-Type: application/octet-stream; name=n.bin\r\n\r\n" +
                    std::string("a\0b", 3) + "\r\n--c--\r\n--b\r\nContent-Type: message/rfc822\r\n\r\n"
                    "Subject: inner\r\n\r\nforwarded\r\n--b--\r\nepilogue\r\n");
    texts.push_back("Content-Type: multipart/mixed; boundary=b\r\n\r\nno delimiter at all\r\n");
    texts.push_back("Subject: only a header");
    texts.push_back("Content-Type: application/pdf\r\nContent-Transfer-Encoding: base64\r\n\r\nQUJD\r\n");
    for (const std::string& text : texts)
    {
        SCOPED_TRACE(text.substr(0, 80));
        CMimePart whole(Text(text));
        CReceivedMessageScan wholeScan;
        ScanReceivedMessage(whole, wholeScan);
        std::unique_ptr<CMimePart> pLean;
        {
            // The text need only outlive the reading.
            const CString strText = Text(text);
            pLean.reset(new CMimePart(strText, true));
        }
        ExpectSameLeaves(whole, *pLean);
        CReceivedMessageScan leanScan;
        ScanReceivedMessage(*pLean, leanScan);
        EXPECT_STREQ(leanScan.m_strError, wholeScan.m_strError);
        ASSERT_EQ(leanScan.m_attachments.size(), wholeScan.m_attachments.size());
        for (size_t i = 0; i < wholeScan.m_attachments.size(); i++)
        {
            EXPECT_STREQ(leanScan.m_attachments[i].m_strName, wholeScan.m_attachments[i].m_strName);
            EXPECT_EQ(leanScan.m_attachments[i].m_nSize, wholeScan.m_attachments[i].m_nSize);
            const CString& strLean = leanScan.m_attachments[i].m_strData;
            const CString& strWhole = wholeScan.m_attachments[i].m_strData;
            EXPECT_EQ(std::string(strLean, strLean.GetLength()), std::string(strWhole, strWhole.GetLength()));
        }
    }
}

TEST(MimePartTest, AForwardedMessageIsWrittenAsItsBodyUntouched)
{
    CMimePart part(Text(ReadBinaryFile(MimeDataPath("mixed-outlook-attachments.eml"))));
    CReceivedMessageScan scan;
    ScanReceivedMessage(part, scan);
    ASSERT_EQ(scan.m_attachments.size(), 5u);
    EXPECT_STREQ(scan.m_attachments[3].m_strData, "From: carl@example.com\r\nSubject: forwarded\r\n"
                                                  "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                                                  "a=3Db stays as written");
}

TEST(MimePartTest, LongLinesAndNulBytesNeitherStopTheScanNorChangeTheData)
{
    std::string strLong(5000, 'x');
    std::string strBinary = std::string("a\0b", 3) + strLong + "\r\nend";
    std::string text =
        "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n" + strLong +
        "\r\n--b\r\nContent-Type: application/octet-stream\r\n"
        "Content-Disposition: attachment; filename=bin.dat\r\n\r\n" +
        strBinary + "\r\n--b\r\nContent-Disposition: attachment; filename=after.txt\r\n\r\nlast\r\n--b--\r\n";
    CMimePart part(Text(text));
    CReceivedMessageScan scan;
    ScanReceivedMessage(part, scan);
    ASSERT_EQ(scan.m_attachments.size(), 2u);
    EXPECT_STREQ(scan.m_attachments[0].m_strName, "bin.dat");
    EXPECT_EQ(scan.m_attachments[0].m_nSize, (long long)strBinary.size());
    EXPECT_STREQ(scan.m_attachments[1].m_strName, "after.txt");
    EXPECT_EQ(scan.m_attachments[1].m_nSize, 4);
    ASSERT_NE(part.m_pFirstChild, nullptr);
    ASSERT_NE(part.m_pFirstChild->m_pNextSibling, nullptr);
    const CString& strBody = part.m_pFirstChild->m_pNextSibling->m_strBody;
    EXPECT_EQ(std::string((const char*)strBody, strBody.GetLength()), strBinary);
}

TEST(MimePartTest, OnlyAnEmptyLineEndsTheHeaderAndEveryReaderAgreesOnItsFields)
{
    struct Case
    {
        const char* pszName;
        const char* pszText;
        const char* pszSubject;
        const char* pszFrom;
        const char* pszType; // type/subtype as the tree reads it
        const char* pszBody;
    } cases[] = {
        {"a line of blanks is obsolete folding",
         "Subject: one\r\n   \r\nFrom: a@b\r\nContent-Type: text/html\r\n\r\n<b>x</b>", "one", "a@b",
         "text/html", "<b>x</b>"},
        {"a TAB-only line before a continuation", "Subject: one\r\n\t\r\n two\r\nFrom: a@b\r\n\r\nbody",
         "one two", "a@b", "text/plain", "body"},
        {"a line of blanks before body text: the text is body",
         "Subject: one\r\n \r\nHello there\r\nFrom: not@header\r\n", "one", "", "text/plain",
         "Hello there\r\nFrom: not@header\r\n"},
        {"blanks before the colon", "From : x@y\r\nSubject\t: Hi\r\nContent-Type : text/html\r\n\r\n<i>y</i>",
         "Hi", "x@y", "text/html", "<i>y</i>"},
        {"a delimiter after the header's end leaves the header where it ended",
         "Content-Type: multipart/mixed; boundary=l\r\n--x: y\r\nbody\r\nSubject: h\r\n--l\r\n\r\npart\r\n"
         "--l--\r\n",
         "", "", "multipart/mixed", "body\r\nSubject: h\r\n--l\r\n\r\npart\r\n--l--\r\n"},
        {"the colon on a continuation line", "From\r\n\t: a@b\r\nSubject: s\r\n\r\nx", "s", "a@b", "text/plain",
         "x"},
        {"a name with a blank inside is no field", "Subject: s\r\nDear John: hello\r\nFrom: a@b\r\n\r\nx",
         "s", "", "text/plain", "Dear John: hello\r\nFrom: a@b\r\n\r\nx"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CMimePart part(c.pszText);
        CString strType, strSubtype;
        part.GetContentType(strType, strSubtype);
        EXPECT_STREQ(strType + "/" + strSubtype, c.pszType);
        EXPECT_STREQ(part.m_strBody, c.pszBody);
        // The stored row and the header pane read the text itself; they must see what the tree sees.
        EXPECT_STREQ(part.GetHeader("subject", ""), c.pszSubject);
        EXPECT_STREQ(ReadHeaderField(c.pszText, "Subject", 0), c.pszSubject);
        EXPECT_STREQ(part.GetHeader("from", ""), c.pszFrom);
        EXPECT_STREQ(ReadHeaderField(c.pszText, "From", 0), c.pszFrom);
    }

    // A multipart whose Content-Type is folded over a blank line keeps its parts (the corpus fixture holds
    // python's reading of it).
    CMimePart folded(Text(ReadBinaryFile(MimeDataPath("header-folded-over-blank-lines.eml"))));
    EXPECT_STREQ(folded.GetBoundary(), "fold-1");
    EXPECT_STREQ(ReadHeaderField(folded.m_strHeader, "Date", 0), "Fri, 01 Nov 2002 01:50:58 +0100");
    ASSERT_NE(folded.m_pFirstChild, nullptr);
    ASSERT_NE(folded.m_pFirstChild->m_pNextSibling, nullptr);
    EXPECT_STREQ(GetRawAttachmentName(*folded.m_pFirstChild->m_pNextSibling), "minutes.pdf");
}

TEST(MimePartTest, HeaderFieldReaderFindsTheNthFieldOfAnyLineEnds)
{
    const char kText[] = "To: first@x\nReply-To: r@x\nTO :  second@x,\n\tthird@x\n\nTo: body@x\n";
    EXPECT_STREQ(ReadHeaderField(kText, "To", 0), "first@x");
    EXPECT_STREQ(ReadHeaderField(kText, "To:", 1), "second@x, third@x");
    EXPECT_STREQ(ReadHeaderField(kText, "To", 2), "") << "the body is no header";
    EXPECT_STREQ(ReadHeaderField(kText, "Reply-To", 0), "r@x");
    EXPECT_STREQ(ReadHeaderField("\r\nTo: a@b\r\n", "To", 0), "") << "a text that starts with its blank line";
}

TEST(MimePartTest, FindPartGivesTheMatchingPartsTextAlsoWhenItIsTheMessageItself)
{
    struct Case
    {
        const char* pszText;
        const char* pszValue;
        const char* pszBody;
    } cases[] = {
        {"Content-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
         "caf=E9 needle",
         "text/plain", "caf\xE9 needle"},
        {"Content-Type: text/html; charset=utf-8\r\n\r\n<html><body>needle</body></html>", "text/html",
         "<html><body>needle</body></html>"},
        {"Content-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
         "plain\r\n--b\r\nContent-Type: text/html\r\n\r\n<p>html</p>\r\n--b--\r\n",
         "text/html", "<p>html</p>"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszText);
        CMimePart message(c.pszText);
        CString strPart;
        ASSERT_TRUE(message.FindPart("content-type", c.pszValue, strPart));
        EXPECT_STREQ(CMimePart(strPart).GetDecodedBody(), c.pszBody);
    }
}

TEST(MimePartTest, UnlabelledPlainTextThatIsValidUtf8ReadsAsUtf8)
{
    struct Case
    {
        const char* pszText;
        const char* pszCharset;
    } cases[] = {
        {"Subject: x\r\n\r\nPrice \xC2\xA3" "600", "utf-8"},
        {"Content-Type: text/plain\r\n\r\nna\xC3\xAFve", "utf-8"},
        {"Content-Type: text/plain\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n=C2=A3600", "utf-8"},
        {"Content-Type: text/plain\r\n\r\nPrice \xA3" "600", ""},
        {"Content-Type: text/plain\r\n\r\nonly ASCII", ""},
        {"Content-Type: text/plain; charset=iso-8859-1\r\n\r\n\xC2\xA3", "iso-8859-1"},
        {"Content-Type: text/html\r\n\r\n<p>\xC2\xA3</p>", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszText);
        EXPECT_STREQ(CMimePart(c.pszText).GetBodyCharset(), c.pszCharset);
    }
}
