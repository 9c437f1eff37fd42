#include "checks/CheckRules.h"

const std::array<CheckRuleInfo, kCheckRuleCount>& CheckRules() {
    static constexpr std::array<CheckRuleInfo, kCheckRuleCount> rules{{
        {CheckRule::HardSentence, "hard-sentence",
         "a sentence whose own grade is above the target"},
        {CheckRule::VeryHardSentence, "very-hard-sentence",
         "a sentence whose own grade is 4 or more above the target"},
        {CheckRule::Passive, "passive", "a form of \"be\" followed by a past participle"},
        {CheckRule::Adverb, "adverb", "an adverb that weakens the sentence"},
        {CheckRule::Wordy, "wordy", "a wordy phrase, with a plainer one where there is one"},
        {CheckRule::Weasel, "weasel", "a weasel word that claims without saying"},
        {CheckRule::Hedge, "hedge", "a hedge that softens what the sentence says"},
        {CheckRule::Filler, "filler", "a filler word that adds nothing"},
        {CheckRule::Cliche, "cliche", "a worn-out phrase"},
        {CheckRule::ComplexWord, "complex-word",
         "a word of three syllables or more that has a simpler alternative"},
        {CheckRule::RepeatedWord, "repeated-word", "the same word twice in a row"},
    }};
    return rules;
}

std::string_view CheckRuleId(CheckRule rule) {
    return CheckRules()[static_cast<std::size_t>(rule)].id;
}

std::optional<CheckRule> CheckRuleOfId(std::string_view id) {
    for (const CheckRuleInfo& info : CheckRules()) {
        if (info.id == id)
            return info.rule;
    }
    return std::nullopt;
}
