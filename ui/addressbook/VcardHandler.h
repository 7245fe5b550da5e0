// The vCard reader and writer bound to the stored contacts: files in and out, the user's own card.
#pragma once

#include <windows.h>

#include <atldbcli.h>
#include <atlstr.h>

#include <memory>
#include <vector>

#include "ui/addressbook/ContactEntry.h"
#include "ui/addressbook/VcardCharsets.h"
#include "ui/addressbook/VcardContact.h"

class CContactRecord;
class CContactNameRecord;
class CSiteRecord;
class CDatabaseMy;
class CFileException;

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

// The cards of one file as contact entries on one session; the list owns them.
class CVcardCardList
{
public:
    explicit CVcardCardList(CSession* pSession) : m_pSession(pSession) {}
    ~CVcardCardList() { RemoveAll(); }
    CVcardCardList(const CVcardCardList&) = delete;
    CVcardCardList& operator=(const CVcardCardList&) = delete;

    // A new entry at the end, both records cleared.
    CContactEntry& Add();
    void RemoveAll();
    int GetSize() const { return static_cast<int>(m_entries.size()); }
    CContactEntry& operator[](int nIndex) const { return *m_entries[nIndex]; }

    CSession* m_pSession;

private:
    std::vector<std::unique_ptr<CContactEntry>> m_entries;
};

// The session the cards' entries use: the central database's when it has one open, else the local one.
CSession* VcardSession(CDatabaseMy* pDatabase);

// The file work of the vCard handler, without its windows: what the compose window needs.
class CVcardFiles
{
public:
    explicit CVcardFiles(HWND hOwner) : m_hOwner(hOwner) {}

    // Every card of the file; throws CFileException when it cannot be read.
    static void ReadVcardFile(const char* pszPath, std::vector<CVcardContact>& cards);
    static void ReadVcardFile(const char* pszPath, CVcardCardList& list);
    // Writes the contact of that ID. strName empty: into the temporary folder under the contact's name
    // (both texts set), 0 when the contact has no name or address to call the file by. Otherwise strPath
    // is the file. 1 when written; a contact that cannot be read throws its text.
    int WriteVcard(CSession* pSession, CString& strPath, CString& strName, LONG nContactID);
    // The business card the settings name, written as WriteVcard with an empty name.
    int WriteOwnVcard(CSession* pSession, LONG nContactID, CString& strPath, CString& strName);

    HWND m_hOwner;
};

// The handler's windows are the address book's (VcardImport.cpp), apart from the file work.
class CVcardHandler : public CVcardFiles
{
public:
    explicit CVcardHandler(HWND hOwner) : CVcardFiles(hOwner) {}
    virtual ~CVcardHandler() = default;

    // The address book's way with one card: the new-contact sheet over the card; after it stored the
    // contact, ID_UPDATE goes to dwThreadId. True when the contact was stored.
    virtual bool OnVcard(CContactEntry& entry, DWORD dwThreadId, CDatabaseMy* pDatabase);

    // One card goes to OnVcard, several to the vCard List dialog; a file without cards does nothing.
    void Import(const char* pszPath, DWORD dwThreadId, CDatabaseMy* pDatabase);
    // The commands of the contact lists: the file dialog, then the import or the write.
    void OnImportVcard();
    void OnExportVcard(LONG nContactID);
};

// A card shown in contact Properties, where the user may add it: the "/vcard" command line's way.
class CVcardPropertiesHandler : public CVcardHandler
{
public:
    explicit CVcardPropertiesHandler(HWND hOwner) : CVcardHandler(hOwner) {}

    bool OnVcard(CContactEntry& entry, DWORD dwThreadId, CDatabaseMy* pDatabase) override;
    // The user's own card, the contact the settings name, edited in Properties over the owner's contacts
    // and written back on OK. False, showing nothing, when there is none to open.
    bool EditOwnCard();
};

// A file that could not be read or written, shown with its cause; the exception is deleted.
void ReportVcardFileError(CFileException* pException, HWND hWndOwner);
