// The panes the message dialog hosts, until the body view and the attachment list of the compose window
// are in the tree: a stand-in with their interface.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atlstr.h>
#include <atlwin.h>

class CCtrlMessageBody
{
public:
    HWND Create(HWND hParent, LPARAM)
    {
        m_hWnd = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, hParent, NULL, NULL, NULL);
        return m_hWnd;
    }
    void Navigate(const char* pszUrl) { m_strUrl = pszUrl; }
    void Refresh() {}
    bool IsCopyEnabled(HWND) const { return false; }
    HWND m_hWnd = NULL;
    CString m_strUrl;
};

class CAttachmentList
{
public:
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    void Init() {}
    void DeleteAll() { ::SendMessageA(m_hWnd, LVM_DELETEALLITEMS, 0, 0); }
    void AddAttachment(const char* pszFolder, const char*)
    {
        WIN32_FIND_DATAA data;
        HANDLE hFind = ::FindFirstFileA(CString(pszFolder) + "\\*", &data);
        if (hFind == INVALID_HANDLE_VALUE)
            return;
        do
        {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                continue;
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = INT_MAX;
            item.pszText = data.cFileName;
            ::SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, (LPARAM)&item);
        } while (::FindNextFileA(hFind, &data));
        ::FindClose(hFind);
    }
    int AdjustHeight(int nRight, int nTop)
    {
        RECT rc;
        ::GetWindowRect(m_hWnd, &rc);
        ::MapWindowPoints(NULL, ::GetParent(m_hWnd), (POINT*)&rc, 2);
        int nHeight = 18;
        ::MoveWindow(m_hWnd, rc.left, nTop, nRight - rc.left, nHeight, TRUE);
        return nTop + nHeight;
    }
    HWND m_hWnd = NULL;
};
