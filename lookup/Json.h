#pragma once

#include <string>
#include <vector>

// A JSON value as read from a server's answer, which is hostile input.
struct JsonValue {
    enum Kind { kNull, kBool, kNumber, kString, kArray, kObject };
    Kind kind = kNull;
    std::string text;               // a string in UTF-8; a number or literal as written
    std::vector<JsonValue> items;   // an array's elements, an object's values
    std::vector<std::string> keys;  // an object's keys, one per value

    // The value of key in an object; null when this is no object or lacks it.
    const JsonValue* Member(const char* key) const;
    // The text of a string member; empty when it is missing or not a string.
    std::string Text(const char* key) const;
    // A member that is an array: its elements; empty otherwise.
    const std::vector<JsonValue>& Items(const char* key) const;
};

// The whole text as one value; false for anything else, nesting deeper than
// 64 levels included.
bool ParseJson(const std::string& text, JsonValue* value);
