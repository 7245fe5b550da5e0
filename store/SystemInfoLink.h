// Where the store takes the system information text of its error reports from.
#pragma once

#include <atlstr.h>

#if !defined(ORB_CONTENT_PORTABLE_ONLY) && __has_include("content/SystemInfo.h")
#include "content/SystemInfo.h"
#else
#define ORB_STORE_SYSTEM_INFO_STAND_IN
// Stand-in until the content library's system information text is built (SystemInfoStandIn.cpp).
CString SystemInfoText();
#endif
