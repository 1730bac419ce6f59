// The "order" text of cdplayer.ini as any writer may have left it. Input: a
// byte giving the disc's track count (0 to 120), then the text.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/OrderText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    int count = data[0] % 121;
    std::string text((const char*)data + 1, size - 1);

    // A disc with tracks always gets a playlist, and only of its tracks.
    std::vector<int> playlist = ParseOrderText(text, count);
    if (count > 0 && playlist.empty())
        abort();
    for (int track : playlist)
        if (track < 1 || track > count)
            abort();

    // What is built fits the file, and parses back to the entries it kept.
    size_t written = 0;
    std::string built = BuildOrderText(playlist, &written);
    if (built.size() > kMaxOrderText || written > playlist.size())
        abort();
    if (written > 0 && ParseOrderText(built, count) != std::vector<int>(playlist.begin(), playlist.begin() + written))
        abort();

    // Any numbers at all, as a damaged record might hold: never past the limit.
    std::vector<int> numbers;
    for (size_t i = 1; i + sizeof(int) <= size; i += sizeof(int)) {
        int number;
        memcpy(&number, data + i, sizeof(number));
        numbers.push_back(number);
    }
    built = BuildOrderText(numbers, &written);
    if (built.size() > kMaxOrderText || written > numbers.size())
        abort();
    return 0;
}
