#pragma once

#include "analysis/CountingPasses.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The twelve rows of the report, in their order on screen and on the clipboard.
enum class FigureRow {
    Syll,
    Words,
    Sent,
    SyllPWord,
    SyllPSent,
    WordPSent,
    DiffWords,
    SyllPH,
    SentPH,
    GunningFog,
    FleschEase,
    KincaidGrade,
};
inline constexpr std::size_t kFigureRows = 12;

// The value label that shows each row ("SyllLB", ...).
inline constexpr std::array<std::string_view, kFigureRows> kFigureLabelNames = {
    "SyllLB",      "WordsLB",  "SentLB",   "SyllPWordLB",  "SyllPSentLB",  "WordPSentLB",
    "DiffWordsLB", "SyllPHLB", "SentPHLB", "GunningFogLB", "FleschEaseLB", "KincaidGradeLB"};

// Each row under its key in JSON and CSV.
inline constexpr std::array<std::string_view, kFigureRows> kFigureKeys = {
    "syllables",
    "words",
    "sentences",
    "syllablesPerWord",
    "syllablesPerSentence",
    "wordsPerSentence",
    "difficultWords",
    "syllablesPer100Words",
    "sentencesPer100Words",
    "gunningFogIndex",
    "fleschReadingEase",
    "fleschKincaidGradeLevel",
};

// The three indices are computed in single precision.
inline constexpr bool IsSinglePrecisionRow(std::size_t row) {
    return row >= static_cast<std::size_t>(FigureRow::GunningFog);
}

// The text before each row's value when the report is copied as plain text.
inline constexpr std::array<std::string_view, kFigureRows> kClipboardPrefixes = {
    "Total Number of Syllables: ",
    "Total Number of Words: ",
    "Total Number of Sentences: ",
    "Average Syllables Per Word: ",
    "Average Syllables Per Sentence: ",
    "Average Words Per Sentence: ",
    "Number of Difficult Words(3 or more syllables):",
    "Syllables Per 100 Words: ",
    "Sentences Per 100 Words: ",
    "Gunning-Fog Index: ",
    "Flesch Reading Ease: ",
    "Flesch-Kincaid Grade Level: ",
};

inline constexpr std::string_view kNoFigure = "----";

// Each row's value as it is formatted: counts exactly, ratios rounded to double,
// indices rounded to single precision. Empty where a divisor is zero.
using ReportValues = std::array<std::optional<double>, kFigureRows>;

struct ReportFigures {
    std::array<std::string, kFigureRows> texts;
    const std::string& operator[](FigureRow row) const {
        return texts[static_cast<std::size_t>(row)];
    }
};

// All counts 0 give four "0" rows and eight "----" rows.
ReportValues ComputeReportValues(const AnalysisCounts& counts);

// The twelve texts of the report; decimalSeparator is the user's decimal symbol.
ReportFigures ComputeReportFigures(const AnalysisCounts& counts,
                                   std::string_view decimalSeparator = ".");

// General number format with 15 significant digits: "0" for zero, fixed notation
// from 0.0001 to below 1E15, scientific ("5E-5") otherwise; no digit grouping.
std::string FormatFigure(double value, std::string_view decimalSeparator = ".");

// The report as twelve lines of plain text, each ended by a line feed.
std::string ReportClipboardText(const std::array<std::string, kFigureRows>& texts);
