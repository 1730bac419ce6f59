// The disc's identifier in the online database and the reading of its
// answers, which are hostile input.

#include <gtest/gtest.h>

#include "lookup/Json.h"
#include "lookup/LookupToc.h"
#include "lookup/Matches.h"

namespace {

uint32_t Msf(uint32_t frames) {
    uint32_t seconds = frames / 75;
    return (seconds / 60) | (seconds % 60) << 8 | (frames % 75) << 16;
}

// The service's own worked example, reached from MCI's answers: the last
// track's length is one frame short of the lead-out.
TEST(LookupToc, TheWorkedExampleFromMciAnswers) {
    std::vector<uint32_t> starts;
    for (uint32_t frames : {150, 15363, 32314, 46592, 63414, 80489})
        starts.push_back(Msf(frames));
    LookupToc toc = MakeLookupToc(starts, Msf(95462 - 80489 - 1), std::vector<bool>(6, false));
    EXPECT_EQ(toc.leadOut, 95462u);
    EXPECT_EQ(LookupDiscId(toc), "49HHV7Eb8UKF3aQiNmu1GR8vKTY-");
    EXPECT_EQ(LookupTocText(toc), "1+6+95462+150+15363+32314+46592+63414+80489");
    EXPECT_EQ(LookupIdText(toc).size(), 804u);
}

// An Enhanced CD: the data track last is left out, and the audio session
// ends 11,400 frames before it.
TEST(LookupToc, AnEnhancedCdCoversItsAudioTracksOnly) {
    std::vector<uint32_t> starts;
    for (uint32_t frames : {150, 15363, 32314, 46592, 63414, 80489, 95462 + 11400})
        starts.push_back(Msf(frames));
    std::vector<bool> data(7, false);
    data[6] = true;
    LookupToc toc = MakeLookupToc(starts, Msf(20000), data);
    EXPECT_EQ(toc.last, 6);
    EXPECT_EQ(LookupDiscId(toc), "49HHV7Eb8UKF3aQiNmu1GR8vKTY-");
}

const char kAnswer[] = R"({"releases": [
  {"title": "Night \u00c9dition", "date": "1999", "country": "GB",
   "artist-credit": [{"name": "A", "joinphrase": " & "}, {"name": "B", "joinphrase": ""}],
   "media": [{"position": 1, "format": "CD", "track-count": 2, "discs": [{"id": "other"}],
              "tracks": [{"title": "x"}, {"title": "y"}]},
             {"position": 2, "format": "CD", "track-count": 3, "discs": [{"id": "ours"}],
              "tracks": [{"title": "One", "artist-credit": [{"name": "A", "joinphrase": " & "}, {"name": "B"}]},
                         {"title": "Two", "artist-credit": [{"name": "Guest"}]},
                         {"title": "Three \ud83c\udfb5"}]}]},
  {"title": "By Lengths", "artist-credit": [{"name": "C"}],
   "media": [{"position": 1, "track-count": 3, "tracks": [{"title": "a"}, {"title": "b"}, {"title": "c"}]}]},
  {"title": "Elsewhere", "media": [{"track-count": 9, "tracks": []}]}
]})";

// The medium holding our id, else one of our track count; a compilation's
// track names its artist; releases without such a medium are none.
TEST(LookupAnswer, EachReleaseWithAMediumForTheDisc) {
    std::vector<DiscMatch> matches;
    ASSERT_TRUE(ReadMatches(kAnswer, "ours", 3, &matches));
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].artist, "A & B");
    EXPECT_EQ(matches[0].title, "Night \xC3\x89" "dition");
    EXPECT_EQ(matches[0].trackNames,
              (std::vector<std::string>{"One", "Guest - Two", "Three \xF0\x9F\x8E\xB5"}));
    EXPECT_EQ(matches[0].label, "A & B - Night \xC3\x89" "dition (1999, GB, CD, disc 2 of 2)");
    EXPECT_EQ(matches[1].trackNames, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(matches[1].label, "C - By Lengths");
}

TEST(LookupAnswer, AnythingElseIsNoAnswer) {
    std::vector<DiscMatch> matches;
    std::string deep = std::string(100, '[') + std::string(100, ']');
    for (const std::string& bad : {std::string(kAnswer, sizeof(kAnswer) / 2), std::string("{\"releases\": {}}"),
                                   std::string("{\"error\": \"Not Found\"}"), std::string("{\"releases\": [1]}"),
                                   std::string("{\"releases\": []} x"), std::string("\"\\ud800\""), deep,
                                   std::string("{\"releases\": [\"\\u12\"]}"), std::string()})
        EXPECT_FALSE(ReadMatches(bad, "ours", 3, &matches)) << bad;
    EXPECT_TRUE(ReadMatches("{\"releases\": []}", "ours", 3, &matches));
    EXPECT_TRUE(matches.empty());
}

}  // namespace
