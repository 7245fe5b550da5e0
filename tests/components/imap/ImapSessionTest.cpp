// Tests of the IMAP session against scripted servers: hostile replies, folder commands, reopening.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptedImapStream.h"
#include "components/OrbIMAP/ImapError.h"
#include "components/OrbIMAP/ImapSession.h"

namespace
{

const char kGreeting[] = "* OK [CAPABILITY IMAP4rev1] ready\r\n";
const CScriptStep kSelect = {"SELECT ", "* 3 EXISTS\r\n$TAG OK [READ-WRITE] done\r\n"};

std::vector<CScriptStep> Steps(std::vector<CScriptStep> rest, const std::string& strCapabilities = "IMAP4rev1 CHILDREN UIDPLUS UNSELECT")
{
    std::vector<CScriptStep> steps = LoginSteps(strCapabilities);
    steps.insert(steps.end(), rest.begin(), rest.end());
    return steps;
}

struct CHostileCase
{
    const char* pszName;
    bool bFetchBody; // the case is played against a message fetch, else against a UID listing
    std::string strReply;
    bool bClose;
    bool bRefusal; // the server answers NO: the connection stays
    size_t nUidsBefore;
};

} // namespace

TEST(ImapSessionTest, HostileRepliesFailTheCallWithATextAndEndTheConnection)
{
    const std::string deep = "* 1 FETCH " + std::string(100000, '(');
    const CHostileCase cases[] = {
        {"short literal then close", true, "* 1 FETCH (UID 5 BODY[] {100}\r\nabc", true, false, 0},
        {"literal past 32 bits", true, "* 1 FETCH (UID 5 BODY[] {4294967296}\r\nabc", false, false, 0},
        {"negative literal", true, "* 1 FETCH (UID 5 BODY[] {-1}\r\nabc", false, false, 0},
        {"10 MB without CRLF", true, "* 1 FETCH (UID 5 BODY[] " + std::string(10 * 1024 * 1024, 'x'), false, false, 0},
        {"silence", true, "", false, false, 0},
        {"BYE mid-fetch", false, "* 1 FETCH (UID 1 FLAGS ())\r\n* BYE shutting down\r\n", true, false, 1},
        {"deep nesting", false, deep, false, false, 0},
        {"FETCH without UID", false, "* 1 FETCH (FLAGS (\\Seen))\r\n$TAG OK done\r\n", false, false, 0},
        {"partial UID list then NO", false,
         "* 1 FETCH (UID 1 FLAGS ())\r\n* 2 FETCH (UID 2 FLAGS (\\Seen))\r\n$TAG NO [SERVERBUG] index broken\r\n",
         false, true, 2},
    };
    for (const CHostileCase& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        CScriptedImapConnector connector;
        CScriptStep hostile = {"UID FETCH ", c.strReply, c.bClose};
        connector.Add(kGreeting, Steps({kSelect, hostile}));
        CImapSession session(connector);
        session.Login("host", 143, "user", "secret");

        size_t nUids = 0;
        std::string strError;
        try
        {
            if (c.bFetchBody)
            {
                std::string message;
                uint32_t flags = 0;
                session.FetchMessage(u"INBOX", 5, message, flags);
            }
            else
                session.FetchUids(u"INBOX", [&](uint32_t, uint32_t) { ++nUids; });
            ADD_FAILURE() << "no failure";
        }
        catch (const CImapError& e)
        {
            strError = e.what();
            EXPECT_EQ(c.bRefusal, e.Refused());
        }
        EXPECT_FALSE(strError.empty());
        EXPECT_EQ(c.nUidsBefore, nUids);
        EXPECT_EQ(c.bRefusal, session.Connected());
        if (c.bRefusal)
        {
            EXPECT_NE(std::string::npos, strError.find("index broken"));
        }
        // Never more than one connection: nothing is tried again after the server has answered.
        EXPECT_EQ(1, connector.m_nOpened);
    }
}

TEST(ImapSessionTest, ListingPutsParentsFirstAndMakesUpChildrenWithoutTheExtension)
{
    CScriptedImapConnector connector;
    connector.Add(kGreeting, Steps({{"LIST \"\" \"*\"", "* LIST () \"/\" \"a/b/c\"\r\n"
                                                        "* LIST () \"/\" a\r\n"
                                                        "* LIST (\\Noselect) \"/\" \"a/b\"\r\n"
                                                        "* LIST (\\HasNoChildren) NIL flat\r\n"
                                                        "* LIST () \"/\" {12}\r\nEntw&APw-rfe\r\n"
                                                        "$TAG OK done\r\n"}},
                                   "IMAP4rev1"));
    CImapSession session(connector);
    session.Login("host", 143, "user", "secret");
    const std::vector<CImapFolder> folders = session.ListFolders();

    struct
    {
        const char* pszWire;
        const char* pszAttributes;
        const char* pszDelimiter;
    } const expected[] = {
        {"a", "(\\HasChildren)", "/"},
        {"flat", "(\\HasNoChildren)", ""},
        {"Entw&APw-rfe", "(\\HasNoChildren)", "/"},
        {"a/b", "(\\Noselect \\HasChildren)", "/"},
        {"a/b/c", "(\\HasNoChildren)", "/"},
    };
    ASSERT_EQ(5u, folders.size());
    for (size_t i = 0; i < folders.size(); ++i)
    {
        EXPECT_EQ(expected[i].pszWire, folders[i].strWireName);
        EXPECT_EQ(expected[i].pszAttributes, folders[i].strAttributes);
        EXPECT_EQ(expected[i].pszDelimiter, folders[i].strDelimiter);
    }
    EXPECT_EQ(u"Entw\u00fcrfe", folders[2].strName);
}

