// What the recorded page of the quote site (tests/data/pages/current/quote-7203-2025.html) says
// about its stock, for the tests that read it from the file and over the network.
#pragma once

#include <gtest/gtest.h>

#include "model/Price.h"
#include "model/Stock.h"
#include "platform/TextCodec.h"

namespace quotrix {

inline constexpr char kRecordedCurrentPage[] = "current/quote-7203-2025.html";

// Every value of the recorded page, the name included, as read into `copy`.
inline void ExpectRecordedQuote(const CStock& copy) {
    EXPECT_EQ(SjisToUtf8(copy.name), "トヨタ自動車(株)");
    EXPECT_EQ(copy.price, 2971 * kYen);
    EXPECT_EQ(copy.updateTime, "09:48");
    EXPECT_EQ(copy.change, 305000);
    EXPECT_EQ(copy.prevClose, 29405000);
    EXPECT_EQ(copy.open, 29575000);
    EXPECT_EQ(copy.high, 2985 * kYen);
    EXPECT_EQ(copy.low, 2953 * kYen);
    EXPECT_EQ(copy.volume, 5704400u);
    EXPECT_DOUBLE_EQ(copy.dividendYield, 3.20);
    EXPECT_DOUBLE_EQ(copy.per, 14.56);
    EXPECT_EQ(copy.eps, 2041000);
    EXPECT_DOUBLE_EQ(copy.pbr, 1.07);
}

}  // namespace quotrix
