#include "cli/LintOutput.h"

#include "text/Bytes.h"

#include <ostream>

std::string PlacePrefix(std::string_view name, const FilePlace& place) {
    return ShowControlCharacters(name) + ':' + std::to_string(place.line) + ':' +
           std::to_string(place.column) + ": ";
}

LintOutput::LintOutput(std::ostream& out, const CliOptions& options)
    : out_(out), options_(options) {}

bool LintOutput::File(const std::string& name, const TextReport& report,
                      std::optional<double> grade, const FileLocator& locator) {
    ++checked_;
    if (!grade || !options_.maxGrade || *grade <= *options_.maxGrade)
        return false;
    ++above_;
    out_ << PlacePrefix(name, {locator.Kind(), 1, 1}) << "grade " << IndexText(grade) << " ("
         << GradeIndexName(options_.gradeIndex) << ") is above " << FormatFigure(*options_.maxGrade)
         << '\n';
    if (report.sentencesToShortenFirst) {
        for (const TextReport::Sentence& sentence : *report.sentencesToShortenFirst)
            out_ << PlacePrefix(name, locator.AtPassageLine(sentence.line)) << "sentence grade "
                 << IndexText(sentence.grade) << ", " << sentence.words
                 << " words: " << ShowControlCharacters(sentence.text) << '\n';
    }
    out_.flush();
    return true;
}

void LintOutput::Summary() {
    out_ << checked_ << (checked_ == 1 ? " file" : " files") << " checked, " << above_
         << " above grade " << FormatFigure(*options_.maxGrade) << " ("
         << GradeIndexName(options_.gradeIndex) << ")\n";
    out_.flush();
}
