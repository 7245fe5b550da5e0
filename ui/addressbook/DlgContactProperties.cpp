// The contact Properties dialog, its pages and the company dialogs.
#include "ui/addressbook/DlgContactProperties.h"

#include <commctrl.h>

#include "app/ThreadManager.h"
#include "foundation/DlgFields.h"
#include "foundation/ErrorUtil.h"
#include "foundation/TraceFile.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseBase.h"
#include "store/OLEDBException.h"
#include "ui/addressbook/AddressBookTexts.h"
#include "ui/addressbook/ContactEntry.h"
#include "ui/addressbook/ContactInsertion.h"
#include "ui/addressbook/ContactStore.h"
#include "ui/addressbook/SheetContact.h"
#include "ui/addressbook/TransactionGuard.h"
#include "ui/main/Main.h"

namespace
{
// Opens the table on the one company; the record then holds it, or is cleared when there is none.
bool OpenSiteByID(CSiteTable& site, LONG nSiteID, HWND hOwner)
{
    CString strSQL;
    strSQL.Format("%s WHERE SiteID = %ld", g_szSiteSelect, (long)nSiteID);
    site.CloseTable();
    site.Open(hOwner, "Site", strSQL);
    if (site.MoveFirst() == S_OK)
        return true;
    site.Clear();
    return false;
}

void AppendPart(CString& strText, const char* pszPart, const char* pszSeparator)
{
    if (pszPart == NULL || pszPart[0] == '\0')
        return;
    if (!strText.IsEmpty())
        strText += pszSeparator;
    strText += pszPart;
}
} // namespace

// ---------------------------------------------------------------------------------------------------------
// The company page.

LRESULT CPageSite::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (GetDlgItem(IDC_AB_ADD_DATE) == NULL)
        AppMessageBox("ERROR: Create Date and Time Picker Control failed.", MB_ICONERROR, m_hWnd);
    if (m_pSite != NULL)
    {
        ShowRecord(*m_pSite);
        for (int nID : {IDC_AB_SITE_UPDATE, IDC_AB_SITE_NEW, IDC_AB_SITE_DELETE})
            ::ShowWindow(GetDlgItem(nID), SW_HIDE);
    }
    if (m_bReadOnly)
        CSiteFields::SetReadOnly(m_hWnd, true);
    return TRUE;
}

void CPageSite::ShowRecord(const CSiteRecord& record)
{
    CSiteFields::Show(m_hWnd, record);
}

bool CPageSite::Save(CSiteRecord& record)
{
    if (!CSiteFields::Read(this, record))
        return false;
    // The page has no "&Individual?" box: what it saves is a company.
    record.m_Ind = VARIANT_FALSE;
    return true;
}

LRESULT CPageSite::OnGo(WORD, WORD, HWND, BOOL&)
{
    CSiteFields::OpenWeb(this);
    return 0;
}

LRESULT CPageSite::OnEnd(WORD, WORD wID, HWND, BOOL&)
{
    return wID == IDOK ? 1 : 2;
}

void CPageSite::Guarded(void (CPageSite::*pfn)())
{
    try
    {
        (this->*pfn)();
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, m_hWnd);
    }
}

LRESULT CPageSite::OnNew(WORD, WORD, HWND, BOOL&)
{
    Guarded(&CPageSite::NewCompany);
    return 0;
}

LRESULT CPageSite::OnUpdate(WORD, WORD, HWND, BOOL&)
{
    Guarded(&CPageSite::UpdateCompany);
    return 0;
}

LRESULT CPageSite::OnDelete(WORD, WORD, HWND, BOOL&)
{
    Guarded(&CPageSite::DeleteCompany);
    return 0;
}

CSiteTable* CPageSite::FindChosenCompany(LONG& nSiteID)
{
    nSiteID = 0;
    if (!::SendMessageA(GetParent(), WM_COMMAND, AddressBookCmd::kGetSiteId, (LPARAM)&nSiteID) || nSiteID == 0)
        return NULL;
    CContactStore store(m_hOwner);
    if (store.m_pSite == NULL)
        return NULL;
    if (!OpenSiteByID(*store.m_pSite, nSiteID, m_hOwner))
        return NULL;
    return store.m_pSite;
}

