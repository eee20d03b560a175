#pragma once
// Date and time texts of the report macros, in the user's LC_TIME locale
// (United States English patterns under the C and POSIX locales).
#include <string>

#include "platform/DateTime.h"

namespace tal {

enum class TDateTimeForm {
    ShortDate,     // the locale's short date
    LongDate,      // the locale's long date
    MonthDayYear,  // mm/dd/yy
    DayMonthYear,  // dd/mm/yy
    ShortTime,     // the locale's short time
    LongTime,      // the locale's long time
    Clock12,       // hh:nn with the morning or afternoon designator
    Clock24,       // hh:nn
};

// localeName "" means the environment's LC_TIME; tests name a locale.
std::string FormatDateTime(TDateTimeForm form, const TDateTime& when, const std::string& localeName = "");

}  // namespace tal
