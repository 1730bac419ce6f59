// The virtual CD drive itself, through winmm as any program reaches it: its
// answers, its notifications, its exclusivity across processes, its log,
// and its announcement of disc changes.

#include <windows.h>
#include <dbt.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/MessagePump.h"
#include "tests/support/Process.h"
#include "tests/support/VirtualDrive.h"
#include "tools/vcd/ControlFile.h"

namespace {

MCIERROR OpenDrive(MCIDEVICEID* id, DWORD extraFlags = 0) {
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = (LPCSTR)(DWORD_PTR)MCI_DEVTYPE_CD_AUDIO;
    MCIERROR result =
        mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_WAIT | extraFlags, (DWORD_PTR)&open);
    *id = open.wDeviceID;
    return result;
}

MCIERROR SetFormat(MCIDEVICEID id, DWORD format) {
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = format;
    return mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, (DWORD_PTR)&set);
}

DWORD_PTR Status(MCIDEVICEID id, DWORD item, DWORD track = 0, MCIERROR* error = nullptr) {
    MCI_STATUS_PARMS status = {};
    status.dwItem = item;
    status.dwTrack = track;
    MCIERROR result =
        mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT | (track ? MCI_TRACK : 0), (DWORD_PTR)&status);
    if (error)
        *error = result;
    return status.dwReturn;
}

MCIERROR Play(MCIDEVICEID id, DWORD from, DWORD to, HWND window) {
    MCI_PLAY_PARMS play = {};
    play.dwCallback = (DWORD_PTR)window;
    play.dwFrom = from;
    play.dwTo = to;
    return mciSendCommandA(id, MCI_PLAY, MCI_FROM | MCI_TO | MCI_NOTIFY, (DWORD_PTR)&play);
}

class VirtualDriveTest : public testing::Test {
protected:
    void SetUp() override {
        drive.Control(DiscControl(kFourTrackStarts, "18:02:11"));
        ASSERT_EQ(OpenDrive(&id), 0u);
    }
    void TearDown() override {
        if (id)
            mciSendCommandA(id, MCI_CLOSE, MCI_WAIT, 0);
    }
    VirtualDrive drive;
    MCIDEVICEID id = 0;
};

TEST_F(VirtualDriveTest, TrackStartsInMsfGiveTheWorkedExampleIdentifiers) {
    // The identifier arithmetic done here by hand, on the drive's answers.
    auto sumOfStarts = [&] {
        DWORD sum = 0;
        int count = (int)Status(id, MCI_STATUS_NUMBER_OF_TRACKS);
        for (int k = 1; k <= count; k++) {
            DWORD msf = (DWORD)Status(id, MCI_STATUS_POSITION, k);
            sum += MCI_MSF_MINUTE(msf) * 65536 + MCI_MSF_SECOND(msf) * 256 + MCI_MSF_FRAME(msf);
        }
        return sum;
    };
    SetFormat(id, MCI_FORMAT_MSF);
    EXPECT_EQ(sumOfStarts(), 0x1A5257u);

    drive.Control(DiscControl(kTwoTrackStarts, "10:14:27", "lengthms=612345\n"));
    DWORD sum = sumOfStarts();
    DWORD extra = MCI_MSF_FRAME(Status(id, MCI_STATUS_POSITION, 1));
    SetFormat(id, MCI_FORMAT_MILLISECONDS);
    DWORD length = (DWORD)Status(id, MCI_STATUS_LENGTH);
    EXPECT_EQ(length, 612345u);
    DWORD frames = length * 75 / 1000;
    if (frames * 1000 / 75 != length)
        frames++;
    EXPECT_EQ(sum + frames + extra, 0x5BFBCu);
}