void CPageSite::NewCompany()
{
    CContactStore store(m_hOwner);
    if (store.m_pSite == NULL)
        throw "FATAL ERROR. Open table failed. No session.";
    CSiteTable& site = *store.m_pSite;
    site.CloseTable();
    site.Open(m_hOwner);
    site.Clear();
    CDlgSite dialog(m_hOwner, site, "&Add"); // string 167
    if (dialog.DoModal(::GetActiveWindow()) != 1)
        return;
    HRESULT hr = site.Insert(0);
    if (hr != S_OK)
        throw new COLEDBException(site.m_spRowset, IID_IRowsetChange, AddressBookText::kInsertSiteFailed,
                                  store.m_pSession, m_hOwner, TRUE, NULL, FALSE, TRUE, hr);
    ::SendMessageA(GetParent(), WM_COMMAND, AddressBookCmd::kUpdateCompanyList, 0);
}

void CPageSite::UpdateCompany()
{
    LONG nSiteID = 0;
    CSiteTable* pSite = FindChosenCompany(nSiteID);
    if (pSite == NULL)
        return;
    LONG nKeep = pSite->m_SiteID;
    if (!Save(*pSite))
        return;
    CDlgSite dialog(m_hOwner, *pSite, "&Update"); // string 168
    if (dialog.DoModal(::GetActiveWindow()) != 1)
        return;
    pSite->m_SiteID = nKeep;
    HRESULT hr = pSite->SetData(0);
    if (FAILED(hr))
    {
        COLEDBException report(pSite->m_spRowset, IID_IRowsetChange, AddressBookText::kUpdateSiteFailed,
                               pSite->GetSession(), m_hOwner, TRUE, NULL, FALSE, TRUE, hr);
        return;
    }
    ::SendMessageA(GetParent(), WM_COMMAND, AddressBookCmd::kUpdateCompanyList, nSiteID);
}

void CPageSite::DeleteCompany()
{
    LONG nSiteID = 0;
    CSiteTable* pSite = FindChosenCompany(nSiteID);
    if (pSite == NULL)
        return;
    CContactStore store(m_hOwner);
    CContactEntry contacts(store.m_pSession);
    contacts.ClearRecord();
    contacts.m_ID = nSiteID;
    contacts.Open(m_hOwner, "ContactName", CString(g_szContactNameSelect) + " WHERE CustomerID = ?");
    bool bHasContacts = contacts.MoveFirst() == S_OK;
    bool bCurrentAmong = false;
    if (bHasContacts)
    {
        CDlgSiteWarning warning(contacts, m_pContact != NULL ? m_pContact->m_ID : 0);
        if (warning.DoModal(::GetActiveWindow()) != 1)
            return;
        bCurrentAmong = warning.m_bCurrentAmong;
    }
    contacts.Close();
    // Asked before anything goes: a No here leaves the company and its people as they were.
    if (AppMessageBox(AddressBookText::kDeleteSite, MB_YESNO | MB_ICONQUESTION, m_hWnd) == IDNO)
        return;
    try
    {
        CTransactionGuard transaction(store.m_pSession, m_hOwner);
        if (bHasContacts)
        {
            CString strSQL;
            strSQL.Format("DELETE FROM ContactName WHERE CustomerID = %ld", (long)nSiteID);
            store.m_pDatabase->ExecuteSQL(strSQL, m_hOwner);
        }
        if (!OpenSiteByID(*pSite, nSiteID, m_hOwner))
            throw "ERROR: Delete Site table failed!";
        HRESULT hr = pSite->Delete();
        if (hr != S_OK)
            throw new COLEDBException(pSite->m_spRowset, IID_IRowsetChange, AddressBookText::kDeleteSiteFailed,
                                      pSite->GetSession(), m_hOwner, TRUE, NULL, FALSE, TRUE, hr);
        transaction.Commit();
    }
    catch (COLEDBException* pException)
    {
        delete pException;
        return;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, m_hWnd);
        return;
    }
    if (bHasContacts)
    {
        DWORD dwThreadId = OwnerThreadId(m_hOwner);
        if (dwThreadId != 0)
            ::PostThreadMessageA(dwThreadId, WM_USER, AddressBookCmd::kUpdate, 0);
    }
    ::SendMessageA(GetParent(), WM_COMMAND, AddressBookCmd::kUpdateCompanyList, 0);
    if (bCurrentAmong)
        ::PostMessageA(GetParent(), WM_COMMAND, IDCANCEL, 0);
}

