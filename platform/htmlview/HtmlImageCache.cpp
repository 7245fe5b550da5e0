// WIC decoding of a page's local images.
#include "HtmlImageCache.h"

#include <wincodec.h>

#include <atlbase.h>

#include <cstring>

#include "platform/htmlview/GdiFontMetrics.h"

namespace
{
// mingw's import libraries lack these identifiers.
const CLSID kClsidWicFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
const IID kIidWicFactory = {0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
const GUID kFormatPbgra = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x10}};
const GUID kContainers[] = {
    {0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}},  // PNG
    {0x1f8a5601, 0x7d4d, 0x4cbd, {0x9c, 0x82, 0x1b, 0xc8, 0xd4, 0xee, 0xb9, 0xa5}},  // GIF
    {0x19e4a5aa, 0x5662, 0x4fc5, {0xa0, 0xc0, 0x17, 0x58, 0x02, 0x8e, 0x10, 0x57}},  // JPEG
    {0x0af1d87e, 0xfcfe, 0x4188, {0xbd, 0xeb, 0xa7, 0x90, 0x64, 0x71, 0xcb, 0xe3}},  // BMP
};

std::wstring PercentDecoded(const std::string& s)
{
    std::string bytes;
    for (size_t i = 0; i < s.size(); ++i)
    {
        if (s[i] == '%' && i + 2 < s.size() && isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            isxdigit(static_cast<unsigned char>(s[i + 2])))
        {
            bytes.push_back(static_cast<char>(strtol(s.substr(i + 1, 2).c_str(), nullptr, 16)));
            i += 2;
        }
        else
            bytes.push_back(s[i]);
    }
    return Utf8ToWide(bytes.data(), bytes.size());
}

// The bytes of a data: URL's image, base64 or percent-encoded; false for anything else or anything too big.
bool DataUrlBytes(const std::string& src, std::string& bytes)
{
    if (_strnicmp(src.c_str(), "data:", 5) != 0)
        return false;
    const size_t comma = src.find(',');
    if (comma == std::string::npos)
        return false;
    std::string header = src.substr(5, comma - 5);
    for (char& c : header)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    const bool base64 = header.size() >= 7 && header.compare(header.size() - 7, 7, ";base64") == 0;
    bytes.clear();
    if (!base64)
    {
        for (size_t i = comma + 1; i < src.size(); ++i)
            if (src[i] == '%' && i + 2 < src.size() && isxdigit(static_cast<unsigned char>(src[i + 1])) &&
                isxdigit(static_cast<unsigned char>(src[i + 2])))
            {
                bytes.push_back(static_cast<char>(strtol(src.substr(i + 1, 2).c_str(), nullptr, 16)));
                i += 2;
            }
            else
                bytes.push_back(src[i]);
        return bytes.size() <= static_cast<size_t>(CHtmlImageCache::kMaxFileSize);
    }
    // White space inside the payload is common in mail, folded at 76 columns.
    unsigned int acc = 0;
    int bits = 0;
    for (size_t i = comma + 1; i < src.size(); ++i)
    {
        const char c = src[i];
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+' || c == '-')
            v = 62;
        else if (c == '/' || c == '_')
            v = 63;
        else if (c == '=')
            break;
        else if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        else
            return false;
        acc = (acc << 6) | static_cast<unsigned int>(v);
        bits += 6;
        if (bits >= 8)
        {
            bits -= 8;
            bytes.push_back(static_cast<char>((acc >> bits) & 0xFF));
            if (bytes.size() > static_cast<size_t>(CHtmlImageCache::kMaxFileSize))
                return false;
        }
    }
    return !bytes.empty();
}

bool IsDrivePath(const std::wstring& p)
{
    return p.size() >= 3 && iswalpha(p[0]) && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/');
}
}

CHtmlImageCache::~CHtmlImageCache()
{
    Clear();
}

void CHtmlImageCache::Clear()
{
    for (auto& entry : m_images)
        ::DeleteObject(entry.second.hBitmap);
    m_images.clear();
    m_sizes.clear();
}

