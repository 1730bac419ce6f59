#include "PlayerController.h"

#include "catalogue/DiscInfo.h"
#include "device/CdAudioDevice.h"

namespace PlayerController {

bool playing = false;
bool paused = false;
bool discPresent = false;
PlaylistCursor cursor = 0;

// Where the device's end-of-play notifications go.
static HWND notifyWindow = nullptr;

// Some drivers (the platform's own on the NT family among them) never report
// that a play ran to its end. One timer, set for when the play should have
// ended, stands in for that report. A real report is posted before the timer
// could fire, and kills it.
static const UINT kEndOfPlayMarginMs = 2000;
static const UINT kStillPlayingRetryMs = 1000;

static void ArmEndOfPlayTimer(UINT ms) {
    if (notifyWindow)
        SetTimer(notifyWindow, kEndOfPlayTimer, ms, nullptr);
}

static void KillEndOfPlayTimer() {
    KillTimer(notifyWindow, kEndOfPlayTimer);
}

// A refused play has not started: nothing to wait for.
static void WaitForEndOfPlay(MCIERROR result, uint32_t lengthMs) {
    if (result == 0)
        ArmEndOfPlayTimer(lengthMs + kEndOfPlayMarginMs);
    else
        KillEndOfPlayTimer();
}

// The menus offer the commands only with a current entry, but the cursor can
// move, or the disc go, while a menu is open: without one, nothing is sent.
static bool HasCurrentEntry() {
    return discPresent && gDevice && cursor < gDiscInfo.playlist.size();
}

static int CurrentTrack() {
    return gDiscInfo.playlist.at(cursor);
}

static void PlayCurrentEntry() {
    uint32_t lengthMs = 0;
    MCIERROR result = gDevice->PlayTrack(CurrentTrack(), notifyWindow, &lengthMs);
    WaitForEndOfPlay(result, lengthMs);
}

static void CueCurrentEntry() {
    gDevice->Seek(TmsfPosition(uint8_t(CurrentTrack()), 0, 0, 0));
}

// The first entry of a freshly loaded disc: played with autoplay, else cued.
static void BeginDisc(bool autoplay) {
    KillEndOfPlayTimer();
    discPresent = gDiscInfo.numTracks > 0;
    if (!discPresent)
        return;
    cursor = 0;
    if (!HasCurrentEntry())
        return;
    if (autoplay) {
        PlayCurrentEntry();
        playing = true;
        paused = false;
    } else {
        CueCurrentEntry();
    }
}

void Start(HWND window, bool autoplay) {
    notifyWindow = window;
    playing = false;
    paused = false;
    BeginDisc(autoplay);
}

void Play() {
    if (!HasCurrentEntry())
        return;
    if (paused) {
        // Resume: from where the paused track stands to that track's end.
        uint32_t lengthMs = 0;
        MCIERROR result = gDevice->PlayToTrackEnd(CurrentTrack(), gDevice->GetPosition(), notifyWindow, &lengthMs);
        WaitForEndOfPlay(result, lengthMs);
        paused = false;
    } else {
        PlayCurrentEntry();
    }
    playing = true;
}

void Pause() {
    if (!gDevice)
        return;
    KillEndOfPlayTimer();
    gDevice->Pause();
    paused = true;
    playing = false;
}

void Stop() {
    if (!gDevice)
        return;
    KillEndOfPlayTimer();
    gDevice->Stop();
    cursor = 0;
    if (HasCurrentEntry())
        CueCurrentEntry();
    paused = false;
    playing = false;
}

void NextTrack() {
    if (!HasCurrentEntry() || cursor + 1 >= gDiscInfo.playlist.size())
        return;
    cursor++;
    KillEndOfPlayTimer();
    gDevice->Stop();
    PlayCurrentEntry();
}

void PreviousTrack() {
    if (!HasCurrentEntry() || cursor == 0)
        return;
    cursor--;
    KillEndOfPlayTimer();
    gDevice->Stop();
    PlayCurrentEntry();
}

void SelectEntry(size_t entry) {
    if (!discPresent || !gDevice || entry >= gDiscInfo.playlist.size())
        return;
    KillEndOfPlayTimer();
    if (playing || paused)
        gDevice->Stop();
    cursor = entry;
    if (playing)
        PlayCurrentEntry();
    else
        CueCurrentEntry();
}

void OnTrackEnd(WPARAM code) {
    if (code != MCI_NOTIFY_SUCCESSFUL || !playing || !HasCurrentEntry())
        return;
    KillEndOfPlayTimer();
    cursor++;
    gDevice->Stop();
    // Past the last entry: back to the first without playing or seeking;
    // playing stays set until the next RefreshPlaying sees the device idle.
    if (cursor >= gDiscInfo.playlist.size())
        cursor = 0;
    else
        PlayCurrentEntry();
}

void OnVolumeChange(bool autoplay) {
    BeginDisc(autoplay);
}

void RefreshPlaying() {
    if (gDevice)
        playing = gDevice->GetMode() == MCI_MODE_PLAY;
}

void OnPlaylistChanged() {
    if (cursor >= gDiscInfo.playlist.size())
        cursor = 0;
}

void OnEndOfPlayTimer() {
    KillEndOfPlayTimer();
    if (!playing || !gDevice)
        return;
    if (gDevice->GetMode() == MCI_MODE_PLAY)
        ArmEndOfPlayTimer(kStillPlayingRetryMs);  // a slow drive
    else
        OnTrackEnd(MCI_NOTIFY_SUCCESSFUL);
}

void ShutDown() {
    KillEndOfPlayTimer();
    if (!gDevice)
        return;
    gDevice->Stop();
    gDevice->Close();
    delete gDevice;
    gDevice = nullptr;
}

}  // namespace PlayerController
