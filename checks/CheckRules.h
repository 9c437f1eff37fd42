#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

// The writing checks, in one table: the command line, the reports and the
// desktop program list them from here.
enum class CheckRule {
    HardSentence,
    VeryHardSentence,
    Passive,
    Adverb,
    Wordy,
    Weasel,
    Hedge,
    Filler,
    Cliche,
    ComplexWord,
    RepeatedWord,
};

struct CheckRuleInfo {
    CheckRule rule;
    std::string_view id;          // "hard-sentence", ...
    std::string_view description; // one line, no full stop
};

inline constexpr std::size_t kCheckRuleCount = 11;

// Every rule, in the order of the enumeration.
const std::array<CheckRuleInfo, kCheckRuleCount>& CheckRules();

// The rule's id, such as "passive".
std::string_view CheckRuleId(CheckRule rule);

// The rule of an id; nullopt for an unknown id (and for "").
std::optional<CheckRule> CheckRuleOfId(std::string_view id);
