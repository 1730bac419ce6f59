#include "MessagePump.h"

static const char kClassName[] = "SpindletTestNotifyWindow";

NotifyWindow::NotifyWindow(std::function<void(WPARAM)> handler) : handler(std::move(handler)) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)this);
}

NotifyWindow::~NotifyWindow() {
    DestroyWindow(window);
}

LRESULT CALLBACK NotifyWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    NotifyWindow* self = (NotifyWindow*)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (message == MM_MCINOTIFY && self) {
        self->codes.push_back(wParam);
        if (self->handler)
            self->handler(wParam);
        return 0;
    }
    if (message == WM_TIMER && self && self->onTimer) {
        self->onTimer(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(deadline - now < 10 ? deadline - now : 10), QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return true;
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}
