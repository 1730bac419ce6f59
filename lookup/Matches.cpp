#include "lookup/Matches.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include "lookup/Json.h"

// The names of an artist credit with their join phrases ("A feat. B").
static std::string Credit(const JsonValue& owner) {
    std::string credit;
    for (const JsonValue& part : owner.Items("artist-credit"))
        credit += part.Text("name") + part.Text("joinphrase");
    return credit;
}

static bool HoldsDisc(const JsonValue& medium, const std::string& id) {
    for (const JsonValue& disc : medium.Items("discs"))
        if (disc.Text("id") == id)
            return true;
    return false;
}

static int Number(const JsonValue& owner, const char* key) {
    const JsonValue* member = owner.Member(key);
    return member && member->kind == JsonValue::kNumber ? atoi(member->text.c_str()) : 0;
}

// How far a track's length in the answer may be from the disc's: pressings
// of one release differ by a second or two.
static const long long kLengthSlackMs = 5000;

// A length in ms as written; whatever follows its digits (a fraction, an
// exponent) is left off, and a huge one saturates. strtod would double the
// exe.
static long long Milliseconds(const std::string& text) {
    long long value = 0;
    for (size_t i = text[0] == '-' ? 1 : 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; i++)
        value = value < 1000000000000LL ? value * 10 + (text[i] - '0') : value;
    return text[0] == '-' ? -value : value;
}

// A track's length in the answer agrees with the disc's, within a few
// seconds; a track the answer gives no length for cannot disagree.
static bool LengthsAgree(const JsonValue& medium, const LookupToc& toc) {
    const std::vector<JsonValue>& tracks = medium.Items("tracks");
    if (tracks.size() != toc.offsets.size())
        return false;
    for (size_t i = 0; i < tracks.size(); i++) {
        uint32_t end = i + 1 < toc.offsets.size() ? toc.offsets[i + 1] : toc.leadOut;
        long long disc = (long long)(end - toc.offsets[i]) * 1000 / 75;
        const JsonValue* length = tracks[i].Member("length");
        if (length && length->kind == JsonValue::kNumber && llabs(Milliseconds(length->text) - disc) > kLengthSlackMs)
            return false;
    }
    return true;
}

static void AddDetail(const std::string& part, std::string* details) {
    if (part.empty())
        return;
    if (!details->empty())
        *details += ", ";
    *details += part;
}

// Appended piece by piece: each temporary string costs the exe code.
static std::string Label(const DiscMatch& match, const JsonValue& release, const JsonValue& medium) {
    std::string details;
    AddDetail(release.Text("date"), &details);
    AddDetail(release.Text("country"), &details);
    AddDetail(medium.Text("format"), &details);
    size_t media = release.Items("media").size();
    if (media > 1) {
        std::string disc = "disc ";
        disc += std::to_string(Number(medium, "position"));
        disc += " of ";
        disc += std::to_string(media);
        AddDetail(disc, &details);
    }
    std::string label = match.artist;
    label += " - ";
    label += match.title;
    if (!details.empty()) {
        label += " (";
        label += details;
        label += ")";
    }
    return label;
}

static DiscMatch MatchOf(const JsonValue& release, const JsonValue& medium) {
    DiscMatch match;
    match.artist = Credit(release);
    match.title = release.Text("title");
    for (const JsonValue& track : medium.Items("tracks")) {
        std::string artist = Credit(track);
        std::string title = track.Text("title");
        bool ownArtist = !artist.empty() && artist != match.artist && !title.empty();
        match.trackNames.push_back(ownArtist ? artist + " - " + title : title);
    }
    match.label = Label(match, release, medium);
    return match;
}

bool ReadMatches(const std::string& answer, const std::string& id, const LookupToc& toc,
                 std::vector<DiscMatch>* matches) {
    matches->clear();
    JsonValue root;
    if (!ParseJson(answer, &root) || !root.Member("releases") || root.Member("releases")->kind != JsonValue::kArray)
        return false;
    // The answer to a table of contents lists each release with all its
    // media and marks none: a medium holding the id wins, else every one
    // whose tracks last as the disc's do.
    std::vector<DiscMatch> byLengths;
    for (const JsonValue& release : root.Items("releases")) {
        if (release.kind != JsonValue::kObject)
            return false;
        for (const JsonValue& medium : release.Items("media")) {
            if (HoldsDisc(medium, id))
                matches->push_back(MatchOf(release, medium));
            else if (LengthsAgree(medium, toc))
                byLengths.push_back(MatchOf(release, medium));
        }
    }
    if (matches->empty())
        matches->swap(byLengths);
    return true;
}
