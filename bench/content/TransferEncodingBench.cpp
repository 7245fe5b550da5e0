// Base64 and quoted-printable decoding speed beside plain reference loops over the same bodies.
#include <chrono>
#include <cstdio>
#include <cctype>
#include <cstring>
#include <string>

#include "content/TransferEncoding.h"

namespace
{

// The peer: the textbook decoders, a strchr lookup per character and no line-break shortcuts.
std::string ReferenceBase64(const std::string& in)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned long group = 0;
    int count = 0;
    for (char c : in)
    {
        const char* at = c ? strchr(kAlphabet, c) : nullptr;
        if (!at)
            continue;
        group = (group << 6) | static_cast<unsigned long>(at - kAlphabet);
        if (++count == 4)
        {
            out.push_back(static_cast<char>(group >> 16));
            out.push_back(static_cast<char>(group >> 8));
            out.push_back(static_cast<char>(group));
            group = 0;
            count = 0;
        }
    }
    return out;
}

std::string ReferenceQuotedPrintable(const std::string& in)
{
    std::string out;
    for (size_t i = 0; i < in.size(); ++i)
    {
        if (in[i] == '=' && i + 2 < in.size() && in[i + 1] == '\r' && in[i + 2] == '\n')
            i += 2;
        else if (in[i] == '=' && i + 2 < in.size() && isxdigit(static_cast<unsigned char>(in[i + 1])) &&
                 isxdigit(static_cast<unsigned char>(in[i + 2])))
        {
            out.push_back(static_cast<char>(std::stoi(in.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        }
        else
            out.push_back(in[i]);
    }
    return out;
}

template <typename F> double MegabytesPerSecond(const std::string& input, F decode, size_t& sink)
{
    const int rounds = 5;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        sink += decode(input).size();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return input.size() * rounds / 1e6 / (seconds > 0 ? seconds : 1e-9);
}

void Report(const char* name, double ours, double peer)
{
    printf("%-18s ours %8.1f MB/s   reference loop %8.1f MB/s   ratio %.2f\n", name, ours, peer, ours / peer);
}

} // namespace

int main()
{
    // A mail-like body: 4 MB of mixed bytes, base64 in 76-character lines, quoted-printable of Latin text.
    std::string raw;
    unsigned seed = 12345;
    for (int i = 0; i < 4 * 1024 * 1024; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        raw.push_back(static_cast<char>(seed >> 16));
    }
    std::string base64;
    const std::string flat = EncodeBase64Bytes(raw.data(), raw.size());
    for (size_t i = 0; i < flat.size(); i += 76)
        base64 += flat.substr(i, 76) + "\r\n";

    std::string latin;
    const char* sample = "Gr\xfc\xdf"
                         "e aus K\xf6ln, caf\xe9 cr\xe8me br\xfbl\xe9"
                         "e = 5\x80 plus tax.\r\n";
    while (latin.size() < 4 * 1024 * 1024)
        latin += sample;
    std::string qp;
    EncodeQuotedPrintableBytes(qp, latin.data(), latin.size(), "\r\n");

    size_t sink = 0;
    Report("base64",
           MegabytesPerSecond(
               base64, [](const std::string& s) { return DecodeBase64Bytes(s.data(), s.size()); }, sink),
           MegabytesPerSecond(base64, ReferenceBase64, sink));
    Report("quoted-printable",
           MegabytesPerSecond(
               qp, [](const std::string& s) { return DecodeQuotedPrintableBytes(s.data(), s.size()); }, sink),
           MegabytesPerSecond(qp, ReferenceQuotedPrintable, sink));
    printf("(%zu bytes decoded)\n", sink);
    return 0;
}
