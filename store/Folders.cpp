// Folder look-ups: system folders found or created, the type of a folder, its message counter.
#include "store/Folders.h"

#include "store/MessageStoreTexts.h"
#include "store/OLEDBException.h"

volatile LONG g_bFolderAdded = 0;
volatile LONG g_bForwardingCommand = 0;

namespace
{
const char kSystemFolderMutex[] = "VornEmail.SystemFolders";
const WPARAM ID_UPDATE = 32785;

const char* SystemFolderName(LONG nType)
{
    switch (nType)
    {
    case FOLDER_LOCAL_FOLDERS:
        return MessageStoreText::kLocalFolders;
    case FOLDER_INBOX:
        return MessageStoreText::kInbox;
    case FOLDER_OUTBOX:
        return MessageStoreText::kOutbox;
    case FOLDER_SENT_ITEMS:
        return MessageStoreText::kSentItems;
    case FOLDER_DELETED_ITEMS:
        return MessageStoreText::kDeletedItems;
    case FOLDER_DRAFTS:
        return MessageStoreText::kDrafts;
    case FOLDER_COMPANY:
        return MessageStoreText::kCompany;
    case FOLDER_ALL_EMAILS:
        return MessageStoreText::kAllEmails;
    default:
        return NULL;
    }
}

// One update of the other windows for a burst of new folders.
void NotifyFolderAdded(HWND hWndOwner)
{
    DWORD dwThread = 0;
    ::SendMessage(hWndOwner, RegisterWindowMessageA("LetrovaGetIdThread"), (WPARAM)&dwThread, 0);
    if (InterlockedExchange(&g_bFolderAdded, 1) == 0 && g_bForwardingCommand == 0 && dwThread != 0)
        PostThreadMessage(dwThread, WM_USER, ID_UPDATE, 0);
}
} // namespace

CSystemFolderLock::CSystemFolderLock() : m_hMutex(CreateMutexA(NULL, FALSE, kSystemFolderMutex))
{
    if (m_hMutex != NULL)
        WaitForSingleObject(m_hMutex, INFINITE); // an abandoned lock is ours as well
}

CSystemFolderLock::~CSystemFolderLock()
{
    if (m_hMutex != NULL)
    {
        ReleaseMutex(m_hMutex);
        CloseHandle(m_hMutex);
    }
}

LONG CFolders::GetSystemFolder(LONG nType, HWND hWndOwner, const char* pszName, LONG nParentID)
{
    CSystemFolderLock lock;
    ClearRow();
    m_ID = nType;
    try
    {
        Open(hWndOwner, "Folders", CString(g_szFoldersSelect) + " WHERE Type = ?");
    }
    catch (COLEDBException* pException)
    {
        delete pException;
        return -1;
    }
    if (MoveNext() == S_OK)
    {
        LONG nID = m_ID;
        if (nType <= FOLDER_DRAFTS && MoveNext() == S_OK)
            throw MessageStoreText::kTooMachFolders;
        if (nID != 0)
            return nID;
    }

    const char* pszFolderName = SystemFolderName(nType);
    if (nType >= FOLDER_ADDRESS_BOOK && nType <= FOLDER_CALLER_LAST)
        pszFolderName = pszName != NULL ? pszName : "";
    if (pszFolderName == NULL)
        return -1;
    LONG nOwnerID = 0;
    if (nType != FOLDER_LOCAL_FOLDERS)
        nOwnerID = nParentID != 0 ? nParentID : GetSystemFolder(FOLDER_LOCAL_FOLDERS, hWndOwner);

    CFoldersTable insert(m_pSession);
    insert.Open(hWndOwner);
    insert.ClearRow();
    strncpy(insert.m_Name, pszFolderName, sizeof(insert.m_Name) - 1);
    insert.m_Type = nType;
    insert.m_OwnerID = nOwnerID;
    HRESULT hr = insert.Insert(0);
    if (SUCCEEDED(hr))
        hr = insert.MoveLast();
    if (hr != S_OK)
    {
        CString strText;
        strText.Format(MessageStoreText::kInsertFolderFailed, pszFolderName);
        throw new COLEDBException(insert.m_spRowsetChange, IID_IRowsetChange, strText, m_pSession, hWndOwner,
                                  FALSE, NULL, FALSE, FALSE, hr);
    }
    if (hWndOwner != NULL)
        NotifyFolderAdded(hWndOwner);
    return insert.m_ID;
}

LONG CFolders::SelectByID(LONG nID, HWND hWndOwner)
{
    if (nID < 1)
        return FOLDER_NONE;
    ClearRow();
    m_ID = nID;
    Open(hWndOwner, "Folders", CString(g_szFoldersSelect) + " WHERE ID = ?");
    if (MoveNext() != S_OK)
        throw MessageStoreText::kUnknownFolderType;
    LONG nType = m_Type;
    if (MoveNext() == S_OK)
        throw MessageStoreText::kTooMachFolders;
    if (nType == FOLDER_NONE)
        throw MessageStoreText::kUnknownFolderType;
    return nType;
}

void CFolders::ChangeMessagesNumber(LONG nID, LONG nCount)
{
    ClearRow();
    m_ID = nID;
    Open(NULL, "Folders", CString(g_szFoldersSelect) + " WHERE ID = ?");
    if (MoveNext() != S_OK || m_nMessagesNumber == nCount)
        return;
    m_nMessagesNumber = nCount;
    HRESULT hr = SetData(2);
    if (FAILED(hr))
    {
        throw new COLEDBException(m_spRowsetChange, IID_IRowsetChange,
                                  MessageStoreText::kChangeMessagesNumberFailed, m_pSession, NULL, FALSE,
                                  NULL, FALSE, FALSE, hr);
    }
}
