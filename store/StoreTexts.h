// The mail store's user-visible and diagnostic texts, verbatim, in one place.
#pragma once

namespace StoreText
{
// Database objects and opening
const char kJetProgID[] = "Microsoft.Jet.OLEDB.4.0";
const char kKindAccounts[] = "Accounts";
const char kKindLocal[] = "Local";
const char kKindOrb[] = "Vorn Vedura";
const char kAdmin[] = "Admin";
const char kMdacComponent[] = "MDAC";
const char kProviderQuestion[] =
    "FATAL ERROR. The %s Data Source is not installed on your system. Do you want "
    "to download and instal it from internet?"; // string 334
const char kEnumeratorFailed[] = "FATAL ERROR. Open the OLE DB Data Source list failed!";
const char kNotInstalled1[] = "FATAL ERROR. The ";
const char kNotInstalled2[] =
    " Data Source is not installed on your system.\r\nAvailable Data Sources:\r\n\r\n";
const char kNotInstalled3[] =
    "\r\n\r\nClose Vorn Email, install a Data Source and run Letrova again.\r\nYou can get MDAC_TYP.EXE "
    "installation program from MS Visual Studio 6.00 for installing of the ";
const char kOpenSessionFailed1[] = "FATAL ERROR. Open ";
const char kOpenSessionFailed2[] = " Database session failed!";
const char kOpenDatabaseFailed1[] = "FATAL ERROR: Open ";
const char kOpenDatabaseFailed2[] = " Database failed!";
const char kUnhandledOpen[] = "Unhandled exception!!!\r\nOpen database failed!";
const char kCanceledByUser[] = "Canceled by user.";
const char kPrivateContacts[] = "Private Contacts.";
const char kTraceOpen[] = "Open database. ";
const char kTraceClose[] = "Close database. ";
const char kNotValidFileName[] = "Not a valid file name.";
const char kLocalNotExists[] = "The local email database not exists. You can create new database or choice a "
                               "path to existing.";                  // string 230
const char kCreateBlankFailed[] = "Create blank database failed.";   // string 256
const char kOrbNotExists[] = "The Vorn Vedura database not exists."; // string 231
const char kOpenLocalTitle[] = "Open the Local Database";            // string 229
const char kCaption[] = "Vorn Email";                                // string 128
const char kMdbFilter[] = "Vorn Email database Files (*.mdb)";
const char kAllFilesFilter[] = "All Files (*.*)";
const char kBrowse[] = "&Browse...";
const char kShowConnectFailure[] = "&To display the message, if connection to database has failed.";
const char kPrivateContactsBox[] = "&Private Contacts";
const char kInfoText[] = "%s\nPassword: %s\nUser ID: %s\nData Source: %s\nProvider: %s\nProg ID: %s\n"; // 155
const char kInfoHeader[] = " database:\r\n\r\nData Source: ";
const char kTraceDtorLocal[] = "\r\n~CDatabaseLocal()";
const char kTraceDtorOrb[] = "\r\n~CDatabaseOrb()";
const char kTraceDtorMy[] = "\r\n~CDatabaseMy()";

// Settings values of the database file names
const char kOptionsSection[] = "Options";
const char kAccountsFileValue[] = "Accounts Database FileName";
const char kLocalFileValue[] = "Local Database File Name";
const char kOrbFileValue[] = "Vorn Vedura Database File Name";

// Table pattern
const char kNoSession[] = "FATAL ERROR. Open table failed. No session.";
const char kExecuteSqlFailed[] = "Execute SQL\r\n%s\r\nfailed.";           // string 166
const char kOpenColumnsFailed[] = "FATAL ERROR. Open columns failed.";
const char kTableInvalid1[] = "FATAL ERROR. The ";
const char kTableInvalid2[] = " table is invalid.";
const char kColumnCountInvalid[] = " Column count invalid";
const char kColumnNotFound1[] = " The ";
const char kColumnNotFound2[] = " column is not found.";
const char kNameMismatch[] = "\r\nColumn position: %d\r\nActual column name: %s\r\nRequired field name: %s";
const char kTypeMismatch[] = "\r\nColumn position: %d\r\nColumn name: %s\r\nActual column data type: "
                             "%d\r\nRequired column data type: %d";
const char kLengthMismatch[] = "\r\nColumn position: %d\r\nColumn name: %s\r\nActual column length: "
                               "%ld\r\nRequired column length: %ld";
const char kOpenTableFailed[] = "FATAL ERROR. Open table failed!\r\n\r\n";
const char kContinueQuestion[] = "Do you want to continue?"; // string 278
const char kSchemaNotSettled[] = " The schema check did not settle after %d rounds.";
const char kReconnectGaveUp[] = "\r\nThe database could not be reconnected after %d tries.";

// OLE DB error reporting
const char kNoInterface[] = "No interface to the object for which to get error records.";
const char kExceptionHeader[] = "OLEDB Exception:\r\n";
const char kRecordFormat[] =
    "\r\nSource: %s\r\nDescription: %s\r\nGUID: %s\r\nHelpContext: %ld\r\nHelpFile: %s";
const char kMaximumSize[] = "Database has reached maximum size.";
const char kFatalErrorPrefix[] = "FATAL ERROR: ";
const char kDumpHeader[] = "OLE DB Error Record dump for hr = 0x%x\r\n";
const char kNoErrorInformation[] = "No OLE DB Error Information found: hr = 0x%x\r\n";

// Options table
const char kOptionsNoSession[] = "FATAL ERROR. Open Options table failed. No session.";
const char kOptionsOpenFailed[] = "FATAL ERROR. Open Options table failed!\r\n\r\n";
const char kOptionsAlterFailed[] = "FATAL ERROR. Alter Options table failed.";

// Accounts table
const char kAccountsAlterFailed[] = "FATAL ERROR. Alter Accounts table failed.";
const char kOpenNamedTableFailed1[] = "FATAL ERROR. Open ";
const char kOpenNamedTableFailed2[] = " table failed!\r\n\r\n";
const char kInsertImapFolderFailed1[] = "FATAL ERROR: Insert ";
const char kInsertImapFolderFailed2[] = " IMAP folder failed!";
const char kInsertAccountFailed[] = "ERROR: Insert Accounts table failed!";
const char kInsertOptionsFailed[] = "ERROR: Insert into Options table failed!";
const char kSetDefaultAccountFailed[] = "ERROR: Set default account failed!";
const char kUpdateAccountsFailed[] = "ERROR: Update Accounts table failed!";
const char kRebootFatalText[] = "FATAL ERROR. Reboot your OS please.";
const char kNoPasswordPermission[] = "Account: %s <%s>\r\n\r\nYou do not have a permission for access to "
                                     "account's password."; // string 454
const char kDefaultAccountMissing[] = "ERROR: The default account does not exist.";
const char kOfferImapList[] = "There are not any folders to show for this account. Would you like to view a "
                              "list of available folders now?"; // string 347

// Compaction
const char kCompactFailed[] = "Compact database failed.\r\n";
const char kCompactFail[] = "An error occurred during compaction.";
const char kCompactObjectOpen[] = "The database cannot be opened exclusively.";
const char kCompactPermission[] = "User does not have sufficient rights to compact the database.";
const char kCompactDuplicate[] = "A destination database with the same name already exists.";
const char kCompactInvalidArg[] =
    "cPropertySets was not equal to zero and rgPropertySets was a null pointer. In an element of "
    "rgPropertySets, cProperties was not zero and rgProperties was a null pointer.";
const char kCompactErrorsOccurred[] =
    "One or more properties were not set. Properties not in error remain set. The consumer checks dwStatus "
    "in "
    "the DBPROP structures to determine which properties were not set. Please refer to "
    "IDBProperties::SetProperties for the complete description of this return code.";
const char kReplaceFailed[] = "The compacted copy could not replace the database: ";
} // namespace StoreText
