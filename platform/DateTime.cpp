#include "platform/DateTime.h"

#include <sys/time.h>

#include <ctime>

namespace tal {

int TDateTime::DayOfWeek() const {
    // Zeller-style count from a known Sunday; valid for the Gregorian calendar.
    static constexpr int offsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int y = Year;
    if (Month < 3) y -= 1;
    return (y + y / 4 - y / 100 + y / 400 + offsets[(Month - 1) % 12] + Day) % 7;
}

TDateTime Now() {
    timeval tv {};
    ::gettimeofday(&tv, nullptr);
    std::tm local {};
    const std::time_t seconds = tv.tv_sec;
    ::localtime_r(&seconds, &local);
    TDateTime now;
    now.Year = local.tm_year + 1900;
    now.Month = local.tm_mon + 1;
    now.Day = local.tm_mday;
    now.Hour = local.tm_hour;
    now.Minute = local.tm_min;
    now.Second = local.tm_sec;
    now.Millisecond = static_cast<int>(tv.tv_usec / 1000);
    return now;
}

}  // namespace tal
