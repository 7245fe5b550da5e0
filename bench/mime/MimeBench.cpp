// Parsing messages into their part trees, and base64 and quoted-printable decoding, beside GMime 3 on the
// same bytes in the same run. Prints ratios of GMime's time to ours (above 1: we are faster); asserts
// nothing.
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
std::vector<std::string> LoadCorpus(std::initializer_list<const char*> folders)
{
    std::vector<std::string> corpus;
    for (const char* pszFolder : folders)
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

std::string Base64Lines(size_t nBytes, unsigned nSeed)
{
    std::string bytes;
    for (size_t i = 0; i < nBytes; i++)
        bytes.push_back((char)((i * 7919 + nSeed * 104729) >> 3));
    std::string base64 = EncodeBase64Bytes(bytes.data(), bytes.size());
    std::string lines;
    for (size_t i = 0; i < base64.size(); i += 76)
        lines += base64.substr(i, 76) + "\r\n";
    return lines;
}

// Messages of the kind that are large in a mailbox: a text and HTML body, then many attachments and
// inline images, some forwarded messages with their own parts.
std::vector<std::string> MakeLargeMessages()
{
    std::vector<std::string> messages;
    for (unsigned nMessage = 0; nMessage < 6; nMessage++)
    {
        const int nParts = 8 + 6 * (int)nMessage;
        std::string text = "From: Ann <ann@example.com>\r\nTo: Bob <bob@example.com>\r\nSubject: Photos " +
                           std::to_string(nMessage) +
                           "\r\nDate: Tue, 5 Mar 2002 10:20:30 +0300\r\nMIME-Version: 1.0\r\n"
                           "Content-Type: multipart/mixed;\r\n\tboundary=\"----=_NextPart_000_0001\"\r\n\r\n"
                           "This is a multi-part message in MIME format.\r\n\r\n------=_NextPart_000_0001\r\n"
                           "Content-Type: multipart/alternative;\r\n"
                           "\tboundary=\"----=_NextPart_001_0002\"\r\n\r\n"
                           "------=_NextPart_001_0002\r\nContent-Type: text/plain; charset=\"iso-8859-1\"\r\n"
                           "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
        for (int i = 0; i < 40; i++)
            text += "The pictures from the trip are attached, one per part, as promised. =\r\n";
        text += "\r\n------=_NextPart_001_0002\r\nContent-Type: text/html; charset=\"iso-8859-1\"\r\n"
                "Content-Transfer-Encoding: quoted-printable\r\n\r\n<HTML><BODY>";
        for (int i = 0; i < 40; i++)
            text += "<P>The pictures from the trip are attached, one per part, as promised.</P>=\r\n";
        text += "</BODY></HTML>\r\n\r\n------=_NextPart_001_0002--\r\n\r\n";
        for (int nPart = 0; nPart < nParts; nPart++)
        {
            const std::string strPart = std::to_string(nPart);
            text += "------=_NextPart_000_0001\r\n";
            if (nPart % 5 == 4)
            {
                text += "Content-Type: message/rfc822\r\n\r\nFrom: carl@example.com\r\nSubject: fwd\r\n"
                        "Content-Type: multipart/mixed; boundary=\"inner-" +
                        strPart + "\"\r\n\r\n--inner-" + strPart +
                        "\r\nContent-Type: text/plain\r\n\r\nSee below.\r\n--inner-" + strPart +
                        "\r\nContent-Type: application/pdf; name=\"scan.pdf\"\r\n"
                        "Content-Transfer-Encoding: base64\r\n\r\n" +
                        Base64Lines(12000, nPart) + "--inner-" + strPart + "--\r\n\r\n";
                continue;
            }
            const std::string strName = "IMG_" + std::to_string(1000 + nPart) + ".jpg";
            text += "Content-Type: image/jpeg;\r\n\tname=\"" + strName +
                    "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n"
                    "\tfilename=\"" +
                    strName + "\"\r\n\r\n" + Base64Lines(9000 + 1500 * nPart, nPart) + "\r\n";
        }
        text += "------=_NextPart_000_0001--\r\n\r\n";
        messages.push_back(text);
    }
    return messages;
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

double Bytes(const std::vector<std::string>& messages)
{
    double dBytes = 0;
    for (const std::string& text : messages)
        dBytes += (double)text.size();
    return dBytes;
}

void CompareParse(const char* pszWhat, const std::vector<std::string>& messages, int nRounds)
{
    ParseOurs(messages);
    ParseGMime(messages);
    double dOurs = SecondsFor([&] {
        for (int i = 0; i < nRounds; i++)
            ParseOurs(messages);
    });
    double dPeer = SecondsFor([&] {
        for (int i = 0; i < nRounds; i++)
            ParseGMime(messages);
    });
    printf("%s: %zu messages (%.0f bytes), %d rounds\n", pszWhat, messages.size(), Bytes(messages), nRounds);
    Report("parse to tree", Bytes(messages) * nRounds, dOurs, dPeer);
}
} // namespace

int main()
{
    g_mime_init();
    printf("ratio = GMime's time / our time: above 1 we are faster\n");
    CompareParse("part tree over the test corpus", LoadCorpus({"/mime", "/mime/python"}), 200);

    // The largest messages alone: over 100 KB with many parts, generated, and any such real ones.
    std::vector<std::string> large = MakeLargeMessages();
    for (const std::string& text : LoadCorpus({"/mime", "/mime/python", "/real-mail"}))
    {
        if (text.size() > 100 * 1024)
            large.push_back(text);
    }
    CompareParse("part tree over messages over 100 KB with many parts", large, 20);

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
    double dOurs = SecondsFor([&] { nCheck += DecodeBase64Bytes(folded.data(), folded.size()).size(); });
    double dPeer = SecondsFor([&] { nCheck += DecodeGMime(GMIME_CONTENT_ENCODING_BASE64, folded).size(); });
    Report("base64 decode", (double)folded.size(), dOurs, dPeer);
    dOurs = SecondsFor([&] { nCheck += DecodeQuotedPrintableBytes(qp.data(), qp.size()).size(); });
    dPeer = SecondsFor([&] { nCheck += DecodeGMime(GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE, qp).size(); });
    Report("quoted-printable decode", (double)qp.size(), dOurs, dPeer);
    printf("(goals: parse ratios >= 1 on the corpus and on the large messages, decode ratios >= 1; "
           "checksum %zu)\n",
           nCheck + g_sink);
    return 0;
}
