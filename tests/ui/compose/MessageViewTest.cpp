// The view file of a stored message: the no-message page, the error report offer, the wrapped and
// rewritten HTML with its inline images, the view folder made again, and the attachments folder.
#include <gtest/gtest.h>

#include <string>

#include "ComposeTestStore.h"
#include "foundation/Paths.h"
#include "store/EmailsImpl.h"

namespace
{
const char kHeader[] = "From: a@x.org\r\nTo: b@x.org\r\nSubject: s\r\nMIME-Version: 1.0\r\n";

class MessageViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_store.Clear();
        DeleteFolderTree(GetTempHtmlPath());
    }
    int View(const std::string& strText, int nEncode, int* pnNoMessage = NULL)
    {
        m_store.m_Encode = (BYTE)nEncode;
        m_store.m_strMessage = CString(strText.data(), (int)strText.size());
        delete m_store.m_pMimeMessage;
        m_store.m_pMimeMessage = NULL;
        try
        {
            return m_store.GetMessageFile(m_strPath, "\\NewMessage.htm", pnNoMessage, 0);
        }
        catch (const char* pszText)
        {
            ADD_FAILURE() << pszText;
            return -1;
        }
    }
    std::string ViewFile() { return ReadFileBytes(m_strPath); }

    CScriptedUser m_user;
    CEmailsImpl<> m_store{NULL};
    CString m_strPath;
};

TEST_F(MessageViewTest, NoTextGivesTheNoMessagePage)
{
    int nNoMessage = -1;
    EXPECT_EQ(2, View("", 0, &nNoMessage));
    EXPECT_EQ(1, nNoMessage);
    EXPECT_EQ(std::string(GetTempHtmlPath() + "\\NoMessage.htm"), std::string(m_strPath));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_strPath));

    View(std::string(kHeader) + "Content-Type: text/plain\r\n\r\nhello", 0, &nNoMessage);
    EXPECT_EQ(0, nNoMessage);
}

TEST_F(MessageViewTest, HtmlIsCutWrappedAndGivenItsCharset)
{
    std::string strMessage = std::string(kHeader) +
                             "Content-Type: text/html; charset=windows-1251\r\n\r\nlead-in<html>\r\n<p>x</p>";
    EXPECT_EQ(2, View(strMessage, 9));
    std::string strFile = ViewFile();
    EXPECT_EQ("<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; charset=windows-1251\">\r\n"
              "\r\n<base target=\"_blank\">\r\n</HEAD>\r\n<BODY>\r\n<DIV>\r\n<p>x</p></DIV>\r\n</BODY>\r\n</HTML>",
              strFile);
    EXPECT_TRUE(m_user.m_boxes.empty());

    // Index 7 is koi8-r; index 0 keeps the message's own charset.
    View(strMessage, 7);
    EXPECT_NE(std::string::npos, ViewFile().find("charset=koi8-r\""));
    View(strMessage, 0);
    EXPECT_NE(std::string::npos, ViewFile().find("charset=windows-1251\""));
}

TEST_F(MessageViewTest, PlainTextIsWrittenAsItsText)
{
    EXPECT_EQ(1, View(std::string(kHeader) + "Content-Type: text/plain\r\n\r\nline 1\r\n<b>line 2</b>", 0));
    EXPECT_EQ("line 1\r\n<b>line 2</b>", ViewFile());
}

TEST_F(MessageViewTest, APartialMessageIsSavedAndTheReportOffered)
{
    std::string strPartial = std::string(kHeader) + "Content-Type: message/partial; id=\"x\"; number=1\r\n\r\nbody";
    m_user.m_boxAnswers = {IDNO};
    View(strPartial, 0);
    ASSERT_EQ(1u, m_user.m_boxes.size());
    EXPECT_EQ(0u, m_user.m_boxes[0].find("Unsupported Content-Type: message//partial\r\n\r\nDo you want"));
    EXPECT_EQ(strPartial, ReadFileBytes(GetTempFolder() + "Message.eml"));

    // The view is written all the same.
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_strPath));
}

