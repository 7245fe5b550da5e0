// Composed messages from their fields to the wire: stored in the Outbox, sent through the SMTP client to
// the loopback peer with the envelope taken from their Address rows, and read back by Python's email
// package; and a draft stored and opened again.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ComposeTestStore.h"
#include "TransportTestSupport.h"
#include "content/TransferEncoding.h"
#include "store/AccountsTable.h"
#include "store/AddressTable.h"
#include "store/EmailsImpl.h"
#include "transport/Smtp.h"
#include "ui/compose/ComposeSetup.h"
#include "ui/compose/OutgoingMessage.h"

namespace
{
struct CParsed
{
    std::vector<std::pair<std::string, std::string>> headers;
    struct CPart
    {
        std::string type, filename, payload, contentId, charset;
    };
    std::vector<CPart> parts;
    std::string Header(const std::string& name) const
    {
        for (const auto& h : headers)
            if (h.first == name)
                return h.second;
        return "(absent)";
    }
};

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0, tab;
    while ((tab = line.find('\t', start)) != std::string::npos)
    {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

std::string FromBase64(const std::string& text)
{
    return DecodeBase64Bytes(text.data(), text.size());
}

CParsed ReadParsed(const std::string& path)
{
    CParsed parsed;
    std::istringstream lines(ReadFileBytes(path.c_str()));
    std::string line;
    while (std::getline(lines, line))
    {
        std::vector<std::string> f = SplitTabs(line);
        if (f[0] == "header" && f.size() == 3)
            parsed.headers.push_back({f[1], f[2]});
        else if (f[0] == "part" && f.size() == 4)
            parsed.parts.push_back({f[1], f[2], FromBase64(f[3]), "", ""});
        else if (f[0] == "partinfo" && f.size() == 4 && !parsed.parts.empty())
        {
            parsed.parts.back().contentId = f[2];
            parsed.parts.back().charset = f[3];
        }
    }
    return parsed;
}

class ComposeSendTest : public ComposeStoreTest
{
protected:
    void SetUp() override
    {
        ComposeStoreTest::SetUp();
        m_target.pLocalSession = LocalSession();
        WriteFileBytes(m_folder.Path("pic.gif"), std::string("GIF89a\0\1\2", 9));
        WriteFileBytes(m_folder.Path("binary.dat"), std::string("\0\xff\0\r\n.\r\n\0", 9));
    }
    CComposeFields Fields()
    {
        CComposeFields fields;
        fields.m_nAccountID = m_nAccountID;
        fields.m_strCharset = GetAnsiWebCharset();
        fields.m_strTo = "J\xf6rg M\xfcller <jorg@x.org>; plain@x.org";
        fields.m_strCc = "\xc5sa <asa@x.org>";
        fields.m_strBcc = "Z\xe9lie <zelie@x.org>";
        fields.m_strSubject = "Gr\xfc\xdf" "e zum \x80";
        return fields;
    }
    LONG Store(CComposeFields& fields, int nFolderType = 2)
    {
        COutgoingMessage outgoing(fields, m_target);
        return outgoing.StoreMessage(nFolderType, FALSE);
    }
    // Sends one Outbox row as the send worker does and returns what the peer made of it.
    CParsed Send(LONG nEmailsID)
    {
        UINT nPort = PeerPort("ORB_SMTP_PORT");
        EXPECT_NE(0u, nPort) << "ORB_SMTP_PORT is not set: run the tests through ./test";
        std::string strSpool = PeerFolder() + "smtp\\spool\\";
        std::set<std::string> before;
        for (const std::string& name : ListFiles(strSpool))
            before.insert(name);

        CEmailsImpl<> store(LocalSession());
        store.SelectByID(nEmailsID, NULL);
        CString strText = store.GetMessage();
        store.Close();
        std::vector<std::string> recipients;
        for (BYTE nType = 0; nType < 3; nType++)
        {
            CAddressTable addresses(LocalSession());
            addresses.OpenForEmail(nEmailsID, NULL, nType);
            while (addresses.MoveNext() == S_OK)
                recipients.push_back(addresses.m_Address);
        }
        CSmtpProgress smtp(NULL, NULL, TRUE);
        smtp.m_strUser = "tester";
        smtp.m_strPassword = "secret";
        EXPECT_TRUE(smtp.Connect("127.0.0.1", nPort));
        EXPECT_EQ(0, smtp.MailFrom("ann@example.com"));
        for (const std::string& strRecipient : recipients)
            EXPECT_EQ(0, smtp.RcptTo(strRecipient.c_str())) << strRecipient;
        EXPECT_EQ(0, smtp.SendData(strText));
        smtp.SendCmd("QUIT\r\n");

        for (const std::string& name : ListFiles(strSpool))
        {
            if (!before.count(name) && name.size() > 7 && name.compare(name.size() - 7, 7, ".parsed") == 0)
                return ReadParsed(strSpool + name);
        }
        ADD_FAILURE() << "nothing arrived";
        return CParsed();
    }
    const CParsed::CPart* PartOf(const CParsed& parsed, const std::string& type, int nIndex = 0)
    {
        for (const CParsed::CPart& part : parsed.parts)
            if (part.type == type && nIndex-- == 0)
                return &part;
        return NULL;
    }

    CStoreTarget m_target;
};

TEST_F(ComposeSendTest, APlainMessageArrivesWithDecodedHeadersAndItsBytes)
{
    CComposeFields fields = Fields();
    fields.m_strPlainBody = "Price \x80 5\r\n.\r\nline";
    fields.m_attachments.push_back({m_folder.m_strPath.Left(m_folder.m_strPath.GetLength() - 1), "binary.dat"});
    fields.m_nPriority = 0;
    fields.m_bReadReceipt = 1;
    LONG nID = Store(fields);
    ASSERT_NE(0, nID);
    CParsed parsed = Send(nID);
    EXPECT_EQ("Gr\xc3\xbc\xc3\x9f" "e zum \xe2\x82\xac", parsed.Header("Subject"));
    EXPECT_NE(std::string::npos, parsed.Header("To").find("J\xc3\xb6rg M\xc3\xbcller <jorg@x.org>"))
        << parsed.Header("To");
    EXPECT_NE(std::string::npos, parsed.Header("To").find("plain@x.org"));
    EXPECT_NE(std::string::npos, parsed.Header("Cc").find("\xc3\x85sa <asa@x.org>")) << parsed.Header("Cc");
    EXPECT_NE(std::string::npos, parsed.Header("From").find("Ann Sender <ann@example.com>"));
    EXPECT_EQ("(absent)", parsed.Header("Bcc"));
    EXPECT_NE(std::string::npos, parsed.Header("X-Envelope-To").find("zelie@x.org"));
    EXPECT_EQ("<ann@example.com>", parsed.Header("Disposition-Notification-To"));
    EXPECT_EQ(0u, parsed.Header("X-Priority").find("1"));
    const CParsed::CPart* pText = PartOf(parsed, "text/plain");
    ASSERT_TRUE(pText != NULL);
    EXPECT_EQ("windows-1252", pText->charset);
    EXPECT_EQ("Price \x80 5\r\n.\r\nline", pText->payload.substr(0, pText->payload.find_last_not_of("\r\n") + 1));
    const CParsed::CPart* pFile = PartOf(parsed, "application/octet-stream");
    if (pFile == NULL)
        for (const CParsed::CPart& part : parsed.parts)
            if (part.filename == "binary.dat")
                pFile = &part;
    ASSERT_TRUE(pFile != NULL);
    EXPECT_EQ("binary.dat", pFile->filename);
    EXPECT_EQ(std::string("\0\xff\0\r\n.\r\n\0", 9), pFile->payload);
}

TEST_F(ComposeSendTest, AnHtmlMessageCarriesItsImagesAsInlineParts)
{
    CComposeFields fields = Fields();
    fields.m_bHtml = fields.m_bEditor = 1;
    fields.m_strHtmlDocument = "<HTML><BODY><?xml:namespace prefix = o ns = \"urn:schemas\" /><P>later text \x80</P>"
                               "<IMG src=\"" + m_folder.Path("pic.gif") + "\"><IMG src=\"file://" +
                               m_folder.Path("pic.gif") +
                               "\"><IMG src=\"https://h.example/a.png\"></BODY></HTML>";
    LONG nID = Store(fields);
    ASSERT_NE(0, nID);
    CParsed parsed = Send(nID);
    const CParsed::CPart* pHtml = PartOf(parsed, "text/html");
    ASSERT_TRUE(pHtml != NULL);
    EXPECT_EQ("windows-1252", pHtml->charset);
    const std::string& strHtml = pHtml->payload;
    EXPECT_EQ(std::string::npos, strHtml.find("<?xml"));
    EXPECT_NE(std::string::npos, strHtml.find("<P>later text \x80</P>"));
    EXPECT_NE(std::string::npos, strHtml.find("src=\"https://h.example/a.png\""));
    std::vector<std::string> cids;
    for (size_t nAt = strHtml.find("cid:"); nAt != std::string::npos; nAt = strHtml.find("cid:", nAt + 1))
        cids.push_back(strHtml.substr(nAt + 4, strHtml.find('"', nAt) - nAt - 4));
    ASSERT_EQ(2u, cids.size());
    EXPECT_NE(cids[0], cids[1]);
    for (const std::string& strCid : cids)
    {
        bool bFound = false;
        for (const CParsed::CPart& part : parsed.parts)
        {
            if (part.contentId == "<" + strCid + ">")
            {
                bFound = true;
                EXPECT_EQ(std::string("GIF89a\0\1\2", 9), part.payload);
            }
        }
        EXPECT_TRUE(bFound) << strCid;
    }
    // Inline images get no Attachments row.
    CString strSQL;
    strSQL.Format("SELECT COUNT(*) FROM Attachments WHERE EmailID = %ld", (long)nID);
    EXPECT_GE(0, Query(strSQL));
}

TEST_F(ComposeSendTest, ADraftOpensAgainWithWhatWasStored)
{
    CComposeFields fields = Fields();
    fields.m_strPlainBody = "unfinished \x80 text";
    fields.m_attachments.push_back({m_folder.m_strPath.Left(m_folder.m_strPath.GetLength() - 1), "binary.dat"});
    LONG nID = Store(fields, 5);
    ASSERT_NE(0, nID);

    CEmailsImpl<> messages(LocalSession());
    CComposeFields draft;
    draft.m_nMode = COMPOSE_EDIT_DRAFT;
    CComposeSources sources;
    sources.pLocalSession = LocalSession();
    sources.pRegistry = m_pRegistry.get();
    sources.pMessages = &messages;
    sources.nSelectedID = nID;
    CComposeSetup(draft, sources).Run();
    EXPECT_EQ("", std::string(draft.m_strError));
    EXPECT_EQ("<plain@x.org>; \"J\xf6rg M\xfcller\" <jorg@x.org>", std::string(draft.m_strTo));
    EXPECT_EQ("\"\xc5sa\" <asa@x.org>", std::string(draft.m_strCc));
    EXPECT_EQ("\"Z\xe9lie\" <zelie@x.org>", std::string(draft.m_strBcc));
    EXPECT_EQ("Gr\xfc\xdf" "e zum \x80", std::string(draft.m_strSubject));
    std::string strBody = (const char*)draft.m_strPlainBody;
    EXPECT_EQ(0u, strBody.find("unfinished \x80 text")) << strBody;
    ASSERT_EQ(1u, draft.m_attachments.size());
    EXPECT_EQ("binary.dat", std::string(draft.m_attachments[0].m_strName));
    EXPECT_EQ(std::string("\0\xff\0\r\n.\r\n\0", 9), ReadFileBytes(draft.m_attachments[0].GetPath()));
}
} // namespace
