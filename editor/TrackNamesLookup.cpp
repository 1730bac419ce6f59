#include "editor/TrackNamesLookup.h"

#include <string>
#include <vector>

#include "catalogue/DiscDatabase.h"
#include "editor/PlaylistEditor.h"
#include "lookup/AnsiName.h"
#include "lookup/Lookup.h"
#include "lookup/LookupToc.h"
#include "lookup/Matches.h"
#include "resources/resource.h"
#include "settings/Settings.h"

// The lookup under way: its serial, 0 for none. The lookup's thread reads it
// before it sends: a lookup dropped (stopped, timed out, its page gone, the
// disc changed) sends nothing, and its answer, if any, is dropped.
static volatile LONG gRunning = 0;
static LONG gLastSerial = 0;
static HWND gLookupPage = nullptr;
// A 503's Retry-After holds back the next lookup until then.
static DWORD gRetryAt = 0;
static DiscId gLoadedAtStart = 0;
static std::string gServer;
static std::string gDiscId;
static LookupToc gToc;

// Plain text: a std::string built at each of the many calls would cost the
// exe more than the calls themselves.
static void SetStatus(HWND page, const char* text) {
    SetDlgItemTextA(page, IDC_LOOKUP_STATUS, text);
}

// A 503's line, into text (80 bytes): when to try again, if the server said.
static const char* BusyText(char* text, DWORD retryInMs) {
    DWORD seconds = (retryInMs + 999) / 1000;
    if (!seconds)
        return "The server is busy. Try again in a while.";
    wsprintfA(text, "The server is busy. Try again in %lu second%s.", seconds, seconds == 1 ? "" : "s");
    return text;
}

static void EndLookup(HWND page, const char* status) {
    gRunning = 0;
    KillTimer(page, kLookupTimer);
    SetDlgItemTextA(page, IDC_LOOKUP, "&Look Up");
    SetStatus(page, status);
}

// A looked-up name as the page keeps a typed one.
static std::string Ansi(const std::string& utf8) {
    std::string name = AnsiFromUtf8(utf8);
    BlankControlCharacters(&name);
    return name;
}

static LookupToc ReadToc(CdAudioDevice& device) {
    std::vector<uint32_t> starts = device.TrackStartsMsf();
    std::vector<bool> data(starts.size());
    for (size_t i = 0; i < data.size(); i++)
        data[i] = device.IsDataTrack(int(i + 1));
    DWORD lastLength = starts.empty() ? 0 : device.GetTrackLength((int)starts.size());
    return MakeLookupToc(starts, lastLength, data);
}

void OnLookupClicked(HWND page) {
    if (gRunning) {
        EndLookup(page, "Stopped.");
        return;
    }
    if (!gDevice || !EditedDiscInDrive() || !DiscDatabase::LastLoadedId(&gLoadedAtStart)) {
        SetStatus(page, "The disc being edited is not in the drive.");
        return;
    }
    LONG retryIn = (LONG)(gRetryAt - GetTickCount());
    if (gRetryAt && retryIn > 0) {
        char text[80];
        SetStatus(page, BusyText(text, (DWORD)retryIn));
        return;
    }
    gRetryAt = 0;
    gToc = ReadToc(*gDevice);
    gDiscId = LookupDiscId(gToc);
    if (gDiscId.empty() || gToc.offsets.empty()) {
        SetStatus(page, "This disc cannot be looked up.");
        return;
    }
    if (!LookupServer(&gServer)) {
        SetStatus(page, "The LookupServer setting cannot be read.");
        return;
    }
    std::string url = gServer;
    url += "/ws/2/discid/";
    url += gDiscId;
    url += "?toc=";
    url += LookupTocText(gToc);
    url += "&cdstubs=no&inc=recordings+artist-credits&fmt=json";
    LONG serial = ++gLastSerial;
    gRunning = serial;
    if (!StartLookupThread(url, page, kLookupAnswer, serial, &gRunning)) {
        gRunning = 0;
        SetStatus(page, "The lookup could not start.");
        return;
    }
    gLookupPage = page;
    // The thread may wait a second for the one before.
    SetTimer(page, kLookupTimer, kLookupTimeoutMs + 1000, nullptr);
    SetDlgItemTextA(page, IDC_LOOKUP, "&Stop");
    SetStatus(page, "Looking up...");
}

