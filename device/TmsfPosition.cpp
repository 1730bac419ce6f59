#include "TmsfPosition.h"

TmsfPosition::TmsfPosition(uint8_t track, uint8_t minutes, uint8_t seconds, uint8_t frames)
    : track(track), minutes(minutes), seconds(seconds), frames(frames) {}

uint32_t PackTmsf(TmsfPosition position) {
    return uint32_t(position.track) | uint32_t(position.minutes) << 8 |
           uint32_t(position.seconds) << 16 | uint32_t(position.frames) << 24;
}

TmsfPosition UnpackTmsf(uint32_t value) {
    return TmsfPosition(uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24));
}

static uint32_t Frames(uint32_t minutes, uint32_t seconds, uint32_t frames) {
    return (minutes * 60 + seconds) * 75 + frames;
}

uint32_t PlayLengthMs(TmsfPosition from, uint32_t msfLength) {
    uint32_t end = Frames(msfLength & 0xFF, (msfLength >> 8) & 0xFF, (msfLength >> 16) & 0xFF);
    uint32_t start = Frames(from.minutes, from.seconds, from.frames);
    return end > start ? (end - start) * 1000 / 75 : 0;
}

TmsfPosition TrackEndPosition(int track, uint32_t msfLength) {
    return TmsfPosition(uint8_t(track), uint8_t(msfLength), uint8_t(msfLength >> 8), uint8_t(msfLength >> 16));
}
