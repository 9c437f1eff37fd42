#pragma once

#include "checks/CheckRules.h"
#include "documents/DocumentReader.h"
#include "report/Choices.h"
#include "report/ResultJson.h"
#include "report/TextAnalysis.h"
#include "report/TextReport.h"

#include <QStringList>

#include <array>
#include <optional>
#include <set>
#include <string>
#include <vector>

// What happens to a word that the dictionary lacks: asked on the terminal,
// counted as 0 syllables (and listed on standard error) or estimated.
using UnknownMode = UnknownWordCount;
inline constexpr const auto& kUnknownModes = kUnknownWordCounts;

// The names --format-in offers; FormatFromName also takes their other
// extensions (htm, markdown).
inline constexpr std::array<Choice<DocumentFormat>, 6> kInputFormats = {{
    {"txt", DocumentFormat::Text, "text in UTF-8, UTF-16 or Windows-1252"},
    {"docx", DocumentFormat::Docx, "a Word document"},
    {"odt", DocumentFormat::Odt, "an OpenDocument text"},
    {"html", DocumentFormat::Html, "a web page"},
    {"md", DocumentFormat::Markdown, "Markdown"},
    {"pdf", DocumentFormat::Pdf, "a PDF document"},
}};

struct CliOptions {
    OutputFormat format = OutputFormat::Text;
    bool words = false;                        // list every distinct word with its count and source
    int sentences = 0;                         // list this many of the hardest sentences
    std::optional<std::string> dictionaryPath; // replaces cuvplus.dat beside the executable
    std::optional<std::string> customPath;     // replaces the user dictionary
    UnknownMode unknown = UnknownMode::Estimate;
    std::vector<std::string> inputs;        // "-" is standard input; never empty after parsing
    std::optional<DocumentFormat> formatIn; // --format-in; otherwise each file's own, stdin text
    RulesChoice rules = RulesChoice::Auto;  // auto: careful for documents, classic for text
    std::optional<double> maxGrade;         // a text above it fails the run (exit 4)
    GradeIndex gradeIndex = GradeIndex::Consensus;
    bool quiet = false;          // with maxGrade: only the files above it and the summary
    bool sentencesGiven = false; // --sentences was given (lint mode lists 3 without it)
    bool checks = false;         // run the writing checks and list their findings
    bool failOnChecks = false;   // a finding fails the run (exit 5) when nothing else did
    // The checks whose findings are kept (a configuration's list); all without it.
    std::optional<std::vector<CheckRule>> checkRules;
    std::optional<std::string> configPath; // --config: this file for every input
    bool noConfig = false;                 // --no-config
    std::set<std::string> given;           // the options named on the command line

    bool lintRun = false; // set by the run: some file has a grade limit (a flag or its config)

    // The text format with a grade limit lists the files above it as a linter does.
    bool Lint() const { return format == OutputFormat::Text && (maxGrade.has_value() || lintRun); }
    // How many of a failing file's hardest sentences lint mode lists.
    int LintSentences() const { return sentencesGiven ? sentences : 3; }

    bool Json() const { return format == OutputFormat::Json || format == OutputFormat::JsonLines; }
    // SARIF's results are the findings and the grade failures: placed in their files.
    bool Sarif() const { return format == OutputFormat::Sarif; }
};

// Exit statuses of scrivolux-cli.
enum ExitStatus : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitUnreadableInput = 2, // also: the output or the user dictionary could not be written
    kExitNoDictionary = 3,
    kExitAboveMaxGrade = 4, // a text is above --max-grade (an unreadable file still gives 2)
    kExitFindings = 5,      // with --fail-on-checks: a check found something, nothing else failed
};

// Whether the terminal can be asked: decides the default of --unknown.
struct TerminalState {
    bool stdinIsTerminal = false;
    bool stderrIsTerminal = false;
};

struct ParsedCommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, UsageError };
    Action action = Action::Run;
    CliOptions options;
    std::string text; // the help text, the version line or the usage error
};

// Parses the arguments (the program's name first). Without FILE the input is
// standard input; --unknown defaults to ask only when both standard input and
// standard error are terminals and no input is read from standard input, and
// to estimate otherwise.
ParsedCommandLine ParseCommandLine(const QStringList& arguments, TerminalState terminal);
