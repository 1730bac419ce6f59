// A server's answer to a disc lookup, as hostile as it may come: any bytes.
// Input: a byte giving the disc's track count (0 to 99), then the answer.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "lookup/Json.h"
#include "lookup/Matches.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    int count = data[0] % 100;
    std::string answer((const char*)data + 1, size - 1);
    JsonValue value;
    ParseJson(answer, &value);
    std::vector<DiscMatch> matches;
    // Matches are only read from what parses, and never hold more names than
    // the medium listed.
    if (ReadMatches(answer, "ours", count, &matches) && !ParseJson(answer, &value))
        abort();
    for (const DiscMatch& match : matches)
        if (match.trackNames.size() > answer.size())
            abort();
    return 0;
}
