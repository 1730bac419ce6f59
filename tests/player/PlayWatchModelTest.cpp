// The play watch against simulated drivers, in random sequences of
// commands, ends, reports, menus and disc changes. The simulated driver
// keeps the truth: which play runs, which ended by itself, which report
// belongs to which play. The player around the watch does what
// PlayerController does.

#include "player/PlayWatch.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

namespace {

enum class Driver { Reporting, Platform, Dropping, Late };

struct Report {
    WPARAM code;
    int play;
};

class Simulation {
public:
    Simulation(Driver driver, unsigned seed) : driver(driver), random(seed) {
        size_t entries = 1 + Below(6);
        for (size_t i = 0; i < entries; i++)
            lengths.push_back(Below(3) == 0 ? Below(400) : 300 + Below(5000));
        playingAfterEnd = driver == Driver::Platform && Below(2) ? Below(2500) : 0;
    }

    // Commands, reports, menus, failures and disc changes at random moments.
    void RunRandomly(int steps) {
        for (int i = 0; i < steps && !testing::Test::HasFailure(); i++) {
            Wait(0);  // what was posted comes before the user's next click
            switch (Below(12)) {
            case 0: Next(); break;
            case 1: Previous(); break;
            case 2: SelectEntry(Below(lengths.size())); break;
            case 3: Pause(); break;
            case 4: Play(); break;
            case 5: Stop(); break;
            case 6: Menu(); break;
            case 7: DiscChanged(Below(2) == 0); break;
            case 8: if (Below(4) == 0) FailThePlay(); break;
            default: Wait(Below(2000)); break;
            }
        }
    }

