// What only a display shows: the real icon in Wine's own notification area
// (its stand-alone tray window under a bare X server), found, hovered and
// clicked as a person would. Runs only under tests/app/on_display.sh.

#include "resources/resource.h"
#include "tests/app/ExeFixture.h"

namespace {

// Wine draws each icon of its stand-alone tray as a window of this class.
const char kIconClass[] = "__winex11_tray_icon";

int CountIcons() {
    int count = 0;
    for (HWND tray = nullptr; (tray = FindWindowExA(nullptr, tray, "__winex11_standalone_tray", nullptr));)
        for (HWND icon = nullptr; (icon = FindWindowExA(tray, icon, kIconClass, nullptr));)
            count++;
    return count;
}

POINT IconCentre() {
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    RECT box = {};
    GetWindowRect(FindWindowExA(tray, nullptr, kIconClass, nullptr), &box);
    return POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

// The text of the tip the shell shows (tooltips answer WM_GETTEXT with it).
std::string ShownTip() {
    for (HWND tip = nullptr; (tip = FindWindowExA(nullptr, tip, "tooltips_class32", nullptr));) {
        char text[256] = "";
        DWORD_PTR result = 0;
        if (IsWindowVisible(tip) &&
            SendMessageTimeoutA(tip, WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_ABORTIFHUNG, 2000, &result) &&
            text[0])
            return text;
    }
    return "";
}

void ClickAt(POINT point) {
    SetCursorPos(point.x, point.y);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
}

TEST_F(SpindletExeTest, OnDisplayTheIconShowsItsTipOpensTheTrackMenuAndComesBackWithTheTaskbar) {
    SetFlags(true, false);
    ASSERT_EQ(CountIcons(), 0);
    Launch();
    ASSERT_TRUE(PumpUntil([] { return CountIcons() == 1; }, 10000)) << "no icon in the notification area";

    SetCursorPos(IconCentre().x, IconCentre().y);
    std::string tip;
    EXPECT_TRUE(PumpUntil([&] { return !(tip = ShownTip()).empty(); }, 10000));
    EXPECT_EQ(tip, "Spindlet - left click for track list, right click for menu");

    ClickAt(IconCentre());
    HWND menu = OpenMenu();
    ASSERT_NE(menu, nullptr) << "a click on the icon opened no menu";
    // The track menu: its second entry (track 1 of the playlist 3 1 2) is cued.
    drive.ClearLog();
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(PumpUntil([&] { return !drive.Log({"seek"}).empty(); })) << "the menu chose nothing";
    EXPECT_NE(drive.Log({"seek"}).back().find(" to=0x00000001 "), std::string::npos) << drive.Log({"seek"}).back();
    EXPECT_TRUE(drive.Log({"play"}).empty());

    // Explorer restarted: the shell forgets the icon and tells every
    // top-level window. Wine cannot restart its tray, so the test takes the
    // icon away and sends the message itself.
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = 1;
    Shell_NotifyIconA(NIM_DELETE, &icon);
    ASSERT_TRUE(PumpUntil([] { return CountIcons() == 0; }));
    PostMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(PumpUntil([] { return CountIcons() == 1; })) << "the icon did not come back";

    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_TRUE(PumpUntil([] { return CountIcons() == 0; })) << "the icon stayed after Exit";
}

}  // namespace
