#include "player/PlayWatch.h"

#include "player/EndOfPlayTiming.h"

static const uint32_t kNearEndMs = 1000;
// How long a drive may take to start playing: "a second or two".
static const uint32_t kSpinUpMs = 3000;

void PlayWatch::Started(uint32_t now, uint32_t length) {
    following = true;
    startedAt = now;
    lengthMs = length;
    checks = 0;
    owed++;
}

void PlayWatch::EarlierReport(WPARAM) {
    if (owed > 0)
        owed--;
}

bool PlayWatch::NeedsMode(WPARAM code) const {
    return following && code == MCI_NOTIFY_SUCCESSFUL && owed > 1;
}

PlayWatch::Verdict PlayWatch::Report(WPARAM code, DWORD mode) {
    if (owed == 0)
        return kNothing;  // not one of ours
    bool earlierOwes = owed > 1;
    bool cutShort = code == MCI_NOTIFY_ABORTED || code == MCI_NOTIFY_SUPERSEDED;
    bool earlierLate = earlierOwes && (cutShort || (code == MCI_NOTIFY_SUCCESSFUL && mode == MCI_MODE_PLAY));
    owed--;
    if (!following || earlierLate)
        return kNothing;
    following = false;
    return code == MCI_NOTIFY_SUCCESSFUL ? kEnded : kFailed;
}

uint32_t PlayWatch::FirstCheckMs() const {
    return FirstEndCheckMs(lengthMs);
}

// Seeking or not ready in a play's first seconds: a drive that stopped has
// spun up and stopped again.
bool PlayWatch::SpinningUp(DWORD mode, uint32_t elapsedMs) const {
    return mode != MCI_MODE_STOP && mode != MCI_MODE_PLAY && elapsedMs < kSpinUpMs;
}

// A stopped device, or any mode but play once the play's time is up and
// the drive is not still spinning up.
bool PlayWatch::EndedBy(DWORD mode, uint32_t elapsedMs) const {
    return mode == MCI_MODE_STOP || (mode != MCI_MODE_PLAY && elapsedMs >= lengthMs && !SpinningUp(mode, elapsedMs));
}

PlayWatch::Verdict PlayWatch::Check(DWORD mode, uint32_t now, uint32_t* waitMs) {
    *waitMs = 0;
    if (!following)
        return kNothing;
    uint32_t elapsed = now - startedAt;  // right across GetTickCount's wrap
    if (EndedBy(mode, elapsed)) {
        following = false;
        return kEnded;
    }
    // Still playing (a slow drive, or one stuck at "playing"): again later,
    // or no more.
    if (!NextEndCheckMs(elapsed, lengthMs, ++checks, waitMs))
        *waitMs = 0;
    return kNothing;
}

PlayWatch::Verdict PlayWatch::NotPlaying(DWORD mode, uint32_t now) {
    if (!following)
        return kNothing;
    // In its second half or its last second a play may well have ended (a
    // drive can stop a little early); before that, a drive that spun up and
    // stopped refused it.
    uint32_t elapsed = now - startedAt;
    bool nearEnd = elapsed >= lengthMs / 2 || elapsed + kNearEndMs >= lengthMs;
    bool ended = nearEnd && EndedBy(mode, elapsed);
    if (!ended && SpinningUp(mode, elapsed))
        return kNothing;
    following = false;
    return ended ? kEnded : kFailed;
}
