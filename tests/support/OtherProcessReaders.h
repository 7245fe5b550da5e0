// Readers for the windows of another process, such as the client that the host program runs: the common
// controls take their buffers by pointer, so the buffers are placed in the window's own process.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

// A buffer in the process of a window, freed again by the destructor.
class COtherProcessBuffer
{
public:
    COtherProcessBuffer(HWND hWnd, size_t nBytes);
    ~COtherProcessBuffer();
    COtherProcessBuffer(const COtherProcessBuffer&) = delete;
    COtherProcessBuffer& operator=(const COtherProcessBuffer&) = delete;

    bool IsValid() const { return m_pRemote != NULL; }
    char* Address() const { return static_cast<char*>(m_pRemote); }
    bool Write(const void* pData, size_t nBytes, size_t nOffset = 0);
    bool Read(void* pData, size_t nBytes, size_t nOffset = 0) const;

private:
    HANDLE m_hProcess = NULL;
    void* m_pRemote = NULL;
};

// SendMessage with a bounded wait, so that a hung window fails a test instead of stopping it.
LRESULT SendBounded(HWND hWnd, UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);

// Every cell of every row of a list view of another process.
std::vector<std::vector<std::string>> OtherListViewItems(HWND hWndList);
// Sets LVIS_* state bits of one item (-1: every item).
bool OtherListViewSetState(HWND hWndList, int nItem, UINT nState, UINT nMask);
// The client rectangle of one row's label, in the list's client coordinates.
bool OtherListViewItemRect(HWND hWndList, int nItem, RECT& rc);

struct OtherTreeItem
{
    HTREEITEM hItem;
    int nDepth;
    std::string strText;
};
// Every item of a tree view of another process, in display order.
std::vector<OtherTreeItem> OtherTreeViewItems(HWND hWndTree);

// A status bar's text (the simple text in simple mode) of another process.
std::string OtherStatusBarText(HWND hWndStatus);
