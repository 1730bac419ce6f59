#include "player/EndOfPlayTiming.h"

static const uint32_t kLateMarginMs = 2000;   // past the end: the quick checks stop
static const uint32_t kEarlyLeadMs = 200;     // before the end: the first check
static const uint32_t kQuickCheckMs = 150;
// With the first: up to 2 s past the end, which also sees a drive that
// took a second or two to spin up stop within 150 ms.
static const int kQuickChecks = 16;
static const uint32_t kSlowCheckMs = 1000;
static const uint32_t kLongestWaitMs = 16000;
static const uint32_t kGiveUpAfterMs = 30000;

uint32_t FirstEndCheckMs(uint32_t lengthMs) {
    return lengthMs > kEarlyLeadMs ? lengthMs - kEarlyLeadMs : 0;
}

bool NextEndCheckMs(uint32_t elapsedMs, uint32_t lengthMs, int checksDone, uint32_t* waitMs) {
    uint64_t giveUp = 2 * uint64_t(lengthMs) + kGiveUpAfterMs;
    if (elapsedMs >= giveUp)
        return false;
    // Near the end a slightly slow drive stops within a few quick checks.
    if (checksDone < kQuickChecks && elapsedMs < uint64_t(lengthMs) + kLateMarginMs) {
        *waitMs = kQuickCheckMs;
        return true;
    }
    // Then as long again as the play has overrun: the checks thin out
    // geometrically.
    uint32_t overrun = elapsedMs > lengthMs ? elapsedMs - lengthMs : 0;
    uint32_t wait = overrun > kSlowCheckMs ? overrun : kSlowCheckMs;
    if (wait > kLongestWaitMs)
        wait = kLongestWaitMs;
    if (elapsedMs + uint64_t(wait) > giveUp)
        wait = uint32_t(giveUp - elapsedMs);
    *waitMs = wait;
    return true;
}
