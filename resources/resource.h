// Resource ids shared by the .rc files of OrbMail; each subsystem appends its own block.
#pragma once

// Foundation services
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

// Error report by e-mail
#define IDD_EXCEPTION 110
#define IDD_EMAIL_ME 115
#define IDD_SENDING 117
#define IDS_MESSAGE_SOURCE 224
#define IDS_SUPPORT_MAILBOX 242
#define IDS_TYPE_YOUR_COMMENT 245
#define IDC_EMAIL_ME_SERVER 247
#define IDC_EMAIL_ME_FROM 248
#define IDC_EMAIL_ME_ATTACH 259
#define IDC_EMAIL_ME_VIEW 260
#define IDS_ERROR_REPORT_SUBJECT 269
#define IDS_TYPE_CORRECT_ADDRESS 272
#define IDS_BODY_TOO_LONG 318
#define IDC_EXCEPTION_TEXT 1015
#define IDC_SENDING_PROGRESS 1097
#define IDC_EMAIL_ME_TO 1118
#define IDC_EMAIL_ME_SUBJECT 1122
#define IDC_EMAIL_ME_BODY 1124
