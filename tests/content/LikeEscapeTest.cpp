// Tests that escaped texts match themselves, and only themselves, under the database layer's LIKE.
#include "content/TextUtilities.h"

#include <JetFunctions.h>

#include <gtest/gtest.h>

#include <string>

namespace
{

bool Like(const CString& pattern, const char* text)
{
    const std::wstring p(static_cast<const char*>(pattern),
                         static_cast<const char*>(pattern) + pattern.GetLength());
    const std::wstring t(text, text + strlen(text));
    return JetLikeMatch(p.data(), p.size(), t.data(), t.size());
}

TEST(LikeEscapeTest, EscapedTextsMatchLiterallyUnderTheDatabaseLike)
{
    const struct
    {
        const char* text;
        const char* lookalike;
    } cases[] = {
        {"50% [off]", "50%% [off]"},
        {"50% [off]", "500 [off]"},
        {"a_b", "axb"},
        {"[x]", "x"},
        {"close]bracket", "close]]bracket"},
        {"100%", "100"},
    };
    for (const auto& c : cases)
    {
        const CString pattern = EscapeLikeChars(c.text);
        EXPECT_TRUE(Like(pattern, c.text)) << c.text << " as " << static_cast<const char*>(pattern);
        EXPECT_FALSE(Like(pattern, c.lookalike))
            << c.lookalike << " as " << static_cast<const char*>(pattern);
        // The import keeps its own "%" wildcards: the text still matches inside a longer one.
        EXPECT_TRUE(
            Like("%" + EscapeLikeChars(c.text, '%') + "%", (std::string("Re: ") + c.text + " !").c_str()))
            << c.text;
    }
}

} // namespace
