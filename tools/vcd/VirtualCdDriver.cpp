// A virtual CD drive: an MCI driver for the "cdaudio" device type that plays
// a disc described by a control file in scaled real time and logs every
// command it receives. It stands in for the platform's CD audio driver on
// machines without a drive, so the player is tested through the real winmm.

#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h>

#include <cstdarg>
#include <cstdio>
#include <map>
#include <string>

#include "ControlFile.h"
#include "Mailman.h"

// winmm exports these to drivers; the MinGW headers do not declare them.
extern "C" {
BOOL WINAPI mciDriverNotify(HWND callback, MCIDEVICEID deviceId, UINT status);
BOOL WINAPI mciSetDriverData(MCIDEVICEID deviceId, DWORD_PTR data);
}

namespace {

std::string EnvironmentValue(const char* name) {
    char value[MAX_PATH * 2];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}

// VCD_LOG_TIMES=1 (for benchmarks) adds the time to each line, and a line
// "ended" where a play runs to its end.
bool LogTimes() {
    static bool times = !EnvironmentValue("VCD_LOG_TIMES").empty();
    return times;
}

void Log(const char* format, ...) {
    static std::string path = EnvironmentValue("VCD_LOG");
    if (path.empty())
        return;
    char line[512];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(line, sizeof(line) - 40, format, args);
    va_end(args);
    if (length < 0 || length > (int)sizeof(line) - 41)
        length = (int)sizeof(line) - 41;
    if (LogTimes())
        length += snprintf(line + length, 40, " at=%llu", (unsigned long long)GetTickCount64());
    line[length++] = '\n';
    // Opened per line and shared, so that a test reads it while we run and
    // two processes on one drive append to the same log.
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, line, (DWORD)length, &written, nullptr);
    CloseHandle(file);
}

DriveControl ReadControl() {
    std::string text;
    std::string path = EnvironmentValue("VCD_CONTROL");
    if (path.empty() || !ReadTextFile(path.c_str(), &text))
        return DriveControl();
    return ParseControl(text);
}

uint32_t MsfValue(uint32_t frames) {
    uint32_t seconds = frames / kFramesPerSecond;
    return MCI_MAKE_MSF(seconds / 60, seconds % 60, frames % kFramesPerSecond);
}

uint32_t FramesOfMsf(uint32_t msf) {
    return (MCI_MSF_MINUTE(msf) * 60 + MCI_MSF_SECOND(msf)) * kFramesPerSecond + MCI_MSF_FRAME(msf);
}

enum class Mode { Stopped, Playing, Paused };

class Drive {
public:
    explicit Drive(MCIDEVICEID id) : deviceId(id) {
        InitializeCriticalSection(&lock);
        wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        thread = CreateThread(nullptr, 0, WorkerMain, this, 0, nullptr);
    }

    ~Drive() {
        Lock();
        quit = true;
        Unlock();
        SetEvent(wake);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        CloseHandle(wake);
        if (heldMutex)
            CloseHandle(heldMutex);
        DeleteCriticalSection(&lock);
    }

    LRESULT Command(UINT message, DWORD flags, DWORD_PTR params) {
        Lock();
        ReadDriveControl();
        LRESULT result = Dispatch(message, flags, params);
        Unlock();
        return result;
    }

private:
    void Lock() { EnterCriticalSection(&lock); }

    // The control file, with the table of contents this open read first
    // unless the drive re-reads it (winetoc=1).
    void ReadDriveControl() {
        control = ReadControl();
        if (control.wineToc)
            return;
        if (!tocRead && control.present) {
            toc = control;
            tocRead = true;
        }
        if (!tocRead)
            return;
        control.trackStarts = toc.trackStarts;
        control.dataTracks = toc.dataTracks;
        control.leadOut = toc.leadOut;
        control.lengthMs = toc.lengthMs;
        control.reportedTracks = toc.reportedTracks;
    }
    void Unlock() { LeaveCriticalSection(&lock); }

