#pragma once

#include <string>
#include <vector>

// The "order" value of a cdplayer.ini section: the playlist counted from 0,
// each number followed by one blank. The file and its readers cap a value at
// 255 characters.
const size_t kMaxOrderText = 255;

// Every track once, in disc order (track numbers from 1).
std::vector<int> DefaultPlaylist(int trackCount);

// The default "order" text for a disc without one: "0 1 2 ... ". Empty when
// it would not fit (more than 88 tracks); an empty value reads as the default
// playlist anyway.
std::string DefaultOrderText(int trackCount);

// The longest run of whole leading entries that fits; entriesWritten tells
// how many that is, for "numplay".
std::string BuildOrderText(const std::vector<int>& playlist, size_t* entriesWritten);

// Tokens separated by one or more blanks; a token of decimal digits naming an
// index within 0 to trackCount - 1 adds that track (index + 1), anything else
// is dropped. With nothing left, the default playlist.
std::vector<int> ParseOrderText(const std::string& text, int trackCount);
