// The texts of the message rules windows, as the user sees them.
#pragma once

namespace RuleWindowText
{
const char kPageUnhandled[] = "Unhandled exception!!!\r\nCPageMessageRulesMail";
const char kModifyUnhandled[] = "Unhandled exception!!!\r\nCPageMessageRulesMail::ModifyRule()";
const char kNewUnhandled[] = "Unhandled exception!!!\r\nCPageMessageRulesMail::OnClickedBtn_new";
const char kEditorUnhandled[] = "Unhandled exception!!!\r\nCDlgRuleEditor";
const char kNewMailRule[] = "New Mail Rule";                                   // 357
const char kEditMailRule[] = "Edit Mail Rule";                                 // 368
const char kDuplicateRuleName[] = "Duplicate of the rule name.";              // 362
const char kLastRule[] = "The last rule";                                      // 366
const char kFirstRule[] = "The first rule";                                    // 367
const char kNoCriteria[] = "You must select at least one criteria from the list to create a rule."; // 369
const char kNoAction[] = "You must select at least one action from the list to create a rule.";     // 389
const char kValueTooLong[] = "Name of the people too long. Maximum %d character is allowed.";        // 370
const char kCopy[] = "Copy";                                                   // 391
const char kRuleAddresses[] = "Rule Addresses";                                // 412
const char kMessageRules[] = "Message Rules";                                  // 361

// The items of the editor's lists, in their order, with their Types.
const char kFromItem[] = "Where the From line contains people";
const char kToItem[] = "Where the To line contains people";
const char kCcItem[] = "Where the Cc line contains people";
const char kSubjectItem[] = "Where the Subject line contains specific words";
const char kBodyItem[] = "Where the message body contains specific words";
const char kMoveItem[] = "Move it to the specified folder";
const char kCopyItem[] = "Copy it to the specified folder";
const char kDeleteItem[] = "Delete it";
const char kForwardItem[] = "Forward it to people";

// Headings of the value lists: contains / does not contain.
const char kFromContains[] = "Where the From line contains";                  // 372
const char kFromNotContains[] = "Where the From line does not contain";       // 373
const char kSubjectContains[] = "Where the Subject line contains";            // 381
const char kSubjectNotContains[] = "Where the Subject line does not contain"; // 382
const char kToContains[] = "Where the To line contains";                      // 395
const char kToNotContains[] = "Where the To line does not contain";           // 396
const char kBodyContains[] = "Where the message body line contains";          // 398
const char kBodyNotContains[] = "Where the message body does not contain";    // 397
const char kCcContains[] = "Where the Cc line contains";                      // 410
const char kCcNotContains[] = "Where the Cc line does not contain";           // 409

// Context help.
const char kHelpNew[] = "Click to create a new rule for incoming messages.";                          // 439
const char kHelpModify[] = "Click to make changes to the selected rule.";                             // 440
const char kHelpCopy[] = "Click to create a copy of the selected rule.";                              // 441
const char kHelpRemove[] = "Click to remove the selected rule.";                                      // 442
const char kHelpUp[] = "Click to move the selected rule up in the list. Rules are processed in the order in "
                       "which they appear in the list.";                                              // 437
const char kHelpDown[] = "Click to move the selected rule down in the list. Rules are processed in the order in "
                         "which they appear in the list.";                                            // 438
const char kHelpDescription[] = "Shows the current contents of your rule. Click any underlined areas to change "
                                "that part of the rule.";                                             // 443
const char kHelpConditions[] =
    "Select one or more check boxes to set up criteria that will be applied to incoming messages. For example, if "
    "you want this rule to apply to messages from a certain person, select the 'Where the From line contain "
    "people' check box.";                                                                             // 444
const char kHelpActions[] =
    "Select one or more check boxes to determine how to handle messages that meet the conditions you set. For "
    "example, if you want this rule to move messages to a certain folder, select the 'Move it to the specified "
    "folder' check box.";                                                                             // 445
const char kHelpEditorDescription[] =
    "Click the underlined areas in the Rule Description box to fill in specific information on the rule "
    "conditions. For example, to identify the senders this rule applies to, click the words 'contains people'."; // 446
const char kHelpName[] = "Type a descriptive name for your rule to help you remember its contents.";   // 447
} // namespace RuleWindowText

// Commands between the rules windows and their description panes.
const WORD ID_STATE_CHANGED = 32056;
const WORD ID_ACTIONS_STATE_CHANGED = 33057;
const WORD ID_HTML_LINK_REQUESTED = 33053;
const WORD ID_GET_HTML_TEXT = 33056;
