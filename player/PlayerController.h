#pragma once

#include <windows.h>

#include <cstddef>

// 0-based index of the current entry in gDiscInfo.playlist.
typedef size_t PlaylistCursor;

// The one timer the controller sets on its notification window, while a
// play runs.
const UINT_PTR kEndOfPlayTimer = 1;

// The playback state of the disc in the drive, and every reaction to a
// transport command, a track-menu choice, an end of play and a disc load.
// Plays through gDevice on gDiscInfo. Nothing is reported to the caller.
namespace PlayerController {

extern bool playing;      // we started the play and advance when it ends
extern bool paused;       // paused, and neither resumed nor stopped since
extern bool discPresent;  // the last load found a disc
extern PlaylistCursor cursor;

void Start(HWND window, bool autoplay);
void Play();
void Pause();
void Stop();
void NextTrack();
void PreviousTrack();
void SelectEntry(size_t entry);
void OnTrackEnd(WPARAM code);
void OnVolumeChange(bool autoplay);
// A disc arrived: the device is closed and opened again, since the platform's
// driver answers from the table of contents it read at its open. Reports of
// the closed device's plays are dropped. A failed open leaves a device that
// finds no disc, until the next arrival opens it again.
void ReopenDevice();
void RefreshPlaying();
// WM_TIMER with kEndOfPlayTimer on the notification window: the play should
// have ended by now, whether or not the driver said so.
void OnEndOfPlayTimer();
// The editor replaced the playlist; currentTrack is the track of the entry
// that was current. While playing or paused the cursor follows that track to
// its first entry. Otherwise it keeps its index where that still designates
// an entry, and goes back to the first otherwise.
void OnPlaylistChanged(int currentTrack);
void ShutDown();

}  // namespace PlayerController
