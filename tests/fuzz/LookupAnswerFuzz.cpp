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
    // A disc of count tracks of 3 minutes each.
    LookupToc toc;
    toc.first = 1;
    toc.last = data[0] % 100;
    for (int track = 0; track < toc.last; track++)
        toc.offsets.push_back(150 + 13500 * track);
    toc.leadOut = 150 + 13500 * toc.last;
    std::string answer((const char*)data + 1, size - 1);
    JsonValue value;
    ParseJson(answer, &value);
    std::vector<DiscMatch> matches;
    // Matches are only read from what parses, and never hold more names than
    // the medium listed.
    if (ReadMatches(answer, "ours", toc, &matches) && !ParseJson(answer, &value))
        abort();
    for (const DiscMatch& match : matches)
        if (match.trackNames.size() > answer.size())
            abort();
    return 0;
}
