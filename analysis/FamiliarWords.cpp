#include "analysis/FamiliarWords.h"

#include <array>
#include <string>
#include <unordered_set>

extern const char kDaleChallWordList[];
extern const char kSpacheWordList[];

namespace {

using WordSet = std::unordered_set<std::string_view>;

WordSet SetOf(std::string_view lines) {
    WordSet words;
    std::size_t start = 0;
    while (start < lines.size()) {
        std::size_t end = lines.find('\n', start);
        if (end == std::string_view::npos)
            end = lines.size();
        if (end > start)
            words.insert(lines.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

const WordSet& ListOf(FamiliarList list) {
    static const WordSet daleChall = SetOf(kDaleChallWordList);
    static const WordSet spache = SetOf(kSpacheWordList);
    return list == FamiliarList::DaleChall ? daleChall : spache;
}

bool EndsWith(std::string_view word, std::string_view ending) {
    return word.size() > ending.size() && word.substr(word.size() - ending.size()) == ending;
}

} // namespace

bool IsFamiliarWord(std::string_view lowerWord, FamiliarList list) {
    if (lowerWord.empty())
        return false;
    std::string apostrophes;
    if (lowerWord.find("\u2019") != std::string_view::npos) {
        apostrophes.assign(lowerWord);
        for (std::size_t at; (at = apostrophes.find("\u2019")) != std::string::npos;)
            apostrophes.replace(at, 3, "'");
        lowerWord = apostrophes;
    }
    const WordSet& words = ListOf(list);
    if (words.count(lowerWord) != 0)
        return true;
    static constexpr std::array<std::string_view, 8> kEndings = {"'s", "s",   "es", "ed",
                                                                 "d",  "ing", "er", "est"};
    for (const std::string_view ending : kEndings) {
        if (EndsWith(lowerWord, ending) &&
            words.count(lowerWord.substr(0, lowerWord.size() - ending.size())) != 0)
            return true;
    }
    if (EndsWith(lowerWord, "ies") || EndsWith(lowerWord, "ied")) {
        const std::string stem = std::string(lowerWord.substr(0, lowerWord.size() - 3)) + 'y';
        return words.count(stem) != 0;
    }
    return false;
}

std::size_t FamiliarListSize(FamiliarList list) {
    return ListOf(list).size();
}
