#include "tests/support/Stage.h"

#include <windows.h>

#include "device/DiscId.h"
#include "settings/Settings.h"

const char kThreeTrackStarts[] = "0:02:00 1:02:00 2:02:00";
const char kThreeTrackLeadOut[] = "3:02:00";

std::string ThreeTrackSection() {
    // MSF values: minutes in the low byte, seconds in the next.
    return FormatDiscId(DiscIdFromToc({0x0200, 0x0201, 0x0202}, 0));
}

void SetFlags(bool lclickMenu, bool autoplay) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    DWORD values[2] = {lclickMenu ? 1u : 0u, autoplay ? 1u : 0u};
    RegSetValueExA(key, "LClickMenu", 0, REG_DWORD, (const BYTE*)&values[0], sizeof(DWORD));
    RegSetValueExA(key, "Autoplay", 0, REG_DWORD, (const BYTE*)&values[1], sizeof(DWORD));
    RegCloseKey(key);
}

long StoredFlag(const char* name) {
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return -1;
    return (long)value;
}

std::string IniPath() {
    char folder[MAX_PATH];
    GetWindowsDirectoryA(folder, sizeof(folder));
    return std::string(folder) + "\\cdplayer.ini";
}

void WriteSection(const std::string& section, const std::string& artist, const std::string& title,
                  const std::vector<std::string>& names, const std::string& order) {
    std::string path = IniPath();
    DeleteFileA(path.c_str());
    const char* s = section.c_str();
    WritePrivateProfileStringA(s, "artist", artist.c_str(), path.c_str());
    WritePrivateProfileStringA(s, "title", title.c_str(), path.c_str());
    WritePrivateProfileStringA(s, "numtracks", std::to_string(names.size()).c_str(), path.c_str());
    for (size_t i = 0; i < names.size(); i++)
        WritePrivateProfileStringA(s, std::to_string(i).c_str(), names[i].c_str(), path.c_str());
    WritePrivateProfileStringA(s, "order", order.c_str(), path.c_str());
}

std::string IniValue(const std::string& section, const char* key) {
    char value[512] = "";
    GetPrivateProfileStringA(section.c_str(), key, "(missing)", value, sizeof(value), IniPath().c_str());
    return value;
}
