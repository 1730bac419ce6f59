// PlayerController on the virtual drive: which commands each operation and
// each notification sends, and what becomes of the flags and the cursor.

#include "player/PlayerController.h"

#include <gtest/gtest.h>

#include <memory>

#include "catalogue/DiscInfo.h"
#include "device/CdAudioDevice.h"
#include "tests/support/MessagePump.h"
#include "tests/support/VirtualDrive.h"

namespace {

namespace PC = PlayerController;

class PlayerTest : public testing::Test {
protected:
    void SetUp() override {
        drive.Control(DiscControl(kFourTrackStarts, "18:02:11"));
        gDevice = new CdAudioDevice();
        window = std::make_unique<NotifyWindow>([](WPARAM code) { PC::OnTrackEnd(code); });
        PC::playing = PC::paused = PC::discPresent = false;
        PC::cursor = 0;
        LoadDisc({1, 2, 3, 4});
        drive.ClearLog();
    }

    void TearDown() override {
        PC::ShutDown();
        window.reset();
    }

    void LoadDisc(std::vector<int> playlist, int numTracks = 4) {
        gDiscInfo.reset();
        gDiscInfo.numTracks = numTracks;
        for (int i = 1; i <= numTracks; i++)
            gDiscInfo.trackNames.push_back("Track " + std::to_string(i));
        gDiscInfo.playlist = playlist;
    }

    // The first word of each command since the log was cleared, e.g.
    // {"stop", "status", "play"}.
    std::vector<std::string> Commands() const {
        std::vector<std::string> words;
        for (const std::string& line : drive.Log())
            words.push_back(line.substr(0, line.find(' ')));
        return words;
    }

    // The tracks that plays started at, in order.
    std::vector<int> PlayedTracks() const { return drive.PlayedTracks(); }

    std::vector<std::string> Seeks() const { return drive.Log({"seek"}); }

    size_t SuccessfulEnds() const {
        size_t count = 0;
        for (WPARAM code : window->codes)
            count += code == MCI_NOTIFY_SUCCESSFUL;
        return count;
    }

    void SlowDown() { drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "speed=20\n")); }

    VirtualDrive drive;
    std::unique_ptr<NotifyWindow> window;
};

TEST_F(PlayerTest, StartWithoutADiscSendsNothing) {
    gDiscInfo.reset();
    PC::Start(window->Handle(), true);
    EXPECT_FALSE(PC::discPresent);
    EXPECT_FALSE(PC::playing);
    EXPECT_TRUE(drive.Log().empty());
}

TEST_F(PlayerTest, StartWithoutAutoplayCuesTheFirstEntry) {
    LoadDisc({3, 1});
    PC::Start(window->Handle(), false);
    EXPECT_TRUE(PC::discPresent);
    EXPECT_FALSE(PC::playing);
    EXPECT_EQ(Commands(), std::vector<std::string>{"seek"});
    EXPECT_EQ(Seeks()[0], "seek flags=0xA to=0x00000003 -> 0");
}

TEST_F(PlayerTest, AutoplayRunsThroughThePlaylistThenStopsOnTheFirstEntry) {
    LoadDisc({2, 1, 3});
    PC::Start(window->Handle(), true);
    EXPECT_TRUE(PC::playing);
    ASSERT_TRUE(PumpUntil([&] { return SuccessfulEnds() == 3; }, 10000));
    PumpFor(100);
    EXPECT_EQ(PlayedTracks(), (std::vector<int>{2, 1, 3}));
    // Each change of track stops first; after the last entry only a stop:
    // no play, no seek back. Before each play: the track's type, its length.
    std::vector<std::string> expected = {"status", "status", "play", "notify", "stop", "status", "status", "play",
                                         "notify", "stop",   "status", "status", "play", "notify", "stop"};
    EXPECT_EQ(Commands(), expected);
    EXPECT_EQ(PC::cursor, 0u);
    EXPECT_TRUE(PC::playing);  // until the next menu asks the device
    PC::RefreshPlaying();
    EXPECT_FALSE(PC::playing);
    EXPECT_FALSE(PC::paused);
}

TEST_F(PlayerTest, OneEntryPlaylistStopsAfterItsEntry) {
    LoadDisc({3});
    PC::Start(window->Handle(), true);
    ASSERT_TRUE(PumpUntil([&] { return SuccessfulEnds() == 1; }));
    PumpFor(50);
    EXPECT_EQ(PlayedTracks(), std::vector<int>{3});
    EXPECT_EQ(PC::cursor, 0u);
    PC::RefreshPlaying();
    EXPECT_FALSE(PC::playing);
}

