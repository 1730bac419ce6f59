#pragma once

#include <string>
#include <vector>

// What the player knows of one disc. A plain value: the rest of the program
// reads and writes the fields directly. The generated copy assignment copies
// member by member in field order and leaves a self-assignment unchanged.
struct DiscInfo {
    std::string artist;
    std::string title;
    int numTracks = 0;                    // 0: no playable disc loaded
    std::vector<std::string> trackNames;  // index i names track i + 1
    std::vector<int> playlist;            // track numbers from 1, in order of play

    // Back to the empty record, releasing the lists' storage.
    void reset();

    // The name of track (from 1) as stored; the default name for a number
    // without one, so that a playlist entry always has a text.
    std::string TrackName(int track) const;
};

// "Track 3": the name of a track that has none stored.
std::string DefaultTrackName(int track);

// A line break in a name would end its line in cdplayer.ini and start keys
// or sections of its own, and a tab splits a menu item: every character
// below 32 becomes a blank.
void BlankControlCharacters(std::string* name);

// The record of the disc in the drive.
extern DiscInfo gDiscInfo;
