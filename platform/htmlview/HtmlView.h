// The HTML view control: a window class that dialog templates name, whose object answers IWebBrowser2 and
// fires DWebBrowserEvents2, showing local pages laid out by the HTML engine and drawn with GDI.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <exdisp.h>
#include <ocidl.h>

#include <atlbase.h>
#include <atlcom.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/html/HtmlDocument.h"
#include "platform/html/HtmlLayout.h"
#include "platform/html/HtmlStyle.h"
#include "platform/html/HtmlTextModel.h"
#include "platform/htmlview/HtmlImageCache.h"

class CGdiFontMetrics;

// The window class name dialog templates give the control.
#define HTMLVIEW_CLASS L"OrbHtmlView"
#define HTMLVIEW_CLASSA "OrbHtmlView"

class CHtmlView : public CComObjectRootEx<CComSingleThreadModel>,
                                public IWebBrowser2,
                                public IConnectionPointContainerImpl<CHtmlView>,
                                public IConnectionPointImpl<CHtmlView, &DIID_DWebBrowserEvents2>
{
public:
    BEGIN_COM_MAP(CHtmlView)
        COM_INTERFACE_ENTRY(IWebBrowser2)
        COM_INTERFACE_ENTRY(IWebBrowserApp)
        COM_INTERFACE_ENTRY(IWebBrowser)
        COM_INTERFACE_ENTRY2(IDispatch, IWebBrowser2)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CHtmlView)
        CONNECTION_POINT_ENTRY(DIID_DWebBrowserEvents2)
    END_CONNECTION_POINT_MAP()

    // The dispatch identifier `PrintDocument` answers to by name.
    static constexpr DISPID kDispIdPrintDocument = 0x7000;

    // Registers the window class once per process (CS_GLOBALCLASS, so dialogs of any module may name it).
    static bool RegisterClass();
    // The object of a view window, or null (not add-ref'd).
    static CHtmlView* FromWindow(HWND hWnd);

    // Where mailto: links go; by default to the shell seam. Process-wide.
    typedef void (*MailtoHandler)(HWND hView, const wchar_t* pszUrl);
    static void SetMailtoHandler(MailtoHandler pfn);

    // How pages print: the printer DC (null: cancelled) and its pages. The defaults use the print dialog or
    // the default printer; tests put a recorder in their place.
    struct PrinterSeam
    {
        HDC (*Open)(HWND hOwner, bool bWithUserInterface);
        bool (*StartPage)(HDC hDC);
        bool (*EndPage)(HDC hDC);
        void (*Close)(HDC hDC, bool bCompleted);
    };
    static PrinterSeam s_printer;

    // The code page of pages with no byte-order mark and no META charset; 0 is the ANSI code page.
    void SetDefaultCodePage(UINT nCodePage) { m_nDefaultCodePage = nCodePage; }
    // Selects the next match from the selection (or the top) and scrolls to it; false when there is none.
    bool Find(const std::wstring& text, bool bMatchCase, bool bForward);
    void SelectAll();
    bool HasSelection() const;
    std::wstring SelectedText() const;
    std::wstring Text() const;
    bool Copy();
    int ScrollPos() const { return m_nScrollY; }
    // Document coordinates of a client point and back (the view scrolls vertically only).
    POINT ToClient(float x, float y) const;
    const html::CHtmlDocument* Document() const { return m_doc.get(); }
    const html::CHtmlLayout* Layout() const { return m_layout.get(); }
    const html::CHtmlTextModel* TextModel() const { return m_text.get(); }
    // Prints the current page on hDC at its printable size; returns the number of pages.
    int PrintOn(HDC hDC);

    // IDispatch: `PrintDocument` by name only.
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override;
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo** ppTInfo) override;
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) override;
    STDMETHOD(Invoke)(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                      EXCEPINFO*, UINT*) override;

    // IWebBrowser
    STDMETHOD(GoBack)() override { return E_NOTIMPL; }
    STDMETHOD(GoForward)() override { return E_NOTIMPL; }
    STDMETHOD(GoHome)() override { return E_NOTIMPL; }
    STDMETHOD(GoSearch)() override;
    STDMETHOD(Navigate)(BSTR URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                        VARIANT* Headers) override;
    STDMETHOD(Refresh)() override;
    STDMETHOD(Refresh2)(VARIANT*) override { return Refresh(); }
    STDMETHOD(Stop)() override;
    STDMETHOD(get_Application)(IDispatch**) override { return E_NOTIMPL; }
    STDMETHOD(get_Parent)(IDispatch**) override { return E_NOTIMPL; }
    STDMETHOD(get_Container)(IDispatch**) override { return E_NOTIMPL; }
    STDMETHOD(get_Document)(IDispatch**) override { return E_NOTIMPL; }
    STDMETHOD(get_TopLevelContainer)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHOD(get_Type)(BSTR*) override { return E_NOTIMPL; }
    STDMETHOD(get_Left)(LONG*) override { return E_NOTIMPL; }
    STDMETHOD(put_Left)(LONG) override { return E_NOTIMPL; }
    STDMETHOD(get_Top)(LONG*) override { return E_NOTIMPL; }
    STDMETHOD(put_Top)(LONG) override { return E_NOTIMPL; }
    STDMETHOD(get_Width)(LONG*) override { return E_NOTIMPL; }
    STDMETHOD(put_Width)(LONG) override { return E_NOTIMPL; }
    STDMETHOD(get_Height)(LONG*) override { return E_NOTIMPL; }
    STDMETHOD(put_Height)(LONG) override { return E_NOTIMPL; }
    STDMETHOD(get_LocationName)(BSTR*) override { return E_NOTIMPL; }
    STDMETHOD(get_LocationURL)(BSTR* LocationURL) override;
    STDMETHOD(get_Busy)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    // IWebBrowserApp
    STDMETHOD(Quit)() override { return E_NOTIMPL; }
    STDMETHOD(ClientToWindow)(int*, int*) override { return E_NOTIMPL; }
    STDMETHOD(PutProperty)(BSTR, VARIANT) override { return E_NOTIMPL; }
    STDMETHOD(GetProperty)(BSTR, VARIANT*) override { return E_NOTIMPL; }
    STDMETHOD(get_Name)(BSTR*) override { return E_NOTIMPL; }
    STDMETHOD(get_HWND)(SHANDLE_PTR*) override { return E_NOTIMPL; }
    STDMETHOD(get_FullName)(BSTR*) override { return E_NOTIMPL; }
    STDMETHOD(get_Path)(BSTR*) override { return E_NOTIMPL; }
    STDMETHOD(get_Visible)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHOD(put_Visible)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_StatusBar)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHOD(put_StatusBar)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_StatusText)(BSTR*) override { return E_NOTIMPL; }
    STDMETHOD(put_StatusText)(BSTR) override { return E_NOTIMPL; }
    STDMETHOD(get_ToolBar)(int*) override { return E_NOTIMPL; }
    STDMETHOD(put_ToolBar)(int) override { return E_NOTIMPL; }
    STDMETHOD(get_MenuBar)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHOD(put_MenuBar)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_FullScreen)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHOD(put_FullScreen)(VARIANT_BOOL) override { return E_NOTIMPL; }
    // IWebBrowser2
    STDMETHOD(Navigate2)(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                         VARIANT* Headers) override;
    STDMETHOD(QueryStatusWB)(OLECMDID cmdID, OLECMDF* pcmdf) override;
    STDMETHOD(ExecWB)(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT* pvaIn, VARIANT* pvaOut) override;
    STDMETHOD(ShowBrowserBar)(VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    STDMETHOD(get_ReadyState)(READYSTATE*) override { return E_NOTIMPL; }
    STDMETHOD(get_Offline)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHOD(put_Offline)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_Silent)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHOD(put_Silent)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_RegisterAsBrowser)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHOD(put_RegisterAsBrowser)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_RegisterAsDropTarget)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHOD(put_RegisterAsDropTarget)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_TheaterMode)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHOD(put_TheaterMode)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_AddressBar)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHOD(put_AddressBar)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_Resizable)(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHOD(put_Resizable)(VARIANT_BOOL) override { return E_NOTIMPL; }

    CHtmlView();
    ~CHtmlView();

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void Render(HDC hDC);
    void OnSize();
    void OnVScroll(int nCode);
    void OnMouseDown(int x, int y, bool bShift);
    void OnMouseMove(int x, int y);
    void OnMouseUp(int x, int y);
    void OnDoubleClick(int x, int y);
    bool OnKeyDown(WPARAM vk);
    void OnFindMessage(FINDREPLACEW* pFind);
    void OnFetched(WPARAM generation, std::string* pBody);

    HRESULT NavigateUrl(const std::wstring& url);
    void Load(const std::string& utf8);
    void LayOut();
    void ScrollTo(int y);
    void UpdateScrollBar();
    void PostDownloadComplete();
    void FireStatusText(const std::wstring& text);
    void ActivateLink(const std::string& href);
    void StartFetch(const std::wstring& url);
    void ShowFind();
    void ScrollIntoView(const html::TextRange& range);
    bool HitTest(int x, int y, html::TextPosition& pos) const;
    void PaintSelection(HDC hDC);
    HRESULT PrintDocument(bool bWithUserInterface);

    HWND m_hWnd = nullptr;
    HDC m_hMeasureDC = nullptr;
    std::unique_ptr<CGdiFontMetrics> m_metrics;
    std::unique_ptr<html::CHtmlDocument> m_doc;
    CHtmlImageCache m_images;
    std::unique_ptr<html::CHtmlStyler> m_styler;
    std::unique_ptr<html::CHtmlLayout> m_layout;
    std::unique_ptr<html::CHtmlTextModel> m_text;
    std::vector<html::PaintItem> m_paint;
    std::wstring m_url;   // as the caller gave it
    std::wstring m_path;  // the file it names; empty for about:blank and fetched pages
    UINT m_nDefaultCodePage = 0;
    int m_nLayoutWidth = -1;
    int m_nScrollY = 0;
    bool m_bHasText = false;
    html::TextPosition m_selAnchor, m_selEnd;
    bool m_bDragging = false;
    bool m_bTrackingLeave = false;
    const html::CHtmlNode* m_pHoverLink = nullptr;
    const html::CHtmlNode* m_pPressedLink = nullptr;
    LONG m_nGeneration = 0;  // of navigations: a fetch that finds it changed is dropped
    HWND m_hFindDialog = nullptr;
    FINDREPLACEW m_find = {};
    wchar_t m_szFind[256] = L"";
};
