// The view file's HTML rewriting: head, charset META, base target, inline images, link targets, and the
// linear tag scanner against the pattern walk it replaces.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "HtmlTagPatternWalk.h"
#include "content/HtmlViewRewriter.h"

namespace
{
// Inline parts by Content-ID, written (as far as the rewriter knows) to fixed paths.
class CFakeParts : public CHtmlViewRewriter
{
public:
    CFakeParts(const char* pszCharset, bool bReplace) : CHtmlViewRewriter(pszCharset, bReplace) {}
    bool WriteContentIdPart(const CString& strId, CString& strPath) override
    {
        auto found = m_parts.find(std::string(strId));
        if (found == m_parts.end())
            return false;
        strPath = found->second.c_str();
        return true;
    }
    std::map<std::string, std::string> m_parts = {{"logo@x", "C:\\T\\HTML\\logo.png"}};
};

const std::string kHead = "\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; charset=koi8-r\">"
                          "\r\n<base target=\"_blank\">\r\n</HEAD>\r\n";

std::string ReadText(const char* pszName)
{
    std::ifstream in(std::string(ORB_TEST_DATA_DIR) + "/" + pszName, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(HtmlViewRewriterTest, RewritesEachKindOfTag)
{
    const struct
    {
        const char* pszName;
        std::string strHtml;
        bool bReplaceCharset;
        std::string strExpected;
    } cases[] = {
        {"text without a tag is unchanged", "3 > 2 and 1 < 2 & so on", true, "3 > 2 and 1 < 2 & so on"},
        {"tags without a head get the whole head", "<b>x</b>", true, kHead + "<b>x</b>"},
        {"a META without charset gains the message's",
         "<HTML><HEAD><META http-equiv=Content-Type content=\"text/html\"></HEAD><BODY>x</BODY></HTML>", true,
         "<HTML><HEAD>\r\n<base target=\"_blank\">\r\n<META http-equiv=Content-Type content=\"text/html; "
         "charset=koi8-r\"></HEAD><BODY>x</BODY></HTML>"},
        {"a charset is replaced when the row names one",
         "<HEAD><META http-equiv=Content-Type content=\"text/html; charset=windows-1251\"></HEAD>", true,
         "<HEAD>\r\n<base target=\"_blank\">\r\n<META http-equiv=Content-Type content=\"text/html; "
         "charset=koi8-r\"></HEAD>"},
        {"with charset index 0 the message's own charset stays",
         "<HEAD><META http-equiv=Content-Type content=\"text/html; charset=windows-1251\"></HEAD>", false,
         "<HEAD>\r\n<base target=\"_blank\">\r\n<META http-equiv=Content-Type content=\"text/html; "
         "charset=windows-1251\"></HEAD>"},
        {"a base target becomes _blank and is not added again",
         "<head><base target=\"_self\"><title>t</title></head>", true,
         "<head>\r\n<META http-equiv=Content-Type content=\"text/html; charset=koi8-r\">\r\n\r\n<base "
         "target=\"_blank\"><title>t</title></head>"},
        {"META and base outside the head stay", "<META http-equiv=Content-Type content=\"x\"><HEAD></HEAD>", true,
         "<META http-equiv=Content-Type content=\"x\"><HEAD>\r\n<base target=\"_blank\">\r\n\r\n<META "
         "http-equiv=Content-Type content=\"text/html; charset=koi8-r\">\r\n</HEAD>"},
        {"a known cid: image names its file", "<HEAD></HEAD><IMG src=\"cid:logo@x\" width=1>", true,
         "<HEAD>\r\n<base target=\"_blank\">\r\n\r\n<META http-equiv=Content-Type content=\"text/html; "
         "charset=koi8-r\">\r\n</HEAD><IMG src=\"file://C:\\T\\HTML\\logo.png\" width=1>"},
        {"an unknown cid: stays", "<HEAD></HEAD><IMG src=\"cid:other@x\">", true,
         "<HEAD>\r\n<base target=\"_blank\">\r\n\r\n<META http-equiv=Content-Type content=\"text/html; "
         "charset=koi8-r\">\r\n</HEAD><IMG src=\"cid:other@x\">"},
        {"a comment is kept whole", "<HEAD></HEAD><!-- src=\"cid:logo@x\" -->", true,
         "<HEAD>\r\n<base target=\"_blank\">\r\n\r\n<META http-equiv=Content-Type content=\"text/html; "
         "charset=koi8-r\">\r\n</HEAD><!-- src=\"cid:logo@x\" -->"},
        {"link escapes of printable characters are decoded",
         "<HEAD></HEAD><A href=\"http://h/a%20b%2\">x</A><A href=\"http://h/%0A%22%3C%FF%zz\">y</A>", true,
         "<HEAD>\r\n<base target=\"_blank\">\r\n\r\n<META http-equiv=Content-Type content=\"text/html; "
         "charset=koi8-r\">\r\n</HEAD><A href=\"http://h/a b%2\">x</A><A href=\"http://h/%0A%22%3C%FF%zz\">y</A>"},
        {"unbalanced brackets: the last '<' before the last '>'", "a > b <c<d>e< f", true,
         kHead + "a > b <c<d>e< f"},
        {"no '<' before the last '>' is no tag", "a > b < c", true, "a > b < c"},
    };
    for (const auto& c : cases)
    {
        CFakeParts rewriter("koi8-r", c.bReplaceCharset);
        CString strOut = rewriter.Rewrite(CString(c.strHtml.data(), (int)c.strHtml.size()));
        EXPECT_EQ(c.strExpected, std::string(strOut, strOut.GetLength())) << c.pszName;
    }
}

TEST(HtmlViewRewriterTest, TextWithNulBytesKeepsEveryByte)
{
    std::string strHtml("<p>a\0b</p>\0<i\0>tail", 20);
    CFakeParts rewriter("utf-8", true);
    CString strOut = rewriter.Rewrite(CString(strHtml.data(), (int)strHtml.size()));
    std::string strExpected = "\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; charset=utf-8\">"
                              "\r\n<base target=\"_blank\">\r\n</HEAD>\r\n" +
                              strHtml;
    EXPECT_EQ(strExpected, std::string(strOut, strOut.GetLength()));
}

TEST(HtmlViewRewriterTest, ScannerAgreesWithThePatternWalkOnRealHtml)
{
    std::string strNewsletter = ReadText("html/newsletter.htm");
    ASSERT_FALSE(strNewsletter.empty());
    const std::string inputs[] = {
        strNewsletter,
        strNewsletter.substr(0, strNewsletter.size() / 2),
        strNewsletter.substr(strNewsletter.size() / 3),
        "<<>>", "<>", "><", ">>><<<", "<a>>b<<c>", "<!---->", "<!-- a -- > -->x<y>",
    };
    for (const std::string& strInput : inputs)
    {
        CString strHtml(strInput.data(), (int)strInput.size());
        CFakeParts scanner("windows-1252", true);
        CFakeParts pattern("windows-1252", true);
        CString strByScanner = scanner.Rewrite(strHtml, FindLastHtmlTag);
        CString strByPattern = pattern.Rewrite(strHtml, FindLastHtmlTagByPattern);
        EXPECT_EQ(std::string(strByPattern), std::string(strByScanner)) << strInput.substr(0, 60);
    }
}

TEST(HtmlViewRewriterTest, NewsletterComesOutReadyForTheView)
{
    CFakeParts rewriter("iso-8859-1", true);
    rewriter.m_parts["logo@shop.example"] = "C:\\T\\HTML\\logo.gif";
    CString strHtml = ReadText("html/newsletter.htm").c_str();
    std::string strOut = (const char*)rewriter.Rewrite(strHtml);
    EXPECT_NE(std::string::npos, strOut.find("content=\"text/html; charset=iso-8859-1\""));
    EXPECT_NE(std::string::npos, strOut.find("\r\n<base target=\"_blank\">"));
    EXPECT_EQ(std::string::npos, strOut.find("_self"));
    EXPECT_NE(std::string::npos, strOut.find("src=\"file://C:\\T\\HTML\\logo.gif\""));
    EXPECT_NE(std::string::npos, strOut.find("href=\"http://shop.example/offers of the week?id=12&x=1\""));
    EXPECT_NE(std::string::npos, strOut.find("k=%22x%22"));
    EXPECT_NE(std::string::npos, strOut.find("<!-- header table: <b>not</b> a tag -->"));
}
} // namespace
