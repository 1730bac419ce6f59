#include "lookup/Lookup.h"

#include <wininet.h>

#include "resources/resource.h"

namespace {

typedef HINTERNET(WINAPI* OpenProc)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
typedef HINTERNET(WINAPI* OpenUrlProc)(HINTERNET, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR);
typedef BOOL(WINAPI* ReadProc)(HINTERNET, LPVOID, DWORD, LPDWORD);
typedef BOOL(WINAPI* QueryProc)(HINTERNET, DWORD, LPVOID, LPDWORD, LPDWORD);
typedef BOOL(WINAPI* CloseProc)(HINTERNET);
typedef BOOL(WINAPI* SetOptionProc)(HINTERNET, DWORD, LPVOID, DWORD);

struct LookupJob {
    std::string url;
    HWND window;
    UINT message;
    const volatile LONG* wanted;
    LookupAnswer* answer;
};

// The service takes at most one request a second from a client. Requests
// are spaced by the time each was sent, which only the threads know.
const DWORD kSpacingMs = 1000;
CRITICAL_SECTION gSending;
DWORD gLastSent = 0;
bool gAnySent = false;

// Waits for the spacing, then true if the request is still wanted; it then
// counts as sent. A request dropped meanwhile is never sent.
bool MaySend(const LookupJob& job) {
    EnterCriticalSection(&gSending);
    for (;;) {
        if (*job.wanted != (LONG)job.answer->serial)
            break;
        LONG left = gAnySent ? (LONG)(gLastSent + kSpacingMs - GetTickCount()) : 0;
        if (left <= 0) {
            gLastSent = GetTickCount();
            gAnySent = true;
            LeaveCriticalSection(&gSending);
            return true;
        }
        Sleep(left < 50 ? (DWORD)left : 50);
    }
    LeaveCriticalSection(&gSending);
    return false;
}

// A system without wininet.dll cannot connect, like one without a network.
// False when the request was dropped before it was sent.
bool Fetch(const LookupJob& job) {
    LookupAnswer* answer = job.answer;
    HMODULE wininet = LoadLibraryA("wininet.dll");
    OpenProc open = nullptr;
    OpenUrlProc openUrl = nullptr;
    ReadProc read = nullptr;
    QueryProc query = nullptr;
    CloseProc close = nullptr;
    SetOptionProc setOption = nullptr;
    if (wininet) {
        open = (OpenProc)(void (*)())GetProcAddress(wininet, "InternetOpenA");
        openUrl = (OpenUrlProc)(void (*)())GetProcAddress(wininet, "InternetOpenUrlA");
        read = (ReadProc)(void (*)())GetProcAddress(wininet, "InternetReadFile");
        query = (QueryProc)(void (*)())GetProcAddress(wininet, "HttpQueryInfoA");
        close = (CloseProc)(void (*)())GetProcAddress(wininet, "InternetCloseHandle");
        setOption = (SetOptionProc)(void (*)())GetProcAddress(wininet, "InternetSetOptionA");
    }
    HINTERNET session = nullptr;
    if (open && openUrl && read && query && close && setOption)
        session = open("Spindlet/" SPINDLET_VERSION, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session) {
        DWORD timeout = kLookupTimeoutMs;
        for (DWORD option :
             {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            setOption(session, option, &timeout, sizeof(timeout));
    }
    // Ready to send: only now does the spacing start to count.
    bool wanted = MaySend(job);
    if (!session)
        return wanted;
    const DWORD flags =
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
    HINTERNET request =
        wanted ? openUrl(session, job.url.c_str(), "Accept: application/json\r\n", (DWORD)-1, flags, 0) : nullptr;
    if (request) {
        answer->outcome = LookupAnswer::kAnswered;
        DWORD size = sizeof(answer->status);
        query(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &answer->status, &size, nullptr);
        // A Retry-After in seconds; one in the form of a date reads as none.
        DWORD seconds = 0;
        size = sizeof(seconds);
        if (answer->status == 503 &&
            query(request, HTTP_QUERY_RETRY_AFTER | HTTP_QUERY_FLAG_NUMBER, &seconds, &size, nullptr))
            answer->retryAfterSeconds = seconds < kMaxRetryAfterSeconds ? seconds : kMaxRetryAfterSeconds;
        char buffer[4096];
        DWORD got = 0;
        while (read(request, buffer, sizeof(buffer), &got) && got > 0) {
            if (answer->body.size() + got > kMaxLookupAnswer) {
                answer->outcome = LookupAnswer::kTooLarge;
                break;
            }
            answer->body.append(buffer, got);
        }
        close(request);
    }
    close(session);
    return wanted;
}

DWORD WINAPI LookupMain(void* parameter) {
    LookupJob* job = (LookupJob*)parameter;
    if (!Fetch(*job) || !PostMessageA(job->window, job->message, 0, (LPARAM)job->answer))
        delete job->answer;
    delete job;
    return 0;
}

}  // namespace

bool StartLookupThread(const std::string& url, HWND window, UINT message, LONG serial, const volatile LONG* wanted) {
    static bool initialised = false;  // only the window's thread starts lookups
    if (!initialised)
        InitializeCriticalSection(&gSending);
    initialised = true;
    LookupAnswer* answer = new LookupAnswer;
    answer->serial = serial;
    LookupJob* job = new LookupJob{url, window, message, wanted, answer};
    DWORD threadId = 0;  // Windows 95 to ME fail the call without one
    HANDLE thread = CreateThread(nullptr, 0, LookupMain, job, 0, &threadId);
    if (!thread) {
        delete answer;
        delete job;
        return false;
    }
    CloseHandle(thread);
    return true;
}
