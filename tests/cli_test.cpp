// scrivolux-cli end to end: the program is run as a user or a script runs it,
// on fixtures copied to a temporary folder, with a small word list of its own.

#include "analysis/TextPreparation.h"
#include "cli/CliApp.h"
#include "cli/CliOptions.h"
#include "cli/UnknownWords.h"
#include "dictionary/Dictionary.h"
#include "report/ResultJson.h"
#include "report/TextAnalysis.h"
#include "text/Bytes.h"
#include "text/FileName.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "DocumentFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <optional>
#include <sstream>

// The largest block operator new hands out: a run can be made to meet a full
// memory at one input without a limit on the whole process.
namespace {
std::atomic<std::size_t> largestAllocation{SIZE_MAX};
}

// Every plain form is replaced, so that no block from one allocator reaches
// another's delete (the sanitizers' runtime brings forms of its own).
void* operator new(std::size_t size) {
    if (size > largestAllocation.load(std::memory_order_relaxed))
        throw std::bad_alloc();
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept {
    return operator new(size, nothrow);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

namespace {

const QString kProgram = QStringLiteral(SCRIVOLUX_BIN_DIR "/scrivolux-cli");

// The report of passage.txt with "zyxt" (twice) at 0 syllables: 26 syllables,
// 20 words, 1 sentence.
constexpr const char* kPassageReport = "Total Number of Syllables: 26\n"
                                       "Total Number of Words: 20\n"
                                       "Total Number of Sentences: 1\n"
                                       "Average Syllables Per Word: 1.3\n"
                                       "Average Syllables Per Sentence: 26\n"
                                       "Average Words Per Sentence: 20\n"
                                       "Number of Difficult Words(3 or more syllables):0\n"
                                       "Syllables Per 100 Words: 130\n"
                                       "Sentences Per 100 Words: 5\n"
                                       "Gunning-Fog Index: 8\n"
                                       "Flesch Reading Ease: 76.5550003051758\n"
                                       "Flesch-Kincaid Grade Level: 7.55000019073486\n";

constexpr const char* kNotANumber =
    "Please enter a number for the syllable count\n or click Ignore.";
constexpr const char* kNegative = "You cannot add a negative syllable count.";

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        const QDir data(QStringLiteral(SCRIVOLUX_TEST_DATA_DIR "/cli"));
        for (const QString& name : data.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(data.filePath(name), Path(name)));
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    void Write(const QString& name, const QByteArray& bytes) {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    // Runs the program with the test word list and a user dictionary in the
    // temporary folder (never the real user's), from that folder.
    CliRun Cli(QStringList arguments, const QByteArray& input = {}, bool withDictionaries = true,
               const std::optional<QProcessEnvironment>& environment = std::nullopt) {
        if (withDictionaries)
            arguments = QStringList{QStringLiteral("--dictionary"), Path("words.dat"),
                                    QStringLiteral("--custom"), Path("custom.dat")} +
                        arguments;
        QProcess process;
        process.setWorkingDirectory(dir_.path());
        if (environment)
            process.setProcessEnvironment(*environment);
        process.start(kProgram, arguments);
        EXPECT_TRUE(process.waitForStarted());
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }

    QJsonObject JsonOf(const CliRun& run) {
        QJsonParseError error;
        const QJsonDocument document =
            QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out;
        return document.object();
    }

    QTemporaryDir dir_;
};

TEST_F(CliTest, ReportsAPassageAsTheClipboardText) {
    const CliRun run = Cli({QStringLiteral("--unknown=zero"), QStringLiteral("passage.txt")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kPassageReport);
    // Nothing passes silently: the unknown word is named on standard error.
    EXPECT_EQ(run.err, "scrivolux-cli: passage.txt: 1 word not in the dictionary (2 times) "
                       "counted as 0 syllables: zyxt (2)\n");
}

// Names in Latin-1, as an older system wrote them: the text, the word list and
// the user dictionary are used by their bytes, and messages name them so.
TEST_F(CliTest, FileNamesThatAreNotUtf8AreUsedAsGiven) {
    QProcess shell;
    shell.setWorkingDirectory(dir_.path());
    shell.start(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral("w=$(printf 'w\\351.dat') t=$(printf 'caf\\351.txt') "
                        "c=$(printf 'c\\351.dat') g=$(printf 'gone\\351.txt') && "
                        "cp words.dat \"$w\" && cp passage.txt \"$t\" && printf 'a 2\\n' | "
                        "'%1' --unknown=ask --dictionary \"$w\" --custom \"$c\" \"$t\" \"$g\"")
             .arg(kProgram)});
    ASSERT_TRUE(shell.waitForFinished(30000));
    const std::string out = shell.readAllStandardOutput().toStdString();
    const std::string err = shell.readAllStandardError().toStdString();
    EXPECT_EQ(shell.exitCode(), 2) << err;
    EXPECT_NE(out.find("==> caf\xE9.txt <==\nTotal Number of Syllables: 30\n"), std::string::npos)
        << out << err;
    EXPECT_NE(err.find("scrivolux-cli: Cannot open file gone\xE9.txt: No such file or directory"),
              std::string::npos)
        << err;
    std::ifstream custom(dir_.path().toStdString() + "/c\xE9.dat", std::ios::binary);
    const std::string added{std::istreambuf_iterator<char>(custom), {}};
    EXPECT_EQ(added, "zyxt|2\r\n");
}

// JSON holds only UTF-8: such a name is shown with U+FFFD and kept in base64.
TEST_F(CliTest, JsonKeepsTheBytesOfNamesThatAreNotUtf8) {
    QProcess shell;
    shell.setWorkingDirectory(dir_.path());
    shell.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("t=$(printf 'caf\\351.txt') g=$(printf 'gone\\377.txt') && "
                                "cp second.txt \"$t\" && '%1' --dictionary words.dat --custom "
                                "custom.dat --format=jsonl \"$t\" \"$g\" second.txt")
                     .arg(kProgram)});
    ASSERT_TRUE(shell.waitForFinished(30000));
    EXPECT_EQ(shell.exitCode(), 2);
    const QList<QByteArray> lines = shell.readAllStandardOutput().split('\n');
    ASSERT_EQ(lines.size(), 4) << lines.join('\n').toStdString();
    const auto object = [&](int i) { return QJsonDocument::fromJson(lines[i]).object(); };
    EXPECT_EQ(object(0)["name"].toString(), QStringLiteral("caf\uFFFD.txt"));
    EXPECT_EQ(QByteArray::fromBase64(object(0)["nameBytes"].toString().toLatin1()), "caf\xE9.txt");
    EXPECT_TRUE(object(1).contains("error"));
    EXPECT_EQ(QByteArray::fromBase64(object(1)["nameBytes"].toString().toLatin1()), "gone\xFF.txt");
    EXPECT_FALSE(object(2).contains("nameBytes"));
}

TEST(FileNames, KeepTheirBytesThroughText) {
    for (const std::string bytes : {"plain.txt", "caf\xC3\xA9.txt", "caf\xE9.txt", "\xFF\xC3",
                                    "\xF0\x90\x82\x80\x80.txt", "\xED\xB2\x80"}) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(FileNameBytes(FileNameText(bytes)), bytes);
    }
    EXPECT_EQ(FileNameText("caf\xC3\xA9"), QStringLiteral("caf\u00E9"));
}

TEST_F(CliTest, ReadsStandardInputWhenNoFileIsGiven) {
    QFile passage(Path("passage.txt"));
    ASSERT_TRUE(passage.open(QIODevice::ReadOnly));
    const CliRun run = Cli({QStringLiteral("--unknown=zero")}, passage.readAll());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kPassageReport);
}

TEST_F(CliTest, JsonHoldsCountsFiguresValuesUnknownWordsAndTheFryReading) {
    const CliRun run = Cli({QStringLiteral("--json"), QStringLiteral("--unknown=zero"),
                            QStringLiteral("passage.txt")});
    ASSERT_EQ(run.exitCode, 0);
    const QJsonObject report = JsonOf(run);
    EXPECT_EQ(report["name"].toString(), "passage.txt");

    const QJsonObject counts = report["counts"].toObject();
    EXPECT_EQ(counts["syllables"].toInt(), 26);
    EXPECT_EQ(counts["words"].toInt(), 20);
    EXPECT_EQ(counts["sentences"].toInt(), 1);
    EXPECT_EQ(counts["difficultWords"].toInt(), 0);

    const QJsonObject texts = report["reportTexts"].toObject();
    const QJsonObject figures = report["figures"].toObject();
    EXPECT_EQ(texts.size(), 12);
    EXPECT_EQ(figures.size(), 12);
    EXPECT_EQ(texts["fleschReadingEase"].toString(), "76.5550003051758");
    EXPECT_DOUBLE_EQ(figures["fleschReadingEase"].toDouble(), 76.555);
    EXPECT_EQ(texts["syllablesPerWord"].toString(), "1.3");
    EXPECT_DOUBLE_EQ(figures["syllablesPer100Words"].toDouble(), 130);
    EXPECT_EQ(report["rules"].toString(), "classic");

    const QJsonArray unknown = report["unknownWords"].toArray();
    ASSERT_EQ(unknown.size(), 1);
    EXPECT_EQ(unknown[0].toObject()["word"].toString(), "zyxt");
    EXPECT_EQ(unknown[0].toObject()["occurrences"].toInt(), 2);

    // (130, 5) lies in zone 7, more than a syllable from either boundary.
    const QJsonObject fry = report["fry"].toObject();
    EXPECT_EQ(fry["region"].toString(), "zone");
    EXPECT_EQ(fry["zone"].toInt(), 7);
    EXPECT_FALSE(fry["nearBoundary"].toBool());
}

