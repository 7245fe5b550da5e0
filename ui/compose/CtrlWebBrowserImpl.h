// The child dialog every HTML page of the program is shown in: it hosts the HTML view control and ties it
// to the frame that owns it (status text, download end, Print while focused, the Edit commands).
#pragma once

#include <windows.h>

#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>

#include <atlbase.h>
#include <atlhost.h>
#include <atlstr.h>
#include <atlwin.h>

#include "app/ManagerCommands.h"
#include "foundation/Exception.h"
#include "foundation/FoundationUi.h"
#include "foundation/Paths.h"
#include "foundation/WindowMessages.h"
#include "platform/htmlview/HtmlView.h"
#include "resources/resource.h"

namespace WebBrowserCommand
{
const WORD kEditCopy = 57634;
const WORD kSelectAll = 32877;
const WORD kFindText = 32878;
const WORD kPrint = 57607;
const WORD kDownloadComplete = 33031;
} // namespace WebBrowserCommand

namespace WebBrowserText
{
const char kNavigateError[] = "Web Browser Navigate error: ";
const char kOutOfMemory[] = "Out of memory.";
const char kInvalidArg[] = "One or more parameters are invalid.";
const char kUnknownError[] = "Unknown error.";
const char kNavigateTextFailed[] = "CCtrlWebBrowserImpl::NavigateText(...) failed!\r\n";
const char kTextFileName[] = "Text%d.htm";
} // namespace WebBrowserText

