#include "dictionary/Dictionary.h"
#include "dictionary/WordIndex.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

namespace {

// A word list with what the text reader must settle: a byte-order mark, the
// same word twice in different case, CR LF and LF, a Windows-1252 line, a line
// without a separator, an over-long line and a count of 10 or more.
const std::string kList = "\xEF\xBB\xBF"
                          "Cat|K AE T|1\r\n"
                          "cat|K AE T|7\n"
                          "caf\xE9|X|2\n"
                          "straße|X|2\n"
                          "3\n" +
                          std::string(600, 'x') + "|1\n" + "antidisestablishmentarianism|X|12\n";

class WordIndexTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // Sets the file's modification time, so that a test need not sleep.
    static void SetModified(const std::string& path, long seconds) {
        const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }

    QTemporaryDir dir_;
};

TEST_F(WordIndexTest, IndexGivesTheSameDictionaryAsTheText) {
    const std::string indexed = Write("indexed.dat", kList);
    const std::string text = Write("text.dat", kList);
    ASSERT_FALSE(TDictionary::WriteIndex(indexed));

    TDictionary fromIndex;
    TDictionary fromText;
    ASSERT_TRUE(fromIndex.LoadDictionary(indexed));
    ASSERT_TRUE(fromText.LoadDictionary(text));
    EXPECT_TRUE(fromIndex.UsesIndex());
    EXPECT_FALSE(fromText.UsesIndex());
    EXPECT_TRUE(fromIndex.Loaded);
    EXPECT_EQ(fromIndex.Size(), fromText.Size());
    for (const char* word :
         {"cat", "CAT", "café", "CAFÉ", "straße", "", "x", "antidisestablishmentarianism", "dog"})
        EXPECT_EQ(fromIndex.Lookup(word), fromText.Lookup(word)) << word;
    EXPECT_EQ(fromIndex.Lookup("cat"), 1);
    EXPECT_EQ(fromIndex.Lookup(""), 3);
    EXPECT_EQ(fromIndex.Lookup("antidisestablishmentarianism"), 12);
}

// Short words stand in their slots and are read and lower-cased a few bytes at
// a time: every length on both sides of 4, 8 and 11 bytes must keep each byte,
// at the front and at the back.
TEST_F(WordIndexTest, EveryWordLengthIsFoundExactly) {
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";
    std::string list;
    for (std::size_t n = 1; n <= 20; ++n)
        list += alphabet.substr(0, n) + "|X|" + std::to_string(n) + "\n";
    const std::string path = Write("lengths.dat", list);
    ASSERT_FALSE(TDictionary::WriteIndex(path));
    TDictionary dictionary;
    ASSERT_TRUE(dictionary.LoadDictionary(path));
    ASSERT_TRUE(dictionary.UsesIndex());

    for (std::size_t n = 1; n <= 20; ++n) {
        const std::string word = alphabet.substr(0, n);
        std::string upper = word;
        for (char& c : upper)
            c = static_cast<char>(c - 'a' + 'A');
        EXPECT_EQ(dictionary.Lookup(word), static_cast<std::int32_t>(n)) << word;
        EXPECT_EQ(dictionary.Lookup(upper), static_cast<std::int32_t>(n)) << upper;
        std::string lastChanged = word;
        lastChanged.back() = '@'; // below 'A': neither a letter nor its case
        EXPECT_EQ(dictionary.Lookup(lastChanged), -1) << lastChanged;
        std::string firstChanged = word;
        firstChanged.front() = '[';
        EXPECT_EQ(dictionary.Lookup(firstChanged), -1) << firstChanged;
        EXPECT_EQ(dictionary.Lookup(word + '\0'), -1) << n;
        EXPECT_EQ(dictionary.Lookup(word.substr(0, n - 1) + "\xC3\x89"), -1) << n; // É
    }
}

