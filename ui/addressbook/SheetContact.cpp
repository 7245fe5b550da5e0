// The new-contact sheet and the field sets it shares with the Properties dialog.
#include "ui/addressbook/SheetContact.h"

#include <commctrl.h>

#include "foundation/DlgFields.h"
#include "foundation/ErrorUtil.h"
#include "platform/wtl/SystemSeams.h"
#include "store/OLEDBException.h"
#include "ui/addressbook/AddressBookTexts.h"
#include "ui/addressbook/ContactInsertion.h"
#include "ui/addressbook/ContactStore.h"

namespace
{
const int kCaptionChars = 19;
const int kWebBuffer = 1024;

struct CTextField
{
    int nField;
    int nLabel;
};

const CTextField kTypeFields[5] = {{IDC_AB_TYPE1, IDC_AB_TYPE1_LABEL},
                                   {IDC_AB_TYPE2, IDC_AB_TYPE2_LABEL},
                                   {IDC_AB_TYPE3, IDC_AB_TYPE3_LABEL},
                                   {IDC_AB_TYPE4, IDC_AB_TYPE4_LABEL},
                                   {IDC_AB_TYPE5, IDC_AB_TYPE5_LABEL}};

const int kSiteTextFields[] = {IDC_AB_COMPANY,    IDC_AB_ADDRESS1,   IDC_AB_ADDRESS2,   IDC_AB_COUNTRY,
                               IDC_AB_COUNTY,     IDC_AB_TEL,        IDC_AB_FAX,        IDC_AB_NOTES,
                               IDC_AB_POSTCODE,   IDC_AB_TOWNCITY,   IDC_AB_WEB,        IDC_AB_SITE_TYPE1,
                               IDC_AB_SITE_TYPE2, IDC_AB_SITE_TYPE3, IDC_AB_SITE_TYPE4, IDC_AB_SITE_TYPE5};

void SetText(HWND hDlg, int nID, const char* pszText)
{
    ::SetDlgItemTextA(hDlg, nID, pszText);
}

bool Get(CDlgFields& fields, int nField, char* pszBuffer, int nSize, int nLabel)
{
    return fields.GetText(nField, pszBuffer, nSize, nLabel, FALSE) != FALSE;
}
} // namespace

void CContactNameFields::FillTitles(HWND hDlg)
{
    HWND hCombo = ::GetDlgItem(hDlg, IDC_AB_TITLE);
    for (const char* pszTitle : {"Mr.", "Mrs.", "Miss."}) // strings 157, 158, 163
        ::SendMessageA(hCombo, CB_ADDSTRING, 0, (LPARAM)pszTitle);
}

void CContactNameFields::Show(HWND hDlg, const CContactNameRecord& record)
{
    SetText(hDlg, IDC_AB_TITLE, record.m_cTitle);
    SetText(hDlg, IDC_AB_FIRSTNAME, record.m_cFirstname);
    SetText(hDlg, IDC_AB_INITIALS, record.m_cInitials);
    SetText(hDlg, IDC_AB_SURNAME, record.m_cSurname);
    SetText(hDlg, IDC_AB_POSITION, record.m_cPosition);
    SetText(hDlg, IDC_AB_FAMILIAR, record.m_cFamiliar);
    SetText(hDlg, IDC_AB_DDI, record.m_cDDI);
    SetText(hDlg, IDC_AB_EMAIL, record.m_cEmail);
    SetText(hDlg, IDC_AB_MOBILE, record.m_cMobile);
    for (int i = 0; i < 5; i++)
        SetText(hDlg, kTypeFields[i].nField, record.m_cIndType[i]);
}

