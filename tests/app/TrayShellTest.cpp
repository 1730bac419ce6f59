// The real tray window in this process, on the virtual drive and the real
// menus of resource 102: what the menus offer in each player state, and
// commands chosen through real pop-ups.

#include "app/TrayWindow.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <cstring>
#include <functional>
#include <vector>

#include "app/TrayMenu.h"
#include "catalogue/DiscInfo.h"
#include "player/PlayerController.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "tests/support/MessagePump.h"
#include "tests/support/ModalScript.h"
#include "tests/support/Stage.h"
#include "tests/support/VirtualDrive.h"

namespace {

namespace PC = PlayerController;

const UINT kMarks = MF_CHECKED | MF_GRAYED | MF_DISABLED;
const UINT kAllCommands[] = {IDM_PLAY, IDM_PAUSE,         IDM_STOP,        IDM_PREVIOUS, IDM_NEXT,
                             IDM_EDIT_PLAYLIST, IDM_PREFERENCES, IDM_ABOUT, IDM_EXIT};

std::function<void(HMENU)> gInMenu;

// Runs inside the pop-up's loop: hands the open menu to the test's script.
void CALLBACK ActInMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND popup = FindWindowA("#32768", nullptr);
    if (!popup)
        return;
    KillTimer(nullptr, timer);
    gInMenu((HMENU)SendMessageA(popup, MN_GETHMENU, 0, 0));
}

void PostKey(UINT message, WPARAM key) {
    PostMessageA(FindWindowA("#32768", nullptr), message, key, 1);
}

class TrayShellTest : public testing::Test {
protected:
    void SetUp() override {
        WriteSection(ThreeTrackSection(), "Artist", "Title", {"Alpha", "Beta", "Gamma"}, "2 0 1");
        UseDisc("speed=1\n");
    }

    void TearDown() override {
        if (IsWindow(window))
            DestroyWindow(window);
        // The window's end posts WM_QUIT, which would end the next test's loops.
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        DeleteFileA(IniPath().c_str());
    }

    void UseDisc(const std::string& extra) { drive.Control(DiscControl(kThreeTrackStarts, kThreeTrackLeadOut, extra)); }

    void Start(bool autoplay, bool lclickMenu = true) {
        SetFlags(lclickMenu, autoplay);
        static bool registered = RegisterTrayWindowClass(GetModuleHandleA(nullptr));
        ASSERT_TRUE(registered);
        window = CreateTrayWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(window, nullptr);
    }

    void Command(UINT id) { SendMessageA(window, WM_COMMAND, id, 0); }

    HMENU TrackMenu() const { return GetSubMenu(GetMenu(window), 0); }
    HMENU CommandMenu() const { return GetSubMenu(GetMenu(window), 1); }

    // The commands that are enabled after a refresh, in menu order.
    std::vector<UINT> EnabledCommands() {
        UpdateMenuState(window);
        std::vector<UINT> enabled;
        for (UINT id : kAllCommands)
            if ((GetMenuState(CommandMenu(), id, MF_BYCOMMAND) & kMarks) == 0)
                enabled.push_back(id);
        return enabled;
    }

    // Each track-menu item as "text" with "*" for the radio mark, after a refresh.
    std::vector<std::string> TrackItems() {
        UpdateMenuState(window);
        std::vector<std::string> items;
        HMENU menu = TrackMenu();
        for (int i = 0; i < GetMenuItemCount(menu); i++) {
            char text[128] = "";
            GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
            UINT state = GetMenuState(menu, i, MF_BYPOSITION) & kMarks;
            EXPECT_EQ(GetMenuItemID(menu, i), UINT(IDM_FIRST_ENTRY + i));
            items.push_back(std::string(text) + (state & MF_CHECKED ? "*" : ""));
        }
        return items;
    }

    // Opens the pop-up of a released button, as the shell does, and runs
    // script inside its loop; then delivers the chosen command.
    void ClickIcon(UINT button, std::function<void(HMENU)> script) {
        gInMenu = std::move(script);
        SetTimer(nullptr, 0, 20, ActInMenu);
        SendMessageA(window, WM_USER, 1, button);
        PumpFor(100);
    }

    size_t Plays() const { return drive.Log({"play"}).size(); }

    // Whether the end-of-play timer runs: idle means no timer at all. Asking
    // kills it, so a test asks only where it no longer matters.
    bool EndOfPlayTimerRuns() { return KillTimer(window, kEndOfPlayTimer) != 0; }

    VirtualDrive drive;
    HWND window = nullptr;
};

