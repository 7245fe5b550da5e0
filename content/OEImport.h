// The copy of an Outlook Express 5 store's local folders and messages into the client's database.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <vector>

#include <atlstr.h>

class CDlgImportOE;
class CFoldersTable;

// One folder of folders.dbx.
struct OEFolderEntry
{
    DWORD m_nIndex = 0;
    DWORD m_nParentIndex = 0;
    DWORD m_nFlags = 0;
    CString m_strName;
    CString m_strFileName; // empty when the folder has no message file
};

// What one import needs on its way down the folder tree, and what it counts.
struct COEImportContext
{
    HWND m_hWndOwner = NULL; // the main window
    HWND m_hWndDialog = NULL; // owner of the questions
    std::vector<OEFolderEntry> m_folders;
    // The positions in m_folders of each index's subfolders, in file order.
    std::map<DWORD, std::vector<size_t>> m_children;
    // Set for each folder imported: a store whose indexes repeat or loop is walked once.
    std::vector<bool> m_imported;
    CFoldersTable* m_pFolders = NULL;
    CString m_strPath; // the store folder, with its trailing backslash
    const std::atomic<LONG>* m_pStop = NULL;
    DWORD m_dwUiThread = 0;
    HWND m_hMessageNumber = NULL;
    HWND m_hCopied = NULL;
    HWND m_hSubject = NULL;
    HWND m_hFolder = NULL;
    long m_nMessageNumber = 0;
    long m_nCopied = 0;
    long m_nSkipped = 0;

    bool Stopped() const { return m_pStop != NULL && *m_pStop != 0; }
};

// The hand-over event that a worker waits for before it posts to the UI thread; none: it posts at once.
void SetImportHandOverEvent(HANDLE hEvent);

// Runs the whole import for the dialog: 1 when it ran to its end (finished or stopped), 0 when it ended at
// one of its error reports.
int OnImportMessagesOE_50(CDlgImportOE* pDlg);
// Folders nested deeper than this under Local Folders are left, with their messages.
const size_t kMaxFolderDepth = 100;

// Imports the folders under entry into the database folder nFolderID, then their subfolders: 1, or 0 when
// this level ended early (stopped, a refused question, a failed folder look-up).
int ImportOEFolder(const OEFolderEntry& entry, LONG nFolderID, COEImportContext& context);
