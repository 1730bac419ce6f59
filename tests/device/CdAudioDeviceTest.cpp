// CdAudioDevice through winmm and the virtual drive: what each operation
// sends, as the drive's log records it.

#include "device/CdAudioDevice.h"

#include <gtest/gtest.h>

#include "tests/support/MessagePump.h"
#include "tests/support/VirtualDrive.h"

namespace {

class CdAudioDeviceTest : public testing::Test {
protected:
    void SetUp() override {
        drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "data=4\n"));
        device = new CdAudioDevice();
        drive.ClearLog();
    }
    void TearDown() override {
        device->Close();
        delete device;
    }
    VirtualDrive drive;
    CdAudioDevice* device = nullptr;
};

TEST(CdAudioDeviceOpen, OpensByTypeIdAndSwitchesToTmsf) {
    VirtualDrive drive;
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11"));
    CdAudioDevice device;
    std::vector<std::string> expected = {"open flags=0x3002 type=516 -> 0", "set flags=0x402 format=10 -> 0"};
    EXPECT_EQ(drive.Log(), expected);
    device.Close();
}

TEST(CdAudioDeviceOpen, HeldByAnotherProgramThrowsAndSendsNothingMore) {
    VirtualDrive drive;
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "busy=1\n"));
    try {
        CdAudioDevice device;
        ADD_FAILURE() << "the open did not throw";
    } catch (const DeviceOpenError& error) {
        EXPECT_EQ(error.code, (MCIERROR)MCIERR_MUST_USE_SHAREABLE);
    }
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "nodevice=1\n"));
    EXPECT_THROW(CdAudioDevice(), DeviceOpenError);
    std::vector<std::string> log = drive.Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].substr(0, 4), "open");
    EXPECT_EQ(log[1].substr(0, 4), "open");
}

TEST_F(CdAudioDeviceTest, StopPauseAndCloseSendANullBlockAndWaitAlone) {
    device->Stop();
    device->Pause();
    std::vector<std::string> expected = {"stop flags=0x2 params=null -> 0", "pause flags=0x2 params=null -> 0"};
    EXPECT_EQ(drive.Log(), expected);
}

TEST_F(CdAudioDeviceTest, SeekWaitsAndNeverNotifies) {
    device->Seek(TmsfPosition(3, 0, 0, 0));
    EXPECT_EQ(drive.Log(), std::vector<std::string>{"seek flags=0xA to=0x00000003 -> 0"});
    EXPECT_EQ(PackTmsf(device->GetPosition()), 0x00000003u);
}

TEST_F(CdAudioDeviceTest, PlayTrackPlaysExactlyThatTrackAndNotifiesAtItsEnd) {
    NotifyWindow window;
    device->PlayTrack(2, window.Handle());
    EXPECT_EQ(device->GetMode(), (DWORD)MCI_MODE_PLAY);
    ASSERT_TRUE(PumpUntil([&] { return !window.codes.empty(); }));
    EXPECT_EQ(window.codes, std::vector<WPARAM>{MCI_NOTIFY_SUCCESSFUL});
    // It stopped at the end of track 2, where track 3 begins: not at the disc's end.
    EXPECT_EQ(PackTmsf(device->GetPosition()), 0x00000003u);
    std::vector<std::string> log = drive.Log({"status", "play"});
    ASSERT_GE(log.size(), 2u);
    // 9:05:62 - 4:31:17 = 4:34:45
    EXPECT_EQ(log[0], "status flags=0x112 item=1 track=2 -> 0 return=" + Hex8(MCI_MAKE_MSF(4, 34, 45)));
    EXPECT_EQ(log[1], "play flags=0xD from=0x00000002 to=" + Hex8(MCI_MAKE_TMSF(2, 4, 34, 45)) + " -> 0");
}

TEST_F(CdAudioDeviceTest, PlayTrackOnTheLastTrackStopsOneFrameShortOfTheLeadOut) {
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11"));
    NotifyWindow window;
    device->PlayTrack(4, window.Handle());
    ASSERT_TRUE(PumpUntil([&] { return !window.codes.empty(); }));
    EXPECT_EQ(window.codes, std::vector<WPARAM>{MCI_NOTIFY_SUCCESSFUL});
    std::vector<std::string> plays = drive.Log({"play"});
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0], "play flags=0xD from=0x00000004 to=" + Hex8(MCI_MAKE_TMSF(4, 4, 18, 2)) + " -> 0");
}

TEST_F(CdAudioDeviceTest, PlayToTrackEndResumesFromTheGivenPosition) {
    NotifyWindow window;
    device->PlayToTrackEnd(1, TmsfPosition(1, 2, 3, 4), window.Handle());
    std::vector<std::string> plays = drive.Log({"play"});
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0], "play flags=0xD from=0x04030201 to=" + Hex8(MCI_MAKE_TMSF(1, 4, 29, 17)) + " -> 0");
    device->Stop();
}

TEST_F(CdAudioDeviceTest, TrackKindsMediaAndCount) {
    EXPECT_TRUE(device->IsMediaPresent());
    EXPECT_EQ(device->GetTrackCount(), 4u);
    EXPECT_TRUE(device->IsAudioTrack(1));
    EXPECT_FALSE(device->IsAudioTrack(4));
    EXPECT_EQ(drive.Log({"status"})[3], "status flags=0x112 item=16385 track=4 -> 0 return=" + Hex8(1089));
}

TEST_F(CdAudioDeviceTest, WithoutADiscEveryQueryReadsAsZero) {
    drive.Control("present=0\n");
    EXPECT_FALSE(device->IsMediaPresent());
    EXPECT_EQ(device->GetTrackCount(), 0u);
    EXPECT_FALSE(device->IsAudioTrack(1));
    EXPECT_EQ(device->GetTrackLength(1), 0u);
    EXPECT_EQ(PackTmsf(device->GetPosition()), 0u);
    EXPECT_NE(device->GetMode(), (DWORD)MCI_MODE_PLAY);
    // The play then asks for a range that starts and ends at track 3's first frame.
    NotifyWindow window;
    device->PlayTrack(3, window.Handle());
    EXPECT_EQ(drive.Log({"play"})[0].substr(0, 45), "play flags=0xD from=0x00000003 to=0x00000003 ");
}

}  // namespace
