#include "device/TmsfPosition.h"

#include <gtest/gtest.h>

#include <cstring>

#include <windows.h>
#include <mmsystem.h>

TEST(TmsfPosition, PacksAsTheMciMacroDoes) {
    EXPECT_EQ(PackTmsf(TmsfPosition(3, 1, 2, 4)), 0x04020103u);
    EXPECT_EQ(PackTmsf(TmsfPosition(99, 255, 59, 74)), (uint32_t)MCI_MAKE_TMSF(99, 255, 59, 74));
    // The record's bytes in memory are the value's bytes, little-endian.
    TmsfPosition position(3, 1, 2, 4);
    uint32_t packed = PackTmsf(position);
    EXPECT_EQ(memcmp(&position, &packed, 4), 0);
}

TEST(TmsfPosition, UnpacksEveryByteUnchanged) {
    for (uint32_t value : {0u, 0x04020103u, 0xFFFFFFFFu, 0x4A3B0063u}) {
        TmsfPosition position = UnpackTmsf(value);
        EXPECT_EQ(position.track, MCI_TMSF_TRACK(value));
        EXPECT_EQ(position.minutes, MCI_TMSF_MINUTE(value));
        EXPECT_EQ(position.seconds, MCI_TMSF_SECOND(value));
        EXPECT_EQ(position.frames, MCI_TMSF_FRAME(value));
        EXPECT_EQ(PackTmsf(position), value);
    }
}

TEST(TmsfPosition, TrackEndIsTheTrackAtAnOffsetOfItsMsfLength) {
    TmsfPosition end = TrackEndPosition(5, 0x111F04);
    EXPECT_EQ(end.track, 5);
    EXPECT_EQ(end.minutes, 4);
    EXPECT_EQ(end.seconds, 31);
    EXPECT_EQ(end.frames, 17);
    EXPECT_EQ(PackTmsf(end), 0x111F0405u);
    // A failed length query gives 0: the range is the track's first frame.
    EXPECT_EQ(PackTmsf(TrackEndPosition(7, 0)), 0x00000007u);
}

TEST(TmsfPosition, PlayLengthRunsFromThePositionToTheTrackEnd) {
    // 4:31:17 is 20342 frames.
    EXPECT_EQ(PlayLengthMs(TmsfPosition(5, 0, 0, 0), 0x111F04), 20342u * 1000 / 75);
    EXPECT_EQ(PlayLengthMs(TmsfPosition(5, 4, 30, 17), 0x111F04), 1000u);
    EXPECT_EQ(PlayLengthMs(TmsfPosition(5, 4, 31, 17), 0x111F04), 0u);
    EXPECT_EQ(PlayLengthMs(TmsfPosition(5, 99, 0, 0), 0x111F04), 0u);
    // The largest MSF value a driver could give does not overflow.
    EXPECT_EQ(PlayLengthMs(TmsfPosition(1, 0, 0, 0), 0xFFFFFF), ((255u * 60 + 255) * 75 + 255) * 1000 / 75);
}