// Every key, at every depth, so that a script can rely on one naming rule.
void ExpectLowerCamelCaseKeys(const QJsonValue& value, const QString& path) {
    static const QRegularExpression camel(QStringLiteral("^[a-z][a-zA-Z0-9]*$"));
    if (value.isArray()) {
        for (const QJsonValue& item : value.toArray())
            ExpectLowerCamelCaseKeys(item, path + "[]");
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            EXPECT_TRUE(camel.match(it.key()).hasMatch()) << (path + "." + it.key()).toStdString();
            ExpectLowerCamelCaseKeys(it.value(), path + "." + it.key());
        }
    }
}

TEST_F(CliTest, JsonKeysAreLowerCamelCaseAndSingleFiguresInTheirShortestForm) {
    QFile words(Path("cat.dat"));
    ASSERT_TRUE(words.open(QIODevice::WriteOnly));
    words.write("the|1\ncat|1\nsat|1\non|1\nmat|1\nit|1\nwas|1\nhappy|2\n");
    words.close();
    QFile text(Path("cat.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("The cat sat on the mat. It was happy.\n");
    text.close();

    for (const char* format : {"--format=json", "--format=jsonl"}) {
        SCOPED_TRACE(format);
        const CliRun run =
            Cli({QStringLiteral("--dictionary"), Path("cat.dat"), QString::fromLatin1(format),
                 QStringLiteral("--words"), QStringLiteral("--sentences=2"),
                 QStringLiteral("cat.txt"), QStringLiteral("missing.txt")});
        EXPECT_EQ(run.exitCode, 2);
        // 9 words, 2 sentences, 10 syllables: 0.39 * 4.5 + 11.8 * 10 / 9 - 15.59 in
        // single precision is -0.723888874053955, and is written as the float it is.
        const bool shortest =
            run.out.find("\"fleschKincaidGradeLevel\":-0.7238889,") != std::string::npos ||
            run.out.find("\"fleschKincaidGradeLevel\": -0.7238889,") != std::string::npos;
        EXPECT_TRUE(shortest) << run.out;
        EXPECT_NE(run.out.find("\"-0.723888874053955\""), std::string::npos)
            << "the report's own text is kept";
        for (const QString& line : QString::fromStdString(run.out).split('\n'))
            if (line.startsWith('{'))
                ExpectLowerCamelCaseKeys(QJsonDocument::fromJson(line.toUtf8()).object(), "");
        if (QString::fromLatin1(format) == "--format=json")
            ExpectLowerCamelCaseKeys(
                QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).array(), "");
    }
}

TEST_F(CliTest, EmptyTextGivesPlaceholdersAndNullsInJson) {
    const CliRun run = Cli({QStringLiteral("--json"), QStringLiteral("empty.txt")});
    ASSERT_EQ(run.exitCode, 0);
    const QJsonObject report = JsonOf(run);
    EXPECT_EQ(report["reportTexts"].toObject()["gunningFogIndex"].toString(), "----");
    EXPECT_TRUE(report["figures"].toObject()["gunningFogIndex"].isNull());
    EXPECT_EQ(report["figures"].toObject()["words"].toInt(-1), 0);
    EXPECT_TRUE(report["fry"].isNull());
    EXPECT_TRUE(report["daleChallGrades"].isNull());
    EXPECT_TRUE(report["indices"].toObject()["consensusGrade"].isNull());
}

TEST_F(CliTest, SeveralFilesWithOneMissingReportTheOthersAndExitWith2) {
    const CliRun run = Cli({QStringLiteral("--unknown=zero"), QStringLiteral("passage.txt"),
                            QStringLiteral("missing.txt"), QStringLiteral("second.txt")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, std::string("==> passage.txt <==\n") + kPassageReport +
                           "\n==> second.txt <==\n"
                           "Total Number of Syllables: 4\n"
                           "Total Number of Words: 4\n"
                           "Total Number of Sentences: 2\n"
                           "Average Syllables Per Word: 1\n"
                           "Average Syllables Per Sentence: 2\n"
                           "Average Words Per Sentence: 2\n"
                           "Number of Difficult Words(3 or more syllables):0\n"
                           "Syllables Per 100 Words: 100\n"
                           "Sentences Per 100 Words: 50\n"
                           "Gunning-Fog Index: 0.800000011920929\n"
                           "Flesch Reading Ease: 120.205001831055\n"
                           "Flesch-Kincaid Grade Level: -3.00999999046326\n"
                           "\n");
    EXPECT_NE(run.err.find("scrivolux-cli: Cannot open file missing.txt: No such file or "
                           "directory\n"),
              std::string::npos)
        << run.err;
}

TEST_F(CliTest, SeveralFilesInJsonGiveAnArrayWithTheFailureInPlace) {
    const CliRun run = Cli(
        {QStringLiteral("--json"), QStringLiteral("second.txt"), QStringLiteral("missing.txt")});
    EXPECT_EQ(run.exitCode, 2);
    const QJsonArray reports = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).array();
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[0].toObject()["counts"].toObject()["words"].toInt(), 4);
    EXPECT_EQ(reports[1].toObject()["name"].toString(), "missing.txt");
    EXPECT_TRUE(reports[1].toObject()["error"].toString().startsWith("Cannot open file"));
}

