// The charset name of a stored message's Encode index: its own charset for 0, the fixed list for 1 to 21,
// an error naming the index and the message for anything else.
#include <gtest/gtest.h>

#include <string>

#include "store/EmailsImpl.h"
#include "store/OLEDBException.h"

namespace
{
std::string CharsetOf(int nEncode, const char* pszMessage)
{
    CEmailsImpl<> store(NULL);
    store.Clear();
    store.m_EmailsID = 77;
    store.m_Encode = (BYTE)nEncode;
    store.m_strMessage = pszMessage;
    return (const char*)store.GetCharsetName();
}

const char kKoi8Text[] = "Subject: s\r\nContent-Type: text/plain; charset=koi8-r\r\n\r\nbody";
const char kNoCharsetText[] = "Subject: s\r\nContent-Type: text/plain\r\n\r\nbody";
const char kHtmlOverPlain[] =
    "Subject: s\r\nMIME-Version: 1.0\r\nContent-Type: multipart/alternative; boundary=b\r\n\r\n"
    "--b\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nplain\r\n"
    "--b\r\nContent-Type: text/html; charset=windows-1251\r\n\r\n<p>html</p>\r\n--b--\r\n";

TEST(CharsetNameTest, TheIndexGivesTheMessagesOwnCharsetOrTheFixedOne)
{
    const struct
    {
        int nEncode;
        const char* pszMessage;
        const char* pszExpected;
    } cases[] = {
        {0, kKoi8Text, "koi8-r"},
        {0, kNoCharsetText, "iso-8859-1"},
        {0, kHtmlOverPlain, "windows-1251"},
        {1, kKoi8Text, "windows-1256"},
        {7, kNoCharsetText, "koi8-r"},
        {12, kNoCharsetText, "windows-1255"},
        {17, kNoCharsetText, "utf-7"},
        {20, kKoi8Text, "iso-8859-1"},
        {21, kKoi8Text, "windows-1252"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.pszExpected, CharsetOf(c.nEncode, c.pszMessage)) << "index " << c.nEncode;
}

TEST(CharsetNameTest, AnIndexPastTheListThrowsTheDatabaseErrorNamingIndexAndMessage)
{
    for (int nEncode : {22, 255})
    {
        std::string strText;
        try
        {
            CharsetOf(nEncode, kKoi8Text);
        }
        catch (COLEDBException* pException)
        {
            strText = (const char*)pException->m_strMessage;
            delete pException;
        }
        // The database layer's dump of error records follows the text.
        std::string strExpected = "ERROR. Unknown encode - " + std::to_string(nEncode) + "\r\nEmailsID = 77";
        EXPECT_EQ(strExpected, strText.substr(0, strExpected.size()));
    }
}
} // namespace