// ---------------------------------------------------------------------------------------------------------
// The Site dialog and the warning.

LRESULT CDlgSite::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_page.Create(m_hWnd);
    RECT rcClient, rcCompany;
    GetClientRect(&rcClient);
    ::GetWindowRect(GetDlgItem(IDC_AB_COMPANY), &rcCompany);
    ::MapWindowPoints(NULL, m_hWnd, (POINT*)&rcCompany, 2);
    RECT rcOk;
    ::GetWindowRect(GetDlgItem(IDOK), &rcOk);
    ::MapWindowPoints(NULL, m_hWnd, (POINT*)&rcOk, 2);
    m_page.SetWindowPos(NULL, 0, rcCompany.bottom + 4, rcClient.right, rcOk.top - rcCompany.bottom - 8,
                        SWP_NOZORDER);
    for (int nID : {IDC_AB_SITE_UPDATE, IDC_AB_SITE_NEW, IDC_AB_SITE_DELETE})
        ::ShowWindow(m_page.GetDlgItem(nID), SW_HIDE);
    m_page.ShowRecord(m_record);
    m_page.ShowWindow(SW_SHOW);
    SetDlgItemText(IDC_AB_COMPANY, m_record.m_Company);
    SetDlgItemText(IDOK, m_pszOkText);
    return TRUE;
}

LRESULT CDlgSite::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    if (m_page.m_hWnd != NULL)
        m_page.DestroyWindow();
    bHandled = FALSE;
    return 0;
}

LRESULT CDlgSite::OnOK(WORD, WORD, HWND, BOOL&)
{
    CDlgFields fields(this);
    if (m_page.Save(m_record) &&
        fields.GetText(IDC_AB_COMPANY, m_record.m_Company, sizeof(m_record.m_Company), IDC_AB_COMPANY_LABEL, FALSE))
        EndDialog(1);
    return 0;
}

LRESULT CDlgSite::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(2);
    return 0;
}

LRESULT CDlgSiteWarning::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CListBox list(GetDlgItem(IDC_AB_LIST));
    HRESULT hr = S_OK;
    for (hr = m_contacts.MoveFirst(); hr == S_OK; hr = m_contacts.MoveNext())
    {
        CString strLine;
        if (m_contacts.m_cFirstname[0] != '\0' || m_contacts.m_cInitials[0] != '\0' ||
            m_contacts.m_cSurname[0] != '\0')
            strLine = CString("\"") + m_contacts.m_cFirstname + " " + m_contacts.m_cInitials + " " +
                      m_contacts.m_cSurname + "\" ";
        if (m_contacts.m_cEmail[0] != '\0')
            strLine += CString("<") + m_contacts.m_cEmail + ">";
        list.AddString(strLine);
        if (m_contacts.m_ID == m_nCurrentID)
            m_bCurrentAmong = true;
    }
    return TRUE;
}

LRESULT CDlgSiteWarning::OnEnd(WORD, WORD wID, HWND, BOOL&)
{
    EndDialog(wID == IDOK ? 1 : 2);
    return 0;
}

// ---------------------------------------------------------------------------------------------------------
// The summary and details pages.

CString CDlgVcardSummary::JoinName(const CContactNameRecord& r)
{
    CString strName;
    for (const char* pszPart : {r.m_cTitle, r.m_cFirstname, r.m_cInitials, r.m_cSurname})
        AppendPart(strName, pszPart, " ");
    return strName;
}

CString CDlgVcardSummary::JoinAddress(const CSiteRecord& r)
{
    CString strAddress;
    for (const char* pszPart : {r.m_Address1, r.m_Address2, r.m_TownCity, r.m_Country, r.m_Postcode, r.m_County})
        AppendPart(strAddress, pszPart, ", ");
    return strAddress;
}

