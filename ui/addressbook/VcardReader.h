// Reads the cards of a .vcf file (versions 2.1, 3.0 and 4.0, as other programs write them) into contacts.
#pragma once

#include <string>
#include <vector>

#include "ui/addressbook/VcardCharsets.h"
#include "ui/addressbook/VcardContact.h"

class CVcardReader
{
public:
    explicit CVcardReader(const CVcardCharsets& charsets) : m_Charsets(charsets) {}

    // Appends one contact per card of the file's bytes. Cards are untrusted: nothing in them is an error,
    // what cannot be read is left out, and every value is cut to its field.
    void Read(const std::string& bytes, std::vector<CVcardContact>& cards) const;

    // Reads "2003-7-5T9:3:7Z" and "2003-07-05T09:03:07"; false, with time untouched, unless the date is
    // a real one. A missing or impossible time of day reads as midnight.
    static bool ParseAddDate(const char* pszValue, CVcardTime& time);

private:
    const CVcardCharsets& m_Charsets;
};
