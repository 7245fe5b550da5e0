// Printing contacts: one HTML document of the chosen rows, handed to the owner's print service.
#include "ui/addressbook/AddressBookViewImpl.h"

#include "foundation/ErrorUtil.h"
#include "foundation/File.h"
#include "foundation/FileException.h"
#include "foundation/FoundationUi.h"
#include "store/ContactsTable.h"
#include "store/OLEDBException.h"
#include "store/SiteTable.h"
#include "ui/addressbook/AddressBookTexts.h"
#include "ui/addressbook/ContactStore.h"
#include "ui/addressbook/DlgPrintAddressBook.h"
#include "ui/main/MessagesList.h"

namespace
{
// Contacts come from cards and senders: their texts are never markup.
CString EscapeHtml(const char* pszText)
{
    CString strOut;
    for (const char* p = pszText; *p != '\0'; p++)
    {
        switch (*p)
        {
        case '&': strOut += "&amp;"; break;
        case '<': strOut += "&lt;"; break;
        case '>': strOut += "&gt;"; break;
        case '"': strOut += "&quot;"; break;
        default: strOut += *p; break;
        }
    }
    return strOut;
}

void AppendDiv(CString& strBlock, const char* pszValue)
{
    if (pszValue[0] != '\0')
        strBlock += "<DIV>" + EscapeHtml(pszValue) + "</DIV>";
}
} // namespace

CString CAddressBookViewBase::AddHTMLRow(const char* pszLabel, const char* pszValue, bool bSpacer)
{
    if (pszValue == NULL || pszValue[0] == '\0')
        return CString();
    CString strRow;
    if (bSpacer)
        strRow = "\r\n  <tr>\r\n    <td valign=\"top\" width=\"150\" height=\"10\"><font face=\"Arial\" size=\"2\">"
                 "<b> </b></font></td>\r\n    <td><font face=\"Arial\" size=\"2\"> </font></td>\r\n  </tr>";
    strRow += CString("\r\n  <tr>\r\n    <td valign=\"top\" width=\"150\"><font face=\"Arial\" size=\"2\"><b>") +
              pszLabel + "</b></font></td>\r\n    <td><font face=\"Arial\" size=\"2\">" + EscapeHtml(pszValue) +
              "</font></td>\r\n  </tr>";
    return strRow;
}

