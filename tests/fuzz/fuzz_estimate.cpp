// The syllable estimator on arbitrary UTF-8 words, as scrivolux-cli
// --unknown=estimate hands it every word the dictionary lacks: never negative,
// at least 1 for a word with a letter, at most three syllables per letter (a
// spelled-out "w") and a few for a word without a vowel letter, the
// dictionary's own count for a word it knows, and always the same answer for
// the same word.

#include "FuzzCheck.h"

#include "analysis/SyllableEstimate.h"
#include "dictionary/Dictionary.h"
#include "text/Bytes.h"
#include "text/TextFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kMaxGluedPiece = 8;
constexpr std::size_t kGluedBytes = 256 * 1024;

const TDictionary& SmallDictionary() {
    static TDictionary dictionary;
    static const bool filled = [] {
        const struct {
            const char* word;
            std::int32_t count;
        } entries[] = {
            {"read", 1}, {"happy", 2}, {"cat", 1},    {"box", 1},  {"do", 1},
            {"able", 2}, {"kind", 1},  {"play", 1},   {"view", 1}, {"fish", 1},
            {"un", 1},   {"the", 1},   {"create", 2}, {"zero", 0},
        };
        for (const auto& e : entries)
            dictionary.AddWord(e.word, e.count);
        return true;
    }();
    (void)filled;
    return dictionary;
}

// Letters a to z in either case, and the two-byte UTF-8 Latin-1 letters.
std::size_t CountLetters(std::string_view word) {
    std::size_t letters = 0;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')
            ++letters;
        else if (c == 0xC3 && i + 1 < word.size())
            ++letters, ++i;
    }
    return letters;
}

// No a, e, i, o, u or y, nor any letter beyond ASCII.
bool LacksVowelLetters(std::string_view word) {
    for (const char c : word) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 || std::string_view("aeiouyAEIOUY").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

bool HasAsciiLetter(std::string_view word) {
    for (const char c : word) {
        if (((c | 0x20) >= 'a' && (c | 0x20) <= 'z'))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view word = fuzz::AsText(data, size);
    // Words come from decoded texts, which are always valid UTF-8.
    if (!IsValidUtf8(word))
        return 0;
    const TDictionary& dictionary = SmallDictionary();

    const std::int32_t byRules = EstimateSyllablesByRules(word);
    FUZZ_CHECK(byRules >= 0);
    // A word without vowels is spelled out, and "w" is three syllables.
    FUZZ_CHECK(static_cast<std::size_t>(byRules) <= 3 * CountLetters(word));
    if (HasAsciiLetter(word))
        FUZZ_CHECK(byRules >= 1);
    // Spelled out, nine at most, and a possessive and an n't once each.
    if (LacksVowelLetters(word))
        FUZZ_CHECK(byRules <= 11);
    FUZZ_CHECK(EstimateSyllablesByRules(word) == byRules);

    const std::optional<std::int32_t> fromStem = EstimateSyllablesFromDictionary(word, dictionary);
    FUZZ_CHECK(!fromStem || *fromStem >= 0);

    const std::int32_t estimate = EstimateSyllables(word, dictionary);
    const std::int32_t known = dictionary.Lookup(word);
    const std::optional<std::int32_t> spoken = SpokenFigureSyllables(word);
    // A compound or identifier is estimated as the sum of its parts.
    const bool parts = !word.ends_with('.') && word.find_first_of("-_.") != std::string_view::npos;
    if (known >= 0)
        FUZZ_CHECK(estimate == known);
    else if (spoken)
        FUZZ_CHECK(estimate == *spoken && *spoken >= 1);
    else if (parts)
        FUZZ_CHECK(estimate >= 0);
    else
        FUZZ_CHECK(estimate == (fromStem ? *fromStem : byRules));

    // A text can hold one "word" of a megabyte, and the fuzzer rarely grows its
    // inputs that far: a short input is also tried glued to itself some 100,000
    // times ('s's's..., n'tn't...), where a rule that calls itself per ending
    // runs out of stack.
    if (!word.empty() && word.size() <= kMaxGluedPiece) {
        std::string glued;
        glued.reserve(kGluedBytes + word.size());
        while (glued.size() < kGluedBytes)
            glued += word;
        const std::int32_t gluedByRules = EstimateSyllablesByRules(glued);
        FUZZ_CHECK(gluedByRules >= 0);
        FUZZ_CHECK(static_cast<std::size_t>(gluedByRules) <= 3 * CountLetters(glued));
        if (LacksVowelLetters(glued))
            FUZZ_CHECK(gluedByRules <= 11);
        FUZZ_CHECK(EstimateSyllables(glued, dictionary) >= 0);
    }
    return 0;
}
