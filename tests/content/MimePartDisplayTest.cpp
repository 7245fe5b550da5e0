// The part tree shown as text or HTML, its inline images and attachment files.
#include <gtest/gtest.h>

#include <windows.h>

#include "content/HtmlToText.h"
#include "content/MimePart.h"
#include "content/TextUtilities.h"
#include "foundation/Paths.h"
#include "MimeCorpus.h"

namespace
{
CString Text(const std::string& bytes)
{
    return CString(bytes.data(), (int)bytes.size());
}

struct Shown
{
    CString strOut;
    CString strErrors;
};

Shown Show(const CMimePart& part, BOOL bConvert = TRUE, BOOL bNoSeparator = FALSE, int nKind = -1)
{
    Shown shown;
    shown.strErrors = part.ToHtml(shown.strOut, nKind < 0 ? part.GetBodyKind() : nKind, part.IsMultipart(),
                                  part.IsMultipartAlternative(), "", bConvert, bNoSeparator);
    return shown;
}

CString NewFolder(const char* pszTag)
{
    char szPath[MAX_PATH];
    GetTempPathA(MAX_PATH, szPath);
    CString strFolder;
    strFolder.Format("%s%s-%lu-%lu", szPath, pszTag, GetCurrentProcessId(), GetTickCount());
    CreateDirectoryA(strFolder, NULL);
    return strFolder;
}
} // namespace

TEST(MimePartDisplayTest, AlternativesShowOnlyThePartOfTheBodyKind)
{
    CMimePart part(Text(ReadBinaryFile(MimeDataPath("alternative-plain-html.eml"))));
    EXPECT_EQ(part.GetBodyKind(), 2);
    EXPECT_STREQ(Show(part).strOut, "<p>HTML body</p>");
    EXPECT_STREQ(Show(part, TRUE, FALSE, 1).strOut, "Plain text body");
}

TEST(MimePartDisplayTest, MixedTextPartsAreJoinedBySeparatorsUnlessToldNot)
{
    CMimePart part("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
                   "a & <b>\r\n--b\r\nContent-Type: text/calendar\r\n\r\nBEGIN:VCALENDAR\r\n--b\r\n"
                   "Content-Type: text/x-vcard\r\n\r\nBEGIN:VCARD\r\n--b--\r\n");
    EXPECT_EQ(part.GetBodyKind(), 1);
    Shown shown = Show(part);
    EXPECT_STREQ(shown.strErrors, "");
    EXPECT_STREQ(shown.strOut,
                 "a &amp; &lt;b&gt;<BR>\r\n<hr>\r\n<BR>BEGIN:VCALENDAR<BR>\r\n<hr>\r\n<BR>BEGIN:VCARD");
    EXPECT_STREQ(Show(part, FALSE, TRUE).strOut, "a & <b>BEGIN:VCALENDARBEGIN:VCARD");
}

TEST(MimePartDisplayTest, PlainTextInAnHtmlViewKeepsItsBlanksTabsAndLineEnds)
{
    CMimePart part("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
                   "one\r\n    indented\ta  b\r\n--b\r\nContent-Type: text/html\r\n\r\n"
                   "<body><i>x</i></body>\r\n--b--\r\n");
    EXPECT_STREQ(Show(part).strOut,
                 PreformattedTextBlock("one\r\n    indented\ta  b") + "<BR>\r\n<hr>\r\n<BR><i>x</i>");
    const CString strBlock = PreformattedTextBlock("one\r\n    indented\ta  b");
    EXPECT_GE(strBlock.Find("white-space: pre-wrap"), 0) << "preformatted white space";
    EXPECT_GE(strBlock.Find(">one<BR>    indented\ta  b</DIV>"), 0) << "blanks and tabs as they stand";
    EXPECT_EQ(strBlock.Find("font"), -1) << "the page's font";
    // The plain-text quote of such a view keeps the lines.
    EXPECT_STREQ(HtmlToPlainText(Show(part).strOut).Left(13), "one\r\nindented");
}

