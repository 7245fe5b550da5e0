// The card reader: lines, folding, parameters, encodings and charsets, then the fields a contact keeps.
#include "ui/addressbook/VcardReader.h"

#include <cstring>

#include "content/TextUtilities.h"
#include "content/TransferEncoding.h"

namespace
{
const char kContactNameSeparator[] = "<<CONTACTNAME>>";

enum TypeFlag
{
    kHome = 1 << 0,
    kWork = 1 << 1,
    kCell = 1 << 2,
    kVoice = 1 << 3,
    kFax = 1 << 4,
    kPref = 1 << 5,
    kX400 = 1 << 6,
    kPager = 1 << 7,
    kModem = 1 << 8,
};

// One physical line from pos: CR LF is one line end, any other CR or LF ends a line of its own.
bool NextLine(const std::string& text, size_t& pos, std::string& line)
{
    if (pos >= text.size())
        return false;
    const size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos)
        return false;
    line.assign(text, pos, end - pos);
    pos = end + 1;
    if (text[end] == '\r' && pos < text.size() && text[pos] == '\n')
        ++pos;
    return true;
}

bool PeekLine(const std::string& text, size_t pos, std::string& line)
{
    return NextLine(text, pos, line);
}

void MakeUpperAscii(std::string& text)
{
    for (char& c : text)
    {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
}

std::string Unquote(const std::string& text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// Splits at sep outside double quotes (parameter values may be quoted and hold the separator).
std::vector<std::string> SplitOutsideQuotes(const std::string& text, char sep)
{
    std::vector<std::string> pieces(1);
    bool bQuoted = false;
    for (char c : text)
    {
        if (c == '"')
            bQuoted = !bQuoted;
        if (c == sep && !bQuoted)
            pieces.emplace_back();
        else
            pieces.back().push_back(c);
    }
    return pieces;
}

size_t FindNameEnd(const std::string& line)
{
    bool bQuoted = false;
    for (size_t i = 0; i < line.size(); ++i)
    {
        if (line[i] == '"')
            bQuoted = !bQuoted;
        else if (line[i] == ':' && !bQuoted)
            return i;
    }
    // An unbalanced quote would hide the colon: fall back to the first one.
    return line.find(':');
}

// Splits at every unescaped sep (none when sep is 0) and undoes the escapes of each component.
std::vector<std::string> SplitUnescape(const std::string& value, char sep, bool bNewlineEscapes)
{
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < value.size(); ++i)
    {
        const char c = value[i];
        if (c == '\\' && i + 1 < value.size())
        {
            const char next = value[i + 1];
            if (next == '\\' || next == ';' || next == ',')
            {
                parts.back().push_back(next);
                ++i;
                continue;
            }
            if (bNewlineEscapes && (next == 'n' || next == 'N'))
            {
                parts.back() += "\r\n";
                ++i;
                continue;
            }
        }
        if (sep != 0 && c == sep)
            parts.emplace_back();
        else
            parts.back().push_back(c);
    }
    return parts;
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    const size_t n = strlen(prefix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
    {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i])
            return false;
    }
    return true;
}

struct CProperty
{
    std::string strName;
    unsigned nFlags = 0;
    std::string strEncoding;
    std::string strCharset;
};

void ParseNamePart(std::string namePart, CProperty& prop)
{
    MakeUpperAscii(namePart);
    const std::vector<std::string> pieces = SplitOutsideQuotes(namePart, ';');
    prop.strName = pieces[0];
    // "item1.EMAIL": the group only ties properties together for their writer.
    const size_t dot = prop.strName.rfind('.');
    if (dot != std::string::npos)
        prop.strName.erase(0, dot + 1);

    auto addWord = [&prop](const std::string& word) {
        static const struct
        {
            const char* pszWord;
            unsigned nFlag;
        } kWords[] = {{"HOME", kHome}, {"WORK", kWork}, {"CELL", kCell},   {"VOICE", kVoice}, {"FAX", kFax},
                      {"PREF", kPref}, {"X400", kX400}, {"PAGER", kPager}, {"MODEM", kModem}};
        for (const auto& entry : kWords)
        {
            if (word == entry.pszWord)
            {
                prop.nFlags |= entry.nFlag;
                return;
            }
        }
        if (word == "INTERNET")
            prop.nFlags &= ~static_cast<unsigned>(kX400);
        else if (word == "QUOTED-PRINTABLE" || word == "BASE64" || word == "8BIT" || word == "7BIT")
            prop.strEncoding = word;
    };

    for (size_t i = 1; i < pieces.size(); ++i)
    {
        const std::string& piece = pieces[i];
        const size_t eq = piece.find('=');
        if (eq == std::string::npos)
        {
            addWord(Unquote(piece));
            continue;
        }
        const std::string name = piece.substr(0, eq);
        const std::string value = Unquote(piece.substr(eq + 1));
        if (name == "TYPE")
        {
            for (const std::string& word : SplitOutsideQuotes(value, ','))
                addWord(Unquote(word));
        }
        else if (name == "ENCODING")
            prop.strEncoding = value;
        else if (name == "CHARSET")
            prop.strCharset = value;
        else if (name == "PREF")
            prop.nFlags |= kPref;
    }
}

