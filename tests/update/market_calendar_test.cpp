// The exchange calendar against the holidays as the Cabinet Office published them and as the
// law gives them (written out by hand here, not derived from the code).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/TextCodec.h"
#include "update/MarketCalendar.h"

namespace quotrix {
namespace {

// "MM-DD name" lines of a year's list.
std::vector<std::string> Lines(const std::vector<MarketClosure>& list) {
    std::vector<std::string> lines;
    for (const auto& closure : list) lines.push_back(closure.date.Text().substr(5) + " " + SjisToUtf8(closure.name));
    return lines;
}

TEST(MarketCalendarHolidays, PublishedYears) {
    // 2015: 敬老の日 and 秋分の日 two days apart, the day between a holiday.
    EXPECT_EQ(Lines(MarketCalendar::Holidays(2015)),
              (std::vector<std::string>{"01-01 元日", "01-12 成人の日", "02-11 建国記念の日", "03-21 春分の日",
                                        "04-29 昭和の日", "05-03 憲法記念日", "05-04 みどりの日", "05-05 こどもの日",
                                        "05-06 振替休日", "07-20 海の日", "09-21 敬老の日", "09-22 国民の休日",
                                        "09-23 秋分の日", "10-12 体育の日", "11-03 文化の日", "11-23 勤労感謝の日",
                                        "12-23 天皇誕生日"}));
    // 2019: the accession; no 天皇誕生日; 30 April and 2 May between two holidays.
    EXPECT_EQ(
        Lines(MarketCalendar::Holidays(2019)),
        (std::vector<std::string>{"01-01 元日",       "01-14 成人の日",    "02-11 建国記念の日",   "03-21 春分の日",
                                  "04-29 昭和の日",   "04-30 国民の休日",  "05-01 即位の日",       "05-02 国民の休日",
                                  "05-03 憲法記念日", "05-04 みどりの日",  "05-05 こどもの日",     "05-06 振替休日",
                                  "07-15 海の日",     "08-11 山の日",      "08-12 振替休日",       "09-16 敬老の日",
                                  "09-23 秋分の日",   "10-14 体育の日",    "10-22 即位礼正殿の儀", "11-03 文化の日",
                                  "11-04 振替休日",   "11-23 勤労感謝の日"}));
    // 2020 and 2021: the holidays the Games moved.
    EXPECT_EQ(Lines(MarketCalendar::Holidays(2020)),
              (std::vector<std::string>{"01-01 元日", "01-13 成人の日", "02-11 建国記念の日", "02-23 天皇誕生日",
                                        "02-24 振替休日", "03-20 春分の日", "04-29 昭和の日", "05-03 憲法記念日",
                                        "05-04 みどりの日", "05-05 こどもの日", "05-06 振替休日", "07-23 海の日",
                                        "07-24 スポーツの日", "08-10 山の日", "09-21 敬老の日", "09-22 秋分の日",
                                        "11-03 文化の日", "11-23 勤労感謝の日"}));
    EXPECT_EQ(Lines(MarketCalendar::Holidays(2021)),
              (std::vector<std::string>{"01-01 元日", "01-11 成人の日", "02-11 建国記念の日", "02-23 天皇誕生日",
                                        "03-20 春分の日", "04-29 昭和の日", "05-03 憲法記念日", "05-04 みどりの日",
                                        "05-05 こどもの日", "07-22 海の日", "07-23 スポーツの日", "08-08 山の日",
                                        "08-09 振替休日", "09-20 敬老の日", "09-23 秋分の日", "11-03 文化の日",
                                        "11-23 勤労感謝の日"}));
    EXPECT_EQ(Lines(MarketCalendar::Holidays(2026)),
              (std::vector<std::string>{"01-01 元日", "01-12 成人の日", "02-11 建国記念の日", "02-23 天皇誕生日",
                                        "03-20 春分の日", "04-29 昭和の日", "05-03 憲法記念日", "05-04 みどりの日",
                                        "05-05 こどもの日", "05-06 振替休日", "07-20 海の日", "08-11 山の日",
                                        "09-21 敬老の日", "09-22 国民の休日", "09-23 秋分の日", "10-12 スポーツの日",
                                        "11-03 文化の日", "11-23 勤労感謝の日"}));
}

TEST(MarketCalendarHolidays, EquinoxDaysAsAnnounced) {
    struct Equinox {
        int year, spring, autumn;
    };
    // The days fixed in the official gazette for these years.
    for (const Equinox e : {Equinox{2007, 21, 23}, Equinox{2012, 20, 22}, Equinox{2016, 20, 22}, Equinox{2017, 20, 23},
                            Equinox{2018, 21, 23}, Equinox{2022, 21, 23}, Equinox{2023, 21, 23}, Equinox{2024, 20, 22},
                            Equinox{2025, 20, 23}, Equinox{2027, 21, 23}}) {
        SCOPED_TRACE(e.year);
        std::string spring, autumn;
        for (const auto& closure : MarketCalendar::Holidays(e.year)) {
            const std::string name = SjisToUtf8(closure.name);
            if (name == "春分の日") spring = closure.date.Text();
            if (name == "秋分の日") autumn = closure.date.Text();
        }
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d-03-%02d", e.year, e.spring);
        EXPECT_EQ(spring, expected);
        std::snprintf(expected, sizeof expected, "%d-09-%02d", e.year, e.autumn);
        EXPECT_EQ(autumn, expected);
    }
}

TEST(MarketCalendarHolidays, SubstituteDaysSkipFollowingHolidays) {
    // 2008: 4 May (a Sunday) is followed by こどもの日, so the substitute falls on 6 May.
    EXPECT_FALSE(MarketCalendar::IsTradingDay({2008, 5, 6}));
    EXPECT_TRUE(MarketCalendar::IsTradingDay({2008, 5, 7}));
    // 2013: 5 May a Sunday, 6 May the substitute.
    EXPECT_FALSE(MarketCalendar::IsTradingDay({2013, 5, 6}));
    // 2018: 天皇誕生日 on a Sunday, 24 December the substitute (its last year in December).
    EXPECT_FALSE(MarketCalendar::IsTradingDay({2018, 12, 24}));
    EXPECT_TRUE(MarketCalendar::IsTradingDay({2019, 12, 23}));
    // 2009: a citizens' holiday between 敬老の日 and 秋分の日.
    EXPECT_FALSE(MarketCalendar::IsTradingDay({2009, 9, 22}));
    // No day between two holidays when only a substitute day is on one side: 2026-05-07 trades.
    EXPECT_TRUE(MarketCalendar::IsTradingDay({2026, 5, 7}));
}

TEST(MarketCalendarDays, WeekendsYearEndAndOrdinaryDays) {
    EXPECT_TRUE(MarketCalendar::IsTradingDay({2026, 12, 7}));    // a Monday
    EXPECT_FALSE(MarketCalendar::IsTradingDay({2026, 12, 5}));   // Saturday
    EXPECT_FALSE(MarketCalendar::IsTradingDay({2026, 12, 6}));   // Sunday
    EXPECT_FALSE(MarketCalendar::IsTradingDay({2026, 12, 31}));  // the year-end closure, a Thursday
    EXPECT_TRUE(MarketCalendar::IsTradingDay({2026, 12, 30}));
    EXPECT_FALSE(MarketCalendar::IsTradingDay({2025, 1, 2}));
    EXPECT_FALSE(MarketCalendar::IsTradingDay({2025, 1, 3}));
    EXPECT_TRUE(MarketCalendar::IsTradingDay({2025, 1, 6}));
    EXPECT_FALSE(MarketCalendar::IsTradingDay({2026, 2, 30}));  // no such day
    // Outside the law's years only weekends and the year-end closure are known.
    EXPECT_TRUE(MarketCalendar::IsTradingDay({2100, 3, 22}));
    EXPECT_FALSE(MarketCalendar::IsTradingDay({2100, 12, 31}));
    EXPECT_TRUE(MarketCalendar::Holidays(2006).empty());
    EXPECT_TRUE(MarketCalendar::Holidays(2100).empty());
}

TEST(MarketCalendarDays, ClosedWeekdaysOfAYear) {
    // 3 May and 3 January 2026 fall on a weekend and are not listed.
    EXPECT_EQ(Lines(MarketCalendar::ClosedWeekdays(2026)),
              (std::vector<std::string>{"01-01 元日", "01-02 年末年始休業日", "01-12 成人の日", "02-11 建国記念の日",
                                        "02-23 天皇誕生日", "03-20 春分の日", "04-29 昭和の日", "05-04 みどりの日",
                                        "05-05 こどもの日", "05-06 振替休日", "07-20 海の日", "08-11 山の日",
                                        "09-21 敬老の日", "09-22 国民の休日", "09-23 秋分の日", "10-12 スポーツの日",
                                        "11-03 文化の日", "11-23 勤労感謝の日", "12-31 年末年始休業日"}));
    for (int year = MarketCalendar::kFirstYear; year <= MarketCalendar::kLastYear; ++year) {
        for (const auto& closure : MarketCalendar::ClosedWeekdays(year)) {
            ASSERT_FALSE(MarketCalendar::IsTradingDay(closure.date)) << closure.date.Text();
            const int weekday = Weekday(closure.date);
            ASSERT_TRUE(weekday >= 1 && weekday <= 5) << closure.date.Text();
        }
    }
}

TEST(MarketCalendarDays, JapanDateIsUtcPlusNine) {
    // 2026-11-23 14:59:59 UTC is 23:59:59 on 勤労感謝の日 in Tokyo; a second later it is Tuesday.
    const std::time_t lastSecond = static_cast<std::time_t>(DaysFromCivil({2026, 11, 23}) * 86400 + 14 * 3600 + 3599);
    EXPECT_EQ(MarketCalendar::JapanDate(lastSecond).Text(), "2026-11-23");
    EXPECT_FALSE(MarketCalendar::IsTradingMoment(lastSecond));
    EXPECT_EQ(MarketCalendar::JapanDate(lastSecond + 1).Text(), "2026-11-24");
    EXPECT_TRUE(MarketCalendar::IsTradingMoment(lastSecond + 1));
}

TEST(CivilDate, DaysWeekdaysAndParsing) {
    EXPECT_EQ(DaysFromCivil({1970, 1, 1}), 0);
    EXPECT_EQ(Weekday({1970, 1, 1}), 4);
    EXPECT_EQ(Weekday({1969, 12, 28}), 0);
    EXPECT_EQ(Weekday({2000, 2, 29}), 2);
    EXPECT_EQ(CivilFromDays(DaysFromCivil({2024, 2, 29})).Text(), "2024-02-29");
    EXPECT_EQ(CivilFromDays(DaysFromCivil({2024, 3, 1}) - 1).Text(), "2024-02-29");
    CivilDate date;
    EXPECT_TRUE(ParseCivilDate("2026-09-22", date));
    EXPECT_EQ(date, (CivilDate{2026, 9, 22}));
    for (const char* bad : {"2026-9-22", "2026-02-29", "2026-13-01", "2026-00-10", "20260922", "2026-09-22x", ""})
        EXPECT_FALSE(ParseCivilDate(bad, date)) << bad;
}

}  // namespace
}  // namespace quotrix
