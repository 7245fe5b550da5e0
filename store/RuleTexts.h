// The texts of the message rules, as the user sees them.
#pragma once

namespace RuleText
{
const char kDuplicate[] = "Duplicate string.";                                       // 371
const char kIncomplete[] = "Some information is missing or incorrect.";              // 383
const char kValuesMissing[] = "The message rules values is missing or incomplete."; // 407
const char kNewRuleName[] = "New Mail Rule #%d";
const char kCopyOf[] = "Copy of ";
const char kInsertFailed1[] = "ERROR: Insert ";
const char kInsertFailed2[] = " table failed!";
const char kSaveFailed[] = "The message rules were not saved; the stored rules are kept.";

// The description page of a rule; the two %d of a link are the pane server's port and the link number.
#define RULE_LINK "<A href=\"http://localhost:%d/?%d\">"
const char kPageHead[] = "<HTML>\r\n <HEAD><META NAME=\"GENERATOR\" Content=\"Microsoft DHTML Editing Control\">\r\n"
                         "  <TITLE></TITLE>\r\n </HEAD>\r\n<body topmargin=\"0\" leftmargin=\"0\">\r\n"
                         "<FONT face=\"MS Sans Serif\"  size=1>\r\n  <P>\r\n"; // 363
const char kRuleOn[] = "Apply this rule after the message arrives";               // 364
const char kRuleOff[] = "This rule is currently turned off.";                      // 365
const char kPageFoot[] = "\r\n  </P>\r\n </BODY>\r\n</HTML>";                    // 356
const char kFromLine[] = "\r\n<DIV>" RULE_LINK "%s</A>Where the From line " RULE_LINK "%s</A>";      // 358
const char kToLine[] = "\r\n<DIV>" RULE_LINK "%s</A>Where the To line " RULE_LINK "%s</A>";          // 393
const char kCcLine[] = "\r\n<DIV>" RULE_LINK "%s</A>Where the Cc line " RULE_LINK "%s</A>";          // 408
const char kSubjectLine[] = "\r\n<DIV>" RULE_LINK "%s</A>Where the Subject line " RULE_LINK "%s</A>"; // 379
const char kBodyLine[] = "\r\n<DIV>" RULE_LINK "%s</A>Where the message body " RULE_LINK "%s</A>";   // 394
const char kMoveLine[] = "\r\n<DIV>%sMove it to the " RULE_LINK "%s</A> folder";                    // 386
const char kCopyLine[] = "\r\n<DIV>%sCopy it to the " RULE_LINK "%s</A> folder";                    // 387
const char kDeleteLine[] = "\r\n<DIV>%sDelete it";                                                   // 401
const char kForwardLine[] = "\r\n<DIV>%sForward it to " RULE_LINK "%s</A>";                          // 402
#undef RULE_LINK
const char kAnd[] = "and";                           // 374
const char kOr[] = "or";                             // 375
const char kContainsPeople[] = "contains people";    // 376
const char kContainsWords[] = "contains specific words"; // 380
const char kPeople[] = "people";                     // 403
const char kSpecified[] = "specified";               // 388
const char kBlank[] = " ";                           // 404
const char kContains[] = "contains";                 // 377
const char kNotContains[] = "does not contain";      // 378
const char kFolderRemoved[] = "ERROR: The folder was removed"; // 390
} // namespace RuleText

// The Message Rules command (Tools, Message Rules, Mail...).
const WORD ID_TOOLS_MESSAGE_RULES = 32055;