    LRESULT Dispatch(UINT message, DWORD flags, DWORD_PTR params) {
        switch (message) {
        case MCI_OPEN_DRIVER: return Open(flags, (MCI_OPEN_PARMSW*)params);
        case MCI_CLOSE_DRIVER: return Close(flags, params);
        case MCI_STOP: return Halt("stop", flags, params, Mode::Stopped);
        case MCI_PAUSE: return Halt("pause", flags, params, Mode::Paused);
        case MCI_PLAY: return Play(flags, (MCI_PLAY_PARMS*)params);
        case MCI_SEEK: return Seek(flags, (MCI_SEEK_PARMS*)params);
        case MCI_SET: return Set(flags, (MCI_SET_PARMS*)params);
        case MCI_STATUS: return Status(flags, (MCI_STATUS_PARMS*)params);
        case MCI_GETDEVCAPS: return DevCaps(flags, (MCI_GETDEVCAPS_PARMS*)params);
        }
        Log("command=0x%X flags=0x%X -> %u", message, (unsigned)flags, MCIERR_UNRECOGNIZED_COMMAND);
        return MCIERR_UNRECOGNIZED_COMMAND;
    }

    // One process at a time may hold a drive: a named object per control
    // file, so that tests on separate drives never meet.
    LRESULT Open(DWORD flags, MCI_OPEN_PARMSW* params) {
        unsigned type = params ? (unsigned)(DWORD_PTR)params->lpstrDeviceType : 0;
        LRESULT result = 0;
        if (control.openMs)
            Sleep(control.openMs);
        if (control.noDevice) {
            result = MCIERR_DEVICE_NOT_INSTALLED;
        } else if (control.openFails) {
            std::string path = EnvironmentValue("VCD_CONTROL"), text;
            ReadTextFile(path.c_str(), &text);
            ReplaceTextFile(path.c_str(), SetControlValue(text, "openfails", std::to_string(control.openFails - 1)));
            result = MCIERR_MUST_USE_SHAREABLE;
        } else if (!(flags & MCI_OPEN_SHAREABLE)) {
            if (control.busy) {
                result = MCIERR_MUST_USE_SHAREABLE;
            } else {
                std::string name = "VirtualCdDrive-" + std::to_string(std::hash<std::string>()(EnvironmentValue("VCD_CONTROL")));
                heldMutex = CreateMutexA(nullptr, FALSE, name.c_str());
                if (heldMutex && GetLastError() == ERROR_ALREADY_EXISTS) {
                    CloseHandle(heldMutex);
                    heldMutex = nullptr;
                    result = MCIERR_MUST_USE_SHAREABLE;
                }
            }
        }
        Log("open flags=0x%X type=%u -> %u", (unsigned)flags, type, (unsigned)result);
        return result;
    }

    LRESULT Close(DWORD flags, DWORD_PTR params) {
        LRESULT result = Halt("close", flags, params, Mode::Stopped);
        if (heldMutex)
            CloseHandle(heldMutex);
        heldMutex = nullptr;
        return result;
    }

    // The commands that only change the mode: stop, pause and close.
    LRESULT Halt(const char* name, DWORD flags, DWORD_PTR params, Mode newMode) {
        if (params)
            Log("%s flags=0x%X callback=0x%llX -> 0", name, (unsigned)flags,
                (unsigned long long)((MCI_GENERIC_PARMS*)params)->dwCallback);
        else
            Log("%s flags=0x%X params=null -> 0", name, (unsigned)flags);
        // Only a play can be paused; a pause while paused stays paused.
        bool pausable = mode != Mode::Stopped;
        EndPlay(MCI_NOTIFY_ABORTED);
        mode = newMode == Mode::Paused && pausable ? Mode::Paused : Mode::Stopped;
        if (params && (flags & MCI_NOTIFY))
            Notify((HWND)((MCI_GENERIC_PARMS*)params)->dwCallback, MCI_NOTIFY_SUCCESSFUL);
        return 0;
    }

