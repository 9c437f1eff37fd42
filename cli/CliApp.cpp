#include "cli/CliApp.h"

#include "cli/CliConfig.h"
#include "cli/InputFiles.h"
#include "cli/LintOutput.h"
#include "cli/ReportOutput.h"
#include "cli/UnknownWords.h"
#include "dictionary/Dictionary.h"
#include "dictionary/UserDictionary.h"
#include "documents/FilePlaces.h"
#include "report/TextAnalysis.h"
#include "text/Bytes.h"
#include "text/Error.h"
#include "text/TextFile.h"

#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <future>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <unistd.h>
#include <utility>

namespace {

constexpr const char* kProgram = "scrivolux-cli: ";
constexpr const char* kStdinName = "standard input";
constexpr const char* kNotEnoughMemory = "not enough memory";

// All of standard input, with the same bound as a file.
std::string ReadStandardInput(int descriptor) {
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(descriptor, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw ScrivoluxError(std::string("Cannot read standard input: ") +
                                 std::strerror(errno));
        }
        if (n == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > kMaxTextFileBytesOnDisk)
            throw TextTooLarge();
    }
}

// A document on standard input is read from a temporary copy: the zip and PDF
// readers need a file they can seek in.
LoadedDocument ReadStandardInputAs(DocumentFormat format, int stdinDescriptor) {
    const std::string bytes = ReadStandardInput(stdinDescriptor);
    QTemporaryFile copy;
    const auto size = static_cast<qint64>(bytes.size());
    if (!copy.open() || copy.write(bytes.data(), size) != size || !copy.flush())
        throw ScrivoluxError("Cannot copy standard input: " + copy.errorString().toStdString());
    return ReadDocument(copy.fileName().toStdString(), format);
}

LoadedDocument ReadInput(const std::string& input, const CliOptions& options, int stdinDescriptor) {
    if (input == "-") {
        if (options.formatIn && *options.formatIn != DocumentFormat::Text)
            return ReadStandardInputAs(*options.formatIn, stdinDescriptor);
        LoadedDocument text;
        text.text = DecodeBoundedText(ReadStandardInput(stdinDescriptor)).text;
        return text;
    }
    return ReadDocument(input, options.formatIn);
}

// Whether anything printed is placed in its file: sentences, findings and lint lines.
bool Places(const CliOptions& options) {
    return options.sentences > 0 || options.checks || options.Lint() || options.Sarif();
}

// The rules for an input that could not be read: by the format it was named
// as, so that a failure row says what its report would have.
std::string Suffix(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).suffix().toLower().toStdString();
}

CountingRules RulesForUnread(const std::string& input, const CliOptions& options) {
    const std::optional<DocumentFormat> format = options.formatIn ? options.formatIn
                                                 : input == "-"   ? std::nullopt
                                                                  : FormatFromName(Suffix(input));
    return RulesFor(options.rules, format && *format != DocumentFormat::Text);
}

// Why an input could not be read, as one line for standard error and the JSON
// report.
struct InputFailure {
    std::string message;
    bool namesFile = false; // the message names the file already
};

// One input made ready for the counting passes, or why it could not be read.
struct PreparedInput {
    PreparedText text;   // the passage and line starts kept only when sentences are listed
    FileLocator locator; // only when something is placed
    CountingRules rules = CountingRules::Classic;
    std::vector<std::string> warnings;
    std::optional<InputFailure> failure;
    bool passageLater = false; // made from the locator's text if a sentence is quoted
};

// Whether lint mode lists the hardest sentences of a file above its grade.
bool ListsHardest(const CliOptions& options) {
    return options.Lint() && options.maxGrade && options.LintSentences() > 0;
}

