#include "lookup/AnsiName.h"

#include <windows.h>

std::string AnsiFromUtf8(const std::string& utf8) {
    // kMaxNameBytes characters take at most four times as many bytes; the
    // cut falls between characters.
    const size_t most = 4 * kMaxNameBytes;
    size_t length = utf8.size() < most ? utf8.size() : most;
    while (length < utf8.size() && length > 0 && (utf8[length] & 0xC0) == 0x80)
        length--;
    WCHAR wide[most];
    int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)length, wide, (int)most);
    if (count > kMaxNameBytes)
        count = kMaxNameBytes;
    char ansi[kMaxNameBytes];
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int written = 0;
    while (count > 0) {
        written = WideCharToMultiByte(CP_ACP, flags, wide, count, ansi, kMaxNameBytes, nullptr, nullptr);
        if (written > 0)
            break;
        if (flags && GetLastError() == ERROR_INVALID_FLAGS)
            flags = 0;  // Windows 95 to ME know no such flag, and map no look-alikes
        else
            count--;  // too long in a multi-byte code page
    }
    return std::string(ansi, written > 0 ? written : 0);
}
