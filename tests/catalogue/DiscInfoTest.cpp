#include "catalogue/DiscInfo.h"

#include <gtest/gtest.h>

#include "tests/support/Records.h"

namespace {

bool Same(const DiscInfo& a, const DiscInfo& b) {
    return a.artist == b.artist && a.title == b.title && a.numTracks == b.numTracks &&
           a.trackNames == b.trackNames && a.playlist == b.playlist;
}

TEST(DiscInfo, ResetEmptiesEverythingAndReleasesTheLists) {
    DiscInfo record = ThreeTrackRecord();
    record.playlist.resize(1000);
    record.trackNames.resize(1000);
    record.reset();
    EXPECT_TRUE(record.artist.empty());
    EXPECT_TRUE(record.title.empty());
    EXPECT_EQ(record.numTracks, 0);
    EXPECT_TRUE(record.trackNames.empty());
    EXPECT_TRUE(record.playlist.empty());
    EXPECT_EQ(record.playlist.capacity(), 0u);
}

TEST(DiscInfo, AssignmentThereAndBackLeavesTheRecordAsItWas) {
    DiscInfo global = ThreeTrackRecord();
    DiscInfo copy;
    copy = global;
    copy.trackNames[0] = "changed in the copy only";
    EXPECT_EQ(global.trackNames[0], "A");
    copy.trackNames[0] = "A";
    global = copy;
    EXPECT_TRUE(Same(global, ThreeTrackRecord()));
    DiscInfo& self = global;
    global = self;
    EXPECT_TRUE(Same(global, ThreeTrackRecord()));
}

TEST(DiscInfo, AssigningAnEmptyPlaylistEmptiesTheTargets) {
    DiscInfo target = ThreeTrackRecord();
    DiscInfo source = ThreeTrackRecord();
    source.playlist.clear();
    target = source;
    EXPECT_TRUE(target.playlist.empty());
}

// Line breaks would start keys and sections of their own in cdplayer.ini.
TEST(DiscInfo, ControlCharactersInANameBecomeBlanks) {
    std::string name = "One\r\ntitle=Injected\tx\x1F\x7F\xE9";
    BlankControlCharacters(&name);
    EXPECT_EQ(name, "One  title=Injected x \x7F\xE9");
}

}  // namespace
