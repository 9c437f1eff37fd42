#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryLine.h"
#include "dictionary/IntegerConversion.h"
#include "dictionary/UserDictionary.h"
#include "text/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include "HostileFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <thread>

namespace {

const std::string kDataDir = SCRIVOLUX_TEST_DATA_DIR "/dictionary/";

std::string NotAnInteger(const std::string& text) {
    return "'" + text + "' is not a valid integer value";
}

// --- integer conversion ----------------------------------------------------

struct IntegerRow {
    const char* name;
    const char* text;
    std::optional<std::int32_t> value; // nothing: the conversion must fail
};

class StrToIntTest : public testing::TestWithParam<IntegerRow> {};

TEST_P(StrToIntTest, ConvertsOrFailsWithTheTextInTheMessage) {
    const IntegerRow& row = GetParam();
    if (row.value) {
        EXPECT_EQ(StrToInt(row.text), *row.value);
        return;
    }
    try {
        StrToInt(row.text);
        ADD_FAILURE() << "converted '" << row.text << "'";
    } catch (const ConvertError& error) {
        EXPECT_EQ(error.what(), NotAnInteger(row.text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StrToIntTest,
    testing::Values(
        IntegerRow{"Decimal", "42", 42}, IntegerRow{"Zero", "0", 0},
        IntegerRow{"LeadingZeros", "007", 7}, IntegerRow{"LeadingBlanks", "   3", 3},
        IntegerRow{"Plus", "+7", 7}, IntegerRow{"Minus", "-13", -13},
        IntegerRow{"BlanksThenSign", "  -2", -2}, IntegerRow{"Largest", "2147483647", 2147483647},
        IntegerRow{"Smallest", "-2147483648", INT32_MIN}, IntegerRow{"DollarHex", "$FF", 255},
        IntegerRow{"LowerXHex", "xff", 255}, IntegerRow{"UpperXHex", "X1a", 26},
        IntegerRow{"ZeroXHex", "0x10", 16}, IntegerRow{"HexAllOnesIsMinusOne", "0xFFFFFFFF", -1},
        IntegerRow{"HexHighBitIsSmallest", "$80000000", INT32_MIN},
        IntegerRow{"HexLeadingZerosBeyondEight", "$000000001", 1},
        IntegerRow{"NegatedHex", "-$1", -1},
        // Failures.
        IntegerRow{"Empty", "", std::nullopt}, IntegerRow{"OnlyBlanks", "   ", std::nullopt},
        IntegerRow{"TrailingBlank", "12 ", std::nullopt},
        IntegerRow{"Decimals", "1.5", std::nullopt}, IntegerRow{"Letters", "abc", std::nullopt},
        IntegerRow{"DigitThenLetter", "2x", std::nullopt},
        IntegerRow{"TabIsNotABlank", "\t1", std::nullopt},
        IntegerRow{"SignAlone", "-", std::nullopt}, IntegerRow{"TwoSigns", "--1", std::nullopt},
        IntegerRow{"PastLargest", "2147483648", std::nullopt},
        IntegerRow{"PastSmallest", "-2147483649", std::nullopt},
        IntegerRow{"FarPastLargest", "99999999999999999999999", std::nullopt},
        IntegerRow{"DollarAlone", "$", std::nullopt}, IntegerRow{"ZeroXAlone", "0x", std::nullopt},
        IntegerRow{"NineHexDigits", "$100000000", std::nullopt},
        IntegerRow{"NotAHexDigit", "$1G", std::nullopt},
        IntegerRow{"UpperZeroX", "0X10", std::nullopt}),
    [](const testing::TestParamInfo<IntegerRow>& info) { return std::string(info.param.name); });

// --- one line of a dictionary file -------------------------------------------

struct LineRow {
    const char* name;
    const char* line;
    const char* word; // nullptr: the line must fail with the error below
    std::int32_t count;
    const char* error; // the text that does not convert
};

class ParseLineTest : public testing::TestWithParam<LineRow> {};

TEST_P(ParseLineTest, ReadsTheWordAndTheCount) {
    const LineRow& row = GetParam();
    if (row.word) {
        const DictionaryLine parsed = ParseDictionaryLine(row.line);
        EXPECT_EQ(parsed.word, row.word);
        EXPECT_EQ(parsed.count, row.count);
        return;
    }
    try {
        ParseDictionaryLine(row.line);
        ADD_FAILURE() << "read '" << row.line << "'";
    } catch (const ConvertError& error) {
        EXPECT_EQ(error.what(), NotAnInteger(row.error));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParseLineTest,
    testing::Values(
        LineRow{"WordAndCount", "apple|2", "apple", 2, nullptr},
        LineRow{"FieldsBetweenAreIgnored", "Apple|x|y|2", "Apple", 2, nullptr},
        LineRow{"CountOfTenOrMoreReadsWhole", "word|12", "word", 12, nullptr},
        LineRow{"LeadingZeroReadsItsFirstDigit", "abd|05", "abd", 0, nullptr},
        LineRow{"LargestCount", "word|2147483647", "word", 2147483647, nullptr},
        LineRow{"CountPastThirtyTwoBitsTakesFirstDigit", "word|99999999999", "word", 9, nullptr},
        LineRow{"CountThenTextTakesFirstDigit", "word|2 syllables", "word", 2, nullptr},
        LineRow{"ZeroCount", "hmm|0", "hmm", 0, nullptr},
        LineRow{"WordIsNotTrimmed", " cat |1", " cat ", 1, nullptr},
        LineRow{"EmptyWord", "|5", "", 5, nullptr},
        LineRow{"NoSeparatorIsCountOnly", "5", "", 5, nullptr},
        LineRow{"NoSeparatorTwoDigits", "12", "", 12, nullptr},
        LineRow{"NoSeparatorDigitThenText", "5 apples", "", 5, nullptr},
        // Failures: the text named is the one in the message.
        LineRow{"EndsInSeparator", "word|", nullptr, 0, ""},
        LineRow{"LetterCount", "bad|x", nullptr, 0, "x"},
        LineRow{"BlankBeforeCount", "word| 2", nullptr, 0, " "},
        LineRow{"SignedCount", "word|-2", nullptr, 0, "-"},
        LineRow{"NoSeparatorLetter", "apple", nullptr, 0, "a"},
        LineRow{"NoSeparatorBlanks", "   ", nullptr, 0, " "},
        LineRow{"NonAsciiCountIsOneCharacter", "w|\u00e9t\u00e9", nullptr, 0, "\u00e9"}),
    [](const testing::TestParamInfo<LineRow>& info) { return std::string(info.param.name); });

// --- the files ---------------------------------------------------------------

class DictionaryFileTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    // A fixture of tests/data/dictionary copied into the test's own folder.
    std::string Copy(const std::string& name) {
        const QString target = dir_.filePath(QString::fromStdString(name));
        EXPECT_TRUE(QFile::copy(QString::fromStdString(kDataDir + name), target));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        return target.toStdString();
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        QFile file(dir_.filePath(QString::fromStdString(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return file.fileName().toStdString();
    }

    std::string PathOf(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }

    static std::string Read(const std::string& path) {
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll().toStdString();
    }

    QTemporaryDir dir_;
};

TEST_F(DictionaryFileTest, StartUpLoadsTheMainListThenTheUserFile) {
    TDictionary dictionary;
    EXPECT_TRUE(dictionary.LoadDictionary(Copy("main.dat")));
    const std::string custom = Copy("custom.dat");
    EXPECT_TRUE(dictionary.LoadCustomDictionary(custom));

    EXPECT_TRUE(dictionary.Loaded);
    EXPECT_EQ(dictionary.CustomFilePath(), custom);
    EXPECT_EQ(dictionary.Lookup("APPLE"), 2) << "the first line for a word wins";
    EXPECT_EQ(dictionary.Lookup("banana"), 3);
    EXPECT_EQ(dictionary.Lookup("word"), 12);
    EXPECT_EQ(dictionary.Lookup(""), 5) << "|5 comes before 5";
    EXPECT_EQ(dictionary.Lookup("last"), 4) << "a last line without its line end counts";
    EXPECT_EQ(dictionary.Lookup("shared"), 1) << "the main list wins over the user file";
    EXPECT_EQ(dictionary.Lookup("zebu"), 2);
    EXPECT_EQ(dictionary.Size(), 7u);
}

// Every way the start-up can fail is a FileError naming its file; only an
// unreadable word list is a WordListUnreadable, thrown after the user file was
// read. An index stands for its list here too, unchecked until the first use.
TEST_F(DictionaryFileTest, StartUpFailuresAreFileErrorsNamingTheirFile) {
    const std::string user = Write("user.dat", "kiwi|2\n");
    const struct {
        const char* name;
        const char* list; // nullptr: no word list at all
        bool indexed;
        const char* message; // after the list's path; nullptr: no failure
        bool unreadable;
        std::int32_t kiwi; // the user's word, -1 when the user file was not read
    } rows[] = {
        {"a list", "apple|2\n", false, nullptr, false, 2},
        {"a list with its index", "apple|2\n", true, nullptr, false, 2},
        {"no list", nullptr, false, ": No such file or directory", true, 2},
        {"a blank list", "\n\n", false, " holds no words", false, -1},
        {"a blank list with its index", "\n\n", true, " holds no words", false, -1},
        {"a bad count", "apple|2\npear|x\n", false, ", line 2: ", false, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string list = PathOf(std::string(row.name) + ".dat");
        if (row.list)
            Write(std::string(row.name) + ".dat", row.list);
        if (row.indexed) {
            ASSERT_FALSE(TDictionary::WriteIndex(list));
        }
        TDictionary dictionary;
        try {
            LoadStartupDictionaries(dictionary, {list, user});
            EXPECT_EQ(row.message, nullptr) << "no failure";
            EXPECT_EQ(dictionary.Lookup("apple"), 2);
            EXPECT_EQ(dictionary.UsesIndex(), row.indexed);
        } catch (const FileError& error) {
            ASSERT_NE(row.message, nullptr) << error.what();
            EXPECT_EQ(dynamic_cast<const WordListUnreadable*>(&error) != nullptr, row.unreadable);
            EXPECT_EQ(error.Path(), list);
            EXPECT_TRUE(std::string(error.what()).find(list + row.message) != std::string::npos)
                << error.what();
        }
        EXPECT_EQ(dictionary.Lookup("kiwi"), row.kiwi);
    }
}

TEST_F(DictionaryFileTest, UserFileAloneLoadsTheDictionary) {
    TDictionary dictionary;
    EXPECT_FALSE(dictionary.LoadDictionary(PathOf("cuvplus.dat")));
    EXPECT_FALSE(dictionary.Loaded);
    EXPECT_TRUE(dictionary.LoadCustomDictionary(Copy("custom.dat")));
    EXPECT_TRUE(dictionary.Loaded);
    EXPECT_EQ(dictionary.Lookup("shared"), 3);
    EXPECT_EQ(dictionary.Lookup("apple"), -1);
}

TEST_F(DictionaryFileTest, NeitherFileLeavesTheDictionaryUnloaded) {
    TDictionary dictionary;
    EXPECT_FALSE(dictionary.LoadDictionary(PathOf("cuvplus.dat")));
    const std::string custom = PathOf("custom.dat");
    EXPECT_TRUE(dictionary.LoadCustomDictionary(custom));
    EXPECT_FALSE(dictionary.Loaded);
    EXPECT_EQ(dictionary.CustomFilePath(), custom) << "the first addition creates the file";
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(custom)));
}

TEST_F(DictionaryFileTest, BadCountStopsTheLoadAndKeepsTheUserFileUnread) {
    TDictionary dictionary;
    const std::string custom = Copy("custom.dat");
    try {
        // The order of the start-up: a failing main list skips the user file.
        dictionary.LoadDictionary(Copy("bad_count.dat"));
        dictionary.LoadCustomDictionary(custom);
        FAIL() << "the bad line was accepted";
    } catch (const ConvertError& error) {
        EXPECT_STREQ(error.what(), "'x' is not a valid integer value");
    }
    EXPECT_EQ(dictionary.Lookup("before"), 2);
    EXPECT_EQ(dictionary.Lookup("bad"), -1);
    EXPECT_EQ(dictionary.Lookup("after"), -1);
    EXPECT_EQ(dictionary.Lookup("zebu"), -1);
    EXPECT_FALSE(dictionary.Loaded);
    EXPECT_TRUE(dictionary.CustomFilePath().empty());

    const auto failure = dictionary.AddWordToFile("Quokka", 2);
    ASSERT_TRUE(failure);
    EXPECT_FALSE(failure->message.empty());
    EXPECT_EQ(dictionary.Lookup("quokka"), 2) << "kept in memory";
    EXPECT_EQ(Read(custom), Read(kDataDir + "custom.dat"));
}

TEST_F(DictionaryFileTest, BadUserFileDoesNotRecordItsPath) {
    TDictionary dictionary;
    EXPECT_THROW(dictionary.LoadCustomDictionary(Copy("bad_count.dat")), ConvertError);
    EXPECT_TRUE(dictionary.CustomFilePath().empty());
}

TEST_F(DictionaryFileTest, LineEndingInSeparatorFailsForTheEmptyText) {
    TDictionary dictionary;
    try {
        dictionary.LoadDictionary(Write("cuvplus.dat", "good|1\nword|\n"));
        FAIL();
    } catch (const ConvertError& error) {
        EXPECT_STREQ(error.what(), "'' is not a valid integer value");
    }
    EXPECT_EQ(dictionary.Lookup("good"), 1);
}

TEST_F(DictionaryFileTest, AddedWordIsReadBackOnTheNextStart) {
    const std::string custom = PathOf("custom.dat");
    {
        TDictionary dictionary;
        dictionary.LoadCustomDictionary(custom);
        EXPECT_EQ(dictionary.AddWordToFile("Zebra", 2), std::nullopt);
        EXPECT_EQ(dictionary.AddWordToFile("Antidisestablishmentarianism", 12), std::nullopt);
        EXPECT_EQ(dictionary.Lookup("zebra"), 2);
    }
    EXPECT_EQ(Read(custom), "Zebra|2\r\nAntidisestablishmentarianism|12\r\n");

    TDictionary next;
    next.LoadCustomDictionary(custom);
    EXPECT_EQ(next.Lookup("zebra"), 2);
    EXPECT_EQ(next.Lookup("antidisestablishmentarianism"), 12) << "not its first digit";
}

TEST_F(DictionaryFileTest, AppendingStartsANewLineAfterAnUnfinishedOne) {
    struct Row {
        const char* name;
        const char* before;
        const char* after;
    } const rows[] = {
        {"NoLineEnd", "apple|2", "apple|2\r\nZebra|2\r\n"},
        {"CrLf", "apple|2\r\n", "apple|2\r\nZebra|2\r\n"},
        {"LineFeed", "apple|2\n", "apple|2\nZebra|2\r\n"},
        {"Empty", "", "Zebra|2\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string custom = Write(std::string(row.name) + ".dat", row.before);
        TDictionary dictionary;
        dictionary.LoadCustomDictionary(custom);
        EXPECT_EQ(dictionary.AddWordToFile("Zebra", 2), std::nullopt);
        EXPECT_EQ(Read(custom), row.after);

        TDictionary next;
        next.LoadCustomDictionary(custom);
        EXPECT_EQ(next.Lookup("zebra"), 2);
        EXPECT_EQ(next.Lookup("apple"), std::string(row.before).empty() ? -1 : 2);
    }
}

TEST_F(DictionaryFileTest, AddingReportsAFileThatCannotBeWritten) {
    struct Row {
        const char* name;
        std::string path;
        const char* reason;
    } const rows[] = {
        {"MissingFolder", PathOf("no such folder/custom.dat"), "No such file or directory"},
        {"Directory", PathOf("folder"), "not a regular file"},
    };
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder")));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TDictionary dictionary;
        dictionary.LoadCustomDictionary(row.path);
        const auto failure = dictionary.AddWordToFile("Zebra", 2);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->path, row.path);
        EXPECT_EQ(failure->message,
                  "Cannot add the word to " + failure->path + ": " + failure->reason);
        EXPECT_NE(failure->reason.find(row.reason), std::string::npos) << failure->reason;
        EXPECT_EQ(dictionary.Lookup("zebra"), 2) << "kept in memory";
        EXPECT_TRUE(dictionary.AddWordToFile("Quagga", 3));
    }
}

TEST_F(DictionaryFileTest, AddingToAReadOnlyFileFails) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes to read-only files";
    const std::string custom = Write("custom.dat", "apple|2\r\n");
    QFile::setPermissions(QString::fromStdString(custom), QFile::ReadOwner);
    TDictionary dictionary;
    dictionary.LoadCustomDictionary(custom);
    const auto failure = dictionary.AddWordToFile("Zebra", 2);
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->message.find(custom), std::string::npos) << failure->message;
    EXPECT_EQ(Read(custom), "apple|2\r\n");
}

TEST_F(DictionaryFileTest, AddingRefusesLinesThatWouldNotReadBack) {
    const std::string custom = Write("custom.dat", "apple|2\r\n");
    TDictionary dictionary;
    dictionary.LoadCustomDictionary(custom);
    EXPECT_TRUE(dictionary.AddWordToFile("minus", -2));
    EXPECT_TRUE(dictionary.AddWordToFile("two|fields", 2));
    EXPECT_TRUE(dictionary.AddWordToFile("two\nlines", 2));
    EXPECT_TRUE(dictionary.AddWordToFile(std::string(600, 'a'), 2));
    EXPECT_EQ(Read(custom), "apple|2\r\n");
    EXPECT_EQ(dictionary.Lookup("minus"), -2) << "memory takes what it is given";

    EXPECT_EQ(dictionary.AddWordToFile("Nought", 0), std::nullopt);
    EXPECT_EQ(Read(custom), "apple|2\r\nNought|0\r\n");
}

TEST_F(DictionaryFileTest, FilesThatCannotBeReadChangeNothing) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder")));
    for (const std::string& path : {PathOf("missing.dat"), PathOf("folder"), std::string()}) {
        SCOPED_TRACE(path);
        TDictionary dictionary;
        EXPECT_FALSE(dictionary.LoadDictionary(path));
        EXPECT_FALSE(dictionary.Loaded);
        EXPECT_EQ(dictionary.Size(), 0u);
    }
}

TEST_F(DictionaryFileTest, EmptyFileLoadsNoWords) {
    TDictionary dictionary;
    EXPECT_TRUE(dictionary.LoadDictionary(Write("cuvplus.dat", "")));
    EXPECT_TRUE(dictionary.Loaded);
    EXPECT_EQ(dictionary.Size(), 0u);
}

TEST_F(DictionaryFileTest, LinesInWindows1252AreDecoded) {
    TDictionary dictionary;
    const std::string path = Copy("windows-1252.dat");
    EXPECT_TRUE(dictionary.LoadDictionary(path));
    EXPECT_EQ(dictionary.Lookup("caf\u00e9"), 2);
    EXPECT_EQ(dictionary.Lookup("CAF\u00c9"), 2);
    EXPECT_EQ(dictionary.Lookup("don\u2019t"), 1);
    EXPECT_EQ(dictionary.Lookup("na\u00efve"), 2);

    // New lines are UTF-8, and each line of the mixed file is decoded on its own.
    dictionary.LoadCustomDictionary(path);
    EXPECT_EQ(dictionary.AddWordToFile("Cr\u00e8me", 2), std::nullopt);
    TDictionary next;
    EXPECT_TRUE(next.LoadDictionary(path));
    EXPECT_EQ(next.Lookup("caf\u00e9"), 2);
    EXPECT_EQ(next.Lookup("cr\u00e8me"), 2);
}

TEST_F(DictionaryFileTest, ByteOrderMarkIsNotPartOfTheFirstWord) {
    TDictionary dictionary;
    EXPECT_TRUE(dictionary.LoadDictionary(Write("custom.dat", "\xEF\xBB\xBFzebra|2\r\n")));
    EXPECT_EQ(dictionary.Lookup("zebra"), 2);
}

TEST_F(DictionaryFileTest, LongLinesAreSkippedWhole) {
    // Were the line cut at 511 characters, its tail would insert "tail".
    const std::string content = "before|1\n" + std::string(511, 'a') + "tail|3\n" +
                                std::string(100000, 'b') + "|4\n" + std::string(509, 'c') +
                                "|5\nafter|2";
    TDictionary dictionary;
    EXPECT_TRUE(dictionary.LoadDictionary(Write("cuvplus.dat", content)));
    EXPECT_EQ(dictionary.Lookup("before"), 1);
    EXPECT_EQ(dictionary.Lookup("after"), 2);
    EXPECT_EQ(dictionary.Lookup("tail"), -1);
    EXPECT_EQ(dictionary.Lookup(std::string(511, 'a') + "tail"), -1);
    EXPECT_EQ(dictionary.Lookup(std::string(509, 'c')), 5) << "a line of 511 characters fits";
    EXPECT_EQ(dictionary.Size(), 3u);
}

TEST_F(DictionaryFileTest, ControlCharactersStayInsideTheirLine) {
    using namespace std::string_literals;
    const std::string content = "nu\0l|2\nlone\rcr|3\r\ncrlf|4\r\nlast|5\r"s;
    TDictionary dictionary;
    EXPECT_TRUE(dictionary.LoadDictionary(Write("cuvplus.dat", content)));
    EXPECT_EQ(dictionary.Lookup("nu\0l"s), 2);
    EXPECT_EQ(dictionary.Lookup("lone\rcr"), 3);
    EXPECT_EQ(dictionary.Lookup("crlf"), 4);
    EXPECT_EQ(dictionary.Lookup("last"), 5) << "the count is the first character of 5\\r";
}

TEST_F(DictionaryFileTest, RandomBytesLoadOrFailWithAConversionError) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(64 * 1024, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        TDictionary dictionary;
        try {
            EXPECT_TRUE(dictionary.LoadDictionary(Write("random.dat", bytes)));
        } catch (const ConvertError&) {
            EXPECT_FALSE(dictionary.Loaded);
        }
    }
}

// --- where the user file lives --------------------------------------------------

TEST(CustomDictionaryPathTest, BesideTheExecutableWhenThatFolderIsWritable) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    EXPECT_EQ(CustomDictionaryPath(folder + "/"), folder + "/custom.dat");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList())
        << "the writability probe leaves nothing behind";
}

