// Common dialogs (file open and save, folder browser) and property sheets with their pages, wizards included.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <atlapp.h>
#include <atlwin.h>

namespace WTL
{

// ---------------------------------------------------------------------------------------------------------
// File dialog. The hook, explorer and sizing flags are always set, so a derived class can handle the
// dialog's notifications: OnInitDone, OnFileOK (FALSE keeps the dialog open), OnFolderChange, OnSelChange,
// OnTypeChange. The hook dialog is this object's window; the visible dialog is its parent.

template <class T>
class CFileDialogImpl : public ATL::CDialogImplBaseT<ATL::CWindow>
{
public:
    OPENFILENAMEA m_ofn;
    BOOL m_bOpenFileDialog;
    char m_szFileTitle[_MAX_FNAME];
    char m_szFileName[MAX_PATH];

    CFileDialogImpl(BOOL bOpenFileDialog, LPCSTR lpszDefExt = NULL, LPCSTR lpszFileName = NULL,
                    DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = NULL,
                    HWND hWndParent = NULL)
        : m_bOpenFileDialog(bOpenFileDialog)
    {
        ::ZeroMemory(&m_ofn, sizeof(m_ofn));
        m_szFileName[0] = 0;
        m_szFileTitle[0] = 0;
        m_ofn.lStructSize = sizeof(m_ofn);
        m_ofn.lpstrFile = m_szFileName;
        m_ofn.nMaxFile = MAX_PATH;
        m_ofn.lpstrDefExt = lpszDefExt;
        m_ofn.lpstrFileTitle = m_szFileTitle;
        m_ofn.nMaxFileTitle = _MAX_FNAME;
        m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
        m_ofn.lpstrFilter = lpszFilter;
        m_ofn.hInstance = ATL::AtlGetResourceInstance();
        m_ofn.lpfnHook = (LPOFNHOOKPROC)T::StartDialogProc;
        m_ofn.hwndOwner = hWndParent;
        if (lpszFileName != NULL)
            lstrcpynA(m_szFileName, lpszFileName, MAX_PATH);
    }

    // IDOK or IDCANCEL.
    INT_PTR DoModal(HWND hWndParent = ::GetActiveWindow())
    {
        if (m_ofn.hwndOwner == NULL)
            m_ofn.hwndOwner = hWndParent;
        ATL::AtlSetCreatingWindow(static_cast<ATL::CWindowImplRoot<ATL::CWindow>*>(this));
        BOOL bRet = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
        ATL::AtlTakeCreatingWindow();
        m_hWnd = NULL;
        return bRet ? IDOK : IDCANCEL;
    }

    ATL::CWindow GetFileDialogWindow() const { return ATL::CWindow(GetParent()); }
    void SetControlText(int nCtrlID, LPCSTR lpstrText)
    {
        GetFileDialogWindow().SendMessage(CDM_SETCONTROLTEXT, nCtrlID, (LPARAM)lpstrText);
    }

    BEGIN_MSG_MAP(CFileDialogImpl)
        NOTIFY_CODE_HANDLER(CDN_FILEOK, _OnFileOK)
        NOTIFY_CODE_HANDLER(CDN_FOLDERCHANGE, _OnFolderChange)
        NOTIFY_CODE_HANDLER(CDN_INITDONE, _OnInitDone)
        NOTIFY_CODE_HANDLER(CDN_SELCHANGE, _OnSelChange)
        NOTIFY_CODE_HANDLER(CDN_TYPECHANGE, _OnTypeChange)
    END_MSG_MAP()

    LRESULT _OnFileOK(int, LPNMHDR pnmh, BOOL&)
    {
        return !static_cast<T*>(this)->OnFileOK((LPOFNOTIFYA)pnmh);
    }
    LRESULT _OnFolderChange(int, LPNMHDR pnmh, BOOL&)
    {
        static_cast<T*>(this)->OnFolderChange((LPOFNOTIFYA)pnmh);
        return 0;
    }
    LRESULT _OnInitDone(int, LPNMHDR pnmh, BOOL&)
    {
        static_cast<T*>(this)->OnInitDone((LPOFNOTIFYA)pnmh);
        return 0;
    }
    LRESULT _OnSelChange(int, LPNMHDR pnmh, BOOL&)
    {
        static_cast<T*>(this)->OnSelChange((LPOFNOTIFYA)pnmh);
        return 0;
    }
    LRESULT _OnTypeChange(int, LPNMHDR pnmh, BOOL&)
    {
        static_cast<T*>(this)->OnTypeChange((LPOFNOTIFYA)pnmh);
        return 0;
    }

