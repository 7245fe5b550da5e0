// The message rules as the receive worker applies them to each received message.
#include "transport/MessageRuleSet.h"

namespace
{
MessageRuleSetSource s_pfnSource = NULL;
}

MessageRuleSetSource SetMessageRuleSetSource(MessageRuleSetSource pfnSource)
{
    MessageRuleSetSource pfnPrevious = s_pfnSource;
    s_pfnSource = pfnSource;
    return pfnPrevious;
}

CMessageRuleSet* GetMessageRuleSet()
{
    return s_pfnSource != NULL ? s_pfnSource() : NULL;
}
