#pragma once

#include <windows.h>

// The hidden window that owns the tray icon and receives every message that
// drives the program: icon clicks, menu commands, the device's end-of-play
// notifications and the system's device-change broadcasts.
extern HINSTANCE gInstance;
extern HWND gTrayWindow;

extern const char kTrayWindowClass[];
extern const char kTrayTip[];

bool RegisterTrayWindowClass(HINSTANCE instance);
// Runs the whole start-up sequence inside; null when the drive could not be
// opened (the window is gone again and the quit message is posted).
HWND CreateTrayWindow(HINSTANCE instance);

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
