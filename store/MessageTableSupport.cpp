// The database behind a message table's DELETE statements.
#include "store/MessageTableSupport.h"

#include "store/DatabaseSession.h"
#include "store/StoreTexts.h"

CDatabaseSession* GetOwnerDatabase(HWND hWndOwner, CSession* pSession)
{
    static const UINT s_uGetDatabase = RegisterWindowMessageA("LetrovaGetDatabase");
    CDatabaseSession* pDatabase = NULL;
    if (hWndOwner != NULL)
        ::SendMessage(hWndOwner, s_uGetDatabase, (WPARAM)&pDatabase, 0);
    if (pDatabase == NULL)
        pDatabase = FindDatabaseBySession(pSession);
    if (pDatabase == NULL)
        throw StoreText::kNoSession;
    return pDatabase;
}
