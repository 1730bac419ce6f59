#pragma once

#include <windows.h>

#include <string>

// The two persisted preferences, read once at start-up and written at exit.
extern bool LClickMenu;  // left click opens the track menu; false swaps buttons
extern bool Autoplay;    // a loaded disc starts playing by itself

extern const char kSettingsKey[];  // under HKEY_CURRENT_USER
extern const char kRunKey[];
extern const char kRunValue[];

// The server the Playlist dialog looks names up on: the string value
// "LookupServer" beside the flags, read at each lookup; absent or empty is
// https://musicbrainz.org. No trailing slash. False for a value that is no
// string of at most 511 characters: nothing is sent then.
bool LookupServer(std::string* server);

void ReadSettings();
void WriteSettings();

// Dialog 104: the two flags and the start-with-Windows value.
INT_PTR CALLBACK PrefsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The open Preferences dialog, or null.
HWND PrefsDialogWindow();
