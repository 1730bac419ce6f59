#pragma once

// Resource identifiers, shared by the .rc file and the code.
#define IDI_SPINDLET 103
#define IDD_PREFS 104

#define IDC_PREFS_LCLICK 1000
#define IDC_PREFS_STARTUP 1001
#define IDC_PREFS_AUTOPLAY 1003
