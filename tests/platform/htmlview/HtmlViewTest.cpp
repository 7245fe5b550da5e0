// The HTML view control hosted in a window: navigation and reading, painting, selection and copy, find,
// links and their events, and printing through the printer seam.
#include <winsock2.h>

#include <windows.h>

#include <exdisp.h>
#include <exdispid.h>

#include <gtest/gtest.h>

#include <atlhost.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/htmlview/GdiFontMetrics.h"
#include "platform/htmlview/HtmlLinkFetch.h"
#include "platform/htmlview/HtmlView.h"
#include "tests/support/Screenshot.h"
#include "tests/support/SeamRecorder.h"
#include "tests/support/WindowReaders.h"

namespace
{
const int kViewId = 1132;

std::wstring Wide(const std::string& utf8)
{
    int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], n);
    return w;
}

std::string Utf8(const std::wstring& w)
{
    int n = ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
    return s;
}

std::string TempFolder()
{
    char path[MAX_PATH];
    ::GetTempPathA(MAX_PATH, path);
    std::string folder = std::string(path) + "htmlview-tests-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string WritePage(const std::string& name, const std::string& bytes)
{
    const std::string path = TempFolder() + "\\" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Records the events the view fires through the window layer's event sink, as its hosts receive them.
class CEventRecorder : public IDispEventImpl<kViewId, CEventRecorder, &DIID_DWebBrowserEvents2>
{
public:
    BEGIN_SINK_MAP(CEventRecorder)
    SINK_ENTRY_EX(kViewId, DIID_DWebBrowserEvents2, DISPID_STATUSTEXTCHANGE, OnStatusTextChange)
    SINK_ENTRY_EX(kViewId, DIID_DWebBrowserEvents2, DISPID_DOWNLOADCOMPLETE, OnDownloadComplete)
    END_SINK_MAP()

    HRESULT STDMETHODCALLTYPE OnStatusTextChange(BSTR bstrText)
    {
        m_statusTexts.push_back(Utf8(bstrText ? bstrText : L""));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDownloadComplete()
    {
        ++m_downloads;
        return S_OK;
    }

    int m_downloads = 0;
    std::vector<std::string> m_statusTexts;
};

LRESULT CALLBACK HostProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND && (HIWORD(wParam) == EN_SETFOCUS || HIWORD(wParam) == EN_KILLFOCUS))
        ::SetPropA(hWnd, HIWORD(wParam) == EN_SETFOCUS ? "setfocus" : "killfocus", (HANDLE)1);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

class HtmlViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CHtmlView::RegisterClass());
        WNDCLASSW wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"HtmlViewTestHost";
        ::RegisterClassW(&wc);
        m_hHost = ::CreateWindowExW(0, L"HtmlViewTestHost", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                    nullptr, wc.hInstance, nullptr);
        ASSERT_NE(m_hHost, nullptr);
        m_hView = ::CreateWindowExW(0, HTMLVIEW_CLASS, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 640, 480,
                                    m_hHost, (HMENU)(INT_PTR)kViewId, wc.hInstance, nullptr);
        ASSERT_NE(m_hView, nullptr);
        ASSERT_EQ(S_OK, AtlGetDlgControl(m_hHost, kViewId, IID_IWebBrowser2, reinterpret_cast<void**>(&m_pBrowser)));
        m_pView = CHtmlView::FromWindow(m_hView);
        ASSERT_NE(m_pView, nullptr);
        ASSERT_EQ(S_OK, m_events.DispEventAdvise(m_pBrowser));
        m_bAdvised = true;
    }

    void TearDown() override
    {
        if (m_bAdvised)
            m_events.DispEventUnadvise(m_pBrowser);
        m_pBrowser.Release();
        if (m_hHost)
            ::DestroyWindow(m_hHost);
    }

    // Navigates and waits for the page's DownloadComplete.
    void Show(const std::string& path)
    {
        const int before = m_events.m_downloads;
        CComBSTR url(Wide(path).c_str());
        ASSERT_EQ(S_OK, m_pBrowser->Navigate(url, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(WaitFor([&] { return m_events.m_downloads > before; }));
    }

    void ShowHtml(const std::string& html, const char* name = "page.html")
    {
        Show(WritePage(name, html));
    }

    std::string Text() const { return Utf8(m_pView->Text()); }

    // The client area as the view draws it, as 32-bit pixels.
    std::vector<uint32_t> Capture(int& width, int& height)
    {
        RECT rc;
        ::GetClientRect(m_hView, &rc);
        width = rc.right;
        height = rc.bottom;
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC hDC = ::CreateCompatibleDC(nullptr);
        HBITMAP hBitmap = ::CreateDIBSection(hDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ hOld = ::SelectObject(hDC, hBitmap);
        ::SendMessageW(m_hView, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hDC), PRF_CLIENT);
        ::GdiFlush();
        std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                     static_cast<const uint32_t*>(bits) + width * height);
        ::SelectObject(hDC, hOld);
        ::DeleteObject(hBitmap);
        ::DeleteDC(hDC);
        return pixels;
    }

    // The client point of the middle of the first text run that reads text.
    bool RunPoint(const std::string& text, POINT& pt, bool end = false)
    {
        for (const auto& run : m_pView->Layout()->Runs())
            if (run.text == text)
            {
                pt = m_pView->ToClient(end ? run.x + run.width - 1 : run.x + 1, run.line.y + run.line.h / 2);
                return true;
            }
        return false;
    }

    std::string ClipboardText(UINT format)
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

    HWND m_hHost = nullptr;
    HWND m_hView = nullptr;
    CHtmlView* m_pView = nullptr;
    CComPtr<IWebBrowser2> m_pBrowser;
    bool m_bAdvised = false;
    CEventRecorder m_events;
};

