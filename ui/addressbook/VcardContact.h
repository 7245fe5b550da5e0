// One contact as a vCard carries it: the person's and the company's fields, sized as the stored columns.
#pragma once

#include <atlstr.h>

// A calendar time without a zone; all zero when a card gives none.
struct CVcardTime
{
    int nYear = 0;
    int nMonth = 0;
    int nDay = 0;
    int nHour = 0;
    int nMinute = 0;
    int nSecond = 0;

    bool IsSet() const { return nYear != 0; }
};

// Largest number of characters each field holds (the column's buffer less its terminator).
enum VcardFieldSize
{
    kVcardName = 100,
    kVcardInitials = 40,
    kVcardPhone = 50,
    kVcardPostcode = 40,
    kVcardCountry = 50,
    kVcardNotes = 1023,
    kVcardSiteType = 75,
    kVcardPersonTypes = 7,
    kVcardSiteTypes = 5,
};

class CVcardContact
{
public:
    // The person (ContactName).
    CString m_cTitle;
    CString m_cFirstname;
    CString m_cInitials;
    CString m_cSurname;
    CString m_cPosition;
    CString m_cEmail;
    CString m_cDDI;
    CString m_cFamiliar;
    CString m_cMobile;
    CString m_cIndType[kVcardPersonTypes];
    CString m_cNotes;
    // The company (Site).
    CString m_Company;
    CString m_Address1;
    CString m_Address2;
    CString m_TownCity;
    CString m_County;
    CString m_Postcode;
    CString m_Tel;
    CString m_Fax;
    CString m_Web;
    CString m_Country;
    CString m_Notes;
    CString m_Type[kVcardSiteTypes];
    // The company's date of adding, as the card's private property gave it.
    CVcardTime m_AddDate;

    // First name, a blank when both are there, surname.
    CString GetDisplayName() const;
};
