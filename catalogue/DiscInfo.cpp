#include "DiscInfo.h"

DiscInfo gDiscInfo;

void DiscInfo::reset() {
    artist.clear();
    title.clear();
    numTracks = 0;
    std::vector<std::string>().swap(trackNames);
    std::vector<int>().swap(playlist);
}
