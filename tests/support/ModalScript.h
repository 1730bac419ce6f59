#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Runs script once a dialog or message box of this process with the caption
// is up, from a timer that its own modal loop dispatches. Scripts may nest:
// one that presses a button bringing up a message box can arrange for that
// box first.
void WhenDialogUp(const char* caption, std::function<void(HWND)> script);

// The text of a message box's message.
std::string MessageBoxText(HWND box);
