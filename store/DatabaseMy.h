// The holder of the three databases: accounts, local and central, opened in that order.
#pragma once

#include "store/DatabaseBase.h"

// The accounts database: Accounts and Options while the use-my-database switch is on.
class CDatabaseAccounts : public CDatabaseSession
{
public:
    explicit CDatabaseAccounts(CRegistry* pOwner);
    virtual ~CDatabaseAccounts();

    // Opens only while the use-my-database switch is on; otherwise stays closed.
    void Open(const char* pszPath = NULL) override;
    CString GetKindName() override;
    CString GetFileName() override;
    void SetFileName() override;
    int ReportOpenFailure() override { return 1; }
};

class CDatabaseMy
{
public:
    explicit CDatabaseMy(CRegistry* pOwner);
    ~CDatabaseMy();

    void OpenAll();

    CRegistry* m_pOwner;
    CDatabaseAccounts m_Accounts;
    CDatabaseLocal m_Local;
    CDatabaseOrb m_Orb;
    int m_bOpened;
};
