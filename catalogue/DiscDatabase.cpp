#include "DiscDatabase.h"

#include <windows.h>

#include "OrderText.h"

static const char kFileName[] = "cdplayer.ini";

static DiscId gLoadedId = 0;
static bool gLoadedIdKnown = false;

static std::string ReadValue(const std::string& section, const char* key, const std::string& fallback) {
    char value[256] = {};
    GetPrivateProfileStringA(section.c_str(), key, fallback.c_str(), value, sizeof(value), kFileName);
    return value;
}

static bool WriteValue(const std::string& section, const char* key, const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key, DiscDatabase::StoredValueText(value).c_str(), kFileName);
}

namespace DiscDatabase {

bool IdentifyDisc(CdAudioDevice& device, DiscId* id, int* trackCount) {
    if (!device.IsMediaPresent())
        return false;
    int count = (int)device.GetTrackCount();
    if (count == 1 && !device.IsAudioTrack(1))
        return false;
    // A negative count, or more tracks than a disc can hold, is a driver's
    // nonsense, not a disc.
    if (count < 0 || count > kMaxTracks)
        return false;
    *trackCount = count;
    *id = device.ComputeDiscId();
    return true;
}

void load(CdAudioDevice& device, DiscInfo& record) {
    record.reset();
    DiscId id;
    int count;
    gLoadedIdKnown = IdentifyDisc(device, &id, &count);
    if (!gLoadedIdKnown)
        return;
    gLoadedId = id;
    record.numTracks = count;
    std::string section = FormatDiscId(id);
    for (int i = 0; i < count; i++) {
        std::string key = std::to_string(i);
        record.trackNames.push_back(ReadValue(section, key.c_str(), DefaultTrackName(i + 1)));
    }
    record.artist = ReadValue(section, "artist", "Unknown Artist");
    record.title = ReadValue(section, "title", "Unknown Title");
    record.playlist = ParseOrderText(ReadValue(section, "order", DefaultOrderText(count)), count);
}

bool LastLoadedId(DiscId* id) {
    *id = gLoadedId;
    return gLoadedIdKnown;
}

bool save(CdAudioDevice& device, const DiscInfo& record) {
    DiscId id;
    int count;
    return !IdentifyDisc(device, &id, &count) || save(record, id);
}

std::string StoredValueText(const std::string& value) {
    bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return quoted ? '"' + value + '"' : value;
}

std::string FilePath() {
    char folder[MAX_PATH] = "";
    GetWindowsDirectoryA(folder, sizeof(folder));
    return std::string(folder) + "\\" + kFileName;
}

// Deleting first drops keys this program does not write, other players' too.
// A merged file can hold the section more than once, and the profile
// functions delete only the first copy: delete until none is left.
static bool DeleteSection(const std::string& section) {
    const int kMostCopies = 64;
    for (int copy = 0; copy < kMostCopies; copy++) {
        if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, kFileName))
            return false;
        char keys[4] = "";
        if (GetPrivateProfileStringA(section.c_str(), nullptr, "", keys, sizeof(keys), kFileName) == 0)
            return true;
    }
    return true;
}

bool save(const DiscInfo& record, DiscId id) {
    std::string section = FormatDiscId(id);
    bool written = DeleteSection(section) && WriteValue(section, "EntryType", "1") &&
                   WriteValue(section, "artist", record.artist) && WriteValue(section, "title", record.title) &&
                   WriteValue(section, "numtracks", std::to_string(record.numTracks));
    // A record whose names fall short of numTracks leaves the missing keys
    // out, which load reads back as the default names.
    for (int i = 0; written && i < record.numTracks && i < (int)record.trackNames.size(); i++)
        written = WriteValue(section, std::to_string(i).c_str(), record.trackNames.at(i));
    size_t entriesWritten = 0;
    return written && WriteValue(section, "order", BuildOrderText(record.playlist, &entriesWritten)) &&
           WriteValue(section, "numplay", std::to_string(entriesWritten));
}

}  // namespace DiscDatabase
