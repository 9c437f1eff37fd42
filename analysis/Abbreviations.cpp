#include "analysis/Abbreviations.h"
#include "text/Bytes.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

struct Entry {
    std::string_view word; // lower case, without the last full stop
    Abbreviation kind;
};

using enum Abbreviation;

// Sorted by word, so that a lookup is a binary search.
constexpr auto kAbbreviations = std::to_array<Entry>({
    {"a.m", Ending},
    {"adm", Title},
    {"al", Ending},
    {"approx", Inner},
    {"apr", Ending},
    {"art", BeforeNumber},
    {"assn", Ending},
    {"aug", Ending},
    {"ave", Ending},
    {"blvd", Ending},
    {"bros", Ending},
    {"ca", Inner},
    {"capt", Title},
    {"cf", Inner},
    {"ch", BeforeNumber},
    {"chap", BeforeNumber},
    {"cmdr", Title},
    {"co", Ending},
    {"col", Title},
    {"corp", Ending},
    {"dec", Ending},
    {"dept", Ending},
    {"dr", Title},
    {"e.g", Inner},
    {"ed", BeforeNumber},
    {"eds", Ending},
    {"eq", BeforeNumber},
    {"esp", Inner},
    {"esq", Ending},
    {"est", Ending},
    {"et", Inner},
    {"etc", Ending},
    {"feb", Ending},
    {"fig", BeforeNumber},
    {"figs", BeforeNumber},
    {"fr", Title},
    {"ft", Ending},
    {"gen", Title},
    {"gov", Title},
    {"govt", Ending},
    {"hon", Title},
    {"hr", Ending},
    {"hrs", Ending},
    {"i.e", Inner},
    {"inc", Ending},
    {"incl", Inner},
    {"insp", Title},
    {"jan", Ending},
    {"jr", Ending},
    {"jul", Ending},
    {"jun", Ending},
    {"lb", Ending},
    {"lbs", Ending},
    {"lt", Title},
    {"ltd", Ending},
    {"maj", Title},
    {"mar", Ending},
    {"messrs", Title},
    {"min", Ending},
    {"misc", Ending},
    {"mlle", Title},
    {"mme", Title},
    {"mr", Title},
    {"mrs", Title},
    {"ms", Title},
    {"mt", Title},
    {"no", BeforeNumber},
    {"nos", BeforeNumber},
    {"nov", Ending},
    {"nr", BeforeNumber},
    {"n\xC2\xB0", BeforeNumber}, // n°
    {"n\xC2\xBA", BeforeNumber},
    {"oct", Ending},
    {"op", BeforeNumber},
    {"oz", Ending},
    {"p", BeforeNumber},
    {"p.m", Ending},
    {"para", BeforeNumber},
    {"ph.d", Ending},
    {"pp", BeforeNumber},
    {"pres", Title},
    {"prof", Title},
    {"pt", BeforeNumber},
    {"rd", Ending},
    {"rep", Title},
    {"rev", Title},
    {"sec", BeforeNumber},
    {"sen", Title},
    {"sep", Ending},
    {"sept", Ending},
    {"sgt", Title},
    {"sr", Ending},
    {"st", Title},
    {"supt", Title},
    {"tel", BeforeNumber},
    {"u.s", Ending},
    {"u.s.a", Ending},
    {"viz", Inner},
    {"vol", BeforeNumber},
    {"vols", BeforeNumber},
    {"vs", Inner},
    {"yr", Ending},
    {"yrs", Ending},
});

constexpr auto kOpeners = std::to_array<std::string_view>({
    "a",     "after",  "all",     "also",   "although", "an",    "and",     "another", "are",
    "as",    "at",     "because", "before", "both",     "but",   "by",      "can",     "could",
    "did",   "do",     "does",    "during", "each",     "even",  "every",   "finally", "first",
    "for",   "from",   "he",      "her",    "here",     "his",   "how",     "however", "i",
    "if",    "in",     "is",      "it",     "its",      "let",   "many",    "may",     "meanwhile",
    "might", "most",   "much",    "my",     "next",     "no",    "not",     "now",     "of",
    "on",    "once",   "one",     "only",   "or",       "our",   "perhaps", "please",  "several",
    "she",   "should", "since",   "so",     "some",     "such",  "that",    "the",     "their",
    "then",  "there",  "these",   "they",   "this",     "those", "though",  "thus",    "to",
    "today", "we",     "were",    "what",   "when",     "where", "which",   "while",   "who",
    "why",   "will",   "with",    "would",  "yes",      "yet",   "you",     "your",
});

static_assert(std::is_sorted(kAbbreviations.begin(), kAbbreviations.end(),
                             [](const Entry& a, const Entry& b) { return a.word < b.word; }));
static_assert(std::is_sorted(kOpeners.begin(), kOpeners.end()));

// ASCII lower case; other bytes (the ° of n°) as they are. Longer words are
// in neither list.
bool LowerInto(std::string_view word, std::array<char, 12>& buffer, std::string_view& lower) {
    if (word.empty() || word.size() > buffer.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        buffer[i] = AsciiLower(word[i]);
    }
    lower = std::string_view(buffer.data(), word.size());
    return true;
}

} // namespace

Abbreviation KindOfAbbreviation(std::string_view word) {
    std::array<char, 12> buffer;
    std::string_view lower;
    if (!LowerInto(word, buffer, lower))
        return None;
    const auto found =
        std::lower_bound(kAbbreviations.begin(), kAbbreviations.end(), lower,
                         [](const Entry& e, std::string_view w) { return e.word < w; });
    return found != kAbbreviations.end() && found->word == lower ? found->kind : None;
}

bool IsSentenceOpener(std::string_view word) {
    std::array<char, 12> buffer;
    std::string_view lower;
    return LowerInto(word, buffer, lower) &&
           std::binary_search(kOpeners.begin(), kOpeners.end(), lower);
}
