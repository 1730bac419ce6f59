#pragma once

#include <string>
#include <vector>

// What a test puts in place before the program starts: the settings in the
// registry and a disc's section in the prefix's cdplayer.ini.

// Three one-minute tracks; the section named kThreeTrackSection.
extern const char kThreeTrackStarts[];
extern const char kThreeTrackLeadOut[];
std::string ThreeTrackSection();

void SetFlags(bool lclickMenu, bool autoplay);
// The stored REG_DWORD, or -1 when the value is missing.
long StoredFlag(const char* name);

std::string IniPath();
// A fresh cdplayer.ini holding one section with these values.
void WriteSection(const std::string& section, const std::string& artist, const std::string& title,
                  const std::vector<std::string>& names, const std::string& order);
std::string IniValue(const std::string& section, const char* key);
