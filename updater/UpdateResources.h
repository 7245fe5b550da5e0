// Resource identifiers of OrbUpdate.dll and the loader of its strings.
#pragma once

#define IDR_COUPDATE 101
#define IDR_COUPDATE2 102
#define IDS_UPDATE_OPEN_FAILED 101
#define IDS_UPDATE_NEW_VERSION 102
#define IDS_UPDATE_NEWEST 103
#define IDS_UPDATE_COLUMN_VERSION 104
#define IDS_UPDATE_COLUMN_DETAILS 107
#define IDS_UPDATE_CHOOSE_VERSION 108
#define IDS_UPDATE_CONNECTING 109
#define IDS_UPDATE_DOWNLOAD_SIZE 110
#define IDS_UPDATE_EXTRACTING 111
#define IDS_UPDATE_RESTART 112
#define IDS_UPDATE_DOWNLOADED 113
#define IDS_UPDATE_HOURS 114
#define IDS_UPDATE_MINUTES 115
#define IDS_UPDATE_SECONDS 116
#define IDS_UPDATE_RATE 117
#define IDS_UPDATE_LISTING 119
#define IDS_UPDATE_SUCCESS 121
#define IDS_UPDATE_NAME 123
#define IDS_UPDATE_ABOUT_VERSION 227
#define IDS_UPDATE_ABOUT_RELEASE 228

#define IDD_UPDATE_PROGRESS 106
#define IDD_UPDATE 201
#define IDD_UPDATE_ABOUT 204
#define IDD_UPDATE_DOWNLOAD 206
#define IDI_UPDATE 123
#define IDR_UPDATE_ANIMATION 203

#define IDC_UPDATE_URL 325
#define IDC_UPDATE_ANIMATION 1099
#define IDC_UPDATE_PROGRESS 1097
#define IDC_UPDATE_STATUS 1100
#define IDC_UPDATE_ELAPSED 330
#define IDC_UPDATE_RATE 331
#define IDC_UPDATE_VERSIONS 1005
#define IDC_UPDATE_ABOUT 201
#define IDC_UPDATE_ABOUT_TEXT 227
#define IDC_UPDATE_CREDIT 325

// Posted by the download worker: ends the update or download dialog with the lParam as its result.
#define ID_END_DIALOG 0x8000

#ifndef RC_INVOKED
#include <windows.h>

#include <atlstr.h>

// The module whose resources the updater reads: OrbUpdate.dll, or a test program that carries them.
extern HINSTANCE g_hUpdateResources;
CString LoadUpdateString(UINT nId);
#endif
