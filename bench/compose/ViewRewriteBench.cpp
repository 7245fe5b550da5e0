// The view file's HTML rewriting of a 500 kB newsletter by the linear tag scanner, beside the walk by the
// defining pattern "^(.*)(<.*>)(.*)" on the same text. The pattern walk grows with the square of the
// length, so it is also timed on a tenth of the text, where both are measured.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "content/HtmlViewRewriter.h"
#include "tests/content/HtmlTagPatternWalk.h"

namespace
{
double Seconds(const CString& strHtml, FindHtmlTagProc pfnFind, int nRuns)
{
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < nRuns; i++)
    {
        CHtmlViewRewriter rewriter("iso-8859-1", true);
        CString strOut = rewriter.Rewrite(strHtml, pfnFind);
        if (strOut.IsEmpty())
            std::printf("empty output\n");
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / nRuns;
}
} // namespace

int main()
{
    std::ifstream in(std::string(ORB_TEST_DATA_DIR) + "/html/newsletter.htm", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string strPage = text.str();
    std::string strBody = strPage.substr(strPage.find("<TABLE"));
    strBody = strBody.substr(0, strBody.find("</BODY>"));
    std::string strLarge = strPage.substr(0, strPage.find("<TABLE"));
    while (strLarge.size() < 500 * 1024)
        strLarge += strBody;
    std::string strSmall = strLarge.substr(0, strLarge.size() / 10);

    double dScannerLarge = Seconds(strLarge.c_str(), FindLastHtmlTag, 5);
    double dScannerSmall = Seconds(strSmall.c_str(), FindLastHtmlTag, 20);
    double dPatternSmall = Seconds(strSmall.c_str(), FindLastHtmlTagByPattern, 1);
    std::printf("view rewrite, %zu bytes: scanner %.4f s\n", strLarge.size(), dScannerLarge);
    std::printf("view rewrite, %zu bytes: scanner %.4f s, pattern walk %.4f s, pattern/scanner %.1f\n",
                strSmall.size(), dScannerSmall, dPatternSmall, dPatternSmall / dScannerSmall);
    std::printf("pattern walk on %zu bytes, estimated from the square of the length: %.1f s (%.0fx the scanner)\n",
                strLarge.size(), dPatternSmall * 100, dPatternSmall * 100 / dScannerLarge);
    return 0;
}
