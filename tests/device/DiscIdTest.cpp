#include "device/DiscId.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include "device/CdAudioDevice.h"
#include "tests/support/VirtualDrive.h"

namespace {

uint32_t Msf(int minutes, int seconds, int frames) {
    return MCI_MAKE_MSF(minutes, seconds, frames);
}

TEST(DiscIdArithmetic, WorkedExamples) {
    std::vector<uint32_t> four = {Msf(0, 2, 0), Msf(4, 31, 17), Msf(9, 5, 62), Msf(13, 44, 8)};
    EXPECT_EQ(DiscIdFromToc(four, 0), 1725015u);
    EXPECT_EQ(FormatDiscId(DiscIdFromToc(four, 0)), "1A5257");
    EXPECT_EQ(DiscIdFromToc({Msf(0, 2, 33), Msf(5, 10, 20)}, 612345), 376764u);
    EXPECT_EQ(FormatDiscId(376764), "5BFBC");
}

TEST(DiscIdArithmetic, DiscLengthCountsOnlyBelowThreeTracks) {
    std::vector<uint32_t> three = {Msf(0, 2, 0), Msf(3, 0, 0), Msf(6, 0, 0)};
    EXPECT_EQ(DiscIdFromToc(three, 0), DiscIdFromToc(three, 999999));
    // One track: its term and the length in frames, no extra term.
    EXPECT_EQ(DiscIdFromToc({Msf(0, 2, 33)}, 1000), 2u * 256 + 33 + 75);
    // Two tracks: extra is the frames field of track 1's start.
    EXPECT_EQ(DiscIdFromToc({Msf(0, 2, 0), Msf(3, 0, 0)}, 1000), 512u + 3 * 65536 + 75 + 0);
    EXPECT_EQ(DiscIdFromToc({Msf(0, 2, 33), Msf(3, 0, 0)}, 1000), 545u + 3 * 65536 + 75 + 33);
    // No track at all: the length term alone.
    EXPECT_EQ(DiscIdFromToc({}, 1001), 76u);
}

TEST(DiscIdArithmetic, LengthRoundsUpToWholeFrames) {
    EXPECT_EQ(DiscIdFromToc({}, 1000), 75u);
    EXPECT_EQ(DiscIdFromToc({}, 1001), 76u);
    EXPECT_EQ(DiscIdFromToc({}, 40), 3u);
    // For every length a disc can have: L * 75 / 1000 rounded up.
    for (uint32_t ms = 0; ms < 100 * 60 * 1000; ms += 7)
        ASSERT_EQ(DiscIdFromToc({}, ms), (ms * 75 + 999) / 1000) << ms;
}

TEST(DiscIdText, UpperCaseWithoutLeadingZeros) {
    EXPECT_EQ(FormatDiscId(0), "0");
    EXPECT_EQ(FormatDiscId(0xABCDEF), "ABCDEF");
    EXPECT_EQ(FormatDiscId(0xFFFFFFFF), "FFFFFFFF");
}

class ComputeDiscIdTest : public testing::Test {
protected:
    VirtualDrive drive;
};

TEST_F(ComputeDiscIdTest, FourTracksTakeTwoPlusNPlusOneCallsAndRestoreTmsf) {
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11"));
    CdAudioDevice device;
    device.Seek(TmsfPosition(2, 0, 0, 0));
    drive.ClearLog();
    EXPECT_EQ(device.ComputeDiscId(), 0x1A5257u);
    std::vector<std::string> expected = {
        "set flags=0x402 format=2 -> 0",
        "status flags=0x102 item=3 -> 0 return=" + Hex8(4),
        "status flags=0x112 item=2 track=1 -> 0 return=" + Hex8(Msf(0, 2, 0)),
        "status flags=0x112 item=2 track=2 -> 0 return=" + Hex8(Msf(4, 31, 17)),
        "status flags=0x112 item=2 track=3 -> 0 return=" + Hex8(Msf(9, 5, 62)),
        "status flags=0x112 item=2 track=4 -> 0 return=" + Hex8(Msf(13, 44, 8)),
        "set flags=0x402 format=10 -> 0",
    };
    EXPECT_EQ(drive.Log(), expected);
    // The format is TMSF again.
    TmsfPosition position = device.GetPosition();
    EXPECT_EQ(PackTmsf(position), 0x00000002u);
    device.Close();
}

TEST_F(ComputeDiscIdTest, TwoTracksAlsoAskTheLengthInMilliseconds) {
    drive.Control(DiscControl(kTwoTrackStarts, "10:14:27", "lengthms=612345\n"));
    CdAudioDevice device;
    drive.ClearLog();
    EXPECT_EQ(FormatDiscId(device.ComputeDiscId()), "5BFBC");
    std::vector<std::string> log = drive.Log();
    ASSERT_EQ(log.size(), 2u + 2 + 3);
    EXPECT_EQ(log[4], "set flags=0x402 format=0 -> 0");
    EXPECT_EQ(log[5], "status flags=0x102 item=1 -> 0 return=" + Hex8(612345));
    EXPECT_EQ(log[6], "set flags=0x402 format=10 -> 0");
    device.Close();
}

TEST_F(ComputeDiscIdTest, DataTracksAmongOthersCountLikeAudio) {
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "data=3\n"));
    CdAudioDevice device;
    EXPECT_EQ(device.ComputeDiscId(), 0x1A5257u);
    device.Close();
}

TEST_F(ComputeDiscIdTest, WithoutADiscFailedQueriesReadAsZeroAndTmsfIsRestored) {
    drive.Control("present=0\n");
    CdAudioDevice device;
    drive.ClearLog();
    EXPECT_EQ(device.ComputeDiscId(), 0u);
    std::vector<std::string> sets = drive.Log({"set"});
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(sets.back(), "set flags=0x402 format=10 -> 0");
    device.Close();
}

}  // namespace
