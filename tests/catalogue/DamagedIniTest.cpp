// cdplayer.ini as other players, merge tools and text editors leave it:
// generated damaged files read through Wine's own profile functions. A load
// always gives a sane record, and a save never loses another disc's section.

#include "catalogue/DiscDatabase.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/support/Stage.h"
#include "tests/support/VirtualDrive.h"
#include "tools/vcd/ControlFile.h"

namespace {

void WriteBytes(const std::string& bytes) {
    HANDLE file = CreateFileA(IniPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
}

class DamagedIniTest : public testing::Test {
protected:
    void SetUp() override {
        drive.Control(DiscControl(kThreeTrackStarts, kThreeTrackLeadOut));
        device = new CdAudioDevice();
        section = ThreeTrackSection();
    }
    void TearDown() override {
        device->Close();
        delete device;
        DeleteFileA(IniPath().c_str());
    }

    // Loads from a file holding bytes and checks what every reader relies on.
    DiscInfo LoadFrom(const std::string& bytes) {
        WriteBytes(bytes);
        DiscInfo record;
        DiscDatabase::load(*device, record);
        EXPECT_EQ(record.numTracks, 3);
        EXPECT_EQ(record.trackNames.size(), 3u);
        EXPECT_FALSE(record.playlist.empty());
        for (int track : record.playlist)
            EXPECT_TRUE(track >= 1 && track <= 3) << track;
        for (const std::string& name : record.trackNames)
            EXPECT_LE(name.size(), 255u);
        loads++;
        return record;
    }

    std::string Header() const { return "[" + section + "]"; }

    VirtualDrive drive;
    CdAudioDevice* device = nullptr;
    std::string section;
    int loads = 0;
};

TEST_F(DamagedIniTest, RandomBytesAroundTheDiscsSectionLoadASaneRecord) {
    std::mt19937 random(20261209);
    for (int i = 0; i < 300; i++) {
        std::string bytes(random() % 3000, '\0');
        for (char& byte : bytes)
            byte = char(random());
        if (i % 2)  // the disc's own header somewhere inside
            bytes.insert(random() % (bytes.size() + 1), "\r\n" + Header() + "\r\norder=");
        LoadFrom(bytes);
    }
    RecordProperty("damaged_files", loads);
}

TEST_F(DamagedIniTest, HostileValuesInTheDiscsSectionLoadASaneRecord) {
    std::string head = Header() + "\r\nartist=A\r\ntitle=T\r\n0=One\r\n1=Two\r\n2=Three\r\n";
    // Every token refused: the default playlist.
    EXPECT_EQ(LoadFrom(head + "order=-1 2147483648 0x3 9 9 9\r\n").playlist, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(LoadFrom(head + "order=\r\n").playlist, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(LoadFrom(head + "order=2 2 1 -0 99999999999999999999 0").playlist, (std::vector<int>{3, 3, 2, 1}));
    EXPECT_EQ(LoadFrom(head + "numtracks=-7\r\nnumplay=100000\r\norder=1\r\n").playlist, std::vector<int>{2});
    DiscInfo longNames = LoadFrom(Header() + "\r\n0=" + std::string(300, 'n') + "\r\nartist=" + std::string(10000, 'a'));
    EXPECT_EQ(longNames.trackNames[0], std::string(255, 'n'));
    EXPECT_EQ(longNames.artist, std::string(255, 'a'));
    // No final newline, CR-only line ends, lines without "=", a NUL inside.
    EXPECT_EQ(LoadFrom(head + "order=1 0").playlist, (std::vector<int>{2, 1}));
    EXPECT_EQ(LoadFrom(Header() + "\rartist=CR\r0=Only\rorder=2\r").trackNames.size(), 3u);
    LoadFrom(head + "no equals here\r\n=\r\n==\r\norder\r\n");
    LoadFrom(head + std::string("ord\0er=1\r\n", 11));
    LoadFrom(std::string("\0\0\0", 3) + head);
    // Keys and sections of 10,000 characters, and the section twice.
    LoadFrom("[" + std::string(10000, 's') + "]\r\n" + std::string(10000, 'k') + "=v\r\n" + head);
    LoadFrom(head + "order=0\r\n" + Header() + "\r\norder=2 1\r\n0=Second\r\n");
    RecordProperty("damaged_files", loads);
}

// A few hundred discs' sections with damage between them: saving one disc
// rewrites its section and keeps every key of every other.
TEST_F(DamagedIniTest, SavingOneDiscKeepsEveryOtherSectionWhole) {
    std::mt19937 random(7);
    const std::string damage[] = {"a line without an equals sign", "=no key", ";a comment", "", "  \t  ",
                                  "\x01\x02\x7F\xFE\xFF", std::string(1000, '#')};
    std::string bytes;
    std::vector<std::string> others;
    for (int k = 0; k < 300; k++) {
        std::string name = k == 150 ? section : "D" + std::to_string(1000 + k);
        if (k != 150)
            others.push_back(name);
        bytes += "[" + name + "]\r\nEntryType=1\r\nartist=Artist " + std::to_string(k) + "\r\ntitle=Title " +
                 std::to_string(k) + "\r\nnumtracks=3\r\n0=a" + std::to_string(k) + "\r\n1=b\r\n2=c\r\norder=2 1 0 \r\n" +
                 "numplay=3\r\n";
        bytes += damage[random() % 7] + "\r\n";
    }
    WriteBytes(bytes);

    DiscInfo record = LoadFrom(bytes);
    record.artist = "Saved";
    DiscDatabase::save(*device, record);

    EXPECT_EQ(IniValue(section, "artist"), "Saved");
    for (size_t k = 0; k < others.size(); k++) {
        int number = std::stoi(others[k].substr(1)) - 1000;
        EXPECT_EQ(IniValue(others[k], "EntryType"), "1") << others[k];
        EXPECT_EQ(IniValue(others[k], "artist"), "Artist " + std::to_string(number)) << others[k];
        EXPECT_EQ(IniValue(others[k], "title"), "Title " + std::to_string(number)) << others[k];
        EXPECT_EQ(IniValue(others[k], "numtracks"), "3") << others[k];
        EXPECT_EQ(IniValue(others[k], "0"), "a" + std::to_string(number)) << others[k];
        EXPECT_EQ(IniValue(others[k], "order"), "2 1 0") << others[k];
        EXPECT_EQ(IniValue(others[k], "numplay"), "3") << others[k];
    }
}

// A merged file holding the disc's section two or three times, with other
// sections between the copies: after a save there is one copy, with exactly
// the keys a save writes, and the next load gives back what was saved.
TEST_F(DamagedIniTest, ASectionHeldSeveralTimesIsSavedAsOne) {
    for (int copies : {2, 3}) {
        SCOPED_TRACE(copies);
        std::string bytes = "[Before]\r\nkeep=1\r\n";
        for (int copy = 0; copy < copies; copy++)
            bytes += Header() + "\r\norder=2 0 1\r\nforeign" + std::to_string(copy) + "=other player\r\n0=Old\r\n" +
                     "[Between" + std::to_string(copy) + "]\r\nkeep=1\r\n";
        DiscInfo record = LoadFrom(bytes);
        record.artist = "Merged";
        record.trackNames = {"One", "Two", "Three"};
        record.playlist = {2, 2, 1};
        DiscDatabase::save(*device, record);

        std::string text;
        ReadTextFile(IniPath().c_str(), &text);
        size_t first = text.find(Header());
        ASSERT_NE(first, std::string::npos);
        EXPECT_EQ(text.find(Header(), first + 1), std::string::npos) << text;
        char keys[512] = {};
        DWORD length = GetPrivateProfileStringA(section.c_str(), nullptr, "", keys, sizeof(keys), IniPath().c_str());
        std::vector<std::string> names;
        for (const char* key = keys; key < keys + length && *key; key += strlen(key) + 1)
            names.push_back(key);
        EXPECT_EQ(names, (std::vector<std::string>{"EntryType", "artist", "title", "numtracks", "0", "1", "2", "order",
                                                   "numplay"}));
        for (const char* other : {"Before", "Between0", "Between1"})
            EXPECT_EQ(IniValue(other, "keep"), "1") << other;

        DiscInfo loaded;
        DiscDatabase::load(*device, loaded);
        EXPECT_EQ(loaded.artist, "Merged");
        EXPECT_EQ(loaded.title, record.title);
        EXPECT_EQ(loaded.trackNames, record.trackNames);
        EXPECT_EQ(loaded.playlist, (std::vector<int>{2, 2, 1}));
    }
}

}  // namespace
