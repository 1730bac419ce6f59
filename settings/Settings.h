#pragma once

#include <windows.h>

// The two persisted preferences, read once at start-up and written at exit.
extern bool LClickMenu;  // left click opens the track menu; false swaps buttons
extern bool Autoplay;    // a loaded disc starts playing by itself

extern const char kSettingsKey[];  // under HKEY_CURRENT_USER
extern const char kRunKey[];
extern const char kRunValue[];

void ReadSettings();
void WriteSettings();

// Dialog 104: the two flags and the start-with-Windows value.
INT_PTR CALLBACK PrefsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The open Preferences dialog, or null.
HWND PrefsDialogWindow();
