// The Windows Address Book import over the library's MAPI-style interfaces.
#include "ui/addressbook/WabImport.h"

#include <cstring>
#include <vector>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/FoundationUi.h"
#include "foundation/WindowMessages.h"
#include "store/ContactsTable.h"
#include "store/DatabaseMy.h"
#include "store/OLEDBException.h"
#include "store/SiteTable.h"
#include "ui/addressbook/WabImportTexts.h"

namespace
{
const char kDllPathKey[] = "Software\\Microsoft\\WAB\\DLLPath";
const char kDefaultLibrary[] = "WAB32.DLL";

struct CPropField
{
    ULONG ulPropId;
    CString CWabPerson::*pField;
    int nMax;
};

const CPropField kFields[] = {
    {0x3003, &CWabPerson::strEmail, 100},      {0x3004, &CWabPerson::strComment, 1023},
    {0x3A06, &CWabPerson::strGivenName, 100},  {0x3A08, &CWabPerson::strBusinessTel, 50},
    {0x3A11, &CWabPerson::strSurname, 100},    {0x3A16, &CWabPerson::strCompany, 100},
    {0x3A17, &CWabPerson::strTitle, 100},      {0x3A1C, &CWabPerson::strMobile, 50},
    {0x3A24, &CWabPerson::strBusinessFax, 50}, {0x3A26, &CWabPerson::strCountry, 50},
    {0x3A27, &CWabPerson::strLocality, 100},   {0x3A29, &CWabPerson::strStreet, 100},
    {0x3A2A, &CWabPerson::strPostalCode, 40},  {0x3A45, &CWabPerson::strPrefix, 100},
};

template <class T> void ReleaseInterface(T*& p)
{
    if (p != nullptr)
        p->Release();
    p = nullptr;
}

void CopyField(char* pszField, size_t cbField, const CString& value)
{
    lstrcpynA(pszField, value, static_cast<int>(cbField));
}

const SPropValue* FindColumn(const SRow& row, ULONG ulTag)
{
    for (ULONG i = 0; i < row.cValues; ++i)
    {
        if (row.lpProps[i].ulPropTag == ulTag)
            return &row.lpProps[i];
    }
    return nullptr;
}
} // namespace

// The look-ups the import keeps between persons, each statement prepared once.
class CWabImportTables
{
public:
    CWabImportTables(CSiteTable& lookup, HWND hOwner)
        : m_Site(lookup), m_Email(lookup.GetSession()), m_Names(lookup.GetSession()), m_hOwner(hOwner)
    {
    }

    // Whether the person is in the address book already: by e-mail address, and a person without one by
    // first name and surname, so that persons without addresses are not all taken for one.
    bool IsKnown(const CWabPerson& person)
    {
        CContactNameTable& lookup = person.strEmail.IsEmpty() ? m_Names : m_Email;
        if (!lookup.IsLookupPrepared())
        {
            lookup.EnsureSchema(m_hOwner);
            lookup.PrepareLookup(person.strEmail.IsEmpty() ? " WHERE cFirstname = ? AND cSurname = ?"
                                                           : " WHERE cEmail = ?",
                                 m_hOwner);
        }
        // The look-up's values go in marker order: cEmail, then cFirstname.
        if (person.strEmail.IsEmpty())
        {
            CopyField(lookup.m_cEmail, sizeof(lookup.m_cEmail), person.strGivenName);
            CopyField(lookup.m_cFirstname, sizeof(lookup.m_cFirstname), person.strSurname);
        }
        else
            CopyField(lookup.m_cEmail, sizeof(lookup.m_cEmail), person.strEmail);
        lookup.ExecuteLookup();
        return lookup.MoveFirst() == S_OK;
    }

