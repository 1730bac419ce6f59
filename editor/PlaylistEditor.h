#pragma once

#include <windows.h>

// The tabbed Playlist dialog (105): edits a working copy of gDiscInfo and,
// on OK, writes it back and saves it to cdplayer.ini.
INT_PTR CALLBACK PlaylistEditorDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the tab and up-down classes (once), then runs the dialog
// modally. True when OK found another disc, or none, in the drive while the
// record still describes the old one: the caller loads it anew.
bool RunPlaylistEditor(HINSTANCE instance, HWND owner);

// The open Playlist dialog, or null.
HWND PlaylistEditorWindow();

// The disc the working copy describes is the one in the drive.
bool EditedDiscInDrive();

// The pages (106 and 107). Each is created with the working copy's address
// and loads it when shown, stores into it when hidden or sent
// WM_SHOWWINDOW(0, 0).
INT_PTR CALLBACK PlaylistPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TrackNamesPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
