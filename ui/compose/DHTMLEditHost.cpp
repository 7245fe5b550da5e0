// The HTML editor's host in the compose dialog.
#include "ui/compose/DHTMLEditHost.h"

#include <stdio.h>

#include <string>

#include <atlres.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Registry.h"
#include "foundation/WindowMessages.h"
#include "ui/compose/ComposeCommands.h"
#include "ui/compose/ComposeErrors.h"
#include "ui/compose/ComposeTexts.h"

const char* g_pszComposeGenerator = "Vorn Email 1.0";

namespace
{
const WORD kFirstBlockFormat = 32849;
const WORD kLastBlockFormat = 32869;

std::wstring Wide(const char* pszText, UINT nCodePage = CP_ACP)
{
    int n = ::MultiByteToWideChar(nCodePage, 0, pszText, -1, NULL, 0);
    std::wstring text(n > 0 ? n : 1, L'\0');
    if (n > 0)
        ::MultiByteToWideChar(nCodePage, 0, pszText, -1, &text[0], n);
    text.resize(wcslen(text.c_str()));
    return text;
}

std::string Narrow(const wchar_t* pszText, UINT nCodePage = CP_ACP)
{
    int n = ::WideCharToMultiByte(nCodePage, 0, pszText, -1, NULL, 0, NULL, NULL);
    std::string text(n > 0 ? n : 1, '\0');
    if (n > 0)
        ::WideCharToMultiByte(nCodePage, 0, pszText, -1, &text[0], n, NULL, NULL);
    text.resize(strlen(text.c_str()));
    return text;
}

INT_PTR CALLBACK CharsetConflictProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM)
{
    if (uMsg == WM_INITDIALOG)
        return TRUE;
    if (uMsg == WM_COMMAND &&
        (LOWORD(wParam) == IDC_CHARSET_UNICODE || LOWORD(wParam) == IDC_CHARSET_AS_IS || LOWORD(wParam) == IDCANCEL))
    {
        ::EndDialog(hWnd, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

struct CTableFields
{
    long nRows = 2, nColumns = 2;
    CString strTable = "BORDER=1 BGCOLOR=black", strCell = "BGCOLOR=white", strCaption;
};

INT_PTR CALLBACK InsertTableProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CTableFields* pFields = reinterpret_cast<CTableFields*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    switch (uMsg)
    {
    case WM_INITDIALOG:
        pFields = reinterpret_cast<CTableFields*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        ::SetDlgItemInt(hWnd, IDC_TABLE_ROWS, pFields->nRows, FALSE);
        ::SetDlgItemInt(hWnd, IDC_TABLE_COLUMNS, pFields->nColumns, FALSE);
        ::SetDlgItemTextA(hWnd, IDC_TABLE_ATTRIBUTES, pFields->strTable);
        ::SetDlgItemTextA(hWnd, IDC_TABLE_CELL_ATTRIBUTES, pFields->strCell);
        ::SetDlgItemTextA(hWnd, IDC_TABLE_CAPTION, pFields->strCaption);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && pFields != NULL)
        {
            char szText[1024];
            pFields->nRows = (long)::GetDlgItemInt(hWnd, IDC_TABLE_ROWS, NULL, FALSE);
            pFields->nColumns = (long)::GetDlgItemInt(hWnd, IDC_TABLE_COLUMNS, NULL, FALSE);
            ::GetDlgItemTextA(hWnd, IDC_TABLE_ATTRIBUTES, szText, sizeof(szText));
            pFields->strTable = szText;
            ::GetDlgItemTextA(hWnd, IDC_TABLE_CELL_ATTRIBUTES, szText, sizeof(szText));
            pFields->strCell = szText;
            ::GetDlgItemTextA(hWnd, IDC_TABLE_CAPTION, szText, sizeof(szText));
            pFields->strCaption = szText;
            ::EndDialog(hWnd, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL)
        {
            ::EndDialog(hWnd, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

int FindNoCase(const CString& strText, const char* pszWhat, int nStart = 0)
{
    CString strUpper = strText, strWhat = pszWhat;
    strUpper.MakeUpper();
    strWhat.MakeUpper();
    return strUpper.Find(strWhat, nStart);
}
} // namespace

// The control's events, handed to the host on its thread.
class CDHTMLEditHost::CEventSink : public IDispatch
{
public:
    explicit CEventSink(CDHTMLEditHost* pHost) : m_pHost(pHost) {}
    virtual ~CEventSink() {}

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        if (ppv == NULL)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_DHTMLEditEvents)
        {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++m_nRefs; }
    STDMETHOD_(ULONG, Release)() override
    {
        ULONG n = --m_nRefs;
        if (n == 0)
            delete this;
        return n;
    }
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override
    {
        if (pctinfo != NULL)
            *pctinfo = 0;
        return S_OK;
    }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (m_pHost == NULL)
            return S_OK;
        try
        {
            switch (dispid)
            {
            case DISPID_DOCUMENTCOMPLETE_:
                m_pHost->OnDocumentComplete();
                break;
            case DISPID_DISPLAYCHANGED_:
                m_pHost->OnDisplayChanged();
                break;
            case DISPID_SHOWCONTEXTMENU_:
                if (pParams != NULL && pParams->cArgs >= 2)
                {
                    // Arguments arrive last first.
                    CComVariant x(pParams->rgvarg[1]), y(pParams->rgvarg[0]);
                    x.ChangeType(VT_I4);
                    y.ChangeType(VT_I4);
                    m_pHost->OnShowContextMenu(x.lVal, y.lVal);
                }
                break;
            }
        }
        catch (...)
        {
            ShowCaughtInCompose("CDHTMLEditHost::Invoke()", m_pHost->m_hWndOwner);
        }
        return S_OK;
    }

    CDHTMLEditHost* m_pHost;

private:
    ULONG m_nRefs = 1;
};

const char* DhtmlErrorText(HRESULT hr)
{
    switch (hr)
    {
    case E_UNEXPECTED:
        return ComposeText::kDhtmlUnexpected;
    case DE_E_INVALIDCOMMAND:
        return ComposeText::kDhtmlBadCommand;
    case E_INVALIDARG:
        return ComposeText::kDhtmlInvalidArg;
    }
    return ComposeText::kDhtmlUnknown;
}

CString LabelHtmlCharset(const CString& strHtml, const CString& strCharset)
{
    for (int nMeta = FindNoCase(strHtml, "<META"); nMeta >= 0; nMeta = FindNoCase(strHtml, "<META", nMeta + 5))
    {
        int nEnd = strHtml.Find('>', nMeta);
        if (nEnd < 0)
            break;
        CString strTag = strHtml.Mid(nMeta, nEnd - nMeta);
        int nContent = FindNoCase(strTag, "content");
        if (nContent < 0)
            continue;
        int nOpen = strTag.Find('"', nContent);
        if (nOpen < 0)
            continue;
        int nClose = strTag.Find('"', nOpen + 1);
        if (nClose < 0)
            continue;
        CString strValue = strTag.Mid(nOpen + 1, nClose - nOpen - 1);
        int nCharset = FindNoCase(strValue, "charset");
        if (nCharset >= 0)
        {
            int nEquals = strValue.Find('=', nCharset);
            if (nEquals < 0)
                continue;
            int nValue = nEquals + 1;
            while (nValue < strValue.GetLength() && strValue[nValue] == ' ')
                nValue++;
            int nValueEnd = nValue;
            while (nValueEnd < strValue.GetLength() && strValue[nValueEnd] != ' ' && strValue[nValueEnd] != ';')
                nValueEnd++;
            strValue = strValue.Left(nValue) + strCharset + strValue.Mid(nValueEnd);
        }
        else
            strValue += "; charset=" + strCharset;
        int nValueStart = nMeta + nOpen + 1;
        return strHtml.Left(nValueStart) + strValue + strHtml.Mid(nMeta + nClose);
    }
    return strHtml;
}

CDHTMLEditHost::CDHTMLEditHost() : m_colorText(32949) {}

CDHTMLEditHost::~CDHTMLEditHost()
{
    if (m_pSink != NULL)
    {
        m_pSink->m_pHost = NULL;
        m_pSink->Release();
    }
}

HWND CDHTMLEditHost::Create(HWND hWndParent, HWND hWndOwner, HWND hWndNotify)
{
    if (!CHtmlEdit::Available())
        return NULL;
    m_hWndOwner = hWndOwner;
    m_hWndNotify = hWndNotify;
    HWND hWnd = CDialogImpl<CDHTMLEditHost>::Create(hWndParent);
    if (hWnd != NULL && m_spEdit == NULL)
    {
        DestroyWindow();
        return NULL;
    }
    return hWnd;
}

LRESULT CDHTMLEditHost::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    m_pEdit = CHtmlEdit::FromWindow(GetDlgItem(IDC_DHTML_EDIT));
    if (m_pEdit == NULL)
        return TRUE;
    m_pEdit->QueryInterface(__uuidof(IDHTMLEdit), (void**)&m_spEdit);
    CComQIPtr<IConnectionPointContainer> spContainer(m_spEdit);
    CComPtr<IConnectionPoint> spPoint;
    if (spContainer != NULL && SUCCEEDED(spContainer->FindConnectionPoint(DIID_DHTMLEditEvents, &spPoint)))
    {
        m_pSink = new CEventSink(this);
        spPoint->Advise(m_pSink, &m_dwCookie);
    }
    return TRUE;
}

LRESULT CDHTMLEditHost::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    if (LOWORD(lParam) != 0 && HIWORD(lParam) != 0)
        ::MoveWindow(GetDlgItem(IDC_DHTML_EDIT), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
}

LRESULT CDHTMLEditHost::OnSetFocus(UINT, WPARAM, LPARAM, BOOL&)
{
    HWND hWndEdit = m_pEdit != NULL ? m_pEdit->RichEditWindow() : NULL;
    ::SetFocus(hWndEdit != NULL ? hWndEdit : GetDlgItem(IDC_DHTML_EDIT));
    return 0;
}

LRESULT CDHTMLEditHost::OnDestroy(UINT, WPARAM, LPARAM, BOOL&)
{
    if (m_dwCookie != 0 && m_spEdit != NULL)
    {
        CComQIPtr<IConnectionPointContainer> spContainer(m_spEdit);
        CComPtr<IConnectionPoint> spPoint;
        if (spContainer != NULL && SUCCEEDED(spContainer->FindConnectionPoint(DIID_DHTMLEditEvents, &spPoint)))
            spPoint->Unadvise(m_dwCookie);
        m_dwCookie = 0;
    }
    if (m_pSink != NULL)
        m_pSink->m_pHost = NULL;
    m_spEdit.Release();
    m_pEdit = NULL;
    return 0;
}

LRESULT CDHTMLEditHost::OnMeasureItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    MEASUREITEMSTRUCT* pMeasure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (pMeasure->CtlType != ODT_MENU || !m_colorText.IsColorCommand(pMeasure->itemID))
    {
        bHandled = FALSE;
        return 0;
    }
    m_colorText.MeasureItem(pMeasure);
    return TRUE;
}

LRESULT CDHTMLEditHost::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    DRAWITEMSTRUCT* pDraw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (pDraw->CtlType != ODT_MENU || !m_colorText.IsColorCommand(pDraw->itemID))
    {
        bHandled = FALSE;
        return 0;
    }
    m_colorText.DrawItem(pDraw);
    return TRUE;
}

