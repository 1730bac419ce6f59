#include "CdAudioDevice.h"

#include "device/DriveLetters.h"

CdAudioDevice* gDevice = nullptr;

CdAudioDevice::CdAudioDevice() {
    MCIERROR result = Open();
    if (result != 0)
        throw DeviceOpenError{result};
}

MCIERROR CdAudioDevice::Open() {
    openedLetter = FirstCdRomLetter();
    // No MCI_OPEN_SHAREABLE: the drive is ours alone while we run.
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = (LPCSTR)(DWORD_PTR)MCI_DEVTYPE_CD_AUDIO;
    MCIERROR result = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_WAIT, (DWORD_PTR)&open);
    deviceId = result == 0 ? open.wDeviceID : 0;
    if (result == 0)
        SetTimeFormat(MCI_FORMAT_TMSF);
    return result;
}

void CdAudioDevice::SetTimeFormat(DWORD format) {
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = format;
    mciSendCommandA(deviceId, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, (DWORD_PTR)&set);
}

MCIERROR CdAudioDevice::Close() {
    return mciSendCommandA(deviceId, MCI_CLOSE, MCI_WAIT, 0);
}

MCIERROR CdAudioDevice::Stop() {
    return mciSendCommandA(deviceId, MCI_STOP, MCI_WAIT, 0);
}

MCIERROR CdAudioDevice::Pause() {
    return mciSendCommandA(deviceId, MCI_PAUSE, MCI_WAIT, 0);
}

MCIERROR CdAudioDevice::Seek(TmsfPosition to) {
    MCI_SEEK_PARMS seek = {};
    seek.dwTo = PackTmsf(to);
    return mciSendCommandA(deviceId, MCI_SEEK, MCI_TO | MCI_WAIT, (DWORD_PTR)&seek);
}

MCIERROR CdAudioDevice::Play(TmsfPosition from, TmsfPosition to, HWND window) {
    // No MCI_WAIT: the end of the play arrives as MM_MCINOTIFY.
    MCI_PLAY_PARMS play = {};
    play.dwCallback = (DWORD_PTR)window;
    play.dwFrom = PackTmsf(from);
    play.dwTo = PackTmsf(to);
    return mciSendCommandA(deviceId, MCI_PLAY, MCI_NOTIFY | MCI_FROM | MCI_TO, (DWORD_PTR)&play);
}

MCIERROR CdAudioDevice::PlayTrack(int track, HWND window, uint32_t* lengthMs) {
    return PlayToTrackEnd(track, TmsfPosition(uint8_t(track), 0, 0, 0), window, lengthMs);
}

MCIERROR CdAudioDevice::PlayToTrackEnd(int track, TmsfPosition from, HWND window, uint32_t* lengthMs) {
    DWORD length = GetTrackLength(track);
    if (lengthMs)
        *lengthMs = PlayLengthMs(from, length);
    return Play(from, TrackEndPosition(track, length), window);
}

DWORD_PTR CdAudioDevice::QueryStatus(DWORD item) {
    // A failed query leaves the zero of the cleared block.
    MCI_STATUS_PARMS status = {};
    status.dwItem = item;
    mciSendCommandA(deviceId, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, (DWORD_PTR)&status);
    return status.dwReturn;
}

DWORD_PTR CdAudioDevice::QueryTrackStatus(DWORD item, int track) {
    MCI_STATUS_PARMS status = {};
    status.dwItem = item;
    status.dwTrack = (DWORD)track;
    mciSendCommandA(deviceId, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK | MCI_WAIT, (DWORD_PTR)&status);
    return status.dwReturn;
}

DWORD CdAudioDevice::GetMode() {
    return (DWORD)QueryStatus(MCI_STATUS_MODE);
}

TmsfPosition CdAudioDevice::GetPosition() {
    return UnpackTmsf((uint32_t)QueryStatus(MCI_STATUS_POSITION));
}

bool CdAudioDevice::IsAudioTrack(int track) {
    return QueryTrackStatus(MCI_CDA_STATUS_TYPE_TRACK, track) == MCI_CDA_TRACK_AUDIO;
}

bool CdAudioDevice::IsDataTrack(int track) {
    return QueryTrackStatus(MCI_CDA_STATUS_TYPE_TRACK, track) == MCI_CDA_TRACK_OTHER;
}

bool CdAudioDevice::IsMediaPresent() {
    return QueryStatus(MCI_STATUS_MEDIA_PRESENT) == 1;
}

DWORD CdAudioDevice::GetTrackCount() {
    return (DWORD)QueryStatus(MCI_STATUS_NUMBER_OF_TRACKS);
}

DWORD CdAudioDevice::GetTrackLength(int track) {
    return (DWORD)QueryTrackStatus(MCI_STATUS_LENGTH, track);
}

// In MSF, which the caller sets.
std::vector<uint32_t> CdAudioDevice::ReadStarts() {
    int count = (int)GetTrackCount();
    if (count > kMaxTracks)
        count = kMaxTracks;
    std::vector<uint32_t> starts;
    for (int k = 1; k <= count; k++)
        starts.push_back((uint32_t)QueryTrackStatus(MCI_STATUS_POSITION, k));
    return starts;
}

// Everything else relies on TMSF, so it goes back whatever happened.
std::vector<uint32_t> CdAudioDevice::TrackStartsMsf() {
    SetTimeFormat(MCI_FORMAT_MSF);
    std::vector<uint32_t> starts = ReadStarts();
    SetTimeFormat(MCI_FORMAT_TMSF);
    return starts;
}

DiscId CdAudioDevice::ComputeDiscId() {
    SetTimeFormat(MCI_FORMAT_MSF);
    std::vector<uint32_t> starts = ReadStarts();
    uint32_t lengthMs = 0;
    if (starts.size() < 3) {
        SetTimeFormat(MCI_FORMAT_MILLISECONDS);
        lengthMs = (uint32_t)QueryStatus(MCI_STATUS_LENGTH);
    }
    SetTimeFormat(MCI_FORMAT_TMSF);
    return DiscIdFromToc(starts, lengthMs);
}
