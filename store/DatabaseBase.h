// The database objects with their table members: the shared base, the local database and the central
// database.
#pragma once

#include <vector>

#include "store/AccountsTable.h"
#include "store/ContactsTable.h"
#include "store/DatabaseSession.h"
#include "store/EmailsImpl.h"
#include "store/FoldersTable.h"
#include "store/HistoryTable.h"
#include "store/MessageRuleSet.h"
#include "store/OptionsTable.h"
#include "store/SiteTable.h"

class CDatabaseBase : public CDatabaseSession
{
public:
    explicit CDatabaseBase(CRegistry* pOwner);
    virtual ~CDatabaseBase();

    // Opens the session, then resets and opens the Options row of user 1.
    void Open(const char* pszPath = NULL) override;
    // Closes every table, then the session; nothing while closed.
    void Close() override;
    // Creates the file, then makes every table check its schema again on its next open.
    HRESULT CreateDatabase(const char* pszPath) override;

    // Answers "LetrovaGetTable": the table object of that exact name, or pResult unchanged.
    void OnGetTable(void*& pResult, const char* pszTableName, HWND hOwner);

    CContactNameTableHolder m_ContactName;
    // The first is the one handed out for "ContactName, Site".
    CContactsTableHolder m_Contacts;
    CContactsTableHolder m_Contacts2;
    CSiteTableHolder m_Site;
    CSiteTableHolder m_Site2;
    CAccountsTable m_Accounts;
    CFoldersTable m_Folders;
    CEmailsImpl<> m_Emails;
    COptionsTable m_Options;

protected:
    // Every table member joins the set that Close closes and CreateDatabase resets.
    void AddTable(CTableLink* pTable) { m_tables.push_back(pTable); }

private:
    std::vector<CTableLink*> m_tables;
};

class CDatabaseLocal : public CDatabaseBase
{
public:
    explicit CDatabaseLocal(CRegistry* pOwner);
    virtual ~CDatabaseLocal();

    // Opens as every database does, then loads the message rules; rules that cannot be read are traced and
    // leave the set empty, never the database closed.
    void Open(const char* pszPath = NULL) override;

    CString GetKindName() override;
    CString GetFileName() override;
    void SetFileName() override;
    int ReportOpenFailure() override { return 1; }
    void SetNewDatabase(int bNew) override { m_bNewDatabase = bNew; }

    // Set when the file was just created; the folder view reads and clears it.
    int m_bNewDatabase;
    // Folder tables of the folder tree, beside the one every database holds.
    CFoldersTable m_Folders2;
    CFoldersTable m_Folders3;
    // The rules the rules page edits.
    CMessageRuleSet m_Rules;
};

class CDatabaseOrb : public CDatabaseBase
{
public:
    explicit CDatabaseOrb(CRegistry* pOwner);
    virtual ~CDatabaseOrb();

    // Stays closed while the private-contacts switch is on. A new file gets its own tables, Site,
    // ContactName and History, in that order: each refers to the one before.
    void Open(const char* pszPath = NULL) override;
    CString GetKindName() override;
    CString GetFileName() override;
    void SetFileName() override;
    // A central database that does not open is reported only while the connect switch is on.
    int ReportOpenFailure() override;
    int PromptForFile(int iRecord, COLEDBException* pException, CString& strPath) override;

    CHistoryTable m_History;
};
