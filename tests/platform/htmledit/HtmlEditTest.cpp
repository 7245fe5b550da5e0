// The editor control in a window: its fixed HTML form, commands on selections, statuses and errors, events,
// the dirty flag, the clipboard, text ranges and the availability switch.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/htmledit/HtmlEditParams.h"
#include "platform/htmledit/HtmlEditRich.h"
#include "tests/platform/htmledit/HtmlEditHost.h"
#include "tests/support/DialogResponder.h"
#include "tests/support/Screenshot.h"
#include "ui/compose/SignatureHtml.h"

namespace
{
class HtmlEditTest : public HtmlEditHostTest
{
protected:
    std::string Clipboard(UINT format)
    {
        std::string text;
        if (!::OpenClipboard(m_hHost))
            return text;
        HANDLE h = ::GetClipboardData(format);
        if (h && format == CF_UNICODETEXT)
            text = Utf8(static_cast<const wchar_t*>(::GlobalLock(h)));
        else if (h)
            text = static_cast<const char*>(::GlobalLock(h));
        if (h)
            ::GlobalUnlock(h);
        ::CloseClipboard();
        return text;
    }

    void PutClipboard(UINT format, const void* data, size_t size)
    {
        ASSERT_TRUE(::OpenClipboard(m_hHost));
        ::EmptyClipboard();
        HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        memcpy(::GlobalLock(h), data, size);
        ::GlobalUnlock(h);
        ::SetClipboardData(format, h);
        ::CloseClipboard();
    }

    static UINT HtmlFormat() { return ::RegisterClipboardFormatW(L"HTML Format"); }
};

// The compose code's view of the control.
class CEditorCommands : public CDHTMLEditCommands
{
public:
    explicit CEditorCommands(IDHTMLEdit* pEdit) : m_pEdit(pEdit) {}
    HRESULT QueryStatus(long nCommand, long* pnStatus) override { return m_pEdit->QueryStatus(nCommand, pnStatus); }
    HRESULT ExecCommand(long nCommand, long nOption) override { return m_pEdit->ExecCommand(nCommand, nOption, nullptr); }

private:
    IDHTMLEdit* m_pEdit;
};
}

TEST_F(HtmlEditTest, WritesTheFixedFormWithTheLoadedHeadAndEntitiesForNoBreakSpaces)
{
    Put("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\"><title>T &amp; x</title>"
        "<script>alert(1)</script></head><body bgcolor=white><p>One&nbsp;two</p><div></div><div>&nbsp;</div>"
        "<h2 align=center>Head</h2></body></html>");
    EXPECT_EQ("<HTML><HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\"><TITLE>T &amp; "
              "x</TITLE></HEAD>\r\n<BODY><P>One&nbsp;two</P><DIV>&nbsp;</DIV><H2 align=\"center\">Head</H2></BODY>"
              "</HTML>",
              Get());
    EXPECT_EQ(std::string::npos, Get().find("\xC2\xA0"));
}

TEST_F(HtmlEditTest, DropsScriptsEventHandlersAndJavascriptLinks)
{
    Put("<body onload=\"x()\"><div onclick=\"y()\">a <a href=\" javascript:alert(1)\">b</a> "
        "<a href=\"http://example.org/\" onmouseover=\"z()\">c</a><style>p{color:red}</style>"
        "<script>document.write('d')</script></div></body>");
    EXPECT_EQ("<DIV>a b <A href=\"http://example.org/\">c</A></DIV>", Body());
}

