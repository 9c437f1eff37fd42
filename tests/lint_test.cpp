// scrivolux-cli in a documentation repository: places in the source file,
// lint mode, folders. Run as a script runs it, on files in a temporary folder.

#include "cli/CliConfig.h"
#include "cli/InputFiles.h"
#include "documents/FilePlaces.h"
#include "documents/MarkupText.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const QString kProgram = QStringLiteral(SCRIVOLUX_BIN_DIR "/scrivolux-cli");

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Lines of a run's output that start with prefix.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        if (line.rfind(prefix, 0) == 0)
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

class LintTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QFile::copy(QStringLiteral(SCRIVOLUX_TEST_DATA_DIR "/cli/words.dat"),
                                Path("words.dat")));
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }

    void Write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(Path(name)).path());
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    CliRun Cli(const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(dir_.path());
        process.start(kProgram, QStringList{QStringLiteral("--dictionary"), Path("words.dat"),
                                            QStringLiteral("--custom"), Path("custom.dat"),
                                            QStringLiteral("--unknown=estimate")} +
                                    arguments);
        EXPECT_TRUE(process.waitForStarted());
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }

    QTemporaryDir dir_;
};

// Front matter, a heading, a code block and HTML's head all lie above the
// sentences: each is named by its own line of the file.
constexpr const char* kMarkdown = "---\n"
                                  "title: Notes\n"
                                  "---\n"
                                  "\n"
                                  "# The garden\n"
                                  "\n"
                                  "```\n"
                                  "code here.\n"
                                  "```\n"
                                  "\n"
                                  "A dog.\n"
                                  "\n"
                                  "- The quick brown fox jumps over the lazy dog and the cat.\n";

constexpr const char* kHtml = "<!doctype html>\n"
                              "<html>\n"
                              "<head><title>Notes</title>\n"
                              "<style>p { color: red; }</style></head>\n"
                              "<body>\n"
                              "<p>A dog.</p>\n"
                              "\n"
                              "<p>\n"
                              "  The quick brown fox jumps over the lazy dog and the cat.\n"
                              "</p>\n"
                              "</body></html>\n";