    BOOL OnFileOK(LPOFNOTIFYA) { return TRUE; }
    void OnFolderChange(LPOFNOTIFYA) {}
    void OnInitDone(LPOFNOTIFYA) {}
    void OnSelChange(LPOFNOTIFYA) {}
    void OnTypeChange(LPOFNOTIFYA) {}
};

class CFileDialog : public CFileDialogImpl<CFileDialog>
{
public:
    CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = NULL, LPCSTR lpszFileName = NULL,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = NULL,
                HWND hWndParent = NULL)
        : CFileDialogImpl<CFileDialog>(bOpenFileDialog, lpszDefExt, lpszFileName, dwFlags, lpszFilter,
                                       hWndParent)
    {}
};

// ---------------------------------------------------------------------------------------------------------
// Folder browser over SHBrowseForFolder; the chosen folder is m_szFolderPath.

class CFolderDialog
{
public:
    BROWSEINFOA m_bi;
    char m_szFolderDisplayName[MAX_PATH];
    char m_szFolderPath[MAX_PATH];
    // Selected when the dialog opens; empty for the system's choice.
    CString m_strInitialFolder;
    HWND m_hWnd = NULL;

    CFolderDialog(HWND hWndParent = NULL, LPCSTR lpstrTitle = NULL,
                  UINT uFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE);

    // IDOK, or IDCANCEL when cancelled or the choice is not a file-system folder.
    INT_PTR DoModal(HWND hWndParent = ::GetActiveWindow());
    void SetInitialFolder(LPCSTR lpstrInitialFolder) { m_strInitialFolder = lpstrInitialFolder; }
    LPCSTR GetFolderPath() const { return m_szFolderPath; }

private:
    static int CALLBACK BrowseCallbackProc(HWND hWnd, UINT uMsg, LPARAM lParam, LPARAM lpData);
};

// ---------------------------------------------------------------------------------------------------------
// Property sheets. A page answers the sheet's notifications through members a derived page may hide:
// OnSetActive (0, or -1 to skip the page), OnKillActive (FALSE lets the user leave), OnApply
// (PSNRET_NOERROR), OnReset, OnQueryCancel (FALSE lets the sheet close), OnWizardBack and OnWizardNext
// (0, -1 to stay, or a dialog id to go to), OnWizardFinish (FALSE lets the wizard finish), OnHelp.

class CPropertySheetWindow : public ATL::CWindow
{
public:
    CPropertySheetWindow(HWND hWnd = NULL) : ATL::CWindow(hWnd) {}

    int GetPageCount() const
    {
        HWND hWndTab = (HWND)SendMessage(PSM_GETTABCONTROL);
        return (int)::SendMessageA(hWndTab, TCM_GETITEMCOUNT, 0, 0);
    }
    HWND GetActivePage() const { return (HWND)SendMessage(PSM_GETCURRENTPAGEHWND); }
    int GetActiveIndex() const { return (int)SendMessage(PSM_HWNDTOINDEX, (WPARAM)GetActivePage()); }
    BOOL SetActivePage(int nPageIndex) { return (BOOL)SendMessage(PSM_SETCURSEL, nPageIndex); }
    void SetTitle(LPCSTR lpszText, UINT nStyle = 0) { SendMessage(PSM_SETTITLEA, nStyle, (LPARAM)lpszText); }
    HWND GetTabControl() const { return (HWND)SendMessage(PSM_GETTABCONTROL); }
    void SetFinishText(LPCSTR lpszText) { SendMessage(PSM_SETFINISHTEXTA, 0, (LPARAM)lpszText); }
    void SetWizardButtons(DWORD dwFlags) { SendMessage(PSM_SETWIZBUTTONS, 0, dwFlags); }
    void PressButton(int nButton) { SendMessage(PSM_PRESSBUTTON, nButton); }
    BOOL IsDialogMessage(LPMSG lpMsg) { return (BOOL)SendMessage(PSM_ISDIALOGMESSAGE, 0, (LPARAM)lpMsg); }
};

template <class T, class TBase = CPropertySheetWindow>
class CPropertySheetImpl : public ATL::CWindowImplBaseT<TBase>
{
public:
    PROPSHEETHEADERA m_psh;
    ATL::CSimpleArray<HPROPSHEETPAGE> m_arrPages;

