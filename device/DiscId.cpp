#include "DiscId.h"

DiscId DiscIdFromToc(const std::vector<uint32_t>& trackStarts, uint32_t discLengthMs) {
    DiscId id = 0;
    DiscId extra = 0;
    size_t count = trackStarts.size();
    for (size_t k = 0; k < count; k++) {
        uint32_t msf = trackStarts[k];
        uint32_t minutes = msf & 0xFF, seconds = (msf >> 8) & 0xFF, frames = (msf >> 16) & 0xFF;
        id += minutes * 65536 + seconds * 256 + frames;
        // Only the frames field of track 1, not its whole start in frames.
        if (count == 2 && k == 0)
            extra = frames;
    }
    if (count < 3) {
        uint32_t lengthFrames = discLengthMs * 75 / 1000;
        if (lengthFrames * 1000 / 75 != discLengthMs)
            lengthFrames++;
        id += lengthFrames + extra;
    }
    return id;
}

std::string FormatDiscId(DiscId id) {
    std::string text;
    do {
        text.insert(text.begin(), "0123456789ABCDEF"[id & 0xF]);
        id >>= 4;
    } while (id != 0);
    return text;
}