TEST(ImapSessionTest, DeleteRemovesInferiorsDeepestFirstAndLeavesTheSelectedFolder)
{
    CScriptedImapConnector connector;
    CScriptedImapStream& stream = connector.Add(
        kGreeting, Steps({kSelect, {"UID FETCH", "$TAG OK done\r\n"},
                          {"LIST \"\" \"\"", "* LIST (\\Noselect) \".\" \"\"\r\n$TAG OK done\r\n"},
                          {"LIST \"\" \"a.*\"", "* LIST () \".\" a.b\r\n* LIST () \".\" a.b.c\r\n"
                                                "* LIST (\\NonExistent) \".\" a.x\r\n$TAG OK done\r\n"},
                          {"UNSELECT", "$TAG OK done\r\n"},
                          {"DELETE \"a.b.c\"", "$TAG OK done\r\n"},
                          {"DELETE \"a.b\"", "$TAG OK done\r\n"},
                          {"DELETE \"a\"", "$TAG OK done\r\n"}}));
    CImapSession session(connector);
    session.Login("host", 143, "user", "secret");
    session.FetchUids(u"a.b", [](uint32_t, uint32_t) {});
    session.DeleteFolder(u"a");
    EXPECT_EQ("", stream.m_strFailure);
    EXPECT_EQ("DELETE \"a\"", stream.m_Commands.back());
}

TEST(ImapSessionTest, RenameCountsAsDoneOnlyWhenTheSourceIsGoneAndTheTargetThere)
{
    struct
    {
        const char* pszOldListing;
        const char* pszNewListing;
        bool bSucceeds;
    } const cases[] = {
        {"", "* LIST () \"/\" new\r\n", true},
        {"* LIST () \"/\" old\r\n", "* LIST () \"/\" new\r\n", false},
        {"", "", false},
    };
    for (const auto& c : cases)
    {
        CScriptedImapConnector connector;
        connector.Add(kGreeting, Steps({{"RENAME \"old\" \"new\"", "$TAG NO [ALREADYEXISTS] Mailbox exists\r\n"},
                                        {"LIST \"\" \"old\"", std::string(c.pszOldListing) + "$TAG OK done\r\n"},
                                        {"LIST \"\" \"new\"", std::string(c.pszNewListing) + "$TAG OK done\r\n"}}));
        CImapSession session(connector);
        session.Login("host", 143, "user", "secret");
        bool bSucceeded = true;
        try
        {
            session.RenameFolder(u"old", u"new");
        }
        catch (const CImapError& e)
        {
            bSucceeded = false;
            EXPECT_EQ("NO", e.Status());
            EXPECT_NE(std::string::npos, std::string(e.what()).find("Mailbox exists"));
        }
        EXPECT_EQ(c.bSucceeds, bSucceeded);
    }
}

TEST(ImapSessionTest, AConnectionDroppedBeforeAReadIsReopenedOnceWithItsFolderSelectedAgain)
{
    CScriptedImapConnector connector;
    CScriptedImapStream& first = connector.Add(kGreeting, Steps({kSelect, {"UID FETCH", "$TAG OK done\r\n"}}));
    // The second connection is dropped by the server as the command arrives: not answered, so tried again.
    CScriptedImapStream& second = connector.Add(kGreeting, Steps({kSelect, {"UID FETCH", "* BYE kicked\r\n", true}}));
    CScriptedImapStream& third = connector.Add(
        kGreeting, Steps({kSelect, {"UID FETCH 9 ", "* 1 FETCH (UID 9 FLAGS (\\Seen) BODY[] {4}\r\nab\r\n)\r\n$TAG OK done\r\n"}}));
    CImapSession session(connector);
    session.Login("host", 143, "user", "secret");
    session.FetchUids(u"INBOX", [](uint32_t, uint32_t) {});
    first.Push("* BYE kicked\r\n", true);

    std::string message;
    uint32_t flags = 0;
    EXPECT_THROW(session.FetchMessage(9, message, flags), CImapError); // reopened once, dropped again: reported
    EXPECT_EQ(2, connector.m_nOpened);
    ASSERT_TRUE(session.FetchMessage(9, message, flags));
    EXPECT_EQ(3, connector.m_nOpened);
    EXPECT_EQ("ab\r\n", message);
    EXPECT_EQ(IMAP_FLAG_SEEN, flags);
    EXPECT_EQ("SELECT \"INBOX\"", third.m_Commands[2]);
    EXPECT_EQ("", second.m_strFailure);
}

