// The disc's identifier in the online database and the reading of its
// answers, which are hostile input.

#include <gtest/gtest.h>

#include "lookup/AnsiName.h"
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

// An Enhanced CD: the data tracks at the end are left out, and the audio
// session ends 11,400 frames before the first of them.
TEST(LookupToc, AnEnhancedCdCoversItsAudioTracksOnly) {
    for (int dataTracks = 1; dataTracks <= 2; dataTracks++) {
        std::vector<uint32_t> starts;
        for (uint32_t frames : {150, 15363, 32314, 46592, 63414, 80489, 95462 + 11400, 95462 + 30000})
            starts.push_back(Msf(frames));
        starts.resize(6 + dataTracks);
        std::vector<bool> data(6 + dataTracks, true);
        std::fill(data.begin(), data.begin() + 6, false);
        LookupToc toc = MakeLookupToc(starts, Msf(20000), data);
        EXPECT_EQ(toc.last, 6);
        EXPECT_EQ(toc.leadOut, 95462u);
        EXPECT_EQ(LookupDiscId(toc), "49HHV7Eb8UKF3aQiNmu1GR8vKTY-");
    }
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

// A disc of three tracks of 60 s, 90 s and 30 s.
LookupToc ThreeTracks() {
    LookupToc toc;
    toc.first = 1;
    toc.last = 3;
    toc.offsets = {150, 150 + 4500, 150 + 4500 + 6750};
    toc.leadOut = 150 + 4500 + 6750 + 2250;
    return toc;
}

// The medium holding our id wins; a compilation's track names its artist.
TEST(LookupAnswer, TheMediumHoldingTheIdWins) {
    std::vector<DiscMatch> matches;
    ASSERT_TRUE(ReadMatches(kAnswer, "ours", ThreeTracks(), &matches));
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].artist, "A & B");
    EXPECT_EQ(matches[0].title, "Night \xC3\x89" "dition");
    EXPECT_EQ(matches[0].trackNames,
              (std::vector<std::string>{"One", "Guest - Two", "Three \xF0\x9F\x8E\xB5"}));
    EXPECT_EQ(matches[0].label, "A & B - Night \xC3\x89" "dition (1999, GB, CD, disc 2 of 2)");
}

// Found by its table of contents, each release comes with all its media and
// none marked: only media whose tracks last as the disc's do are this disc
// (disc 2 of a set of two discs of three tracks), and a track without a
// length cannot tell. A field left out is left empty.
TEST(LookupAnswer, ByTheTableOfContentsOnlyTheMediaOfTheDiscsLengths) {
    const char answer[] = R"({"releases": [
      {"title": "Set", "artist-credit": [{"name": "S"}], "media": [
        {"position": 1, "track-count": 3, "discs": [{"id": "theirs"}], "tracks": [
          {"title": "d1 a", "length": 200000}, {"title": "d1 b", "length": 90000}, {"title": "d1 c", "length": 30000}]},
        {"position": 2, "track-count": 3, "discs": [], "tracks": [
          {"title": "d2 a", "length": 61500}, {"title": "d2 b", "length": 88000}, {"title": "", "length": 30000}]}]},
      {"title": "Unknown lengths", "media": [{"position": 1, "tracks": [
          {"title": "u a"}, {"title": "u b", "length": null}, {"artist-credit": [{"name": "G"}]}]}]},
      {"title": "Four tracks", "media": [{"tracks": [{"title": "1"}, {"title": "2"}, {"title": "3"}, {"title": "4"}]}]}
    ]})";
    std::vector<DiscMatch> matches;
    ASSERT_TRUE(ReadMatches(answer, "ours", ThreeTracks(), &matches));
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].trackNames, (std::vector<std::string>{"d2 a", "d2 b", ""}));
    EXPECT_EQ(matches[0].label, "S - Set (disc 2 of 2)");
    EXPECT_EQ(matches[1].artist, "");
    EXPECT_EQ(matches[1].trackNames, (std::vector<std::string>{"u a", "u b", ""}));
    LookupToc longer = ThreeTracks();
    longer.leadOut += 75 * 10;
    ASSERT_TRUE(ReadMatches(answer, "ours", longer, &matches));
    EXPECT_EQ(matches.size(), 1u);
}

// In the code page (1252 here): the default character for what it lacks,
// never a look-alike; at most 254 bytes, never half a character.
TEST(AnsiName, TheDefaultCharacterNeverALookAlike) {
    EXPECT_EQ(AnsiFromUtf8("Caf\xC3\xA9 \xE2\x88\x9E \xCE\xA9 \xEF\xBC\xA1"), "Caf\xE9 ? ? ?");
    EXPECT_EQ(AnsiFromUtf8(std::string(300, 'x')).size(), 254u);
    std::string accents;
    for (int i = 0; i < 300; i++)
        accents += "\xC3\xA9";
    EXPECT_EQ(AnsiFromUtf8(accents), std::string(254, '\xE9'));
}

TEST(LookupAnswer, AnythingElseIsNoAnswer) {
    std::vector<DiscMatch> matches;
    std::string deep = std::string(100, '[') + std::string(100, ']');
    for (const std::string& bad : {std::string(kAnswer, sizeof(kAnswer) / 2), std::string("{\"releases\": {}}"),
                                   std::string("{\"error\": \"Not Found\"}"), std::string("{\"releases\": [1]}"),
                                   std::string("{\"releases\": []} x"), std::string("\"\\ud800\""), deep,
                                   std::string("{\"releases\": [\"\\u12\"]}"), std::string()})
        EXPECT_FALSE(ReadMatches(bad, "ours", ThreeTracks(), &matches)) << bad;
    EXPECT_TRUE(ReadMatches("{\"releases\": []}", "ours", ThreeTracks(), &matches));
    EXPECT_TRUE(matches.empty());
}

}  // namespace