LRESULT CAddressBookViewBase::OnPrint(BOOL& bHandled)
{
    if (::GetFocus() != m_hWnd)
    {
        bHandled = FALSE;
        return 0;
    }
    try
    {
        CDlgPrintAddressBook dialog;
        if (dialog.DoModal(::GetActiveWindow()) != IDOK)
            return 1;
        int nFlags = dialog.m_nRange == CDlgPrintAddressBook::kRangeAll ? LVNI_ALL : LVNI_SELECTED;
        // All prints every row and refuses only an empty list; Selection needs a selected row.
        if (GetNextItem(-1, nFlags) == -1)
        {
            AppMessageBox(AddressBookText::kNoSelectedContacts, 0, m_hWnd);
            return 1;
        }
        CString strDocument =
            "\r\n<DIV style=\"FONT: 12pt arial\"><U><B>Address Book Document</B></U></DIV>\r\n<hr>"; // string 461
        CContactStore store(Owner());
        if (store.m_pContactName == NULL || !store.HasSession())
            throw "FATAL ERROR. Open Contacts table failed. No session.";
        CContactNameTable& contact = *store.m_pContactName;
        CSiteTable site(store.m_pSession);
        for (int nItem = GetNextItem(-1, nFlags); nItem != -1; nItem = GetNextItem(nItem, nFlags))
        {
            const CContactRecord* pRecord = ItemRecord(nItem);
            if (pRecord == NULL)
                continue;
            contact.OpenByID(store.m_pSession, pRecord->m_ID, Owner());
            // Cleared first: a contact without its Site row must not print the company read before, and a
            // company without a date prints none.
            site.Clear();
            site.m_AddDate = 0;
            CString strSQL;
            strSQL.Format("%s WHERE SiteID = %ld", g_szSiteSelect, (long)contact.m_CustomerID);
            site.CloseTable();
            site.Open(Owner(), "Site", strSQL);
            if (site.MoveFirst() != S_OK)
            {
                site.Clear();
                site.m_AddDate = 0;
            }

            CString strName;
            if (contact.m_cFirstname[0] == '\0' && contact.m_cSurname[0] == '\0')
                strName = contact.m_cEmail;
            else
                strName = CString(contact.m_cFirstname) + " " + contact.m_cInitials + " " + contact.m_cSurname;
            CString strAddress;
            for (const char* pszPart : {site.m_Address1, site.m_Address2, site.m_TownCity, site.m_Country,
                                        site.m_Postcode})
                AppendDiv(strAddress, pszPart);
            CString strDate = site.m_AddDate != 0 ? m_dateFormat.FormatDate(site.m_AddDate) : CString();

            strDocument += "\r\n<p>&nbsp;</p>\r\n<ul>\r\n  <li><b><font face=\"Arial\" size=\"3\">" +
                           EscapeHtml(CString(contact.m_cTitle) + " " + strName) +
                           "</font></b></li>\r\n</ul>\r\n<hr>\r\n<table>";
            strDocument += AddHTMLRow("Full name:", strName, false);
            strDocument += AddHTMLRow("Position:", contact.m_cPosition, false);
            strDocument += AddHTMLRow("Email:", contact.m_cEmail, true);
            strDocument += AddHTMLRow("Mobile:", contact.m_cMobile, true);
            strDocument += AddHTMLRow("DDI:", contact.m_cDDI, false);
            strDocument += AddHTMLRow("Familiar:", contact.m_cFamiliar, false);
            for (int i = 0; i < 5; i++)
            {
                CString strLabel;
                strLabel.Format("Type %d:", i + 1);
                strDocument += AddHTMLRow(strLabel, contact.m_cIndType[i], false);
            }
            strDocument += AddHTMLRow("Company:", site.m_Company, true);
            // The address block is markup already, its parts escaped.
            if (!strAddress.IsEmpty())
                strDocument += "\r\n  <tr>\r\n    <td valign=\"top\" width=\"150\" height=\"10\"><font face=\"Arial\" "
                               "size=\"2\"><b> </b></font></td>\r\n    <td><font face=\"Arial\" size=\"2\"> </font>"
                               "</td>\r\n  </tr>\r\n  <tr>\r\n    <td valign=\"top\" width=\"150\"><font "
                               "face=\"Arial\" size=\"2\"><b>Business Address:</b></font></td>\r\n    <td><font "
                               "face=\"Arial\" size=\"2\">" +
                               strAddress + "</font></td>\r\n  </tr>";
            strDocument += AddHTMLRow("Tel:", site.m_Tel, true);
            strDocument += AddHTMLRow("Fax:", site.m_Fax, false);
            strDocument += AddHTMLRow("Notes:", site.m_Notes, true);
            strDocument += AddHTMLRow("Web:", site.m_Web, false);
            const char* types[5] = {site.m_Type1, site.m_Type2, site.m_Type3, site.m_Type4, site.m_Type5};
            for (int i = 0; i < 5; i++)
            {
                CString strLabel;
                strLabel.Format("Site Type %d:", i + 1);
                strDocument += AddHTMLRow(strLabel, types[i], false);
            }
            strDocument += AddHTMLRow("Add Date:", strDate, false);
            strDocument += "\r\n</table>";
        }
        CString strText = "\r\n<HTML>\r\n<BODY>\r\n<DIV>" + strDocument + "</DIV>\r\n</BODY>\r\n</HTML>";
        // Each print has a file of its own: the print service loads it later, and another window may print
        // meanwhile.
        CString strPath = CDlgMessagesList::NextPrintFile();
        CFile file(strPath, CFile::modeCreate | CFile::modeWrite);
        file.Write((const char*)strText, (UINT)strText.GetLength());
        file.Close();
        ::SendMessageA(Owner(), WM_COMMAND, AddressBookCmd::kPrint, (LPARAM)(const char*)strPath);
    }
    catch (CFileException* pException)
    {
        char szError[256] = "";
        pException->GetErrorMessage(szError, sizeof(szError));
        delete pException;
        ShowErrorReportPrompt(CString("ERROR: ") + szError, NULL);
    }
    catch (COLEDBException* pException)
    {
        delete pException;
        ShowErrorReportPrompt(AddressBookText::kUnhandledPrint, NULL);
    }
    catch (...)
    {
        ShowErrorReportPrompt(AddressBookText::kUnhandledPrint, NULL);
    }
    return 1;
}
