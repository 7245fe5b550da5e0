// Fuzzes the HTML engine: any bytes are sniffed for their charset as the view reads them, then parse, style,
// lay out at two widths, give their text and a selection.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/html/HtmlDocument.h"
#include "platform/html/HtmlLayout.h"
#include "platform/html/HtmlStyle.h"
#include "platform/html/HtmlText.h"
#include "platform/html/HtmlTextModel.h"
#include "platform/htmlview/HtmlCharsetSniffer.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace html;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string utf8;
    if (!HtmlCharsetSniffer::DecodeByByteOrderMark(bytes, utf8))
        utf8 = ValidUtf8(bytes);
    FUZZ_CHECK(ValidUtf8(utf8) == utf8);
    const std::string charset = HtmlCharsetSniffer::MetaCharset(bytes);
    FUZZ_CHECK(charset.size() < HtmlCharsetSniffer::kMetaScan);
    CHtmlDocument doc;
    doc.Parse(utf8);
    CHtmlStyler styler;
    styler.Apply(doc);
    CHtmlFixedMetrics metrics;
    for (float width : {1000.f, 120.f})
    {
        CHtmlLayout layout(doc, metrics);
        layout.Layout(width);
        FUZZ_CHECK(layout.Height() >= 0);
        CHtmlTextModel text(layout, metrics);
        std::string all = text.Text();
        TextPosition a, b;
        if (text.HitTest(3, 3, a) && text.HitTest(width, layout.Height(), b))
        {
            // A selection over everything holds no more than the whole text.
            FUZZ_CHECK(text.Text(a, b).size() <= all.size());
        }
        text.PaintList();
        for (const Page& p : text.Paginate(300))
            FUZZ_CHECK(p.bottom >= p.top);
    }
    return 0;
}
