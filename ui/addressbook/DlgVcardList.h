// The vCard List: the cards of a file with several, to look at in Properties and import, and the progress
// dialog whose worker imports the chosen ones.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atlapp.h>
#include <atlctrls.h>
#include <atlwin.h>

#include <atomic>
#include <memory>

#include "resources/resource.h"
#include "ui/addressbook/ContactListImages.h"
#include "ui/addressbook/VcardHandler.h"

class CDlgVcardImport;

// Compares two cards by a column of the list, ignoring case: 0 the name, 1 e-mail, 2 company, 3 position,
// 4 DDI, 5 mobile; any other column compares equal.
int CompareContactEntries(const CContactEntry& a, const CContactEntry& b, int nColumn, bool bAscending);

// The list of the dialog: sorting by a clicked column, Properties on a double click, and the import.
class CVcardListView : public CWindowImpl<CVcardListView, CListViewCtrl>
{
public:
    BEGIN_MSG_MAP(CVcardListView)
        MESSAGE_HANDLER(LVM_SORTITEMS, OnSortItems)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnDoubleClick)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

    enum
    {
        kColumns = 6
    };

    CVcardListView(HWND hOwner, CVcardCardList& list, DWORD dwThreadId, CDatabaseMy* pDatabase);

    // From the dialog: wParam the column to sort by, lParam 0. The control's own sort passes through.
    LRESULT OnSortItems(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDoubleClick(UINT, WPARAM, LPARAM, BOOL& bHandled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled);

    // Header images, columns and one item per card.
    void Fill();
    // Properties for each selected card in list order, until one is not ended with OK.
    void OpenSelected();
    // The worker's body: every selected card, the count shown in the dialog, until done or cancelled.
    void ImportSelected(CDlgVcardImport& progress);
    bool ImportCard(CContactEntry& entry);
    bool ShowProperties(CContactEntry& entry);

    HWND m_hOwner;
    DWORD m_dwThreadId;
    CDatabaseMy* m_pDatabase;
    CVcardCardList& m_list;
    CContactListImages m_images;
    int m_nSortColumn = -1;
    // Reused from card to card by the insertion.
    std::unique_ptr<CContactNameTable> m_pContact;
    std::unique_ptr<CContactNameTable> m_pEmailLookup;
    std::unique_ptr<CContactNameTable> m_pNameLookup;

    // Per column, true when its last sort was ascending; shared by every list of the process.
    static bool s_bAscending[kColumns];

private:
    static int CALLBACK CompareItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);
};

class CDlgVcardList : public CDialogImpl<CDlgVcardList>
{
public:
    enum
    {
        IDD = IDD_VCARD_LIST
    };

    BEGIN_MSG_MAP(CDlgVcardList)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        NOTIFY_HANDLER(IDC_AB_LIST, LVN_ITEMCHANGED, OnItemChanged)
        NOTIFY_HANDLER(IDC_AB_LIST, LVN_COLUMNCLICK, OnColumnClick)
        COMMAND_ID_HANDLER(IDC_VCARD_SELECT_ALL, OnSelectAll)
        COMMAND_ID_HANDLER(IDC_VCARD_OPEN, OnOpen)
        COMMAND_ID_HANDLER(IDOK, OnImport)
        COMMAND_ID_HANDLER(IDCANCEL, OnClose)
    END_MSG_MAP()

    CDlgVcardList(HWND hOwner, CVcardCardList& list, DWORD dwThreadId, CDatabaseMy* pDatabase)
        : m_view(hOwner, list, dwThreadId, pDatabase)
    {
    }

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnItemChanged(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnColumnClick(int, LPNMHDR pnmh, BOOL&);
    LRESULT OnSelectAll(WORD, WORD, HWND, BOOL&);
    LRESULT OnOpen(WORD, WORD, HWND, BOOL&);
    LRESULT OnImport(WORD, WORD, HWND, BOOL&);
    LRESULT OnClose(WORD, WORD, HWND, BOOL&);

    CVcardListView m_view;
};

// "Import vCard": starts the worker as soon as it is shown; Cancel asks it to stop after the card in hand,
// and closes the dialog once it has ended.
class CDlgVcardImport : public CDialogImpl<CDlgVcardImport>
{
public:
    enum
    {
        IDD = IDD_VCARD_IMPORT
    };
    static const WORD kExitThread = 33081;

    BEGIN_MSG_MAP(CDlgVcardImport)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_ID_HANDLER(IDOK, OnStart)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(kExitThread, OnExitThread)
    END_MSG_MAP()

    explicit CDlgVcardImport(CVcardListView& view) : m_view(view) {}

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnStart(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnExitThread(WORD, WORD, HWND, BOOL&);

    bool IsCancelled() const { return m_bCancel.load(); }

    CVcardListView& m_view;
    std::atomic<bool> m_bCancel{false};
    // Only the dialog's thread touches the handle: it waits for the worker's end before closing it.
    HANDLE m_hThread = NULL;

private:
    static DWORD WINAPI Worker(LPVOID pParam);
    void WaitForWorker();
};
