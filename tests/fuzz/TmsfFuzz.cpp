// TMSF packing and the length of a play, for any value a driver may answer.
// Input: a packed position (4 bytes), then an MSF track length (4 bytes).

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "device/TmsfPosition.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8)
        return 0;
    uint32_t packed, length;
    memcpy(&packed, data, 4);
    memcpy(&length, data + 4, 4);

    TmsfPosition position = UnpackTmsf(packed);
    if (PackTmsf(position) != packed || position.track != (packed & 0xFF) || position.frames != packed >> 24)
        abort();

    TmsfPosition end = TrackEndPosition(position.track, length);
    if (end.track != position.track || end.minutes != (length & 0xFF) || end.seconds != ((length >> 8) & 0xFF) ||
        end.frames != ((length >> 16) & 0xFF))
        abort();

    // From the position to the end, in whole milliseconds; never negative.
    int64_t endFrames = (int64_t(end.minutes) * 60 + end.seconds) * 75 + end.frames;
    int64_t startFrames = (int64_t(position.minutes) * 60 + position.seconds) * 75 + position.frames;
    int64_t expected = endFrames > startFrames ? (endFrames - startFrames) * 1000 / 75 : 0;
    if (PlayLengthMs(position, length) != uint32_t(expected))
        abort();
    return 0;
}
