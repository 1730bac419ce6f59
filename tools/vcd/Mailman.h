#pragma once

#include <windows.h>
#include <mmsystem.h>

// Reports that reach the window late, as the platform's do: posted by a
// thread of their own delayMs after this call, in the order they were made
// (never one ahead of an earlier), also after the device that made them was
// closed.
void PostLate(HWND window, MCIDEVICEID device, UINT code, DWORD delayMs);