TEST_F(VirtualDriveTest, PositionsAndLengthsInEachTimeFormat) {
    SetFormat(id, MCI_FORMAT_TMSF);
    EXPECT_EQ(Status(id, MCI_STATUS_TIME_FORMAT), (DWORD_PTR)MCI_FORMAT_TMSF);
    EXPECT_EQ(Status(id, MCI_STATUS_NUMBER_OF_TRACKS), 4u);
    EXPECT_EQ(Status(id, MCI_STATUS_POSITION, 3), (DWORD_PTR)MCI_MAKE_TMSF(3, 0, 0, 0));
    // Track lengths come in MSF while TMSF is set: 4:31:17 - 0:02:00.
    EXPECT_EQ(Status(id, MCI_STATUS_LENGTH, 1), (DWORD_PTR)MCI_MAKE_MSF(4, 29, 17));
    // The last track ends one frame short of the lead-out.
    EXPECT_EQ(Status(id, MCI_STATUS_LENGTH, 4), (DWORD_PTR)MCI_MAKE_MSF(4, 18, 2));
    SetFormat(id, MCI_FORMAT_MSF);
    EXPECT_EQ(Status(id, MCI_STATUS_POSITION, 2), (DWORD_PTR)MCI_MAKE_MSF(4, 31, 17));
    EXPECT_EQ(Status(id, MCI_STATUS_LENGTH), (DWORD_PTR)MCI_MAKE_MSF(18, 0, 10));
    SetFormat(id, MCI_FORMAT_MILLISECONDS);
    EXPECT_EQ(Status(id, MCI_STATUS_POSITION, 1), 2000u);
    EXPECT_EQ(SetFormat(id, 7), (MCIERROR)MCIERR_BAD_TIME_FORMAT);
}

TEST_F(VirtualDriveTest, TrackKindsPresenceAndErrors) {
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "data=2\n"));
    EXPECT_EQ(Status(id, MCI_CDA_STATUS_TYPE_TRACK, 1), (DWORD_PTR)MCI_CDA_TRACK_AUDIO);
    EXPECT_EQ(Status(id, MCI_CDA_STATUS_TYPE_TRACK, 2), (DWORD_PTR)MCI_CDA_TRACK_OTHER);
    EXPECT_EQ(Status(id, MCI_STATUS_MEDIA_PRESENT), 1u);
    MCIERROR error = 0;
    Status(id, MCI_STATUS_POSITION, 5, &error);
    EXPECT_EQ(error, (MCIERROR)MCIERR_OUTOFRANGE);
    SetFormat(id, MCI_FORMAT_TMSF);
    NotifyWindow window;
    EXPECT_EQ(Play(id, MCI_MAKE_TMSF(5, 0, 0, 0), MCI_MAKE_TMSF(5, 1, 0, 0), window.Handle()),
              (MCIERROR)MCIERR_OUTOFRANGE);
    EXPECT_EQ(Play(id, MCI_MAKE_TMSF(4, 4, 18, 3), MCI_MAKE_TMSF(4, 4, 18, 3), window.Handle()),
              (MCIERROR)MCIERR_OUTOFRANGE);

    drive.Control("present=0\n");
    EXPECT_EQ(Status(id, MCI_STATUS_MEDIA_PRESENT), 0u);
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), (DWORD_PTR)MCI_MODE_OPEN);
    Status(id, MCI_STATUS_NUMBER_OF_TRACKS, 0, &error);
    EXPECT_NE(error, 0u);
}

TEST_F(VirtualDriveTest, TmsfValuesRoundTripUnchanged) {
    SetFormat(id, MCI_FORMAT_TMSF);
    DWORD target = MCI_MAKE_TMSF(2, 1, 7, 44);
    MCI_SEEK_PARMS seek = {};
    seek.dwTo = target;
    EXPECT_EQ(mciSendCommandA(id, MCI_SEEK, MCI_TO | MCI_WAIT, (DWORD_PTR)&seek), 0u);
    EXPECT_EQ(Status(id, MCI_STATUS_POSITION), (DWORD_PTR)target);
    EXPECT_EQ(Status(id, MCI_STATUS_CURRENT_TRACK), 2u);
    SetFormat(id, MCI_FORMAT_MSF);
    // 4:31:17 + 1:07:44 = 5:38:61 from the start of the disc.
    EXPECT_EQ(Status(id, MCI_STATUS_POSITION), (DWORD_PTR)MCI_MAKE_MSF(5, 38, 61));
}

