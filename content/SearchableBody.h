// The text a body search looks in: what a reader of the message sees of its body, decoded in memory.
#pragma once

#include <atlstr.h>

#include "content/MimePart.h"

// The HTML part's body without tags, else the plain text part, else the message's own decoded body. Searched
// in memory, so that searches on other threads never share a working file.
CString SearchableBody(const CMimePart& message);
