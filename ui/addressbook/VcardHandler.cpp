// The vCard handler's file and record work.
#include "ui/addressbook/VcardHandler.h"

#include <oleauto.h>

#include "content/CharsetDecoder.h"
#include "foundation/File.h"
#include "foundation/Paths.h"
#include "store/ContactsTable.h"
#include "store/DatabaseMy.h"
#include "store/SiteTable.h"
#include "ui/addressbook/VcardReader.h"
#include "ui/addressbook/VcardWriter.h"
#include "ui/compose/ComposeStandIns.h"

namespace
{
const char kContactNotRead[] = "The contact %ld could not be read.";

void Copy(char* pszField, size_t cbField, const CString& value)
{
    lstrcpynA(pszField, value, static_cast<int>(cbField));
}

CVcardTime TimeOf(DATE date)
{
    CVcardTime time;
    SYSTEMTIME st = {};
    if (date != 0 && VariantTimeToSystemTime(date, &st))
        time = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    return time;
}
} // namespace

CString CVcardAnsiCharsets::GetAnsiCharsetName() const
{
    const UINT nCodePage = GetACP();
    if (nCodePage == 1252)
        return "windows-1252";
    CCharsetDecoder decoder(nCodePage);
    return decoder.GetCharsetName();
}

CString CVcardAnsiCharsets::ConvertOther(const char* pszCharset, const std::string& bytes) const
{
    try
    {
        CCharsetDecoder decoder(pszCharset);
        return decoder.Decode(CString(bytes.data(), static_cast<int>(bytes.size())));
    }
    catch (...)
    {
        // Without the charset layer the bytes stay as they came.
        return CString(bytes.data(), static_cast<int>(bytes.size()));
    }
}

CVcardContact VcardFromContact(const CContactRecord& r)
{
    CVcardContact c;
    c.m_cTitle = r.m_cTitle;
    c.m_cFirstname = r.m_cFirstname;
    c.m_cInitials = r.m_cInitials;
    c.m_cSurname = r.m_cSurname;
    c.m_cPosition = r.m_cPosition;
    c.m_cEmail = r.m_cEmail;
    c.m_cDDI = r.m_cDDI;
    c.m_cFamiliar = r.m_cFamiliar;
    c.m_cMobile = r.m_cMobile;
    const char* const personTypes[] = {r.m_cIndType1, r.m_cIndType2, r.m_cIndType3, r.m_cIndType4,
                                       r.m_cIndType5, r.m_cIndType6, r.m_cIndType7};
    for (int i = 0; i < kVcardPersonTypes; ++i)
        c.m_cIndType[i] = personTypes[i];
    c.m_cNotes = r.m_cNotes;
    c.m_Company = r.m_Company;
    c.m_Address1 = r.m_Address1;
    c.m_Address2 = r.m_Address2;
    c.m_TownCity = r.m_TownCity;
    c.m_County = r.m_County;
    c.m_Postcode = r.m_Postcode;
    c.m_Tel = r.m_Tel;
    c.m_Fax = r.m_Fax;
    c.m_Web = r.m_Web;
    c.m_Country = r.m_Country;
    c.m_Notes = r.m_Notes;
    const char* const siteTypes[] = {r.m_Type1, r.m_Type2, r.m_Type3, r.m_Type4, r.m_Type5};
    for (int i = 0; i < kVcardSiteTypes; ++i)
        c.m_Type[i] = siteTypes[i];
    c.m_AddDate = TimeOf(r.m_AddDate);
    return c;
}

