// The texts of the message rules windows, as the user sees them.
#pragma once

namespace RuleWindowText
{
const char kPageUnhandled[] = "Unhandled exception!!!\r\nCPageMessageRulesMail";
const char kModifyUnhandled[] = "Unhandled exception!!!\r\nCPageMessageRulesMail::ModifyRule()";
const char kNewUnhandled[] = "Unhandled exception!!!\r\nCPageMessageRulesMail::OnClickedBtn_new";
const char kEditorUnhandled[] = "Unhandled exception!!!\r\nCDlgRuleEditor";

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

} // namespace RuleWindowText

// Commands between the rules windows and their description panes.
const WORD ID_STATE_CHANGED = 32056;
const WORD ID_ACTIONS_STATE_CHANGED = 33057;
const WORD ID_HTML_LINK_REQUESTED = 33053;
const WORD ID_GET_HTML_TEXT = 33056;