TEST_F(HtmlViewTest, NavigatesLocalFilesAndAboutBlankAndRefusesOtherSchemes)
{
    const std::string path = WritePage("hello.html", "<p>Hello <b>world</b></p>");
    Show(path);
    EXPECT_EQ(Text(), "Hello world");
    CComBSTR location;
    ASSERT_EQ(S_OK, m_pBrowser->get_LocationURL(&location));
    EXPECT_EQ(Utf8(location.m_str), path);

    Show("file:///" + path);
    EXPECT_EQ(Text(), "Hello world");
    Show("about:blank");
    EXPECT_EQ(Text(), "");
    for (const wchar_t* url : {L"javascript:alert(1)", L"ftp://example.com/", L"http://example.com/",
                               L"about:config"})
    {
        CComBSTR bstr(url);
        EXPECT_EQ(E_INVALIDARG, m_pBrowser->Navigate(bstr, nullptr, nullptr, nullptr, nullptr)) << Utf8(url);
    }
    CComVariant target(path.c_str());
    const int before = m_events.m_downloads;
    ASSERT_EQ(S_OK, m_pBrowser->Navigate2(&target, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(WaitFor([&] { return m_events.m_downloads > before; }));
    EXPECT_EQ(Text(), "Hello world");
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

TEST(HtmlViewHostingTest, ADialogTemplateNamingTheClassHostsTheViewForGetDlgControl)
{
    ASSERT_TRUE(CHtmlView::RegisterClass());
    HWND hDlg = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100), nullptr, PlainDialogProc, 0);
    ASSERT_NE(hDlg, nullptr);
    CComPtr<IWebBrowser2> pBrowser;
    ASSERT_EQ(S_OK, AtlGetDlgControl(hDlg, kViewId, IID_IWebBrowser2, reinterpret_cast<void**>(&pBrowser)));
    CComBSTR url(L"about:blank");
    EXPECT_EQ(S_OK, pBrowser->Navigate(url, nullptr, nullptr, nullptr, nullptr));
    // Tab and Enter stay with the dialog.
    const LRESULT code = ::SendMessageW(::GetDlgItem(hDlg, kViewId), WM_GETDLGCODE, 0, 0);
    EXPECT_EQ(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS), 0);
    ::DestroyWindow(hDlg);
    EXPECT_EQ(E_FAIL, pBrowser->Navigate(url, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(HtmlViewTest, RefreshRereadsTheFile)
{
    const std::string path = WritePage("refresh.html", "<p>before</p>");
    Show(path);
    WritePage("refresh.html", "<p>after</p>");
    const int before = m_events.m_downloads;
    ASSERT_EQ(S_OK, m_pBrowser->Refresh());
    ASSERT_TRUE(WaitFor([&] { return m_events.m_downloads > before; }));
    EXPECT_EQ(Text(), "after");
}

TEST_F(HtmlViewTest, PagesAreReadByByteOrderMarkThenMetaThenTheCallersCodePage)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        UINT codePage;
        const char* text;
    } cases[] = {
        {"windows-1251", "<meta charset=windows-1251><p>\xcf\xf0\xe8\xe2\xe5\xf2", 0, "Привет"},
        {"koi8-r", "<meta http-equiv=Content-Type content='text/html; charset=koi8-r'><p>\xf0\xd2\xc9\xd7\xc5\xd4", 0,
         "Привет"},
        {"shift_jis", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=shift_jis\"><p>\x93\xfa\x96\x7b",
         0, "日本"},
        {"utf-8 by meta", "<meta charset=\"utf-8\"><p>\xc3\xa9t\xc3\xa9", 0, "été"},
        {"utf-8 bom", "\xef\xbb\xbf<p>\xc3\xa9t\xc3\xa9", 1251, "été"},
        {"utf-16 bom", std::string("\xff\xfe<\0p\0>\0\xe9\0", 10), 0, "é"},
        {"no meta, caller's code page", "<p>\xcf\xf0\xe8", 1251, "При"},
        {"no meta, ANSI", "<p>caf\xe9", 0, "café"},
        {"bad utf-8", "<meta charset=utf-8><p>a\xff" "b", 0, "a\xef\xbf\xbd" "b"},
    };
    for (const Case& c : cases)
    {
        m_pView->SetDefaultCodePage(c.codePage);
        ShowHtml(c.bytes, "charset.html");
        EXPECT_EQ(Text(), c.text) << c.name;
        std::string shot = std::string("htmlview-charset-") + c.name;
        for (char& ch : shot)
            if (!isalnum(static_cast<unsigned char>(ch)) && ch != '-')
                ch = '-';
        ::UpdateWindow(m_hView);
        SaveWindowScreenshot(m_hHost, shot.c_str());
    }
}

TEST_F(HtmlViewTest, ScriptsAndStylesAreNeitherRunNorShown)
{
    ShowHtml("<head><style>p{color:red}</style><script>var x = 'script text';</script></head>"
             "<body><p>visible</p><script>document.write('more script')</script></body>");
    EXPECT_EQ(Text(), "visible");
}

TEST_F(HtmlViewTest, DownloadCompleteComesOncePerNavigationAfterTheCallReturns)
{
    const std::string path = WritePage("events.html", "<p>x</p>");
    const std::string missing = TempFolder() + "\\no-such-page.html";
    for (const std::string& target : {path, missing})
    {
        const int before = m_events.m_downloads;
        CComBSTR url(Wide(target).c_str());
        ASSERT_EQ(S_OK, m_pBrowser->Navigate(url, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(m_events.m_downloads, before) << target;
        ASSERT_TRUE(WaitFor([&] { return m_events.m_downloads == before + 1; })) << target;
        // A second one would have been posted by now, behind a message of ours.
        ::PostMessageW(m_hHost, WM_NULL, 0, 0);
        WaitFor([] { return false; }, 200);
        EXPECT_EQ(m_events.m_downloads, before + 1) << target;
    }
    EXPECT_EQ(Text(), "");

    ASSERT_EQ(S_OK, m_events.DispEventUnadvise(m_pBrowser));
    m_bAdvised = false;
    const int before = m_events.m_downloads;
    CComBSTR url(Wide(path).c_str());
    ASSERT_EQ(S_OK, m_pBrowser->Navigate(url, nullptr, nullptr, nullptr, nullptr));
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(m_events.m_downloads, before);
}

TEST_F(HtmlViewTest, SelectAllAndCopyGiveTheTextWithBlocksOnLinesAndCellsTabbed)
{
    ShowHtml("<p>First para</p><table><tr><td>a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr></table>"
             "<p>line one<br>line two</p>");
    OLECMDF status;
    ASSERT_EQ(S_OK, m_pBrowser->QueryStatusWB(OLECMDID_COPY, &status));
    EXPECT_EQ(status & OLECMDF_ENABLED, 0);
    ASSERT_EQ(S_OK, m_pBrowser->ExecWB(OLECMDID_SELECTALL, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr));
    ASSERT_EQ(S_OK, m_pBrowser->QueryStatusWB(OLECMDID_COPY, &status));
    EXPECT_NE(status & OLECMDF_ENABLED, 0);
    ASSERT_EQ(S_OK, m_pBrowser->ExecWB(OLECMDID_COPY, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr));
    const std::string expected = "First para\r\na\tb\r\nc\td\r\nline one\r\nline two";
    EXPECT_EQ(ClipboardText(CF_UNICODETEXT), expected);
    EXPECT_EQ(ClipboardText(CF_TEXT), expected);
}

TEST_F(HtmlViewTest, ADragBetweenTwoWordsSelectsThatSpan)
{
    ShowHtml("<p>alpha beta gamma delta</p>");
    const auto& runs = m_pView->Layout()->Runs();
    ASSERT_EQ(runs.size(), 1u);
    const html::CHtmlTextModel* model = m_pView->TextModel();
    const float y = runs[0].line.y + runs[0].line.h / 2;
    // Just inside "beta" and just before the end of "gamma".
    const POINT from = m_pView->ToClient(model->XOf({0, 6}) + 1, y);
    const POINT to = m_pView->ToClient(model->XOf({0, 16}) - 1, y);
    ::SendMessageW(m_hView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    ::SendMessageW(m_hView, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    ::SendMessageW(m_hView, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    EXPECT_EQ(Utf8(m_pView->SelectedText()), "beta gamma");
    OLECMDF status;
    ASSERT_EQ(S_OK, m_pBrowser->QueryStatusWB(OLECMDID_COPY, &status));
    EXPECT_NE(status & OLECMDF_ENABLED, 0);
    // The view tells its parent when it gains and loses the focus, as an edit control does.
    EXPECT_TRUE(::GetPropA(m_hHost, "setfocus") != nullptr);
    ::SetFocus(m_hHost);
    EXPECT_TRUE(::GetPropA(m_hHost, "killfocus") != nullptr);

    ::SendMessageW(m_hView, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    EXPECT_EQ(Utf8(m_pView->SelectedText()), "beta");
}

TEST_F(HtmlViewTest, FindSelectsTheNextMatchAndScrollsToIt)
{
    std::string html = "<p>Needle at the top</p>";
    for (int i = 0; i < 200; ++i)
        html += "<p>filler line " + std::to_string(i) + "</p>";
    html += "<p>the second needle</p>";
    ShowHtml(html);
    EXPECT_TRUE(m_pView->Find(L"needle", false, true));
    EXPECT_EQ(Utf8(m_pView->SelectedText()), "Needle");
    EXPECT_EQ(m_pView->ScrollPos(), 0);
    EXPECT_TRUE(m_pView->Find(L"needle", true, true));
    EXPECT_EQ(Utf8(m_pView->SelectedText()), "needle");
    EXPECT_GT(m_pView->ScrollPos(), 0);
    EXPECT_FALSE(m_pView->Find(L"haystack", false, true));
    EXPECT_EQ(Utf8(m_pView->SelectedText()), "needle");
}

TEST_F(HtmlViewTest, ExecFindOpensAFindDialogThatSelectsMatches)
{
    ShowHtml("<p>one two three two</p>");
    ASSERT_EQ(S_OK, m_pBrowser->ExecWB(OLECMDID_FIND, OLECMDEXECOPT_PROMPTUSER, nullptr, nullptr));
    HWND hFind = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND h : ThreadWindows(::GetCurrentThreadId(), "#32770"))
            if (::IsWindowVisible(h))
                hFind = h;
        return hFind != nullptr;
    }));
    ::SetDlgItemTextW(hFind, 1152, L"two");
    ::SendMessageW(hFind, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hFind, IDOK)));
    EXPECT_TRUE(WaitFor([&] { return Utf8(m_pView->SelectedText()) == "two"; }));
    ::SendMessageW(hFind, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hFind, IDCANCEL)));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(hFind) || !::IsWindowVisible(hFind); }));
    // GoSearch finds in the page the same way.
    EXPECT_EQ(S_OK, m_pBrowser->GoSearch());
    HWND hAgain = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        for (HWND h : ThreadWindows(::GetCurrentThreadId(), "#32770"))
            if (::IsWindowVisible(h))
                hAgain = h;
        return hAgain != nullptr;
    }));
}

