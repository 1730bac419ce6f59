#pragma once

#include <vector>

#include "catalogue/DiscInfo.h"

// The numbers first to last.
inline std::vector<int> Range(int first, int last) {
    std::vector<int> numbers;
    for (int n = first; n <= last; n++)
        numbers.push_back(n);
    return numbers;
}

// Three tracks A, B and C by X, titled Y, playing 3 then 1.
inline DiscInfo ThreeTrackRecord() {
    DiscInfo record;
    record.artist = "X";
    record.title = "Y";
    record.numTracks = 3;
    record.trackNames = {"A", "B", "C"};
    record.playlist = {3, 1};
    return record;
}
