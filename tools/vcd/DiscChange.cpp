// vcdchange CONTROL insert|eject [key=value ...] [letter=X] [twice=MS]
// Puts a disc into the virtual drive or takes it out, then announces it as a
// real system does: WM_DEVICECHANGE to every top-level window, with a
// DEV_BROADCAST_VOLUME for the drive's letter, D:. With letter= naming
// another, only the broadcast: a volume of another drive, as a USB stick's.
// With twice=, the change is announced again MS ms later, as when two of the
// system's features each announce it.

#include <windows.h>
#include <dbt.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ControlFile.h"

int main(int argc, char** argv) {
    if (argc < 3 || (strcmp(argv[2], "insert") != 0 && strcmp(argv[2], "eject") != 0)) {
        fprintf(stderr, "usage: vcdchange CONTROL insert|eject [key=value ...] [letter=X]\n");
        return 2;
    }
    bool insert = strcmp(argv[2], "insert") == 0;
    std::string text;
    ReadTextFile(argv[1], &text);
    text = SetControlValue(text, "present", insert ? "1" : "0");
    char letter = 'D';
    int againMs = -1;
    for (int i = 3; i < argc; i++) {
        const char* equals = strchr(argv[i], '=');
        if (strncmp(argv[i], "letter=", 7) == 0)
            letter = (char)toupper((unsigned char)argv[i][7]);
        else if (strncmp(argv[i], "twice=", 6) == 0)
            againMs = atoi(argv[i] + 6);
        else if (equals)
            text = SetControlValue(text, std::string(argv[i], size_t(equals - argv[i])), equals + 1);
    }
    if (letter < 'A' || letter > 'Z') {
        fprintf(stderr, "vcdchange: letter= takes a drive letter\n");
        return 2;
    }
    if (letter == 'D' && !ReplaceTextFile(argv[1], text)) {
        fprintf(stderr, "vcdchange: cannot write %s\n", argv[1]);
        return 1;
    }

    DEV_BROADCAST_VOLUME volume = {};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << (letter - 'A');
    volume.dbcv_flags = DBTF_MEDIA;
    // Sent, not posted: the header travels with a sent message only.
    DWORD_PTR answer;
    for (int times = againMs >= 0 ? 2 : 1; times > 0; times--) {
        SendMessageTimeoutA(HWND_BROADCAST, WM_DEVICECHANGE, insert ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                            (LPARAM)&volume, SMTO_ABORTIFHUNG, 5000, &answer);
        if (times > 1)
            Sleep(DWORD(againMs));
    }
    return 0;
}
