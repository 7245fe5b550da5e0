// Shared by the vCard tests.
#include "tests/ui/addressbook/VcardTestSupport.h"

#include <fstream>
#include <iterator>

#include "ui/addressbook/VcardCharsets.h"
#include "ui/addressbook/VcardReader.h"

std::vector<CVcardContact> ReadCardText(const std::string& text)
{
    CVcardCharsets charsets;
    std::vector<CVcardContact> cards;
    CVcardReader(charsets).Read(text, cards);
    return cards;
}

std::string ReadDataFile(const std::string& name)
{
    std::ifstream in(std::string(ORB_TEST_DATA_DIR) + "/vcard/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::vector<CFieldName>& ContactFields()
{
    static const std::vector<CFieldName> fields = {
        {"cTitle", &CVcardContact::m_cTitle},
        {"cFirstname", &CVcardContact::m_cFirstname},
        {"cInitials", &CVcardContact::m_cInitials},
        {"cSurname", &CVcardContact::m_cSurname},
        {"cPosition", &CVcardContact::m_cPosition},
        {"cEmail", &CVcardContact::m_cEmail},
        {"cDDI", &CVcardContact::m_cDDI},
        {"cFamiliar", &CVcardContact::m_cFamiliar},
        {"cMobile", &CVcardContact::m_cMobile},
        {"cNotes", &CVcardContact::m_cNotes},
        {"Company", &CVcardContact::m_Company},
        {"Address1", &CVcardContact::m_Address1},
        {"Address2", &CVcardContact::m_Address2},
        {"TownCity", &CVcardContact::m_TownCity},
        {"County", &CVcardContact::m_County},
        {"Postcode", &CVcardContact::m_Postcode},
        {"Tel", &CVcardContact::m_Tel},
        {"Fax", &CVcardContact::m_Fax},
        {"Web", &CVcardContact::m_Web},
        {"Country", &CVcardContact::m_Country},
        {"Notes", &CVcardContact::m_Notes},
    };
    return fields;
}

std::string DescribeContact(const CVcardContact& contact)
{
    std::string out;
    for (const CFieldName& field : ContactFields())
    {
        const CString& value = contact.*field.pField;
        if (!value.IsEmpty())
            out += std::string(field.pszName) + "=" + value.GetString() + "\n";
    }
    for (int i = 0; i < kVcardSiteTypes; ++i)
    {
        if (!contact.m_Type[i].IsEmpty())
            out += "Type" + std::to_string(i + 1) + "=" + contact.m_Type[i].GetString() + "\n";
    }
    for (int i = 0; i < kVcardPersonTypes; ++i)
    {
        if (!contact.m_cIndType[i].IsEmpty())
            out += "cIndType" + std::to_string(i + 1) + "=" + contact.m_cIndType[i].GetString() + "\n";
    }
    if (contact.m_AddDate.IsSet())
    {
        const CVcardTime& t = contact.m_AddDate;
        char buffer[64];
        snprintf(buffer, sizeof(buffer), "AddDate=%04d-%02d-%02d %02d:%02d:%02d\n", t.nYear, t.nMonth, t.nDay,
                 t.nHour, t.nMinute, t.nSecond);
        out += buffer;
    }
    return out;
}
