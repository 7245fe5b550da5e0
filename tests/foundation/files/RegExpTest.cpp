// Tests of the regular-expression engine: the dialect, its errors, groups and the callers' patterns.
#include "foundation/RegExp.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifdef _WIN32
#include "FoundationTestSupport.h"
#include "foundation/TraceFile.h"
#endif

namespace
{

std::string Str(const CString& str)
{
    return std::string(str.GetString(), static_cast<size_t>(str.GetLength()));
}

struct CompileErrorCase
{
    const char* pattern;
    const char* error;
};

TEST(RegExpTest, EveryReachableCompileErrorIsReportedByMatchWithoutReadingAProgram)
{
    const std::string strTooManyGroups = "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)";
    const CompileErrorCase cases[] = {
        {"a**", "nested *?+"},
        {"a+?", "nested *?+"},
        {"(a*)*", "*+ operand could be empty"},
        {"(a|)+", "*+ operand could be empty"},
        {"\\<*", "*+ operand could be empty"},
        {"*a", "?+* follows nothing"},
        {"(+a)", "?+* follows nothing"},
        {"[z-a]", "invalid [] range"},
        {"(ab", "unterminated ()"},
        {"ab)", "unmatched ()"},
        {"[abc", "unmatched []"},
        {"ab\\", "trailing \\"},
        {strTooManyGroups.c_str(), "too many ()"},
    };
    for (const CompileErrorCase& c : cases)
    {
        CRegExp re(c.pattern);
        EXPECT_FALSE(re.Match("aaa")) << c.pattern;
        EXPECT_EQ(c.error, Str(re.GetErrorString())) << c.pattern;
        EXPECT_EQ(-1, re.SubStrings()) << c.pattern;
        EXPECT_EQ("", Str(re.GetSubString(0))) << c.pattern;
    }

    CRegExp reNull(nullptr);
    EXPECT_FALSE(reNull.Match("a"));
    EXPECT_EQ("NULL argument to regcomp", Str(reNull.GetErrorString()));

    CRegExp reText("a");
    EXPECT_FALSE(reText.Match(nullptr));
    EXPECT_EQ("NULL argument to regexec", Str(reText.GetErrorString()));
}

TEST(RegExpTest, AProgramOf32767BytesOrMoreIsTooBig)
{
    // Each "x." takes 8 bytes: a literal node with its character and terminator, and an "any" node.
    std::string strFits, strTooBig;
    for (int i = 0; i < 4000; ++i)
        strFits += "x.";
    CRegExp reFits(strFits.c_str());
    EXPECT_TRUE(reFits.Match(std::string(8000, 'x').c_str())) << Str(reFits.GetErrorString());

    for (int i = 0; i < 4200; ++i)
        strTooBig += "x.";
    CRegExp reTooBig(strTooBig.c_str());
    EXPECT_FALSE(reTooBig.Match("x"));
    EXPECT_EQ("regexp too big", Str(reTooBig.GetErrorString()));
}

struct MatchCase
{
    const char* pattern;
    bool ignoreCase;
    const char* text;
    bool matches;
    int subStrings;
    std::vector<std::string> groups; // from group 0; "*" leaves a group unchecked
};

void CheckCases(const std::vector<MatchCase>& cases)
{
    for (const MatchCase& c : cases)
    {
        CRegExp re(c.pattern, c.ignoreCase);
        const std::string strWhat = std::string("/") + c.pattern + "/ on '" + c.text + "'";
        ASSERT_EQ(c.matches, re.Match(c.text)) << strWhat << " " << Str(re.GetErrorString());
        EXPECT_EQ("", Str(re.GetErrorString())) << strWhat;
        EXPECT_EQ(c.subStrings, re.SubStrings()) << strWhat;
        for (size_t i = 0; i < c.groups.size(); ++i)
        {
            if (c.groups[i] == "*")
                continue;
            EXPECT_EQ(c.groups[i], Str(re.GetSubString(static_cast<int>(i)))) << strWhat << " group " << i;
            EXPECT_EQ(static_cast<int>(c.groups[i].size()), re.SubLength(static_cast<int>(i))) << strWhat;
        }
    }
}

TEST(RegExpTest, DialectOfLiteralsSetsAnchorsAndRepeats)
{
    CheckCases({
        {"abc", false, "xxabcxx", true, 0, {"abc"}},
        {"a.c", false, "abc", true, 0, {"abc"}},
        {"a.c", false, "ac", false, -1, {}},
        {"^ab", false, "xab", false, -1, {}},
        {"ab$", false, "abx", false, -1, {}},
        {"ab$", false, "xab", true, 0, {"ab"}},
        // A newline is an ordinary character, in the text and in the pattern.
        {"a$", false, "a\n", false, -1, {}},
        {"a\nb", false, "xa\nb", true, 0, {"a\nb"}},
        {"a\nb", false, "b", false, -1, {}},
        {"x[a-c]*", false, "xabcabd", true, 0, {"xabcab"}},
        {"x[^a]*", false, "xbbb", true, 0, {"xbbb"}},
        {"[]a]+", false, "x]a]", true, 0, {"]a]"}},
        {"[^]a]+", false, "]]bc", true, 0, {"bc"}},
        {"[a-]+", false, "x-a-", true, 0, {"-a-"}},
        {"[-a]+", false, "x-a-", true, 0, {"-a-"}},
        {"[\\]+", false, "a\\\\", true, 0, {"\\\\"}},
        {"a\\.b", false, "axb a.b", true, 0, {"a.b"}},
        {"a\\*", false, "a*", true, 0, {"a*"}},
        {"ab*c", false, "xabbbc", true, 0, {"abbbc"}},
        {"ab+c", false, "xac", false, -1, {}},
        {"ab?c", false, "xac", true, 0, {"ac"}},
        {"(ab)+", false, "xababy", true, 1, {"abab", "ab"}},
        {"(ab)*c", false, "ababc", true, 1, {"ababc", "ab"}},
        {"(ab)?c", false, "c", true, 0, {"c", ""}},
        {"a.*b", false, "aXbYb", true, 0, {"aXbYb"}},
        {"", false, "abc", true, 0, {""}},
    });
}

TEST(RegExpTest, GroupsCountUpToTheFirstUnmatchedAndKeepTheirLastIteration)
{
    CheckCases({
        {"^ *([0123456789]*) *", false, "  3 ", true, 1, {"  3 ", "3"}},
        {"^(a)(b)?(c)", false, "ac", true, 1, {"ac", "a", "", "c"}},
        {"^(a)(b)?(c)", false, "abc", true, 3, {"abc", "a", "b", "c"}},
        {"(a|b)*", false, "abab", true, 1, {"abab", "b"}},
        {"((a)|b)*", false, "ab", true, 2, {"ab", "b", "a"}},
        {"(a(b)?)+", false, "aba", true, 2, {"aba", "a", "b"}},
        {"()", false, "x", true, 1, {"", ""}},
    });
}

TEST(RegExpTest, AlternationIsLeftmostFirstNotLongest)
{
    CheckCases({
        {"a|ab", false, "ab", true, 0, {"a"}},
        {"ab|a", false, "ab", true, 0, {"ab"}},
        {"(a|ab)(c|bcd)", false, "abcd", true, 2, {"abcd", "a", "bcd"}},
        {"(ab|a)(c|bcd)", false, "abcd", true, 2, {"abc", "ab", "c"}},
        {"x(a|b|c)y", false, "xcy", true, 1, {"xcy", "c"}},
        {"(a|b|)c", false, "c", true, 1, {"c", ""}},
        {"b|a", false, "xab", true, 0, {"a"}},
    });
}

TEST(RegExpTest, WordBoundariesUseLettersDigitsAndUnderscore)
{
    CheckCases({
        {"\\<ab", false, "x ab", true, 0, {"ab"}},
        {"\\<ab", false, "xab", false, -1, {}},
        {"\\<ab", false, "ab", true, 0, {"ab"}},
        {"\\<ab", false, "_ab 1ab ab", true, 0, {"ab"}},
        {"ab\\>", false, "abc ab", true, 0, {"ab"}},
        {"ab\\>", false, "abc", false, -1, {}},
        {"ab\\>", false, "ab_", false, -1, {}},
        {"\\<[0123456789]+\\>", false, "a1 22 b", true, 0, {"22"}},
    });
}

TEST(RegExpTest, IgnoreCaseFoldsLettersOutsideSetsOnly)
{
    CheckCases({
        {"abc", true, "aBC", true, 0, {"aBC"}},
        {"[a-c]x", true, "bX", true, 0, {"bX"}},
        {"[a-c]x", true, "Bx", false, -1, {}},
        {"a[B]c", true, "AbC", false, -1, {}},
        {"a[B]c", true, "ABC", true, 0, {"ABC"}},
        {"[]a]b", true, "]B", true, 0, {"]B"}},
        // An escaped letter is a literal letter and folds; an escaped backslash stays one.
        {"\\a\\.", true, "A.", true, 0, {"A."}},
        {"\\\\n", true, "\\N", true, 0, {"\\N"}},
        {"\\<word", true, "a WORD", true, 0, {"WORD"}},
    });
}

TEST(RegExpTest, CyrillicLettersFoldAndFormWordsInCodePage1251)
{
    const CRegExpCharClass saved = GetRegExpCharClass();
    SetRegExpCharClass(RegExpCharClass1251());
    CheckCases({
        {"\xCF\xF0\xE8\xE2\xE5\xF2",
         true,
         "\xEF\xD0\xC8\xE2\xE5\xF2!",
         true,
         0,
         {"\xEF\xD0\xC8\xE2\xE5\xF2"}},
        {"\xA8\xEB\xEA\xE0", true, "\xB8\xCB\xCA\xC0", true, 0, {"\xB8\xCB\xCA\xC0"}},
        {"\\<\xEC\xE8\xF0", false, "\xE0\xEC\xE8\xF0 \xEC\xE8\xF0", true, 0, {"\xEC\xE8\xF0"}},
        {"\\<\xEC\xE8\xF0", false, "\xE0\xEC\xE8\xF0", false, -1, {}},
        {"\xEC\xE8\xF0\\>", false, "\xEC\xE8\xF0\xE0", false, -1, {}},
    });
    SetRegExpCharClass(saved);
}

TEST(RegExpTest, PatternsOfTheCallers)
{
    const char* kUnc = "^\\\\\\\\([^\\\\]*)\\\\([^\\\\]*)\\\\(.*)";
    const char* kAddress = "(.*) <(.*)>";
    const char* kDate1 = "[^,]*, +([^ 0123456789]+) +([0123456789]+), +([0123456789][0123456789][0123456789]"
                         "[0123456789]) +([0123456789]+):([0123456789]+):([0123456789]*) *(.*)";
    const char* kDate2 = "^[^0123456789]*([0123456789]+) +([^ 0123456789]+) +([0123456789][0123456789]"
                         "[0123456789][0123456789]) +([0123456789]+):([0123456789]+)(.+)";
    const char* kLink = "GET /\\?([1234567890]*) .*";
    const char* kEncoding = "^.*Content-Transfer-Encoding: ([^\r|\n]*)[\r|\n].*";
    CheckCases({
        {kUnc,
         false,
         "\\\\srv\\docs\\a\\b.txt",
         true,
         3,
         {"\\\\srv\\docs\\a\\b.txt", "srv", "docs", "a\\b.txt"}},
        {kUnc, false, "C:\\docs\\a.txt", false, -1, {}},
        {kAddress, false, "\"Ann Lee\" <ann@example.org>", true, 2, {"*", "\"Ann Lee\"", "ann@example.org"}},
        {kAddress, false, "ann@example.org", false, -1, {}},
        {kDate1,
         true,
         "Tue, Mar 5, 2002 10:30:15 pm",
         true,
         7,
         {"*", "Mar", "5", "2002", "10", "30", "15", "pm"}},
        {kDate2,
         false,
         "Tue, 5 Mar 2002 10:30:15 +0100",
         true,
         6,
         {"*", "5", "Mar", "2002", "10", "30", ":15 +0100"}},
        {kLink, false, "GET /?42 HTTP/1.1\r\n", true, 1, {"*", "42"}},
        {kLink, false, "GET /? HTTP/1.1", true, 1, {"*", ""}},
        {kLink, false, "GET /index.html HTTP/1.1", false, -1, {}},
        {kEncoding,
         true,
         "Content-Type: text/plain\r\ncontent-transfer-ENCODING: base64\r\nX: y",
         true,
         1,
         {"*", "base64"}},
        {kEncoding, true, "Content-Type: text/plain\r\n", false, -1, {}},
    });
}

TEST(RegExpTest, GroupIndexesOutsideZeroToNineAreClamped)
{
    CRegExp re("(a)(b)(c)(d)(e)(f)(g)(h)(i)");
    ASSERT_TRUE(re.Match("abcdefghi"));
    EXPECT_EQ(9, re.SubStrings());
    EXPECT_EQ("i", Str(re.GetSubString(12)));
    EXPECT_EQ("abcdefghi", Str(re.GetSubString(-3)));
    EXPECT_EQ(9, re.SubLength(-1));
    EXPECT_EQ(0, CRegExp::SafeIndex(-100));
    EXPECT_EQ(9, CRegExp::SafeIndex(100));
}

TEST(RegExpTest, CopiesShareTheProgramButMatchIndependently)
{
    CRegExp reFirst("([0123456789]+)");
    CRegExp reSecond(reFirst);
    CRegExp reThird("x");
    reThird = reSecond;
    ASSERT_TRUE(reFirst.Match("a12"));
    ASSERT_TRUE(reSecond.Match("b345"));
    ASSERT_FALSE(reThird.Match("none"));
    EXPECT_EQ("12", Str(reFirst.GetSubString(1)));
    EXPECT_EQ("345", Str(reSecond.GetSubString(1)));
    EXPECT_EQ(-1, reThird.SubStrings());
    ASSERT_TRUE(reThird.Match("6"));
    EXPECT_EQ("6", Str(reThird.GetSubString(1)));
    EXPECT_EQ("12", Str(reFirst.GetSubString(1)));
}

TEST(RegExpTest, LongTextsNeitherExhaustTheStackNorTakeQuadraticTime)
{
    std::string strPairs;
    for (int i = 0; i < 512 * 1024; ++i)
        strPairs += "ab";
    CRegExp reLoop("(ab)*$");
    ASSERT_TRUE(reLoop.Match(strPairs.c_str()));
    EXPECT_EQ(static_cast<int>(strPairs.size()), reLoop.SubLength(0));
    EXPECT_EQ("ab", Str(reLoop.GetSubString(1)));

    CRegExp reAlternatives("^(a|b)+$");
    ASSERT_TRUE(reAlternatives.Match(strPairs.c_str()));
    EXPECT_EQ("b", Str(reAlternatives.GetSubString(1)));

    // Without the anchoring of a leading ".*" every start position would rescan the rest of the text.
    const std::string strNoMatch(1024 * 1024, 'a');
    CRegExp reLeadingStar(".*[x]");
    EXPECT_FALSE(reLeadingStar.Match(strNoMatch.c_str()));
    CRegExp reGrouped("(.*)[x](.*)");
    EXPECT_FALSE(reGrouped.Match(strNoMatch.c_str()));
    const std::string strMatch = strNoMatch + "x!";
    EXPECT_TRUE(reGrouped.Match(strMatch.c_str()));
    EXPECT_EQ("!", Str(reGrouped.GetSubString(2)));
}

// Patterns that message and HTML parsers run over text from outside.
const char kBodyPattern[] = "^.*<BODY[^>]*>(.*)</BODY>.*";
const char kImagePattern[] = "^(.*<IMG .*src=\")([^\"]*)(\"[^>]*>.*)";
const char kMetaPattern[] = "^(<META.*http-equiv=Content-Type.*content=\")(.*)(\".*>)";
const char kMetaCharsetPattern[] = "^(.*<META.*content *= *\".*charset *= *)([^ \"]*)( |\".*>.*)";
const char kEncodedWordPattern[] = "^([^=]*)=\\?([^\\?]+)\\?(Q|B)\\?(.+)";

std::string Repeated(const std::string& strPiece, size_t nLength)
{
    std::string str;
    str.reserve(nLength + strPiece.size());
    while (str.size() < nLength)
        str += strPiece;
    return str;
}

struct HostileCase
{
    const char* pattern;
    std::string hostile;
    const char* ordinary; // matches
};

// Each of these backtracks quadratically or worse without a bound; they must come back, as no match.
TEST(RegExpTest, HostileTextsEndTheMatchAsNoMatchInsteadOfFreezingTheCaller)
{
    const size_t kMegabyte = 1024 * 1024;
    const HostileCase cases[] = {
        {kBodyPattern, Repeated("<body class=x>some text ", kMegabyte), "<html><BODY>x</body></html>"},
        {kImagePattern, Repeated("<IMG src=picture.gif> ", kMegabyte), "<p><IMG src=\"a.gif\"></p>"},
        {kMetaPattern, "<META " + Repeated("<meta http-equiv=Content-Type content=text/html> ", 100 * 1024),
         "<META http-equiv=Content-Type content=\"text/html\">"},
        {kMetaCharsetPattern, Repeated("<meta content=\"text/html; charset ", 100 * 1024),
         "<META content=\"text/html; charset=koi8-r\">"},
    };
    for (const HostileCase& c : cases)
    {
        CRegExp re(c.pattern, true);
        EXPECT_FALSE(re.Match(c.hostile.c_str())) << c.pattern;
        EXPECT_EQ("", Str(re.GetErrorString())) << c.pattern;
        EXPECT_EQ(-1, re.SubStrings()) << c.pattern;
        EXPECT_EQ("", Str(re.GetSubString(1))) << c.pattern;
        // The next text gets a budget of its own.
        EXPECT_TRUE(re.Match(c.ordinary)) << c.pattern;
    }
}

// Large but ordinary documents match as before: the bound is far above what real text needs.
TEST(RegExpTest, LargeRealisticTextsStillMatch)
{
    const std::string strParagraphs =
        Repeated("<p>A paragraph with <b>bold</b> text and a <a href=\"x\">link</a>.</p>\r\n", 1024 * 1024);
    std::string strImages;
    for (int i = 0; i < 200; ++i)
        strImages += "<p><IMG alt=\"x\" src=\"image" + std::to_string(i) + ".gif\" width=10></p>" +
                     Repeated("text ", 2000);
    const std::string strHead = "<html><head><META http-equiv=Content-Type "
                                "content=\"text/html; charset=koi8-r\"><title>t</title></head>";

    CRegExp reBody(kBodyPattern, true);
    const std::string strBodyHtml = strHead + "<BODY bgcolor=white>" + strParagraphs + "</body></html>";
    ASSERT_TRUE(reBody.Match(strBodyHtml.c_str()));
    EXPECT_EQ(1, reBody.SubStrings());
    EXPECT_EQ(static_cast<int>(strParagraphs.size()), reBody.SubLength(1));

    CRegExp reImage(kImagePattern, true);
    const std::string strImageHtml = strHead + "<body>" + strImages + "</body></html>";
    ASSERT_TRUE(reImage.Match(strImageHtml.c_str()));
    EXPECT_EQ("image199.gif", Str(reImage.GetSubString(2)));

    CRegExp reMeta(kMetaPattern, true);
    const std::string strMeta = "<META http-equiv=Content-Type content=\"text/html; charset=koi8-r\">";
    ASSERT_TRUE(reMeta.Match(strMeta.c_str()));
    EXPECT_EQ("text/html; charset=koi8-r", Str(reMeta.GetSubString(2)));

    CRegExp reCharset(kMetaCharsetPattern, true);
    const std::string strCharsetHtml = strHead + "<body>" + strParagraphs + "</body></html>";
    ASSERT_TRUE(reCharset.Match(strCharsetHtml.c_str()));
    EXPECT_EQ("koi8-r", Str(reCharset.GetSubString(2)));

    CRegExp reWord(kEncodedWordPattern, true);
    const std::string strHeader =
        "Re: =?koi8-r?Q?=F0=D2=C9=D7=C5=D4?= " + Repeated("=?koi8-r?B?8NLJ18XU?= ", 100000);
    ASSERT_TRUE(reWord.Match(strHeader.c_str()));
    EXPECT_EQ(4, reWord.SubStrings());
    EXPECT_EQ("koi8-r", Str(reWord.GetSubString(2)));
}

#ifdef _WIN32
TEST(RegExpTest, AMatchThatGivesUpIsTracedOnceWithThePatternAndTheTextLength)
{
    CTempRedirect temp;
    std::string strPath;
    {
        CTraceFile trace;
        strPath = std::string(trace.GetFilePath().GetString());
        CTraceFile* pSavedTrace = g_pTraceFile;
        int bSavedTraceOn = g_bTraceOn;
        g_pTraceFile = &trace;
        g_bTraceOn = 1;
        const std::string strText = Repeated("<body>", 300000);
        CRegExp re(kBodyPattern, true);
        EXPECT_FALSE(re.Match(strText.c_str()));
        EXPECT_TRUE(re.Match("<body>x</body>"));
        g_pTraceFile = pSavedTrace;
        g_bTraceOn = bSavedTraceOn;
    }
    const std::string strContent = ReadWholeFile(strPath);
    const std::string strRecord = std::string("pattern \"") + kBodyPattern + "\", text length 300000";
    const size_t nAt = strContent.find(strRecord);
    ASSERT_NE(std::string::npos, nAt) << strContent;
    EXPECT_EQ(std::string::npos, strContent.find(strRecord, nAt + 1));
}
#endif

#ifdef _WIN32
TEST(RegExpTest, BuiltInCodePage1251TableAgreesWithTheSystem)
{
    const CRegExpCharClass system = RegExpCharClassForCodePage(1251);
    const CRegExpCharClass& builtIn = RegExpCharClass1251();
    for (int c = 1; c < 256; ++c)
    {
        EXPECT_EQ(system.letter[c], builtIn.letter[c]) << "byte " << c;
        EXPECT_EQ(system.lower[c], builtIn.lower[c]) << "byte " << c;
        EXPECT_EQ(system.upper[c], builtIn.upper[c]) << "byte " << c;
    }
}
#endif

} // namespace