    // The company's Site row, found by key and postcode or made; its SiteID.
    LONG CompanyOf(const CString& strKey, const CWabPerson& person)
    {
        m_Site.EnsureTable(m_hOwner);
        m_Site.SelectByKeys(m_hOwner, strKey, person.strPostalCode);
        if (m_Site.MoveNext() == S_OK)
            return m_Site.m_SiteID;

        CSiteTable site(m_Site.GetSession());
        site.Open(m_hOwner);
        site.Clear();
        // A company's own row; a row named after the person is the person's own site.
        site.m_Ind = person.strCompany.IsEmpty() ? VARIANT_TRUE : VARIANT_FALSE;
        CopyField(site.m_Company, sizeof(site.m_Company), strKey);
        CopyField(site.m_Notes, sizeof(site.m_Notes), person.strComment);
        CopyField(site.m_Tel, sizeof(site.m_Tel), person.strBusinessTel);
        CopyField(site.m_Fax, sizeof(site.m_Fax), person.strBusinessFax);
        CopyField(site.m_Country, sizeof(site.m_Country), person.strCountry);
        CopyField(site.m_TownCity, sizeof(site.m_TownCity), person.strLocality);
        CopyField(site.m_Address1, sizeof(site.m_Address1), person.strStreet);
        CopyField(site.m_Postcode, sizeof(site.m_Postcode), person.strPostalCode);
        HRESULT hr = site.Insert(0);
        if (SUCCEEDED(hr))
            hr = site.MoveLast();
        if (hr != S_OK)
            throw new COLEDBException(site.m_spRowsetChange, IID_IRowsetChange,
                                      WabImportText::kInsertSiteFailed, site.GetSession(), m_hOwner, FALSE,
                                      NULL, FALSE, FALSE, hr);
        return site.m_SiteID;
    }

    void InsertPerson(const CWabPerson& person, LONG nSiteID)
    {
        CContactNameTable contact(m_Site.GetSession());
        contact.Open(m_hOwner);
        static_cast<CContactNameRecord&>(contact) = CContactNameRecord();
        contact.m_CustomerID = nSiteID;
        CopyField(contact.m_cEmail, sizeof(contact.m_cEmail), person.strEmail);
        CopyField(contact.m_cFirstname, sizeof(contact.m_cFirstname), person.strGivenName);
        CopyField(contact.m_cSurname, sizeof(contact.m_cSurname), person.strSurname);
        CopyField(contact.m_cPosition, sizeof(contact.m_cPosition), person.strTitle);
        CopyField(contact.m_cMobile, sizeof(contact.m_cMobile), person.strMobile);
        CopyField(contact.m_cTitle, sizeof(contact.m_cTitle), person.strPrefix);
        const HRESULT hr = contact.Insert(0);
        if (hr != S_OK)
            throw new COLEDBException(contact.m_spRowsetChange, IID_IRowsetChange,
                                      WabImportText::kInsertContactNameFailed, contact.GetSession(), m_hOwner,
                                      FALSE, NULL, FALSE, FALSE, hr);
        contact.Close();
    }

private:
    CSiteTable& m_Site;
    CContactNameTable m_Email;
    CContactNameTable m_Names;
    HWND m_hOwner;
};

void CollectWabPerson(const SPropValue* pProps, ULONG cValues, CWabPerson& person)
{
    for (ULONG i = 0; i < cValues && pProps != nullptr; ++i)
    {
        const SPropValue& value = pProps[i];
        for (const CPropField& field : kFields)
        {
            if (PROP_ID(value.ulPropTag) != field.ulPropId)
                continue;
            CString text;
            if (PROP_TYPE(value.ulPropTag) == PT_STRING8 && value.Value.lpszA != nullptr)
                text = value.Value.lpszA;
            else if (PROP_TYPE(value.ulPropTag) == PT_UNICODE && value.Value.lpszW != nullptr)
                text = CString(value.Value.lpszW);
            else
                break;
            person.*field.pField = text.GetLength() > field.nMax ? text.Left(field.nMax) : text;
            break;
        }
    }
}

