#pragma once

#include "analysis/CountingPasses.h"
#include "analysis/PassageDetails.h"
#include "cli/UnknownWords.h"
#include "report/FryGraph.h"
#include "report/ReadabilityIndices.h"
#include "report/ReportFigures.h"

#include <QJsonObject>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Everything reported for one analysed text.
struct FileReport {
    std::string name;
    AnalysisCounts counts;
    ReportFigures figures;
    ReportValues values;
    std::vector<UnknownWord> unknownWords;
    std::optional<FryReading> fry; // empty when there are no words to place

    // From the details, when they were built.
    bool hasIndices = false;
    IndexCounts indexCounts;
    ExtraIndexValues indices;
    std::optional<std::vector<WordRow>> words;
    struct Sentence {
        std::string text;
        std::int32_t words = 0;
        std::int32_t difficultWords = 0;
    };
    std::optional<std::vector<Sentence>> longestSentences;
    std::optional<std::vector<Sentence>> mostDifficultSentences;
};

// The figures, values and Fry reading of the counts ("." as decimal separator).
FileReport MakeFileReport(std::string name, const AnalysisCounts& counts,
                          std::vector<UnknownWord> unknownWords);

// Adds the further indices and their counts, the words when asked for, and the
// hardest sentences (sentenceCount of each kind, their text from the passage)
// when sentenceCount is above 0.
void AddDetails(FileReport& report, const PassageDetails& details, std::string_view passage,
                bool words, int sentenceCount);

// The report as the twelve lines of the clipboard text, then the words and the
// sentences when they were added.
std::string ReportText(const FileReport& report);

// The report as a JSON object: name, counts, figures (texts and numbers by label
// name), unknownWords and fry.
QJsonObject ReportJson(const FileReport& report);

// The JSON object that stands for a text that could not be read.
QJsonObject FailureJson(const std::string& name, const std::string& error);

// CSV for spreadsheets: one header row, one row per file (a file that could not
// be read has its name and the error, every figure empty). Fields are quoted
// when they hold a comma, a quote or a line break, quotes doubled; each row
// ends in CR LF.
std::string CsvHeader();
std::string ReportCsvRow(const FileReport& report);
std::string FailureCsvRow(const std::string& name, const std::string& error);
std::string CsvField(std::string_view text);
