// Tests of LIKE escaping, file names made from attachment names and links made from message text.
#include "content/TextUtilities.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

TEST(TextUtilitiesTest, EscapeLikeCharsBracketsAllButTheException)
{
    EXPECT_EQ(EscapeLikeChars("50% [off]", '%'), "50% [[]off[]]");
    EXPECT_EQ(EscapeLikeChars("50% [off]"), "50[%] [[]off[]]");
    EXPECT_EQ(EscapeLikeChars("plain"), "plain");
    EXPECT_EQ(EscapeLikeChars("a_b", '%'), "a[_]b");
}

TEST(TextUtilitiesTest, RemoveFileNameCharsDropsOrReplacesReservedCharacters)
{
    EXPECT_EQ(RemoveFileNameChars("what?*.txt"), "what_.txt");
    EXPECT_EQ(RemoveFileNameChars("a/b\"c<d>e|f"), "abcdef");
}

TEST(TextUtilitiesTest, MakeFileNameGivesANameSafeToCreateInAFolder)
{
    const struct
    {
        const char* name;
        const char* made;
    } cases[] = {
        {"report.pdf", "report.pdf"},
        {"C:\\Windows\\system.ini", "C__Windows_system.ini"},
        {"..\\..\\autoexec.bat", ".._.._autoexec.bat"},
        {"../../etc/passwd", "....etcpasswd"},
        {"..", "_"},
        {".", "_"},
        {"", "_"},
        {"   ", "_"},
        {"name. . .", "name"},
        {"CON", "_CON"},
        {"con.txt", "_con.txt"},
        {"Nul .txt", "_Nul .txt"},
        {"LPT1", "_LPT1"},
        {"com9.doc", "_com9.doc"},
        {"COM10.doc", "COM10.doc"},
        {"COM\xb9.txt", "_COM\xb9.txt"}, // superscript digits name ports too
        {"lpt\xb3", "_lpt\xb3"},
        {"COM\xb4.txt", "COM\xb4.txt"},
        {"console.txt", "console.txt"},
        {"tab\there\r\nbell\x07.txt", "tab_here__bell_.txt"},
        {"what?*.txt", "what_.txt"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(MakeFileName(c.name), c.made) << c.name;
    }
}

TEST(TextUtilitiesTest, MakeFileNameCapsTheLengthAndKeepsTheExtension)
{
    const CString made = MakeFileName(CString('x', 400) + ".docx");
    EXPECT_LE(made.GetLength(), 150);
    EXPECT_EQ(made.Right(5), ".docx");
}

TEST(TextUtilitiesTest, MakeFileNameTrimsWhatTheCapLeaves)
{
    EXPECT_EQ(MakeFileName("CON" + CString(' ', 200) + "x"), "_CON");
    EXPECT_EQ(MakeFileName(CString('a', 149) + CString(' ', 20) + "z"), CString('a', 149));
    const CString device = MakeFileName("CON." + CString('x', 300));
    EXPECT_EQ(device.Left(5), "_CON.");
    EXPECT_LE(device.GetLength(), 150);
}

TEST(TextUtilitiesTest, UrlsToLinksLinksAddressesAndTheTenSchemes)
{
    const struct
    {
        const char* text;
        const char* html;
    } cases[] = {
        {"write to joe@example.com today",
         "write to <A href=\"mailto:joe@example.com\">joe@example.com</A> today"},
        {"mailto:joe@example.com", "<A href=\"mailto:joe@example.com\">mailto:joe@example.com</A>"},
        {"http://example.com/x?a=1 more",
         "<A href=\"http://example.com/x?a=1\" target=\"_blank\">http://example.com/x?a=1</A> more"},
        {"see (ftp://h/f), ok", "see (<A href=\"ftp://h/f\" target=\"_blank\">ftp://h/f</A>), ok"},
        {"&lt;https://a.b/c&gt;", "&lt;<A href=\"https://a.b/c\" target=\"_blank\">https://a.b/c</A>&gt;"},
        {"note: nothing", "note: nothing"},
        {"javascript:alert(1)", "javascript:alert(1)"},
        {"http: alone", "http: alone"},
        {"@start and x@", "@start and x@"},
        {"ab:c@d.com", "ab:c@d.com"},
        {"HTTP://upper", "HTTP://upper"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(UrlsToLinks(c.text), c.html) << c.text;
    }
}

TEST(TextUtilitiesTest, UrlsToLinksLetsNoMessageTextOutOfItsAttribute)
{
    const CString html = UrlsToLinks("x\"onmouseover=\"evil\"'@evil.com and http://a/'x'");
    const std::string s(html);
    EXPECT_EQ(s.find("\"onmouseover"), std::string::npos) << s;
    EXPECT_NE(s.find("&quot;onmouseover=&quot;evil&quot;&#39;@evil.com"), std::string::npos) << s;
    EXPECT_NE(s.find("href=\"http://a/&#39;x&#39;\""), std::string::npos) << s;
}

TEST(TextUtilitiesTest, UrlsToLinksNeverNestsALinkInsideAnother)
{
    const CString html = UrlsToLinks("mailto:news:x@y.com");
    const std::string s(html);
    EXPECT_EQ(s, "<A href=\"mailto:news:x@y.com\">mailto:news:x@y.com</A>");
}

TEST(TextUtilitiesTest, UrlsToLinksKeepsAnAddressOnItsLine)
{
    EXPECT_EQ(UrlsToLinks("line\r\njoe@example.com"),
              "line\r\n<A href=\"mailto:joe@example.com\">joe@example.com</A>");
}

TEST(TextUtilitiesTest, HtmlBaseTargetBlankText)
{
    EXPECT_EQ(HtmlBaseTargetBlank(), "\r\n<base target=\"_blank\">");
}

} // namespace

TEST(TextUtilitiesTest, Utf8IsRecognisedOnlyWhenWellFormedAndNotPlainAscii)
{
    const struct
    {
        const char* pszBytes;
        bool bUtf8;
    } cases[] = {
        {"\xC2\xA3" "600", true},           // two bytes
        {"\xE2\x82\xAC and \xF0\x9F\x98\x80", true}, // three and four bytes
        {"plain ASCII", false},
        {"\xA3" "600", false},               // windows-1252
        {"\xF0\xD2\xC9", false},             // koi8-r
        {"\xC0\x80", false},                 // overlong NUL
        {"\xE0\x80\xAF", false},             // overlong slash
        {"\xED\xA0\x80", false},             // a surrogate
        {"\xF4\x90\x80\x80", false},         // above U+10FFFF
        {"ends in the middle \xE2\x82", false},
        {"\xC3\xA9\xC3", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsUtf8WithHighBytes(c.pszBytes, (int)strlen(c.pszBytes)), c.bUtf8) << c.pszBytes;
}