TEST_F(VirtualDriveTest, PlayEndsWithSuccessAndPausedPositionStaysPut) {
    SetFormat(id, MCI_FORMAT_TMSF);
    NotifyWindow window;
    // Track 1 plays 4:29:17 in about 135 ms at speed 2000.
    ASSERT_EQ(Play(id, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(1, 4, 29, 17), window.Handle()), 0u);
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), (DWORD_PTR)MCI_MODE_PLAY);
    ASSERT_TRUE(PumpUntil([&] { return !window.codes.empty(); }));
    EXPECT_EQ(window.codes, std::vector<WPARAM>{MCI_NOTIFY_SUCCESSFUL});
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), (DWORD_PTR)MCI_MODE_STOP);
    // To the end of track 1 is where track 2 begins.
    EXPECT_EQ(Status(id, MCI_STATUS_POSITION), (DWORD_PTR)MCI_MAKE_TMSF(2, 0, 0, 0));

    drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "speed=1\nwinepause=1\n"));
    ASSERT_EQ(Play(id, MCI_MAKE_TMSF(3, 0, 0, 0), MCI_MAKE_TMSF(3, 4, 0, 0), window.Handle()), 0u);
    PumpFor(100);
    mciSendCommandA(id, MCI_PAUSE, MCI_WAIT, 0);
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), (DWORD_PTR)MCI_MODE_PAUSE);
    DWORD_PTR paused = Status(id, MCI_STATUS_POSITION);
    EXPECT_EQ(MCI_TMSF_TRACK(paused), 3);
    EXPECT_GT(MCI_TMSF_FRAME(paused) + MCI_TMSF_SECOND(paused), 0);
    PumpFor(100);
    EXPECT_EQ(Status(id, MCI_STATUS_POSITION), paused);
    mciSendCommandA(id, MCI_PAUSE, MCI_WAIT, 0);
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), (DWORD_PTR)MCI_MODE_PAUSE);
    mciSendCommandA(id, MCI_STOP, MCI_WAIT, 0);
    mciSendCommandA(id, MCI_PAUSE, MCI_WAIT, 0);
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), (DWORD_PTR)MCI_MODE_STOP);
}

TEST_F(VirtualDriveTest, NotificationCodesAndTheirOrder) {
    SetFormat(id, MCI_FORMAT_TMSF);
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "speed=1\n"));
    NotifyWindow window;
    // A play cut short by a stop, by another play, by a seek, by a pause.
    Play(id, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(1, 1, 0, 0), window.Handle());
    mciSendCommandA(id, MCI_STOP, MCI_WAIT, 0);
    Play(id, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(1, 1, 0, 0), window.Handle());
    Play(id, MCI_MAKE_TMSF(2, 0, 0, 0), MCI_MAKE_TMSF(2, 1, 0, 0), window.Handle());
    MCI_SEEK_PARMS seek = {};
    seek.dwTo = MCI_MAKE_TMSF(1, 0, 0, 0);
    mciSendCommandA(id, MCI_SEEK, MCI_TO | MCI_WAIT, (DWORD_PTR)&seek);
    Play(id, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(1, 1, 0, 0), window.Handle());
    mciSendCommandA(id, MCI_PAUSE, MCI_WAIT, 0);
    // An empty range succeeds at once.
    Play(id, MCI_MAKE_TMSF(3, 0, 0, 0), MCI_MAKE_TMSF(3, 0, 0, 0), window.Handle());
    // A disc taken out during a play: failure.
    Play(id, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(1, 1, 0, 0), window.Handle());
    drive.Control("present=0\n");
    EXPECT_TRUE(PumpUntil([&] { return window.codes.size() >= 6; }));
    PumpFor(50);
    std::vector<WPARAM> expected = {MCI_NOTIFY_ABORTED, MCI_NOTIFY_ABORTED,    MCI_NOTIFY_ABORTED,
                                    MCI_NOTIFY_ABORTED, MCI_NOTIFY_SUCCESSFUL, MCI_NOTIFY_FAILURE};
    EXPECT_EQ(window.codes, expected);
    std::vector<std::string> notes = drive.Log({"notify"});
    ASSERT_EQ(notes.size(), 6u);
    EXPECT_EQ(notes[0], "notify code=4");
    EXPECT_EQ(notes[5], "notify code=8");
}