TEST_F(CliTest, BadInputsAreRefusedWithAMessageAndExitStatus2) {
    // A file beyond the bound is refused by its size, before it is read; a
    // sparse file costs no disk.
    QFile huge(Path("huge.txt"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(100 * 1024 * 1024));
    huge.close();

    const struct {
        const char* name;
        const char* file;
        const char* message;
    } cases[] = {
        {"binary", "binary.txt", "binary.txt: "},
        {"directory", ".", "Cannot open file .: Is a directory"},
        {"over 64 MB", "huge.txt", "huge.txt: Text exceeds memo capacity"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = Cli({QString::fromUtf8(c.file)});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

// Memory that runs out on one input costs that input only: an error row, and
// the next input is still read.
TEST_F(CliTest, AnInputThatRunsOutOfMemoryIsAFailureRowAndTheRunGoesOn) {
    Write("big.txt", QByteArray("word ").repeated(400000));
    const ParsedCommandLine parsed = ParseCommandLine(
        {QStringLiteral("scrivolux-cli"), QStringLiteral("--dictionary"), Path("words.dat"),
         QStringLiteral("--custom"), Path("custom.dat"), QStringLiteral("--format=csv"),
         Path("second.txt"), Path("big.txt"), Path("second.txt")},
        {});
    ASSERT_EQ(parsed.action, ParsedCommandLine::Action::Run);
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    CliStreams streams{in, out, err, -1, false, dir_.path().toStdString()};
    largestAllocation = 1'000'000;
    const int status = RunCli(parsed.options, streams);
    largestAllocation = SIZE_MAX;
    EXPECT_EQ(status, 2);
    EXPECT_EQ(err.str(),
              "scrivolux-cli: " + Path("big.txt").toStdString() + ": not enough memory\n");
    const QStringList rows = QString::fromStdString(out.str()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(rows.size(), 5) << out.str();
    EXPECT_TRUE(rows[2].endsWith(",not enough memory")) << rows[2].toStdString();
    EXPECT_EQ(rows[3], rows[1]);
}

TEST_F(CliTest, ClosedOrFullStandardStreamsAreReported) {
    const struct {
        const char* name;
        const char* redirection;
        const char* message;
    } cases[] = {
        {"standard input closed", "<&-",
         "scrivolux-cli: standard input: Cannot read standard input: Bad file descriptor\n"},
        {"standard output closed", "second.txt >&-",
         "scrivolux-cli: the report could not be written to standard output\n"},
        {"disk full", "second.txt >/dev/full",
         "scrivolux-cli: the report could not be written to standard output\n"},
        {"json on a full disk", "--json second.txt >/dev/full",
         "scrivolux-cli: the report could not be written to standard output\n"},
        {"json lines on a full disk", "--format=jsonl second.txt >/dev/full",
         "scrivolux-cli: the report could not be written to standard output\n"},
        {"csv on a full disk", "--format=csv second.txt >/dev/full",
         "scrivolux-cli: the report could not be written to standard output\n"},
        {"help on a full disk", "--help >/dev/full",
         "scrivolux-cli: the text could not be written to standard output\n"},
        {"version to a closed output", "--version >&-",
         "scrivolux-cli: the text could not be written to standard output\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QProcess shell;
        shell.setWorkingDirectory(dir_.path());
        shell.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"),
                     QStringLiteral("'%1' --dictionary words.dat --custom custom.dat %2")
                         .arg(kProgram, QString::fromUtf8(c.redirection))});
        ASSERT_TRUE(shell.waitForFinished(30000));
        EXPECT_EQ(shell.exitCode(), 2);
        EXPECT_EQ(shell.readAllStandardError().toStdString(), c.message);
    }
}

TEST_F(CliTest, ABadWordListLineNamesTheFile) {
    QFile bad(Path("bad.dat"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("the|1\nword without count\n");
    bad.close();
    const CliRun run =
        Cli({QStringLiteral("--dictionary"), Path("bad.dat"), QStringLiteral("--custom"),
             Path("custom.dat"), QStringLiteral("second.txt")},
            {}, false);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.err, "scrivolux-cli: " + Path("bad.dat").toStdString() +
                           ", line 2: 'w' is not a valid integer value\nDictionary Error\n");
}

TEST_F(CliTest, PunctuationOnlyCountsSentencesButNoWords) {
    const CliRun run = Cli({QStringLiteral("--json"), QStringLiteral("punctuation.txt")});
    EXPECT_EQ(run.exitCode, 0);
    const QJsonObject counts = JsonOf(run)["counts"].toObject();
    EXPECT_EQ(counts["words"].toInt(), 0);
    EXPECT_EQ(counts["sentences"].toInt(), 5);
}

TEST_F(CliTest, WithoutAnyDictionaryFileItSaysDictionaryErrorAndExitsWith3) {
    const CliRun run =
        Cli({QStringLiteral("--dictionary"), Path("none.dat"), QStringLiteral("--custom"),
             Path("none-custom.dat"), QStringLiteral("passage.txt")},
            {}, false);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("\nDictionary Error\n"), std::string::npos) << run.err;
}

TEST_F(CliTest, UsageErrorsExitWith1AndPointToHelp) {
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("--bogus")}, QStringList{QStringLiteral("--unknown=maybe")},
          QStringList{QStringLiteral("-"), QStringLiteral("-")},
          QStringList{QStringLiteral("--format=xml")},
          QStringList{QStringLiteral("--rules=strict")},
          QStringList{QStringLiteral("--sentences=-1")},
          QStringList{QStringLiteral("--json"), QStringLiteral("--format=csv")},
          QStringList{QStringLiteral("--format=csv"), QStringLiteral("--words")},
          QStringList{QStringLiteral("--max-grade=nan")},
          QStringList{QStringLiteral("--max-grade=inf")},
          QStringList{QStringLiteral("--max-grade=-inf")}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CliRun run = Cli(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("Try 'scrivolux-cli --help' for more information.\n"),
                  std::string::npos)
            << run.err;
    }
}

TEST_F(CliTest, HelpNamesEveryOptionAndVersionNamesTheProgram) {
    const CliRun help = Cli({QStringLiteral("--help")}, {}, false);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option :
         {"--json", "--format", "--words", "--sentences", "--dictionary", "--max-grade",
          "--grade-index", "--custom", "--unknown", "--help", "--version", "ask|zero|estimate"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    const CliRun version = Cli({QStringLiteral("--version")}, {}, false);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("scrivolux-cli ", 0), 0u) << version.out;
}

// ---- Further output: indices, words, sentences, CSV and JSON lines -------------

TEST_F(CliTest, JsonWordsAddUpToTheCountsAndCarryTheirSources) {
    const CliRun run =
        Cli({QStringLiteral("--json"), QStringLiteral("--words"), QStringLiteral("--sentences=3"),
             QStringLiteral("--unknown=zero"), QStringLiteral("passage.txt")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QJsonObject report = JsonOf(run);
    const QJsonObject counts = report["counts"].toObject();
    int syllables = 0;
    int words = 0;
    for (const QJsonValue& value : report["words"].toArray()) {
        const QJsonObject word = value.toObject();
        syllables += word["syllables"].toInt() * word["occurrences"].toInt();
        words += word["occurrences"].toInt();
        if (word["word"].toString() == "zyxt") {
            EXPECT_EQ(word["source"].toString(), "ignored");
            EXPECT_EQ(word["occurrences"].toInt(), 2);
        } else {
            EXPECT_EQ(word["source"].toString(), "word list")
                << word["word"].toString().toStdString();
        }
    }
    EXPECT_EQ(syllables, counts["syllables"].toInt());
    EXPECT_EQ(words, counts["words"].toInt());
    for (const char* key : {"letters", "longWords", "polysyllables", "monosyllables"})
        EXPECT_TRUE(counts.contains(key)) << key;
    const QJsonObject indices = report["indices"].toObject();
    for (const char* key :
         {"smogGrade", "colemanLiauIndex", "automatedReadabilityIndex", "lix", "forcast"})
        EXPECT_TRUE(indices[key].isDouble()) << key;
    // One sentence: the two lines joined by a space, without its full stop.
    const QJsonArray longest = report["longestSentences"].toArray();
    ASSERT_EQ(longest.size(), 1);
    EXPECT_EQ(longest[0].toObject()["words"].toInt(), 20);
    EXPECT_EQ(longest[0].toObject()["text"].toString(),
              "The quick brown fox jumps over the lazy dog zyxt and then a happy rabbit Zyxt "
              "runner into garden water");
}

TEST_F(CliTest, JsonLinesHoldOneObjectPerFileAndJsonIsFormatJson) {
    const QStringList files = {QStringLiteral("--unknown=zero"), QStringLiteral("passage.txt"),
                               QStringLiteral("missing.txt"), QStringLiteral("second.txt")};
    const CliRun lines = Cli(QStringList{QStringLiteral("--format=jsonl")} + files);
    EXPECT_EQ(lines.exitCode, 2);
    const QStringList rows = QString::fromStdString(lines.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 3);
    for (const QString& row : rows)
        EXPECT_TRUE(QJsonDocument::fromJson(row.toUtf8()).isObject()) << row.toStdString();
    EXPECT_TRUE(QJsonDocument::fromJson(rows[1].toUtf8()).object().contains("error"));
    EXPECT_EQ(Cli(QStringList{QStringLiteral("--json")} + files).out,
              Cli(QStringList{QStringLiteral("--format=json")} + files).out);
}

TEST_F(CliTest, CsvHasAHeaderAndOneQuotedRowPerFile) {
    ASSERT_TRUE(QFile::copy(Path("passage.txt"), Path("a, \"b\".txt")));
    const CliRun run = Cli({QStringLiteral("--format=csv"), QStringLiteral("--unknown=zero"),
                            QStringLiteral("a, \"b\".txt"), QStringLiteral("missing.txt")});
    EXPECT_EQ(run.exitCode, 2);
    const QStringList rows = QString::fromStdString(run.out).split(QStringLiteral("\r\n"));
    ASSERT_EQ(rows.size(), 4); // header, two files, and nothing after the last CR LF
    EXPECT_TRUE(rows[0].startsWith("name,rules,syllables,words,sentences,difficultWords,letters,"));
    EXPECT_TRUE(rows[0].endsWith(",smogGrade,colemanLiauIndex,automatedReadabilityIndex,lix,"
                                 "forcast,daleChall,spache,mcalpineEflaw,linsearWrite,"
                                 "consensusGrade,daleChallGrades,consensusLow,consensusHigh,"
                                 "fryZone,fryReading,error"));
    EXPECT_TRUE(rows[1].startsWith("\"a, \"\"b\"\".txt\",classic,26,20,1,0,"))
        << rows[1].toStdString();
    EXPECT_TRUE(rows[1].contains(",130,5,8,76.5550003051758,7.55000019073486,"));
    EXPECT_TRUE(rows[1].endsWith(",7,grade 7,")) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].startsWith("missing.txt,classic,,,"));
    EXPECT_EQ(rows[0].count(','), rows[1].count(',') - 1); // the name's quoted comma
    EXPECT_EQ(rows[3], "");
}

// The cells of one CSV row, unquoted.
QStringList CsvCells(const QString& row) {
    QStringList cells(QString{});
    bool quoted = false;
    for (qsizetype i = 0; i < row.size(); ++i) {
        const QChar c = row[i];
        if (c == '"' && quoted && i + 1 < row.size() && row[i + 1] == '"')
            cells.back() += row[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            cells.append(QString());
        else
            cells.back() += c;
    }
    return cells;
}

// A file name or an error that a spreadsheet would run is kept as text; our
// own negative numbers stay numbers, and a failure fills the row to the error.
TEST_F(CliTest, CsvKeepsFormulasAsTextAndEveryRowAsWideAsTheHeader) {
    for (const char* name : {"@SUM(1+1).txt", "+cmd.txt"})
        ASSERT_TRUE(QFile::copy(Path("second.txt"), Path(name)));
    const CliRun run =
        Cli({QStringLiteral("--format=csv"), QStringLiteral("--"), QStringLiteral("@SUM(1+1).txt"),
             QStringLiteral("+cmd.txt"), QStringLiteral("=HYPERLINK(\"x\").txt"),
             QStringLiteral("-2+3.txt"), QStringLiteral("second.txt")});
    EXPECT_EQ(run.exitCode, 2);
    QStringList rows = QString::fromStdString(run.out).split(QStringLiteral("\r\n"));
    ASSERT_EQ(rows.size(), 7);
    EXPECT_TRUE(rows[3].startsWith("\"'=HYPERLINK(\"\"x\"\").txt\",classic,,"))
        << rows[3].toStdString();
    const QStringList header = CsvCells(rows[0]);
    const auto cell = [&](int row, const char* column) {
        return CsvCells(rows[row]).value(header.indexOf(QLatin1String(column)));
    };
    const char* names[] = {"'@SUM(1+1).txt", "'+cmd.txt", "'=HYPERLINK(\"x\").txt", "'-2+3.txt",
                           "second.txt"};
    for (int row = 1; row <= 5; ++row) {
        SCOPED_TRACE(rows[row].toStdString());
        EXPECT_EQ(CsvCells(rows[row]).size(), header.size());
        EXPECT_EQ(cell(row, "name"), names[row - 1]);
        const bool missing = row == 3 || row == 4;
        EXPECT_EQ(cell(row, "fryReading").isEmpty(), missing);
        EXPECT_EQ(cell(row, "error").startsWith("Cannot open file "), missing);
        EXPECT_EQ(cell(row, "fleschKincaidGradeLevel"), missing ? "" : "-3.00999999046326");
    }
    EXPECT_EQ(CsvTextField("-"), "-"); // standard input's name
    EXPECT_EQ(CsvTextField("\tx,y"), "\"'\tx,y\"");
}

TEST(Csv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    EXPECT_EQ(CsvField("plain text"), "plain text");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(CsvField("cr\r"), "\"cr\r\"");
    EXPECT_EQ(CsvField(""), "");
}

// ---- Scripts and CI: a grade limit, sentences by line, a quiet standard error ---

TEST_F(CliTest, MaxGradeExitsWith4AndNamesOnlyTheFilesAboveIt) {
    // 60 words of two syllables in one sentence: every grade is far above 8.
    Write("hard.txt", QByteArray("happy rabbit garden water ").repeated(15) + ".\n");
    const QStringList files = {QStringLiteral("second.txt"), QStringLiteral("hard.txt")};
    const struct {
        const char* name;
        QStringList arguments;
        int exitCode;
        bool namesHard;
    } cases[] = {
        {"above 8", {QStringLiteral("--max-grade"), QStringLiteral("8")}, 4, true},
        {"below 40", {QStringLiteral("--max-grade=40")}, 0, false},
        {"by Flesch-Kincaid, 31.41",
         {QStringLiteral("--max-grade=31.4"), QStringLiteral("--grade-index=fk")},
         4,
         true},
        {"by Flesch-Kincaid, at the grade",
         {QStringLiteral("--max-grade=31.42"), QStringLiteral("--grade-index=fk")},
         0,
         false},
        {"a missing file still gives 2",
         {QStringLiteral("--max-grade=8"), QStringLiteral("missing.txt")},
         2,
         true},
        {"json too", {QStringLiteral("--max-grade=8"), QStringLiteral("--json")}, 4, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = Cli(c.arguments + files);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(run.err.find("second.txt"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("scrivolux-cli: hard.txt: grade ") != std::string::npos, c.namesHard)
            << run.err;
        EXPECT_NE(run.out, "");
    }
    const CliRun badIndex =
        Cli({QStringLiteral("--max-grade=8"), QStringLiteral("--grade-index=kincaid"),
             QStringLiteral("second.txt")});
    EXPECT_EQ(badIndex.exitCode, 1);
    EXPECT_EQ(Cli({QStringLiteral("--max-grade=eight"), QStringLiteral("second.txt")}).exitCode, 1);
}

// One text whose eight grades lie apart: each index is read by its own name,
// and a grade exactly at the limit is not above it.
TEST_F(CliTest, MaxGradeReadsTheNamedIndex) {
    Write("grades.dat", "the|1\ncat|1\nsat|1\non|1\nmat|1\nit|1\nwas|1\nhappy|2\nelephant|3\n"
                        "remarkable|4\nwater|2\nunderstanding|4\ndog|1\n");
    Write("grades.txt", "The remarkable elephant sat on the mat. It was happy. The cat was "
                        "understanding of the elephant on the water. The dog sat.\n");
    const struct {
        const char* index;
        double grade;
    } grades[] = {
        {"consensus", 4.102}, {"fk", 4.609},  {"fog", 9.257},     {"smog", 8.842},
        {"cl", 3.595},        {"ari", 1.104}, {"linsear", 2.875}, {"dalechall", 4},
    };
    const auto run = [&](const char* index, const QString& limit) {
        return Cli({QStringLiteral("--dictionary"), Path("grades.dat"),
                    QStringLiteral("--grade-index=%1").arg(QLatin1String(index)),
                    QStringLiteral("--max-grade=") + limit, QStringLiteral("grades.txt")});
    };
    for (const auto& g : grades) {
        SCOPED_TRACE(g.index);
        const CliRun below = run(g.index, QString::number(g.grade - 0.05));
        EXPECT_EQ(below.exitCode, 4) << below.err;
        EXPECT_NE(below.err.find(std::string(" (") + g.index + ") is above "), std::string::npos)
            << below.err;
        EXPECT_EQ(run(g.index, QString::number(g.grade + 0.05)).exitCode, 0);
    }
    for (const char* exact : {"dalechall=4", "linsear=2.875"}) {
        SCOPED_TRACE(exact);
        const QStringList parts = QString::fromLatin1(exact).split('=');
        const CliRun at = run(parts[0].toLatin1().constData(), parts[1]);
        EXPECT_EQ(at.exitCode, 0) << at.err;
        EXPECT_EQ(at.err, "");
    }
}

// Readings at the college edge and near a boundary, in JSON and in CSV, whose
// reading holds a comma.
TEST_F(CliTest, FryReadingsAtTheCollegeEdgeAndNearABoundary) {
    const struct {
        const char* name;
        int twoSyllableWords; // of 100
        int sentences;
        int zone;
        bool college;
        const char* reading;
    } cases[] = {
        {"zone 12", 60, 4, 12, false, "grade 12"},
        {"zone 13", 60, 3, 13, true, "college"},
        {"near a boundary", 65, 5, 12, false, "grade 12, near college"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList words;
        for (int i = 0; i < 100; ++i)
            words.append(i < c.twoSyllableWords ? QStringLiteral("happy") : QStringLiteral("dog"));
        QByteArray text;
        const int perSentence = 100 / c.sentences;
        for (int s = 0; s < c.sentences; ++s)
            text += words.mid(s * perSentence, s + 1 < c.sentences ? perSentence : -1)
                        .join(' ')
                        .toLatin1() +
                    ". ";
        Write("fry.txt", text + "\n");
        const QJsonObject fry =
            JsonOf(Cli({QStringLiteral("--json"), QStringLiteral("fry.txt")}))["fry"].toObject();
        EXPECT_EQ(fry["zone"].toInt(), c.zone);
        EXPECT_EQ(fry["college"].toBool(), c.college);
        EXPECT_EQ(fry["reading"].toString(), c.reading);

        const QStringList rows =
            QString::fromStdString(
                Cli({QStringLiteral("--format=csv"), QStringLiteral("fry.txt")}).out)
                .split(QStringLiteral("\r\n"));
        ASSERT_EQ(rows.size(), 3);
        const QStringList header = CsvCells(rows[0]);
        const QStringList cells = CsvCells(rows[1]);
        EXPECT_EQ(cells.size(), header.size()) << rows[1].toStdString();
        EXPECT_EQ(cells.value(header.indexOf(QLatin1String("fryReading"))), c.reading);
    }
}

TEST_F(CliTest, SentencesNameTheirFileAndLine) {
    Write("lines.txt", "Short one.\nThe quick brown fox jumps over the lazy dog\r\nand then a "
                       "happy rabbit.\n\nA dog.\n");
    for (const char* rules : {"--rules=classic", "--rules=careful"}) {
        SCOPED_TRACE(rules);
        const CliRun text = Cli({QString::fromLatin1(rules), QStringLiteral("--sentences=2"),
                                 QStringLiteral("lines.txt")});
        EXPECT_EQ(text.exitCode, 0);
        EXPECT_NE(
            text.out.find("\nLongest sentences:\nlines.txt:2: 14 words, 0 difficult: The quick"),
            std::string::npos)
            << text.out;
        // The careful rules show a sentence with its ending character.
        const std::string shortOne = std::string("\nlines.txt:1: 2 words, 0 difficult: Short one") +
                                     (rules == std::string_view("--rules=careful") ? ".\n" : "\n");
        EXPECT_NE(text.out.find(shortOne), std::string::npos) << text.out;

        const CliRun json = Cli({QString::fromLatin1(rules), QStringLiteral("--json"),
                                 QStringLiteral("--sentences=3"), QStringLiteral("lines.txt")});
        const QJsonArray longest = JsonOf(json)["longestSentences"].toArray();
        ASSERT_EQ(longest.size(), 3);
        EXPECT_EQ(longest[0].toObject()["line"].toInt(), 2);
        EXPECT_EQ(longest[2].toObject()["line"].toInt(), 5);
    }
}

TEST_F(CliTest, StandardErrorIsEmptyOnANormalRunWhateverTheEnvironment) {
    Write("notes.md", "# The garden\n\nThe *quick* brown fox jumps over the lazy dog.\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    for (const char* file : {"passage.txt", "notes.md"}) {
        for (const char* format : {"--format=text", "--format=json"}) {
            SCOPED_TRACE(std::string(file) + " " + format);
            const CliRun run = Cli({QString::fromLatin1(format), QString::fromLatin1(file)}, {},
                                   true, environment);
            EXPECT_EQ(run.exitCode, 0);
            EXPECT_EQ(run.err, "");
        }
    }
}

TEST_F(CliTest, TheCountingRulesAreNamedInEveryFormat) {
    const QStringList files = {QStringLiteral("second.txt"), QStringLiteral("missing.txt")};
    const QJsonArray reports =
        QJsonDocument::fromJson(
            QByteArray::fromStdString(
                Cli(QStringList{QStringLiteral("--rules=careful"), QStringLiteral("--json")} +
                    files)
                    .out))
            .array();
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[0].toObject()["rules"].toString(), "careful");
    EXPECT_EQ(reports[1].toObject()["rules"].toString(), "careful");
    const std::string csv = Cli(QStringList{QStringLiteral("--format=csv")} + files).out;
    EXPECT_NE(csv.find("\r\nsecond.txt,classic,4,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\nmissing.txt,classic,,"), std::string::npos) << csv;
}

// By default a document is counted by the careful rules and plain text by the
// classic ones; every format says which counted each file, failures too.
TEST_F(CliTest, TheDefaultRulesFollowTheFile) {
    const QByteArray text = "# Notes\n\nThe garden grew. It was green\n";
    Write("notes.md", text);
    Write("notes.txt", text);
    const QStringList files = {QStringLiteral("notes.md"), QStringLiteral("notes.txt"),
                               QStringLiteral("missing.md"), QStringLiteral("missing.txt")};
    const auto rulesOf = [&](const QStringList& options) {
        std::vector<std::string> rules;
        const QJsonArray reports =
            QJsonDocument::fromJson(
                QByteArray::fromStdString(
                    Cli(options + QStringList{QStringLiteral("--json")} + files).out))
                .array();
        for (const QJsonValue& report : reports)
            rules.push_back(report.toObject()["rules"].toString().toStdString());
        return rules;
    };
    EXPECT_EQ(rulesOf({}), (std::vector<std::string>{"careful", "classic", "careful", "classic"}));
    EXPECT_EQ(rulesOf({QStringLiteral("--rules=auto")}), rulesOf({}));
    EXPECT_EQ(rulesOf({QStringLiteral("--rules=classic")}),
              (std::vector<std::string>{"classic", "classic", "classic", "classic"}));
    // The heading ends its sentence only under the careful rules.
    const QJsonArray both =
        QJsonDocument::fromJson(
            QByteArray::fromStdString(Cli({QStringLiteral("--json"), QStringLiteral("notes.md"),
                                           QStringLiteral("notes.txt")})
                                          .out))
            .array();
    ASSERT_EQ(both.size(), 2);
    EXPECT_EQ(both[0].toObject()["counts"].toObject()["sentences"].toInt(), 3);
    EXPECT_EQ(both[1].toObject()["counts"].toObject()["sentences"].toInt(), 2);

    const std::string csv = Cli(QStringList{QStringLiteral("--format=csv")} + files).out;
    for (const char* row : {"\r\nnotes.md,careful,", "\r\nnotes.txt,classic,",
                            "\r\nmissing.md,careful,,", "\r\nmissing.txt,classic,,"})
        EXPECT_NE(csv.find(row), std::string::npos) << row << csv;
    const CliRun piped = Cli({QStringLiteral("--format=jsonl"), QStringLiteral("-")}, text);
    EXPECT_NE(piped.out.find("\"rules\":\"classic\""), std::string::npos) << piped.out;
}

// A PDF whose pages hold almost no text is read with a warning, on standard
// error and in the JSON.
TEST_F(CliTest, APdfOfPicturesIsReadWithAWarning) {
    Write("scan.pdf", documents::ManyPagePdf(4, "Readable cats sleep."));
    Write("notes.txt", "Cats sleep.\n");
    const CliRun run = Cli({QStringLiteral("--json"), QStringLiteral("scan.pdf")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err,
              "scrivolux-cli: scan.pdf: this PDF has little text (its pages may be pictures)\n");
    const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    EXPECT_EQ(report["warnings"].toArray(),
              QJsonArray{QStringLiteral("this PDF has little text (its pages may be pictures)")});
    EXPECT_FALSE(QJsonDocument::fromJson(
                     QByteArray::fromStdString(
                         Cli({QStringLiteral("--json"), QStringLiteral("notes.txt")}).out))
                     .object()
                     .contains("warnings"));
}

TEST_F(CliTest, WithoutATerminalUnknownWordsAreEstimated) {
    Write("home.dat", "went|1\nhome|1\n");
    Write("zorbleflax.txt", "Zorbleflax went home.\n");
    const CliRun run = Cli({QStringLiteral("--dictionary"), Path("home.dat"),
                            QStringLiteral("--json"), QStringLiteral("zorbleflax.txt")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(JsonOf(run)["counts"].toObject()["syllables"].toInt(), 5);
}

// ---- The three unknown-word modes ---------------------------------------------

struct ModeCase {
    const char* name;
    QStringList arguments;
    QByteArray answers;
    int syllables;
    int difficultWords;
    const char* inErr; // a text that standard error must hold ("" for none)
};

TEST_F(CliTest, UnknownWordModes) {
    const QString ask = QStringLiteral("--unknown=ask");
    const ModeCase cases[] = {
        {"zero", {QStringLiteral("--unknown=zero")}, {}, 26, 0, "counted as 0 syllables: zyxt (2)"},
        {"estimate", {QStringLiteral("--unknown=estimate")}, {}, 28, 0, ""},
        // Asked once: the answer holds for the second occurrence, Zyxt.
        {"ask, a count", {ask}, "3\n", 32, 2, "    zyxt\n"},
        {"ask, ignore", {ask}, "i\n", 26, 0, "Ignore word  (0 syllables)"},
        {"ask, not a number then negative then a count", {ask}, "3 \n-2\n1\n", 28, 0, ""},
        {"ask, end of input in the question", {ask}, "", 26, 0, "end of input"},
        {"ask, a Windows line end", {ask}, "2\r\n", 30, 0, ""},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run =
            Cli(c.arguments + QStringList{QStringLiteral("--json"), QStringLiteral("passage.txt")},
                c.answers);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const QJsonObject counts = JsonOf(run)["counts"].toObject();
        EXPECT_EQ(counts["syllables"].toInt(), c.syllables);
        EXPECT_EQ(counts["difficultWords"].toInt(), c.difficultWords);
        EXPECT_NE(run.err.find(c.inErr), std::string::npos) << run.err;
    }
}

// An answer holds for the rest of the run: the second file is not asked again.
TEST_F(CliTest, AskAsksOncePerRun) {
    const CliRun run = Cli({QStringLiteral("--unknown=ask"), QStringLiteral("passage.txt"),
                            QStringLiteral("passage.txt")},
                           "3\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::size_t questions = 0;
    for (std::size_t at = run.err.find("Word Not Found"); at != std::string::npos;
         at = run.err.find("Word Not Found", at + 1))
        ++questions;
    EXPECT_EQ(questions, 1u) << run.err;
    const std::string counted = "Total Number of Syllables: 32";
    const std::size_t first = run.out.find(counted);
    ASSERT_NE(first, std::string::npos) << run.out;
    EXPECT_NE(run.out.find(counted, first + 1), std::string::npos) << run.out;
}

TEST_F(CliTest, AskShowsTheDialogMessagesForBadCounts) {
    const CliRun run =
        Cli({QStringLiteral("--unknown=ask"), QStringLiteral("passage.txt")}, "3 \n-2\n1\n");
    EXPECT_NE(run.err.find(kNotANumber), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(kNegative), std::string::npos) << run.err;
}

TEST_F(CliTest, AskCanAddTheWordToTheUserDictionary) {
    const CliRun first =
        Cli({QStringLiteral("--unknown=ask"), QStringLiteral("passage.txt")}, "a 2\n");
    EXPECT_EQ(first.exitCode, 0);
    QFile custom(Path("custom.dat"));
    ASSERT_TRUE(custom.open(QIODevice::ReadOnly));
    EXPECT_EQ(custom.readAll(), "zyxt|2\r\n");

    // The next run knows the word: no question, nothing unknown.
    const CliRun second = Cli(
        {QStringLiteral("--unknown=ask"), QStringLiteral("--json"), QStringLiteral("passage.txt")});
    EXPECT_EQ(JsonOf(second)["counts"].toObject()["syllables"].toInt(), 30);
    EXPECT_TRUE(JsonOf(second)["unknownWords"].toArray().isEmpty());
    EXPECT_EQ(second.err, "");
}

TEST_F(CliTest, AskSaysSoAndExitsWith2WhenTheUserDictionaryCannotBeWritten) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder")));
    for (const char* custom : {"no-such-folder/custom.dat", "folder"}) {
        SCOPED_TRACE(custom);
        const CliRun run =
            Cli({QStringLiteral("--dictionary"), Path("words.dat"), QStringLiteral("--custom"),
                 Path(QString::fromUtf8(custom)), QStringLiteral("--unknown=ask"),
                 QStringLiteral("--json"), QStringLiteral("passage.txt")},
                "a 2\n", false);
        EXPECT_EQ(run.exitCode, 2);
        // The count is used all the same, as the desktop program's dialog does.
        EXPECT_EQ(JsonOf(run)["counts"].toObject()["syllables"].toInt(), 30);
        EXPECT_NE(run.err.find("scrivolux-cli: the word was not added to the user dictionary: "),
                  std::string::npos)
            << run.err;
    }
    EXPECT_FALSE(QFileInfo::exists(Path("no-such-folder"))) << "a named folder is never made";
}

// On a terminal, with files named, the default is to ask. `script` gives the
// program a pseudo-terminal and passes the piped answer on to it.
TEST_F(CliTest, OnATerminalTheDefaultIsToAsk) {
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        GTEST_SKIP() << "script (util-linux) is not installed";
    const QString command =
        QStringLiteral("'%1' --dictionary '%2' --custom '%3' '%4'")
            .arg(kProgram, Path("words.dat"), Path("custom.dat"), Path("passage.txt"));
    QProcess process;
    process.start(script, {QStringLiteral("-qec"), command, QStringLiteral("/dev/null")});
    ASSERT_TRUE(process.waitForStarted());
    process.write("3\n");
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString transcript = QString::fromUtf8(process.readAll());
    EXPECT_EQ(process.exitCode(), 0) << transcript.toStdString();
    EXPECT_TRUE(transcript.contains(QStringLiteral("Enter the syllable count for this word:")))
        << transcript.toStdString();
    EXPECT_TRUE(transcript.contains(QStringLiteral("Total Number of Syllables: 32")))
        << transcript.toStdString();
}

// True when the bytes hold a control character that a terminal would act on:
// C0 but the tab and the line feed, DEL, or C1 (in UTF-8 or as a lone byte).
bool HoldsControlCharacter(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F)
            return true;
        if (c == 0xC2 && i + 1 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) < 0xA0)
            return true;
    }
    return false;
}

// A document can hold a terminal's escape sequences: a window title, a clear
// screen, a clipboard write. Whatever prints its words shows them as codes.
TEST_F(CliTest, ControlCharactersFromADocumentReachNoTerminal) {
    Write("escapes.txt", "Title \x1b]0;owned\x07 here now. Clear \x1b[2J the screen. Clip "
                         "\x1b]52;c;aGk=\x07 board \xc2\x9b"
                         "1m and \x7f end.\n");
    const CliRun text = Cli({QStringLiteral("--unknown=zero"), QStringLiteral("--sentences=3"),
                             QStringLiteral("--words"), QStringLiteral("escapes.txt")});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_FALSE(HoldsControlCharacter(text.out)) << text.out;
    EXPECT_FALSE(HoldsControlCharacter(text.err)) << text.err;
    EXPECT_NE(text.out.find(": Title <U+001B>]0;owned<U+0007> here now\n"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("<U+009B>1m"), std::string::npos) << text.out;
    EXPECT_NE(text.err.find(" owned<U+0007>, "), std::string::npos) << text.err;

    const CliRun asked = Cli({QStringLiteral("--unknown=ask"), QStringLiteral("escapes.txt")},
                             QByteArray("i\n").repeated(20));
    EXPECT_EQ(asked.exitCode, 0) << asked.err;
    EXPECT_FALSE(HoldsControlCharacter(asked.err)) << asked.err;
    EXPECT_NE(asked.err.find("\n    owned<U+0007>\n"), std::string::npos) << asked.err;

    // JSON escapes them, as it must.
    const CliRun json = Cli({QStringLiteral("--unknown=zero"), QStringLiteral("--format=jsonl"),
                             QStringLiteral("--sentences=1"), QStringLiteral("escapes.txt")});
    EXPECT_NE(json.out.find("Clip \\u001b]52;c;aGk=\\u0007 board"), std::string::npos) << json.out;
}

// A word list that gives no word would leave every word unknown: it is refused
// as a damaged one, and one of gigabytes is refused unread.
TEST_F(CliTest, AWordListWithoutAWordIsRefused) {
    QFile huge(Path("huge.dat"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(kMaxDictionaryFileBytes) + 1)); // sparse: all NUL
    huge.close();
    Write("limit.dat", QByteArray(qsizetype(kMaxDictionaryFileBytes) - 6, '\n') + "cat|1\n");
    const struct {
        const char* name;
        const char* file;
        QByteArray content;
        std::string message; // after "scrivolux-cli: " and the path
    } cases[] = {
        {"empty", "empty.dat", "", " holds no words"},
        {"NUL bytes", "nul.dat", QByteArray(4096, '\0'), " holds no words"},
        {"blank lines", "blank.dat", "\n\r\n\n", " holds no words"},
        {"over the bound",
         "huge.dat",
         {},
         " is larger than 64 MB: too large for a dictionary file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.content.size() > 0 || std::string(c.name) != "over the bound")
            Write(c.file, c.content);
        const QString path = Path(QString::fromLatin1(c.file));
        const CliRun run = Cli({QStringLiteral("--dictionary"), path, QStringLiteral("--custom"),
                                Path("custom.dat"), QStringLiteral("second.txt")},
                               {}, false);
        EXPECT_EQ(run.exitCode, 3);
        const std::string named = std::string(c.name) == "over the bound"
                                      ? path.toStdString()
                                      : "the word list " + path.toStdString();
        EXPECT_EQ(run.err, "scrivolux-cli: " + named + c.message + "\nDictionary Error\n");
    }
    // A list at the bound is read.
    const CliRun atLimit =
        Cli({QStringLiteral("--dictionary"), Path("limit.dat"), QStringLiteral("--custom"),
             Path("custom.dat"), QStringLiteral("--json"), QStringLiteral("second.txt")},
            {}, false);
    EXPECT_EQ(atLimit.exitCode, 0) << atLimit.err;
}

// ---- The pieces without a process ------------------------------------------------

TEST(CommandLine, UnknownWordDefaultFollowsTheTerminalsAndTheInput) {
    const QString program = QStringLiteral("scrivolux-cli");
    const struct {
        const char* name;
        QStringList arguments;
        TerminalState terminal;
        UnknownMode expected;
    } cases[] = {
        {"files on a terminal", {program, QStringLiteral("a.txt")}, {true, true}, UnknownMode::Ask},
        {"text on standard input", {program}, {true, true}, UnknownMode::Estimate},
        {"a dash among files",
         {program, QStringLiteral("a.txt"), QStringLiteral("-")},
         {true, true},
         UnknownMode::Estimate},
        {"input piped", {program, QStringLiteral("a.txt")}, {false, true}, UnknownMode::Estimate},
        {"errors redirected",
         {program, QStringLiteral("a.txt")},
         {true, false},
         UnknownMode::Estimate},
        {"explicit zero",
         {program, QStringLiteral("--unknown=zero"), QStringLiteral("a.txt")},
         {false, false},
         UnknownMode::Zero},
        {"explicit estimate",
         {program, QStringLiteral("--unknown=estimate"), QStringLiteral("a.txt")},
         {true, true},
         UnknownMode::Estimate},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ParsedCommandLine parsed = ParseCommandLine(c.arguments, c.terminal);
        ASSERT_EQ(parsed.action, ParsedCommandLine::Action::Run) << parsed.text;
        EXPECT_EQ(parsed.options.unknown, c.expected);
    }
}

// The exact usage errors scripts see; the first wrong value is the one named.
TEST(CommandLine, UsageErrorsNameTheValueAndTheChoices) {
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{QStringLiteral("--format=xml")},
         "Invalid value for --format: 'xml' (use text, json, jsonl, csv or sarif)."},
        {{QStringLiteral("--json"), QStringLiteral("--format=xml")},
         "--json and --format=xml contradict each other."},
        {{QStringLiteral("--rules=strict")},
         "Invalid value for --rules: 'strict' (use auto, classic or careful)."},
        {{QStringLiteral("--unknown=maybe")},
         "Invalid value for --unknown: 'maybe' (use ask, zero or estimate)."},
        {{QStringLiteral("--format-in=rtf")},
         "Invalid value for --format-in: 'rtf' (use txt, docx, odt, html, md or pdf)."},
        {{QStringLiteral("--grade-index=flesch")},
         "Invalid value for --grade-index: 'flesch' (use consensus, fk, fog, smog, cl, ari, "
         "linsear or dalechall)."},
        {{QStringLiteral("--sentences=-1")},
         "Invalid value for --sentences: '-1' (use a number of 0 or more)."},
        {{QStringLiteral("--max-grade=inf")},
         "Invalid value for --max-grade: 'inf' (use a number)."},
        {{QStringLiteral("--format=csv"), QStringLiteral("--sentences=2")},
         "--words and --sentences need the text or a JSON format: a CSV file has one row per "
         "file."},
        {{QStringLiteral("--rules=x"), QStringLiteral("--unknown=y"), QStringLiteral("-"),
          QStringLiteral("-")},
         "Invalid value for --rules: 'x' (use auto, classic or careful)."},
        {{QStringLiteral("--unknown=y"), QStringLiteral("-"), QStringLiteral("-")},
         "Invalid value for --unknown: 'y' (use ask, zero or estimate)."},
        {{QStringLiteral("-"), QStringLiteral("-")},
         "Standard input (\"-\") can be read only once."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const ParsedCommandLine parsed =
            ParseCommandLine(QStringList{QStringLiteral("scrivolux-cli")} + c.arguments, {});
        EXPECT_EQ(parsed.action, ParsedCommandLine::Action::UsageError);
        EXPECT_EQ(parsed.text, c.message);
    }
}

namespace {

template <typename Value, std::size_t N>
std::vector<std::string> NamesOf(const std::array<Choice<Value>, N>& table) {
    std::vector<std::string> names;
    for (const Choice<Value>& choice : table)
        names.emplace_back(choice.name);
    return names;
}

// Each value of every table is taken, as the last of a repeated option, and
// offered by the help, both shell completions and the manual page.
struct OptionTable {
    const char* option;
    std::vector<std::string> names;
    std::function<bool(const CliOptions&, std::size_t)> chosen; // the table's i-th value
    std::string placeholder; // the help's <value>; the names "a|b" when empty
};

std::vector<OptionTable> OptionTables() {
    return {
        {"format", NamesOf(kOutputFormats),
         [](const CliOptions& o, std::size_t i) { return o.format == kOutputFormats[i].value; },
         ""},
        {"rules", NamesOf(kCountingRules),
         [](const CliOptions& o, std::size_t i) { return o.rules == kCountingRules[i].value; }, ""},
        {"grade-index", NamesOf(kGradeIndices),
         [](const CliOptions& o, std::size_t i) { return o.gradeIndex == kGradeIndices[i].value; },
         "index"},
        {"unknown", NamesOf(kUnknownModes),
         [](const CliOptions& o, std::size_t i) { return o.unknown == kUnknownModes[i].value; },
         ""},
        {"format-in", NamesOf(kInputFormats),
         [](const CliOptions& o, std::size_t i) { return o.formatIn == kInputFormats[i].value; },
         ""},
    };
}

std::string SourceFile(const char* path) {
    QFile file(QStringLiteral(SCRIVOLUX_TEST_DATA_DIR "/../../") + QLatin1String(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return file.readAll().toStdString();
}

std::vector<std::string> SortedWords(const QString& text, const QString& pattern) {
    std::vector<std::string> words;
    auto matches = QRegularExpression(pattern).globalMatch(text);
    while (matches.hasNext())
        words.push_back(matches.next().captured(1).toStdString());
    std::sort(words.begin(), words.end());
    return words;
}

} // namespace

TEST(CommandLine, EveryValueOfEveryTableIsTakenAndOffered) {
    // Qt wraps the help's lines: one space for every run of spaces.
    const std::string help =
        ParseCommandLine({QStringLiteral("scrivolux-cli"), QStringLiteral("--help")}, {}).text;
    const std::string flatHelp = QString::fromStdString(help).simplified().toStdString();
    const QString bash =
        QString::fromStdString(SourceFile("resources/completion/scrivolux-cli.bash"));
    const QString zsh = QString::fromStdString(SourceFile("resources/completion/_scrivolux-cli"));
    const QString man = QString::fromStdString(SourceFile("doc/man/scrivolux-cli.1.scd"));
    for (OptionTable& table : OptionTables()) {
        SCOPED_TRACE(table.option);
        const QString option = QLatin1String(table.option);
        std::vector<std::string> sorted = table.names;
        std::sort(sorted.begin(), sorted.end());
        std::string joined;
        for (std::size_t i = 0; i < table.names.size(); ++i) {
            SCOPED_TRACE(table.names[i]);
            const ParsedCommandLine parsed = ParseCommandLine(
                {QStringLiteral("scrivolux-cli"),
                 QStringLiteral("--%1=%2").arg(
                     option, QString::fromStdString(table.names[(i + 1) % table.names.size()])),
                 QStringLiteral("--%1=%2").arg(option, QString::fromStdString(table.names[i])),
                 QStringLiteral("a.txt")},
                {});
            ASSERT_EQ(parsed.action, ParsedCommandLine::Action::Run) << parsed.text;
            EXPECT_TRUE(table.chosen(parsed.options, i));
            EXPECT_NE(flatHelp.find(table.names[i] + " ("), std::string::npos);
            joined += (i > 0 ? "|" : "") + table.names[i];
            // The manual page names it in the option's own entry.
            const auto entry = QRegularExpression(QStringLiteral("\n\\*--%1\\*=[^\n]*\n(.*?)\n\\*-")
                                                      .arg(QRegularExpression::escape(option)),
                                                  QRegularExpression::DotMatchesEverythingOption)
                                   .match(man);
            ASSERT_TRUE(entry.hasMatch());
            EXPECT_TRUE(entry.captured(1).contains(
                QStringLiteral("*%1*").arg(QString::fromStdString(table.names[i]))));
        }
        if (table.placeholder.empty())
            table.placeholder = joined;
        EXPECT_NE(help.find("--" + std::string(table.option) + " <" + table.placeholder + ">"),
                  std::string::npos)
            << help;
        // bash: the words of the option's case; zsh: the values after the option's label.
        const auto bashCase =
            QRegularExpression(
                QStringLiteral("\n\\s*--%1\\)\\s*\n\\s*COMPREPLY=\\(\\$\\(compgen -W '([^']*)'")
                    .arg(QRegularExpression::escape(option)))
                .match(bash);
        ASSERT_TRUE(bashCase.hasMatch());
        EXPECT_EQ(SortedWords(bashCase.captured(1), QStringLiteral("(\\S+)")), sorted);
        const auto zshLine =
            QRegularExpression(QStringLiteral("'--%1=\\[[^\\]]*\\]:[^:]*:\\((.*)\\)'")
                                   .arg(QRegularExpression::escape(option)))
                .match(zsh);
        ASSERT_TRUE(zshLine.hasMatch());
        const QString values = zshLine.captured(1);
        EXPECT_EQ(SortedWords(values, values.startsWith(QLatin1Char('('))
                                          ? QStringLiteral("([\\w-]+)\\\\:")
                                          : QStringLiteral("(\\S+)")),
                  sorted);
    }
}

TEST(ShowControlCharacters, ShowsCodesForWhatATerminalWouldObey) {
    const struct {
        const char* name;
        std::string text;
        std::string shown;
    } cases[] = {
        {"tab and line feed stay", "a\tb\nc", "a\tb\nc"},
        {"escape", "\x1b[2J", "<U+001B>[2J"},
        {"carriage return and NUL", std::string("a\r\0b", 4), "a<U+000D><U+0000>b"},
        {"DEL", "\x7f", "<U+007F>"},
        // The last control and the first printable byte, inside a run of text.
        {"unit separator after a tilde", "a~\x1f b", "a~<U+001F> b"},
        {"C1 in UTF-8",
         "\xc2\x9b"
         "1m\xc2\x80\xc2\x9f",
         "<U+009B>1m<U+0080><U+009F>"},
        {"a no-break space stays",
         "a\xc2\xa0"
         "b",
         "a\xc2\xa0"
         "b"},
        {"quotes whose bytes hold 0x80 to 0x9F", "\xe2\x80\x9cstop.\xe2\x80\x9d",
         "\xe2\x80\x9cstop.\xe2\x80\x9d"},
        {"Latin-1 of a file name", "caf\xe9", "caf\xe9"},
        {"a lone byte read as C1 by a Latin-1 terminal", "x\x9by", "x<U+009B>y"},
        {"a cut sequence", "\xe2\x80", "\xe2<U+0080>"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ShowControlCharacters(c.text), c.shown);
    }
}

TEST(MergeTally, AddsOccurrencesAndKeepsTheFirstOrder) {
    std::vector<UnknownWord> tally{{"b", 2, 0}, {"a", 1, 0}};
    MergeTally(tally, {{"c", 1, 0}, {"a", 3, 0}});
    ASSERT_EQ(tally.size(), 3u);
    EXPECT_EQ(tally[0].word, "b");
    EXPECT_EQ(tally[1].occurrences, 4);
    EXPECT_EQ(tally[2].word, "c");
}

TEST(TerminalDialog, AcceptsOnlyTheStrictCountAndOffersTheThreeEndings) {
    const struct {
        const char* name;
        const char* input;
        TerminalDialog::Ending ending;
        int count;
        const char* message;
    } cases[] = {
        {"count", "4\n", TerminalDialog::Ending::UseCount, 4, ""},
        {"leading blank", " 4\n", TerminalDialog::Ending::UseCount, 4, ""},
        {"zero is a count", "0\n", TerminalDialog::Ending::UseCount, 0, ""},
        {"add", "a 12\n", TerminalDialog::Ending::AddToDictionary, 12, ""},
        {"ignore", "i\n", TerminalDialog::Ending::Ignore, 0, ""},
        {"trailing blank, then a count", "4 \n5\n", TerminalDialog::Ending::UseCount, 5,
         kNotANumber},
        {"empty line, then ignore", "\ni\n", TerminalDialog::Ending::Ignore, 0, kNotANumber},
        {"negative, then add", "-1\na 1\n", TerminalDialog::Ending::AddToDictionary, 1, kNegative},
        {"hexadecimal as the desktop reads it", "$10\n", TerminalDialog::Ending::UseCount, 16, ""},
        {"end of input", "", TerminalDialog::Ending::Ignore, 0, "end of input"},
        {"end of input after a bad answer", "x", TerminalDialog::Ending::Ignore, 0, kNotANumber},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream in(c.input);
        std::ostringstream out;
        TerminalDialog dialog(in, out);
        const TerminalDialog::Answer answer = dialog.Ask("Zyxt");
        EXPECT_EQ(answer.ending, c.ending);
        EXPECT_EQ(answer.count, c.count);
        EXPECT_NE(out.str().find("    Zyxt\n"), std::string::npos);
        EXPECT_NE(out.str().find(c.message), std::string::npos) << out.str();
    }
}

TEST(UnknownWordResolver, TalliesEveryOccurrenceAndAsksOncePerWord) {
    std::istringstream in("2\n");
    std::ostringstream out;
    TerminalDialog dialog(in, out);
    int additions = 0;
    UnknownWordResolver resolver(
        UnknownMode::Ask, &dialog,
        [&](const std::string&, std::int32_t) {
            ++additions;
            return std::optional<WriteFailure>();
        },
        out);
    TDictionary dictionary;
    EXPECT_EQ(resolver("Zyxt", dictionary), 2);
    EXPECT_EQ(resolver("zyxt", dictionary), 2); // the answer holds: not asked again
    EXPECT_EQ(additions, 0);
    EXPECT_EQ(dictionary.Lookup("zyxt"), -1); // remembered for the run, not stored
    const std::vector<UnknownWord> tally = resolver.TakeFileTally();
    ASSERT_EQ(tally.size(), 1u);
    EXPECT_EQ(tally[0].word, "zyxt");
    EXPECT_EQ(tally[0].occurrences, 2);
    EXPECT_TRUE(resolver.TakeFileTally().empty());
}

TEST(UnknownWordsSummary, NamesTheFirstFewWords) {
    std::vector<UnknownWord> words;
    for (const char* w : {"a1", "b2", "c3", "d4", "e5", "f6", "g7", "h8", "i9"})
        words.push_back({w, 1, 0});
    words[0].occurrences = 3;
    EXPECT_EQ(UnknownWordsSummary(words),
              "9 words not in the dictionary (11 times) counted as 0 syllables: a1 (3), b2, c3, "
              "d4, e5, f6, g7, h8, ...");
    EXPECT_EQ(UnknownWordsSummary({}), "");
}

} // namespace

// JSON Lines are written without Qt's JSON classes: what Qt makes of each line
// must be that line again, whatever the names, words and numbers hold.
TEST(ResultJsonLine, IsWhatQtWritesOfTheSameObject) {
    TDictionary dictionary;
    dictionary.AddWord("cat", 1);
    TextAnalysisOptions options;
    options.extras.indices = true;
    options.extras.words = true;
    options.extras.sentences = 3;
    // --format=json lays the same line out as Qt's indented form, alone and in
    // an array beside a failure.
    const auto same = [](const TextReport& report) {
        const std::string line = ResultJsonLine(report);
        QJsonParseError error;
        const QJsonDocument document =
            QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
        EXPECT_EQ(document.toJson(QJsonDocument::Compact).toStdString(), line);
        EXPECT_EQ(document.toJson(QJsonDocument::Indented).toStdString(), IndentedJson(line));
        const std::string failure = FailureJsonLine(report.name, "no such file", "careful");
        const QJsonArray array = {
            document.object(),
            QJsonDocument::fromJson(QByteArray::fromStdString(failure)).object()};
        EXPECT_EQ(QJsonDocument(array).toJson(QJsonDocument::Indented).toStdString(),
                  IndentedJsonArray({line, failure}));
    };
    TextReport report = AnalyseText("say \"hi\"\\\t\x01\xff.txt",
                                    "The cat sat.\nZorp \u201cqu\u00e9\u201d \x7f \U0001F600!",
                                    dictionary, options);
    same(report);
    same(AnalyseText("-", "", dictionary, options));
    // Numbers at the edges of the plain and the exponent form, and -0.
    for (const double value : {0.0001, 0.001, 1e-5, 1.5e-7, 1e15, 1e16, 1e21, 1e22, 123456.789,
                               1.0 / 3, -2.5, -0.0, 1e300, 12345678901234567890.0}) {
        SCOPED_TRACE(value);
        report.values.fill(value);
        report.indices.fill(value);
        same(report);
    }
}

// Failures take the same writer: escapes, a name that is not UTF-8 (its bytes
// beside it), and the layouts of empty and nested values.
TEST(ResultJsonLine, FailuresAndLayoutsAreWhatQtWrites) {
    for (const std::string name : {"plain.txt", "say \"hi\"\\\t\x01.txt", "\xff\xfe.md", "-"}) {
        SCOPED_TRACE(name);
        const std::string line = FailureJsonLine(name, "cannot read \"it\":\n{gone}", "classic");
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line));
        ASSERT_TRUE(document.isObject()) << line;
        EXPECT_EQ(document.object()["error"].toString(), "cannot read \"it\":\n{gone}");
        EXPECT_EQ(document.object().contains("nameBytes"), name[0] == '\xff');
        EXPECT_EQ(document.toJson(QJsonDocument::Compact).toStdString(), line);
        EXPECT_EQ(document.toJson(QJsonDocument::Indented).toStdString(), IndentedJson(line));
    }
    for (const char* compact : {"{}", "[]", "{\"a\":[]}", "{\"a\":{},\"b\":[[],[1,{\"c\":null}]]}",
                                "[\"]\\\\\",\",{\"]"}) {
        SCOPED_TRACE(compact);
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray(compact));
        ASSERT_FALSE(document.isNull());
        EXPECT_EQ(document.toJson(QJsonDocument::Indented).toStdString(), IndentedJson(compact));
    }
    EXPECT_EQ(IndentedJsonArray({}), "[\n]\n");
}
