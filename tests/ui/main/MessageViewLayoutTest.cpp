// The message dialog's arithmetic and texts: the layout, the To page, the per-window file names and the
// order in which neighbouring message files are stepped through.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "ui/main/MessageViewLayout.h"

namespace
{
std::string Rect(const RECT& rc)
{
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
           std::to_string(rc.bottom);
}

TEST(MessageViewLayout, HeaderToPaneAndBodyFollowCcWideToAndAttachments)
{
    const struct
    {
        bool bCc, bWideTo;
        int nWidth, nHeight, nListBottom;
        int nHeader;
        const char* pszTo;
        const char* pszBody;
    } cases[] = {
        {false, false, 600, 400, -1, 66, "90,35,590,51", "0,71,600,400"},
        {true, false, 600, 400, -1, 82, "90,35,590,51", "0,87,600,400"},
        {false, true, 600, 400, -1, 98, "90,35,590,83", "0,103,600,400"},
        {true, true, 600, 400, -1, 114, "90,35,590,83", "0,119,600,400"},
        // The list sits at the header's foot; the body starts 5 below the list.
        {true, false, 600, 400, 82 + 18, 82, "90,35,590,51", "0,105,600,400"},
        {false, false, 600, 400, 66 + 36, 66, "90,35,590,51", "0,107,600,400"},
        // A dialog shorter than its header gives the body no height rather than a negative one.
        {true, true, 300, 50, -1, 114, "90,35,290,83", "0,119,300,119"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.bCc ? "Cc" : "no Cc") + (c.bWideTo ? ", wide To" : "") + ", list bottom " +
                     std::to_string(c.nListBottom));
        EXPECT_EQ(c.nHeader, MessageViewLayout::HeaderHeight(c.bCc, c.bWideTo));
        EXPECT_EQ(c.pszTo, Rect(MessageViewLayout::ToPaneRect(c.nWidth, c.bWideTo)));
        EXPECT_EQ(c.pszBody,
                  Rect(MessageViewLayout::BodyPaneRect(c.nWidth, c.nHeight, c.nHeader, c.nListBottom)));
    }
}

TEST(MessageViewLayout, ToIsWideOnlyPastThePaneLessItsScrollBar)
{
    EXPECT_FALSE(MessageViewLayout::IsToWide(483, 500, 17));
    EXPECT_TRUE(MessageViewLayout::IsToWide(484, 500, 17));
}

TEST(MessageViewPage, TheToPageIsTheFixedTextAroundColourFontAndLine)
{
    EXPECT_EQ(
        "\r\n<HTML>\r\n<HEAD>\r\n<META http-equiv=Content-Type content=\"text/html; charset=utf-8\">\r\n"
        "</HEAD>\r\n<body topmargin=\"0\" leftmargin=\"0\" bgcolor=\"#0A0B0C\">\r\n"
        "<FONT face=\"Tahoma\" style=\"font-size: 11px\">Ann<BR></FONT>\r\n</body>\r\n</HTML>",
        std::string(MessageViewPage::BuildToPage(MessageViewPage::ColourHex(RGB(10, 11, 12)), "Ann", "Tahoma", 11)));
    // A face name cannot end the attribute or open markup.
    std::string strPage = (const char*)MessageViewPage::BuildToPage("000000", "Ann", "A\"><b>B", 11);
    EXPECT_NE(std::string::npos, strPage.find("<FONT face=\"AbB\" style=")) << strPage;
}

