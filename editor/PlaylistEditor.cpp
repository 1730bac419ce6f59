#include "editor/PlaylistEditor.h"

#include <commctrl.h>

#include <string>

#include "catalogue/DiscDatabase.h"
#include "player/PlayerController.h"
#include "resources/resource.h"

namespace PC = PlayerController;

// Only one editor exists at a time, so its state is static.
static HWND gEditorDialog = nullptr;
static HWND gPlaylistPage = nullptr;
static HWND gTrackNamesPage = nullptr;
static bool gTwoTabs = false;
// The disc the working copy describes, as the last load identified it.
static DiscId gOpenedId = 0;
static bool gOpenedIdKnown = false;
// OK found another disc, or none, in the drive.
static bool gOtherDiscAtOk = false;

static DiscInfo& WorkingCopy() {
    static DiscInfo copy;
    return copy;
}

static void InsertTab(HWND tabs, int index, const char* text) {
    TCITEMA tab = {};
    tab.mask = TCIF_TEXT;
    tab.pszText = (LPSTR)text;
    SendMessageA(tabs, TCM_INSERTITEMA, index, (LPARAM)&tab);
}

typedef HRESULT(WINAPI* EnableThemeDialogTextureProc)(HWND, DWORD);
const DWORD kThemeTabTexture = 6;  // ETDT_ENABLETAB: ETDT_ENABLE | ETDT_USETABTEXTURE

// Under visual styles a page on a tab must take the tab body's background,
// or it sits on it as a gray box. uxtheme exists from XP on: looked up, not
// imported.
static void UseTabBackground(HWND page) {
    static EnableThemeDialogTextureProc enable = [] {
        HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
        return (EnableThemeDialogTextureProc)(void (*)())GetProcAddress(uxtheme, "EnableThemeDialogTexture");
    }();
    if (enable)
        enable(page, kThemeTabTexture);
}

static HWND CreatePage(HWND dialog, int templateId, DLGPROC procedure) {
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(dialog, GWLP_HINSTANCE);
    HWND page = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), dialog, procedure, (LPARAM)&WorkingCopy());
    UseTabBackground(page);
    return page;
}

static void OnInitDialog(HWND dialog) {
    gEditorDialog = dialog;
    gOtherDiscAtOk = false;
    // The playlist may be changed only while nothing plays or is paused.
    gTwoTabs = !PC::playing && !PC::paused;
    HWND tabs = GetDlgItem(dialog, IDC_PLAYLIST_TABS);
    if (gTwoTabs)
        InsertTab(tabs, 0, "Playlist");
    InsertTab(tabs, 1, "Track Names");
    WorkingCopy() = gDiscInfo;
    gOpenedIdKnown = DiscDatabase::LastLoadedId(&gOpenedId);
    gPlaylistPage = CreatePage(dialog, IDD_PLAYLIST_PAGE, PlaylistPage);
    gTrackNamesPage = CreatePage(dialog, IDD_TRACKNAMES_PAGE, TrackNamesPage);
    ShowWindow(gTwoTabs ? gPlaylistPage : gTrackNamesPage, SW_SHOWNORMAL);
}

static HWND SelectedPage(HWND dialog) {
    bool playlistTab = gTwoTabs && SendDlgItemMessageA(dialog, IDC_PLAYLIST_TABS, TCM_GETCURSEL, 0, 0) == 0;
    return playlistTab ? gPlaylistPage : gTrackNamesPage;
}

// Hiding first: the page left stores before the page entered loads.
static void OnTabChange(HWND dialog) {
    HWND shown = SelectedPage(dialog);
    ShowWindow(shown == gPlaylistPage ? gTrackNamesPage : gPlaylistPage, SW_HIDE);
    ShowWindow(shown, SW_SHOWNORMAL);
}

