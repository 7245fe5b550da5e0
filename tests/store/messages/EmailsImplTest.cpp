// The message store: selection by identity, moves, reading the whole text, header fields, saving to a file.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "store/DatabaseBase.h"
#include "store/EmailsImpl.h"
#include "store/Folders.h"
#include "MessageDatabaseTest.h"

namespace
{
class MessageStoreTest : public CMessageDatabaseTest
{
protected:
    LONG Insert(LONG nFolder, const std::string& text)
    {
        CTestMessage message;
        message.nFolderID = nFolder;
        message.text = text;
        return CMessageDatabaseTest::Insert(message);
    }
};

// A stream that gives its text in chunks and fails with STG_E_READFAULT on the read numbered nFailAt.
class CFailingStream : public ISequentialStream
{
public:
    CFailingStream(const std::string& text, int nFailAt) : m_text(text), m_nFailAt(nFailAt) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid != IID_IUnknown && riid != IID_ISequentialStream)
        {
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRefs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_nRefs; }
    STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        *pcbRead = 0;
        if (++m_nReads == m_nFailAt)
            return STG_E_READFAULT;
        const ULONG n = (ULONG)std::min<size_t>(cb, m_text.size() - m_nPos);
        memcpy(pv, m_text.data() + m_nPos, n);
        m_nPos += n;
        *pcbRead = n;
        return n < cb ? S_FALSE : S_OK;
    }
    STDMETHODIMP Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }

    ULONG m_nRefs = 1;

private:
    std::string m_text;
    size_t m_nPos = 0;
    int m_nReads = 0;
    int m_nFailAt;
};

std::string BigMessage(const char* pszSubject)
{
    std::string text = std::string("Subject: ") + pszSubject + "\r\n\r\n";
    while (text.size() < 1536 * 1024)
        text += "0123456789abcdefghijklmnopqrstuvwxyz line of a long message body\r\n";
    return text + "the end";
}

std::string ReadFile(const char* pszPath)
{
    std::string bytes;
    FILE* pFile = fopen(pszPath, "rb");
    if (pFile == NULL)
        return "(no file)";
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
        bytes.append(buffer, n);
    fclose(pFile);
    return bytes;
}
} // namespace

TEST_F(MessageStoreTest, SelectByIDOfAMissingMessageThrowsTheNotFoundText)
{
    CEmailsImpl<> store(m_db.Session());
    try
    {
        store.SelectByID(424242, NULL);
        FAIL() << "no exception";
    }
    catch (CException* pException)
    {
        EXPECT_STREQ(pException->m_strMessage, "ERROR: Message is not found.\r\nEmailID = 424242.");
        EXPECT_STREQ(pException->m_strDetail, "");
        delete pException;
    }
}

TEST_F(MessageStoreTest, MovesWalkTheFolderAndEachRowBringsItsOwnText)
{
    LONG nFirst = Insert(m_nInbox, "Subject: one\r\n\r\nfirst");
    Insert(m_nOutbox, "Subject: elsewhere\r\n\r\nother folder");
    LONG nSecond = Insert(m_nInbox, "Subject: two\r\n\r\nsecond");

    CEmailsImpl<> store(m_db.Session());
    store.OpenByFolder(m_nInbox, NULL);
    ASSERT_EQ(store.MoveNext(0, 1), S_OK);
    EXPECT_EQ(store.m_EmailsID, nFirst);
    EXPECT_STREQ(store.m_strMessage, "Subject: one\r\n\r\nfirst");
    EXPECT_EQ(store.GetHeaderField("Subject"), CString("one"));
    CMimePart* pParsed = store.GetMimeMessage();
    EXPECT_EQ(store.GetMimeMessage(), pParsed) << "parsed once per row";
    EXPECT_STREQ(GetMessageSubject(pParsed), "one");

    ASSERT_EQ(store.MoveNext(0, 0), S_OK); // not read at once: read on demand
    EXPECT_EQ(store.m_EmailsID, nSecond);
    EXPECT_TRUE(store.m_strMessage.IsEmpty());
    EXPECT_STREQ(store.GetMessage(), "Subject: two\r\n\r\nsecond");
    EXPECT_STREQ(store.GetMessage(), "Subject: two\r\n\r\nsecond");
    EXPECT_STREQ(GetMessageSubject(store.GetMimeMessage()), "two");
    EXPECT_NE(store.MoveNext(0, 1), S_OK);

    ASSERT_EQ(store.MoveLast(1), S_OK);
    EXPECT_EQ(store.m_EmailsID, nSecond);
    EXPECT_TRUE(store.GetMessage().IsEmpty()) << "a released stream is not read";
}