bool CContactNameFields::Read(CWindow* pDlg, CContactNameRecord& r)
{
    CDlgFields fields(pDlg);
    if (!Get(fields, IDC_AB_DDI, r.m_cDDI, sizeof(r.m_cDDI), IDC_AB_DDI_LABEL) ||
        !Get(fields, IDC_AB_EMAIL, r.m_cEmail, sizeof(r.m_cEmail), IDC_AB_EMAIL_LABEL) ||
        !Get(fields, IDC_AB_FAMILIAR, r.m_cFamiliar, sizeof(r.m_cFamiliar), IDC_AB_FAMILIAR_LABEL) ||
        !Get(fields, IDC_AB_FIRSTNAME, r.m_cFirstname, sizeof(r.m_cFirstname), IDC_AB_FIRSTNAME_LABEL))
        return false;
    for (int i = 0; i < 5; i++)
        if (!Get(fields, kTypeFields[i].nField, r.m_cIndType[i], sizeof(r.m_cIndType[i]), kTypeFields[i].nLabel))
            return false;
    return Get(fields, IDC_AB_INITIALS, r.m_cInitials, sizeof(r.m_cInitials), IDC_AB_INITIALS_LABEL) &&
           Get(fields, IDC_AB_MOBILE, r.m_cMobile, sizeof(r.m_cMobile), IDC_AB_MOBILE_LABEL) &&
           Get(fields, IDC_AB_POSITION, r.m_cPosition, sizeof(r.m_cPosition), IDC_AB_POSITION_LABEL) &&
           Get(fields, IDC_AB_SURNAME, r.m_cSurname, sizeof(r.m_cSurname), IDC_AB_SURNAME_LABEL) &&
           Get(fields, IDC_AB_TITLE, r.m_cTitle, sizeof(r.m_cTitle), IDC_AB_TITLE_LABEL);
}

CString CContactNameFields::Caption(HWND hDlg, const CString& strRemembered)
{
    char szFirst[101] = "", szInitials[41] = "", szSurname[101] = "";
    ::GetDlgItemTextA(hDlg, IDC_AB_FIRSTNAME, szFirst, sizeof(szFirst));
    ::GetDlgItemTextA(hDlg, IDC_AB_INITIALS, szInitials, sizeof(szInitials));
    ::GetDlgItemTextA(hDlg, IDC_AB_SURNAME, szSurname, sizeof(szSurname));
    return CString(szFirst) + " " + szInitials + " " + szSurname + " " + strRemembered;
}

void CSiteFields::Show(HWND hDlg, const CSiteRecord& r)
{
    SetText(hDlg, IDC_AB_ADDRESS1, r.m_Address1);
    SetText(hDlg, IDC_AB_ADDRESS2, r.m_Address2);
    SetText(hDlg, IDC_AB_COUNTRY, r.m_Country);
    SetText(hDlg, IDC_AB_COUNTY, r.m_County);
    SetText(hDlg, IDC_AB_TEL, r.m_Tel);
    SetText(hDlg, IDC_AB_FAX, r.m_Fax);
    SetText(hDlg, IDC_AB_NOTES, r.m_Notes);
    SetText(hDlg, IDC_AB_POSTCODE, r.m_Postcode);
    SetText(hDlg, IDC_AB_TOWNCITY, r.m_TownCity);
    SetText(hDlg, IDC_AB_SITE_TYPE1, r.m_Type1);
    SetText(hDlg, IDC_AB_SITE_TYPE2, r.m_Type2);
    SetText(hDlg, IDC_AB_SITE_TYPE3, r.m_Type3);
    SetText(hDlg, IDC_AB_SITE_TYPE4, r.m_Type4);
    SetText(hDlg, IDC_AB_SITE_TYPE5, r.m_Type5);
    SetText(hDlg, IDC_AB_WEB, r.m_Web);
    SYSTEMTIME time;
    if (r.m_AddDate != 0 && VariantTimeToSystemTime(r.m_AddDate, &time))
        ::SendDlgItemMessageA(hDlg, IDC_AB_ADD_DATE, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&time);
}