TEST_F(LintTest, SentencesAreNamedByTheirLineInTheSourceFile) {
    Write("notes.md", kMarkdown);
    Write("notes.html", kHtml);
    const struct {
        const char* file;
        int longLine;
        const char* shortOne; // a heading is a sentence of its own to the careful rules
    } cases[] = {{"notes.md", 13, ":5: 2 words, 0 difficult: The garden\n"},
                 {"notes.html", 9, ":6: 2 words, 0 difficult: A dog.\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string name = c.file;
        const CliRun text = Cli({QStringLiteral("--sentences=3"), QString::fromLatin1(c.file)});
        EXPECT_EQ(text.exitCode, 0) << text.err;
        EXPECT_NE(text.out.find("\nLongest sentences:\n" + name + ':' + std::to_string(c.longLine) +
                                ": 12 words, "),
                  std::string::npos)
            << text.out;
        EXPECT_NE(text.out.find(name + c.shortOne), std::string::npos) << text.out;

        const CliRun json = Cli({QStringLiteral("--format=jsonl"), QStringLiteral("--sentences=3"),
                                 QString::fromLatin1(c.file)});
        const QJsonObject report =
            QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
        const QJsonArray longest = report["longestSentences"].toArray();
        ASSERT_FALSE(longest.isEmpty()) << json.out;
        EXPECT_EQ(longest[0].toObject()["line"].toInt(), c.longLine);
        EXPECT_EQ(longest[0].toObject()["place"].toString(), "line");
    }
}

// 60 words of two syllables in one sentence: far above grade 8.
const QByteArray kHardSentence = QByteArray("happy rabbit garden water ").repeated(15) + ".";

TEST_F(LintTest, LintModeListsEachFileAboveTheGradeWithItsHardestSentences) {
    Write("easy.txt", "The cat sat. The dog ran.\n");
    Write("hard.md", "# Title\n\nThe cat sat.\n\n" + kHardSentence + "\n\nThe dog ran. " +
                         kHardSentence + "\n");
    const QStringList files = {QStringLiteral("easy.txt"), QStringLiteral("hard.md")};
    // The classic rules end a sentence at "ran. happy", in the middle of a line.
    const CliRun run = Cli(
        QStringList{QStringLiteral("--max-grade=8"), QStringLiteral("--rules=classic")} + files);
    EXPECT_EQ(run.exitCode, 4) << run.err;
    // The report of every file still comes first; the lint lines name only the hard one.
    EXPECT_NE(run.out.find("==> easy.txt <=="), std::string::npos) << run.out;
    EXPECT_TRUE(LinesStartingWith(run.out, "easy.txt:").empty()) << run.out;
    const std::vector<std::string> hard = LinesStartingWith(run.out, "hard.md:");
    ASSERT_EQ(hard.size(), 3u) << run.out;
    EXPECT_EQ(hard[0].rfind("hard.md:1:1: grade ", 0), 0u) << hard[0];
    EXPECT_NE(hard[0].find(" (consensus) is above 8"), std::string::npos) << hard[0];
    EXPECT_EQ(hard[1].rfind("hard.md:5:1: sentence grade ", 0), 0u) << hard[1];
    EXPECT_NE(hard[1].find(", 60 words: happy rabbit"), std::string::npos) << hard[1];
    EXPECT_EQ(hard[2].rfind("hard.md:7:14: sentence grade ", 0), 0u) << hard[2];
    EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1),
              "2 files checked, 1 above grade 8 (consensus)\n");
    // The line scripts read on standard error stays.
    EXPECT_NE(run.err.find("scrivolux-cli: hard.md: grade "), std::string::npos) << run.err;

    const struct {
        const char* name;
        QStringList arguments;
        int exitCode;
        std::size_t hardLines;
        const char* summary;
    } cases[] = {
        {"quiet",
         {QStringLiteral("--quiet")},
         4,
         3,
         "2 files checked, 1 above grade 8 (consensus)\n"},
        {"one sentence",
         {QStringLiteral("--quiet"), QStringLiteral("--sentences=1")},
         4,
         2,
         nullptr},
        {"no sentence",
         {QStringLiteral("--quiet"), QStringLiteral("--sentences=0")},
         4,
         1,
         nullptr},
        {"an unreadable file counts and gives 2",
         {QStringLiteral("--quiet"), QStringLiteral("missing.md")},
         2,
         3,
         "3 files checked, 1 above grade 8 (consensus)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun quiet =
            Cli(QStringList{QStringLiteral("--max-grade=8")} + c.arguments + files);
        EXPECT_EQ(quiet.exitCode, c.exitCode) << quiet.err;
        EXPECT_EQ(LinesStartingWith(quiet.out, "hard.md:").size(), c.hardLines) << quiet.out;
        // Quiet: the failures and the summary, nothing else.
        EXPECT_EQ(quiet.out.find("Syllables"), std::string::npos) << quiet.out;
        EXPECT_EQ(quiet.out.find("==>"), std::string::npos) << quiet.out;
        if (c.summary) {
            EXPECT_EQ(quiet.out.substr(quiet.out.rfind('\n', quiet.out.size() - 2) + 1), c.summary);
        }
        EXPECT_EQ(quiet.err.find("is above"), std::string::npos) << quiet.err;
    }

    // The passage quoted for a file above the grade is made only then, from
    // the text as read: line breaks of two bytes must not move the quote.
    Write("crlf.txt", "The cat sat.\r\n\r\n" + kHardSentence.left(12) + "\r\n" +
                          kHardSentence.mid(13) + "\r\n");
    const CliRun crlf = Cli({QStringLiteral("--max-grade=8"), QStringLiteral("crlf.txt")});
    const std::vector<std::string> crlfLines = LinesStartingWith(crlf.out, "crlf.txt:");
    ASSERT_EQ(crlfLines.size(), 2u) << crlf.out;
    EXPECT_EQ(crlfLines[1].rfind("crlf.txt:3:1: sentence grade ", 0), 0u) << crlfLines[1];
    EXPECT_NE(crlfLines[1].find(", 60 words: happy rabbit garden water"), std::string::npos)
        << crlfLines[1];

    // Below the grade: the summary alone, exit 0.
    const CliRun pass = Cli(
        {QStringLiteral("--max-grade=40"), QStringLiteral("--quiet"), QStringLiteral("easy.txt")});
    EXPECT_EQ(pass.exitCode, 0) << pass.err;
    EXPECT_EQ(pass.out, "1 file checked, 0 above grade 40 (consensus)\n");
}

