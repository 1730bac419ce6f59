// The Playlist and Preferences dialogs of the real spindlet.exe, opened from
// its window while the icon and the drive go on reaching it: one dialog of
// each kind, Exit while one is open, track ends and disc changes meanwhile,
// and what OK leaves in the record and the file.

#include "tests/app/DialogExeFixture.h"

namespace {

// Chosen again while open: no second dialog (two editors would share one
// working copy), and OK on the one open keeps its edits.
TEST_F(DialogExeTest, EachDialogChosenTwiceOpensOnceAndItsOkKeepsItsEdits) {
    for (const DialogKind& kind : {kEditor, kPreferences}) {
        SCOPED_TRACE(kind.caption);
        drive.ClearLog();
        StartPlaying();
        HWND dialog = Open(kind.command, kind.caption);
        ASSERT_NE(dialog, nullptr);
        PostMessageA(window, WM_COMMAND, kind.command, 0);
        PumpFor(500);
        EXPECT_EQ(Dialogs(kind.caption).size(), 1u);
        EditSomething(dialog, "Edited");
        Press(dialog, IDOK);
        ExitAndExpectCleanEnd();
    }
    EXPECT_EQ(IniValue(ThreeTrackSection(), "artist"), "Edited");
    EXPECT_EQ(StoredFlag("LClickMenu"), 0);
}

// Exit from the icon while a dialog is open: the program ends as Exit always
// does, and the dialog's edits go as on Cancel.
TEST_F(DialogExeTest, ExitWhileADialogIsOpenEndsCleanlyAndDropsItsEdits) {
    const DialogKind about = {IDM_ABOUT, kAbout};
    for (const DialogKind& each : {kEditor, kPreferences, about}) {
        SCOPED_TRACE(each.caption);
        drive.ClearLog();
        StartPlaying();
        HWND dialog = Open(each.command, each.caption);
        ASSERT_NE(dialog, nullptr);
        EditSomething(dialog, "Dropped");
        drive.ClearLog();
        ExitAndExpectCleanEnd();
        EXPECT_EQ(Commands(), (std::vector<std::string>{"stop", "close"}));
        EXPECT_EQ(IniValue(ThreeTrackSection(), "artist"), "Artist");
        EXPECT_EQ(StoredFlag("LClickMenu"), 1);
    }
}

TEST_F(DialogExeTest, TrackEndsAndADiscChangeGoOnWhileEachDialogIsOpen) {
    for (const char* caption : {kPlaylist, kPrefs}) {
        SCOPED_TRACE(caption);
        WriteSection(ThreeTrackSection(), "Artist", "Title", {"Alpha", "Beta", "Gamma"}, "2 0 1");
        drive.ClearLog();
        StartPlaying("speed=60\nwinetoc=0\n");  // one second a track; the disc read at the open
        HWND dialog = Open(caption == kPlaylist ? IDM_EDIT_PLAYLIST : IDM_PREFERENCES, caption);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(PumpUntil([&] { return PlayedTracks().size() >= 2; }));
        EXPECT_EQ(PlayedTracks()[1], 1);
        drive.ClearLog();
        EXPECT_EQ(drive.ChangeDisc("insert \"tracks=0:02:00 4:00:00\" leadout=9:00:00 speed=1"), 0u);
        ASSERT_TRUE(PumpUntil([&] { return PlayedTracks().size() == 1; }));
        if (caption == kPlaylist)
            SetText(Control(dialog, IDC_ARTIST), "Edited");
        Press(dialog, IDOK);
        PumpFor(500);
        // The edits went to the disc they were made for; the new disc plays on.
        if (caption == kPlaylist) {
            EXPECT_EQ(IniValue(ThreeTrackSection(), "artist"), "Edited");
        }
        EXPECT_EQ(PlayedTracks(), std::vector<int>{1});
        ExitAndExpectCleanEnd();
    }
}

// Another disc put in without a broadcast while the dialog is open: after
// OK the program describes the disc in the drive, not the one that left.
TEST_F(DialogExeTest, ADiscExchangedUnannouncedIsLoadedAfterOk) {
    StartPlaying();
    HWND dialog = Open(IDM_EDIT_PLAYLIST, kPlaylist);
    ASSERT_NE(dialog, nullptr);
    SetText(Control(dialog, IDC_ARTIST), "Edited");
    drive.Control("present=1\ntracks=0:02:00 4:00:00\nleadout=9:00:00\nspeed=1\n");
    drive.ClearLog();
    Press(dialog, IDOK);
    EXPECT_EQ(IniValue(ThreeTrackSection(), "artist"), "Edited");
    EXPECT_TRUE(PumpUntil([&] { return PlayedTracks() == std::vector<int>{1}; }));  // autoplay of the new disc
    EXPECT_EQ(ArtistShownByTheEditor(), "Unknown Artist");
    ExitAndExpectCleanEnd();
}

// 99 tracks: the order text holds 88 entries, and so do the record and the
// next opening after an OK with nothing changed.
TEST_F(DialogExeTest, AfterOkTheRecordHoldsWhatTheFileHoldsOnADiscOf99Tracks) {
    std::string starts;
    for (int second = 2; second < 2 + 2 * 99; second += 2)
        starts += std::to_string(second / 60) + ":" + std::to_string(second % 60) + ":00 ";
    DeleteFileA(IniPath().c_str());
    drive.Control(DiscControl(starts, "3:20:00"));
    StartStopped();
    HWND dialog = Open(IDM_EDIT_PLAYLIST, kPlaylist);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageA(Control(dialog, IDC_PLAYLIST_LIST), LB_GETCOUNT, 0, 0), 99);
    Press(dialog, IDOK);
    dialog = Open(IDM_EDIT_PLAYLIST, kPlaylist);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageA(Control(dialog, IDC_PLAYLIST_LIST), LB_GETCOUNT, 0, 0), 88);
    Press(dialog, IDCANCEL);
    ExitAndExpectCleanEnd();
}