TEST_F(VirtualDriveTest, NeverNotifySwitchSilencesOnlyTheSuccessfulEnd) {
    SetFormat(id, MCI_FORMAT_TMSF);
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "nonotify=1\n"));
    NotifyWindow window;
    Play(id, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(1, 0, 2, 0), window.Handle());
    ASSERT_TRUE(PumpUntil([&] { return Status(id, MCI_STATUS_MODE) == MCI_MODE_STOP; }));
    PumpFor(50);
    EXPECT_TRUE(window.codes.empty());
    Play(id, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(1, 4, 0, 0), window.Handle());
    mciSendCommandA(id, MCI_STOP, MCI_WAIT, 0);
    ASSERT_TRUE(PumpUntil([&] { return !window.codes.empty(); }));
    EXPECT_EQ(window.codes, std::vector<WPARAM>{MCI_NOTIFY_ABORTED});
}

// Without a key, as the platform's own driver: the end of a play posts
// nothing and the request waits for the next command; a pause reads as a
// stop; a play from a data track is 1.5 s of nothing.
TEST_F(VirtualDriveTest, ThePlatformDriverModel) {
    SetFormat(id, MCI_FORMAT_TMSF);
    // Reports at once and no spin-up: the order of things, not their time.
    const std::string fourTracks =
        "present=1\ntracks=" + std::string(kFourTrackStarts) + "\nleadout=18:02:11\nreportdelay=0\nspinup=0\n";
    drive.Control(fourTracks + "speed=200\ndata=4\n");
    NotifyWindow window;
    auto status = [&](WPARAM flags) {
        MCI_STATUS_PARMS parms = {};
        parms.dwCallback = (DWORD_PTR)window.Handle();
        parms.dwItem = MCI_STATUS_MODE;
        return mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT | flags, (DWORD_PTR)&parms);
    };
    // Ended, silently; a query with MCI_NOTIFY supersedes the request.
    Play(id, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(1, 0, 2, 0), window.Handle());
    ASSERT_TRUE(PumpUntil([&] { return Status(id, MCI_STATUS_MODE) == MCI_MODE_STOP; }));
    PumpFor(100);
    EXPECT_TRUE(window.codes.empty());
    status(MCI_NOTIFY);
    ASSERT_TRUE(PumpUntil([&] { return window.codes.size() == 2; }));
    EXPECT_EQ(window.codes, (std::vector<WPARAM>{MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_SUCCESSFUL}));
    // Ended long ago: the next stop aborts it, and then nothing is pending.
    window.codes.clear();
    Play(id, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(1, 0, 2, 0), window.Handle());
    ASSERT_TRUE(PumpUntil([&] { return Status(id, MCI_STATUS_MODE) == MCI_MODE_STOP; }));
    PumpFor(300);
    mciSendCommandA(id, MCI_STOP, MCI_WAIT, 0);
    mciSendCommandA(id, MCI_STOP, MCI_WAIT, 0);
    PumpFor(100);
    EXPECT_EQ(window.codes, std::vector<WPARAM>{MCI_NOTIFY_ABORTED});
    // Paused reads as stopped; a resume plays on.
    Play(id, MCI_MAKE_TMSF(2, 0, 0, 0), MCI_MAKE_TMSF(2, 4, 0, 0), window.Handle());
    mciSendCommandA(id, MCI_PAUSE, MCI_WAIT, 0);
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), (DWORD_PTR)MCI_MODE_STOP);
    // A data track: playing for 1.5 s of disc time, then stopped, unreported.
    PumpFor(100);  // the pause's abort
    window.codes.clear();
    drive.Control(fourTracks + "speed=1\ndata=4\n");
    Play(id, MCI_MAKE_TMSF(4, 0, 0, 0), MCI_MAKE_TMSF(4, 4, 0, 0), window.Handle());
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), (DWORD_PTR)MCI_MODE_PLAY);
    ASSERT_TRUE(PumpUntil([&] { return Status(id, MCI_STATUS_MODE) == MCI_MODE_STOP; }, 3000));
    EXPECT_EQ(MCI_TMSF_SECOND(Status(id, MCI_STATUS_POSITION)), 1);
    EXPECT_TRUE(window.codes.empty());
    // Wine's way: a range wholly in data is empty and succeeds at once.
    drive.Control(fourTracks + "speed=1\ndata=4\nwinedata=1\n");
    Play(id, MCI_MAKE_TMSF(4, 0, 0, 0), MCI_MAKE_TMSF(4, 4, 0, 0), window.Handle());
    ASSERT_TRUE(PumpUntil([&] { return window.codes.size() == 2; }));
    EXPECT_EQ(window.codes, (std::vector<WPARAM>{MCI_NOTIFY_ABORTED, MCI_NOTIFY_SUCCESSFUL}));
}

