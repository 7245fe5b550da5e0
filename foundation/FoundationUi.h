// OrbMail's own pieces of the foundation: its caption, the error-report prompt and the start-up wiring.
#pragma once

#include <windows.h>

// The caption of every message box of OrbMail.
extern const char kVornEmailCaption[];

// At process attach, before any window exists: sets the caption, gives the trace header the system
// information text and routes exceptions caught in message maps to the application message box.
void InitFoundationUi();

// Asks whether to mail a report of the problem; on Yes shows the error-report dialog with the report (the
// problem and the system information) and the file (such as the trace file).
void ShowErrorReportPrompt(const char* pszProblem, const char* pszFile);

// The error-report dialog lives with the mail transport, which builds on the foundation: it is handed in
// at start-up. Returns the previous one; without one the prompt's Yes shows nothing.
typedef void (*ErrorReportDialog)(const char* pszReport, const char* pszFile);
ErrorReportDialog SetErrorReportDialog(ErrorReportDialog pfnDialog);
