#include "app/TrayWindow.h"

#include <dbt.h>
#include <shellapi.h>

#include "app/TrayMenu.h"
#include "catalogue/DiscDatabase.h"
#include "editor/PlaylistEditor.h"
#include "editor/TrackNamesLookup.h"
#include "player/PlayerController.h"
#include "resources/resource.h"
#include "settings/Settings.h"

HINSTANCE gInstance = nullptr;
HWND gTrayWindow = nullptr;

static const char kTrayWindowClass[] = "SpindletClass";
static const char kTrayTip[] = "Spindlet - left click for track list, right click for menu";

static const UINT kTrayIconId = 1;
static const UINT kTrayCallback = WM_USER;

// The first form of the record: the one every shell version accepts.
#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first form of NOTIFYICONDATAA is 88 bytes");
#endif

// Sent by the shell when the notification area is created anew (Explorer
// restarted). Without an icon the program could be neither reached nor ended.
static UINT gTaskbarCreated = 0;

static void AddTrayIcon(HWND window) {
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = kTrayIconId;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kTrayCallback;
    icon.hIcon = LoadIconA(gInstance, MAKEINTRESOURCEA(IDI_SPINDLET));
    lstrcpynA(icon.szTip, kTrayTip, sizeof(icon.szTip));
    Shell_NotifyIconA(NIM_ADD, &icon);
}

static void RemoveTrayIcon(HWND window) {
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = kTrayIconId;
    Shell_NotifyIconA(NIM_DELETE, &icon);
}

// The box of each kind already open is brought to the front instead of a
// second one: two editors would share the editor's one working copy.
static bool BringToFront(HWND open) {
    if (open)
        SetForegroundWindow(open);
    return open != nullptr;
}

static const char kAboutCaption[] = "About Spindlet";

// Ours: another program's box of that caption is none of our business.
static HWND OpenAboutBox() {
    HWND box = FindWindowA("#32770", kAboutCaption);
    return box && GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId() ? box : nullptr;
}

static void ShowAboutBox(HWND window) {
    if (BringToFront(OpenAboutBox()))
        return;
    MessageBoxA(window,
                "Spindlet " SPINDLET_VERSION "\n"
                "Copyright (C) 2026 Quillfen Software.\n"
                "All rights reserved.",
                kAboutCaption, MB_OK);
}

static LRESULT OnCreate(HWND window) {
    gTrayWindow = window;
    ReadSettings();
    AddTrayIcon(window);
    try {
        gDevice = new CdAudioDevice();
    } catch (...) {
        MessageBoxA(nullptr,
                    "Spindlet cannot open the CD Audio device, probably because another program is using it.  "
                    "Close the other program to use Spindlet.",
                    "Spindlet Error", MB_OK | MB_ICONWARNING);
        DestroyWindow(window);
        return 0;
    }
    DiscDatabase::load(*gDevice, gDiscInfo);
    PlayerController::Start(window, Autoplay);
    RebuildTrackMenu(window);
    return 0;
}

static void OnDestroy(HWND window) {
    RemoveTrayIcon(window);
    PlayerController::ShutDown();
    WriteSettings();
    PostQuitMessage(0);
}

// One change of disc comes as several volume events, one after another
// (each of the system's features announces it): the disc is reloaded once,
// when they have been quiet for a while. The broadcast is a sent message,
// which the peeks of a play's start may dispatch; the timer's message is
// never dispatched inside them.
static const UINT_PTR kReloadTimer = 2;
static const UINT kSettleMs = 500;
static bool gArrivalSeen = false;  // among the events since the last reload

// The disc in the drive may be another: its record, the player and the
// track menu start afresh, as on any volume change. reopen: after an
// arrival, since the platform's driver answers from the table of contents
// it read at its open.
static void ReloadDisc(HWND window, bool reopen) {
    if (reopen)
        PlayerController::ReopenDevice();
    if (!gDevice)
        return;
    OnLookupDiscChanged();
    DiscDatabase::load(*gDevice, gDiscInfo);
    PlayerController::OnVolumeChange(Autoplay);
    RebuildTrackMenu(window);
}

// Exit may be chosen from the icon while a dialog is open: the window is then
// gone when the dialog's loop returns, and the edits with it, as on Cancel.
static void OnEditPlaylist(HWND window) {
    if (BringToFront(PlaylistEditorWindow()))
        return;
    bool otherDisc = RunPlaylistEditor(gInstance, window);
    if (!IsWindow(window) || !gDevice)
        return;
    if (otherDisc)
        ReloadDisc(window, false);
    else
        RebuildTrackMenu(window);
}

