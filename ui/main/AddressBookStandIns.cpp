// The contact creation stand-in.
#include "ui/main/AddressBookStandIns.h"

#include "foundation/RegExp.h"
#include "foundation/TextServices.h"
#include "foundation/WindowMessages.h"
#include "store/ContactsTable.h"
#include "store/DatabaseBase.h"
#include "store/SiteTable.h"

void AddNewContact(HWND hWndOwner, CEmailsImpl<>& table)
{
    CDatabaseBase* pDatabase = NULL;
    ::SendMessageA(hWndOwner, LetrovaGetOrbDatabase, (WPARAM)&pDatabase, 0);
    if (pDatabase == NULL || !pDatabase->IsOpen())
        throw "FATAL ERROR. Open Contacts table failed. No session.";
    CString strName, strAddress;
    SplitAddress(table.m_Ref, strName, strAddress);
    strName.Trim();
    strName.Remove('"');
    CString strFirst = strName, strSurname;
    CRegExp split(" *(.*) +(.*) *");
    if (split.Match(strName) && split.SubStrings() == 2)
    {
        strFirst = split.GetSubString(1);
        strSurname = split.GetSubString(2);
    }
    CSiteTable::Create(&pDatabase->m_session, hWndOwner);
    CContactNameTable::Create(&pDatabase->m_session, hWndOwner);
    // Every contact belongs to a site; the sender's is a site of its own, without a company.
    pDatabase->ExecuteSQL("INSERT INTO Site (COMPANY) VALUES ('')", hWndOwner);
    pDatabase->ExecuteSQL("INSERT INTO ContactName (CustomerID, cFirstname, cSurname, cEmail) SELECT MAX(SiteID), '" +
                              SqlQuote(strFirst.Left(100)) + "', '" + SqlQuote(strSurname.Left(100)) + "', '" +
                              SqlQuote(strAddress.Left(100)) + "' FROM Site",
                          hWndOwner);
}
