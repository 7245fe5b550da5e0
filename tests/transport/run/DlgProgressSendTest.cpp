// The send worker against the aiosmtpd peer: envelopes, the text on the wire, Sent Items, refusals,
// individual sending, the mail merge and the SMTP log-on.
#include <gtest/gtest.h>

#include "ProgressTestSupport.h"
#include "store/Folders.h"

namespace
{
class DlgProgressSendTest : public CProgressFixture
{
protected:
    // The value of one line "header\t<name>\t<value>" of the peer's parsed copy; "(none)" when absent.
    static std::string ParsedHeader(const std::string& parsed, const std::string& name)
    {
        const std::string key = "header\t" + name + "\t";
        size_t nPos = parsed.find(key);
        if (nPos != 0 && nPos != std::string::npos && parsed[nPos - 1] != '\n')
            nPos = parsed.find("\n" + key);
        if (nPos == std::string::npos)
            return "(none)";
        nPos = parsed.find(key, nPos) + key.size();
        return parsed.substr(nPos, parsed.find('\n', nPos) - nPos);
    }
    static std::string EnvelopeTo(const Received& message) { return ParsedHeader(message.parsed, "X-Envelope-To"); }
    static std::string Subject(const Received& message) { return ParsedHeader(message.parsed, "Subject"); }

