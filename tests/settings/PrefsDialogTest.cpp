// The Preferences dialog run for real: modal, driven from a timer inside its
// own message loop, with the registry of the test prefix behind it.

#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "resources/resource.h"

namespace {

std::function<void(HWND)> gScript;

void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND dialog = FindWindowA("#32770", "Prefs");
    ASSERT_NE(dialog, nullptr);
    gScript(dialog);
}

// Runs dialog 104 as the program does; script acts on it once it is up.
INT_PTR RunPrefs(std::function<void(HWND)> script) {
    gScript = std::move(script);
    SetTimer(nullptr, 0, 1, RunScript);
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PREFS), nullptr, PrefsDialogProc, 0);
}

bool Checked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Click(HWND dialog, int id) {
    SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
}

// The Run key, created if this prefix lacks it.
HKEY RunKey() {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

void SetRunValue(const std::string& data) {
    HKEY key = RunKey();
    RegSetValueExA(key, kRunValue, 0, REG_SZ, (const BYTE*)data.c_str(), (DWORD)data.size() + 1);
    RegCloseKey(key);
}

// The Run value's data with its size, or "missing".
std::string RunValue(DWORD* size = nullptr) {
    HKEY key = RunKey();
    char data[4096] = {};
    DWORD length = sizeof(data), type = 0;
    LONG result = RegQueryValueExA(key, kRunValue, nullptr, &type, (BYTE*)data, &length);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return "missing";
    if (size)
        *size = length;
    EXPECT_EQ(type, (DWORD)REG_SZ);
    return std::string(data);
}

void DeleteRunValue() {
    HKEY key = RunKey();
    RegDeleteValueA(key, kRunValue);
    RegCloseKey(key);
}

std::string OwnPath() {
    char path[4096];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    return path;
}

class PrefsDialogTest : public testing::Test {
protected:
    void SetUp() override {
        LClickMenu = true;
        Autoplay = false;
        DeleteRunValue();
    }
    void TearDown() override { DeleteRunValue(); }
};

TEST_F(PrefsDialogTest, ShowsTheFlagsAndOkTakesTheClickedBoxes) {
    bool shown[3] = {};
    RunPrefs([&](HWND dialog) {
        shown[0] = Checked(dialog, IDC_PREFS_LCLICK);
        shown[1] = Checked(dialog, IDC_PREFS_STARTUP);
        shown[2] = Checked(dialog, IDC_PREFS_AUTOPLAY);
        Click(dialog, IDC_PREFS_LCLICK);
        Click(dialog, IDC_PREFS_AUTOPLAY);
        Click(dialog, IDC_PREFS_STARTUP);
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(shown[0]);
    EXPECT_FALSE(shown[1]);
    EXPECT_FALSE(shown[2]);
    EXPECT_FALSE(LClickMenu);
    EXPECT_TRUE(Autoplay);
    // The exe's full path with its terminating zero.
    DWORD size = 0;
    EXPECT_EQ(RunValue(&size), OwnPath());
    EXPECT_EQ(size, OwnPath().size() + 1);
}

TEST_F(PrefsDialogTest, OkWithTheStartupBoxClearRemovesTheRunValue) {
    SetRunValue(OwnPath());
    bool startupShown = false;
    RunPrefs([&](HWND dialog) {
        startupShown = Checked(dialog, IDC_PREFS_STARTUP);
        Click(dialog, IDC_PREFS_STARTUP);
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(startupShown);
    EXPECT_EQ(RunValue(), "missing");
    // And again with no value to remove: nothing happens, nothing breaks.
    RunPrefs([&](HWND dialog) { Click(dialog, IDOK); });
    EXPECT_EQ(RunValue(), "missing");
}

TEST_F(PrefsDialogTest, AnotherFilesPathShowsCheckedAndOkRewritesIt) {
    SetRunValue("C:\\Other\\player.exe");
    bool startupShown = false;
    RunPrefs([&](HWND dialog) {
        startupShown = Checked(dialog, IDC_PREFS_STARTUP);
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(startupShown);
    EXPECT_EQ(RunValue(), OwnPath());
}

TEST_F(PrefsDialogTest, ARunValueTooLongForTheBufferShowsChecked) {
    SetRunValue(std::string(300, 'x'));
    bool startupShown = false;
    RunPrefs([&](HWND dialog) {
        startupShown = Checked(dialog, IDC_PREFS_STARTUP);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(startupShown);
    SetRunValue("");
    RunPrefs([&](HWND dialog) {
        startupShown = Checked(dialog, IDC_PREFS_STARTUP);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(startupShown);
}

// The Run value may hold anything another program put there: the box shows
// checked exactly when it holds something, and never reads past its buffer.
TEST_F(PrefsDialogTest, RunValuesOfEveryTypeAndSizeShowAPlainBox) {
    struct Odd {
        DWORD type;
        std::string bytes;
        bool checked;
    };
    const Odd odd[] = {
        {REG_SZ, std::string(300, 'p'), true},  // no terminating zero, longer than the buffer
        {REG_SZ, "C:\\x.exe", true},            // no terminating zero
        {REG_SZ, std::string(1, '\0'), false},
        {REG_SZ, "", false},
        {REG_EXPAND_SZ, "%ProgramFiles%\\s.exe", true},
        {REG_BINARY, std::string(300, '\1'), true},
        {REG_MULTI_SZ, std::string("a\0b\0\0", 5), true},
        {REG_DWORD, std::string(4, '\0'), false},
        {REG_NONE, "", false},
    };
    for (const Odd& value : odd) {
        SCOPED_TRACE(value.type);
        HKEY key = RunKey();
        RegSetValueExA(key, kRunValue, 0, value.type, (const BYTE*)value.bytes.data(), (DWORD)value.bytes.size());
        RegCloseKey(key);
        LRESULT state = -1;
        RunPrefs([&](HWND dialog) {
            state = SendDlgItemMessageA(dialog, IDC_PREFS_STARTUP, BM_GETCHECK, 0, 0);
            Click(dialog, IDCANCEL);
        });
        EXPECT_EQ(state, value.checked ? BST_CHECKED : BST_UNCHECKED);
    }
}

TEST_F(PrefsDialogTest, CancelEscapeAndTheCloseBoxChangeNothing) {
    SetRunValue("C:\\Other\\player.exe");
    auto toggleAll = [](HWND dialog) {
        Click(dialog, IDC_PREFS_LCLICK);
        Click(dialog, IDC_PREFS_STARTUP);
        Click(dialog, IDC_PREFS_AUTOPLAY);
    };
    RunPrefs([&](HWND dialog) {
        toggleAll(dialog);
        Click(dialog, IDCANCEL);
    });
    RunPrefs([&](HWND dialog) {
        toggleAll(dialog);
        // Escape as the keyboard gives it: the dialog's own loop turns it into IDCANCEL.
        PostMessageA(GetDlgItem(dialog, IDC_PREFS_LCLICK), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    RunPrefs([&](HWND dialog) {
        toggleAll(dialog);
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_TRUE(LClickMenu);
    EXPECT_FALSE(Autoplay);
    EXPECT_EQ(RunValue(), "C:\\Other\\player.exe");
}

// Dialog 104 as the resource holds it, not as the live controls report it.
struct TemplateItem {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    std::string className;  // "#128" when the template names the class by atom
    std::string text;
};

std::string ReadWideString(const WORD*& p) {
    std::string text;
    while (*p)
        text += char(*p++);
    p++;
    return text;
}

TEST(PrefsTemplate, CaptionStyleFontAndControlsAreAsDesigned) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_PREFS), MAKEINTRESOURCEA(5));  // RT_DIALOG
    ASSERT_NE(resource, nullptr);
    const DLGTEMPLATE* dialog = (const DLGTEMPLATE*)LockResource(LoadResource(nullptr, resource));
    EXPECT_EQ(dialog->style, (DWORD)(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(dialog->cx, 128);
    EXPECT_EQ(dialog->cy, 109);
    ASSERT_EQ(dialog->cdit, 5);
    const WORD* p = (const WORD*)(dialog + 1);
    EXPECT_EQ(*p++, 0);  // no menu
    EXPECT_EQ(*p++, 0);  // the standard dialog class
    EXPECT_EQ(ReadWideString(p), "Prefs");
    EXPECT_EQ(*p++, 8);
    EXPECT_EQ(ReadWideString(p), "MS Sans Serif");

    std::vector<TemplateItem> items;
    for (int i = 0; i < dialog->cdit; i++) {
        p = (const WORD*)(((ULONG_PTR)p + 3) & ~(ULONG_PTR)3);
        const DLGITEMTEMPLATE* item = (const DLGITEMTEMPLATE*)p;
        TemplateItem read = {item->style, item->x, item->y, item->cx, item->cy, item->id, "", ""};
        p = (const WORD*)(item + 1);
        if (*p == 0xFFFF) {
            read.className = "#" + std::to_string(p[1]);
            p += 2;
        } else {
            read.className = ReadWideString(p);
        }
        read.text = ReadWideString(p);
        p += 1 + *p / sizeof(WORD);  // creation data
        items.push_back(read);
    }
    const DWORD base = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    const DWORD box = base | BS_AUTOCHECKBOX | BS_MULTILINE;
    struct Expected {
        WORD id;
        DWORD style;
        short x, y, cx, cy;
        const char* text;
    } expected[] = {
        {IDOK, base | BS_DEFPUSHBUTTON, 7, 88, 50, 14, "OK"},
        {IDCANCEL, base | BS_PUSHBUTTON, 71, 88, 50, 14, "Cancel"},
        {1000, box, 7, 7, 114, 20, "Left click brings up track menu (uncheck for right click)"},
        {1001, box, 7, 32, 114, 20, "Automatically start Spindlet when Windows is started"},
        {1003, box, 7, 57, 114, 20, "Automatically start playing when an audio CD is inserted"},
    };
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(items[i].id, expected[i].id);
        // A button either way: the atom, or the class name.
        EXPECT_TRUE(items[i].className == "#128" || _stricmp(items[i].className.c_str(), "Button") == 0)
            << items[i].className;
        EXPECT_EQ(items[i].style, expected[i].style) << items[i].id;
        EXPECT_EQ(items[i].x, expected[i].x);
        EXPECT_EQ(items[i].y, expected[i].y);
        EXPECT_EQ(items[i].cx, expected[i].cx);
        EXPECT_EQ(items[i].cy, expected[i].cy);
        EXPECT_EQ(items[i].text, expected[i].text);
    }
}

}  // namespace
