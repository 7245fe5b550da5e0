// Header readings of message insertion: dates in the forms mail programs write, priority, Message-ID.
#include "store/MessageInsertion.h"

#include <ctype.h>
#include <stdlib.h>

#include <string>
#include <vector>

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
// A two-digit year as Python's email.utils reads it: 69-99 are 1969-1999, 00-68 are 2000-2068.
WORD FullYear(WORD wYear)
{
    return wYear >= 100 ? wYear : wYear > 68 ? wYear + 1900 : wYear + 2000;
}

bool EndsWith(const std::string& s, char c)
{
    return !s.empty() && s.back() == c;
}

std::vector<std::string> Split(const std::string& s, char cSeparator)
{
    std::vector<std::string> pieces;
    size_t nStart = 0;
    for (size_t i = s.find(cSeparator); i != std::string::npos; i = s.find(cSeparator, nStart))
    {
        pieces.push_back(s.substr(nStart, i - nStart));
        nStart = i + 1;
    }
    pieces.push_back(s.substr(nStart));
    return pieces;
}

bool ToNumber(const std::string& s, int nMax, int& n)
{
    if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos)
        return false;
    n = atoi(s.c_str());
    return n <= nMax;
}

// RFC 5322 4.3's obsolete forms, read token by token as Python's email.utils reads them: the day name
// optional, the day and the month name in either order, an RFC 850 "26-Aug-2005", a two-digit year, the
// time before or after the year, seconds optional, and a missing or unknown zone (the zone is ignored).
bool ParseObsoleteDate(const CString& strDate, SYSTEMTIME& time)
{
    std::vector<std::string> data;
    const std::string text((const char*)strDate, strDate.GetLength());
    for (size_t i = 0; i < text.size();)
    {
        size_t nStart = text.find_first_not_of(" \t\r\n\v\f", i);
        if (nStart == std::string::npos)
            break;
        size_t nEnd = text.find_first_of(" \t\r\n\v\f", nStart);
        if (nEnd == std::string::npos)
            nEnd = text.size();
        data.push_back(text.substr(nStart, nEnd - nStart));
        i = nEnd;
    }
    if (data.empty())
        return false;
    static const char* const kDays[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
    bool bDayName = EndsWith(data[0], ',');
    for (const char* pszDay : kDays)
        bDayName = bDayName || CString(data[0].c_str()).CompareNoCase(pszDay) == 0;
    if (bDayName)
        data.erase(data.begin());
    else if (data[0].rfind(',') != std::string::npos)
        data[0] = data[0].substr(data[0].rfind(',') + 1);
    if (data.size() == 3)
    {
        std::vector<std::string> pieces = Split(data[0], '-');
        if (pieces.size() == 3)
        {
            pieces.insert(pieces.end(), data.begin() + 1, data.end());
            data = pieces;
        }
    }
    if (data.size() == 4)
    {
        const std::string strLast = data[3];
        size_t i = strLast.find('+');
        if (i == std::string::npos)
            i = strLast.find('-');
        if (i != std::string::npos && i > 0)
        {
            data[3] = strLast.substr(0, i);
            data.push_back(strLast.substr(i));
        }
        else
            data.push_back("");
    }
    if (data.size() < 5)
        return false;
    std::string dd = data[0], mm = data[1], yy = data[2], tm = data[3], tz = data[4];
    if (dd.empty() || mm.empty() || yy.empty())
        return false;
    int nMonth = MonthFromName(mm.c_str());
    if (nMonth == 0)
    {
        std::swap(dd, mm);
        nMonth = MonthFromName(mm.c_str());
        if (nMonth == 0)
            return false;
    }
    if (EndsWith(dd, ','))
        dd.pop_back();
    if (yy.find(':') != std::string::npos && yy.find(':') > 0)
        std::swap(yy, tm);
    if (EndsWith(yy, ','))
        yy.pop_back();
    if (yy.empty())
        return false;
    if (!isdigit((unsigned char)yy[0]))
        std::swap(yy, tz);
    if (EndsWith(tm, ','))
        tm.pop_back();
    std::vector<std::string> clock = Split(tm, ':');
    if (clock.size() == 1 && tm.find('.') != std::string::npos)
        clock = Split(tm, '.');
    if (clock.size() == 2)
        clock.push_back("0");
    if (clock.size() != 3)
        return false;
    int nYear, nDay, nHour, nMinute, nSecond;
    if (!ToNumber(yy, 9999, nYear) || !ToNumber(dd, 99, nDay) || !ToNumber(clock[0], 99, nHour) ||
        !ToNumber(clock[1], 99, nMinute) || !ToNumber(clock[2], 99, nSecond))
        return false;
    SYSTEMTIME parsed = {};
    parsed.wYear = FullYear((WORD)nYear);
    parsed.wMonth = (WORD)nMonth;
    parsed.wDay = (WORD)nDay;
    parsed.wHour = (WORD)nHour;
    parsed.wMinute = (WORD)nMinute;
    parsed.wSecond = (WORD)nSecond;
    time = parsed;
    return true;
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
    // A form whose reading is no valid time yields to the next form and to the obsolete forms.
    bool bMatched = false;
    SYSTEMTIME firstMatch = {};
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
            parsed.wYear = FullYear(Number(re, 3));
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
        if (IsValidSystemTime(parsed))
        {
            time = parsed;
            return true;
        }
        if (!bMatched)
            firstMatch = parsed;
        bMatched = true;
    }
    SYSTEMTIME obsolete;
    if (ParseObsoleteDate(strDate, obsolete) && IsValidSystemTime(obsolete))
    {
        time = obsolete;
        return true;
    }
    if (bMatched)
        time = firstMatch;
    return bMatched;
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
