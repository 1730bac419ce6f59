// The entry point: one hidden tray window and its message loop.

#include <windows.h>

#include "app/TrayWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int) {
    if (previous)
        return 0;
    if (!RegisterTrayWindowClass(instance))
        return 0;
    gTrayWindow = CreateTrayWindow(instance);
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}
