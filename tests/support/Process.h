#pragma once

#include <windows.h>

#include <string>

// Runs a program of the build in another process. Without process: waits
// and gives its exit code, or -1. With it: hands over the process handle and
// gives 0, or -1 when it could not start.
DWORD RunProcess(const std::string& commandLine, HANDLE* process = nullptr);

// The command line that starts the spindlet.exe under test: SPINDLET_EXE
// when set (the 32-bit product for the i686 tests), else this build's.
std::string ProgramUnderTest();
std::string ProgramUnderTestPath();  // the same, unquoted

// Dispatches our messages while the process runs (a program that broadcasts
// waits for every window to answer); its exit code, or -1 on time-out.
DWORD PumpUntilExit(HANDLE process, DWORD timeoutMs = 20000);

// Wine's own: the Unix path of a Windows path, for the Unix programs a test
// starts; empty when not under Wine.
std::string UnixPath(const std::string& windowsPath);
// Starts a Unix program (an absolute path, then its arguments). Wine gives
// no handle to wait on: the caller watches for what it does.
void StartUnixProgram(const std::string& commandLine);
