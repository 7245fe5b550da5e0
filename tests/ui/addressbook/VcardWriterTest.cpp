// The card writer: the 2.1 layout, and cards that read back to the contact they were written from.
#include "ui/addressbook/VcardWriter.h"

#include <gtest/gtest.h>

#include "tests/ui/addressbook/VcardTestSupport.h"

namespace
{
const CVcardTime kRev = {2026, 3, 4, 5, 6, 7};

CVcardContact FullContact()
{
    CVcardContact c;
    c.m_cTitle = "Dr.";
    c.m_cFirstname = "Anna";
    c.m_cInitials = "M";
    c.m_cSurname = "Berg";
    c.m_cPosition = "Chemist";
    c.m_cEmail = "anna@example.com";
    c.m_cDDI = "01 23";
    c.m_cFamiliar = "Annie";
    c.m_cMobile = "0170 1";
    c.m_cNotes = "person note";
    c.m_Company = "Berg Labs";
    c.m_Address1 = "1 High St";
    c.m_TownCity = "Leeds";
    c.m_Postcode = "LS1 1AA";
    c.m_Country = "UK";
    c.m_Tel = "0113 1";
    c.m_Fax = "0113 2";
    c.m_Web = "http://berg.example/";
    c.m_Notes = "site note";
    c.m_Type[0] = "Supplier";
    c.m_cIndType[1] = "Golf";
    c.m_AddDate = {2003, 7, 5, 9, 3, 7};
    return c;
}

CVcardContact RoundTrip(const CVcardContact& contact)
{
    CVcardCharsets charsets;
    const std::vector<CVcardContact> cards = ReadCardText(WriteVcardText(contact, kRev, charsets));
    EXPECT_EQ(1u, cards.size());
    return cards.empty() ? CVcardContact() : cards[0];
}
} // namespace

TEST(VcardWriterTest, WritesTheLayoutOtherProgramsRead)
{
    CVcardCharsets charsets;
    EXPECT_EQ("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Berg;Anna;M;Dr.\r\nFN:Anna M Berg\r\nNICKNAME:Annie\r\n"
              "EMAIL:anna@example.com\r\nTITLE:Chemist\r\nTEL;HOME;VOICE:01 23\r\nTEL;CELL;VOICE:0170 1\r\n"
              "REV:2026-03-04T05:06:07Z\r\nX-Orb-ADD_DATE:2003-07-05T09:03:07\r\nORG:Berg Labs\r\n"
              "ADR;WORK:;1 High St;;Leeds;;LS1 1AA;UK\r\nTEL;WORK;VOICE:0113 1\r\nTEL;WORK;FAX:0113 2\r\n"
              "URL;WORK:http://berg.example/\r\n"
              "NOTE;ENCODING=QUOTED-PRINTABLE:site note<<CONTACTNAME>>person note\r\n"
              "CATEGORIES:Supplier<<CONTACTNAME>>,,Golf\r\nEND:VCARD",
              WriteVcardText(FullContact(), kRev, charsets));
}

TEST(VcardWriterTest, AWrittenCardReadsBackWhole)
{
    const CVcardContact full = FullContact();
    EXPECT_EQ(DescribeContact(full), DescribeContact(RoundTrip(full)));

    // Each value that needs an escape, a charset or an encoding, in every field it can reach.
    const char* const values[] = {
        "a;b", "a,b",       "back\\slash",       "ends\\",          "\\;", "Zo\xEB \x80", "line\r\nbreak",
        "=3D", "tab\there", "<<not a separator", "trailing blank ",
    };
    for (const char* value : values)
    {
        for (const CFieldName& field : ContactFields())
        {
            CVcardContact c;
            c.m_cEmail = "x@example.com";
            c.*field.pField = value;
            EXPECT_EQ(DescribeContact(c), DescribeContact(RoundTrip(c))) << field.pszName << ": " << value;
        }
        CVcardContact c;
        c.m_Type[1] = value;
        c.m_cIndType[0] = value;
        c.m_cIndType[6] = value;
        EXPECT_EQ(DescribeContact(c), DescribeContact(RoundTrip(c))) << "types: " << value;
    }
}

TEST(VcardWriterTest, CategoriesKeepTheirPositions)
{
    CVcardContact c;
    c.m_Type[0] = "a";
    c.m_Type[2] = "c";
    c.m_cIndType[1] = "y";
    CVcardCharsets charsets;
    const std::string text = WriteVcardText(c, kRev, charsets);
    EXPECT_NE(std::string::npos, text.find("\r\nCATEGORIES:a,,c<<CONTACTNAME>>,,y\r\n")) << text;
    EXPECT_EQ(DescribeContact(c), DescribeContact(RoundTrip(c)));
}

TEST(VcardWriterTest, LongNotesKeepEveryLineWithinTheLimit)
{
    CVcardContact c;
    c.m_Notes = CString('x', 300) + "\r\n" + CString('=', 100);
    CVcardCharsets charsets;
    const std::string text = WriteVcardText(c, kRev, charsets);
    const size_t note = text.find("NOTE;");
    ASSERT_NE(std::string::npos, note);
    // The limit counts from the start of the value, not of the line.
    size_t start = text.find(':', note) + 1;
    for (size_t end;
         (end = text.find("\r\n", start)) != std::string::npos && text.compare(start, 4, "CATE") != 0;
         start = end + 2)
    {
        if (text.compare(start, 3, "END") == 0)
            break;
        EXPECT_LE(end - start, 76u) << text.substr(start, end - start);
    }
    EXPECT_EQ(DescribeContact(c), DescribeContact(RoundTrip(c)));
}

TEST(VcardWriterTest, NonAsciiValuesNameTheirCharset)
{
    CVcardContact c;
    c.m_cSurname = "M\xFCller";
    c.m_Company = "Acme";
    CVcardCharsets charsets;
    const std::string text = WriteVcardText(c, kRev, charsets);
    EXPECT_NE(std::string::npos, text.find("\r\nN;CHARSET=windows-1252:M\xFCller\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\r\nORG:Acme\r\n")) << text;
}

TEST(VcardWriterTest, FileNamesComeFromTheNameElseTheAddress)
{
    CVcardContact c;
    EXPECT_EQ("", std::string(MakeVcardFileName(c)));
    c.m_cEmail = "a@b.example";
    EXPECT_EQ("a@b.example.vcf", std::string(MakeVcardFileName(c)));
    c.m_cSurname = "Berg";
    EXPECT_EQ("Berg.vcf", std::string(MakeVcardFileName(c)));
    c.m_cFirstname = "..\\..\\evil:";
    const std::string name = MakeVcardFileName(c).GetString();
    EXPECT_EQ(std::string::npos, name.find_first_of("\\/:")) << name;
}
