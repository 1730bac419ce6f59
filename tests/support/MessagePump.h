#pragma once

#include <windows.h>

#include <functional>
#include <vector>

// A hidden top-level window that receives the drive's MM_MCINOTIFY, keeps
// every code and hands each one to an optional handler; its WM_TIMER go to
// onTimer, if set.
class NotifyWindow {
public:
    explicit NotifyWindow(std::function<void(WPARAM)> handler = nullptr);
    ~NotifyWindow();

    HWND Handle() const { return window; }
    std::vector<WPARAM> codes;
    std::function<void(WPARAM)> onTimer;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window;
    std::function<void(WPARAM)> handler;
};

// Dispatches messages until done() holds or the time is up; says which.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Dispatches messages for a while: for "nothing more arrives" checks.
void PumpFor(DWORD ms);
