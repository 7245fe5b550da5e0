// Texts of the Simple MAPI exports and methods.
#pragma once

namespace MapiText
{
const char kComponentSuffix[] = " (OrbMail.dll)";
const char kOpenDatabaseFailed[] = "MAPIlogon error: Open Database failed!\r\n";
const char kCreateSessionFailed[] = "MAPIlogon error: Create session failed!\r\n";
const char kInvalidLogoff[] = "MAPIlogoff error: Invalid session!\r\n";
const char kInvalidSendMail[] = "MAPISendMail error: Invalid session!\r\n";
const char kInvalidFindNext[] = "MAPIFindNext error: Invalid session!\r\n";
const char kInvalidReadMail[] = "MAPIReadMail error: Invalid session!\r\n";
const char kInvalidAddress[] = "MAPIAddress error: Invalid session!\r\n";
const char kInvalidResolveName[] = "MAPIResolveName error: Invalid session!\r\n";
const char kInvalidDeleteMail[] = "MAPIDeleteMail error: Invalid session!\r\n";
const char kNoAccount[] = "ERROR: There is no account to send the message from!\r\n";
const char kAttachmentNotFound[] =
    "ERROR: The '%s' file could not be opened for attaching to the message!\r\n\r\n";
const char kNoRecipientPicker[] = "ERROR: The Select Recipients dialog is not available!\r\n";
} // namespace MapiText
