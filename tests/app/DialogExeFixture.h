#pragma once

// The real spindlet.exe with its dialogs opened from its window, driven with
// posted and sent messages as another process can.

#include "resources/resource.h"
#include "settings/Settings.h"
#include "tests/app/ExeFixture.h"
#include "tools/vcd/ControlFile.h"

inline const char kPlaylist[] = "Playlist";
inline const char kPrefs[] = "Prefs";
inline const char kAbout[] = "About Spindlet";

struct DialogKind {
    UINT command;
    const char* caption;
};
inline const DialogKind kEditor = {IDM_EDIT_PLAYLIST, kPlaylist};
inline const DialogKind kPreferences = {IDM_PREFERENCES, kPrefs};

class DialogExeTest : public SpindletExeTest {
protected:
    // Autoplay on a disc that plays for minutes: the one-tab editor.
    void StartPlaying(const char* speed = "speed=1\n") {
        SetFlags(true, true);
        drive.Control(DiscControl(kThreeTrackStarts, kThreeTrackLeadOut, speed));
        Launch();
        ASSERT_TRUE(PumpUntil([&] { return PlayedTracks().size() == 1; }));
    }

    void StartStopped() {
        SetFlags(true, false);
        Launch();
    }

    std::vector<HWND> Dialogs(const char* caption) const {
        std::vector<HWND> found;
        for (HWND dialog = nullptr; (dialog = FindWindowExA(nullptr, dialog, "#32770", caption));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(dialog, &owner);
            if (owner == GetProcessId(process) && IsWindowVisible(dialog))
                found.push_back(dialog);
        }
        return found;
    }

    HWND Open(UINT command, const char* caption) {
        PostMessageA(window, WM_COMMAND, command, 0);
        HWND dialog = nullptr;
        PumpUntil([&] { return !Dialogs(caption).empty() && (dialog = Dialogs(caption)[0]); });
        PumpFor(200);
        return dialog;
    }

    void Press(HWND dialog, int button) {
        PostMessageA(dialog, WM_COMMAND, button, 0);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }));
    }

    // A control of the dialog or of one of its pages.
    static HWND Control(HWND dialog, int id) {
        if (HWND control = GetDlgItem(dialog, id))
            return control;
        for (HWND page = nullptr; (page = FindWindowExA(dialog, page, "#32770", nullptr));)
            if (HWND control = GetDlgItem(page, id))
                return control;
        return nullptr;
    }

    static std::string Text(HWND control) {
        char text[256] = "";
        SendMessageA(control, WM_GETTEXT, sizeof(text), (LPARAM)text);
        return text;
    }

    static void SetText(HWND control, const char* text) { SendMessageA(control, WM_SETTEXT, 0, (LPARAM)text); }

    // A track's name as the Track Names page shows it once the track is selected.
    static std::string TrackName(HWND dialog, int index) {
        HWND box = Control(dialog, IDC_TRACK_NAME);
        HWND page = GetParent(box);
        HWND list = GetDlgItem(page, IDC_TRACK_LIST);
        SendMessageA(list, LB_SETCURSEL, index, 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TRACK_LIST, LBN_SELCHANGE), (LPARAM)list);
        return Text(box);
    }


    // An edit in whichever dialog it is: the artist, or the left-click box.
    static void EditSomething(HWND dialog, const char* artist) {
        if (HWND field = Control(dialog, IDC_ARTIST))
            SetText(field, artist);
        if (HWND box = Control(dialog, IDC_PREFS_LCLICK))
            SendMessageA(box, BM_SETCHECK, BST_UNCHECKED, 0);
    }

    // The artist the record holds, as the Playlist dialog opened anew shows it.
    std::string ArtistShownByTheEditor() {
        HWND dialog = Open(IDM_EDIT_PLAYLIST, kPlaylist);
        std::string artist = dialog ? Text(Control(dialog, IDC_ARTIST)) : "(no dialog)";
        if (dialog)
            Press(dialog, IDCANCEL);
        return artist;
    }

    void ExitAndExpectCleanEnd() {
        PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
        EXPECT_EQ(ExitCode(), 0u);
    }
};
