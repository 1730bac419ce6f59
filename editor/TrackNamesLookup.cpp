#include "editor/TrackNamesLookup.h"

#include <string>
#include <vector>

#include "catalogue/DiscDatabase.h"
#include "editor/PlaylistEditor.h"
#include "lookup/Lookup.h"
#include "lookup/LookupToc.h"
#include "lookup/Matches.h"
#include "resources/resource.h"
#include "settings/Settings.h"

// The lookup under way: its serial, 0 for none. An answer of another serial
// was dropped (stopped, timed out, or its page gone).
static unsigned gRunning = 0;
static unsigned gLastSerial = 0;
static DWORD gLastStartTick = 0;
static DiscId gLoadedAtStart = 0;
static std::string gServer;
static std::string gDiscId;
static int gTrackCount = 0;

static void SetStatus(HWND page, const std::string& text) {
    SetDlgItemTextA(page, IDC_LOOKUP_STATUS, text.c_str());
}

static void EndLookup(HWND page, const std::string& status) {
    gRunning = 0;
    KillTimer(page, kLookupTimer);
    SetDlgItemTextA(page, IDC_LOOKUP, "&Look Up");
    SetStatus(page, status);
}

// UTF-8 in the system's code page: a character it lacks becomes its default
// character. At most 254 bytes, as the edit boxes take, never half a character.
static std::string Ansi(const std::string& utf8) {
    // 254 characters take at most 1,016 bytes; the cut falls between characters.
    size_t length = utf8.size() < 1016 ? utf8.size() : 1016;
    while (length < utf8.size() && length > 0 && (utf8[length] & 0xC0) == 0x80)
        length--;
    WCHAR wide[1016];
    int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)length, wide, 1016);
    if (count > 254)
        count = 254;
    char ansi[1024];
    int written = 0;
    while (count > 0 && (written = WideCharToMultiByte(CP_ACP, 0, wide, count, ansi, 254, nullptr, nullptr)) == 0)
        count--;
    return std::string(ansi, written > 0 ? written : 0);
}

static LookupToc ReadToc(CdAudioDevice& device) {
    std::vector<uint32_t> starts = device.TrackStartsMsf();
    std::vector<bool> data;
    for (int track = 1; track <= (int)starts.size(); track++)
        data.push_back(device.IsDataTrack(track));
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
    LookupToc toc = ReadToc(*gDevice);
    gDiscId = LookupDiscId(toc);
    gTrackCount = (int)toc.offsets.size();
    if (gDiscId.empty() || toc.offsets.empty()) {
        SetStatus(page, "This disc cannot be looked up.");
        return;
    }
    if (!LookupServer(&gServer)) {
        SetStatus(page, "The LookupServer setting cannot be read.");
        return;
    }
    std::string url = gServer + "/ws/2/discid/" + gDiscId + "?toc=" + LookupTocText(toc) +
                      "&cdstubs=no&inc=recordings+artist-credits&fmt=json";
    // The service takes at most one request a second.
    DWORD since = GetTickCount() - gLastStartTick;
    DWORD wait = gLastSerial && since < 1000 ? 1000 - since : 0;
    if (!StartLookupThread(url, page, kLookupAnswer, ++gLastSerial, wait)) {
        SetStatus(page, "The lookup could not start.");
        return;
    }
    gRunning = gLastSerial;
    gLastStartTick = GetTickCount() + wait;
    SetTimer(page, kLookupTimer, kLookupTimeoutMs + wait, nullptr);
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

static void Fill(const DiscMatch& match, DiscInfo* copy) {
    copy->artist = Ansi(match.artist);
    copy->title = Ansi(match.title);
    for (size_t i = 0; i < match.trackNames.size() && i < copy->trackNames.size(); i++)
        copy->trackNames[i] = Ansi(match.trackNames[i]);
}

// The answer's verdict in one line, or a match taken.
static bool Take(HWND page, const LookupAnswer& answer, DiscInfo* copy) {
    std::vector<DiscMatch> matches;
    if (answer.outcome == LookupAnswer::kNoConnection)
        EndLookup(page, "Could not connect to " + gServer + ".");
    else if (answer.outcome == LookupAnswer::kTooLarge)
        EndLookup(page, "The server's answer is too large (over 1 MB).");
    else if (answer.status == 503)
        EndLookup(page, "The server is busy. Try again in a while.");
    else if (answer.status == 404)
        EndLookup(page, "No match for this disc.");
    else if (answer.status != 200)
        EndLookup(page, "The server answered with status " + std::to_string(answer.status) + ".");
    else if (!ReadMatches(answer.body, gDiscId, gTrackCount, &matches))
        EndLookup(page, "The server's answer could not be read.");
    else if (matches.empty())
        EndLookup(page, "No match for this disc.");
    else {
        EndLookup(page, "");
        INT_PTR chosen = 0;
        if (matches.size() > 1)
            chosen = DialogBoxParamA((HINSTANCE)GetWindowLongPtrA(page, GWLP_HINSTANCE),
                                     MAKEINTRESOURCEA(IDD_LOOKUP_CHOICE), page, ChoiceDialog, (LPARAM)&matches);
        if (chosen < 0 || chosen >= (INT_PTR)matches.size() || !IsWindow(page)) {
            SetStatus(page, "No release taken.");
            return false;
        }
        Fill(matches[chosen], copy);
        SetStatus(page, Ansi(matches[chosen].label));
        return true;
    }
    return false;
}

bool OnLookupAnswer(HWND page, LPARAM lParam, DiscInfo* copy) {
    LookupAnswer* answer = (LookupAnswer*)lParam;
    DiscId loaded = 0;
    bool current = gRunning && answer->serial == gRunning;
    if (current && (!DiscDatabase::LastLoadedId(&loaded) || loaded != gLoadedAtStart)) {
        EndLookup(page, "The disc changed.");
        current = false;
    }
    bool filled = current && Take(page, *answer, copy);
    delete answer;
    return filled;
}

void OnLookupTimer(HWND page) {
    if (gRunning)
        EndLookup(page, "No answer from the server in 15 seconds.");
}

void DropLookup(HWND page) {
    gRunning = 0;
    KillTimer(page, kLookupTimer);
    MSG message;
    while (PeekMessageA(&message, page, kLookupAnswer, kLookupAnswer, PM_REMOVE))
        delete (LookupAnswer*)message.lParam;
}
