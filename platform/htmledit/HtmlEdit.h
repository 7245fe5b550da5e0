// The HTML editor control: a window class dialog templates name, whose object answers IDHTMLEdit and fires
// the editor's events, editing rich text in riched20 and reading and writing it as HTML.
#pragma once

#include <windows.h>

#include <atlbase.h>
#include <atlcom.h>

#include <richedit.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/htmledit/HtmlEditCommands.h"
#include "platform/htmledit/HtmlEditDocument.h"
#include "platform/htmledit/HtmlEditInterfaces.h"

// The window class name dialog templates give the control.
#define HTMLEDIT_CLASS L"OrbHtmlEdit"
#define HTMLEDIT_CLASSA "OrbHtmlEdit"

class CHtmlEditModel;

class CHtmlEdit : public CComObjectRootEx<CComSingleThreadModel>,
                  public IDHTMLEdit,
                  public IHtmlEditDocument,
                  public IConnectionPointContainerImpl<CHtmlEdit>,
                  public IConnectionPointImpl<CHtmlEdit, &DIID_DHTMLEditEvents>
{
public:
    BEGIN_COM_MAP(CHtmlEdit)
        COM_INTERFACE_ENTRY(IDHTMLEdit)
        COM_INTERFACE_ENTRY2(IDispatch, IDHTMLEdit)
        COM_INTERFACE_ENTRY(IHtmlEditDocument)
        COM_INTERFACE_ENTRY(IConnectionPointContainer)
    END_COM_MAP()

    BEGIN_CONNECTION_POINT_MAP(CHtmlEdit)
        CONNECTION_POINT_ENTRY(DIID_DHTMLEditEvents)
    END_CONNECTION_POINT_MAP()

    // Whether the editor can be used at all; hosts that find it off edit plain text instead. Tests turn it
    // off with SetAvailable(false).
    static bool Available();
    static void SetAvailable(bool bAvailable);

    // Registers the window class once per process (CS_GLOBALCLASS, so dialogs of any module may name it).
    static bool RegisterClass();
    // The object of an editor window, or null (not add-ref'd).
    static CHtmlEdit* FromWindow(HWND hWnd);

    // Direct calls for the compose window; none of them touches the clipboard or raises an event other
    // than DisplayChanged.
    // What lies between <BODY> and </BODY> of DocumentHTML, as UTF-8.
    std::string BodyFragmentUtf8() const;
    // The text as the user sees it: paragraphs and line breaks as CRLF.
    std::wstring PlainText() const;
    // Replace the selection with an HTML fragment or with text (which keeps the formats at the caret).
    bool InsertHtml(const std::wstring& html);
    bool InsertText(const std::wstring& text);
    // A plain text as the whole document: one paragraph per line; clean afterwards.
    bool SetPlainTextDocument(const std::wstring& text);
    // The whole body and the current selection as text ranges.
    CComPtr<IHtmlEditRange> BodyRange();
    CComPtr<IHtmlEditRange> SelectionRange();
    // The rich-edit child that holds the text (for tests and the host's focus checks).
    HWND RichEditWindow() const { return m_hRich; }

    // IDispatch: no type information; the control is driven through its interface.
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override;
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo** ppTInfo) override;
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

    // IDHTMLEdit
    STDMETHOD(ExecCommand)(long nCmdId, long nOption, VARIANT* pArg) override;
    STDMETHOD(QueryStatus)(long nCmdId, long* pStatus) override;
    STDMETHOD(NewDocument)() override;
    STDMETHOD(LoadDocument)(VARIANT* pPath, VARIANT* pPromptUser) override;
    STDMETHOD(get_DocumentHTML)(BSTR* pHtml) override;
    STDMETHOD(put_DocumentHTML)(BSTR bstrHtml) override;
    STDMETHOD(get_IsDirty)(VARIANT_BOOL* pDirty) override;
    STDMETHOD(get_DOM)(IHtmlEditDocument** ppDocument) override;

    // IHtmlEditDocument
    STDMETHOD(CreateBodyRange)(IHtmlEditRange** ppRange) override;
    STDMETHOD(CreateSelectionRange)(IHtmlEditRange** ppRange) override;

    CHtmlEdit();
    ~CHtmlEdit();

private:
    friend class CHtmlEditRange;

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK RichProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    bool OnRichMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnKeyDown(WPARAM vk);
    void OnContextMenu(LPARAM lParam);

    // The document: loading it whole, reading it back, and the parts of it commands work on.
    void Load(const std::string& utf8, bool bPlainText);
    void Load(const htmledit::Document& doc);
    htmledit::Document Read(LONG first = 0, LONG last = -1);
    void InsertDocument(const htmledit::Document& fragment);
    LONG ReplaceRange(LONG start, LONG end, const std::wstring& text);
    void PostDocumentComplete();
    static bool IsQueryCommand(long nCmdId);
    void PostDisplayChanged();
    void Fire(DISPID dispid, VARIANT* pArgs = nullptr, UINT nArgs = 0);

    // Commands.
    HRESULT Status(long nCmdId, long& status);
    HRESULT Exec(long nCmdId, long nOption, VARIANT* pArg);
    HRESULT ToggleEffect(DWORD mask, DWORD effect);
    HRESULT SetCharFields(const CHARFORMAT2W& cf);
    CHARFORMAT2W SelectionCharFormat() const;
    HRESULT SetParagraphs(const std::function<void(htmledit::Paragraph&)>& change);
    htmledit::Paragraph CaretParagraph() const;
    HRESULT SetBlockFormat(const std::wstring& name);
    HRESULT InsertTable(VARIANT* pArg);
    HRESULT InsertRow();
    HRESULT DeleteRows();
    // Columns and cells of the table at the caret: a new one goes after the caret's, a removed one takes
    // its following separator (the last cell its preceding one).
    HRESULT ChangeCells(long nCmdId);
    HRESULT SetLink(const std::wstring& href);
    HRESULT Unlink();
    HRESULT InsertPicture(const std::wstring& src);
    bool Prompt(const wchar_t* pszTitle, std::wstring& text);
    HRESULT FindNext(const std::wstring& text);
    HRESULT ChooseFontDialog();
    bool Copy(bool bCut);
    bool Paste();

    class CBusy;

    HWND m_hWnd = nullptr;
    HWND m_hRich = nullptr;
    WNDPROC m_pfnRichProc = nullptr;
    std::unique_ptr<CHtmlEditModel> m_model;
    bool m_bDirty = false;
    bool m_bDisplayChangedPosted = false;
    int m_nBusy = 0;  // the document is being loaded or read: no events, no dirty flag
    std::wstring m_findText;
};
