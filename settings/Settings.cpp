#include "Settings.h"

#include <string>

#include "resources/resource.h"

bool LClickMenu = true;
bool Autoplay = true;

const char kSettingsKey[] = "Software\\Quillfen Software\\Spindlet";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "Spindlet";

static void WriteFlag(HKEY key, const char* name, bool flag) {
    DWORD value = flag ? 1 : 0;
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof(value));
}

// A value that is missing or not four bytes long reads as true, the default
// a new key gets.
static bool ReadFlag(HKEY key, const char* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExA(key, name, nullptr, nullptr, (BYTE*)&value, &size) != ERROR_SUCCESS || size != sizeof(value))
        return true;
    return value != 0;
}

bool LookupServer(std::string* server) {
    char text[512] = "";
    DWORD size = sizeof(text) - 1;
    DWORD type = REG_SZ;
    LONG result = ERROR_FILE_NOT_FOUND;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        result = RegQueryValueExA(key, "LookupServer", nullptr, &type, (BYTE*)text, &size);
        RegCloseKey(key);
    }
    if (result == ERROR_FILE_NOT_FOUND)
        size = 0;
    else if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    text[size] = '\0';  // the value need not end in one
    *server = text;
    while (!server->empty() && server->back() == '/')
        server->pop_back();
    if (server->empty())
        *server = "https://musicbrainz.org";
    return true;
}

void ReadSettings() {
    HKEY key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, &disposition) != ERROR_SUCCESS) {
        LClickMenu = Autoplay = true;
        return;
    }
    if (disposition == REG_CREATED_NEW_KEY) {
        LClickMenu = Autoplay = true;
        WriteFlag(key, "LClickMenu", true);
        WriteFlag(key, "Autoplay", true);
    } else {
        LClickMenu = ReadFlag(key, "LClickMenu");
        Autoplay = ReadFlag(key, "Autoplay");
    }
    RegCloseKey(key);
}

void WriteSettings() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    WriteFlag(key, "LClickMenu", LClickMenu);
    WriteFlag(key, "Autoplay", Autoplay);
    RegCloseKey(key);
}

// The exe's full path. The buffer grows until the path fits, so a long path
// is never stored cut short.
static std::string ModulePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, &path[0], (DWORD)path.size());
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// Only the first byte matters: the value exists and is not empty. One that
// does not fit the buffer (ERROR_MORE_DATA) exists and is not empty either.
static bool StartsWithWindows() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    char value[256] = "";
    DWORD size = sizeof(value);
    LONG result = RegQueryValueExA(key, kRunValue, nullptr, nullptr, (BYTE*)value, &size);
    RegCloseKey(key);
    return result == ERROR_MORE_DATA || (result == ERROR_SUCCESS && size > 0 && value[0] != '\0');
}

static void SetStartWithWindows(bool start) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    if (start) {
        std::string path = ModulePath();
        RegSetValueExA(key, kRunValue, 0, REG_SZ, (const BYTE*)path.c_str(), (DWORD)path.size() + 1);
    } else {
        RegDeleteValueA(key, kRunValue);
    }
    RegCloseKey(key);
}

static bool IsChecked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

static void SetChecked(HWND dialog, int id, bool checked) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, checked ? 1 : 0, 0);
}

static HWND gPrefsDialog = nullptr;

HWND PrefsDialogWindow() {
    return gPrefsDialog;
}

static void OnPrefsInit(HWND dialog) {
    gPrefsDialog = dialog;
    SetChecked(dialog, IDC_PREFS_LCLICK, LClickMenu);
    SetChecked(dialog, IDC_PREFS_AUTOPLAY, Autoplay);
    SetChecked(dialog, IDC_PREFS_STARTUP, StartsWithWindows());
}

static void OnPrefsOk(HWND dialog) {
    LClickMenu = IsChecked(dialog, IDC_PREFS_LCLICK);
    Autoplay = IsChecked(dialog, IDC_PREFS_AUTOPLAY);
    // Written on every OK; the flags themselves wait for WriteSettings.
    SetStartWithWindows(IsChecked(dialog, IDC_PREFS_STARTUP));
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK PrefsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnPrefsInit(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            OnPrefsOk(dialog);
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        gPrefsDialog = nullptr;
        return TRUE;
    }
    return FALSE;
}
