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

// The text with every control character but the tab and the line feed (C0,
// DEL and C1) shown as "<U+001B>", so that text from a document cannot move a
// terminal's cursor, retitle its window or write its clipboard. A byte that is
// no part of valid UTF-8 stays as it is (a file name's Latin-1, say), except
// 0x80 to 0x9F, which a terminal reading Latin-1 takes as C1: those are shown
// as "<U+0080>" to "<U+009F>". The empty text gives the empty text.
std::string ShowControlCharacters(std::string_view text);
