#pragma once

#include <windows.h>

#include <cstdint>

// The play in flight, and which of the driver's reports belong to it.
//
// Drivers show the end of a play in different ways. Some report it
// (MCI_NOTIFY_SUCCESSFUL), some only late. The platform's own driver reports
// nothing and keeps the request pending: the next stop, pause, seek, play or
// close posts MCI_NOTIFY_ABORTED for it. Others drop the request, and
// nothing ever comes. So the player also asks the mode when a play should
// be over.
//
// Reports carry no play identity, and on the platform they may reach the
// window seconds after the command that caused them: after the next play
// started, after a close and a fresh open. So a report is counted, not
// placed: while an earlier play still owes one, an ABORTED or SUPERSEDED is
// that play's, and so is a success while the drive plays. Only when the
// current play alone owes a report does a failure or an abort end it. A
// report queued before a play of ours starts is an earlier play's
// (EarlierReport).
//
// A real drive spins up before it plays: for the first seconds of a play
// the mode may read seeking or not ready, which is no sign of a refusal.
// Only a drive that reads stopped has refused.
//
// Pure: no window, no device; times are GetTickCount values passed in.
class PlayWatch {
public:
    enum Verdict { kNothing, kEnded, kFailed };

    // A play of ours was accepted; it lasts lengthMs at normal speed.
    void Started(uint32_t now, uint32_t lengthMs);
    // A command of ours cut the current play short: nothing more is awaited
    // of it, though its report is still owed.
    void Forget() { following = false; }
    // The play is one we wait to see end.
    bool Following() const { return following; }

    void EarlierReport(WPARAM code);
    // A success that reached the window while an earlier play still owes
    // a report may be that play's, late: the device's mode tells.
    bool NeedsMode(WPARAM code) const;
    // A report that reached the window: kEnded or kFailed when it is the
    // current play's, kNothing when it is an earlier play's. mode is the
    // device's where NeedsMode said so, else 0.
    Verdict Report(WPARAM code, DWORD mode);

    // When to look at the mode first after Started: just before the end,
    // so that the next entry follows closely on any driver.
    uint32_t FirstCheckMs() const;
    // At that time, or later: kEnded, or kNothing with *waitMs the time to the
    // next check (0: no more checks; a stuck drive is not asked for ever).
    Verdict Check(DWORD mode, uint32_t now, uint32_t* waitMs);
    // Before a menu, the device does not play: kNothing while the play may
    // still be spinning up, kEnded when it ended near its end, kFailed when
    // it stopped long before (refused).
    Verdict NotPlaying(DWORD mode, uint32_t now);

private:
    bool EndedBy(DWORD mode, uint32_t elapsedMs) const;
    bool SpinningUp(DWORD mode, uint32_t elapsedMs) const;

    bool following = false;
    uint32_t startedAt = 0;
    uint32_t lengthMs = 0;
    int checks = 0;
    // Reports still owed by plays of ours, the current one included (a
    // driver that drops requests leaves some owed for ever).
    uint32_t owed = 0;
};
