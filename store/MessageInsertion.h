// Header readings of message insertion: the date, the priority and the Message-ID of a received text.
#pragma once

#include <windows.h>

#include <atlstr.h>

// 1-12 for an English month name or its three-letter form (any case, whole text only), else 0.
int MonthFromName(const char* pszText);
// Month, day, hour, minute and second in range; the year is not tested.
bool IsValidSystemTime(const SYSTEMTIME& time);
// Fills time from a Date header value in one of the forms mail programs write, RFC 5322's obsolete ones
// included (two-digit years as Python's email.utils reads them); the zone is ignored. False when no form
// matches: time is then left as it was.
bool ParseMessageDate(const CString& strDate, SYSTEMTIME& time);
// The Flags bits of an X-Priority value: 0x10 high (below 3), 0x20 low (above 3), 0 normal or absent.
LONG PriorityFlags(const CString& strPriority);
// "<month-day-year-hour-minute-second-ms-(ms+1234)@Letrova>" from the local time.
CString MakeGeneratedMessageID();
// The text between "<" and ">" when it is enclosed in them, else the text.
CString StripMessageIDBrackets(const CString& strMessageID);
