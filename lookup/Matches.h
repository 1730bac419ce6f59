#pragma once

#include <string>
#include <vector>

#include "lookup/LookupToc.h"

// One release of the online database that holds the disc; text in UTF-8.
struct DiscMatch {
    std::string artist;
    std::string title;
    std::vector<std::string> trackNames;  // in disc order; may be fewer than the disc's tracks
    std::string label;                    // "artist - title (date, country, format, disc n of m)"
};

// The media of a disc-id answer that are this disc: those whose discs[]
// holds id, else those whose tracks last as toc's do (within seconds). A
// track whose own artist differs from the release's is named "artist -
// title"; a field the answer lacks is empty. False when the answer is not a
// list of releases.
bool ReadMatches(const std::string& answer, const std::string& id, const LookupToc& toc,
                 std::vector<DiscMatch>* matches);
