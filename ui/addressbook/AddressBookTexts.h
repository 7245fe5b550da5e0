// The address book's own texts, verbatim, in one place.
#pragma once

namespace AddressBookText
{
const char kInsertSiteFailed[] = "ERROR: Insert Site table failed!";
const char kInsertNamesFailed[] = "ERROR: Insert Names table failed!";
const char kUpdateNamesFailed[] = "ERROR: Update Names table failed!";
const char kUpdateSiteFailed[] = "ERROR: Update Site table failed!";
const char kDeleteSiteFailed[] = "ERROR: Delete Site table failed!";
const char kDeleteContactFailed[] = "ERROR: Delete contact failed!";
const char kStartTransactionFailed[] = "ERROR: Start transaction failed!";
const char kCommitFailed[] = "ERROR: Commit transaction failed!";
const char kSiteExists[] = "This site is already in your address book.\r\nCompany: %s\r\nPostcode: %s\r\n\r\n"
                           "Do you want to add new contact to existing site?"; // string 494
const char kContactExists[] = "This contact is already in your address book.\r\nE-mail: %s\r\nFirstname: %s\r\n"
                              "Surname: %s\r\n\r\nContinue?"; // string 342
const char kSenderEmailTooLong[] = "Email address of the sender too long.";   // string 339
const char kSenderFirstnameTooLong[] = "Firstname of the sender too long.";   // string 340
const char kSenderSurnameTooLong[] = "Surname of the sender too long.";       // string 341
const char kSheetFatal[] = "FATAL ERROR. Reboot your OS please.";
const char kWebAddressFail[] = "Web address fail.";                           // string 160
const char kDeleteSite[] = "Are you sure you want to permanently delete the selected site?"; // string 165
const char kDeleteContact[] = "Are you sure you want to permanently delete the selected contact?"; // string 162
const char kSelectContactFirst[] = "Select a contact first.";                 // string 208
const char kNoSelectedContacts[] = "No selected contacts";                    // string 462
const char kEnterSomething[] = "Please enter some information to look for."; // string 285
const char kNoMatches[] = "No matches found for ' %s '";                      // string 287
const char kSeveralMatches[] = "Several matches were found in your Address Book."; // string 288
const char kSelectWhom[] = "Please select whom you mean by ' %s '";           // string 289
const char kSendMail[] = "Send Mail";                                         // string 290
const char kHelpTopic[] = "::/Introducting the Address Book.htm";
const char kUnhandled[] = "Unhandled exception!!!\r\nCAddressBookViewImpl";
const char kUnhandledUpdate[] = "Unhandled exception!!!\r\nCAddressBookViewImpl::OnUpdate(...)";
const char kUnhandledPrint[] = "CAddressBookViewImpl::OnPrint()\r\nUnhandled exception!!!\r\n";
const char kUnhandledSummary[] = "CDlgVcardSummary. Unhandled exception!!!\r\n";
const char kPrintFile[] = "Print.htm";
const char kVcardFilter[] = "Business Card (vCard) Files (*.vcf)\0*.vcf\0";
const char kVcardDefaultExt[] = "*.vcf";
const char kVcardFileTitle[] = "Import Business Card (vCard)";                 // string 498
const char kSubclassFailure[] =
    "An attempt to subclass a list box failed because sufficient memory was not available."; // string 219
const char kInvalidFileName[] = "A filename is invalid.";                       // string 218
const char kBufferTooSmall[] = "Buffer for file names too small. Reduce count of selected files."; // string 211
const char kVcardImported[] = "%d %s\r\n%d records are imported.";             // string 501
const char kClose[] = "Close";                                                  // string 502
const char kColumnName[] = "Name";                                              // string 147
const char kColumnEmail[] = "E-Mail Address";                                   // string 148
const char kColumnCompany[] = "Company";                                        // string 137
const char kColumnPosition[] = "Position";                                      // string 151
const char kColumnDDI[] = "DDI";                                                // string 154
const char kColumnMobile[] = "Mobile";                                          // string 152
const char kUnhandledVcardList[] = "Unhandled exception!!!\r\nCDlgVcardList";
const char kUnhandledVcardListView[] = "Unhandled exception!!!\r\nCVcardListView";
} // namespace AddressBookText
