// Fuzzes the HTML engine: any bytes parse, style, lay out at two widths, give their text and a selection.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/html/HtmlDocument.h"
#include "platform/html/HtmlLayout.h"
#include "platform/html/HtmlStyle.h"
#include "platform/html/HtmlTextModel.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace html;
    CHtmlDocument doc;
    doc.Parse(std::string(reinterpret_cast<const char*>(data), size));
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
