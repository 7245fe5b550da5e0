// Parsing messages into their part trees, and base64 and quoted-printable decoding, beside GMime 3 on the
// same bytes in the same run. Prints ratios (ours / GMime throughput); asserts nothing.
#include <gmime/gmime.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "content/MimePart.h"
#include "content/TransferEncoding.h"

namespace
{
std::vector<std::string> LoadCorpus()
{
    std::vector<std::string> corpus;
    for (const char* pszFolder : {"/mime", "/mime/python"})
    {
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator(std::string(ORB_TEST_DATA_DIR) + pszFolder, error))
        {
            if (entry.path().extension() != ".eml")
                continue;
            std::ifstream file(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << file.rdbuf();
            corpus.push_back(bytes.str());
        }
    }
    return corpus;
}

template <class F> double SecondsFor(F f)
{
    auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

size_t g_sink = 0;

void ParseOurs(const std::vector<std::string>& corpus)
{
    for (const std::string& text : corpus)
    {
        CMimePart part(CString(text.data(), (int)text.size()));
        g_sink += part.m_fields.size() + (part.m_pFirstChild != NULL);
    }
}

void ParseGMime(const std::vector<std::string>& corpus)
{
    for (const std::string& text : corpus)
    {
        GMimeStream* stream = g_mime_stream_mem_new_with_buffer(text.data(), text.size());
        GMimeParser* parser = g_mime_parser_new_with_stream(stream);
        GMimeMessage* message = g_mime_parser_construct_message(parser, NULL);
        g_sink += message != NULL;
        if (message != NULL)
            g_object_unref(message);
        g_object_unref(parser);
        g_object_unref(stream);
    }
}

std::string DecodeGMime(GMimeContentEncoding encoding, const std::string& in)
{
    GMimeEncoding state;
    g_mime_encoding_init_decode(&state, encoding);
    std::string out(g_mime_encoding_outlen(&state, in.size()) + 16, '\0');
    size_t n = g_mime_encoding_step(&state, in.data(), in.size(), &out[0]);
    n += g_mime_encoding_flush(&state, NULL, 0, &out[n]);
    out.resize(n);
    return out;
}

void Report(const char* pszWhat, double dBytes, double dOurs, double dPeer)
{
    printf("%-28s ours %8.1f MB/s  GMime %8.1f MB/s  ratio %.2f\n", pszWhat, dBytes / dOurs / 1e6,
           dBytes / dPeer / 1e6, dPeer / dOurs);
}
} // namespace

int main()
{
    g_mime_init();
    std::vector<std::string> corpus = LoadCorpus();
    double dBytes = 0;
    for (const std::string& text : corpus)
        dBytes += (double)text.size();
    const int kRounds = 200;
    ParseOurs(corpus);
    ParseGMime(corpus);
    double dOurs = SecondsFor([&] {
        for (int i = 0; i < kRounds; i++)
            ParseOurs(corpus);
    });
    double dPeer = SecondsFor([&] {
        for (int i = 0; i < kRounds; i++)
            ParseGMime(corpus);
    });
    printf("part tree over %zu messages (%.0f bytes), %d rounds\n", corpus.size(), dBytes, kRounds);
    Report("parse to tree", dBytes * kRounds, dOurs, dPeer);

    std::string raw;
    for (int i = 0; raw.size() < 8 * 1024 * 1024; i++)
        raw.push_back((char)((i * 7919) >> 3));
    std::string base64 = EncodeBase64Bytes(raw.data(), raw.size());
    std::string folded;
    for (size_t i = 0; i < base64.size(); i += 76)
        folded += base64.substr(i, 76) + "\r\n";
    std::string qp;
    EncodeQuotedPrintableBytes(qp, raw.data(), raw.size() / 2, "\r\n");

    size_t nCheck = 0;
    dOurs = SecondsFor([&] { nCheck += DecodeBase64Bytes(folded.data(), folded.size()).size(); });
    dPeer = SecondsFor([&] { nCheck += DecodeGMime(GMIME_CONTENT_ENCODING_BASE64, folded).size(); });
    Report("base64 decode", (double)folded.size(), dOurs, dPeer);
    dOurs = SecondsFor([&] { nCheck += DecodeQuotedPrintableBytes(qp.data(), qp.size()).size(); });
    dPeer = SecondsFor([&] { nCheck += DecodeGMime(GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE, qp).size(); });
    Report("quoted-printable decode", (double)qp.size(), dOurs, dPeer);
    printf("(goals: parse ratio >= 0.5, decode ratios >= 1; checksum %zu)\n", nCheck + g_sink);
    return 0;
}