TEST_F(LintTest, AFolderIsWalkedInNameOrderWithoutHiddenOnes) {
    Write("docs/b.md", "The dog ran.\n");
    Write("docs/a/z.html", "<p>The cat sat.</p>\n");
    Write("docs/a/y.TXT", "A cat.\n");
    Write("docs/.git/x.md", "Hidden.\n");
    Write("docs/.hidden.md", "Hidden.\n");
    Write("docs/notes.json", "{}\n");
    Write("docs/c.docx.bak", "old\n");
    const std::vector<std::string> expected = {"docs/a/y.TXT", "docs/a/z.html", "docs/b.md"};
    EXPECT_EQ(ExpandInputs({Path("docs").toStdString() + "/"}).size(), 3u);
    QDir::setCurrent(dir_.path());
    EXPECT_EQ(ExpandInputs({"docs/"}), expected);
    // Without the slash a folder is read as a file: refused, as it always was.
    EXPECT_EQ(ExpandInputs({"docs", "docs/b.md", "-", "missing"}),
              (std::vector<std::string>{"docs", "docs/b.md", "-", "missing"}));

    const CliRun run =
        Cli({QStringLiteral("--max-grade=40"), QStringLiteral("--quiet"), QStringLiteral("docs/")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "3 files checked, 0 above grade 40 (consensus)\n");
    const CliRun plain = Cli({QStringLiteral("docs")});
    EXPECT_EQ(plain.exitCode, 2);
    EXPECT_EQ(plain.err, "scrivolux-cli: Cannot open file docs: Is a directory (name it docs/ to "
                         "read the files in it)\n");
    Write("empty/.keep.md", "x\n");
    const CliRun none = Cli({QStringLiteral("--max-grade=40"), QStringLiteral("empty/")});
    EXPECT_EQ(none.exitCode, 0) << none.err;
    EXPECT_EQ(none.out, "0 files checked, 0 above grade 40 (consensus)\n");
}

// A finding's column counts the code points of its source line: two
// two-byte letters and a heading above it must not shift it.
TEST_F(LintTest, FindingsArePlacedInTheSourceFileAndCountedByRule) {
    Write("checked.md", "# T\xC3\xAFtle\n\n\xC3\x9C\xC3\xAF dog. The cat is very big.\n\n"
                        "<p>The report was written by the team.</p>\n");
    Write("clean.txt", "The cat sat. The dog ran.\n");
    const CliRun text = Cli({QStringLiteral("--checks"), QStringLiteral("checked.md")});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("\nChecks:\nchecked.md:3:20: adverb \"very\" "), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("\nchecked.md:5:15: passive \"was written\" "), std::string::npos)
        << text.out;

    const CliRun json = Cli({QStringLiteral("--checks"), QStringLiteral("--format=jsonl"),
                             QStringLiteral("checked.md")});
    const QJsonArray checks =
        QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object()["checks"].toArray();
    ASSERT_EQ(checks.size(), 2) << json.out;
    EXPECT_EQ(checks[0].toObject()["line"].toInt(), 3);
    EXPECT_EQ(checks[0].toObject()["column"].toInt(), 20);
    EXPECT_EQ(checks[0].toObject()["place"].toString(), "line");

    const struct {
        const char* name;
        QStringList arguments;
        int exitCode;
        const char* summary;
    } cases[] = {
        {"findings alone pass",
         {QStringLiteral("--max-grade=40")},
         0,
         "2 files checked, 0 above grade 40 (consensus), 2 findings: passive 1, adverb 1\n"},
        {"unless asked to fail",
         {QStringLiteral("--max-grade=40"), QStringLiteral("--fail-on-checks")},
         5,
         nullptr},
        {"the grade comes first",
         {QStringLiteral("--max-grade=0"), QStringLiteral("--fail-on-checks")},
         4,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run =
            Cli(QStringList{QStringLiteral("--checks"), QStringLiteral("--quiet")} + c.arguments +
                QStringList{QStringLiteral("clean.txt"), QStringLiteral("checked.md")});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        // A file's findings are listed whether or not it is above the grade.
        EXPECT_EQ(LinesStartingWith(run.out, "checked.md:3:20: adverb ").size(), 1u) << run.out;
        if (c.summary) {
            EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1), c.summary);
        }
    }
    const CliRun clean = Cli({QStringLiteral("--fail-on-checks"), QStringLiteral("clean.txt")});
    EXPECT_EQ(clean.exitCode, 0) << clean.out;
}

