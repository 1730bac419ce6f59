// Start, play, disc changes, Exit and odd input, on the real spindlet.exe.

#include "resources/resource.h"
#include "tests/app/ExeFixture.h"

namespace {

TEST_F(SpindletExeTest, AutoplaysThroughThePlaylistAndStopsAfterTheWrap) {
    SetFlags(true, true);
    Launch();
    ASSERT_TRUE(PumpUntil([&] { return drive.Log({"notify"}).size() >= 3; }));
    PumpFor(300);
    EXPECT_EQ(PlayedTracks(), (std::vector<int>{3, 1, 2}));
    // After the last entry: a stop and nothing more until Exit. The drive
    // notifies, so its mode is never asked (the end-of-play fallback stays idle).
    std::vector<std::string> commands = Commands();
    EXPECT_EQ(commands.back(), "stop");
    for (const std::string& line : drive.Log({"status"}))
        EXPECT_EQ(line.find(" item=4 "), std::string::npos) << line;

    drive.ClearLog();
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"stop", "close"}));
}

// Four one-second tracks played in real time, by a driver that never reports
// the end of a play: the program still goes through the playlist to the wrap.
TEST_F(SpindletExeTest, PlaysThroughThePlaylistOnADriverThatNeverReportsAnEnd) {
    SetFlags(true, true);
    drive.Control("present=1\ntracks=0:02:00 0:03:00 0:04:00 0:05:00\nleadout=0:06:00\nspeed=1\nnonotify=1\n");
    Launch();
    ASSERT_TRUE(PumpUntil([&] { return PlayedTracks().size() == 4 && Commands().back() == "stop"; }, 30000));
    PumpFor(1500);
    EXPECT_EQ(PlayedTracks(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Commands().back(), "stop");
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(SpindletExeTest, ReloadsWhenTheDiscIsTakenOutAndAnotherPutIn) {
    SetFlags(true, true);
    drive.Control(DiscControl(kThreeTrackStarts, kThreeTrackLeadOut, "speed=1\nwinetoc=0\n"));
    Launch();
    ASSERT_TRUE(PumpUntil([&] { return PlayedTracks().size() == 1; }));
    EXPECT_EQ(drive.ChangeDisc("eject"), 0u);
    EXPECT_EQ(PlayedTracks().size(), 1u);

    drive.ClearLog();
    EXPECT_EQ(drive.ChangeDisc("insert \"tracks=0:02:00 4:00:00\" leadout=9:00:00"), 0u);
    ASSERT_TRUE(PumpUntil([&] { return PlayedTracks().size() == 1; }));
    EXPECT_EQ(PlayedTracks(), std::vector<int>{1});
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(ExitCode(), 0u);
}

TEST_F(SpindletExeTest, ADriveHeldElsewhereIsReportedAndTheProgramEndsCleanly) {
    SetFlags(false, true);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "SpindletExeTestDriveHeld");
    HANDLE holder = nullptr;
    ASSERT_EQ(RunProcess("hold_drive.exe SpindletExeTestDriveHeld 15000", &holder), 0u);
    ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);

    ASSERT_EQ(RunProcess(ProgramUnderTest(), &process), 0u);
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (box = FindWindowA("#32770", "Spindlet Error")) != nullptr; }, 20000));
    char text[256] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    EXPECT_STREQ(text,
                 "Spindlet cannot open the CD Audio device, probably because another program is using it.  "
                 "Close the other program to use Spindlet.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_EQ(StoredFlag("LClickMenu"), 0);
    EXPECT_EQ(StoredFlag("Autoplay"), 1);

    TerminateProcess(holder, 0);
    CloseHandle(holder);
    CloseHandle(ready);
}

TEST_F(SpindletExeTest, ExitWhilePlayingStopsClosesAndWritesTheSettings) {
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quillfen Software\\Spindlet");
    drive.Control(DiscControl(kThreeTrackStarts, kThreeTrackLeadOut, "speed=1\n"));
    Launch();  // a new key: autoplay by default
    ASSERT_TRUE(PumpUntil([&] { return PlayedTracks().size() == 1; }));
    drive.ClearLog();
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"stop", "close"}));
    EXPECT_EQ(StoredFlag("LClickMenu"), 1);
    EXPECT_EQ(StoredFlag("Autoplay"), 1);
}

// A driver that answers nonsense: the program reads nothing outside its data,
// stays responsive, and ends cleanly.
TEST_F(SpindletExeTest, ADriverAnsweringNonsenseLeavesTheProgramResponsive) {
    SetFlags(true, true);
    const char* nonsense[] = {"trackcount=0x7FFFFFFF\n", "trackcount=1000\n", "trackcount=-5\n", "garbage=1\n",
                              "mode=526\n", "garbage=1\nmode=526\ntrackcount=40\n"};
    for (const char* answers : nonsense) {
        SCOPED_TRACE(answers);
        drive.Control(DiscControl(kThreeTrackStarts, kThreeTrackLeadOut, answers));
        drive.ClearLog();
        Launch();
        PumpFor(200);
        ExitThroughTheMenus();
        EXPECT_EQ(ExitCode(), 0u);
        EXPECT_LE(drive.Log({"status"}).size(), 120u);  // never a query per reported track
    }
}

// Values of the wrong type and size, as another program or a user with an
// editor might leave them: the program starts, runs and writes numbers back.
TEST_F(SpindletExeTest, OddRegistryValuesStillStartTheProgram) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillfen Software\\Spindlet", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    std::string big(300, '\x7F');
    RegSetValueExA(key, "LClickMenu", 0, REG_BINARY, (const BYTE*)big.data(), (DWORD)big.size());
    RegSetValueExA(key, "Autoplay", 0, REG_SZ, (const BYTE*)"0", 1);
    RegCloseKey(key);
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "Spindlet", 0, REG_SZ, (const BYTE*)big.data(), (DWORD)big.size());
    RegCloseKey(key);

    Launch();
    ExitThroughTheMenus();
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_EQ(StoredFlag("LClickMenu"), 1);
    EXPECT_EQ(StoredFlag("Autoplay"), 1);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Spindlet");
}

}  // namespace
