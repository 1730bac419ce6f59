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
    DWORD waitMs;
    LookupAnswer* answer;
};

// A system without wininet.dll cannot connect, like one without a network.
void Fetch(const std::string& url, LookupAnswer* answer) {
    HMODULE wininet = LoadLibraryA("wininet.dll");
    if (!wininet)
        return;
    OpenProc open = (OpenProc)(void (*)())GetProcAddress(wininet, "InternetOpenA");
    OpenUrlProc openUrl = (OpenUrlProc)(void (*)())GetProcAddress(wininet, "InternetOpenUrlA");
    ReadProc read = (ReadProc)(void (*)())GetProcAddress(wininet, "InternetReadFile");
    QueryProc query = (QueryProc)(void (*)())GetProcAddress(wininet, "HttpQueryInfoA");
    CloseProc close = (CloseProc)(void (*)())GetProcAddress(wininet, "InternetCloseHandle");
    SetOptionProc setOption = (SetOptionProc)(void (*)())GetProcAddress(wininet, "InternetSetOptionA");
    if (!open || !openUrl || !read || !query || !close || !setOption)
        return;
    HINTERNET session = open("Spindlet/" SPINDLET_VERSION, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session)
        return;
    DWORD timeout = kLookupTimeoutMs;
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        setOption(session, option, &timeout, sizeof(timeout));
    const DWORD flags =
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
    HINTERNET request = openUrl(session, url.c_str(), "Accept: application/json\r\n", (DWORD)-1, flags, 0);
    if (request) {
        answer->outcome = LookupAnswer::kAnswered;
        DWORD size = sizeof(answer->status);
        query(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &answer->status, &size, nullptr);
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
}

DWORD WINAPI LookupMain(void* parameter) {
    LookupJob* job = (LookupJob*)parameter;
    Sleep(job->waitMs);
    Fetch(job->url, job->answer);
    if (!PostMessageA(job->window, job->message, 0, (LPARAM)job->answer))
        delete job->answer;
    delete job;
    return 0;
}

}  // namespace

bool StartLookupThread(const std::string& url, HWND window, UINT message, unsigned serial, DWORD waitMs) {
    LookupAnswer* answer = new LookupAnswer;
    answer->serial = serial;
    LookupJob* job = new LookupJob{url, window, message, waitMs, answer};
    HANDLE thread = CreateThread(nullptr, 0, LookupMain, job, 0, nullptr);
    if (!thread) {
        delete answer;
        delete job;
        return false;
    }
    CloseHandle(thread);
    return true;
}