TEST_F(HtmlEditTest, CommandsOnSelectionsGiveTheExpectedHtml)
{
    struct Case
    {
        const char* html;
        LONG start, end;
        long cmd;
        const wchar_t* arg;
        const char* body;
    } cases[] = {
        {"<div>one two</div>", 0, 3, DECMD_BOLD, nullptr, "<DIV><B>one</B> two</DIV>"},
        {"<div><b>one</b> two</div>", 0, 3, DECMD_BOLD, nullptr, "<DIV>one two</DIV>"},
        {"<div>one two</div>", 4, 7, DECMD_ITALIC, nullptr, "<DIV>one <I>two</I></DIV>"},
        {"<div>one two</div>", 0, 3, DECMD_UNDERLINE, nullptr, "<DIV><U>one</U> two</DIV>"},
        {"<div>one</div><div>two</div>", 0, 5, DECMD_ORDERLIST, nullptr, "<OL><LI>one</LI><LI>two</LI></OL>"},
        {"<div>one</div>", 0, 0, DECMD_UNORDERLIST, nullptr, "<UL><LI>one</LI></UL>"},
        {"<ul><li>one</li></ul>", 0, 0, DECMD_UNORDERLIST, nullptr, "<DIV>one</DIV>"},
        {"<div>one</div>", 0, 0, DECMD_INDENT, nullptr, "<BLOCKQUOTE><DIV>one</DIV></BLOCKQUOTE>"},
        {"<blockquote><div>one</div></blockquote>", 0, 0, DECMD_OUTDENT, nullptr, "<DIV>one</DIV>"},
        {"<div>one</div>", 0, 0, DECMD_JUSTIFYCENTER, nullptr, "<DIV align=\"center\">one</DIV>"},
        {"<div>one</div>", 0, 0, DECMD_JUSTIFYRIGHT, nullptr, "<DIV align=\"right\">one</DIV>"},
        {"<div>one two</div>", 0, 3, DECMD_SETFONTNAME, L"Arial", "<DIV><FONT face=\"Arial\">one</FONT> two</DIV>"},
        {"<div>one two</div>", 0, 3, DECMD_SETFORECOLOR, L"#FF0000", "<DIV><FONT color=\"#FF0000\">one</FONT> two</DIV>"},
        {"<div>one two</div>", 0, 3, DECMD_SETBACKCOLOR, L"#00ff00",
         "<DIV><SPAN style=\"background-color: #00FF00\">one</SPAN> two</DIV>"},
        {"<div>one</div>", 0, 0, DECMD_SETBLOCKFMT, L"Heading 1", "<H1>one</H1>"},
        {"<div>one</div>", 0, 0, DECMD_SETBLOCKFMT, L"Formatted", "<PRE>one</PRE>"},
        {"<h3>one</h3>", 0, 0, DECMD_SETBLOCKFMT, L"normal", "<DIV>one</DIV>"},
        {"<div>one</div>", 0, 0, DECMD_SETBLOCKFMT, L"Numbered List", "<OL><LI>one</LI></OL>"},
        {"<div><a href=\"http://a/\">one</a> two</div>", 0, 3, DECMD_UNLINK, nullptr, "<DIV>one two</DIV>"},
        {"<div>one two</div>", 4, 7, DECMD_HYPERLINK, L"http://b/", "<DIV>one <A href=\"http://b/\">two</A></DIV>"},
        {"<div>one two</div>", 0, 4, DECMD_DELETE, nullptr, "<DIV>two</DIV>"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.html);
        Put(c.html);
        Select(c.start, c.end);
        CComVariant arg;
        if (c.arg)
            arg = c.arg;
        EXPECT_EQ(S_OK, m_pEdit->ExecCommand(c.cmd, DECMD_OPT_DONTPROMPTUSER, c.arg ? &arg : nullptr));
        EXPECT_EQ(c.body, Body());
    }
}

TEST_F(HtmlEditTest, FontSizeStepsFollowTheToolbar)
{
    Put("<div>one two</div>");
    Select(0, 3);
    CComVariant size(6L);
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_SETFONTSIZE, DECMD_OPT_DONTPROMPTUSER, &size));
    EXPECT_EQ("<DIV><FONT size=\"6\">one</FONT> two</DIV>", Body());
    CComVariant got;
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_GETFONTSIZE, DECMD_OPT_DONTPROMPTUSER, &got));
    EXPECT_EQ(VT_I4, got.vt);
    EXPECT_EQ(6, got.lVal);
    CComVariant tooBig(8L);
    EXPECT_EQ(E_INVALIDARG, m_pEdit->ExecCommand(DECMD_SETFONTSIZE, DECMD_OPT_DONTPROMPTUSER, &tooBig));
}

