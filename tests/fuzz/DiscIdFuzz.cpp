// The disc identifier from any table of contents a driver may report. Input:
// the disc length in milliseconds (4 bytes), then one MSF start per 4 bytes.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "device/DiscId.h"

// The identifier with every term summed in 64 bits, then taken modulo 2^32.
// The length's conversion to frames is 32-bit by the file format.
static uint32_t ReferenceId(const std::vector<uint32_t>& starts, uint32_t lengthMs) {
    uint64_t sum = 0;
    for (uint32_t msf : starts)
        sum += uint64_t(msf & 0xFF) * 65536 + uint64_t((msf >> 8) & 0xFF) * 256 + ((msf >> 16) & 0xFF);
    if (starts.size() < 3) {
        uint64_t frames = (uint64_t(lengthMs) * 75 % (uint64_t(1) << 32)) / 1000;
        if (frames * 1000 / 75 != lengthMs)
            frames++;
        sum += frames;
        if (starts.size() == 2)
            sum += (starts[0] >> 16) & 0xFF;
    }
    return uint32_t(sum);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    uint32_t lengthMs;
    memcpy(&lengthMs, data, 4);
    std::vector<uint32_t> starts;
    for (size_t i = 4; i + 4 <= size && starts.size() < 99; i += 4) {
        uint32_t msf;
        memcpy(&msf, data + i, 4);
        starts.push_back(msf);
    }
    DiscId id = DiscIdFromToc(starts, lengthMs);
    if (id != ReferenceId(starts, lengthMs))
        abort();

    // The section name: upper-case hexadecimal without leading zeros.
    std::string name = FormatDiscId(id);
    if (name.empty() || name.size() > 8 || (name.size() > 1 && name[0] == '0'))
        abort();
    if (strtoul(name.c_str(), nullptr, 16) != id || name.find_first_not_of("0123456789ABCDEF") != std::string::npos)
        abort();
    return 0;
}
