#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The identifier that names a disc's section in cdplayer.ini. Sections that
// other players stored are only found again if this arithmetic, rounding
// included, stays exactly as it is.
typedef uint32_t DiscId;

// trackStarts: each track's start as an MSF value from MCI (minutes in bits
// 0-7, seconds 8-15, frames 16-23). discLengthMs is only used for discs of
// fewer than three tracks. All sums wrap modulo 2^32.
DiscId DiscIdFromToc(const std::vector<uint32_t>& trackStarts, uint32_t discLengthMs);

// Upper-case hexadecimal without leading zeros ("%X").
std::string FormatDiscId(DiscId id);