bool CSiteFields::Read(CWindow* pDlg, CSiteRecord& r)
{
    SYSTEMTIME time;
    if (::SendDlgItemMessageA(pDlg->m_hWnd, IDC_AB_ADD_DATE, DTM_GETSYSTEMTIME, 0, (LPARAM)&time) == GDT_VALID)
        SystemTimeToVariantTime(&time, &r.m_AddDate);
    CDlgFields fields(pDlg);
    return Get(fields, IDC_AB_ADDRESS1, r.m_Address1, sizeof(r.m_Address1), IDC_AB_ADDRESS1_LABEL) &&
           Get(fields, IDC_AB_ADDRESS2, r.m_Address2, sizeof(r.m_Address2), IDC_AB_ADDRESS2_LABEL) &&
           Get(fields, IDC_AB_COUNTRY, r.m_Country, sizeof(r.m_Country), IDC_AB_COUNTRY_LABEL) &&
           Get(fields, IDC_AB_COUNTY, r.m_County, sizeof(r.m_County), IDC_AB_COUNTY_LABEL) &&
           Get(fields, IDC_AB_POSTCODE, r.m_Postcode, sizeof(r.m_Postcode), IDC_AB_POSTCODE_LABEL) &&
           Get(fields, IDC_AB_TOWNCITY, r.m_TownCity, sizeof(r.m_TownCity), IDC_AB_TOWNCITY_LABEL) &&
           Get(fields, IDC_AB_TEL, r.m_Tel, sizeof(r.m_Tel), IDC_AB_TEL_LABEL) &&
           Get(fields, IDC_AB_FAX, r.m_Fax, sizeof(r.m_Fax), IDC_AB_FAX_LABEL) &&
           Get(fields, IDC_AB_SITE_TYPE1, r.m_Type1, sizeof(r.m_Type1), IDC_AB_SITE_TYPE1_LABEL) &&
           Get(fields, IDC_AB_SITE_TYPE2, r.m_Type2, sizeof(r.m_Type2), IDC_AB_SITE_TYPE2_LABEL) &&
           Get(fields, IDC_AB_SITE_TYPE3, r.m_Type3, sizeof(r.m_Type3), IDC_AB_SITE_TYPE3_LABEL) &&
           Get(fields, IDC_AB_SITE_TYPE4, r.m_Type4, sizeof(r.m_Type4), IDC_AB_SITE_TYPE4_LABEL) &&
           Get(fields, IDC_AB_SITE_TYPE5, r.m_Type5, sizeof(r.m_Type5), IDC_AB_SITE_TYPE5_LABEL) &&
           Get(fields, IDC_AB_NOTES, r.m_Notes, sizeof(r.m_Notes), IDC_AB_NOTES_LABEL) &&
           Get(fields, IDC_AB_WEB, r.m_Web, sizeof(r.m_Web), IDC_AB_WEB_LABEL);
}

void CSiteFields::SetReadOnly(HWND hDlg, bool bReadOnly)
{
    for (int nID : kSiteTextFields)
        ::SendDlgItemMessageA(hDlg, nID, EM_SETREADONLY, bReadOnly, 0);
    ::EnableWindow(::GetDlgItem(hDlg, IDC_AB_ADD_DATE), !bReadOnly);
}

void CSiteFields::OpenWeb(CWindow* pDlg)
{
    char szWeb[kWebBuffer] = "";
    int nLength = (int)::GetDlgItemTextA(pDlg->m_hWnd, IDC_AB_WEB, szWeb, sizeof(szWeb));
    if (nLength == 0 || nLength >= kWebBuffer - 1)
    {
        AppMessageBox(AddressBookText::kWebAddressFail, MB_ICONINFORMATION, pDlg->m_hWnd);
        ::SetFocus(::GetDlgItem(pDlg->m_hWnd, IDC_AB_WEB));
        return;
    }
    CSystemSeams::ShellExecuteFile(pDlg->m_hWnd, "open", "IEXPLORE.EXE", szWeb, NULL, SW_SHOWNORMAL);
}

LRESULT CPageContactName::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CContactNameFields::FillTitles(m_hWnd);
    char szCaption[kCaptionChars + 1] = "";
    ::GetWindowTextA(GetParent(), szCaption, sizeof(szCaption));
    m_strCaption = szCaption;
    m_bShowing = true;
    CContactNameFields::Show(m_hWnd, m_contact);
    m_bShowing = false;
    return TRUE;
}

LRESULT CPageContactName::OnNameChange(WORD, WORD, HWND, BOOL&)
{
    if (m_bShowing)
        return 0;
    ::SetWindowTextA(GetParent(), CContactNameFields::Caption(m_hWnd, m_strCaption));
    return 0;
}

bool CPageContactName::Save()
{
    if (!CContactNameFields::Read(this, m_contact))
        return false;
    if (m_contact.m_cSurname[0] == '\0' && m_contact.m_cFirstname[0] == '\0' && m_contact.m_cEmail[0] == '\0')
    {
        AppMessageBox("Type a firstname or surmame or email please", MB_ICONINFORMATION, m_hWnd); // string 254
        return false;
    }
    return true;
}