WabOpenResult CWabImport::Open(const char* pszFileName)
{
    Close();
    char szLibrary[MAX_PATH] = "";
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDllPathKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS)
    {
        DWORD cb = sizeof(szLibrary) - 1;
        DWORD type = 0;
        if (RegQueryValueExA(hKey, NULL, NULL, &type, reinterpret_cast<BYTE*>(szLibrary), &cb) !=
                ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            szLibrary[0] = '\0';
        RegCloseKey(hKey);
    }
    m_hModule = LoadLibraryA(szLibrary[0] != '\0' ? szLibrary : kDefaultLibrary);
    if (m_hModule == NULL)
        return kWabNoLibrary;
    m_pfnWABOpen = reinterpret_cast<LPWABOPEN>(GetProcAddress(m_hModule, "WABOpen"));
    if (m_pfnWABOpen == nullptr)
        return kWabNoLibrary;

    WAB_PARAM param = {};
    param.cbSize = sizeof(WAB_PARAM);
    param.szFileName =
        pszFileName != nullptr && pszFileName[0] != '\0' ? const_cast<LPSTR>(pszFileName) : NULL;
    const HRESULT hr = m_pfnWABOpen(&m_pAddrBook, &m_pWABObject, &param, 0);
    if (hr != S_OK || m_pAddrBook == nullptr || m_pWABObject == nullptr)
    {
        ReleaseInterface(m_pAddrBook);
        ReleaseInterface(m_pWABObject);
        return hr == MAPI_E_NOT_FOUND ? kWabNoFile : kWabUnreadable;
    }
    m_bOpened = true;
    return kWabOpened;
}

void CWabImport::ImportContacts(HWND hOwner)
{
    m_nImported = 0;
    if (!m_bOpened)
        return;
    CDatabaseMy* pDatabaseMy = NULL;
    ::SendMessageA(hOwner, LetrovaGetMyDatabase, reinterpret_cast<WPARAM>(&pDatabaseMy), 0);
    if (pDatabaseMy == NULL)
        return;
    CDatabaseBase* pDatabase = pDatabaseMy->m_Orb.IsOpen()
                                   ? static_cast<CDatabaseBase*>(&pDatabaseMy->m_Orb)
                                   : static_cast<CDatabaseBase*>(&pDatabaseMy->m_Local);

    ULONG cbPab = 0;
    LPENTRYID pPab = nullptr;
    if (FAILED(m_pAddrBook->GetPAB(&cbPab, &pPab)))
        return;
    ULONG ulType = 0;
    IUnknown* pUnknown = nullptr;
    HRESULT hr = m_pAddrBook->OpenEntry(cbPab, pPab, NULL, 0, &ulType, &pUnknown);
    m_pWABObject->FreeBuffer(pPab);
    if (FAILED(hr) || pUnknown == nullptr)
        return;
    IABContainer* pContainer = static_cast<IABContainer*>(pUnknown);
    IMAPITable* pTable = nullptr;
    SizedSPropTagArray(3, columns) = {3, {PR_DISPLAY_NAME_A, PR_ENTRYID, PR_OBJECT_TYPE}};
    if (FAILED(pContainer->GetContentsTable(0, &pTable)) || pTable == nullptr ||
        FAILED(pTable->SetColumns(reinterpret_cast<LPSPropTagArray>(&columns), 0)) ||
        FAILED(pTable->SeekRow(BOOKMARK_BEGINNING, 0, NULL)))
    {
        ReleaseInterface(pTable);
        ReleaseInterface(pContainer);
        return;
    }

    auto freeRows = [this](LPSRowSet pRows) {
        for (ULONG i = 0; i < pRows->cRows; ++i)
            m_pWABObject->FreeBuffer(pRows->aRow[i].lpProps);
        m_pWABObject->FreeBuffer(pRows);
    };
    try
    {
        CWabImportTables tables(pDatabase->m_Site2, hOwner);
        for (;;)
        {
            LPSRowSet pRows = nullptr;
            if (FAILED(pTable->QueryRows(1, 0, &pRows)) || pRows == nullptr)
                break;
            if (pRows->cRows == 0)
            {
                freeRows(pRows);
                break;
            }
            // Only a row that says it is a person: lists, folders and rows without a type are not.
            const SPropValue* pType = FindColumn(pRows->aRow[0], PR_OBJECT_TYPE);
            const SPropValue* pEntry = FindColumn(pRows->aRow[0], PR_ENTRYID);
            try
            {
                if (pType != nullptr && pType->Value.l == MAPI_MAILUSER && pEntry != nullptr &&
                    pEntry->Value.bin.cb > 0)
                    ImportPerson(hOwner, pEntry->Value.bin, tables);
            }
            catch (...)
            {
                freeRows(pRows);
                throw;
            }
            freeRows(pRows);
        }
    }
    catch (...)
    {
        ReleaseInterface(pTable);
        ReleaseInterface(pContainer);
        throw;
    }

    DWORD dwThread = 0;
    ::SendMessageA(hOwner, LetrovaGetIdThread, reinterpret_cast<WPARAM>(&dwThread), 0);
    if (dwThread != 0)
        ::PostThreadMessageA(dwThread, WM_USER, ID_UPDATE, 0);
    ReleaseInterface(pTable);
    ReleaseInterface(pContainer);
}

