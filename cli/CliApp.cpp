#include "cli/CliApp.h"

#include "cli/ReportOutput.h"
#include "cli/UnknownWords.h"
#include "dictionary/Dictionary.h"
#include "dictionary/UserDictionary.h"
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
    PreparedText text; // the passage and line starts kept only when sentences are listed
    CountingRules rules = CountingRules::Classic;
    std::vector<std::string> warnings;
    std::optional<InputFailure> failure;
};

PreparedInput Prepare(const std::string& input, const CliOptions& options, int stdinDescriptor) {
    PreparedInput prepared;
    prepared.rules = RulesForUnread(input, options);
    try {
        LoadedDocument read = ReadInput(input, options, stdinDescriptor);
        prepared.rules = RulesFor(options.rules, read.format != DocumentFormat::Text);
        prepared.warnings = std::move(read.warnings);
        prepared.text =
            PrepareForReport(std::move(read.text), prepared.rules, options.sentences > 0);
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

} // namespace

int RunCli(const CliOptions& options, CliStreams& streams) {
    std::ostream& err = streams.err;
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
    analysis.unknown = options.unknown;
    analysis.ask = [&resolver](const std::string& word) { return resolver.Ask(word); };
    ReportExtras& extras = analysis.extras;
    extras.indices = options.format != OutputFormat::Text || options.maxGrade.has_value();
    extras.words = options.words;
    extras.sentences = options.sentences;
    int status = kExitOk;
    bool aboveMaxGrade = false;
    const std::unique_ptr<ReportOutput> output =
        ReportOutput::For(options.format, streams.out, options.inputs.size() > 1);
    for (const std::string& input : options.inputs) {
        if (output->Failed())
            break; // the end says so
        const std::string name = input == "-" ? kStdinName : input;
        PreparedInput prepared =
            first ? std::move(*first) : Prepare(input, options, streams.stdinDescriptor);
        first.reset();
        analysis.rules = prepared.rules;
        extras.rules = std::string(CountingRulesName(prepared.rules));
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
                << ShowControlCharacters(failure.message) << '\n';
            status = kExitUnreadableInput;
            output->Failure(input, failure.message, extras.rules);
            continue;
        }
        for (const std::string& warning : prepared.warnings)
            err << kProgram << name << ": " << warning << '\n';
        report->warnings = std::move(prepared.warnings);
        if (options.unknown == UnknownMode::Zero && !report->unknownWords.empty())
            err << kProgram << name << ": " << UnknownWordsSummary(report->unknownWords) << '\n';
        if (options.maxGrade) {
            const std::optional<double> grade = GradeOf(*report, options.gradeIndex);
            if (grade && *grade > *options.maxGrade) {
                aboveMaxGrade = true;
                err << kProgram << name << ": grade " << IndexText(grade) << " ("
                    << GradeIndexName(options.gradeIndex) << ") is above "
                    << FormatFigure(*options.maxGrade) << '\n';
            }
        }
        output->Report(*report);
    }

    if (const std::optional<WriteFailure> failure = output->End()) {
        err << kProgram << failure->message << '\n';
        return kExitUnreadableInput;
    }
    // The answer's count was used, but the file the user asked for was not written.
    if (resolver.AddFailed())
        return kExitUnreadableInput;
    if (status == kExitOk && aboveMaxGrade)
        return kExitAboveMaxGrade;
    return status;
}