static INT_PTR CALLBACK ChoiceDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND list = GetDlgItem(dialog, IDC_CHOICE_LIST);
    if (message == WM_INITDIALOG) {
        for (const DiscMatch& match : *(const std::vector<DiscMatch>*)lParam)
            SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)Ansi(match.label).c_str());
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    int id = LOWORD(wParam);
    if (id == IDOK || (id == IDC_CHOICE_LIST && HIWORD(wParam) == LBN_DBLCLK))
        EndDialog(dialog, SendMessageA(list, LB_GETCURSEL, 0, 0));
    else if (id == IDCANCEL)
        EndDialog(dialog, -1);
    return TRUE;
}

// A field the answer lacks or leaves empty keeps what the page showed.
static void Fill(const DiscMatch& match, DiscInfo* copy) {
    auto take = [](const std::string& utf8, std::string* field) {
        std::string name = Ansi(utf8);
        if (!name.empty())
            *field = name;
    };
    take(match.artist, &copy->artist);
    take(match.title, &copy->title);
    for (size_t i = 0; i < match.trackNames.size() && i < copy->trackNames.size(); i++)
        take(match.trackNames[i], &copy->trackNames[i]);
}

// The answer's verdict in one line, or a match taken.
static bool TakeAnswer(HWND page, const LookupAnswer& answer, DiscInfo* copy) {
    std::vector<DiscMatch> matches;
    char text[600];  // the server's address is at most 511 characters
    const char* status = text;
    if (answer.outcome == LookupAnswer::kNoConnection) {
        wsprintfA(text, "Could not connect to %s.", gServer.c_str());
    } else if (answer.outcome == LookupAnswer::kTooLarge) {
        status = "The server's answer is too large (over 1 MB).";
    } else if (answer.status == 503) {
        if (answer.retryAfterSeconds)
            gRetryAt = GetTickCount() + answer.retryAfterSeconds * 1000;
        status = BusyText(text, answer.retryAfterSeconds * 1000);
    } else if (answer.status == 404) {
        status = "No match for this disc.";
    } else if (answer.status != 200) {
        wsprintfA(text, "The server answered with status %lu.", answer.status);
    } else if (!ReadMatches(answer.body, gDiscId, gToc, &matches)) {
        status = "The server's answer could not be read.";
    } else if (matches.empty()) {
        status = "No match for this disc.";
    } else {
        status = "";
    }
    EndLookup(page, status);
    if (*status)
        return false;
    INT_PTR chosen = 0;
    if (matches.size() > 1)
        chosen = DialogBoxParamA((HINSTANCE)GetWindowLongPtrA(page, GWLP_HINSTANCE),
                                 MAKEINTRESOURCEA(IDD_LOOKUP_CHOICE), page, ChoiceDialog, (LPARAM)&matches);
    if (chosen < 0 || chosen >= (INT_PTR)matches.size() || !IsWindow(page)) {
        SetStatus(page, "No release taken.");
        return false;
    }
    Fill(matches[chosen], copy);
    SetStatus(page, Ansi(matches[chosen].label).c_str());
    return true;
}

bool OnLookupAnswer(HWND page, LPARAM lParam, DiscInfo* copy) {
    LookupAnswer* answer = (LookupAnswer*)lParam;
    DiscId loaded = 0;
    bool current = gRunning && answer->serial == gRunning && page == gLookupPage;
    if (current && (!DiscDatabase::LastLoadedId(&loaded) || loaded != gLoadedAtStart)) {
        EndLookup(page, "The disc changed.");
        current = false;
    }
    bool filled = current && TakeAnswer(page, *answer, copy);
    delete answer;
    return filled;
}

void OnLookupTimer(HWND page) {
    if (gRunning)
        EndLookup(page, "No answer from the server in 15 seconds.");
}

void OnLookupDiscChanged() {
    if (gRunning && IsWindow(gLookupPage))
        EndLookup(gLookupPage, "The disc changed.");
}

void DropLookup(HWND page) {
    gRunning = 0;
    KillTimer(page, kLookupTimer);
    MSG message;
    while (PeekMessageA(&message, page, kLookupAnswer, kLookupAnswer, PM_REMOVE))
        delete (LookupAnswer*)message.lParam;
}
