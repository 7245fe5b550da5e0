// Tests of CString: length counting, bounded formatting, searching and editing at the edges, code pages.
#include <atlstr.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace
{

std::string Bytes(const CString& str)
{
    return std::string(str.GetString(), static_cast<size_t>(str.GetLength()));
}

TEST(CStringTest, EmbeddedNulSurvivesCopyAppendAndSlicing)
{
    const char text[] = "head\0tail";
    CString str(text, 9);
    ASSERT_EQ(9, str.GetLength());

    CString strCopy = str;
    strCopy += "!";
    EXPECT_EQ(std::string(text, 9) + "!", Bytes(strCopy));
    EXPECT_EQ(std::string("\0tail", 5), Bytes(str.Mid(4)));
    EXPECT_EQ("tail", Bytes(str.Right(4)));
    EXPECT_EQ(5, str.Find("tail"));
    EXPECT_EQ(4, str.Find('\0'));
    EXPECT_EQ('\0', str[9]);

    // A NUL inside must not make two different texts compare equal.
    EXPECT_NE(str, CString("head"));
    EXPECT_GT(str.Compare(CString("head")), 0);
    EXPECT_EQ(0, str.Compare(CString(text, 9)));
}

TEST(CStringTest, FormatProducesLongOutputWhole)
{
    const std::string strLong(100000, 'x');
    CString str;
    str.Format("<%s>%d", strLong.c_str(), 42);
    ASSERT_EQ(100004, str.GetLength());
    EXPECT_EQ("<" + strLong + ">42", Bytes(str));

    str.Format("%02d:%02d:%02d %04d> ", 7, 5, 9, 3);
    EXPECT_STREQ("07:05:09 0003> ", str);

    str.Format("%s", "");
    EXPECT_TRUE(str.IsEmpty());
}

TEST(CStringTest, FormatMayTakeItsOwnTextAsArgument)
{
    CString str("abc");
    str.Format("[%s|%s]", str.GetString(), str.GetString());
    EXPECT_STREQ("[abc|abc]", str);
}

struct FindCase
{
    const char* text;
    const char* sub;
    int start;
    int expected;
};

TEST(CStringTest, FindAtTheEndsAndOutOfRange)
{
    const FindCase cases[] = {
        {"abcabc", "abc", 0, 0}, {"abcabc", "abc", 1, 3},   {"abcabc", "bc", 5, -1},
        {"abcabc", "c", 5, 5},   {"abcabc", "abcd", 0, -1}, {"abc", "", 3, 3},
        {"abc", "a", 4, -1},     {"abc", "a", -1, -1},      {"", "a", 0, -1},
    };
    for (const FindCase& c : cases)
        EXPECT_EQ(c.expected, CString(c.text).Find(c.sub, c.start))
            << c.text << " / " << c.sub << " @" << c.start;

    const CString str("a.b.c");
    EXPECT_EQ(3, str.ReverseFind('.'));
    EXPECT_EQ(-1, str.ReverseFind('x'));
    EXPECT_EQ(1, str.FindOneOf("x.c"));
    EXPECT_EQ(-1, str.FindOneOf(""));
    EXPECT_EQ(4, str.Find('c', 4));
}

struct ReplaceCase
{
    const char* text;
    const char* oldText;
    const char* newText;
    const char* expected;
    int count;
};

TEST(CStringTest, ReplaceAtTheEndsAndOverlaps)
{
    const ReplaceCase cases[] = {
        {"\r\nline\r\n", "\r\n", "\n", "\nline\n", 2},
        {"aaaa", "aa", "a", "aa", 2},
        {"abc", "abc", "", "", 1},
        {"abc", "x", "y", "abc", 0},
        {"abc", "", "y", "abc", 0},
        {"a.b", ".", "...", "a...b", 1},
        {"xx", "x", "xx", "xxxx", 2},
    };
    for (const ReplaceCase& c : cases)
    {
        CString str(c.text);
        EXPECT_EQ(c.count, str.Replace(c.oldText, c.newText)) << c.text;
        EXPECT_STREQ(c.expected, str) << c.text;
    }

    CString str("a-b-c");
    EXPECT_EQ(2, str.Replace('-', '+'));
    EXPECT_STREQ("a+b+c", str);
    EXPECT_EQ(2, str.Remove('+'));
    EXPECT_STREQ("abc", str);
}

TEST(CStringTest, ReplaceWithArgumentsPointingIntoItself)
{
    CString str("abab");
    str.Replace(str.GetString() + 2, str.GetString() + 1);
    EXPECT_STREQ("babbab", str);
}

struct SliceCase
{
    int first;
    int count;
    const char* mid;
    const char* left;
    const char* right;
};

TEST(CStringTest, SlicesClampToTheText)
{
    const SliceCase cases[] = {
        {0, 3, "abc", "abc", "cde"},
        {3, 5, "de", "abcde", "abcde"},
        {-2, 2, "ab", "ab", "de"},
        {5, 1, "", "a", "e"},
        {9, 0, "", "", ""},
        {2, -1, "", "", ""},
        {1, 0x7fffffff, "bcde", "abcde", "abcde"},
    };
    const CString str("abcde");
    for (const SliceCase& c : cases)
    {
        EXPECT_STREQ(c.mid, str.Mid(c.first, c.count)) << c.first << "," << c.count;
        EXPECT_STREQ(c.left, str.Left(c.count)) << c.count;
        EXPECT_STREQ(c.right, str.Right(c.count)) << c.count;
    }
    EXPECT_STREQ("cde", str.Mid(2));
    EXPECT_STREQ("", str.Mid(7));
}

TEST(CStringTest, InsertAndDeleteClampTheirPositions)
{
    CString str("bd");
    EXPECT_EQ(3, str.Insert(-5, 'a'));
    EXPECT_EQ(4, str.Insert(2, "c"));
    EXPECT_EQ(6, str.Insert(99, "ef"));
    EXPECT_STREQ("abcdef", str);

    EXPECT_EQ(6, str.Delete(6, 2));
    EXPECT_EQ(4, str.Delete(4, 99));
    EXPECT_EQ(3, str.Delete(-1));
    EXPECT_EQ(3, str.Delete(1, 0));
    EXPECT_STREQ("bcd", str);
}

TEST(CStringTest, TrimRemovesOnlyTheEdges)
{
    CString str(" \t\r\n a b \r\n");
    EXPECT_STREQ("a b", str.Trim());
    EXPECT_STREQ("", CString(" \t ").Trim());
    EXPECT_STREQ("x--", CString("--x--").TrimLeft('-'));
    EXPECT_STREQ("--x", CString("--x--").TrimRight('-'));
    EXPECT_STREQ("x", CString("<\"x\">").Trim("<>\""));
    EXPECT_STREQ("", CString("----").TrimRight('-'));
}

TEST(CStringTest, ComparisonsOrderAndIgnoreCase)
{
    EXPECT_LT(CString("abc").Compare("abd"), 0);
    EXPECT_GT(CString("abcd").Compare("abc"), 0);
    EXPECT_EQ(0, CString("").Compare(nullptr));
    EXPECT_EQ(0, CString("Inbox").CompareNoCase("INBOX"));
    EXPECT_NE(0, CString("Inbox").CompareNoCase("INBOXES"));
    // Code page 1252 letters fold as well as ASCII ones.
    EXPECT_EQ(0, CString("caf\xE9").CompareNoCase("CAF\xC9"));
    EXPECT_TRUE(CString("a") < CString("b"));
    EXPECT_TRUE("a" == CString("a"));
    EXPECT_TRUE(CString("a") != "b");
    // Bytes above 0x7F sort after ASCII, not before it as signed chars would.
    EXPECT_LT(CString("z").Compare("\xE9"), 0);
}

TEST(CStringTest, CaseMappingCoversCodePageLetters)
{
    CString str("Caf\xE9 \xFF-9");
    str.MakeUpper();
    EXPECT_STREQ("CAF\xC9 \x9F-9", str);
    str.MakeLower();
    EXPECT_STREQ("caf\xE9 \xFF-9", str);
}

TEST(CStringTest, BufferAccessFollowsTheNulOrTheGivenLength)
{
    CString str("old");
    char* pch = str.GetBuffer(64);
    std::strcpy(pch, "a longer text");
    str.ReleaseBuffer();
    EXPECT_STREQ("a longer text", str);
    EXPECT_EQ(13, str.GetLength());

    pch = str.GetBuffer();
    pch[1] = '\0';
    str.ReleaseBuffer(3);
    EXPECT_EQ(std::string("a\0l", 3), Bytes(str));

    pch = str.GetBufferSetLength(2);
    pch[0] = 'x';
    str.ReleaseBuffer(99);
    EXPECT_EQ(std::string("x\0", 2), Bytes(str));
}

TEST(CStringTest, ElementAccessStaysInsideTheText)
{
    CString str("ab");
    str.SetAt(1, 'c');
    str.SetAt(2, 'x');
    str.SetAt(-1, 'x');
    EXPECT_STREQ("ac", str);
    EXPECT_EQ('c', str.GetAt(1));
    EXPECT_EQ('\0', str.GetAt(2));
    EXPECT_EQ('\0', str.GetAt(-1));
    EXPECT_EQ('a', str[size_t{0}]);
    EXPECT_EQ('\0', str[5u]);
}

TEST(CStringTest, ConcatenationKeepsBothSides)
{
    const CString str("mid");
    EXPECT_STREQ("<mid>", '<' + str + '>');
    EXPECT_STREQ("a-mid-b", "a-" + str + "-b");
    CString strSelf("ab");
    strSelf += strSelf;
    strSelf += strSelf.GetString() + 1;
    EXPECT_STREQ("ababbab", strSelf);
}

struct WideCase
{
    const wchar_t* wide;
    int length;
    const char* ansi;
    int ansiLength;
};

TEST(CStringTest, WideTextConvertsThroughCodePage1252)
{
    const WideCase cases[] = {
        {L"plain", -1, "plain", 5},
        {L"caf\x00E9 \x20AC\x2019", -1, "caf\xE9 \x80\x92", 7},
        // A character the code page cannot hold becomes a question mark; the rest is kept.
        {L"a\x4E2D"
         L"b",
         -1, "a?b", 3},
        {L"x\0y", 3, "x\0y", 3},
    };
    for (const WideCase& c : cases)
    {
        const CString str = c.length < 0 ? CString(c.wide) : CString(c.wide, c.length);
        EXPECT_EQ(std::string(c.ansi, static_cast<size_t>(c.ansiLength)), Bytes(str));
    }
    CString str;
    str = L"\x00FC";
    EXPECT_STREQ("\xFC", str);
}

} // namespace
