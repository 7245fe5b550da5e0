// The History of exchanged messages: a copy of each message sent to or received from a contact of the
// central database, saved beside it, and one History row per contact address pointing to that copy.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include "store/DatabaseSession.h"
#include "store/HistoryTable.h"

class CHistoryLog
{
public:
    // pCentral: the central database, whose folder holds "Emails\". hOwner: the window failures are shown on.
    CHistoryLog(CDatabaseSession* pCentral, HWND hOwner);

    // Records one address of a message whose text and subject are given. pszPath: the copy already saved
    // for it, or NULL to save one when the address belongs to a contact. Throws a CException when the
    // copy's path or drive cannot be recorded or the computer name cannot be read; a refused insert is not
    // thrown. Returns 1.
    int SetHistoryRecord(const char* pszAddress, const char* pszDirection, const CString& strMessage,
                         const char* pszPath);
    // The contact's row is found (its CustomerID is then in m_nSiteID); false for any other address.
    bool IsContactAddress(const char* pszAddress);
    // Saves the text in the central "Emails\" folder as a new file named for its subject; its full path.
    CString SaveCentralMessageCopy(const CString& strMessage);

    // The description of a drive type as the drive-type error gives it; "Local"/"Remote" for the two legal.
    static const char* DescribeDriveType(UINT nType);

    CHistoryTable m_History;
    CDatabaseSession* m_pCentral;
    HWND m_hOwner;
    LONG m_nSiteID;
};
