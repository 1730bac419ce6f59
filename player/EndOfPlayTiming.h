#pragma once

#include <cstdint>

// When the end-of-play fallback asks the device whether a play has ended,
// for drivers that never report it. Pure arithmetic on the play's length
// at normal speed and the time since it started.

// The first check of a play of lengthMs: a little before the end, so that
// on a driver that never reports it the next entry follows closely.
uint32_t FirstEndCheckMs(uint32_t lengthMs);

// After a check found the play still running: the wait before the next,
// or false when to stop asking. Quick checks around the end, then ever
// longer waits; none once the play has outlived twice its length plus 30 s
// (a drive stuck at "playing").
bool NextEndCheckMs(uint32_t elapsedMs, uint32_t lengthMs, int checksDone, uint32_t* waitMs);
