// Opens, lays out and paints a generated 1 MB table-heavy mail at 1000 px in the HTML view, beside a
// read-only RichEdit control (riched20) showing the same text in a window of the same size, in the same run.
// Prints the ratio and the time to first paint; asserts nothing.
#include <windows.h>

#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/htmlview/HtmlView.h"

namespace
{
std::string NewsletterMail()
{
    std::string html = "<html><body bgcolor=#ffffff><table width=100% cellpadding=0 cellspacing=0><tr><td "
                       "align=center><table width=640 cellpadding=6 cellspacing=0 bgcolor=#f4f4f4>";
    for (int i = 0; html.size() < 1024 * 1024; i++)
    {
        std::string n = std::to_string(i);
        html += "<tr><td width=120 valign=top><img src='p" + n + ".png' width=100 height=80></td><td "
                "valign=top><font face=arial size=2 color=#333333><b>Story " + n + "</b><br>Lorem ipsum dolor "
                "sit amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut labore et dolore "
                "magna aliqua. <a href='http://example.invalid/" + n + "'>Read more</a></font><table "
                "cellpadding=2 cellspacing=1 bgcolor=#dddddd><tr><td bgcolor=#ffffff><font size=1>Price</font>"
                "</td><td bgcolor=#ffffff><font size=1>" + n + ".99</font></td></tr></table></td></tr>";
    }
    html += "</table></td></tr></table></body></html>";
    return html;
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}
}

int main()
{
    ::CoInitialize(nullptr);
    CHtmlView::RegisterClass();
    ::LoadLibraryW(L"riched20.dll");
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "htmlview-bench.html";
    std::ofstream(path, std::ios::binary) << NewsletterMail();

    const int width = 1000 + ::GetSystemMetrics(SM_CXVSCROLL), height = 800;
    HWND hView = ::CreateWindowExW(0, HTMLVIEW_CLASS, L"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                   nullptr, nullptr, nullptr);
    CHtmlView* pView = CHtmlView::FromWindow(hView);
    if (!pView)
    {
        std::printf("htmlview_bench: no view window\n");
        return 0;
    }
    const std::wstring url(path.begin(), path.end());
    BSTR bstr = ::SysAllocString(url.c_str());
    auto start = std::chrono::steady_clock::now();
    pView->Navigate(bstr, nullptr, nullptr, nullptr, nullptr);
    ::RedrawWindow(hView, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const double view = Seconds(start);
    ::SysFreeString(bstr);
    const std::wstring text = pView->Text();
    Pump();

    HWND hEdit = ::CreateWindowExW(0, RICHEDIT_CLASSW, L"",
                                   WS_POPUP | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 0, width,
                                   height, nullptr, nullptr, nullptr, nullptr);
    start = std::chrono::steady_clock::now();
    ::SendMessageW(hEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::RedrawWindow(hEdit, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const double edit = Seconds(start);

    std::printf("htmlview_bench: 1 MB table-heavy mail at 1000 px, open to first paint: view %.3f s, "
                "RichEdit (same text, %zu characters) %.3f s, ratio %.2f\n",
                view, text.size(), edit, edit > 0 ? view / edit : 0.0);
    ::DestroyWindow(hEdit);
    ::DestroyWindow(hView);
    ::DeleteFileA(path.c_str());
    ::CoUninitialize();
    return 0;
}