// A merged cdplayer.ini with the disc's section twice: OK leaves one copy,
// holding what the save wrote, and the next start reads the new playlist.
TEST_F(DialogExeTest, ADiscsSectionHeldTwiceIsSavedAsOne) {
    std::string header = "[" + ThreeTrackSection() + "]\r\n";
    ReplaceTextFile(IniPath().c_str(), header + "order=0\r\nforeign=1\r\n[Other]\r\nkeep=1\r\n" + header +
                                           "order=1\r\nforeign=2\r\n");
    StartStopped();
    HWND dialog = Open(IDM_EDIT_PLAYLIST, kPlaylist);
    ASSERT_NE(dialog, nullptr);
    SendMessageA(Control(dialog, IDC_PLAYLIST_RESET), BM_CLICK, 0, 0);  // every track once
    Press(dialog, IDOK);
    std::string text;
    ReadTextFile(IniPath().c_str(), &text);
    EXPECT_EQ(text.find(header), text.rfind(header)) << text;
    EXPECT_EQ(IniValue(ThreeTrackSection(), "order"), "0 1 2");
    EXPECT_EQ(IniValue(ThreeTrackSection(), "foreign"), "(missing)");
    EXPECT_EQ(IniValue("Other", "keep"), "1");
    ExitAndExpectCleanEnd();

    drive.ClearLog();
    SetFlags(true, true);
    Launch();
    ASSERT_TRUE(PumpUntil([&] { return !PlayedTracks().empty(); }));
    EXPECT_EQ(PlayedTracks()[0], 1);
    ExitAndExpectCleanEnd();
}

// A save into a large cdplayer.ini takes a while: another cursor shows for
// it, and the one before comes back. (Under Wine another process sees only
// the cursor's handle, not its image.)
TEST_F(DialogExeTest, ALongSaveShowsAnotherCursorForItsTime) {
    std::string text;
    for (int k = 0; k < 10000; k++)
        text += "[D" + std::to_string(100000 + k) + "]\r\nEntryType=1\r\nartist=A\r\ntitle=T\r\nnumtracks=1\r\n0=x\r\n" +
                "order=0 \r\nnumplay=1\r\n";
    ReplaceTextFile(IniPath().c_str(), text);
    StartStopped();
    HWND dialog = Open(IDM_EDIT_PLAYLIST, kPlaylist);
    ASSERT_NE(dialog, nullptr);
    auto shown = [] {
        CURSORINFO cursor = {};
        cursor.cbSize = sizeof(cursor);
        GetCursorInfo(&cursor);
        return cursor.hCursor;
    };
    HCURSOR before = shown();
    ULONGLONG changedFor = 0, last = GetTickCount64();
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] {
        ULONGLONG now = GetTickCount64();
        if (shown() != before)
            changedFor += now - last;
        last = now;
        return !IsWindow(dialog);
    }, 30000));
    EXPECT_GE(changedFor, 100u);
    EXPECT_EQ(shown(), before);
    ExitAndExpectCleanEnd();
}

}  // namespace

