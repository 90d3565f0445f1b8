// Calendar dates of the proleptic Gregorian calendar, and whole-day arithmetic on them.
// Pure values and functions; any thread.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace quotrix {

struct CivilDate {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31

    auto operator<=>(const CivilDate&) const = default;
    // "YYYY-MM-DD".
    std::string Text() const;
};

// Days since 1970-01-01 for a date of the proleptic Gregorian calendar, and back.
std::int64_t DaysFromCivil(const CivilDate& date);
CivilDate CivilFromDays(std::int64_t days);
// 0 Sunday to 6 Saturday.
int Weekday(const CivilDate& date);
// Whether the date exists (month 1 to 12, day within the month).
bool IsValidDate(const CivilDate& date);
// Reads "YYYY-MM-DD" (exactly so, four-digit year); false for anything else or a date that
// does not exist.
bool ParseCivilDate(const std::string& text, CivilDate& date);

}  // namespace quotrix
