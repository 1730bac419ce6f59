#pragma once

#include <cstdint>

// A position on the disc in the layout of the MCI TMSF value: byte 0 is the
// track, then minutes, seconds and frames (75 frames to the second).
struct TmsfPosition {
    uint8_t track;
    uint8_t minutes;
    uint8_t seconds;
    uint8_t frames;

    TmsfPosition(uint8_t track, uint8_t minutes, uint8_t seconds, uint8_t frames);
};

// The value MCI_MAKE_TMSF would build; the bytes are copied unchanged.
uint32_t PackTmsf(TmsfPosition position);
TmsfPosition UnpackTmsf(uint32_t value);

// The end of a track: the track itself at an offset equal to its length,
// which MCI gives as MSF (minutes in bits 0-7, seconds 8-15, frames 16-23).
TmsfPosition TrackEndPosition(int track, uint32_t msfLength);

// How long a play from a position within a track to that track's end lasts,
// in milliseconds; 0 when the position is not before the end.
uint32_t PlayLengthMs(TmsfPosition from, uint32_t msfLength);
