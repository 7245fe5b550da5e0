// Gives the foundation's error-report prompt the dialog that sends the report by e-mail.
#include "transport/ErrorReport.h"

#include "foundation/FoundationUi.h"
#include "transport/DlgEmailMe.h"

namespace
{

void ShowEmailMeDialog(const char* pszReport, const char* pszFile)
{
    CDlgEmailMe dlg(pszReport, pszFile, NULL);
    dlg.DoModal(::GetActiveWindow());
}

} // namespace

void InitErrorReport()
{
    SetErrorReportDialog(ShowEmailMeDialog);
}