    // Nothing but time, menus and the driver: a playing player reaches the
    // wrap, having played each entry after the current one once.
    void ExpectToReachTheWrap() {
        Wait(0);
        bool expectWrap = playing && watch.Following();
        size_t from = cursor, started = plays;
        for (int i = 0; i < 400 && !testing::Test::HasFailure(); i++) {
            if (Below(8) == 0)
                Menu();
            Wait(Below(3000));
        }
        if (!expectWrap)
            return;
        EXPECT_EQ(cursor, 0u) << "halted";
        EXPECT_EQ(plays - started, lengths.size() - 1 - from) << "halted";
        EXPECT_FALSE(watch.Following());
    }

private:
    size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); }

    // The driver.

    void Post(WPARAM code, int play) { queue.push_back({code, play}); }

    // Stop, pause, seek and play post an abort for the pending request.
    void DriverCut() {
        if (pending)
            Post(MCI_NOTIFY_ABORTED, pending);
        pending = 0;
        running = 0;
        playingUntil = 0;
    }

    int DriverPlay(uint32_t length) {
        DriverCut();
        running = pending = ++lastPlay;
        // A drive may stop a little before or after the nominal end.
        int jitter = int(Below(400)) - 100;
        runningEnd = now + uint32_t(std::max(0, int(length) + jitter));
        return running;
    }

    DWORD DriverMode() const {
        if (running)
            return MCI_MODE_PLAY;
        return now < playingUntil ? MCI_MODE_PLAY : MCI_MODE_STOP;
    }

    void DriverRunTo(uint32_t time) {
        for (;;) {
            uint32_t next = running ? runningEnd : UINT32_MAX;
            for (auto& late : lateReports)
                next = std::min(next, late.first);
            if (next > time)
                break;
            now = std::max(now, next);
            if (running && runningEnd == now)
                EndOfPlay();
            for (size_t i = 0; i < lateReports.size(); i++)
                if (lateReports[i].first <= now) {
                    Post(MCI_NOTIFY_SUCCESSFUL, lateReports[i].second);
                    lateReports.erase(lateReports.begin() + long(i--));
                }
        }
        now = std::max(now, time);
    }

    void EndOfPlay() {
        endedByItself.resize(running + 1);
        endedByItself[running] = true;
        playingUntil = now + playingAfterEnd;
        if (driver == Driver::Reporting)
            Post(MCI_NOTIFY_SUCCESSFUL, running);
        if (driver == Driver::Late)
            lateReports.push_back({now + 200 + uint32_t(Below(3000)), running});
        if (driver != Driver::Platform)
            pending = 0;  // the platform's driver keeps it until the next command
        running = 0;
    }

    void FailThePlay() {
        if (!running)
            return;
        Post(MCI_NOTIFY_FAILURE, running);
        pending = running = 0;
    }

    // The player, as PlayerController drives the watch.

    void TakeEarlierReports(bool abortsOnly) {
        while (!queue.empty()) {
            if (abortsOnly && queue.front().code != MCI_NOTIFY_ABORTED)
                return;
            watch.EarlierReport(queue.front().code);
            queue.pop_front();
        }
    }

    void PlayEntry(uint32_t length) {
        watch.Forget();
        timerAt = 0;
        TakeEarlierReports(false);
        current = DriverPlay(length);
        plays++;
        watch.Started(now, length);
        timerAt = now + watch.FirstCheckMs();
        TakeEarlierReports(true);
    }

    void Cut() {
        watch.Forget();
        timerAt = 0;
        DriverCut();
    }

    // On to the next entry after the current one ended by itself.
    void Advance() {
        EXPECT_TRUE(current < (int)endedByItself.size() && endedByItself[current])
            << "play " << current << " was cut short";
        Cut();
        if (++cursor >= lengths.size())
            cursor = 0;
        else
            PlayEntry(lengths[cursor]);
    }

    void Next() {
        if (!playing || cursor + 1 >= lengths.size())
            return;
        cursor++;
        Cut();
        PlayEntry(lengths[cursor]);
    }

    void Previous() {
        if (!playing || cursor == 0)
            return;
        cursor--;
        Cut();
        PlayEntry(lengths[cursor]);
    }

    void SelectEntry(size_t entry) {
        Cut();
        cursor = entry;
        if (playing)
            PlayEntry(lengths[cursor]);
    }

    void Pause() {
        Cut();
        paused = true;
        playing = false;
    }

    void Play() {
        PlayEntry(paused ? uint32_t(Below(lengths[cursor] + 1)) : lengths[cursor]);
        paused = false;
        playing = true;
    }

    void Stop() {
        Cut();
        cursor = 0;
        paused = playing = false;
    }

    void DiscChanged(bool autoplay) {
        watch.Forget();
        timerAt = 0;
        cursor = 0;
        if (autoplay) {
            PlayEntry(lengths[cursor]);
            playing = true;
            paused = false;
        } else {
            Cut();  // cued
        }
    }

    void Menu() {
        DWORD mode = DriverMode();
        if (playing && mode != MCI_MODE_PLAY) {
            timerAt = 0;
            if (watch.NotPlaying(mode, now) == PlayWatch::kEnded) {
                Advance();
                playing = watch.Following();
                return;
            }
        }
        playing = mode == MCI_MODE_PLAY;
    }

    // Time passes: the driver ends plays and posts late reports, the
    // window gets its posted messages before its timer.
    void Wait(uint32_t ms) {
        uint32_t until = now + ms;
        for (;;) {
            if (!queue.empty()) {
                Deliver();
                continue;
            }
            uint32_t next = timerAt && timerAt <= until ? timerAt : until;
            DriverRunTo(next);
            if (!queue.empty())
                continue;
            if (timerAt && now >= timerAt) {
                OnTimer();
                continue;
            }
            if (now >= until)
                return;
        }
    }

    void Deliver() {
        Report report = queue.front();
        queue.pop_front();
        PlayWatch::Verdict verdict = watch.Report(report.code, watch.NeedsMode(report.code) ? DriverMode() : 0);
        // A failure is the current play's own. Two successes carry no
        // identity: an earlier play's, late, may stand for the current
        // play's only when that one is over too (Advance checks it).
        if (verdict == PlayWatch::kFailed) {
            EXPECT_EQ(report.play, current) << "a report taken for another play";
        }
        if (verdict == PlayWatch::kEnded) {
            EXPECT_LE(report.play, current) << "a later play's report";
        }
        if (verdict == PlayWatch::kFailed)
            timerAt = 0;
        if (verdict == PlayWatch::kEnded && playing)
            Advance();
    }

    void OnTimer() {
        timerAt = 0;
        if (!watch.Following() || !playing)
            return;
        uint32_t wait = 0;
        if (watch.Check(DriverMode(), now, &wait) == PlayWatch::kEnded)
            Advance();
        else if (wait > 0)
            timerAt = now + wait;
    }

    Driver driver;
    std::mt19937 random;
    std::vector<uint32_t> lengths;  // each entry's, in ms
    uint32_t playingAfterEnd = 0;    // some native drives say "playing" for a while

    uint32_t now = 1000;
    int lastPlay = 0, running = 0, pending = 0;
    uint32_t runningEnd = 0, playingUntil = 0;
    std::vector<bool> endedByItself;
    std::vector<std::pair<uint32_t, int>> lateReports;
    std::deque<Report> queue;

    PlayWatch watch;
    size_t cursor = 0, plays = 0;
    bool playing = false, paused = false;
    int current = 0;
    uint32_t timerAt = 0;
};

TEST(PlayWatchModel, RandomSequencesOnEveryDriverKeepTheInvariants) {
    const int kSequences = 4000;
    for (Driver driver : {Driver::Reporting, Driver::Platform, Driver::Dropping, Driver::Late}) {
        for (unsigned seed = 1; seed <= kSequences && !testing::Test::HasFailure(); seed++) {
            SCOPED_TRACE(testing::Message() << "driver " << int(driver) << ", seed " << seed);
            Simulation simulation(driver, seed);
            simulation.RunRandomly(40);
            simulation.ExpectToReachTheWrap();
        }
    }
}

}  // namespace
