// Resource ids of the dialog-services test dialog.
#pragma once

#define IDD_FIELD_CHECK 900
#define IDC_NAME_LABEL 901
#define IDC_NAME 902
#define IDC_COMPANY_LABEL 903
#define IDC_COMPANY 904
#define IDC_INDIVIDUAL 905
