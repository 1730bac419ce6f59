// The "Track Names" tab: artist, title and a list of the track names, which
// is the page's only record of the names while it shows.

#include "editor/PlaylistEditor.h"

#include <string>

#include "catalogue/DiscInfo.h"
#include "editor/TrackNamesLookup.h"
#include "resources/resource.h"

static DiscInfo* gCopy = nullptr;

// At most 254 characters are taken from an edit box; a pasted tab or line
// break becomes a blank.
static std::string EditText(HWND page, int id) {
    char text[255] = "";
    GetDlgItemTextA(page, id, text, sizeof(text));
    std::string name = text;
    BlankControlCharacters(&name);
    return name;
}

static std::string EntryText(HWND list, int index) {
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (length <= 0)
        return std::string();
    std::string text((size_t)length + 1, '\0');
    LRESULT copied = SendMessageA(list, LB_GETTEXT, (WPARAM)index, (LPARAM)&text[0]);
    text.resize(copied > 0 ? (size_t)copied : 0);
    return text;
}

static HWND TrackList(HWND page) {
    return GetDlgItem(page, IDC_TRACK_LIST);
}

static int Selection(HWND page) {
    return (int)SendMessageA(TrackList(page), LB_GETCURSEL, 0, 0);
}

static void Load(HWND page) {
    SetDlgItemTextA(page, IDC_ARTIST, gCopy->artist.c_str());
    SetDlgItemTextA(page, IDC_TITLE, gCopy->title.c_str());
    HWND list = TrackList(page);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int track = 1; track <= gCopy->numTracks; track++)
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)gCopy->TrackName(track).c_str());
}

// The name box's text replaces the selected entry, which is left unselected
// so that the box changes no entry again until one is selected anew.
static void CommitTypedName(HWND page) {
    int selected = Selection(page);
    if (selected < 0)
        return;
    std::string name = EditText(page, IDC_TRACK_NAME);
    HWND list = TrackList(page);
    SendMessageA(list, LB_DELETESTRING, (WPARAM)selected, 0);
    SendMessageA(list, LB_INSERTSTRING, (WPARAM)selected, (LPARAM)name.c_str());
}

static void Store(HWND page) {
    // OK pressed with Enter leaves the focus in the name box: what was typed
    // there counts, as it would had the focus moved.
    if (GetFocus() == GetDlgItem(page, IDC_TRACK_NAME))
        CommitTypedName(page);
    gCopy->artist = EditText(page, IDC_ARTIST);
    gCopy->title = EditText(page, IDC_TITLE);
    std::vector<std::string>().swap(gCopy->trackNames);
    HWND list = TrackList(page);
    for (int i = 0; i < gCopy->numTracks; i++)
        gCopy->trackNames.push_back(EntryText(list, i));
}

static void ShowSelectedName(HWND page) {
    int selected = Selection(page);
    if (selected >= 0)
        SetDlgItemTextA(page, IDC_TRACK_NAME, EntryText(TrackList(page), selected).c_str());
}

static void OnCommand(HWND page, int id, int notification) {
    if (id == IDC_LOOKUP)
        OnLookupClicked(page);
    else if (id == IDC_TRACK_LIST && notification == LBN_SELCHANGE)
        ShowSelectedName(page);
    else if (id == IDC_TRACK_NAME && notification == EN_KILLFOCUS)
        CommitTypedName(page);
    else if ((id == IDC_ARTIST || id == IDC_TITLE || id == IDC_TRACK_NAME) && notification == EN_SETFOCUS)
        SendDlgItemMessageA(page, id, EM_SETSEL, 0, -1);
}

INT_PTR CALLBACK TrackNamesPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        gCopy = (DiscInfo*)lParam;
        return TRUE;
    case WM_SHOWWINDOW:
        if (wParam)
            Load(page);
        else
            Store(page);
        return TRUE;
    case WM_COMMAND:
        OnCommand(page, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case kLookupAnswer:
        if (OnLookupAnswer(page, lParam, gCopy))
            Load(page);
        return TRUE;
    case WM_TIMER:
        if (wParam == kLookupTimer)
            OnLookupTimer(page);
        return TRUE;
    case WM_DESTROY:
        DropLookup(page);
        return TRUE;
    }
    return FALSE;
}