    LRESULT Play(DWORD flags, MCI_PLAY_PARMS* params) {
        uint32_t from = CurrentPosition(), to = DiscEnd();
        LRESULT result = 0;
        if (!control.present || control.trackStarts.empty())
            result = MCIERR_DEVICE_NOT_READY;
        else if (params && (flags & MCI_FROM) && !ToFrames(params->dwFrom, &from))
            result = MCIERR_OUTOFRANGE;
        else if (params && (flags & MCI_TO) && !ToFrames(params->dwTo, &to))
            result = MCIERR_OUTOFRANGE;
        else if (from > to)
            result = MCIERR_OUTOFRANGE;
        Log("play flags=0x%X from=0x%08X to=0x%08X -> %u", (unsigned)flags, params ? (unsigned)params->dwFrom : 0,
            params ? (unsigned)params->dwTo : 0, (unsigned)result);
        if (result)
            return result;
        // A stopped drive spins up first: the play's time starts after that.
        ULONGLONG now = GetTickCount64();
        ULONGLONG spunUpAt = mode == Mode::Playing ? playStarted : now + (mode == Mode::Paused ? 0 : control.spinUpMs);
        EndPlay(MCI_NOTIFY_ABORTED);
        bool emptyInData = false;
        if (IsData(from)) {
            if (control.wineData) {
                while (from < to && IsData(from))
                    from = TrackEnd(TrackAt(from));
                emptyInData = from >= to;
                from = from < to ? from : to;
            } else if (to - from > kDataPlayFrames) {
                to = from + kDataPlayFrames;
            }
        }
        playFrom = position = from;
        playTo = to;
        playStarted = spunUpAt > now ? spunUpAt : now;
        notifyWindow = params && (flags & MCI_NOTIFY) ? (HWND)params->dwCallback : nullptr;
        notifyPending = notifyWindow != nullptr;
        mode = Mode::Playing;
        if (from == to)
            FinishPlay(emptyInData);
        SetEvent(wake);
        return 0;
    }

    bool IsData(uint32_t frames) const { return control.dataTracks[TrackAt(frames) - 1]; }

    LRESULT Seek(DWORD flags, MCI_SEEK_PARMS* params) {
        uint32_t to = position;
        LRESULT result = 0;
        if (!params)
            result = MCIERR_NULL_PARAMETER_BLOCK;
        else if (!control.present || control.trackStarts.empty())
            result = MCIERR_DEVICE_NOT_READY;
        else if (flags & MCI_SEEK_TO_START)
            to = control.trackStarts.front();
        else if (flags & MCI_SEEK_TO_END)
            to = DiscEnd();
        else if (!(flags & MCI_TO))
            result = MCIERR_MISSING_PARAMETER;
        else if (!ToFrames(params->dwTo, &to))
            result = MCIERR_OUTOFRANGE;
        Log("seek flags=0x%X to=0x%08X -> %u", (unsigned)flags, params ? (unsigned)params->dwTo : 0, (unsigned)result);
        if (result)
            return result;
        EndPlay(MCI_NOTIFY_ABORTED);
        mode = Mode::Stopped;
        position = to;
        if (flags & MCI_NOTIFY)
            Notify((HWND)params->dwCallback, MCI_NOTIFY_SUCCESSFUL);
        return 0;
    }

    LRESULT Set(DWORD flags, MCI_SET_PARMS* params) {
        LRESULT result = 0;
        if (!params)
            result = MCIERR_NULL_PARAMETER_BLOCK;
        else if (flags & MCI_SET_TIME_FORMAT) {
            DWORD format = params->dwTimeFormat;
            if (format == MCI_FORMAT_TMSF || format == MCI_FORMAT_MSF || format == MCI_FORMAT_MILLISECONDS)
                timeFormat = format;
            else
                result = MCIERR_BAD_TIME_FORMAT;
        }
        Log("set flags=0x%X format=%u -> %u", (unsigned)flags, params ? (unsigned)params->dwTimeFormat : 0,
            (unsigned)result);
        if (result == 0)
            NotifyCommand(flags, (MCI_GENERIC_PARMS*)params);
        return result;
    }

