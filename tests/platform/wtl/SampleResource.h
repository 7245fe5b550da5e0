// Resource ids of the sample frame and dialogs that the window-layer tests drive.
#pragma once

#define IDR_SAMPLEFRAME 128
#define IDD_SAMPLE_DIALOG 200
#define IDC_SAMPLE_NAME 1001

#define ID_SAMPLE_ENABLED 32801
#define ID_SAMPLE_DISABLED 32802
#define ID_SAMPLE_CHECKED 32803
#define ID_SAMPLE_POST 32804

#define IDD_SAMPLE_PAGE1 301
#define IDD_SAMPLE_PAGE2 302
#define IDD_SAMPLE_PAGE3 303
#define IDB_SAMPLE_WATERMARK 310
#define IDC_PAGE_TEXT 1010
