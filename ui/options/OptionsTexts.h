// The option pages' settings names and the texts they show that are not string resources.
#pragma once

namespace OptionsSetting
{
const char kSection[] = "Options";
const char kStartInInbox[] = "When starting, go directly to my 'Inbox' folder";
const char kCheckNew[] = "Check New Messages";
const char kCheckNewTimeOut[] = "Check New Messages TimeOut";
const char kUpdateWhenStarting[] = "Internet Update When Starting";
const char kUpdateUrl[] = "Internet Update URL";
const char kPrivateContacts[] = "Private Contacts";
const char kConnectToOrb[] = "Connect to Vorn Vedura";
const char kNotLogToOrb[] = "Not log to Vorn Vedura";
const char kOnlyWithEmail[] = "Only display users with an email address";
const char kSeparateAccounts[] = "Accounts";
const char kMarkRead[] = "Mark Message Read After Displaying For";
const char kMarkReadTimeOut[] = "Mark Message Read After Displaying For TimeOut";
const char kOrderByDate[] = "Mark Order By Date";
const char kSendIndividual[] = "Send Individual";
const char kHtmlSendFontName[] = "HTML Send Font Name";
const char kHtmlSendFontSize[] = "HTML Send Font Size";
const char kCheckSpelling[] = "Check Spelling Before Send";
} // namespace OptionsSetting

namespace OptionsText
{
const char kDatabaseFilter[] = "Vorn Email database Files (*.mdb)\0*.mdb\0All Files (*.*)\0*.*\0";
const char kAccountsFilter[] = "Accounts database Files (*.mdb)\0*.mdb\0All Files (*.*)\0*.*\0";
const char kDatabaseExtension[] = "mdb";
const char kUpdateOptionsFailed[] = "ERROR: Update of the Options table failed!";
const char kInsertSignaturesFailed[] = "ERROR: Insert Signatures table failed!";
const char kUpdateSignaturesFailed[] = "ERROR: Update of the Signatures table failed!";
const char kUpdateNamesFailed[] = "ERROR: Update Names table failed!";
const char kSignaturesInitFailed[] = "CPageOptionsSignatures::OnInitDialog. Unhandled exception!!!\r\n";
const char kComposeFailed[] = "CPageOptionsCompose\r\nUnhandled exception!!!\r\n";
const char kRebootText[] = "FATAL ERROR. Reboot your OS please.";
const char kSelectOptionsRow[] = "SELECT UserID, DefaultAccountID, Flags FROM Options WHERE UserID = 1";
const char kUpdateOptionsFlags[] = "UPDATE Options SET Flags = %ld WHERE UserID = 1";
} // namespace OptionsText
