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

// Message content: the Outlook Express import and the plain-text spell check
#define IDC_OE_MESSAGE_NUMBER 253
#define IDS_SPELL_CHECK_COMPLETE 299
#define IDS_SPELL_ERROR 300
#define IDS_OE_SUBJECT_TOO_LONG 311
#define IDS_OE_SELECT_LOCATION 312
#define IDS_OE_IMPORT_COMPLETED 313
#define IDS_OE_SUBJECT 314
#define IDS_OE_FOLDER 315
#define IDS_OE_MESSAGE 316
#define IDD_IMPORT_OE 316
#define IDS_OE_COPIED 317
#define IDC_OE_STORE_FOLDER 318
#define IDS_OE_SENDER_TOO_LONG 320
#define IDC_OE_COPIED 321
#define IDC_OE_FOLDER 322
#define IDC_OE_EXPORT 323
#define IDS_OE_COPIED_SKIPPED 326
#define IDC_OE_BROWSE 1114
#define IDC_OE_SUBJECT 1128

// Application core
#define IDB_LETROVA 101
#define IDR_LETROVA 102
#define IDS_PROJNAME 128
#define IDB_SPLASH 316
#define IDS_CLOSE_ALL_WINDOWS 322
#define IDS_SPLASH_TEXT 499
