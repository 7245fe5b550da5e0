// The texts of the message rules, as the user sees them; most are in the string table.
#pragma once

#include <windows.h>

#include <atlstr.h>

#include "resources/resource.h"

// The rules' texts in the string table (resources/options.rc).
enum RuleStringId : UINT
{
    IDS_RULE_PAGE_FOOT = 356,
    IDS_RULE_NEW_TITLE = 357,
    IDS_RULE_FROM_LINE = 358,
    IDS_RULE_DUPLICATE_NAME = 362,
    IDS_RULE_PAGE_HEAD = 363,
    IDS_RULE_ON = 364,
    IDS_RULE_OFF = 365,
    IDS_RULE_LAST = 366,
    IDS_RULE_FIRST = 367,
    IDS_RULE_EDIT_TITLE = 368,
    IDS_RULE_NO_CRITERIA = 369,
    IDS_RULE_VALUE_TOO_LONG = 370,
    IDS_RULE_DUPLICATE_STRING = 371,
    IDS_RULE_FROM_CONTAINS = 372,
    IDS_RULE_FROM_NOT_CONTAINS = 373,
    IDS_RULE_AND = 374,
    IDS_RULE_OR = 375,
    IDS_RULE_CONTAINS_PEOPLE = 376,
    IDS_RULE_CONTAINS = 377,
    IDS_RULE_NOT_CONTAINS = 378,
    IDS_RULE_SUBJECT_LINE = 379,
    IDS_RULE_CONTAINS_WORDS = 380,
    IDS_RULE_SUBJECT_CONTAINS = 381,
    IDS_RULE_SUBJECT_NOT_CONTAINS = 382,
    IDS_RULE_INCOMPLETE = 383,
    IDS_RULE_MOVE_LINE = 386,
    IDS_RULE_COPY_LINE = 387,
    IDS_RULE_SPECIFIED = 388,
    IDS_RULE_NO_ACTION = 389,
    IDS_RULE_FOLDER_REMOVED = 390,
    IDS_RULE_COPY_CAPTION = 391,
    IDS_RULE_TO_LINE = 393,
    IDS_RULE_BODY_LINE = 394,
    IDS_RULE_TO_CONTAINS = 395,
    IDS_RULE_TO_NOT_CONTAINS = 396,
    IDS_RULE_BODY_NOT_CONTAINS = 397,
    IDS_RULE_BODY_CONTAINS = 398,
    IDS_RULE_DELETE_LINE = 401,
    IDS_RULE_FORWARD_LINE = 402,
    IDS_RULE_PEOPLE = 403,
    IDS_RULE_BLANK = 404,
    IDS_RULE_VALUES_MISSING = 407,
    IDS_RULE_CC_LINE = 408,
    IDS_RULE_CC_NOT_CONTAINS = 409,
    IDS_RULE_CC_CONTAINS = 410,
    IDS_RULE_ADDRESSES = 412,
    IDS_HELP_RULE_UP = 437,
    IDS_HELP_RULE_DOWN = 438,
    IDS_HELP_RULE_NEW = 439,
    IDS_HELP_RULE_MODIFY = 440,
    IDS_HELP_RULE_COPY = 441,
    IDS_HELP_RULE_REMOVE = 442,
    IDS_HELP_RULE_DESCRIPTION = 443,
    IDS_HELP_RULE_CONDITIONS = 444,
    IDS_HELP_RULE_ACTIONS = 445,
    IDS_HELP_RULE_EDITOR_DESCRIPTION = 446,
    IDS_HELP_RULE_NAME = 447,
};

namespace RuleText
{
const char kNewRuleName[] = "New Mail Rule #%d";
const char kCopyOf[] = "Copy of ";
const char kInsertFailed1[] = "ERROR: Insert ";
const char kInsertFailed2[] = " table failed!";
const char kSaveFailed[] = "The message rules were not saved; the stored rules are kept.";
} // namespace RuleText

// A text of the string table; the worker thread and the windows share the module's resources.
inline CString RuleString(UINT nId)
{
    CString strText;
    strText.LoadString(nId);
    return strText;
}

// The Message Rules command (Tools, Message Rules, Mail...).
const WORD ID_TOOLS_MESSAGE_RULES = 32055;
