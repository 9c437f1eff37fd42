#include "cli/CliApp.h"

#include "analysis/Error.h"
#include "analysis/TextFile.h"
#include "cli/FileReport.h"
#include "cli/UnknownWords.h"
#include "dictionary/Dictionary.h"
#include "dictionary/UserDictionary.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <future>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <unistd.h>
#include <utility>

namespace {

constexpr const char* kProgram = "scrivolux-cli: ";
constexpr const char* kStdinName = "standard input";

// Why a file cannot be opened, in the system's words.
std::string OpenFailureReason(const std::string& path) {
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    if (!info.exists())
        return "No such file or directory";
    if (info.isDir())
        return "Is a directory";
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString().toStdString();
    return "cannot be read";
}

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
        if (bytes.size() > kMaxTextFileBytes)
            throw ScrivoluxError("Text exceeds memo capacity");
    }
}

// A document on standard input is read from a temporary copy: the zip and PDF
// readers need a file they can seek in.
std::string ReadStandardInputAs(DocumentFormat format, int stdinDescriptor) {
    const std::string bytes = ReadStandardInput(stdinDescriptor);
    QTemporaryFile copy;
    const auto size = static_cast<qint64>(bytes.size());
    if (!copy.open() || copy.write(bytes.data(), size) != size || !copy.flush())
        throw ScrivoluxError("Cannot copy standard input: " + copy.errorString().toStdString());
    return ReadDocument(copy.fileName().toStdString(), format).text;
}

std::string ReadInput(const std::string& input, const CliOptions& options, int stdinDescriptor) {
    if (input == "-") {
        if (options.formatIn && *options.formatIn != DocumentFormat::Text)
            return ReadStandardInputAs(*options.formatIn, stdinDescriptor);
        return DecodeText(ReadStandardInput(stdinDescriptor)).text;
    }
    try {
        return ReadDocument(input, options.formatIn).text;
    } catch (const ScrivoluxError& error) {
        const std::string message = error.what();
        if (message.rfind("Cannot open file", 0) == 0)
            throw ScrivoluxError(message + ": " + OpenFailureReason(input));
        throw;
    }
}

// One input made ready for the counting passes, or why it could not be read.
struct PreparedInput {
    WorkingTexts texts;
    std::optional<std::string> error;
};

PreparedInput Prepare(const std::string& input, const CliOptions& options, int stdinDescriptor) {
    PreparedInput prepared;
    try {
        prepared.texts = PrepareText(ReadInput(input, options, stdinDescriptor));
    } catch (const ScrivoluxError& error) {
        prepared.error = error.what();
    }
    return prepared;
}

// Loads the word list and then the user dictionary, as the desktop program does
// at start-up. False when neither could be read.
bool LoadDictionaries(TDictionary& dictionary, const CliOptions& options,
                      const std::string& executableDirectory, std::ostream& err) {
    const std::string wordList =
        options.dictionaryPath.value_or(executableDirectory + "/cuvplus.dat");
    const std::string userFile =
        options.customPath ? *options.customPath : CustomDictionaryPath(executableDirectory + "/");
    const std::string* reading = &wordList;
    try {
        if (!dictionary.LoadDictionary(wordList))
            err << kProgram << "cannot read the word list " << wordList << ": "
                << OpenFailureReason(wordList) << '\n';
        reading = &userFile;
        dictionary.LoadCustomDictionary(userFile);
    } catch (const ScrivoluxError& error) {
        // A bad line stops the load there, and the user dictionary is not read.
        err << kProgram << *reading << ": " << error.what() << '\n';
    }
    if (!dictionary.Loaded) {
        err << "Dictionary Error\n";
        return false;
    }
    return true;
}

// Appends to the user dictionary file without adding the word to the run's
// dictionary in memory (the resolver remembers it), so that later occurrences
// are still tallied as unknown words of their file.
class UserFileAppender {
public:
    explicit UserFileAppender(std::string path) : path_(std::move(path)) {}

    bool operator()(const std::string& word, std::int32_t count, std::string& error) {
        if (!appender_) {
            appender_ = std::make_shared<TDictionary>();
            try {
                appender_->LoadCustomDictionary(path_);
            } catch (const ScrivoluxError& e) {
                appender_.reset();
                error = path_ + ": " + e.what();
                return false;
            }
        }
        return appender_->AddWordToFile(word, count, &error);
    }

private:
    std::string path_;
    std::shared_ptr<TDictionary> appender_; // shared: std::function copies its target
};

// Below this a second thread costs more than it saves.
constexpr std::size_t kParallelFromBytes = 256 * 1024;