// By default as a real drive: a report reaches the window after the command
// that caused it returned, a play from a stopped drive seeks first and its
// time starts after the spin-up, and an open can fail once.
TEST_F(VirtualDriveTest, ARealDriveTakesItsTime) {
    SetFormat(id, MCI_FORMAT_TMSF);
    drive.Control("present=1\ntracks=" + std::string(kFourTrackStarts) + "\nleadout=18:02:11\nopenfails=1\n");
    NotifyWindow window;
    ULONGLONG start = GetTickCount64();
    Play(id, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(1, 1, 0, 0), window.Handle());
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), (DWORD_PTR)MCI_MODE_SEEK);
    EXPECT_EQ(Status(id, MCI_STATUS_POSITION), (DWORD_PTR)MCI_MAKE_TMSF(1, 0, 0, 0));
    ASSERT_TRUE(PumpUntil([&] { return Status(id, MCI_STATUS_MODE) == MCI_MODE_PLAY; }));
    EXPECT_GE(GetTickCount64() - start, 950u);
    mciSendCommandA(id, MCI_STOP, MCI_WAIT, 0);
    start = GetTickCount64();
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, window.Handle(), MM_MCINOTIFY, MM_MCINOTIFY, PM_NOREMOVE));
    ASSERT_TRUE(PumpUntil([&] { return !window.codes.empty(); }));
    EXPECT_GE(GetTickCount64() - start, 250u);
    EXPECT_EQ(window.codes, std::vector<WPARAM>{MCI_NOTIFY_ABORTED});
    ASSERT_EQ(mciSendCommandA(id, MCI_CLOSE, MCI_WAIT, 0), 0u);
    EXPECT_EQ(OpenDrive(&id), (MCIERROR)MCIERR_MUST_USE_SHAREABLE);
    EXPECT_EQ(OpenDrive(&id), 0u);
}

