// Stand-in of the address book's contact creation until the address book exists: the one call the message
// list makes.
#pragma once

#include <windows.h>

#include "store/EmailsImpl.h"

// Creates a contact of the sender of the table's current message: the display text split into first name
// and surname at its last blank, the address as its e-mail, in the central database of the owner frame.
void AddNewContact(HWND hWndOwner, CEmailsImpl<>& table);
