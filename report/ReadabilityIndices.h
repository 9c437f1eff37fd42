#pragma once

#include "analysis/CountingPasses.h"
#include "analysis/PassageDetails.h"
#include "report/FryGraph.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Readability indices beyond the report's three, from the counts of the same
// words and sentences. Each is empty where a divisor is zero.
enum class ExtraIndex {
    Smog,
    ColemanLiau,
    AutomatedReadability,
    Lix,
    Forcast,
    DaleChall,
    Spache,
    McAlpineEflaw,
    LinsearWrite,
    Consensus,
};
inline constexpr std::size_t kExtraIndices = 10;

// The key the Dale-Chall score had in JSON before it was named for what it
// computes; written beside "daleChall" for one more release.
inline constexpr std::string_view kOldDaleChallKey = "newDaleChall";

struct ExtraIndexInfo {
    std::string_view name;    // "SMOG grade"
    std::string_view key;     // camelCase, for JSON and CSV: "smogGrade"
    std::string_view meaning; // one line for the details window
};

inline constexpr std::array<ExtraIndexInfo, kExtraIndices> kExtraIndexInfo = {{
    {"SMOG grade", "smogGrade",
     "School grade from words of three or more syllables, scaled to 30 sentences"},
    {"Coleman\u2013Liau index", "colemanLiauIndex",
     "School grade from letters and sentences per 100 words"},
    {"Automated Readability Index", "automatedReadabilityIndex",
     "School grade from letters per word and words per sentence"},
    {"LIX", "lix",
     "Words per sentence plus the percentage of long words (over 6 letters); 40 is average, "
     "60 very hard"},
    {"FORCAST", "forcast",
     "School grade from one-syllable words per 150 words; made for forms and instructions"},
    {"Dale\u2013Chall score (3,000-word list)", "daleChall",
     "The Dale\u2013Chall formula with its list of about 3,000 familiar words, from words off "
     "the list and sentence length; 4.9 and below: grade 4 and below, 5\u20135.9: grades "
     "5\u20136, 10 and above: college"},
    {"Spache grade", "spache",
     "Grade for primary-school texts (grades 1\u20133), from sentence length and the unique "
     "words off the Spache list (each counted once, as the formula was published)"},
    {"McAlpine EFLAW", "mcalpineEflaw",
     "Words plus mini-words (three letters or fewer) per sentence, for readers of English as a "
     "foreign language; 20 and below is easy, over 29 confusing"},
    {"Linsear Write", "linsearWrite",
     "School grade from easy words (two syllables or fewer) and hard words (three or more) per "
     "sentence"},
    {"Consensus grade", "consensusGrade",
     "The median of Flesch\u2013Kincaid, Gunning-Fog, SMOG, Coleman\u2013Liau, ARI and Linsear "
     "Write"},
}};

using ExtraIndexValues = std::array<std::optional<double>, kExtraIndices>;

// SMOG 1.0430 * sqrt(polysyllables * 30 / sentences) + 3.1291;
// Coleman-Liau 0.0588 * L - 0.296 * S - 15.8 (L letters, S sentences per 100 words);
// ARI 4.71 * letters / words + 0.5 * words / sentences - 21.43;
// LIX words / sentences + 100 * long words / words;
// FORCAST 20 - (monosyllables * 150 / words) / 10;
// Dale-Chall 0.1579 * U + 0.0496 * words / sentences, plus 3.6365 when U > 5
//   (U the percentage of words off the Dale-Chall list of about 3,000 words);
// revised Spache 0.121 * words / sentences + 0.082 * U + 0.659 (U the unique
//   words off the Spache list, as a percentage of all words);
// McAlpine EFLAW (words + words of at most three letters) / sentences;
// Linsear Write r = (easy words + 3 * hard words) / sentences, r / 2 when r > 20,
//   else (r - 2) / 2, a hard word having three or more syllables;
// the consensus grade, the median of Flesch-Kincaid, Gunning-Fog, SMOG,
//   Coleman-Liau, ARI and Linsear Write.
// No words give empty values throughout; no sentences leave only Coleman-Liau
// and FORCAST.
ExtraIndexValues ComputeExtraIndices(const AnalysisCounts& counts, const IndexCounts& more);

// The six grades behind the consensus, lowest and highest; empty without words
// or sentences.
struct GradeRange {
    double low = 0;
    double high = 0;
};
std::optional<GradeRange> ConsensusRange(const AnalysisCounts& counts, const IndexCounts& more);

// The grades a Dale-Chall score stands for: "4 and below", "5-6", "7-8",
// "9-10", "11-12", "13-15", "16 and above".
std::string_view DaleChallGradeBand(double score);
// The highest grade of that band (4, 6, 8, 10, 12, 15, 16).
int DaleChallTopGrade(double score);

// The Fry reading in a few words: "grade 7", "college", "grade 7, near grade 8",
// "long words area", "long sentences area", "off the graph"; empty when there are
// no words or no sentences to place.
std::optional<FryReading> FryReadingOf(const AnalysisCounts& counts);
std::string FryGradeText(const std::optional<FryReading>& reading);

// An index for reading: two decimals ("12.35"), "----" when empty.
std::string IndexText(const std::optional<double>& value);
