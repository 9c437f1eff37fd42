#pragma once

#include <string_view>

// The spelling tests that the syllable rules and the stem stripping share.

inline bool IsPlainVowel(char c) {
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}

inline bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

inline bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// Whether a stem ends in a hissing sound (s, z, x, ch, sh, a soft c or g before a
// silent e), after which a plural or possessive s is a syllable of its own.
bool EndsInHissingSound(std::string_view stem);
