// The Contacts page.
#include "ui/options/PageOptionsContacts.h"

#include "foundation/Exception.h"
#include "foundation/WindowMessages.h"
#include "store/DatabaseBase.h"
#include "store/OLEDBException.h"

namespace
{
const COptionsHelpEntry kHelp[] = {{IDC_CONTACTS_PRIVATE, 423}, {IDC_OPTIONS_LOCATION, 428},
                                   {IDC_OPTIONS_BROWSE, 424},   {IDC_CONTACTS_CONNECT, 425},
                                   {IDC_CONTACTS_LOG, 426},     {IDC_CONTACTS_ONLY_WITH_EMAIL, 427},
                                   {0, 0}};
} // namespace

CPageOptionsContacts::CPageOptionsContacts(CRegistry* pRegistry, HWND hWndOwner)
    : CPageOptionsImpl(pRegistry, hWndOwner, kHelp)
{
}

LRESULT CPageOptionsContacts::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    Check(IDC_CONTACTS_PRIVATE, g_bPrivateContacts != 0);
    SetDlgItemText(IDC_OPTIONS_LOCATION, m_pRegistry->m_strOrbDatabase);
    Check(IDC_CONTACTS_CONNECT, g_bConnectToOrb != 0);
    Check(IDC_CONTACTS_LOG, g_bNotLogToOrb == 0);
    m_pRegistry->ShowOnlyWithEmailCheck(m_hWnd, IDC_CONTACTS_ONLY_WITH_EMAIL);
    EnableCentral();
    return TRUE;
}

LRESULT CPageOptionsContacts::OnPrivate(WORD, WORD, HWND, BOOL&)
{
    EnableCentral();
    return 0;
}

LRESULT CPageOptionsContacts::OnBrowse(WORD, WORD, HWND, BOOL&)
{
    BrowseForDatabase(IDC_OPTIONS_LOCATION, OptionsText::kDatabaseFilter, IDS_OPEN_ORB_DATABASE);
    return 0;
}

void CPageOptionsContacts::EnableCentral()
{
    bool bCentral = !IsChecked(IDC_CONTACTS_PRIVATE);
    for (int nID : {IDC_OPTIONS_LOCATION, IDC_OPTIONS_BROWSE, IDC_CONTACTS_CONNECT, IDC_CONTACTS_LOG})
        Enable(nID, bCentral);
}

bool CPageOptionsContacts::StoreValues()
{
    bool bPrivate = IsChecked(IDC_CONTACTS_PRIVATE);
    int nPrivate = 0, nConnect = 0, nNotLog = 0;
    StoreInt(OptionsSetting::kPrivateContacts, nPrivate, bPrivate);
    StoreInt(OptionsSetting::kConnectToOrb, nConnect, IsChecked(IDC_CONTACTS_CONNECT));
    StoreInt(OptionsSetting::kNotLogToOrb, nNotLog, !IsChecked(IDC_CONTACTS_LOG));
    g_bPrivateContacts = nPrivate;
    g_bConnectToOrb = nConnect;
    g_bNotLogToOrb = nNotLog;

    CDatabaseBase* pOrb = FromOwner<CDatabaseBase>(LetrovaGetOrbDatabase);
    if (bPrivate)
    {
        if (pOrb != NULL)
            pOrb->Close();
        // The filter's box stays enabled with private contacts; what it shows is kept here too.
        m_pRegistry->ReadOnlyWithEmailCheck(m_hWnd, IDC_CONTACTS_ONLY_WITH_EMAIL);
        StoreInt(OptionsSetting::kOnlyWithEmail, m_pRegistry->m_bOnlyWithEmail,
                 m_pRegistry->m_bOnlyWithEmail);
        return true;
    }
    CString strPath = ItemText(IDC_OPTIONS_LOCATION);
    if (pOrb == NULL)
        return Refuse(IDC_OPTIONS_LOCATION, IDS_CONTACTS_OPEN_FAILED);
    bool bWasOpen = pOrb->IsOpen();
    CString strOld = pOrb->GetFileName();
    if (strPath != strOld || !bWasOpen)
        OpenDatabase(pOrb, strPath);
    if (!pOrb->IsOpen())
    {
        // The contacts stay where they were rather than move to the local database unasked.
        if (bWasOpen)
            OpenDatabase(pOrb, strOld);
        return Refuse(IDC_OPTIONS_LOCATION, IDS_CONTACTS_OPEN_FAILED);
    }
    m_pRegistry->ReadOnlyWithEmailCheck(m_hWnd, IDC_CONTACTS_ONLY_WITH_EMAIL);
    StoreInt(OptionsSetting::kOnlyWithEmail, m_pRegistry->m_bOnlyWithEmail, m_pRegistry->m_bOnlyWithEmail);
    return true;
}

void CPageOptionsContacts::OpenDatabase(CDatabaseBase* pDatabase, const CString& strPath)
{
    try
    {
        pDatabase->Open(strPath);
    }
    catch (CException* pException)
    {
        delete pException;
    }
    catch (COLEDBException* pException)
    {
        delete pException;
    }
    catch (const char*)
    {
    }
}
