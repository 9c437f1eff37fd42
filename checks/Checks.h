#pragma once

#include "analysis/PassageDetails.h"
#include "checks/CheckRules.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The writing checks: a pass over the words and sentences that an analysis
// under the careful rules has already found (PassageDetails), so that the
// counts never change and nothing is counted twice.

struct Finding {
    CheckRule rule = CheckRule::HardSentence;
    std::size_t sentence = 0; // into PassageDetails::sentences
    std::size_t offset = 0;   // bytes, in the analysed passage
    std::size_t length = 0;
    std::string message;
    std::string suggestion; // "" for none
};

// Sentences above this grade are hard when no target is given.
inline constexpr double kDefaultTargetGrade = 10.0;
// A sentence this far above the target or further is very hard.
inline constexpr double kVeryHardAboveTarget = 4.0;

// The Flesch-Kincaid grade of one sentence of these counts:
// 0.39 words + 11.8 syllables / words - 15.59. 0 for no words.
double SentenceGrade(std::int32_t words, std::int32_t syllables);

// HardSentence, VeryHardSentence, or nullopt for a sentence at or below the
// target.
std::optional<CheckRule> SentenceDifficulty(double grade, double target);

// Where a sentence's text ends with its end mark and any closing quotes or
// brackets ("stops.", "really?!", "said.\""), which its span may leave out;
// nullopt when it has no ".", "!", "?" or ellipsis of its own (a heading, a
// table cell, a paragraph left open). The span lies in the passage.
std::optional<std::size_t> SentenceEndWithMark(std::string_view passage, const TextSpan& span);

// Whether a list marker or a bullet stands before the sentence.
bool IsListItem(std::string_view passage, const TextSpan& span);

// The simpler alternative to a lower-cased word on the plain-language list;
// "" for none.
std::string_view SimplerWordFor(std::string_view lowerWord);

// The findings of every check in the passage whose details are given, in the
// order of the text (a sentence's own finding before those inside it). The
// passage is the text the details' spans point into (WorkingTexts::passage
// under the careful rules). Sentences without their own end mark (headings,
// table cells) and list items are not graded. An empty passage gives none.
// Throws std::invalid_argument when a span lies outside the passage.
std::vector<Finding> RunChecks(std::string_view passage, const PassageDetails& details,
                               std::optional<double> targetGrade = std::nullopt);

// A place in a text as an editor shows it: the line from 1 and the column from
// 1, counted in Unicode code points.
struct TextPlace {
    std::int32_t line = 1;
    std::int32_t column = 1;
};

// Turns passage offsets into places, given where each line starts
// (LineStartsOfText). Offsets asked in increasing order cost no more together
// than one walk over the passage.
class TextPlaces {
public:
    TextPlaces(std::string_view passage, std::vector<std::size_t> lineStarts);

    // The place of an offset; an offset past the end counts to the end.
    TextPlace At(std::size_t offset);

private:
    std::string_view passage_;
    std::vector<std::size_t> lineStarts_;
    std::size_t cachedOffset_ = 0; // where cachedColumn_ was counted
    std::int32_t cachedLine_ = 1;
    std::int32_t cachedColumn_ = 1;
};
