#include "DiscInfo.h"

DiscInfo gDiscInfo;

void DiscInfo::reset() {
    artist.clear();
    title.clear();
    numTracks = 0;
    std::vector<std::string>().swap(trackNames);
    std::vector<int>().swap(playlist);
}

std::string DefaultTrackName(int track) {
    return "Track " + std::to_string(track);
}

std::string DiscInfo::TrackName(int track) const {
    if (track >= 1 && track <= (int)trackNames.size())
        return trackNames[track - 1];
    return DefaultTrackName(track);
}

void BlankControlCharacters(std::string* name) {
    for (char& c : *name)
        if ((unsigned char)c < 32)
            c = ' ';
}
