// The body walker: text bodies into a file (mode 0), attachments by name and their listing (mode 1).
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "content/BodyWalker.h"
#include "content/TextUtilities.h"
#include "MimeCorpus.h"

namespace
{
CString Text(const std::string& bytes)
{
    return CString(bytes.data(), (int)bytes.size());
}

CString TempPath(const char* pszTag)
{
    char szPath[MAX_PATH];
    GetTempPathA(MAX_PATH, szPath);
    static int s_nNext = 0;
    CString strPath;
    // Process identities repeat under Wine: the tick count keeps runs apart.
    strPath.Format("%swalk-%s-%lu-%lu-%d", szPath, pszTag, GetCurrentProcessId(), GetTickCount(), ++s_nNext);
    return strPath;
}

struct Walk
{
    int nResult = -1;
    CString strError;
    std::string strWritten = "(nothing)";
};

Walk ExtractBody(const char* pszFile, int nKind)
{
    Walk walk;
    CString strParseError;
    CBodyWalker walker(strParseError, 0);
    CString strTarget = TempPath("body");
    try
    {
        walk.nResult = walker.ExtractPart(Text(ReadBinaryFile(MimeDataPath(pszFile))), &strTarget, &nKind, 0,
                                          "", NULL, NULL, NULL);
    }
    catch (const char* pszError)
    {
        walk.strError = pszError;
    }
    if (GetFileAttributesA(strTarget) != INVALID_FILE_ATTRIBUTES)
        walk.strWritten = ReadBinaryFile((const char*)strTarget);
    return walk;
}
} // namespace

TEST(BodyWalkerTest, ModeZeroWritesTheBodyOfTheKindAsked)
{
    struct Case
    {
        const char* pszFile;
        int nKind;
        int nResult;
        const char* pszWritten;
    } cases[] = {
        {"plain-single-part.eml", 1, 1, "Hello Bob,\r\na plain message & <nothing> more.\r\n"},
        {"plain-single-part.eml", 2, 0, "(nothing)"},
        {"alternative-plain-html.eml", 2, 1,
         "<html><head><title>t</title></head><body bgcolor=\"white\"><p>HTML body</p></body></html>"},
        {"alternative-plain-html.eml", 1, 1, "Plain text body"},
        {"report-delivery-status.eml", 1, 1, "Your message could not be delivered."},
        {"mixed-outlook-attachments.eml", 1, 1,
         "See the attached report.\r\nContent-Disposition: attachment; filename=\"phantom.txt\"\r\n"
         "Content-Transfer-Encoding: x-made-up\r\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.pszFile) + " kind " + std::to_string(c.nKind));
        Walk walk = ExtractBody(c.pszFile, c.nKind);
        EXPECT_STREQ(walk.strError, "");
        EXPECT_EQ(walk.nResult, c.nResult);
        EXPECT_EQ(walk.strWritten, c.pszWritten);
    }
}

TEST(BodyWalkerTest, ThePreambleIsTheTextOfAMultipartWithoutPlainParts)
{
    Walk walk = ExtractBody("related-inline-image.eml", 1);
    EXPECT_EQ(walk.nResult, 0) << "no preamble, no plain part";
    CString strParseError;
    CBodyWalker walker(strParseError, 0);
    CString strTarget = TempPath("preamble");
    int nKind = 1;
    EXPECT_EQ(walker.ExtractPart("Content-Type: multipart/mixed; boundary=b\r\n\r\npreamble text\r\n--b\r\n"
                                 "Content-Type: image/gif\r\n\r\nGIF\r\n--b--\r\n",
                                 &strTarget, &nKind, 0, "", NULL, NULL, NULL),
              1);
    EXPECT_EQ(ReadBinaryFile((const char*)strTarget), "preamble text");
}

TEST(BodyWalkerTest, ModeOneSavesOnlyTheAttachmentOfTheNameAndListsTheNamesTheParserStores)
{
    CString strMessage = Text(ReadBinaryFile(MimeDataPath("mixed-outlook-attachments.eml")));
    CString strFolder = TempPath("attach");
    CreateDirectoryA(strFolder, NULL);
    CString strParseError;
    int nKind = 0;
    {
        CBodyWalker walker(strParseError, 0);
        EXPECT_EQ(walker.ExtractPart(strMessage, &strFolder, &nKind, 1, "notes (2).txt", NULL, NULL, NULL),
                  1);
    }
    EXPECT_EQ(ReadBinaryFile((const char*)(strFolder + "\\notes (2).txt")), "second file of the same name");
    EXPECT_EQ(GetFileAttributesA(strFolder + "\\notes.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(strFolder + "\\report.pdf"), INVALID_FILE_ATTRIBUTES);

    int nSize = -1;
    {
        CBodyWalker walker(strParseError, 0);
        EXPECT_EQ(walker.ExtractPart(strMessage, &strFolder, &nKind, 1, "report.pdf", NULL, NULL, &nSize), 1);
    }
    EXPECT_EQ(nSize, 768);
    EXPECT_EQ(GetFileAttributesA(strFolder + "\\report.pdf"), INVALID_FILE_ATTRIBUTES)
        << "measured, not written";

    InitCommonControls();
    HWND hList =
        CreateWindowA(WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    ASSERT_NE(hList, (HWND)NULL);
    {
        CBodyWalker walker(strParseError, 0);
        walker.ExtractPart(strMessage, &strFolder, &nKind, 1, "", &hList, NULL, NULL);
    }
    std::vector<std::string> names;
    int nCount = (int)SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0);
    for (int i = nCount - 1; i >= 0; i--)
    {
        char szText[260] = {};
        LVITEMA item = {};
        item.iSubItem = 0;
        item.pszText = szText;
        item.cchTextMax = sizeof(szText);
        SendMessageA(hList, LVM_GETITEMTEXTA, i, (LPARAM)&item);
        names.push_back(szText);
    }
    DestroyWindow(hList);
    std::vector<std::string> expected = {"report.pdf", "notes.txt", "notes (2).txt", "ATT.eml",
                                         "Attachment5.dat"};
    EXPECT_EQ(names, expected);
}

TEST(BodyWalkerTest, ReportsOfAnotherKindAreRefusedWithTheContentType)
{
    CString strParseError;
    CBodyWalker walker(strParseError, 0);
    CString strTarget = TempPath("report");
    int nKind = 1;
    try
    {
        walker.ExtractPart(
            "Content-Type: multipart/report; report-type=disposition-notification; boundary=b\r\n"
            "\r\n--b\r\nContent-Type: text/plain\r\n\r\nx\r\n--b--\r\n",
            &strTarget, &nKind, 0, "", NULL, NULL, NULL);
        FAIL() << "no error";
    }
    catch (const char* pszError)
    {
        EXPECT_STREQ(pszError, "Unknown Content Type Encoding: multipart/report; "
                               "report-type=disposition-notification; boundary=b");
        EXPECT_STREQ(strParseError, pszError);
    }
}
