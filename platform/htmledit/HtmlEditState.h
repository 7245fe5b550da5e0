// What the editor's two halves (window and commands) share: the side tables and the busy guard.
#pragma once

#include "platform/htmledit/HtmlEdit.h"
#include "platform/htmledit/HtmlEditDocument.h"

// The side tables of the document: what the rich-edit text refers to by number.
class CHtmlEditModel
{
public:
    htmledit::Document doc;  // head, links, pictures and tables; its paragraphs live in the control
};

// Loading and reading move the selection about: no events, no dirty flag, no repaint meanwhile.
class CHtmlEdit::CBusy
{
public:
    explicit CBusy(CHtmlEdit& edit) : m_edit(edit)
    {
        if (m_edit.m_nBusy++ == 0)
        {
            ::SendMessageW(m_edit.m_hRich, WM_SETREDRAW, FALSE, 0);
            ::SendMessageW(m_edit.m_hRich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&m_sel));
            ::SendMessageW(m_edit.m_hRich, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&m_scroll));
            m_modified = ::SendMessageW(m_edit.m_hRich, EM_GETMODIFY, 0, 0) != 0;
        }
    }
    ~CBusy()
    {
        if (--m_edit.m_nBusy == 0)
        {
            if (m_restore)
            {
                ::SendMessageW(m_edit.m_hRich, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&m_sel));
                ::SendMessageW(m_edit.m_hRich, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&m_scroll));
                ::SendMessageW(m_edit.m_hRich, EM_SETMODIFY, m_modified, 0);
            }
            ::SendMessageW(m_edit.m_hRich, WM_SETREDRAW, TRUE, 0);
            ::InvalidateRect(m_edit.m_hRich, nullptr, TRUE);
        }
    }
    // The change stays: the selection is where the change left it.
    void Keep() { m_restore = false; }
    void SetSelection(LONG start, LONG end)
    {
        m_sel.cpMin = start;
        m_sel.cpMax = end;
    }

private:
    CHtmlEdit& m_edit;
    CHARRANGE m_sel = {};
    POINT m_scroll = {};
    bool m_modified = false;
    bool m_restore = true;
};

