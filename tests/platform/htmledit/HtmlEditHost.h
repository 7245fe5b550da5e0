// An editor control in a host window with its events recorded, for the editor's window tests.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atlbase.h>
#include <atlcom.h>

#include <string>
#include <vector>

#include "platform/htmledit/HtmlEdit.h"
#include "tests/support/WindowReaders.h"

const int kEditId = 224;

inline std::wstring Wide(const std::string& utf8)
{
    int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], n);
    return w;
}

inline std::string Utf8(const std::wstring& w)
{
    int n = ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
    return s;
}

class CEditEvents : public IDispEventImpl<kEditId, CEditEvents, &DIID_DHTMLEditEvents>
{
public:
    BEGIN_SINK_MAP(CEditEvents)
    SINK_ENTRY_EX(kEditId, DIID_DHTMLEditEvents, DISPID_DOCUMENTCOMPLETE_, OnDocumentComplete)
    SINK_ENTRY_EX(kEditId, DIID_DHTMLEditEvents, DISPID_DISPLAYCHANGED_, OnDisplayChanged)
    SINK_ENTRY_EX(kEditId, DIID_DHTMLEditEvents, DISPID_SHOWCONTEXTMENU_, OnShowContextMenu)
    END_SINK_MAP()

    HRESULT STDMETHODCALLTYPE OnDocumentComplete()
    {
        ++m_complete;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDisplayChanged()
    {
        ++m_displayChanged;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnShowContextMenu(long x, long y)
    {
        m_menus.push_back(POINT{x, y});
        return S_OK;
    }

    int m_complete = 0;
    int m_displayChanged = 0;
    std::vector<POINT> m_menus;
};

class HtmlEditHostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CHtmlEdit::RegisterClass());
        m_hHost = ::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 480, 320, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_hHost, nullptr);
        m_hEdit = ::CreateWindowExW(0, HTMLEDIT_CLASS, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 480, 320,
                                    m_hHost, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
                                    ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_hEdit, nullptr);
        IUnknown* pUnk = reinterpret_cast<IUnknown*>(::SendMessageW(m_hEdit, WM_USER + 603, 0, 0));
        ASSERT_NE(pUnk, nullptr);
        ASSERT_EQ(S_OK, pUnk->QueryInterface(__uuidof(IDHTMLEdit), reinterpret_cast<void**>(&m_pEdit)));
        m_pControl = CHtmlEdit::FromWindow(m_hEdit);
        ASSERT_NE(m_pControl, nullptr);
        m_hRich = m_pControl->RichEditWindow();
        ASSERT_EQ(S_OK, m_events.DispEventAdvise(m_pEdit));
        m_bAdvised = true;
    }

    void TearDown() override
    {
        if (m_bAdvised)
            m_events.DispEventUnadvise(m_pEdit);
        m_pEdit.Release();
        if (m_hHost)
            ::DestroyWindow(m_hHost);
    }

    // Puts the HTML and waits for its DocumentComplete.
    void Put(const std::string& html)
    {
        const int before = m_events.m_complete;
        CComBSTR text(Wide(html).c_str());
        ASSERT_EQ(S_OK, m_pEdit->put_DocumentHTML(text));
        ASSERT_TRUE(WaitFor([&] { return m_events.m_complete > before; }));
    }

    std::string Get()
    {
        CComBSTR html;
        EXPECT_EQ(S_OK, m_pEdit->get_DocumentHTML(&html));
        return Utf8(html.m_str ? html.m_str : L"");
    }

    std::string Body()
    {
        const std::string html = Get();
        const size_t start = html.find("<BODY>"), end = html.rfind("</BODY>");
        return start == std::string::npos || end == std::string::npos ? html : html.substr(start + 6, end - start - 6);
    }

    void Select(LONG start, LONG end) { ::SendMessageW(m_hRich, EM_SETSEL, start, end); }

    long Status(long cmd)
    {
        long status = -1;
        EXPECT_EQ(S_OK, m_pEdit->QueryStatus(cmd, &status));
        return status;
    }

    HWND m_hHost = nullptr;
    HWND m_hEdit = nullptr;
    HWND m_hRich = nullptr;
    CComPtr<IDHTMLEdit> m_pEdit;
    CHtmlEdit* m_pControl = nullptr;
    CEditEvents m_events;
    bool m_bAdvised = false;
};