    LRESULT Status(DWORD flags, MCI_STATUS_PARMS* params) {
        if (!params) {
            Log("status flags=0x%X params=null -> %u", (unsigned)flags, MCIERR_NULL_PARAMETER_BLOCK);
            return MCIERR_NULL_PARAMETER_BLOCK;
        }
        DWORD_PTR value = 0;
        LRESULT result = StatusValue(flags, params, &value);
        if (result == 0 || result == MCI_COLONIZED3_RETURN || result == MCI_COLONIZED4_RETURN)
            params->dwReturn = value;
        if (flags & MCI_TRACK)
            Log("status flags=0x%X item=%u track=%u -> %u return=0x%08X", (unsigned)flags, (unsigned)params->dwItem,
                (unsigned)params->dwTrack, (unsigned)LOWORD(result), (unsigned)params->dwReturn);
        else
            Log("status flags=0x%X item=%u -> %u return=0x%08X", (unsigned)flags, (unsigned)params->dwItem,
                (unsigned)LOWORD(result), (unsigned)params->dwReturn);
        if (LOWORD(result) == 0)
            NotifyCommand(flags, (MCI_GENERIC_PARMS*)params);
        return result;
    }

    LRESULT StatusValue(DWORD flags, MCI_STATUS_PARMS* params, DWORD_PTR* value) {
        if (!(flags & MCI_STATUS_ITEM))
            return MCIERR_MISSING_PARAMETER;
        bool hasDisc = control.present && !control.trackStarts.empty();
        int trackCount = (int)control.trackStarts.size();
        int track = (int)params->dwTrack;
        bool trackValid = track >= 1 && track <= trackCount;
        switch (params->dwItem) {
        case MCI_STATUS_MEDIA_PRESENT:
            *value = control.present ? TRUE : FALSE;
            return 0;
        case MCI_STATUS_MODE:
            if (control.stuckMode) {
                *value = control.stuckMode;
                return 0;
            }
            // The platform's driver cannot tell a pause from a stop.
            *value = !control.present                            ? MCI_MODE_OPEN
                     : mode == Mode::Playing && SpinningUp()     ? MCI_MODE_SEEK
                     : mode == Mode::Playing                     ? MCI_MODE_PLAY
                     : mode == Mode::Paused && control.winePause ? MCI_MODE_PAUSE
                                                                 : MCI_MODE_STOP;
            return 0;
        case MCI_STATUS_READY:
            *value = TRUE;
            return 0;
        case MCI_STATUS_TIME_FORMAT:
            *value = timeFormat;
            return 0;
        }
        if (!hasDisc)
            return MCIERR_DEVICE_NOT_READY;
        if (params->dwItem == MCI_STATUS_NUMBER_OF_TRACKS) {
            *value = control.reportedTracks >= 0 ? (DWORD_PTR)control.reportedTracks : (DWORD_PTR)trackCount;
            return 0;
        }
        if (control.garbage && (params->dwItem == MCI_STATUS_POSITION || params->dwItem == MCI_STATUS_LENGTH)) {
            *value = NextGarbage();
            return 0;
        }
        if ((flags & MCI_TRACK) && !trackValid)
            return MCIERR_OUTOFRANGE;
        switch (params->dwItem) {
        case MCI_STATUS_CURRENT_TRACK:
            *value = TrackAt(CurrentPosition());
            return 0;
        case MCI_STATUS_POSITION:
            if (flags & MCI_TRACK)
                return FromFrames(control.trackStarts[track - 1], value);
            return FromFrames(flags & MCI_STATUS_START ? control.trackStarts.front() : CurrentPosition(), value);
        case MCI_STATUS_LENGTH:
            if (flags & MCI_TRACK)
                return Length(TrackLength(track), -1, value);
            return Length(DiscEnd() - control.trackStarts.front(), control.lengthMs, value);
        case MCI_CDA_STATUS_TYPE_TRACK:
            if (!(flags & MCI_TRACK))
                return MCIERR_MISSING_PARAMETER;
            *value = control.dataTracks[track - 1] ? MCI_CDA_TRACK_OTHER : MCI_CDA_TRACK_AUDIO;
            return 0;
        }
        return MCIERR_UNSUPPORTED_FUNCTION;
    }

