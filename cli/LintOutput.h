#pragma once

#include "cli/CliOptions.h"
#include "documents/FilePlaces.h"
#include "report/TextReport.h"

#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// Lint mode's lines, as compilers and prose linters write them so that an
// editor opens each at its place: for each file above the grade,
// "FILE:LINE:COL: grade N (INDEX) is above M", then the sentences that raise
// its grade most, each with its own grade; a summary closes the run.
class LintOutput {
public:
    LintOutput(std::ostream& out, const CliOptions& options);

    // One analysed file, named name, its sentences and findings placed in it;
    // grade is its grade by the chosen index, above whether that is above the
    // limit. Its findings follow either way.
    void File(const std::string& name, const TextReport& report, std::optional<double> grade,
              bool above, const CliOptions& fileOptions);
    // A file that could not be read counts as checked.
    void Unreadable() { ++checked_; }
    // "3 files checked, 1 above grade 12 (consensus)"; "above their grade"
    // when the files' limits differ.
    void Summary();

private:
    std::ostream& out_;
    const CliOptions& options_;
    int checked_ = 0;
    int above_ = 0;
    // The one limit of every file with one, while they agree.
    std::optional<std::pair<double, GradeIndex>> limit_;
    bool limitsDiffer_ = false;
    std::map<CheckRule, int> findings_;
};

// "FILE:LINE:COL: ", the name shown safely.
std::string PlacePrefix(std::string_view name, int line, int column);

// "FILE:LINE:COL: rule-id message (suggestion)\n", as the text output and lint
// mode print a finding.
std::string FindingLine(std::string_view name, const TextReport::Finding& finding);
