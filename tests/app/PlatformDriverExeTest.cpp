// The real spindlet.exe on the platform's own kind of driver, the virtual
// drive's default: the end of a play is never reported, the request hangs
// until the next stop, pause, seek or play aborts it, and the mode reads
// stopped while paused. One-second tracks in real time.

#include "device/DiscId.h"
#include "resources/resource.h"
#include "tests/app/ExeFixture.h"
#include "tools/vcd/ControlFile.h"

namespace {

const char kFourTracks[] = "present=1\ntracks=0:02:00 0:03:00 0:04:00 0:05:00\nleadout=0:06:00\nspeed=1\n";

class PlatformDriverExeTest : public SpindletExeTest {
protected:
    void Start(const std::string& extra = "", bool autoplay = true) {
        DeleteFileA(IniPath().c_str());
        SetFlags(true, autoplay);
        drive.Control(kFourTracks + extra);
        Launch();
    }

    bool PlayedUpTo(size_t plays, DWORD timeoutMs = 8000) {
        return PumpUntil([&] { return PlayedTracks().size() >= plays; }, timeoutMs);
    }

    void Command(UINT id) { PostMessageA(window, WM_COMMAND, id, 0); }

    // A menu from the icon, open for a while: its refresh asks the mode.
    void OpenAndCloseAMenu(DWORD openMs) {
        PostMessageA(window, WM_USER, 1, WM_RBUTTONUP);
        HWND menu = OpenMenu();
        ASSERT_NE(menu, nullptr);
        PumpFor(openMs);
        PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 1);
        ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(menu); }));
    }

    // The last command but the queries.
    std::string LastCommand() const {
        std::vector<std::string> commands = Commands();
        while (!commands.empty() && commands.back() == "status")
            commands.pop_back();
        return commands.empty() ? "" : commands.back();
    }

    // On to the wrap: the last play, a stop, and nothing after it but the
    // type of a data track passed.
    void ExpectWrapAndExit(const std::vector<int>& played) {
        EXPECT_TRUE(PumpUntil([&] { return PlayedTracks().size() >= played.size() && LastCommand() == "stop"; },
                              20000));
        PumpFor(1500);
        EXPECT_EQ(PlayedTracks(), played);
        EXPECT_EQ(LastCommand(), "stop");
        Command(IDM_EXIT);
        EXPECT_EQ(ExitCode(), 0u);
    }
};

std::string FourTrackSection() {
    return FormatDiscId(DiscIdFromToc({0x0200, 0x0300, 0x0400, 0x0500}, 0));
}

TEST_F(PlatformDriverExeTest, PlaysAPlaylistWithRepeatsThroughToTheWrap) {
    SetFlags(true, true);
    drive.Control(kFourTracks);
    WriteSection(FourTrackSection(), "A", "T", {"a", "b", "c", "d"}, "1 0 1 3 1");
    Launch();
    ExpectWrapAndExit({2, 1, 2, 4, 2});
}

// Each command in the middle of a track, and right after the player moved
// on from an end, when the abort of the ended play is still to come.
TEST_F(PlatformDriverExeTest, CommandsMidTrackAndRightAfterAnEndCarryOnToTheWrap) {
    Start();
    ASSERT_TRUE(PlayedUpTo(1));
    PumpFor(400);
    Command(IDM_NEXT);  // mid-track: to track 2
    ASSERT_TRUE(PlayedUpTo(3));
    Command(IDM_PREVIOUS);  // track 3 has just begun: back to track 2
    ASSERT_TRUE(PlayedUpTo(4));
    PumpFor(300);
    Command(IDM_PAUSE);
    PumpFor(300);
    Command(IDM_PLAY);  // resumes track 2 to its end, then on
    ASSERT_TRUE(PlayedUpTo(6));
    Command(IDM_FIRST_ENTRY + 3);  // track 3 has just begun: the last entry
    ASSERT_TRUE(PlayedUpTo(7));
    Command(IDM_STOP);  // mid-track
    PumpFor(300);
    Command(IDM_PLAY);  // from the first entry again
    ASSERT_TRUE(PlayedUpTo(9));
    Command(IDM_STOP);  // track 2 has just begun
    Command(IDM_PLAY);
    ExpectWrapAndExit({1, 2, 3, 2, 2, 3, 4, 1, 2, 1, 2, 3, 4});
}