    CPropertySheetImpl(ATL::_U_STRINGorID title = (LPCSTR)NULL, UINT uStartPage = 0, HWND hWndParent = NULL)
    {
        ::ZeroMemory(&m_psh, sizeof(m_psh));
        m_psh.dwSize = sizeof(m_psh);
        m_psh.dwFlags = PSH_USECALLBACK;
        m_psh.hInstance = ATL::AtlGetResourceInstance();
        m_psh.pszCaption = title.m_lpstr;
        m_psh.nStartPage = uStartPage;
        m_psh.hwndParent = hWndParent;
        m_psh.pfnCallback = T::PropSheetCallback;
    }
    ~CPropertySheetImpl()
    {
        // Pages never handed to a sheet are still ours.
        for (int i = 0; i < m_arrPages.GetSize(); i++)
            ::DestroyPropertySheetPage(m_arrPages[i]);
    }

    static int CALLBACK PropSheetCallback(HWND hWnd, UINT uMsg, LPARAM)
    {
        if (uMsg == PSCB_INITIALIZED)
        {
            T* pT = static_cast<T*>((ATL::CWindowImplRoot<TBase>*)ATL::AtlTakeCreatingWindow());
            if (pT != NULL)
            {
                pT->SubclassWindow(hWnd);
                pT->m_arrPages.RemoveAll();
                pT->OnSheetInitialized();
            }
        }
        return 0;
    }
    void OnSheetInitialized() {}

    // The sheet's result: a positive value after OK or Finish, 0 after Cancel, -1 on failure.
    INT_PTR DoModal(HWND hWndParent = ::GetActiveWindow())
    {
        m_psh.dwFlags &= ~PSH_MODELESS;
        if (m_psh.hwndParent == NULL)
            m_psh.hwndParent = hWndParent;
        m_psh.phpage = m_arrPages.GetData();
        m_psh.nPages = m_arrPages.GetSize();
        ATL::AtlSetCreatingWindow(static_cast<ATL::CWindowImplRoot<TBase>*>(this));
        INT_PTR nRet = ::PropertySheetA(&m_psh);
        ATL::AtlTakeCreatingWindow();
        // The sheet destroyed the pages it was given, whether it got to show them or not.
        m_arrPages.RemoveAll();
        return nRet;
    }
    HWND Create(HWND hWndParent = NULL)
    {
        m_psh.dwFlags |= PSH_MODELESS;
        if (m_psh.hwndParent == NULL)
            m_psh.hwndParent = hWndParent;
        m_psh.phpage = m_arrPages.GetData();
        m_psh.nPages = m_arrPages.GetSize();
        ATL::AtlSetCreatingWindow(static_cast<ATL::CWindowImplRoot<TBase>*>(this));
        HWND hWnd = (HWND)::PropertySheetA(&m_psh);
        ATL::AtlTakeCreatingWindow();
        m_arrPages.RemoveAll();
        return hWnd;
    }

    BOOL AddPage(HPROPSHEETPAGE hPage)
    {
        if (hPage == NULL)
            return FALSE;
        if (this->m_hWnd != NULL)
            return (BOOL)this->SendMessage(PSM_ADDPAGE, 0, (LPARAM)hPage);
        return m_arrPages.Add(hPage);
    }
    BOOL AddPage(LPCPROPSHEETPAGEA pPage) { return AddPage(::CreatePropertySheetPageA(pPage)); }

    void SetTitle(LPCSTR lpszText, UINT nStyle = 0)
    {
        if (this->m_hWnd == NULL)
        {
            m_psh.pszCaption = lpszText;
            m_psh.dwFlags = (m_psh.dwFlags & ~PSH_PROPTITLE) | (nStyle & PSH_PROPTITLE);
        }
        else
            TBase::SetTitle(lpszText, nStyle);
    }
    void SetWizardMode() { m_psh.dwFlags |= PSH_WIZARD; }
    // Wizard97 style with the bitmap drawn on the first and last pages.
    void SetWatermark(ATL::_U_STRINGorID watermark)
    {
        m_psh.dwFlags |= PSH_WIZARD97 | PSH_WATERMARK;
        m_psh.pszbmWatermark = watermark.m_lpstr;
    }
    void SetHeader(ATL::_U_STRINGorID header)
    {
        m_psh.dwFlags |= PSH_WIZARD97 | PSH_HEADER;
        m_psh.pszbmHeader = header.m_lpstr;
    }
    void SetActivePage(int nPageIndex)
    {
        if (this->m_hWnd == NULL)
            m_psh.nStartPage = nPageIndex;
        else
            TBase::SetActivePage(nPageIndex);
    }

    BEGIN_MSG_MAP(CPropertySheetImpl)
    END_MSG_MAP()
};

class CPropertySheet : public CPropertySheetImpl<CPropertySheet>
{
public:
    CPropertySheet(ATL::_U_STRINGorID title = (LPCSTR)NULL, UINT uStartPage = 0, HWND hWndParent = NULL)
        : CPropertySheetImpl<CPropertySheet>(title, uStartPage, hWndParent)
    {}
};