// The end of the user's session: an Exit, all of it done before
// WM_ENDSESSION returns.
class SessionEndExeTest : public DialogExeTest {
protected:
    // Start with Windows on, as the last OK left it.
    void StartPlaying(const char* speed = "speed=1\n") {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExA(key, kRunValue, 0, REG_SZ, (const BYTE*)"C:\\old\\spindlet.exe", 21);
        RegCloseKey(key);
        DialogExeTest::StartPlaying(speed);
    }

    // Left click off, Autoplay off, start with Windows off: OK.
    void ChangePreferences() {
        HWND dialog = Open(IDM_PREFERENCES, kPrefs);
        ASSERT_NE(dialog, nullptr);
        SendMessageA(Control(dialog, IDC_PREFS_LCLICK), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageA(Control(dialog, IDC_PREFS_AUTOPLAY), BM_SETCHECK, BST_UNCHECKED, 0);
        SendMessageA(Control(dialog, IDC_PREFS_STARTUP), BM_SETCHECK, BST_UNCHECKED, 0);
        Press(dialog, IDOK);
    }

    // wineboot --end-session does what Windows does at log-off: both
    // messages to every top-level window (this process's too, which must
    // answer), then the process is ended. It then starts a new session with
    // the Run entries: the last OK left none.
    void EndSession() {
        std::string iniBefore;
        ReadTextFile(IniPath().c_str(), &iniBefore);
        drive.ClearLog();
        HANDLE wineboot = nullptr;
        ASSERT_EQ(RunProcess("wineboot.exe --end-session", &wineboot), 0u);
        EXPECT_EQ(PumpUntilExit(wineboot), 0u);
        CloseHandle(wineboot);
        EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 10000));
        EXPECT_EQ(Commands(), (std::vector<std::string>{"stop", "close"}));
        EXPECT_EQ(StoredFlag("LClickMenu"), 0);
        EXPECT_EQ(StoredFlag("Autoplay"), 0);
        EXPECT_EQ(RunValue(), "(missing)");
        std::string iniAfter;
        ReadTextFile(IniPath().c_str(), &iniAfter);
        EXPECT_EQ(iniAfter, iniBefore);
        CloseHandle(process);
        process = nullptr;
    }

    static std::string RunValue() {
        char value[MAX_PATH] = "";
        DWORD size = sizeof(value);
        if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
            return "(missing)";
        return value;
    }

    void TearDown() override {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, kRunValue);
        DialogExeTest::TearDown();
    }
};

TEST_F(SessionEndExeTest, StopsClosesAndKeepsThePreferencesAsExitDoes) {
    StartPlaying();
    ChangePreferences();
    EndSession();
}

// With a dialog open the session end drops its edits, as Exit does.
TEST_F(SessionEndExeTest, EndsTheSameWithEachDialogOpen) {
    const DialogKind about = {IDM_ABOUT, kAbout};
    for (const DialogKind& each : {kEditor, kPreferences, about}) {
        SCOPED_TRACE(each.caption);
        StartPlaying();
        ChangePreferences();
        HWND dialog = Open(each.command, each.caption);
        ASSERT_NE(dialog, nullptr);
        EditSomething(dialog, "Dropped");
        if (HWND box = Control(dialog, IDC_PREFS_LCLICK))
            SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
        EndSession();
        EXPECT_EQ(IniValue(ThreeTrackSection(), "artist"), "Artist");
    }
}

// A shut-down that another program cancelled: Spindlet agrees to end, is
// told it does not, and plays on.
TEST_F(SessionEndExeTest, ACancelledShutDownChangesNothing) {
    StartPlaying("speed=60\nreportend=1\n");  // one second a track
    EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(window, WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(PumpUntil([&] { return PlayedTracks().size() >= 3; }));
    EXPECT_EQ(WaitForSingleObject(process, 0), (DWORD)WAIT_TIMEOUT);
    EXPECT_NE(Commands().back(), "close");
    ExitAndExpectCleanEnd();
}
