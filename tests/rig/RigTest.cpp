// The test rig itself: that Wine, as the tests run it, creates windows and
// dialogs headless and delivers messages to them.

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/MessagePump.h"

static INT_PTR CALLBACK RigDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, 501, "edited");
        SendDlgItemMessageA(dialog, 502, LB_ADDSTRING, 0, (LPARAM) "first");
        SendDlgItemMessageA(dialog, 502, LB_ADDSTRING, 0, (LPARAM) "second");
        return TRUE;
    }
    return FALSE;
}

TEST(Rig, DialogFromTemplateHoldsWhatItsProcedureSet) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(500), nullptr, RigDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    char text[64] = {};
    GetWindowTextA(dialog, text, sizeof(text));
    EXPECT_STREQ(text, "Rig");
    GetDlgItemTextA(dialog, 501, text, sizeof(text));
    EXPECT_STREQ(text, "edited");
    EXPECT_EQ(SendDlgItemMessageA(dialog, 502, LB_GETCOUNT, 0, 0), 2);
    SendDlgItemMessageA(dialog, 502, LB_GETTEXT, 1, (LPARAM)text);
    EXPECT_STREQ(text, "second");
    GetDlgItemTextA(dialog, IDOK, text, sizeof(text));
    EXPECT_STREQ(text, "OK");
    EXPECT_TRUE(DestroyWindow(dialog));
}

TEST(Rig, HiddenWindowReceivesPostedMessages) {
    NotifyWindow window;
    PostMessageA(window.Handle(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 7);
    EXPECT_TRUE(PumpUntil([&] { return !window.codes.empty(); }));
    ASSERT_EQ(window.codes.size(), 1u);
    EXPECT_EQ(window.codes[0], (WPARAM)MCI_NOTIFY_SUCCESSFUL);
}
