// The part tree shown as text or HTML, its inline images and attachment files.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <vector>

#include "content/HtmlToText.h"
#include "content/MimePart.h"
#include "content/ReceivedMessage.h"
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
    static int s_nFolder = 0;
    strFolder.Format("%s%s-%lu-%lu-%d", szPath, pszTag, GetCurrentProcessId(), GetTickCount(), ++s_nFolder);
    CreateDirectoryA(strFolder, NULL);
    return strFolder;
}

std::set<std::string> FilesIn(const CString& strFolder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA find;
    HANDLE hFind = FindFirstFileA(strFolder + "\\*", &find);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        if ((find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.insert(find.cFileName);
    } while (FindNextFileA(hFind, &find));
    FindClose(hFind);
    return names;
}

// A multipart/mixed message (or of the subtype given) of the parts given, each header then body.
std::string Message(const std::vector<std::string>& parts, const char* pszSubtype = "mixed")
{
    std::string text = std::string("Content-Type: multipart/") + pszSubtype + "; boundary=b\r\n\r\n";
    for (const std::string& part : parts)
        text += "--b\r\n" + part + "\r\n";
    return text + "--b--\r\n";
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
    EXPECT_EQ(GetFileAttributesA(strFolder + "\\ATT.eml") != INVALID_FILE_ATTRIBUTES, true);

    CMimePart unsafe(Text(ReadBinaryFile(MimeDataPath("rfc2231-and-unsafe-names.eml"))));
    CString strOther = NewFolder("unsafe");
    unsafe.SaveAttachments(strOther, FALSE, NULL);
    EXPECT_EQ(ReadBinaryFile((const char*)(strOther + "\\" + MakeFileName("..\\..\\evil.txt"))), "two");
    EXPECT_EQ(ReadBinaryFile((const char*)(strOther + "\\r\xE9sum\xE9.txt")), "one");
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    EXPECT_EQ(GetFileAttributesA(CString(szTemp) + "evil.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST(MimePartDisplayTest, EveryPartNotShownIsListedAndSavedUnderTheNameOfItsRow)
{
    const std::string html = "Content-Type: text/html\r\n\r\n<p>see</p>";
    const std::string plain = "Content-Type: text/plain\r\n\r\nsee";
    struct Case
    {
        const char* pszWhat;
        std::string text;
        std::vector<std::string> names; // the rows, in order
        BOOL bFlag;
    } cases[] = {
        {"a named video in multipart/related",
         Message({html, "Content-Type: video/mpeg; name=\"Video001.mpeg\"\r\n\r\nMPEG"}, "related"),
         {"Video001.mpeg"}, TRUE},
        {"an MMS message: SMIL, a named 3GPP2 clip, text",
         Message({"Content-Type: application/smil\r\n\r\n<smil/>",
                  "Content-Type: video/3gpp2; name=clip.3g2\r\n\r\n3G2", plain}, "related"),
         {"Attachment1.dat", "clip.3g2"}, TRUE},
        {"unnamed binary and audio parts",
         Message({plain, "Content-Type: application/octet-stream\r\n\r\none",
                  "Content-Type: application/octet-stream\r\n\r\ntwo", "Content-Type: audio/amr\r\n\r\nAMR"}),
         {"Attachment1.dat", "Attachment2.dat", "Attachment3.dat"}, TRUE},
        {"an unnamed image the HTML shows by its Content-ID, and one nothing shows",
         Message({html, "Content-Type: image/png\r\nContent-ID: <i1@x>\r\n\r\nPNG1",
                  "Content-Type: image/gif\r\n\r\nGIF"}, "related"),
         {"Attachment1.gif"}, TRUE},
        {"a forwarded message and a delivery report: listed, yet no attachment flag",
         Message({plain, "Content-Type: message/rfc822\r\n\r\nSubject: x\r\n\r\ny",
                  "Content-Type: message/delivery-status\r\n\r\nAction: failed"}, "report"),
         {"ATT.eml", "ATT.dat"}, FALSE},
        // One reading of a name for the row and the file, by the charset the name declares, else the part's.
        {"an RFC 2231 name in iso-8859-15",
         Message({plain, "Content-Type: application/octet-stream\r\n"
                         "Content-Disposition: attachment; filename*=iso-8859-15''5%A4.txt\r\n\r\nfive"}),
         {"5\x80.txt"}, TRUE},
        {"a raw name in the part's charset",
         Message({plain, "Content-Type: text/plain; charset=iso-8859-15; name=\"6\xA4.txt\"\r\n"
                         "Content-Disposition: attachment\r\n\r\nsix"}),
         {"6\x80.txt"}, TRUE},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszWhat);
        CMimePart part(Text(c.text));
        CReceivedMessageScan scan;
        ScanReceivedMessage(part, scan, "iso-8859-1");
        std::vector<std::string> rows;
        for (const CReceivedAttachment& attachment : scan.m_attachments)
            rows.push_back((const char*)attachment.m_strName);
        EXPECT_EQ(rows, c.names);
        EXPECT_EQ(part.HasAttachments(), c.bFlag);
        CString strFolder = NewFolder("listed");
        part.SaveAttachments(strFolder, FALSE, "iso-8859-1");
        EXPECT_EQ(FilesIn(strFolder), std::set<std::string>(c.names.begin(), c.names.end()));
    }
}

TEST(MimePartDisplayTest, ANameTheCodePageCannotHoldIsTheSameInTheRowAndTheFile)
{
    // "пример" in windows-1251: the ANSI code page has none of its letters.
    CMimePart part(Text(Message({"Content-Type: text/plain\r\n\r\nsee",
                                 "Content-Type: text/plain; charset=windows-1251\r\nContent-Disposition: attachment;"
                                 " filename*=windows-1251''%EF%F0%E8%EC%E5%F0.txt\r\n\r\ntext"})));
    CReceivedMessageScan scan;
    ScanReceivedMessage(part, scan, "iso-8859-1");
    ASSERT_EQ(scan.m_attachments.size(), 1u);
    const std::string name = (const char*)scan.m_attachments[0].m_strName;
    for (unsigned char c : name)
        EXPECT_LT(c, 0x80) << name << ": the 1251 bytes were taken as 1252 letters";
    EXPECT_EQ(name.substr(name.size() - 4), ".txt");
    CString strFolder = NewFolder("cyrillic");
    part.SaveAttachments(strFolder, FALSE, "iso-8859-1");
    EXPECT_EQ(FilesIn(strFolder), std::set<std::string>{name});
}
