// Header readings of message insertion: dates in the forms mail programs write, priority, Message-ID.
#include "store/MessageInsertion.h"

#include <stdlib.h>

#include "foundation/RegExp.h"
#include "store/MessageStoreTexts.h"

namespace
{
struct CDatePattern
{
    const char* m_pszPattern;
    bool m_bIgnoreCase;
    int m_nGroups;
};

// The forms in the order they are tried. A trailing group takes what follows the minutes, so it may be
// empty ("10:20" has no seconds); the AM/PM group accepts either case.
const CDatePattern kDatePatterns[] = {
    {"[^,]*, +([^ 0123456789]+) +([0123456789]+), +([0123456789][0123456789][0123456789][0123456789]) "
     "+([0123456789]+):([0123456789]+):([0123456789]*) *(.*)",
     true, 7},
    {"^[^0123456789]*([0123456789]+) +([^ 0123456789]+) +([0123456789][0123456789][0123456789][0123456789]) "
     "+([0123456789]+):([0123456789]+)(.*)",
     false, 6},
    {"([0123456789]+)/([0123456789]+)/([0123456789][0123456789][0123456789][0123456789]) "
     "+([0123456789]+):([0123456789]+):([0123456789]+) +([PAMpam]+).*",
     true, 7},
    {"^[^ 0123456789]* +([^ 0123456789]+) +([0123456789]+) +([0123456789]+):([0123456789]+):([0123456789]+) "
     "*([0123456789][0123456789][0123456789][0123456789])(.*)",
     false, 7},
    {"^[^0123456789]*([0123456789]+) +([^ 0123456789]+) +([0123456789][0123456789]) +([0123456789]+):"
     "([0123456789]+)(.*)",
     false, 6},
};

WORD Number(CRegExp& re, int nGroup)
{
    return (WORD)atoi(re.GetSubString(nGroup));
}

// The seconds of a remainder ":30 +0300"; 0 when it has none.
WORD SecondsOf(const CString& strRest)
{
    CRegExp re(":([0123456789]+).*");
    return re.Match(strRest) && re.SubStrings() == 1 ? Number(re, 1) : 0;
}

// 12-hour clock: 12 AM is hour 0, 12 PM stays 12, other PM hours gain 12.
WORD To24Hour(WORD wHour, const CString& strMarker)
{
    CString strWord = strMarker;
    strWord.Trim();
    int nBlank = strWord.FindOneOf(" \t");
    if (nBlank >= 0)
        strWord = strWord.Left(nBlank);
    if (strWord.CompareNoCase("PM") == 0)
        return wHour < 12 ? wHour + 12 : wHour;
    if (strWord.CompareNoCase("AM") == 0 && wHour == 12)
        return 0;
    return wHour;
}
} // namespace

int MonthFromName(const char* pszText)
{
    static const char* const kNames[][2] = {{"JAN", "JANUARY"}, {"FEB", "FEBRUARY"}, {"MAR", "MARCH"},
                                            {"APR", "APRIL"},   {"MAY", "MAY"},      {"JUN", "JUNE"},
                                            {"JUL", "JULY"},    {"AUG", "AUGUST"},   {"SEP", "SEPTEMBER"},
                                            {"OCT", "OCTOBER"}, {"NOV", "NOVEMBER"}, {"DEC", "DECEMBER"}};
    CString strUpper(pszText);
    strUpper.MakeUpper();
    for (int i = 0; i < 12; i++)
    {
        if (strUpper == kNames[i][0] || strUpper == kNames[i][1])
            return i + 1;
    }
    return 0;
}

bool IsValidSystemTime(const SYSTEMTIME& time)
{
    return time.wMonth >= 1 && time.wMonth <= 12 && time.wDay >= 1 && time.wDay <= 31 && time.wHour < 24 &&
           time.wMinute < 60 && time.wSecond < 60;
}

bool ParseMessageDate(const CString& strDate, SYSTEMTIME& time)
{
    for (int nPattern = 0; nPattern < 5; nPattern++)
    {
        const CDatePattern& pattern = kDatePatterns[nPattern];
        CRegExp re(pattern.m_pszPattern, pattern.m_bIgnoreCase);
        if (!re.Match(strDate) || re.SubStrings() != pattern.m_nGroups)
            continue;
        SYSTEMTIME parsed = {};
        switch (nPattern)
        {
        case 0:
            parsed.wMonth = (WORD)MonthFromName(re.GetSubString(1));
            parsed.wDay = Number(re, 2);
            parsed.wYear = Number(re, 3);
            parsed.wHour = To24Hour(Number(re, 4), re.GetSubString(7));
            parsed.wMinute = Number(re, 5);
            parsed.wSecond = Number(re, 6);
            break;
        case 1:
        case 4:
            parsed.wDay = Number(re, 1);
            parsed.wMonth = (WORD)MonthFromName(re.GetSubString(2));
            parsed.wYear = Number(re, 3);
            parsed.wHour = Number(re, 4);
            parsed.wMinute = Number(re, 5);
            parsed.wSecond = SecondsOf(re.GetSubString(6));
            break;
        case 2:
            parsed.wMonth = Number(re, 1);
            parsed.wDay = Number(re, 2);
            parsed.wYear = Number(re, 3);
            parsed.wHour = To24Hour(Number(re, 4), re.GetSubString(7));
            parsed.wMinute = Number(re, 5);
            parsed.wSecond = Number(re, 6);
            break;
        case 3:
            parsed.wMonth = (WORD)MonthFromName(re.GetSubString(1));
            parsed.wDay = Number(re, 2);
            parsed.wHour = Number(re, 3);
            parsed.wMinute = Number(re, 4);
            parsed.wSecond = Number(re, 5);
            parsed.wYear = Number(re, 6);
            break;
        }
        time = parsed;
        return true;
    }
    return false;
}

LONG PriorityFlags(const CString& strPriority)
{
    if (strPriority.IsEmpty())
        return 0;
    CRegExp re("^ *([0123456789]*) *");
    if (!re.Match(strPriority) || re.SubStrings() != 1)
        return 0;
    int n = atoi(re.GetSubString(1));
    return n < 3 ? 0x10 : n > 3 ? 0x20 : 0;
}

CString MakeGeneratedMessageID()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    CString strID;
    strID.Format(MessageStoreText::kGeneratedMessageID, now.wMonth, now.wDay, now.wYear, now.wHour,
                 now.wMinute, now.wSecond, now.wMilliseconds, now.wMilliseconds + 1234);
    return strID;
}

CString StripMessageIDBrackets(const CString& strMessageID)
{
    CRegExp re("^<(.*)>");
    if (re.Match(strMessageID) && re.SubStrings() == 1)
        return re.GetSubString(1);
    return strMessageID;
}
