// A dialog template built in memory, for the store's few small dialogs.
#pragma once

#include <windows.h>

#include <vector>

// A dialog template in memory: header, then each item, DWORD-aligned, with wide texts.
class CDialogTemplate
{
public:
    CDialogTemplate(const char* pszCaption, short cx, short cy)
    {
        Align();
        DLGTEMPLATE header = {};
        header.style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        header.cx = cx;
        header.cy = cy;
        Append(&header, sizeof(header));
        AppendWord(0); // menu
        AppendWord(0); // class
        AppendText(pszCaption);
        AppendWord(8);
        AppendText("MS Shell Dlg");
    }

    void AddItem(WORD wId, WORD wClass, DWORD dwStyle, short x, short y, short cx, short cy,
                 const char* pszText)
    {
        Align();
        DLGITEMTEMPLATE item = {};
        item.style = dwStyle | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = wId;
        Append(&item, sizeof(item));
        AppendWord(0xFFFF);
        AppendWord(wClass);
        AppendText(pszText);
        AppendWord(0); // no creation data
        reinterpret_cast<DLGTEMPLATE*>(m_bytes.data())->cdit++;
    }

    LPCDLGTEMPLATE Get() const { return reinterpret_cast<LPCDLGTEMPLATE>(m_bytes.data()); }

private:
    void Append(const void* pv, size_t cb)
    {
        const BYTE* p = static_cast<const BYTE*>(pv);
        m_bytes.insert(m_bytes.end(), p, p + cb);
    }
    void AppendWord(WORD w) { Append(&w, sizeof(w)); }
    void AppendText(const char* psz)
    {
        int cch = MultiByteToWideChar(CP_ACP, 0, psz, -1, NULL, 0);
        std::vector<wchar_t> wide(cch > 0 ? cch : 1);
        MultiByteToWideChar(CP_ACP, 0, psz, -1, wide.data(), (int)wide.size());
        Append(wide.data(), wide.size() * sizeof(wchar_t));
    }
    void Align()
    {
        while (m_bytes.size() % 4 != 0)
            m_bytes.push_back(0);
    }

    std::vector<BYTE> m_bytes;
};

// Atom numbers of the predefined control classes in an item template.
const WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082;
