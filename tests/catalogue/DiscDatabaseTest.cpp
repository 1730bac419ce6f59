// DiscDatabase on the virtual drive and Wine's own profile functions, with
// cdplayer.ini in the test prefix's Windows folder.

#include "catalogue/DiscDatabase.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "tests/support/Records.h"
#include "tests/support/VirtualDrive.h"
#include "tools/vcd/ControlFile.h"

namespace {

// Track starts one minute apart, from 0:02:00.
std::string Starts(int count) {
    std::string text;
    for (int i = 0; i < count; i++)
        text += std::to_string(i) + ":02:00 ";
    return text;
}

std::string LeadOut(int count) {
    return std::to_string(count) + ":02:00";
}

class DiscDatabaseTest : public testing::Test {
protected:
    void SetUp() override {
        char folder[MAX_PATH];
        GetWindowsDirectoryA(folder, sizeof(folder));
        iniPath = std::string(folder) + "\\cdplayer.ini";
        DeleteFileA(iniPath.c_str());
        UseDisc(Starts(3), LeadOut(3));
    }
    void TearDown() override {
        if (device)
            device->Close();
        delete device;
        DeleteFileA(iniPath.c_str());
    }

    void UseDisc(const std::string& starts, const std::string& leadOut, const std::string& extra = "") {
        drive.Control(DiscControl(starts, leadOut, extra));
        if (!device)
            device = new CdAudioDevice();
        section = FormatDiscId(device->ComputeDiscId());
    }

    std::string FileText() const {
        std::string text;
        ReadTextFile(iniPath.c_str(), &text);
        return text;
    }

    // The lines of a section as they stand in the file, without the header
    // and without blanks at their ends.
    std::vector<std::string> SectionLines(const std::string& name) const {
        std::vector<std::string> lines;
        std::string text = FileText();
        size_t start = text.find("[" + name + "]");
        if (start == std::string::npos)
            return lines;
        size_t pos = text.find('\n', start);
        while (pos != std::string::npos && pos + 1 < text.size() && text[pos + 1] != '[') {
            size_t end = text.find('\n', pos + 1);
            std::string line = text.substr(pos + 1, (end == std::string::npos ? text.size() : end) - pos - 1);
            // Wine's profile writer drops the blanks that end a value (we
            // pass them); other systems keep them. Compare without them.
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            if (!line.empty())
                lines.push_back(line);
            pos = end;
        }
        return lines;
    }

    void Write(const char* key, const char* value) {
        WritePrivateProfileStringA(section.c_str(), key, value, "cdplayer.ini");
    }

    DiscInfo Load() {
        DiscInfo record;
        record.artist = "left over";
        record.playlist = {9, 9};
        DiscDatabase::load(*device, record);
        return record;
    }

    VirtualDrive drive;
    CdAudioDevice* device = nullptr;
    std::string iniPath;
    std::string section;
};

TEST_F(DiscDatabaseTest, DiscWithoutASectionLoadsTheDefaultsAndTouchesNoFile) {
    UseDisc(Starts(12), LeadOut(12));
    DiscInfo record = Load();
    EXPECT_EQ(record.artist, "Unknown Artist");
    EXPECT_EQ(record.title, "Unknown Title");
    EXPECT_EQ(record.numTracks, 12);
    ASSERT_EQ(record.trackNames.size(), 12u);
    EXPECT_EQ(record.trackNames[0], "Track 1");
    EXPECT_EQ(record.trackNames[11], "Track 12");
    EXPECT_EQ(record.playlist, Range(1, 12));
    EXPECT_EQ(GetFileAttributesA(iniPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DiscDatabaseTest, SaveWritesTheKeysInOrderAndLoadReadsTheSameRecord) {
    DiscDatabase::save(*device, ThreeTrackRecord());
    std::vector<std::string> expected = {"EntryType=1", "artist=X", "title=Y", "numtracks=3", "0=A",
                                         "1=B",         "2=C",      "order=2 0", "numplay=2"};
    EXPECT_EQ(SectionLines(section), expected);
    DiscInfo record = Load();
    DiscInfo saved = ThreeTrackRecord();
    EXPECT_EQ(record.artist, saved.artist);
    EXPECT_EQ(record.title, saved.title);
    EXPECT_EQ(record.numTracks, saved.numTracks);
    EXPECT_EQ(record.trackNames, saved.trackNames);
    EXPECT_EQ(record.playlist, saved.playlist);
}

TEST_F(DiscDatabaseTest, RepeatedEntriesLoadAndSaveUnchanged) {
    UseDisc(Starts(5), LeadOut(5));
    Write("order", "4 0 4");
    DiscInfo record = Load();
    EXPECT_EQ(record.playlist, (std::vector<int>{5, 1, 5}));
    DiscDatabase::save(*device, record);
    std::vector<std::string> lines = SectionLines(section);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "order=4 0 4");
    EXPECT_EQ(lines.back(), "numplay=3");
}

TEST_F(DiscDatabaseTest, TheDevicesTrackCountDecidesHowManyNamesAreRead) {
    UseDisc(Starts(12), LeadOut(12));
    Write("numtracks", "10");
    for (int i = 0; i < 13; i++)
        Write(std::to_string(i).c_str(), ("Song " + std::to_string(i)).c_str());
    WritePrivateProfileStringA(section.c_str(), "10", nullptr, "cdplayer.ini");
    WritePrivateProfileStringA(section.c_str(), "11", nullptr, "cdplayer.ini");
    DiscInfo record = Load();
    ASSERT_EQ(record.trackNames.size(), 12u);
    EXPECT_EQ(record.trackNames[9], "Song 9");
    EXPECT_EQ(record.trackNames[10], "Track 11");
    EXPECT_EQ(record.trackNames[11], "Track 12");
}

TEST_F(DiscDatabaseTest, SaveReplacesTheWholeSectionAndNothingElse) {
    Write("genre", "written by another player");
    WritePrivateProfileStringA("OTHER", "artist", "Someone", "cdplayer.ini");
    DiscDatabase::save(*device, ThreeTrackRecord());
    std::vector<std::string> lines = SectionLines(section);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "genre=written by another player"), 0);
    EXPECT_EQ(lines.size(), 9u);
    EXPECT_EQ(SectionLines("OTHER"), std::vector<std::string>{"artist=Someone"});
}

