#pragma once

// The one tokeniser of the counting passes, shared with everything that must meet
// exactly the words and sentences they count.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tokens {

inline bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// Where the separator first stands from pos on, before end; npos when nowhere.
// Most words are shorter than eight bytes: the eight bytes at pos are searched
// in one step before memchr, whose call costs more than such a search.
inline std::size_t FindSeparator(std::string_view text, std::size_t pos, std::size_t end,
                                 char separator) {
    if (end - pos >= 8) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        constexpr std::uint64_t kLow7 = kOnes * 0x7F;
        std::uint64_t bytes;
        std::memcpy(&bytes, text.data() + pos, 8);
        const std::uint64_t x = bytes ^ (kOnes * static_cast<unsigned char>(separator));
        // The top bit of each byte of x that is 0, and of no other byte.
        const std::uint64_t zero = ~(((x & kLow7) + kLow7) | x) & ~kLow7;
        if (zero != 0) {
            const int bit = std::endian::native == std::endian::little ? std::countr_zero(zero)
                                                                       : std::countl_zero(zero);
            return pos + static_cast<std::size_t>(bit / 8);
        }
        pos += 8;
    }
    const void* found = std::memchr(text.data() + pos, separator, end - pos);
    return found == nullptr
               ? std::string_view::npos
               : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
}

// Walks a text token by token as if the front were cut off after each token and
// the rest trimmed, but by position, so a pass is linear in the text's length.
// onToken gets each token, a view into text (so its offset is token.data() -
// text.data()); onProgress the percentage of the text consumed.
template <typename OnToken, typename OnProgress>
void ForEachToken(std::string_view text, char separator, OnToken onToken, OnProgress onProgress) {
    // The percentage is (initial length - remaining length) * 100 / initial length.
    // It changes at most 100 times, so it is worked out only when the consumed
    // length reaches the next step, not with a division for every token.
    const auto initialLength = static_cast<std::int64_t>(text.size());
    int percent = 0;
    std::int64_t nextStep = (initialLength + 99) / 100;
    std::size_t pos = 0;
    std::size_t end = text.size();
    while (pos < end && IsBlank(text[pos]))
        ++pos;
    while (end > pos && IsBlank(text[end - 1]))
        --end;
    // The trimmed remainder always ends at `end`: the text's last character
    // above code 32 is never consumed until the remainder is empty.
    while (pos < end) {
        const std::size_t sep = FindSeparator(text, pos, end, separator);
        if (sep == std::string_view::npos) {
            onToken(text.substr(pos, end - pos));
            pos = end;
        } else {
            onToken(text.substr(pos, sep - pos));
            pos = sep + 1;
            while (pos < end && IsBlank(text[pos]))
                ++pos;
        }
        const auto consumed = initialLength - static_cast<std::int64_t>(end - pos);
        if (consumed >= nextStep) {
            percent = static_cast<int>(consumed * 100 / initialLength);
            nextStep = ((percent + 1) * initialLength + 99) / 100;
        }
        onProgress(percent);
    }
}

} // namespace tokens

// Where the word text can be cut in two, at a space, so that the syllable pass
// over the two halves meets exactly the words it meets in the whole: the space
// must follow a character above code 32, which then ends the head's last word
// as it ends that word in the whole. npos for a text under minimumSize or
// without such a space after its middle.
inline std::size_t HalfwaySpace(std::string_view wordText, std::size_t minimumSize) {
    if (wordText.size() < minimumSize || wordText.size() < 2)
        return std::string_view::npos;
    for (std::size_t at = std::max<std::size_t>(wordText.size() / 2, 1); at < wordText.size();
         ++at) {
        if (wordText[at] == ' ' && static_cast<unsigned char>(wordText[at - 1]) > ' ')
            return at;
    }
    return std::string_view::npos;
}