    void SetPending(LONG nEmailID, const char* pszAddress, int nFlags)
    {
        CString strSQL;
        strSQL.Format("UPDATE Address SET Flags = %d WHERE EmailID = %ld AND Type = 0 AND Address = '%s'", nFlags,
                      (long)nEmailID, pszAddress);
        ASSERT_TRUE(Execute(*Local(), strSQL));
    }
    long Pending(LONG nEmailID)
    {
        CString strSQL;
        strSQL.Format("SELECT COUNT(*) FROM Address WHERE EmailID = %ld AND Type = 0 AND Flags = 1", (long)nEmailID);
        return Query(strSQL);
    }
};

TEST_F(DlgProgressSendTest, TheOutboxGoesOutWithItsEnvelopesWithoutBccAndMovesToSentItems)
{
    const LONG nAlpha = AddAccount({"Alpha", "tester", "secret", 0x1, 0, 0});
    // Another account's server is never reached: its port has nobody listening.
    AddAccount({"Beta", "second", "secret", 0, 0, DeadPort()});
    const LONG nFirst = AddOutgoing("Alpha", "One <one@example.com>", "cc@example.com",
                                    "Hidden <hidden@example.com>,\r\n\tother@example.com", "first");
    const LONG nSecond = AddOutgoing("Alpha", "two@example.com", "", "", "second", ".leading dot\r\n");
    ASSERT_TRUE(RunToEnd(0, 0));
    EXPECT_TRUE(Errors().empty());
    const std::vector<Received> received = SmtpReceived();
    ASSERT_EQ(2u, received.size());
    EXPECT_EQ("first", Subject(received[0]));
    EXPECT_EQ("one@example.com,cc@example.com,hidden@example.com,other@example.com", EnvelopeTo(received[0]));
    EXPECT_EQ(0u, received[0].text.find("X-Envelope-From: Alpha@example.org\r\n"));
    EXPECT_EQ("(none)", ParsedHeader(received[0].parsed, "Bcc"));
    // Past the peer's two envelope lines, the text as it came over the wire.
    const std::string wire = received[0].text.substr(received[0].text.find("\r\nFrom: ") + 2);
    EXPECT_EQ(std::string::npos, wire.find("hidden@")) << wire;
    EXPECT_EQ(std::string::npos, wire.find("other@")) << wire;
    EXPECT_EQ("two@example.com", EnvelopeTo(received[1]));
    EXPECT_NE(std::string::npos, received[1].text.find("\r\n\r\n.leading dot\r\n"));
    EXPECT_EQ(FOLDER_SENT_ITEMS, FolderOf(nFirst));
    EXPECT_EQ(FOLDER_SENT_ITEMS, FolderOf(nSecond));
    // The stored text keeps its Bcc field.
    CEmailsImpl<> store(Local());
    store.SelectByID(nFirst, NULL);
    store.GetMessage();
    EXPECT_NE(-1, store.GetHeaderField("Bcc").Find("other@example.com"));
    (void)nAlpha;
}

TEST_F(DlgProgressSendTest, ARefusedMessageStaysInTheOutboxAndTheNextGoesOnANewConnection)
{
    AddAccount({"Alpha", "tester", "secret", 0x1, 0, 0});
    const LONG nFirst = AddOutgoing("Alpha", "one@example.com", "", "", "first");
    const LONG nRefused = AddOutgoing("Alpha", "refused@example.com", "", "", "refused");
    const LONG nThird = AddOutgoing("Alpha", "three@example.com", "", "", "third");
    ASSERT_TRUE(RunToEnd(0, 0));
    const std::vector<Received> received = SmtpReceived();
    ASSERT_EQ(2u, received.size());
    EXPECT_EQ("first", Subject(received[0]));
    EXPECT_EQ("third", Subject(received[1]));
    EXPECT_EQ(FOLDER_SENT_ITEMS, FolderOf(nFirst));
    EXPECT_EQ(FOLDER_OUTBOX, FolderOf(nRefused));
    EXPECT_EQ(FOLDER_SENT_ITEMS, FolderOf(nThird));
    const std::vector<std::string> errors = Errors();
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(0u, errors[0].find("Account: 'tester', Server: '127.0.0.1', Protocol: SMTP, Port: " +
                                 std::to_string(PeerPort("ORB_SMTP_PORT")) + ", Response: '"))
        << errors[0];
    EXPECT_NE(std::string::npos, errors[0].find("550 No such user here")) << errors[0];
    ASSERT_EQ(1u, Tasks().size());
    EXPECT_EQ("Failed", Tasks()[0][1]);
}

TEST_F(DlgProgressSendTest, IndividualSendingReachesEachPendingRecipientOnceAndKeepsARefusedOnePending)
{
    AddAccount({"Alpha", "tester", "secret", 0x1, 0, 0});
    const LONG nMessage = AddOutgoing("Alpha", "Ann Example <a@example.com>, b@example.com, c@example.com",
                                      "cc@example.com", "bcc@example.com", "each", "Hello.\r\n", 0x8);
    SetPending(nMessage, "a@example.com", 1);
    SetPending(nMessage, "b@example.com", 0);
    SetPending(nMessage, "c@example.com", 1);
    const LONG nRefused =
        AddOutgoing("Alpha", "d@example.com, refused@example.com", "", "", "partly", "Hello.\r\n", 0x8);
    SetPending(nRefused, "d@example.com", 1);
    SetPending(nRefused, "refused@example.com", 1);
    ASSERT_TRUE(RunToEnd(0, 0));
    const std::vector<Received> received = SmtpReceived();
    ASSERT_EQ(3u, received.size());
    EXPECT_EQ("a@example.com,cc@example.com,bcc@example.com", EnvelopeTo(received[0]));
    EXPECT_EQ("c@example.com", EnvelopeTo(received[1]));
    EXPECT_EQ("d@example.com", EnvelopeTo(received[2]));
    // On the wire each message names its one recipient in To, and none shows the Bcc field.
    for (size_t i = 0; i < 2; ++i)
    {
        const std::string wire = received[i].text.substr(received[i].text.find("\r\nFrom: ") + 2);
        EXPECT_NE(std::string::npos, wire.find(i == 0 ? "\r\nTo: \"Ann Example\" <a@example.com>\r\n"
                                                      : "\r\nTo: <c@example.com>\r\n"))
            << wire;
        EXPECT_EQ(std::string::npos, wire.find("b@example.com")) << wire;
        EXPECT_EQ(std::string::npos, wire.find("bcc@example.com")) << wire;
        EXPECT_EQ("(none)", ParsedHeader(received[i].parsed, "Bcc"));
    }
    EXPECT_EQ("Ann Example <a@example.com>", ParsedHeader(received[0].parsed, "To"));
    EXPECT_EQ("c@example.com", ParsedHeader(received[1].parsed, "To"));
    EXPECT_EQ(0, Pending(nMessage));
    EXPECT_EQ(FOLDER_SENT_ITEMS, FolderOf(nMessage));
    // The refused recipient is still to be reached: it keeps its mark, and the message its place.
    EXPECT_EQ(1, Pending(nRefused));
    EXPECT_EQ(FOLDER_OUTBOX, FolderOf(nRefused));
    EXPECT_EQ(1u, Errors().size());
}

TEST_F(DlgProgressSendTest, TheMailMergeFillsNamesAndContactValues)
{
    m_pDatabase->m_Orb.ExecuteSQL("INSERT INTO Site (COMPANY) VALUES ('Acme')", NULL);
    const long nSite = QueryLong(m_pDatabase->m_Orb.m_session, "SELECT MAX(SiteID) FROM Site");
    CString strSQL;
    strSQL.Format("INSERT INTO ContactName (CustomerID, cTitle, cFirstname, cInitials, cEmail, cFamiliar) VALUES "
                  "(%ld, 'Dr', 'Plato', 'P', 'plato@example.com', 'Pip')",
                  nSite);
    m_pDatabase->m_Orb.ExecuteSQL(strSQL, NULL);
    AddAccount({"Alpha", "tester", "secret", 0x1, 0, 0});
    const std::string body = "first=%recipient_firstname%|sur=%recipient_surname%|name=%recipient_name%|"
                             "title=%recipient_title%|ini=%recipient_initials%|fam=%recipient_familiar%\r\n";
    AddOutgoing("Alpha", "=?utf-8?q?J=C3=BCrgen_Doe?= <jd@example.com>, Plato <plato@example.com>", "", "", "merge",
                body, 0x100 | 0x200);
    AddOutgoing("Alpha", "Plato <plato@example.com>", "", "", "names only", body, 0x100);
    ASSERT_TRUE(RunToEnd(0, 0));
    const std::vector<Received> received = SmtpReceived();
    ASSERT_EQ(2u, received.size());
    EXPECT_NE(std::string::npos, received[0].text.find("first=J\xFCrgen, Plato|sur=Doe, |name=J\xFCrgen Doe, Plato|"
                                                        "title=Dr|ini=P|fam=Pip\r\n"))
        << received[0].text;
    EXPECT_NE(std::string::npos, received[1].text.find("first=Plato|sur=|name=Plato|title=%recipient_title%|"))
        << received[1].text;
}

TEST_F(DlgProgressSendTest, TheSmtpLogonNameIsTheAccountsOwnOrTheSmtpOne)
{
    struct Case
    {
        LONG nFlags;
        const char* pszAccountName;
        bool bSent;
    };
    const Case cases[] = {
        {0x1, "tester", true},
        {0x1 | 0x200, "nobody", true},
        {0x1, "nobody", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.nFlags);
        Restart();
        AddAccount({"Alpha", c.pszAccountName, "secret", c.nFlags, 0, 0});
        ASSERT_TRUE(Execute(*Local(), "UPDATE Accounts SET SMTPAccountName = 'tester', SMTPPass = 'secret'"));
        const LONG nMessage = AddOutgoing("Alpha", "one@example.com", "", "", "logon");
        ASSERT_TRUE(RunToEnd(0, 0));
        EXPECT_EQ(c.bSent ? 1u : 0u, SmtpReceived().size());
        EXPECT_EQ(c.bSent ? FOLDER_SENT_ITEMS : FOLDER_OUTBOX, FolderOf(nMessage));
        EXPECT_EQ(c.bSent ? 0u : 1u, Errors().size());
    }
}
} // namespace
