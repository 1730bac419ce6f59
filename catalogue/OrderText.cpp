#include "OrderText.h"

#include <climits>

std::vector<int> DefaultPlaylist(int trackCount) {
    std::vector<int> playlist;
    for (int track = 1; track <= trackCount; track++)
        playlist.push_back(track);
    return playlist;
}

std::string DefaultOrderText(int trackCount) {
    std::string text;
    for (int i = 0; i < trackCount; i++) {
        text += std::to_string(i) + ' ';
        if (text.size() > kMaxOrderText)
            return std::string();
    }
    return text;
}

std::string BuildOrderText(const std::vector<int>& playlist, size_t* entriesWritten) {
    std::string text;
    size_t written = 0;
    for (int entry : playlist) {
        // The lowest int has no index below it; no reader takes a negative one.
        int index = entry > INT_MIN ? entry - 1 : entry;
        std::string number = std::to_string(index) + ' ';
        if (text.size() + number.size() > kMaxOrderText)
            break;
        text += number;
        written++;
    }
    *entriesWritten = written;
    return text;
}

// The index a token names, or -1 when it is not a run of digits within range.
static int ParseIndex(const std::string& token, int trackCount) {
    long long value = 0;
    for (char c : token) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
        if (value >= trackCount)
            return -1;
    }
    return (int)value;
}

std::vector<int> ParseOrderText(const std::string& text, int trackCount) {
    std::vector<int> playlist;
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ' ') {
            pos++;
            continue;
        }
        size_t end = text.find(' ', pos);
        if (end == std::string::npos)
            end = text.size();
        int index = ParseIndex(text.substr(pos, end - pos), trackCount);
        if (index >= 0)
            playlist.push_back(index + 1);
        pos = end;
    }
    if (playlist.empty())
        return DefaultPlaylist(trackCount);
    return playlist;
}
