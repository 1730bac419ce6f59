#pragma once

#include <windows.h>

// Drive letters as unit masks, as volume events give them: bit 0 is A:.

// The drive the default "cdaudio" device plays: the first CD-ROM letter;
// 0 for none.
DWORD FirstCdRomLetter();

// Whether an event for unitMask concerns the drive that was the first
// CD-ROM drive at the open (an unplugged USB drive takes its letter along)
// or is it now. Without a CD-ROM letter either time, every event does.
bool VolumeEventConcerns(DWORD unitMask, DWORD openedLetter, DWORD firstNow);