// The text a browser shows for the page's To line: tags dropped, the five entities read back.
std::string ShownText(const std::string& strHtml)
{
    std::string strText;
    for (size_t i = 0; i < strHtml.size(); i++)
    {
        if (strHtml[i] == '<')
        {
            i = strHtml.find('>', i);
            if (i == std::string::npos)
                break;
            continue;
        }
        strText += strHtml[i];
    }
    const char* entities[][2] = {{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
    for (const auto& entity : entities)
        for (size_t at = strText.find(entity[0]); at != std::string::npos; at = strText.find(entity[0], at + 1))
            strText.replace(at, strlen(entity[0]), entity[1]);
    return strText;
}

TEST(MessageViewPage, LinkingTheToLineChangesNoCharacterOfIt)
{
    const char* cases[] = {
        "Joe <joe@example.com>",
        "joe@example.com",
        "<joe@example.com>, ann@example.com (Ann)",
        "\"Joe & Ann\" <joe.ann@mail.example.com>",
        "mailto:joe@example.com",
        "Info <info@example.com>; see http://example.com/a?b=1&c=2",
        "undisclosed-recipients:;",
    };
    for (const char* pszTo : cases)
    {
        std::string strHtml = (const char*)MessageViewPage::ToLineHtml(pszTo);
        EXPECT_EQ(pszTo, ShownText(strHtml)) << strHtml;
    }
}

TEST(MessageViewPage, ColoursAreAlwaysSixDigits)
{
    EXPECT_EQ("000000", std::string(MessageViewPage::ColourHex(RGB(0, 0, 0))));
    EXPECT_EQ("0F01FF", std::string(MessageViewPage::ColourHex(RGB(15, 1, 255))));
    EXPECT_EQ("D4D0C8", std::string(MessageViewPage::ColourHex(RGB(0xD4, 0xD0, 0xC8))));
}

TEST(MessageViewPage, TheToLineShowsNamesAndMarkupAsText)
{
    std::string strLine =
        (const char*)MessageViewPage::ToLineHtml("Name <a@b.c>, \"<script>alert(1)</script>\" <x@y.z>");
    EXPECT_EQ(std::string::npos, strLine.find("<script>")) << strLine;
    EXPECT_NE(std::string::npos, strLine.find("&lt;script&gt;")) << strLine;
    EXPECT_NE(std::string::npos, strLine.find("Name &lt;")) << strLine;
    EXPECT_NE(std::string::npos, strLine.find("mailto:a@b.c")) << strLine;
    EXPECT_NE(std::string::npos, strLine.find("mailto:x@y.z")) << strLine;
}

TEST(MessageViewPage, EncodedWordsOfTheToLineBecomeUtf8)
{
    // "Jürgen" in Latin-1, and in UTF-8 on the page.
    std::string strLine = (const char*)MessageViewPage::ToLineHtml("=?iso-8859-1?Q?J=FCrgen?= <j@x.example>");
    EXPECT_EQ(0u, strLine.find("J\xC3\xBCrgen &lt;")) << strLine;
}

TEST(MessageViewPage, EveryWindowGetsFileNamesOfItsOwn)
{
    std::set<std::string> names;
    for (int i = 0; i < 5; i++)
    {
        names.insert((const char*)MessageViewPage::UniqueFileName("To"));
        names.insert((const char*)MessageViewPage::UniqueFileName("Print"));
    }
    EXPECT_EQ(10u, names.size());
    for (const std::string& strName : names)
    {
        EXPECT_EQ('\\', strName[0]);
        EXPECT_EQ(".htm", strName.substr(strName.size() - 4));
    }
}

TEST(MessageFileSteps, NamesSortWithoutRegardToCase)
{
    std::vector<CString> names = {"b.eml", "A.eml", "c.EML", "a2.eml", "B1.eml"};
    MessageFileSteps::SortNames(names);
    std::vector<std::string> sorted;
    for (const CString& strName : names)
        sorted.push_back((const char*)strName);
    EXPECT_EQ((std::vector<std::string>{"A.eml", "a2.eml", "b.eml", "B1.eml", "c.EML"}), sorted);
}

TEST(MessageFileSteps, PreviousStopsAtTheFirstAndNextRepeatsTheLast)
{
    const struct
    {
        int nCount, nCurrent;
        bool bNext;
        int nExpected;
    } cases[] = {
        {3, 0, false, -1}, {3, 1, false, 0},  {3, 2, false, 1},   {3, 0, true, 1},
        {3, 1, true, 2},   {3, 2, true, 2},   {1, 0, true, 0},    {1, 0, false, -1},
        {3, -1, true, -1}, {0, -1, true, -1}, {0, -1, false, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.nExpected, MessageFileSteps::Neighbour(c.nCount, c.nCurrent, c.bNext))
            << c.nCount << " files, current " << c.nCurrent << (c.bNext ? ", next" : ", previous");
}
} // namespace