TEST_F(HtmlViewTest, HoverReportsTheLinkAndClicksGoWhereTheirSchemeSays)
{
    CSeamRecorder seams;
    static std::vector<std::string> mailtos;
    mailtos.clear();
    CHtmlView::SetMailtoHandler([](HWND, const wchar_t* url) { mailtos.push_back(Utf8(url)); });
    ShowHtml("<p><a href='http://example.com/x'>web</a></p><p><a href='mailto:a@example.com'>mail</a></p>"
             "<p><a href='javascript:alert(1)'>script</a></p><p><a href='file:///C:/windows/win.ini'>file</a></p>"
             "<p>plain</p>");
    POINT web, mail, script, file, plain;
    ASSERT_TRUE(RunPoint("web", web) && RunPoint("mail", mail) && RunPoint("script", script) &&
                RunPoint("file", file) && RunPoint("plain", plain));
    ::SendMessageW(m_hView, WM_MOUSEMOVE, 0, MAKELPARAM(web.x, web.y));
    ::SendMessageW(m_hView, WM_MOUSEMOVE, 0, MAKELPARAM(plain.x, plain.y));
    EXPECT_EQ(m_events.m_statusTexts, (std::vector<std::string>{"http://example.com/x", ""}));
    EXPECT_TRUE(seams.Calls().empty());

    for (POINT pt : {web, mail, script, file})
    {
        ::SendMessageW(m_hView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        ::SendMessageW(m_hView, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }
    CHtmlView::SetMailtoHandler(nullptr);
    ASSERT_EQ(seams.Calls().size(), 1u);
    EXPECT_EQ(seams.Calls()[0].strSeam, "ShellExecuteFile");
    EXPECT_EQ(seams.Calls()[0].strDetail, "open|http://example.com/x|(null)|(null)|1");
    EXPECT_EQ(mailtos, (std::vector<std::string>{"mailto:a@example.com"}));
    EXPECT_EQ(Text().substr(0, 3), "web");
}

TEST_F(HtmlViewTest, AnAnchorLinkScrollsToItsTarget)
{
    std::string html = "<p><a href='#end'>jump</a></p>";
    for (int i = 0; i < 200; ++i)
        html += "<p>line " + std::to_string(i) + "</p>";
    html += "<p><a name='end'>target</a></p>";
    ShowHtml(html);
    POINT jump;
    ASSERT_TRUE(RunPoint("jump", jump));
    ::SendMessageW(m_hView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(jump.x, jump.y));
    ::SendMessageW(m_hView, WM_LBUTTONUP, 0, MAKELPARAM(jump.x, jump.y));
    EXPECT_GT(m_pView->ScrollPos(), 1000);
}

// A listener on the loopback address that keeps the first request line and answers it, then holds the
// connection open, as the rules pane's server does; unless told otherwise it stands for that server, whose
// port alone the view fetches from.
class CLoopbackListener
{
public:
    explicit CLoopbackListener(std::string reply, bool bOurServer = true)
        : m_reply(std::move(reply)), m_bOurServer(bOurServer)
    {
        WSADATA wsa;
        ::WSAStartup(MAKEWORD(2, 2), &wsa);
        m_listen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        ::listen(m_listen, 4);
        int len = sizeof(addr);
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        if (m_bOurServer)
            CHtmlLinkFetch::AddServerPort(m_port);
        m_thread = std::thread([this] {
            SOCKET s = ::accept(m_listen, nullptr, nullptr);
            if (s == INVALID_SOCKET)
                return;
            ::InterlockedIncrement(&m_connections);
            char buf[1024];
            const int got = ::recv(s, buf, sizeof(buf), 0);
            if (got > 0)
                m_request.assign(buf, got);
            ::InterlockedIncrement(&m_requests);
            if (m_delayEvent)
                ::WaitForSingleObject(m_delayEvent, 20000);
            ::send(s, m_reply.data(), static_cast<int>(m_reply.size()), 0);
            ::WaitForSingleObject(m_stop, 20000);
            ::closesocket(s);
        });
    }
    ~CLoopbackListener()
    {
        if (m_bOurServer)
            CHtmlLinkFetch::RemoveServerPort(m_port);
        ::SetEvent(m_stop);
        if (m_delayEvent)
            ::SetEvent(m_delayEvent);
        ::closesocket(m_listen);
        m_thread.join();
        ::CloseHandle(m_stop);
        if (m_delayEvent)
            ::CloseHandle(m_delayEvent);
        ::WSACleanup();
    }

    int m_port = 0;
    std::string m_request;
    volatile LONG m_requests = 0;
    volatile LONG m_connections = 0;
    HANDLE m_delayEvent = nullptr;
    HANDLE m_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);

private:
    std::string m_reply;
    bool m_bOurServer;
    SOCKET m_listen = INVALID_SOCKET;
    std::thread m_thread;
};

TEST_F(HtmlViewTest, ALoopbackLinkIsFetchedOnceAndItsReplyShown)
{
    CLoopbackListener listener("<html><body><p>served reply</p></body></html>");
    ShowHtml("<p><a href='http://127.0.0.1:" + std::to_string(listener.m_port) + "/?5'>value</a></p>");
    POINT pt;
    ASSERT_TRUE(RunPoint("value", pt));
    const int before = m_events.m_downloads;
    ::SendMessageW(m_hView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    ::SendMessageW(m_hView, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    ASSERT_TRUE(WaitFor([&] { return m_events.m_downloads > before; }));
    EXPECT_EQ(listener.m_request.substr(0, 8), "GET /?5 ");
    EXPECT_EQ(Text(), "served reply");
}

TEST_F(HtmlViewTest, ALinkPathGoesPercentEncodedOnTheRequestLine)
{
    CLoopbackListener listener("<p>served</p>");
    ShowHtml("<meta charset=utf-8><p><a href='http://127.0.0.1:" + std::to_string(listener.m_port) +
             "/?5 a\"b&lt;\xC3\xA9&gt;{%41}#frag'>value</a></p>");
    POINT pt;
    ASSERT_TRUE(RunPoint("value", pt));
    const int before = m_events.m_downloads;
    ::SendMessageW(m_hView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    ::SendMessageW(m_hView, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    ASSERT_TRUE(WaitFor([&] { return m_events.m_downloads > before; }));
    EXPECT_EQ(listener.m_request.substr(0, listener.m_request.find("\r\n")),
              "GET /?5%20a%22b%3C%C3%A9%3E%7B%41%7D HTTP/1.0");
    EXPECT_EQ(Text(), "served");
}

// A mail's links to this machine reach our own server only, and carry no line of their own into its request:
// refused ones are neither fetched nor handed to the browser, and the page stays.
TEST_F(HtmlViewTest, LoopbackLinksReachOnlyOurServerAndCannotSplitTheRequest)
{
    CLoopbackListener ours("<p>ours</p>");
    CLoopbackListener other("<p>other</p>", false);
    const std::string own = "http://127.0.0.1:" + std::to_string(ours.m_port);
    const struct
    {
        std::string href;
        const char* why;
    } cases[] = {
        {"http://127.0.0.1:" + std::to_string(other.m_port) + "/?1", "another local service"},
        {"http://localhost:" + std::to_string(other.m_port) + "/", "another local service by name"},
        {own + "/?1&#13;&#10;MAIL FROM:&lt;a@b&gt;", "CR LF in the path"},
        {own + "/?1&#10;QUIT", "LF alone"},
        {own + "/?1&#13;", "CR alone"},
        {"http://127.0.0.1:" + std::to_string(ours.m_port) + "&#13;&#10;x/?1", "CR LF after the port"},
        {"http://127.0.0.1:+" + std::to_string(ours.m_port) + "/?1", "a port that is not all digits"},
        {"http://127.0.0.1:" + std::to_string(ours.m_port + 65536) + "/?1", "a port that wraps round"},
    };
    CSeamRecorder seams;
    for (const auto& c : cases)
    {
        ShowHtml("<p><a href='" + c.href + "'>value</a></p>");
        CComBSTR before;
        ASSERT_EQ(S_OK, m_pBrowser->get_LocationURL(&before));
        POINT pt;
        ASSERT_TRUE(RunPoint("value", pt)) << c.why;
        ::SendMessageW(m_hView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        ::SendMessageW(m_hView, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
        // A fetch would have taken the link's URL as the location at once.
        CComBSTR after;
        ASSERT_EQ(S_OK, m_pBrowser->get_LocationURL(&after));
        EXPECT_EQ(Utf8(after.m_str), Utf8(before.m_str)) << c.why;
        EXPECT_EQ(Text(), "value") << c.why;
    }
    for (const char* url : {"http://127.0.0.1:1/?1", "http://127.0.0.1:25/"})
    {
        CComBSTR bstr(Wide(url).c_str());
        EXPECT_EQ(E_INVALIDARG, m_pBrowser->Navigate(bstr, nullptr, nullptr, nullptr, nullptr)) << url;
    }
    EXPECT_TRUE(seams.Calls().empty());
    // Our own server still answers once the hostile links have been tried.
    ShowHtml("<p><a href='" + own + "/?2'>value</a></p>");
    POINT pt;
    ASSERT_TRUE(RunPoint("value", pt));
    const int before = m_events.m_downloads;
    ::SendMessageW(m_hView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    ::SendMessageW(m_hView, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    ASSERT_TRUE(WaitFor([&] { return m_events.m_downloads > before; }));
    EXPECT_EQ(ours.m_request.substr(0, 9), "GET /?2 H");
    EXPECT_EQ(Text(), "ours");
    EXPECT_EQ(other.m_connections, 0);
}

TEST_F(HtmlViewTest, ANavigationDuringAFetchWins)
{
    CLoopbackListener listener("late reply");
    listener.m_delayEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CComBSTR url(Wide("http://localhost:" + std::to_string(listener.m_port) + "/?7").c_str());
    ASSERT_EQ(S_OK, m_pBrowser->Navigate(url, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(WaitFor([&] { return listener.m_requests > 0; }));
    ShowHtml("<p>newer page</p>", "newer.html");
    ::SetEvent(listener.m_delayEvent);
    ::SetEvent(listener.m_stop);
    WaitFor([] { return false; }, 500);
    EXPECT_EQ(Text(), "newer page");
}

TEST_F(HtmlViewTest, StopDropsAFetchUnderWay)
{
    ShowHtml("<p>before</p>");
    CLoopbackListener listener("<p>late reply</p>");
    listener.m_delayEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CComBSTR url(Wide("http://127.0.0.1:" + std::to_string(listener.m_port) + "/?3").c_str());
    ASSERT_EQ(S_OK, m_pBrowser->Navigate(url, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(WaitFor([&] { return listener.m_requests > 0; }));
    ASSERT_EQ(S_OK, m_pBrowser->ExecWB(OLECMDID_STOP, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr));
    const int before = m_events.m_downloads;
    ::SetEvent(listener.m_delayEvent);
    ::SetEvent(listener.m_stop);
    WaitFor([] { return false; }, 500);
    EXPECT_EQ(Text(), "before");
    EXPECT_EQ(m_events.m_downloads, before);
}

TEST_F(HtmlViewTest, NothingIsFetchedWhenAPageLoads)
{
    CLoopbackListener listener("never");
    const std::string base = "http://127.0.0.1:" + std::to_string(listener.m_port);
    ShowHtml("<html><head><link rel=stylesheet href='" + base + "/a.css'><style>@import url(" + base +
             "/b.css); body { background: url(" + base + "/c.png) }</style>"
             "<meta http-equiv=refresh content='0; url=" + base + "/d'></head>"
             "<body><img src='" + base + "/e.png'><img src='\\\\127.0.0.1\\share\\f.png'>"
             "<script>new Image().src='" + base + "/g'; var secret='script text';</script><p>shown</p></body></html>");
    WaitFor([] { return false; }, 500);
    EXPECT_EQ(listener.m_connections, 0);
    EXPECT_EQ(Text().find("script text"), std::string::npos);
}

TEST_F(HtmlViewTest, CallsAfterTheWindowIsGoneFail)
{
    ::DestroyWindow(m_hHost);
    m_hHost = nullptr;
    CComBSTR url(L"about:blank");
    EXPECT_EQ(E_FAIL, m_pBrowser->Navigate(url, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(E_FAIL, m_pBrowser->Refresh());
    EXPECT_EQ(E_FAIL, m_pBrowser->ExecWB(OLECMDID_SELECTALL, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr));
    OLECMDF status;
    EXPECT_EQ(E_FAIL, m_pBrowser->QueryStatusWB(OLECMDID_COPY, &status));
}

TEST_F(HtmlViewTest, PaintsCellBackgroundsBordersAndImageBoxes)
{
    ShowHtml("<body style='margin:0'><table bgcolor='#ff0000' cellpadding=20 cellspacing=0 width=200>"
             "<tr><td>x</td></tr></table><div style='border:4px solid #0000ff;width:100px;height:40px'></div>"
             "<img src='missing.png' width=50 height=30></body>");
    int width, height;
    const std::vector<uint32_t> px = Capture(width, height);
    auto at = [&](int x, int y) { return px[y * width + x] & 0xFFFFFF; };
    // The cell's background inside the table, white beside it.
    EXPECT_EQ(at(190, 5), 0xFF0000u);
    EXPECT_EQ(at(300, 5), 0xFFFFFFu);
    // The DIV's blue left border runs down its whole height; its inside stays white.
    int blue = 0, blueTop = -1;
    for (int y = 0; y < height; ++y)
        if (at(1, y) == 0x0000FFu)
        {
            blue++;
            if (blueTop < 0)
                blueTop = y;
        }
    ASSERT_GE(blue, 48);
    EXPECT_EQ(at(50, blueTop + 20), 0xFFFFFFu);
    // The image that is not there gets a framed box of its size.
    int images = 0;
    for (const html::PaintItem& item : m_pView->TextModel()->PaintList())
        if (item.kind == html::PaintItem::Image)
        {
            images++;
            const POINT corner = m_pView->ToClient(item.rect.x, item.rect.y);
            EXPECT_EQ(item.rect.w, 50);
            EXPECT_NE(at(corner.x, corner.y + 15), 0xFFFFFFu);
            EXPECT_EQ(at(corner.x + 25, corner.y + 15), 0xFFFFFFu);
        }
    EXPECT_EQ(images, 1);
}

// Images come from the page's own folder, where a message's inline parts are written beside its view file;
// any other file of the machine gets the alt box, however its name is spelled.
// Each run is drawn with the advances the layout measured: a long run of narrow letters ends where its width
// says, so it neither runs into the bold word after it nor leaves a gap before it.
TEST_F(HtmlViewTest, TextIsDrawnWhereTheLayoutMeasuredIt)
{
    std::string words;
    for (int i = 0; i < 24; ++i)
        words += "il1j ";
    for (const char* font : {"13px Arial", "11px 'Times New Roman'", "15px 'Courier New'"})
    {
        ShowHtml("<body style='margin:0'><p style='font:" + std::string(font) + "'>" + words +
                 "<b>W</b></p></body>");
        const auto& runs = m_pView->Layout()->Runs();
        ASSERT_EQ(runs.size(), 2u) << font;
        // The last glyph of the first run ends before its trailing space, where the layout put that space.
        const float spaceAt = m_pView->TextModel()->XOf({0, runs[0].text.size() - 1});
        int width, height;
        const std::vector<uint32_t> px = Capture(width, height);
        auto inked = [&](int x) {
            const int bottom = std::min(static_cast<int>(runs[0].line.Bottom()), height);
            for (int y = static_cast<int>(runs[0].line.y); y < bottom; ++y)
                if ((px[y * width + x] & 0xFF) < 0x80)
                    return true;
            return false;
        };
        int last = -1, boldFirst = -1;
        for (int x = 0; x < width; ++x)
            if (inked(x))
            {
                if (x < runs[1].x - 1)
                    last = x;
                else if (boldFirst < 0)
                    boldFirst = x;
            }
        EXPECT_NEAR(last + 1, spaceAt, 2.5) << font;
        EXPECT_NEAR(boldFirst, runs[1].x, 2.5) << font;
    }
}

TEST_F(HtmlViewTest, LocalImagesAreDecodedAndOthersGetTheAltBox)
{
    const std::string data = std::string(ORB_TEST_DATA_DIR) + "/htmlview/";
    const std::string beside = TempFolder() + "\\";
    for (const char* name : {"red-20x10.png", "red-20x10.gif", "red-20x10.jpg", "not-an-image.png"})
        ASSERT_TRUE(::CopyFileA((data + name).c_str(), (beside + name).c_str(), FALSE)) << name;
    const std::string outside = "htmlview-outside-" + std::to_string(::GetCurrentProcessId()) + ".png";
    ASSERT_TRUE(::CopyFileA((data + "red-20x10.png").c_str(), (beside + "..\\" + outside).c_str(), FALSE));
    std::string up = beside;
    std::replace(up.begin(), up.end(), '\\', '/');
    const std::string dir = "file:///" + up;
    std::string html = "<body style='margin:0'>";
    for (const std::string& src : {dir + "red-20x10.png", beside + "red-20x10.gif", dir + "red-20x10.jpg",
                                   std::string("cid:part1@example"), std::string("\\\\127.0.0.1\\share\\red.png"),
                                   dir + "not-an-image.png", std::string("http://127.0.0.1:9/red.png"),
                                   "file:///" + data + "red-20x10.png", data + "red-20x10.gif",
                                   dir + "../" + outside, beside + "sub\\..\\..\\" + outside})
        html += "<img src='" + src + "' width=40 height=20><br>";
    ShowHtml(html);
    int width, height;
    const std::vector<uint32_t> px = Capture(width, height);
    int i = 0;
    for (const html::PaintItem& item : m_pView->TextModel()->PaintList())
        if (item.kind == html::PaintItem::Image)
        {
            const POINT middle = m_pView->ToClient(item.rect.x + item.rect.w / 2, item.rect.y + item.rect.h / 2);
            const uint32_t p = px[middle.y * width + middle.x] & 0xFFFFFF;
            const bool red = (p >> 16) > 0xC0 && ((p >> 8) & 0xFF) < 0x40 && (p & 0xFF) < 0x40;
            EXPECT_EQ(red, i < 3) << "image " << i << " pixel " << std::hex << p;
            i++;
        }
    EXPECT_EQ(i, 11);
    ::DeleteFileA((beside + "..\\" + outside).c_str());
    ::UpdateWindow(m_hView);
    SaveWindowScreenshot(m_hHost, "htmlview-images");
}

TEST_F(HtmlViewTest, ScrollBarIsShownAndDisabledWhenThePageFits)
{
    ShowHtml("<p>short</p>");
    EXPECT_NE(::GetWindowLongW(m_hView, GWL_STYLE) & WS_VSCROLL, 0);
    SCROLLBARINFO sbi = {sizeof(sbi)};
    ASSERT_TRUE(::GetScrollBarInfo(m_hView, OBJID_VSCROLL, &sbi));
    EXPECT_NE(sbi.rgstate[0] & STATE_SYSTEM_UNAVAILABLE, 0u);
    std::string html;
    for (int i = 0; i < 100; ++i)
        html += "<p>line</p>";
    ShowHtml(html);
    ASSERT_TRUE(::GetScrollBarInfo(m_hView, OBJID_VSCROLL, &sbi));
    EXPECT_EQ(sbi.rgstate[0] & STATE_SYSTEM_UNAVAILABLE, 0u);
    ::SendMessageW(m_hView, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_GT(m_pView->ScrollPos(), 0);
}

// Pages the view prints land here, one bitmap each.
struct PrintedPages
{
    static std::vector<std::vector<uint32_t>> pages;
    static HBITMAP bitmap;
    static void* bits;
    static int width, height;

    static HDC Open(HWND, bool)
    {
        HDC hDC = ::CreateCompatibleDC(nullptr);
        width = ::GetDeviceCaps(hDC, HORZRES);
        height = ::GetDeviceCaps(hDC, VERTRES);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bitmap = ::CreateDIBSection(hDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        ::SelectObject(hDC, bitmap);
        return hDC;
    }
    static bool StartPage(HDC hDC)
    {
        RECT rc = {0, 0, width, height};
        ::FillRect(hDC, &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        return true;
    }
    static bool EndPage(HDC)
    {
        ::GdiFlush();
        pages.emplace_back(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + width * height);
        return true;
    }
    static void Close(HDC hDC, bool)
    {
        ::DeleteDC(hDC);
        ::DeleteObject(bitmap);
    }
};
std::vector<std::vector<uint32_t>> PrintedPages::pages;
HBITMAP PrintedPages::bitmap;
void* PrintedPages::bits;
int PrintedPages::width, PrintedPages::height;

TEST_F(HtmlViewTest, PrintDocumentByNamePrintsEveryPageThroughThePrinterSeam)
{
    std::string html;
    for (int i = 0; i < 150; ++i)
        html += "<h" + std::to_string(i % 3 + 1) + ">heading " + std::to_string(i) + "</h" + std::to_string(i % 3 + 1) +
                "><p>printed line " + std::to_string(i) + "</p><table border=1><tr><td>cell</td><td>row " +
                std::to_string(i) + "<br>second line</td></tr></table>";
    ShowHtml(html);
    const CHtmlView::PrinterSeam saved = CHtmlView::s_printer;
    CHtmlView::s_printer = {PrintedPages::Open, PrintedPages::StartPage, PrintedPages::EndPage, PrintedPages::Close};
    PrintedPages::pages.clear();
    CComPtr<IDispatch> pDispatch;
    ASSERT_EQ(S_OK, m_pBrowser->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pDispatch)));
    LPOLESTR name = const_cast<LPOLESTR>(L"PrintDocument");
    DISPID id = 0;
    ASSERT_EQ(S_OK, pDispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
    CComVariant withUI(true);
    DISPPARAMS params = {&withUI, nullptr, 1, 0};
    const HRESULT hr = pDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                                         nullptr, nullptr);
    CHtmlView::s_printer = saved;
    ASSERT_EQ(S_OK, hr);
    ASSERT_GT(PrintedPages::pages.size(), 1u);
    for (const auto& page : PrintedPages::pages)
    {
        size_t dark = 0;
        for (uint32_t p : page)
            dark += (p & 0xFFFFFF) != 0xFFFFFF;
        EXPECT_GT(dark, 0u);
    }

    // Laid out again as the printer's DC measures it, every word box lies on exactly one page, whole.
    HDC hDC = ::CreateCompatibleDC(nullptr);
    const int dpi = ::GetDeviceCaps(hDC, LOGPIXELSY);
    CGdiFontMetrics metrics(hDC, dpi);
    html::CHtmlLayout layout(*m_pView->Document(), metrics);
    layout.Layout(::GetDeviceCaps(hDC, HORZRES) * 96.0f / dpi);
    html::CHtmlTextModel text(layout, metrics);
    const std::vector<html::Page> pages = text.Paginate(::GetDeviceCaps(hDC, VERTRES) * 96.0f / dpi);
    ::DeleteDC(hDC);
    EXPECT_EQ(pages.size(), PrintedPages::pages.size());
    for (const auto& run : layout.Runs())
    {
        int on = 0;
        for (const html::Page& page : pages)
            on += run.line.y >= page.top && run.line.Bottom() <= page.bottom;
        EXPECT_EQ(on, 1) << run.text << " at " << run.line.y;
    }
}

std::string ReadFixture(const char* name)
{
    std::ifstream in(std::string(ORB_TEST_DATA_DIR) + "/htmlview/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(HtmlViewTest, FixturePagesRenderWithTheirTextAndAScreenshotEach)
{
    struct Case
    {
        const char* file;
        std::vector<const char*> texts;
    } cases[] = {
        {"mail-nested-tables.html",
         {"Weekly news", "Left cell", "first item", "inner cell", "\xc2\xa9 2024 & <more>", "Quoted text",
          "preformatted   text\r\n  second line", "our site"}},
        {"quoted-reply.html", {"----- Original Message -----", "From: Ann", "Subject: Quarterly figures"}},
        {"plain-text-body.html", {"\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82,", "with unescaped & marks"}},
        {"rule-description.htm", {"Apply this rule after the message arrives", "Where the From line contains"}},
    };
    for (const Case& c : cases)
    {
        Show(std::string(ORB_TEST_DATA_DIR) + "/htmlview/" + c.file);
        const std::string text = Text();
        for (const char* expected : c.texts)
            EXPECT_NE(text.find(expected), std::string::npos) << c.file << ": " << expected << "\n" << text;
        EXPECT_EQ(text.find("script text"), std::string::npos) << c.file;
        ::UpdateWindow(m_hView);
        EXPECT_FALSE(SaveWindowScreenshot(m_hHost, (std::string("htmlview-") + c.file).c_str()).empty());
    }
}

TEST_F(HtmlViewTest, AQuotedReplyShowsItsGreyFromLineAndTheQuoteBar)
{
    Show(ORB_TEST_DATA_DIR "/htmlview/quoted-reply.html");
    int width, height;
    const std::vector<uint32_t> px = Capture(width, height);
    int grey = 0, black = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 40; ++x)
        {
            grey += (px[y * width + x + 200] & 0xFFFFFF) == 0xE4E4E4u;
            black += (px[y * width + x] & 0xFFFFFF) == 0u;
        }
    EXPECT_GT(grey, 100);
    EXPECT_GT(black, 40);
}

TEST_F(HtmlViewTest, ARuleDescriptionLinkAsksTheLocalServerWhichAnswersWithoutAStatusLine)
{
    // The rules pane's server answers with the page alone and keeps the connection open.
    CLoopbackListener listener("<HTML><BODY><DIV>new description</DIV></BODY></HTML>");
    std::string page = ReadFixture("rule-description.htm");
    const std::string link = "http://127.0.0.1:" + std::to_string(listener.m_port) + "/";
    for (size_t at; (at = page.find("LINK")) != std::string::npos;)
        page.replace(at, 4, link);
    ShowHtml(page, "Text0.htm");
    POINT pt;
    ASSERT_TRUE(RunPoint("ann@example.com", pt));
    const int before = m_events.m_downloads;
    ::SendMessageW(m_hView, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    ::SendMessageW(m_hView, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    ASSERT_TRUE(WaitFor([&] { return m_events.m_downloads > before; }));
    EXPECT_EQ(listener.m_request.substr(0, 8), "GET /?5 ");
    EXPECT_EQ(Text(), "new description");
}
}
