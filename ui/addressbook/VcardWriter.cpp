// The card writer: the 2.1 layout, with the escapes and charset that let any reader take the values back.
#include "ui/addressbook/VcardWriter.h"

#include <cstdio>
#include <cstring>

#include "content/TextUtilities.h"

namespace
{
const char kContactNameSeparator[] = "<<CONTACTNAME>>";

// A backslash always, and the separators of the property the text is a component of.
std::string Escape(const CString& text, const char* pszSeparators)
{
    std::string out;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        const char c = text[i];
        if (c == '\\' || (c != 0 && strchr(pszSeparators, c) != nullptr))
            out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

bool HasHighBytes(const std::string& text)
{
    for (unsigned char c : text)
    {
        if (c >= 0x80)
            return true;
    }
    return false;
}

bool HasControls(const std::string& text)
{
    for (unsigned char c : text)
    {
        if (c < 0x20 && c != '\t')
            return true;
    }
    return false;
}

// Quoted-printable with every line end escaped, so the value is one logical line, and soft breaks that keep
// each line of the value, counted from its start, within 76 characters without splitting an escape.
std::string EncodeValueQuotedPrintable(const std::string& value)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    size_t column = 0;
    for (size_t i = 0; i < value.size(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        const bool bLast = i + 1 == value.size();
        char piece[4] = {static_cast<char>(c), 0, 0, 0};
        if (c == '=' || c > 0x7E || (c < 0x20 && c != '\t') || ((c == ' ' || c == '\t') && bLast))
        {
            piece[0] = '=';
            piece[1] = kHex[c >> 4];
            piece[2] = kHex[c & 15];
        }
        const size_t length = strlen(piece);
        if (column + length > 75)
        {
            out += "=\r\n";
            column = 0;
        }
        out += piece;
        column += length;
    }
    return out;
}

std::string FormatTime(const CVcardTime& t, bool bUtc)
{
    char buffer[64];
    snprintf(buffer, sizeof(buffer), "%04d-%02d-%02dT%02d:%02d:%02d%s", t.nYear, t.nMonth, t.nDay, t.nHour,
             t.nMinute, t.nSecond, bUtc ? "Z" : "");
    return buffer;
}

class CCardText
{
public:
    explicit CCardText(const CVcardCharsets& charsets) : m_Charsets(charsets) {}

    // value is already escaped. Non-ASCII text names its charset; a line end inside a value would end the
    // line, so such a value travels quoted-printable.
    void Property(const char* pszName, const std::string& value, bool bForceQuotedPrintable = false)
    {
        std::string line = "\r\n";
        line += pszName;
        if (HasHighBytes(value))
            line += ";CHARSET=" + std::string(m_Charsets.GetAnsiCharsetName().GetString());
        if (bForceQuotedPrintable || HasControls(value))
        {
            line += ";ENCODING=QUOTED-PRINTABLE:";
            line += EncodeValueQuotedPrintable(value);
        }
        else
        {
            line += ':';
            line += value;
        }
        m_strText += line;
    }

    std::string m_strText = "BEGIN:VCARD\r\nVERSION:2.1";

private:
    const CVcardCharsets& m_Charsets;
};

// Components joined by ';' without the empty ones at the end.
std::string JoinComponents(const std::string* parts, int count)
{
    while (count > 0 && parts[count - 1].empty())
        --count;
    std::string out;
    for (int i = 0; i < count; ++i)
    {
        if (i > 0)
            out += ';';
        out += parts[i];
    }
    return out;
}

// Items up to the last non-empty one, gaps kept, so each goes back to its own field.
std::string JoinItems(const CString* items, int count, bool bLeadingComma)
{
    while (count > 0 && items[count - 1].IsEmpty())
        --count;
    std::string out;
    for (int i = 0; i < count; ++i)
    {
        if (i > 0 || bLeadingComma)
            out += ',';
        out += Escape(items[i], ",;");
    }
    return out;
}
} // namespace

std::string WriteVcardText(const CVcardContact& c, const CVcardTime& revUtc, const CVcardCharsets& charsets)
{
    CCardText card(charsets);
    if (!c.m_cFirstname.IsEmpty() || !c.m_cSurname.IsEmpty() || !c.m_cInitials.IsEmpty() ||
        !c.m_cTitle.IsEmpty())
    {
        const std::string n[] = {Escape(c.m_cSurname, ";"), Escape(c.m_cFirstname, ";"),
                                 Escape(c.m_cInitials, ";"), Escape(c.m_cTitle, ";")};
        card.Property("N", JoinComponents(n, 4));
    }
    if (!c.m_cFirstname.IsEmpty() || !c.m_cSurname.IsEmpty() || !c.m_cInitials.IsEmpty())
    {
        CString fn;
        for (const CString* part : {&c.m_cFirstname, &c.m_cInitials, &c.m_cSurname})
        {
            if (part->IsEmpty())
                continue;
            if (!fn.IsEmpty())
                fn += ' ';
            fn += *part;
        }
        card.Property("FN", Escape(fn, ""));
    }
    if (!c.m_cFamiliar.IsEmpty())
        card.Property("NICKNAME", Escape(c.m_cFamiliar, ""));
    if (!c.m_cEmail.IsEmpty())
        card.Property("EMAIL", Escape(c.m_cEmail, ""));
    if (!c.m_cPosition.IsEmpty())
        card.Property("TITLE", Escape(c.m_cPosition, ""));
    if (!c.m_cDDI.IsEmpty())
        card.Property("TEL;HOME;VOICE", Escape(c.m_cDDI, ""));
    if (!c.m_cMobile.IsEmpty())
        card.Property("TEL;CELL;VOICE", Escape(c.m_cMobile, ""));
    card.Property("REV", FormatTime(revUtc, true));
    card.Property("X-Orb-ADD_DATE", FormatTime(c.m_AddDate, false));
    if (!c.m_Company.IsEmpty())
        card.Property("ORG", Escape(c.m_Company, ";"));
    if (!c.m_Address1.IsEmpty() || !c.m_Address2.IsEmpty() || !c.m_TownCity.IsEmpty() ||
        !c.m_County.IsEmpty() || !c.m_Postcode.IsEmpty() || !c.m_Country.IsEmpty())
    {
        const std::string a[] = {std::string(),
                                 Escape(c.m_Address1, ";"),
                                 Escape(c.m_Address2, ";"),
                                 Escape(c.m_TownCity, ";"),
                                 Escape(c.m_County, ";"),
                                 Escape(c.m_Postcode, ";"),
                                 Escape(c.m_Country, ";")};
        card.Property("ADR;WORK", JoinComponents(a, 7));
    }
    if (!c.m_Tel.IsEmpty())
        card.Property("TEL;WORK;VOICE", Escape(c.m_Tel, ""));
    if (!c.m_Fax.IsEmpty())
        card.Property("TEL;WORK;FAX", Escape(c.m_Fax, ""));
    if (!c.m_Web.IsEmpty())
        card.Property("URL;WORK", std::string(c.m_Web.GetString(), c.m_Web.GetLength()));
    if (!c.m_Notes.IsEmpty() || !c.m_cNotes.IsEmpty())
    {
        CString note = c.m_Notes;
        if (!c.m_cNotes.IsEmpty())
            note += CString(kContactNameSeparator) + c.m_cNotes;
        card.Property("NOTE", Escape(note, ""), true);
    }
    const std::string siteTypes = JoinItems(c.m_Type, kVcardSiteTypes, false);
    const std::string personTypes = JoinItems(c.m_cIndType, kVcardPersonTypes, true);
    if (!siteTypes.empty() || !personTypes.empty())
        card.Property("CATEGORIES",
                      siteTypes + (personTypes.empty() ? "" : kContactNameSeparator + personTypes));
    card.m_strText += "\r\nEND:VCARD";
    return card.m_strText;
}

CString MakeVcardFileName(const CVcardContact& contact)
{
    CString name = contact.GetDisplayName();
    if (name.IsEmpty())
        name = contact.m_cEmail;
    if (name.IsEmpty())
        return CString();
    return MakeFileName(name + ".vcf");
}

CString CVcardContact::GetDisplayName() const
{
    CString name = m_cFirstname;
    if (!m_cFirstname.IsEmpty() && !m_cSurname.IsEmpty())
        name += ' ';
    return name + m_cSurname;
}
