// Signatures: the table and its reading, the HTML form, the clipboard text that pastes it and the
// editor's command runner.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ComposeTestStore.h"
#include "foundation/SequentialStream.h"
#include "store/TableSchema.h"
#include "ui/compose/SignatureHtml.h"
#include "ui/compose/SignaturesTable.h"

namespace
{
class SignaturesTest : public ComposeStoreTest
{
protected:
    void StoreSignature(const std::string& strText)
    {
        CSignaturesTable table(LocalSession());
        table.Open(NULL);
        CSequentialStream stream;
        ULONG nWritten = 0;
        stream.Write(strText.data(), (ULONG)strText.size(), &nWritten);
        table.m_pSignatureText = &stream;
        table.m_SignatureLength = strText.size();
        table.m_SignatureStatus = DBSTATUS_S_OK;
        ASSERT_EQ(S_OK, table.Insert(1));
        table.m_pSignatureText = NULL;
    }
};

TEST_F(SignaturesTest, AMissingTableIsMadeAndReadsEmpty)
{
    EXPECT_FALSE(TableExists(LocalSession(), "Signatures"));
    CSignaturesTable table(LocalSession());
    EXPECT_EQ("", std::string(table.ReadSignature(NULL)));
    EXPECT_TRUE(TableExists(LocalSession(), "Signatures"));
    std::vector<std::string> columns = ColumnNames(*LocalSession(), "Signatures");
    EXPECT_EQ((std::vector<std::string>{"ID", "SignatureText"}), columns);
}

TEST_F(SignaturesTest, TheFirstRowIsReadWholeInChunks)
{
    std::string strLong;
    for (int i = 0; strLong.size() < 1200000; i++)
        strLong += "line " + std::to_string(i) + " of a long signature\r\n";
    StoreSignature(strLong);
    StoreSignature("second row, never used");
    CSignaturesTable table(LocalSession());
    CString strRead = table.ReadSignature(NULL);
    EXPECT_EQ(strLong.size(), (size_t)strRead.GetLength());
    EXPECT_TRUE(strLong == std::string(strRead, strRead.GetLength()));
    // A second read through the same object: the table is not checked or made again.
    EXPECT_EQ(strLong.size(), (size_t)table.ReadSignature(NULL).GetLength());
}

TEST_F(SignaturesTest, ABrokenTableIsReportedByItsCheck)
{
    Exec("CREATE TABLE Signatures (ID COUNTER, Other INTEGER)");
    CSignaturesTable table(LocalSession());
    try
    {
        table.ReadSignature(NULL);
        ADD_FAILURE();
    }
    catch (const char* pszText)
    {
        EXPECT_NE(std::string::npos, std::string(pszText).find("Signatures")) << pszText;
    }
    CSignaturesTable noSession(NULL);
    try
    {
        noSession.ReadSignature(NULL);
        ADD_FAILURE();
    }
    catch (const char* pszText)
    {
        EXPECT_STREQ("FATAL ERROR. Open Signatures table failed. No session.", pszText);
    }
}

TEST(SignatureHtmlTest, SignaturesBecomeEscapedHtml)
{
    const struct
    {
        const char* pszSignature;
        const char* pszFont;
        int nSize;
        const char* pszHtml;
    } cases[] = {
        {"Ann Lee\r\nVorn Ltd", "Arial", 2,
         "<DIV><BR></DIV><DIV><FONT face=\"Arial\" size=2>Ann Lee<BR>Vorn Ltd</FONT></DIV>"},
        {"Ann", "", -1, "<DIV><BR></DIV><DIV>Ann</FONT></DIV>"},
        {"a < b & c > d", "", -1, "<DIV><BR></DIV><DIV>a &lt; b &amp; c &gt; d</FONT></DIV>"},
        {"<script>x</script>", "", -1, "<DIV><BR></DIV><DIV>&lt;script&gt;x&lt;/script&gt;</FONT></DIV>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.pszHtml, std::string(SignatureToHtml(c.pszSignature, c.pszFont, c.nSize))) << c.pszSignature;

    std::string strLinked = (const char*)SignatureToHtml("see http://vorn.example/a?b=1&c=2", "", -1);
    EXPECT_NE(std::string::npos, strLinked.find("<A href=")) << strLinked;
    EXPECT_EQ(std::string::npos, strLinked.find("&c=2")) << strLinked;
}

TEST(SignatureHtmlTest, ClipboardTextCountsTheFragment)
{
    std::string strFragment(100, 'x');
    std::string strText = (const char*)BuildHtmlClipboardText(strFragment.c_str());
    EXPECT_NE(std::string::npos, strText.find("EndHTML:000000438\r\n"));
    EXPECT_NE(std::string::npos, strText.find("EndFragment:000000402\r\n"));
    EXPECT_NE(std::string::npos, strText.find("EndSelection:000000402\r\n"));
    // The fragment lies where the offsets say.
    EXPECT_EQ(302u, strText.find(strFragment));
    EXPECT_EQ(402u, strText.find("<!--EndFragment-->"));
    EXPECT_EQ(172u, strText.find("<!DOCTYPE"));
}

class CFakeEditor : public CDHTMLEditCommands
{
public:
    HRESULT QueryStatus(long nCommand, long* pnStatus) override
    {
        m_queried.push_back(nCommand);
        *pnStatus = m_nStatus;
        return m_hrStatus;
    }
    HRESULT ExecCommand(long nCommand, long nOption) override
    {
        m_executed.push_back(nCommand * 10 + nOption);
        return m_hrExec;
    }
    long m_nStatus = 3;
    HRESULT m_hrStatus = S_OK;
    HRESULT m_hrExec = S_OK;
    std::vector<long> m_queried, m_executed;
};

TEST(SignatureHtmlTest, EditorCommandsRunOnlyWhenEnabled)
{
    const struct
    {
        long nStatus;
        HRESULT hrStatus, hrExec;
        bool bExecuted;
        const char* pszThrown;
    } cases[] = {
        {3, S_OK, S_OK, true, NULL},
        {7, S_OK, S_OK, true, NULL},
        {1, S_OK, S_OK, false, NULL},
        {0, S_OK, S_OK, false, NULL},
        {3, (HRESULT)0x8000FFFF, S_OK, false,
         "DHTML Edit control error:\r\nControl is in an unexpected state. This error can occur if this method is "
         "invoked prior to the DocumentComplete event occurring. "},
        {3, S_OK, (HRESULT)0x80040100, true,
         "DHTML Edit control error:\r\nThe command passed in cmdID is not a valid command. "},
        {3, S_OK, (HRESULT)0x80070057, true,
         "DHTML Edit control error:\r\nInvalid argument (invalid parameter, missing parameter, or incorrect type) "},
        {3, S_OK, (HRESULT)0x80004005, true, "DHTML Edit control error:\r\nUnknown error code."},
        {3, S_FALSE, S_OK, false, "DHTML Edit control error:\r\nUnknown error code."},
    };
    for (const auto& c : cases)
    {
        CFakeEditor editor;
        editor.m_nStatus = c.nStatus;
        editor.m_hrStatus = c.hrStatus;
        editor.m_hrExec = c.hrExec;
        std::string strThrown;
        try
        {
            ExecDHTMLCommand(editor, DECMD_PASTE, OLECMDEXECOPT_DONTPROMPTUSER_);
        }
        catch (const char* pszText)
        {
            strThrown = pszText;
        }
        EXPECT_EQ(c.pszThrown != NULL ? c.pszThrown : "", strThrown) << c.nStatus << " " << c.hrStatus;
        EXPECT_EQ(c.bExecuted ? std::vector<long>{50322} : std::vector<long>{}, editor.m_executed);
        EXPECT_EQ(std::vector<long>{5032}, editor.m_queried);
    }
}
} // namespace
