// The HTML Settings dialog of the Send page: the font name and HTML size of messages sent as HTML.
#pragma once

#include <windows.h>

#include <atlapp.h>
#include <atlwin.h>

#include "resources/resource.h"

class CRegistry;

class CDlgHtmlSettings : public CDialogImpl<CDlgHtmlSettings>
{
public:
    enum
    {
        IDD = IDD_HTML_SETTINGS
    };

    BEGIN_MSG_MAP(CDlgHtmlSettings)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    explicit CDlgHtmlSettings(CRegistry* pRegistry) : m_pRegistry(pRegistry) {}

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(WORD, WORD wID, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD wID, HWND, BOOL&);

private:
    static int CALLBACK AddFontFamily(const LOGFONTA* pLogFont, const TEXTMETRICA*, DWORD, LPARAM lParam);

    CRegistry* m_pRegistry;
};
