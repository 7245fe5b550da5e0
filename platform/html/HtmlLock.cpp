// The one lock around every call into the HTML and CSS libraries.
#include "platform/html/HtmlLock.h"

namespace html
{
std::mutex& LibraryLock()
{
    static std::mutex s_lock;
    return s_lock;
}
}
