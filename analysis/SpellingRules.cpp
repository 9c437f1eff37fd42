// The syllable count of a word by its spelling alone: vowel groups, silent e,
// vowel pairs that split, and a table of the words the rules get wrong.

#include "analysis/SpellingRules.h"
#include "analysis/SyllableEstimate.h"
#include "text/Bytes.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// The word as plain lower-case letters a to z: accented Latin letters lose their
// accent, everything else is dropped. finalAccent is set when the word ends in an
// accented e ("café"), whose e is never silent.
std::string PlainLetters(std::string_view word, bool& finalAccent) {
    std::string letters;
    letters.reserve(word.size());
    finalAccent = false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            letters += AsciiLower(static_cast<char>(c));
        } else if (c == 0xC3 && i + 1 < word.size() &&
                   (static_cast<unsigned char>(word[i + 1]) & 0xC0) == 0x80) {
            // U+00C0 to U+00FF: the Latin-1 letters, upper case 0x80-0x9E, lower 0xA0-0xBF.
            const auto low = static_cast<unsigned char>(word[++i]) & 0xDF;
            static constexpr std::string_view kBase = "aaaaaaeceeeeiiiidnooooo/ouuuuyt";
            if (low >= 0x80 && low - 0x80u < kBase.size() && kBase[low - 0x80] != '/') {
                letters += kBase[low - 0x80];
                finalAccent = (low >= 0x88 && low <= 0x8B) && i + 1 == word.size();
            }
        }
    }
    return letters;
}

// Which letters sound as vowels: y after a consonant or at the end, u not after q
// (queue) nor in gu before a vowel at the start or after n (guess, language).
std::vector<bool> VowelLetters(std::string_view w) {
    std::vector<bool> vowel(w.size());
    // Kept as the loop goes: searching back for it made a long "word" quadratic.
    bool earlierVowel = false;
    for (std::size_t i = 0; i < w.size(); ++i) {
        const char c = w[i];
        const bool nextVowel = i + 1 < w.size() && IsPlainVowel(w[i + 1]);
        if (c == 'y') {
            // Before a vowel y is a consonant (kenya, backyard) unless it is the
            // word's first vowel sound (flyer, dye) or the i of -ing follows (lying).
            const bool beforeIng = w.substr(i + 1) == "ing" || w.substr(i + 1) == "ings";
            vowel[i] = !nextVowel || beforeIng || (i > 0 && !earlierVowel);
        } else if (c == 'u') {
            const bool afterQ = i > 0 && w[i - 1] == 'q';
            const bool guVowel =
                i > 0 && w[i - 1] == 'g' && nextVowel && (i == 1 || w[i - 2] == 'n');
            vowel[i] = !afterQ && !guVowel;
        } else {
            vowel[i] = IsPlainVowel(c);
        }
        earlierVowel = earlierVowel || vowel[i];
    }
    return vowel;
}

struct VowelGroup {
    std::size_t begin; // first vowel letter
    std::size_t end;   // one past the last
};