TEST_F(HtmlEditTest, ValueCommandsAnswerForTheSelection)
{
    Put("<div><font face=\"Arial\" color=\"#112233\">one</font></div><h2>two</h2>");
    Select(0, 2);
    CComVariant face, color, block;
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_GETFONTNAME, DECMD_OPT_DONTPROMPTUSER, &face));
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_GETFORECOLOR, DECMD_OPT_DONTPROMPTUSER, &color));
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_GETBLOCKFMT, DECMD_OPT_DONTPROMPTUSER, &block));
    EXPECT_STREQ(L"Arial", face.bstrVal);
    EXPECT_STREQ(L"#112233", color.bstrVal);
    EXPECT_STREQ(L"Normal", block.bstrVal);
    Select(5, 5);
    block.Clear();
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_GETBLOCKFMT, DECMD_OPT_DONTPROMPTUSER, &block));
    EXPECT_STREQ(L"Heading 2", block.bstrVal);

    CComPtr<IHtmlEditBlockFormatNames> names;
    ASSERT_EQ(S_OK, CreateHtmlEditBlockFormatNames(&names));
    CComVariant param(static_cast<IUnknown*>(names));
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_GETBLOCKFMTNAMES, DECMD_OPT_DONTPROMPTUSER, &param));
    CComVariant list;
    ASSERT_EQ(S_OK, names->get_Names(&list));
    ASSERT_EQ(VT_ARRAY | VT_BSTR, list.vt);
    LONG upper = 0;
    ::SafeArrayGetUBound(list.parray, 1, &upper);
    ASSERT_EQ(9, upper);
    const wchar_t* expected[] = {L"Normal",    L"Formatted", L"Heading 1",     L"Heading 2",    L"Heading 3",
                                 L"Heading 4", L"Heading 5", L"Heading 6", L"Numbered List", L"Bulleted List"};
    for (LONG i = 0; i <= upper; ++i)
    {
        BSTR name = nullptr;
        ::SafeArrayGetElement(list.parray, &i, &name);
        EXPECT_STREQ(expected[i], name);
        ::SysFreeString(name);
    }
}

TEST_F(HtmlEditTest, StatusesLatchMixAndDisable)
{
    Put("<div><b>bold</b> plain</div>");
    Select(1, 2);
    EXPECT_EQ(DECMDF_LATCHED, Status(DECMD_BOLD));
    Select(1, 7);
    EXPECT_EQ(DECMDF_ENABLED, Status(DECMD_BOLD));  // mixed
    Select(6, 7);
    EXPECT_EQ(DECMDF_ENABLED, Status(DECMD_BOLD));
    EXPECT_EQ(DECMDF_LATCHED, Status(DECMD_JUSTIFYLEFT));
    for (long cmd : {DECMD_INSERTROW, DECMD_DELETEROWS, DECMD_INSERTCOL, DECMD_MERGECELLS, DECMD_SPLITCELL})
        EXPECT_EQ(DECMDF_DISABLED, Status(cmd)) << cmd;
    EXPECT_EQ(DECMDF_NOTSUPPORTED, Status(4999));
    Select(3, 3);
    EXPECT_EQ(DECMDF_DISABLED, Status(DECMD_COPY));
    EXPECT_EQ(DECMDF_DISABLED, Status(DECMD_CUT));
    Select(0, 3);
    EXPECT_EQ(DECMDF_ENABLED, Status(DECMD_COPY));
}

