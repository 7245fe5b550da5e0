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
} // namespace RuleText

// The Message Rules command (Tools, Message Rules, Mail...).
const WORD ID_TOOLS_MESSAGE_RULES = 32055;
