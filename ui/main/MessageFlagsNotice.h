// The folder-count notice lives with the store, whose move writes it.
#pragma once

#include "store/MessageFlagsNotice.h"