LRESULT CDHTMLEditHost::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    WORD nID = LOWORD(wParam);
    try
    {
        if (nID == IDOK || nID == IDCANCEL)
            return 0;
        if (m_colorText.IsColorCommand(nID))
        {
            char szColor[16];
            CColorMenu::FormatColor(m_colorText.ColorOf(nID), szColor, sizeof(szColor));
            CComVariant color(szColor);
            Exec(DECMD_SETFORECOLOR, DECMD_OPT_DONTPROMPTUSER, &color);
            m_colorText.SetCurrentCommand(nID);
            return 1;
        }
        if (nID == ID_EDIT_CUT)
            return RunFocused(DECMD_CUT, DECMD_OPT_DONTPROMPTUSER) ? 1 : 0;
    }
    catch (...)
    {
        ShowCaughtInCompose("CDHTMLEditHost::OnCommand()", m_hWndOwner);
        return 1;
    }
    bHandled = FALSE;
    return 0;
}

HRESULT CDHTMLEditHost::QueryStatus(long nCommand, long* pnStatus)
{
    if (m_spEdit == NULL)
        return E_UNEXPECTED;
    return m_spEdit->QueryStatus(nCommand, pnStatus);
}

HRESULT CDHTMLEditHost::ExecCommand(long nCommand, long nOption)
{
    if (m_spEdit == NULL)
        return E_UNEXPECTED;
    CComVariant empty;
    return m_spEdit->ExecCommand(nCommand, nOption, &empty);
}

