// The preview's header lines: the To value's limit and the label of a message sent to each recipient.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include <atlapp.h>

#include "content/EncodedWord.h"
#include "resources/resource.h"
#include "store/EmailsImpl.h"
#include "ui/main/MessageHeaderPane.h"
#include "MessageDatabaseTest.h"

namespace
{
TEST(MessageHeaderPaneTest, ToValueKeepsAtMost511CharactersBeyond512)
{
    const struct
    {
        int nLength;
        int nKept;
    } cases[] = {{511, 511}, {512, 512}, {513, 511}, {2000, 511}};
    for (const auto& c : cases)
    {
        CMessageHeaderPane pane;
        CString strTo(std::string(c.nLength, 'x').c_str());
        pane.SetHeader("iso-8859-1", "a@b.c", strTo, "", "s", 0);
        EXPECT_EQ(c.nKept, pane.m_strTo.GetLength()) << c.nLength;
        EXPECT_EQ(CString(std::string(c.nKept, 'x').c_str()), pane.m_strTo);
    }
}

TEST(MessageHeaderPaneTest, FlagsBit3LabelsToAsIndividually)
{
    CMessageHeaderPane pane;
    pane.SetHeader("", "a@b.c", "c@d.e", "", "", 0x08 | 0x01);
    EXPECT_TRUE(pane.m_bIndividually);
    EXPECT_EQ((UINT)IDS_HEADER_INDIVIDUALLY_TO, pane.ToLabelId());
    EXPECT_EQ(CString("Individually To:"), AtlLoadString(pane.ToLabelId()));
    pane.SetHeader("", "a@b.c", "c@d.e", "", "", 0x02 | 0x04 | 0x10);
    EXPECT_FALSE(pane.m_bIndividually);
    EXPECT_EQ((UINT)IDS_HEADER_TO, pane.ToLabelId());
}
class MessageHeaderPaneStoreTest : public CMessageDatabaseTest
{
};

TEST_F(MessageHeaderPaneStoreTest, ThePaneShowsTheFieldsTheRowWasStoredWith)
{
    const char* const kTexts[] = {
        "From : Ann <a@x>\r\nSubject : spaced name\r\n\r\nbody",
        "From: Bob <b@x>\r\n \t\r\nSubject: after a line of blanks\r\nCc: c@x\r\n\r\nbody",
        "From: Cy <c@x>\r\nSubject: Price \xC2\xA3" "600\r\n\r\nbody",
    };
    for (const char* pszText : kTexts)
    {
        SCOPED_TRACE(pszText);
        CEmailsImpl<> store(m_db.Session());
        store.InsertMessage(pszText, m_nInbox, 0, NULL, 0, NULL, NULL, 0.0, NULL, NULL, TRUE, FALSE, FALSE);
        CEmailsImpl<> stored(m_db.Session());
        stored.SelectByID(store.m_EmailsID, NULL);
        ASSERT_NE(stored.m_Subject[0], '\0');
        CMessageHeaderPane pane;
        pane.SetMessage(stored);
        EXPECT_STREQ(DecodeEncodedWord(pane.m_strSubject), stored.m_Subject);
        EXPECT_STREQ(pane.m_strFrom, stored.m_Ref);
    }
}
} // namespace
