#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "device/DiscId.h"
#include "device/DriveLetters.h"
#include "device/TmsfPosition.h"

// Thrown by the constructor when MCI_OPEN fails: the device is held by
// another program, or there is none. code is the MCI error, for tests.
struct DeviceOpenError {
    MCIERROR code;
};

// The one open MCI CD audio device. Every command waits for completion
// except the play, which reports its end with MM_MCINOTIFY to the window.
// The time format is TMSF from the end of construction on.
class CdAudioDevice {
public:
    CdAudioDevice();

    // Opens the device again after Close; until an Open succeeds, every
    // command fails and every query reads 0.
    MCIERROR Open();
    bool IsOpen() const { return deviceId != 0; }
    // Whether a volume event for these drive letters concerns the drive
    // this device plays (see VolumeEventConcerns).
    bool VolumeEventConcernsDrive(DWORD unitMask) const {
        return VolumeEventConcerns(unitMask, openedLetter, FirstCdRomLetter());
    }
    MCIERROR Close();
    MCIERROR Stop();
    MCIERROR Pause();
    MCIERROR Seek(TmsfPosition to);
    MCIERROR Play(TmsfPosition from, TmsfPosition to, HWND window);
    // lengthMs, when given, receives how long the play lasts at normal speed.
    MCIERROR PlayTrack(int track, HWND window, uint32_t* lengthMs = nullptr);
    MCIERROR PlayToTrackEnd(int track, TmsfPosition from, HWND window, uint32_t* lengthMs = nullptr);

    DWORD GetMode();
    TmsfPosition GetPosition();
    bool IsAudioTrack(int track);
    // Only a type the driver gave: a failed query (0) is not data.
    bool IsDataTrack(int track);
    bool IsMediaPresent();
    DWORD GetTrackCount();
    DWORD GetTrackLength(int track);

    DiscId ComputeDiscId();
    // Each track's start as an MSF value (at most kMaxTracks); the time
    // format is TMSF again afterwards.
    std::vector<uint32_t> TrackStartsMsf();

private:
    DWORD_PTR QueryStatus(DWORD item);
    DWORD_PTR QueryTrackStatus(DWORD item, int track);
    void SetTimeFormat(DWORD format);
    std::vector<uint32_t> ReadStarts();

    MCIDEVICEID deviceId = 0;
    DWORD openedLetter = 0;  // as a unit mask; 0 for none
};

// A disc holds at most 99 tracks; a driver that reports more answers nonsense.
const int kMaxTracks = 99;

// The program's one device, created by the tray window and deleted by
// PlayerController::ShutDown.
extern CdAudioDevice* gDevice;
