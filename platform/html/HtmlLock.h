// The one lock around every call into the HTML and CSS libraries.
#pragma once

#include <mutex>

namespace html
{
// libwapcaplet's intern table is process-wide and unlocked, so parsing and style selection anywhere in the
// process hold this lock; layout and painting run on our own structures without it.
std::mutex& LibraryLock();
}
