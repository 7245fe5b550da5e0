// Fuzzes the view file's HTML rewriting: the linear tag scanner gives what the defining pattern walk
// gives, and neither the rewriting nor the HTML-to-text conversion of quoting fails on any bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "content/HtmlToText.h"
#include "content/HtmlViewRewriter.h"
#include "tests/content/HtmlTagPatternWalk.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{
class CFuzzRewriter : public CHtmlViewRewriter
{
public:
    CFuzzRewriter() : CHtmlViewRewriter("utf-8", true) {}
    bool WriteContentIdPart(const CString& strId, CString& strPath) override
    {
        if (strId.GetLength() % 2 != 0)
            return false;
        strPath = "C:\\view\\" + strId;
        return true;
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CString strHtml(reinterpret_cast<const char*>(pData), static_cast<int>(nSize));
    CFuzzRewriter scanner;
    CString strByScanner = scanner.Rewrite(strHtml);
    // The pattern walk sees a text only up to a NUL, and its cost grows with the square of the length.
    if (nSize <= 4096 && memchr(pData, 0, nSize) == NULL)
    {
        CFuzzRewriter pattern;
        CString strByPattern = pattern.Rewrite(strHtml, FindLastHtmlTagByPattern);
        FUZZ_CHECK(strByPattern == strByScanner);
    }
    CString strText = HtmlToPlainText(strHtml);
    FUZZ_CHECK(strText.GetLength() <= 2 * strHtml.GetLength() + 2);
    return 0;
}