// The same commands at the other moments.
TEST_F(PlatformDriverExeTest, TheSameCommandsTheOtherWayRoundCarryOnToTheWrap) {
    Start();
    ASSERT_TRUE(PlayedUpTo(2));
    Command(IDM_NEXT);  // track 2 has just begun: to track 3
    ASSERT_TRUE(PlayedUpTo(3));
    PumpFor(400);
    Command(IDM_PREVIOUS);  // mid-track: back to track 2
    ASSERT_TRUE(PlayedUpTo(4));
    PumpFor(300);
    Command(IDM_FIRST_ENTRY);  // mid-track: the first entry
    ASSERT_TRUE(PlayedUpTo(6));
    Command(IDM_PAUSE);  // track 2 has just begun
    PumpFor(300);
    Command(IDM_PLAY);
    ExpectWrapAndExit({1, 2, 3, 2, 1, 2, 2, 3, 4});
}

// The menu's refresh asks the mode before, at and after the end of the
// first track: whichever sees the end first moves on, once.
TEST_F(PlatformDriverExeTest, AMenuAroundAnEndNeverHaltsNorSkips) {
    for (DWORD openAt : {600u, 850u, 1000u, 1150u, 1400u}) {
        SCOPED_TRACE(openAt);
        drive.ClearLog();
        Start();
        ASSERT_TRUE(PlayedUpTo(1));
        PumpFor(openAt);
        OpenAndCloseAMenu(300);
        ExpectWrapAndExit({1, 2, 3, 4});
    }
}

TEST_F(PlatformDriverExeTest, AVolumeRemovalAndArrivalWhilePlayingStartAfresh) {
    Start();
    ASSERT_TRUE(PlayedUpTo(2));
    EXPECT_EQ(drive.ChangeDisc("eject"), 0u);
    PumpFor(1500);
    EXPECT_EQ(PlayedTracks().size(), 2u);
    drive.ClearLog();
    EXPECT_EQ(drive.ChangeDisc("insert \"tracks=0:02:00 0:03:00 0:04:00\" leadout=0:05:00"), 0u);
    // An arrival while the new disc plays: the first entry again, and on.
    ASSERT_TRUE(PlayedUpTo(2));
    EXPECT_EQ(drive.ChangeDisc("insert \"tracks=0:02:00 0:03:00 0:04:00\" leadout=0:05:00"), 0u);
    ExpectWrapAndExit({1, 2, 1, 2, 3});
}

// A swap announced twice, on the platform's kind of drive: its reports
// come late (the closed device's abort after the new open), and it spins
// up. One close and open, the new disc's first entry played once, and its
// playlist on to the wrap.
TEST_F(PlatformDriverExeTest, ASwapAnnouncedTwiceWithLateReportsPlaysTheNewDiscOnce) {
    Start("speed=0.5\n");
    ASSERT_TRUE(PlayedUpTo(1));
    drive.ClearLog();
    EXPECT_EQ(drive.ChangeDisc("insert \"tracks=0:02:00 0:03:00 0:04:00\" leadout=0:05:00 twice=200"), 0u);
    EXPECT_TRUE(PumpUntil([&] { return PlayedTracks().size() >= 3; }, 12000));
    EXPECT_EQ(drive.Log({"close"}).size(), 1u);
    EXPECT_EQ(drive.Log({"open"}).size(), 1u);
    ExpectWrapAndExit({1, 2, 3});
}

// An Enhanced CD (data last) and a game disc (data first): the data track
// is passed at once, never played.
TEST_F(PlatformDriverExeTest, DataTracksArePassedAtOnce) {
    Start("data=4\n");
    ExpectWrapAndExit({1, 2, 3});
    drive.ClearLog();
    Start("data=1\n");
    ExpectWrapAndExit({2, 3, 4});
}

