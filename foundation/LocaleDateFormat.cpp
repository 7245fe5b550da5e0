// Date and time texts in a locale's order, separators and clock.
#include "foundation/LocaleDateFormat.h"

#include <string.h>

namespace
{
const int kLocaleTextSize = 128;

// A separator becomes part of a printf format: a "%" in it must stay a character.
CString FormatSafe(const CString& strText)
{
    CString strSafe = strText;
    strSafe.Replace("%", "%%");
    return strSafe;
}

const char* NumberFormat(const CString& strLeadingZero)
{
    if (strLeadingZero == "1")
        return "%02d";
    return "%2d";
}
} // namespace

CLocaleDateFormat::CLocaleDateFormat()
    : m_lcid(LOCALE_USER_DEFAULT), m_nDateOrder(orderUnknown), m_nTimeStyle(timeUnknown)
{
    ReadLocale();
}

CLocaleDateFormat::CLocaleDateFormat(LCID lcid)
    : m_lcid(lcid), m_nDateOrder(orderUnknown), m_nTimeStyle(timeUnknown)
{
    ReadLocale();
}

CLocaleDateFormat::~CLocaleDateFormat()
{
}

CString CLocaleDateFormat::GetLocaleText(LCTYPE type) const
{
    char szText[kLocaleTextSize];
    szText[0] = '\0';
    if (::GetLocaleInfoA(m_lcid, type, szText, sizeof(szText)) == 0)
        szText[0] = '\0';
    szText[sizeof(szText) - 1] = '\0';
    return szText;
}

void CLocaleDateFormat::ReadLocale()
{
    CString strDateSeparator = FormatSafe(GetLocaleText(LOCALE_SDATE));
    CString strDay = NumberFormat(GetLocaleText(LOCALE_IDAYLZERO));
    CString strMonth = NumberFormat(GetLocaleText(LOCALE_IMONLZERO));
    CString strOrder = GetLocaleText(LOCALE_IDATE);
    if (strOrder == "0")
    {
        m_strDateFormat = strMonth + strDateSeparator + strDay + strDateSeparator + "%d";
        m_nDateOrder = orderMonthDayYear;
    }
    else if (strOrder == "1")
    {
        m_strDateFormat = strDay + strDateSeparator + strMonth + strDateSeparator + "%d";
        m_nDateOrder = orderDayMonthYear;
    }
    else if (strOrder == "2")
    {
        m_strDateFormat = CString("%d") + strDateSeparator + strMonth + strDateSeparator + strDay;
        m_nDateOrder = orderYearMonthDay;
    }
    else
    {
        m_strDateFormat.Empty();
        m_nDateOrder = orderUnknown;
    }

    CString strTimeSeparator = FormatSafe(GetLocaleText(LOCALE_STIME));
    m_strTimeFormat = CString(NumberFormat(GetLocaleText(LOCALE_ITLZERO))) + strTimeSeparator + "%02d";
    CString strStyle = GetLocaleText(LOCALE_ITIME);
    if (strStyle == "0")
        m_nTimeStyle = time12Hour;
    else if (strStyle == "1")
        m_nTimeStyle = time24Hour;
}

CString CLocaleDateFormat::FormatDate(DATE date) const
{
    SYSTEMTIME st;
    memset(&st, 0, sizeof(st));
    ::VariantTimeToSystemTime(date, &st);
    CString strText;
    switch (m_nDateOrder)
    {
    case orderMonthDayYear:
        strText.Format(m_strDateFormat, st.wMonth, st.wDay, st.wYear);
        break;
    case orderDayMonthYear:
        strText.Format(m_strDateFormat, st.wDay, st.wMonth, st.wYear);
        break;
    case orderYearMonthDay:
        strText.Format(m_strDateFormat, st.wYear, st.wMonth, st.wDay);
        break;
    default:
        break;
    }
    return strText;
}

CString CLocaleDateFormat::FormatTime(DATE date) const
{
    SYSTEMTIME st;
    memset(&st, 0, sizeof(st));
    ::VariantTimeToSystemTime(date, &st);
    CString strText;
    if (m_nTimeStyle == time24Hour)
    {
        strText.Format(m_strTimeFormat, st.wHour, st.wMinute);
    }
    else if (m_nTimeStyle == time12Hour)
    {
        int nHour = st.wHour % 12 == 0 ? 12 : st.wHour % 12;
        strText.Format(m_strTimeFormat + (st.wHour < 12 ? " AM" : " PM"), nHour, st.wMinute);
    }
    return strText;
}