    // Random bytes in every position, the same run each time the drive opens.
    uint32_t NextGarbage() {
        garbageState ^= garbageState << 13;
        garbageState ^= garbageState >> 17;
        garbageState ^= garbageState << 5;
        return garbageState;
    }

    LRESULT DevCaps(DWORD flags, MCI_GETDEVCAPS_PARMS* params) {
        LRESULT result = 0;
        if (!params || !(flags & MCI_GETDEVCAPS_ITEM))
            result = MCIERR_MISSING_PARAMETER;
        else if (params->dwItem == MCI_GETDEVCAPS_DEVICE_TYPE)
            params->dwReturn = MCI_DEVTYPE_CD_AUDIO;
        else if (params->dwItem == MCI_GETDEVCAPS_CAN_PLAY || params->dwItem == MCI_GETDEVCAPS_HAS_AUDIO)
            params->dwReturn = TRUE;
        else
            params->dwReturn = FALSE;
        Log("getdevcaps flags=0x%X -> %u", (unsigned)flags, (unsigned)result);
        return result;
    }

    // Lengths are durations: MSF while TMSF or MSF is set, as drivers give them.
    LRESULT Length(uint32_t frames, int64_t ms, DWORD_PTR* value) {
        if (timeFormat == MCI_FORMAT_MILLISECONDS) {
            *value = ms >= 0 ? (DWORD_PTR)ms : (DWORD_PTR)frames * 1000 / kFramesPerSecond;
            return 0;
        }
        *value = MsfValue(frames);
        return MCI_COLONIZED3_RETURN;
    }

    LRESULT FromFrames(uint32_t frames, DWORD_PTR* value) {
        if (timeFormat == MCI_FORMAT_MILLISECONDS) {
            *value = (DWORD_PTR)frames * 1000 / kFramesPerSecond;
            return 0;
        }
        if (timeFormat == MCI_FORMAT_MSF) {
            *value = MsfValue(frames);
            return MCI_COLONIZED3_RETURN;
        }
        int track = TrackAt(frames);
        uint32_t offset = MsfValue(frames - control.trackStarts[track - 1]);
        *value = MCI_MAKE_TMSF(track, MCI_MSF_MINUTE(offset), MCI_MSF_SECOND(offset), MCI_MSF_FRAME(offset));
        return MCI_COLONIZED4_RETURN;
    }

    // A position given in the current format to frames; false when it lies
    // outside the disc.
    bool ToFrames(DWORD value, uint32_t* frames) {
        uint64_t result;
        if (timeFormat == MCI_FORMAT_MILLISECONDS) {
            result = uint64_t(value) * kFramesPerSecond / 1000;
        } else if (timeFormat == MCI_FORMAT_MSF) {
            if (MCI_MSF_SECOND(value) > 59 || MCI_MSF_FRAME(value) > 74)
                return false;
            result = FramesOfMsf(value);
        } else {
            int track = MCI_TMSF_TRACK(value);
            if (track < 1 || track > (int)control.trackStarts.size() || MCI_TMSF_SECOND(value) > 59 ||
                MCI_TMSF_FRAME(value) > 74)
                return false;
            result = control.trackStarts[track - 1] +
                     FramesOfMsf(MCI_MAKE_MSF(MCI_TMSF_MINUTE(value), MCI_TMSF_SECOND(value), MCI_TMSF_FRAME(value)));
        }
        if (result < control.trackStarts.front() || result > DiscEnd())
            return false;
        *frames = uint32_t(result);
        return true;
    }

    // The last frame that can be played: native drivers report the last
    // track one frame short of the lead-out.
    uint32_t DiscEnd() const { return control.leadOut - 1; }

    uint32_t TrackEnd(int track) const {
        return track < (int)control.trackStarts.size() ? control.trackStarts[track] : DiscEnd();
    }

    uint32_t TrackLength(int track) const { return TrackEnd(track) - control.trackStarts[track - 1]; }