// Points XDG_DATA_HOME into dir/data until the returned guard ends.
auto DataHomeIn(const QTemporaryDir& dir) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
    return qScopeGuard([saved] {
        if (saved.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", saved);
    });
}

// Root can write /usr, but an installed program's user data must not land
// there (as a user who cannot write it, this holds anyway).
TEST(CustomDictionaryPathTest, NeverInASystemFolder) {
    QTemporaryDir dir;
    const auto restore = DataHomeIn(dir);
    const QString perUser = dir.filePath(QStringLiteral("data/Scrivolux/custom.dat"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/lib"), dir.filePath(QStringLiteral("link"))));
    for (const std::string& folder :
         {std::string("/usr/lib/"), std::string("/usr/local/lib"), std::string("/opt"),
          dir.filePath(QStringLiteral("link")).toStdString()})
        EXPECT_EQ(QString::fromStdString(CustomDictionaryPath(folder)), perUser) << folder;
}

TEST(CustomDictionaryPathTest, PerUserFolderOtherwiseMadeOnlyByTheFirstAddition) {
    QTemporaryDir dir;
    const auto restore = DataHomeIn(dir);
    const std::string unwritable = dir.path().toStdString() + "/missing/";
    const std::string path = CustomDictionaryPath(unwritable);

    EXPECT_EQ(QString::fromStdString(path),
              dir.filePath(QStringLiteral("data/Scrivolux/custom.dat")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("data"))))
        << "a run that adds no word leaves no folder behind";
    ASSERT_EQ(AppendToUserDictionary(path, "word", 1), std::nullopt);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(path)).isFile());
}

