#include "tests/support/Process.h"

#include "tests/support/MessagePump.h"

DWORD RunProcess(const std::string& commandLine, HANDLE* process) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return (DWORD)-1;
    CloseHandle(info.hThread);
    if (process) {
        *process = info.hProcess;
        return 0;
    }
    WaitForSingleObject(info.hProcess, 30000);
    DWORD code = (DWORD)-1;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    return code;
}

DWORD PumpUntilExit(HANDLE process, DWORD timeoutMs) {
    if (!PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, timeoutMs))
        return (DWORD)-1;
    DWORD code = (DWORD)-1;
    GetExitCodeProcess(process, &code);
    return code;
}

std::string ProgramUnderTestPath() {
    char path[MAX_PATH] = "";
    DWORD length = GetEnvironmentVariableA("SPINDLET_EXE", path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return "..\\spindlet.exe";
    return path;
}

std::string ProgramUnderTest() {
    return "\"" + ProgramUnderTestPath() + "\"";
}

std::string UnixPath(const std::string& windowsPath) {
    typedef char*(CDECL * UnixNameProc)(const WCHAR*);
    UnixNameProc unixName =
        (UnixNameProc)(void (*)())GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
    WCHAR path[MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, path, MAX_PATH);
    char* name = unixName ? unixName(path) : nullptr;
    if (!name)
        return std::string();
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

void StartUnixProgram(const std::string& commandLine) {
    HANDLE process = nullptr;
    RunProcess(commandLine, &process);
    if (process)
        CloseHandle(process);
}
