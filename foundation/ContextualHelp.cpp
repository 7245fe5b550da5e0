// Pop-up help for the controls of a dialog.
#include "foundation/ContextualHelp.h"

#include <htmlhelp.h>
// The foundation's own HtmlHelp loads the library itself; the SDK's name would point at an import.
#undef HtmlHelp
#include <string.h>

#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"
#include "foundation/ServiceString.h"
#include "foundation/Shell.h"
#include "foundation/Texts.h"

CContextualHelp::~CContextualHelp()
{
}

CString CContextualHelp::GetHelpText(int nIdControl)
{
    switch (nIdControl)
    {
    case IDOK:
        return LoadServiceString(FoundationText::kIdsHelpOk);
    case IDCANCEL:
        return LoadServiceString(FoundationText::kIdsHelpCancel);
    default:
        return LoadServiceString(FoundationText::kIdsHelpNone);
    }
}

BOOL CContextualHelp::OnHelp(const HELPINFO* pInfo)
{
    if (pInfo == NULL || pInfo->iContextType != HELPINFO_WINDOW)
        return FALSE;
    CString strText = GetHelpText(pInfo->iCtrlId);
    HH_POPUP popup;
    memset(&popup, 0, sizeof(popup));
    popup.cbStruct = sizeof(popup);
    popup.pszText = strText;
    popup.pt = pInfo->MousePos;
    popup.clrForeground = (COLORREF)-1;
    popup.clrBackground = (COLORREF)-1;
    SetRect(&popup.rcMargins, -1, -1, -1, -1);
    popup.pszFont = NULL;
    return HtmlHelp(NULL, NULL, HH_DISPLAY_TEXT_POPUP, (DWORD_PTR)&popup) != NULL;
}

LRESULT CContextualHelp::OnHelpMessage(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    try
    {
        return OnHelp((const HELPINFO*)lParam);
    }
    catch (CException* pException)
    {
        ShowCaughtException(pException);
    }
    catch (...)
    {
        ShowUnhandledException(FoundationText::kContextualHelpClass);
    }
    return FALSE;
}