struct CountedText {
    AnalysisCounts counts;
    std::vector<UnknownWord> unknownWords;
};

// The counts of one text. Unless the terminal is asked, which must happen in
// the order of the text, the second half of the syllable pass and the word and
// sentence passes run on a second thread: nothing writes to the dictionary then,
// and the sums are the same as from one pass over the whole.
CountedText Count(const WorkingTexts& texts, TDictionary& dictionary, UnknownWordResolver& resolver,
                  UnknownMode mode, std::ostream& err) {
    const std::string_view wordText = texts.wordText;
    const std::size_t cut = mode == UnknownMode::Ask ? std::string_view::npos
                                                     : HalfwaySpace(wordText, kParallelFromBytes);
    if (cut == std::string_view::npos) {
        const AnalysisCounts counts = CountTexts(texts, dictionary, resolver.Handler());
        return {counts, resolver.TakeFileTally()};
    }

    UnknownWordResolver tailResolver(mode, nullptr, {}, err);
    auto tail = std::async(std::launch::async, [&] {
        NoProgress progress;
        AnalysisCounts counts;
        counts.syllables = CountSyllables(wordText.substr(cut + 1), dictionary,
                                          tailResolver.Handler(), progress, counts.difficultWords);
        counts.words = CountWords(wordText, progress);
        counts.sentences = CountSentences(texts.sentenceText, progress);
        return counts;
    });
    NoProgress progress;
    std::int32_t headDifficult = 0;
    const std::int32_t headSyllables = CountSyllables(wordText.substr(0, cut), dictionary,
                                                      resolver.Handler(), progress, headDifficult);
    CountedText counted{tail.get(), resolver.TakeFileTally()};
    // The sum saturates as one pass over the whole does.
    counted.counts.syllables = static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{counted.counts.syllables} + headSyllables, INT32_MAX));
    counted.counts.difficultWords += headDifficult;
    MergeTally(counted.unknownWords, tailResolver.TakeFileTally());
    return counted;
}

} // namespace

bool InputsNeedGuiApplication(const CliOptions& options) {
    if (options.formatIn)
        return NeedsGuiApplication(*options.formatIn);
    return std::any_of(options.inputs.begin(), options.inputs.end(), [](const std::string& input) {
        try {
            return input != "-" && NeedsGuiApplication(DetectFormat(input));
        } catch (const ScrivoluxError&) {
            return false; // reading it reports why
        }
    });
}

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
    err << loadMessages.str();
    if (!loaded)
        return kExitNoDictionary;

    TerminalDialog dialog(*answers, err, answers == &streams.in && !streams.stdinIsTerminal);
    UnknownWordResolver resolver(options.unknown, &dialog,
                                 UserFileAppender(dictionary.CustomFilePath()), err);

    const bool several = options.inputs.size() > 1;
    int status = kExitOk;
    QJsonArray documents;
    for (const std::string& input : options.inputs) {
        const std::string name = input == "-" ? kStdinName : input;
        const PreparedInput prepared =
            first ? std::move(*first) : Prepare(input, options, streams.stdinDescriptor);
        first.reset();
        if (prepared.error) {
            // The open failure names its file already.
            const std::string& message = *prepared.error;
            err << kProgram << (message.rfind("Cannot open file", 0) == 0 ? "" : name + ": ")
                << message << '\n';
            status = kExitUnreadableInput;
            if (options.json)
                documents.append(FailureJson(input, message));
            continue;
        }
        CountedText counted = Count(prepared.texts, dictionary, resolver, options.unknown, err);
        const FileReport report =
            MakeFileReport(input, counted.counts, std::move(counted.unknownWords));
        if (options.unknown == UnknownMode::Zero && !report.unknownWords.empty())
            err << kProgram << name << ": " << UnknownWordsSummary(report.unknownWords) << '\n';
        if (options.json) {
            documents.append(ReportJson(report));
        } else {
            if (several)
                streams.out << "==> " << name << " <==\n";
            streams.out << ReportText(report);
            if (several)
                streams.out << '\n';
            streams.out.flush();
        }
    }

    if (options.json) {
        const QJsonDocument document =
            several ? QJsonDocument(documents) : QJsonDocument(documents.first().toObject());
        streams.out << document.toJson(QJsonDocument::Indented).toStdString();
        streams.out.flush();
    }
    if (!streams.out) {
        // A full disk or a closed pipe must not pass for a complete report.
        err << kProgram << "the report could not be written to standard output\n";
        return kExitUnreadableInput;
    }
    return status;
}