long CDHTMLEditHost::Status(long nCommand)
{
    long nStatus = 0;
    HRESULT hr = QueryStatus(nCommand, &nStatus);
    if (FAILED(hr))
        throw DhtmlErrorText(hr);
    return nStatus;
}

void CDHTMLEditHost::Exec(long nCommand, long nOption, VARIANT* pArgument)
{
    if (m_spEdit == NULL)
        throw DhtmlErrorText(E_UNEXPECTED);
    CComVariant empty;
    HRESULT hr = m_spEdit->ExecCommand(nCommand, nOption, pArgument != NULL ? pArgument : &empty);
    if (FAILED(hr))
        throw DhtmlErrorText(hr);
}

bool CDHTMLEditHost::IsInside(HWND hWnd) const
{
    return m_hWnd != NULL && hWnd != NULL && (hWnd == m_hWnd || ::IsChild(m_hWnd, hWnd));
}

bool CDHTMLEditHost::IsEnabledFor(long nCommand, HWND hWndFocus)
{
    return Exists() && IsInside(hWndFocus) && Status(nCommand) == DECMDF_ENABLED;
}

bool CDHTMLEditHost::RunFocused(long nCommand, long nOption)
{
    if (!Exists() || !IsInside(::GetFocus()))
        return false;
    long nStatus = Status(nCommand);
    if (nStatus == DECMDF_ENABLED || nStatus == DECMDF_LATCHED)
        Exec(nCommand, nOption);
    return true;
}

