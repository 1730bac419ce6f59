// The yardstick for the benchmarks: the least a tray program can be, a hidden
// window with one icon and a message loop, built with Spindlet's flags.
// Exit as Spindlet's: WM_COMMAND 40008. Built with OPEN_CD_DEVICE it also
// opens the CD audio device, as any CD player must: the second yardstick.

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

static LRESULT CALLBACK MinimalWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = 1;
    switch (message) {
    case WM_CREATE:
        icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        icon.uCallbackMessage = WM_USER;
        icon.hIcon = LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION);
        lstrcpyA(icon.szTip, "Minimal");
        Shell_NotifyIconA(NIM_ADD, &icon);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == 40008)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        Shell_NotifyIconA(NIM_DELETE, &icon);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = MinimalWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "MinimalTrayClass";
    RegisterClassExA(&windowClass);
    CreateWindowExA(0, "MinimalTrayClass", nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
#ifdef OPEN_CD_DEVICE
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = (LPCSTR)(DWORD_PTR)MCI_DEVTYPE_CD_AUDIO;
    mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_WAIT, (DWORD_PTR)&open);
#endif
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
