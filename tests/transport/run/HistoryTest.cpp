// The History of exchanged messages: copies beside the central database and one row per contact address.
#include <gtest/gtest.h>

#include "ProgressTestSupport.h"
#include "foundation/Exception.h"
#include "transport/History.h"

namespace
{
class HistoryTest : public CProgressFixture
{
protected:
    void SetUp() override
    {
        CProgressFixture::SetUp();
        ASSERT_TRUE(Central().IsOpen());
        Central().ExecuteSQL("INSERT INTO Site (COMPANY) VALUES ('Acme')", NULL);
        m_nSite = QueryLong(Central().m_session, "SELECT MAX(SiteID) FROM Site");
        for (const char* pszAddress : {"ann@example.com", "bob@example.com"})
        {
            CString strSQL;
            strSQL.Format("INSERT INTO ContactName (CustomerID, cEmail) VALUES (%ld, '%s')", m_nSite, pszAddress);
            Central().ExecuteSQL(strSQL, NULL);
        }
    }
    CDatabaseSession& Central() { return m_pDatabase->m_Orb; }
    std::vector<std::string> EmailsFolder() { return ListFiles((const char*)m_folder.Path("Emails\\")); }
    long Rows() { return QueryLong(Central().m_session, "SELECT COUNT(*) FROM History"); }
    // What SetHistoryRecord threw; empty when it returned.
    std::string Record(CHistoryLog& log, const char* pszAddress, const CString& strText, const char* pszPath)
    {
        try
        {
            log.SetHistoryRecord(pszAddress, "Out", strText, pszPath);
        }
        catch (CException* pException)
        {
            std::string text = (const char*)pException->m_strMessage;
            delete pException;
            return text;
        }
        return std::string();
    }
    long m_nSite = 0;
};

TEST_F(HistoryTest, ASendToTwoContactsSavesTwoCopiesAndWritesTwoRows)
{
    m_pRegistry->WriteProfileInt("Options", "Not log to Vorn Vedura", 0);
    AddAccount({"Alpha", "tester", "secret", 0x1, 0, 0});
    AddOutgoing("Alpha", "Ann <ann@example.com>, stranger@example.com", "bob@example.com", "", "Quarterly report");
    ASSERT_TRUE(RunToEnd(0, 0));
    EXPECT_TRUE(Errors().empty());
    std::vector<std::string> files = EmailsFolder();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(std::vector<std::string>({"Quarterly report (2).eml", "Quarterly report.eml"}), files);
    EXPECT_EQ(2, Rows());
    EXPECT_EQ(2, QueryLong(Central().m_session, "SELECT COUNT(*) FROM History WHERE HDirection = 'Out' AND "
                                                "HLocation = 'Local' AND HType = 'Email'"));
    CString strSQL;
    strSQL.Format("SELECT COUNT(*) FROM History WHERE SiteID = %ld", m_nSite);
    EXPECT_EQ(2, QueryLong(Central().m_session, strSQL));
}

TEST_F(HistoryTest, ACentralDatabaseOnAnotherDriveTypeRecordsRemoteOrRefusesButTheMessageGoes)
{
    struct Case
    {
        const char* pszDrive; // mapped by the harness: R: network, S: removable
        const char* pszError; // in the error line; NULL for none
    };
    const Case cases[] = {{"R:\\", NULL}, {"S:\\", "can be removed from the drive."}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszDrive);
        Restart();
        // The central database with its contacts moves to that drive.
        m_pDatabase.reset();
        const CString strCentral = CString(c.pszDrive) + "Orb.mdb";
        const std::vector<std::string> old = ListFiles(std::string(c.pszDrive) + "Emails\\");
        for (const std::string& name : old)
            ::DeleteFileA((std::string(c.pszDrive) + "Emails\\" + name).c_str());
        ASSERT_TRUE(::CopyFileA(m_folder.Path("Orb.mdb"), strCentral, FALSE));
        m_pRegistry->m_strOrbDatabase = strCentral;
        m_pDatabase.reset(new CDatabaseMy(m_pRegistry.get()));
        m_pDatabase->OpenAll();
        ASSERT_TRUE(Central().IsOpen());

        m_pRegistry->WriteProfileInt("Options", "Not log to Vorn Vedura", 0);
        AddAccount({"Alpha", "tester", "secret", 0x1, 0, 0});
        const LONG nMessage = AddOutgoing("Alpha", "Ann <ann@example.com>", "", "", "elsewhere");
        ASSERT_TRUE(RunToEnd(0, 0));
        EXPECT_EQ(1u, SmtpReceived().size());
        EXPECT_EQ(FOLDER_SENT_ITEMS, FolderOf(nMessage));
        const std::vector<std::string> errors = Errors();
        if (c.pszError == NULL)
        {
            EXPECT_TRUE(errors.empty());
            EXPECT_EQ(1, QueryLong(Central().m_session, "SELECT COUNT(*) FROM History WHERE HLocation = 'Remote'"));
        }
        else
        {
            ASSERT_EQ(1u, errors.size());
            EXPECT_NE(std::string::npos, errors[0].find(c.pszError)) << errors[0];
            EXPECT_EQ(0, Rows());
        }
        m_pDatabase.reset();
        ::DeleteFileA(strCentral);
        m_pRegistry->m_strOrbDatabase = m_folder.Path("Orb.mdb");
    }
}

