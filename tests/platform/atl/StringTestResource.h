// Resource ids of the string-table fixtures of the CString tests.
#pragma once

#define IDS_TEST_SHORT 101
#define IDS_TEST_LONG 102
#define IDS_TEST_MISSING 103
#define IDS_TEST_MISSING_BLOCK 200
