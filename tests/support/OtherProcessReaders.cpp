// Readers for the windows of another process.
#include "tests/support/OtherProcessReaders.h"

namespace
{
const UINT kSendTimeoutMs = 20000;
const int kTextChars = 1024;
} // namespace

COtherProcessBuffer::COtherProcessBuffer(HWND hWnd, size_t nBytes)
{
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    m_hProcess = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, dwProcessId);
    if (m_hProcess != NULL)
        m_pRemote = ::VirtualAllocEx(m_hProcess, NULL, nBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

COtherProcessBuffer::~COtherProcessBuffer()
{
    if (m_pRemote != NULL)
        ::VirtualFreeEx(m_hProcess, m_pRemote, 0, MEM_RELEASE);
    if (m_hProcess != NULL)
        ::CloseHandle(m_hProcess);
}

bool COtherProcessBuffer::Write(const void* pData, size_t nBytes, size_t nOffset)
{
    SIZE_T nDone = 0;
    return m_pRemote != NULL &&
           ::WriteProcessMemory(m_hProcess, Address() + nOffset, pData, nBytes, &nDone) && nDone == nBytes;
}

bool COtherProcessBuffer::Read(void* pData, size_t nBytes, size_t nOffset) const
{
    SIZE_T nDone = 0;
    return m_pRemote != NULL &&
           ::ReadProcessMemory(m_hProcess, Address() + nOffset, pData, nBytes, &nDone) && nDone == nBytes;
}

LRESULT SendBounded(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR dwResult = 0;
    if (!::SendMessageTimeoutA(hWnd, uMsg, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &dwResult))
        return 0;
    return (LRESULT)dwResult;
}

std::vector<std::vector<std::string>> OtherListViewItems(HWND hWndList)
{
    std::vector<std::vector<std::string>> rows;
    // The item record first, its text buffer after it.
    COtherProcessBuffer buffer(hWndList, sizeof(LVITEMA) + kTextChars);
    if (!buffer.IsValid())
        return rows;
    HWND hWndHeader = (HWND)SendBounded(hWndList, LVM_GETHEADER);
    int nColumns = hWndHeader != NULL ? (int)SendBounded(hWndHeader, HDM_GETITEMCOUNT) : 1;
    if (nColumns < 1)
        nColumns = 1;
    int nItems = (int)SendBounded(hWndList, LVM_GETITEMCOUNT);
    for (int i = 0; i < nItems; i++)
    {
        std::vector<std::string> row;
        for (int c = 0; c < nColumns; c++)
        {
            LVITEMA item = {};
            item.iSubItem = c;
            item.pszText = buffer.Address() + sizeof(LVITEMA);
            item.cchTextMax = kTextChars;
            std::string strText(kTextChars, '\0');
            buffer.Write(&item, sizeof(item));
            buffer.Write(strText.data(), 1, sizeof(LVITEMA));
            int nLength = (int)SendBounded(hWndList, LVM_GETITEMTEXTA, i, (LPARAM)buffer.Address());
            if (nLength < 0 || nLength >= kTextChars)
                nLength = 0;
            buffer.Read(&strText[0], kTextChars, sizeof(LVITEMA));
            strText.resize(nLength);
            row.push_back(strText);
        }
        rows.push_back(row);
    }
    return rows;
}

bool OtherListViewSetState(HWND hWndList, int nItem, UINT nState, UINT nMask)
{
    COtherProcessBuffer buffer(hWndList, sizeof(LVITEMA));
    LVITEMA item = {};
    item.stateMask = nMask;
    item.state = nState;
    return buffer.Write(&item, sizeof(item)) &&
           SendBounded(hWndList, LVM_SETITEMSTATE, (WPARAM)nItem, (LPARAM)buffer.Address()) != 0;
}

bool OtherListViewItemRect(HWND hWndList, int nItem, RECT& rc)
{
    COtherProcessBuffer buffer(hWndList, sizeof(RECT));
    rc = {};
    rc.left = LVIR_LABEL;
    return buffer.Write(&rc, sizeof(rc)) &&
           SendBounded(hWndList, LVM_GETITEMRECT, (WPARAM)nItem, (LPARAM)buffer.Address()) != 0 &&
           buffer.Read(&rc, sizeof(rc));
}

static void CollectOtherTreeItems(HWND hWndTree, COtherProcessBuffer& buffer, HTREEITEM hItem, int nDepth,
                                  std::vector<OtherTreeItem>& items)
{
    for (; hItem != NULL; hItem = (HTREEITEM)SendBounded(hWndTree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)hItem))
    {
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = buffer.Address() + sizeof(TVITEMA);
        item.cchTextMax = kTextChars;
        std::string strText(kTextChars, '\0');
        buffer.Write(&item, sizeof(item));
        buffer.Write(strText.data(), kTextChars, sizeof(TVITEMA));
        SendBounded(hWndTree, TVM_GETITEMA, 0, (LPARAM)buffer.Address());
        buffer.Read(&strText[0], kTextChars, sizeof(TVITEMA));
        strText.resize(strlen(strText.c_str()));
        items.push_back({hItem, nDepth, strText});
        HTREEITEM hChild = (HTREEITEM)SendBounded(hWndTree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)hItem);
        CollectOtherTreeItems(hWndTree, buffer, hChild, nDepth + 1, items);
    }
}

std::vector<OtherTreeItem> OtherTreeViewItems(HWND hWndTree)
{
    std::vector<OtherTreeItem> items;
    COtherProcessBuffer buffer(hWndTree, sizeof(TVITEMA) + kTextChars);
    if (!buffer.IsValid())
        return items;
    HTREEITEM hRoot = (HTREEITEM)SendBounded(hWndTree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    CollectOtherTreeItems(hWndTree, buffer, hRoot, 0, items);
    return items;
}

std::string OtherStatusBarText(HWND hWndStatus)
{
    COtherProcessBuffer buffer(hWndStatus, kTextChars);
    std::string strText(kTextChars, '\0');
    if (!buffer.Write(strText.data(), kTextChars))
        return "";
    int nLength = LOWORD(SendBounded(hWndStatus, SB_GETTEXTLENGTHA, 0));
    if (nLength >= kTextChars)
        return "";
    SendBounded(hWndStatus, SB_GETTEXTA, 0, (LPARAM)buffer.Address());
    buffer.Read(&strText[0], kTextChars);
    strText.resize(strlen(strText.c_str()));
    return strText;
}
