// Adding a contact: the one routine that stores a person with its company, and the address book's entry
// point for a new contact, empty or made from a message's sender.
#pragma once

#include <windows.h>

#include "store/EmailsImpl.h"

class CContactNameTable;
class CSiteRecord;

// Stores contact's record as a new person in one transaction, with a company row found or made for it.
// bInteractive 1: the Site table object's record was filled by the sheet (site is not read) and duplicates
// are put to the user; 0: site is copied in, an existing company is reused and a duplicate refused silently.
// The look-ups may be kept by a caller inserting many contacts (NULL: local ones). Returns 1 when both rows
// were committed, 0 when refused or cancelled (nothing written); a failed insert throws a COLEDBException
// and leaves nothing written either.
int InsertContact(HWND hOwner, CContactNameTable& contact, const CSiteRecord& site, BOOL bInteractive,
                  CContactNameTable* pEmailLookup = NULL, CContactNameTable* pNameLookup = NULL);

// Runs the new-contact sheet, empty or (pMessage) seeded from the current message's sender.
void AddNewContact(HWND hOwner, CEmailsImpl<>* pMessage);

// Splits a sender's display name at its last run of blanks into first name and surname; one word is all
// first name.
void SplitSenderName(const CString& strName, CString& strFirstname, CString& strSurname);
