#pragma once

#include "analysis/CountingPasses.h"
#include "analysis/TextPreparation.h"
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

// The passage of a decoded text: the same as BuildPassage(SplitLines(text)).
std::string PassageOfText(std::string_view text);

// The working texts of a decoded text exactly as the desktop program makes them
// from the same text in its text area: logical lines, passage, working texts.
// The decoded text is consumed.
WorkingTexts PrepareText(std::string&& text);

// Where the word text can be cut in two, at a space, so that the syllable pass
// over the two halves meets exactly the words it meets in the whole: the space
// must follow a character above code 32, which then ends the head's last word
// as it ends that word in the whole. npos for a text under minimumSize or
// without such a space after its middle.
std::size_t HalfwaySpace(std::string_view wordText, std::size_t minimumSize);

// The three passes over the working texts.
AnalysisCounts CountTexts(const WorkingTexts& texts, TDictionary& dictionary,
                          const UnknownWordHandler& unknownWord);

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