TEST_F(HtmlEditTest, ErrorsAreTheControlsOwn)
{
    Put("<div>x</div>");
    EXPECT_EQ(DE_E_INVALIDCOMMAND, m_pEdit->ExecCommand(4999, DECMD_OPT_DONTPROMPTUSER, nullptr));
    CComVariant bad(L"red");
    EXPECT_EQ(E_INVALIDARG, m_pEdit->ExecCommand(DECMD_SETFORECOLOR, DECMD_OPT_DONTPROMPTUSER, &bad));
    CComVariant unknown(L"Heading 9");
    EXPECT_EQ(E_INVALIDARG, m_pEdit->ExecCommand(DECMD_SETBLOCKFMT, DECMD_OPT_DONTPROMPTUSER, &unknown));
    EXPECT_EQ(E_INVALIDARG, m_pEdit->ExecCommand(DECMD_INSERTTABLE, DECMD_OPT_DONTPROMPTUSER, nullptr));

    CComPtr<IDHTMLEdit> orphan = m_pEdit;
    m_events.DispEventUnadvise(m_pEdit);
    m_bAdvised = false;
    ::DestroyWindow(m_hHost);
    m_hHost = nullptr;
    long status = 0;
    EXPECT_EQ(E_UNEXPECTED, orphan->QueryStatus(DECMD_BOLD, &status));
    EXPECT_EQ(E_UNEXPECTED, orphan->ExecCommand(DECMD_BOLD, DECMD_OPT_DONTPROMPTUSER, nullptr));
    CComBSTR html;
    EXPECT_EQ(E_UNEXPECTED, orphan->get_DocumentHTML(&html));
}

TEST_F(HtmlEditTest, ComposeCommandHelperRunsOverTheControl)
{
    Put("<div>word</div>");
    CEditorCommands editor(m_pEdit);
    Select(0, 4);
    ExecDHTMLCommand(editor, DECMD_BOLD, OLECMDEXECOPT_DONTPROMPTUSER_);
    EXPECT_EQ("<DIV><B>word</B></DIV>", Body());
    // A latched command still runs.
    ExecDHTMLCommand(editor, DECMD_BOLD, OLECMDEXECOPT_DONTPROMPTUSER_);
    EXPECT_EQ("<DIV>word</DIV>", Body());
    try
    {
        ExecDHTMLCommand(editor, 4999, OLECMDEXECOPT_DONTPROMPTUSER_);
    }
    catch (const char*)
    {
        ADD_FAILURE() << "an unknown command's status is 0, so nothing runs and nothing is thrown";
    }
}

TEST_F(HtmlEditTest, TablesInsertAndGrowByRows)
{
    Put("<div>x</div>");
    Select(1, 1);
    EXPECT_EQ(DECMDF_ENABLED, Status(DECMD_INSERTTABLE));
    CComPtr<IHtmlEditTableParam> param;
    ASSERT_EQ(S_OK, CreateHtmlEditTableParam(&param));
    param->put_NumRows(2);
    param->put_NumCols(2);
    param->put_TableAttrs(CComBSTR(L"BORDER=1 BGCOLOR=black"));
    param->put_CellAttrs(CComBSTR(L"BGCOLOR=white"));
    CComVariant arg(static_cast<IUnknown*>(param));
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_INSERTTABLE, 0, &arg));
    const std::string cell = "<TD bgcolor=\"white\">&nbsp;</TD>";
    const std::string row = "<TR>" + cell + cell + "</TR>";
    EXPECT_EQ("<DIV>x</DIV><TABLE border=\"1\" bgcolor=\"black\"><TBODY>" + row + row + "</TBODY></TABLE><DIV>&nbsp;</DIV>",
              Body());
    Select(2, 2);
    EXPECT_EQ(DECMDF_ENABLED, Status(DECMD_INSERTROW));
    EXPECT_EQ(DECMDF_DISABLED, Status(DECMD_INSERTTABLE));
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_INSERTROW, DECMD_OPT_DONTPROMPTUSER, nullptr));
    EXPECT_EQ("<DIV>x</DIV><TABLE border=\"1\" bgcolor=\"black\"><TBODY>" + row + row + row +
                  "</TBODY></TABLE><DIV>&nbsp;</DIV>",
              Body());
}

