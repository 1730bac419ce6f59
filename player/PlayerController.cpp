#include "PlayerController.h"

#include "catalogue/DiscInfo.h"
#include "device/CdAudioDevice.h"
#include "player/EndOfPlayTiming.h"

namespace PlayerController {

bool playing = false;
bool paused = false;
bool discPresent = false;
PlaylistCursor cursor = 0;

// Where the device's end-of-play notifications go.
static HWND notifyWindow = nullptr;

// Some drivers (the platform's own on the NT family among them) never report
// that a play ran to its end. One timer per play stands in for that report:
// it asks the mode around the time the play should end (EndOfPlayTiming).
// A real report kills it.
static bool awaitingEnd = false;   // a play we started has not ended yet, as far as we know
static DWORD playStartedAt = 0;  // GetTickCount: the difference is right across its wrap
static uint32_t playLengthMs = 0;
static int endChecks = 0;
// Reports carry no play identity, and arrive in the order of the plays:
// with more than one due, a report is an earlier play's (cut by our own Stop
// or next play). A play whose end we saw ourselves is no longer counted;
// its success report may still come, late, and must not end the next play.
static int reportsDue = 0;
static int lateSuccesses = 0;  // ends we saw whose report may still come
// Shown once an end had to be seen by us: from then on plays are checked
// shortly before their end. A late report shows the opposite.
static bool driverSilent = false;

static void ArmEndOfPlayTimer(uint32_t ms) {
    if (notifyWindow)
        SetTimer(notifyWindow, kEndOfPlayTimer, ms, nullptr);
}

static void KillEndOfPlayTimer() {
    KillTimer(notifyWindow, kEndOfPlayTimer);
}

// Nothing more is expected of the play that runs (a command cut it, or it
// ended, or its driver reported that it failed).
static void ForgetPlay() {
    KillEndOfPlayTimer();
    awaitingEnd = false;
}

// A refused play has not started: nothing to wait for.
static void WaitForEndOfPlay(MCIERROR result, uint32_t lengthMs) {
    ForgetPlay();
    if (result != 0)
        return;
    reportsDue++;
    awaitingEnd = true;
    playStartedAt = GetTickCount();
    playLengthMs = lengthMs;
    endChecks = 0;
    ArmEndOfPlayTimer(FirstEndCheckMs(driverSilent, lengthMs));
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
    ForgetPlay();
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
    reportsDue = 0;
    lateSuccesses = 0;
    driverSilent = false;
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
    ForgetPlay();
    gDevice->Pause();
    paused = true;
    playing = false;
}

void Stop() {
    if (!gDevice)
        return;
    ForgetPlay();
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
    ForgetPlay();
    gDevice->Stop();
    PlayCurrentEntry();
}

void PreviousTrack() {
    if (!HasCurrentEntry() || cursor == 0)
        return;
    cursor--;
    ForgetPlay();
    gDevice->Stop();
    PlayCurrentEntry();
}

void SelectEntry(size_t entry) {
    if (!discPresent || !gDevice || entry >= gDiscInfo.playlist.size())
        return;
    ForgetPlay();
    if (playing || paused)
        gDevice->Stop();
    cursor = entry;
    if (playing)
        PlayCurrentEntry();
    else
        CueCurrentEntry();
}

// The play of the current entry ended: on to the next entry.
static void AdvanceAfterEnd() {
    ForgetPlay();
    cursor++;
    gDevice->Stop();
    // Past the last entry: back to the first without playing or seeking;
    // playing stays set until the next RefreshPlaying sees the device idle.
    if (cursor >= gDiscInfo.playlist.size())
        cursor = 0;
    else
        PlayCurrentEntry();
}

// We saw the device stop before any report came.
static void OnEndSeen() {
    if (reportsDue > 0)
        reportsDue--;
    lateSuccesses++;
    driverSilent = true;
    AdvanceAfterEnd();
}

void OnTrackEnd(WPARAM code) {
    if (code == MCI_NOTIFY_SUCCESSFUL && lateSuccesses > 0) {
        // The report of a play whose end we already saw: this driver reports.
        lateSuccesses--;
        driverSilent = false;
        return;
    }
    if (reportsDue == 0)
        return;
    if (--reportsDue > 0)
        return;  // an earlier play's
    if (code != MCI_NOTIFY_SUCCESSFUL) {
        ForgetPlay();  // the current play failed or was cut short: it changes nothing else
        return;
    }
    if (!playing || !HasCurrentEntry())
        return;
    AdvanceAfterEnd();
}

void OnVolumeChange(bool autoplay) {
    BeginDisc(autoplay);
}

static uint32_t PlayElapsedMs() {
    return GetTickCount() - playStartedAt;
}

// A stopped device, or any mode but play once the play's time is up.
static bool PlayEnded(DWORD mode, uint32_t elapsedMs) {
    return mode != MCI_MODE_PLAY && (mode == MCI_MODE_STOP || elapsedMs >= playLengthMs);
}

// While a play of ours runs, a device that stopped near the play's end has
// ended it: the next entry starts now, so that the menu about to open shows
// what then happens. One that stopped long before was refused, as the
// player has always taken it.
void RefreshPlaying() {
    if (!gDevice)
        return;
    DWORD mode = gDevice->GetMode();
    if (awaitingEnd && playing && HasCurrentEntry() && mode != MCI_MODE_PLAY) {
        uint32_t elapsed = PlayElapsedMs();
        if (elapsed >= playLengthMs / 2 && PlayEnded(mode, elapsed)) {
            OnEndSeen();
            playing = awaitingEnd;  // at the wrap nothing plays
            return;
        }
        ForgetPlay();
    }
    playing = mode == MCI_MODE_PLAY;
}

void OnPlaylistChanged() {
    if (cursor >= gDiscInfo.playlist.size())
        cursor = 0;
}

void OnEndOfPlayTimer() {
    KillEndOfPlayTimer();
    if (!awaitingEnd || !playing || !HasCurrentEntry())
        return;
    uint32_t elapsed = PlayElapsedMs();
    if (PlayEnded(gDevice->GetMode(), elapsed)) {
        OnEndSeen();
        return;
    }
    // Still playing (a slow drive, or one stuck at "playing"): ask again
    // later, or give up; a command or a menu starts afresh.
    uint32_t wait = 0;
    if (NextEndCheckMs(elapsed, playLengthMs, ++endChecks, &wait))
        ArmEndOfPlayTimer(wait);
}

void ShutDown() {
    ForgetPlay();
    if (!gDevice)
        return;
    gDevice->Stop();
    gDevice->Close();
    delete gDevice;
    gDevice = nullptr;
}

}  // namespace PlayerController
