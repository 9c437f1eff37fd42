#pragma once

#include <string>
#include <string_view>

// Byte helpers shared by the readers, the dictionary and the counting rules.

// 'A' to 'Z' lower-cased; every other byte as it is.
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when no byte is 0x80 or above.
bool IsAscii(std::string_view bytes);

// The ASCII letters of text lower-cased in place; other bytes as they are.
void LowerAsciiInPlace(std::string& text);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);
