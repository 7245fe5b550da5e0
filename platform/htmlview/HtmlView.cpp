// The HTML view control: navigation, layout, painting, scrolling, selection, find, links and printing.
#include "HtmlView.h"

#include <exdispid.h>

#include <algorithm>
#include <cmath>

#include "platform/htmlview/GdiFontMetrics.h"
#include "platform/htmlview/HtmlImageCache.h"
#include "platform/htmlview/HtmlLinkFetch.h"
#include "platform/htmlview/HtmlPageReader.h"
#include "platform/wtl/SystemSeams.h"

using namespace html;

namespace
{
const UINT WM_HTMLVIEW_DOWNLOADED = WM_APP + 0x3A0;
const UINT WM_ATLGETCONTROL_ = WM_USER + 603;
const int kLineStep = 20;

UINT FindMessage()
{
    static const UINT msg = ::RegisterWindowMessageW(FINDMSGSTRINGW);
    return msg;
}

COLORREF ToColorRef(uint32_t argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

bool Opaque(uint32_t argb)
{
    return (argb >> 24) != 0;
}

std::wstring Lower(std::wstring s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c + 32 : c; });
    return s;
}

bool StartsWith(const std::wstring& s, const wchar_t* prefix)
{
    return Lower(s).compare(0, wcslen(prefix), prefix) == 0;
}

