// The images of a page, decoded by WIC from local files only, within size caps; the view draws them and the
// layout takes their natural sizes.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "platform/html/HtmlDocument.h"
#include "platform/html/HtmlLayout.h"

class CHtmlImageCache
{
public:
    static constexpr LONGLONG kMaxFileSize = 16 * 1024 * 1024;
    static constexpr UINT kMaxDimension = 8192;
    static constexpr UINT64 kMaxPixels = 16 * 1024 * 1024;
    // Over all images of one page, so a mail of many big images cannot exhaust memory.
    static constexpr UINT64 kMaxPagePixels = 64 * 1024 * 1024;

    struct Image
    {
        HBITMAP hBitmap = nullptr;  // 32-bit premultiplied BGRA, top-down
        int width = 0, height = 0;
    };

    CHtmlImageCache() = default;
    ~CHtmlImageCache();
    CHtmlImageCache(const CHtmlImageCache&) = delete;
    CHtmlImageCache& operator=(const CHtmlImageCache&) = delete;

    // Decodes every IMG of the document whose src is a data: URL, or a drive path or a file: URL of a file
    // directly in folder, the page's own (a message's inline parts are written beside its view file); a page
    // of no folder shows no local image. COM must be initialised.
    void Load(const html::CHtmlDocument& doc, const std::wstring& folder);
    void Clear();

    const html::ImageSizes& Sizes() const { return m_sizes; }
    // The decoded image of a src, or null (then the alt box is drawn).
    const Image* Find(const std::string& src) const;

    // The local file a src names: "C:\x.png", "C:/x.png" or a file: URL of one; "" for anything else
    // (UNC and \\?\ paths, other schemes, relative names).
    static std::wstring LocalPathOf(const std::string& src);
    // The folder of a file, full and in lower case with its final backslash; "" when it has none.
    static std::wstring FolderOf(const std::wstring& path);

private:
    // From the file at path, or from bytes when path is empty.
    bool Decode(const std::wstring& path, const std::string& bytes, Image& image, UINT64& budget);

    std::map<std::string, Image> m_images;
    html::ImageSizes m_sizes;
};