TEST_F(DiscDatabaseTest, OneDataTrackIsNoDisc) {
    UseDisc(Starts(1), LeadOut(1), "data=1\n");
    drive.ClearLog();
    DiscInfo record = Load();
    EXPECT_EQ(record.numTracks, 0);
    EXPECT_TRUE(record.artist.empty());
    EXPECT_TRUE(record.playlist.empty());
    DiscDatabase::save(*device, ThreeTrackRecord());
    EXPECT_EQ(GetFileAttributesA(iniPath.c_str()), INVALID_FILE_ATTRIBUTES);
    // Not even the identifier is computed.
    EXPECT_TRUE(drive.Log({"set"}).empty());
}

TEST_F(DiscDatabaseTest, NoDiscLoadsAnEmptyRecordAndSavesNothing) {
    drive.Control("present=0\n");
    EXPECT_EQ(Load().numTracks, 0);
    DiscDatabase::save(*device, ThreeTrackRecord());
    EXPECT_EQ(GetFileAttributesA(iniPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DiscDatabaseTest, ADataTrackAmongAudioTracksIsADisc) {
    UseDisc(Starts(2), LeadOut(2), "data=1\n");
    EXPECT_EQ(Load().numTracks, 2);
}

TEST_F(DiscDatabaseTest, BlanksAroundANameAreSavedButNotReadBack) {
    DiscInfo record = ThreeTrackRecord();
    record.trackNames[0] = "A ";
    DiscDatabase::save(*device, record);
    EXPECT_EQ(SectionLines(section)[4], "0=A");
    EXPECT_EQ(Load().trackNames[0], "A");
    record.trackNames[0] = "  B";
    DiscDatabase::save(*device, record);
    EXPECT_EQ(Load().trackNames[0], "B");
}

TEST_F(DiscDatabaseTest, DamagedOrderValuesLoadOnlyEntriesOfTheDisc) {
    Write("order", "2 x 7 -1  1");
    EXPECT_EQ(Load().playlist, (std::vector<int>{3, 2}));
    Write("order", "");
    EXPECT_EQ(Load().playlist, Range(1, 3));
    Write("order", "junk");
    EXPECT_EQ(Load().playlist, Range(1, 3));
}

TEST_F(DiscDatabaseTest, LongValuesAreCutAt255Characters) {
    Write("artist", std::string(300, 'a').c_str());
    EXPECT_EQ(Load().artist, std::string(255, 'a'));
}

TEST_F(DiscDatabaseTest, APlaylistTooLongForTheFileKeepsWhatFitsAndCountsIt) {
    UseDisc(Starts(12), LeadOut(12));
    DiscInfo record = Load();
    record.playlist.assign(100, 12);  // "11 " each: 85 fit in 255 characters
    DiscDatabase::save(*device, record);
    std::vector<std::string> lines = SectionLines(section);
    EXPECT_EQ(lines.back(), "numplay=85");
    EXPECT_EQ(Load().playlist, std::vector<int>(85, 12));
}

TEST_F(DiscDatabaseTest, DiscOfMoreThan88TracksDefaultsToEveryTrack) {
    UseDisc(Starts(99), LeadOut(99));
    DiscInfo record = Load();
    EXPECT_EQ(record.numTracks, 99);
    EXPECT_EQ(record.playlist, Range(1, 99));
    EXPECT_EQ(record.trackNames[98], "Track 99");
}

TEST_F(DiscDatabaseTest, SavingUnderAKeptIdentifierLeavesTheDiscNowInTheDrive) {
    std::string first = section;
    DiscInfo record = ThreeTrackRecord();
    // The disc changes while the editor is open.
    UseDisc(kFourTrackStarts, "18:02:11");
    Write("artist", "The other disc");
    DiscDatabase::save(record, (DiscId)strtoul(first.c_str(), nullptr, 16));
    EXPECT_EQ(SectionLines(first)[1], "artist=X");
    EXPECT_EQ(SectionLines("1A5257"), std::vector<std::string>{"artist=The other disc"});
}

}  // namespace

namespace {

// The demo disc of scripts/run: its section must be the one its table of
// contents names, or the demo would show "Unknown Artist".
TEST(DemoDisc, ItsSectionIsNamedByItsTableOfContents) {
    VirtualDrive drive;
    std::string control;
    ASSERT_TRUE(ReadTextFile("Z:" SOURCE_DIR "/tools/demo/demo.control", &control));
    drive.Control(control);
    std::string section;
    ASSERT_TRUE(ReadTextFile("Z:" SOURCE_DIR "/tools/demo/cdplayer.ini", &section));
    CdAudioDevice device;
    EXPECT_EQ(section.substr(0, section.find(']') + 1), "[" + FormatDiscId(device.ComputeDiscId()) + "]");
    device.Close();
}

}  // namespace
