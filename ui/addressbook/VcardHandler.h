// The vCard reader and writer bound to the stored contacts: files in and out, the user's own card.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include <vector>

#include "ui/addressbook/VcardCharsets.h"
#include "ui/addressbook/VcardContact.h"

class CContactRecord;
class CContactNameRecord;
class CSiteRecord;

// Charsets the card names beyond the Unicode forms go through the program's charset layer.
class CVcardAnsiCharsets : public CVcardCharsets
{
public:
    CString GetAnsiCharsetName() const override;

protected:
    CString ConvertOther(const char* pszCharset, const std::string& bytes) const override;
};

// A stored contact as a card carries it, and a card's contact as the two records store it (the Site
// record cleared first: AddDate the card's date, else now; Ind 0).
CVcardContact VcardFromContact(const CContactRecord& contact);
void VcardToRecords(const CVcardContact& card, CContactNameRecord& person, CSiteRecord& site);

class CVcardHandler
{
public:
    explicit CVcardHandler(HWND hOwner) : m_hOwner(hOwner) {}
    virtual ~CVcardHandler() = default;

    // Every card of the file; throws CFileException when it cannot be read.
    static void ReadVcardFile(const char* pszPath, std::vector<CVcardContact>& cards);
    // Writes the contact of that ID. strName empty: into the temporary folder under the contact's name
    // (both texts set), 0 when the contact has no name or address to call the file by. Otherwise strPath
    // is the file. 1 when written; a contact that cannot be read throws its text.
    int WriteVcard(CSession* pSession, CString& strPath, CString& strName, LONG nContactID);
    // The business card the settings name, written as WriteVcard with an empty name.
    int WriteOwnVcard(CSession* pSession, LONG nContactID, CString& strPath, CString& strName);

    HWND m_hOwner;
};
