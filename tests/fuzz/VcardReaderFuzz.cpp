// Fuzzes the card reader: any bytes read into contacts whose fields fit their columns, and every contact
// written and read again is stable from the first writing on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzCheck.h"
#include "ui/addressbook/VcardReader.h"
#include "ui/addressbook/VcardWriter.h"

namespace
{
bool SameFields(const CVcardContact& a, const CVcardContact& b)
{
    const CString CVcardContact::*fields[] = {
        &CVcardContact::m_cTitle,   &CVcardContact::m_cFirstname, &CVcardContact::m_cInitials,
        &CVcardContact::m_cSurname, &CVcardContact::m_cPosition,  &CVcardContact::m_cEmail,
        &CVcardContact::m_cDDI,     &CVcardContact::m_cFamiliar,  &CVcardContact::m_cMobile,
        &CVcardContact::m_cNotes,   &CVcardContact::m_Company,    &CVcardContact::m_Address1,
        &CVcardContact::m_Address2, &CVcardContact::m_TownCity,   &CVcardContact::m_County,
        &CVcardContact::m_Postcode, &CVcardContact::m_Tel,        &CVcardContact::m_Fax,
        &CVcardContact::m_Web,      &CVcardContact::m_Country,    &CVcardContact::m_Notes,
    };
    for (const auto field : fields)
    {
        if (!(a.*field == b.*field))
            return false;
    }
    for (int i = 0; i < kVcardSiteTypes; ++i)
    {
        if (!(a.m_Type[i] == b.m_Type[i]))
            return false;
    }
    for (int i = 0; i < kVcardPersonTypes; ++i)
    {
        if (!(a.m_cIndType[i] == b.m_cIndType[i]))
            return false;
    }
    return a.m_AddDate.nYear == b.m_AddDate.nYear && a.m_AddDate.nMonth == b.m_AddDate.nMonth &&
           a.m_AddDate.nDay == b.m_AddDate.nDay && a.m_AddDate.nSecond == b.m_AddDate.nSecond;
}

CVcardContact Trip(const CVcardContact& contact, const CVcardCharsets& charsets)
{
    const CVcardTime rev = {2020, 1, 2, 3, 4, 5};
    std::vector<CVcardContact> cards;
    CVcardReader(charsets).Read(WriteVcardText(contact, rev, charsets), cards);
    FUZZ_CHECK(cards.size() == 1);
    return cards[0];
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CVcardCharsets charsets;
    std::vector<CVcardContact> cards;
    CVcardReader(charsets).Read(std::string(reinterpret_cast<const char*>(data), size), cards);
    for (const CVcardContact& c : cards)
    {
        FUZZ_CHECK(c.m_cSurname.GetLength() <= kVcardName && c.m_cInitials.GetLength() <= kVcardInitials);
        FUZZ_CHECK(c.m_cEmail.GetLength() <= kVcardName && c.m_Tel.GetLength() <= kVcardPhone);
        FUZZ_CHECK(c.m_Postcode.GetLength() <= kVcardPostcode && c.m_Country.GetLength() <= kVcardCountry);
        FUZZ_CHECK(c.m_Notes.GetLength() <= kVcardNotes && c.m_cNotes.GetLength() <= kVcardNotes);
        for (int i = 0; i < kVcardSiteTypes; ++i)
            FUZZ_CHECK(c.m_Type[i].GetLength() <= kVcardSiteType);
        if (c.m_AddDate.IsSet())
            FUZZ_CHECK(c.m_AddDate.nMonth >= 1 && c.m_AddDate.nMonth <= 12 && c.m_AddDate.nDay >= 1 &&
                       c.m_AddDate.nDay <= 31 && c.m_AddDate.nHour < 24);
        // A scheme or a formatted name is taken off at the first reading; from then on nothing changes.
        const CVcardContact once = Trip(c, charsets);
        FUZZ_CHECK(SameFields(once, Trip(once, charsets)));
    }
    return 0;
}
