#include "lookup/Json.h"

#include <cstring>

namespace {

const int kMaxDepth = 64;

struct Reader {
    const std::string& text;
    size_t at = 0;

    void SkipBlanks() {
        while (at < text.size() && strchr(" \t\r\n", text[at]) && text[at])
            at++;
    }

    bool Take(char c) {
        SkipBlanks();
        if (at < text.size() && text[at] == c) {
            at++;
            return true;
        }
        return false;
    }

    bool Hex4(unsigned* code) {
        if (text.size() - at < 4)
            return false;
        *code = 0;
        for (int i = 0; i < 4; i++) {
            char c = text[at++];
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0)
                return false;
            *code = *code * 16 + unsigned(digit);
        }
        return true;
    }

    static void AppendUtf8(unsigned code, std::string* out) {
        if (code < 0x80) {
            *out += char(code);
        } else if (code < 0x800) {
            *out += char(0xC0 | code >> 6);
            *out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            *out += char(0xE0 | code >> 12);
            *out += char(0x80 | ((code >> 6) & 0x3F));
            *out += char(0x80 | (code & 0x3F));
        } else {
            *out += char(0xF0 | code >> 18);
            *out += char(0x80 | ((code >> 12) & 0x3F));
            *out += char(0x80 | ((code >> 6) & 0x3F));
            *out += char(0x80 | (code & 0x3F));
        }
    }

    bool String(std::string* out) {
        if (!Take('"'))
            return false;
        while (at < text.size()) {
            char c = text[at++];
            if (c == '"')
                return true;
            if ((unsigned char)c < 0x20)
                return false;
            if (c != '\\') {
                *out += c;
                continue;
            }
            if (at >= text.size())
                return false;
            char escape = text[at++];
            static const char kEscapes[] = "\"\\/bfnrt";
            const char* simple = strchr(kEscapes, escape);
            if (simple && escape) {
                *out += "\"\\/\b\f\n\r\t"[simple - kEscapes];
                continue;
            }
            unsigned code = 0, low = 0;
            if (escape != 'u' || !Hex4(&code))
                return false;
            // A pair of surrogates is one character; a lone one is none.
            if (code >= 0xD800 && code < 0xDC00 && text.compare(at, 2, "\\u") == 0) {
                at += 2;
                if (!Hex4(&low) || low < 0xDC00 || low >= 0xE000)
                    return false;
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else if (code >= 0xD800 && code < 0xE000) {
                code = 0xFFFD;
            }
            AppendUtf8(code, out);
        }
        return false;
    }

    bool Literal(const char* word, JsonValue::Kind kind, JsonValue* value) {
        size_t length = strlen(word);
        if (text.compare(at, length, word) != 0)
            return false;
        at += length;
        value->kind = kind;
        value->text = word;
        return true;
    }

    bool Number(JsonValue* value) {
        size_t start = at;
        while (at < text.size() && strchr("+-0123456789.eE", text[at]) && text[at])
            at++;
        value->kind = JsonValue::kNumber;
        value->text = text.substr(start, at - start);
        return at > start;
    }

    bool Value(JsonValue* value, int depth) {
        SkipBlanks();
        if (depth > kMaxDepth || at >= text.size())
            return false;
        char c = text[at];
        if (c == '"') {
            value->kind = JsonValue::kString;
            return String(&value->text);
        }
        if (c == '[' || c == '{') {
            bool object = c == '{';
            value->kind = object ? JsonValue::kObject : JsonValue::kArray;
            at++;
            if (Take(object ? '}' : ']'))
                return true;
            do {
                if (object) {
                    value->keys.emplace_back();
                    if (!String(&value->keys.back()) || !Take(':'))
                        return false;
                }
                value->items.emplace_back();
                if (!Value(&value->items.back(), depth + 1))
                    return false;
            } while (Take(','));
            return Take(object ? '}' : ']');
        }
        if (c == 't')
            return Literal("true", JsonValue::kBool, value);
        if (c == 'f')
            return Literal("false", JsonValue::kBool, value);
        if (c == 'n')
            return Literal("null", JsonValue::kNull, value);
        return Number(value);
    }
};

}  // namespace

const JsonValue* JsonValue::Member(const char* key) const {
    if (kind != kObject)
        return nullptr;
    for (size_t i = 0; i < keys.size() && i < items.size(); i++)
        if (keys[i] == key)
            return &items[i];
    return nullptr;
}

std::string JsonValue::Text(const char* key) const {
    const JsonValue* member = Member(key);
    return member && member->kind == kString ? member->text : std::string();
}

const std::vector<JsonValue>& JsonValue::Items(const char* key) const {
    static const std::vector<JsonValue> none;
    const JsonValue* member = Member(key);
    return member && member->kind == kArray ? member->items : none;
}

bool ParseJson(const std::string& text, JsonValue* value) {
    *value = JsonValue();
    Reader reader{text};
    if (!reader.Value(value, 0))
        return false;
    reader.SkipBlanks();
    return reader.at == text.size();
}
