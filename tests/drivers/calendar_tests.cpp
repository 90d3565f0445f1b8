// The exchange calendar in Quotrix.exe: with "MarketCalendar" on, the automatic checks fetch on
// a Tokyo trading day and leave the site alone on a closed one. Which of the two today is comes
// from the calendar itself (its rules are tested natively against the published holidays); the
// test sees the program only through the quote server's log and the stock file.
#include <ctime>

#include "tests/drivers/driver_support.h"
#include "update/MarketCalendar.h"

namespace {

using namespace quotrix;
using namespace quotrix::driver;

class MarketCalendarRun : public QuotrixRun {};

TEST_F(MarketCalendarRun, AutomaticChecksFollowTokyosTradingDays) {
    SetDword(L"MarketCalendar", 1);
    SetFlags(true);  // saves the quotes at exit without asking
    const std::string path = WriteFile({"4502.t", "4503.t"});
    const std::size_t before = ServerRequests("code=4502.t ");
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    const bool trading = MarketCalendar::IsTradingMoment(std::time(nullptr));
    if (trading) {
        EXPECT_TRUE(WaitForQuotes(main, path, 2)) << Log();
    } else {
        // The first check has run at once; give a fetch ample time to show.
        EXPECT_EQ(WaitForExit(child, 5000), STILL_ACTIVE);
        EXPECT_EQ(ServerRequests("code=4502.t "), before) << "Tokyo is closed today";
    }
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
    std::size_t quoted = 0;
    for (const auto& stock : ReadBack(path)) quoted += stock->price != 0;
    EXPECT_EQ(quoted, trading ? 2u : 0u);
    std::printf("Tokyo %s today (%s)\n", trading ? "trades" : "is closed",
                MarketCalendar::JapanDate(std::time(nullptr)).Text().c_str());
}

}  // namespace
