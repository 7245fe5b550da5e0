// Fuzzes the editor's HTML reader and writer: any input read into runs and written out must give valid
// UTF-8 in the fixed form, with no raw no-break space and nothing executable, read back to the same page,
// and survive the clipboard format both ways.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/html/HtmlText.h"
#include "platform/htmledit/HtmlClipboardFormat.h"
#include "platform/htmledit/HtmlEditReader.h"
#include "platform/htmledit/HtmlEditWriter.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{
std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return s;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace htmledit;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string fragment;
    if (ExtractHtmlFragment(bytes, fragment))
        FUZZ_CHECK(fragment.size() <= bytes.size());

    Document doc;
    ReadHtml(html::ValidUtf8(bytes), doc);
    const std::string written = WriteHtml(doc);
    FUZZ_CHECK(html::ValidUtf8(written) == written);
    FUZZ_CHECK(written.find("\xC2\xA0") == std::string::npos);
    FUZZ_CHECK(written.compare(0, 12, "<HTML><HEAD>") == 0);
    const std::string lower = Lower(written);
    FUZZ_CHECK(lower.find("<script") == std::string::npos);
    FUZZ_CHECK(lower.find("<a href=\"javascript:") == std::string::npos);

    // What the editor writes, it reads back as the same page.
    Document again;
    ReadHtml(written, again);
    FUZZ_CHECK(WriteHtml(again) == written);

    const std::string body = WriteBody(doc);
    std::string back;
    FUZZ_CHECK(ExtractHtmlFragment(BuildHtmlFormat(body), back));
    FUZZ_CHECK(back == body);
    return 0;
}
