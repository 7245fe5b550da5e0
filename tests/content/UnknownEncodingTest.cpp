// Tests of the question asked for a body in a transfer encoding this program does not know.
#include "content/TransferEncoding.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/ErrorUtil.h"

namespace
{

std::string s_lastPrompt;
int s_answer = IDYES;

int RecordBox(const char* pszText, const char*, UINT, HWND)
{
    s_lastPrompt = pszText;
    return s_answer;
}

TEST(UnknownEncodingTest, AsksAndShowsTheBodyAsItCameOrGivesUp)
{
    const AppMessageBoxHook previous = SetAppMessageBoxHook(RecordBox);
    s_answer = IDYES;
    EXPECT_EQ(DecodeTransferEncoding("x-foo", "body=3D"), "body=3D");
    EXPECT_EQ(s_lastPrompt, "Message view problem.\r\nContinue?");

    s_answer = IDNO;
    std::string message;
    try
    {
        DecodeTransferEncoding(" x-foo ", "body");
    }
    catch (CException* e)
    {
        message = static_cast<const char*>(e->m_strMessage);
        delete e;
    }
    EXPECT_EQ(message, "Unknown Content Transfer Encoding: X-FOO");
    SetAppMessageBoxHook(previous);
}

} // namespace