TEST_F(MessageViewTest, TheViewFolderIsMadeAgainWhenItIsGone)
{
    DeleteFolderTree(GetTempHtmlPath());
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(GetTempHtmlPath()));
    View(std::string(kHeader) + "Content-Type: text/html\r\n\r\n<p>back</p>", 0);
    EXPECT_NE(std::string::npos, ViewFile().find("<p>back</p>"));
}

TEST_F(MessageViewTest, InlinePartsLieBesideTheViewFileUnderSafeUniqueNames)
{
    std::string strMessage =
        std::string(kHeader) +
        "Content-Type: multipart/related; boundary=\"r\"\r\n\r\n--r\r\nContent-Type: text/html\r\n\r\n"
        "<p><IMG src=\"cid:one@x\"><IMG src=\"cid:two@x\"><IMG src=\"cid:one@x\"><IMG src=\"cid:gone@x\"></p>\r\n"
        "--r\r\nContent-Type: application/octet-stream; name=\"..\\..\\x.exe\"\r\nContent-ID: <one@x>\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\nAAECAw==\r\n"
        "--r\r\nContent-Type: application/octet-stream; name=\"..\\..\\x.exe\"\r\nContent-ID: <two@x>\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\nBAUG\r\n--r--\r\n";
    View(strMessage, 0);
    std::string strFile = ViewFile();
    std::string strFolder = std::string(GetTempHtmlPath()) + "\\";
    std::vector<std::string> paths;
    for (size_t nAt = strFile.find("file://"); nAt != std::string::npos; nAt = strFile.find("file://", nAt + 1))
        paths.push_back(strFile.substr(nAt + 7, strFile.find('"', nAt) - nAt - 7));
    ASSERT_EQ(3u, paths.size()) << strFile;
    EXPECT_EQ(paths[0], paths[2]);
    EXPECT_NE(paths[0], paths[1]);
    for (const std::string& strPath : paths)
    {
        EXPECT_EQ(0u, strPath.find(strFolder)) << strPath;
        EXPECT_EQ(std::string::npos, strPath.find('\\', strFolder.size())) << strPath;
    }
    EXPECT_EQ(std::string("\0\1\2\3", 4), ReadFileBytes(paths[0].c_str()));
    EXPECT_EQ(std::string("\4\5\6", 3), ReadFileBytes(paths[1].c_str()));
    EXPECT_NE(std::string::npos, strFile.find("src=\"cid:gone@x\""));
}

TEST_F(MessageViewTest, AttachmentsAreSavedInAFreshFolderByteForByte)
{
    std::string strMessage =
        std::string(kHeader) +
        "Content-Type: multipart/mixed; boundary=\"m\"\r\n\r\n--m\r\nContent-Type: text/plain\r\n\r\nsee files\r\n"
        "--m\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\nContent-Disposition: attachment; "
        "filename=\"data.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\nAAEA/w==\r\n"
        "--m\r\nContent-Type: text/plain; name=\"note.txt\"\r\nContent-Disposition: attachment; "
        "filename=\"note.txt\"\r\n\r\nnote text\r\n--m--\r\n";
    m_store.m_strMessage = strMessage.c_str();
    CString strFirst = m_store.SaveMessageToTempFile();
    CString strSecond = m_store.SaveMessageToTempFile();
    EXPECT_NE(std::string(strFirst), std::string(strSecond));
    EXPECT_EQ(std::string("\0\1\0\xff", 4), ReadFileBytes(strFirst + "\\data.bin"));
    EXPECT_EQ("note text", ReadFileBytes(strFirst + "\\note.txt"));
    EXPECT_EQ(std::string("\0\1\0\xff", 4), ReadFileBytes(strSecond + "\\data.bin"));
    DeleteFolderTree(strFirst);
    DeleteFolderTree(strSecond);
}
} // namespace