int CPageContactName::OnApply()
{
    // The address page first: a refused company field shows that page.
    try
    {
        if (m_pAddress->Save() && Save())
            return PSNRET_NOERROR;
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, m_hWnd);
    }
    return PSNRET_INVALID_NOCHANGEPAGE;
}

LRESULT CPageContactAddress::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_pSite != NULL)
    {
        SetText(m_hWnd, IDC_AB_COMPANY, m_pSite->m_Company);
        CSiteFields::Show(m_hWnd, *m_pSite);
    }
    CheckDlgButton(IDC_AB_INDIVIDUAL, m_pSite == NULL ? BST_CHECKED : BST_UNCHECKED);
    ApplyIndividual();
    return TRUE;
}

LRESULT CPageContactAddress::OnIndividual(WORD, WORD, HWND, BOOL&)
{
    ApplyIndividual();
    return 0;
}

void CPageContactAddress::ApplyIndividual()
{
    CSiteFields::SetReadOnly(m_hWnd, IsDlgButtonChecked(IDC_AB_INDIVIDUAL) != 0);
}

LRESULT CPageContactAddress::OnGo(WORD, WORD, HWND, BOOL&)
{
    CSiteFields::OpenWeb(this);
    return 0;
}

bool CPageContactAddress::Save()
{
    CContactStore store(m_hOwner);
    if (store.m_pSite == NULL)
        throw "FATAL ERROR. Open Contacts table failed. No session.";
    CSiteTable& site = *store.m_pSite;
    if (site.m_spRowset == NULL)
        site.Open(m_hOwner);
    site.Clear();
    if (m_hWnd != NULL)
    {
        CDlgFields fields(this);
        if (!Get(fields, IDC_AB_COMPANY, site.m_Company, sizeof(site.m_Company), IDC_AB_COMPANY_LABEL))
            return false;
        site.m_Ind = IsDlgButtonChecked(IDC_AB_INDIVIDUAL) ? VARIANT_TRUE : VARIANT_FALSE;
        if (site.m_Ind)
            return true;
        if (!CSiteFields::Read(this, site))
            return false;
    }
    else if (m_pSite == NULL)
    {
        site.m_Ind = VARIANT_TRUE;
        return true;
    }
    else
    {
        LONG nSiteID = site.m_SiteID;
        static_cast<CSiteRecord&>(site) = *m_pSite;
        site.m_SiteID = nSiteID;
    }
    if (!site.m_Ind && site.m_Company[0] == '\0')
    {
        AppMessageBox("Type a company please.", MB_ICONINFORMATION, m_hWnd); // string 257
        return false;
    }
    return true;
}

CSheetContact::CSheetContact(HWND hOwner, CContactNameTable& contact, const CSiteRecord* pSite)
    : CPropertySheetImpl<CSheetContact>("Contact Properties"), m_hOwner(hOwner), m_pageName(hOwner, contact),
      m_pageAddress(hOwner, pSite)
{
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_pageName.m_pAddress = &m_pageAddress;
    AddPage(m_pageName);
    AddPage(m_pageAddress);
}

LRESULT CSheetContact::OnShowWindow(WORD, WORD, HWND hWndPage, BOOL& bHandled)
{
    int nIndex = (int)SendMessage(PSM_HWNDTOINDEX, (WPARAM)hWndPage);
    if (nIndex < 0)
        bHandled = FALSE;
    else
        SetActivePage(nIndex);
    return 0;
}

int RunContactSheet(HWND hOwner, CContactNameTable& contact, const CSiteRecord* pSite)
{
    INT_PTR nResult;
    {
        CSheetContact sheet(hOwner, contact, pSite);
        const char* pszOldHint = FailureHintText;
        FailureHintText = AddressBookText::kSheetFatal;
        nResult = sheet.DoModal(::GetActiveWindow());
        FailureHintText = pszOldHint;
    }
    if (nResult <= 0)
        return 0;
    CSiteRecord unused;
    return InsertContact(hOwner, contact, unused, TRUE);
}