// The reader's state for the card in hand.
struct CCardState
{
    CVcardContact* pContact = nullptr;
    std::string strFN;
    bool bHasName = false;
    bool bAdrFromWork = false;
    bool bAdrStored = false;
    bool bUrlFromWork = false;
    bool bUrlStored = false;
};

void SetField(CString& field, const CString& value, int nMax)
{
    field = value.GetLength() > nMax ? value.Left(nMax) : value;
}

// A card without a name takes it from its formatted name, split at the last blank.
void FinishCard(CCardState& card)
{
    if (card.pContact == nullptr)
        return;
    CVcardContact& c = *card.pContact;
    if (!card.bHasName && c.m_cFirstname.IsEmpty() && c.m_cSurname.IsEmpty() && !card.strFN.empty())
    {
        CString fn(card.strFN.c_str());
        fn.Trim();
        const int blank = fn.ReverseFind(' ');
        if (blank < 0)
            SetField(c.m_cFirstname, fn, kVcardName);
        else
        {
            CString first = fn.Left(blank);
            first.TrimRight();
            SetField(c.m_cFirstname, first, kVcardName);
            SetField(c.m_cSurname, fn.Mid(blank + 1), kVcardName);
        }
    }
    card.pContact = nullptr;
}
} // namespace

bool CVcardReader::ParseAddDate(const char* pszValue, CVcardTime& time)
{
    // Numbers of one to four digits between fixed delimiters.
    const char* p = pszValue;
    auto number = [&p](int& out) {
        int digits = 0;
        out = 0;
        while (*p >= '0' && *p <= '9' && digits < 5)
        {
            out = out * 10 + (*p - '0');
            ++p;
            ++digits;
        }
        return digits > 0 && digits <= 4;
    };
    CVcardTime t;
    if (!number(t.nYear) || *p++ != '-' || !number(t.nMonth) || *p++ != '-' || !number(t.nDay) || *p++ != 'T')
        return false;
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.nYear < 100 || t.nYear > 9999 || t.nMonth < 1 || t.nMonth > 12 || t.nDay < 1 ||
        t.nDay > kDays[t.nMonth - 1])
        return false;
    const bool bLeap = (t.nYear % 4 == 0 && t.nYear % 100 != 0) || t.nYear % 400 == 0;
    if (t.nMonth == 2 && t.nDay == 29 && !bLeap)
        return false;
    CVcardTime clock = t;
    if (number(clock.nHour) && *p++ == ':' && number(clock.nMinute) && *p++ == ':' && number(clock.nSecond) &&
        clock.nHour < 24 && clock.nMinute < 60 && clock.nSecond < 60)
        t = clock;
    time = t;
    return true;
}