// A repository's .scrivolux.toml: found from each file's folder upward, an
// override exempting a folder, an exclusion, the flags winning.
TEST_F(LintTest, TheNearestConfigurationSetsEachFilesLimit) {
    Write("repo/.scrivolux.toml", "# the docs' gate\n"
                                  "max-grade = 8\n"
                                  "exclude = [\"drafts/**\", \"CHANGELOG.md\"]\n"
                                  "\n"
                                  "[[overrides]]\n"
                                  "files = [\"legal/**\"]\n"
                                  "max-grade = 40\n");
    Write("repo/docs/guide.md", "# Guide\n\n" + kHardSentence + "\n");
    Write("repo/legal/terms.md", kHardSentence + "\n");
    Write("repo/drafts/new.md", kHardSentence + "\n");
    Write("repo/CHANGELOG.md", kHardSentence + "\n");
    Write("repo/easy.txt", "The cat sat.\n");
    const CliRun run = Cli({QStringLiteral("--quiet"), QStringLiteral("repo/")});
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_EQ(run.out.rfind("repo/docs/guide.md:1:1: grade ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find(" (consensus) is above 8\n"), std::string::npos) << run.out;
    // Two limits in the run: the summary does not name one.
    EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1),
              "3 files checked, 1 above their grade\n");
    EXPECT_EQ(run.out.find("legal"), std::string::npos) << run.out;

    const struct {
        const char* name;
        QStringList arguments;
        int exitCode;
        const char* firstLine;
    } cases[] = {
        {"a file named is excluded too", {QStringLiteral("repo/CHANGELOG.md")}, 0, ""},
        {"the flag wins over the override",
         {QStringLiteral("--max-grade=12"), QStringLiteral("repo/legal/terms.md")},
         4,
         "repo/legal/terms.md:1:1: grade 27.00 (consensus) is above 12"},
        {"--no-config",
         {QStringLiteral("--no-config"), QStringLiteral("repo/docs/guide.md")},
         0,
         nullptr},
        {"--config",
         {QStringLiteral("--config=repo/.scrivolux.toml"), QStringLiteral("repo/easy.txt")},
         0,
         "1 file checked, 0 above grade 8 (consensus)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun one = Cli(QStringList{QStringLiteral("--quiet")} + c.arguments);
        EXPECT_EQ(one.exitCode, c.exitCode) << one.err;
        if (c.firstLine) {
            EXPECT_EQ(one.out.substr(0, one.out.find('\n')), c.firstLine) << one.out;
        } else {
            EXPECT_EQ(one.out.find("is above"), std::string::npos) << one.out;
        }
    }

    // pyproject.toml counts only with its table; the one without is passed by.
    Write("py/pyproject.toml", "[tool.scrivolux]\nrules = \"careful\"\nmax-grade = 8\n"
                               "grade-index = \"fk\"\nchecks = [\"passive\"]\n");
    Write("py/sub/pyproject.toml", "[project]\nname = \"x\"\n");
    Write("py/sub/page.md",
          "The cat is very big. The report was written by the team.\n\n" + kHardSentence + "\n");
    const CliRun py = Cli({QStringLiteral("--quiet"), QStringLiteral("py/sub/page.md")});
    EXPECT_EQ(py.exitCode, 4) << py.err;
    EXPECT_EQ(py.out.substr(0, py.out.find('\n')),
              "py/sub/page.md:1:1: grade 15.90 (fk) is above 8")
        << py.out;
    // The configured checks only: the adverb is not listed.
    EXPECT_EQ(LinesStartingWith(py.out, "py/sub/page.md:1:33: passive ").size(), 1u) << py.out;
    EXPECT_EQ(py.out.find(" adverb "), std::string::npos) << py.out;
}

TEST_F(LintTest, ABadConfigurationIsAUsageErrorNamingItsLineAndKey) {
    const struct {
        const char* name;
        const char* toml;
        const char* message;
    } cases[] = {
        {"unknown key", "rules = \"careful\"\nmax_grade = 8\n",
         "c/.scrivolux.toml:2: unknown key 'max_grade'"},
        {"unknown key in an override", "[[overrides]]\nfiles = [\"a\"]\nmax-grades = 8\n",
         "c/.scrivolux.toml:3: unknown key 'max-grades'"},
        {"bad rules", "\n\nrules = \"strict\"\n",
         "c/.scrivolux.toml:3: invalid value for rules (use auto, classic or careful)"},
        {"grade as text", "max-grade = \"12\"\n",
         "c/.scrivolux.toml:1: invalid value for max-grade (use a number)"},
        {"unknown check", "checks = [\"passive\", \"typo\"]\n",
         "c/.scrivolux.toml:1: unknown check 'typo' in checks"},
        {"override without files", "[[overrides]]\nmax-grade = 3\n",
         "c/.scrivolux.toml:1: an override needs files"},
        {"not TOML", "max-grade = = 3\n", "c/.scrivolux.toml:1: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write("c/.scrivolux.toml", c.toml);
        Write("c/a.md", "The cat sat.\n");
        const CliRun run = Cli({QStringLiteral("c/a.md")});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err.rfind(std::string("scrivolux-cli: ") + c.message, 0), 0u) << run.err;
        EXPECT_NE(run.err.find("Try 'scrivolux-cli --help'"), std::string::npos);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(Cli({QStringLiteral("--no-config"), QStringLiteral("c/a.md")}).exitCode, 0);
    }
}

TEST(GlobTest, StarsStayInAFolderAndTwoCrossThem) {
    const struct {
        const char* glob;
        const char* path;
        bool matches;
    } rows[] = {
        {"legal/**", "legal/terms.md", true},
        {"legal/**", "legal/old/terms.md", true},
        {"legal/**", "legalese.md", false},
        {"legal", "legal/terms.md", true},
        {"*.md", "docs/a.md", true},
        {"docs/*.md", "docs/a.md", true},
        {"docs/*.md", "docs/sub/a.md", false},
        {"docs/**/*.md", "docs/a.md", true},
        {"docs/**/*.md", "docs/x/y/a.md", true},
        {"CHANGELOG.md", "sub/CHANGELOG.md", true},
        {"CHANGELOG.md", "CHANGELOG.mdx", false},
        {"a?.md", "ab.md", true},
        {"a?.md", "a/.md", false},
        {"v1.0/*", "v1x0/a.md", false},
        {"./notes/*", "notes/a.md", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.glob) + " ~ " + row.path);
        EXPECT_EQ(GlobMatches(row.glob, row.path), row.matches);
    }
}

