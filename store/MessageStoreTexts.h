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
const char kUnreadUpdateFailed[] = "ERROR: Update of the nUnread field of the Foldres table failed!";
const char kCountFailed[] = "ERROR: Count of the folder's messages failed!";
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
const char kMessageNotFoundText[] = "ERROR: Message is not found";
const char kTooMuchMessages[] = "ERROR: Too much messages";
const char kReadMessageFailed[] = "ERROR: Reading of the message failed.\r\nEmailID = %ld.";

// Address
const char kAddressTooLong[] =
    "ERROR: Insert Address table failed!\r\nThe %s length too long. Maximum address length is %d";
const char kInsertAddressFailed[] = "ERROR: Insert Address table failed!";

// Message insertion
const char kUniqueIDTooLarge[] = "Insert Emails table failed! UniqueID length too large.";
const char kInsertEmailsFailed[] = "ERROR: Insert Emails table failed!";
const char kSubjectTooLong[] =
    "Subject of the message:\r\n\r\n%s\r\n\r\nis very long.\r\rTruncate to:\r\n\r\n%s";
const char kGeneratedMessageID[] = "<%d-%d-%d-%d-%d-%d-%d-%d@Letrova>";
const char kSavedMessageName[] = "Message.eml";

// Received-message parser
const char kInsertMessageError[] = "CEmailsImpl::InsertMessage error.";
const char kInsertMessageFailed[] = "Insert message failed !";
const char kNoContentDisposition[] = "ERROR: No Content-Disposition for Content-Type: ";
const char kContentDispositionIs[] = "ERROR: Content-Disposition: ";
const char kNoAttachmentFileName[] = "ERROR: Content-Disposition failed. No file name of the attachment.";

// Attachments
const char kAttachmentNameTooLong[] =
    "ERROR: Name of attached file too long. Maximum file name length is 255.";
const char kInsertAttachmentsFailed[] = "ERROR: Insert Attachments table failed!";

// Operations on a stored message
const char kUpdateBodyFailed[] = "ERROR: Update message body of the Emails table failed!";
const char kUpdateNoBodyFailed[] = "ERROR: Update NoBody flag of the Emails table failed!";
const char kUpdateFlagsFailed[] = "ERROR: Update flags failed!";
const char kUpdateSubjectFailed[] = "ERROR: Update subject failed!";
const char kMoveFailed[] = "ERROR: Moving a message to another folder failed!";
const char kDeleteMessageFailed[] = "ERROR: Delete Message failed!";
const char kSaveMessageAs[] = "Save Message As";
} // namespace MessageStoreText
