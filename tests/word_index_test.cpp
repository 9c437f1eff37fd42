#include "dictionary/Dictionary.h"
#include "dictionary/WordIndex.h"
#include "dictionary/WordIndexFormat.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <string>
#include <vector>

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
    static void SetModified(const std::string& path, long seconds, long nanoseconds = 0) {
        const struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }

    static std::string ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
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

    // A word of the index has one entry whatever its case; no other word has
    // it, and a word beyond the index, or a dictionary without one, has none.
    TDictionary::IndexEntry cat;
    TDictionary::IndexEntry upperCat;
    TDictionary::IndexEntry cafe;
    TDictionary::IndexEntry none;
    EXPECT_EQ(fromIndex.Lookup("cat", cat), 1);
    EXPECT_EQ(fromIndex.Lookup("CAT", upperCat), 1);
    EXPECT_EQ(fromIndex.Lookup("CAF\u00c9", cafe), 2);
    EXPECT_NE(cat.index, 0u);
    EXPECT_EQ(upperCat.index, cat.index);
    EXPECT_EQ(upperCat.slot, cat.slot);
    EXPECT_EQ(cafe.index, cat.index);
    EXPECT_NE(cafe.slot, cat.slot);
    EXPECT_LT(cat.slot, cat.slotCount);
    fromIndex.AddWord("dog", 1);
    EXPECT_EQ(fromIndex.Lookup("dog", none), 1);
    EXPECT_EQ(none.index, 0u);
    EXPECT_EQ(fromText.Lookup("cat", none), 1);
    EXPECT_EQ(none.index, 0u);
    // Another index of the same file is another index.
    TDictionary again;
    ASSERT_TRUE(again.LoadDictionary(indexed));
    EXPECT_EQ(again.Lookup("cat", none), 1);
    EXPECT_NE(none.index, cat.index);
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

