#pragma once

#include <string>
#include <vector>

// One release of the online database that holds the disc; text in UTF-8.
struct DiscMatch {
    std::string artist;
    std::string title;
    std::vector<std::string> trackNames;  // in disc order; may be fewer than the disc's tracks
    std::string label;                    // "artist - title (date, country, format, disc n of m)"
};

// The releases of a disc-id answer that hold a medium for this disc: the
// medium whose discs[] holds id, else (a match by lengths) the one of
// trackCount tracks. A track whose own artist differs from the release's is
// named "artist - title". False when the answer is not a list of releases.
bool ReadMatches(const std::string& answer, const std::string& id, int trackCount, std::vector<DiscMatch>* matches);