std::wstring PercentDecode(const std::wstring& s)
{
    std::string bytes;
    for (size_t i = 0; i < s.size(); ++i)
    {
        if (s[i] == L'%' && i + 2 < s.size() && iswxdigit(s[i + 1]) && iswxdigit(s[i + 2]))
        {
            bytes.push_back(static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        }
        else
        {
            std::string one = WideToUtf8String(&s[i], 1);
            bytes += one;
        }
    }
    return Utf8ToWide(bytes.data(), bytes.size());
}

// The scheme of a URL in lower case, or "" for a path (a drive letter is not a scheme).
std::wstring SchemeOf(const std::wstring& url)
{
    const size_t colon = url.find(L':');
    if (colon == std::wstring::npos || colon < 2)
        return std::wstring();
    for (size_t i = 0; i < colon; ++i)
        if (!iswalnum(url[i]) && url[i] != L'+' && url[i] != L'-' && url[i] != L'.')
            return std::wstring();
    return Lower(url.substr(0, colon));
}

// The path of a file: URL (file:///C:/x, file://C:/x, file:C:\x).
std::wstring FilePathOf(const std::wstring& url)
{
    std::wstring path = url.substr(5);
    while (!path.empty() && (path[0] == L'/' || path[0] == L'\\') && path.size() > 2 && path[2] != L':')
        path.erase(0, 1);
    if (path.size() > 2 && (path[0] == L'/' || path[0] == L'\\') && path[2] == L':')
        path.erase(0, 1);
    path = PercentDecode(path);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// Whether an http URL names this machine, whatever its port and path.
bool LoopbackHttp(const std::wstring& url, std::string& authority, std::string& path)
{
    if (SchemeOf(url) != L"http" || url.compare(4, 3, L"://") != 0)
        return false;
    const std::string rest = WideToUtf8String(url.data() + 7, url.size() - 7);
    const size_t slash = rest.find_first_of("/?#");
    authority = rest.substr(0, slash);
    path = slash == std::string::npos ? "/" : rest.substr(slash);
    std::transform(authority.begin(), authority.end(), authority.begin(), ::tolower);
    const std::string host = authority.substr(0, authority.rfind(':'));
    return host == "127.0.0.1" || host == "localhost";
}

// Host, port and path of an http URL that one of our own local servers answers; false for any other,
// and for a URL whose CR, LF or NUL would end the request line early.
bool LocalHttp(const std::wstring& url, std::string& host, int& port, std::string& path)
{
    std::string authority;
    if (!LoopbackHttp(url, authority, path) ||
        url.find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos)
        return false;
    if (path[0] != '/')
        path.insert(0, "/");
    const size_t hash = path.find('#');
    if (hash != std::string::npos)
        path.erase(hash);
    port = 80;
    const size_t colon = authority.rfind(':');
    if (colon != std::string::npos)
    {
        const std::string digits = authority.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        port = atoi(digits.c_str());
    }
    host = "127.0.0.1";
    std::string line;
    return port > 0 && port < 65536 && CHtmlLinkFetch::IsServerPort(port) &&
           CHtmlLinkFetch::RequestPath(path, line);
}

CHtmlView::MailtoHandler s_pfnMailto = nullptr;

// Draws a paint list: document coordinates times scale, moved up by top, within the clip rectangle.
void DrawPaintList(HDC hDC, CGdiFontMetrics& metrics, const CHtmlImageCache& images, const std::vector<PaintItem>& items,
                   float scale, float top, const RECT& bounds)
{
    auto px = [&](float v) { return static_cast<int>(std::floor(v * scale + 0.5f)); };
    auto py = [&](float v) { return static_cast<int>(std::floor((v - top) * scale + 0.5f)); };
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextAlign(hDC, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    for (const PaintItem& item : items)
    {
        if (item.rect.y - top > (bounds.bottom + 1) / scale + 400 || item.rect.Bottom() - top < -400)
            continue;
        const int saved = ::SaveDC(hDC);
        ::IntersectClipRect(hDC, bounds.left, bounds.top, bounds.right, bounds.bottom);
        if (item.hasClip)
            ::IntersectClipRect(hDC, px(item.clip.x), py(item.clip.y), px(item.clip.Right()), py(item.clip.Bottom()));
        const RECT r = {px(item.rect.x), py(item.rect.y), px(item.rect.Right()), py(item.rect.Bottom())};
        switch (item.kind)
        {
        case PaintItem::Fill:
            if (Opaque(item.colors[0]))
            {
                HBRUSH hBrush = ::CreateSolidBrush(ToColorRef(item.colors[0]));
                ::FillRect(hDC, &r, hBrush);
                ::DeleteObject(hBrush);
            }
            break;
        case PaintItem::Border:
        {
            const int t = px(item.borders[0]), rt = px(item.borders[1]), b = px(item.borders[2]),
                      l = px(item.borders[3]);
            const RECT sides[4] = {{r.left, r.top, r.right, r.top + t},
                                   {r.right - rt, r.top, r.right, r.bottom},
                                   {r.left, r.bottom - b, r.right, r.bottom},
                                   {r.left, r.top, r.left + l, r.bottom}};
            for (int i = 0; i < 4; ++i)
                if (item.borders[i] > 0 && Opaque(item.colors[i]))
                {
                    HBRUSH hBrush = ::CreateSolidBrush(ToColorRef(item.colors[i]));
                    ::FillRect(hDC, &sides[i], hBrush);
                    ::DeleteObject(hBrush);
                }
            break;
        }
        case PaintItem::Text:
            if (item.font && Opaque(item.colors[0]))
            {
                const std::wstring wide = Utf8ToWide(item.text.data(), item.text.size());
                ::SetTextColor(hDC, ToColorRef(item.colors[0]));
                // Every glyph goes where the layout measured it: GDI's own advances for a whole run can
                // differ from the words measured, which runs words together or opens gaps before the next.
                std::vector<float> ends;
                metrics.Extents(*item.font, wide.data(), wide.size(), ends);
                const float measured = ends.empty() ? 0 : ends.back();
                const float stretch = measured > 0 && item.rect.w > 0 ? item.rect.w / measured : 1;
                auto at = [&](size_t i) { return px(item.rect.x + (i ? ends[i - 1] * stretch : 0)); };
                std::vector<INT> dx(wide.size());
                for (size_t i = 0; i < wide.size(); ++i)
                    dx[i] = at(i + 1) - at(i);
                metrics.ForEachPiece(*item.font, wide.data(), wide.size(), [&](HFONT hFont, const wchar_t* text, int n) {
                    const size_t from = static_cast<size_t>(text - wide.data());
                    HGDIOBJ hOld = ::SelectObject(hDC, hFont);
                    ::ExtTextOutW(hDC, at(from), py(item.baseline), 0, nullptr, text, static_cast<UINT>(n),
                                  dx.data() + from);
                    ::SelectObject(hDC, hOld);
                });
            }
            break;
        case PaintItem::Image:
        {
            const std::string* src = item.node ? item.node->Attribute("src") : nullptr;
            const CHtmlImageCache::Image* image = src ? images.Find(*src) : nullptr;
            if (image && r.right > r.left && r.bottom > r.top)
            {
                HDC hImageDC = ::CreateCompatibleDC(hDC);
                HGDIOBJ hOld = ::SelectObject(hImageDC, image->hBitmap);
                const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                ::AlphaBlend(hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, hImageDC, 0, 0, image->width,
                             image->height, blend);
                ::SelectObject(hImageDC, hOld);
                ::DeleteDC(hImageDC);
                break;
            }
            // Not decoded (remote, missing, unresolved cid:, too big or of another format): the alt box.
            HBRUSH hBrush = ::CreateSolidBrush(RGB(0xC0, 0xC0, 0xC0));
            ::FrameRect(hDC, &r, hBrush);
            ::DeleteObject(hBrush);
            const std::string* alt = item.node ? item.node->Attribute("alt") : nullptr;
            if (alt && !alt->empty())
            {
                const std::wstring text = Utf8ToWide(alt->data(), alt->size());
                RECT inner = {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
                ::SetTextAlign(hDC, TA_TOP | TA_LEFT | TA_NOUPDATECP);
                ::SetTextColor(hDC, RGB(0x60, 0x60, 0x60));
                HGDIOBJ hOldFont = ::SelectObject(hDC, ::GetStockObject(DEFAULT_GUI_FONT));
                ::DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &inner, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_END_ELLIPSIS);
                ::SelectObject(hDC, hOldFont);
                ::SetTextAlign(hDC, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
            }
            break;
        }
        }
        ::RestoreDC(hDC, saved);
    }
}

HDC DefaultPrinterOpen(HWND hOwner, bool bWithUserInterface)
{
    PRINTDLGW pd = {};
    pd.lStructSize = sizeof(pd);
    pd.hwndOwner = hOwner;
    pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | (bWithUserInterface ? 0 : PD_RETURNDEFAULT);
    if (!::PrintDlgW(&pd))
        return nullptr;
    if (pd.hDevMode)
        ::GlobalFree(pd.hDevMode);
    if (pd.hDevNames)
        ::GlobalFree(pd.hDevNames);
    DOCINFOW di = {};
    di.cbSize = sizeof(di);
    di.lpszDocName = L"Message";
    if (pd.hDC && ::StartDocW(pd.hDC, &di) <= 0)
    {
        ::DeleteDC(pd.hDC);
        return nullptr;
    }
    return pd.hDC;
}

bool DefaultPrinterStartPage(HDC hDC)
{
    return ::StartPage(hDC) > 0;
}

bool DefaultPrinterEndPage(HDC hDC)
{
    return ::EndPage(hDC) > 0;
}

void DefaultPrinterClose(HDC hDC, bool bCompleted)
{
    if (bCompleted)
        ::EndDoc(hDC);
    else
        ::AbortDoc(hDC);
    ::DeleteDC(hDC);
}
}

CHtmlView::PrinterSeam CHtmlView::s_printer = {DefaultPrinterOpen, DefaultPrinterStartPage, DefaultPrinterEndPage,
                                               DefaultPrinterClose};

CHtmlView::CHtmlView()
{
    // Events come from the control's window procedure, on the thread of the sinks that host it.
    CallSinksDirectly();
}

CHtmlView::~CHtmlView()
{
    m_text.reset();
    m_layout.reset();
    m_metrics.reset();
    if (m_hMeasureDC)
        ::DeleteDC(m_hMeasureDC);
}

bool CHtmlView::RegisterClass()
{
    static const bool registered = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = HTMLVIEW_CLASS;
        return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

CHtmlView* CHtmlView::FromWindow(HWND hWnd)
{
    wchar_t name[32] = L"";
    if (!::IsWindow(hWnd) || !::GetClassNameW(hWnd, name, 32) || lstrcmpiW(name, HTMLVIEW_CLASS) != 0)
        return nullptr;
    return reinterpret_cast<CHtmlView*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}

void CHtmlView::SetMailtoHandler(MailtoHandler pfn)
{
    s_pfnMailto = pfn;
}

LRESULT CALLBACK CHtmlView::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    try
    {
        if (uMsg == WM_NCCREATE)
        {
            CComObject<CHtmlView>* pView = nullptr;
            if (FAILED(CComObject<CHtmlView>::CreateInstance(&pView)))
                return FALSE;
            pView->AddRef();
            pView->m_hWnd = hWnd;
            pView->m_hMeasureDC = ::CreateCompatibleDC(nullptr);
            pView->m_metrics = std::make_unique<CGdiFontMetrics>(pView->m_hMeasureDC);
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<CHtmlView*>(pView)));
            // The scroll bar is always there, so the page's width never depends on its own height.
            ::SetWindowLongW(hWnd, GWL_STYLE, ::GetWindowLongW(hWnd, GWL_STYLE) | WS_VSCROLL);
        }
        CHtmlView* pView = reinterpret_cast<CHtmlView*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (!pView)
            return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
        if (uMsg == WM_NCDESTROY)
        {
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
            if (pView->m_hFindDialog)
                ::DestroyWindow(pView->m_hFindDialog);
            pView->m_hWnd = nullptr;
            ++pView->m_nGeneration;
            pView->GetUnknown()->Release();
            return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
        }
        return pView->OnMessage(uMsg, wParam, lParam);
    }
    catch (...)
    {
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
}

LRESULT CHtmlView::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    switch (uMsg)
    {
    case WM_CREATE:
        UpdateScrollBar();
        Load(std::string());
        return 0;
    case WM_ATLGETCONTROL_:
        return reinterpret_cast<LRESULT>(GetUnknown());
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_PRINTCLIENT:
        Render(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        ScrollTo(m_nScrollY - GET_WHEEL_DELTA_WPARAM(wParam) * 3 * kLineStep / WHEEL_DELTA);
        return 0;
    case WM_LBUTTONDOWN:
        OnMouseDown(x, y, (wParam & MK_SHIFT) != 0);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnDoubleClick(x, y);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(x, y);
        return 0;
    case WM_LBUTTONUP:
        OnMouseUp(x, y);
        return 0;
    case WM_MOUSELEAVE:
        m_bTrackingLeave = false;
        if (m_pHoverLink)
        {
            m_pHoverLink = nullptr;
            FireStatusText(std::wstring());
        }
        return 0;
    case WM_CAPTURECHANGED:
        m_bDragging = false;
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT)
        {
            ::SetCursor(::LoadCursor(nullptr, m_pHoverLink ? IDC_HAND : IDC_IBEAM));
            return TRUE;
        }
        break;
    case WM_GETDLGCODE:
        // Tab and Enter stay with the dialog.
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        if (OnKeyDown(wParam))
            return 0;
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND,
                       MAKEWPARAM(::GetDlgCtrlID(m_hWnd), uMsg == WM_SETFOCUS ? EN_SETFOCUS : EN_KILLFOCUS),
                       reinterpret_cast<LPARAM>(m_hWnd));
        return 0;
    case WM_HTMLVIEW_DOWNLOADED:
        if (static_cast<LONG>(wParam) == m_nGeneration)
            FireEvent(DISPID_DOWNLOADCOMPLETE);
        return 0;
    case CHtmlLinkFetch::WM_FETCHED:
        OnFetched(wParam, reinterpret_cast<std::string*>(lParam));
        return 0;
    default:
        if (uMsg == FindMessage() && lParam)
        {
            OnFindMessage(reinterpret_cast<FINDREPLACEW*>(lParam));
            return 0;
        }
        break;
    }
    return ::DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}

