// Date and time texts in a locale's order, separators and clock.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <atlstr.h>

class CLocaleDateFormat
{
public:
    enum
    {
        orderMonthDayYear = 0,
        orderDayMonthYear = 1,
        orderYearMonthDay = 2,
        orderUnknown = 3
    };
    enum
    {
        time12Hour = 0,
        time24Hour = 1,
        timeUnknown = 2
    };

    // The user's default locale.
    CLocaleDateFormat();
    explicit CLocaleDateFormat(LCID lcid);
    virtual ~CLocaleDateFormat();

    // Empty when the locale's date order is not one of the three known ones.
    CString FormatDate(DATE date) const;
    // A 12-hour clock always says " AM" or " PM", in English, whatever the locale calls them.
    CString FormatTime(DATE date) const;

    LCID m_lcid;
    CString m_strDateFormat;
    CString m_strTimeFormat;
    int m_nDateOrder;
    int m_nTimeStyle;

private:
    void ReadLocale();
    CString GetLocaleText(LCTYPE type) const;
};
