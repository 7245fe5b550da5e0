// Puts the generated 1 MB table-heavy mail of the view's benchmark into the HTML editor and gets it back,
// beside riched20 streaming the same content in and out as RTF, in the same run. Prints the ratio; asserts
// nothing.
#include <windows.h>

#include <richedit.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/htmledit/HtmlEdit.h"

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

DWORD CALLBACK StreamOut(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done)
{
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer), size);
    *done = size;
    return 0;
}

struct CReadState
{
    const std::string* text;
    size_t pos;
};

DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done)
{
    CReadState* state = reinterpret_cast<CReadState*>(cookie);
    const size_t n = std::min(static_cast<size_t>(size), state->text->size() - state->pos);
    memcpy(buffer, state->text->data() + state->pos, n);
    state->pos += n;
    *done = static_cast<LONG>(n);
    return 0;
}

std::string RtfOut(HWND hRich)
{
    std::string rtf;
    EDITSTREAM es = {reinterpret_cast<DWORD_PTR>(&rtf), 0, StreamOut};
    ::SendMessageW(hRich, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
    return rtf;
}
}

int main()
{
    ::CoInitialize(nullptr);
    CHtmlEdit::RegisterClass();
    const std::string mail = NewsletterMail();
    const std::wstring wide(mail.begin(), mail.end());
    HWND hEdit = ::CreateWindowExW(0, HTMLEDIT_CLASS, L"", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 700, nullptr, nullptr,
                                   nullptr, nullptr);
    CHtmlEdit* pEdit = CHtmlEdit::FromWindow(hEdit);
    if (!pEdit)
    {
        std::printf("htmledit_bench: no editor window\n");
        return 0;
    }
    CComBSTR html(wide.c_str());
    auto start = std::chrono::steady_clock::now();
    pEdit->put_DocumentHTML(html);
    const double put = Seconds(start);
    CComBSTR out;
    start = std::chrono::steady_clock::now();
    pEdit->get_DocumentHTML(&out);
    const double get = Seconds(start);

    // The peer: the same content as riched20's own RTF, streamed into a fresh control and out again.
    const std::string rtf = RtfOut(pEdit->RichEditWindow());
    HWND hRich = ::CreateWindowExW(0, L"RichEdit20W", L"", WS_POPUP | WS_VISIBLE | ES_MULTILINE, 0, 0, 1000, 700,
                                   nullptr, nullptr, nullptr, nullptr);
    ::SendMessageW(hRich, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    start = std::chrono::steady_clock::now();
    CReadState state = {&rtf, 0};
    EDITSTREAM es = {reinterpret_cast<DWORD_PTR>(&state), 0, StreamIn};
    ::SendMessageW(hRich, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    const double rtfIn = Seconds(start);
    start = std::chrono::steady_clock::now();
    const std::string rtfBack = RtfOut(hRich);
    const double rtfOut = Seconds(start);

    std::printf("htmledit_bench: %zu bytes of HTML, %u written back; put %.3f s, get %.3f s\n", mail.size(),
                static_cast<unsigned>(out.Length()), put, get);
    std::printf("htmledit_bench: riched20 RTF (%zu bytes) in %.3f s, out %.3f s\n", rtf.size(), rtfIn, rtfOut);
    const double peer = rtfIn + rtfOut;
    std::printf("htmledit_bench: editor put+get / riched20 RTF in+out = %.2f\n", peer > 0 ? (put + get) / peer : 0.0);
    ::DestroyWindow(hRich);
    ::DestroyWindow(hEdit);
    ::CoUninitialize();
    return 0;
}
