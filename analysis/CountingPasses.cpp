#include "analysis/CountingPasses.h"

#include "dictionary/Dictionary.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// Where the separator first stands from pos on, before end; npos when nowhere.
// Most words are shorter than eight bytes: the eight bytes at pos are searched
// in one step before memchr, whose call costs more than such a search.
std::size_t FindSeparator(std::string_view text, std::size_t pos, std::size_t end, char separator) {
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
// onToken gets each token; onProgress the percentage of the text consumed.
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

// The counts of the words met lately, by their spelling in the text. Prose
// repeats its common words, and a count once found never changes (the
// dictionary only grows, and the first insertion of a word wins), so most
// words are settled here without being lower-cased and searched for.
class RecentWords {
public:
    RecentWords() : entries_(kSize) {}

    std::int32_t Lookup(std::string_view word, const TDictionary& dictionary) {
        if (word.empty() || word.size() > kLongest)
            return dictionary.Lookup(word);
        std::uint64_t low;
        std::uint64_t high;
        LoadWordBytes(word, low, high);
        high |= std::uint64_t{word.size()} << 56; // never 0, unlike an unused entry
        constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
        const std::uint64_t hash = ((low * kMultiplier) ^ high) * kMultiplier;
        Entry& entry = entries_[hash >> (64 - kSizeBits)];
        if (entry.low == low && entry.high == high)
            return entry.count;
        const std::int32_t count = dictionary.Lookup(word);
        if (count >= 0)
            entry = {low, high, count};
        return count;
    }

private:
    static constexpr int kSizeBits = 12;
    static constexpr std::size_t kSize = std::size_t{1} << kSizeBits;
    static constexpr std::size_t kLongest = 15; // the length takes the last byte

    struct Entry {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::int32_t count = 0;
    };
    std::vector<Entry> entries_;
};

} // namespace

std::int32_t CountSyllables(std::string_view wordText, TDictionary& dictionary,
                            const UnknownWordHandler& unknownWord, AnalysisProgress& progress,
                            std::int32_t& difficultWords, std::int32_t* words) {
    difficultWords = 0;
    std::int32_t tokens = 0;
    // A typed count can be as large as the type allows; the total saturates
    // rather than wrapping round to a negative number.
    std::int64_t syllables = 0;
    std::string word;
    RecentWords recent;
    ForEachToken(
        wordText, ' ',
        [&](std::string_view token) {
            ++tokens;
            std::int32_t count = recent.Lookup(token, dictionary);
            if (count == -1) {
                word.assign(token);
                count = unknownWord ? unknownWord(word, dictionary) : 0;
            }
            syllables = std::min<std::int64_t>(syllables + count, INT32_MAX);
            if (count > 2)
                ++difficultWords;
        },
        [&](int percent) { progress.SetSyllableProgress(percent); });
    if (words)
        *words = tokens;
    return static_cast<std::int32_t>(syllables);
}

std::int32_t CountWords(std::string_view wordText, AnalysisProgress& progress) {
    std::int32_t words = 0;
    ForEachToken(
        wordText, ' ', [&](std::string_view) { ++words; },
        [&](int percent) { progress.SetWordProgress(percent); });
    return words;
}

std::int32_t CountSentences(std::string_view sentenceText, AnalysisProgress& progress) {
    std::int32_t sentences = 0;
    ForEachToken(
        sentenceText, '.', [&](std::string_view) { ++sentences; },
        [&](int percent) { progress.SetSentenceProgress(percent); });
    return sentences;
}