CString CDHTMLEditHost::GetDocumentHTML()
{
    CComBSTR html;
    if (m_spEdit == NULL || FAILED(m_spEdit->get_DocumentHTML(&html)))
        throw DhtmlErrorText(E_UNEXPECTED);
    return Narrow(html != NULL ? (const wchar_t*)html : L"").c_str();
}

void CDHTMLEditHost::SetDocumentHTML(const CString& strHtml)
{
    if (m_spEdit == NULL)
        throw DhtmlErrorText(E_UNEXPECTED);
    CComBSTR html(Wide(strHtml).c_str());
    HRESULT hr = m_spEdit->put_DocumentHTML(html);
    if (FAILED(hr))
        throw DhtmlErrorText(hr);
}

void CDHTMLEditHost::NewDocument()
{
    if (m_spEdit != NULL)
        m_spEdit->NewDocument();
}

bool CDHTMLEditHost::IsDirty()
{
    VARIANT_BOOL bDirty = VARIANT_FALSE;
    if (m_spEdit != NULL)
        m_spEdit->get_IsDirty(&bDirty);
    return bDirty != VARIANT_FALSE;
}

void CDHTMLEditHost::LoadDocument(const CString& strPath)
{
    if (m_spEdit == NULL)
        throw DhtmlErrorText(E_UNEXPECTED);
    CComVariant path(strPath), prompt(false);
    HRESULT hr = m_spEdit->LoadDocument(&path, &prompt);
    if (FAILED(hr))
        throw DhtmlErrorText(hr);
}

std::string CDHTMLEditHost::GetBodyFragmentUtf8()
{
    return m_pEdit != NULL ? m_pEdit->BodyFragmentUtf8() : std::string();
}

CString CDHTMLEditHost::GetPlainText()
{
    return m_pEdit != NULL ? CString(Narrow(m_pEdit->PlainText().c_str()).c_str()) : CString();
}

void CDHTMLEditHost::InsertText(const CString& strText)
{
    if (m_pEdit != NULL)
        m_pEdit->InsertText(Wide(strText));
}

