// OrbMail's own pieces of the foundation: its caption, the error-report prompt and the start-up wiring.
#include "foundation/FoundationUi.h"

#include <string.h>

#include <atlstr.h>
#include <atlwin.h>

#include "content/SystemInfo.h"
#include "foundation/ErrorUtil.h"
#include "foundation/TraceFile.h"
#include "resources/resource.h"

const char kVornEmailCaption[] = "Vorn Email";

namespace
{
ErrorReportDialog g_pfnErrorReportDialog = NULL;
}

ErrorReportDialog SetErrorReportDialog(ErrorReportDialog pfnDialog)
{
    ErrorReportDialog pfnPrevious = g_pfnErrorReportDialog;
    g_pfnErrorReportDialog = pfnDialog;
    return pfnPrevious;
}

void InitFoundationUi()
{
    strncpy(AppCaption, kVornEmailCaption, sizeof(AppCaption) - 1);
    AppCaption[sizeof(AppCaption) - 1] = '\0';
    SetTraceSystemInfoProvider(SystemInfoText);
    ATL::AtlSetMsgMapExceptionHook(ReportMsgMapException);
}

void ShowErrorReportPrompt(const char* pszProblem, const char* pszFile)
{
    CString strFormat, strQuestion;
    strFormat.LoadString(IDS_EMAIL_ME_REPORT);
    strQuestion.Format(strFormat, pszProblem ? pszProblem : "");
    if (AppMessageBox(strQuestion, MB_YESNO | MB_ICONSTOP, NULL) != IDYES)
        return;
    CString strReport = pszProblem ? pszProblem : "";
    strReport += "\r\n\r\n";
    strReport += SystemInfoText();
    if (g_pfnErrorReportDialog)
        g_pfnErrorReportDialog(strReport, pszFile);
}
