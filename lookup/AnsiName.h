#pragma once

#include <string>

// The longest name an edit box of the editor takes, in bytes.
const int kMaxNameBytes = 254;

// UTF-8 in the system's code page, at most kMaxNameBytes, never half a
// character. A character the code page lacks becomes its default character,
// never a look-alike ("8" for an infinity sign).
std::string AnsiFromUtf8(const std::string& utf8);
