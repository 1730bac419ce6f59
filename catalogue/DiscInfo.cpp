#include "DiscInfo.h"

#include <cstdio>

DiscInfo gDiscInfo;

void DiscInfo::reset() {
    artist.clear();
    title.clear();
    numTracks = 0;
    std::vector<std::string>().swap(trackNames);
    std::vector<int>().swap(playlist);
}

std::string DiscInfo::TrackName(int track) const {
    if (track >= 1 && track <= (int)trackNames.size())
        return trackNames[track - 1];
    char text[32];
    snprintf(text, sizeof(text), "Track %d", track);
    return text;
}
