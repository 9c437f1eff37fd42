#include "checks/CheckLists.h"

#include <algorithm>

extern const char kParticipleList[];
extern const char kAdverbList[];
extern const char kPlainLanguageList[];
extern const char kWordyList[];
extern const char kWeaselList[];
extern const char kHedgeList[];
extern const char kFillerList[];
extern const char kClicheList[];

namespace {

// Words ending in -ed that are no past participle.
constexpr std::string_view kNotParticiples[] = {
    "bleed",  "breed",   "creed",  "crooked", "deed",    "embed",   "exceed", "feed",    "greed",
    "heed",   "hundred", "indeed", "jagged",  "kindred", "naked",   "need",   "proceed", "ragged",
    "rugged", "sacred",  "seed",   "speed",   "steed",   "succeed", "weed",   "wicked",  "wretched",
};

// Adverbs without -ly that may stand between "be" and a participle ("is not
// used", "was already taken").
constexpr std::string_view kAdverbsBetween[] = {
    "also", "already", "always", "even", "ever", "just",  "never",
    "not",  "now",     "often",  "once", "soon", "still", "then",
};

constexpr std::string_view kFormsOfBe[] = {"am", "is", "are", "was", "were", "be", "been", "being"};

// Lines of a list, each up to an optional tab; empty lines skipped.
template <typename OnLine> void ForEachLine(std::string_view list, OnLine onLine) {
    while (!list.empty()) {
        const std::size_t end = std::min(list.find('\n'), list.size());
        std::string_view line = list.substr(0, end);
        list.remove_prefix(std::min(end + 1, list.size()));
        const std::size_t tab = line.find('\t');
        const std::string_view entry = line.substr(0, tab);
        const std::string_view rest =
            tab == std::string_view::npos ? std::string_view{} : line.substr(tab + 1);
        if (!entry.empty())
            onLine(entry, rest);
    }
}

// Earlier rules win among phrases of one length.
int Priority(CheckRule rule) {
    switch (rule) {
    case CheckRule::Cliche:
        return 0;
    case CheckRule::Wordy:
        return 1;
    case CheckRule::Adverb:
        return 2;
    case CheckRule::Weasel:
        return 3;
    case CheckRule::Hedge:
        return 4;
    default:
        return 5;
    }
}

std::string Normalised(std::string_view lowerWord) {
    std::string word;
    word.reserve(lowerWord.size());
    for (std::size_t at = 0; at < lowerWord.size(); ++at) {
        if (lowerWord.substr(at, 3) == "\u2019") {
            word += '\'';
            at += 2;
        } else {
            word += lowerWord[at];
        }
    }
    return word;
}

} // namespace

const CheckLists& CheckLists::Get() {
    static const CheckLists lists;
    return lists;
}

CheckLists::CheckLists() {
    for (const std::string_view be : kFormsOfBe)
        flags_[Number(be)] |= FormOfBe;
    for (const std::string_view word : kNotParticiples)
        flags_[Number(word)] |= NotParticiple;
    for (const std::string_view word : kAdverbsBetween)
        flags_[Number(word)] |= MayStandBetween;
    AddWords(kParticipleList, Participle);
    AddPhrases(kClicheList, CheckRule::Cliche);
    AddPlainLanguage(kPlainLanguageList);
    AddPhrases(kWordyList, CheckRule::Wordy);
    AddPhrases(kAdverbList, CheckRule::Adverb);
    AddPhrases(kWeaselList, CheckRule::Weasel);
    AddPhrases(kHedgeList, CheckRule::Hedge);
    AddPhrases(kFillerList, CheckRule::Filler);
    for (auto& from : longPhrasesFrom_) {
        std::stable_sort(from.begin(), from.end(), [this](std::uint32_t a, std::uint32_t b) {
            const Phrase& pa = phrases_[a];
            const Phrase& pb = phrases_[b];
            if (pa.words[1] != pb.words[1])
                return pa.words[1] < pb.words[1];
            if (pa.words.size() != pb.words.size())
                return pa.words.size() > pb.words.size();
            return Priority(pa.rule) < Priority(pb.rule);
        });
    }
    longSeconds_.resize(longPhrasesFrom_.size());
    for (std::size_t first = 0; first < longPhrasesFrom_.size(); ++first) {
        for (const std::uint32_t phrase : longPhrasesFrom_[first]) {
            const std::uint32_t second = phrases_[phrase].words[1];
            longSeconds_[first].push_back(second);
            const std::uint32_t bit = PairBit(static_cast<std::uint32_t>(first), second);
            pairFilter_[bit / 64] |= std::uint64_t{1} << (bit % 64);
        }
    }
}

std::uint32_t CheckLists::Number(std::string_view word) {
    const auto [slot, inserted] =
        numbers_.try_emplace(std::string(word), static_cast<std::uint32_t>(flags_.size()));
    if (inserted) {
        flags_.push_back(0);
        simpler_.emplace_back();
        longPhrasesFrom_.emplace_back();
        wordPhrase_.push_back(kNoPhrase);
    }
    return slot->second;
}

std::uint32_t CheckLists::WordNumber(std::string_view lowerWord) const {
    if (lowerWord.find("\u2019") != std::string_view::npos) {
        const auto found = numbers_.find(Normalised(lowerWord));
        return found == numbers_.end() ? kNoWord : found->second;
    }
    // A heterogeneous lookup would spare this copy; the pass calls this once per
    // distinct word of a text, not per occurrence.
    const auto found = numbers_.find(std::string(lowerWord));
    return found == numbers_.end() ? kNoWord : found->second;
}

void CheckLists::AddWords(const char* list, WordFlag flag) {
    ForEachLine(list,
                [&](std::string_view word, std::string_view) { flags_[Number(word)] |= flag; });
}

void CheckLists::AddPhrases(const char* list, CheckRule rule) {
    ForEachLine(list, [&](std::string_view entry, std::string_view suggestion) {
        AddPhrase(entry, suggestion, rule);
    });
}

void CheckLists::AddPhrase(std::string_view entry, std::string_view suggestion, CheckRule rule) {
    Phrase phrase;
    phrase.rule = rule;
    phrase.suggestion = suggestion;
    while (!entry.empty()) {
        const std::size_t space = std::min(entry.find(' '), entry.size());
        if (space > 0)
            phrase.words.push_back(Number(entry.substr(0, space)));
        entry.remove_prefix(std::min(space + 1, entry.size()));
    }
    if (phrase.words.empty())
        return;
    const auto number = static_cast<std::uint32_t>(phrases_.size());
    const std::uint32_t first = phrase.words.front();
    if (phrase.words.size() > 1) {
        longPhrasesFrom_[first].push_back(number);
    } else if (wordPhrase_[first] == kNoPhrase ||
               Priority(rule) < Priority(phrases_[wordPhrase_[first]].rule)) {
        wordPhrase_[first] = number;
    }
    phrases_.push_back(std::move(phrase));
}

// The plain-language list: its phrases are wordy, and its single words are
// complex where they have three syllables or more (the pass decides that).
void CheckLists::AddPlainLanguage(const char* list) {
    ForEachLine(list, [&](std::string_view entry, std::string_view simpler) {
        if (entry.find(' ') == std::string_view::npos)
            simpler_[Number(entry)] = simpler;
        else
            AddPhrase(entry, simpler, CheckRule::Wordy);
    });
}