std::wstring CHtmlImageCache::LocalPathOf(const std::string& src)
{
    std::wstring path;
    if (_strnicmp(src.c_str(), "file:", 5) == 0)
    {
        std::string rest = src.substr(5);
        // file:///C:/x and file://C:/x; file://host/share is a UNC path and stays out.
        size_t slashes = 0;
        while (slashes < rest.size() && rest[slashes] == '/')
            ++slashes;
        rest.erase(0, slashes);
        path = PercentDecoded(rest);
    }
    else
        path = Utf8ToWide(src.data(), src.size());
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    if (!IsDrivePath(path) || path.find(L"\\\\") != std::wstring::npos || path.find(L'?') != std::wstring::npos)
        return std::wstring();
    return path;
}

std::wstring CHtmlImageCache::FolderOf(const std::wstring& path)
{
    if (path.empty())
        return std::wstring();
    wchar_t full[MAX_PATH];
    const DWORD n = ::GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH)
        return std::wstring();
    std::wstring folder(full, n);
    const size_t slash = folder.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return std::wstring();
    folder.erase(slash + 1);
    ::CharLowerBuffW(&folder[0], static_cast<DWORD>(folder.size()));
    return folder;
}

void CHtmlImageCache::Load(const html::CHtmlDocument& doc, const std::wstring& folder)
{
    Clear();
    const std::wstring allowed = FolderOf(folder + L"\\x");
    UINT64 budget = kMaxPagePixels;
    doc.Walk([&](const html::CHtmlNode* node) {
        if (!node->IsElement("img"))
            return;
        const std::string* src = node->Attribute("src");
        if (!src || m_images.count(*src))
            return;
        const std::wstring path = LocalPathOf(*src);
        // Any other file on this machine stays out: a mail must not show, or learn the size of, what it
        // does not carry.
        Image image;
        std::string bytes;
        if ((!path.empty() && !allowed.empty() && FolderOf(path) == allowed &&
             Decode(path, std::string(), image, budget)) ||
            (path.empty() && DataUrlBytes(*src, bytes) && Decode(std::wstring(), bytes, image, budget)))
        {
            m_images[*src] = image;
            m_sizes[*src] = {static_cast<float>(image.width), static_cast<float>(image.height)};
        }
    });
}

const CHtmlImageCache::Image* CHtmlImageCache::Find(const std::string& src) const
{
    auto it = m_images.find(src);
    return it == m_images.end() ? nullptr : &it->second;
}

bool CHtmlImageCache::Decode(const std::wstring& path, const std::string& bytes, Image& image, UINT64& budget)
{
    if (!path.empty())
    {
        WIN32_FILE_ATTRIBUTE_DATA attributes;
        if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes) ||
            (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (static_cast<LONGLONG>(attributes.nFileSizeHigh) << 32 | attributes.nFileSizeLow) > kMaxFileSize)
            return false;
    }
    CComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(kClsidWicFactory, nullptr, CLSCTX_INPROC_SERVER, kIidWicFactory,
                                  reinterpret_cast<void**>(&factory))))
        return false;
    CComPtr<IWICBitmapDecoder> decoder;
    CComPtr<IWICStream> stream;
    if (!path.empty())
    {
        if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                      WICDecodeMetadataCacheOnDemand, &decoder)))
            return false;
    }
    else if (bytes.empty() || FAILED(factory->CreateStream(&stream)) ||
             FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                                 static_cast<DWORD>(bytes.size()))) ||
             FAILED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)))
        return false;
    GUID container = {};
    if (FAILED(decoder->GetContainerFormat(&container)))
        return false;
    bool known = false;
    for (const GUID& g : kContainers)
        known |= IsEqualGUID(g, container) != FALSE;
    if (!known)
        return false;
    CComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0, height = 0;
    if (FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height)) || width == 0 ||
        height == 0 || width > kMaxDimension || height > kMaxDimension ||
        static_cast<UINT64>(width) * height > kMaxPixels || static_cast<UINT64>(width) * height > budget)
        return false;
    CComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame, kFormatPbgra, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        return false;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = static_cast<LONG>(width);
    bi.bmiHeader.biHeight = -static_cast<LONG>(height);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!hBitmap)
        return false;
    if (FAILED(converter->CopyPixels(nullptr, width * 4, width * 4 * height, static_cast<BYTE*>(bits))))
    {
        ::DeleteObject(hBitmap);
        return false;
    }
    budget -= static_cast<UINT64>(width) * height;
    image.hBitmap = hBitmap;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    return true;
}
