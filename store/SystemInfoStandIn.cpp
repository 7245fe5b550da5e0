// Stand-in for the system information text while the content library does not provide it.
#include "store/SystemInfoLink.h"

#ifdef ORB_STORE_SYSTEM_INFO_STAND_IN
CString SystemInfoText()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&info);
#pragma GCC diagnostic pop
    CString strText;
    strText.Format("Windows %lu.%lu build %lu", info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber);
    return strText;
}
#endif
