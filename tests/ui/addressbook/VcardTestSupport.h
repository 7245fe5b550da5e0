// Shared by the vCard tests: reading texts and fixtures, and naming a contact's fields.
#pragma once

#include <string>
#include <vector>

#include "ui/addressbook/VcardContact.h"

std::vector<CVcardContact> ReadCardText(const std::string& text);
std::string ReadDataFile(const std::string& name);

// Every text field of a contact as "name=value" lines (empty fields left out), for whole-contact
// comparisons whose failure shows what differs.
std::string DescribeContact(const CVcardContact& contact);

struct CFieldName
{
    const char* pszName;
    CString CVcardContact::*pField;
};
// The single text fields (not the type arrays) with their names.
const std::vector<CFieldName>& ContactFields();