const std::vector<UINT> kAlwaysEnabled = {IDM_PREFERENCES, IDM_ABOUT, IDM_EXIT};

TEST_F(TrayShellTest, WithoutADiscOnlyTheProgramCommandsAreOffered) {
    drive.Control("present=0\n");
    Start(true);
    HMENU menu = TrackMenu();
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    char text[64] = "";
    GetMenuStringA(menu, 0, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "No audio cd in drive.");
    EXPECT_EQ(GetMenuItemID(menu, 0), 0u);
    EXPECT_NE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED, 0u);
    EXPECT_EQ(EnabledCommands(), kAlwaysEnabled);
    Command(IDM_PLAY);
    EXPECT_EQ(Plays(), 0u);
}

TEST_F(TrayShellTest, MenusFollowThePlayerFromStoppedToPlayingToPaused) {
    Start(false);
    // Cued, not playing: the stored order 2 0 1 lists Gamma, Alpha, Beta.
    EXPECT_EQ(TrackItems(), (std::vector<std::string>{"Gamma*", "Alpha", "Beta"}));
    EXPECT_EQ(EnabledCommands(), (std::vector<UINT>{IDM_PLAY, IDM_EDIT_PLAYLIST, IDM_PREFERENCES, IDM_ABOUT, IDM_EXIT}));

    Command(IDM_FIRST_ENTRY + 2);
    EXPECT_EQ(TrackItems(), (std::vector<std::string>{"Gamma", "Alpha", "Beta*"}));
    EXPECT_EQ(Plays(), 0u);

    Command(IDM_PLAY);  // the last entry plays: no Next
    EXPECT_EQ(EnabledCommands(), (std::vector<UINT>{IDM_PAUSE, IDM_STOP, IDM_PREVIOUS, IDM_EDIT_PLAYLIST,
                                                    IDM_PREFERENCES, IDM_ABOUT, IDM_EXIT}));
    Command(IDM_PREVIOUS);
    Command(IDM_PREVIOUS);  // the first entry plays: no Previous
    EXPECT_EQ(EnabledCommands(), (std::vector<UINT>{IDM_PAUSE, IDM_STOP, IDM_NEXT, IDM_EDIT_PLAYLIST,
                                                    IDM_PREFERENCES, IDM_ABOUT, IDM_EXIT}));
    EXPECT_EQ(TrackItems(), (std::vector<std::string>{"Gamma*", "Alpha", "Beta"}));

    Command(IDM_PAUSE);
    EXPECT_EQ(EnabledCommands(), (std::vector<UINT>{IDM_PLAY, IDM_STOP, IDM_EDIT_PLAYLIST, IDM_PREFERENCES,
                                                    IDM_ABOUT, IDM_EXIT}));
    EXPECT_FALSE(EndOfPlayTimerRuns());
    Command(IDM_PLAY);
    EXPECT_TRUE(EndOfPlayTimerRuns());
    Command(IDM_PLAY);  // again, so that Stop has a timer to end
    Command(IDM_STOP);
    EXPECT_EQ(EnabledCommands(), (std::vector<UINT>{IDM_PLAY, IDM_EDIT_PLAYLIST, IDM_PREFERENCES, IDM_ABOUT, IDM_EXIT}));
    EXPECT_FALSE(EndOfPlayTimerRuns());
}

TEST_F(TrayShellTest, TheOnlyEntryOffersNeitherNextNorPrevious) {
    WriteSection(ThreeTrackSection(), "Artist", "Title", {"Alpha", "Beta", "Gamma"}, "1");
    Start(true);
    EXPECT_EQ(TrackItems(), std::vector<std::string>{"Beta*"});
    EXPECT_EQ(EnabledCommands(), (std::vector<UINT>{IDM_PAUSE, IDM_STOP, IDM_EDIT_PLAYLIST, IDM_PREFERENCES,
                                                    IDM_ABOUT, IDM_EXIT}));
}

TEST_F(TrayShellTest, AfterThePlaylistRanOutPlayIsOfferedAndTheFirstEntryMarked) {
    UseDisc("");  // fast
    Start(true);
    ASSERT_TRUE(PumpUntil([&] { return drive.Log({"notify"}).size() >= 3; }));
    PumpFor(100);
    EXPECT_EQ(Plays(), 3u);
    EXPECT_EQ(EnabledCommands(), (std::vector<UINT>{IDM_PLAY, IDM_EDIT_PLAYLIST, IDM_PREFERENCES, IDM_ABOUT, IDM_EXIT}));
    EXPECT_EQ(TrackItems(), (std::vector<std::string>{"Gamma*", "Alpha", "Beta"}));
    EXPECT_FALSE(EndOfPlayTimerRuns());
}

