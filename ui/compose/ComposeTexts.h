// Exact texts of the compose window's data side: set-up, signatures, sending and the editor's commands.
#pragma once

namespace ComposeText
{
// Signatures
const char kSignaturesTable[] = "Signatures";
const char kCreateSignatures[] =
    "CREATE TABLE Signatures(ID COUNTER CONSTRAINT PK_AttachmentsID PRIMARY KEY, SignatureText LONGBINARY)";
const char kSignaturesSelect[] = " \tSELECT * FROM Signatures";
const char kSignaturesNoSession[] = "FATAL ERROR. Open Signatures table failed. No session.";
const char kSignaturesOpenFailed[] = "FATAL ERROR. Open Signatures table failed!\r\n\r\n";
const char kHtmlClipboardFormat[] = "HTML Format";
const char kRegisterClipboardFailed[] =
    "CDlgNewMessage::OnInsertSignature()\r\n::RegisterClipboardFormat(...) failed!";
const char kHtmlClipboardText[] =
    "Version:1.0\r\nStartHTML:000000172\r\nEndHTML:%09d\r\nStartFragment:000000302\r\nEndFragment:%09d\r\n"
    "StartSelection:000000302\r\nEndSelection:%09d\r\nSourceURL:dhtmled1:\r\n<!DOCTYPE HTML PUBLIC "
    "\"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n\r\n<HTML><HEAD><TITLE></TITLE></HEAD>\r\n\r\n<BODY><!--"
    "StartFragment-->%s<!--EndFragment--></BODY>\r\n</HTML>";

// The DHTML Edit control's failures
const char kDhtmlUnexpected[] = "DHTML Edit control error:\r\nControl is in an unexpected state. This error can "
                                "occur if this method is invoked prior to the DocumentComplete event occurring. ";
const char kDhtmlBadCommand[] = "DHTML Edit control error:\r\nThe command passed in cmdID is not a valid command. ";
const char kDhtmlInvalidArg[] =
    "DHTML Edit control error:\r\nInvalid argument (invalid parameter, missing parameter, or incorrect type) ";
const char kDhtmlUnknown[] = "DHTML Edit control error:\r\nUnknown error code.";

// Set-up
const char kErrorReportSubject[] = "Vorn Email error report.";                                    // string 269
const char kErrorReportBody[] = "Type your comment here:\r\n\r\n\r\n";                            // string 245
const char kProblemReportBody[] =
    "Type your comment here:\r\n\r\n\r\n%s\r\n\r\n%s\r\n\r\nMessage source:\r\n\r\n"; // string 244
const char kOriginalMessage[] = "\r\n----- Original Message -----";
const char kGetContactFailed[] = "ERROR: Get Contact failed!\r\nEmail ID: %ld";
const char kNewMessageFile[] = "\\NewMessage.htm";
const char kAttachProblem[] = "Problem of attaching of file.\r\n%s"; // string 327

// Sending
const char kNoRecipients[] =
    "The message could not be sent.\r\n\r\nYou must spesify some recipients for the message."; // string 214
const char kFieldTooLarge[] = "Field\n%s\ntoo large. Maximum char count: %d";                 // string 159
const char kNoSubject[] = "This message has no subject. Select OK to send anyway.";          // string 213
const char kInlineImageEmpty[] = "Size of the '%s' file is zero and could not be send.";      // string 267
const char kAttachmentEmpty[] = "Size of the '%s' file is zero and could not be attached to the message. Would "
                                "you like to send the message anyway?"; // string 220
const char kInvalidAccount[] = "Invalid Account";
const char kSubjectLabel[] = "Subject:";
} // namespace ComposeText
