#include "ControlFile.h"

#include <cstdio>
#include <cstdlib>

int64_t ParseMsf(const std::string& text) {
    unsigned minutes, seconds, frames;
    char end;
    if (sscanf(text.c_str(), "%u:%u:%u%c", &minutes, &seconds, &frames, &end) != 3 || seconds > 59 || frames > 74)
        return -1;
    return (int64_t(minutes) * 60 + seconds) * kFramesPerSecond + frames;
}

static std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Split by hand: the string streams would bring the runtime's locales into
// every process that loads the drive, a megabyte that a real driver lacks.
static std::vector<std::string> Split(const std::string& text, const char* separators) {
    std::vector<std::string> parts;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find_first_of(separators, start);
        if (end == std::string::npos)
            end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

DriveControl ParseControl(const std::string& text) {
    DriveControl control;
    std::vector<int> data;
    for (const std::string& line : Split(text, "\n")) {
        size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos)
            continue;
        std::string key = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
        if (key == "present") {
            control.present = atoi(value.c_str()) != 0;
        } else if (key == "tracks") {
            for (const std::string& word : Split(value, " \t")) {
                int64_t start = ParseMsf(word);
                if (start >= 0)
                    control.trackStarts.push_back(uint32_t(start));
            }
        } else if (key == "leadout") {
            control.leadOut = uint32_t(ParseMsf(value) < 0 ? 0 : ParseMsf(value));
        } else if (key == "data") {
            for (const std::string& word : Split(value, " \t"))
                data.push_back(atoi(word.c_str()));
        } else if (key == "lengthms") {
            control.lengthMs = atoll(value.c_str());
        } else if (key == "speed") {
            control.speed = atof(value.c_str()) > 0 ? atof(value.c_str()) : 1;
        } else if (key == "reportend") {
            control.reportEnd = atoi(value.c_str()) != 0;
        } else if (key == "winepause") {
            control.winePause = atoi(value.c_str()) != 0;
        } else if (key == "winedata") {
            control.wineData = atoi(value.c_str()) != 0;
        } else if (key == "winetoc") {
            control.wineToc = atoi(value.c_str()) != 0;
        } else if (key == "nonotify") {
            control.noNotify = atoi(value.c_str()) != 0;
        } else if (key == "failplay") {
            control.failPlay = atoi(value.c_str()) != 0;
        } else if (key == "latereport") {
            control.lateReportMs = (uint32_t)strtoul(value.c_str(), nullptr, 10);
        } else if (key == "reportdelay") {
            control.reportDelayMs = (uint32_t)strtoul(value.c_str(), nullptr, 10);
        } else if (key == "spinup") {
            control.spinUpMs = (uint32_t)strtoul(value.c_str(), nullptr, 10);
        } else if (key == "openms") {
            control.openMs = (uint32_t)strtoul(value.c_str(), nullptr, 10);
        } else if (key == "openfails") {
            control.openFails = (uint32_t)strtoul(value.c_str(), nullptr, 10);
        } else if (key == "busy") {
            control.busy = atoi(value.c_str()) != 0;
        } else if (key == "nodevice") {
            control.noDevice = atoi(value.c_str()) != 0;
        } else if (key == "trackcount") {
            control.reportedTracks = strtoll(value.c_str(), nullptr, 0);
        } else if (key == "garbage") {
            control.garbage = atoi(value.c_str()) != 0;
        } else if (key == "mode") {
            control.stuckMode = (uint32_t)strtoul(value.c_str(), nullptr, 0);
        }
    }
    control.dataTracks.assign(control.trackStarts.size(), false);
    for (int track : data)
        if (track >= 1 && track <= (int)control.dataTracks.size())
            control.dataTracks[track - 1] = true;
    // A lead-out before the last track's start would make lengths negative.
    if (!control.trackStarts.empty() && control.leadOut <= control.trackStarts.back())
        control.leadOut = control.trackStarts.back() + 1;
    return control;
}

bool ReadTextFile(const char* path, std::string* text) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    text->clear();
    char buffer[4096];
    DWORD read;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        text->append(buffer, read);
    CloseHandle(file);
    return true;
}

bool ReplaceTextFile(const char* path, const std::string& text) {
    std::string temporary = std::string(path) + ".new";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr) && written == text.size();
    CloseHandle(file);
    if (!ok)
        return false;
    // Wine refuses to rename over a file that the drive has open for a read
    // at that moment: try again shortly.
    for (int attempt = 0; attempt < 500; attempt++) {
        if (MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING))
            return true;
        Sleep(2);
    }
    return false;
}

std::string SetControlValue(const std::string& text, const std::string& key, const std::string& value) {
    std::string result;
    bool replaced = false;
    for (std::string line : Split(text, "\n")) {
        size_t equals = line.find('=');
        if (equals != std::string::npos && Trim(line.substr(0, equals)) == key) {
            if (replaced)
                continue;
            line = key + "=" + value;
            replaced = true;
        }
        result += line + "\n";
    }
    if (!replaced)
        result += key + "=" + value + "\n";
    return result;
}
