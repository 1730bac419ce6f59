// What OK leaves in cdplayer.ini and in the record: with the file refusing
// writes, as the Windows directory does since Vista, and with values that
// the profile functions would change on the way back.

#include "tests/app/DialogExeFixture.h"

namespace {

class SaveExeTest : public DialogExeTest {
protected:
    void TearDown() override {
        if (GetFileAttributesA(IniPath().c_str()) != INVALID_FILE_ATTRIBUTES && !Writable())
            SetUnwritable(false);
        DialogExeTest::TearDown();
    }

    static bool Writable() {
        HANDLE file = CreateFileA(IniPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        return file != INVALID_HANDLE_VALUE;
    }

    // Root writes to any file, so the file is made immutable (chattr +i): the
    // profile functions then fail with access denied, as on Windows. Wine
    // starts a Unix program without a handle to wait on: the effect is
    // watched for instead.
    static bool SetUnwritable(bool unwritable) {
        std::string name = UnixPath(IniPath());
        if (name.empty())
            return false;
        StartUnixProgram(std::string("/usr/bin/chattr ") + (unwritable ? "+i " : "-i ") + name);
        return PumpUntil([&] { return Writable() != unwritable; });
    }

    // A track name typed on the Track Names page, as the user leaves the box.
    static void NameTrack(HWND dialog, int index, const char* name) {
        HWND box = Control(dialog, IDC_TRACK_NAME);
        HWND page = GetParent(box);
        SendMessageA(GetDlgItem(page, IDC_TRACK_LIST), LB_SETCURSEL, index, 0);
        SetText(box, name);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TRACK_NAME, EN_KILLFOCUS), (LPARAM)box);
    }

};

// The edits stay in the record (the track menu and the next opening show
// them), one box owned by the dialog says so at once, and the file is as it was.
TEST_F(SaveExeTest, ARefusedSaveKeepsTheEditsAndSaysSoAtOnce) {
    std::string before;
    ReadTextFile(IniPath().c_str(), &before);
    StartPlaying();
    ASSERT_TRUE(SetUnwritable(true));
    HWND dialog = Open(IDM_EDIT_PLAYLIST, kPlaylist);
    ASSERT_NE(dialog, nullptr);
    SetText(Control(dialog, IDC_ARTIST), "Edited");
    ULONGLONG pressed = GetTickCount64();
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return !Dialogs("Spindlet").empty() && (box = Dialogs("Spindlet")[0]); }));
    EXPECT_LT(GetTickCount64() - pressed, 1000u);
    EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    EXPECT_EQ(std::string(text), "The disc's names and playlist could not be saved to C:\\windows\\cdplayer.ini.");
    pressed = GetTickCount64();
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 1000));
    EXPECT_LT(GetTickCount64() - pressed, 1000u);
    EXPECT_TRUE(Dialogs("Spindlet").empty());
    std::string after;
    ReadTextFile(IniPath().c_str(), &after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(ArtistShownByTheEditor(), "Edited");
    ExitAndExpectCleanEnd();
}

// The profile functions take one pair of matching quotes off a value.
TEST_F(SaveExeTest, QuotedNamesComeBackAsTyped) {
    StartPlaying();
    HWND dialog = Open(IDM_EDIT_PLAYLIST, kPlaylist);
    ASSERT_NE(dialog, nullptr);
    SetText(Control(dialog, IDC_TITLE), "\"Heroes\"");
    NameTrack(dialog, 1, "'Live'");
    Press(dialog, IDOK);
    EXPECT_EQ(IniValue(ThreeTrackSection(), "title"), "\"Heroes\"");
    EXPECT_EQ(IniValue(ThreeTrackSection(), "1"), "'Live'");
    ExitAndExpectCleanEnd();
    Launch();
    dialog = Open(IDM_EDIT_PLAYLIST, kPlaylist);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(Control(dialog, IDC_TITLE)), "\"Heroes\"");
    EXPECT_EQ(TrackName(dialog, 1), "'Live'");
    Press(dialog, IDCANCEL);
    ExitAndExpectCleanEnd();
}

}  // namespace
