// The HTML editor's host in the compose dialog: the control's commands and statuses, its events turned into
// the frame's state reports, its context menu, Insert Table, the Style names, and the finished HTML.
#pragma once

#include <windows.h>

#include <atlbase.h>
#include <atlstr.h>
#include <atlwin.h>

#include <vector>

#include "platform/htmledit/HtmlEdit.h"
#include "resources/resource.h"
#include "ui/compose/ColorMenu.h"
#include "ui/compose/SignatureHtml.h"

// The texts of the message's generator line.
extern const char* g_pszComposeGenerator;

class CDHTMLEditHost : public CDialogImpl<CDHTMLEditHost>, public CDHTMLEditCommands
{
public:
    enum
    {
        IDD = IDD_DHTML_EDIT_HOST
    };

    BEGIN_MSG_MAP(CDHTMLEditHost)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_MEASUREITEM, OnMeasureItem)
        MESSAGE_HANDLER(WM_DRAWITEM, OnDrawItem)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    END_MSG_MAP()

    CDHTMLEditHost();
    ~CDHTMLEditHost();

    // Creates the host with its editor; NULL, and nothing created, when the editor is not available.
    // hWndOwner gets the state reports, hWndNotify the document completions.
    HWND Create(HWND hWndParent, HWND hWndOwner, HWND hWndNotify);
    bool Exists() const { return m_hWnd != NULL && m_spEdit != NULL; }

    // CDHTMLEditCommands
    HRESULT QueryStatus(long nCommand, long* pnStatus) override;
    HRESULT ExecCommand(long nCommand, long nOption) override;

    // The status of a command; a failure throws its text.
    long Status(long nCommand);
    // Runs a command; a failure throws its text.
    void Exec(long nCommand, long nOption, VARIANT* pArgument = NULL);
    // The focus lies inside the editor: the host or one of its descendants has it.
    bool IsInside(HWND hWnd) const;
    // Enabled (exactly 3) and the focus inside.
    bool IsEnabledFor(long nCommand, HWND hWndFocus);
    // Runs the command when the focus lies inside; false when it does not.
    bool RunFocused(long nCommand, long nOption);

    CString GetDocumentHTML();
    void SetDocumentHTML(const CString& strHtml);
    void NewDocument();
    bool IsDirty();
    void LoadDocument(const CString& strPath);
    std::string GetBodyFragmentUtf8();
    CString GetPlainText();
    void InsertText(const CString& strText);
    void InsertHtml(const CString& strHtml);
    void SetPlainTextDocument(const CString& strText);

    // The HTML to send, with its charset; bCancelled when the user chose Cancel in the charset question.
    CString GetMessageBody(CString& strCharset, bool& bCancelled);

    // Dialog 113 and DECMD_INSERTTABLE with what it holds.
    void InsertTable();
    const std::vector<CString>& BlockFormatNames();
    CString CurrentBlockFormat();
    // The popup of the block formats, commands 32849 onwards; the caller destroys it.
    HMENU BuildBlockFormatMenu();

    void OnDisplayChanged();
    void OnDocumentComplete();
    void OnShowContextMenu(long x, long y);

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMeasureItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);

    CComPtr<IDHTMLEdit> m_spEdit;
    CHtmlEdit* m_pEdit = NULL;
    std::vector<CString> m_blockFormats;
    CColorMenu m_colorText;
    HWND m_hWndOwner = NULL;
    HWND m_hWndNotify = NULL;
    int m_bBusy = 0;

private:
    class CEventSink;
    CEventSink* m_pSink = NULL;
    DWORD m_dwCookie = 0;
};

// The text of a failed editor call.
const char* DhtmlErrorText(HRESULT hr);
// The HTML's META content type labelled with the charset: its charset value replaced, or "; charset=" and
// the charset added; unchanged when it has no such META.
CString LabelHtmlCharset(const CString& strHtml, const CString& strCharset);
