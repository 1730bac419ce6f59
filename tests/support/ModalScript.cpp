#include "tests/support/ModalScript.h"

#include <string>
#include <vector>

struct PendingScript {
    std::string caption;
    std::function<void(HWND)> script;
    UINT_PTR timer;
};

static std::vector<PendingScript> gPending;

static void CALLBACK RunReadyScripts(HWND, UINT, UINT_PTR timer, DWORD) {
    for (size_t i = 0; i < gPending.size(); i++) {
        if (gPending[i].timer != timer)
            continue;
        HWND dialog = FindWindowA("#32770", gPending[i].caption.c_str());
        DWORD process = 0;
        if (!dialog || (GetWindowThreadProcessId(dialog, &process), process != GetCurrentProcessId()))
            return;
        KillTimer(nullptr, timer);
        std::function<void(HWND)> script = std::move(gPending[i].script);
        gPending.erase(gPending.begin() + (ptrdiff_t)i);
        script(dialog);
        return;
    }
}

void WhenDialogUp(const char* caption, std::function<void(HWND)> script) {
    UINT_PTR timer = SetTimer(nullptr, 0, 20, RunReadyScripts);
    gPending.push_back({caption, std::move(script), timer});
}

std::string MessageBoxText(HWND box) {
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    return text;
}