// The copy goes to the disc it was made for. The record is then loaded back
// from the file, so that it and the track menu show what was saved (the
// order text holds at most 88 entries). If another disc, or none, is in the
// drive now, the copy is still kept in its own disc's section; and when the
// record still describes the disc that left (no broadcast told of the
// change), the caller loads the record of what is in the drive. False when
// the file refused a write: the record then keeps the copy as it stands.
static bool CommitWorkingCopy() {
    const DiscInfo& copy = WorkingCopy();
    DiscId current = 0, loaded = 0;
    int trackCount = 0;
    bool saved = true;
    // On a large cdplayer.ini the profile functions take seconds.
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_WAIT));
    // The driver answers from the table of contents it read at its open: a
    // disc exchanged unannounced shows only to a fresh open, which is not
    // worth cutting the music for.
    if (gDevice && !PC::playing && !PC::paused)
        PC::ReopenDevice();
    bool discKnown = gDevice && DiscDatabase::IdentifyDisc(*gDevice, &current, &trackCount);
    bool loadedKnown = DiscDatabase::LastLoadedId(&loaded);
    bool recordCurrent = discKnown ? loadedKnown && loaded == current : !loadedKnown;
    if (gOpenedIdKnown && discKnown && current == gOpenedId && recordCurrent) {
        int currentTrack = PC::cursor < gDiscInfo.playlist.size() ? gDiscInfo.playlist[PC::cursor] : 0;
        gDiscInfo = copy;
        saved = DiscDatabase::save(copy, current);
        if (saved)
            DiscDatabase::load(*gDevice, gDiscInfo);
        PC::OnPlaylistChanged(currentTrack);
    } else {
        if (gOpenedIdKnown)
            saved = DiscDatabase::save(copy, gOpenedId);
        gOtherDiscAtOk = !recordCurrent;
    }
    SetCursor(previous);
    return saved;
}

// A Windows directory the user may not write to refuses the writes; the
// record still shows the edits until the program ends.
static void WarnNotSaved(HWND dialog) {
    std::string text = "The disc's names and playlist could not be saved to " + DiscDatabase::FilePath() + ".";
    MessageBoxA(dialog, text.c_str(), "Spindlet", MB_OK | MB_ICONWARNING);
}

static void OnOk(HWND dialog) {
    SendMessageA(SelectedPage(dialog), WM_SHOWWINDOW, 0, 0);
    if (WorkingCopy().playlist.empty()) {
        MessageBoxA(dialog, "Playlist empty!", "Error", MB_ICONWARNING);
        return;
    }
    if (!CommitWorkingCopy())
        WarnNotSaved(dialog);
    EndDialog(dialog, 0);
}

static void OnCommand(HWND dialog, UINT id) {
    if (id == IDOK)
        OnOk(dialog);
    else if (id == IDCANCEL)
        EndDialog(dialog, 0);
}

INT_PTR CALLBACK PlaylistEditorDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_NOTIFY:
        if (((const NMHDR*)lParam)->code == (UINT)TCN_SELCHANGE)
            OnTabChange(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    case WM_DESTROY:
        DestroyWindow(gPlaylistPage);
        DestroyWindow(gTrackNamesPage);
        gPlaylistPage = gTrackNamesPage = nullptr;
        gEditorDialog = nullptr;
        return TRUE;
    }
    return FALSE;
}

typedef BOOL(WINAPI* InitCommonControlsExProc)(const INITCOMMONCONTROLSEX*);

// The dialog's tab control is created with the dialog, so its class must
// exist before. comctl32 is loaded only then, and stays: a player that is
// never edited does not carry it (3 MB of memory under Wine).
static void RegisterCommonControls() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    HMODULE comctl32 = LoadLibraryA("comctl32.dll");
    InitCommonControlsExProc init =
        (InitCommonControlsExProc)(void (*)())GetProcAddress(comctl32, "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes = {};
    classes.dwSize = sizeof(classes);
    classes.dwICC = ICC_TAB_CLASSES | ICC_UPDOWN_CLASS;
    if (init)
        init(&classes);
}

bool RunPlaylistEditor(HINSTANCE instance, HWND owner) {
    RegisterCommonControls();
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_PLAYLIST), owner, PlaylistEditorDialog, 0);
    return gOtherDiscAtOk;
}

HWND PlaylistEditorWindow() {
    return gEditorDialog;
}

bool EditedDiscInDrive() {
    DiscId current = 0;
    int trackCount = 0;
    return gOpenedIdKnown && gDevice && DiscDatabase::IdentifyDisc(*gDevice, &current, &trackCount) &&
           current == gOpenedId;
}
