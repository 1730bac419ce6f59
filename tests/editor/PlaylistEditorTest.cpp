// The Playlist dialog run for real from resource 105 on the virtual drive and
// the prefix's cdplayer.ini, driven with clicks and messages as a user's
// mouse and keyboard would, from timers inside its own modal loop.

#include "editor/PlaylistEditor.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "catalogue/DiscDatabase.h"
#include "player/PlayerController.h"
#include "resources/resource.h"
#include "tests/support/ModalScript.h"
#include "tests/support/Stage.h"
#include "tests/support/VirtualDrive.h"

namespace {

namespace PC = PlayerController;

typedef std::vector<std::string> Texts;

void Click(HWND control, int x, int y, UINT down = WM_LBUTTONDOWN) {
    SendMessageA(control, down, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void ClickItem(HWND list, int index, bool twice = false) {
    RECT item = {};
    SendMessageA(list, LB_GETITEMRECT, (WPARAM)index, (LPARAM)&item);
    int x = (item.left + item.right) / 2, y = (item.top + item.bottom) / 2;
    Click(list, x, y);
    if (twice)  // as a real double click: down, up, double-click, up
        Click(list, x, y, WM_LBUTTONDBLCLK);
}

void ClickTab(HWND dialog, int index) {
    HWND tabs = GetDlgItem(dialog, IDC_PLAYLIST_TABS);
    RECT item = {};
    SendMessageA(tabs, TCM_GETITEMRECT, (WPARAM)index, (LPARAM)&item);
    Click(tabs, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
}

void ClickArrow(HWND page, bool up) {
    HWND arrows = GetDlgItem(page, IDC_PLAYLIST_MOVE);
    RECT box = {};
    GetClientRect(arrows, &box);
    Click(arrows, box.right / 2, up ? box.bottom / 4 : box.bottom * 3 / 4);
}

void Press(HWND window, int id) {
    SendDlgItemMessageA(window, id, BM_CLICK, 0, 0);
}

Texts ListTexts(HWND page, int id) {
    Texts texts;
    HWND list = GetDlgItem(page, id);
    for (int i = 0; i < (int)SendMessageA(list, LB_GETCOUNT, 0, 0); i++) {
        char text[512] = "";
        SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
        texts.push_back(text);
    }
    return texts;
}

int Selection(HWND page, int id) {
    return (int)SendDlgItemMessageA(page, id, LB_GETCURSEL, 0, 0);
}

std::string Text(HWND page, int id) {
    char text[512] = "";
    GetDlgItemTextA(page, id, text, sizeof(text));
    return text;
}

// The page that holds the control.
HWND PageWith(HWND dialog, int id) {
    for (HWND page = nullptr; (page = FindWindowExA(dialog, page, "#32770", nullptr));)
        if (GetDlgItem(page, id))
            return page;
    return nullptr;
}

HWND PlaylistPageOf(HWND dialog) {
    return PageWith(dialog, IDC_PLAYLIST_LIST);
}

HWND TrackNamesPageOf(HWND dialog) {
    return PageWith(dialog, IDC_ARTIST);
}

// Shown by the dialog, whether or not the dialog itself is on screen yet.
bool Shown(HWND page) {
    return (GetWindowLongPtrA(page, GWL_STYLE) & WS_VISIBLE) != 0;
}

Texts TabTexts(HWND dialog) {
    Texts texts;
    HWND tabs = GetDlgItem(dialog, IDC_PLAYLIST_TABS);
    for (int i = 0; i < (int)SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0); i++) {
        char text[64] = "";
        TCITEMA tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = text;
        tab.cchTextMax = sizeof(text);
        SendMessageA(tabs, TCM_GETITEMA, (WPARAM)i, (LPARAM)&tab);
        texts.push_back(text);
    }
    return texts;
}

// Types a name for track index into the name box, then clicks next, which
// takes the focus from the box as a user's click does.
void Rename(HWND page, int index, const std::string& name, int next) {
    HWND list = GetDlgItem(page, IDC_TRACK_LIST);
    ClickItem(list, index);
    SetFocus(GetDlgItem(page, IDC_TRACK_NAME));
    SetDlgItemTextA(page, IDC_TRACK_NAME, name.c_str());
    ClickItem(list, next);
}

class PlaylistEditorTest : public testing::Test {
protected:
    void SetUp() override {
        drive.Control(DiscControl(kFourTrackStarts, "18:02:11"));
        gDevice = new CdAudioDevice();
        section = FormatDiscId(gDevice->ComputeDiscId());
        WriteSection(section, "Artist", "Title", {"A", "B", "C", "D"}, "2 0");
        DiscDatabase::load(*gDevice, gDiscInfo);
        PC::playing = PC::paused = false;
        PC::discPresent = true;
        PC::cursor = 0;
    }

    void TearDown() override {
        gDevice->Close();
        delete gDevice;
        gDevice = nullptr;
        DeleteFileA(IniPath().c_str());
    }

    void Edit(std::function<void(HWND)> script) {
        bool ran = false;
        WhenDialogUp("Playlist", [&](HWND dialog) {
            ran = true;
            script(dialog);
        });
        RunPlaylistEditor(GetModuleHandleA(nullptr), nullptr);
        EXPECT_TRUE(ran);
    }

    std::string Value(const char* key) const { return IniValue(section, key); }

    VirtualDrive drive;
    std::string section;
};

TEST_F(PlaylistEditorTest, BuildRemoveAndMoveEntriesThenSave) {
    Edit([](HWND dialog) {
        EXPECT_EQ(TabTexts(dialog), (Texts{"Playlist", "Track Names"}));
        HWND page = PlaylistPageOf(dialog);
        EXPECT_TRUE(Shown(page));
        EXPECT_FALSE(Shown(TrackNamesPageOf(dialog)));
        EXPECT_EQ(ListTexts(page, IDC_TRACK_LIST), (Texts{"A", "B", "C", "D"}));
        EXPECT_EQ(ListTexts(page, IDC_PLAYLIST_LIST), (Texts{"C", "A"}));

        HWND tracks = GetDlgItem(page, IDC_TRACK_LIST), playlist = GetDlgItem(page, IDC_PLAYLIST_LIST);
        ClickItem(tracks, 1, true);
        ClickItem(tracks, 1, true);
        EXPECT_EQ(ListTexts(page, IDC_PLAYLIST_LIST), (Texts{"C", "A", "B", "B"}));
        ClickItem(playlist, 1, true);
        EXPECT_EQ(ListTexts(page, IDC_PLAYLIST_LIST), (Texts{"C", "B", "B"}));
        EXPECT_EQ(Selection(page, IDC_PLAYLIST_LIST), -1);
        ClickArrow(page, true);  // nothing selected: nothing moves
        EXPECT_EQ(ListTexts(page, IDC_PLAYLIST_LIST), (Texts{"C", "B", "B"}));

        Press(page, IDC_PLAYLIST_RESET);
        EXPECT_EQ(ListTexts(page, IDC_PLAYLIST_LIST), (Texts{"A", "B", "C", "D"}));
        ClickItem(playlist, 1);
        ClickArrow(page, true);
        EXPECT_EQ(ListTexts(page, IDC_PLAYLIST_LIST), (Texts{"B", "A", "C", "D"}));
        EXPECT_EQ(Selection(page, IDC_PLAYLIST_LIST), 0);
        ClickArrow(page, true);  // at the top already
        EXPECT_EQ(ListTexts(page, IDC_PLAYLIST_LIST), (Texts{"B", "A", "C", "D"}));
        for (int i = 0; i < 5; i++)
            ClickArrow(page, false);  // to the bottom, and no further
        EXPECT_EQ(ListTexts(page, IDC_PLAYLIST_LIST), (Texts{"A", "C", "D", "B"}));
        EXPECT_EQ(Selection(page, IDC_PLAYLIST_LIST), 3);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(gDiscInfo.playlist, (std::vector<int>{1, 3, 4, 2}));
    EXPECT_EQ(Value("order"), "0 2 3 1");
    EXPECT_EQ(Value("numplay"), "4");
}

TEST_F(PlaylistEditorTest, AnEmptyPlaylistIsRefusedUntilResetFillsIt) {
    Edit([](HWND dialog) {
        Press(PlaylistPageOf(dialog), IDC_PLAYLIST_CLEAR);
        ClickTab(dialog, 1);
        std::string warning;
        WhenDialogUp("Error", [&](HWND box) {
            warning = MessageBoxText(box);
            SendMessageA(box, WM_COMMAND, IDOK, 0);
        });
        Press(dialog, IDOK);
        EXPECT_EQ(warning, "Playlist empty!");
        ASSERT_TRUE(IsWindow(dialog));
        EXPECT_TRUE(Shown(TrackNamesPageOf(dialog)));
        ClickTab(dialog, 0);
        Press(PlaylistPageOf(dialog), IDC_PLAYLIST_RESET);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(gDiscInfo.playlist, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Value("order"), "0 1 2 3");
}

TEST_F(PlaylistEditorTest, RenamesSurviveTabSwitchesAndAreSaved) {
    Edit([](HWND dialog) {
        ClickTab(dialog, 1);
        HWND names = TrackNamesPageOf(dialog);
        EXPECT_EQ(Text(names, IDC_ARTIST), "Artist");
        Rename(names, 1, "Bee", 2);
        EXPECT_EQ(Text(names, IDC_TRACK_NAME), "C");
        // Leaving the box puts its text back and the list without a selection;
        // typed with nothing selected, no entry changes.
        SetFocus(GetDlgItem(names, IDC_TRACK_NAME));
        SetFocus(GetDlgItem(names, IDC_TITLE));
        EXPECT_EQ(Selection(names, IDC_TRACK_LIST), -1);
        SetFocus(GetDlgItem(names, IDC_TRACK_NAME));
        SetDlgItemTextA(names, IDC_TRACK_NAME, "lost");
        SetFocus(GetDlgItem(names, IDC_TITLE));
        SetDlgItemTextA(names, IDC_ARTIST, std::string(300, 'x').c_str());
        SetDlgItemTextA(names, IDC_TITLE, "");

        ClickTab(dialog, 0);
        HWND page = PlaylistPageOf(dialog);
        EXPECT_EQ(ListTexts(page, IDC_TRACK_LIST), (Texts{"A", "Bee", "C", "D"}));
        ClickItem(GetDlgItem(page, IDC_TRACK_LIST), 1, true);
        EXPECT_EQ(ListTexts(page, IDC_PLAYLIST_LIST), (Texts{"C", "A", "Bee"}));
        ClickTab(dialog, 1);
        EXPECT_EQ(ListTexts(names, IDC_TRACK_LIST), (Texts{"A", "Bee", "C", "D"}));
        Press(dialog, IDOK);
    });
    EXPECT_EQ(gDiscInfo.trackNames, (Texts{"A", "Bee", "C", "D"}));
    EXPECT_EQ(gDiscInfo.artist, std::string(254, 'x'));
    EXPECT_EQ(Value("1"), "Bee");
    EXPECT_EQ(Value("title"), "");
    EXPECT_EQ(Value("order"), "2 0 1");
}

TEST_F(PlaylistEditorTest, WhilePlayingOnlyNamesAreEditedAndEnterKeepsTheTypedName) {
    PC::playing = true;
    Edit([](HWND dialog) {
        EXPECT_EQ(TabTexts(dialog), Texts{"Track Names"});
        HWND names = TrackNamesPageOf(dialog);
        EXPECT_TRUE(Shown(names));
        EXPECT_FALSE(Shown(PlaylistPageOf(dialog)));
        ClickItem(GetDlgItem(names, IDC_TRACK_LIST), 3);
        SetFocus(GetDlgItem(names, IDC_TRACK_NAME));
        SetDlgItemTextA(names, IDC_TRACK_NAME, "Dee");
        // Enter in a dialog sends IDOK; the focus stays in the name box.
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(Value("3"), "Dee");
    EXPECT_EQ(Value("order"), "2 0");
}

TEST_F(PlaylistEditorTest, CancelAndTheCloseBoxLeaveRecordAndFileAlone) {
    std::string before = Value("order");
    for (bool closeBox : {false, true}) {
        Edit([&](HWND dialog) {
            Press(PlaylistPageOf(dialog), IDC_PLAYLIST_CLEAR);
            ClickTab(dialog, 1);
            Rename(TrackNamesPageOf(dialog), 0, "Changed", 1);
            if (closeBox)
                SendMessageA(dialog, WM_CLOSE, 0, 0);
            else
                Press(dialog, IDCANCEL);
        });
        EXPECT_EQ(gDiscInfo.playlist, (std::vector<int>{3, 1}));
        EXPECT_EQ(gDiscInfo.trackNames[0], "A");
        EXPECT_EQ(Value("0"), "A");
        EXPECT_EQ(Value("order"), before);
    }
    // The next opening shows the global record, not the abandoned edits.
    Edit([](HWND dialog) {
        EXPECT_EQ(ListTexts(PlaylistPageOf(dialog), IDC_PLAYLIST_LIST), (Texts{"C", "A"}));
        Press(dialog, IDCANCEL);
    });
}

TEST_F(PlaylistEditorTest, ADiscSwappedWhileEditingKeepsTheEditsInTheirOwnSection) {
    for (const char* other : {"present=0\n", "present=1\ntracks=0:02:00 6:00:00\nleadout=9:00:00\nspeed=2000\n"}) {
        std::string otherSection;
        Edit([&](HWND dialog) {
            drive.Control(other);
            if (gDevice->IsMediaPresent())
                otherSection = FormatDiscId(gDevice->ComputeDiscId());
            ClickTab(dialog, 1);
            Rename(TrackNamesPageOf(dialog), 0, "Kept", 1);
            Press(dialog, IDOK);
        });
        EXPECT_EQ(Value("0"), "Kept");
        EXPECT_EQ(gDiscInfo.trackNames[0], "A");  // the record is left to the disc now in the drive
        if (!otherSection.empty()) {
            EXPECT_EQ(IniValue(otherSection, "artist"), "(missing)");
        }
        drive.Control(DiscControl(kFourTrackStarts, "18:02:11"));
    }
}

// On a drive that answers from the table of contents of its open, OK opens
// it afresh before it trusts it: a disc exchanged unannounced is seen.
TEST_F(PlaylistEditorTest, ADiscExchangedUnannouncedIsSeenThroughAFreshOpen) {
    drive.Control(DiscControl(kFourTrackStarts, "18:02:11", "winetoc=0\n"));
    gDevice->Close();
    gDevice->Open();
    WhenDialogUp("Playlist", [&](HWND dialog) {
        drive.Control("present=1\ntracks=0:02:00 6:00:00\nleadout=9:00:00\nspeed=2000\nwinetoc=0\n");
        ClickTab(dialog, 1);
        Rename(TrackNamesPageOf(dialog), 0, "Kept", 1);
        Press(dialog, IDOK);
    });
    EXPECT_TRUE(RunPlaylistEditor(GetModuleHandleA(nullptr), nullptr));  // the caller loads the new disc
    EXPECT_EQ(Value("0"), "Kept");
    EXPECT_EQ(gDiscInfo.trackNames[0], "A");
}

TEST_F(PlaylistEditorTest, TheCursorStaysWhereItCanAndNothingIsSentToTheDrive) {
    PC::cursor = 1;
    drive.ClearLog();
    Edit([](HWND dialog) {
        ClickItem(GetDlgItem(PlaylistPageOf(dialog), IDC_PLAYLIST_LIST), 1, true);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(gDiscInfo.playlist, std::vector<int>{3});
    EXPECT_EQ(PC::cursor, 0u);
    EXPECT_TRUE(drive.Log({"play", "seek", "stop"}).empty());
}

TEST_F(PlaylistEditorTest, ThePlaylistGrowsNoLongerThanTheFileKeepsAndOddEntriesShowTheirNumber) {
    gDiscInfo.playlist = {9, 1};
    Edit([](HWND dialog) {
        HWND page = PlaylistPageOf(dialog);
        EXPECT_EQ(ListTexts(page, IDC_PLAYLIST_LIST), (Texts{"Track 9", "A"}));
        Press(page, IDC_PLAYLIST_CLEAR);
        // "3 " per entry: 127 fit in the 255 characters of the order text.
        for (int i = 0; i < 130; i++)
            ClickItem(GetDlgItem(page, IDC_TRACK_LIST), 3, true);
        EXPECT_EQ(ListTexts(page, IDC_PLAYLIST_LIST).size(), 127u);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(gDiscInfo.playlist.size(), 127u);
    EXPECT_EQ(Value("numplay"), "127");
}

// This exe carries the program's resources, manifest included: with the
// dialog open, the process's comctl32 is the version 6 assembly. (Wine's
// DllGetVersion answers 5.81 from either file, so the file tells.)
TEST_F(PlaylistEditorTest, TheDialogRunsOnCommonControls6) {
    std::string path;
    Edit([&](HWND dialog) {
        char name[MAX_PATH] = "";
        GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), name, sizeof(name));
        path = name;
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_NE(path.find("\\winsxs\\"), std::string::npos) << path;
    EXPECT_NE(path.find("common-controls_6595b64144ccf1df_6.0"), std::string::npos) << path;
}

}  // namespace
