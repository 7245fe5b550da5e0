// One contact as an object: its ContactName table object with the record, a text, and its company.
#pragma once

#include "store/ContactsTable.h"
#include "store/SiteTable.h"

class CContactEntry : public CContactNameTable
{
public:
    // Neither record is cleared: the users fill them.
    explicit CContactEntry(CSession* pSession) : CContactNameTable(pSession) {}

    CString m_strText;
    CSiteRecord m_Site;
};