PreparedInput Prepare(const std::string& input, const CliOptions& options, int stdinDescriptor) {
    PreparedInput prepared;
    prepared.rules = RulesForUnread(input, options);
    try {
        LoadedDocument document = ReadInput(input, options, stdinDescriptor);
        prepared.rules = RulesFor(options.rules, document.format != DocumentFormat::Text);
        prepared.warnings = std::move(document.warnings);
        // Inline code and link targets are no prose to the careful rules; the
        // quoted sentences show the code blanked too.
        if (prepared.rules == CountingRules::Careful)
            BlankCode(document.text, document.code);
        if (Places(options))
            prepared.locator = FileLocator(document);
        // A lint run quotes the sentences of the files above the grade alone:
        // their passage is made from the locator's copy of the text then.
        prepared.passageLater = Places(options) && ListsHardest(options) &&
                                options.sentences <= 0 && !options.checks;
        // Everything placed is placed by the locator, in the file's own terms.
        prepared.text = PrepareForReport(
            std::move(document.text), prepared.rules,
            options.sentences > 0 || (ListsHardest(options) && !prepared.passageLater),
            options.checks, Places(options));
    } catch (const FileError& error) {
        prepared.failure = InputFailure{std::string(error.what()) + ": " + error.Reason(), true};
    } catch (const ScrivoluxError& error) {
        prepared.failure = InputFailure{error.what(), false};
    } catch (const std::bad_alloc&) {
        // One input too large for the memory left must not cost the others.
        prepared = PreparedInput();
        prepared.failure = InputFailure{kNotEnoughMemory, false};
    }
    return prepared;
}

// Loads the word list and then the user dictionary, as the desktop program does
// at start-up. False when neither could be read.
bool LoadDictionaries(TDictionary& dictionary, const CliOptions& options,
                      const std::string& executableDirectory, std::ostream& err) {
    DictionaryFiles files = StartupDictionaryFiles(executableDirectory);
    if (options.dictionaryPath)
        files.wordList = *options.dictionaryPath;
    if (options.customPath)
        files.userDictionary = *options.customPath;
    try {
        LoadStartupDictionaries(dictionary, files);
    } catch (const FileError& error) {
        // A bad line stops the load there, and the user dictionary is not read.
        err << kProgram << error.what() << '\n';
    }
    if (!dictionary.Loaded) {
        err << "Dictionary Error\n";
        return false;
    }
    return true;
}

// The sentences and findings placed as their file counts them (a source line,
// a paragraph or a page) rather than by the lines of the text read from it,
// without the findings its comments turned off.
void PlaceInFile(TextReport& report, const FileLocator& locator) {
    ::PlaceInFile(
        report, PlaceKindName(locator.Kind()),
        [&](std::size_t offset) {
            const FilePlace place = locator.AtPassage(offset);
            return FilePosition{place.line, place.column};
        },
        [&](std::size_t offset, std::string_view rule) { return locator.Silenced(offset, rule); });
}

} // namespace

namespace {

// The analysis of one file under its options. hardest: the sentences lint mode
// lists for a file above its grade.
TextAnalysisOptions AnalysisFor(const CliOptions& options, CountingRules rules, bool hardest) {
    TextAnalysisOptions analysis;
    analysis.rules = rules;
    analysis.unknown = options.unknown;
    ReportExtras& extras = analysis.extras;
    extras.indices = options.format != OutputFormat::Text || options.maxGrade.has_value();
    extras.words = options.words;
    extras.sentences =
        hardest ? std::max(options.sentences, options.LintSentences()) : options.sentences;
    extras.shortenFirst = hardest;
    extras.checks = options.checks;
    extras.rules = std::string(CountingRulesName(rules));
    return analysis;
}

// Keeps the findings of the checks the options keep.
void KeepCheckedRules(TextReport& report, const CliOptions& options) {
    if (!report.checks || !options.checkRules)
        return;
    const std::vector<CheckRule>& kept = *options.checkRules;
    std::erase_if(*report.checks, [&kept](const TextReport::Finding& finding) {
        return std::find(kept.begin(), kept.end(), finding.rule) == kept.end();
    });
}

// One file to read with its options.
struct RunFile {
    std::string input;
    CliOptions options;
};

// The files of the run with their settings, a folder walked and the
// configuration's exclusions left out. Throws ConfigError.
std::vector<RunFile> FilesOf(const CliOptions& commandLine) {
    std::optional<CliConfig> fixed;
    if (commandLine.configPath) {
        fixed = ReadConfig(*commandLine.configPath);
        if (!fixed)
            throw ConfigError(*commandLine.configPath + ": no [tool.scrivolux] table");
    }
    ConfigFinder finder;
    std::vector<RunFile> files;
    // Each file's options without the list of inputs, which would make a run
    // of n files copy n names n times.
    CliOptions each = commandLine;
    each.inputs.clear();
    for (const std::string& input : ExpandInputs(commandLine.inputs)) {
        const CliConfig* config = commandLine.noConfig ? nullptr
                                  : fixed              ? &*fixed
                                                       : finder.For(input);
        if (config && input != "-" && Excluded(*config, input))
            continue;
        files.push_back({input, OptionsFor(each, config, input)});
    }
    return files;
}

} // namespace

