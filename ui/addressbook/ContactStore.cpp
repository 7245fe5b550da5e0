// Where an owner window's contacts live.
#include "ui/addressbook/ContactStore.h"

#include "foundation/WindowMessages.h"
#include "store/DatabaseBase.h"

CContactStore::CContactStore(HWND hOwner) : m_hOwner(hOwner)
{
    if (hOwner == NULL)
        return;
    CDatabaseBase* pOrb = NULL;
    ::SendMessageA(hOwner, LetrovaGetOrbDatabase, (WPARAM)&pOrb, 0);
    if (pOrb != NULL && pOrb->IsOpen())
    {
        m_bCentral = true;
        m_pDatabase = pOrb;
        m_pContactName = &pOrb->m_ContactName;
        m_pSite = &pOrb->m_Site;
    }
    else
    {
        ::SendMessageA(hOwner, LetrovaGetDatabase, (WPARAM)&m_pDatabase, 0);
        void* pTable = NULL;
        ::SendMessageA(hOwner, LetrovaGetTable, (WPARAM)&pTable, (LPARAM) "ContactName");
        m_pContactName = static_cast<CContactNameTable*>(pTable);
        pTable = NULL;
        ::SendMessageA(hOwner, LetrovaGetTable, (WPARAM)&pTable, (LPARAM) "Site");
        m_pSite = static_cast<CSiteTable*>(pTable);
    }
    if (m_pDatabase != NULL)
    {
        m_pSession = &m_pDatabase->m_session;
        m_pSiteLookup = &m_pDatabase->m_Site2;
    }
}

bool CContactStore::HasSession() const
{
    return m_pSession != NULL && m_pSession->m_spOpenRowset != NULL;
}

CRegistry* OwnerRegistry(HWND hOwner)
{
    CRegistry* pRegistry = NULL;
    if (hOwner != NULL)
        ::SendMessageA(hOwner, LetrovaGetRegistry, (WPARAM)&pRegistry, 0);
    return pRegistry;
}

DWORD OwnerThreadId(HWND hOwner)
{
    DWORD dwThreadId = 0;
    if (hOwner != NULL)
        ::SendMessageA(hOwner, LetrovaGetIdThread, (WPARAM)&dwThreadId, 0);
    return dwThreadId;
}
