#pragma once

#include <functional>
#include <string>

// Today's date. The program writes dates into records ("March 05 2003"); tests replace the
// clock, as they replace the message boxes, so that what they record does not depend on the day
// they run.
namespace ov2 {

struct CalendarDate {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
};

using TodayHandler = std::function<CalendarDate()>;

// The local date, from the installed handler.
CalendarDate Today();
// Installs the handler that answers Today() and returns the previous one; an empty handler
// restores the system's local date.
TodayHandler SetTodayHandler(TodayHandler handler);

// A date as records keep it, "%B %d %Y" with English month names whatever the user's locale:
// "March 05 2003". A month outside 1..12 is written as its number.
std::string FormatRecordDate(const CalendarDate& date);
// Today's date in that form.
std::string TodayText();

}  // namespace ov2
