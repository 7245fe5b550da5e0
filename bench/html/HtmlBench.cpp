// Parse, style and layout of a generated 1 MB table-heavy mail at 1000 px beside litehtml with a
// metrics-only container of the same fixed metric, in the same run; also our layout of the mail against our
// own render of its plain text, for scale; then every page of the layout test set, and the fixed cost of a
// small document. Prints ratios; asserts nothing.
#include <litehtml.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/html/HtmlDocument.h"
#include "platform/html/HtmlLayout.h"
#include "platform/html/HtmlStyle.h"
#include "platform/html/HtmlTextModel.h"

namespace
{
// A newsletter: nested tables with bgcolor and cellpadding, FONT tags, links and images, repeated to 1 MB.
std::string NewsletterMail()
{
    std::string html = "<html><body bgcolor=#ffffff><table width=100% cellpadding=0 cellspacing=0><tr><td "
                       "align=center><table width=640 cellpadding=6 cellspacing=0 bgcolor=#f4f4f4>";
    for (int i = 0; html.size() < 1024 * 1024; i++)
    {
        std::string n = std::to_string(i);
        html += "<tr><td width=120 valign=top><img src='p" + n + ".png' width=100 height=80></td><td "
                "valign=top><font face=arial size=2 color=#333333><b>Story " + n + "</b><br>Lorem ipsum dolor "
                "sit amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut labore et dolore "
                "magna aliqua. <a href='http://example.invalid/" + n + "'>Read more</a></font><table "
                "cellpadding=2 cellspacing=1 bgcolor=#dddddd><tr><td bgcolor=#ffffff><font size=1>Price</font>"
                "</td><td bgcolor=#ffffff><font size=1>" + n + ".99</font></td></tr></table></td></tr>";
    }
    html += "</table></td></tr></table></body></html>";
    return html;
}

template <class F> double SecondsFor(F f)
{
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every character half the font size wide, as the engine's fixed metric; nothing is drawn.
class CMetricsContainer : public litehtml::document_container
{
public:
    litehtml::uint_ptr create_font(const litehtml::tchar_t*, int size, int, litehtml::font_style, unsigned int,
                                   litehtml::font_metrics* fm) override
    {
        fm->ascent = size * 8 / 10;
        fm->descent = size * 2 / 10;
        fm->height = size;
        fm->x_height = size / 2;
        fm->draw_spaces = true;
        return static_cast<litehtml::uint_ptr>(size);
    }
    void delete_font(litehtml::uint_ptr) override {}
    int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr font) override
    {
        int chars = 0;
        for (const char* p = text; *p; p++)
            chars += (static_cast<unsigned char>(*p) & 0xC0) != 0x80;
        return chars * static_cast<int>(font) / 2;
    }
    void draw_text(litehtml::uint_ptr, const litehtml::tchar_t*, litehtml::uint_ptr, litehtml::web_color,
                   const litehtml::position&) override {}
    int pt_to_px(int pt) const override { return pt * 4 / 3; }
    int get_default_font_size() const override { return 16; }
    const litehtml::tchar_t* get_default_font_name() const override { return "serif"; }
    void draw_list_marker(litehtml::uint_ptr, const litehtml::list_marker&) override {}
    void load_image(const litehtml::tchar_t*, const litehtml::tchar_t*, bool) override {}
    void get_image_size(const litehtml::tchar_t*, const litehtml::tchar_t*, litehtml::size& sz) override
    {
        sz.width = 20;
        sz.height = 20;
    }
    void draw_background(litehtml::uint_ptr, const litehtml::background_paint&) override {}
    void draw_borders(litehtml::uint_ptr, const litehtml::borders&, const litehtml::position&, bool) override {}
    void set_caption(const litehtml::tchar_t*) override {}
    void set_base_url(const litehtml::tchar_t*) override {}
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
    void on_anchor_click(const litehtml::tchar_t*, const litehtml::element::ptr&) override {}
    void set_cursor(const litehtml::tchar_t*) override {}
    void transform_text(litehtml::tstring&, litehtml::text_transform) override {}
    void import_css(litehtml::tstring&, const litehtml::tstring&, litehtml::tstring&) override {}
    void set_clip(const litehtml::position&, const litehtml::border_radiuses&, bool, bool) override {}
    void del_clip() override {}
    void get_client_rect(litehtml::position& client) const override
    {
        client = litehtml::position(0, 0, 1000, 800);
    }
    std::shared_ptr<litehtml::element> create_element(const litehtml::tchar_t*, const litehtml::string_map&,
                                                      const std::shared_ptr<litehtml::document>&) override
    {
        return nullptr;
    }
    void get_media_features(litehtml::media_features& media) const override
    {
        media.type = litehtml::media_type_screen;
        media.width = media.device_width = 1000;
        media.height = media.device_height = 800;
        media.color = 8;
        media.resolution = 96;
    }
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override
    {
        language = "en";
        culture.clear();
    }
};

float g_sink = 0;

void Ours(const std::string& html)
{
    html::CHtmlDocument doc;
    doc.Parse(html);
    html::CHtmlStyler styler;
    styler.Apply(doc);
    html::CHtmlFixedMetrics metrics;
    html::CHtmlLayout layout(doc, metrics);
    layout.Layout(1000);
    g_sink += layout.Height();
}
}

