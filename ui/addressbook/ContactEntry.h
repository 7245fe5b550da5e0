// One contact as an object: its ContactName table object with the record, a text, and its company.
#pragma once

#include "store/ContactsTable.h"
#include "store/SiteTable.h"

class CContactEntry : public CContactNameTable
{
public:
    // Neither record is cleared: the users fill them.
    explicit CContactEntry(CSession* pSession) : CContactNameTable(pSession) {}

    // First name, a blank when both are there, surname.
    CString GetDisplayName() const
    {
        CString strName = m_cFirstname;
        if (m_cFirstname[0] != '\0' && m_cSurname[0] != '\0')
            strName += ' ';
        return strName + m_cSurname;
    }

    CString m_strText;
    CSiteRecord m_Site;
};
