// Fuzzes the IMAP response reader and the session on top of it: the bytes are a server's, delivered in
// pieces of any size. Reading must end in a response or a CImapError, never past a cap; the session's
// calls must end the same way, whatever the server says.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "components/OrbIMAP/ImapError.h"
#include "components/OrbIMAP/ImapResponse.h"
#include "components/OrbIMAP/ImapSession.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{

class CFuzzStream : public CImapStream
{
public:
    CFuzzStream(const std::string& text, size_t nPiece) : m_strText(text), m_nPiece(nPiece) {}
    bool Send(const char*, size_t) override { return true; }
    int Receive(char* pBuffer, size_t nLength, int) override
    {
        if (m_nPos >= m_strText.size())
            return m_nPos % 2 == 0 ? 0 : -1; // closed or silent, by the input
        const size_t n = std::min(std::min(nLength, m_nPiece), m_strText.size() - m_nPos);
        memcpy(pBuffer, m_strText.data() + m_nPos, n);
        m_nPos += n;
        return static_cast<int>(n);
    }
    size_t m_nPos = 0;

private:
    std::string m_strText;
    size_t m_nPiece;
};

class CFuzzConnector : public CImapConnector
{
public:
    CFuzzConnector(const std::string& text, size_t nPiece) : m_strText(text), m_nPiece(nPiece) {}
    std::unique_ptr<CImapStream> Open(const std::string&, unsigned, int) override
    {
        if (m_nOpened++ > 0)
            throw CImapError("no second connection");
        return std::unique_ptr<CImapStream>(new CFuzzStream(m_strText, m_nPiece));
    }

private:
    std::string m_strText;
    size_t m_nPiece;
    int m_nOpened = 0;
};

size_t Depth(const CImapValue& value)
{
    size_t depth = 0;
    for (const CImapValue& item : value.items)
        depth = std::max(depth, Depth(item));
    return value.nKind == CImapValue::LIST ? depth + 1 : depth;
}

void CheckResponse(const CImapResponse& response, size_t nInput)
{
    FUZZ_CHECK(!response.strTag.empty());
    FUZZ_CHECK(response.strStatus.empty() || response.strStatus == "OK" || response.strStatus == "NO" ||
               response.strStatus == "BAD" || response.strStatus == "BYE" || response.strStatus == "PREAUTH");
    FUZZ_CHECK(response.IsStatus() || response.strTag == "+" || !response.values.empty());
    for (const CImapValue& value : response.values)
    {
        FUZZ_CHECK(Depth(value) <= static_cast<size_t>(CImapResponseReader::kMaxDepth));
        FUZZ_CHECK(value.strText.size() <= nInput);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t piece = 1 + data[0] % 32;
    const int mode = data[1] % 4;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    if (mode == 0)
    {
        CFuzzStream stream(text, piece);
        CImapResponseReader reader(&stream);
        try
        {
            for (;;)
                CheckResponse(reader.Read(), text.size());
        }
        catch (const CImapError& e)
        {
            FUZZ_CHECK(e.what()[0] != '\0');
        }
        return 0;
    }

    // The session: the same bytes answer whatever it sends.
    CFuzzConnector connector(text, piece);
    CImapSession session(connector);
    try
    {
        session.Login("host", 143, "user", "password");
        if (mode == 1)
        {
            for (const CImapFolder& folder : session.ListFolders())
                FUZZ_CHECK(folder.strAttributes.size() >= 2 && folder.strAttributes[0] == '(');
        }
        else if (mode == 2)
            session.FetchUids(u"INBOX", [](uint32_t uid, uint32_t) { FUZZ_CHECK(uid != 0); });
        else
        {
            std::string message;
            uint32_t flags = 0;
            session.FetchMessage(u"INBOX", 1, message, flags);
            FUZZ_CHECK(message.size() <= text.size());
        }
    }
    catch (const CImapError& e)
    {
        FUZZ_CHECK(e.what()[0] != '\0');
    }
    return 0;
}