TEST_F(HtmlEditTest, ColumnsAndCellsGrowAndShrinkAtTheCaret)
{
    // A 2x3 table "a b c / d e f"; the caret in the cell named, then the table as written and the cell the
    // caret is in afterwards (its text, or "" for a new cell).
    struct Case
    {
        long cmd;
        const char* at;
        const char* rows;
        const char* caretBefore;  // the text just after the caret
    };
    const Case cases[] = {
        {DECMD_INSERTCOL, "b", "a b _ c|d e _ f", "\tc"},
        {DECMD_INSERTCOL, "f", "a b c _|d e f _", ""},
        {DECMD_DELETECOLS, "b", "a c|d f", "c"},
        {DECMD_DELETECOLS, "c", "a b|d e", "b"},
        {DECMD_INSERTCELL, "e", "a b c|d e _ f", "\tf"},
        {DECMD_DELETECELLS, "a", "b c|d e f", "b"},
        {DECMD_DELETECELLS, "f", "a b c|d e", "e"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.cmd) + " at " + c.at);
        Put("<div>x</div><table><tr><td>a</td><td>b</td><td>c</td></tr><tr><td>d</td><td>e</td><td>f</td></tr>"
            "</table><div>y</div>");
        const std::u16string text = htmledit::RichText(m_hRich);
        const LONG at = static_cast<LONG>(text.find(static_cast<char16_t>(c.at[0])));
        Select(at, at);
        for (long cmd : {DECMD_INSERTCOL, DECMD_DELETECOLS, DECMD_INSERTCELL, DECMD_DELETECELLS})
            EXPECT_EQ(DECMDF_ENABLED, Status(cmd)) << cmd;
        EXPECT_EQ(DECMDF_DISABLED, Status(DECMD_MERGECELLS));
        ASSERT_EQ(S_OK, m_pEdit->ExecCommand(c.cmd, DECMD_OPT_DONTPROMPTUSER, nullptr));
        std::string expected = "<DIV>x</DIV><TABLE><TBODY><TR>";
        for (const char* p = c.rows; *p; ++p)
        {
            if (*p == '|')
                expected += "</TR><TR>";
            else if (*p == '_')
                expected += "<TD>&nbsp;</TD>";
            else if (*p != ' ')
                expected += std::string("<TD>") + *p + "</TD>";
        }
        EXPECT_EQ(expected + "</TR></TBODY></TABLE><DIV>y</DIV>", Body());
        CHARRANGE sel = {};
        ::SendMessageW(m_hRich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
        const std::string after(c.caretBefore);
        EXPECT_EQ(std::u16string(after.begin(), after.end()),
                  htmledit::RichText(m_hRich).substr(static_cast<size_t>(sel.cpMin), after.size()));
    }

    // The only cell of a row goes with the row; the only column with the table.
    Put("<div>x</div><table><tr><td>a</td></tr><tr><td>b</td></tr></table><div>y</div>");
    Select(2, 2);
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_DELETECELLS, DECMD_OPT_DONTPROMPTUSER, nullptr));
    EXPECT_EQ("<DIV>x</DIV><TABLE><TBODY><TR><TD>b</TD></TR></TBODY></TABLE><DIV>y</DIV>", Body());
    Select(2, 2);
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_DELETECOLS, DECMD_OPT_DONTPROMPTUSER, nullptr));
    EXPECT_EQ("<DIV>x</DIV><DIV>y</DIV>", Body());
}

TEST_F(HtmlEditTest, PromptsAskTheUserAndTakeTheAnswer)
{
    struct Case
    {
        long cmd;
        const char* caption;
        const char* answer;
        int button;
        const char* body;
        CHARRANGE sel;  // after the command
    };
    const Case cases[] = {
        {DECMD_HYPERLINK, "Hyperlink", "http://example.org/", IDOK,
         "<DIV>one <A href=\"http://example.org/\">two</A></DIV>", {4, 7}},
        {DECMD_HYPERLINK, "Hyperlink", "http://example.org/", IDCANCEL, "<DIV>one two</DIV>", {4, 7}},
        {DECMD_IMAGE, "Picture", "cid:logo", IDOK, "<DIV>one <IMG src=\"cid:logo\"></DIV>", {5, 5}},
        {DECMD_IMAGE, "Picture", "", IDOK, "<DIV>one two</DIV>", {4, 7}},
        {DECMD_FINDTEXT, "Find", "two", IDOK, "<DIV>one two</DIV>", {4, 7}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.caption) + " " + c.answer);
        Put("<div>one two</div>");
        if (c.cmd == DECMD_FINDTEXT)
            Select(0, 0);
        else
            Select(4, 7);
        std::string caption;
        CDialogResponder responder(::GetCurrentThreadId(), [&](HWND hDlg) {
            char text[64] = "";
            ::GetWindowTextA(hDlg, text, sizeof(text));
            caption = text;
            return CDialogResponder::SetField(hDlg, 100, c.answer) && CDialogResponder::Press(hDlg, c.button);
        });
        ASSERT_EQ(S_OK, m_pEdit->ExecCommand(c.cmd, DECMD_OPT_PROMPTUSER, nullptr));
        EXPECT_EQ(c.caption, caption);
        EXPECT_EQ(c.body, Body());
        CHARRANGE sel = {};
        ::SendMessageW(m_hRich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
        EXPECT_EQ(c.sel.cpMin, sel.cpMin);
        EXPECT_EQ(c.sel.cpMax, sel.cpMax);
    }
}

