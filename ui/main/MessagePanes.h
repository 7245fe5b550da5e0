// The panes the message dialog hosts: the body view (also the To line's view) and the attachment list.
#pragma once

#include "ui/compose/AttachmentList.h"
#include "ui/compose/CtrlMessageBody.h"