// A driver that never reports the end of a play, in real time with
// one-second tracks: pause, resume and Next still lead on to the wrap.
TEST_F(TrayShellTest, OnASilentDriverPauseResumeAndNextStillAdvance) {
    drive.Control("present=1\ntracks=0:02:00 0:03:00 0:04:00\nleadout=0:05:00\nspeed=1\nnonotify=1\n");
    DeleteFileA(IniPath().c_str());
    Start(true);
    Command(IDM_PAUSE);
    PumpFor(3500);  // a paused player waits for nothing
    EXPECT_EQ(Plays(), 1u);
    Command(IDM_PLAY);  // resumes track 1, then goes on to track 2
    ASSERT_TRUE(PumpUntil([&] { return Plays() == 3; }, 10000));
    EXPECT_EQ(PC::cursor, 1u);
    Command(IDM_NEXT);
    ASSERT_TRUE(PumpUntil([&] { return drive.Log().back().compare(0, 5, "stop ") == 0; }, 10000));
    EXPECT_EQ(Plays(), 4u);
    EXPECT_EQ(EnabledCommands(), (std::vector<UINT>{IDM_PLAY, IDM_EDIT_PLAYLIST, IDM_PREFERENCES, IDM_ABOUT, IDM_EXIT}));
    EXPECT_EQ(TrackItems(), (std::vector<std::string>{"Track 1*", "Track 2", "Track 3"}));
    EXPECT_FALSE(EndOfPlayTimerRuns());
}

TEST_F(TrayShellTest, RebuildListsEveryEntryOfLongerShorterAndOddPlaylists) {
    Start(false);
    gDiscInfo.playlist = {1, 1, 2, 3, 3, 2, 1};
    RebuildTrackMenu(window);
    PC::cursor = 6;
    EXPECT_EQ(TrackItems(), (std::vector<std::string>{"Alpha", "Alpha", "Beta", "Gamma", "Gamma", "Beta", "Alpha*"}));
    gDiscInfo.playlist = {2};
    PC::cursor = 0;
    RebuildTrackMenu(window);
    EXPECT_EQ(TrackItems(), std::vector<std::string>{"Beta*"});
    // An entry no load makes, but a record could hold: named by its number.
    gDiscInfo.playlist = {7, 3};
    RebuildTrackMenu(window);
    EXPECT_EQ(TrackItems(), (std::vector<std::string>{"Track 7*", "Gamma"}));
    EXPECT_EQ(GetMenuState(TrackMenu(), 0, MF_BYPOSITION) & MF_GRAYED, 0u);
}

TEST_F(TrayShellTest, ButtonsOpenTheMenusTheSettingSaysAndChosenItemsAct) {
    Start(true);
    HMENU opened = nullptr;
    // Left with LClickMenu: the track menu; Down, Down, Enter picks the second entry.
    ClickIcon(WM_LBUTTONUP, [&](HMENU menu) {
        opened = menu;
        PostKey(WM_KEYDOWN, VK_DOWN);
        PostKey(WM_KEYDOWN, VK_DOWN);
        PostKey(WM_KEYDOWN, VK_RETURN);
    });
    EXPECT_EQ(opened, TrackMenu());
    EXPECT_EQ(PC::cursor, 1u);
    EXPECT_TRUE(PC::playing);

    // Right: the command menu; "P&ause" by its mnemonic.
    ClickIcon(WM_RBUTTONUP, [&](HMENU menu) {
        opened = menu;
        PostKey(WM_CHAR, 'a');
    });
    EXPECT_EQ(opened, CommandMenu());
    EXPECT_TRUE(PC::paused);

    // Other mouse messages open nothing.
    for (UINT mouse : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONDBLCLK, WM_MOUSEMOVE})
        SendMessageA(window, WM_USER, 1, mouse);

    // The setting is read at every click: cleared, the buttons swap.
    LClickMenu = false;
    ClickIcon(WM_LBUTTONUP, [&](HMENU menu) {
        opened = menu;
        EndMenu();
    });
    EXPECT_EQ(opened, CommandMenu());
    ClickIcon(WM_RBUTTONUP, [&](HMENU menu) {
        opened = menu;
        EndMenu();
    });
    EXPECT_EQ(opened, TrackMenu());
}

