// The end of a play on the real spindlet.exe, in real time: on a drive that
// is silent at the end of a play (as the NT family's own driver is), one
// that reports late, one that reports a failure, and one stuck at "playing".

#include "resources/resource.h"
#include "tests/app/ExeFixture.h"

namespace {

// Four one-second tracks, played in real time.
const char kFourShortTracks[] = "present=1\ntracks=0:02:00 0:03:00 0:04:00 0:05:00\nleadout=0:06:00\nspeed=1\n";
const char kSilent[] = "nonotify=1\n";

class EndOfPlayExeTest : public SpindletExeTest {
protected:
    void Start(const std::string& control) {
        SetFlags(true, true);
        drive.Control(control);
        Launch();
    }

    bool PlayedUpTo(size_t plays, DWORD timeoutMs = 15000) {
        return PumpUntil([&] { return PlayedTracks().size() >= plays; }, timeoutMs);
    }

    // Through to the wrap: the drive stopped after the last play, and
    // nothing more follows.
    void ExpectWrapAndExit(const std::vector<int>& played) {
        EXPECT_TRUE(PumpUntil([&] { return PlayedTracks().size() >= played.size() && Commands().back() == "stop"; },
                              15000));
        PumpFor(2500);
        EXPECT_EQ(PlayedTracks(), played);
        EXPECT_EQ(Commands().back(), "stop");
        PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
        EXPECT_EQ(ExitCode(), 0u);
    }

    void OpenCommandMenu() {
        PostMessageA(window, WM_USER, 1, WM_RBUTTONUP);
        menu = OpenMenu();
        ASSERT_NE(menu, nullptr);
    }

    void CloseMenu() {
        PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 1);
        ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(menu); }));
    }

    // The drive's reports with this code.
    size_t ReportsOf(unsigned code) const {
        size_t count = 0;
        for (const std::string& line : drive.Log({"notify"}))
            count += line == "notify code=" + std::to_string(code);
        return count;
    }

    HWND menu = nullptr;
};

// The menu's refresh sees the device stopped before the fallback does: the
// next entry starts then, and the playlist goes on.
TEST_F(EndOfPlayExeTest, AMenuOpenedBetweenTwoTracksKeepsThePlaylistGoing) {
    Start(std::string(kFourShortTracks) + kSilent + "spinup=0\n");
    ASSERT_TRUE(PlayedUpTo(1));
    PumpFor(1400);  // track 1 is over; the first end on this drive is found 2 s late
    OpenCommandMenu();
    EXPECT_TRUE(PlayedUpTo(2, 500)) << "the menu's refresh did not start the next entry";
    CloseMenu();
    ExpectWrapAndExit({1, 2, 3, 4});
}

TEST_F(EndOfPlayExeTest, AFailureReportedMidTrackStopsThereAndPlayReplaysTheEntry) {
    std::string control = "present=1\ntracks=0:02:00 0:05:00 0:08:00\nleadout=0:11:00\nspeed=1\n" + std::string(kSilent);
    Start(control);
    ASSERT_TRUE(PlayedUpTo(1));
    PumpFor(500);
    drive.Control(control + "failplay=1\n");
    ASSERT_TRUE(PumpUntil([&] { return ReportsOf(8) > 0; }));  // MCI_NOTIFY_FAILURE
    drive.Control(control);
    PumpFor(5500);  // past the play's end and the fallback's time
    EXPECT_EQ(PlayedTracks(), std::vector<int>{1});
    PostMessageA(window, WM_COMMAND, IDM_PLAY, 0);
    ASSERT_TRUE(PlayedUpTo(2));
    EXPECT_EQ(PlayedTracks(), (std::vector<int>{1, 1}));
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(ExitCode(), 0u);
}

// The report comes 2.5 s after the drive says it stopped: the fallback has
// moved on by then, and the report must not end the next entry too.
TEST_F(EndOfPlayExeTest, ALateReportAfterTheFallbackMovedOnSkipsNoEntry) {
    Start(std::string(kFourShortTracks) + "latereport=2500\n");
    ExpectWrapAndExit({1, 2, 3, 4});
    // Each entry played to its end: none was cut short (MCI_NOTIFY_ABORTED).
    EXPECT_EQ(ReportsOf(4), 0u);
}

// Next, Previous, Pause and Play, and a choice from the track menu, each
// cutting a play whose abort report comes after the next play started.
TEST_F(EndOfPlayExeTest, CommandsOnASilentDriveCarryOnToTheWrap) {
    Start(std::string(kFourShortTracks) + kSilent);
    ASSERT_TRUE(PlayedUpTo(1));
    PostMessageA(window, WM_COMMAND, IDM_NEXT, 0);
    ASSERT_TRUE(PlayedUpTo(2));
    PumpFor(200);
    PostMessageA(window, WM_COMMAND, IDM_PREVIOUS, 0);
    ASSERT_TRUE(PlayedUpTo(3));
    PumpFor(300);
    PostMessageA(window, WM_COMMAND, IDM_PAUSE, 0);
    PumpFor(300);
    PostMessageA(window, WM_COMMAND, IDM_PLAY, 0);  // resumes track 1 to its end, then goes on
    ASSERT_TRUE(PlayedUpTo(5, 6000));
    PostMessageA(window, WM_COMMAND, IDM_FIRST_ENTRY + 3, 0);  // the last entry
    ExpectWrapAndExit({1, 2, 1, 1, 2, 4});
}

// A drive that says "playing" for ever and never reports: the program asks
// ever less often instead of once a second.
TEST_F(EndOfPlayExeTest, ADriveStuckAtPlayingIsAskedEverLessOften) {
    Start(std::string(kFourShortTracks) + kSilent + "mode=526\n");
    ASSERT_TRUE(PlayedUpTo(1));
    PumpFor(3500);  // the first check: the play's second and the margin
    drive.ClearLog();
    PumpFor(8000);
    // Once a second would be 8; waits as long as the overrun, 2.
    EXPECT_LE(drive.Log({"status"}).size(), 3u);
    EXPECT_EQ(PlayedTracks().size(), 0u);
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(ExitCode(), 0u);
}

}  // namespace
