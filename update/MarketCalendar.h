// The Tokyo exchange's calendar: which dates are trading days.
//
// Closed are Saturdays, Sundays, Japan's national holidays and the exchange's year-end closure
// (31 December to 3 January). The holidays are computed by rule from the Act on National
// Holidays as it stands since 2007:
//   - fixed days (元日, 建国記念の日, 天皇誕生日, 昭和の日, 憲法記念日, みどりの日, こどもの日,
//     山の日, 文化の日, 勤労感謝の日);
//   - the Monday holidays (成人の日, 海の日, 敬老の日, 体育の日 / スポーツの日);
//   - the vernal and autumnal equinox days by the usual approximation for 1980 to 2099 (the
//     official days are fixed by the government a year ahead; the approximation has given the
//     same days for every year announced so far);
//   - a substitute holiday (振替休日) on the first following day that is not a holiday, when a
//     holiday falls on a Sunday (the rule since 2007);
//   - a citizens' holiday (国民の休日) on a day between two holidays;
//   - the changes of the special laws: 天皇誕生日 on 23 December to 2018, none in 2019, 23
//     February from 2020; the accession days of 2019 (1 May, 22 October); 山の日 from 2016;
//     海の日, スポーツの日 and 山の日 moved for the Games in 2020 and 2021.
// It is right for kFirstYear to kLastYear as the law stood in 2026; a later change of the law
// (a new holiday, another move) is not known to it. Outside those years only weekends and the
// year-end closure are closed: no holiday is guessed.
//
// Dates are Japan's calendar dates: JapanDate turns a moment into the date in Tokyo (UTC+9, no
// daylight saving) whatever the machine's time zone. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "model/CivilDate.h"

namespace quotrix {

// A closed day and why (Shift-JIS: the holiday's Japanese name, or "年末年始休業日").
struct MarketClosure {
    CivilDate date;
    std::string name;
};

class MarketCalendar {
  public:
    static constexpr int kFirstYear = 2007;
    static constexpr int kLastYear = 2099;

    static bool Covers(int year) { return year >= kFirstYear && year <= kLastYear; }

    // The national holidays of `year` in date order, weekends included, with their names.
    // Empty for a year that is not covered.
    static std::vector<MarketClosure> Holidays(int year);
    // The weekdays of `year` on which the exchange is closed, in date order: the holidays that
    // fall on weekdays and the year-end closure.
    static std::vector<MarketClosure> ClosedWeekdays(int year);
    // Whether the exchange trades on `date`; false for a date that does not exist.
    static bool IsTradingDay(const CivilDate& date);

    // Today's date in Tokyo for a moment in time.
    static CivilDate JapanDate(std::time_t moment);
    // Whether the exchange trades on the day that is `moment` in Tokyo.
    static bool IsTradingMoment(std::time_t moment) { return IsTradingDay(JapanDate(moment)); }
};

}  // namespace quotrix