static void OnPreferences(HWND window) {
    if (!BringToFront(PrefsDialogWindow()))
        DialogBoxParamA(gInstance, MAKEINTRESOURCEA(IDD_PREFS), window, PrefsDialogProc, 0);
}

static void OnCommand(HWND window, UINT id) {
    switch (id) {
    case IDM_PLAY: PlayerController::Play(); break;
    case IDM_PAUSE: PlayerController::Pause(); break;
    case IDM_STOP: PlayerController::Stop(); break;
    case IDM_NEXT: PlayerController::NextTrack(); break;
    case IDM_PREVIOUS: PlayerController::PreviousTrack(); break;
    case IDM_EDIT_PLAYLIST: OnEditPlaylist(window); break;
    case IDM_EXIT: DestroyWindow(window); break;
    case IDM_PREFERENCES: OnPreferences(window); break;
    case IDM_ABOUT: ShowAboutBox(window); break;
    default:
        if (id >= IDM_FIRST_ENTRY)
            PlayerController::SelectEntry(id - IDM_FIRST_ENTRY);
        break;
    }
}

// Any program can broadcast these, so the header is checked before use. A
// USB stick or a network drive is none of the player's business.
static void OnDeviceChange(HWND window, WPARAM event, LPARAM lParam) {
    const DEV_BROADCAST_VOLUME* volume = (const DEV_BROADCAST_VOLUME*)lParam;
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE)
        return;
    if (!volume || volume->dbcv_devicetype != DBT_DEVTYP_VOLUME || volume->dbcv_size < sizeof(*volume) || !gDevice)
        return;
    if (!gDevice->VolumeEventConcernsDrive(volume->dbcv_unitmask))
        return;
    gArrivalSeen = gArrivalSeen || event == DBT_DEVICEARRIVAL;
    SetTimer(window, kReloadTimer, kSettleMs, nullptr);
}

static void OnReloadTimer(HWND window) {
    KillTimer(window, kReloadTimer);
    bool arrival = gArrivalSeen;
    gArrivalSeen = false;
    ReloadDisc(window, arrival);
}

// An open refused at a swap (the drive still reading the disc, another
// program holding it a moment) is tried again when the user looks.
static void OnTrayIcon(HWND window, LPARAM lParam) {
    UINT mouse = LOWORD(lParam);
    if ((mouse != WM_LBUTTONUP && mouse != WM_RBUTTONUP) || !gDevice)
        return;
    if (!gDevice->IsOpen())
        ReloadDisc(window, true);
    if (gDevice)
        ShowTrayMenu(window, mouse);
}

static void OnTrackEnd(WPARAM code) {
    if (gDevice)
        PlayerController::OnTrackEnd(code);
}

// Windows ends the process as soon as WM_ENDSESSION returns and never
// destroys the window: the end of a session is an Exit, done here and now.
// A shut-down someone else cancelled (wParam FALSE) changes nothing.
static void OnEndSession(HWND window, WPARAM ending) {
    if (ending)
        DestroyWindow(window);
}

static void OnTimer(HWND window, WPARAM id) {
    if (id == kEndOfPlayTimer)
        PlayerController::OnEndOfPlayTimer();
    else if (id == kReloadTimer)
        OnReloadTimer(window);
}

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == gTaskbarCreated && gTaskbarCreated != 0) {
        AddTrayIcon(window);
        return 0;
    }
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: OnDestroy(window); return 0;
    case WM_COMMAND: OnCommand(window, LOWORD(wParam)); return 0;
    case WM_DEVICECHANGE: OnDeviceChange(window, wParam, lParam); return TRUE;
    case MM_MCINOTIFY: OnTrackEnd(wParam); return 0;
    case WM_TIMER: OnTimer(window, wParam); return 0;
    case WM_QUERYENDSESSION: return TRUE;  // never holds up a shut-down
    case WM_ENDSESSION: OnEndSession(window, wParam); return 0;
    case kTrayCallback: OnTrayIcon(window, lParam); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterTrayWindowClass(HINSTANCE instance) {
    gTaskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = TrayWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_TRAYMENU);
    windowClass.lpszClassName = kTrayWindowClass;
    return RegisterClassExA(&windowClass) != 0;
}

HWND CreateTrayWindow(HINSTANCE instance) {
    gInstance = instance;
    return CreateWindowExA(0, kTrayWindowClass, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}
