// Times DiscDatabase::load and ::save on a cdplayer.ini of many sections, on
// the virtual drive. Wine rewrites the whole file on every profile write.
// Usage (in the test prefix): wine64 disc_database_bench.exe [sections] [rounds]

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalogue/DiscDatabase.h"
#include "tools/vcd/ControlFile.h"

static double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

int main(int argc, char** argv) {
    int sections = argc > 1 ? atoi(argv[1]) : 5000;
    int rounds = argc > 2 ? atoi(argv[2]) : 20;
    char folder[MAX_PATH];
    GetWindowsDirectoryA(folder, sizeof(folder));
    std::string iniPath = std::string(folder) + "\\cdplayer.ini";

    // Twelve named tracks a section, as a well-used database holds them.
    std::string text;
    for (int s = 0; s < sections; s++) {
        text += "[" + std::to_string(0x100000 + s * 7919) + "]\r\nEntryType=1\r\nartist=Artist " + std::to_string(s) +
                "\r\ntitle=Title\r\nnumtracks=12\r\n";
        for (int t = 0; t < 12; t++)
            text += std::to_string(t) + "=Song number " + std::to_string(t) + "\r\n";
        text += "order=0 1 2 3 4 5 6 7 8 9 10 11 \r\nnumplay=12\r\n";
    }
    ReplaceTextFile(iniPath.c_str(), text);

    char control[MAX_PATH];
    GetFullPathNameA("bench.control", sizeof(control), control, nullptr);
    ReplaceTextFile(control, "present=1\ntracks=0:02:00 1:02:00 2:02:00 3:02:00 4:02:00 5:02:00 6:02:00 7:02:00 "
                             "8:02:00 9:02:00 10:02:00 11:02:00\nleadout=12:02:00\n");
    SetEnvironmentVariableA("VCD_CONTROL", control);
    SetEnvironmentVariableA("VCD_LOG", nullptr);

    CdAudioDevice device;
    DiscInfo record;
    LARGE_INTEGER start, end;
    // What the drive costs, to tell it apart from the file's cost.
    DiscId id;
    int count;
    QueryPerformanceCounter(&start);
    for (int r = 0; r < rounds; r++)
        DiscDatabase::IdentifyDisc(device, &id, &count);
    QueryPerformanceCounter(&end);
    double identify = Milliseconds(start, end) / rounds;

    QueryPerformanceCounter(&start);
    for (int r = 0; r < rounds; r++)
        DiscDatabase::load(device, record);
    QueryPerformanceCounter(&end);
    double load = Milliseconds(start, end) / rounds;

    record.artist = "Benchmark";
    QueryPerformanceCounter(&start);
    for (int r = 0; r < rounds; r++)
        DiscDatabase::save(device, record);
    QueryPerformanceCounter(&end);
    double save = Milliseconds(start, end) / rounds;

    device.Close();
    printf("cdplayer.ini: %d sections, %zu bytes\n", sections, text.size());
    printf("disc check and identifier on the virtual drive: %.2f ms per call\n", identify);
    printf("load: %.2f ms per call (%d calls)\n", load, rounds);
    // The section's deletion, four fixed keys, a name a track, order and numplay.
    int writes = 1 + 4 + record.numTracks + 2;
    printf("save: %.2f ms per call (%d calls, %d profile writes each)\n", save, rounds, writes);
    DeleteFileA(iniPath.c_str());
    DeleteFileA(control);
    return 0;
}
