// Tests of recipient-list parsing and entry formatting.
#include "content/AddressList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/ErrorUtil.h"

namespace
{

std::vector<std::string> s_boxes;

int RecordBox(const char* pszText, const char*, UINT, HWND)
{
    s_boxes.push_back(pszText);
    return IDOK;
}

class AddressListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        s_boxes.clear();
        m_previous = SetAppMessageBoxHook(RecordBox);
    }
    void TearDown() override
    {
        SetAppMessageBoxHook(m_previous);
        SetFindContactsByNameProc(NULL);
    }
    std::vector<std::string> Parse(const char* text, char separator = ',', const char* tag = NULL,
                                   BOOL resolve = FALSE, BOOL* ok = NULL)
    {
        std::vector<CString> list;
        const BOOL result = ParseAddressList(text, list, separator, tag, resolve, NULL);
        if (ok)
            *ok = result;
        std::vector<std::string> out;
        for (const CString& entry : list)
            out.push_back(static_cast<const char*>(entry));
        return out;
    }
    AppMessageBoxHook m_previous = NULL;
};

TEST_F(AddressListTest, SplitsOutsideQuotesAndBrackets)
{
    using V = std::vector<std::string>;
    const struct
    {
        const char* text;
        char separator;
        V entries;
    } cases[] = {
        {"a@x.com, b@y.org", ',', V{"<a@x.com>", "<b@y.org>"}},
        {"\"Doe, John\" <jd@x.com>, Ann <ann@y.org>", ',',
         V{"\"Doe, John\" <jd@x.com>", "\"Ann\" <ann@y.org>"}},
        {"a@x.com;\r\n\tb@y.org; ", ';', V{"<a@x.com>", "<b@y.org>"}},
        {"<odd,one@x.com>", ',', V{"<odd,one@x.com>"}},
        {"", ',', V{}},
        // groups give their members and nothing for their name
        {"undisclosed-recipients:;", ',', V{}},
        {"Team: a@x.com, b@y.com;", ',', V{"<a@x.com>", "<b@y.com>"}},
        {"Team: a@x.com, b@y.com;, c@z.com", ',', V{"<a@x.com>", "<b@y.com>", "<c@z.com>"}},
        {"Team: a@x.com, b@y.com; c@z.com", ';', V{"<a@x.com>", "<b@y.com>", "<c@z.com>"}},
        // comments are not split and may give the name
        {"a@x.com (Smith, John)", ',', V{"\"Smith, John\" <a@x.com>"}},
        {"Ann (home) <ann@y.org>, (no name) b@y.org", ',', V{"\"Ann\" <ann@y.org>", "\"no name\" <b@y.org>"}},
        // quoted pairs and specials inside quotes
        {"\"a\\\"b\" <x@y.com>", ',', V{"\"a\\\"b\" <x@y.com>"}},
        {"\"Na<me>\" <n@x.com>, \"back\\\\slash\" <b@x.com>", ',',
         V{"\"Na<me>\" <n@x.com>", "\"back\\\\slash\" <b@x.com>"}},
        {"Name<x@y.com>", ',', V{"\"Name\" <x@y.com>"}},
        {"John   Q.\r\n Public <jqp@x.com>", ',', V{"\"John Q. Public\" <jqp@x.com>"}},
        {"<@relay.x.com:a@x.com>", ',', V{"<a@x.com>"}},
        // an encoded word stands bare, never inside quotes
        {"=?utf-8?Q?J=C3=B6rg?= <j@x.com>", ',', V{"=?utf-8?Q?J=C3=B6rg?= <j@x.com>"}},
        {"\"=?utf-8?Q?J=C3=B6rg?=\" <j@x.com>", ',', V{"=?utf-8?Q?J=C3=B6rg?= <j@x.com>"}},
        // a received list yields no recipient without an address
        {"Name <>, root, two words", ',', V{"<root>"}},
    };
    for (const auto& c : cases)
    {
        BOOL ok = FALSE;
        EXPECT_EQ(Parse(c.text, c.separator, NULL, FALSE, &ok), c.entries) << c.text;
        EXPECT_TRUE(ok) << c.text;
    }
    EXPECT_TRUE(s_boxes.empty());
}

TEST_F(AddressListTest, MisplacedQuotesAndBracketsInATypedListShowTheTextUpToTheFault)
{
    const struct
    {
        const char* text;
        const char* shown;
        size_t kept;
    } cases[] = {
        {"ok@x.com, <n@x.com <m@x.com>", "Invalid address:\r\nok@x.com, <n@x.com <", 1},
        {"a@x.com> b", "Invalid address:\r\na@x.com>", 0},
        {"<a@x.com \"b\">", "Invalid address:\r\n<a@x.com \"", 0},
        {"\"unclosed <a@x.com>", "Invalid address:\r\n\"unclosed <a@x.com>", 0},
        {"first@x.com, \"open", "Invalid address:\r\nfirst@x.com, \"open", 1},
    };
    for (const auto& c : cases)
    {
        s_boxes.clear();
        BOOL ok = TRUE;
        EXPECT_EQ(Parse(c.text, ',', NULL, TRUE, &ok).size(), c.kept) << c.text;
        EXPECT_FALSE(ok) << c.text;
        ASSERT_EQ(s_boxes.size(), 1u) << c.text;
        EXPECT_EQ(s_boxes[0], c.shown);
    }
    // A received list (no resolving) never opens a box: it is read as well as it goes.
    s_boxes.clear();
    BOOL ok = FALSE;
    EXPECT_EQ(Parse("x@y.com, <a@x.com", ',', NULL, FALSE, &ok),
              (std::vector<std::string>{"<x@y.com>", "<a@x.com>"}));
    EXPECT_TRUE(ok);
    EXPECT_TRUE(s_boxes.empty());
}

TEST_F(AddressListTest, NameTagAndAddressBookLookUp)
{
    EXPECT_EQ(Parse("Ann <ann@y.org>, bob@x.com", ',', "(Fax)"),
              (std::vector<std::string>{"\"Ann (Fax)\" <ann@y.org>", "\"(Fax)\" <bob@x.com>"}));

    SetFindContactsByNameProc([](CString& entry, HWND) -> int {
        if (entry.Find("drop") >= 0)
            return 0;
        if (entry == "ann")
            entry = "\"Ann Smith\" <ann@y.org>";
        return 1;
    });
    EXPECT_EQ(Parse("ann; drop@x.com; last", ';', NULL, TRUE),
              (std::vector<std::string>{"\"Ann Smith\" <ann@y.org>", "\"last\" <>"}));
    // Without the resolve flag no entry, the last one included, goes to the address book; a bare word is a
    // local mailbox there.
    EXPECT_EQ(Parse("ann; drop@x.com", ';'), (std::vector<std::string>{"<ann>", "<drop@x.com>"}));
}

TEST_F(AddressListTest, NonAsciiDisplayNamesBecomeEncodedWordsOutsideQuotes)
{
    std::vector<CString> list;
    CString entry = "\"Jos\xe9 P\xe9rez\" <jp@x.com>";
    EXPECT_EQ(AddAddressToList(list, entry), 0);
    EXPECT_EQ(list[0], entry);
    EXPECT_EQ(entry, "=?windows-1252?B?Sm9z6SBQ6XJleg==?= <jp@x.com>");
}

} // namespace
