// The import of the Windows Address Book: its library found through the registry, the personal address
// book's persons copied into the address book with their companies.
#pragma once

#include <windows.h>

// mingw-w64's wab.h pulls in mapidefs.h beside wabdefs.h, which clash: the pieces are taken one by one.
#include <wabdefs.h>
#include <wabcode.h>
#include <wabtags.h>
#include <wabiab.h>
#include <wabapi.h>

#include <atlstr.h>

// The fields of one person as the import reads them, each cut to its column.
struct CWabPerson
{
    CString strEmail;
    CString strComment;
    CString strGivenName;
    CString strBusinessTel;
    CString strSurname;
    CString strCompany;
    CString strTitle;
    CString strMobile;
    CString strBusinessFax;
    CString strCountry;
    CString strLocality;
    CString strStreet;
    CString strPostalCode;
    CString strPrefix;
};

// Takes the known properties by identifier, only as strings: PT_STRING8 as it is, PT_UNICODE converted to
// the ANSI code page; a value of any other type (a number, binary data, an error) is never read as text.
void CollectWabPerson(const SPropValue* pProps, ULONG cValues, CWabPerson& person);

class CWabImportTables;

enum WabOpenResult
{
    kWabOpened,
    kWabNoLibrary,
    kWabNoFile,
    kWabUnreadable,
};

class CWabImport
{
public:
    CWabImport() = default;
    ~CWabImport() { Close(); }
    CWabImport(const CWabImport&) = delete;
    CWabImport& operator=(const CWabImport&) = delete;

    // Loads the library named by HKLM "Software\Microsoft\WAB\DLLPath" (else WAB32.DLL) and opens the
    // address book file (empty: the user's own).
    WabOpenResult Open(const char* pszFileName);
    // Copies every person into the owner's contacts; does nothing unless opened. A failed insert throws
    // COLEDBException; the rows written before it stay.
    void ImportContacts(HWND hOwner);
    void Close();

    // Persons added by the last import.
    int m_nImported = 0;

private:
    void ImportPerson(HWND hOwner, const SBinary& entryId, CWabImportTables& tables);

    bool m_bOpened = false;
    HMODULE m_hModule = NULL;
    LPWABOPEN m_pfnWABOpen = nullptr;
    LPADRBOOK m_pAddrBook = nullptr;
    LPWABOBJECT m_pWABObject = nullptr;
    LPSPropValue m_pProps = nullptr;
    ULONG m_cProps = 0;
};

#include "ui/addressbook/WabImportCommand.h"