LRESULT CDlgVcardSummary::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    try
    {
        SetDlgItemText(IDC_AB_NAME, JoinName(m_contact));
        SetDlgItemText(IDC_AB_POSITION, m_contact.m_cPosition);
        SetDlgItemText(IDC_AB_FAMILIAR, m_contact.m_cFamiliar);
        SetDlgItemText(IDC_AB_EMAIL, m_contact.m_cEmail);
        SetDlgItemText(IDC_AB_DDI, m_contact.m_cDDI);
        SetDlgItemText(IDC_AB_MOBILE, m_contact.m_cMobile);
        CSiteRecord site;
        site.Clear();
        if (m_pSite != NULL)
            site = *m_pSite;
        else
        {
            ::ShowWindow(GetDlgItem(IDC_AB_ADD_TO_BOOK), SW_HIDE);
            CContactStore store(m_hOwner);
            if (store.HasSession())
            {
                CSiteTable lookup(store.m_pSession);
                if (OpenSiteByID(lookup, m_contact.m_CustomerID, m_hOwner))
                    site = lookup;
            }
        }
        SetDlgItemText(IDC_AB_TEL, site.m_Tel);
        SetDlgItemText(IDC_AB_FAX, site.m_Fax);
        SetDlgItemText(IDC_AB_COMPANY, site.m_Company);
        SetDlgItemText(IDC_AB_WEB, site.m_Web);
        SetDlgItemText(IDC_AB_ADDRESS, JoinAddress(site));
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, m_hWnd);
    }
    return TRUE;
}

LRESULT CDlgVcardSummary::OnGo(WORD, WORD, HWND, BOOL&)
{
    CSiteFields::OpenWeb(this);
    return 0;
}

LRESULT CDlgVcardSummary::OnAddToBook(WORD, WORD, HWND, BOOL&)
{
    try
    {
        if (RunContactSheet(GetParent(), m_contact, m_pSite) != 0)
        {
            if (m_dwThreadId != 0)
                ::PostThreadMessageA(m_dwThreadId, WM_USER, AddressBookCmd::kUpdate, 0);
            ::PostMessageA(GetParent(), WM_COMMAND, IDOK, 0);
        }
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, m_hWnd);
    }
    catch (...)
    {
        if (IsTraceOn())
            g_pTraceFile->WriteText(AddressBookText::kUnhandledSummary);
        AppMessageBox(AddressBookText::kUnhandledSummary, MB_ICONERROR, m_hWnd);
    }
    return 0;
}

LRESULT CDlgVcardSummary::OnCancel(WORD, WORD, HWND, BOOL&)
{
    ::SendMessageA(GetParent(), WM_COMMAND, IDCANCEL, 0);
    return 0;
}

LRESULT CDlgContactDetails::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    CContactNameFields::FillTitles(m_hWnd);
    char szCaption[20] = "";
    ::GetWindowTextA(GetParent(), szCaption, sizeof(szCaption));
    m_strCaption = szCaption;
    m_bShowing = true;
    CContactNameFields::Show(m_hWnd, m_contact);
    m_bShowing = false;
    if (m_bReadOnly)
    {
        for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild != NULL; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
            ::SendMessageA(hChild, EM_SETREADONLY, TRUE, 0);
        ::EnableWindow(GetDlgItem(IDC_AB_TITLE), FALSE);
    }
    return TRUE;
}

LRESULT CDlgContactDetails::OnNameChange(WORD, WORD, HWND, BOOL&)
{
    if (m_bShowing)
        return 0;
    ::SetWindowTextA(GetParent(), CContactNameFields::Caption(m_hWnd, m_strCaption));
    return 0;
}

LRESULT CDlgContactDetails::OnOK(WORD, WORD, HWND, BOOL&)
{
    if (!CContactNameFields::Read(this, m_contact))
        return 0;
    return ::SendMessageA(GetParent(), WM_COMMAND, AddressBookCmd::kGetSiteId, (LPARAM)&m_contact.m_CustomerID);
}

LRESULT CDlgContactDetails::OnCancel(WORD, WORD, HWND, BOOL&)
{
    ::SendMessageA(GetParent(), WM_COMMAND, IDCANCEL, 0);
    return 0;
}

// ---------------------------------------------------------------------------------------------------------
// The Properties dialog.

