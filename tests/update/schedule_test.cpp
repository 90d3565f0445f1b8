#include <gtest/gtest.h>

#include "update/UpdateEngine.h"
#include "update/UpdateStatus.h"

namespace quotrix {
namespace {

constexpr std::int32_t At(int h, int m, int s) { return h * 3600 + m * 60 + s; }

TEST(ActiveHours, BoundsAreInclusive) {
    const auto start = TimeOfDay::Hms(9, 0, 0), end = TimeOfDay::Hms(15, 30, 0);
    EXPECT_TRUE(IsActiveTimeAt(start, end, At(15, 30, 0)));
    EXPECT_TRUE(IsActiveTimeAt(start, end, At(9, 0, 0)));
    EXPECT_FALSE(IsActiveTimeAt(start, end, At(15, 30, 1)));
    EXPECT_FALSE(IsActiveTimeAt(start, end, At(8, 59, 59)));
}

TEST(ActiveHours, AcrossMidnightAndEqualBounds) {
    const auto night = TimeOfDay::Hms(22, 0, 0), morning = TimeOfDay::Hms(6, 0, 0);
    EXPECT_TRUE(IsActiveTimeAt(night, morning, At(23, 0, 0)));
    EXPECT_TRUE(IsActiveTimeAt(night, morning, At(5, 0, 0)));
    EXPECT_FALSE(IsActiveTimeAt(night, morning, At(12, 0, 0)));

    const auto noon = TimeOfDay::Hms(12, 0, 0);
    EXPECT_TRUE(IsActiveTimeAt(noon, noon, At(12, 0, 0)));
    EXPECT_FALSE(IsActiveTimeAt(noon, noon, At(12, 0, 1)));

    // Bounds of different states compare as hours across midnight.
    TimeOfDay invalid{TimeOfDay::INVALID, At(9, 0, 0)};
    EXPECT_TRUE(IsActiveTimeAt(invalid, TimeOfDay::Hms(15, 0, 0), At(20, 0, 0)));
    TimeOfDay null{TimeOfDay::NULL_TIME, 0};
    EXPECT_TRUE(IsActiveTimeAt(null, null, 0));
    EXPECT_FALSE(IsActiveTimeAt(null, null, 1));
}

TEST(StatusWord, EventsLeaveFailedAndCheckingAlone) {
    // Out of hours: 0 and Offline become 4, Updated becomes 5, Failed and Checking stay.
    EXPECT_EQ(StatusOutOfHoursEvent(0), 4u);
    EXPECT_EQ(StatusOutOfHoursEvent(8), 4u);
    EXPECT_EQ(StatusOutOfHoursEvent(1), 5u);
    EXPECT_EQ(StatusOutOfHoursEvent(12), 12u);
    EXPECT_EQ(StatusOutOfHoursEvent(16), 16u);
    EXPECT_EQ(StatusOutOfHoursEvent(0x10000), 0x10004u);
    // Offline event: 0, 4 become 8 (Updated keeps bit 0); Failed stays.
    EXPECT_EQ(StatusOfflineEvent(0), 8u);
    EXPECT_EQ(StatusOfflineEvent(5), 9u);
    EXPECT_EQ(StatusOfflineEvent(12), 12u);
    EXPECT_EQ(StatusOfflineOutcome(12), 8u);
    EXPECT_EQ(StatusFailed(0x10011), 0x1000Du);
    EXPECT_EQ(StatusChecking(0x1000D), 0x10011u);
}

TEST(AcquisitionResult, LogNames) {
    EXPECT_STREQ(AcquisitionResultName(ACQ_FAILURE), "failure");
    EXPECT_STREQ(AcquisitionResultName(7), "error");
}

}  // namespace
}  // namespace quotrix