TEST(MimePartDisplayTest, InlineImagesAreWrittenUnderTheNameTheirLinkUses)
{
    CMimePart part(Text(ReadBinaryFile(MimeDataPath("related-inline-image.eml"))));
    Shown first = Show(part);
    Shown second = Show(part);
    const char kLink[] = "<IMG alt=\"\" hspace=0 src=\"file://";
    int nLink = first.strOut.Find(kLink);
    ASSERT_GE(nLink, 0) << first.strOut;
    EXPECT_EQ(first.strOut.Find("<p>Look:</p>"), 0);
    int nStart = nLink + (int)strlen(kLink);
    CString strUrlPath = first.strOut.Mid(nStart, first.strOut.Find("\"", nStart) - nStart);
    EXPECT_EQ(strUrlPath.Find(' '), -1) << "a blank in a file URL is encoded";
    CString strPath = strUrlPath;
    strPath.Replace("%20", " ");
    EXPECT_EQ(strPath.Right(13), CString("\\my image.png"));
    std::string png = ReadBinaryFile((const char*)strPath);
    EXPECT_EQ(png.size(), 70u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_NE(first.strOut, second.strOut) << "two showings never share an image file";
}

TEST(MimePartDisplayTest, HasAttachmentsAcrossTheCorpus)
{
    struct Case
    {
        const char* pszFile;
        BOOL bExpected;
    } cases[] = {
        {"plain-single-part.eml", FALSE},
        {"alternative-plain-html.eml", FALSE},
        {"related-inline-image.eml", TRUE}, // the image names itself in its Content-Type
        {"mixed-outlook-attachments.eml", TRUE},
        {"report-delivery-status.eml", FALSE},
        {"application-without-disposition.eml", TRUE},
        {"rfc2231-and-unsafe-names.eml", TRUE},
        {"lf-only-line-endings.eml", TRUE},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszFile);
        CMimePart part(Text(ReadBinaryFile(MimeDataPath(c.pszFile))));
        EXPECT_EQ(part.HasAttachments(), c.bExpected);
    }
}

TEST(MimePartDisplayTest, SavedAttachmentsAreTheDecodedPartsUnderUniqueSafeNames)
{
    CMimePart mixed(Text(ReadBinaryFile(MimeDataPath("mixed-outlook-attachments.eml"))));
    CString strFolder = NewFolder("save");
    EXPECT_TRUE(mixed.SaveAttachments(strFolder, FALSE, NULL));
    std::string pdf;
    for (int i = 0; i < 3; i++)
        for (int b = 0; b < 256; b++)
            pdf.push_back((char)b);
    EXPECT_EQ(ReadBinaryFile((const char*)(strFolder + "\\report.pdf")), pdf);
    EXPECT_EQ(ReadBinaryFile((const char*)(strFolder + "\\notes.txt")), "caf\xE9 = coffee soft break");
    EXPECT_EQ(ReadBinaryFile((const char*)(strFolder + "\\notes (2).txt")), "second file of the same name");
    EXPECT_EQ(ReadBinaryFile((const char*)(strFolder + "\\Attachment5.dat")).size(), 14u);
    EXPECT_EQ(GetFileAttributesA(strFolder + "\\Message.eml") != INVALID_FILE_ATTRIBUTES, true);

    CMimePart unsafe(Text(ReadBinaryFile(MimeDataPath("rfc2231-and-unsafe-names.eml"))));
    CString strOther = NewFolder("unsafe");
    unsafe.SaveAttachments(strOther, FALSE, NULL);
    EXPECT_EQ(ReadBinaryFile((const char*)(strOther + "\\" + MakeFileName("..\\..\\evil.txt"))), "two");
    EXPECT_EQ(ReadBinaryFile((const char*)(strOther + "\\r\xE9sum\xE9.txt")), "one");
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    EXPECT_EQ(GetFileAttributesA(CString(szTemp) + "evil.txt"), INVALID_FILE_ATTRIBUTES);
}
