// Adding a contact with its company in one transaction.
#include "ui/addressbook/ContactInsertion.h"

#include <memory>

#include "foundation/ErrorUtil.h"
#include "foundation/RegExp.h"
#include "foundation/TextServices.h"
#include "store/ContactsTable.h"
#include "store/DatabaseBase.h"
#include "store/OLEDBException.h"
#include "store/SiteTable.h"
#include "ui/addressbook/AddressBookTexts.h"
#include "ui/addressbook/ContactStore.h"
#include "ui/addressbook/SheetContact.h"
#include "ui/addressbook/TransactionGuard.h"

namespace
{
bool IsOpen(const CSiteTable& table)
{
    return table.m_spRowset != NULL;
}

// Inserts the Site record as a new row; the new row is the rowset's last, which gives its SiteID.
void InsertSiteRow(CSiteTable& site, CSession* pSession, HWND hOwner)
{
    HRESULT hr = site.Insert(0);
    if (hr == S_OK)
        hr = site.MoveLast();
    if (hr != S_OK)
        throw new COLEDBException(site.m_spRowset, IID_IRowsetChange, AddressBookText::kInsertSiteFailed, pSession,
                                  hOwner, TRUE, NULL, FALSE, TRUE, hr);
}

// Runs a look-up with the values now in its record; true when a row was found (the record then holds it).
bool LookupFinds(CContactNameTable& lookup, const char* pszWhere, HWND hOwner)
{
    CString strEmail = lookup.m_cEmail, strFirstname = lookup.m_cFirstname;
    if (!lookup.IsLookupPrepared())
    {
        lookup.PrepareLookup(pszWhere, hOwner);
        lstrcpynA(lookup.m_cEmail, strEmail, sizeof(lookup.m_cEmail));
        lstrcpynA(lookup.m_cFirstname, strFirstname, sizeof(lookup.m_cFirstname));
    }
    lookup.CCommand<CAccessor<CContactNameRecord>>::Close();
    lookup.ExecuteLookup();
    return lookup.MoveFirst() == S_OK;
}
} // namespace

int InsertContact(HWND hOwner, CContactNameTable& contact, const CSiteRecord& site, BOOL bInteractive,
                  CContactNameTable* pEmailLookup, CContactNameTable* pNameLookup)
{
    CContactStore store(hOwner);
    if (store.m_pSite == NULL || !store.HasSession())
        throw "FATAL ERROR. Open Contacts table failed. No session.";
    CSiteTable& siteTable = *store.m_pSite;
    CSession* pSession = store.m_pSession;

    // Schema work is done before the transaction, which holds the file's writer lock.
    siteTable.EnsureTable(hOwner);
    contact.EnsureSchema(hOwner);
    if (!bInteractive)
    {
        if (!IsOpen(siteTable))
            siteTable.Open(hOwner);
        static_cast<CSiteRecord&>(siteTable) = site;
    }
    else if (!IsOpen(siteTable))
    {
        CSiteRecord filled = siteTable;
        siteTable.Open(hOwner);
        static_cast<CSiteRecord&>(siteTable) = filled;
    }

    CTransactionGuard transaction(pSession, hOwner);

    bool bCompanyGiven = siteTable.m_Ind == 0 && siteTable.m_Company[0] != '\0';
    if (!bCompanyGiven)
        siteTable.m_SiteID = 0;
    else
    {
        CSiteTable& lookup = *store.m_pSiteLookup;
        lookup.SelectByKeys(hOwner, siteTable.m_Company, siteTable.m_Postcode);
        bool bInsertSite = true;
        if (lookup.MoveFirst() == S_OK)
        {
            if (!bInteractive)
                bInsertSite = false;
            else
            {
                CString strQuestion;
                strQuestion.Format(AddressBookText::kSiteExists, siteTable.m_Company, siteTable.m_Postcode);
                int nAnswer = AppMessageBox(strQuestion, MB_YESNOCANCEL | MB_ICONQUESTION, hOwner);
                if (nAnswer == IDCANCEL)
                    return 0;
                bInsertSite = nAnswer != IDYES;
            }
            if (!bInsertSite)
                siteTable.m_SiteID = lookup.m_SiteID;
        }
        lookup.CCommand<CAccessor<CSiteRecord>>::Close();
        if (bInsertSite)
            InsertSiteRow(siteTable, pSession, hOwner);
    }
    contact.m_CustomerID = siteTable.m_SiteID;

    // The same person is looked for by name, or by address when there is no name.
    std::unique_ptr<CContactNameTable> pLocalEmail, pLocalName;
    CContactNameTable* pLookup = NULL;
    if (contact.m_cFirstname[0] != '\0' || contact.m_cSurname[0] != '\0')
    {
        if (pNameLookup == NULL)
        {
            pLocalName.reset(new CContactNameTable(pSession));
            pNameLookup = pLocalName.get();
        }
        pLookup = pNameLookup;
        lstrcpynA(pLookup->m_cEmail, contact.m_cFirstname, sizeof(pLookup->m_cEmail));
        lstrcpynA(pLookup->m_cFirstname, contact.m_cSurname, sizeof(pLookup->m_cFirstname));
        if (!LookupFinds(*pLookup, " WHERE cFirstname = ? AND cSurname = ?", hOwner))
            pLookup = NULL;
    }
    else if (contact.m_cEmail[0] != '\0')
    {
        if (pEmailLookup == NULL)
        {
            pLocalEmail.reset(new CContactNameTable(pSession));
            pEmailLookup = pLocalEmail.get();
        }
        pLookup = pEmailLookup;
        lstrcpynA(pLookup->m_cEmail, contact.m_cEmail, sizeof(pLookup->m_cEmail));
        if (!LookupFinds(*pLookup, " WHERE cEmail = ?", hOwner))
            pLookup = NULL;
    }
    else
        return 0;
    if (pLookup != NULL)
    {
        CString strEmail = pLookup->m_cEmail, strFirstname = pLookup->m_cFirstname, strSurname = pLookup->m_cSurname;
        pLookup->CCommand<CAccessor<CContactNameRecord>>::Close();
        if (!bInteractive)
            return 0;
        CString strQuestion;
        strQuestion.Format(AddressBookText::kContactExists, (const char*)strEmail, (const char*)strFirstname,
                           (const char*)strSurname);
        if (AppMessageBox(strQuestion, MB_OKCANCEL | MB_ICONQUESTION, hOwner) != IDOK)
            return 0;
    }

    if (contact.m_CustomerID == 0)
    {
        // A person without a company gets a Site row of its own, named after the person.
        siteTable.m_Ind = VARIANT_TRUE;
        const char* pszName = contact.m_cSurname[0] != '\0'     ? contact.m_cSurname
                              : contact.m_cFirstname[0] != '\0' ? contact.m_cFirstname
                                                                : contact.m_cEmail;
        lstrcpynA(siteTable.m_Company, pszName, sizeof(siteTable.m_Company));
        InsertSiteRow(siteTable, pSession, hOwner);
        contact.m_CustomerID = siteTable.m_SiteID;
    }

    if (contact.m_spRowset == NULL)
    {
        CContactNameRecord filled = contact;
        contact.Open(hOwner);
        static_cast<CContactNameRecord&>(contact) = filled;
    }
    HRESULT hr = contact.Insert(0);
    if (hr != S_OK)
        throw new COLEDBException(contact.m_spRowset, IID_IRowsetChange, AddressBookText::kInsertNamesFailed,
                                  pSession, hOwner, TRUE, NULL, FALSE, TRUE, hr);
    contact.CCommand<CAccessor<CContactNameRecord>>::Close();
    transaction.Commit();
    return 1;
}

