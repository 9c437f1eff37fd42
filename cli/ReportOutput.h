#pragma once

#include "cli/CliOptions.h"
#include "report/TextReport.h"
#include "text/FileWrite.h"

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Where the reports of one run go, in one of the four formats, always in the
// same three steps: a report per text, a failure per input that could not be
// read, then the end. A write that failed is found at the end, the same way
// for every format.
class ReportOutput {
public:
    // several: more than one input, so that each report is named.
    static std::unique_ptr<ReportOutput> For(const CliOptions& options, std::ostream& out,
                                             bool several);
    virtual ~ReportOutput() = default;

    virtual void Report(const TextReport& report) = 0;
    // The text is above its grade limit, as message says ("grade 13.90
    // (consensus) is above 12"); told before its report. Only SARIF keeps it.
    virtual void AboveGrade(const TextReport&, const std::string&) {}
    // input as given ("-" for standard input); the text format writes nothing,
    // the message goes to standard error only.
    virtual void Failure(const std::string& input, const std::string& message,
                         std::string_view rules) = 0;
    // Writes what was held back (JSON's one document) and flushes. Empty when
    // every byte reached the stream.
    [[nodiscard]] std::optional<WriteFailure> End();
    // True once a write has failed: the inputs left need not be read.
    bool Failed() const;

protected:
    explicit ReportOutput(std::ostream& out) : out_(out) {}
    virtual void Finish() {}

    std::ostream& out_;
};
