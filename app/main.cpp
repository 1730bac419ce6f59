// Until the tray shell lands: opens the drive, loads the disc and plays it
// with the stored settings while a message box stands in for the tray menus.

#include <windows.h>

#include <cstdlib>

#include "catalogue/DiscDatabase.h"
#include "player/PlayerController.h"
#include "settings/Settings.h"

// The runtime's default terminate handler prints demangled type names to a
// console we do not have, and brings a 45 KB demangler into the exe.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    abort();
}
}  // namespace __gnu_cxx

static LRESULT CALLBACK StubWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == MM_MCINOTIFY) {
        PlayerController::OnTrackEnd(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = StubWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "SpindletClass";
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "SpindletClass", "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);

    ReadSettings();
    try {
        gDevice = new CdAudioDevice();
    } catch (...) {
        MessageBoxA(nullptr,
                    "Spindlet cannot open the CD Audio device, probably because another program is using it.  "
                    "Close the other program to use Spindlet.",
                    "Spindlet Error", MB_ICONWARNING);
        WriteSettings();
        DestroyWindow(window);
        return 0;
    }
    DiscDatabase::load(*gDevice, gDiscInfo);
    PlayerController::Start(window, Autoplay);
    std::string text = gDiscInfo.numTracks > 0 ? gDiscInfo.artist + " - " + gDiscInfo.title : "No audio cd in drive.";
    MessageBoxA(window, text.c_str(), "Spindlet", MB_OK);
    PlayerController::ShutDown();
    WriteSettings();
    DestroyWindow(window);
    return 0;
}
