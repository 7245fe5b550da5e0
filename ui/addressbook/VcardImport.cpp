// The vCard handler's windows: one card in the new-contact sheet or in Properties, several in the vCard
// List, and the file dialogs of the contact lists' business-card commands.
#include "ui/addressbook/VcardHandler.h"

#include <cderr.h>

#include "foundation/ErrorUtil.h"
#include "foundation/FileException.h"
#include "foundation/Registry.h"
#include "foundation/WindowMessages.h"
#include "store/ContactsTable.h"
#include "store/DatabaseMy.h"
#include "store/OLEDBException.h"
#include "store/TableBase.h"
#include "ui/addressbook/AddressBookTexts.h"
#include "ui/addressbook/ContactStore.h"
#include "ui/addressbook/DlgContactProperties.h"
#include "ui/addressbook/DlgVcardList.h"
#include "ui/addressbook/SheetContact.h"
#include "ui/addressbook/VcardFileDialog.h"

INT_PTR CVcardFileDialog::Run(HWND hWndParent)
{
    if (DoModal(hWndParent) == IDOK)
        return IDOK;
    switch (::CommDlgExtendedError())
    {
    case FNERR_SUBCLASSFAILURE:
        AppMessageBox(AddressBookText::kSubclassFailure, 0, hWndParent);
        break;
    case FNERR_INVALIDFILENAME:
        AppMessageBox(AddressBookText::kInvalidFileName, 0, hWndParent);
        break;
    case FNERR_BUFFERTOOSMALL:
        AppMessageBox(AddressBookText::kBufferTooSmall, 0, hWndParent);
        break;
    default:
        break;
    }
    return IDCANCEL;
}

bool CVcardHandler::OnVcard(CContactEntry& entry, DWORD dwThreadId, CDatabaseMy*)
{
    if (RunContactSheet(m_hOwner, entry, &entry.m_Site) == 0)
        return false;
    if (dwThreadId != 0)
        ::PostThreadMessageA(dwThreadId, WM_USER, ID_UPDATE, 0);
    return true;
}

bool CVcardPropertiesHandler::OnVcard(CContactEntry& entry, DWORD dwThreadId, CDatabaseMy* pDatabase)
{
    CAreYouMe dialog(m_hOwner, entry, dwThreadId, &entry.m_Site, pDatabase);
    return dialog.DoModal(::GetActiveWindow()) == 1;
}

bool CVcardPropertiesHandler::EditOwnCard()
{
    CRegistry* pRegistry = OwnerRegistry(m_hOwner);
    LONG nID = pRegistry != NULL ? pRegistry->GetBusinessCardContactId() : -1;
    CContactStore store(m_hOwner);
    if (nID <= 0 || !store.HasSession())
        return false;
    CContactNameTable contact(store.m_pSession);
    if (!contact.OpenByID(store.m_pSession, nID, m_hOwner))
        return false;
    if (RunContactProperties(m_hOwner, contact) != IDOK)
        return true;
    // The row exists: OK's edits are written to it, or they would be lost.
    HRESULT hr = contact.SetData(0);
    if (FAILED(hr))
        throw new COLEDBException(contact.m_spRowset, IID_IRowsetChange, AddressBookText::kUpdateNamesFailed,
                                  contact.GetSession(), m_hOwner, TRUE, NULL, FALSE, TRUE, hr);
    return true;
}

void CVcardHandler::Import(const char* pszPath, DWORD dwThreadId, CDatabaseMy* pDatabase)
{
    // The list's destructor frees the entries, also when the reading or a window throws.
    CVcardCardList list(VcardSession(pDatabase));
    ReadVcardFile(pszPath, list);
    if (list.GetSize() == 1)
        OnVcard(list[0], dwThreadId, pDatabase);
    else if (list.GetSize() > 1)
    {
        CDlgVcardList dialog(m_hOwner, list, dwThreadId, pDatabase);
        dialog.DoModal(NULL);
    }
}

void CVcardHandler::OnImportVcard()
{
    CVcardFileDialog dialog(TRUE);
    if (dialog.Run(::GetActiveWindow()) != IDOK)
        return;
    CDatabaseMy* pDatabase = NULL;
    DWORD dwThreadId = 0;
    if (m_hOwner != NULL)
    {
        ::SendMessageA(m_hOwner, LetrovaGetMyDatabase, reinterpret_cast<WPARAM>(&pDatabase), 0);
        ::SendMessageA(m_hOwner, LetrovaGetIdThread, reinterpret_cast<WPARAM>(&dwThreadId), 0);
    }
    try
    {
        Import(dialog.m_szFileName, dwThreadId, pDatabase);
    }
    catch (CFileException* pException)
    {
        ReportVcardFileError(pException, m_hOwner);
    }
}

void CVcardHandler::OnExportVcard(LONG nContactID)
{
    CVcardFileDialog dialog(FALSE);
    if (dialog.Run(::GetActiveWindow()) != IDOK)
        return;
    CContactStore store(m_hOwner);
    if (!store.HasSession())
        throw "FATAL ERROR. Open Contacts table failed. No session.";
    CString strPath = dialog.m_szFileName;
    CString strName = dialog.m_szFileTitle;
    if (strName.IsEmpty())
        strName = strPath;
    try
    {
        WriteVcard(store.m_pSession, strPath, strName, nContactID);
    }
    catch (CFileException* pException)
    {
        ReportVcardFileError(pException, m_hOwner);
    }
}

void ReportVcardFileError(CFileException* pException, HWND hWndOwner)
{
    const CString strText = pException->GetErrorText();
    delete pException;
    AppMessageBox(strText, MB_ICONERROR, hWndOwner);
}