void CVcardReader::Read(const std::string& bytes, std::vector<CVcardContact>& cards) const
{
    std::string text;
    bool bUnicodeFile = false;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        text = bytes.substr(3), bUnicodeFile = true;
    else if (bytes.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE)
        text = Utf16ToUtf8(bytes.substr(2), false), bUnicodeFile = true;
    else if (bytes.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF)
        text = Utf16ToUtf8(bytes.substr(2), true), bUnicodeFile = true;
    else
        text = bytes;
    text += "\r\n";

    // Indices, not pointers: the vector grows as cards are added.
    size_t nCard = 0;
    CCardState card;
    int nVersion = 21;
    int nForeignDepth = 0;
    size_t pos = 0;
    std::string line, next;
    while (NextLine(text, pos, line))
    {
        const size_t colon = FindNameEnd(line);
        if (colon == std::string::npos)
            continue;
        CProperty prop;
        ParseNamePart(line.substr(0, colon), prop);
        std::string value = line.substr(colon + 1);

        if (prop.strEncoding == "QUOTED-PRINTABLE")
        {
            // Soft line breaks first: a value ending in '=' goes on in the next line.
            while (PeekLine(text, pos, next) &&
                   ((!value.empty() && value.back() == '=') || (!next.empty() && next[0] == '=')))
            {
                if (value.empty() || value.back() != '=')
                    value += '=';
                value += "\r\n" + next;
                NextLine(text, pos, next);
            }
        }
        // Folded lines: 2.1 keeps the blank that begins a continuation, 3.0 and 4.0 drop it.
        while (PeekLine(text, pos, next) && !next.empty() && (next[0] == ' ' || next[0] == '\t'))
        {
            value += nVersion >= 30 ? next.substr(1) : next;
            NextLine(text, pos, next);
        }

        if (prop.strName == "BEGIN")
        {
            std::string object = value;
            MakeUpperAscii(object);
            object.erase(object.find_last_not_of(" \t") + 1);
            object.erase(0, object.find_first_not_of(" \t"));
            if (object != "VCARD")
            {
                // Another object (an agent's calendar, a vendor's block) is skipped whole, so that its END
                // does not end the card around it.
                ++nForeignDepth;
                continue;
            }
            nForeignDepth = 0;
            FinishCard(card);
            cards.emplace_back();
            nCard = cards.size();
            card = CCardState();
            card.pContact = &cards.back();
            nVersion = 21;
            continue;
        }
        if (nForeignDepth > 0)
        {
            if (prop.strName == "END")
                --nForeignDepth;
            continue;
        }
        if (card.pContact == nullptr)
            continue;
        card.pContact = &cards[nCard - 1];
        if (prop.strName == "END")
        {
            FinishCard(card);
            continue;
        }

        // Transfer encoding; one this reader does not know leaves the property out.
        const std::string& enc = prop.strEncoding;
        if (enc == "QUOTED-PRINTABLE")
            value = DecodeQuotedPrintableBytes(value.data(), value.size());
        else if (enc == "BASE64" || enc == "B")
            value = DecodeBase64Bytes(value.data(), value.size());
        else if (!(enc.empty() || enc == "7BIT" || enc == "8BIT" || enc == "8BITS" || enc == "BINARY"))
            continue;

        if (prop.strName == "VERSION")
        {
            nVersion = value.compare(0, 1, "4") == 0 ? 40 : value.compare(0, 1, "3") == 0 ? 30 : 21;
            continue;
        }

        std::string charset = prop.strCharset;
        if (charset.empty())
        {
            if (bUnicodeFile || IsUtf8WithHighBytes(value.data(), static_cast<int>(value.size())))
                charset = "UTF-8";
        }
        auto ansi = [&](const std::string& raw) -> CString {
            if (charset.empty())
                return CString(raw.data(), static_cast<int>(raw.size()));
            return m_Charsets.ToAnsi(charset.c_str(), raw);
        };
        const bool bNewlines = nVersion >= 30;
        auto components = [&](char sep) {
            std::vector<CString> out;
            for (const std::string& part : SplitUnescape(value, sep, bNewlines))
                out.push_back(ansi(part));
            return out;
        };
        auto whole = [&]() { return components(0)[0]; };

        CVcardContact& c = *card.pContact;
        const std::string& name = prop.strName;
        const unsigned f = prop.nFlags;
        if (name == "N")
        {
            const std::vector<CString> n = components(';');
            SetField(c.m_cSurname, n[0], kVcardName);
            if (n.size() > 1)
                SetField(c.m_cFirstname, n[1], kVcardName);
            if (n.size() > 2)
                SetField(c.m_cInitials, n[2], kVcardInitials);
            if (n.size() > 3)
                SetField(c.m_cTitle, n[3], kVcardName);
            for (size_t i = 0; i < n.size() && i < 3; ++i)
                card.bHasName = card.bHasName || !CString(n[i]).Trim().IsEmpty();
        }
        else if (name == "FN")
            card.strFN = whole().GetString();
        else if (name == "NICKNAME")
            SetField(c.m_cFamiliar, whole(), kVcardName);
        else if (name == "EMAIL")
        {
            if (!(f & kX400) && ((f & kPref) || c.m_cEmail.IsEmpty()))
                SetField(c.m_cEmail, whole(), kVcardName);
        }
        else if (name == "TITLE")
            SetField(c.m_cPosition, whole(), kVcardName);
        else if (name == "TEL")
        {
            unsigned t = f;
            if (!(t & (kFax | kPager | kModem)))
                t |= kVoice;
            CString number = whole();
            if (StartsWithNoCase(number.GetString(), "TEL:"))
                number = number.Mid(4);
            CString* field = nullptr;
            bool bOnlyWhenEmpty = !(t & kPref);
            if ((t & kWork) && (t & kVoice))
                field = &c.m_Tel;
            else if ((t & kWork) && (t & kFax))
                field = &c.m_Fax;
            else if ((t & kHome) && (t & kVoice))
                field = &c.m_cDDI;
            else if ((t & kCell) && (t & kVoice) && !(t & kHome))
                field = &c.m_cMobile;
            else if ((t & kVoice) && !(t & (kHome | kWork | kCell)))
                field = &c.m_cDDI, bOnlyWhenEmpty = true;
            if (field != nullptr && (!bOnlyWhenEmpty || field->IsEmpty()))
                SetField(*field, number, kVcardPhone);
        }
        else if (name == "ORG")
            SetField(c.m_Company, components(';')[0], kVcardName);
        else if (name == "ADR")
        {
            const bool bWork = (f & kWork) != 0;
            const bool bUntyped = !(f & (kHome | kWork));
            const std::vector<CString> a = components(';');
            if (a.size() > 1 && (bWork || (bUntyped && !card.bAdrStored)) && !(bUntyped && card.bAdrFromWork))
            {
                CString* fields[] = {&c.m_Address1, &c.m_Address2, &c.m_TownCity,
                                     &c.m_County,   &c.m_Postcode, &c.m_Country};
                const int sizes[] = {kVcardName, kVcardName,     kVcardName,
                                     kVcardName, kVcardPostcode, kVcardCountry};
                for (size_t i = 0; i < 6; ++i)
                {
                    if (i + 1 < a.size())
                        SetField(*fields[i], a[i + 1], sizes[i]);
                }
                card.bAdrStored = true;
                card.bAdrFromWork = card.bAdrFromWork || bWork;
            }
        }
        else if (name == "URL")
        {
            const bool bWork = (f & kWork) != 0;
            const bool bUntyped = !(f & (kHome | kWork));
            if (bWork || (bUntyped && !card.bUrlStored))
            {
                // A URI carries no text escapes.
                SetField(c.m_Web, ansi(value), kVcardName);
                card.bUrlStored = true;
                card.bUrlFromWork = card.bUrlFromWork || bWork;
            }
        }
        else if (name == "NOTE")
        {
            const CString note = whole();
            const int sep = note.Find(kContactNameSeparator);
            if (sep < 0)
            {
                if (!note.IsEmpty())
                    SetField(c.m_Notes, note, kVcardNotes);
            }
            else
            {
                if (sep > 0)
                    SetField(c.m_Notes, note.Left(sep), kVcardNotes);
                const CString person = note.Mid(sep + static_cast<int>(strlen(kContactNameSeparator)));
                if (!person.IsEmpty())
                    SetField(c.m_cNotes, person, kVcardNotes);
            }
        }
        else if (name == "X-ORB-ADD_DATE")
            ParseAddDate(value.c_str(), c.m_AddDate);
        else if (name == "CATEGORIES")
        {
            const size_t sep = value.find(kContactNameSeparator);
            const std::string company = value.substr(0, sep);
            std::vector<std::string> items = SplitUnescape(company, ',', bNewlines);
            for (size_t i = 0; i < items.size() && i < kVcardSiteTypes; ++i)
                SetField(c.m_Type[i], ansi(items[i]), kVcardSiteType);
            if (sep != std::string::npos)
            {
                std::string person = value.substr(sep + strlen(kContactNameSeparator));
                if (!person.empty() && person[0] == ',')
                    person.erase(0, 1);
                items = SplitUnescape(person, ',', bNewlines);
                for (size_t i = 0; i < items.size() && i < kVcardPersonTypes; ++i)
                    SetField(c.m_cIndType[i], ansi(items[i]), kVcardName);
            }
        }
    }
    if (card.pContact != nullptr)
        FinishCard(card);
}
