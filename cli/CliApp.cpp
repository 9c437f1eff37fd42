#include "cli/CliApp.h"

#include "cli/FilePlaces.h"
#include "cli/InputFiles.h"
#include "cli/LintOutput.h"
#include "cli/ReportOutput.h"
#include "cli/UnknownWords.h"
#include "dictionary/Dictionary.h"
#include "dictionary/UserDictionary.h"
#include "report/TextAnalysis.h"
#include "text/Bytes.h"
#include "text/Error.h"
#include "text/TextFile.h"

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
    std::optional<InputFailure> failure;
};

PreparedInput Prepare(const std::string& input, const CliOptions& options, int stdinDescriptor) {
    PreparedInput prepared;
    try {
        LoadedDocument document = ReadInput(input, options, stdinDescriptor);
        if (Places(options))
            prepared.locator = FileLocator(document);
        prepared.text = PrepareForReport(std::move(document.text), options.rules,
                                         options.sentences > 0 || options.Lint(), options.checks);
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
// a paragraph or a page) rather than by the lines of the text read from it.
void PlaceInFile(TextReport& report, const FileLocator& locator) {
    report.place = std::string(PlaceKindName(locator.Kind()));
    for (auto* list : {&report.longestSentences, &report.mostDifficultSentences,
                       &report.sentencesToShortenFirst}) {
        if (!*list)
            continue;
        for (TextReport::Sentence& sentence : **list) {
            const FilePlace place = locator.AtPassage(sentence.offset);
            sentence.line = place.line;
            sentence.column = place.column;
        }
    }
    if (report.checks) {
        for (TextReport::Finding& finding : *report.checks) {
            const FilePlace place = locator.AtPassage(finding.offset);
            finding.line = place.line;
            finding.column = place.column;
        }
    }
}

} // namespace

int RunCli(const CliOptions& given, CliStreams& streams) {
    std::ostream& err = streams.err;
    CliOptions options = given;
    options.inputs = ExpandInputs(given.inputs);
    if (options.inputs.empty()) {
        // Folders without a file to read: nothing failed.
        if (options.Lint()) {
            LintOutput(streams.out, options).Summary();
            return streams.out ? kExitOk : kExitUnreadableInput;
        }
        err << kProgram << "no file to read in " << ShowControlCharacters(given.inputs.front())
            << '\n';
        return kExitOk;
    }
    const bool readsStdin =
        std::find(options.inputs.begin(), options.inputs.end(), "-") != options.inputs.end();

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
        Prepare(options.inputs.front(), options, streams.stdinDescriptor);
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

    TextAnalysisOptions analysis;
    analysis.rules = options.rules;
    analysis.unknown = options.unknown;
    analysis.ask = [&resolver](const std::string& word) { return resolver.Ask(word); };
    ReportExtras& extras = analysis.extras;
    extras.indices = options.format != OutputFormat::Text || options.maxGrade.has_value();
    extras.words = options.words;
    extras.sentences =
        options.Lint() ? std::max(options.sentences, options.LintSentences()) : options.sentences;
    extras.shortenFirst = options.Lint();
    extras.checks = options.checks;
    std::size_t findings = 0;
    extras.rules = std::string(CountingRulesName(options.rules));
    int status = kExitOk;
    bool aboveMaxGrade = false;
    std::ostringstream unused;
    // Quiet lint mode prints no report, only its own lines.
    const std::unique_ptr<ReportOutput> output = ReportOutput::For(
        options, options.Lint() && options.quiet ? unused : streams.out, options.inputs.size() > 1);
    std::optional<LintOutput> lint;
    if (options.Lint())
        lint.emplace(streams.out, options);
    for (const std::string& input : options.inputs) {
        if (output->Failed())
            break; // the end says so
        const std::string name = input == "-" ? kStdinName : input;
        PreparedInput prepared =
            first ? std::move(*first) : Prepare(input, options, streams.stdinDescriptor);
        first.reset();
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
            output->Failure(input, failure.message, extras.rules);
            if (lint)
                lint->Unreadable();
            continue;
        }
        if (options.unknown == UnknownMode::Zero && !report->unknownWords.empty())
            err << kProgram << name << ": " << UnknownWordsSummary(report->unknownWords) << '\n';
        std::optional<double> grade;
        bool above = false;
        if (options.maxGrade) {
            grade = GradeOf(*report, options.gradeIndex);
            above = grade && *grade > *options.maxGrade;
            if (above) {
                aboveMaxGrade = true;
                // The line scripts have read since before lint mode; quiet
                // lint mode says it once, on standard output.
                if (!(options.Lint() && options.quiet))
                    err << kProgram << ShowControlCharacters(name) << ": grade " << IndexText(grade)
                        << " (" << GradeIndexName(options.gradeIndex) << ") is above "
                        << FormatFigure(*options.maxGrade) << '\n';
            }
        }
        if (Places(options))
            PlaceInFile(*report, prepared.locator);
        if (report->checks)
            findings += report->checks->size();
        if (lint) {
            // The lists lint mode needed are not the report's unless asked for.
            if (options.sentences == 0) {
                report->longestSentences.reset();
                report->mostDifficultSentences.reset();
            }
            // Lint mode prints these in its own lines.
            auto shortenFirst = std::move(report->sentencesToShortenFirst);
            auto checks = std::move(report->checks);
            report->sentencesToShortenFirst.reset();
            report->checks.reset();
            output->Report(*report);
            report->sentencesToShortenFirst = std::move(shortenFirst);
            report->checks = std::move(checks);
            if (report->sentencesToShortenFirst &&
                report->sentencesToShortenFirst->size() >
                    static_cast<std::size_t>(options.LintSentences()))
                report->sentencesToShortenFirst->resize(
                    static_cast<std::size_t>(options.LintSentences()));
            lint->File(name, *report, grade, above);
            continue;
        }
        output->Report(*report);
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