void VcardToRecords(const CVcardContact& c, CContactNameRecord& person, CSiteRecord& site)
{
    person = CContactNameRecord();
    Copy(person.m_cTitle, sizeof(person.m_cTitle), c.m_cTitle);
    Copy(person.m_cFirstname, sizeof(person.m_cFirstname), c.m_cFirstname);
    Copy(person.m_cInitials, sizeof(person.m_cInitials), c.m_cInitials);
    Copy(person.m_cSurname, sizeof(person.m_cSurname), c.m_cSurname);
    Copy(person.m_cPosition, sizeof(person.m_cPosition), c.m_cPosition);
    Copy(person.m_cEmail, sizeof(person.m_cEmail), c.m_cEmail);
    Copy(person.m_cDDI, sizeof(person.m_cDDI), c.m_cDDI);
    Copy(person.m_cFamiliar, sizeof(person.m_cFamiliar), c.m_cFamiliar);
    Copy(person.m_cMobile, sizeof(person.m_cMobile), c.m_cMobile);
    for (int i = 0; i < kVcardPersonTypes; ++i)
        Copy(person.m_cIndType[i], sizeof(person.m_cIndType[i]), c.m_cIndType[i]);
    Copy(person.m_cNotes, sizeof(person.m_cNotes), c.m_cNotes);

    site.Clear();
    site.m_Ind = VARIANT_FALSE;
    Copy(site.m_Company, sizeof(site.m_Company), c.m_Company);
    Copy(site.m_Address1, sizeof(site.m_Address1), c.m_Address1);
    Copy(site.m_Address2, sizeof(site.m_Address2), c.m_Address2);
    Copy(site.m_TownCity, sizeof(site.m_TownCity), c.m_TownCity);
    Copy(site.m_County, sizeof(site.m_County), c.m_County);
    Copy(site.m_Postcode, sizeof(site.m_Postcode), c.m_Postcode);
    Copy(site.m_Tel, sizeof(site.m_Tel), c.m_Tel);
    Copy(site.m_Fax, sizeof(site.m_Fax), c.m_Fax);
    Copy(site.m_Web, sizeof(site.m_Web), c.m_Web);
    Copy(site.m_Country, sizeof(site.m_Country), c.m_Country);
    Copy(site.m_Notes, sizeof(site.m_Notes), c.m_Notes);
    char* const siteTypes[] = {site.m_Type1, site.m_Type2, site.m_Type3, site.m_Type4, site.m_Type5};
    for (int i = 0; i < kVcardSiteTypes; ++i)
        Copy(siteTypes[i], sizeof(site.m_Type1), c.m_Type[i]);
    if (c.m_AddDate.IsSet())
    {
        const CVcardTime& t = c.m_AddDate;
        SYSTEMTIME st = {static_cast<WORD>(t.nYear),
                         static_cast<WORD>(t.nMonth),
                         0,
                         static_cast<WORD>(t.nDay),
                         static_cast<WORD>(t.nHour),
                         static_cast<WORD>(t.nMinute),
                         static_cast<WORD>(t.nSecond),
                         0};
        DATE date = 0;
        if (SystemTimeToVariantTime(&st, &date))
            site.m_AddDate = date;
    }
}

void CVcardFiles::ReadVcardFile(const char* pszPath, std::vector<CVcardContact>& cards)
{
    CFile file(pszPath, CFile::modeRead | CFile::shareDenyNone);
    const DWORD nLength = file.GetLength();
    std::string bytes(nLength, '\0');
    if (nLength > 0)
        bytes.resize(file.Read(&bytes[0], nLength));
    file.Close();
    CVcardAnsiCharsets charsets;
    CVcardReader(charsets).Read(bytes, cards);
}

void CVcardFiles::ReadVcardFile(const char* pszPath, CVcardCardList& list)
{
    std::vector<CVcardContact> cards;
    ReadVcardFile(pszPath, cards);
    for (const CVcardContact& card : cards)
    {
        CContactEntry& entry = list.Add();
        VcardToRecords(card, entry, entry.m_Site);
    }
}

CContactEntry& CVcardCardList::Add()
{
    m_entries.emplace_back(new CContactEntry(m_pSession));
    CContactEntry& entry = *m_entries.back();
    entry.ClearRecord();
    entry.m_Site.Clear();
    entry.m_Site.m_Ind = VARIANT_FALSE;
    return entry;
}

void CVcardCardList::RemoveAll()
{
    m_entries.clear();
}

CSession* VcardSession(CDatabaseMy* pDatabase)
{
    if (pDatabase == NULL)
        return NULL;
    if (pDatabase->m_Orb.IsOpen())
        return &pDatabase->m_Orb.m_session;
    return &pDatabase->m_Local.m_session;
}

int CVcardFiles::WriteVcard(CSession* pSession, CString& strPath, CString& strName, LONG nContactID)
{
    CContactsTableHolder contacts(pSession);
    if (!contacts.ReadContact(nContactID, m_hOwner))
    {
        static char szText[128];
        wsprintfA(szText, kContactNotRead, static_cast<long>(nContactID));
        throw static_cast<const char*>(szText);
    }
    CVcardContact card = VcardFromContact(contacts);
    contacts.CloseTable();
    if (strName.IsEmpty())
    {
        // The file goes by the person's name, made safe to create in a folder.
        strName = MakeVcardFileName(card);
        if (strName.IsEmpty())
            return 0;
        strPath = GetTempFolder() + strName;
    }
    SYSTEMTIME utc = {};
    GetSystemTime(&utc);
    const CVcardTime rev = {utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond};
    CVcardAnsiCharsets charsets;
    const std::string text = WriteVcardText(card, rev, charsets);
    CFile file(strPath, CFile::modeCreate | CFile::modeWrite);
    file.Write(text.data(), static_cast<UINT>(text.size()));
    file.Close();
    return 1;
}

int CVcardFiles::WriteOwnVcard(CSession* pSession, LONG nContactID, CString& strPath, CString& strName)
{
    strName.Empty();
    return WriteVcard(pSession, strPath, strName, nContactID);
}

// The compose window's business card: the card of the contact the settings name, in the temporary folder.
bool WriteOwnVcard(CSession* pSession, LONG nContactID, CString& strPath)
{
    strPath.Empty();
    if (nContactID <= 0)
        return false;
    CString strName;
    CVcardFiles handler(NULL);
    return handler.WriteOwnVcard(pSession, nContactID, strPath, strName) == 1;
}
