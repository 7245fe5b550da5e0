// Resource ids shared by the .rc files of OrbMail; each subsystem appends its own block.
#pragma once

// Foundation services
#define IDD_EXCEPTION 110
#define IDD_EMAIL_ME 115
#define IDC_EXCEPTION_TEXT 1001
#define IDC_EMAIL_ME 1002
#define IDC_EMAIL_ME_TEXT 1003
#define IDC_EMAIL_ME_FILE 1004
#define IDS_CREATE_ATTACHED_FILE_FAILED 204
#define IDS_FILE_EXISTS_REPLACE 205
#define IDS_EMAIL_ME_REPORT 241

// Message content
#define IDS_MESSAGE_VIEW_PROBLEM 298
#define IDS_INVALID_ADDRESS 308

// Application core
#define IDB_LETROVA 101
#define IDR_LETROVA 102
#define IDS_PROJNAME 128
#define IDB_SPLASH 316
#define IDS_CLOSE_ALL_WINDOWS 322
#define IDS_SPLASH_TEXT 499
