// The process-wide folder-count notice.
#include "store/MessageFlagsNotice.h"

CMessageFlagsNotice MessageFlagsNotice = {};
std::vector<LONG> ChangedMessageIDs;