void CWabImport::ImportPerson(HWND, const SBinary& entryId, CWabImportTables& tables)
{
    // The table's buffer goes with its row: the entry is opened from a copy.
    std::vector<BYTE> id(entryId.lpb, entryId.lpb + entryId.cb);
    ULONG ulType = 0;
    IUnknown* pUnknown = nullptr;
    if (FAILED(m_pAddrBook->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()),
                                      NULL, 0, &ulType, &pUnknown)) ||
        pUnknown == nullptr)
        return;
    if (m_pProps != nullptr)
        m_pWABObject->FreeBuffer(m_pProps);
    m_pProps = nullptr;
    m_cProps = 0;
    IMailUser* pUser = static_cast<IMailUser*>(pUnknown);
    const HRESULT hr = pUser->GetProps(NULL, 0, &m_cProps, &m_pProps);
    ReleaseInterface(pUser);
    if (FAILED(hr) || m_pProps == nullptr)
    {
        m_pProps = nullptr;
        m_cProps = 0;
        return;
    }

    CWabPerson person;
    CollectWabPerson(m_pProps, m_cProps, person);
    CString strKey = person.strCompany;
    for (const CString* other : {&person.strSurname, &person.strGivenName, &person.strEmail})
    {
        if (strKey.IsEmpty())
            strKey = *other;
    }
    if (strKey.IsEmpty())
        return;
    // The person first: one skipped leaves no company row behind.
    if (tables.IsKnown(person))
        return;
    tables.InsertPerson(person, tables.CompanyOf(strKey, person));
    ++m_nImported;
}

void CWabImport::Close()
{
    if (m_pProps != nullptr && m_pWABObject != nullptr)
        m_pWABObject->FreeBuffer(m_pProps);
    m_pProps = nullptr;
    m_cProps = 0;
    ReleaseInterface(m_pAddrBook);
    ReleaseInterface(m_pWABObject);
    // Loaded and not opened is still loaded.
    if (m_hModule != NULL)
        FreeLibrary(m_hModule);
    m_hModule = NULL;
    m_pfnWABOpen = nullptr;
    m_bOpened = false;
}

void ImportWindowsAddressBook(HWND hWndMain)
{
    HCURSOR hOldCursor = ::SetCursor(::LoadCursor(NULL, IDC_WAIT));
    CWabImport wab;
    try
    {
        switch (wab.Open(""))
        {
        case kWabOpened:
            wab.ImportContacts(hWndMain);
            break;
        case kWabNoLibrary:
            AppMessageBox(WabImportText::kNoLibrary, MB_ICONEXCLAMATION, hWndMain);
            break;
        case kWabNoFile:
            AppMessageBox(WabImportText::kNoFile, MB_ICONEXCLAMATION, hWndMain);
            break;
        case kWabUnreadable:
            AppMessageBox(WabImportText::kUnreadable, MB_ICONEXCLAMATION, hWndMain);
            break;
        }
    }
    catch (COLEDBException* pException)
    {
        pException->ShowDialog(hWndMain);
        delete pException;
    }
    catch (CException* pException)
    {
        ShowErrorReportPrompt(pException->m_strMessage, NULL);
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, hWndMain);
    }
    catch (...)
    {
        ShowUnhandledException("CMainFrame::OnImportWAB");
    }
    wab.Close();
    ::SetCursor(hOldCursor);
}
