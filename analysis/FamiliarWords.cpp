#include "analysis/FamiliarWords.h"

#include <array>
#include <string>
#include <unordered_map>

extern const char kDaleChallWordList[];
extern const char kSpacheWordList[];

namespace {

constexpr unsigned Bit(FamiliarList list) {
    return list == FamiliarList::DaleChall ? 1u : 2u;
}

// Both lists in one table, each word with the lists that hold it, so that a
// stem is looked up once for both.
class FamiliarTable {
public:
    FamiliarTable() {
        Add(kDaleChallWordList, FamiliarList::DaleChall);
        Add(kSpacheWordList, FamiliarList::Spache);
    }

    unsigned ListsOf(std::string_view word) const {
        const auto found = words_.find(word);
        return found == words_.end() ? 0u : found->second;
    }

    std::size_t Size(FamiliarList list) const {
        std::size_t size = 0;
        for (const auto& [word, lists] : words_)
            size += (lists & Bit(list)) != 0;
        return size;
    }

private:
    void Add(std::string_view lines, FamiliarList list) {
        std::size_t start = 0;
        while (start < lines.size()) {
            std::size_t end = lines.find('\n', start);
            if (end == std::string_view::npos)
                end = lines.size();
            if (end > start)
                words_[lines.substr(start, end - start)] |= Bit(list);
            start = end + 1;
        }
    }

    std::unordered_map<std::string_view, unsigned> words_;
};

const FamiliarTable& Table() {
    static const FamiliarTable table;
    return table;
}

bool EndsWith(std::string_view word, std::string_view ending) {
    return word.size() > ending.size() && word.substr(word.size() - ending.size()) == ending;
}

} // namespace

unsigned FamiliarListsOf(std::string_view lowerWord) {
    if (lowerWord.empty())
        return 0;
    std::string apostrophes;
    if (lowerWord.find("\u2019") != std::string_view::npos) {
        apostrophes.assign(lowerWord);
        for (std::size_t at; (at = apostrophes.find("\u2019")) != std::string::npos;)
            apostrophes.replace(at, 3, "'");
        lowerWord = apostrophes;
    }
    constexpr unsigned kBoth = 3;
    const FamiliarTable& table = Table();
    unsigned lists = table.ListsOf(lowerWord);
    static constexpr std::array<std::string_view, 8> kEndings = {"'s", "s",   "es", "ed",
                                                                 "d",  "ing", "er", "est"};
    for (const std::string_view ending : kEndings) {
        if (lists == kBoth)
            return lists;
        if (EndsWith(lowerWord, ending))
            lists |= table.ListsOf(lowerWord.substr(0, lowerWord.size() - ending.size()));
    }
    if (lists != kBoth && (EndsWith(lowerWord, "ies") || EndsWith(lowerWord, "ied"))) {
        const std::string stem = std::string(lowerWord.substr(0, lowerWord.size() - 3)) + 'y';
        lists |= table.ListsOf(stem);
    }
    return lists;
}

bool IsFamiliarWord(std::string_view lowerWord, FamiliarList list) {
    return (FamiliarListsOf(lowerWord) & Bit(list)) != 0;
}

std::size_t FamiliarListSize(FamiliarList list) {
    return Table().Size(list);
}
