// The card reader: others' cards of every version read into the fields a contact keeps.
#include "ui/addressbook/VcardReader.h"

#include <gtest/gtest.h>

#include "tests/ui/addressbook/VcardTestSupport.h"

namespace
{
std::string Card(const std::string& body, const char* pszVersion = "2.1")
{
    return std::string("BEGIN:VCARD\r\nVERSION:") + pszVersion + "\r\n" + body + "END:VCARD\r\n";
}

std::string Describe(const std::string& text)
{
    const std::vector<CVcardContact> cards = ReadCardText(text);
    std::string out;
    for (size_t i = 0; i < cards.size(); ++i)
        out += (i ? "--\n" : "") + DescribeContact(cards[i]);
    return out;
}
} // namespace

// Each case: the body of one card and every field it leaves non-empty.
TEST(VcardReaderTest, PropertiesFillTheirFields)
{
    const struct
    {
        const char* pszVersion;
        const char* pszBody;
        const char* pszExpected;
    } cases[] = {
        {"2.1", "N:Smith;John;Q;Dr.;Jr.\r\n", "cTitle=Dr.\ncFirstname=John\ncInitials=Q\ncSurname=Smith\n"},
        {"2.1", "N:Smith\r\n", "cSurname=Smith\n"},
        // An empty name takes the formatted name, split at its last blank.
        {"3.0", "N:;;;;\r\nFN:Anna Maria Berg\r\n", "cFirstname=Anna Maria\ncSurname=Berg\n"},
        {"3.0", "FN:Cher\r\n", "cFirstname=Cher\n"},
        {"2.1", "EMAIL:a@x\r\nEMAIL:b@x\r\n", "cEmail=a@x\n"},
        {"2.1", "EMAIL:a@x\r\nEMAIL;PREF:b@x\r\n", "cEmail=b@x\n"},
        {"2.1", "EMAIL;X400:a@x\r\nEMAIL;INTERNET:b@x\r\n", "cEmail=b@x\n"},
        {"4.0", "EMAIL:a@x\r\nEMAIL;PREF=1:b@x\r\n", "cEmail=b@x\n"},
        {"3.0", "EMAIL;TYPE=internet;TYPE=pref:b@x\r\nEMAIL:c@x\r\n", "cEmail=b@x\n"},
        // Telephones: every number is a voice number unless it says otherwise.
        {"2.1", "TEL;WORK;VOICE:1\r\nTEL;TYPE=WORK,VOICE:2\r\ntel;work;voice:3\r\n", "Tel=1\n"},
        {"2.1", "TEL;WORK:1\r\n", "Tel=1\n"},
        {"2.1", "TEL;WORK;CELL;VOICE:1\r\n", "Tel=1\n"},
        {"3.0", "TEL;TYPE=CELL:1\r\n", "cMobile=1\n"},
        {"2.1", "TEL;HOME:1\r\n", "cDDI=1\n"},
        {"2.1", "TEL:1\r\nTEL;VOICE:2\r\n", "cDDI=1\n"},
        {"2.1", "TEL;WORK;FAX:1\r\nTEL;FAX:2\r\nTEL;PAGER:3\r\nTEL;HOME;FAX:4\r\n", "Fax=1\n"},
        {"2.1", "TEL;WORK:1\r\nTEL;WORK:2\r\nTEL;WORK;PREF:3\r\n", "Tel=3\n"},
        {"4.0", "TEL;VALUE=uri;TYPE=\"work,voice\":tel:+1-555\r\n", "Tel=+1-555\n"},
        {"3.0", "TEL;type=WORK;type=VOICE:1\r\nTEL;type=work;type=fax:2\r\n", "Tel=1\nFax=2\n"},
        // Addresses and web pages: the company's unless they say they are the home's.
        {"2.1", "ADR;WORK:;a;b;c;d;e;f\r\n",
         "Address1=a\nAddress2=b\nTownCity=c\nCounty=d\nPostcode=e\nCountry=f\n"},
        {"2.1", "ADR;HOME:;a;b;c;d;e;f\r\n", ""},
        {"2.1", "ADR;WORK:no separator\r\n", ""},
        {"3.0", "ADR:;;Street;Town\r\n", "Address2=Street\nTownCity=Town\n"},
        {"3.0", "ADR:;;Untyped\r\nADR;TYPE=work:;;Work\r\nADR:;;Later\r\n", "Address2=Work\n"},
        {"2.1", "URL:http://a\r\nURL;HOME:http://b\r\n", "Web=http://a\n"},
        {"2.1", "URL:http://a\r\nURL;WORK:http://b\r\n", "Web=http://b\n"},
        {"2.1", "ORG:Acme;Sales\r\n", "Company=Acme\n"},
        {"3.0", "ORG:Acme\\;Co\\, Ltd;Sales\r\n", "Company=Acme;Co, Ltd\n"},
        {"2.1", "NOTE:site<<CONTACTNAME>>person\r\n", "cNotes=person\nNotes=site\n"},
        {"2.1", "NOTE:<<CONTACTNAME>>person\r\n", "cNotes=person\n"},
        {"2.1", "CATEGORIES:a,b<<CONTACTNAME>>,x,y\r\n", "Type1=a\nType2=b\ncIndType1=x\ncIndType2=y\n"},
        {"2.1", "CATEGORIES:a,,b\r\n", "Type1=a\nType3=b\n"},
        {"3.0", "CATEGORIES:a\\,b,c\r\n", "Type1=a,b\nType2=c\n"},
        {"2.1", "NICKNAME:Bob\r\nTITLE:Boss\r\n", "cPosition=Boss\ncFamiliar=Bob\n"},
        // Escapes: 3.0 and 4.0 also know \n; a 2.1 card keeps it.
        {"3.0", "NOTE:a\\nb\\\\c\\;d\\,e\\x\r\n", "Notes=a\r\nb\\c;d,e\\x\n"},
        {"2.1", "NOTE:a\\nb\\\\c\r\n", "Notes=a\\nb\\c\n"},
        // Folding: 3.0 drops the blank of a continuation, 2.1 keeps it.
        {"3.0", "NOTE:abc\r\n def\r\n\tghi\r\n", "Notes=abcdefghi\n"},
        {"2.1", "NOTE:abc\r\n def\r\n", "Notes=abc def\n"},
        {"2.1", "NOTE;ENCODING=QUOTED-PRINTABLE:one=0D=0A=\r\ntwo\r\n", "Notes=one\r\ntwo\n"},
        {"2.1", "NOTE;QUOTED-PRINTABLE:one=0D=0A=\r\ntwo\r\n", "Notes=one\r\ntwo\n"},
        {"2.1", "NOTE;ENCODING=BASE64:aGVsbG8=\r\nTITLE;BASE64:Ym9zcw==\r\n",
         "cPosition=boss\nNotes=hello\n"},
        {"3.0", "NOTE;ENCODING=b:aGVsbG8=\r\n", "Notes=hello\n"},
        // An encoding this reader does not know leaves that property out and reads on.
        {"2.1", "NOTE;ENCODING=X-UNKNOWN:abc\r\nTITLE:Boss\r\n", "cPosition=Boss\n"},
        // Groups, case and quoted parameters.
        {"3.0", "item1.EMAIL;type=INTERNET:a@x\r\nitem1.X-ABLabel:_$!<Other>!$_\r\n", "cEmail=a@x\n"},
        {"3.0", "TEL;TYPE=\"cell\";X-LABEL=\"a;b:c\":1\r\n", "cMobile=1\n"},
        // Charsets: declared, UTF-8 by default when it is UTF-8, else ANSI.
        {"2.1", "N;CHARSET=UTF-8:M\xC3\xBCller\r\n", "cSurname=M\xFCller\n"},
        {"2.1", "N:M\xC3\xBCller\r\n", "cSurname=M\xFCller\n"},
        {"2.1", "N:M\xFCller\r\n", "cSurname=M\xFCller\n"},
        {"2.1", "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:=80=FC\r\n", "cSurname=\x80\xFC\n"},
        {"3.0", "N:\xE4\xB8\xAD\r\n", "cSurname=?\n"},
        {"2.1", "X-Orb-ADD_DATE:2003-7-5T9:3:7Z\r\n", "AddDate=2003-07-05 09:03:07\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.pszExpected, Describe(Card(c.pszBody, c.pszVersion))) << c.pszBody;
}

TEST(VcardReaderTest, ValuesAreCutToTheirFields)
{
    const std::string name(150, 'n');
    const std::string note(2000, 'x');
    const std::vector<CVcardContact> cards = ReadCardText(
        Card("N:" + name + ";" + name + ";" + name + "\r\nTEL;WORK:" + name + "\r\nNOTE:" + note + "\r\n"));
    ASSERT_EQ(1u, cards.size());
    EXPECT_EQ(100, cards[0].m_cSurname.GetLength());
    EXPECT_EQ(40, cards[0].m_cInitials.GetLength());
    EXPECT_EQ(50, cards[0].m_Tel.GetLength());
    EXPECT_EQ(1023, cards[0].m_Notes.GetLength());
}

TEST(VcardReaderTest, AddDateTakesOnlyRealDates)
{
    const struct
    {
        const char* pszValue;
        const char* pszExpected; // empty: rejected
    } cases[] = {
        {"2003-7-5T9:3:7Z", "2003-07-05 09:03:07"},
        {"2003-07-05T09:03:07", "2003-07-05 09:03:07"},
        {"2003-07-05T", "2003-07-05 00:00:00"},
        {"2003-07-05T25:00:00", "2003-07-05 00:00:00"},
        {"2004-02-29T00:00:00", "2004-02-29 00:00:00"},
        {"2003-02-29T00:00:00", ""},
        {"2003-13-01T00:00:00", ""},
        {"2003-00-01T00:00:00", ""},
        {"2003-04-31T00:00:00", ""},
        {"99999-01-01T00:00:00", ""},
        {"2003-07-05", ""},
        {"-1-07-05T", ""},
        {"", ""},
    };
    for (const auto& c : cases)
    {
        CVcardTime t;
        const bool bRead = CVcardReader::ParseAddDate(c.pszValue, t);
        char buffer[64] = "";
        if (bRead)
            snprintf(buffer, sizeof(buffer), "%04d-%02d-%02d %02d:%02d:%02d", t.nYear, t.nMonth, t.nDay,
                     t.nHour, t.nMinute, t.nSecond);
        EXPECT_STREQ(c.pszExpected, buffer) << c.pszValue;
    }
}

TEST(VcardReaderTest, FixturesOfEachVersionRead)
{
    const struct
    {
        const char* pszFile;
        const char* pszExpected;
    } cases[] = {
        {"v21-quoted-printable-charset.vcf",
         "cTitle=Herr\ncFirstname=J\xFCrgen\ncSurname=M\xFCller\ncPosition=Meister\ncEmail=j@example.de\n"
         "cDDI=+49 30 9876\ncMobile=+49 170 555\nCompany=B\xE4"
         "ckerei M\xFCller\nAddress2=Hauptstra\xDF"
         "e 1\n"
         "TownCity=Berlin\nPostcode=10115\nTel=+49 30 1234\nCountry=Deutschland\n"
         "Notes=Erste Zeile\r\nZweite Zeile, die l\xE4nger ist als eine Zeile sein soll\r\n= Ende\n"},
        {"v30-groups-types-photo-escapes.vcf",
         "cTitle=Dr.\ncFirstname=Mary;Ann\ncSurname=O'Neil, Jr.\ncEmail=mary@acme.example\ncDDI=+1 555 0102\n"
         "Company=Acme, Inc.\nAddress1=Suite 5\nAddress2=1 Main St, Bldg 2\nTownCity=Springfield\nCounty=IL\n"
         "Postcode=62701\nTel=+1 555 0100\nFax=+1 555 0101\nWeb=http://acme.example/\nCountry=USA\n"
         "Notes=First line\r\nSecond line with a backslash \\ and semicolon "
         ";\nType1=Clients\nType2=Friends,Family\n"},
        {"v30-utf16le-bom.vcf",
         "cFirstname=Zo\xEB\ncSurname=\xC5ngstr\xF6m\ncEmail=zoe@example.se\nCompany=Caf\xE9 \x80?\n"},
        {"rfc2426-examples.vcf",
         "cFirstname=Frank\ncSurname=Dawson\ncEmail=Frank_Dawson@Lotus.com\nCompany=Lotus Development "
         "Corporation\n"
         "Address2=6544 Battleford "
         "Drive\nTownCity=Raleigh\nCounty=NC\nPostcode=27613-3502\nTel=+1-919-676-9515\n"
         "Fax=+1-919-676-9564\nWeb=http://home.earthlink.net/~fdawson\nCountry=U.S.A.\n--\n"
         "cFirstname=Tim\ncSurname=Howes\ncEmail=howes@netscape.com\nCompany=Netscape Communications Corp.\n"
         "Address2=501 E. Middlefield Rd.\nTownCity=Mountain View\nCounty=CA\nPostcode= 94043\n"
         "Tel=+1-415-937-3419\nFax=+1-415-528-4164\nCountry=U.S.A.\n"},
        {"rfc6350-example.vcf",
         "cFirstname=Simon\ncSurname=Perreault\ncEmail=simon.perreault@viagenie.ca\n"
         "Company=Viagenie\nAddress1=Suite D2-630\nAddress2=2875 Laurier\nTownCity=Quebec\nCounty=QC\n"
         "Postcode=G1V 2M2\nTel=+1-418-656-9254;ext=102\nCountry=Canada\n"},
        // A second BEGIN keeps the card it interrupts; END ends a card whatever it says, except inside
        // another object, which is skipped whole; the last card lacks its END.
        {"several-cards-last-without-end.vcf",
         "cFirstname=Anna\ncSurname=One\ncEmail=anna@example.com\n--\ncFirstname=Ben\ncSurname=Two\n--\n"
         "cFirstname=Cleo\ncSurname=Three\ncEmail=cleo@example.com\n--\n"
         "cFirstname=Dan\ncSurname=Four\ncEmail=dan@example.com\n"},
    };
    for (const auto& c : cases)
    {
        const std::string bytes = ReadDataFile(c.pszFile);
        ASSERT_FALSE(bytes.empty()) << c.pszFile;
        EXPECT_EQ(c.pszExpected, Describe(bytes)) << c.pszFile;
    }
}

TEST(VcardReaderTest, TextsWithoutCardsGiveNone)
{
    for (const char* text :
         {"", "N:Smith\r\nEND:VCARD\r\n", "no colon at all", "\xFF\xFE", "\xEF\xBB\xBF", "BEGIN"})
        EXPECT_TRUE(ReadCardText(text).empty()) << text;
    EXPECT_EQ(1u, ReadCardText("BEGIN:VCARD").size());
}
