// Hostile files through scrivolux-cli, run as a script would run it, and the
// user dictionary on a full disk. Nothing may crash or hang, every refusal
// names its reason, and the user's dictionary keeps its earlier lines.

#include "DocumentFiles.h"
#include "HostileFiles.h"

#include "dictionary/Dictionary.h"
#include "text/Error.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

namespace {

using namespace hostile;

const QString kProgram = QStringLiteral(SCRIVOLUX_BIN_DIR "/scrivolux-cli");

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class HostileCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(Write(Path("words.dat"), kWordList));
        ASSERT_TRUE(Write(Path("custom.dat"), kEarlierLines));
        ASSERT_TRUE(Write(Path("passage.txt"), kPassage));
    }

    void TearDown() override {
        if (QFileInfo(Path("custom.dat")).isFile()) {
            EXPECT_EQ(Read(Path("custom.dat")), kEarlierLines);
        }
    }

    QString Path(const QString& name) const { return dir.filePath(name); }

    CliRun Cli(const QStringList& files, const QString& wordList = "words.dat",
               const QString& custom = "custom.dat") {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(kProgram, QStringList{"--unknown=zero", "--dictionary", Path(wordList),
                                            "--custom", Path(custom)} +
                                    files);
        EXPECT_TRUE(process.waitForStarted());
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(120'000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }

    QTemporaryDir dir;
};

std::string Line(const std::string& report, const std::string& prefix) {
    const std::size_t at = report.find(prefix);
    return at == std::string::npos ? "<missing>" : report.substr(at, report.find('\n', at) - at);
}

// First in the file, so that no earlier child process has raised the peak.
TEST_F(HostileCliTest, TwoHundredMegabyteFileIsRefusedWithoutReadingIt) {
    ASSERT_TRUE(WriteSparse(Path("huge.txt"), 200LL * 1024 * 1024));
    const long peakBefore = PeakMegabytes(RUSAGE_CHILDREN);
    const CliRun run = Cli({"huge.txt", "passage.txt"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("huge.txt: Text exceeds memo capacity"), std::string::npos) << run.err;
    // The file after it is still analysed.
    EXPECT_EQ(Line(run.out, "Total Number of Words"), "Total Number of Words: 4");
    if (peakBefore < 100) {
        EXPECT_LT(PeakMegabytes(RUSAGE_CHILDREN), 150);
    }
}

TEST_F(HostileCliTest, BinaryAndBrokenTextFiles) {
    ASSERT_TRUE(Write(Path("random-nul.txt"), RandomBytes(64 * 1024, 7, true)));
    ASSERT_TRUE(Write(Path("random.txt"), RandomBytes(64 * 1024, 8, false)));
    ASSERT_TRUE(Write(Path("latin.txt"), kInvalidUtf8));
    ASSERT_TRUE(Write(Path("nul.txt"), kNulInTheMiddle));
    ASSERT_TRUE(Write(Path("utf16.txt"), Utf16WithMark(QString::fromUtf8(kPassage))));

    const CliRun refused = Cli({"random-nul.txt"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("NUL"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out, "");

    const CliRun random = Cli({"random.txt"});
    EXPECT_EQ(random.exitCode, 0) << random.err;
    EXPECT_NE(Line(random.out, "Flesch Reading Ease"), "<missing>");

    // Windows-1252: "café naïve" are found in the word list, "quoted" is not.
    const CliRun latin = Cli({"latin.txt"});
    EXPECT_EQ(latin.exitCode, 0) << latin.err;
    EXPECT_EQ(Line(latin.out, "Total Number of Syllables"), "Total Number of Syllables: 4");
    EXPECT_EQ(Line(latin.out, "Total Number of Words"), "Total Number of Words: 4");

    const CliRun nul = Cli({"nul.txt"});
    EXPECT_EQ(nul.exitCode, 2);
    EXPECT_NE(nul.err.find("nul.txt: The file holds NUL characters"), std::string::npos) << nul.err;

    // UTF-16 gives exactly the report of the same text in UTF-8.
    const CliRun utf16 = Cli({"utf16.txt"});
    EXPECT_EQ(utf16.exitCode, 0) << utf16.err;
    EXPECT_EQ(utf16.out, Cli({"passage.txt"}).out);
    EXPECT_EQ(Line(utf16.out, "Total Number of Syllables"),
              "Total Number of Syllables: " + std::to_string(kPassageSyllables));
}

// Documents that are broken, locked, mislabelled or built to exhaust memory or
// time: each is refused with its reason, and the file after it is analysed.
TEST_F(HostileCliTest, HostileDocuments) {
    using namespace documents;
    const QByteArray passageXml = WordXml(WordBody({"Readable cats sleep.", "Dogs!"}));
    ASSERT_TRUE(WriteDocx(Path("good.docx"), passageXml));
    const QByteArray good = Read(Path("good.docx"));
    ASSERT_TRUE(Write(Path("truncated.docx"), good.left(good.size() / 2)));
    // 100 MB of spaces that pack into about 100 KB.
    ASSERT_TRUE(WriteDocx(Path("bomb.docx"), WordXml(QByteArray(100 * 1024 * 1024, ' '))));
    const QByteArray laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" +
        passageXml.mid(passageXml.indexOf("<w:document"))
            .replace("Dogs!", "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&x;");
    ASSERT_TRUE(WriteDocx(Path("laughs.docx"), laughs));
    ASSERT_TRUE(WriteDocx(Path("locked.docx"), passageXml, "secret"));
    ASSERT_TRUE(WriteOdt(Path("locked.odt"), OdtXml("<text:p>Cats.</text:p>"),
                         "<manifest:manifest><manifest:file-entry><manifest:encryption-data/>"
                         "</manifest:file-entry></manifest:manifest>"));
    ASSERT_TRUE(Write(Path("office-locked.docx"),
                      QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(200, '\0') +
                          QByteArray("E\0n\0c\0r\0y\0p\0t\0i\0o\0n\0I\0n\0f\0o\0", 28)));
    ASSERT_TRUE(QFile::copy(QStringLiteral(SCRIVOLUX_TEST_DATA_DIR "/documents/password.pdf"),
                            Path("locked.pdf")));
    ASSERT_TRUE(Write(Path("text.pdf"), kPassage));
    ASSERT_TRUE(Write(Path("damaged.pdf"), "%PDF-1.4\n" + RandomBytes(4096, 9, true)));

    const std::pair<const char*, const char*> refusals[] = {
        {"truncated.docx", "The document is damaged: it is not a zip archive"},
        {"bomb.docx", "The document unpacks to more than 64 MB of text"},
        {"laughs.docx", "The document is damaged: its XML declares a document type"},
        {"locked.docx", "The document is password-protected"},
        {"locked.odt", "The document is password-protected"},
        {"office-locked.docx", "The document is password-protected"},
        {"locked.pdf", "The document is password-protected"},
        {"text.pdf", "The file is not a PDF, whatever its name says"},
        {"damaged.pdf", "The PDF is damaged and cannot be read"},
    };
    for (const auto& [name, message] : refusals) {
        SCOPED_TRACE(name);
        const CliRun run = Cli({name, "good.docx"});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(std::string(name) + ": " + message), std::string::npos) << run.err;
        EXPECT_EQ(Line(run.out, "Total Number of Words"), "Total Number of Words: 4");
    }

    // A file named .txt is text, whatever it holds: a .docx so named is refused
    // as the binary it is.
    ASSERT_TRUE(QFile::copy(Path("good.docx"), Path("renamed.txt")));
    EXPECT_NE(Cli({"renamed.txt"}).err.find("renamed.txt: The file holds NUL characters"),
              std::string::npos);
}

// A FIFO and a pipe give their bytes once: the format is told from the bytes
// the reader took, never by a first look that takes them away from it.
TEST_F(HostileCliTest, FifosAndPipesAreReadWhole) {
    QByteArray text;
    QByteArray page = "<html><body>";
    for (int i = 0; i < 2000; ++i) { // far more than one block
        text += kPassage + "\n";
        page += "<p>" + kPassage + "</p>";
    }
    ASSERT_TRUE(Write(Path("long.txt"), text));
    ASSERT_TRUE(Write(Path("long.html"), page));
    ASSERT_EQ(mkfifo(Path("fifo").toLocal8Bit().constData(), 0600), 0);
    QProcess writer;
    writer.setWorkingDirectory(dir.path());
    writer.start("sh", {"-c", "cat long.txt > fifo"});
    const CliRun fifo = Cli({"fifo"});
    EXPECT_EQ(Line(fifo.out, "Total Number of Words"), "Total Number of Words: 8000") << fifo.err;
    writer.waitForFinished();

    QProcess pipe;
    pipe.setWorkingDirectory(dir.path());
    pipe.start("sh", {"-c",
                      "cat long.html | \"$0\" --unknown=zero --dictionary words.dat "
                      "--custom custom.dat /dev/stdin",
                      kProgram});
    ASSERT_TRUE(pipe.waitForFinished(120'000));
    EXPECT_EQ(Line(pipe.readAllStandardOutput().toStdString(), "Total Number of Words"),
              "Total Number of Words: 8000");
}

// Pages built to make an HTML parser walk its open elements on every tag:
// notes sections or self-closing elements left open by the thousand, then
// stray end tags. Each is read in one pass (the run's own time limit is the
// only clock), its prose kept, and nothing from the notes.
TEST_F(HostileCliTest, PagesThatLeaveElementsOpenReadInOnePass) {
    struct Row {
        const char* name;
        QByteArray open;
        int words;
    };
    const Row rows[] = {
        {"notes.html", "<div class=\"footnotes\">Note.", 4},
        {"data.html", "<div data-footnotes=\"on\">", 4},
        {"cells.html", "<li><dt><td><option>", 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QByteArray page = "<html><body><p>" + kPassage + "</p>";
        for (int i = 0; i < 32'000; ++i)
            page += row.open;
        for (int i = 0; i < 32'000; ++i)
            page += "</span>";
        ASSERT_TRUE(Write(Path(row.name), page));
        const CliRun run = Cli({row.name});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(Line(run.out, "Total Number of Words"),
                  "Total Number of Words: " + std::to_string(row.words));
    }
}

TEST_F(HostileCliTest, TwoThousandPagePdfLoadsInBoundedTime) {
    ASSERT_TRUE(Write(Path("long.pdf"), documents::ManyPagePdf(2000, "Readable cats sleep.")));
    QElapsedTimer clock;
    clock.start();
    const CliRun run = Cli({"long.pdf"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Line(run.out, "Total Number of Words"), "Total Number of Words: 6000");
    EXPECT_LT(clock.elapsed(), 60'000);
}

TEST_F(HostileCliTest, MillionLineWordListLoadsAndAnswersCorrectly) {
    const BigWordList list = MakeBigWordList();
    ASSERT_GE(list.lines, 1'000'000);
    ASSERT_TRUE(Write(Path("big.dat"), list.bytes));
    // Word 12 counts 12 % 7 = 5; word 300's later duplicate (9) loses to its
    // first line (6); the long word counts 4; the over-long line was skipped,
    // so its word is unknown (0); word 900000 counts 3.
    const QByteArray text = WordName(12) + " " + WordName(300) + " " + LongWord(5000) + " " +
                            OverlongWord(5000) + " " + WordName(900000) + ".";
    ASSERT_TRUE(Write(Path("probe.txt"), text));
    const CliRun run = Cli({"probe.txt"}, "big.dat");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Line(run.out, "Total Number of Syllables"), "Total Number of Syllables: 18");
    EXPECT_EQ(Line(run.out, "Total Number of Words"), "Total Number of Words: 5");
    EXPECT_NE(run.err.find("1 word not in the dictionary"), std::string::npos) << run.err;
}

// Under a 600 MB address space: the blank lines of a word list reserve nothing
// (they once reserved a gigabyte for 32 MB of them and aborted), and a list
// whose entries do not fit says so instead of aborting. (A list of blank lines
// alone is refused: it gives no word.)
TEST_F(HostileCliTest, HugeWordListsLoadOrSayDictionaryError) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer cannot start in a limited address space";
#endif
    ASSERT_TRUE(Write(Path("blank.dat"), QByteArray(32 * 1024 * 1024, '\n') + "the|1\n"));
    ASSERT_TRUE(Write(Path("many.dat"), QByteArray("a|1\n").repeated(16 * 1024 * 1024)));
    const auto limited = [&](const char* wordList) {
        QProcess shell;
        shell.setWorkingDirectory(dir.path());
        shell.start("/bin/sh", {"-c", QStringLiteral("ulimit -v 600000 && exec '%1' --unknown=zero "
                                                     "--dictionary %2 --custom custom.dat "
                                                     "passage.txt")
                                          .arg(kProgram, QString::fromLatin1(wordList))});
        EXPECT_TRUE(shell.waitForFinished(120'000));
        return CliRun{shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1,
                      shell.readAllStandardOutput().toStdString(),
                      shell.readAllStandardError().toStdString()};
    };
    const CliRun blank = limited("blank.dat");
    EXPECT_EQ(blank.exitCode, 0) << blank.err;
    EXPECT_EQ(Line(blank.out, "Total Number of Words"), "Total Number of Words: 4");

    const CliRun many = limited("many.dat");
    EXPECT_EQ(many.exitCode, 3) << many.err;
    EXPECT_NE(many.err.find("Dictionary Error: not enough memory to load "), std::string::npos)
        << many.err;
}

TEST_F(HostileCliTest, UserDictionaryThatIsADirectory) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.dat"));
    const CliRun run = Cli({"passage.txt"}, "words.dat", "folder.dat");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Line(run.out, "Total Number of Words"), "Total Number of Words: 4");
    EXPECT_TRUE(QFileInfo(Path("folder.dat")).isDir());
}

// A full disk in the middle of adding a word: the add fails truthfully, and
// the file keeps its earlier lines and still loads, with no half-written line.
TEST(HostileUserDictionary, FullDiskWhileAddingAWord) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("custom.dat");
    ASSERT_TRUE(Write(path, kEarlierLines));

    TDictionary dictionary;
    ASSERT_TRUE(dictionary.LoadCustomDictionary(path.toStdString()));
    for (const rlim_t room : {0, 3}) {
        std::optional<WriteFailure> failure;
        {
            const FileSizeLimit full(static_cast<rlim_t>(kEarlierLines.size()) + room);
            failure = dictionary.AddWordToFile("Quokka", 2);
        }
        ASSERT_TRUE(failure) << "room for " << room << " bytes";
        EXPECT_EQ(failure->message,
                  "Cannot add the word to " + path.toStdString() + ": File too large");
        EXPECT_EQ(Read(path), kEarlierLines) << "room for " << room << " bytes";
    }
    EXPECT_EQ(dictionary.Lookup("quokka"), 2); // known for this run all the same

    TDictionary reloaded;
    ASSERT_TRUE(reloaded.LoadDictionary(path.toStdString()));
    EXPECT_EQ(reloaded.Lookup("zebra"), 2);
    EXPECT_EQ(reloaded.Lookup("earlier"), 3);

    // With room again, the next word lands on a line of its own.
    ASSERT_EQ(dictionary.AddWordToFile("Quokka", 2), std::nullopt);
    EXPECT_EQ(Read(path), kEarlierLines + "Quokka|2\r\n");
}

} // namespace
