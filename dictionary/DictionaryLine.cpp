#include "dictionary/DictionaryLine.h"

#include "dictionary/IntegerConversion.h"

#include <limits>
#include <optional>

namespace {

// The bytes of the first UTF-8 character of a non-empty text.
std::string_view FirstCharacter(std::string_view text) {
    std::size_t length = 1;
    while (length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        ++length;
    return text.substr(0, length);
}

// The field as a count when it is all digits, without a leading zero, and its
// value fits in 32 bits: as AddWordToFile writes counts. Every other field
// reads as before, by its first character ("05" is 0).
std::optional<std::int32_t> WholeCount(std::string_view field) {
    if (field.empty() || field[0] == '0')
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<std::int32_t>::max())
            return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace

DictionaryLine ParseDictionaryLine(std::string_view line) {
    const std::size_t first = line.find('|');
    const std::size_t last = line.rfind('|');
    // Without a separator the whole line is the last field and the word is empty.
    const std::string_view field = last == std::string_view::npos ? line : line.substr(last + 1);

    DictionaryLine parsed;
    if (const auto whole = WholeCount(field)) {
        // A count of 10 or more, as AddWordToFile writes it, reads back whole.
        parsed.count = *whole;
    } else {
        // Anything else counts by its first character alone, so a field such as
        // "2 syllables" still reads as 2; an empty field fails to convert.
        parsed.count = StrToInt(field.empty() ? field : FirstCharacter(field));
    }
    if (first != std::string_view::npos)
        parsed.word.assign(line.substr(0, first));
    return parsed;
}