TEST_F(HtmlEditTest, DocumentCompleteComesOnceAfterEachLoadNeverInsideIt)
{
    const int before = m_events.m_complete;
    CComBSTR html(L"<div>a</div>");
    ASSERT_EQ(S_OK, m_pEdit->put_DocumentHTML(html));
    ASSERT_EQ(S_OK, m_pEdit->NewDocument());
    EXPECT_EQ(before, m_events.m_complete);
    ASSERT_TRUE(WaitFor([&] { return m_events.m_complete == before + 2; }));
    // Nothing more arrives: drain with a message of our own posted behind.
    bool drained = false;
    ::PostMessageW(m_hEdit, WM_NULL, 0, 0);
    WaitFor([&] { drained = true; return false; }, 200);
    EXPECT_TRUE(drained);
    EXPECT_EQ(before + 2, m_events.m_complete);
}

TEST_F(HtmlEditTest, LoadDocumentReadsTheFileInItsCharset)
{
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "htmledit-load-" + std::to_string(::GetCurrentProcessId()) + ".htm";
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string bytes = "<html><head><meta http-equiv=Content-Type content=\"text/html; charset=koi8-r\"></head>"
                              "<body><div>\xF0\xD2\xC9\xD7\xC5\xD4</div></body></html>";
    DWORD written = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(h);
    const int before = m_events.m_complete;
    CComVariant file(Wide(path).c_str());
    ASSERT_EQ(S_OK, m_pEdit->LoadDocument(&file, nullptr));
    ASSERT_TRUE(WaitFor([&] { return m_events.m_complete > before; }));
    EXPECT_EQ(L"\u041F\u0440\u0438\u0432\u0435\u0442", m_pControl->PlainText());
    ::DeleteFileA(path.c_str());
    CComVariant missing(L"C:\\no\\such\\file.htm");
    EXPECT_EQ(E_INVALIDARG, m_pEdit->LoadDocument(&missing, nullptr));
}

TEST_F(HtmlEditTest, DisplayChangedFollowsASelectionMoveCoalesced)
{
    Put("<div>one two three</div>");
    WaitFor([] { return false; }, 100);
    const int before = m_events.m_displayChanged;
    Select(0, 1);
    Select(0, 2);
    Select(0, 3);
    ASSERT_TRUE(WaitFor([&] { return m_events.m_displayChanged > before; }));
    WaitFor([] { return false; }, 100);
    EXPECT_EQ(before + 1, m_events.m_displayChanged);
}

TEST_F(HtmlEditTest, ContextMenuEventCarriesClientCoordinates)
{
    Put("<div>text</div>");
    POINT screen = {30, 40};
    ::ClientToScreen(m_hRich, &screen);
    ::SendMessageW(m_hRich, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hRich), MAKELPARAM(screen.x, screen.y));
    ASSERT_EQ(1u, m_events.m_menus.size());
    EXPECT_EQ(30, m_events.m_menus[0].x);
    EXPECT_EQ(40, m_events.m_menus[0].y);
}

