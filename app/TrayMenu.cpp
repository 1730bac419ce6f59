#include "app/TrayMenu.h"

#include <string>

#include "catalogue/DiscInfo.h"
#include "player/PlayerController.h"
#include "resources/resource.h"
#include "settings/Settings.h"

namespace PC = PlayerController;

static HMENU TrackMenu(HWND window) {
    return GetSubMenu(GetMenu(window), 0);
}

static HMENU CommandMenu(HWND window) {
    return GetSubMenu(GetMenu(window), 1);
}

void ShowTrayMenu(HWND window, UINT button) {
    UpdateMenuState(window);
    bool trackMenu = (button == WM_LBUTTONUP) == LClickMenu;
    POINT point = {};
    GetCursorPos(&point);
    // Without the foreground the menu would not close on a click elsewhere,
    // and without the WM_NULL it would not close on the next click.
    SetForegroundWindow(window);
    TrackPopupMenu(trackMenu ? TrackMenu(window) : CommandMenu(window), 0, point.x, point.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
}

static void EnableCommand(HMENU menu, UINT id, bool enabled) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void UpdateMenuState(HWND window) {
    PC::RefreshPlaying();
    bool disc = PC::discPresent;
    bool playing = disc && PC::playing;
    bool stopped = disc && !PC::playing;
    size_t entries = gDiscInfo.playlist.size();
    HMENU menu = CommandMenu(window);
    EnableCommand(menu, IDM_PLAY, stopped);
    EnableCommand(menu, IDM_PAUSE, playing);
    EnableCommand(menu, IDM_STOP, playing || (stopped && PC::paused));
    EnableCommand(menu, IDM_PREVIOUS, playing && PC::cursor != 0);
    EnableCommand(menu, IDM_NEXT, playing && PC::cursor + 1 < entries);
    EnableCommand(menu, IDM_EDIT_PLAYLIST, disc);
    if (disc && entries > 0)
        CheckMenuRadioItem(TrackMenu(window), IDM_FIRST_ENTRY, UINT(IDM_FIRST_ENTRY + entries - 1),
                           UINT(IDM_FIRST_ENTRY + PC::cursor), MF_BYCOMMAND);
}

static void InsertItem(HMENU menu, UINT position, UINT id, UINT type, UINT state, const std::string& text) {
    MENUITEMINFOA item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
    item.fType = type;
    item.fState = state;
    item.wID = id;
    item.dwTypeData = (LPSTR)text.c_str();
    InsertMenuItemA(menu, position, TRUE, &item);
}

// A menu takes "&" as the mark of a mnemonic; "&&" shows one "&", so the
// name appears as stored ("Rock & Roll").
static std::string MenuItemText(const std::string& name) {
    std::string text;
    for (char c : name) {
        text += c;
        if (c == '&')
            text += '&';
    }
    return text;
}

void RebuildTrackMenu(HWND window) {
    HMENU menu = TrackMenu(window);
    while (GetMenuItemCount(menu) > 0)
        DeleteMenu(menu, 0, MF_BYPOSITION);
    if (gDiscInfo.numTracks <= 0) {
        InsertItem(menu, 0, 0, MFT_STRING, MFS_GRAYED, "No audio cd in drive.");
        return;
    }
    for (size_t k = 0; k < gDiscInfo.playlist.size(); k++)
        InsertItem(menu, UINT(k), UINT(IDM_FIRST_ENTRY + k), MFT_STRING | MFT_RADIOCHECK, MFS_ENABLED,
                   MenuItemText(gDiscInfo.TrackName(gDiscInfo.playlist[k])));
}