void SplitSenderName(const CString& strName, CString& strFirstname, CString& strSurname)
{
    CString strTrimmed = strName;
    strTrimmed.Trim();
    strFirstname = strTrimmed;
    strSurname.Empty();
    CRegExp split(" *(.*) +(.*) *");
    if (split.Match(strTrimmed) && split.SubStrings() == 2)
    {
        strFirstname = split.GetSubString(1);
        strFirstname.TrimRight();
        strSurname = split.GetSubString(2);
    }
}

void AddNewContact(HWND hOwner, CEmailsImpl<>* pMessage)
{
    CContactStore store(hOwner);
    if (store.m_pContactName == NULL || !store.HasSession())
        throw "FATAL ERROR. Open Contacts table failed. No session.";
    CContactNameTable& contact = *store.m_pContactName;
    if (contact.m_spRowset == NULL)
        contact.Open(hOwner);
    contact.ClearRecord();
    if (pMessage != NULL)
    {
        CString strName, strAddress;
        SplitAddress(pMessage->m_Ref, strName, strAddress);
        if (strAddress.GetLength() < (int)sizeof(contact.m_cEmail))
            lstrcpynA(contact.m_cEmail, strAddress, sizeof(contact.m_cEmail));
        else
            AppMessageBox(AddressBookText::kSenderEmailTooLong, MB_ICONERROR, hOwner);
        CString strFirstname, strSurname;
        SplitSenderName(strName, strFirstname, strSurname);
        if (strFirstname.GetLength() < (int)sizeof(contact.m_cFirstname))
            lstrcpynA(contact.m_cFirstname, strFirstname, sizeof(contact.m_cFirstname));
        else
            AppMessageBox(AddressBookText::kSenderFirstnameTooLong, MB_ICONERROR, hOwner);
        if (strSurname.GetLength() < (int)sizeof(contact.m_cSurname))
            lstrcpynA(contact.m_cSurname, strSurname, sizeof(contact.m_cSurname));
        else
            AppMessageBox(AddressBookText::kSenderSurnameTooLong, MB_ICONERROR, hOwner);
    }
    RunContactSheet(hOwner, contact, NULL);
}