// Whether the vowel pair at i, i + 1 (inside one group) is two syllables.
bool VowelPairSplits(std::string_view w, std::size_t i, const VowelGroup& group, bool firstGroup) {
    const char a = w[i];
    const char b = w[i + 1];
    const char before = i > 0 ? w[i - 1] : '\0';
    const std::string_view after = w.substr(i + 2);
    const bool softBefore =
        before == 't' || before == 's' || before == 'c' || before == 'x' || before == 'g';
    const bool atEnd = group.end == w.size();
    if (a == 'i' && b == 'a') {
        // -tia-, -cia-, -sia- are one sound (initial, asian), but not in the
        // verbs in -iate (appreciate).
        if (softBefore)
            return StartsWith(after, "t");
        // Final -lia: amelia, regalia.
        if (before == 'l' && !firstGroup && (after.empty() || after == "s"))
            return false;
        return true;
    }
    if (a == 'i' && b == 'o') {
        // -tion, -cious, -gion are one sound; final -io is two (adagio).
        if (softBefore)
            return !(StartsWith(after, "n") || StartsWith(after, "us"));
        // -llion, -nion: million, opinion (but lion).
        if ((before == 'l' || before == 'n') && !firstGroup && StartsWith(after, "n"))
            return false;
        return true;
    }
    if (a == 'i' && b == 'u')
        return true;
    if (a == 'i' && b == 'e') {
        if (softBefore && StartsWith(after, "nt"))
            return false;
        return after == "t" || after == "ts" || after == "r" || after == "rs" || after == "st" ||
               StartsWith(after, "nt") || StartsWith(after, "nc");
    }
    if (a == 'e' && b == 'a') {
        if (before == 'r' && i >= 2 && w[i - 2] == 'c' && StartsWith(after, "t"))
            return true; // create
        if (i + 2 != group.end)
            return false; // bureau
        if (!firstGroup && before != 'c' && (after == "n" || after == "ns"))
            return true; // korean
        return atEnd && !firstGroup;
    }
    if (a == 'e' && b == 'o') {
        if (StartsWith(after, "p"))
            return false; // people
        if ((before == 'g' || before == 'c') && i > 1)
            return false; // gorgeous, pigeon
        return true;
    }
    if (a == 'u' && b == 'a')
        return true;
    if (a == 'u' && b == 'e')
        return after == "l" || after == "ls" || after == "t" || after == "ts" ||
               StartsWith(after, "nt") || StartsWith(after, "nc") || after == "r" || after == "rs";
    if (a == 'u' && b == 'i')
        return StartsWith(after, "d") || after == "n" || after == "ns" || StartsWith(after, "ng");
    if (a == 'o' && b == 'e')
        return StartsWith(after, "m") || after == "t" || after == "ts" || after == "l";
    if (a == 'o' && b == 'a')
        return atEnd || (!firstGroup && (after == "n" || after == "ns")); // balboa, samoan
    if (a == 'a' && b == 'i')
        return after == "c" || after == "cs"; // algebraic
    if (a == 'e' && b == 'i')
        return after == "st" || after == "sts" || after == "sm" || after == "d"; // atheist
    if (a == 'e' && b == 'u')
        return after == "m" || after == "ms";
    if ((a == 'a' && b == 'o') || (a == 'u' && b == 'o') || (a == 'i' && b == 'i'))
        return true;
    if (a == 'y' && IsPlainVowel(b))
        return true;
    // A vowel before the i of -ing: being, going, argu-ing.
    if (b == 'i' && (after == "ng" || after == "ngs"))
        return true;
    return false;
}

// Suffixes and second halves of compounds before which a final e stays silent:
// lovely, statement, rosewood, snakebite.
bool IsSuffixOrCompoundPart(std::string_view rest) {
    static constexpr std::string_view kParts[] = {
        "back",   "berg",    "bite",     "board",   "boat",   "book",    "bridge",   "brook",
        "burg",   "craft",   "dale",     "day",     "field",  "ford",    "ful",      "fully",
        "ground", "hall",    "head",     "hold",    "holder", "house",   "land",     "less",
        "lessly", "light",   "like",     "line",    "ly",     "maker",   "man",      "mark",
        "men",    "ment",    "ness",     "place",   "point",  "port",    "ship",     "shop",
        "side",   "smith",   "stone",    "time",    "town",   "walk",    "wall",     "ward",
        "water",  "way",     "well",     "wick",    "ville",  "wood",    "work",     "worth",
        "wright", "yard",    "boarding", "brain",   "coming", "fighter", "fighting", "giving",
        "goat",   "holding", "keeper",   "keeping", "load",   "making",  "saving",   "stepping",
        "strain", "tail",    "taking",   "walking", "ware",   "worker",  "working",
    };
    if (rest.size() > 2 && rest.back() == 's' && rest[rest.size() - 2] != 's')
        rest.remove_suffix(1);
    return std::find(std::begin(kParts), std::end(kParts), rest) != std::end(kParts);
}