// Another disc is read only through a new open; presence and mode stay live.
TEST_F(VirtualDriveTest, TheTableOfContentsIsTheOneReadAtTheOpen) {
    const std::string twoTracks = "present=1\ntracks=0:02:00 4:00:00\nleadout=9:00:00\ndata=2\n";
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "winetoc=0\n"));
    ASSERT_EQ(mciSendCommandA(id, MCI_CLOSE, MCI_WAIT, 0), 0u);
    ASSERT_EQ(OpenDrive(&id), 0u);
    SetFormat(id, MCI_FORMAT_MSF);
    drive.Control(twoTracks);
    EXPECT_EQ(Status(id, MCI_STATUS_NUMBER_OF_TRACKS), 4u);
    EXPECT_EQ(Status(id, MCI_STATUS_POSITION, 2), (DWORD_PTR)MCI_MAKE_MSF(4, 31, 17));
    EXPECT_EQ(Status(id, MCI_STATUS_LENGTH, 4), (DWORD_PTR)MCI_MAKE_MSF(4, 18, 2));
    EXPECT_EQ(Status(id, MCI_CDA_STATUS_TYPE_TRACK, 2), (DWORD_PTR)MCI_CDA_TRACK_AUDIO);
    drive.Control("present=0\n");
    EXPECT_EQ(Status(id, MCI_STATUS_MEDIA_PRESENT), 0u);
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), (DWORD_PTR)MCI_MODE_OPEN);
    drive.Control(twoTracks + "winetoc=1\n");  // Wine's driver reads the disc at every question
    EXPECT_EQ(Status(id, MCI_STATUS_NUMBER_OF_TRACKS), 2u);
    drive.Control(twoTracks);
    ASSERT_EQ(mciSendCommandA(id, MCI_CLOSE, MCI_WAIT, 0), 0u);
    ASSERT_EQ(OpenDrive(&id), 0u);
    EXPECT_EQ(Status(id, MCI_STATUS_NUMBER_OF_TRACKS), 2u);
    EXPECT_EQ(Status(id, MCI_CDA_STATUS_TYPE_TRACK, 2), (DWORD_PTR)MCI_CDA_TRACK_OTHER);
}

TEST_F(VirtualDriveTest, LogNamesEachCommandWithItsFlagsFieldsAndResult) {
    drive.ClearLog();
    SetFormat(id, MCI_FORMAT_TMSF);
    Status(id, MCI_STATUS_LENGTH, 2);
    NotifyWindow window;
    Play(id, MCI_MAKE_TMSF(1, 0, 0, 0), MCI_MAKE_TMSF(1, 0, 0, 0), window.Handle());
    MCI_SEEK_PARMS seek = {};
    seek.dwTo = MCI_MAKE_TMSF(2, 0, 0, 0);
    mciSendCommandA(id, MCI_SEEK, MCI_TO | MCI_WAIT, (DWORD_PTR)&seek);
    mciSendCommandA(id, MCI_STOP, MCI_WAIT, 0);
    mciSendCommandA(id, MCI_CLOSE, MCI_WAIT, 0);
    id = 0;
    std::vector<std::string> expected = {
        "set flags=0x402 format=10 -> 0",
        "status flags=0x112 item=1 track=2 -> 0 return=" + Hex8(MCI_MAKE_MSF(4, 34, 45)),
        "play flags=0xD from=0x00000001 to=0x00000001 -> 0",
        "notify code=1",
        "seek flags=0xA to=0x00000002 -> 0",
        "stop flags=0x2 params=null -> 0",
        "close flags=0x2 params=null -> 0",
    };
    EXPECT_EQ(drive.Log(), expected);
}

TEST_F(VirtualDriveTest, OneProcessAtATimeHoldsTheDrive) {
    // We hold it: the other program's open is refused.
    EXPECT_EQ(RunProcess("hold_drive.exe none 0"), (DWORD)MCIERR_MUST_USE_SHAREABLE);
    mciSendCommandA(id, MCI_CLOSE, MCI_WAIT, 0);
    id = 0;

    // The other program holds it: ours is refused until it lets go.
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "SpindletHoldDriveReady");
    HANDLE process = nullptr;
    ASSERT_EQ(RunProcess("hold_drive.exe SpindletHoldDriveReady 1500", &process), 0u);
    ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);
    MCIDEVICEID other = 0;
    EXPECT_EQ(OpenDrive(&other), (MCIERROR)MCIERR_MUST_USE_SHAREABLE);
    WaitForSingleObject(process, 20000);
    DWORD code = (DWORD)-1;
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(process);
    CloseHandle(ready);
    EXPECT_EQ(OpenDrive(&id), 0u);
}

