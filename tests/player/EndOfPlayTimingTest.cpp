#include "player/EndOfPlayTiming.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every check of a play stuck at "playing", from the first on: when each
// falls, and that they end.
std::vector<uint32_t> CheckTimes(uint32_t lengthMs) {
    std::vector<uint32_t> times = {FirstEndCheckMs(lengthMs)};
    uint32_t wait = 0;
    while (times.size() < 1000 && NextEndCheckMs(times.back(), lengthMs, int(times.size()), &wait))
        times.push_back(times.back() + wait);
    return times;
}

TEST(EndOfPlayTiming, AStuckPlayIsCheckedAFewTimesAndThenNoMore) {
    for (uint32_t length : {0u, 1000u, 240000u, 4000000u}) {
        SCOPED_TRACE(length);
        std::vector<uint32_t> times = CheckTimes(length);
        // A few quick ones, then one per 16 s at most.
        EXPECT_LT(times.size(), 20 + (2 * uint64_t(length) + 30000) / 16000);
        EXPECT_LE(times.back(), 2 * uint64_t(length) + 30000);
    }
}

TEST(EndOfPlayTiming, EveryPlayIsCheckedAroundItsEndOften) {
    std::vector<uint32_t> times = CheckTimes(180000);
    EXPECT_EQ(times[0], 180000u - 200);
    // A drive that stops within half a second of the nominal end is seen
    // stopped within 150 ms of it, at the fifth check at most.
    ASSERT_GE(times.size(), 5u);
    EXPECT_GE(times[4], 180000u + 400);
    for (size_t i = 1; i < 5; i++)
        EXPECT_EQ(times[i] - times[i - 1], 150u);
}

}  // namespace