// A prefix whose vowel runs into the stem's first vowel without joining it:
// re-elect, co-author, pre-empt. Only stems that are common after the prefix,
// since most words that start with "rea" or "coa" do not split (read, coast).
bool PrefixVowelSplits(std::string_view w) {
    struct Prefix {
        std::string_view prefix;
        std::initializer_list<std::string_view> stems;
    };
    static const Prefix kPrefixes[] = {
        {"re", {"aff", "all", "ass", "act", "adj", "adm", "app", "arr",  "auth", "awak", "acq",
                "arm", "ed",  "el",  "em",  "en",  "est", "ev",  "exa",  "exp",  "imb",  "imp",
                "inc", "inf", "ins", "int", "inv", "ite", "o",   "unif", "unit", "us"}},
        {"pre", {"emp", "ex", "ord", "arr", "adm", "ign"}},
        {"co", {"auth", "ag", "al", "ed", "erc", "ex", "eff", "inc", "ord"}},
        {"de", {"act", "emph", "esc", "ind", "ins", "ion"}},
    };
    for (const Prefix& p : kPrefixes) {
        if (!StartsWith(w, p.prefix))
            continue;
        const std::string_view stem = w.substr(p.prefix.size());
        for (const std::string_view start : p.stems) {
            if (StartsWith(stem, start) && stem.size() > start.size() + 1)
                return true;
        }
    }
    return false;
}

// The single e at the end of the word (or before -s, -d, -ly, -ment, ...) that is
// not sounded.
bool IsSilentE(std::string_view w, const VowelGroup& group, std::size_t groups, bool firstGroup) {
    if (groups < 2 || group.end - group.begin != 1 || w[group.begin] != 'e')
        return false;
    const std::size_t e = group.begin;
    const std::string_view rest = w.substr(e + 1);
    const char before = e > 0 ? w[e - 1] : '\0';
    const char before2 = e > 1 ? w[e - 2] : '\0';
    const bool consonantBefore2 = e > 1 && !IsPlainVowel(before2) && before2 != 'y';
    // Before a suffix only an e after a sounded vowel is silent: lovely, but rely.
    const bool suffixAfter = !firstGroup && IsSuffixOrCompoundPart(rest);
    if (!(rest.empty() || rest == "s" || rest == "d" || suffixAfter))
        return false;
    // -le, -re after a consonant (table, acre) and -ire (fire) keep their syllable.
    if ((before == 'l' || before == 'r') && consonantBefore2 && before2 != before &&
        before2 != 'w' && before2 != 'r')
        return false;
    if (before == 'r' && (before2 == 'i' || before2 == 'y') &&
        (e < 3 || !IsPlainVowel(w[e - 3]) || (e >= 4 && w[e - 3] == 'u' && w[e - 4] == 'q')) &&
        !(e >= 4 && w.substr(e - 4, 2) == "sh"))
        return false; // fire, tyre, acquire (but claire, cheshire)
    if (rest == "s" && !suffixAfter) {
        // -es after a hissing sound is a syllable: boxes, pages, wishes.
        if (before == 's' || before == 'z' || before == 'x' || before == 'c' || before == 'g')
            return false;
        if (before == 'h' && (before2 == 'c' || before2 == 's'))
            return false;
    }
    if (rest == "d" && (before == 't' || before == 'd'))
        return false; // wanted, ended
    return true;
}