TEST_F(HistoryTest, AReceivedMessageFromAContactIsRecordedAsIn)
{
    m_pRegistry->WriteProfileInt("Options", "Not log to Vorn Vedura", 0);
    AddAccount({"Alpha", "tester", "secret", 0x4, 0, 0});
    const std::string mailbox = EmptyPeerMailbox("tester");
    ASSERT_TRUE(DeliverToMailbox(mailbox, "1.h", PeerMessage("from ann", "Ann <ann@example.com>")));
    ASSERT_TRUE(DeliverToMailbox(mailbox, "2.h", PeerMessage("from stranger")));
    ASSERT_TRUE(RunToEnd(0, 0));
    EXPECT_EQ(1, QueryLong(Central().m_session, "SELECT COUNT(*) FROM History WHERE HDirection = 'In'"));
    EXPECT_EQ(std::vector<std::string>({"from ann.eml"}), EmailsFolder());
}

TEST_F(HistoryTest, LoggingIsOffByDefault)
{
    AddAccount({"Alpha", "tester", "secret", 0x1, 0, 0});
    AddOutgoing("Alpha", "ann@example.com", "", "", "unlogged");
    ASSERT_TRUE(RunToEnd(0, 0));
    EXPECT_EQ(0, Rows());
    EXPECT_TRUE(EmailsFolder().empty());
}

TEST_F(HistoryTest, APathOf256CharactersIsRefusedAndOneOf255Accepted)
{
    CHistoryLog log(&Central(), NULL);
    std::string path = "C:\\";
    path += std::string(255 - path.size() - 4, 'p') + ".eml";
    ASSERT_EQ(255u, path.size());
    EXPECT_EQ("", Record(log, "ann@example.com", "Subject: s\r\n\r\nx", path.c_str()));
    path.insert(3, "q");
    EXPECT_EQ("Itsert into Vorn Vedura History table failed!\r\n\r\nThe message file name is ' " + path +
                  " '.\r\nThe message file name length is 256.\r\nMaximum file name length is 256",
              Record(log, "ann@example.com", "Subject: s\r\n\r\nx", path.c_str()));
    EXPECT_EQ(1, Rows());
}

TEST_F(HistoryTest, TheDriveDecidesTheLocation)
{
    CHistoryLog log(&Central(), NULL);
    EXPECT_EQ("", Record(log, "ann@example.com", "Subject: s\r\n\r\nx", "C:\\copy.eml"));
    EXPECT_EQ(1, QueryLong(Central().m_session, "SELECT COUNT(*) FROM History WHERE HLocation = 'Local'"));
    // Drive types that may not hold the History's files, as the error describes them.
    struct Case
    {
        UINT nType;
        const char* pszText;
    };
    const Case cases[] = {{DRIVE_FIXED, "Local"},
                          {DRIVE_REMOTE, "Remote"},
                          {DRIVE_UNKNOWN, "cannot be determined."},
                          {DRIVE_NO_ROOT_DIR, "root directory does not exist."},
                          {DRIVE_REMOVABLE, "can be removed from the drive."},
                          {DRIVE_CDROM, "a CD-ROM drive."},
                          {DRIVE_RAMDISK, "a RAM disk."},
                          {99, "unknown."}};
    for (const Case& c : cases)
        EXPECT_STREQ(c.pszText, CHistoryLog::DescribeDriveType(c.nType));
    // The harness maps R: as a network drive and S: as a removable one.
    EXPECT_EQ("", Record(log, "ann@example.com", "Subject: s\r\n\r\nx", "R:\\copy.eml"));
    EXPECT_EQ(1, QueryLong(Central().m_session, "SELECT COUNT(*) FROM History WHERE HLocation = 'Remote'"));
    EXPECT_EQ("Itsert into Vorn Vedura History table failed!\r\n\r\nThe Vorn Vedura database path is "
              "S:\\copy.eml.\r\nThe driver type of the Vorn Vedura location is can be removed from the drive.\r\n"
              "Only fixed or remote driver type is legal.",
              Record(log, "ann@example.com", "Subject: s\r\n\r\nx", "S:\\copy.eml"));
    // A drive letter that Wine has not mapped has no root directory.
    EXPECT_EQ("Itsert into Vorn Vedura History table failed!\r\n\r\nThe Vorn Vedura database path is "
              "Q:\\copy.eml.\r\nThe driver type of the Vorn Vedura location is root directory does not exist.\r\n"
              "Only fixed or remote driver type is legal.",
              Record(log, "ann@example.com", "Subject: s\r\n\r\nx", "Q:\\copy.eml"));
}

TEST_F(HistoryTest, ASubjectOfForbiddenCharactersStillGivesAFile)
{
    CHistoryLog log(&Central(), NULL);
    EXPECT_EQ("", Record(log, "ann@example.com", "Subject: ?*:<>|\r\n\r\nx", NULL));
    EXPECT_EQ("", Record(log, "bob@example.com", "Subject: ?*:<>|\r\n\r\nx", NULL));
    const std::vector<std::string> files = EmailsFolder();
    ASSERT_EQ(2u, files.size());
    for (const std::string& name : files)
        EXPECT_EQ(std::string::npos, name.find_first_of("?*:<>|")) << name;
    EXPECT_EQ(2, Rows());
    // An address that belongs to no contact writes nothing and saves nothing.
    EXPECT_EQ("", Record(log, "nobody@example.com", "Subject: n\r\n\r\nx", NULL));
    EXPECT_EQ(2u, EmailsFolder().size());
}
} // namespace
