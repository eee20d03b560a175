#pragma once
// Calendar time as the report macros and document dates use it: a local
// date and time, with a clock that tests replace to make output repeatable.
#include <functional>

namespace tal {

struct TDateTime {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
    int DayOfWeek() const;  // 0 Sunday .. 6 Saturday
    bool operator==(const TDateTime&) const = default;
};

using TClock = std::function<TDateTime()>;

// The current local date and time.
TDateTime Now();

}  // namespace tal