int main()
{
    const std::string mail = NewsletterMail();
    litehtml::context context;
    context.load_master_stylesheet(html::CHtmlStyler::UserAgentSheet());
    CMetricsContainer container;
    const int rounds = 3;
    double ours = 0, theirs = 0;
    for (int i = 0; i < rounds; i++)
    {
        ours += SecondsFor([&] { Ours(mail); });
        theirs += SecondsFor([&] {
            auto doc = litehtml::document::createFromString(mail.c_str(), &container, &context);
            g_sink += float(doc->render(1000));
        });
    }
    std::printf("html parse+style+layout of a %zu-byte table mail at 1000 px: ours %.3f s, litehtml %.3f s, "
                "ratio %.2fx (litehtml time / ours)\n",
                mail.size(), ours / rounds, theirs / rounds, theirs / ours);

    // The same mail's text as a plain-text render (DIV with BR), for scale.
    std::string text;
    {
        html::CHtmlDocument doc;
        doc.Parse(mail);
        html::CHtmlStyler styler;
        styler.Apply(doc);
        html::CHtmlFixedMetrics metrics;
        html::CHtmlLayout layout(doc, metrics);
        layout.Layout(1000);
        text = html::CHtmlTextModel(layout, metrics).Text();
    }
    std::string plain = "<div>";
    for (char c : text)
    {
        if (c == '\n')
            plain += "<br>";
        else if (c == '<')
            plain += "&lt;";
        else if (c == '&')
            plain += "&amp;";
        else if (c != '\r')
            plain += c;
    }
    plain += "</div>";
    double plainSeconds = 0;
    for (int i = 0; i < rounds; i++)
        plainSeconds += SecondsFor([&] { Ours(plain); });
    std::printf("html table mail against its own plain text (%zu bytes): %.3f s vs %.3f s, ratio %.2fx "
                "(table mail time / plain text time)\n",
                plain.size(), ours / rounds, plainSeconds / rounds, ours / plainSeconds);

    // The layout test set, each page at 800 px many times over.
    std::vector<std::filesystem::path> pages;
    for (const auto& entry : std::filesystem::directory_iterator(ORB_TEST_DATA_DIR "/html-layout"))
        if (entry.path().extension() == ".html")
            pages.push_back(entry.path());
    std::sort(pages.begin(), pages.end());
    double slowest = 1e9;
    for (const auto& page : pages)
    {
        std::ifstream in(page, std::ios::binary);
        const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const int n = 200;
        double o = 0, t = 0;
        for (int i = 0; i < n; i++)
        {
            o += SecondsFor([&] { Ours(html); });
            t += SecondsFor([&] {
                auto doc = litehtml::document::createFromString(html.c_str(), &container, &context);
                g_sink += float(doc->render(800));
            });
        }
        slowest = std::min(slowest, t / o);
        std::printf("layout test page %s (%zu bytes): ours %.3f ms, litehtml %.3f ms, ratio %.2fx\n",
                    page.filename().string().c_str(), html.size(), o / n * 1000, t / n * 1000, t / o);
    }
    if (!pages.empty())
        std::printf("layout test set: lowest ratio %.2fx (litehtml time / ours) over %zu pages\n", slowest,
                    pages.size());

    // The fixed cost of one small document: a mail of one short paragraph.
    const std::string small = "<html><body><p>Thanks, see you tomorrow.</p></body></html>";
    const int n = 5000;
    double o = 0, t = 0;
    for (int i = 0; i < n; i++)
    {
        o += SecondsFor([&] { Ours(small); });
        t += SecondsFor([&] {
            auto doc = litehtml::document::createFromString(small.c_str(), &container, &context);
            g_sink += float(doc->render(800));
        });
    }
    std::printf("fixed cost of a small document: ours %.4f ms, litehtml %.4f ms, ratio %.2fx\n", o / n * 1000,
                t / n * 1000, t / o);
    return g_sink < 0;
}