TEST_F(MessageStoreTest, GetMessageReturnsALargeTextWithANulInsideWhole)
{
    std::string text = "Subject: big\r\n\r\n";
    while (text.size() < 3 * 1024 * 1024)
        text += "0123456789abcdefghijklmnopqrstuvwxyz line of a long message body\r\n";
    text[600000] = '\0'; // inside the second chunk of the read
    text += "the end";
    LONG nID = Insert(m_nInbox, text);

    CEmailsImpl<> store(m_db.Session());
    store.SelectByID(nID, NULL);
    CString strText = store.GetMessage();
    ASSERT_EQ((size_t)strText.GetLength(), text.size());
    EXPECT_EQ(std::string((const char*)strText, strText.GetLength()), text);
}

TEST(MessageTextTest, ReadStreamPassesAFailedReadOnInsteadOfEndingTheText)
{
    const std::string text = BigMessage("cut");
    CFailingStream failing(text, 2);
    CString strText;
    EXPECT_EQ(MessageText::ReadStream(&failing, strText), STG_E_READFAULT);

    CFailingStream whole(text, 0);
    strText.Empty();
    EXPECT_EQ(MessageText::ReadStream(&whole, strText), S_OK);
    EXPECT_EQ((size_t)strText.GetLength(), text.size());
}

TEST_F(MessageStoreTest, GetMessageReadsTheRowAgainWhenItsStreamFails)
{
    const std::string text = BigMessage("first");
    LONG nID = Insert(m_nInbox, text);
    CEmailsImpl<> store(m_db.Session());
    store.OpenByFolder(m_nInbox, NULL);
    ASSERT_EQ(store.MoveNext(0, 0), S_OK);
    store.ReleaseMessageStream();
    CFailingStream failing(text, 2);
    store.m_pMessage = &failing;
    CString strText = store.GetMessage();
    EXPECT_EQ(failing.m_nRefs, 0u);
    ASSERT_EQ((size_t)strText.GetLength(), text.size());
    EXPECT_TRUE(strText == text.c_str());
    EXPECT_EQ(store.m_EmailsID, nID);
}

TEST_F(MessageStoreTest, GetMessageOfARowChangedDuringTheReadGivesItsNewTextWhole)
{
    LONG nID = Insert(m_nInbox, BigMessage("old"));
    CEmailsImpl<> store(m_db.Session());
    store.SelectByID(nID, NULL);
    store.m_strMessage.Empty();
    store.GetData(0);
    // Half a read, then the row changes under the open value: the provider aborts the rest of the read.
    char szChunk[4096];
    ULONG cbRead = 0;
    ASSERT_TRUE(SUCCEEDED(store.m_pMessage->Read(szChunk, sizeof(szChunk), &cbRead)));
    const std::string newText = BigMessage("new") + " and a longer tail";
    CString strSQL;
    strSQL.Format("UPDATE Emails SET Message = '%s' WHERE EmailsID = %ld", newText.c_str(), (long)nID);
    m_db.Exec(strSQL);

    CString strText = store.GetMessage();
    ASSERT_EQ((size_t)strText.GetLength(), newText.size());
    EXPECT_TRUE(strText == newText.c_str());
}

TEST_F(MessageStoreTest, GetMessageOfARowDeletedDuringTheReadThrowsAndKeepsNoText)
{
    LONG nID = Insert(m_nInbox, BigMessage("gone"));
    CEmailsImpl<> store(m_db.Session());
    store.SelectByID(nID, NULL);
    store.m_strMessage.Empty();
    store.GetData(0);
    char szChunk[4096];
    ULONG cbRead = 0;
    ASSERT_TRUE(SUCCEEDED(store.m_pMessage->Read(szChunk, sizeof(szChunk), &cbRead)));
    CString strSQL;
    strSQL.Format("DELETE FROM Emails WHERE EmailsID = %ld", (long)nID);
    m_db.Exec(strSQL);
    try
    {
        store.GetMessage();
        ADD_FAILURE() << "no exception";
    }
    catch (COLEDBException* pException)
    {
        CString strExpected;
        strExpected.Format("ERROR: Reading of the message failed.\r\nEmailID = %ld.", (long)nID);
        EXPECT_EQ(pException->m_strMessage.Find(strExpected), 0) << (const char*)pException->m_strMessage;
        delete pException;
    }
    EXPECT_TRUE(store.m_strMessage.IsEmpty());
}