// A derived class's message map begins with CHAIN_MSG_MAP(CCtrlWebBrowserImpl<T>): this map comes first and
// lets every message it only looks at (WM_INITDIALOG, WM_SETFOCUS, WM_KILLFOCUS, WM_DESTROY) go on to the
// derived map. The derived class may define OnStatusTextChange(const char*) and OnDownloadComplete() of its
// own to hear the page's events.
template <class T> class CCtrlWebBrowserImpl : public CDialogImpl<T>
{
public:
    enum
    {
        IDD = IDD_WEB_BROWSER_HOST
    };

    BEGIN_MSG_MAP(CCtrlWebBrowserImpl)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialogHost)
        MESSAGE_HANDLER(WM_SIZE, OnSizeHost)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocusHost)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocusHost)
        COMMAND_HANDLER(IDC_WEB_BROWSER, EN_SETFOCUS, OnBrowserFocus)
        COMMAND_HANDLER(IDC_WEB_BROWSER, EN_KILLFOCUS, OnBrowserFocus)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroyHost)
        COMMAND_ID_HANDLER(WebBrowserCommand::kEditCopy, OnEditCopy)
        COMMAND_ID_HANDLER(WebBrowserCommand::kSelectAll, OnEditSelectAll)
        COMMAND_ID_HANDLER(WebBrowserCommand::kFindText, OnEditFindText)
        COMMAND_ID_HANDLER(IDOK, OnCloseCmd)
        COMMAND_ID_HANDLER(IDCANCEL, OnCloseCmd)
    END_MSG_MAP()

    explicit CCtrlWebBrowserImpl(HWND hWndOwner = NULL) : m_hWndOwner(hWndOwner), m_sink(this) {}
    // The derived class destroys the window while it is still whole.
    virtual ~CCtrlWebBrowserImpl() { Release(); }

    // Creates the host as a child of hWndParent; the page is attached when this returns. NULL on failure.
    HWND Create(HWND hWndParent, LPARAM dwInitParam = 0)
    {
        CHtmlView::RegisterClass();
        if (m_hWndOwner == NULL)
            m_hWndOwner = hWndParent;
        return CDialogImpl<T>::Create(hWndParent, dwInitParam);
    }

    // Stops a running navigation first; failures are thrown as CException.
    void Navigate(const char* pszUrl)
    {
        // A host whose page could not be created stays empty: its callers go on without it.
        if (m_spBrowser == NULL)
            return;
        m_spBrowser->ExecWB(OLECMDID_STOP, OLECMDEXECOPT_DONTPROMPTUSER, NULL, NULL);
        m_bNavigating = true;
        CComBSTR url(pszUrl);
        VARIANT empty;
        ::VariantInit(&empty);
        HRESULT hr = m_spBrowser->Navigate(url, &empty, &empty, &empty, &empty);
        if (FAILED(hr))
        {
            const char* pszReason = hr == E_OUTOFMEMORY  ? WebBrowserText::kOutOfMemory
                                    : hr == E_INVALIDARG ? WebBrowserText::kInvalidArg
                                                         : WebBrowserText::kUnknownError;
            throw new CException(CString(WebBrowserText::kNavigateError) + pszReason, "");
        }
    }

    // Shows a text through a file of the temporary HTML folder, "Text0.htm" unless named. The control may
    // still hold the file it shows: a sharing violation is tried again without a word, any other file error
    // is reported first, and after a bounded number of attempts the failure is thrown as CException.
    void NavigateText(const char* pszText, const char* pszFileName = NULL)
    {
        CString strName;
        if (pszFileName != NULL)
            strName = pszFileName;
        else
            strName.Format(WebBrowserText::kTextFileName, 0);
        const CString strFolder = GetTempHtmlPath();
        ::CreateDirectoryA(strFolder, NULL);
        const CString strPath = strFolder + "\\" + strName;
        const DWORD nLength = (DWORD)strlen(pszText);
        for (int nAttempt = 1;; nAttempt++)
        {
            HANDLE hFile =
                ::CreateFileA(strPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
            DWORD dwError = ERROR_SUCCESS;
            if (hFile != INVALID_HANDLE_VALUE)
            {
                DWORD nWritten = 0;
                if (!::WriteFile(hFile, pszText, nLength, &nWritten, NULL) || nWritten != nLength)
                    dwError = ::GetLastError();
                ::CloseHandle(hFile);
                if (dwError == ERROR_SUCCESS)
                    break;
            }
            else
                dwError = ::GetLastError();
            char szReason[256] = {};
            ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwError, 0, szReason,
                             sizeof(szReason) - 1, NULL);
            const CString strReason = szReason;
            const CString strText = CString(WebBrowserText::kNavigateTextFailed) + strReason;
            if (nAttempt >= kNavigateTextAttempts)
                throw new CException(strText, "");
            if (dwError != ERROR_SHARING_VIOLATION && dwError != ERROR_LOCK_VIOLATION)
                ShowErrorReportPrompt(strText, NULL);
            else
                ::Sleep(kNavigateTextPauseMs);
        }
        Navigate(strPath);
    }

    static const int kNavigateTextAttempts = 10;
    static const DWORD kNavigateTextPauseMs = 50;

    // 0 for a window outside the page, else whether the page can copy.
    BOOL IsCopyEnabled(HWND hWnd) const
    {
        if (this->m_hWnd == NULL || hWnd == NULL || !::IsChild(this->m_hWnd, hWnd) || m_spBrowser == NULL)
            return FALSE;
        OLECMDF status = (OLECMDF)0;
        if (FAILED(m_spBrowser->QueryStatusWB(OLECMDID_COPY, &status)))
            return FALSE;
        return (status & OLECMDF_ENABLED) != 0;
    }

    // True while the keyboard focus is the host or a window inside it.
    bool HasFocusInside() const
    {
        HWND hFocus = ::GetFocus();
        return this->m_hWnd != NULL && hFocus != NULL &&
               (hFocus == this->m_hWnd || ::IsChild(this->m_hWnd, hFocus));
    }

    // The value handed to the owner with the next download-complete notice.
    void SetDownloadCompleteValue(LPARAM lValue) { m_lDownloadComplete = lValue; }

    // Where the owner's commands go; the parent unless set before Create.
    HWND m_hWndOwner = NULL;
    HWND m_hWndBrowser = NULL;
    CComPtr<IUnknown> m_spUnkBrowser;
    CComPtr<IWebBrowser2> m_spBrowser;
    bool m_bBorder = false;
    LPARAM m_lDownloadComplete = 0;
    bool m_bNavigating = false;

    LRESULT OnInitDialogHost(UINT, WPARAM, LPARAM, BOOL& bHandled)
    {
        bHandled = FALSE;
        m_hWndBrowser = this->GetDlgItem(IDC_WEB_BROWSER);
        if (m_hWndBrowser == NULL)
            return TRUE;
        if (m_bBorder)
            ::SetWindowLongPtrA(m_hWndBrowser, GWL_STYLE,
                                ::GetWindowLongPtrA(m_hWndBrowser, GWL_STYLE) | WS_BORDER);
        IUnknown* pUnk = NULL;
        if (SUCCEEDED(AtlGetDlgControl(this->m_hWnd, IDC_WEB_BROWSER, IID_IUnknown, (void**)&pUnk)))
        {
            m_spUnkBrowser.Attach(pUnk);
            m_spUnkBrowser->QueryInterface(IID_IWebBrowser2, (void**)&m_spBrowser);
        }
        Advise(true);
        RECT rc;
        this->GetClientRect(&rc);
        ::MoveWindow(m_hWndBrowser, 0, 0, rc.right, rc.bottom, FALSE);
        return TRUE;
    }

    LRESULT OnSizeHost(UINT, WPARAM, LPARAM lParam, BOOL&)
    {
        if (m_hWndBrowser != NULL)
            ::MoveWindow(m_hWndBrowser, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }

    LRESULT OnSetFocusHost(UINT, WPARAM, LPARAM, BOOL& bHandled)
    {
        bHandled = FALSE;
        if (m_hWndOwner != NULL)
            ::SendMessageA(m_hWndOwner, LetrovaEnable, WebBrowserCommand::kPrint, 1);
        return 0;
    }

    LRESULT OnKillFocusHost(UINT, WPARAM, LPARAM, BOOL& bHandled)
    {
        bHandled = FALSE;
        if (m_hWndOwner != NULL)
            ::SendMessageA(m_hWndOwner, LetrovaEnable, WebBrowserCommand::kPrint, 0);
        return 0;
    }

    // The page itself takes the focus inside the host, and tells the host so as an edit control does.
    LRESULT OnBrowserFocus(WORD wNotifyCode, WORD, HWND, BOOL& bHandled)
    {
        bHandled = FALSE;
        if (m_hWndOwner != NULL)
            ::SendMessageA(m_hWndOwner, LetrovaEnable, WebBrowserCommand::kPrint, wNotifyCode == EN_SETFOCUS);
        return 0;
    }

    LRESULT OnDestroyHost(UINT, WPARAM, LPARAM, BOOL& bHandled)
    {
        bHandled = FALSE;
        Release();
        return 0;
    }

    LRESULT OnEditCopy(WORD, WORD, HWND, BOOL& bHandled)
    {
        return ExecIfFocused(OLECMDID_COPY, bHandled);
    }

    LRESULT OnEditSelectAll(WORD, WORD, HWND, BOOL& bHandled)
    {
        return ExecIfFocused(OLECMDID_SELECTALL, bHandled);
    }

    // The find of the page itself: a search would navigate away from the message.
    LRESULT OnEditFindText(WORD, WORD, HWND, BOOL& bHandled)
    {
        return ExecIfFocused(OLECMDID_FIND, bHandled);
    }

    LRESULT OnCloseCmd(WORD, WORD wID, HWND, BOOL&)
    {
        this->EndDialog(wID);
        return 0;
    }

    void OnStatusTextChange(const char* pszText)
    {
        if (m_hWndOwner != NULL)
            ::SendMessageA(m_hWndOwner, WM_COMMAND, ID_SET_STATUSBAR_2, (LPARAM)pszText);
    }

    void OnDownloadComplete()
    {
        m_bNavigating = false;
        if (m_hWndOwner == NULL)
            return;
        ::PostMessageA(m_hWndOwner, WM_COMMAND, WebBrowserCommand::kDownloadComplete, m_lDownloadComplete);
        m_lDownloadComplete = 0;
        ::SendMessageA(m_hWndOwner, WM_COMMAND, ID_SET_STATUSBAR_2, (LPARAM) "");
    }

private:
    LRESULT ExecIfFocused(OLECMDID nCommand, BOOL& bHandled)
    {
        if (!HasFocusInside() || m_spBrowser == NULL)
        {
            bHandled = FALSE;
            return 0;
        }
        m_spBrowser->ExecWB(nCommand, OLECMDEXECOPT_DONTPROMPTUSER, NULL, NULL);
        return 0;
    }

    void Advise(bool bAdvise)
    {
        if (m_spUnkBrowser == NULL)
            return;
        CComPtr<IConnectionPointContainer> spContainer;
        if (FAILED(m_spUnkBrowser->QueryInterface(IID_IConnectionPointContainer, (void**)&spContainer)))
            return;
        CComPtr<IConnectionPoint> spPoint;
        if (FAILED(spContainer->FindConnectionPoint(DIID_DWebBrowserEvents2, &spPoint)))
            return;
        if (bAdvise && m_dwCookie == 0)
            spPoint->Advise(&m_sink, &m_dwCookie);
        else if (!bAdvise && m_dwCookie != 0)
        {
            spPoint->Unadvise(m_dwCookie);
            m_dwCookie = 0;
        }
    }

    void Release()
    {
        Advise(false);
        m_spBrowser.Release();
        m_spUnkBrowser.Release();
        m_hWndBrowser = NULL;
    }

    // The page's events, handed to the host (and through it to the derived class). It lives inside the
    // host, so its reference count only guards against a control that keeps it past Unadvise.
    class CSink : public DWebBrowserEvents2
    {
    public:
        explicit CSink(CCtrlWebBrowserImpl* pHost) : m_pHost(pHost) {}
        STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
        {
            if (ppv == NULL)
                return E_POINTER;
            if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2)
            {
                *ppv = static_cast<DWebBrowserEvents2*>(this);
                return S_OK;
            }
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        STDMETHOD_(ULONG, AddRef)() override { return 2; }
        STDMETHOD_(ULONG, Release)() override { return 1; }
        STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override
        {
            if (pctinfo != NULL)
                *pctinfo = 0;
            return S_OK;
        }
        STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        STDMETHOD(Invoke)(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT*, EXCEPINFO*,
                          UINT*) override
        {
            try
            {
                T* pT = static_cast<T*>(m_pHost);
                if (dispId == DISPID_STATUSTEXTCHANGE)
                {
                    CString strText;
                    if (pParams != NULL && pParams->cArgs >= 1 && pParams->rgvarg[0].vt == VT_BSTR)
                        strText = pParams->rgvarg[0].bstrVal;
                    pT->OnStatusTextChange(strText);
                }
                else if (dispId == DISPID_DOWNLOADCOMPLETE)
                    pT->OnDownloadComplete();
            }
            catch (...)
            {
            }
            return S_OK;
        }

    private:
        CCtrlWebBrowserImpl* m_pHost;
    };

    CSink m_sink;
    DWORD m_dwCookie = 0;
};