TEST(ImapSessionTest, AChangeWhoseConnectionIsLostAfterItWentOutIsReportedNotRepeated)
{
    CScriptedImapConnector connector;
    connector.Add(kGreeting, Steps({{"CREATE \"x\"", "", true}}));
    connector.Add(kGreeting, Steps({{"CREATE \"x\"", "$TAG OK done\r\n"}}));
    CImapSession session(connector);
    session.Login("host", 143, "user", "secret");
    try
    {
        session.CreateFolder(u"x");
        ADD_FAILURE() << "no failure";
    }
    catch (const CImapError& e)
    {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("not repeated"));
    }
    EXPECT_EQ(1, connector.m_nOpened);
}

TEST(ImapSessionTest, PasswordsStayOutOfTheTraceAndLineBreaksNeverReachTheServer)
{
    CScriptedImapConnector connector;
    CScriptedImapStream& stream = connector.Add(kGreeting, Steps({{"NOOP", "$TAG OK done\r\n"}}));
    CImapSession session(connector);
    std::vector<std::string> trace;
    session.SetTrace([&](const std::string& line) { trace.push_back(line); });

    EXPECT_THROW(session.Login("host", 143, "user", "pa\r\nss"), CImapError);
    EXPECT_THROW(session.Login("host", 143, "us\ner", "secret"), CImapError);
    EXPECT_EQ(0, connector.m_nOpened);

    session.Login("host", 143, "user", "s3cr\"t");
    session.Login("host", 143, "user", "s3cr\"t"); // live already: only a NOOP
    EXPECT_EQ(1, connector.m_nOpened);
    EXPECT_EQ("LOGIN \"user\" \"s3cr\\\"t\"", stream.m_Commands[0]);
    bool bMasked = false;
    for (const std::string& line : trace)
    {
        EXPECT_EQ(std::string::npos, line.find("s3cr")) << line;
        bMasked = bMasked || line == "Send>a1 LOGIN \"user\" ********";
    }
    EXPECT_TRUE(bMasked);

    EXPECT_THROW(session.CreateFolder(u"a\nb"), CImapError);
    EXPECT_EQ(3u, stream.m_Commands.size()); // LOGIN, CAPABILITY, NOOP
}

TEST(ImapSessionTest, DeletedMessagesAreExpungedByUidOnlyWhereTheServerCan)
{
    struct
    {
        const char* pszCapabilities;
        const char* pszExpunge;
    } const cases[] = {{"IMAP4rev1 UIDPLUS", "UID EXPUNGE 4,7:8"}, {"IMAP4rev1", "EXPUNGE"}};
    for (const auto& c : cases)
    {
        CScriptedImapConnector connector;
        CScriptedImapStream& stream = connector.Add(
            kGreeting, Steps({kSelect,
                              {"UID STORE 4,7:8 +FLAGS (\\Deleted)",
                               "* 1 FETCH (FLAGS (\\Deleted) UID 4)\r\n* 2 FETCH (UID 7 FLAGS (\\Seen \\Deleted))\r\n"
                               "$TAG OK done\r\n"},
                              {c.pszExpunge, "* 2 EXPUNGE\r\n* 1 EXPUNGE\r\n$TAG OK done\r\n"}},
                             c.pszCapabilities));
        CImapSession session(connector);
        session.Login("host", 143, "user", "secret");
        std::vector<std::pair<uint32_t, uint32_t>> reported;
        session.DeleteMessages(u"INBOX", "4,7:8", [&](uint32_t uid, uint32_t flags) { reported.push_back({uid, flags}); });
        EXPECT_EQ("", stream.m_strFailure);
        const std::vector<std::pair<uint32_t, uint32_t>> expected = {{4, IMAP_FLAG_DELETED},
                                                                     {7, IMAP_FLAG_SEEN | IMAP_FLAG_DELETED}};
        EXPECT_EQ(expected, reported);
        EXPECT_THROW(session.DeleteMessages(u"INBOX", "4 OR 1", [](uint32_t, uint32_t) {}), CImapError);
    }
}

TEST(ImapSessionTest, AMessageComesBackByteForByteAndAGoneUidIsNoFailure)
{
    const std::string body2 =
        std::string("Subject: \xe4\xf6\r\n\r\n") + std::string(70000, 'y') + std::string("\r\n\0end\r\n", 8);
    CScriptedImapConnector connector;
    connector.Add(kGreeting, Steps({kSelect,
                                    {"UID FETCH 7 (UID FLAGS BODY.PEEK[])",
                                     "* 2 FETCH (UID 7 BODY[] {" + std::to_string(body2.size()) + "}\r\n" + body2 +
                                         " FLAGS ())\r\n$TAG OK done\r\n"},
                                    {"UID FETCH 8 ", "$TAG OK done\r\n"}}));
    CImapSession session(connector);
    session.Login("host", 143, "user", "secret");
    std::string message;
    uint32_t flags = 99;
    ASSERT_TRUE(session.FetchMessage(u"INBOX", 7, message, flags));
    EXPECT_EQ(body2, message);
    EXPECT_EQ(0u, flags);
    EXPECT_FALSE(session.FetchMessage(u"INBOX", 8, message, flags));
}
