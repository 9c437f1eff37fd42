#pragma once

// The one tokeniser of the counting passes, shared with everything that must meet
// exactly the words and sentences they count.

#include <cstdint>
#include <cstring>
#include <string_view>

namespace tokens {

inline bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
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
        const void* found = std::memchr(text.data() + pos, separator, end - pos);
        if (found == nullptr) {
            onToken(text.substr(pos, end - pos));
            pos = end;
        } else {
            const std::size_t sep = static_cast<const char*>(found) - text.data();
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
