// Retry-After headers come from any server, dates typed on the command line from anyone: any
// bytes must be safe, and what is read must make sense.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "model/CivilDate.h"
#include "net/HostBackoff.h"
#include "update/MarketCalendar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::time_t now = 1700000000;
    if (const auto wait = ParseRetryAfter(text, now); wait && wait->count() < 0) std::abort();

    CivilDate date;
    if (ParseCivilDate(text, date)) {
        if (!IsValidDate(date) || CivilFromDays(DaysFromCivil(date)) != date) std::abort();
        (void)MarketCalendar::IsTradingDay(date);
    }
    // A moment from the bytes: the calendar must answer for any day.
    if (size >= 8) {
        std::int64_t moment = 0;
        for (int i = 0; i < 8; ++i) moment = (moment << 8) | data[i];
        moment %= 400LL * 366 * 86400;
        (void)MarketCalendar::IsTradingMoment(static_cast<std::time_t>(moment));
    }
    return 0;
}