TEST_F(WordIndexTest, StaleOrDamagedIndexIsRefusedForTheText) {
    const std::string path = Write("list.dat", "cat|K AE T|1\n");
    SetModified(path, 1'000'000);
    ASSERT_FALSE(TDictionary::WriteIndex(path));
    ASSERT_NE(WordIndex::Open(path), nullptr);

    // Edited in place, same size: only the time tells.
    Write("list.dat", "cat|K AE T|2\n");
    SetModified(path, 1'000'001);
    TDictionary edited;
    ASSERT_TRUE(edited.LoadDictionary(path));
    EXPECT_FALSE(edited.UsesIndex());
    EXPECT_EQ(edited.Lookup("cat"), 2);

    // Back to the old time but another size.
    Write("list.dat", "cat|K AE T|1\ndog|D AO G|1\n");
    SetModified(path, 1'000'000);
    EXPECT_EQ(WordIndex::Open(path), nullptr);

    // An index cut short or overwritten with other bytes is never mapped.
    Write("list.dat", "cat|K AE T|1\n");
    SetModified(path, 1'000'000);
    ASSERT_FALSE(TDictionary::WriteIndex(path));
    const std::string indexPath = WordIndex::PathFor(path);
    QFile index(QString::fromStdString(indexPath));
    ASSERT_TRUE(index.open(QIODevice::ReadWrite));
    const QByteArray whole = index.readAll();
    ASSERT_TRUE(index.resize(whole.size() - 1));
    index.close();
    EXPECT_EQ(WordIndex::Open(path), nullptr);
    Write("list.dat.idx", std::string(static_cast<std::size_t>(whole.size()), '\xFF'));
    EXPECT_EQ(WordIndex::Open(path), nullptr);
    // No index at all: the text as before.
    QFile::remove(QString::fromStdString(indexPath));
    TDictionary plain;
    ASSERT_TRUE(plain.LoadDictionary(path));
    EXPECT_EQ(plain.Lookup("cat"), 1);
}

TEST_F(WordIndexTest, WordsAddedAfterTheIndexCannotOverrideIt) {
    const std::string path = Write("list.dat", "cat|K AE T|1\n");
    ASSERT_FALSE(TDictionary::WriteIndex(path));
    const std::string custom = Write("custom.dat", "CAT|5\r\nzorp|2\r\n");

    TDictionary dictionary;
    ASSERT_TRUE(dictionary.LoadDictionary(path));
    ASSERT_TRUE(dictionary.UsesIndex());
    ASSERT_TRUE(dictionary.LoadCustomDictionary(custom));
    EXPECT_EQ(dictionary.Lookup("cat"), 1);
    EXPECT_EQ(dictionary.Lookup("zorp"), 2);
    dictionary.AddWord("Blick", 1);
    dictionary.AddWord("blick", 4);
    EXPECT_EQ(dictionary.Lookup("blick"), 1);
    EXPECT_EQ(dictionary.Size(), 3u);

    // A dictionary that already holds words reads the text, so they stay first.
    TDictionary earlier;
    earlier.AddWord("cat", 9);
    ASSERT_TRUE(earlier.LoadDictionary(path));
    EXPECT_FALSE(earlier.UsesIndex());
    EXPECT_EQ(earlier.Lookup("cat"), 9);
}

TEST(GeneratedWordListTest, EstimatedWordsAreMarkedAndCmuWordsKeepTheirPronunciation) {
    std::ifstream list(SCRIVOLUX_BIN_DIR "/cuvplus.dat");
    ASSERT_TRUE(list);
    bool sawEstimated = false;
    for (std::string line; std::getline(list, line);) {
        if (line.starts_with("overcautiousness|")) {
            EXPECT_EQ(line, "overcautiousness|ESTIMATED|5");
        }
        if (line.starts_with("cat|")) {
            EXPECT_EQ(line, "cat|K AE T|1");
        }
        sawEstimated = sawEstimated || line.find("|ESTIMATED|") != std::string::npos;
        // Single letters other than "a" and "I" come only from CMU.
        if (line.size() > 1 && line[1] == '|' && line.find("|ESTIMATED|") != std::string::npos)
            ADD_FAILURE() << line;
    }
    EXPECT_TRUE(sawEstimated);
}

} // namespace
