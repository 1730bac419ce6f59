#pragma once

#include <cstdint>

// When the end-of-play fallback asks the device whether a play has ended,
// for drivers that never report it. Pure arithmetic on the play's length
// at normal speed and the time since it started.

// The first check of a play of lengthMs. A driver that has shown it is
// silent is checked a little before the end, so the next entry follows
// closely; any other one only well after it, so that a driver that reports
// never sees the check.
uint32_t FirstEndCheckMs(bool driverSilent, uint32_t lengthMs);

// After a check found the play still running: the wait before the next,
// or false when to stop asking. Quick checks around the end, then ever
// longer waits; none once the play has outlived twice its length plus 30 s
// (a drive stuck at "playing").
bool NextEndCheckMs(uint32_t elapsedMs, uint32_t lengthMs, int checksDone, uint32_t* waitMs);
