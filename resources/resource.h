#pragma once

// Resource identifiers, shared by the .rc file and the code.
// The version, once: the About box, the version resource and the manifest.
#define SPINDLET_VERSION_MAJOR 1
#define SPINDLET_VERSION_MINOR 0
#define SPINDLET_TEXT(x) #x
#define SPINDLET_VERSION_TEXT(major, minor) SPINDLET_TEXT(major) "." SPINDLET_TEXT(minor)
#define SPINDLET_VERSION SPINDLET_VERSION_TEXT(SPINDLET_VERSION_MAJOR, SPINDLET_VERSION_MINOR)
#define IDR_TRAYMENU 102
#define IDI_SPINDLET 103
#define IDD_PREFS 104
#define IDD_PLAYLIST 105
#define IDD_PLAYLIST_PAGE 106
#define IDD_TRACKNAMES_PAGE 107
#define IDD_LOOKUP_CHOICE 108

#define IDC_PREFS_LCLICK 1000
#define IDC_PREFS_STARTUP 1001
#define IDC_PREFS_AUTOPLAY 1003

// The command menu, pop-up 1 of menu 102.
#define IDM_PLAY 40002
#define IDM_PAUSE 40003
#define IDM_STOP 40004
#define IDM_NEXT 40005
#define IDM_PREVIOUS 40006
#define IDM_EDIT_PLAYLIST 40007
#define IDM_EXIT 40008
#define IDM_PREFERENCES 40009
#define IDM_ABOUT 40010
// Entry k of the track menu, pop-up 0, is IDM_FIRST_ENTRY + k.
#define IDM_FIRST_ENTRY 50001

// The Playlist dialog and its two pages.
#define IDC_PLAYLIST_TABS 1002
#define IDC_PLAYLIST_PLACEHOLDER 1006
#define IDC_PLAYLIST_LIST 1004
#define IDC_TRACK_LIST 1005
#define IDC_PLAYLIST_CLEAR 1007
#define IDC_PLAYLIST_RESET 1008
#define IDC_PLAYLIST_MOVE 1009
#define IDC_ARTIST 1010
#define IDC_TITLE 1011
#define IDC_TRACK_NAME 1012
#define IDC_LOOKUP 1013
#define IDC_LOOKUP_STATUS 1014
#define IDC_CHOICE_LIST 1015
