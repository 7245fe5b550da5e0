// Texts of the send-and-receive run that are not in the string table, kept verbatim in one place.
#pragma once

namespace ProgressText
{
const char kNoSession[] = "FATAL ERROR. Send/receive messages failed. No session.";
const char kAccountsSelect[] = " \tSELECT \t\tID, \t\tDisplayName, \t\tEmailAddress, \t\tPOP3, \t\tSMTP, \t\tAccountName, "
                               "Pass, Flags, RemoveAfter , IncomingServerType, Delimiter, SMTPAccountName, SMTPPass, "
                               "SMTPPort, IncomingPort, PassCrypto FROM Accounts";
const char kAccountsWhere[] = " WHERE ID = ?";
const char kTraceSendReceive[] = "\nSend and receive emails.\n";
const char kTraceConstructor[] = "\r\nCDlgProgress()";
const char kTraceDestructor[] = "\r\n~CDlgProgress()";

// Send worker
const char kTraceSmtpServer[] = "\nSMTP server: %s\n";
const char kSentFailed[] = "Sent a message failed.";
const char kMoveToSentFailed[] = "ERROR: Moving a message to Sent Items folder failed!";
const char kCorruptCc[] =
    "ERROR: Your database is corrupt! Address field of the Address table where EmailID = %ld is empty.%s";
const char kCorruptBcc[] =
    "ERROR: Your database is corrupt! Address field of the Address table where EmailID = %ld is empty.";
const char kDeleteAddressFailed[] = "ERROR: Delete Address table failed!";
const char kUpdateAddressFlagsFailed[] = "ERROR: Update of the Flags field of the Address table failed!";
const char kSendUnhandled[] = "CDlgProgress::Send(...). Unhandled exception!!!\r\n";
const char kReceiveUnhandled[] = "CDlgProgress::Receive(...). Unhandled exception!!!\r\n";
const char kProtocolSmtp[] = "SMTP";
const char kProtocolPop3[] = "POP3";
const char kProtocolImap[] = "IMAP";

// Receive worker
const char kTracePop3[] = "\nPOP3 server: %s\nAccount Name: %s\nPassword: %s\n";
// Shown in place of the password in every trace and report.
const char kPasswordMask[] = "********";
const char kUpdateAccountsFailed[] = "ERROR: Update Accounts table failed!";
const char kMessageReport[] =
    "ERROR: %s\r\n\r\nPOP3 server: '%s'\r\nSMTP server: '%s'\r\nAccount: '%s'\r\nPassword: '%s'\r\nEmail address: "
    "%s\r\nPort: %d\r\nMessage number: %d.\r\n\r\nAttention!!! I can see your password! Remove your password if "
    "you want.\r\n\r\n%s";
const char kTraceUnusableId[] = "\r\nPOP3 message %d: unique identifier not used (%s): '%s'";
const char kIdEmpty[] = "empty";
const char kIdTooLong[] = "too long";
const char kIdControl[] = "control character";
const char kIdRepeated[] = "listed twice";
const char kIdNumberRepeated[] = "message number listed twice";
const char kStoreNotFlushed[] =
    "ERROR: The received messages could not be written to the disk; the server keeps them.";

// Settings
const char kOptionsSection[] = "Options";
const char kStartReceiveMessageNumber[] = "Start Receive Message Number";
const char kNotLogToCentral[] = "Not log to Vorn Vedura";

// History
const char kHistoryInsertFailed[] = "Itsert into Vorn Vedura History table failed!";
const char kHistoryPathTooLong[] = "\r\n\r\nThe message file name is ' %s '.\r\nThe message file name length is "
                                   "%d.\r\nMaximum file name length is %d";
const char kHistoryDriveType[] = "\r\n\r\nThe Vorn Vedura database path is %s.\r\nThe driver type of the Vorn Vedura "
                                 "location is %s\r\nOnly fixed or remote driver type is legal.";
const char kHistoryComputerName[] =
    "\r\n\r\nGetComputerName failed.\r\n%s\r\nMaximum computer name length is %d";
const char kHistoryInsertRowFailed[] = "ERROR: Insert History table failed!";
const char kLocationLocal[] = "Local";
const char kLocationRemote[] = "Remote";
const char kDriveUnknownType[] = "cannot be determined.";
const char kDriveNoRoot[] = "root directory does not exist.";
const char kDriveRemovable[] = "can be removed from the drive.";
const char kDriveCdRom[] = "a CD-ROM drive.";
const char kDriveRamDisk[] = "a RAM disk.";
const char kDriveOther[] = "unknown.";
const char kDirectionOut[] = "Out";
const char kDirectionIn[] = "In";
const char kHistoryType[] = "Email";
const char kEmailsFolder[] = "Emails\\";
} // namespace ProgressText