    int TrackAt(uint32_t frames) const {
        int track = 1;
        while (track < (int)control.trackStarts.size() && control.trackStarts[track] <= frames)
            track++;
        return track;
    }

    bool SpinningUp() const { return GetTickCount64() < playStarted; }

    uint32_t CurrentPosition() {
        if (mode == Mode::Playing && !SpinningUp()) {
            double played = double(GetTickCount64() - playStarted) * control.speed * kFramesPerSecond / 1000;
            uint64_t now = playFrom + uint64_t(played);
            position = now >= playTo ? playTo : uint32_t(now);
        }
        if (!control.trackStarts.empty() && position < control.trackStarts.front())
            position = control.trackStarts.front();
        return position;
    }

    void Notify(HWND window, UINT code) {
        Log("notify code=%u", code);
        if (control.reportDelayMs)
            PostLate(window, deviceId, code, control.reportDelayMs);
        else
            mciDriverNotify(window, deviceId, code);
    }

    // Cuts a running play short; its pending notification says how.
    void EndPlay(UINT code) {
        if (mode == Mode::Playing)
            CurrentPosition();
        if (notifyPending)
            Notify(notifyWindow, code);
        notifyPending = false;
        if (mode == Mode::Playing)
            mode = Mode::Stopped;
    }

    // Any command but the transport ones, given MCI_NOTIFY: the pending
    // request is superseded, and the command reports its own success.
    void NotifyCommand(DWORD flags, MCI_GENERIC_PARMS* params) {
        if (!(flags & MCI_NOTIFY) || !params)
            return;
        if (notifyPending)
            Notify(notifyWindow, MCI_NOTIFY_SUPERSEDED);
        notifyPending = false;
        Notify((HWND)params->dwCallback, MCI_NOTIFY_SUCCESSFUL);
    }

    // A play ran to its end. Without a key the request stays pending, as
    // the platform's driver leaves it: the next command reports it.
    void FinishPlay(bool reportNow = false) {
        position = playTo;
        mode = Mode::Stopped;
        if (LogTimes())
            Log("ended");
        if (!notifyPending)
            return;
        if (reportNow) {
            Notify(notifyWindow, MCI_NOTIFY_SUCCESSFUL);
        } else if (control.noNotify) {
            // dropped: nothing ever comes
        } else if (control.lateReportMs) {
            lateWindow = notifyWindow;
            lateAt = GetTickCount64() + control.lateReportMs;
        } else if (control.reportEnd) {
            Notify(notifyWindow, MCI_NOTIFY_SUCCESSFUL);
        } else {
            return;
        }
        notifyPending = false;
    }

    // The late success report, once its time has come; how long until then.
    DWORD PostLateReport() {
        if (!lateWindow)
            return INFINITE;
        ULONGLONG now = GetTickCount64();
        if (now < lateAt)
            return DWORD(lateAt - now);
        Notify(lateWindow, MCI_NOTIFY_SUCCESSFUL);
        lateWindow = nullptr;
        return INFINITE;
    }

    // A change notification on the control file's folder, so that the worker
    // learns of a disc taken out without reading the file over and over;
    // INVALID_HANDLE_VALUE where the system cannot watch it.
    static HANDLE WatchControlFolder() {
        std::string folder = EnvironmentValue("VCD_CONTROL");
        size_t slash = folder.find_last_of("\\/");
        if (slash == std::string::npos)
            return INVALID_HANDLE_VALUE;
        folder.resize(slash + 1);
        return FindFirstChangeNotificationA(folder.c_str(), FALSE,
                                            FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME);
    }

    // Ends plays on time and notices a disc taken out while one runs. It
    // sleeps until the play's end or a change of the control file, as quiet
    // as a real drive leaves a player's process.
    static DWORD WINAPI WorkerMain(void* self) {
        ((Drive*)self)->Work();
        return 0;
    }

