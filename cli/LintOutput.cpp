#include "cli/LintOutput.h"

#include "text/Bytes.h"

#include <ostream>

std::string PlacePrefix(std::string_view name, int line, int column) {
    return ShowControlCharacters(name) + ':' + std::to_string(line) + ':' + std::to_string(column) +
           ": ";
}

std::string FindingLine(std::string_view name, const TextReport::Finding& finding) {
    std::string line = PlacePrefix(name, finding.line, finding.column) +
                       std::string(CheckRuleId(finding.rule)) + ' ' +
                       ShowControlCharacters(finding.message);
    if (!finding.suggestion.empty())
        line += " (" + ShowControlCharacters(finding.suggestion) + ')';
    return line + '\n';
}

LintOutput::LintOutput(std::ostream& out, const CliOptions& options)
    : out_(out), options_(options) {}

void LintOutput::File(const std::string& name, const TextReport& report,
                      std::optional<double> grade, bool above, const CliOptions& fileOptions) {
    ++checked_;
    if (fileOptions.maxGrade) {
        const std::pair<double, GradeIndex> limit{*fileOptions.maxGrade, fileOptions.gradeIndex};
        if (limit_ && *limit_ != limit)
            limitsDiffer_ = true;
        limit_ = limit;
    }
    if (above && fileOptions.maxGrade) {
        ++above_;
        out_ << PlacePrefix(name, 1, 1) << "grade " << IndexText(grade) << " ("
             << GradeIndexName(fileOptions.gradeIndex) << ") is above "
             << FormatFigure(*fileOptions.maxGrade) << '\n';
        if (report.sentencesToShortenFirst) {
            for (const TextReport::Sentence& sentence : *report.sentencesToShortenFirst)
                out_ << PlacePrefix(name, sentence.line, sentence.column) << "sentence grade "
                     << IndexText(sentence.grade) << ", " << sentence.words
                     << " words: " << ShowControlCharacters(sentence.text) << '\n';
        }
    }
    if (report.checks) {
        for (const TextReport::Finding& finding : *report.checks) {
            out_ << FindingLine(name, finding);
            ++findings_[finding.rule];
        }
    }
    out_.flush();
}

void LintOutput::Summary() {
    out_ << checked_ << (checked_ == 1 ? " file" : " files") << " checked, " << above_;
    const std::optional<std::pair<double, GradeIndex>> limit =
        limit_
            ? limit_
            : (options_.maxGrade ? std::optional(std::pair(*options_.maxGrade, options_.gradeIndex))
                                 : std::nullopt);
    if (limitsDiffer_ || !limit)
        out_ << " above their grade";
    else
        out_ << " above grade " << FormatFigure(limit->first) << " ("
             << GradeIndexName(limit->second) << ')';
    if (options_.checks) {
        int total = 0;
        std::string byRule;
        // In the order of the checks' table.
        for (const auto& [rule, count] : findings_) {
            total += count;
            byRule += (byRule.empty() ? ": " : ", ") + std::string(CheckRuleId(rule)) + ' ' +
                      std::to_string(count);
        }
        out_ << ", " << total << (total == 1 ? " finding" : " findings") << byRule;
    }
    out_ << '\n';
    out_.flush();
}
