#include "device/DriveLetters.h"

DWORD FirstCdRomLetter() {
    for (int letter = 0; letter < 26; letter++) {
        char root[] = {char('A' + letter), ':', '\\', '\0'};
        if (GetDriveTypeA(root) == DRIVE_CDROM)
            return 1u << letter;
    }
    return 0;
}

bool VolumeEventConcerns(DWORD unitMask, DWORD openedLetter, DWORD firstNow) {
    return (!openedLetter && !firstNow) || (unitMask & (openedLetter | firstNow)) != 0;
}