void CDHTMLEditHost::InsertHtml(const CString& strHtml)
{
    if (m_pEdit != NULL)
        m_pEdit->InsertHtml(Wide(strHtml));
}

void CDHTMLEditHost::SetPlainTextDocument(const CString& strText)
{
    if (m_pEdit != NULL)
        m_pEdit->SetPlainTextDocument(Wide(strText));
}

CString CDHTMLEditHost::GetMessageBody(CString& strCharset, bool& bCancelled)
{
    bCancelled = false;
    // The editor hands its text over directly: the user's clipboard is neither read nor changed, and windows
    // on other threads cannot swap their text in.
    std::string strFragment = GetBodyFragmentUtf8();
    std::string strRoundTrip = Narrow(Wide(Narrow(Wide(strFragment.c_str(), CP_UTF8).c_str()).c_str()).c_str(),
                                      CP_UTF8);
    bool bConflict = _stricmp(strRoundTrip.c_str(), strFragment.c_str()) != 0;
    INT_PTR nChoice = IDC_CHARSET_AS_IS;
    if (bConflict)
        nChoice = ::DialogBoxParamA(GetResourceModule(), MAKEINTRESOURCEA(IDD_CHARSET_CONFLICT),
                                    m_hWnd, CharsetConflictProc, 0);
    if (nChoice <= 0)
        throw "The character set question could not be shown.";
    if (nChoice == IDCANCEL)
    {
        bCancelled = true;
        return CString();
    }
    if (nChoice == IDC_CHARSET_UNICODE)
    {
        strCharset = "utf-8";
        return CString("<HTML>\r\n<HEAD>\r\n<META NAME=GENERATOR Content=\"") + g_pszComposeGenerator +
               "\">\r\n<META http-equiv=Content-Type content=\"text/html; charset=" + strCharset +
               "\">\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n" + strFragment.c_str() + "</BODY>\r\n</HTML>";
    }
    // The document's bytes are in the system code page: its label says so, whatever the message's charset
    // was called (a KOI8-R message is written in the Cyrillic Windows code page).
    if (strCharset.CompareNoCase("koi8-r") == 0)
        strCharset = "windows-1251";
    CString strHtml = GetDocumentHTML();
    if (FindNoCase(strHtml, "<META") < 0 || FindNoCase(strHtml, "charset") < 0)
    {
        int nHead = FindNoCase(strHtml, "<HEAD>");
        CString strMeta = "\r\n<META http-equiv=Content-Type content=\"text/html\">";
        if (nHead >= 0)
            strHtml.Insert(nHead + 6, strMeta);
    }
    return LabelHtmlCharset(strHtml, strCharset);
}

void CDHTMLEditHost::InsertTable()
{
    CTableFields fields;
    INT_PTR nResult = ::DialogBoxParamA(GetResourceModule(), MAKEINTRESOURCEA(IDD_INSERT_TABLE), m_hWnd,
                                        InsertTableProc, (LPARAM)&fields);
    if (nResult <= 0)
        throw "The Insert Table dialog could not be shown.";
    if (nResult != IDOK)
        return;
    CComPtr<IHtmlEditTableParam> spTable;
    if (FAILED(CreateHtmlEditTableParam(&spTable)) || spTable == NULL)
        throw DhtmlErrorText(E_UNEXPECTED);
    spTable->put_NumRows(fields.nRows);
    spTable->put_NumCols(fields.nColumns);
    spTable->put_TableAttrs(CComBSTR(Wide(fields.strTable).c_str()));
    spTable->put_CellAttrs(CComBSTR(Wide(fields.strCell).c_str()));
    spTable->put_Caption(CComBSTR(Wide(fields.strCaption).c_str()));
    CComVariant argument((IDispatch*)spTable);
    Exec(DECMD_INSERTTABLE, DECMD_OPT_DEFAULT, &argument);
}

