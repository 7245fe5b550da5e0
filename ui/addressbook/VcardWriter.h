// Writes one contact as a vCard 2.1 file's text.
#pragma once

#include <string>

#include "ui/addressbook/VcardCharsets.h"
#include "ui/addressbook/VcardContact.h"

// revUtc: the time of writing in UTC. The text ends after "END:VCARD" without a line break.
std::string WriteVcardText(const CVcardContact& contact, const CVcardTime& revUtc,
                           const CVcardCharsets& charsets);

// The file name of a contact's card: "First Surname.vcf", else the e-mail address; empty when the
// contact has neither. Safe to create inside a folder as it is.
CString MakeVcardFileName(const CVcardContact& contact);