// The platform's driver says "stopped" while paused: a menu then must not
// take the pause for an end or a refusal, and nothing moves.
TEST_F(PlatformDriverExeTest, PausedThenAMenuWhileTheDriverSaysStoppedMovesNothing) {
    Start();
    ASSERT_TRUE(PlayedUpTo(1));
    PumpFor(700);
    Command(IDM_PAUSE);
    PumpFor(200);
    drive.ClearLog();
    OpenAndCloseAMenu(300);
    PumpFor(2000);
    for (const std::string& command : Commands())
        EXPECT_EQ(command, "status");
    Command(IDM_PLAY);  // the paused track goes on to its end, then the rest
    ASSERT_TRUE(PlayedUpTo(1));
    EXPECT_NE(drive.Log({"play"})[0].find("from=0x"), std::string::npos);
    EXPECT_NE(drive.Log({"play"})[0].find("from=0x00000001 "), 0u);
    ExpectWrapAndExit({1, 2, 3, 4});
}

// Pause from a menu opened before the wrap, chosen after it: the drive stands
// at the end of the last entry's track, so Play starts the first entry.
TEST_F(PlatformDriverExeTest, PlayAfterAPauseChosenPastTheWrapStartsTheFirstEntry) {
    SetFlags(true, true);
    drive.Control(kFourTracks);
    WriteSection(FourTrackSection(), "A", "T", {"a", "b", "c", "d"}, "3 2 1 0");
    Launch();
    ASSERT_TRUE(PumpUntil([&] { return PlayedTracks().size() == 4 && LastCommand() == "stop"; }, 10000));
    drive.ClearLog();
    Command(IDM_PAUSE);
    PumpFor(300);
    Command(IDM_PLAY);
    ASSERT_TRUE(PlayedUpTo(1));
    std::string play = drive.Log({"play"})[0];
    EXPECT_NE(play.find("from=0x00000004 "), std::string::npos) << play;
    EXPECT_EQ(play.substr(play.size() - 4), "-> 0");
    ExpectWrapAndExit({4, 3, 2, 1});
}

// OK on a playlist changed while its first entry plays (1 2 3 4 to 2 1 3 4):
// the cursor follows the track that plays, and the new order goes on from it.
TEST_F(PlatformDriverExeTest, APlaylistSavedWhileATrackPlaysFollowsThatTrack) {
    Start("speed=0.5\n", false);  // two seconds a track; stopped: the Playlist page
    Command(IDM_EDIT_PLAYLIST);
    HWND dialog = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (dialog = FindWindowA("#32770", "Playlist")) && IsWindowVisible(dialog); }));
    Command(IDM_PLAY);
    ASSERT_TRUE(PlayedUpTo(1));
    HWND list = nullptr;
    for (HWND page = nullptr; !list && (page = FindWindowExA(dialog, page, "#32770", nullptr));)
        list = GetDlgItem(page, IDC_PLAYLIST_LIST);
    ASSERT_NE(list, nullptr);
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(GetParent(list), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1), 0);  // the down arrow
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(IniValue(FourTrackSection(), "order"), "1 0 2 3");
    ExpectWrapAndExit({1, 3, 4});
}

// Without a CD-ROM letter (an old system, a drive without one) any volume may
// be the drive's: an arrival of E: reads the disc anew.
TEST_F(PlatformDriverExeTest, WithoutACdRomLetterEveryVolumeEventCounts) {
    Start("speed=0.5\n");
    ASSERT_TRUE(PlayedUpTo(2));
    drive.ClearLog();
    EXPECT_EQ(drive.ChangeDisc("insert letter=E"), 0u);
    ASSERT_TRUE(PlayedUpTo(1));
    // The watch may ask the mode while the events settle; the first command
    // after them is the close.
    EXPECT_EQ(drive.Log({"close", "open", "play", "seek", "stop"})[0].substr(0, 6), "close ");
    ExpectWrapAndExit({1, 2, 3, 4});
}

