#pragma once

// The real spindlet.exe as its own process, driven through its window as the
// shell and the system drive it; judged by the drive's log, the registry and
// the exit code (another process cannot read its menus).

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/MessagePump.h"
#include "tests/support/Process.h"
#include "tests/support/Stage.h"
#include "tests/support/VirtualDrive.h"

class SpindletExeTest : public testing::Test {
protected:
    void SetUp() override {
        WriteSection(ThreeTrackSection(), "Artist", "Title", {"Alpha", "Beta", "Gamma"}, "2 0 1");
        drive.Control(DiscControl(kThreeTrackStarts, kThreeTrackLeadOut));
    }

    void TearDown() override {
        if (process) {
            TerminateProcess(process, 1);
            CloseHandle(process);
        }
        DeleteFileA(IniPath().c_str());
    }

    // Wine now and then refuses a process start with ERROR_INTERNAL_ERROR
    // (seen once in several hundred starts): such a start is tried once more.
    void Launch() {
        DWORD started = RunProcess(ProgramUnderTest(), &process);
        if (started != 0 && GetLastError() == ERROR_INTERNAL_ERROR) {
            PumpFor(500);
            started = RunProcess(ProgramUnderTest(), &process);
        }
        ASSERT_EQ(started, 0u) << "error " << GetLastError();
        ASSERT_TRUE(PumpUntil([&] { return (window = ProgramWindow()) != nullptr; }, 20000));
    }

    // Its tray window: the one of our class that the process owns.
    HWND ProgramWindow() const {
        for (HWND found = nullptr; (found = FindWindowExA(nullptr, found, "SpindletClass", nullptr));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == GetProcessId(process))
                return found;
        }
        return nullptr;
    }

    // The process's open pop-up menu, once it is up.
    HWND OpenMenu() const {
        HWND menu = nullptr;
        PumpUntil([&] {
            for (menu = nullptr; (menu = FindWindowExA(nullptr, menu, "#32768", nullptr));) {
                DWORD owner = 0;
                GetWindowThreadProcessId(menu, &owner);
                if (owner == GetProcessId(process) && IsWindowVisible(menu))
                    return true;
            }
            return false;
        });
        return menu;
    }

    // Opens the track menu and closes it, then chooses Exit from the command
    // menu by its mnemonic, as a user would with the mouse and keyboard.
    void ExitThroughTheMenus() {
        PostMessageA(window, WM_USER, 1, WM_LBUTTONUP);
        HWND menu = OpenMenu();
        ASSERT_NE(menu, nullptr);
        PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 1);
        ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(menu); }));
        PostMessageA(window, WM_USER, 1, WM_RBUTTONUP);
        menu = OpenMenu();
        ASSERT_NE(menu, nullptr);
        PostMessageA(menu, WM_CHAR, 'x', 1);
    }

    DWORD ExitCode() {
        DWORD code = PumpUntilExit(process);
        CloseHandle(process);
        process = nullptr;
        return code;
    }

    std::vector<int> PlayedTracks() const { return drive.PlayedTracks(); }

    // The first word of each command the drive received (notifications left out).
    std::vector<std::string> Commands() const {
        std::vector<std::string> words;
        for (const std::string& line : drive.Log())
            if (line.compare(0, 7, "notify ") != 0)
                words.push_back(line.substr(0, line.find(' ')));
        return words;
    }

    VirtualDrive drive;
    HANDLE process = nullptr;
    HWND window = nullptr;
};