    void Work() {
        HANDLE change = WatchControlFolder();
        HANDLE handles[2] = {wake, change};
        DWORD handleCount = change == INVALID_HANDLE_VALUE ? 1 : 2;
        Lock();
        while (!quit) {
            DWORD wait = PostLateReport();
            if (mode == Mode::Playing) {
                ReadDriveControl();
                if (!control.present || control.failPlay) {
                    EndPlay(MCI_NOTIFY_FAILURE);
                    continue;
                }
                uint32_t now = CurrentPosition();
                if (now >= playTo && !SpinningUp()) {
                    FinishPlay();
                    continue;
                }
                double remaining = (playTo - now) * 1000.0 / kFramesPerSecond / control.speed;
                if (SpinningUp())
                    remaining += double(playStarted - GetTickCount64());
                DWORD untilEnd = remaining < kPollMs || handleCount == 2 ? DWORD(remaining) + 1 : kPollMs;
                wait = untilEnd < wait ? untilEnd : wait;
            }
            Unlock();
            if (WaitForMultipleObjects(handleCount, handles, FALSE, wait) == WAIT_OBJECT_0 + 1)
                FindNextChangeNotification(change);
            Lock();
        }
        Unlock();
        if (change != INVALID_HANDLE_VALUE)
            FindCloseChangeNotification(change);
    }

    // How often the control file is read during a play where its folder
    // cannot be watched.
    static const DWORD kPollMs = 20;
    // How long a play from a data track lasts on the platform's driver.
    static const uint32_t kDataPlayFrames = 3 * kFramesPerSecond / 2;

    MCIDEVICEID deviceId;
    CRITICAL_SECTION lock;
    HANDLE wake = nullptr;
    HANDLE thread = nullptr;
    HANDLE heldMutex = nullptr;
    uint32_t garbageState = 0x9E3779B9;
    bool quit = false;
    DriveControl control;
    DriveControl toc;  // the control file when this open first found a disc
    bool tocRead = false;
    DWORD timeFormat = MCI_FORMAT_MSF;
    Mode mode = Mode::Stopped;
    uint32_t position = 0;
    uint32_t playFrom = 0, playTo = 0;
    ULONGLONG playStarted = 0;
    HWND notifyWindow = nullptr;
    bool notifyPending = false;
    HWND lateWindow = nullptr;  // a success report still to be posted
    ULONGLONG lateAt = 0;
};

// The drives this process opened, by device ID.
std::map<MCIDEVICEID, Drive*> drives;

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK DriverProc(DWORD_PTR deviceId, HDRVR, UINT message, LPARAM p1,
                                                             LPARAM p2) {
    switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
        return 1;
    case DRV_OPEN: {
        // The first open (no parameters) only loads the driver; the second
        // one is the MCI device, whose ID comes back in every later message.
        MCI_OPEN_DRIVER_PARMS* open = (MCI_OPEN_DRIVER_PARMS*)p2;
        if (!open)
            return 1;
        open->wCustomCommandTable = MCI_NO_COMMAND_TABLE;
        open->wType = MCI_DEVTYPE_CD_AUDIO;
        Drive* drive = new Drive(open->wDeviceID);
        drives[open->wDeviceID] = drive;
        mciSetDriverData(open->wDeviceID, (DWORD_PTR)drive);
        return open->wDeviceID;
    }
    case DRV_CLOSE: {
        // The DLL may be unloaded right after: the worker must be gone.
        auto found = drives.find((MCIDEVICEID)deviceId);
        if (found != drives.end()) {
            delete found->second;
            drives.erase(found);
        }
        return 1;
    }
    case DRV_QUERYCONFIGURE:
    case DRV_CONFIGURE:
        return 0;
    case DRV_INSTALL:
    case DRV_REMOVE:
        return DRVCNF_OK;
    }
    if (message >= DRV_MCI_FIRST && message < DRV_MCI_FIRST + 0x800) {
        auto found = drives.find((MCIDEVICEID)deviceId);
        return found != drives.end() ? found->second->Command(message, (DWORD)p1, (DWORD_PTR)p2)
                                     : MCIERR_INVALID_DEVICE_ID;
    }
    return DefDriverProc(deviceId, nullptr, message, p1, p2);
}