// The code ranges of a document's text, as the text they cover.
std::vector<std::string> CodeOf(const DocumentText& document) {
    std::vector<std::string> code;
    for (const TextRange& range : document.code)
        code.push_back(document.text.substr(range.begin, range.end - range.begin));
    return code;
}

TEST(IgnoreCommentTest, RegionsBlocksAndChecksAreLeftOut) {
    const struct {
        const char* name;
        bool html;
        const char* source;
        const char* text;
    } rows[] = {
        {"markdown region", false,
         "A one.\n\n<!-- scrivolux-disable -->\nB two.\n\n- C three.\n<!-- scrivolux-enable "
         "-->\n\nD four.\n",
         "A one.\n\nD four."},
        {"markdown region never closed", false, "A one.\n\n<!-- scrivolux-disable -->\n\nB two.\n",
         "A one."},
        {"markdown next block: a whole list", false,
         "A one.\n\n<!-- scrivolux-disable-next-block -->\n- B two.\n- C three.\n\nD four.\n",
         "A one.\n\nD four."},
        {"markdown next block: a table", false,
         "<!-- scrivolux-disable-next-block -->\n\n| B | C |\n|---|---|\n| D | E |\n\nF six.\n",
         "F six."},
        {"markdown inline region", false,
         "A one <!-- scrivolux-disable -->B two<!-- scrivolux-enable --> C three.\n",
         "A one C three."},
        {"another comment is markup", false, "A one.\n\n<!-- scrivolux-disabled -->\n\nB two.\n",
         "A one.\n\nB two."},
        {"html region", true,
         "<p>A one.</p><!-- scrivolux-disable --><p>B two.</p><!--scrivolux-enable--><p>C.</p>",
         "A one.\n\nC."},
        {"html next block: a list", true,
         "<p>A one.</p>\n<!-- scrivolux-disable-next-block -->\n<ul><li>B</li><li>C</li></ul>"
         "<p>D four.</p>",
         "A one.\n\nD four."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const DocumentText read = row.html ? HtmlText(row.source) : MarkdownText(row.source);
        EXPECT_EQ(read.text, row.text);
    }
}

TEST(IgnoreCommentTest, ChecksTurnedOffAreRecordedWhereTheyStand) {
    const DocumentText read =
        MarkdownText("A one.\n\n<!-- scrivolux-disable passive, adverb -->\n\n"
                     "B two.\n\n<!-- scrivolux-enable -->\n\nC three.\n");
    EXPECT_EQ(read.text, "A one.\n\nB two.\n\nC three.");
    ASSERT_EQ(read.silenced.size(), 1u);
    EXPECT_EQ(read.silenced[0].rules, (std::vector<std::string>{"passive", "adverb"}));
    const std::size_t b = read.text.find('B');
    const std::size_t c = read.text.find('C');
    EXPECT_LE(read.silenced[0].range.begin, b);
    EXPECT_GT(read.silenced[0].range.end, b);
    EXPECT_LE(read.silenced[0].range.end, c);

    const struct {
        const char* comment;
        IgnoreComment::Kind kind;
        std::vector<std::string> rules;
    } rows[] = {
        {" scrivolux-enable ", IgnoreComment::Kind::Enable, {}},
        {"scrivolux-disable", IgnoreComment::Kind::Disable, {}},
        {"scrivolux-disable-next-block", IgnoreComment::Kind::DisableNextBlock, {}},
        {"scrivolux-disable wordy,,hedge ", IgnoreComment::Kind::DisableChecks, {"wordy", "hedge"}},
        {"scrivolux-disabled", IgnoreComment::Kind::None, {}},
        {"disable scrivolux", IgnoreComment::Kind::None, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.comment);
        const IgnoreComment parsed = ParseIgnoreComment(row.comment);
        EXPECT_EQ(parsed.kind, row.kind);
        EXPECT_EQ(parsed.rules, row.rules);
    }
}

TEST_F(LintTest, AnIgnoreCommentDropsOnlyItsChecksFindings) {
    Write("ignored.md", "The cat is very big.\n\n<!-- scrivolux-disable adverb -->\n"
                        "The dog is very small and was seen by us.\n<!-- scrivolux-enable -->\n\n"
                        "The end is very near.\n");
    const CliRun run = Cli({QStringLiteral("--checks"), QStringLiteral("ignored.md")});
    EXPECT_EQ(LinesStartingWith(run.out, "ignored.md:").size(), 3u) << run.out;
    EXPECT_NE(run.out.find("ignored.md:1:12: adverb "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("ignored.md:4:27: passive "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("ignored.md:7:12: adverb "), std::string::npos) << run.out;
}

// Code and link targets in prose are marked, so that the careful rules leave
// them out; a code block was never prose.
TEST(CodeInProseTest, InlineCodeAndLinkTargetsAreMarked) {
    const DocumentText markdown =
        MarkdownText("Run `scrivolux-cli --rules=careful` now, see <https://example.org/a> or "
                     "[the site](https://example.org/b).\n\n```\ncode block\n```\n");
    EXPECT_EQ(CodeOf(markdown),
              (std::vector<std::string>{"scrivolux-cli --rules=careful", "https://example.org/a"}));
    EXPECT_EQ(markdown.text.find("code block"), std::string::npos);

    const DocumentText html =
        HtmlText("<p>Press <kbd>Ctrl+S</kbd> to run <code>make all</code>; it says "
                 "<samp>done</samp>.</p><p><code>alone</code></p>");
    EXPECT_EQ(CodeOf(html), (std::vector<std::string>{"Ctrl+S", "make all", "done"}));
    EXPECT_EQ(html.text.find("alone"), std::string::npos);

    std::string text = "a `b c` d\ne";
    BlankCode(text, {{2, 7}, {9, 11}});
    EXPECT_EQ(text, "a       d\n ");
}

TEST_F(LintTest, TheCarefulRulesDoNotCountCode) {
    Write("code.md", "Run `scrivolux-cli --rules=careful` now.\n");
    for (const auto& [rules, words] : {std::pair{"classic", 6}, std::pair{"careful", 2}}) {
        SCOPED_TRACE(rules);
        const CliRun run =
            Cli({QStringLiteral("--format=jsonl"),
                 QStringLiteral("--rules=") + QLatin1String(rules), QStringLiteral("code.md")});
        const QJsonObject counts = QJsonDocument::fromJson(QByteArray::fromStdString(run.out))
                                       .object()["counts"]
                                       .toObject();
        EXPECT_EQ(counts["words"].toInt(), words) << run.out;
    }
}

// Columns count code points of the source line; a paragraph or a page has
// its column within it.
TEST(FileLocatorTest, ColumnsCountCodePointsOfTheSourceLine) {
    LoadedDocument markdown;
    markdown.markup = "# T\xC3\xAFtle\n\n- \xC3\x9C\xC3\xAF dog ran.\n\n\xE2\x82\xAC"
                      "5 or \xF0\x9F\x98\x80 so.\n";
    markdown.text = "T\xC3\xAFtle\n\n\xC3\x9C\xC3\xAF dog ran.\n\n\xE2\x82\xAC"
                    "5 or \xF0\x9F\x98\x80 so.";
    markdown.places = {
        {0, {PlaceKind::Line, 1, 3}}, {8, {PlaceKind::Line, 3, 3}}, {23, {PlaceKind::Line, 5, 1}}};
    const FileLocator md(markdown);
    const struct {
        const char* name;
        std::size_t passageOffset;
        FilePlace place;
    } rows[] = {
        {"heading", 0, {PlaceKind::Line, 1, 3}},
        {"after a two-byte letter", 3, {PlaceKind::Line, 1, 5}},
        {"list item", 8, {PlaceKind::Line, 3, 3}},
        {"after two two-byte letters", 13, {PlaceKind::Line, 3, 6}},
        {"end of the item", 20, {PlaceKind::Line, 3, 13}},
        {"after three and four bytes", 35, {PlaceKind::Line, 5, 8}},
        {"past the end", 1000, {PlaceKind::Line, 5, 12}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(md.AtPassage(row.passageOffset), row.place);
    }
    EXPECT_EQ(md.AtPassageLine(3), (FilePlace{PlaceKind::Line, 3, 3}));

    LoadedDocument docx;
    docx.text = "One.\n\n\xC3\x9C two. Three.";
    docx.places = {{0, {PlaceKind::Paragraph, 1, 0}}, {6, {PlaceKind::Paragraph, 3, 0}}};
    const FileLocator paragraphs(docx);
    EXPECT_EQ(paragraphs.Kind(), PlaceKind::Paragraph);
    EXPECT_EQ(paragraphs.AtPassage(13), (FilePlace{PlaceKind::Paragraph, 3, 7}));

    // Plain text: CR LF and U+2028 break passage lines; the file's lines are its line feeds.
    const struct {
        const char* name;
        const char* text;
        std::size_t passageOffset;
        FilePlace place;
    } plain[] = {
        {"line feeds", "ab\ncd", 4, {PlaceKind::Line, 2, 2}},
        // Standard input keeps its CR LF; the passage has one space for each.
        {"CR LF", "ab\r\ncd\r\nef", 4, {PlaceKind::Line, 2, 2}},
        {"after U+2028",
         "ab\xE2\x80\xA8"
         "cd\nef",
         4,
         {PlaceKind::Line, 1, 5}},
        {"a line feed after U+2028",
         "ab\xE2\x80\xA8"
         "cd\nef",
         7,
         {PlaceKind::Line, 2, 2}},
        {"past a final line feed", "ab\ncd\n", 1000, {PlaceKind::Line, 3, 1}},
    };
    for (const auto& row : plain) {
        SCOPED_TRACE(row.name);
        LoadedDocument text;
        text.text = row.text;
        text.places = {{0, {PlaceKind::Line, 1, 1}}};
        EXPECT_EQ(FileLocator(text).AtPassage(row.passageOffset), row.place);
    }
}

} // namespace
