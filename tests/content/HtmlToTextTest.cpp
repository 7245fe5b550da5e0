// The plain text of an HTML message for a plain-text reply.
#include <gtest/gtest.h>

#include <string>

#include "content/HtmlToText.h"

namespace
{
TEST(HtmlToTextTest, DropsTagsBreaksLinesAndDecodesEntities)
{
    const struct
    {
        const char* pszName;
        std::string strHtml;
        std::string strText;
    } cases[] = {
        {"breaks", "one<BR>two<br/>three", "one\r\ntwo\r\nthree"},
        {"blocks", "<DIV>a</DIV><div>b</div><P>c</P>", "a\r\nb\r\nc\r\n"},
        {"table rows", "<table><tr><td>1</td><td>2</td></tr><tr><td>3</td></tr></table>", "12\r\n3\r\n"},
        {"entities", "a &amp; b &lt;c&gt; &quot;d&quot; &#65;&#x42; &nbsp;&euro;&#8364;&#9731; &bogus; &amp",
         "a & b <c> \"d\" AB  \x80\x80? &bogus; &amp"},
        {"source line breaks are blanks", "a\r\n  b\tc", "a b c"},
        {"head, style and script show nothing",
         "<html><head><title>T</title><style>p{x}</style></head><body>x<script>if (a<b) y();</script>y</body>",
         "xy"},
        {"comments hide their tags", "a<!-- <br> -->b", "ab"},
        {"an unclosed tag at the end", "text <a href=", "text "},
        {"a stray '>' is text", "3 > 2", "3 > 2"},
    };
    for (const auto& c : cases)
    {
        CString strOut = HtmlToPlainText(CString(c.strHtml.data(), (int)c.strHtml.size()));
        EXPECT_EQ(c.strText, std::string(strOut, strOut.GetLength())) << c.pszName;
    }
}

TEST(HtmlToTextTest, NulBytesAndHugeInputsPassThrough)
{
    std::string strHtml("a\0b<br>c", 8);
    CString strOut = HtmlToPlainText(CString(strHtml.data(), (int)strHtml.size()));
    EXPECT_EQ(std::string("a\0b\r\nc", 6), std::string(strOut, strOut.GetLength()));

    std::string strHuge;
    for (int i = 0; i < 20000; i++)
        strHuge += "<div><b>word</b> &amp; more</div>";
    CString strText = HtmlToPlainText(strHuge.c_str());
    EXPECT_EQ(20000 * (int)strlen("word & more\r\n"), strText.GetLength());
}
} // namespace