const std::vector<CString>& CDHTMLEditHost::BlockFormatNames()
{
    if (!m_blockFormats.empty() || m_spEdit == NULL)
        return m_blockFormats;
    CComPtr<IHtmlEditBlockFormatNames> spNames;
    if (FAILED(CreateHtmlEditBlockFormatNames(&spNames)) || spNames == NULL)
        return m_blockFormats;
    CComVariant argument((IDispatch*)spNames);
    Exec(DECMD_GETBLOCKFMTNAMES, DECMD_OPT_DONTPROMPTUSER, &argument);
    CComVariant names;
    spNames->get_Names(&names);
    if ((names.vt & VT_ARRAY) && names.parray != NULL)
    {
        LONG nLower = 0, nUpper = -1;
        ::SafeArrayGetLBound(names.parray, 1, &nLower);
        ::SafeArrayGetUBound(names.parray, 1, &nUpper);
        for (LONG i = nLower; i <= nUpper; i++)
        {
            BSTR name = NULL;
            if (SUCCEEDED(::SafeArrayGetElement(names.parray, &i, &name)))
            {
                m_blockFormats.push_back(Narrow(name != NULL ? name : L"").c_str());
                ::SysFreeString(name);
            }
        }
    }
    return m_blockFormats;
}

CString CDHTMLEditHost::CurrentBlockFormat()
{
    if (!Exists() || Status(DECMD_GETBLOCKFMT) != DECMDF_ENABLED)
        return CString();
    CComVariant value;
    Exec(DECMD_GETBLOCKFMT, DECMD_OPT_DONTPROMPTUSER, &value);
    return value.vt == VT_BSTR && value.bstrVal != NULL ? CString(Narrow(value.bstrVal).c_str()) : CString();
}

HMENU CDHTMLEditHost::BuildBlockFormatMenu()
{
    HMENU hMenu = ::CreatePopupMenu();
    const std::vector<CString>& names = BlockFormatNames();
    for (size_t i = 0; i < names.size() && kFirstBlockFormat + i <= kLastBlockFormat; i++)
        ::AppendMenuA(hMenu, MF_STRING, kFirstBlockFormat + i, names[i]);
    return hMenu;
}

void CDHTMLEditHost::OnDisplayChanged()
{
    if (m_bBusy || !Exists() || m_hWndOwner == NULL)
        return;
    using namespace ComposeCommand;
    auto send = [this](WORD nCommand, LPARAM lParam) { ::SendMessageA(m_hWndOwner, WM_COMMAND, nCommand, lParam); };
    auto value = [this](long nCommand, CComVariant& result) -> long
    {
        long nStatus = Status(nCommand);
        if (nStatus == DECMDF_ENABLED)
            Exec(nCommand, DECMD_OPT_DONTPROMPTUSER, &result);
        return nStatus;
    };
    try
    {
        CComVariant fontName, fontSize, foreColor, backColor;
        long nStatus = value(DECMD_GETFONTNAME, fontName);
        std::string strFont = fontName.vt == VT_BSTR && fontName.bstrVal != NULL ? Narrow(fontName.bstrVal) : "";
        send(ID_SET_FONT_NAME, (LPARAM)strFont.c_str());
        send(ID_ENABLE_FONT_NAME, nStatus != DECMDF_DISABLED);
        nStatus = value(DECMD_GETFONTSIZE, fontSize);
        fontSize.ChangeType(VT_I4);
        send(ID_SET_FONT_SIZE, fontSize.vt == VT_I4 ? fontSize.lVal : 0);
        send(ID_ENABLE_FONT_SIZE, nStatus != DECMDF_DISABLED);
        send(32966, Status(DECMD_GETBLOCKFMT) == DECMDF_ENABLED);
        send(32841, Status(DECMD_BOLD));
        send(32842, Status(DECMD_ITALIC));
        send(32843, Status(DECMD_UNDERLINE));
        value(DECMD_GETFORECOLOR, foreColor);
        send(32848, foreColor.vt == VT_BSTR);
        nStatus = value(DECMD_GETBACKCOLOR, backColor);
        std::string strBack = backColor.vt == VT_BSTR && backColor.bstrVal != NULL ? Narrow(backColor.bstrVal) : "";
        send(32875, (LPARAM)strBack.c_str());
        send(32874, nStatus != DECMDF_DISABLED);
        const std::pair<long, WORD> statuses[] = {
            {DECMD_ORDERLIST, 32967},   {DECMD_UNORDERLIST, 32968}, {DECMD_OUTDENT, 32969},
            {DECMD_INDENT, 32970},      {DECMD_JUSTIFYLEFT, 32971}, {DECMD_JUSTIFYCENTER, 32972},
            {DECMD_JUSTIFYRIGHT, 32973}, {DECMD_HYPERLINK, 32974},  {DECMD_FONT, 32976},
            {DECMD_INSERTTABLE, 32891}, {DECMD_IMAGE, 32919},       {DECMD_INSERTROW, 32892},
            {DECMD_INSERTCOL, 32893},   {DECMD_INSERTCELL, 32894},  {DECMD_DELETEROWS, 32895},
            {DECMD_DELETECOLS, 32896},  {DECMD_DELETECELLS, 32897}, {DECMD_MERGECELLS, 32898},
            {DECMD_SPLITCELL, 32899},
        };
        for (const auto& status : statuses)
            send(status.second, Status(status.first));
    }
    catch (const char* pszText)
    {
        AppMessageBox(pszText, MB_ICONSTOP, m_hWndOwner);
    }
}