void CHtmlView::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    Render(hDC);
    ::EndPaint(m_hWnd, &ps);
}

void CHtmlView::Render(HDC hDC)
{
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    if (rc.right <= 0 || rc.bottom <= 0)
        return;
    // Drawn off screen first, so scrolling and selecting do not flicker.
    HDC hMem = ::CreateCompatibleDC(hDC);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hDC, rc.right, rc.bottom);
    HGDIOBJ hOld = ::SelectObject(hMem, hBitmap);
    ::FillRect(hMem, &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (m_text)
    {
        DrawPaintList(hMem, *m_metrics, m_images, m_paint, 1.0f, static_cast<float>(m_nScrollY), rc);
        PaintSelection(hMem);
    }
    ::BitBlt(hDC, 0, 0, rc.right, rc.bottom, hMem, 0, 0, SRCCOPY);
    ::SelectObject(hMem, hOld);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hMem);
}

void CHtmlView::PaintSelection(HDC hDC)
{
    if (!HasSelection())
        return;
    TextPosition a = m_selAnchor, b = m_selEnd;
    if (b < a)
        std::swap(a, b);
    const auto& runs = m_layout->Runs();
    for (size_t i = a.run; i <= b.run && i < runs.size(); ++i)
    {
        const float x0 = i == a.run ? m_text->XOf(a) : runs[i].x;
        const float x1 = i == b.run ? m_text->XOf(b) : runs[i].x + runs[i].width;
        const RECT r = {static_cast<int>(x0), static_cast<int>(runs[i].line.y) - m_nScrollY,
                        static_cast<int>(std::ceil(x1)), static_cast<int>(std::ceil(runs[i].line.Bottom())) - m_nScrollY};
        if (r.right > r.left)
            ::InvertRect(hDC, &r);
    }
}

