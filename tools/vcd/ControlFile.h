#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The virtual drive's control file: "key=value" lines, '#' starts a comment.
//   present=1            a disc is in the drive (0: none)
//   tracks=0:02:00 ...   each track's start as minutes:seconds:frames
//   leadout=18:02:11     the end of the disc
//   data=2 5             the tracks that are data, not audio
//   lengthms=612345      the disc length to report in milliseconds, when it
//                        must be other than the lead-out's
//   speed=1              play speed; 1000 plays a 4-minute track in 0.24 s
// The end of a play. By default as the platform's own driver: nothing is
// posted and the request hangs; the next stop, pause, seek or play posts
// MCI_NOTIFY_ABORTED for it, any other command with MCI_NOTIFY posts
// MCI_NOTIFY_SUPERSEDED. Other drivers:
//   reportend=1          report every end (MCI_NOTIFY_SUCCESSFUL)
//   nonotify=1           drop the request at the end: nothing ever comes
//   latereport=300       report it this many ms after the play ended (the
//                        mode says stopped meanwhile)
// Pauses and data tracks, by default as the platform's driver: the mode
// reads stopped while paused, and a play from a data track plays nothing
// for 1.5 s, then stops like any play. Wine's driver instead:
//   winepause=1          the mode reads paused while paused
//   winedata=1           a play starts past the data tracks; one that lies
//                        wholly in data is empty and reported successful
// The table of contents (tracks, data, lead-out, lengths, the number of
// tracks), by default as the platform's driver: read when the device is
// opened, or at the first command after that finds a disc, and answered
// from then on until the device is closed, whatever disc is in the drive
// now; whether a disc is present, and the mode, stay live. Wine's driver
// reads the disc at every question:
//   winetoc=1            answer from the control file as it is now
// A real drive takes its time, and so does this one by default:
//   reportdelay=300      every report reaches the window this many ms after
//                        what caused it, from a thread of the drive (0: at
//                        once, before the command returns)
//   spinup=1000          a play from a stopped drive reads seeking for this
//                        many ms, and its time starts after them (0: none)
//   openms=2000          an open takes this long (the drive reads the disc)
//   openfails=1          this many opens fail (MCIERR_MUST_USE_SHAREABLE),
//                        each counting the key down in the file
//   failplay=1           a running play fails at once (MCI_NOTIFY_FAILURE)
//   busy=1               another program holds the device
//   nodevice=1           there is no CD audio device
// Nonsense, as a broken driver might answer:
//   trackcount=1000      the number of tracks to report, whatever the disc has
//   garbage=1            every position and length answered is random bytes
//   mode=526             the mode to report always, whatever the drive does
// Tests and scripts rewrite it whole (write a new file, then rename it over).
struct DriveControl {
    bool present = false;
    std::vector<uint32_t> trackStarts;  // in frames from the start of the disc
    std::vector<bool> dataTracks;       // per track
    uint32_t leadOut = 0;               // in frames
    int64_t lengthMs = -1;              // -1: from the lead-out
    double speed = 1;
    bool reportEnd = false;
    bool noNotify = false;
    uint32_t lateReportMs = 0;
    uint32_t reportDelayMs = 300;
    uint32_t spinUpMs = 1000;
    uint32_t openMs = 0;
    uint32_t openFails = 0;
    bool failPlay = false;
    bool winePause = false;
    bool wineData = false;
    bool wineToc = false;
    bool busy = false;
    bool noDevice = false;
    int64_t reportedTracks = -1;  // -1: the real count
    bool garbage = false;
    uint32_t stuckMode = 0;       // 0: the real mode
};

const int kFramesPerSecond = 75;

// "m:s:f" to frames, or -1.
int64_t ParseMsf(const std::string& text);
DriveControl ParseControl(const std::string& text);
bool ReadTextFile(const char* path, std::string* text);
// Writes a sibling temporary file and renames it over path, so that a reader
// never sees half a file.
bool ReplaceTextFile(const char* path, const std::string& text);
// The text with the line of key replaced (or added) by "key=value".
std::string SetControlValue(const std::string& text, const std::string& key, const std::string& value);