// Tables of every small size: some words sit past the table's end from their
// home slot and are found only by a probe that wraps round to its start.
TEST_F(WordIndexTest, EveryWordOfListsOfOneTo300WordsIsFound) {
    std::string list;
    for (int words = 1; words <= 300; ++words) {
        list += "word" + std::to_string(words) + (words % 3 ? "" : "-with-a-longer-tail") + "|X|" +
                std::to_string(words % 7) + "\n";
        const std::string path = Write("list" + std::to_string(words) + ".dat", list);
        ASSERT_FALSE(TDictionary::WriteIndex(path));
        TDictionary dictionary;
        ASSERT_TRUE(dictionary.LoadDictionary(path));
        ASSERT_TRUE(dictionary.UsesIndex());
        for (int w = 1; w <= words; ++w) {
            const std::string word =
                "word" + std::to_string(w) + (w % 3 ? "" : "-with-a-longer-tail");
            ASSERT_EQ(dictionary.Lookup(word), w % 7) << word << " in a list of " << words;
        }
        EXPECT_EQ(dictionary.Lookup("word0"), -1);
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

// dpkg and tar keep whole seconds: the installed list matches an index made
// from it at build time, when its time still had a fraction.
TEST_F(WordIndexTest, ATimeCutToTheSecondStillMatches) {
    const std::string path = Write("list.dat", "cat|K AE T|1\n");
    SetModified(path, 1'000'000, 123'456'789);
    ASSERT_FALSE(TDictionary::WriteIndex(path));
    SetModified(path, 1'000'000);
    EXPECT_NE(WordIndex::Open(path), nullptr);
    SetModified(path, 1'000'000, 987'654'321);
    EXPECT_EQ(WordIndex::Open(path), nullptr);
}

// The index is read once into the program's memory: cutting it short or
// copying other bytes over it (a rebuild in place) while the program runs
// neither crashes a lookup nor changes its answer.
TEST_F(WordIndexTest, AnIndexChangedInPlaceCannotReachARunningProgram) {
    const std::string path = Write("list.dat", "cat|K AE T|1\nantidisestablishmentarianism|X|12\n");
    ASSERT_FALSE(TDictionary::WriteIndex(path));
    TDictionary dictionary;
    ASSERT_TRUE(dictionary.LoadDictionary(path));
    ASSERT_TRUE(dictionary.UsesIndex());

    const std::string indexPath = WordIndex::PathFor(path);
    ASSERT_EQ(::truncate(indexPath.c_str(), 0), 0);
    EXPECT_EQ(dictionary.Lookup("cat"), 1);
    EXPECT_EQ(dictionary.Lookup("antidisestablishmentarianism"), 12);
    Write("list.dat.idx", std::string(4096, '\x07'));
    EXPECT_EQ(dictionary.Lookup("cat"), 1);
    EXPECT_EQ(dictionary.Lookup("dog"), -1);

    // Our own writer replaces the file by rename, never in place.
    struct stat before {};
    struct stat after {};
    ASSERT_EQ(::stat(indexPath.c_str(), &before), 0);
    ASSERT_FALSE(TDictionary::WriteIndex(path));
    ASSERT_EQ(::stat(indexPath.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
}

// A FIFO in the index's place must not stop the start-up: the text is read.
TEST_F(WordIndexTest, AFifoInPlaceOfTheIndexDoesNotBlock) {
    const std::string path = Write("list.dat", "cat|K AE T|1\n");
    const std::string fifo = WordIndex::PathFor(path);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto lookup = std::async(std::launch::async, [&path] {
        TDictionary dictionary;
        dictionary.LoadDictionary(path);
        return std::make_pair(dictionary.UsesIndex(), dictionary.Lookup("cat"));
    });
    if (lookup.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
        ADD_FAILURE() << "opening a FIFO index blocks";
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK)); // lets the reader go on
    }
    EXPECT_EQ(lookup.get(), std::make_pair(false, 1));
}

// Damage behind a sound header: a block of other bytes, a count edited, and a
// count the text reader could never give (sealed with a fresh checksum, so
// that only the slot check can catch it).
TEST_F(WordIndexTest, DamageBehindASoundHeaderIsRefused) {
    const std::string path = Write("list.dat", "cat|K AE T|1\ndog|D AO G|1\nhorse|X|1\n");
    ASSERT_FALSE(TDictionary::WriteIndex(path));
    const std::string good = ReadAll(WordIndex::PathFor(path));
    ASSERT_NE(WordIndex::Open(path), nullptr);
    // The count of the first word's slot.
    std::size_t count = sizeof(word_index::Header) + word_index::kCountOffset;
    while (good.compare(count - word_index::kCountOffset, 8, std::string(8, '\0')) == 0)
        count += word_index::kSlotSize;

    const auto withCount = [&](std::int32_t value, bool seal) {
        std::string bytes = good;
        std::memcpy(bytes.data() + count, &value, 4);
        if (seal) {
            const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
            const std::uint64_t sum = word_index::Checksum(
                data + word_index::kChecksumStart, bytes.size() - word_index::kChecksumStart);
            std::memcpy(bytes.data() + offsetof(word_index::Header, checksum), &sum, 8);
        }
        return bytes;
    };
    std::string randomSlots = good;
    for (std::size_t at = sizeof(word_index::Header); at < randomSlots.size(); ++at)
        randomSlots[at] = static_cast<char>(at * 131 + 7);
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"other slot bytes", randomSlots},
        {"a count edited", withCount(5, false)},
        {"a negative count", withCount(-5, true)},
        {"the lowest count", withCount(INT32_MIN, true)},
    };
    Write("list.dat.idx", withCount(7, true));
    ASSERT_NE(WordIndex::Open(path), nullptr) << "a sealed count that the text could give";
    for (const auto& row : rows) {
        Write("list.dat.idx", row.bytes);
        TDictionary dictionary;
        ASSERT_TRUE(dictionary.LoadDictionary(path));
        EXPECT_FALSE(dictionary.UsesIndex()) << row.name;
        EXPECT_EQ(dictionary.Lookup("cat"), 1) << row.name;
    }
}