class CPropertyPageWindow : public ATL::CWindow
{
public:
    CPropertyPageWindow(HWND hWnd = NULL) : ATL::CWindow(hWnd) {}
    CPropertySheetWindow GetPropertySheet() const { return CPropertySheetWindow(GetParent()); }
    void SetModified(BOOL bChanged = TRUE)
    {
        ::SendMessageA(GetParent(), bChanged ? PSM_CHANGED : PSM_UNCHANGED, (WPARAM)m_hWnd, 0);
    }
    void SetWizardButtons(DWORD dwFlags) { GetPropertySheet().SetWizardButtons(dwFlags); }
};

template <class T, class TBase = CPropertyPageWindow>
class CPropertyPageImpl : public ATL::CDialogImplBaseT<TBase>
{
public:
    PROPSHEETPAGEA m_psp;

    CPropertyPageImpl(ATL::_U_STRINGorID title = (LPCSTR)NULL)
    {
        ::ZeroMemory(&m_psp, sizeof(m_psp));
        m_psp.dwSize = sizeof(m_psp);
        m_psp.dwFlags = PSP_USECALLBACK;
        m_psp.hInstance = ATL::AtlGetResourceInstance();
        m_psp.pszTemplate = MAKEINTRESOURCEA(T::IDD);
        m_psp.pfnDlgProc = T::StartDialogProc;
        m_psp.pfnCallback = T::PropPageCallback;
        m_psp.lParam = (LPARAM) static_cast<ATL::CWindowImplRoot<TBase>*>(this);
        if (title.m_lpstr != NULL)
        {
            m_psp.pszTitle = title.m_lpstr;
            m_psp.dwFlags |= PSP_USETITLE;
        }
    }

    operator PROPSHEETPAGEA*() { return &m_psp; }
    HPROPSHEETPAGE Create() { return ::CreatePropertySheetPageA(&m_psp); }
    void SetTitle(ATL::_U_STRINGorID title)
    {
        m_psp.pszTitle = title.m_lpstr;
        m_psp.dwFlags |= PSP_USETITLE;
    }

    // The page's dialog is created right after this; its first message finds the object.
    static UINT CALLBACK PropPageCallback(HWND, UINT uMsg, LPPROPSHEETPAGEA ppsp)
    {
        if (uMsg == PSPCB_CREATE)
            ATL::AtlSetCreatingWindow((void*)ppsp->lParam);
        return 1;
    }

    BEGIN_MSG_MAP(CPropertyPageImpl)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
    END_MSG_MAP()

    LRESULT OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
    {
        NMHDR* pNMHDR = (NMHDR*)lParam;
        // Only the sheet's notifications; the page's own controls notify it too.
        if (pNMHDR->hwndFrom != this->m_hWnd && pNMHDR->hwndFrom != ::GetParent(this->m_hWnd))
        {
            bHandled = FALSE;
            return 1;
        }
        T* pT = static_cast<T*>(this);
        switch (pNMHDR->code)
        {
        case PSN_SETACTIVE:
            return pT->OnSetActive();
        case PSN_KILLACTIVE:
            return pT->OnKillActive();
        case PSN_APPLY:
            return pT->OnApply();
        case PSN_RESET:
            pT->OnReset();
            return 0;
        case PSN_QUERYCANCEL:
            return pT->OnQueryCancel();
        case PSN_WIZBACK:
            return pT->OnWizardBack();
        case PSN_WIZNEXT:
            return pT->OnWizardNext();
        case PSN_WIZFINISH:
            return pT->OnWizardFinish();
        case PSN_HELP:
            pT->OnHelp();
            return 0;
        default:
            bHandled = FALSE;
            return 0;
        }
    }

    int OnSetActive() { return 0; }
    BOOL OnKillActive() { return FALSE; }
    int OnApply() { return PSNRET_NOERROR; }
    void OnReset() {}
    BOOL OnQueryCancel() { return FALSE; }
    int OnWizardBack() { return 0; }
    int OnWizardNext() { return 0; }
    INT_PTR OnWizardFinish() { return FALSE; }
    void OnHelp() {}
};

template <WORD t_wDlgTemplateID>
class CPropertyPage : public CPropertyPageImpl<CPropertyPage<t_wDlgTemplateID>>
{
public:
    enum
    {
        IDD = t_wDlgTemplateID
    };
    CPropertyPage(ATL::_U_STRINGorID title = (LPCSTR)NULL)
        : CPropertyPageImpl<CPropertyPage<t_wDlgTemplateID>>(title)
    {}
};

} // namespace WTL

#ifndef _WTL_NO_AUTOMATIC_NAMESPACE
using namespace WTL;
#endif
