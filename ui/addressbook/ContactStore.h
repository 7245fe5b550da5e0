// Where an owner window's contacts live: the central database when it has a session, else the local one.
#pragma once

#include <windows.h>

#include <atldbcli.h>

class CDatabaseBase;
class CContactNameTable;
class CSiteTable;
class CRegistry;

class CContactStore
{
public:
    // Asks the owner (the Get messages); every member is NULL when the owner answers nothing.
    explicit CContactStore(HWND hOwner);

    bool IsCentral() const { return m_bCentral; }
    bool HasSession() const;

    HWND m_hOwner;
    bool m_bCentral = false;
    // The database whose session the contacts use.
    CDatabaseBase* m_pDatabase = NULL;
    CSession* m_pSession = NULL;
    CContactNameTable* m_pContactName = NULL;
    CSiteTable* m_pSite = NULL;
    // The database's second Site object, for look-ups that must not move the first.
    CSiteTable* m_pSiteLookup = NULL;
};

// The owner's settings store, NULL when it answers nothing.
CRegistry* OwnerRegistry(HWND hOwner);
// The owner's thread for refresh requests, 0 when it has none.
DWORD OwnerThreadId(HWND hOwner);
