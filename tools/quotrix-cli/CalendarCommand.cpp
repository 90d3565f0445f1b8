// quotrix-cli calendar YEAR: the weekdays of a year on which the Tokyo exchange is closed, one a
// line as "YYYY-MM-DD name", to hold against a published calendar.
#include <string>
#include <vector>

#include "Command.h"
#include "update/MarketCalendar.h"

namespace quotrix::cli {

namespace {

int RunCalendar(const std::vector<std::string>& args) {
    if (args.size() != 1) return UsageError("calendar");
    const std::string& text = args[0];
    int year = 0;
    bool digits = !text.empty() && text.size() <= 4;
    for (const char c : text) {
        if (c < '0' || c > '9') digits = false;
        if (digits) year = year * 10 + (c - '0');
    }
    if (!digits) return UsageError("calendar");
    if (!MarketCalendar::Covers(year)) {
        PrintError("the calendar knows the holidays of " + std::to_string(MarketCalendar::kFirstYear) + " to " +
                   std::to_string(MarketCalendar::kLastYear) + " only, not " + text);
        return kExitFailure;
    }
    std::string out;
    for (const MarketClosure& closure : MarketCalendar::ClosedWeekdays(year))
        out += closure.date.Text() + " " + closure.name + "\n";
    Print(out);
    return kExitOk;
}

}  // namespace

QUOTRIX_CLI_COMMAND(calendar, "calendar", "calendar YEAR",
                    "print the weekdays of a year on which the Tokyo exchange is closed", RunCalendar);

}  // namespace quotrix::cli