// --- the generated word list ---------------------------------------------------

TEST(WordListTest, GeneratedListHoldsTheCommonWords) {
    const std::string path = SCRIVOLUX_BIN_DIR "/cuvplus.dat";
    const qint64 size = QFileInfo(QString::fromStdString(path)).size();
    EXPECT_GT(size, 15'000'000);
    EXPECT_LT(size, 25'000'000);

    TDictionary dictionary;
    ASSERT_TRUE(dictionary.LoadDictionary(path));
    EXPECT_TRUE(dictionary.UsesIndex());
    EXPECT_GT(dictionary.Size(), 700'000u);
    EXPECT_LT(dictionary.Size(), 900'000u);

    struct Row {
        const char* word;
        std::int32_t count;
    } const rows[] = {
        {"the", 1},          {"every", 3},
        {"readability", 5},  {"don't", 1},
        {"Don\u2019t", 1},   {"smith's", 1},
        {"smith\u2019s", 1}, {"antidisestablishmentarianism", 12},
        {"colour", 2},       {"overcautiousness", 5},
        {"recolonised", 4},
    };
    for (const Row& row : rows)
        EXPECT_EQ(dictionary.Lookup(row.word), row.count) << row.word;
}

} // namespace

TEST(UserDictionaryFile, AFailedAppendCutsBackOnlyItsOwnLine) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("custom.dat")).toStdString();
    const std::string earlier = "earlier|3\r\n";
    const std::string other = "other|1\r\n";
    {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(earlier.data(), static_cast<qint64>(earlier.size()));
    }
    // Another instance holds the lock and appends while this one waits for it;
    // then this one's write fails part-way, as on a full disk.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    std::optional<WriteFailure> failure;
    std::thread adding([&] { failure = AppendToUserDictionary(path, "newword", 2); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(::write(fd, other.data(), other.size()), static_cast<ssize_t>(other.size()));
    {
        const hostile::FileSizeLimit full(earlier.size() + other.size() + 3);
        ::flock(fd, LOCK_UN);
        adding.join();
    }
    ::close(fd);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, "Cannot add the word to " + path + ": File too large");
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), earlier + other);
}
