// Commands the contact lists take and send, and the Get-message contract with their owners.
#pragma once

#include <windows.h>

namespace AddressBookCmd
{
const WORD kNewContact = 32777;
const WORD kNewMessageToContact = 32782; // WM_USER to the manager: a new message to the contact
const WORD kAddressBook = 32781;
const WORD kUpdate = 32785;
const WORD kShowWindow = 32786;
const WORD kGetSiteId = 32787;
const WORD kProperties = 32790;
const WORD kDelete = 32792;
const WORD kUpdateCompanyList = 32794;
const WORD kNewMessageWithRecipient = 32803;
const WORD kSendMail = 32805;
const WORD kUpdate2 = 32922;
const WORD kPrint = 32923;
const WORD kCanDelete = 33028;
const WORD kUpdateAddressBook = 32053;
const WORD kExportVcard = 33076;
const WORD kImportVcard = 33077;
const WORD kHelpContents = 33080;
const WORD kFilePrint = 57607;
const WORD kAppExit = 57665;
const WORD kAppAbout = 57664;
} // namespace AddressBookCmd
