#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A disc's table of contents as the online database names discs: absolute
// frames (the 150-frame lead-in included), audio session only.
struct LookupToc {
    int first = 0;
    int last = 0;
    uint32_t leadOut = 0;
    std::vector<uint32_t> offsets;  // of tracks first to last
};

// From MCI's answers: each track's start as an MSF value, the last track's
// length as MSF, and which tracks are data. MCI gives the last track one
// frame short. Data tracks at the end (an Enhanced CD) are left out; the
// audio session then ends 11,400 frames before the first of them starts.
LookupToc MakeLookupToc(const std::vector<uint32_t>& startsMsf, uint32_t lastLengthMsf,
                        const std::vector<bool>& dataTracks);

// The text the identifier is the SHA-1 of: first and last track, lead-out,
// then 99 offsets, 0 where there is no track, in upper-case hexadecimal.
std::string LookupIdText(const LookupToc& toc);

// The 20-byte digest in base64 with '.', '_' and '-' for '+', '/' and '=':
// 28 characters.
std::string EncodeLookupId(const uint8_t digest[20]);

// The identifier, hashed with the system's CryptoAPI; empty if it cannot.
std::string LookupDiscId(const LookupToc& toc);

// "first+last+lead-out+offset1+...": lets the server match by lengths too.
std::string LookupTocText(const LookupToc& toc);
