// Exact texts of the Folders, Emails, Address and Attachments tables and of the message store.
#pragma once

namespace MessageStoreText
{
const char kNoSessionAddress[] = "FATAL ERROR. Open Address table failed. No session.";
const char kNoSessionAttachments[] = "FATAL ERROR. Open Attachments table failed. No session.";

// Folders
const char kFoldersOpenFailed[] = "FATAL ERROR. Open Folders table failed!\r\n\r\n";
const char kTooMachFolders[] = "FATAL ERROR: Too mach folders.";
const char kUnknownFolderType[] = "FATAL ERROR: Unknown folder type.";
const char kInsertFolderFailed[] = "FATAL ERROR: Insert %s folder failed!";
const char kChangeMessagesNumberFailed[] = "ERROR: Change of the folder's nMessagesNumber failed!";
const char kLocalFolders[] = "Local Folders";
const char kInbox[] = "Inbox";
const char kOutbox[] = "Outbox";
const char kSentItems[] = "Sent Items";
const char kDeletedItems[] = "Deleted Items";
const char kDrafts[] = "Drafts";
const char kCompany[] = "Company";
const char kAllEmails[] = "All Emails";

// Emails
const char kAlterEmailsFailed[] = "FATAL ERROR. Alter Emails table failed.";
const char kMessageNotFound[] = "ERROR: Message is not found.\r\nEmailID = %ld.";
const char kReadMessageFailed[] = "ERROR: Reading of the message failed.\r\nEmailID = %ld.";

// Attachments
const char kAttachmentNameTooLong[] =
    "ERROR: Name of attached file too long. Maximum file name length is 255.";
const char kInsertAttachmentsFailed[] = "ERROR: Insert Attachments table failed!";
} // namespace MessageStoreText
