// Start-up of spindlet.exe beside the minimal tray program, alternating runs:
// from CreateProcess to its window, and to ready for input
// (WaitForInputIdle); and the peak working set of each.
// Usage (in the test prefix, from build/ARCH/tests): wine startup_bench.exe [runs]
// SPINDLET_EXE names another spindlet.exe to start (the 32-bit product).

#include <windows.h>
#include <psapi.h>

#include <cstdlib>
#include <string>

#include "tools/bench/Stats.h"

struct Program {
    const char* name;
    std::string commandLine;
    const char* windowClass;
    Samples toWindow, toIdle, peakKb;
};

static HWND WindowOf(const char* windowClass, DWORD processId) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, windowClass, nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

static void RunOnce(Program& program) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::string line = program.commandLine;
    double start = NowMs();
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    HWND window = nullptr;
    bool idle = false;
    while ((!window || !idle) && NowMs() - start < 20000) {
        if (!window && (window = WindowOf(program.windowClass, info.dwProcessId)))
            program.toWindow.Add(NowMs() - start);
        if (!idle && WaitForInputIdle(info.hProcess, 0) == 0) {
            idle = true;
            program.toIdle.Add(NowMs() - start);
        }
        Sleep(0);
    }
    Sleep(200);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(info.hProcess, &memory, sizeof(memory)))
        program.peakKb.Add(double(memory.PeakWorkingSetSize) / 1024);
    PostMessageA(window, WM_COMMAND, 40008, 0);
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

int main(int argc, char** argv) {
    int runs = argc > 1 ? atoi(argv[1]) : 20;
    const char* exe = getenv("SPINDLET_EXE");
    Program spindlet = {"spindlet.exe", exe ? std::string("\"") + exe + "\"" : "..\\spindlet.exe", "SpindletClass",
                        {}, {}, {}};
    Program minimal = {"minimal tray program", "minimal_tray.exe", "MinimalTrayClass", {}, {}, {}};
    Program withDevice = {"minimal tray program with the CD device open", "minimal_tray_cd.exe", "MinimalTrayClass",
                          {}, {}, {}};
    for (int run = 0; run < runs; run++) {
        RunOnce(spindlet);
        RunOnce(minimal);
        RunOnce(withDevice);
    }
    for (Program* program : {&spindlet, &minimal, &withDevice}) {
        printf("%s:\n", program->name);
        program->toWindow.Print("to its window", "ms");
        program->toIdle.Print("to ready for input", "ms");
        program->peakKb.Print("peak working set", "KB");
    }
    printf("spindlet / minimal, medians side by side: window %.2f, ready for input %.2f, peak working set %.2f\n",
           spindlet.toWindow.Median() / minimal.toWindow.Median(), spindlet.toIdle.Median() / minimal.toIdle.Median(),
           spindlet.peakKb.Median() / minimal.peakKb.Median());
    printf("spindlet / minimal with the CD device open: window %.2f, ready for input %.2f, peak working set %.2f\n",
           spindlet.toWindow.Median() / withDevice.toWindow.Median(),
           spindlet.toIdle.Median() / withDevice.toIdle.Median(), spindlet.peakKb.Median() / withDevice.peakKb.Median());
    return 0;
}
