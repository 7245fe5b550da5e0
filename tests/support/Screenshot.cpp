// Saves what a window shows on the screen as a PNG file, so people can look at a window a test drove.
#include "tests/support/Screenshot.h"

#include <stdint.h>
#include <stdio.h>

#include <vector>

static uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < n; i++)
    {
        crc ^= p[i];
        for (int k = 0; k < 8; k++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

static void PutBigEndian(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back((uint8_t)(v >> 24));
    out.push_back((uint8_t)(v >> 16));
    out.push_back((uint8_t)(v >> 8));
    out.push_back((uint8_t)v);
}

static void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBigEndian(out, (uint32_t)data.size());
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBigEndian(out, Crc32(body.data(), body.size()));
}

// RGB rows to PNG; the image data goes into stored (uncompressed) deflate blocks, which every reader takes.
static std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb)
{
    std::vector<uint8_t> raw;
    raw.reserve((size_t)height * (width * 3 + 1));
    for (int y = 0; y < height; y++)
    {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + (size_t)y * width * 3, rgb.begin() + (size_t)(y + 1) * width * 3);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do
    {
        size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
        z.push_back(pos + n == raw.size() ? 1 : 0);
        z.push_back((uint8_t)n);
        z.push_back((uint8_t)(n >> 8));
        z.push_back((uint8_t)~n);
        z.push_back((uint8_t)(~n >> 8));
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw)
    {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(z, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    PutBigEndian(ihdr, (uint32_t)width);
    PutBigEndian(ihdr, (uint32_t)height);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    PutChunk(png, "IHDR", ihdr);
    PutChunk(png, "IDAT", z);
    PutChunk(png, "IEND", {});
    return png;
}

// A dialog is found by its caption while it still initialises, before it shows and paints its controls; a
// capture then misses whatever is not painted yet. Waits until the window is shown and its thread has come
// back to its message loop, where the redraw below is served at once.
static void WaitUntilShown(HWND hWnd)
{
    for (int i = 0; i < 500 && !::IsWindowVisible(hWnd); i++)
        ::Sleep(10);
    DWORD_PTR dwResult = 0;
    ::SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &dwResult);
}

static BOOL CALLBACK FindUnpainted(HWND hWnd, LPARAM lParam)
{
    if (!::IsWindowVisible(hWnd) || !::GetUpdateRect(hWnd, NULL, FALSE))
        return TRUE;
    *reinterpret_cast<bool*>(lParam) = true;
    return FALSE;
}

// A redraw asked from another thread only invalidates: the window's own thread paints when it gets to it,
// and a capture taken meanwhile shows half-erased controls or what lay there before. Waits until no
// window of the tree has anything left to paint and the thread has come back from painting it.
static void WaitUntilPainted(HWND hWnd)
{
    for (int i = 0; i < 500; i++)
    {
        bool bUnpainted = ::IsWindowVisible(hWnd) && ::GetUpdateRect(hWnd, NULL, FALSE);
        if (!bUnpainted)
            ::EnumChildWindows(hWnd, FindUnpainted, (LPARAM)&bUnpainted);
        if (!bUnpainted)
            break;
        ::Sleep(10);
    }
    DWORD_PTR dwResult = 0;
    ::SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &dwResult);
}

std::string SaveWindowScreenshot(HWND hWnd, const char* pszName)
{
    WaitUntilShown(hWnd);
    RECT rc;
    if (!::GetWindowRect(hWnd, &rc) || rc.right <= rc.left || rc.bottom <= rc.top)
        return "";
    ::RedrawWindow(hWnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    WaitUntilPainted(hWnd);
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;

    HDC hdcScreen = ::GetDC(NULL);
    HDC hdcMem = ::CreateCompatibleDC(hdcScreen);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = NULL;
    HBITMAP hbm = ::CreateDIBSection(hdcScreen, &bmi, DIB_RGB_COLORS, &pBits, NULL, 0);
    HGDIOBJ hOld = ::SelectObject(hdcMem, hbm);
    BOOL bCopied = ::BitBlt(hdcMem, 0, 0, width, height, hdcScreen, rc.left, rc.top, SRCCOPY);
    ::GdiFlush();
    std::vector<uint8_t> rgb((size_t)width * height * 3);
    const uint8_t* src = (const uint8_t*)pBits;
    for (size_t i = 0; i < (size_t)width * height; i++)
    {
        rgb[i * 3] = src[i * 4 + 2];
        rgb[i * 3 + 1] = src[i * 4 + 1];
        rgb[i * 3 + 2] = src[i * 4];
    }
    ::SelectObject(hdcMem, hOld);
    ::DeleteObject(hbm);
    ::DeleteDC(hdcMem);
    ::ReleaseDC(NULL, hdcScreen);
    if (!bCopied)
        return "";

    char szPath[MAX_PATH];
    ::GetModuleFileNameA(NULL, szPath, MAX_PATH);
    char* pSlash = strrchr(szPath, '\\');
    if (pSlash != NULL)
        *pSlash = 0;
    std::string folder = std::string(szPath) + "\\screenshots";
    ::CreateDirectoryA(folder.c_str(), NULL);
    std::string path = folder + "\\" + pszName + ".png";

    std::vector<uint8_t> png = EncodePng(width, height, rgb);
    FILE* f = fopen(path.c_str(), "wb");
    if (f == NULL)
        return "";
    bool bWritten = fwrite(png.data(), 1, png.size(), f) == png.size();
    fclose(f);
    if (!bWritten)
        return "";

    // Wine maps the Linux root to drive Z:, so the Linux path is the rest with forward slashes.
    std::string linuxPath = path;
    if (linuxPath.size() > 2 && (linuxPath[0] == 'Z' || linuxPath[0] == 'z') && linuxPath[1] == ':')
        linuxPath = linuxPath.substr(2);
    for (char& c : linuxPath)
        if (c == '\\')
            c = '/';
    printf("[ screenshot ] %s\n", linuxPath.c_str());
    fflush(stdout);
    return path;
}
