#include "PlayerController.h"

#include "catalogue/DiscInfo.h"
#include "device/CdAudioDevice.h"
#include "player/PlayWatch.h"

namespace PlayerController {

bool playing = false;
bool paused = false;
bool discPresent = false;
PlaylistCursor cursor = 0;

// Where the device's end-of-play notifications go.
static HWND notifyWindow = nullptr;

// The play in flight. Some drivers (the platform's own among them) never
// report that a play ran to its end, so one timer per play looks at the
// mode when the play should be over.
static PlayWatch watch;

static void ArmEndOfPlayTimer(uint32_t ms) {
    if (notifyWindow)
        SetTimer(notifyWindow, kEndOfPlayTimer, ms, nullptr);
}

static void KillEndOfPlayTimer() {
    KillTimer(notifyWindow, kEndOfPlayTimer);
}

// Nothing more is expected of the play that runs: a command cut it, or it
// ended, or its driver reported that it failed.
static void ForgetPlay() {
    KillEndOfPlayTimer();
    watch.Forget();
}

// Every report queued before a play of ours starts is an earlier play's.
// Right after the command that started a play (abortsOnly), the aborts are
// the earlier play's, and what follows them is the new play's own (an empty
// range, a failure), left for the window. Reports that come later still are
// told apart by the watch. Posted messages only: a sent one (a disc change)
// must not run in the middle of a play's start.
static void TakeEarlierReports(bool abortsOnly) {
    const UINT peek = PM_NOREMOVE | PM_QS_POSTMESSAGE;
    MSG message;
    while (notifyWindow && PeekMessageA(&message, notifyWindow, MM_MCINOTIFY, MM_MCINOTIFY, peek)) {
        if (abortsOnly && message.wParam != MCI_NOTIFY_ABORTED && message.wParam != MCI_NOTIFY_SUPERSEDED)
            return;
        PeekMessageA(&message, notifyWindow, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE | PM_QS_POSTMESSAGE);
        watch.EarlierReport(message.wParam);
    }
}

// Before every play of ours: the one before it is over.
static void ReadyForPlay() {
    ForgetPlay();
    TakeEarlierReports(false);
}

// A refused play has not started: nothing to wait for.
static void WaitForEndOfPlay(MCIERROR result, uint32_t lengthMs) {
    if (result == 0) {
        watch.Started(GetTickCount(), lengthMs);
        ArmEndOfPlayTimer(watch.FirstCheckMs());
    }
    TakeEarlierReports(true);
}

// The menus offer the commands only with a current entry, but the cursor can
// move, or the disc go, while a menu is open: without one, nothing is sent.
static bool HasCurrentEntry() {
    return discPresent && gDevice && cursor < gDiscInfo.playlist.size();
}

static int CurrentTrack() {
    return gDiscInfo.playlist.at(cursor);
}

static bool CurrentIsData() {
    return gDevice->IsDataTrack(CurrentTrack());
}

// A data track plays nothing (the platform's driver goes silent for it and
// reports nothing), so its entries are passed as if they had ended: the
// next audio entry plays, or after the last the wrap leaves the cursor on
// the first entry with nothing playing.
static void PlayCurrentEntry() {
    ReadyForPlay();
    while (HasCurrentEntry() && CurrentIsData())
        cursor++;
    if (!HasCurrentEntry()) {
        if (discPresent && cursor >= gDiscInfo.playlist.size())
            cursor = 0;
        return;
    }
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
        // A menu opened before the change must not start the new disc.
        CueCurrentEntry();
        playing = false;
        paused = false;
    }
}

void Start(HWND window, bool autoplay) {
    notifyWindow = window;
    watch = PlayWatch();
    playing = false;
    paused = false;
    BeginDisc(autoplay);
}

void Play() {
    if (!HasCurrentEntry())
        return;
    if (paused && !CurrentIsData()) {
        // Resume: from where the paused track stands to that track's end.
        // A Pause chosen from a menu that went stale can leave the drive in
        // another entry's track: the current entry then plays from its start.
        ReadyForPlay();
        if (!HasCurrentEntry())
            return;  // a message handled during the wait took the disc or the device
        TmsfPosition at = gDevice->GetPosition();
        if (at.track != CurrentTrack())
            at = TmsfPosition(uint8_t(CurrentTrack()), 0, 0, 0);
        uint32_t lengthMs = 0;
        MCIERROR result = gDevice->PlayToTrackEnd(CurrentTrack(), at, notifyWindow, &lengthMs);
        WaitForEndOfPlay(result, lengthMs);
    } else {
        PlayCurrentEntry();
    }
    paused = false;
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

// Offered only while playing: from a menu that went stale (the playlist ran
// out, another disc was cued) they start nothing.
void NextTrack() {
    if (!playing || !HasCurrentEntry() || cursor + 1 >= gDiscInfo.playlist.size())
        return;
    cursor++;
    ForgetPlay();
    gDevice->Stop();
    PlayCurrentEntry();
}

void PreviousTrack() {
    if (!playing || !HasCurrentEntry() || cursor == 0)
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

void OnTrackEnd(WPARAM code) {
    DWORD mode = watch.NeedsMode(code) ? gDevice->GetMode() : 0;
    PlayWatch::Verdict verdict = watch.Report(code, mode);
    if (verdict == PlayWatch::kFailed)
        KillEndOfPlayTimer();  // changes nothing else: Play replays the entry
    if (verdict == PlayWatch::kEnded && playing && HasCurrentEntry())
        AdvanceAfterEnd();
}

void OnVolumeChange(bool autoplay) {
    BeginDisc(autoplay);
}

void ReopenDevice() {
    if (!gDevice)
        return;
    ForgetPlay();
    gDevice->Close();
    // The close owes a report for its pending play; it may come now or
    // seconds after the new open, and the watch counts it either way.
    TakeEarlierReports(false);
    if (gDevice)
        gDevice->Open();
}

// While a play of ours runs, a device that stopped near the play's end has
// ended it: the next entry starts now, so that the menu about to open shows
// what then happens. One that stopped long before was refused, as the
// player has always taken it.
void RefreshPlaying() {
    if (!gDevice)
        return;
    DWORD mode = gDevice->GetMode();
    if (playing && HasCurrentEntry() && mode != MCI_MODE_PLAY) {
        PlayWatch::Verdict verdict = watch.NotPlaying(mode, GetTickCount());
        if (verdict == PlayWatch::kNothing && watch.Following())
            return;  // the drive is still spinning up
        KillEndOfPlayTimer();
        if (verdict == PlayWatch::kEnded) {
            AdvanceAfterEnd();
            playing = watch.Following();  // at the wrap nothing plays
            return;
        }
    }
    playing = mode == MCI_MODE_PLAY;
}

void OnPlaylistChanged(int currentTrack) {
    if (cursor >= gDiscInfo.playlist.size())
        cursor = 0;
    if (!playing && !paused)
        return;
    for (size_t entry = 0; entry < gDiscInfo.playlist.size(); entry++) {
        if (gDiscInfo.playlist[entry] == currentTrack) {
            cursor = entry;
            return;
        }
    }
    // The track that plays is no longer listed: the entry that took its place
    // is chosen, as from the track menu.
    SelectEntry(cursor);
}

void OnEndOfPlayTimer() {
    KillEndOfPlayTimer();
    if (!watch.Following() || !playing || !HasCurrentEntry())
        return;
    uint32_t wait = 0;
    if (watch.Check(gDevice->GetMode(), GetTickCount(), &wait) == PlayWatch::kEnded)
        AdvanceAfterEnd();
    else if (wait > 0)
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
