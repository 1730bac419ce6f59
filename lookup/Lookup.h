#pragma once

#include <windows.h>

#include <string>

// What one lookup brought back. Posted to the window that asked, the
// pointer in lParam; the window deletes it.
struct LookupAnswer {
    enum Outcome { kAnswered, kNoConnection, kTooLarge };
    unsigned serial = 0;  // the lookup it answers
    Outcome outcome = kNoConnection;
    DWORD status = 0;  // the HTTP status, when answered
    std::string body;
};

// The most a lookup reads, and how long it waits for a connection or data.
const size_t kMaxLookupAnswer = 1024 * 1024;
const DWORD kLookupTimeoutMs = 15000;

// One GET of url on a thread of its own, after waitMs; the answer comes back
// as message to window, or is deleted by the thread if the window is gone.
// The thread shares nothing with the program: wininet.dll is loaded by it,
// on the first lookup, and no earlier. False if no thread could start.
bool StartLookupThread(const std::string& url, HWND window, UINT message, unsigned serial, DWORD waitMs);