TEST_F(PlayerTest, PauseThenPlayResumesToTheEndOfThatTrackThenAdvances) {
    SlowDown();
    PC::Start(window->Handle(), true);
    PumpFor(150);
    PC::Pause();
    EXPECT_TRUE(PC::paused);
    EXPECT_FALSE(PC::playing);
    drive.ClearLog();
    PC::Play();
    EXPECT_FALSE(PC::paused);
    EXPECT_TRUE(PC::playing);
    std::vector<std::string> log = drive.Log({"status", "play"});
    ASSERT_EQ(log.size(), 4u);
    // Track 1's type, position, track 1's length, the play from where it stood.
    EXPECT_EQ(log[0].substr(0, 42), "status flags=0x112 item=16385 track=1 -> 0");
    log.erase(log.begin());
    std::string position = log[0].substr(log[0].find("return=") + 7);
    EXPECT_EQ(log[0].substr(0, 24), "status flags=0x102 item=");
    EXPECT_NE(position, "0x00000001");
    EXPECT_EQ(log[1].substr(0, 36), "status flags=0x112 item=1 track=1 ->");
    EXPECT_EQ(log[2], "play flags=0xD from=" + position + " to=" + Hex8(MCI_MAKE_TMSF(1, 4, 29, 17)) + " -> 0");
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11"));
    ASSERT_TRUE(PumpUntil([&] { return SuccessfulEnds() == 1; }));
    EXPECT_EQ(PC::cursor, 1u);
    EXPECT_EQ(PlayedTracks().back(), 2);
}

TEST_F(PlayerTest, PauseThenStopCuesTheFirstEntryAndPlayStartsItAfresh) {
    SlowDown();
    LoadDisc({2, 4});
    PC::Start(window->Handle(), true);
    PC::NextTrack();
    PC::Pause();
    drive.ClearLog();
    PC::Stop();
    EXPECT_FALSE(PC::paused);
    EXPECT_FALSE(PC::playing);
    EXPECT_EQ(PC::cursor, 0u);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"stop", "seek"}));
    EXPECT_EQ(Seeks()[0], "seek flags=0xA to=0x00000002 -> 0");
    drive.ClearLog();
    PC::Play();
    EXPECT_EQ(drive.Log({"play"})[0].substr(0, 30), "play flags=0xD from=0x00000002");
}

TEST_F(PlayerTest, ChoosingAnEntryWhilePlayingStopsAndPlaysIt) {
    SlowDown();
    PC::Start(window->Handle(), true);
    drive.ClearLog();
    PC::SelectEntry(2);
    EXPECT_EQ(PC::cursor, 2u);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"stop", "notify", "status", "status", "play"}));
    EXPECT_EQ(PlayedTracks(), std::vector<int>{3});
    // The stopped play's notification is an abort: it moves nothing.
    PumpFor(100);
    EXPECT_EQ(PC::cursor, 2u);
    EXPECT_TRUE(PC::playing);
}

TEST_F(PlayerTest, ChoosingAnEntryWhileStoppedOnlyCuesIt) {
    PC::Start(window->Handle(), false);
    drive.ClearLog();
    PC::SelectEntry(3);
    EXPECT_EQ(Commands(), std::vector<std::string>{"seek"});
    EXPECT_EQ(Seeks()[0], "seek flags=0xA to=0x00000004 -> 0");
    EXPECT_FALSE(PC::playing);
    drive.ClearLog();
    PC::Play();
    EXPECT_EQ(PlayedTracks(), std::vector<int>{4});
}

TEST_F(PlayerTest, ChoosingAnEntryWhilePausedCuesItAndStaysPaused) {
    SlowDown();
    PC::Start(window->Handle(), true);
    PumpFor(100);
    PC::Pause();
    drive.ClearLog();
    PC::SelectEntry(1);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"stop", "seek"}));
    EXPECT_TRUE(PC::paused);
    EXPECT_FALSE(PC::playing);
    drive.ClearLog();
    PC::Play();
    // The resume path, from the chosen track's start to its end.
    EXPECT_EQ(drive.Log({"play"})[0],
              "play flags=0xD from=0x00000002 to=" + Hex8(MCI_MAKE_TMSF(2, 4, 34, 45)) + " -> 0");
    EXPECT_FALSE(PC::paused);
}

TEST_F(PlayerTest, RepeatedTracksAdvanceByEntryNotByTrack) {
    SlowDown();
    LoadDisc({2, 2, 1, 2, 4, 4});
    PC::Start(window->Handle(), true);
    PC::NextTrack();
    EXPECT_EQ(PC::cursor, 1u);
    PC::NextTrack();
    EXPECT_EQ(PC::cursor, 2u);
    PC::SelectEntry(5);
    PC::PreviousTrack();
    EXPECT_EQ(PC::cursor, 4u);
    EXPECT_EQ(PlayedTracks(), (std::vector<int>{2, 2, 1, 4, 4}));
}

