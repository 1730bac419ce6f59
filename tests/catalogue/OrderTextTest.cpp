#include "catalogue/OrderText.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/Records.h"

namespace {

TEST(OrderText, DefaultTextFitsUpTo88Tracks) {
    EXPECT_EQ(DefaultOrderText(5), "0 1 2 3 4 ");
    EXPECT_EQ(DefaultOrderText(0), "");
    EXPECT_EQ(DefaultOrderText(88).size(), 254u);
    EXPECT_EQ(DefaultOrderText(89), "");
    EXPECT_EQ(DefaultPlaylist(99), Range(1, 99));
}

TEST(OrderText, BuildsEntriesLessOneEachFollowedByABlank) {
    size_t written = 99;
    EXPECT_EQ(BuildOrderText({3, 1}, &written), "2 0 ");
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(BuildOrderText({}, &written), "");
    EXPECT_EQ(written, 0u);
}

TEST(OrderText, BuildKeepsTheLongestRunOfWholeEntriesThatFits) {
    size_t written = 0;
    // 127 entries of one-digit numbers take 254 characters; the 128th does not fit.
    std::string text = BuildOrderText(std::vector<int>(128, 10), &written);
    EXPECT_EQ(written, 127u);
    EXPECT_EQ(text.size(), 254u);
    // 85 entries of two digits take exactly 255.
    text = BuildOrderText(std::vector<int>(86, 99), &written);
    EXPECT_EQ(written, 85u);
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text.substr(text.size() - 3), "98 ");
    // A long entry that does not fit ends the run even if a shorter one would.
    std::vector<int> playlist(84, 99);
    playlist.push_back(1);
    playlist.push_back(99);
    playlist.push_back(1);
    text = BuildOrderText(playlist, &written);
    EXPECT_EQ(written, 85u);
    EXPECT_EQ(text.size(), 254u);
}

TEST(OrderText, ParsesWellFormedTextAsNumbersPlusOne) {
    EXPECT_EQ(ParseOrderText("4 0 4", 5), (std::vector<int>{5, 1, 5}));
    EXPECT_EQ(ParseOrderText("2 0", 3), (std::vector<int>{3, 1}));
    EXPECT_EQ(ParseOrderText(DefaultOrderText(12), 12), Range(1, 12));
}

TEST(OrderText, DropsTokensOutsideTheDiscOrNotDecimal) {
    EXPECT_EQ(ParseOrderText("7 0 5", 5), std::vector<int>{1});
    EXPECT_EQ(ParseOrderText("a 1 -1 +2 3x 2 0x1", 5), (std::vector<int>{2, 3}));
    EXPECT_EQ(ParseOrderText("99999999999999999999999 1", 5), std::vector<int>{2});
    EXPECT_EQ(ParseOrderText("007", 8), std::vector<int>{8});
}

TEST(OrderText, AcceptsRunsOfBlanksAndFallsBackToTheDefault) {
    EXPECT_EQ(ParseOrderText("  1   2  ", 5), (std::vector<int>{2, 3}));
    EXPECT_EQ(ParseOrderText("", 3), Range(1, 3));
    EXPECT_EQ(ParseOrderText("x y 9", 3), Range(1, 3));
    EXPECT_EQ(ParseOrderText("1\t2", 3), Range(1, 3));
    EXPECT_EQ(ParseOrderText("1,2", 3), Range(1, 3));
}

TEST(OrderText, WhatBuildWritesParseReadsBack) {
    std::vector<int> playlist = {12, 1, 1, 7, 12, 3};
    size_t written = 0;
    std::string text = BuildOrderText(playlist, &written);
    // The profile functions drop the trailing blank before we parse.
    EXPECT_EQ(ParseOrderText(text.substr(0, text.size() - 1), 12), playlist);
}

TEST(OrderText, AnyTextGivesAPlaylistWithinTheDisc) {
    // Random bytes, digits and blanks: the record's invariants always hold.
    std::mt19937 random(12345);
    const char alphabet[] = "0123456789   -+x\t";
    for (int round = 0; round < 5000; round++) {
        int count = 1 + int(random() % 99);
        std::string text;
        size_t length = random() % 300;
        for (size_t i = 0; i < length; i++)
            text += round % 2 ? char(random() % 256) : alphabet[random() % (sizeof(alphabet) - 1)];
        std::vector<int> playlist = ParseOrderText(text, count);
        ASSERT_FALSE(playlist.empty());
        for (int entry : playlist)
            ASSERT_TRUE(entry >= 1 && entry <= count) << text;
    }
}

}  // namespace