// Loading reads only the index's header; the rest is checked at the first use
// of the words, whatever that use is, and a damaged index then gives way to its
// text list as a whole: the list's words first, the user's after them.
TEST_F(WordIndexTest, DamageFoundAtTheFirstUseGivesTheTextsWords) {
    const std::string path = Write("list.dat", "cat|K AE T|1\ndog|D AO G|1\nhorse|X|2\n");
    ASSERT_FALSE(TDictionary::WriteIndex(path));
    const std::string good = ReadAll(WordIndex::PathFor(path));
    std::string damaged = good;
    damaged.back() = static_cast<char>(damaged.back() ^ 1); // the checksum no longer matches
    const std::string custom = Write("custom.dat", "CAT|5\nzorp|2\n");

    const struct {
        const char* name;
        std::function<void(TDictionary&)> firstUse;
    } uses[] = {
        {"a lookup", [](TDictionary& d) { EXPECT_EQ(d.Lookup("horse"), 2); }},
        {"an origin", [](TDictionary& d) { EXPECT_EQ(d.Origin("Dog"), WordOrigin::WordList); }},
        {"the size", [](TDictionary& d) { EXPECT_EQ(d.Size(), 3u); }},
        {"a word added", [](TDictionary& d) { d.AddWord("cat", 8); }},
        {"the user dictionary",
         [&custom](TDictionary& d) { ASSERT_TRUE(d.LoadCustomDictionary(custom)); }},
    };
    for (const bool sound : {true, false}) {
        Write("list.dat.idx", sound ? good : damaged);
        for (const auto& use : uses) {
            SCOPED_TRACE(std::string(use.name) + (sound ? ", sound index" : ", damaged index"));
            TDictionary dictionary;
            ASSERT_TRUE(dictionary.LoadDictionary(path));
            EXPECT_TRUE(dictionary.HoldsWords());
            use.firstUse(dictionary);
            EXPECT_EQ(dictionary.UsesIndex(), sound);
            EXPECT_EQ(dictionary.Lookup("cat"), 1);
            EXPECT_EQ(dictionary.Origin("cat"), WordOrigin::WordList);
            EXPECT_EQ(dictionary.Lookup("horse"), 2);
            EXPECT_EQ(dictionary.Lookup("zebra"), -1);
        }
    }
    // The user's words stay the user's after the list was read in the index's place.
    TDictionary dictionary;
    ASSERT_TRUE(dictionary.LoadDictionary(path));
    ASSERT_TRUE(dictionary.LoadCustomDictionary(custom));
    EXPECT_EQ(dictionary.Origin("zorp"), WordOrigin::UserDictionary);
    EXPECT_EQ(dictionary.Size(), 4u);
}

// Threads that share a dictionary (the Python module's) meet its first use
// together: one checks, the others wait for it and see the same words.
TEST_F(WordIndexTest, ThreadsMeetingTheFirstUseAllSeeTheTextsWords) {
    std::string list;
    for (int w = 0; w < 2000; ++w)
        list += "word" + std::to_string(w) + "|X|" + std::to_string(w % 9) + "\n";
    const std::string path = Write("list.dat", list);
    ASSERT_FALSE(TDictionary::WriteIndex(path));
    std::string damaged = ReadAll(WordIndex::PathFor(path));
    damaged[sizeof(word_index::Header) + 5] ^= 0x40;
    Write("list.dat.idx", damaged);
    TDictionary dictionary;
    ASSERT_TRUE(dictionary.LoadDictionary(path));
    std::vector<std::future<int>> wrong;
    for (int t = 0; t < 8; ++t)
        wrong.push_back(std::async(std::launch::async, [&dictionary, t] {
            int misses = 0;
            for (int w = t; w < 2000; w += 3)
                misses += dictionary.Lookup("word" + std::to_string(w)) != w % 9;
            return misses;
        }));
    for (auto& misses : wrong)
        EXPECT_EQ(misses.get(), 0);
    EXPECT_FALSE(dictionary.UsesIndex());
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
        // No word has no syllable; interjections and Welsh words whose w is
        // the vowel are no abbreviations to spell out, but www is.
        if (line.ends_with("|0"))
            ADD_FAILURE() << line;
        for (const char* word : {"hmm|", "shh|", "mm|", "crwth|", "cwm|", "brr|"}) {
            if (line.starts_with(word) && !line.ends_with("|1"))
                ADD_FAILURE() << line;
        }
        if (line.starts_with("www|") && line.ends_with("|1"))
            ADD_FAILURE() << line;
        // Single letters other than "a" and "I" come only from CMU.
        if (line.size() > 1 && line[1] == '|' && line.find("|ESTIMATED|") != std::string::npos)
            ADD_FAILURE() << line;
    }
    EXPECT_TRUE(sawEstimated);
}

} // namespace

