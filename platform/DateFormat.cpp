#include "platform/DateFormat.h"

#include <langinfo.h>
#include <locale.h>

#include <ctime>
#include <memory>

#include "platform/Format.h"

namespace tal {

namespace {

struct TLocaleDeleter {
    void operator()(locale_t locale) const {
        if (locale) freelocale(locale);
    }
};
using TLocale = std::unique_ptr<std::remove_pointer_t<locale_t>, TLocaleDeleter>;

TLocale OpenTimeLocale(const std::string& name) {
    locale_t locale = newlocale(LC_TIME_MASK, name.c_str(), static_cast<locale_t>(0));
    if (!locale) locale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    return TLocale(locale);
}

bool IsPosix(locale_t locale) {
    const char* name = nl_langinfo_l(_NL_LOCALE_NAME(LC_TIME), locale);
    const std::string text = name ? name : "C";
    return text == "C" || text == "POSIX" || text.rfind("C.", 0) == 0;
}

std::tm ToTm(const TDateTime& when) {
    std::tm tm {};
    tm.tm_year = when.Year - 1900;
    tm.tm_mon = when.Month - 1;
    tm.tm_mday = when.Day;
    tm.tm_hour = when.Hour;
    tm.tm_min = when.Minute;
    tm.tm_sec = when.Second;
    tm.tm_wday = when.DayOfWeek();
    tm.tm_isdst = -1;
    return tm;
}

std::string StrFTime(const char* pattern, const TDateTime& when, locale_t locale) {
    const std::tm tm = ToTm(when);
    char buffer[256];
    const std::size_t n = strftime_l(buffer, sizeof buffer, pattern, &tm, locale);
    return std::string(buffer, n);
}

int Hour12(int hour) {
    const int h = hour % 12;
    return h == 0 ? 12 : h;
}

std::string Designator(const TDateTime& when, locale_t locale) {
    const char* text = nl_langinfo_l(when.Hour < 12 ? AM_STR : PM_STR, locale);
    if (!text || !*text) return when.Hour < 12 ? "AM" : "PM";
    return text;
}

// The United States English patterns (M/d/yyyy, dddd, MMMM d, yyyy, h:mm AMPM, h:mm:ss AMPM).
std::string UnitedStatesForm(TDateTimeForm form, const TDateTime& when, locale_t locale) {
    const std::string ampm = when.Hour < 12 ? "AM" : "PM";
    switch (form) {
        case TDateTimeForm::ShortDate: return Format("%d/%d/%04d", {when.Month, when.Day, when.Year});
        case TDateTimeForm::LongDate:
            return StrFTime("%A, %B ", when, locale) + Format("%d, %04d", {when.Day, when.Year});
        case TDateTimeForm::ShortTime: return Format("%d:%02d %s", {Hour12(when.Hour), when.Minute, ampm});
        case TDateTimeForm::LongTime:
            return Format("%d:%02d:%02d %s", {Hour12(when.Hour), when.Minute, when.Second, ampm});
        default: return {};
    }
}

}  // namespace

std::string FormatDateTime(TDateTimeForm form, const TDateTime& when, const std::string& localeName) {
    switch (form) {
        case TDateTimeForm::MonthDayYear: return Format("%02d/%02d/%02d", {when.Month, when.Day, when.Year % 100});
        case TDateTimeForm::DayMonthYear: return Format("%02d/%02d/%02d", {when.Day, when.Month, when.Year % 100});
        case TDateTimeForm::Clock24: return Format("%02d:%02d", {when.Hour, when.Minute});
        default: break;
    }
    const TLocale locale = OpenTimeLocale(localeName);
    if (form == TDateTimeForm::Clock12)
        return Format("%02d:%02d %s", {Hour12(when.Hour), when.Minute, Designator(when, locale.get())});
    if (IsPosix(locale.get())) return UnitedStatesForm(form, when, locale.get());
    switch (form) {
        case TDateTimeForm::ShortDate: return StrFTime("%x", when, locale.get());
        case TDateTimeForm::LongDate: return StrFTime("%A, %e %B %Y", when, locale.get());
        case TDateTimeForm::ShortTime: return StrFTime("%H:%M", when, locale.get());
        case TDateTimeForm::LongTime: return StrFTime("%X", when, locale.get());
        default: return {};
    }
}

}  // namespace tal
