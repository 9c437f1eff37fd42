#pragma once

#include "analysis/CountingPasses.h"
#include "cli/UnknownWords.h"
#include "report/FryGraph.h"
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
};

// The figures, values and Fry reading of the counts ("." as decimal separator).
FileReport MakeFileReport(std::string name, const AnalysisCounts& counts,
                          std::vector<UnknownWord> unknownWords);

// The report as the twelve lines of the clipboard text.
std::string ReportText(const FileReport& report);

// The report as a JSON object: name, counts, figures (texts and numbers by label
// name), unknownWords and fry.
QJsonObject ReportJson(const FileReport& report);

// The JSON object that stands for a text that could not be read.
QJsonObject FailureJson(const std::string& name, const std::string& error);
