// The callers' patterns matched by our engine and by std::regex on the same texts; prints the time ratio.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "foundation/RegExp.h"

namespace
{

struct BenchCase
{
    const char* name;
    const char* pattern;    // our dialect
    const char* stdPattern; // the same language for std::regex (ECMAScript: "." misses line breaks)
    bool ignoreCase;
    std::string text;
};

// Calls until a quarter second has passed (at least once), so a slow peer cannot stall the run.
template <typename F> double NanosecondsPerCall(F call)
{
    const auto start = std::chrono::steady_clock::now();
    int nCalls = 0;
    std::chrono::steady_clock::duration elapsed;
    do
    {
        for (int i = 0; i < 16; ++i)
            call();
        nCalls += 16;
        elapsed = std::chrono::steady_clock::now() - start;
    } while (elapsed < std::chrono::milliseconds(250));
    return std::chrono::duration<double, std::nano>(elapsed).count() / nCalls;
}

std::string HeaderBlock()
{
    std::string strHeader;
    for (int i = 0; i < 12; ++i)
        strHeader += "X-Filler-" + std::to_string(i) + ": some value that a mail server added\r\n";
    strHeader +=
        "Content-Type: text/plain; charset=\"koi8-r\"\r\ncontent-transfer-encoding: quoted-printable\r\n";
    return strHeader + "\r\n";
}

} // namespace

int main()
{
    std::string strLongLine(1000, 'a');
    const std::vector<BenchCase> cases = {
        {"UNC path", "^\\\\\\\\([^\\\\]*)\\\\([^\\\\]*)\\\\(.*)",
         "^\\\\\\\\([^\\\\]*)\\\\([^\\\\]*)\\\\([\\s\\S]*)", false,
         "\\\\fileserver\\mail\\archive\\2002\\march.eml"},
        {"address", "(.*) <(.*)>", "([\\s\\S]*) <([\\s\\S]*)>", false,
         "\"Ann Lee, Sales\" <ann.lee@example.org>"},
        {"date",
         "[^,]*, +([^ 0123456789]+) +([0123456789]+), +([0123456789][0123456789][0123456789][0123456789]) "
         "+([0123456789]+):([0123456789]+):([0123456789]*) *(.*)",
         "[^,]*, +([^ 0-9]+) +([0-9]+), +([0-9][0-9][0-9][0-9]) +([0-9]+):([0-9]+):([0-9]*) *([\\s\\S]*)",
         true, "Tue, Mar 5, 2002 10:30:15 PM"},
        {"HTTP link", "GET /\\?([1234567890]*) .*", "GET /\\?([0-9]*) [\\s\\S]*", false,
         "GET /?1234 HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: Mozilla/4.0\r\n\r\n"},
        {"transfer encoding", "^.*Content-Transfer-Encoding: ([^\r|\n]*)[\r|\n].*",
         "^[\\s\\S]*Content-Transfer-Encoding: ([^\r|\n]*)[\r|\n][\\s\\S]*", true, HeaderBlock()},
        {"no match, long line", "(.*)[x](.*)", "([\\s\\S]*)[x]([\\s\\S]*)", false, strLongLine},
    };

    printf("%-22s %14s %14s %8s\n", "pattern", "ours ns/match", "std::regex ns", "ratio");
    double dLogRatios = 0;
    for (const BenchCase& c : cases)
    {
        CRegExp re(c.pattern, c.ignoreCase);
        const std::regex stdRe(c.stdPattern, c.ignoreCase ? std::regex::ECMAScript | std::regex::icase
                                                          : std::regex::ECMAScript);
        std::smatch match;
        const bool bOurs = re.Match(c.text.c_str());
        const bool bStd = std::regex_search(c.text, match, stdRe);
        const std::string strOurs = bOurs && re.SubStrings() >= 1 ? std::string(re.GetSubString(1)) : "";
        const std::string strStd = bStd && match.size() > 1 ? match[1].str() : "";
        size_t nSink = 0;
        const double dOurs = NanosecondsPerCall([&] { nSink += re.Match(c.text.c_str()); });
        const double dStd = NanosecondsPerCall([&] { nSink += std::regex_search(c.text, match, stdRe); });
        dLogRatios += std::log(dStd / dOurs);
        printf("%-22s %14.0f %14.0f %8.2f%s\n", c.name, dOurs, dStd, dStd / dOurs,
               (bOurs != bStd || strOurs != strStd) ? "  (results differ!)" : "");
        if (nSink == 0xFFFFFFFF)
            printf("\n");
    }
    printf("ratio (std::regex time / our time), geometric mean of %d patterns: %.2f (goal: each >= 1, mean >= 10)\n",
           (int)cases.size(), std::exp(dLogRatios / cases.size()));
    return 0;
}