TEST(VirtualDriveSwitches, BusyAndNoDeviceRefuseTheOpen) {
    VirtualDrive drive;
    MCIDEVICEID id = 0;
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "busy=1\n"));
    EXPECT_EQ(OpenDrive(&id), (MCIERROR)MCIERR_MUST_USE_SHAREABLE);
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "nodevice=1\n"));
    EXPECT_NE(OpenDrive(&id), 0u);
    std::vector<std::string> opens = drive.Log({"open"});
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[0], "open flags=0x3002 type=516 -> 291");
}

// Records the WM_DEVICECHANGE broadcasts that reach a top-level window.
struct DeviceChange {
    WPARAM event;
    DWORD deviceType;
    DWORD unitMask;
};
std::vector<DeviceChange> gDeviceChanges;

LRESULT CALLBACK DeviceChangeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DEVICECHANGE) {
        DEV_BROADCAST_VOLUME* volume = (DEV_BROADCAST_VOLUME*)lParam;
        if (volume && volume->dbcv_devicetype == DBT_DEVTYP_VOLUME)
            gDeviceChanges.push_back({wParam, volume->dbcv_devicetype, volume->dbcv_unitmask});
        else
            gDeviceChanges.push_back({wParam, volume ? volume->dbcv_devicetype : 0xFFFFFFFF, 0});
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(DiscChangeTool, ChangesTheDiscAndAnotherProcessReceivesTheVolumeHeader) {
    VirtualDrive drive;
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11"));
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DeviceChangeWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "DeviceChangeListener";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "DeviceChangeListener", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);

    HANDLE process = nullptr;
    ASSERT_EQ(RunProcess("..\\tools\\vcd\\vcdchange.exe " + drive.ControlPath() + " eject", &process), 0u);
    // The broadcast is sent, so we must keep dispatching while it runs.
    PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 20000);
    CloseHandle(process);
    MCIDEVICEID id = 0;
    ASSERT_EQ(OpenDrive(&id), 0u);
    EXPECT_EQ(Status(id, MCI_STATUS_MEDIA_PRESENT), 0u);

    ASSERT_EQ(RunProcess("..\\tools\\vcd\\vcdchange.exe " + drive.ControlPath() + " insert tracks=0:02:00", &process),
              0u);
    PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 20000);
    CloseHandle(process);
    EXPECT_EQ(Status(id, MCI_STATUS_MEDIA_PRESENT), 1u);
    EXPECT_EQ(Status(id, MCI_STATUS_NUMBER_OF_TRACKS), 1u);
    mciSendCommandA(id, MCI_CLOSE, MCI_WAIT, 0);
    DestroyWindow(window);

    ASSERT_EQ(gDeviceChanges.size(), 2u);
    EXPECT_EQ(gDeviceChanges[0].event, (WPARAM)DBT_DEVICEREMOVECOMPLETE);
    EXPECT_EQ(gDeviceChanges[0].deviceType, (DWORD)DBT_DEVTYP_VOLUME);
    EXPECT_EQ(gDeviceChanges[0].unitMask, 1u << 3);
    EXPECT_EQ(gDeviceChanges[1].event, (WPARAM)DBT_DEVICEARRIVAL);
}

// Control files are written by hand too: blanks, tabs, CRLF and comments.
TEST(ControlFile, ReadsValuesWhateverTheBlanksAndLineEnds) {
    DriveControl control =
        ParseControl("# a comment\r\npresent=1\r\ntracks= 0:02:00 \t 4:00:00  x\r\n\r\ndata=  2\nleadout=8:00:00");
    EXPECT_TRUE(control.present);
    EXPECT_EQ(control.trackStarts, (std::vector<uint32_t>{150, 18000}));
    EXPECT_EQ(control.dataTracks, (std::vector<bool>{false, true}));
    EXPECT_EQ(control.leadOut, 36000u);

    std::string text = SetControlValue("a=1\npresent=1\nb=2\npresent=0\n", "present", "0");
    EXPECT_EQ(text, "a=1\npresent=0\nb=2\n");
    EXPECT_EQ(SetControlValue(text, "speed", "5"), text + "speed=5\n");
}

}  // namespace
