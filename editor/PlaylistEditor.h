#pragma once

#include <windows.h>

// The tabbed Playlist dialog (105): edits a working copy of gDiscInfo and,
// on OK, writes it back and saves it to cdplayer.ini.
INT_PTR CALLBACK PlaylistEditorDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the tab and up-down classes, then runs the dialog modally.
void RunPlaylistEditor(HINSTANCE instance, HWND owner);

// The pages (106 and 107). Each is created with the working copy's address
// and loads it when shown, stores into it when hidden or sent
// WM_SHOWWINDOW(0, 0).
INT_PTR CALLBACK PlaylistPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TrackNamesPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
