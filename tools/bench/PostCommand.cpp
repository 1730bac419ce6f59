// post_command CLASS ID: posts WM_COMMAND ID to the first window of CLASS,
// as a menu choice would. The idle benchmark pauses and exits with it.

#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    HWND window = FindWindowA(argv[1], nullptr);
    return window && PostMessageA(window, WM_COMMAND, (WPARAM)atoi(argv[2]), 0) ? 0 : 1;
}
