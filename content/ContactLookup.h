// The address book's look-up of a typed name, as registered with the recipient-list parser.
#pragma once

#include "content/AddressList.h"

// The registered look-up, or null while no address book has registered one.
FindContactsByNameProc GetFindContactsByNameProc();
