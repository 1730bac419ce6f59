// The real PlayerController on a drive as harsh as the platform's: no end
// is reported, every report comes 300 ms late, each play from a stopped
// drive spins up first. Random commands, menus, stale menus and disc
// changes; after each step the invariants a listener relies on.

#include "player/PlayerController.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "catalogue/DiscInfo.h"
#include "device/CdAudioDevice.h"
#include "tests/support/MessagePump.h"
#include "tests/support/VirtualDrive.h"

namespace {

namespace PC = PlayerController;

// Tracks of 0.6 to 1.2 s; the second disc has three.
const char kDiscA[] = "present=1\ntracks=0:02:00 0:02:45 0:03:30 0:04:30 0:05:15\nleadout=0:06:00\n";
const char kDiscB[] = "present=1\ntracks=0:02:00 0:03:00 0:03:50\nleadout=0:04:40\n";
const char kHarsh[] = "speed=1\nreportdelay=300\nspinup=400\n";

class HarshDrive {
public:
    explicit HarshDrive(unsigned seed) : random(seed) {
        drive.Control(std::string(kDiscA) + kHarsh);
        gDevice = new CdAudioDevice();
        window = std::make_unique<NotifyWindow>([](WPARAM code) { PC::OnTrackEnd(code); });
        window->onTimer = [](WPARAM id) {
            if (id == kEndOfPlayTimer)
                PC::OnEndOfPlayTimer();
        };
        Load(5);
        PC::Start(window->Handle(), Below(2));
        asked = PC::playing;
    }

    ~HarshDrive() {
        PC::ShutDown();
        window.reset();
    }

    void RunRandomly(int steps) {
        for (int i = 0; i < steps && !testing::Test::HasFailure(); i++) {
            switch (Below(10)) {
            case 0: Click(kNext); break;
            case 1: Click(kPrevious); break;
            case 2: Select(Below(gDiscInfo.playlist.size() + 1)); break;
            case 3: Quiet([] { PC::Pause(); }); break;
            case 4: Quiet([] { PC::Stop(); }); break;
            case 5: Play(); break;
            case 6: SwapDisc(Below(2)); break;
            default: Menu(); Wait(Below(1200)); break;
            }
        }
    }

    // From a fresh menu the player is started one way or another; then
    // only time and menus: each entry from the cursor on plays once, in
    // order, up to the wrap.
    void ExpectTheRestOfThePlaylist() {
        Menu();
        switch (Below(3)) {
        case 0: SwapDisc(true); break;
        case 1:
            if (PC::playing && PC::cursor + 1 < gDiscInfo.playlist.size()) {
                PC::NextTrack();
                break;
            }
            // fall through
        default: Play(); break;
        }
        ASSERT_TRUE(PC::playing);
        std::vector<int> expected(gDiscInfo.playlist.begin() + PC::cursor, gDiscInfo.playlist.end());
        size_t from = drive.PlayedTracks().size() - 1;
        for (int i = 0; i < 40 && PC::playing && !testing::Test::HasFailure(); i++) {
            Wait(Below(700));
            if (Below(2))
                Menu();
        }
        Wait(3000);
        std::vector<int> played = drive.PlayedTracks();
        EXPECT_EQ(std::vector<int>(played.begin() + from, played.end()), expected);
        PC::RefreshPlaying();
        EXPECT_FALSE(PC::playing);
        EXPECT_EQ(PC::cursor, 0u);
    }

private:
    enum Command { kNext, kPrevious };

    size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); }

    void Load(int tracks) {
        gDiscInfo.reset();
        gDiscInfo.numTracks = tracks;
        for (int i = 1; i <= tracks; i++)
            gDiscInfo.trackNames.push_back(DefaultTrackName(i));
        size_t entries = 1 + Below(6);
        for (size_t i = 0; i < entries; i++)
            gDiscInfo.playlist.push_back(1 + int(Below(tracks)));
    }

    // Time passes; while nothing asked for a play, none starts.
    void Wait(DWORD ms) {
        size_t plays = drive.PlayedTracks().size();
        PumpFor(ms);
        if (!asked) {
            EXPECT_EQ(drive.PlayedTracks().size(), plays) << "a play nobody asked for";
        }
    }

    // What a menu shows agrees with the drive: playing while it plays or
    // spins up, not playing while it does neither.
    void Menu() {
        PC::RefreshPlaying();
        DWORD mode = gDevice->GetMode();
        bool drivePlays = mode == MCI_MODE_PLAY || mode == MCI_MODE_SEEK;
        EXPECT_EQ(PC::playing, drivePlays) << "the menu shows playing " << PC::playing << ", the mode is " << mode;
        menuPlaying = PC::playing;
        menuEntry = PC::cursor;
        asked = PC::playing;
    }

    // Next or Previous as the last menu offered it; after a disc change or
    // a stop the menu is stale and the click starts nothing.
    void Click(Command command) {
        bool offered = menuPlaying && (command == kNext ? menuEntry + 1 < gDiscInfo.playlist.size() : menuEntry > 0);
        if (!offered)
            return;
        size_t plays = drive.PlayedTracks().size();
        command == kNext ? PC::NextTrack() : PC::PreviousTrack();
        if (!asked) {
            EXPECT_EQ(drive.PlayedTracks().size(), plays) << "a stale menu's click started a play";
        }
    }

    // From the track menu, just opened.
    void Select(size_t entry) {
        Menu();
        PC::SelectEntry(entry);
    }

    void Play() {
        PC::Play();
        asked = PC::discPresent;
    }

    void Quiet(void (*command)()) {
        command();
        asked = false;
    }

    // One change of disc: the other disc, or none for a while first.
    void SwapDisc(bool autoplay) {
        if (Below(3) == 0) {
            drive.Control("present=0\n" + std::string(kHarsh));
            gDiscInfo.reset();
            PC::OnVolumeChange(autoplay);
            Wait(Below(500));
        }
        bool toB = Below(2);
        drive.Control(std::string(toB ? kDiscB : kDiscA) + kHarsh);
        PC::ReopenDevice();
        Load(toB ? 3 : 5);
        PC::OnVolumeChange(autoplay);
        asked = PC::playing;
    }

    std::mt19937 random;
    VirtualDrive drive;
    std::unique_ptr<NotifyWindow> window;
    bool asked = false;  // a play was asked for and not stopped since
    bool menuPlaying = false;
    size_t menuEntry = 0;
};

TEST(HarshDrive, EveryEntryOnceInOrderAndNothingUnasked) {
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        HarshDrive player(seed);
        player.RunRandomly(20);
        player.ExpectTheRestOfThePlaylist();
    }
}

}  // namespace
