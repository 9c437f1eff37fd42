#include "cli/ReportOutput.h"

#include "cli/LintOutput.h"
#include "report/ResultJson.h"
#include "text/Bytes.h"

#include <ostream>
#include <vector>

namespace {

class TextOutput : public ReportOutput {
public:
    TextOutput(std::ostream& out, bool several) : ReportOutput(out), several_(several) {}
    void Report(const TextReport& report) override {
        if (several_)
            out_ << "==> " << (report.name == "-" ? "standard input" : report.name) << " <==\n";
        // A sentence or a word may hold a terminal's escape sequences.
        out_ << ShowControlCharacters(ReportText(report));
        if (report.checks && !report.checks->empty()) {
            out_ << "\nChecks:\n";
            for (const TextReport::Finding& finding : *report.checks)
                out_ << FindingLine(report.name == "-" ? "standard input" : report.name, finding);
        }
        if (several_)
            out_ << '\n';
        out_.flush();
    }
    void Failure(const std::string&, const std::string&, std::string_view) override {}

private:
    bool several_;
};

// One document at the end: an array for several inputs, else the one object.
class JsonOutput : public ReportOutput {
public:
    JsonOutput(std::ostream& out, bool several) : ReportOutput(out), several_(several) {}
    void Report(const TextReport& report) override { documents_.push_back(ResultJsonLine(report)); }
    void Failure(const std::string& input, const std::string& message,
                 std::string_view rules) override {
        documents_.push_back(FailureJsonLine(input, message, rules));
    }

private:
    void Finish() override {
        if (several_)
            out_ << IndentedJsonArray(documents_);
        else if (!documents_.empty())
            out_ << IndentedJson(documents_.front());
    }

    bool several_;
    std::vector<std::string> documents_; // compact, laid out at the end
};

class JsonLinesOutput : public ReportOutput {
public:
    explicit JsonLinesOutput(std::ostream& out) : ReportOutput(out) {}
    void Report(const TextReport& report) override {
        // One buffer for every line of the run, written in one piece.
        line_.clear();
        AppendResultJsonLine(report, line_);
        line_ += '\n';
        out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
        out_.flush();
    }
    void Failure(const std::string& input, const std::string& message,
                 std::string_view rules) override {
        out_ << FailureJsonLine(input, message, rules) << '\n';
        out_.flush();
    }

private:
    std::string line_;
};

class CsvOutput : public ReportOutput {
public:
    explicit CsvOutput(std::ostream& out) : ReportOutput(out) { out_ << CsvHeader(); }
    void Report(const TextReport& report) override {
        out_ << ResultCsvRow(report);
        out_.flush();
    }
    void Failure(const std::string& input, const std::string& message,
                 std::string_view rules) override {
        out_ << FailureCsvRow(input, message, rules);
        out_.flush();
    }
};

// One SARIF log at the end: a result for each text above the grade limit,
// placed at its start, and for each finding of the checks.
class SarifOutput : public ReportOutput {
public:
    explicit SarifOutput(std::ostream& out) : ReportOutput(out) {}
    void AboveGrade(const TextReport& report, const std::string& message) override {
        results_.push_back({std::string(kGradeRuleId), report.name, message, report.place, 1, 1});
    }
    void Report(const TextReport& report) override {
        if (report.checks) {
            for (const TextReport::Finding& finding : *report.checks)
                results_.push_back({std::string(CheckRuleId(finding.rule)), report.name,
                                    finding.suggestion.empty()
                                        ? finding.message
                                        : finding.message + " (" + finding.suggestion + ')',
                                    report.place, finding.line, finding.column});
        }
    }
    // The reason is on standard error; the log holds what was found.
    void Failure(const std::string&, const std::string&, std::string_view) override {}

private:
    void Finish() override { out_ << IndentedJson(SarifLog(SCRIVOLUX_VERSION, results_)); }

    std::vector<SarifResult> results_;
};

} // namespace

std::unique_ptr<ReportOutput> ReportOutput::For(const CliOptions& options, std::ostream& out,
                                                bool several) {
    switch (options.format) {
    case OutputFormat::Sarif:
        return std::make_unique<SarifOutput>(out);
    case OutputFormat::Json:
        return std::make_unique<JsonOutput>(out, several);
    case OutputFormat::JsonLines:
        return std::make_unique<JsonLinesOutput>(out);
    case OutputFormat::Csv:
        return std::make_unique<CsvOutput>(out);
    case OutputFormat::Text:
        break;
    }
    return std::make_unique<TextOutput>(out, several);
}

std::optional<WriteFailure> ReportOutput::End() {
    if (out_)
        Finish();
    out_.flush();
    if (out_)
        return std::nullopt;
    // A full disk or a closed pipe must not pass for a complete report.
    return WriteFailure{
        "the report could not be written to standard output", "standard output", {}};
}

bool ReportOutput::Failed() const {
    return !out_;
}