namespace {

// The index's bytes with its checksum made to match them again.
std::string Sealed(std::string bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint64_t sum = word_index::Checksum(data + word_index::kChecksumStart,
                                                   bytes.size() - word_index::kChecksumStart);
    std::memcpy(bytes.data() + offsetof(word_index::Header, checksum), &sum, 8);
    return bytes;
}

} // namespace

// Each kind of slot must look exactly as the writer lays it out, even when the
// checksum has been made to match: the check at the first use finds a byte of
// padding, a first byte that is no length, a count in an empty slot, and a long
// word's length or place that the text cannot hold.
TEST_F(WordIndexTest, EveryKindOfSlotIsCheckedToTheByte) {
    const std::string path = Write("list.dat", "cat|K AE T|1\nantidisestablishmentarianism|X|12\n");
    ASSERT_FALSE(TDictionary::WriteIndex(path));
    const std::string good = ReadAll(WordIndex::PathFor(path));
    word_index::Header header;
    std::memcpy(&header, good.data(), sizeof header);
    const WordListStamp stamp{header.sourceSize, header.sourceModifiedSeconds,
                              header.sourceModifiedNanoseconds};
    // Where the slot whose first byte is `first` starts.
    const auto slotOf = [&](unsigned char first) {
        for (std::size_t at = sizeof header; at < sizeof header + header.slotCount * 16; at += 16) {
            if (static_cast<unsigned char>(good[at]) == first)
                return at;
        }
        ADD_FAILURE() << "no slot starts with " << int{first};
        return sizeof header;
    };
    const std::size_t cat = slotOf(3);
    const std::size_t other = slotOf(0xFF);
    const std::size_t empty = slotOf(0);
    const auto with = [&](std::size_t at, std::string_view bytes) {
        std::string changed = good;
        changed.replace(at, bytes.size(), bytes);
        return Sealed(changed);
    };
    const auto with32 = [&](std::size_t at, std::uint32_t value) {
        return with(at, std::string_view(reinterpret_cast<const char*>(&value), 4));
    };
    ASSERT_NE(WordIndex::FromBytes(Sealed(good), stamp), nullptr);
    ASSERT_NE(WordIndex::FromBytes(with32(cat + 12, 5), stamp), nullptr) << "another sound count";
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"the first byte of padding", with(cat + 4, "s")},
        {"the last byte of padding", with(cat + 11, "s")},
        {"a first byte past the short words", with(cat, "\x0C")},
        {"a count in an empty slot", with32(empty + 12, 1)},
        {"a long word past the text",
         with32(other + 8, static_cast<std::uint32_t>(header.textSize))},
        {"a long word of a short word's length", with32(other + 4, 11)},
        {"a long word that ends past the text",
         with32(other + 4, static_cast<std::uint32_t>(header.textSize) + 1)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(WordIndex::FromBytes(row.bytes, stamp), nullptr) << row.name;
}
