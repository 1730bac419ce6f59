#pragma once

#include <windows.h>

#include <string>

// What one lookup brought back. Posted to the window that asked, the
// pointer in lParam; the window deletes it.
struct LookupAnswer {
    enum Outcome { kAnswered, kNoConnection, kTooLarge };
    LONG serial = 0;  // the lookup it answers
    Outcome outcome = kNoConnection;
    DWORD status = 0;             // the HTTP status, when answered
    DWORD retryAfterSeconds = 0;  // a 503's Retry-After, when given in seconds
    std::string body;
};

// The most a lookup reads, and how long it waits for a connection or data.
const size_t kMaxLookupAnswer = 1024 * 1024;
const DWORD kLookupTimeoutMs = 15000;
// The longest a Retry-After is taken to hold back the next lookup.
const DWORD kMaxRetryAfterSeconds = 3600;

// One GET of url on a thread of its own, sent at least a second after the
// one before and only while *wanted still holds serial: a lookup dropped
// before then sends nothing. The answer comes back as message to window, or
// is deleted by the thread if the window is gone or the lookup was dropped.
// The thread reads nothing of the program's but *wanted: wininet.dll is
// loaded by it, on the first lookup, and no earlier. False if no thread
// could start.
bool StartLookupThread(const std::string& url, HWND window, UINT message, LONG serial, const volatile LONG* wanted);
