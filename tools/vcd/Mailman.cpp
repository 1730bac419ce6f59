#include "Mailman.h"

#include <deque>

// winmm exports it to drivers; the MinGW headers do not declare it.
extern "C" BOOL WINAPI mciDriverNotify(HWND callback, MCIDEVICEID deviceId, UINT status);

namespace {

struct Report {
    HWND window;
    MCIDEVICEID device;
    UINT code;
    ULONGLONG due;
};

CRITICAL_SECTION lock;
HANDLE wake = nullptr;
HANDLE thread = nullptr;
std::deque<Report> queue;

DWORD WINAPI MailmanMain(void*) {
    for (;;) {
        EnterCriticalSection(&lock);
        DWORD wait = INFINITE;
        while (!queue.empty()) {
            ULONGLONG now = GetTickCount64();
            if (queue.front().due > now) {
                wait = DWORD(queue.front().due - now);
                break;
            }
            Report report = queue.front();
            queue.pop_front();
            mciDriverNotify(report.window, report.device, report.code);
        }
        LeaveCriticalSection(&lock);
        WaitForSingleObject(wake, wait);
    }
}

}  // namespace

void PostLate(HWND window, MCIDEVICEID device, UINT code, DWORD delayMs) {
    static bool started = false;
    if (!started) {
        // Devices are opened on one thread at a time. The mailman outlives
        // every device, so the DLL must stay loaded.
        started = true;
        InitializeCriticalSection(&lock);
        wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        HMODULE self = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           (LPCSTR)&MailmanMain, &self);
        thread = CreateThread(nullptr, 0, MailmanMain, nullptr, 0, nullptr);
    }
    EnterCriticalSection(&lock);
    ULONGLONG due = GetTickCount64() + delayMs;
    if (!queue.empty() && due < queue.back().due)
        due = queue.back().due;
    queue.push_back(Report{window, device, code, due});
    LeaveCriticalSection(&lock);
    SetEvent(wake);
}
