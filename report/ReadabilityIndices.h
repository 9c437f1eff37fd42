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
enum class ExtraIndex { Smog, ColemanLiau, AutomatedReadability, Lix, Forcast };
inline constexpr std::size_t kExtraIndices = 5;

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
}};

using ExtraIndexValues = std::array<std::optional<double>, kExtraIndices>;

// SMOG 1.0430 * sqrt(polysyllables * 30 / sentences) + 3.1291;
// Coleman-Liau 0.0588 * L - 0.296 * S - 15.8 (L letters, S sentences per 100 words);
// ARI 4.71 * letters / words + 0.5 * words / sentences - 21.43;
// LIX words / sentences + 100 * long words / words;
// FORCAST 20 - (monosyllables * 150 / words) / 10.
// No words give empty values throughout; no sentences empty SMOG, ARI and LIX.
ExtraIndexValues ComputeExtraIndices(const AnalysisCounts& counts, const IndexCounts& more);

// The Fry reading in a few words: "grade 7", "college", "grade 7, near grade 8",
// "long words area", "long sentences area", "off the graph"; empty when there are
// no words or no sentences to place.
std::optional<FryReading> FryReadingOf(const AnalysisCounts& counts);
std::string FryGradeText(const std::optional<FryReading>& reading);

// An index for reading: two decimals ("12.35"), "----" when empty.
std::string IndexText(const std::optional<double>& value);