void CDHTMLEditHost::OnDocumentComplete()
{
    CRegistry* pRegistry = NULL;
    if (m_hWndOwner != NULL)
        ::SendMessageA(m_hWndOwner, LetrovaGetRegistry, (WPARAM)&pRegistry, 0);
    if (pRegistry != NULL && Exists())
    {
        if (!pRegistry->m_strHtmlSendFontName.IsEmpty())
        {
            CComVariant name(pRegistry->m_strHtmlSendFontName);
            Exec(DECMD_SETFONTNAME, DECMD_OPT_DONTPROMPTUSER, &name);
        }
        if (pRegistry->m_nHtmlSendFontSize != -1)
        {
            CComVariant size((long)pRegistry->m_nHtmlSendFontSize);
            Exec(DECMD_SETFONTSIZE, DECMD_OPT_DONTPROMPTUSER, &size);
        }
    }
    if (m_hWndNotify != NULL)
        ::PostMessageA(m_hWndNotify, WM_COMMAND, ComposeCommand::ID_EDITOR_DOCUMENT_COMPLETE, 0);
}

void CDHTMLEditHost::OnShowContextMenu(long x, long y)
{
    HMENU hMenu = ::LoadMenuA(GetResourceModule(), MAKEINTRESOURCEA(IDR_EDITOR_CONTEXT_MENU));
    if (hMenu == NULL)
        return;
    HMENU hPopup = ::GetSubMenu(hMenu, 0);
    const std::pair<UINT, long> items[] = {
        {ID_EDIT_UNDO, DECMD_UNDO},    {ID_EDIT_REDO, DECMD_REDO},    {ID_EDIT_CUT, DECMD_CUT},
        {ID_EDIT_COPY, DECMD_COPY},    {ID_EDIT_PASTE, DECMD_PASTE},  {32877, DECMD_SELECTALL},
        {32878, DECMD_FINDTEXT},       {32975, DECMD_FONT},           {32844, DECMD_IMAGE},
        {32881, DECMD_INSERTTABLE},    {32845, DECMD_HYPERLINK},      {32900, DECMD_UNLINK},
    };
    for (const auto& item : items)
        ::EnableMenuItem(hPopup, item.first, MF_BYCOMMAND | (Status(item.second) == DECMDF_ENABLED ? MF_ENABLED
                                                                                                    : MF_GRAYED));
    POINT pt = {x, y};
    ::ClientToScreen(GetDlgItem(IDC_DHTML_EDIT), &pt);
    UINT nCommand = ::TrackPopupMenu(hPopup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, 0, m_hWnd,
                                     NULL);
    ::DestroyMenu(hMenu);
    switch (nCommand)
    {
    case 0:
        return;
    case 32900:
        Exec(DECMD_UNLINK, DECMD_OPT_DONTPROMPTUSER);
        return;
    case 32790:
        Exec(DECMD_PROPERTIES, DECMD_OPT_PROMPTUSER);
        return;
    }
    if (m_hWndNotify != NULL)
        ::SendMessageA(m_hWndNotify, WM_COMMAND, nCommand, 0);
}
