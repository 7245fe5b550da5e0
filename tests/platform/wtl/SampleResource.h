// Resource ids of the sample frame and dialogs that the window-layer tests drive.
#pragma once

#define IDR_SAMPLEFRAME 128
#define IDD_SAMPLE_DIALOG 200
#define IDC_SAMPLE_NAME 1001

#define ID_SAMPLE_ENABLED 32801
#define ID_SAMPLE_DISABLED 32802
#define ID_SAMPLE_CHECKED 32803
#define ID_SAMPLE_POST 32804
