// Times DiscDatabase::load and ::save on cdplayer.ini files of 100 to 30,000
// sections on the virtual drive, beside what Wine's profile functions cost
// for one read and one write of the same file: the floor under both.
// Wine parses a file again on every call for about 2 s after it changed, so
// the first load is timed after the file settled, apart from later loads.
// Usage (in the test prefix): wine64 disc_database_bench.exe [rounds]

#include <windows.h>

#include <cstdlib>
#include <string>

#include "catalogue/DiscDatabase.h"
#include "tools/bench/Stats.h"
#include "tools/vcd/ControlFile.h"

static std::string gIniPath;

// Twelve named tracks a section, as a well-used database holds them; the
// disc in the drive is the last section.
static std::string DatabaseText(int sections, const std::string& ownSection) {
    std::string text;
    for (int s = 0; s < sections; s++) {
        std::string name = s == sections - 1 ? ownSection : std::to_string(0x100000 + s * 7919);
        text += "[" + name + "]\r\nEntryType=1\r\nartist=Artist " + std::to_string(s) + "\r\ntitle=Title\r\nnumtracks=12\r\n";
        for (int t = 0; t < 12; t++)
            text += std::to_string(t) + "=Song number " + std::to_string(t) + "\r\n";
        text += "order=0 1 2 3 4 5 6 7 8 9 10 11 \r\nnumplay=12\r\n";
    }
    return text;
}

// Writes the file anew and waits until Wine no longer re-reads it on every call.
static void WriteSettled(const std::string& text) {
    ReplaceTextFile(gIniPath.c_str(), text);
    Sleep(2500);
}

int main(int argc, char** argv) {
    int rounds = argc > 1 ? atoi(argv[1]) : 3;
    char folder[MAX_PATH];
    GetWindowsDirectoryA(folder, sizeof(folder));
    gIniPath = std::string(folder) + "\\cdplayer.ini";
    char control[MAX_PATH];
    GetFullPathNameA("bench.control", sizeof(control), control, nullptr);
    ReplaceTextFile(control, "present=1\ntracks=0:02:00 1:02:00 2:02:00 3:02:00 4:02:00 5:02:00 6:02:00 7:02:00 "
                             "8:02:00 9:02:00 10:02:00 11:02:00\nleadout=12:02:00\n");
    SetEnvironmentVariableA("VCD_CONTROL", control);
    SetEnvironmentVariableA("VCD_LOG", nullptr);

    CdAudioDevice device;
    DiscId id = 0;
    int count = 0;
    DiscDatabase::IdentifyDisc(device, &id, &count);
    std::string section = FormatDiscId(id);
    Samples identify;
    for (int r = 0; r < 20; r++) {
        double start = NowMs();
        DiscDatabase::IdentifyDisc(device, &id, &count);
        identify.Add(NowMs() - start);
    }
    printf("the disc check and identifier on the virtual drive, the drive's share of every load and save:\n");
    identify.Print("disc check + identifier", "ms");

    for (int sections : {100, 1000, 10000, 30000}) {
        std::string text = DatabaseText(sections, section);
        printf("\ncdplayer.ini of %d sections, %zu bytes:\n", sections, text.size());
        Samples firstRead, firstLoad, laterLoad, oneWrite, save;
        DiscInfo record;
        char value[256];
        for (int r = 0; r < rounds; r++) {
            WriteSettled(text);
            double start = NowMs();
            GetPrivateProfileStringA(section.c_str(), "artist", "", value, sizeof(value), gIniPath.c_str());
            firstRead.Add(NowMs() - start);

            WriteSettled(text);
            start = NowMs();
            DiscDatabase::load(device, record);
            firstLoad.Add(NowMs() - start);
            for (int later = 0; later < 5; later++) {
                start = NowMs();
                DiscDatabase::load(device, record);
                laterLoad.Add(NowMs() - start);
            }

            WriteSettled(text);
            GetPrivateProfileStringA(section.c_str(), "artist", "", value, sizeof(value), gIniPath.c_str());
            start = NowMs();
            WritePrivateProfileStringA(section.c_str(), "artist", "Written", gIniPath.c_str());
            oneWrite.Add(NowMs() - start);

            WriteSettled(text);
            DiscDatabase::load(device, record);
            record.artist = "Saved";
            start = NowMs();
            DiscDatabase::save(device, record);
            save.Add(NowMs() - start);
        }
        firstRead.Print("Wine's first profile read of the file (floor)", "ms");
        firstLoad.Print("first load after the file settled", "ms");
        laterLoad.Print("later loads", "ms");
        oneWrite.Print("Wine's one profile write (floor)", "ms");
        // The section's deletion, four fixed keys, a name a track, order and numplay.
        int writes = 1 + 4 + record.numTracks + 2;
        save.Print(("save (" + std::to_string(writes) + " profile writes)").c_str(), "ms");
        // Minimums too: one stall of this shared machine moves a median of few runs.
        printf("  first load / first read: medians %.2f, minimums %.2f\n", firstLoad.Median() / firstRead.Median(),
               firstLoad.Min() / firstRead.Min());
    }
    device.Close();
    DeleteFileA(gIniPath.c_str());
    DeleteFileA(control);
    return 0;
}
