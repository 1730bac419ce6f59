#include "VirtualDrive.h"

#include <windows.h>

#include <cstdio>
#include <sstream>

#include "tests/support/Process.h"
#include "tools/vcd/ControlFile.h"

const char kFourTrackStarts[] = "0:02:00 4:31:17 9:05:62 13:44:08";
const char kTwoTrackStarts[] = "0:02:33 5:10:20";

static std::string FullPath(const std::string& name) {
    char path[MAX_PATH];
    GetFullPathNameA(name.c_str(), sizeof(path), path, nullptr);
    return path;
}

static std::string ExeName() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string name = path;
    name = name.substr(name.find_last_of("\\/") + 1);
    return name.substr(0, name.find_last_of('.'));
}

VirtualDrive::VirtualDrive()
    : controlPath(FullPath("vcd-" + ExeName() + ".control")), logPath(FullPath("vcd-" + ExeName() + ".log")) {
    SetEnvironmentVariableA("VCD_CONTROL", controlPath.c_str());
    SetEnvironmentVariableA("VCD_LOG", logPath.c_str());
    ClearLog();
}

void VirtualDrive::Control(const std::string& text) {
    ReplaceTextFile(controlPath.c_str(), text);
}

void VirtualDrive::ClearLog() {
    DeleteFileA(logPath.c_str());
}

std::vector<std::string> VirtualDrive::Log() const {
    std::string text;
    ReadTextFile(logPath.c_str(), &text);
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> VirtualDrive::Log(const std::vector<std::string>& commands) const {
    std::vector<std::string> lines;
    for (const std::string& line : Log())
        for (const std::string& command : commands)
            if (line.compare(0, command.size() + 1, command + " ") == 0)
                lines.push_back(line);
    return lines;
}

std::vector<int> VirtualDrive::PlayedTracks() const {
    std::vector<int> tracks;
    for (const std::string& line : Log({"play"}))
        tracks.push_back(std::stoi(line.substr(line.find("from=") + 5, 10), nullptr, 16) & 0xFF);
    return tracks;
}

unsigned long VirtualDrive::ChangeDisc(const std::string& arguments) const {
    HANDLE process = nullptr;
    if (RunProcess("..\\tools\\vcd\\vcdchange.exe " + controlPath + " " + arguments, &process) != 0)
        return (unsigned long)-1;
    DWORD code = PumpUntilExit(process);
    CloseHandle(process);
    return code;
}

std::string DiscControl(const std::string& tracks, const std::string& leadOut, const std::string& extra) {
    return "present=1\ntracks=" + tracks + "\nleadout=" + leadOut +
           "\nspeed=2000\nreportend=1\nwinetoc=1\nreportdelay=0\nspinup=0\n" + extra;
}

std::string Hex8(unsigned value) {
    char text[16];
    snprintf(text, sizeof(text), "0x%08X", value);
    return text;
}