// Another program takes the drive in the moment of a swap: no disc and no
// box, and the next arrival, or the next menu, opens the drive again.
TEST_F(PlatformDriverExeTest, AFailedReopenFindsNoDiscUntilTheNextArrivalOrMenu) {
    Start("speed=0.5\n");
    ASSERT_TRUE(PlayedUpTo(1));
    drive.ClearLog();
    EXPECT_EQ(drive.ChangeDisc("insert busy=1"), 0u);
    ASSERT_TRUE(PumpUntil([&] { return !drive.Log({"open"}).empty(); }));
    PumpFor(500);
    EXPECT_EQ(drive.Log({"open"})[0].find("-> 0"), std::string::npos);
    EXPECT_EQ(FindWindowA("#32770", nullptr), nullptr);
    EXPECT_TRUE(PlayedTracks().empty());
    EXPECT_EQ(drive.ChangeDisc("insert busy=0"), 0u);
    ASSERT_TRUE(PlayedUpTo(1));
    EXPECT_EQ(drive.ChangeDisc("insert openfails=1"), 0u);
    ASSERT_TRUE(PumpUntil([&] { return drive.Log({"open"}).size() >= 3; }));
    PumpFor(800);
    drive.ClearLog();
    OpenAndCloseAMenu(100);
    ASSERT_FALSE(drive.Log({"open"}).empty());
    EXPECT_NE(drive.Log({"open"})[0].find("-> 0"), std::string::npos);
    ExpectWrapAndExit({1, 2, 3, 4});
}

}  // namespace

// In a prefix whose D: is a CD-ROM drive, the drive that the default device
// plays, as on a machine with one.
class CdRomLetterTest : public PlatformDriverExeTest {};

// The driver answers from the table of contents it read at its open: a new
// disc is read through a fresh open, so its own section is found and its
// first entry is played (Autoplay) or cued. Nothing is written.
TEST_F(CdRomLetterTest, ASwappedDiscIsReadThroughAFreshOpen) {
    for (bool autoplay : {true, false}) {
        SCOPED_TRACE(autoplay);
        WriteSection(FourTrackSection(), "Old", "T", {"a", "b", "c", "d"}, "0 1 2 3");
        std::string newSection = FormatDiscId(DiscIdFromToc({0x0200, 0x0300, 0x0400}, 0));
        WritePrivateProfileStringA(newSection.c_str(), "order", "2 0 1", IniPath().c_str());
        std::string before;
        ReadTextFile(IniPath().c_str(), &before);
        SetFlags(true, autoplay);
        drive.Control(kFourTracks);
        Launch();
        ASSERT_TRUE(PlayedUpTo(autoplay ? 1 : 0));
        PumpFor(300);
        drive.ClearLog();
        EXPECT_EQ(drive.ChangeDisc("insert \"tracks=0:02:00 0:03:00 0:04:00\" leadout=0:05:00"), 0u);
        ASSERT_TRUE(PumpUntil([&] { return !drive.Log({autoplay ? "play" : "seek"}).empty(); }));
        std::vector<std::string> commands = drive.Log({"close", "open", "play", "seek", "stop"});
        commands.resize(2);
        EXPECT_EQ(commands[0].substr(0, 6), "close ");
        EXPECT_EQ(commands[1].substr(0, 5), "open ");
        if (autoplay) {
            EXPECT_EQ(PlayedTracks()[0], 3);
        } else {
            EXPECT_NE(drive.Log({"seek"})[0].find("to=0x00000003 "), std::string::npos);
        }
        Command(IDM_EXIT);
        EXPECT_EQ(ExitCode(), 0u);
        std::string after;
        ReadTextFile(IniPath().c_str(), &after);
        EXPECT_EQ(after, before);
        DeleteFileA(IniPath().c_str());
    }
}

// A USB stick put in and taken out while a track plays: no command but the
// watch's queries, and the playlist goes on.
TEST_F(CdRomLetterTest, AnotherLettersVolumeChangesNothing) {
    Start("speed=0.5\n");
    ASSERT_TRUE(PlayedUpTo(1));
    drive.ClearLog();
    EXPECT_EQ(drive.ChangeDisc("insert letter=E"), 0u);
    EXPECT_EQ(drive.ChangeDisc("eject letter=E"), 0u);
    PumpFor(300);
    for (const std::string& command : Commands())
        EXPECT_EQ(command, "status");
    ExpectWrapAndExit({2, 3, 4});
}
