// The Compose page.
#include "ui/options/PageOptionsCompose.h"

#include "foundation/Exception.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseBase.h"
#include "store/OLEDBException.h"
#include "ui/options/OptionsStandIns.h"

namespace
{
const COptionsHelpEntry kHelp[] = {{IDC_COMPOSE_INCLUDE_CARD, 489}, {IDC_COMPOSE_CARD_CONTACT, 490},
                                   {IDC_COMPOSE_CARD_EDIT, 491},    {IDC_COMPOSE_CARD_TEXT, 488},
                                   {IDC_COMPOSE_CARD_TEXT2, 488},   {IDC_COMPOSE_CARD_TEXT3, 488},
                                   {IDC_COMPOSE_CARD_TEXT4, 488},   {0, 0}};
} // namespace

CPageOptionsCompose::CPageOptionsCompose(HWND hWndOwner, CRegistry* pRegistry)
    : CPageOptionsImpl(pRegistry, hWndOwner, kHelp)
{
}

LRESULT CPageOptionsCompose::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    // Contacts live in the central database while it is open, else in the local one.
    m_pContacts = FromOwner<CDatabaseBase>(LetrovaGetOrbDatabase);
    if (m_pContacts == NULL || !m_pContacts->IsOpen())
        m_pContacts = FromOwner<CDatabaseBase>(LetrovaGetDatabase);
    Check(IDC_COMPOSE_INCLUDE_CARD, m_pRegistry->GetIncludeBusinessCard() != 0);
    FillContacts(m_pRegistry->GetBusinessCardContactId());
    EnableCard();
    return TRUE;
}

LRESULT CPageOptionsCompose::OnInclude(WORD, WORD, HWND, BOOL&)
{
    EnableCard();
    return 0;
}

LRESULT CPageOptionsCompose::OnContactChange(WORD, WORD, HWND, BOOL&)
{
    EnableCard();
    return 0;
}

LRESULT CPageOptionsCompose::OnEdit(WORD, WORD, HWND, BOOL&)
{
    LONG nID = SelectedContact();
    if (nID != -1)
        EditContact(nID);
    return 0;
}

void CPageOptionsCompose::FillContacts(LONG nSelectID)
{
    HWND hWndList = GetDlgItem(IDC_COMPOSE_CARD_CONTACT);
    ::SendMessageA(hWndList, CB_RESETCONTENT, 0, 0);
    if (m_pContacts == NULL || !m_pContacts->IsOpen())
        return;
    try
    {
        CContactsTableHolder contacts(&m_pContacts->m_session);
        contacts.OpenFiltered(m_hWndOwner);
        while (contacts.MoveNext() == S_OK)
        {
            CString strText = contacts.GetFullName() + " (" + contacts.m_cEmail + ")";
            int nItem = (int)::SendMessageA(hWndList, CB_ADDSTRING, 0, (LPARAM)(const char*)strText);
            if (nItem < 0)
                continue;
            ::SendMessageA(hWndList, CB_SETITEMDATA, nItem, contacts.m_ID);
            if (contacts.m_ID == nSelectID)
                ::SendMessageA(hWndList, CB_SETCURSEL, nItem, 0);
        }
    }
    catch (COLEDBException* pException)
    {
        AppMessageBox(CString(OptionsText::kComposeFailed) + pException->m_strMessage, MB_ICONSTOP, m_hWnd);
        delete pException;
    }
    catch (CException* pException)
    {
        AppMessageBox(CString(OptionsText::kComposeFailed) + pException->m_strMessage, MB_ICONSTOP, m_hWnd);
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(CString(OptionsText::kComposeFailed) + pszText, MB_ICONSTOP, m_hWnd);
    }
}

LONG CPageOptionsCompose::SelectedContact()
{
    int nItem = (int)SendDlgItemMessage(IDC_COMPOSE_CARD_CONTACT, CB_GETCURSEL, 0, 0);
    if (nItem == CB_ERR)
        return -1;
    return (LONG)SendDlgItemMessage(IDC_COMPOSE_CARD_CONTACT, CB_GETITEMDATA, nItem, 0);
}

void CPageOptionsCompose::EnableCard()
{
    bool bInclude = IsChecked(IDC_COMPOSE_INCLUDE_CARD);
    Enable(IDC_COMPOSE_CARD_CONTACT, bInclude);
    Enable(IDC_COMPOSE_CARD_EDIT, bInclude && SelectedContact() != -1);
}

void CPageOptionsCompose::EditContact(LONG nID)
{
    if (m_pContacts == NULL)
        return;
    try
    {
        CContactNameTable contact(&m_pContacts->m_session);
        if (!contact.OpenByID(&m_pContacts->m_session, nID, m_hWnd))
            return;
        if (COptionsStandIns::RunContactProperties(::GetActiveWindow(), contact) != IDOK)
            return;
        HRESULT hr = contact.SetData();
        if (FAILED(hr))
            throw new COLEDBException(contact.m_spRowset, IID_IRowsetChange, OptionsText::kUpdateNamesFailed,
                                      contact.GetSession(), m_hWnd, FALSE, NULL, FALSE, FALSE, hr);
        contact.Close();
        FillContacts(nID);
        EnableCard();
    }
    catch (COLEDBException* pException)
    {
        pException->ShowDialog(m_hWnd);
        delete pException;
    }
    catch (CException* pException)
    {
        AppMessageBox(CString(OptionsText::kComposeFailed) + pException->m_strMessage, MB_ICONSTOP, m_hWnd);
        delete pException;
    }
    catch (const char* pszText)
    {
        AppMessageBox(CString(OptionsText::kComposeFailed) + pszText, MB_ICONSTOP, m_hWnd);
    }
}

bool CPageOptionsCompose::StoreValues()
{
    bool bInclude = IsChecked(IDC_COMPOSE_INCLUDE_CARD);
    m_pRegistry->SetIncludeBusinessCard(bInclude);
    LONG nID = SelectedContact();
    if (bInclude && nID == -1)
    {
        m_pRegistry->SetIncludeBusinessCard(0);
        return Refuse(IDC_COMPOSE_CARD_CONTACT, IDS_CHOOSE_BUSINESS_CARD);
    }
    if (nID != -1)
        m_pRegistry->SetBusinessCardContactId(nID);
    return true;
}
