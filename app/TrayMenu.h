#pragma once

#include <windows.h>

// The two pop-ups of the tray window's class menu: pop-up 0 lists the
// playlist (the track menu), pop-up 1 holds the commands.

// Opens the pop-up that the released button (WM_LBUTTONUP or WM_RBUTTONUP)
// stands for under the LClickMenu setting, after UpdateMenuState.
void ShowTrayMenu(HWND window, UINT button);

// Enables the commands and marks the current entry from the player's state,
// after asking the device whether it plays.
void UpdateMenuState(HWND window);

// Lists the playlist of gDiscInfo in the track menu, or the no-disc item.
void RebuildTrackMenu(HWND window);