TEST_F(PlayerTest, NextOnTheLastAndPreviousOnTheFirstEntrySendNothing) {
    SlowDown();
    LoadDisc({1, 2});
    PC::Start(window->Handle(), true);
    drive.ClearLog();
    PC::PreviousTrack();
    EXPECT_EQ(PC::cursor, 0u);
    PC::NextTrack();
    EXPECT_EQ(PC::cursor, 1u);
    drive.ClearLog();
    PC::NextTrack();
    EXPECT_EQ(PC::cursor, 1u);
    EXPECT_TRUE(drive.Log().empty());
}

TEST_F(PlayerTest, NotificationsOtherThanSuccessOrWhileNotPlayingChangeNothing) {
    SlowDown();
    PC::Start(window->Handle(), true);
    drive.ClearLog();
    for (WPARAM code : {MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_ABORTED, MCI_NOTIFY_FAILURE})
        PC::OnTrackEnd(code);
    EXPECT_EQ(PC::cursor, 0u);
    PC::Stop();
    drive.ClearLog();
    PC::OnTrackEnd(MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(PC::cursor, 0u);
    EXPECT_TRUE(drive.Log().empty());
}

TEST_F(PlayerTest, RefusedPlaySetsPlayingUntilTheNextRefresh) {
    // Track 5 is not on this disc: the drive refuses the play.
    LoadDisc({5, 1}, 5);
    PC::Start(window->Handle(), true);
    std::vector<std::string> plays = drive.Log({"play"});
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0].substr(plays[0].size() - 7), " -> 282");  // MCIERR_OUTOFRANGE
    EXPECT_TRUE(PC::playing);
    PC::RefreshPlaying();
    EXPECT_FALSE(PC::playing);
}

TEST_F(PlayerTest, DriveThatNeverReportsTheEndLeavesThePlayerStoppedAfterOneTrack) {
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "nonotify=1\n"));
    PC::Start(window->Handle(), true);
    ASSERT_TRUE(PumpUntil([&] { return gDevice->GetMode() == MCI_MODE_STOP; }));
    PumpFor(50);
    EXPECT_EQ(PlayedTracks(), std::vector<int>{1});
    PC::RefreshPlaying();
    EXPECT_FALSE(PC::playing);
}

TEST_F(PlayerTest, VolumeChangeRestartsOrCuesTheFirstEntry) {
    SlowDown();
    LoadDisc({3, 2});
    PC::Start(window->Handle(), true);
    PC::NextTrack();
    drive.ClearLog();
    PC::OnVolumeChange(true);
    EXPECT_EQ(PC::cursor, 0u);
    EXPECT_EQ(PlayedTracks(), std::vector<int>{3});
    EXPECT_TRUE(PC::playing);

    PC::NextTrack();
    PC::Pause();
    drive.ClearLog();
    PC::OnVolumeChange(false);
    EXPECT_EQ(PC::cursor, 0u);
    EXPECT_EQ(Commands(), std::vector<std::string>{"seek"});
    EXPECT_FALSE(PC::paused);  // a cued disc is stopped: a stale menu's Next starts nothing
    PC::NextTrack();
    EXPECT_TRUE(PlayedTracks().empty());

    gDiscInfo.reset();
    PC::cursor = 1;
    PC::paused = true;
    drive.ClearLog();
    PC::OnVolumeChange(true);
    EXPECT_FALSE(PC::discPresent);
    EXPECT_EQ(PC::cursor, 1u);
    EXPECT_TRUE(PC::paused);
    EXPECT_TRUE(drive.Log().empty());
}

TEST_F(PlayerTest, WithoutACurrentEntryNothingIsSentAndNothingThrows) {
    SlowDown();
    LoadDisc({1, 2, 3});
    PC::Start(window->Handle(), true);
    // The editor shortened the playlist under the cursor.
    PC::cursor = 2;
    gDiscInfo.playlist = {4};
    drive.ClearLog();
    PC::Play();
    PC::NextTrack();
    PC::PreviousTrack();
    PC::OnTrackEnd(MCI_NOTIFY_SUCCESSFUL);
    PC::SelectEntry(1);
    EXPECT_TRUE(drive.Log().empty());

    // No disc: transport commands that need an entry send nothing either.
    gDiscInfo.reset();
    PC::OnVolumeChange(true);
    PC::Play();
    PC::NextTrack();
    PC::SelectEntry(0);
    PC::OnTrackEnd(MCI_NOTIFY_SUCCESSFUL);
    EXPECT_TRUE(drive.Log({"play", "seek"}).empty());
}

TEST_F(PlayerTest, ShutDownStopsThenClosesAndReleasesTheDevice) {
    SlowDown();
    PC::Start(window->Handle(), true);
    drive.ClearLog();
    PC::ShutDown();
    EXPECT_EQ(gDevice, nullptr);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"stop", "notify", "close"}));
    // Without a device (the open failed) there is nothing to do.
    PC::ShutDown();
    PC::Pause();
    PC::RefreshPlaying();
}

}  // namespace
