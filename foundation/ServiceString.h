// The string resources of the dialog services, with their built-in texts where no string table has them.
#pragma once

#include <atlstr.h>

CString LoadServiceString(unsigned nId);
