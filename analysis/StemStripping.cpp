// The syllable count of a word the dictionary lacks, from the dictionary's entry
// for its stem: possessives, plurals, prefixes and suffixes taken off.

#include "analysis/SpellingRules.h"
#include "analysis/SyllableEstimate.h"

#include "dictionary/Dictionary.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace {

constexpr int kMaxStemDepth = 2;
constexpr std::size_t kMinStemLength = 3;

// Whether the stem ends in a t or d sound, after which -ed is a syllable (wanted).
bool EndsInTOrD(std::string_view stem) {
    std::string_view s = stem;
    if (EndsWith(s, "e") && s.size() > 2 && !IsPlainVowel(s[s.size() - 2]))
        s.remove_suffix(1);
    return EndsWith(s, "t") || EndsWith(s, "d");
}

std::optional<std::int32_t> CountFromStem(std::string_view w, const TDictionary& dictionary,
                                          int depth);

// The dictionary's count for a stem of three letters or more, else (one level
// down only) the count from that stem's own stem.
std::optional<std::int32_t> LookUpStem(std::string_view stem, const TDictionary& dictionary,
                                       int depth) {
    if (stem.size() < kMinStemLength)
        return std::nullopt;
    const std::int32_t count = dictionary.Lookup(stem);
    if (count >= 0)
        return count;
    if (depth + 1 < kMaxStemDepth)
        return CountFromStem(stem, dictionary, depth + 1);
    return std::nullopt;
}

// The stem's count plus the ending's syllables; empty when the stem was not found.
std::optional<std::int32_t> AddIfFound(std::optional<std::int32_t> stem, std::int32_t extra) {
    if (stem)
        return *stem + extra;
    return std::nullopt;
}

// The stems of a word that lost a final e or y, or doubled its last consonant,
// before a suffix: mak|ing -> make, happi|ness -> happy, runn|ing -> run.
std::optional<std::int32_t> LookUpStemBeforeSuffix(std::string_view base,
                                                   const TDictionary& dictionary, int depth) {
    if (auto count = LookUpStem(base, dictionary, depth))
        return count;
    if (base.empty())
        return std::nullopt;
    const std::string withE = std::string(base) + 'e';
    if (auto count = LookUpStem(withE, dictionary, depth))
        return count;
    if (base.back() == 'i') {
        const std::string withY = std::string(base.substr(0, base.size() - 1)) + 'y';
        if (auto count = LookUpStem(withY, dictionary, depth))
            return count;
    }
    if (base.size() >= 2 && base.back() == base[base.size() - 2] && !IsPlainVowel(base.back()))
        return LookUpStem(base.substr(0, base.size() - 1), dictionary, depth);
    return std::nullopt;
}

// The count of a lower-case word from the first stem the dictionary knows.
std::optional<std::int32_t> CountFromStem(std::string_view w, const TDictionary& dictionary,
                                          int depth) {
    // Possessives: the 's after a hissing sound is a syllable of its own.
    if (EndsWith(w, "'s")) {
        const std::string_view stem = w.substr(0, w.size() - 2);
        return AddIfFound(LookUpStem(stem, dictionary, depth), EndsInHissingSound(stem) ? 1 : 0);
    }
    if (EndsWith(w, "s'"))
        return LookUpStem(w.substr(0, w.size() - 1), dictionary, depth);

    if (EndsWith(w, "s") && !EndsWith(w, "ss")) {
        const std::string_view stem = w.substr(0, w.size() - 1);
        if (auto count = LookUpStem(stem, dictionary, depth))
            return *count + (EndsInHissingSound(stem) && EndsWith(stem, "e") ? 1 : 0);
        if (EndsWith(w, "ies")) {
            const std::string y = std::string(w.substr(0, w.size() - 3)) + 'y';
            if (auto count = LookUpStem(y, dictionary, depth))
                return count;
        }
        if (EndsWith(w, "es")) {
            const std::string_view bare = w.substr(0, w.size() - 2);
            if (EndsInHissingSound(bare))
                return AddIfFound(LookUpStem(bare, dictionary, depth), 1);
        }
    }

    struct Suffix {
        std::string_view text;
        std::int32_t syllables;
    };
    static constexpr Suffix kSuffixes[] = {
        {"ness", 1}, {"less", 1}, {"able", 2}, {"ing", 1}, {"ly", 1}, {"ed", 1},
    };
    for (const Suffix& suffix : kSuffixes) {
        if (!EndsWith(w, suffix.text))
            continue;
        const std::string_view base = w.substr(0, w.size() - suffix.text.size());
        if (suffix.text == "ed") {
            if (auto count = LookUpStem(base, dictionary, depth))
                return *count + (EndsInTOrD(base) ? 1 : 0);
            const std::string withE = std::string(base) + 'e';
            if (auto count = LookUpStem(withE, dictionary, depth))
                return *count + (EndsInTOrD(withE) ? 1 : 0);
            if (EndsWith(base, "i")) {
                const std::string withY = std::string(base.substr(0, base.size() - 1)) + 'y';
                if (auto count = LookUpStem(withY, dictionary, depth))
                    return count;
            }
            if (base.size() >= 2 && base.back() == base[base.size() - 2])
                return AddIfFound(LookUpStem(base.substr(0, base.size() - 1), dictionary, depth),
                                  EndsInTOrD(base) ? 1 : 0);
            continue;
        }
        if (suffix.text == "ly") {
            // simple -> simply: the -le syllable becomes the -ly one.
            const std::string withLe = std::string(base) + "le";
            if (EndsWith(base, "p") || EndsWith(base, "b") || EndsWith(base, "d")) {
                if (auto count = LookUpStem(withLe, dictionary, depth))
                    return count;
            }
        }
        if (auto count = LookUpStemBeforeSuffix(base, dictionary, depth))
            return *count + suffix.syllables;
    }

    static constexpr std::string_view kPrefixes[] = {"non", "sub", "pre", "un", "re"};
    for (const std::string_view prefix : kPrefixes) {
        if (StartsWith(w, prefix)) {
            if (auto count = LookUpStem(w.substr(prefix.size()), dictionary, depth))
                return *count + 1;
        }
    }
    return std::nullopt;
}

// Lower case, typographic apostrophes made plain, so that stems are found.
std::string PlainLowerCase(std::string_view word) {
    constexpr std::string_view kTypographic = "\xE2\x80\x99";
    const std::string lower = LowerCaseWord(word);
    std::string w;
    w.reserve(lower.size());
    for (std::size_t i = 0; i < lower.size(); ++i) {
        if (std::string_view(lower).substr(i, kTypographic.size()) == kTypographic) {
            w += '\'';
            i += kTypographic.size() - 1;
        } else {
            w += lower[i];
        }
    }
    return w;
}

} // namespace

std::optional<std::int32_t> EstimateSyllablesFromDictionary(std::string_view word,
                                                            const TDictionary& dictionary) {
    if (word.empty())
        return std::nullopt;
    return CountFromStem(PlainLowerCase(word), dictionary, 0);
}
