// The "Playlist" tab: the disc's tracks on the left, the playlist on the
// right; each entry's item data is its track number, its text only shows it.

#include "editor/PlaylistEditor.h"

#include <commctrl.h>

#include <vector>

#include "catalogue/DiscInfo.h"
#include "catalogue/OrderText.h"
#include "resources/resource.h"

static DiscInfo* gCopy = nullptr;

static HWND List(HWND page, int id) {
    return GetDlgItem(page, id);
}

// Inserts at index, or appends with index -1.
static void AddEntry(HWND list, int index, int track) {
    std::string name = gCopy->TrackName(track);
    UINT insert = index < 0 ? LB_ADDSTRING : LB_INSERTSTRING;
    LRESULT at = SendMessageA(list, insert, (WPARAM)index, (LPARAM)name.c_str());
    if (at >= 0)
        SendMessageA(list, LB_SETITEMDATA, (WPARAM)at, (LPARAM)track);
}

static int EntryTrack(HWND list, int index) {
    return (int)SendMessageA(list, LB_GETITEMDATA, (WPARAM)index, 0);
}

static int Selection(HWND list) {
    return (int)SendMessageA(list, LB_GETCURSEL, 0, 0);
}

static std::vector<int> ListedPlaylist(HWND list) {
    std::vector<int> playlist;
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++)
        playlist.push_back(EntryTrack(list, i));
    return playlist;
}

static void FillWithEveryTrack(HWND list) {
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int track = 1; track <= gCopy->numTracks; track++)
        AddEntry(list, -1, track);
}

static void Load(HWND page) {
    FillWithEveryTrack(List(page, IDC_TRACK_LIST));
    HWND playlist = List(page, IDC_PLAYLIST_LIST);
    SendMessageA(playlist, LB_RESETCONTENT, 0, 0);
    for (int track : gCopy->playlist)
        AddEntry(playlist, -1, track);
}

static void Store(HWND page) {
    gCopy->playlist = ListedPlaylist(List(page, IDC_PLAYLIST_LIST));
}

// The file keeps no more entries than fit its order text, so neither does
// the list: what the user sees is what is saved.
static void AppendSelectedTrack(HWND page) {
    HWND tracks = List(page, IDC_TRACK_LIST);
    HWND playlist = List(page, IDC_PLAYLIST_LIST);
    int selected = Selection(tracks);
    if (selected < 0)
        return;
    int track = EntryTrack(tracks, selected);
    std::vector<int> longer = ListedPlaylist(playlist);
    longer.push_back(track);
    size_t fitting = 0;
    BuildOrderText(longer, &fitting);
    if (fitting < longer.size()) {
        MessageBeep(MB_OK);
        return;
    }
    AddEntry(playlist, -1, track);
}

static void RemoveSelectedEntry(HWND page) {
    HWND playlist = List(page, IDC_PLAYLIST_LIST);
    int selected = Selection(playlist);
    if (selected < 0)
        return;
    SendMessageA(playlist, LB_DELETESTRING, (WPARAM)selected, 0);
    SendMessageA(playlist, LB_SETCURSEL, (WPARAM)-1, 0);
}

// The up-down control's reversed range makes its position 0 after a click
// on the up arrow and 1 after one on the down arrow.
static void MoveSelectedEntry(HWND page, int position) {
    HWND playlist = List(page, IDC_PLAYLIST_LIST);
    int selected = Selection(playlist);
    int count = (int)SendMessageA(playlist, LB_GETCOUNT, 0, 0);
    int to;
    if (position == 1 && selected >= 0 && selected < count - 1)
        to = selected + 1;
    else if (position == 0 && selected > 0)
        to = selected - 1;
    else
        return;
    int track = EntryTrack(playlist, selected);
    SendMessageA(playlist, LB_DELETESTRING, (WPARAM)selected, 0);
    AddEntry(playlist, to, track);
    SendMessageA(playlist, LB_SETCURSEL, (WPARAM)to, 0);
}

static void OnCommand(HWND page, int id, int notification) {
    if (id == IDC_TRACK_LIST && notification == LBN_DBLCLK)
        AppendSelectedTrack(page);
    else if (id == IDC_PLAYLIST_LIST && notification == LBN_DBLCLK)
        RemoveSelectedEntry(page);
    else if (id == IDC_PLAYLIST_CLEAR)
        SendMessageA(List(page, IDC_PLAYLIST_LIST), LB_RESETCONTENT, 0, 0);
    else if (id == IDC_PLAYLIST_RESET)
        FillWithEveryTrack(List(page, IDC_PLAYLIST_LIST));
}

INT_PTR CALLBACK PlaylistPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        gCopy = (DiscInfo*)lParam;
        SendDlgItemMessageA(page, IDC_PLAYLIST_MOVE, UDM_SETRANGE, 0, 0x10000);
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
    case WM_VSCROLL:
        if (LOWORD(wParam) == SB_THUMBPOSITION)
            MoveSelectedEntry(page, HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