CAreYouMe::CAreYouMe(HWND hOwner, CContactNameTable& contact, DWORD dwThreadId, const CSiteRecord* pSite,
                     CDatabaseMy* pDatabase)
    : m_cmdLine(dwThreadId != 0 ? dwThreadId : g_dwManagerThreadId), m_hOwner(hOwner), m_dwThreadId(dwThreadId),
      m_summary(hOwner, contact, pSite, dwThreadId),
      m_details(contact, pSite != NULL), m_site(hOwner, true, &contact, NULL), m_contact(contact), m_pSite(pSite)
{
    if (pDatabase != NULL)
        m_pMain.reset(new CMain(pDatabase, NULL, dwThreadId));
}

CAreYouMe::~CAreYouMe()
{
}

BOOL CAreYouMe::ProcessMain(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    return m_pMain->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult);
}

LRESULT CAreYouMe::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_hOwner == NULL)
        m_summary.m_hOwner = m_site.m_hOwner = m_hWnd;
    m_companies.Attach(GetDlgItem(IDC_AB_COMPANY_COMBO));
    if (m_pSite != NULL)
    {
        m_companies.SetCurSel(m_companies.AddString(m_pSite->m_Company));
        m_companies.EnableWindow(FALSE);
        ::ShowWindow(GetDlgItem(IDC_AB_INDIVIDUAL), SW_HIDE);
    }
    CTabCtrl tabs(GetDlgItem(IDC_AB_TABS));
    const char* titles[3] = {"Summary", "Name", "Site"}; // strings 492, 147, 156
    for (int i = 0; i < 3; i++)
        tabs.InsertItem(i, titles[i]);
    RECT rcTabs;
    tabs.GetWindowRect(&rcTabs);
    ::MapWindowPoints(NULL, m_hWnd, (POINT*)&rcTabs, 2);
    RECT rcItem = {0, 0, 19, 19};
    tabs.SendMessage(TCM_GETITEMRECT, 0, (LPARAM)&rcItem);
    RECT rcPage = {rcTabs.left + 3, rcTabs.top + (rcItem.bottom - rcItem.top) + 6, rcTabs.right - 3,
                   rcTabs.bottom - 3};
    m_summary.Create(m_hWnd);
    m_details.Create(m_hWnd);
    m_site.Create(m_hWnd);
    for (HWND hPage : {m_summary.m_hWnd, m_details.m_hWnd, m_site.m_hWnd})
        ::SetWindowPos(hPage, HWND_TOP, rcPage.left, rcPage.top, rcPage.right - rcPage.left,
                       rcPage.bottom - rcPage.top, 0);
    ShowPage(1);
    ShowPage(0);
    if (DataOwner() != NULL)
        SendMessage(WM_COMMAND, AddressBookCmd::kUpdateCompanyList, 0);
    return TRUE;
}

LRESULT CAreYouMe::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    for (CWindow* pPage : {(CWindow*)&m_summary, (CWindow*)&m_details, (CWindow*)&m_site})
        if (pPage->m_hWnd != NULL)
            pPage->DestroyWindow();
    m_companies.Detach();
    bHandled = FALSE;
    return 0;
}

LRESULT CAreYouMe::OnAreYouMe(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    // Without a manager the command line would be read, deleted and then lost: let a window that can open
    // it answer instead. An unregistered message would be WM_NULL.
    if (m_cmdLine.m_dwManagerThreadId == 0 || LetrovaAreYouMe == 0)
    {
        bHandled = FALSE;
        return 0;
    }
    return m_cmdLine.OnAreYouMe();
}

void CAreYouMe::ShowPage(int nPage)
{
    CTabCtrl(GetDlgItem(IDC_AB_TABS)).SetCurSel(nPage);
    HWND pages[3] = {m_summary.m_hWnd, m_details.m_hWnd, m_site.m_hWnd};
    for (int i = 0; i < 3; i++)
        ::ShowWindow(pages[i], i == nPage ? SW_SHOW : SW_HIDE);
    ::ShowWindow(GetDlgItem(IDC_AB_INDIVIDUAL), nPage != 0 && m_pSite == NULL ? SW_SHOW : SW_HIDE);
}

LRESULT CAreYouMe::OnTabChange(int, LPNMHDR, BOOL&)
{
    ShowPage(CTabCtrl(GetDlgItem(IDC_AB_TABS)).GetCurSel());
    return 0;
}