// A few hundred words that the rules get wrong and that are common enough to be
// worth knowing: loan words, and vowel pairs that the rules cannot tell apart.
constexpr std::pair<std::string_view, std::int32_t> kRuleExceptions[] = {
    {"abalone", 4},   {"acne", 2},       {"adobe", 3},     {"anemone", 4},     {"apostrophe", 4},
    {"being", 2},     {"biopsy", 3},     {"business", 2},  {"cafe", 2},        {"catastrophe", 4},
    {"chaos", 2},     {"cliche", 2},     {"coincide", 3},  {"cooperate", 4},   {"coordinate", 4},
    {"coyote", 3},    {"every", 3},      {"evening", 2},   {"facade", 2},      {"fiance", 3},
    {"finale", 3},    {"forever", 3},    {"hyperbole", 4}, {"karate", 3},      {"maybe", 2},
    {"naive", 2},     {"people", 2},     {"poem", 2},      {"recipe", 3},      {"resume", 3},
    {"sesame", 3},    {"simile", 3},     {"somewhere", 2}, {"sometimes", 2},   {"therefore", 2},
    {"ukulele", 4},   {"whereas", 2},    {"wednesday", 2}, {"everyone", 3},    {"everything", 3},
    {"everybody", 4}, {"everywhere", 3}, {"family", 3},    {"different", 3},   {"interest", 3},
    {"reality", 4},   {"realize", 3},    {"react", 2},     {"reaction", 3},    {"theatre", 3},
    {"theater", 3},   {"area", 3},       {"idea", 3},      {"ideas", 3},       {"lion", 2},
    {"quiet", 2},     {"science", 2},    {"create", 2},    {"creates", 2},     {"created", 3},
    {"creating", 3},  {"creation", 3},   {"creative", 3},  {"queue", 1},       {"the", 1},
    {"anyone", 3},    {"someone", 2},    {"moreover", 3},  {"whatsoever", 4},  {"whoever", 3},
    {"likewise", 2},  {"theory", 3},     {"variety", 4},   {"proprietary", 5}, {"homepage", 2},
};

// The table's count for the word, empty when the table lacks it.
std::optional<std::int32_t> ExceptionCount(std::string_view letters) {
    for (const auto& [word, count] : kRuleExceptions) {
        if (word == letters)
            return count;
    }
    return std::nullopt;
}

// A word without a vowel letter: an interjection (hmm, shh) or a drawn-out
// sound (hmmmm, zzzzz, a row of b's: four of a letter in a row) is one
// syllable; anything else is letters spelled out (BBC, DVD, www, kkk), one
// syllable each but w (double-u), and no more than the nine of "www": a longer
// row of consonants is no abbreviation anyone spells out.
std::int32_t CountWithoutVowels(std::string_view w) {
    constexpr std::int32_t kMostSpelledOut = 9;
    for (std::size_t i = 0; i + 3 < w.size(); ++i) {
        if (w[i] != 'w' && w[i] == w[i + 1] && w[i] == w[i + 2] && w[i] == w[i + 3])
            return 1;
    }
    static constexpr std::string_view kInterjections[] = {
        "brr", "brrr", "grr",  "grrr", "hm", "hmm", "hmmm", "mm",  "mmm",
        "nth", "pfft", "psst", "pst",  "sh", "shh", "shhh", "tsk", "zzz"};
    if (std::find(std::begin(kInterjections), std::end(kInterjections), w) !=
        std::end(kInterjections))
        return 1;
    std::int32_t letters = 0;
    for (const char c : w) {
        letters += c == 'w' ? 3 : 1;
        if (letters >= kMostSpelledOut)
            return kMostSpelledOut;
    }
    return letters;
}

// The count of a word of plain letters (at least one) by the rules alone.
std::int32_t CountByRules(std::string_view word, bool finalAccent) {
    // A leading "eye" sounds as one vowel (eyebrow, eyelashes).
    std::string spelled(word);
    if (StartsWith(spelled, "eye"))
        spelled.replace(0, 3, "ai");
    const std::string_view w = spelled;
    const std::vector<bool> vowel = VowelLetters(w);
    std::vector<VowelGroup> groups;
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (!vowel[i])
            continue;
        if (!groups.empty() && groups.back().end == i)
            ++groups.back().end;
        else
            groups.push_back({i, i + 1});
    }
    if (groups.empty())
        return CountWithoutVowels(w);

    std::int32_t count = 0;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const VowelGroup& group = groups[g];
        if (g + 1 == groups.size() && finalAccent && group.end == w.size()) {
            ++count;
            continue;
        }
        if (IsSilentE(w, group, groups.size(), g == 0))
            continue;
        ++count;
        for (std::size_t i = group.begin; i + 1 < group.end; ++i) {
            if (VowelPairSplits(w, i, group, g == 0))
                ++count;
        }
    }

    // Syllables without a vowel letter: -ism, -asm, rhythm; the Mc of names.
    if (EndsWith(w, "sm") || EndsWith(w, "sms") || EndsWith(w, "thm") || EndsWith(w, "thms"))
        ++count;
    if (StartsWith(w, "mc") && w.size() > 2)
        ++count;
    if (PrefixVowelSplits(w))
        ++count;
    // -ically has one syllable less than its spelling (basically).
    if (EndsWith(w, "ically") && count > 2)
        --count;
    // -gue after a vowel or n is silent: league, tongue (but ar-gue).
    const std::size_t gue = w.rfind("gue");
    if (gue != std::string_view::npos && gue > 0 &&
        (gue + 3 == w.size() || w.substr(gue + 3) == "s" || w.substr(gue + 3) == "d") &&
        (vowel[gue - 1] || w[gue - 1] == 'n') && count > 1)
        --count;
    return std::max<std::int32_t>(count, 1);
}

} // namespace

