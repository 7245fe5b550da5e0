// The header rewrites of outgoing text: a forward's To field and the removal of Bcc before the wire.
#include <gtest/gtest.h>

#include "transport/HeaderRewrite.h"
#include "transport/Smtp.h"

namespace
{
TEST(HeaderRewrite, AForwardReplacesOrAddsTheToFieldAndLeavesTheRestAlone)
{
    struct Case
    {
        const char* pszText;
        const char* pszForward;
        const char* pszExpected;
    };
    const Case cases[] = {
        {"From: a@x\r\nTo: b@x\r\nSubject: s\r\n\r\nbody", "f@y", "From: a@x\r\nTo: f@y\r\nSubject: s\r\n\r\nbody"},
        {"To: b@x,\r\n\tc@x\r\n d@x\r\nCc: e@x\r\n\r\nTo: in body\r\n", "f@y; g@y",
         "To: f@y, g@y\r\nCc: e@x\r\n\r\nTo: in body\r\n"},
        // "Reply-To:" is another field; a To in the body is text.
        {"Reply-To: r@x\r\nSubject: s\r\n\r\nTo: body", "f@y", "To: f@y\r\nReply-To: r@x\r\nSubject: s\r\n\r\nTo: body"},
        {"\r\n  to: b@x\r\n\r\n", "f@y", "to: f@y\r\n\r\n"},
        {"", "f@y", "To: f@y\r\n"},
        {"Subject: s\r\nTo: last", "f@y", "Subject: s\r\nTo: f@y"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.pszExpected, BuildForwardedText(c.pszText, c.pszForward)) << c.pszText;
}

TEST(HeaderRewrite, TheWireNeverCarriesTheBccField)
{
    struct Case
    {
        const char* pszText;
        const char* pszExpected;
    };
    const Case cases[] = {
        {"To: a@x\r\nBcc: b@x,\r\n\tc@x\r\nSubject: s\r\n\r\nBcc: body\r\n",
         "To: a@x\r\nSubject: s\r\n\r\nBcc: body\r\n.\r\n"},
        {"BCC: b@x\r\nbcc: c@x\r\nTo: a@x\r\n\r\n.dot\r\n", "To: a@x\r\n\r\n..dot\r\n.\r\n"},
        {"Bcc-Like: kept\r\n\r\nx", "Bcc-Like: kept\r\n\r\nx\r\n.\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.pszExpected, CSmtp::PrepareData(c.pszText)) << c.pszText;
}
} // namespace
