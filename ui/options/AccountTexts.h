// Fixed texts of the accounts dialogs that the string tables do not carry.
#pragma once

#include <windows.h>

namespace AccountText
{
const char kUnderConstruction[] = "Under construction:(";
const char kNoAccountsTable[] = "FATAL ERROR. Open Accounts table failed. No session.";
const char kDeleteAccountFailed[] =
    "ERROR: Delete an Accounts table item failed!\r\nAccountID = %ld\r\nAccount Name - '%s'";
// A port or a day count that the columns would wrap or cut is refused with its range.
const char kPortOutOfRange[] = "Please enter a port number between 0 and 65535.";
const char kDaysOutOfRange[] = "Please enter a number of days between 1 and 100.";
const char kServerTypeNames[2][5] = {"POP3", "IMAP"};
} // namespace AccountText

// Commands between the account pages and their sheet.
const WORD ID_SET_TITLE = 32795;
