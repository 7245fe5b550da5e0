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

namespace ComposeText
{
// The compose window
const char kTabEdit[] = "Edit";       // string 344
const char kTabSource[] = "Source";   // string 323
const char kTabPreview[] = "Preview"; // string 324
const char kDefaultTitle[] = "New Message";
const char kSaveChanges[] = "Do you want to save changes to this message?";
const char kSavedInDrafts[] = "The message has been saved in your 'Drafts' folder.";
const char kGoToEditTab[] = "Go to Edit tab before.";
const char kStillEditingSource[] = "You are still editing the source of this message. You need to go back to the "
                                   "Edit tab before you can send."; // string 325
const char kSpellHalted[] =
    "The spell check on this document was halted. Do you want to send anyway?"; // string 103
const char kSpellingMissing[] = "ERROR: %s Do you want to download and instal it from internet?";
const char kSpellingComponent[] = "SPELLING/";
const char kHighPriority[] = "This message is High Priority";
const char kLowPriority[] = "This message is Low Priority";
const char kNormalPriority[] = "This message is Normal Priority";
const char kRichEditMissing[] = "Fatal error:\nFailed RICHED32.DLL load";
const char kStringNotFound[] = "String is not found.";
const char kDialogCrashed[] = "BEGIN_MSG_MAP(CDlgNewMessage)\r\nUnhandled exception!!!\r\n";
const char kInitCrashed[] = "CDlgNewMessage::OnInitDialog(...). Unhandled exception!!!";
const char kAttachTitle[] = "Insert Attachment"; // string 209
const char kAttachButton[] = "&Attach";          // string 210
const char kAttachFilter[] = "All Files (*.*)";
const char kSubclassFailed[] =
    "An attempt to subclass a list box failed because sufficient memory was not available.";
const char kInvalidFileName[] = "A filename is invalid.";
const char kBufferTooSmall[] = "Buffer for file names too small. Reduce count of selected files.";
const char kDhtmlMissing[] = "ERROR: The DHTML Editing Component is not installed in your system. Do you want to "
                             "download and instal it from internet?";
const char kCloseAndRetry[] = "Close the New Message window and try again.";
const char kCardsTitle[] = "Business cards";
const char kCardsButton[] = "&Add";
const char kCardsPrompt[] = "Select a contact(s) for attaching to new message.";
const char kUnableToOpenCard[] = "Unable to open  business card";
// The update server's name of the HTML editor component.
const char kDhtmlComponent[] = "DHTML";
const char kHelpTopic[] = "::/Send an e-mail message.htm";
const char kMacroFirstname[] = "%recipient_firstname%";
const char kMacroName[] = "%recipient_name%";
const char kMacroSurname[] = "%recipient_surname%";
const char kMacroTitle[] = "%recipient_title%";
const char kMacroInitials[] = "%recipient_initials%";
const char kMacroFamiliar[] = "%recipient_familiar%";
const char kToHtmlWarning[] = "Warning: By changing the formatting of this message from HTML to plain text, you "
                              "will lose any current formatting in the message.\r\n\r\nSelect OK to continue.\r\n\r\n";
const char kBlockFormatUnexpected[] =
    "HTML edit control is in an unexpected state. This error can occur if this method is invoked prior to the "
    "DocumentComplete event occurring.\r\nPossible you use a localized version of the OS. Use non localized "
    "(English) version please.";
} // namespace ComposeText
