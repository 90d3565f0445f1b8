#include "update/MarketCalendar.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/TextCodec.h"

namespace quotrix {

namespace {

constexpr std::int64_t kJapanOffsetSeconds = 9 * 3600;
constexpr std::int64_t kSecondsPerDay = 86400;

// The day of the month of the `nth` Monday.
int NthMonday(int year, int month, int nth) {
    const int first = Weekday({year, month, 1});
    const int firstMonday = 1 + (8 - first) % 7;
    return firstMonday + 7 * (nth - 1);
}

// The equinox days by the approximation for 1980 to 2099, in millionths of a day so that no
// floating-point rounding can move a day.
int VernalEquinoxDay(int year) {
    const int y = year - 1980;
    return static_cast<int>((20843100LL + 242194LL * y) / 1000000LL) - y / 4;
}

int AutumnalEquinoxDay(int year) {
    const int y = year - 1980;
    return static_cast<int>((23248800LL + 242194LL * y) / 1000000LL) - y / 4;
}

// Proper holidays ("国民の祝日") of a covered year, by day number; UTF-8 names.
std::map<std::int64_t, const char*> ProperHolidays(int year) {
    std::map<std::int64_t, const char*> days;
    auto add = [&](int month, int day, const char* name) { days[DaysFromCivil({year, month, day})] = name; };
    add(1, 1, "元日");
    add(1, NthMonday(year, 1, 2), "成人の日");
    add(2, 11, "建国記念の日");
    if (year >= 2020) add(2, 23, "天皇誕生日");
    add(3, VernalEquinoxDay(year), "春分の日");
    add(4, 29, "昭和の日");
    add(5, 3, "憲法記念日");
    add(5, 4, "みどりの日");
    add(5, 5, "こどもの日");
    // The Games of 2020 and 2021 moved three holidays by special law.
    if (year == 2020) {
        add(7, 23, "海の日");
        add(7, 24, "スポーツの日");
        add(8, 10, "山の日");
    } else if (year == 2021) {
        add(7, 22, "海の日");
        add(7, 23, "スポーツの日");
        add(8, 8, "山の日");
    } else {
        add(7, NthMonday(year, 7, 3), "海の日");
        if (year >= 2016) add(8, 11, "山の日");
        add(10, NthMonday(year, 10, 2), year >= 2020 ? "スポーツの日" : "体育の日");
    }
    add(9, NthMonday(year, 9, 3), "敬老の日");
    add(9, AutumnalEquinoxDay(year), "秋分の日");
    add(11, 3, "文化の日");
    add(11, 23, "勤労感謝の日");
    if (year <= 2018) add(12, 23, "天皇誕生日");
    if (year == 2019) {
        // The accession of 2019, holidays for that year by special law.
        add(5, 1, "即位の日");
        add(10, 22, "即位礼正殿の儀");
    }
    return days;
}

// Every holiday of a covered year: the proper ones, the substitute days and the days between two.
std::map<std::int64_t, const char*> AllHolidays(int year) {
    std::map<std::int64_t, const char*> proper = ProperHolidays(year);
    std::map<std::int64_t, const char*> all = proper;
    for (const auto& [day, name] : proper) {
        if (Weekday(CivilFromDays(day)) != 0) continue;
        std::int64_t next = day + 1;
        while (proper.count(next) != 0) ++next;
        all.emplace(next, "振替休日");
    }
    for (const auto& [day, name] : proper) {
        const std::int64_t between = day + 1;
        if (proper.count(between) == 0 && proper.count(between + 1) != 0) all.emplace(between, "国民の休日");
    }
    // No rule reaches past 31 December today; the list keeps to its year all the same.
    const std::int64_t first = DaysFromCivil({year, 1, 1}), last = DaysFromCivil({year, 12, 31});
    std::erase_if(all, [&](const auto& entry) { return entry.first < first || entry.first > last; });
    return all;
}

bool IsYearEndClosure(const CivilDate& date) {
    return (date.month == 12 && date.day == 31) || (date.month == 1 && date.day <= 3);
}

}  // namespace

std::vector<MarketClosure> MarketCalendar::Holidays(int year) {
    std::vector<MarketClosure> list;
    if (!Covers(year)) return list;
    for (const auto& [day, name] : AllHolidays(year)) list.push_back({CivilFromDays(day), Utf8ToSjis(name)});
    return list;
}

std::vector<MarketClosure> MarketCalendar::ClosedWeekdays(int year) {
    std::map<std::int64_t, std::string> closed;
    if (Covers(year))
        for (const auto& [day, name] : AllHolidays(year)) closed.emplace(day, Utf8ToSjis(name));
    // A holiday keeps its own name on the days of the year-end closure (元日 on 1 January).
    for (const CivilDate date :
         {CivilDate{year, 1, 1}, CivilDate{year, 1, 2}, CivilDate{year, 1, 3}, CivilDate{year, 12, 31}})
        closed.emplace(DaysFromCivil(date), SJIS("年末年始休業日"));
    std::vector<MarketClosure> list;
    for (auto& [day, name] : closed) {
        const CivilDate date = CivilFromDays(day);
        const int weekday = Weekday(date);
        if (weekday != 0 && weekday != 6) list.push_back({date, std::move(name)});
    }
    return list;
}

bool MarketCalendar::IsTradingDay(const CivilDate& date) {
    if (!IsValidDate(date)) return false;
    const int weekday = Weekday(date);
    if (weekday == 0 || weekday == 6 || IsYearEndClosure(date)) return false;
    if (!Covers(date.year)) return true;
    return AllHolidays(date.year).count(DaysFromCivil(date)) == 0;
}

CivilDate MarketCalendar::JapanDate(std::time_t moment) {
    const std::int64_t seconds = static_cast<std::int64_t>(moment) + kJapanOffsetSeconds;
    // Floor division: a moment before 1970 still falls on the right day.
    std::int64_t days = seconds / kSecondsPerDay;
    if (seconds % kSecondsPerDay < 0) --days;
    return CivilFromDays(days);
}

}  // namespace quotrix