TEST_F(TrayShellTest, AVolumeRemovalAndArrivalReloadTheDisc) {
    UseDisc("speed=1\nwinetoc=0\n");
    Start(true);
    EXPECT_EQ(drive.ChangeDisc("eject"), 0u);
    EXPECT_TRUE(PumpUntil([] { return !PC::discPresent; }));
    ASSERT_EQ(GetMenuItemCount(TrackMenu()), 1);
    EXPECT_EQ(GetMenuItemID(TrackMenu(), 0), 0u);

    drive.ClearLog();
    EXPECT_EQ(drive.ChangeDisc("insert \"tracks=0:02:00 4:00:00\" leadout=9:00:00"), 0u);
    EXPECT_TRUE(PumpUntil([] { return gDiscInfo.numTracks == 2; }));
    EXPECT_EQ(TrackItems(), (std::vector<std::string>{"Track 1*", "Track 2"}));
    EXPECT_EQ(drive.PlayedTracks(), std::vector<int>{1});
}

TEST_F(TrayShellTest, OtherDeviceChangesAreGrantedAndIgnored) {
    Start(false);
    drive.ClearLog();
    DEV_BROADCAST_HDR port = {};
    port.dbch_size = sizeof(port);
    port.dbch_devicetype = DBT_DEVTYP_PORT;
    DEV_BROADCAST_VOLUME volume = {};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    EXPECT_EQ(SendMessageA(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0), TRUE);
    EXPECT_EQ(SendMessageA(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, (LPARAM)&port), TRUE);
    EXPECT_EQ(SendMessageA(window, WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, (LPARAM)&volume), TRUE);
    EXPECT_EQ(SendMessageA(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0), TRUE);
    EXPECT_TRUE(drive.Log().empty());
    EXPECT_FALSE(EndOfPlayTimerRuns());  // cued, not playing
}

TEST_F(TrayShellTest, TheTrackMenuIsRebuiltWhenThePlaylistDialogIsCancelled) {
    Start(false);
    gDiscInfo.playlist = {1};
    WhenDialogUp("Playlist", [](HWND dialog) { SendMessageA(dialog, WM_CLOSE, 0, 0); });
    Command(IDM_EDIT_PLAYLIST);
    EXPECT_EQ(TrackItems(), std::vector<std::string>{"Alpha*"});
}

// The icon's pixels as drawn on magenta, 0x00RRGGBB by row from the top.
std::vector<DWORD> DrawnIcon(int size, UINT depthFlags) {
    HICON icon = (HICON)LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SPINDLET), IMAGE_ICON, size,
                                   size, depthFlags);
    EXPECT_NE(icon, nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::vector<DWORD> pixels(size * size, 0xFF00FF);
    memcpy(bits, pixels.data(), pixels.size() * 4);
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    memcpy(pixels.data(), bits, pixels.size() * 4);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DestroyIcon(icon);
    return pixels;
}

// Each image of both depths: clear corners and hole, a blue label, a grey
// clamping ring. The 256-colour images list only the colours they use.
TEST(TrayIcon, EveryImageDrawsTheDiscWithItsLabelRingAndHole) {
    for (UINT depth : {UINT(LR_DEFAULTCOLOR), UINT(LR_VGACOLOR)}) {
        for (int size : {16, 32, 48}) {
            SCOPED_TRACE(testing::Message() << size << " pixels, flags " << depth);
            std::vector<DWORD> pixels = DrawnIcon(size, depth);
            auto at = [&](double dx) { return pixels[(size / 2) * size + int(size / 2 + dx * size / 2)] & 0xFFFFFF; };
            EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFF00FFu);
            EXPECT_EQ(at(0), 0xFF00FFu);
            EXPECT_EQ(at(0.16), 0x808080u);
            EXPECT_EQ(at(0.35), 0x0000FFu);
            EXPECT_EQ(at(0.75), 0xC0C0C0u);
        }
    }
}

// Names with "&" show as stored: no character after one becomes a mnemonic
// that a key press would choose.
TEST_F(TrayShellTest, TrackNamesWithAmpersandsAreShownAsStoredAndChooseNothingByKey) {
    WriteSection(ThreeTrackSection(), "Artist", "Title", {"Rock &Roll", "A && B", "Tail &"}, "2 1 0");
    Start(false);
    EXPECT_EQ(TrackItems(), (std::vector<std::string>{"Tail &&*", "A &&&& B", "Rock &&Roll"}));
    drive.ClearLog();
    ClickIcon(WM_LBUTTONUP, [&](HMENU) {
        PostKey(WM_CHAR, 'r');
        PostKey(WM_CHAR, 'b');
        PostKey(WM_KEYDOWN, VK_ESCAPE);
    });
    EXPECT_TRUE(drive.Log({"seek", "play"}).empty());
    EXPECT_EQ(PC::cursor, 0u);
}

}  // namespace
