// The "HTML Format" clipboard text: building it around a fragment and taking the fragment out of it.
#pragma once

#include <string>

namespace htmledit
{
// The full text, its offsets counted from the bytes written; the fragment is UTF-8.
std::string BuildHtmlFormat(const std::string& fragmentUtf8);

// The fragment between StartFragment and EndFragment (or StartHTML and EndHTML). Offsets past the data
// are clamped to it; false when there are none or they are out of order.
bool ExtractHtmlFragment(const std::string& data, std::string& fragmentUtf8);
}
