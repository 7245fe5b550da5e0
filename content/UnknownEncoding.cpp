// What to do with a body whose transfer encoding this program does not know.
#include "content/ContentTexts.h"

#ifndef ORB_CONTENT_PORTABLE_ONLY
#include "foundation/ErrorUtil.h"
#include "foundation/Exception.h"

CString ConfirmUnknownTransferEncoding(const CString& upperName, const CString& text)
{
    if (AppMessageBoxId(IDS_MESSAGE_VIEW_PROBLEM, MB_YESNO | MB_ICONQUESTION, NULL) == IDYES)
        return text;
    throw new CException(kUnknownTransferEncoding + upperName);
}
#else
// Without a user to ask, the body is shown as it came (RFC 2045 6.4).
CString ConfirmUnknownTransferEncoding(const CString&, const CString& text)
{
    return text;
}
#endif