TEST_F(HtmlEditTest, DirtyOnlyAfterAUserEdit)
{
    Put("<div>abc</div>");
    VARIANT_BOOL dirty = VARIANT_TRUE;
    ASSERT_EQ(S_OK, m_pEdit->get_IsDirty(&dirty));
    EXPECT_EQ(VARIANT_FALSE, dirty);
    CComBSTR html;
    m_pEdit->get_DocumentHTML(&html);  // reading is no edit
    m_pEdit->get_IsDirty(&dirty);
    EXPECT_EQ(VARIANT_FALSE, dirty);
    Select(3, 3);
    ::SendMessageW(m_hRich, WM_CHAR, 'd', 0);
    m_pEdit->get_IsDirty(&dirty);
    EXPECT_EQ(VARIANT_TRUE, dirty);
    ASSERT_EQ(S_OK, m_pEdit->NewDocument());
    m_pEdit->get_IsDirty(&dirty);
    EXPECT_EQ(VARIANT_FALSE, dirty);
}

TEST_F(HtmlEditTest, EnterMakesAParagraphShiftEnterALineBreak)
{
    Put("<div>ab</div>");
    Select(1, 1);
    ::SendMessageW(m_hRich, WM_KEYDOWN, VK_RETURN, 0);
    ::SendMessageW(m_hRich, WM_CHAR, '\r', 0);
    EXPECT_EQ("<DIV>a</DIV><DIV>b</DIV>", Body());
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    ::SendMessageW(m_hRich, WM_KEYDOWN, VK_RETURN, 0);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ("<DIV>a</DIV><DIV><BR>b</DIV>", Body());
}

TEST_F(HtmlEditTest, CopyOfABoldWordGivesTextAndHtmlFormat)
{
    Put("<div>a <b>bold</b> word</div>");
    Select(2, 6);
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_COPY, DECMD_OPT_DONTPROMPTUSER, nullptr));
    EXPECT_EQ("bold", Clipboard(CF_UNICODETEXT));
    EXPECT_EQ("bold", Clipboard(CF_TEXT));
    const std::string format = Clipboard(HtmlFormat());
    auto offset = [&](const char* name) {
        const size_t at = format.find(name);
        return at == std::string::npos ? std::string::npos : std::stoul(format.substr(at + strlen(name) + 1, 10));
    };
    const size_t startHtml = offset("StartHTML"), endHtml = offset("EndHTML");
    const size_t startFragment = offset("StartFragment"), endFragment = offset("EndFragment");
    ASSERT_EQ(format.size(), endHtml);
    EXPECT_EQ("<HTML>", format.substr(startHtml, 6));
    EXPECT_EQ("<DIV><B>bold</B></DIV>", format.substr(startFragment, endFragment - startFragment));
}

TEST_F(HtmlEditTest, PastesTheSignatureClipboardTextOfTheComposeCode)
{
    Put("<div>x</div>");
    // Its EndHTML points two bytes past the data: the fragment is still found.
    const CString text = BuildHtmlClipboardText("<DIV>sig <B>bold</B></DIV>");
    PutClipboard(HtmlFormat(), static_cast<const char*>(text), text.GetLength() + 1);
    Select(1, 1);
    EXPECT_EQ(DECMDF_ENABLED, Status(DECMD_PASTE));
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_PASTE, OLECMDEXECOPT_DONTPROMPTUSER_, nullptr));
    EXPECT_EQ("<DIV>xsig <B>bold</B></DIV>", Body());
}

TEST_F(HtmlEditTest, FilesAndBitmapsPasteNothing)
{
    Put("<div>x</div>");
    const char drop[64] = {20, 0, 0, 0};
    PutClipboard(CF_HDROP, drop, sizeof(drop));
    Select(1, 1);
    EXPECT_EQ(DECMDF_DISABLED, Status(DECMD_PASTE));
    m_pEdit->ExecCommand(DECMD_PASTE, DECMD_OPT_DONTPROMPTUSER, nullptr);
    ::SendMessageW(m_hRich, WM_PASTE, 0, 0);
    EXPECT_EQ("<DIV>x</DIV>", Body());

    HDC hScreen = ::GetDC(nullptr);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, 8, 8);
    ::ReleaseDC(nullptr, hScreen);
    ASSERT_TRUE(::OpenClipboard(m_hHost));
    ::EmptyClipboard();
    ::SetClipboardData(CF_BITMAP, hBitmap);
    ::CloseClipboard();
    ::SendMessageW(m_hRich, WM_PASTE, 0, 0);
    ::SendMessageW(m_hRich, EM_PASTESPECIAL, CF_BITMAP, 0);
    EXPECT_EQ("<DIV>x</DIV>", Body());
}

