#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Lines beyond this length are outside the dictionary file format: the reader
// skips them whole and nothing longer is ever appended.
inline constexpr std::size_t kMaxDictionaryLineLength = 511;

struct DictionaryLine {
    std::string word; // as it stands in the line, not yet lower-cased
    std::int32_t count = 0;
};

// Reads one non-empty line of a dictionary file (already decoded to UTF-8, line
// end removed): the word before the first "|", the count from the last field.
// Throws ConvertError when the count does not convert.
DictionaryLine ParseDictionaryLine(std::string_view line);
