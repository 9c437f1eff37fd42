#include "analysis/SyllableEstimate.h"
#include "dictionary/Dictionary.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct Row {
    const char* word;
    int syllables;
};

// Each row catches one rule (or its exception).
TEST(EstimateByRules, Rules) {
    const Row rows[] = {
        {"the", 1},         // one vowel group, its e sounded
        {"every", 3},       // y as a vowel, the middle e sounded
        {"fire", 2},        // -ire keeps its e
        {"rhythm", 2},      // a syllable without a vowel letter
        {"queue", 1},       // u after q is no vowel
        {"created", 3},     // -ted is a syllable, e-a split
        {"table", 2},       // -le after a consonant
        {"cafe", 2},        // a loan word: the e is sounded
        {"café", 2},        // the accent says so
        {"readability", 5}, // ea together, y a vowel
        {"make", 1},        // silent final e
        {"makes", 1},       // silent e before -s
        {"boxes", 2},       // -es after x
        {"wishes", 2},      // -es after sh
        {"jumped", 1},      // silent e before -d
        {"wanted", 2},      // -ted
        {"lovely", 2},      // silent e before -ly
        {"statement", 2},   // silent e before -ment
        {"yes", 1},         // y before a vowel is a consonant
        {"player", 2},      // y between vowels
        {"lying", 2},       // y before -ing
        {"trial", 2},       // i-a split
        {"nation", 2},      // -tion is one
        {"radio", 3},       // final -io splits
        {"being", 2},       // a vowel before -ing
        {"cruel", 2},       // u-e split
        {"league", 1},      // silent -gue
        {"argue", 2},       // but not after r
        {"language", 2},    // gu before a vowel
        {"basically", 3},   // -ically
        {"criticism", 4},   // -ism
        {"mcdonald", 3},    // Mc
        {"eyebrow", 2},     // eye
        {"rosewood", 2},    // silent e in a compound
        {"boss's", 2},      // possessive after s
        {"cat's", 1},       // possessive after t
        {"Queue", 1},       // case is ignored
        {"don't", 1},       // apostrophe skipped
        {"hmm", 1},         // an interjection without a vowel letter
        {"BBC", 3},         // letters spelled out
        {"www", 9},         // w is double-u
        {"isn't", 2},       // n't after a consonant
        {"doesn’t", 2},     // with a typographic apostrophe
        {"rely", 2},        // the e of a first syllable is sounded before -ly
        {"reassure", 3},    // re- before a vowel
        {"coauthor", 3},    // co- before a vowel
        {"million", 2},     // -llion
        {"amelia", 3},      // final -lia
        {"", 0},            // no letter
        {"'", 0},           // no letter
    };
    for (const Row& row : rows)
        EXPECT_EQ(EstimateSyllablesByRules(row.word), row.syllables) << row.word;
}

