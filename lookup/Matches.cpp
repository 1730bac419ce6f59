#include "lookup/Matches.h"

#include <cstdlib>
#include <utility>

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

static const JsonValue* MediumOf(const JsonValue& release, const std::string& id, int trackCount) {
    for (const JsonValue& medium : release.Items("media"))
        if (HoldsDisc(medium, id))
            return &medium;
    for (const JsonValue& medium : release.Items("media"))
        if (Number(medium, "track-count") == trackCount)
            return &medium;
    return nullptr;
}

static std::string Label(const DiscMatch& match, const JsonValue& release, const JsonValue& medium) {
    std::string details;
    auto add = [&](const std::string& part) {
        if (!part.empty())
            details += (details.empty() ? "" : ", ") + part;
    };
    add(release.Text("date"));
    add(release.Text("country"));
    add(medium.Text("format"));
    size_t media = release.Items("media").size();
    if (media > 1)
        add("disc " + std::to_string(Number(medium, "position")) + " of " + std::to_string(media));
    std::string label = match.artist + " - " + match.title;
    return details.empty() ? label : label + " (" + details + ")";
}

bool ReadMatches(const std::string& answer, const std::string& id, int trackCount, std::vector<DiscMatch>* matches) {
    matches->clear();
    JsonValue root;
    if (!ParseJson(answer, &root) || !root.Member("releases") || root.Member("releases")->kind != JsonValue::kArray)
        return false;
    for (const JsonValue& release : root.Items("releases")) {
        if (release.kind != JsonValue::kObject)
            return false;
        const JsonValue* medium = MediumOf(release, id, trackCount);
        if (!medium)
            continue;
        DiscMatch match;
        match.artist = Credit(release);
        match.title = release.Text("title");
        for (const JsonValue& track : medium->Items("tracks")) {
            std::string artist = Credit(track);
            std::string title = track.Text("title");
            match.trackNames.push_back(artist.empty() || artist == match.artist ? title : artist + " - " + title);
        }
        match.label = Label(match, release, *medium);
        matches->push_back(std::move(match));
    }
    return true;
}
