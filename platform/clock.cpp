#include "platform/clock.h"

#include <cstdio>
#include <ctime>
#include <utility>

namespace ov2 {
namespace {

CalendarDate SystemToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) return CalendarDate{};
    return CalendarDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

TodayHandler& Handler() {
    static TodayHandler handler = SystemToday;
    return handler;
}

constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

}  // namespace

CalendarDate Today() {
    return Handler()();
}

TodayHandler SetTodayHandler(TodayHandler handler) {
    if (!handler) handler = SystemToday;
    return std::exchange(Handler(), std::move(handler));
}

std::string FormatRecordDate(const CalendarDate& date) {
    // The C library's %B follows the locale; records are English everywhere.
    std::string month =
        date.month >= 1 && date.month <= 12 ? kMonths[date.month - 1] : std::to_string(date.month);
    char rest[32];
    std::snprintf(rest, sizeof rest, " %02d %d", date.day, date.year);
    return month + rest;
}

std::string TodayText() {
    return FormatRecordDate(Today());
}

}  // namespace ov2