bool EndsInHissingSound(std::string_view stem) {
    // The sound at the end, so a silent e is looked through (horse, judge).
    std::string_view s = stem;
    if (EndsWith(s, "e") && s.size() > 2 && !IsPlainVowel(s[s.size() - 2]))
        s.remove_suffix(1);
    return EndsWith(s, "s") || EndsWith(s, "z") || EndsWith(s, "x") || EndsWith(s, "ch") ||
           EndsWith(s, "sh") || (s != stem && (EndsWith(s, "c") || EndsWith(s, "g")));
}

std::int32_t EstimateSyllablesByRules(std::string_view word) {
    bool finalAccent = false;
    const std::string allLetters = PlainLetters(word, finalAccent);
    // The glued endings are taken off one at a time in a loop, not by calling
    // this function again: a "word" of 30,000 of them must not run out of stack.
    // An ending begins with a byte that no letter's second byte can be, so the
    // letters of what is left are the first stemLetters of allLetters.
    std::string_view rest = word;
    std::size_t stemLetters = allLetters.size();
    std::int32_t endingSyllables = 0;
    // A word carries one possessive and one n't at most: "cat's's's..." adds a
    // syllable once, not once per ending.
    bool possessive = false;
    bool negation = false;
    for (bool tookOff = true; tookOff;) {
        tookOff = false;
        // A possessive 's is a syllable of its own after a hissing sound (boss's).
        for (const std::string_view ending :
             {std::string_view("'s"), std::string_view("\xE2\x80\x99s"), std::string_view("'S")}) {
            if (!possessive && EndsWith(rest, ending) && rest.size() > ending.size()) {
                // A stem without letters ("~'s") leaves the s to be counted below.
                if (stemLetters > 1) {
                    possessive = true;
                    --stemLetters;
                    const std::string_view stem(allLetters.data(), stemLetters);
                    endingSyllables += EndsInHissingSound(stem) ? 1 : 0;
                    rest.remove_suffix(ending.size());
                    tookOff = true;
                }
                break;
            }
        }
        if (tookOff)
            continue;
        // n't after a consonant is a syllable of its own: isn't, doesn't (but don't).
        for (const std::string_view ending :
             {std::string_view("n't"), std::string_view("n\xE2\x80\x99t")}) {
            if (!negation && EndsWith(rest, ending) && rest.size() > ending.size() &&
                !IsPlainVowel(static_cast<char>(rest[rest.size() - ending.size() - 1] | 0x20))) {
                negation = true;
                stemLetters -= 2;
                ++endingSyllables;
                rest.remove_suffix(ending.size());
                tookOff = true;
                break;
            }
        }
    }
    const std::string_view letters(allLetters.data(), stemLetters);
    if (letters.empty())
        return endingSyllables; // nothing but endings after something without letters ("~n't")
    // The final accent belongs to the whole word only.
    if (rest.size() != word.size())
        PlainLetters(rest, finalAccent);
    if (const auto exception = ExceptionCount(letters))
        return *exception + endingSyllables;
    return CountByRules(letters, finalAccent) + endingSyllables;
}