void CHtmlView::OnSize()
{
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    if (rc.right != m_nLayoutWidth)
        LayOut();
    UpdateScrollBar();
    ScrollTo(m_nScrollY);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CHtmlView::OnVScroll(int nCode)
{
    SCROLLINFO si = {sizeof(si), SIF_ALL};
    ::GetScrollInfo(m_hWnd, SB_VERT, &si);
    int y = m_nScrollY;
    switch (nCode)
    {
    case SB_LINEUP: y -= kLineStep; break;
    case SB_LINEDOWN: y += kLineStep; break;
    case SB_PAGEUP: y -= static_cast<int>(si.nPage); break;
    case SB_PAGEDOWN: y += static_cast<int>(si.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: y = si.nTrackPos; break;
    case SB_TOP: y = 0; break;
    case SB_BOTTOM: y = si.nMax; break;
    }
    ScrollTo(y);
}

bool CHtmlView::HitTest(int x, int y, TextPosition& pos) const
{
    return m_text && m_text->HitTest(static_cast<float>(x), static_cast<float>(y + m_nScrollY), pos);
}

void CHtmlView::OnMouseDown(int x, int y, bool bShift)
{
    ::SetFocus(m_hWnd);
    ::SetCapture(m_hWnd);
    m_bDragging = true;
    m_pPressedLink = m_text ? m_text->LinkAt(static_cast<float>(x), static_cast<float>(y + m_nScrollY)) : nullptr;
    TextPosition pos;
    if (HitTest(x, y, pos))
    {
        if (!bShift || !m_bHasText)
            m_selAnchor = pos;
        m_selEnd = pos;
        m_bHasText = true;
    }
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CHtmlView::OnMouseMove(int x, int y)
{
    if (!m_bTrackingLeave)
    {
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hWnd, 0};
        m_bTrackingLeave = ::TrackMouseEvent(&tme) != FALSE;
    }
    const CHtmlNode* link = m_text ? m_text->LinkAt(static_cast<float>(x), static_cast<float>(y + m_nScrollY)) : nullptr;
    if (link != m_pHoverLink)
    {
        m_pHoverLink = link;
        const std::string* href = link ? link->Attribute("href") : nullptr;
        FireStatusText(href ? Utf8ToWide(href->data(), href->size()) : std::wstring());
    }
    TextPosition pos;
    if (m_bDragging && ::GetCapture() == m_hWnd && HitTest(x, y, pos) && !(pos == m_selEnd))
    {
        m_selEnd = pos;
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void CHtmlView::OnMouseUp(int x, int y)
{
    const bool wasDragging = m_bDragging;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    m_bDragging = false;
    const CHtmlNode* link = m_text ? m_text->LinkAt(static_cast<float>(x), static_cast<float>(y + m_nScrollY)) : nullptr;
    const CHtmlNode* pressed = m_pPressedLink;
    m_pPressedLink = nullptr;
    // A drag that selected text is not a click.
    if (wasDragging && link && link == pressed && !HasSelection())
    {
        const std::string* href = link->Attribute("href");
        if (href)
            ActivateLink(*href);
    }
}

void CHtmlView::OnDoubleClick(int x, int y)
{
    TextPosition pos;
    if (!HitTest(x, y, pos))
        return;
    const std::string& text = m_layout->Runs()[pos.run].text;
    size_t start = std::min(pos.offset, text.size()), end = start;
    while (start > 0 && text[start - 1] != ' ')
        --start;
    while (end < text.size() && text[end] != ' ')
        ++end;
    m_selAnchor = {pos.run, start};
    m_selEnd = {pos.run, end};
    m_bHasText = true;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

bool CHtmlView::OnKeyDown(WPARAM vk)
{
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    switch (vk)
    {
    case 'A':
        if (!ctrl)
            return false;
        SelectAll();
        return true;
    case 'C':
    case VK_INSERT:
        if (!ctrl)
            return false;
        Copy();
        return true;
    case VK_UP: ScrollTo(m_nScrollY - kLineStep); return true;
    case VK_DOWN: ScrollTo(m_nScrollY + kLineStep); return true;
    case VK_PRIOR: ScrollTo(m_nScrollY - rc.bottom); return true;
    case VK_NEXT: ScrollTo(m_nScrollY + rc.bottom); return true;
    case VK_HOME: ScrollTo(0); return true;
    case VK_END: ScrollTo(INT_MAX / 2); return true;
    }
    return false;
}

void CHtmlView::Load(const std::string& utf8)
{
    m_paint.clear();
    m_text.reset();
    m_layout.reset();
    m_styler.reset();
    m_doc = std::make_unique<CHtmlDocument>();
    m_doc->Parse(utf8);
    m_styler = std::make_unique<CHtmlStyler>();
    RECT rc = {0, 0, 0, 0};
    if (m_hWnd)
        ::GetClientRect(m_hWnd, &rc);
    m_styler->Apply(*m_doc, rc.right > 0 ? static_cast<float>(rc.right) : CHtmlStyler::kDefaultViewportWidth);
    const size_t slash = m_path.find_last_of(L"\\/");
    m_images.Load(*m_doc, slash == std::wstring::npos ? std::wstring() : m_path.substr(0, slash));
    m_selAnchor = m_selEnd = TextPosition();
    m_bHasText = false;
    m_pHoverLink = m_pPressedLink = nullptr;
    m_nScrollY = 0;
    LayOut();
    UpdateScrollBar();
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CHtmlView::LayOut()
{
    if (!m_doc || !m_hWnd)
        return;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    m_nLayoutWidth = rc.right;
    m_text.reset();
    m_layout = std::make_unique<CHtmlLayout>(*m_doc, *m_metrics, &m_images.Sizes());
    m_layout->Layout(static_cast<float>(std::max<LONG>(rc.right, 1)));
    m_text = std::make_unique<CHtmlTextModel>(*m_layout, *m_metrics);
    // Made once per layout: building it walks every box, too slow to repeat on each paint of a long mail.
    m_paint = m_text->PaintList();
    m_selAnchor = m_selEnd = TextPosition();
    m_bHasText = false;
    m_pHoverLink = m_pPressedLink = nullptr;
}

void CHtmlView::UpdateScrollBar()
{
    if (!m_hWnd)
        return;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    SCROLLINFO si = {sizeof(si), SIF_ALL | SIF_DISABLENOSCROLL};
    si.nMin = 0;
    si.nMax = m_layout ? static_cast<int>(std::ceil(m_layout->Height())) : 0;
    si.nPage = static_cast<UINT>(std::max<LONG>(rc.bottom, 0)) + 1;
    si.nPos = m_nScrollY;
    ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
}

void CHtmlView::ScrollTo(int y)
{
    if (!m_hWnd)
        return;
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const int height = m_layout ? static_cast<int>(std::ceil(m_layout->Height())) : 0;
    y = std::max(0, std::min(y, height - static_cast<int>(rc.bottom)));
    if (y == m_nScrollY)
        return;
    m_nScrollY = y;
    UpdateScrollBar();
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

POINT CHtmlView::ToClient(float x, float y) const
{
    return POINT{static_cast<LONG>(std::lround(x)), static_cast<LONG>(std::lround(y)) - m_nScrollY};
}

void CHtmlView::PostDownloadComplete()
{
    if (m_hWnd)
        ::PostMessageW(m_hWnd, WM_HTMLVIEW_DOWNLOADED, static_cast<WPARAM>(m_nGeneration), 0);
}

void CHtmlView::FireStatusText(const std::wstring& text)
{
    CComVariant arg(text.c_str());
    FireEvent(DISPID_STATUSTEXTCHANGE, &arg, 1);
}

HRESULT CHtmlView::NavigateUrl(const std::wstring& url)
{
    if (!m_hWnd)
        return E_FAIL;
    const std::wstring scheme = SchemeOf(url);
    std::string host, path;
    int port = 0;
    if (scheme == L"http")
    {
        if (!LocalHttp(url, host, port, path))
            return E_INVALIDARG;
        StartFetch(url);
        return S_OK;
    }
    std::wstring file;
    if (scheme == L"about")
    {
        if (Lower(url) != L"about:blank")
            return E_INVALIDARG;
    }
    else if (scheme == L"file")
        file = FilePathOf(url);
    else if (scheme.empty() && !url.empty())
        file = url;
    else
        return E_INVALIDARG;
    ++m_nGeneration;
    m_url = url;
    m_path = file;
    std::string bytes;
    if (!file.empty())
        CHtmlPageReader::ReadFile(file.c_str(), bytes);
    Load(CHtmlPageReader::ToUtf8(bytes, m_nDefaultCodePage));
    PostDownloadComplete();
    return S_OK;
}

void CHtmlView::StartFetch(const std::wstring& url)
{
    std::string host, path;
    int port = 0;
    if (!LocalHttp(url, host, port, path))
        return;
    m_url = url;
    CHtmlLinkFetch::Start(m_hWnd, ++m_nGeneration, port, path);
}

void CHtmlView::OnFetched(WPARAM generation, std::string* pReply)
{
    std::unique_ptr<std::string> reply(pReply);
    if (static_cast<LONG>(generation) != m_nGeneration || !reply)
        return;
    std::string body = *reply;
    if (body.compare(0, 5, "HTTP/") == 0)
    {
        size_t end = body.find("\r\n\r\n");
        body = end == std::string::npos ? std::string() : body.substr(end + 4);
    }
    m_path.clear();
    Load(CHtmlPageReader::ToUtf8(body, m_nDefaultCodePage));
    PostDownloadComplete();
}

void CHtmlView::ActivateLink(const std::string& href)
{
    const std::wstring url = Utf8ToWide(href.data(), href.size());
    if (!url.empty() && url[0] == L'#')
    {
        float y = 0;
        if (m_layout && m_layout->AnchorY(href.substr(1), y))
            ScrollTo(static_cast<int>(y));
        return;
    }
    const std::wstring scheme = SchemeOf(url);
    std::string host, path;
    int port = 0;
    if (scheme == L"mailto")
    {
        if (s_pfnMailto)
            s_pfnMailto(m_hWnd, url.c_str());
        else
            CSystemSeams::ShellExecuteFile(m_hWnd, "open", href.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    else if (LocalHttp(url, host, port, path))
        StartFetch(url);
    else if (LoopbackHttp(url, host, path))
    {
        // Another service on this machine, or a link that would smuggle lines into a request: neither
        // fetched nor handed to the browser.
    }
    else if (scheme == L"http" || scheme == L"https" || scheme == L"ftp")
        CSystemSeams::ShellExecuteFile(m_hWnd, "open", href.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool CHtmlView::HasSelection() const
{
    return m_text && m_bHasText && !(m_selAnchor == m_selEnd);
}

void CHtmlView::SelectAll()
{
    if (!m_layout || m_layout->Runs().empty())
        return;
    m_selAnchor = TextPosition();
    m_selEnd = {m_layout->Runs().size() - 1, m_layout->Runs().back().text.size()};
    m_bHasText = true;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

std::wstring CHtmlView::SelectedText() const
{
    if (!HasSelection())
        return std::wstring();
    TextPosition a = m_selAnchor, b = m_selEnd;
    if (b < a)
        std::swap(a, b);
    const std::string text = m_text->Text(a, b);
    return Utf8ToWide(text.data(), text.size());
}

std::wstring CHtmlView::Text() const
{
    if (!m_text)
        return std::wstring();
    const std::string text = m_text->Text();
    return Utf8ToWide(text.data(), text.size());
}

bool CHtmlView::Copy()
{
    const std::wstring text = SelectedText();
    if (text.empty() || !::OpenClipboard(m_hWnd))
        return false;
    ::EmptyClipboard();
    HGLOBAL hWide = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (hWide)
    {
        memcpy(::GlobalLock(hWide), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        ::GlobalUnlock(hWide);
        if (!::SetClipboardData(CF_UNICODETEXT, hWide))
            ::GlobalFree(hWide);
    }
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    HGLOBAL hAnsi = n > 0 ? ::GlobalAlloc(GMEM_MOVEABLE, n) : nullptr;
    if (hAnsi)
    {
        ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, static_cast<char*>(::GlobalLock(hAnsi)), n, nullptr,
                              nullptr);
        ::GlobalUnlock(hAnsi);
        if (!::SetClipboardData(CF_TEXT, hAnsi))
            ::GlobalFree(hAnsi);
    }
    ::CloseClipboard();
    return true;
}

bool CHtmlView::Find(const std::wstring& text, bool bMatchCase, bool bForward)
{
    if (!m_text || text.empty() || !m_layout || m_layout->Runs().empty())
        return false;
    const std::string what = WideToUtf8String(text.data(), text.size());
    const TextPosition end = {m_layout->Runs().size() - 1, m_layout->Runs().back().text.size()};
    TextPosition from = bForward ? TextPosition() : end;
    if (HasSelection() || m_bHasText)
    {
        TextPosition a = m_selAnchor, b = m_selEnd;
        if (b < a)
            std::swap(a, b);
        from = bForward ? b : a;
    }
    TextRange found;
    // Past the last match the search starts over from the other end, once.
    if (!m_text->Find(what, bMatchCase, bForward, from, found) &&
        !m_text->Find(what, bMatchCase, bForward, bForward ? TextPosition() : end, found))
        return false;
    m_selAnchor = found.start;
    m_selEnd = found.end;
    m_bHasText = true;
    ScrollIntoView(found);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return true;
}

void CHtmlView::ScrollIntoView(const TextRange& range)
{
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const Rect& line = m_layout->Runs()[range.start.run].line;
    if (line.y < m_nScrollY || line.Bottom() > m_nScrollY + rc.bottom)
        ScrollTo(static_cast<int>(line.y) - rc.bottom / 3);
}

void CHtmlView::ShowFind()
{
    if (m_hFindDialog && ::IsWindow(m_hFindDialog))
    {
        ::SetActiveWindow(m_hFindDialog);
        return;
    }
    m_find = {};
    m_find.lStructSize = sizeof(m_find);
    m_find.hwndOwner = m_hWnd;
    m_find.Flags = FR_DOWN;
    m_find.lpstrFindWhat = m_szFind;
    m_find.wFindWhatLen = ARRAYSIZE(m_szFind);
    m_hFindDialog = ::FindTextW(&m_find);
}

void CHtmlView::OnFindMessage(FINDREPLACEW* pFind)
{
    if (pFind->Flags & FR_DIALOGTERM)
    {
        m_hFindDialog = nullptr;
        return;
    }
    if (pFind->Flags & FR_FINDNEXT)
    {
        if (!Find(pFind->lpstrFindWhat, (pFind->Flags & FR_MATCHCASE) != 0, (pFind->Flags & FR_DOWN) != 0))
            ::MessageBeep(MB_OK);
    }
}

int CHtmlView::PrintOn(HDC hDC)
{
    if (!m_doc)
        return 0;
    const int dpi = std::max(::GetDeviceCaps(hDC, LOGPIXELSY), 1);
    const int widthPx = ::GetDeviceCaps(hDC, HORZRES), heightPx = ::GetDeviceCaps(hDC, VERTRES);
    const float scale = dpi / 96.0f;
    CGdiFontMetrics metrics(hDC, dpi);
    CHtmlLayout layout(*m_doc, metrics, &m_images.Sizes());
    layout.Layout(widthPx / scale);
    CHtmlTextModel text(layout, metrics);
    const std::vector<PaintItem> items = text.PaintList();
    int printed = 0;
    for (const Page& page : text.Paginate(heightPx / scale))
    {
        if (!s_printer.StartPage(hDC))
            return -1;
        const RECT bounds = {0, 0, widthPx, static_cast<LONG>(std::ceil((page.bottom - page.top) * scale))};
        DrawPaintList(hDC, metrics, m_images, items, scale, page.top, bounds);
        if (!s_printer.EndPage(hDC))
            return -1;
        ++printed;
    }
    return printed;
}

HRESULT CHtmlView::PrintDocument(bool bWithUserInterface)
{
    if (!m_hWnd)
        return E_FAIL;
    HDC hDC = s_printer.Open(m_hWnd, bWithUserInterface);
    if (!hDC)
        return S_OK;
    const int pages = PrintOn(hDC);
    s_printer.Close(hDC, pages >= 0);
    return pages >= 0 ? S_OK : E_FAIL;
}

// COM methods

STDMETHODIMP CHtmlView::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CHtmlView::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CHtmlView::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId)
{
    if (!rgszNames || !rgDispId)
        return E_POINTER;
    for (UINT i = 0; i < cNames; ++i)
        rgDispId[i] = DISPID_UNKNOWN;
    if (cNames >= 1 && rgszNames[0] && lstrcmpiW(rgszNames[0], L"PrintDocument") == 0)
    {
        rgDispId[0] = kDispIdPrintDocument;
        return cNames == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CHtmlView::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                               VARIANT* pVarResult, EXCEPINFO*, UINT*)
{
    try
    {
        if (dispIdMember != kDispIdPrintDocument)
            return DISP_E_MEMBERNOTFOUND;
        if (!(wFlags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        bool withUI = true;
        if (pDispParams && pDispParams->cArgs >= 1)
        {
            CComVariant arg;
            if (FAILED(::VariantChangeType(&arg, &pDispParams->rgvarg[pDispParams->cArgs - 1], 0, VT_BOOL)))
                return DISP_E_TYPEMISMATCH;
            withUI = arg.boolVal != VARIANT_FALSE;
        }
        if (pVarResult)
            ::VariantInit(pVarResult);
        return PrintDocument(withUI);
    }
    catch (...)
    {
        return E_FAIL;
    }
}

STDMETHODIMP CHtmlView::GoSearch()
{
    if (!m_hWnd)
        return E_FAIL;
    ShowFind();
    return S_OK;
}

STDMETHODIMP CHtmlView::Navigate(BSTR URL, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
{
    try
    {
        if (!m_hWnd)
            return E_FAIL;
        if (!URL)
            return E_INVALIDARG;
        return NavigateUrl(URL);
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CHtmlView::Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                                  VARIANT* Headers)
{
    if (!m_hWnd)
        return E_FAIL;
    if (!URL)
        return E_INVALIDARG;
    CComVariant url;
    const VARIANT* pUrl = URL;
    if (pUrl->vt == (VT_BYREF | VT_VARIANT) && pUrl->pvarVal)
        pUrl = pUrl->pvarVal;
    if (FAILED(::VariantChangeType(&url, const_cast<VARIANT*>(pUrl), 0, VT_BSTR)))
        return E_INVALIDARG;
    return Navigate(url.bstrVal, Flags, TargetFrameName, PostData, Headers);
}

STDMETHODIMP CHtmlView::Refresh()
{
    try
    {
        if (!m_hWnd)
            return E_FAIL;
        if (SchemeOf(m_url) == L"http")
        {
            StartFetch(m_url);
            return S_OK;
        }
        return NavigateUrl(m_url.empty() ? L"about:blank" : m_url);
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CHtmlView::Stop()
{
    if (!m_hWnd)
        return E_FAIL;
    // A fetch still under way finds the generation changed and is dropped.
    ++m_nGeneration;
    return S_OK;
}

STDMETHODIMP CHtmlView::get_LocationURL(BSTR* LocationURL)
{
    if (!LocationURL)
        return E_POINTER;
    *LocationURL = nullptr;
    if (!m_hWnd)
        return E_FAIL;
    *LocationURL = ::SysAllocString(m_url.c_str());
    return *LocationURL || m_url.empty() ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CHtmlView::QueryStatusWB(OLECMDID cmdID, OLECMDF* pcmdf)
{
    if (!pcmdf)
        return E_POINTER;
    *pcmdf = static_cast<OLECMDF>(0);
    if (!m_hWnd)
        return E_FAIL;
    switch (cmdID)
    {
    case OLECMDID_COPY:
        *pcmdf = static_cast<OLECMDF>(OLECMDF_SUPPORTED | (HasSelection() ? OLECMDF_ENABLED : 0));
        break;
    case OLECMDID_SELECTALL:
    case OLECMDID_FIND:
    case OLECMDID_PRINT:
    case OLECMDID_STOP:
        *pcmdf = static_cast<OLECMDF>(OLECMDF_SUPPORTED | OLECMDF_ENABLED);
        break;
    default:
        break;
    }
    return S_OK;
}

STDMETHODIMP CHtmlView::ExecWB(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT*, VARIANT*)
{
    try
    {
        if (!m_hWnd)
            return E_FAIL;
        switch (cmdID)
        {
        case OLECMDID_COPY:
            Copy();
            return S_OK;
        case OLECMDID_SELECTALL:
            SelectAll();
            return S_OK;
        case OLECMDID_FIND:
            ShowFind();
            return S_OK;
        case OLECMDID_STOP:
            return Stop();
        case OLECMDID_PRINT:
            return PrintDocument(cmdexecopt != OLECMDEXECOPT_DONTPROMPTUSER);
        default:
            return OLECMDERR_E_NOTSUPPORTED;
        }
    }
    catch (...)
    {
        return E_FAIL;
    }
}
