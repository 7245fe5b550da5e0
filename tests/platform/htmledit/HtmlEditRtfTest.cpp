// The run model streamed into riched20 as RTF and streamed back out: every format and every number the
// editor keeps in the control comes back, for the whole text and for a part of it.
#include <windows.h>

#include <richedit.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/htmledit/HtmlEditRich.h"
#include "platform/htmledit/HtmlEditRtf.h"

using namespace htmledit;

namespace
{
std::string Describe(const std::vector<Paragraph>& paragraphs)
{
    std::ostringstream out;
    for (const Paragraph& p : paragraphs)
    {
        out << "[" << static_cast<int>(p.block) << " a" << static_cast<int>(p.align) << " l"
            << static_cast<int>(p.list) << "." << p.listLevel << " q" << p.quote << " t" << p.table << "]";
        for (const Run& r : p.runs)
        {
            const CharFormat& f = r.format;
            out << "{" << Utf16To8(r.text) << "|" << f.bold << f.italic << f.underline << " " << Utf16To8(f.face)
                << " " << f.size << " " << std::hex << f.color << " " << f.back << std::dec << " L" << f.link
                << " P" << f.picture << "}";
        }
        out << "\n";
    }
    return out.str();
}

Paragraph Para(Block block, std::vector<Run> runs)
{
    Paragraph p;
    p.block = block;
    p.runs = std::move(runs);
    return p;
}

CharFormat Format(int size)
{
    CharFormat f;
    f.size = size;
    return f;
}

class HtmlEditRtfTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::LoadLibraryW(L"riched20.dll");
        m_hRich = ::CreateWindowExW(0, L"RichEdit20W", L"", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr, nullptr,
                                    nullptr, nullptr);
        ASSERT_NE(m_hRich, nullptr);
    }

    void TearDown() override { ::DestroyWindow(m_hRich); }

    HWND m_hRich = nullptr;
};

// One document holding what riched20's RTF cannot say by itself: elements, quote and list levels, table
// numbers and link numbers past a byte, pictures in links, braces, tabs, line breaks, text beyond the code
// page and beyond the 16-bit plane, an empty paragraph in the middle and one at the end.
std::vector<Paragraph> Sample()
{
    std::vector<Paragraph> doc;
    CharFormat bold = Format(24);
    bold.bold = true;
    bold.face = u"Arial";
    bold.color = 0x123456;
    CharFormat link = Format(20);
    link.link = 300;
    CharFormat picture = link;
    picture.picture = 700;
    CharFormat marked = Format(24);
    marked.back = 0xFFFF00;
    marked.italic = true;
    marked.underline = true;
    doc.push_back(Para(Block::H1, {{u"Heading {1} \\ end", Format(48)}}));
    Paragraph quoted = Para(Block::P, {{u"plain ", Format(24)}, {u"bold", bold}, {u" marked", marked}});
    quoted.quote = 2;
    quoted.align = Align::Center;
    doc.push_back(quoted);
    doc.push_back(Para(Block::Div, {}));
    Paragraph item = Para(Block::ListItem, {{u"see ", Format(24)}, {u"here", link}, {u"\uFFFC", picture}});
    item.list = ListKind::Number;
    item.listLevel = 2;
    doc.push_back(item);
    Paragraph bullet = Para(Block::ListItem, {{u"\u0416\u0443\u043A \u4E2D\u6587 \U0001F600", Format(24)}});
    bullet.list = ListKind::Bullet;
    bullet.listLevel = 1;
    bullet.align = Align::Right;
    doc.push_back(bullet);
    Paragraph row = Para(Block::TableRow, {{u"a\tb\u000Bc\t\u00A0", Format(20)}});
    row.table = 4000;
    doc.push_back(row);
    CharFormat pre = Format(20);
    pre.face = u"Lucida Console";
    doc.push_back(Para(Block::Pre, {{u"  x\ty", pre}}));
    doc.push_back(Para(Block::Div, {}));
    return doc;
}

TEST_F(HtmlEditRtfTest, AWholeDocumentComesBackAsItWent)
{
    const std::vector<Paragraph> doc = Sample();
    LoadParagraphs(m_hRich, doc);
    EXPECT_EQ(Describe(doc), Describe(ReadParagraphs(m_hRich)));
    // The control holds the text as the caret counts it, so positions found from it stay right.
    EXPECT_EQ(u"Heading {1} \\ end\rplain bold marked\r\rsee here\uFFFC\r\u0416\u0443\u043A \u4E2D\u6587 "
              u"\U0001F600\ra\tb\u000Bc\t\u00A0\r  x\ty\r",
              RichText(m_hRich));
}

TEST_F(HtmlEditRtfTest, APartComesBackWithItsParagraphsFormats)
{
    LoadParagraphs(m_hRich, Sample());
    const std::u16string text = RichText(m_hRich);
    const LONG bold = static_cast<LONG>(text.find(u"bold"));
    const LONG see = static_cast<LONG>(text.find(u"see"));
    // From within one paragraph to just past the link's picture, then a paragraph mark's end.
    const std::vector<Paragraph> part = ReadParagraphs(m_hRich, bold + 2, see + 9);
    ASSERT_EQ(3u, part.size());
    EXPECT_EQ(u"ld marked", part[0].Text());
    EXPECT_EQ(2, part[0].quote);
    EXPECT_EQ(Align::Center, part[0].align);
    EXPECT_EQ(ListKind::Number, part[2].list);
    ASSERT_EQ(3u, part[2].runs.size());
    EXPECT_EQ(300, part[2].runs[1].format.link);
    EXPECT_EQ(700, part[2].runs[2].format.picture);
    const std::vector<Paragraph> tail = ReadParagraphs(m_hRich, see, see + 10);
    ASSERT_EQ(2u, tail.size());
    EXPECT_TRUE(tail[1].runs.empty());
    EXPECT_EQ(ListKind::Bullet, tail[1].list);
}

TEST_F(HtmlEditRtfTest, ReadsTheCharacterSetsOfFontsAndTheWritersEscapes)
{
    // As another program's RTF may come: a Cyrillic font's bytes, named characters, hex in the code page.
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fcharset0 Times New Roman;}"
                            "{\\f1\\fcharset204 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\n"
                            "\\pard\\qc\\f1\\fs20\\cf1 \\'c6\\'e8\\f0\\cf0  \\'e9\\emdash\\~x\\par\n}";
    std::vector<Paragraph> paragraphs;
    ASSERT_TRUE(ParagraphsOfRtf(rtf, paragraphs));
    ASSERT_EQ(1u, paragraphs.size());
    EXPECT_EQ(u"\u0416\u0438 \u00E9\u2014\u00A0x", paragraphs[0].Text());
    EXPECT_EQ(Align::Center, paragraphs[0].align);
    ASSERT_EQ(2u, paragraphs[0].runs.size());
    EXPECT_EQ(u"Arial", paragraphs[0].runs[0].format.face);
    EXPECT_EQ(0xFF0000u, paragraphs[0].runs[0].format.color);
    EXPECT_EQ(u"", paragraphs[0].runs[1].format.face);
    EXPECT_EQ(kNoColor, paragraphs[0].runs[1].format.color);
}
}
