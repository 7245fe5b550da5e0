// What every option page shares: the settings object and owner frame it works with, the pop-up help of its
// controls and the store step that the sheet's OK runs.
#pragma once

#include <stdlib.h>
#include <windows.h>

#include <atlapp.h>
#include <atldlgs.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Registry.h"
#include "ui/options/OptionsHelp.h"
#include "ui/options/OptionsTexts.h"

// The sheet's view of a page.
class CPageOptions
{
public:
    virtual ~CPageOptions() {}
    // Stores the page's values; false keeps the sheet open on this page. A page never shown succeeds.
    virtual bool Store() = 0;
    virtual HWND PageWindow() const = 0;

    // The control to focus after a refusal, 0 for none.
    int m_nIdFailed = 0;
};

template <class T>
class CPageOptionsImpl : public CPropertyPageImpl<T>, public CPageOptions
{
public:
    BEGIN_MSG_MAP(CPageOptionsImpl)
        CHAIN_MSG_MAP(CPropertyPageImpl<T>)
        CHAIN_MSG_MAP_MEMBER(m_help)
    END_MSG_MAP()

    CPageOptionsImpl(CRegistry* pRegistry, HWND hWndOwner, const COptionsHelpEntry* pHelp)
        : m_pRegistry(pRegistry), m_hWndOwner(hWndOwner), m_help(pHelp)
    {
    }

    bool Store() override
    {
        m_nIdFailed = 0;
        if (this->m_hWnd == NULL || !::IsWindow(this->m_hWnd))
            return true;
        return static_cast<T*>(this)->StoreValues();
    }
    HWND PageWindow() const override { return this->m_hWnd; }

protected:
    bool IsChecked(int nID) const { return ::IsDlgButtonChecked(this->m_hWnd, nID) == BST_CHECKED; }
    void Check(int nID, bool bChecked)
    {
        ::CheckDlgButton(this->m_hWnd, nID, bChecked ? BST_CHECKED : BST_UNCHECKED);
    }
    void Enable(int nID, bool bEnable) { ::EnableWindow(::GetDlgItem(this->m_hWnd, nID), bEnable); }
    CString ItemText(int nID) const
    {
        CString strText;
        HWND hWndItem = ::GetDlgItem(this->m_hWnd, nID);
        int nLength = ::GetWindowTextLengthA(hWndItem);
        if (nLength > 0)
        {
            ::GetWindowTextA(hWndItem, strText.GetBuffer(nLength + 1), nLength + 1);
            strText.ReleaseBuffer();
        }
        return strText;
    }

    // A whole number typed into an edit, refused unless it is digits alone and lies in nMin..nMax: a count
    // is checked before it is scaled, so that no product can wrap.
    bool ReadCount(int nID, UINT nMin, UINT nMax, UINT& nValue) const
    {
        CString strText = ItemText(nID);
        strText.Trim();
        if (strText.IsEmpty() || strText.GetLength() > 9)
            return false;
        for (int i = 0; i < strText.GetLength(); i++)
        {
            if (strText[i] < '0' || strText[i] > '9')
                return false;
        }
        nValue = (UINT)strtoul(strText, NULL, 10);
        return nValue >= nMin && nValue <= nMax;
    }

    // Shows the refusal over the page and names the control the sheet focuses.
    bool Refuse(int nIdControl, UINT nIdString)
    {
        AppMessageBoxId(nIdString, MB_ICONSTOP, this->m_hWnd);
        m_nIdFailed = nIdControl;
        return false;
    }

    // The settings object's copy and the stored value together: the main window reads the store itself.
    void StoreInt(const char* pszName, int& nMember, int nValue)
    {
        nMember = nValue;
        m_pRegistry->WriteProfileInt(OptionsSetting::kSection, pszName, nValue);
    }
    void StoreText(const char* pszName, CString& strMember, const CString& strValue)
    {
        strMember = strValue;
        m_pRegistry->WriteProfileString(OptionsSetting::kSection, pszName, strValue);
    }

    // Sends a "Get" message to the owner; NULL when it does not answer.
    template <class TObject>
    TObject* FromOwner(UINT uMsg, LPARAM lParam = 0) const
    {
        TObject* pObject = NULL;
        if (m_hWndOwner != NULL)
            ::SendMessageA(m_hWndOwner, uMsg, (WPARAM)&pObject, lParam);
        return pObject;
    }

    // The open-file dialog of the Browse buttons: its choice replaces the text of the location edit.
    void BrowseForDatabase(int nIdEdit, const char* pszFilter, UINT nIdTitle)
    {
        char szFile[MAX_PATH] = "";
        CString strCurrent = ItemText(nIdEdit);
        lstrcpynA(szFile, strCurrent, sizeof(szFile));
        CString strTitle = AtlLoadString(nIdTitle);
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = this->m_hWnd;
        ofn.lpstrFilter = pszFilter;
        ofn.lpstrFile = szFile;
        ofn.nMaxFile = sizeof(szFile);
        ofn.lpstrTitle = strTitle;
        ofn.lpstrDefExt = OptionsText::kDatabaseExtension;
        ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
        if (::GetOpenFileNameA(&ofn))
            ::SetDlgItemTextA(this->m_hWnd, nIdEdit, szFile);
    }

    CRegistry* m_pRegistry;
    HWND m_hWndOwner;
    COptionsHelp m_help;
};