int RunCli(const CliOptions& commandLine, CliStreams& streams) {
    std::ostream& err = streams.err;
    std::vector<RunFile> files;
    try {
        files = FilesOf(commandLine);
    } catch (const ConfigError& error) {
        err << kProgram << ShowControlCharacters(error.what()) << '\n'
            << "Try 'scrivolux-cli --help' for more information.\n";
        return kExitUsage;
    }
    // Lint mode when any file has a grade limit, from the command line or its
    // configuration.
    CliOptions options = commandLine;
    options.lintRun = commandLine.format == OutputFormat::Text &&
                      std::any_of(files.begin(), files.end(),
                                  [](const RunFile& f) { return f.options.maxGrade; });
    for (RunFile& file : files)
        file.options.lintRun = options.lintRun;
    if (files.empty()) {
        // Folders without a file to read: nothing failed.
        if (options.Lint()) {
            LintOutput(streams.out, options).Summary();
            return streams.out ? kExitOk : kExitUnreadableInput;
        }
        err << kProgram
            << "no file to read: the folders hold none, or the configuration excludes them\n";
        return kExitOk;
    }
    const bool readsStdin =
        std::any_of(files.begin(), files.end(), [](const RunFile& f) { return f.input == "-"; });

    // The answers cannot come from standard input when it holds the text.
    std::ifstream terminal;
    std::istream* answers = &streams.in;
    if (options.unknown == UnknownMode::Ask && readsStdin) {
        terminal.open("/dev/tty");
        if (!terminal) {
            err << kProgram
                << "--unknown=ask needs a terminal when the text comes from standard input\n"
                << "Try 'scrivolux-cli --help' for more information.\n";
            return kExitUsage;
        }
        answers = &terminal;
    }

    // The word list loads on a second thread while the first input is read and
    // prepared: the two take about as long, and a batch job waits for both.
    TDictionary dictionary;
    std::ostringstream loadMessages;
    auto loading = std::async(std::launch::async, [&] {
        return LoadDictionaries(dictionary, options, streams.executableDirectory, loadMessages);
    });
    std::optional<PreparedInput> first =
        Prepare(files.front().input, files.front().options, streams.stdinDescriptor);
    const bool loaded = loading.get();
    // A bad line of the word list is quoted.
    err << ShowControlCharacters(loadMessages.str());
    if (!loaded)
        return kExitNoDictionary;

    TerminalDialog dialog(*answers, err, answers == &streams.in && !streams.stdinIsTerminal);
    // The word goes to the file only: the resolver remembers the answer, so that
    // later occurrences are still tallied as unknown words of their file.
    const AddToUserFile addToUserFile = [&dictionary](const std::string& word, std::int32_t count) {
        if (dictionary.CustomFilePath().empty())
            return std::optional<WriteFailure>(
                WriteFailure{"no user dictionary was loaded", {}, "no user dictionary was loaded"});
        return AppendToUserDictionary(dictionary.CustomFilePath(), word, count);
    };
    UnknownWordResolver resolver(options.unknown, &dialog, addToUserFile, err);
    const AskUnknownWord ask = [&resolver](const std::string& word) { return resolver.Ask(word); };

    std::size_t findings = 0;
    int status = kExitOk;
    bool aboveMaxGrade = false;
    std::ostringstream unused;
    // Quiet lint mode prints no report, only its own lines.
    const std::unique_ptr<ReportOutput> output = ReportOutput::For(
        options, options.Lint() && options.quiet ? unused : streams.out, files.size() > 1);
    std::optional<LintOutput> lint;
    if (options.Lint())
        lint.emplace(streams.out, options);
    for (const RunFile& file : files) {
        if (output->Failed())
            break; // the end says so
        const std::string& input = file.input;
        const CliOptions& fileOptions = file.options;
        const std::string name = input == "-" ? kStdinName : input;
        PreparedInput prepared =
            first ? std::move(*first) : Prepare(input, fileOptions, streams.stdinDescriptor);
        first.reset();
        const bool hardest = lint && ListsHardest(fileOptions);
        TextAnalysisOptions analysis = AnalysisFor(fileOptions, prepared.rules, hardest);
        analysis.ask = ask;
        // Only a file above its grade needs its hardest sentences, unless the
        // report lists sentences anyway: their details cost as much again as
        // the counting.
        if (hardest && fileOptions.sentences <= 0)
            analysis.sentencesIf = [&fileOptions](const TextReport& counted) {
                const std::optional<double> grade = GradeOf(counted, fileOptions.gradeIndex);
                return grade && *grade > *fileOptions.maxGrade;
            };
        if (prepared.passageLater)
            prepared.text.textLater = [&prepared] {
                return std::string_view(prepared.locator.Text());
            };
        std::optional<TextReport> report;
        if (!prepared.failure) {
            try {
                report = AnalysePreparedText(input, prepared.text, dictionary, analysis);
            } catch (const std::bad_alloc&) {
                prepared.failure = InputFailure{kNotEnoughMemory, false};
            }
        }
        if (prepared.failure) {
            const InputFailure& failure = *prepared.failure;
            // A reader's message may quote the document.
            err << kProgram << (failure.namesFile ? "" : name + ": ")
                << ShowControlCharacters(failure.message)
                << (IsFolder(input)
                        ? " (name it " + ShowControlCharacters(input) + "/ to read the files in it)"
                        : "")
                << '\n';
            status = kExitUnreadableInput;
            output->Failure(input, failure.message, analysis.extras.rules);
            if (lint)
                lint->Unreadable();
            continue;
        }
        for (const std::string& warning : prepared.warnings)
            err << kProgram << name << ": " << warning << '\n';
        report->warnings = std::move(prepared.warnings);
        if (fileOptions.unknown == UnknownMode::Zero && !report->unknownWords.empty())
            err << kProgram << name << ": " << UnknownWordsSummary(report->unknownWords) << '\n';
        std::optional<double> grade;
        bool above = false;
        if (fileOptions.maxGrade) {
            grade = GradeOf(*report, fileOptions.gradeIndex);
            above = grade && *grade > *fileOptions.maxGrade;
            if (above) {
                aboveMaxGrade = true;
                report->place = std::string(PlaceKindName(prepared.locator.Kind()));
                output->AboveGrade(*report,
                                   "grade " + IndexText(grade) + " (" +
                                       std::string(GradeIndexName(fileOptions.gradeIndex)) +
                                       ") is above " + FormatFigure(*fileOptions.maxGrade));
                // The line scripts have read since before lint mode; quiet
                // lint mode says it once, on standard output.
                if (!(options.Lint() && options.quiet))
                    err << kProgram << ShowControlCharacters(name) << ": grade " << IndexText(grade)
                        << " (" << GradeIndexName(fileOptions.gradeIndex) << ") is above "
                        << FormatFigure(*fileOptions.maxGrade) << '\n';
            }
        }
        KeepCheckedRules(*report, fileOptions);
        // Lint mode's report lists sentences only when asked.
        if (lint && fileOptions.sentences <= 0) {
            report->longestSentences.reset();
            report->mostDifficultSentences.reset();
        }
        if (Places(fileOptions))
            PlaceInFile(*report, prepared.locator);
        if (report->checks)
            findings += report->checks->size();
        if (!lint) {
            output->Report(*report);
            continue;
        }
        // Lint mode prints the findings in its own lines.
        std::optional<std::vector<TextReport::Finding>> checks = std::move(report->checks);
        report->checks.reset();
        output->Report(*report);
        report->checks = std::move(checks);
        lint->File(name, *report, grade, above, fileOptions);
    }
    if (lint && !output->Failed())
        lint->Summary();

    std::optional<WriteFailure> failure = output->End();
    if (lint && !failure && !streams.out.flush())
        failure = WriteFailure{
            "the report could not be written to standard output", "standard output", {}};
    if (failure) {
        err << kProgram << failure->message << '\n';
        return kExitUnreadableInput;
    }
    // The answer's count was used, but the file the user asked for was not written.
    if (resolver.AddFailed())
        return kExitUnreadableInput;
    if (status == kExitOk && aboveMaxGrade)
        return kExitAboveMaxGrade;
    if (status == kExitOk && options.failOnChecks && findings > 0)
        return kExitFindings;
    return status;
}