TEST(MessageTextTest, GetHeaderFieldFindsFoldedFieldsCaseInsensitivelyAtLineStartsOnly)
{
    CEmailsImpl<> store(NULL);
    store.m_strMessage = "Received: from relay\r\n"
                         "Reply-To: reply@example.com\r\n"
                         "To: first@example.com\r\n"
                         "subject: Hello\r\n world\r\n"
                         "X-Tabbed: a\tb\r\n\t c\r\n"
                         "TO: second@example.com\r\n"
                         "Comments : blank before the colon\r\n"
                         "\r\n"
                         "To: body@example.com\r\n";
    const struct
    {
        const char* pszName;
        int nIndex;
        const char* pszValue;
    } cases[] = {
        {"Received", 0, "from relay"},
        {"To", 0, "first@example.com"},
        {"to", 1, "second@example.com"},
        {"To", 2, ""},
        {"Subject", 0, "Hello world"},
        {"X-Tabbed", 0, "a b  c"},
        {"Reply-To", 0, "reply@example.com"},
        {"Cc", 0, ""},
        {"ply-To", 0, ""},
        {"Comments", 0, "blank before the colon"},
        {"Comments:", 0, "blank before the colon"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(store.GetHeaderField(c.pszName, c.nIndex), c.pszValue) << c.pszName << " " << c.nIndex;

    store.m_strMessage = "Reply-To: r@example.com\r\nSubject: no blank line\r\nTo: last@example.com";
    EXPECT_STREQ(store.GetHeader(), store.m_strMessage);
    EXPECT_STREQ(store.GetHeaderField("To"), "last@example.com");
}

TEST(MessageTextTest, SetHeaderFieldChangesTheHeaderOnly)
{
    const struct
    {
        const char* pszText;
        const char* pszName;
        const char* pszValue;
        const char* pszResult;
    } cases[] = {
        // a body line that looks like the field is left alone
        {"\r\nFrom: a\r\nSubject: old\r\n\r\nbody\r\nSubject: quoted\r\n", "Subject:", "new",
         "\r\nFrom: a\r\nSubject: new\r\n\r\nbody\r\nSubject: quoted\r\n"},
        // absent from the header: added at its end, not taken from the body
        {"From: a\r\n\r\nbody\r\nSubject: quoted\r\n", "Subject:", "new",
         "From: a\r\nSubject: new\r\n\r\nbody\r\nSubject: quoted\r\n"},
        // continuation lines that begin with a tab belong to the field
        {"To: a@x,\r\n\tb@x\r\nFrom: c\r\n\r\nbody", "To:", "d@x", "To: d@x\r\nFrom: c\r\n\r\nbody"},
        {"From: c\r\nTo: a@x,\r\n\tb@x\r\n\r\nbody", "To:", "d@x", "From: c\r\nTo: d@x\r\n\r\nbody"},
        // any blank or tab starts a continuation line
        {"Subject: one\r\n two\r\nFrom: c\r\n\r\nbody", "Subject:", "new",
         "Subject: new\r\nFrom: c\r\n\r\nbody"},
        // the name matches whatever its case and with blanks before the colon
        {"SUBJECT: old\r\n\r\nbody", "Subject:", "new", "Subject: new\r\n\r\nbody"},
        {"From: c\r\nsubject : old\r\n", "Subject:", "new", "From: c\r\nSubject: new\r\n"},
        {"Subject-Line: keep\r\n\r\nbody", "Subject:", "new",
         "Subject-Line: keep\r\nSubject: new\r\n\r\nbody"},
        // no blank line at all
        {"From: c", "To:", "d@x", "From: c\r\nTo: d@x"},
    };
    for (const auto& c : cases)
    {
        CEmailsImpl<> store(NULL);
        store.m_strMessage = c.pszText;
        store.SetHeaderField(c.pszName, c.pszValue);
        EXPECT_STREQ(store.m_strMessage, c.pszResult) << c.pszText;
    }
}

TEST(MessageTextTest, SaveMessageToFileDropsTheLeadingLineBreak)
{
    char szFolder[MAX_PATH];
    GetTempPathA(MAX_PATH, szFolder);
    CString strPath = CString(szFolder) + "store-saved.eml";
    const struct
    {
        const char* pszText;
        const char* pszFile;
    } cases[] = {
        {"\r\nSubject: a\r\n\r\nbody", "Subject: a\r\n\r\nbody"},
        {"Subject: b\r\n\r\nbody", "Subject: b\r\n\r\nbody"},
        {"\r\n\r\nbody", "\r\nbody"},
    };
    for (const auto& c : cases)
    {
        CEmailsImpl<> store(NULL);
        store.m_strMessage = c.pszText;
        store.SaveMessageToFile(strPath);
        EXPECT_EQ(ReadFile(strPath), c.pszFile);
    }
    DeleteFileA(strPath);
}

TEST(LocalDatabaseTest, HandsOutItsFoldersAndMessageStoreByExactName)
{
    CDatabaseLocal database(NULL);
    const struct
    {
        const char* pszName;
        void* pExpected;
    } cases[] = {
        {"Folders", &database.m_Folders},
        {"Emails", &database.m_Emails},
        {"emails", NULL},
    };
    for (const auto& c : cases)
    {
        void* pResult = NULL;
        database.OnGetTable(pResult, c.pszName, NULL);
        EXPECT_EQ(pResult, c.pExpected) << c.pszName;
    }
}