LRESULT CAreYouMe::OnShowWindow(WORD, WORD, HWND hWndPage, BOOL& bHandled)
{
    HWND pages[3] = {m_summary.m_hWnd, m_details.m_hWnd, m_site.m_hWnd};
    for (int i = 0; i < 3; i++)
        if (pages[i] == hWndPage)
        {
            ShowPage(i);
            return 0;
        }
    bHandled = FALSE;
    return 0;
}

LRESULT CAreYouMe::OnGetSiteId(WORD, WORD, HWND hWndCtl, BOOL&)
{
    LONG* pSiteID = reinterpret_cast<LONG*>(hWndCtl);
    if (pSiteID == NULL)
        return 0;
    CDlgFields fields(this);
    bool bIndividual = IsDlgButtonChecked(IDC_AB_INDIVIDUAL) != 0;
    DWORD_PTR dwData = 0;
    if (!fields.GetComboData(dwData, IDC_AB_COMPANY_COMBO, IDC_AB_COMPANY_LABEL, !bIndividual))
        return 0;
    // An individual without a chosen company keeps the site it has: a person must always have one.
    if (m_companies.GetCurSel() != CB_ERR)
        *pSiteID = (LONG)dwData;
    return 1;
}

LRESULT CAreYouMe::OnUpdateCompanyList(WORD, WORD, HWND hWndCtl, BOOL&)
{
    if (m_pSite != NULL)
        return 0;
    LONG nSelect = (LONG)(LONG_PTR)hWndCtl;
    try
    {
        m_companies.ResetContent();
        CContactStore store(DataOwner());
        if (store.m_pSite == NULL)
            return 0;
        CSiteTable& site = *store.m_pSite;
        site.CloseTable();
        site.Open(DataOwner());
        for (HRESULT hr = site.MoveFirst(); hr == S_OK; hr = site.MoveNext())
        {
            int nIndex = m_companies.AddString(site.m_Company);
            m_companies.SetItemData(nIndex, (DWORD_PTR)site.m_SiteID);
        }
        int nCount = m_companies.GetCount();
        int nFound = -1;
        for (int i = 0; i < nCount && nFound < 0; i++)
        {
            LONG nSiteID = (LONG)m_companies.GetItemData(i);
            if (nSiteID == m_contact.m_CustomerID || (nSelect != 0 && nSiteID == nSelect))
                nFound = i;
        }
        m_companies.SetCurSel(nFound);
        ShowCompany(nFound >= 0 ? (LONG)m_companies.GetItemData(nFound) : 0);
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, m_hWnd);
    }
    return 0;
}

LRESULT CAreYouMe::OnCompanyChange(WORD, WORD, HWND, BOOL&)
{
    int nIndex = m_companies.GetCurSel();
    try
    {
        ShowCompany(nIndex >= 0 ? (LONG)m_companies.GetItemData(nIndex) : 0);
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONERROR, m_hWnd);
    }
    return 0;
}

void CAreYouMe::ShowCompany(LONG nSiteID)
{
    CContactStore store(DataOwner());
    CSiteRecord shown;
    shown.Clear();
    shown.m_Ind = VARIANT_FALSE;
    if (store.HasSession() && nSiteID != 0)
    {
        CSiteTable lookup(store.m_pSession);
        if (OpenSiteByID(lookup, nSiteID, DataOwner()))
            shown = lookup;
    }
    m_site.ShowRecord(shown);
    // The box tells about the company shown.
    CheckDlgButton(IDC_AB_INDIVIDUAL, shown.m_Ind ? BST_CHECKED : BST_UNCHECKED);
}

LRESULT CAreYouMe::OnOK(WORD, WORD, HWND, BOOL&)
{
    if (m_details.SendMessage(WM_COMMAND, IDOK, 0) != 0)
        EndDialog(1);
    return 0;
}

LRESULT CAreYouMe::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(2);
    return 0;
}

INT_PTR RunContactProperties(HWND hOwner, CContactNameTable& contact)
{
    CAreYouMe dialog(hOwner, contact);
    return dialog.DoModal(::GetActiveWindow()) == 1 ? IDOK : IDCANCEL;
}
