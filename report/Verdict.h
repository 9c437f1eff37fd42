#pragma once

#include "analysis/CountingPasses.h"
#include "analysis/PassageDetails.h"
#include "report/ReadabilityIndices.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the figures say in plain words, for a teacher who wants to know
// whether a passage suits her class.

// Flesch's own reading of his Reading Ease score: "very easy" (90 and above),
// "easy" (80), "fairly easy" (70), "standard" (60), "fairly difficult" (50),
// "difficult" (30), "very confusing" (below 30).
std::string_view FleschEaseBand(double readingEase);

// Whether the text reads as prose: false when it runs on for more than this
// many words a sentence on average (a symbol list, a table, code), whose grade
// would mean nothing. A text without words is not prose either.
inline constexpr std::int32_t kMostWordsPerProseSentence = 100;
bool LooksLikeProse(const AnalysisCounts& counts);

// The consensus grade as a whole grade: "grade 7", "college" above grade 12;
// at least grade 1.
std::string GradeWords(double consensus);

// The whole grade a consensus grade stands for: at least 1, 13 for college.
int WholeGrade(double consensus);

// How many whole grades the consensus lies above the target, however far
// (college is not one grade): 0 or less when the text suits the target.
int GradesAbove(double consensus, int targetGrade);

// How far each part of the Flesch-Kincaid formula lifts a text above the
// target: the words' part against plain words of kPlainSyllablesPerWord, the
// sentences' part against the sentence length that with such words makes the
// target. The two add up to the text's Flesch-Kincaid grade less the target;
// either may be below 0.
struct GradeCauses {
    double sentences = 0;
    double words = 0;
};
inline constexpr double kPlainSyllablesPerWord = 1.4;
// Empty without words or sentences.
std::optional<GradeCauses> CausesAbove(const AnalysisCounts& counts, int targetGrade);

struct Verdict {
    bool prose = false;
    std::string headline;              // one or two sentences, for the details window
    std::optional<int> gradesTooHard;  // with a target grade, when the text is above it
    std::optional<GradeCauses> causes; // likewise
};

// The headline: "About grade 7 (six formulas give 5.9 to 8.3), fairly
// easy (Flesch Reading Ease 76.6); Fry's graph reads grade 7." With a target
// grade, "3 grades too hard for grade 4: ..." and what lifts the grade
// (CausesAbove), or "Suits grade 8.", follows. Text
// that is not prose gets a warning instead of a grade; a text without
// sentences or words says so. decimalSeparator is the user's.
Verdict MakeVerdict(const AnalysisCounts& counts, const IndexCounts& more,
                    std::optional<int> targetGrade, std::string_view decimalSeparator = ".");

// The sentences whose shortening would lower the grade most, first: each
// sentence longer than the average ranked by how far the Flesch-Kincaid grade
// of the whole text falls when it is cut to the average length, its words as
// long as they were (a long sentence of long words falls furthest). At most
// limit of them; sentences no longer than the average are left out; ties in
// the order of the text. The only sentence of a text is listed alone. Given
// the passage the details point into, headings and other sentences without an
// end mark of their own, and list items, are left out too.
std::vector<std::size_t> SentencesToShortenFirst(const PassageDetails& details, std::size_t limit,
                                                 std::string_view passage = {});

// The rows of the words to replace first: difficult words (three syllables or
// more) and words off the Dale-Chall list, those that occur most first, ties in
// the order first met; at most limit of them. Words without letters are left out.
std::vector<std::size_t> WordsToReplaceFirst(const PassageDetails& details, std::size_t limit);

// "Words to replace first: commence (start), elephants." with the simpler
// alternative where the plain-language list has one; "" for no such words.
std::string WordsToReplaceText(const PassageDetails& details, std::size_t limit);
