// The entry point: one hidden tray window and its message loop.

#include <windows.h>

#include <cstdlib>

#include "app/TrayWindow.h"

// The runtime's default terminate handler prints demangled type names to a
// console we do not have, and brings a 45 KB demangler into the exe.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    abort();
}
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int) {
    if (previous)
        return 0;
    gInstance = instance;
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