// Words without a vowel letter and glued endings: the count must not grow with
// the length of such a "word".
TEST(EstimateByRules, NoSyllablePerLetterOfNoise) {
    const std::string cat = "cat";
    const Row rows[] = {
        {"Hmmmmmmmmmmmm", 1},        // a drawn-out interjection
        {"Zzzzzzzzzzzzzzzzzzzz", 1}, // a drawn-out sound
        {"shh", 1},                  // an interjection
        {"DVD", 3},                  // spelled out
        {"kkk", 3},                  // three of a letter: still spelled out
        {"bcdfghjklmnpqrstvxz", 9},  // no more than "www"
        {"isn'tn't", 2},             // one n't
    };
    for (const Row& row : rows)
        EXPECT_EQ(EstimateSyllablesByRules(row.word), row.syllables) << row.word;
    EXPECT_EQ(EstimateSyllablesByRules(std::string(10'000, 'b')), 1);
    std::string possessives = cat;
    for (int i = 0; i < 30'000; ++i)
        possessives += "'s";
    EXPECT_EQ(EstimateSyllablesByRules(possessives), 2);
}

class EstimateFromDictionary : public ::testing::Test {
protected:
    void SetUp() override {
        for (const Row& row : std::initializer_list<Row>{{"cat", 1},
                                                         {"boss", 1},
                                                         {"horse", 1},
                                                         {"happy", 2},
                                                         {"kind", 1},
                                                         {"make", 1},
                                                         {"run", 1},
                                                         {"create", 2},
                                                         {"stop", 1},
                                                         {"try", 1},
                                                         {"simple", 2},
                                                         {"read", 1},
                                                         {"build", 1},
                                                         {"lock", 1},
                                                         {"sense", 1},
                                                         {"view", 1},
                                                         {"heat", 1}})
            dictionary_.AddWord(row.word, row.syllables);
    }
    TDictionary dictionary_;
};

TEST_F(EstimateFromDictionary, StripsAnEndingOffAKnownStem) {
    const Row rows[] = {
        {"cats", 1},        {"cat's", 1},     {"cats'", 1},    {"boss's", 2},  {"Boss’s", 2},
        {"bosses", 2},      {"horses", 2},    {"horse's", 2},  {"tries", 1},   {"unhappy", 3},
        {"kindness", 2},    {"senseless", 2}, {"making", 2},   {"running", 2}, {"created", 3},
        {"stopped", 1},     {"tried", 1},     {"heated", 2},   {"happily", 3}, {"simply", 2},
        {"readable", 3},    {"rebuild", 2},   {"nonsense", 2}, {"preview", 2}, {"unlocked", 2},
        {"unhappiness", 4},
    };
    for (const Row& row : rows) {
        const auto estimate = EstimateSyllablesFromDictionary(row.word, dictionary_);
        ASSERT_TRUE(estimate.has_value()) << row.word;
        EXPECT_EQ(*estimate, row.syllables) << row.word;
    }
}

TEST_F(EstimateFromDictionary, NeedsAKnownStemOfThreeLetters) {
    for (const char* word : {"", "zyxts", "ring", "unzyxt", "dogs", "s", "'s"})
        EXPECT_FALSE(EstimateSyllablesFromDictionary(word, dictionary_).has_value()) << word;
}

TEST_F(EstimateFromDictionary, TheDictionaryFirstThenStemsThenRules) {
    EXPECT_EQ(EstimateSyllables("happy", dictionary_), 2);
    EXPECT_EQ(EstimateSyllables("unhappy", dictionary_), 3);
    EXPECT_EQ(EstimateSyllables("zyxtorp", dictionary_), EstimateSyllablesByRules("zyxtorp"));
    EXPECT_EQ(dictionary_.Lookup("unhappy"), -1); // nothing is added
}

} // namespace

namespace {

// A batch meets a word again in text after text; the estimate of a spelling
// met before must be the one the rules give it, whatever was met in between:
// words alike but for case, words sharing a long start, words too long to be
// remembered, and the first words again after more words than are remembered.
TEST(EstimateSyllables, TheSpellingsMetBeforeGiveTheRulesAnswer) {
    const TDictionary empty;
    const std::string longWord = "supercalifragilistic" + std::string(60, 'x') + "ation";
    const std::vector<std::string> words = {"BBC",
                                            "bbc",
                                            "Bbc",
                                            "zyxtorple",
                                            "zyxtorplé",
                                            "zyxtorp",
                                            "qwomflabberationist",
                                            "qwomflabberationistic",
                                            longWord,
                                            longWord + "e",
                                            "hmm",
                                            "HMM",
                                            "Mrs",
                                            "mrs"};
    for (int pass = 0; pass < 2; ++pass)
        for (const std::string& word : words)
            EXPECT_EQ(EstimateSyllables(word, empty), EstimateSyllablesByRules(word))
                << word << " (pass " << pass << ')';

    // More spellings than are remembered, then the first ones again.
    for (int i = 0; i < 70'000; ++i) {
        std::string word = "zq" + std::to_string(i);
        for (char& c : word)
            if (c >= '0' && c <= '9')
                c = static_cast<char>('a' + (c - '0') * 2); // a vowel every few letters
        ASSERT_EQ(EstimateSyllables(word, empty), EstimateSyllablesByRules(word)) << word;
    }
    for (const std::string& word : words)
        EXPECT_EQ(EstimateSyllables(word, empty), EstimateSyllablesByRules(word)) << word;
}

// A thread remembers whole estimates too, which read the dictionary: a word the
// dictionary gains, or another dictionary, must not get the earlier answer,
// even from a new dictionary in the same place with as many words.
TEST(EstimateSyllables, RememberedOnlyWhileTheDictionaryIsTheSame) {
    TDictionary dictionary;
    dictionary.AddWord("bake", 1);
    const std::int32_t byRules = EstimateSyllablesByRules("zorblet");
    EXPECT_EQ(EstimateSyllables("zorblet", dictionary), byRules);
    EXPECT_EQ(EstimateSyllables("bakes", dictionary), 1);
    dictionary.AddWord("zorblet", byRules + 3);
    EXPECT_EQ(EstimateSyllables("zorblet", dictionary), byRules + 3);

    for (int round = 0; round < 3; ++round) {
        std::optional<TDictionary> other(std::in_place);
        other->AddWord(round % 2 == 0 ? "zorblet" : "bake", 9);
        EXPECT_EQ(EstimateSyllables("zorblet", *other), round % 2 == 0 ? 9 : byRules) << round;
    }
}

} // namespace