TEST_F(HtmlEditTest, DirectCallsLeaveTheClipboardAlone)
{
    const std::wstring mine = L"keep me";
    PutClipboard(CF_UNICODETEXT, mine.c_str(), (mine.size() + 1) * sizeof(wchar_t));
    const DWORD sequence = ::GetClipboardSequenceNumber();
    Put("<div>one, x</div>");
    Select(5, 5);
    ASSERT_TRUE(m_pControl->InsertHtml(L"<b>two</b>"));
    ASSERT_TRUE(m_pControl->InsertText(L" three "));
    EXPECT_EQ("<DIV>one, <B>two three </B>x</DIV>", m_pControl->BodyFragmentUtf8());
    EXPECT_EQ(L"one, two three x", m_pControl->PlainText());
    ASSERT_TRUE(m_pControl->SetPlainTextDocument(L"a < b\r\n\r\nc"));
    EXPECT_EQ("<DIV>a &lt; b</DIV><DIV>&nbsp;</DIV><DIV>c</DIV>", m_pControl->BodyFragmentUtf8());
    EXPECT_EQ(sequence, ::GetClipboardSequenceNumber());
    EXPECT_EQ("keep me", Clipboard(CF_UNICODETEXT));
}

TEST_F(HtmlEditTest, WordWalkTakesTrailingSeparatorsAndReplacingKeepsFormats)
{
    Put("<div>Helo, <b>wrld</b>! ok</div>");
    CComPtr<IHtmlEditDocument> dom;
    ASSERT_EQ(S_OK, m_pEdit->get_DOM(&dom));
    CComPtr<IHtmlEditRange> range;
    ASSERT_EQ(S_OK, dom->CreateBodyRange(&range));
    ASSERT_EQ(S_OK, range->collapse(VARIANT_TRUE));
    std::vector<std::wstring> words;
    CComBSTR unit(L"word");
    for (int i = 0; i < 10; ++i)
    {
        long moved = 0;
        ASSERT_EQ(S_OK, range->moveEnd(unit, 1, &moved));
        if (!moved)
            break;
        CComBSTR text;
        ASSERT_EQ(S_OK, range->get_text(&text));
        words.push_back(text.m_str ? text.m_str : L"");
        if (words.back() == L"wrld! ")
        {
            ASSERT_EQ(S_OK, range->put_text(CComBSTR(L"world! ")));
        }
        range->collapse(VARIANT_FALSE);
    }
    const std::vector<std::wstring> expected = {L"Helo, ", L"wrld! ", L"ok"};
    EXPECT_EQ(expected, words);
    EXPECT_EQ("<DIV>Helo, <B>world! </B>ok</DIV>", Body());
}

TEST_F(HtmlEditTest, ScreenshotAfterTypingAndBold)
{
    ASSERT_EQ(S_OK, m_pEdit->NewDocument());
    for (wchar_t c : std::wstring(L"Hello "))
        ::SendMessageW(m_hRich, WM_CHAR, c, 0);
    ASSERT_EQ(S_OK, m_pEdit->ExecCommand(DECMD_BOLD, DECMD_OPT_DONTPROMPTUSER, nullptr));
    for (wchar_t c : std::wstring(L"bold"))
        ::SendMessageW(m_hRich, WM_CHAR, c, 0);
    EXPECT_EQ("<DIV>Hello <B>bold</B></DIV>", Body());
    ::UpdateWindow(m_hHost);
    EXPECT_FALSE(SaveWindowScreenshot(m_hHost, "htmledit-typed-bold").empty());
}

TEST(HtmlEditAvailability, TheTestSwitchTurnsTheEditorOff)
{
    EXPECT_TRUE(CHtmlEdit::Available());
    CHtmlEdit::SetAvailable(false);
    EXPECT_FALSE(CHtmlEdit::Available());
    CHtmlEdit::SetAvailable(true);
    EXPECT_TRUE(CHtmlEdit::Available());
}

