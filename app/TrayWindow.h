#pragma once

#include <windows.h>

// The hidden window that owns the tray icon and receives every message that
// drives the program: icon clicks, menu commands, the device's end-of-play
// notifications and the system's device-change broadcasts.
extern HINSTANCE gInstance;
extern HWND gTrayWindow;

// The class "SpindletClass", with menu 102 as its class menu.
bool RegisterTrayWindowClass(HINSTANCE instance);
// Keeps the instance and runs the whole start-up sequence inside; null when the drive could not be
// opened (the window is gone again and the quit message is posted).
HWND CreateTrayWindow(HINSTANCE instance);

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
