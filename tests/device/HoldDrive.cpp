// hold_drive EVENT MS: opens the CD audio device as the player does, signals
// the named event, keeps the device for MS milliseconds, closes it. The exit
// code is the open's MCI result. The exclusivity tests run it as the other
// program.

#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3)
        return -1;
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = (LPCSTR)(DWORD_PTR)MCI_DEVTYPE_CD_AUDIO;
    MCIERROR result = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_WAIT, (DWORD_PTR)&open);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    if (ready)
        SetEvent(ready);
    Sleep((DWORD)atoi(argv[2]));
    if (result == 0)
        mciSendCommandA(open.wDeviceID, MCI_CLOSE, MCI_WAIT, 0);
    return (int)result;
}
