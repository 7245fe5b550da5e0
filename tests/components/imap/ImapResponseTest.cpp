// Tests of the IMAP response reader and of modified UTF-7 folder names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "ScriptedImapStream.h"
#include "components/OrbIMAP/ImapError.h"
#include "components/OrbIMAP/ImapResponse.h"
#include "components/OrbIMAP/ModifiedUtf7.h"

namespace
{

// The response as a compact text: lists in brackets, strings quoted, literals marked.
std::string Show(const CImapValue& value)
{
    switch (value.nKind)
    {
    case CImapValue::NIL:
        return "NIL";
    case CImapValue::STRING:
        return (value.bLiteral ? "L\"" : "\"") + value.strText + "\"";
    case CImapValue::LIST:
    {
        std::string text = "[";
        for (size_t i = 0; i < value.items.size(); ++i)
            text += (i ? " " : "") + Show(value.items[i]);
        return text + "]";
    }
    default:
        return value.strText;
    }
}

std::string Show(const CImapResponse& response)
{
    std::string text = response.strTag + "|" + response.strStatus + "|" + response.strText + "|";
    for (size_t i = 0; i < response.values.size(); ++i)
        text += (i ? " " : "") + Show(response.values[i]);
    return text;
}

// Delivers its bytes in pieces of the given size, as receives do.
class CPieceStream : public CImapStream
{
public:
    CPieceStream(std::string text, size_t nPiece) : m_strText(std::move(text)), m_nPiece(nPiece) {}
    bool Send(const char*, size_t) override { return true; }
    int Receive(char* pBuffer, size_t nLength, int) override
    {
        if (m_nPos >= m_strText.size())
            return 0;
        const size_t n = std::min(std::min(nLength, m_nPiece), m_strText.size() - m_nPos);
        memcpy(pBuffer, m_strText.data() + m_nPos, n);
        m_nPos += n;
        return static_cast<int>(n);
    }

private:
    std::string m_strText;
    size_t m_nPiece;
    size_t m_nPos = 0;
};

} // namespace

TEST(ImapResponseTest, ResponsesReadTheSameInAnyPieces)
{
    struct
    {
        const char* pszWire;
        const char* pszShown;
    } const cases[] = {
        {"* OK [CAPABILITY IMAP4rev1] Dovecot ready.\r\n", "*|OK|[CAPABILITY IMAP4rev1] Dovecot ready.|"},
        {"a7 no [ALREADYEXISTS] Mailbox exists\r\n", "a7|NO|[ALREADYEXISTS] Mailbox exists|"},
        {"+ go ahead\r\n", "+||go ahead|"},
        {"* LIST (\\HasNoChildren) NIL \"a \\\"q\\\" \\\\b\"\r\n", "*|||LIST [\\HasNoChildren] NIL \"a \"q\" \\b\""},
        {"* 12 FETCH (UID 40 FLAGS (\\Seen $Junk) BODY[] {5}\r\nab\r\nc)\r\n",
         "*|||12 FETCH [UID 40 FLAGS [\\Seen $Junk] BODY[] L\"ab\r\nc\"]"},
        {"* 1 FETCH (BODY[] {0}\r\n)\r\n", "*|||1 FETCH [BODY[] L\"\"]"},
        {"* 3 EXISTS\n", "*|||3 EXISTS"},
    };
    for (const auto& c : cases)
    {
        for (size_t piece : {1u, 3u, 4096u})
        {
            CPieceStream stream(c.pszWire, piece);
            CImapResponseReader reader(&stream);
            EXPECT_EQ(c.pszShown, Show(reader.Read())) << c.pszWire << " in pieces of " << piece;
        }
    }
}

TEST(ImapResponseTest, MalformedResponsesFail)
{
    const char* const cases[] = {
        "a1 FETCH (UID 1)\r\n",      // a tagged response must carry a status
        "* 1 FETCH (UID 1\r\n",      // a list left open
        "* LIST () \"/\" \"a\r\nb\"\r\n", // a quoted string over a line break
        "* 1 FETCH (BODY[] {12a}\r\n",
        "*\r\n",
        "* 1 FETCH (UID \x01)\r\n",
        " OK\r\n",
    };
    for (const char* wire : cases)
    {
        CPieceStream stream(wire, 4096);
        CImapResponseReader reader(&stream);
        EXPECT_THROW(reader.Read(), CImapError) << wire;
    }
}

TEST(ImapResponseTest, LiteralsAreTracedBySizeOnly)
{
    CPieceStream stream("* 1 FETCH (UID 2 BODY[] {6}\r\nsecret)\r\n", 4096);
    CImapResponseReader reader(&stream);
    std::string trace;
    reader.SetTrace([&](const std::string& line) { trace += line + "|"; });
    reader.Read();
    EXPECT_EQ("* 1 FETCH (UID 2 BODY[] {6}|<literal of 6 bytes>)|", trace);
}

TEST(ModifiedUtf7Test, NamesRoundTrip)
{
    struct
    {
        std::u16string name;
        const char* pszWire;
    } const cases[] = {
        {u"Entw\u00fcrfe", "Entw&APw-rfe"},
        {u"R&D", "R&-D"},
        {u"\u65e5\u672c\u8a9e", "&ZeVnLIqe-"},
        {u"~peter/mail/\u53f0\u5317/\u65e5\u672c\u8a9e", "~peter/mail/&U,BTFw-/&ZeVnLIqe-"},
        {u"a\U0001F600b", "a&2D3eAA-b"},
        {u"", ""},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.pszWire, EncodeModifiedUtf7(c.name));
        EXPECT_EQ(c.name, DecodeModifiedUtf7(c.pszWire));
    }
}

TEST(ModifiedUtf7Test, InvalidSequencesAreKeptAsTheyCame)
{
    const char* const cases[] = {"a&b", "&!!-", "&A-", "x&ZeVnLIq-"};
    for (const char* wire : cases)
    {
        const std::u16string decoded = DecodeModifiedUtf7(wire);
        std::string back;
        for (char16_t c : decoded)
            back += static_cast<char>(c);
        EXPECT_EQ(wire, back);
    }
}
