#include "analysis/AnalysisPipeline.h"
#include "analysis/FamiliarWords.h"
#include "analysis/PassageDetails.h"
#include "dictionary/Dictionary.h"
#include "dictionary/UserDictionary.h"
#include "report/FryGraph.h"
#include "report/ReadabilityIndices.h"
#include "report/Verdict.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <map>

namespace {

double Value(const ExtraIndexValues& values, ExtraIndex index) {
    const auto& value = values[static_cast<std::size_t>(index)];
    EXPECT_TRUE(value.has_value());
    return value.value_or(NAN);
}

TEST(ExtraIndices, PublishedFormulasOnKnownCounts) {
    // 100 words, 5 sentences, 130 syllables; 450 letters, 20 long words,
    // 10 words of three or more syllables, 70 of one.
    const AnalysisCounts counts{130, 100, 10, 5};
    const IndexCounts more{450, 20, 10, 70};
    const ExtraIndexValues v = ComputeExtraIndices(counts, more);
    EXPECT_NEAR(Value(v, ExtraIndex::Smog), 1.0430 * std::sqrt(60.0) + 3.1291, 1e-12);
    EXPECT_NEAR(Value(v, ExtraIndex::Smog), 11.2081, 1e-4);
    EXPECT_NEAR(Value(v, ExtraIndex::ColemanLiau), 9.18, 1e-9);
    EXPECT_NEAR(Value(v, ExtraIndex::AutomatedReadability), 9.765, 1e-9);
    EXPECT_NEAR(Value(v, ExtraIndex::Lix), 40, 1e-9);
    EXPECT_NEAR(Value(v, ExtraIndex::Forcast), 9.5, 1e-9);
    EXPECT_EQ(IndexText(v[static_cast<std::size_t>(ExtraIndex::Smog)]), "11.21");
}

// "1234 5678." counts one sentence and no word: no index gives a grade.
TEST(ExtraIndices, NoWordsNoGrade) {
    for (const AnalysisCounts& counts : {AnalysisCounts{0, 0, 0, 1}, AnalysisCounts{}}) {
        const ExtraIndexValues v = ComputeExtraIndices(counts, IndexCounts{});
        for (std::size_t i = 0; i < kExtraIndices; ++i)
            EXPECT_FALSE(v[i].has_value()) << kExtraIndexInfo[i].key;
    }
}

// Values worked out by hand from the published constants.
TEST(ExtraIndices, GradeFormulasOnKnownCounts) {
    struct Case {
        const char* name;
        AnalysisCounts counts; // syllables, words, difficult words, sentences
        IndexCounts more; // letters, long, poly, mono, mini, off Dale-Chall, off Spache, unique
        double daleChall, spache, eflaw, linsear;
    };
    const Case cases[] = {
        // 8 % unfamiliar: 0.1579 * 8 + 0.0496 * 20 + 3.6365; r = (90 + 30) / 5 = 24 > 20.
        {"typical", {130, 100, 10, 5}, {450, 20, 10, 70, 30, 8, 20, 12}, 5.8917, 4.063, 26, 12},
        // Exactly 5 % unfamiliar adds nothing; r = 20 is not above 20: (20 - 2) / 2.
        {"at both cut-offs", {100, 100, 0, 5}, {400, 0, 0, 100, 50, 5, 0}, 1.7815, 3.079, 30, 9},
        // Just above: 6 % adds 3.6365; r = 101 / 5 = 20.2 gives 10.1.
        {"just above",
         {101, 101, 0, 5},
         {404, 0, 0, 101, 0, 6, 0},
         // 0.1579 * 600 / 101 + 1.00192 + 3.6365; 0.121 * 20.2 + 0.659.
         5.57643980198,
         3.1032,
         20.2,
         10.1},
        // The cat sat on the mat. It was happy. 9 words, 8 of three letters or fewer.
        {"short sentences",
         {10, 9, 0, 2},
         {27, 0, 0, 8, 8, 0, 3, 1},
         0.2232,
         2.11461111111, // 0.5445 + 8.2 / 9 + 0.659
         8.5,
         1.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ExtraIndexValues v = ComputeExtraIndices(c.counts, c.more);
        EXPECT_NEAR(Value(v, ExtraIndex::DaleChall), c.daleChall, 1e-9);
        EXPECT_NEAR(Value(v, ExtraIndex::Spache), c.spache, 1e-9);
        EXPECT_NEAR(Value(v, ExtraIndex::McAlpineEflaw), c.eflaw, 1e-9);
        EXPECT_NEAR(Value(v, ExtraIndex::LinsearWrite), c.linsear, 1e-9);
    }
}

TEST(ExtraIndices, ConsensusIsTheMedianOfSixGradesWithTheirRange) {
    // FK 7.55, Fog 12, SMOG 11.2081, Coleman-Liau 9.18, ARI 9.765, Linsear 12.
    const AnalysisCounts counts{130, 100, 10, 5};
    const IndexCounts more{450, 20, 10, 70, 30, 8, 12};
    const double smog = 1.0430 * std::sqrt(60.0) + 3.1291;
    EXPECT_NEAR(Value(ComputeExtraIndices(counts, more), ExtraIndex::Consensus), (9.765 + smog) / 2,
                1e-9);
    const auto range = ConsensusRange(counts, more);
    ASSERT_TRUE(range);
    EXPECT_NEAR(range->low, 7.55, 1e-9);
    EXPECT_NEAR(range->high, 12, 1e-9);
    // Linsear Write the lowest: FK 6.01, Fog 4.4, SMOG 8.84, CL 10.64, ARI 7.12,
    // Linsear 4.1 give the median (6.01 + 7.12) / 2 of all six.
    const AnalysisCounts easy{150, 100, 1, 10};
    const IndexCounts easyMore{500, 0, 10, 0};
    EXPECT_NEAR(Value(ComputeExtraIndices(easy, easyMore), ExtraIndex::Consensus), 6.565, 1e-9);
    EXPECT_NEAR(ConsensusRange(easy, easyMore)->low, 4.1, 1e-9);
    EXPECT_FALSE(ConsensusRange({3, 3, 0, 0}, {}));
    EXPECT_FALSE(
        ComputeExtraIndices({3, 3, 0, 0}, {})[static_cast<std::size_t>(ExtraIndex::Consensus)]);
}

TEST(ExtraIndices, DaleChallScoresReadAsGradeBands) {
    const struct {
        double score;
        const char* band;
        int top;
    } cases[] = {{0.2, "4 and below", 4},   {4.99, "4 and below", 4}, {5.0, "5-6", 6},
                 {5.99, "5-6", 6},          {6.0, "7-8", 8},          {7.5, "9-10", 10},
                 {8.0, "11-12", 12},        {9.99, "13-15", 15},      {10.0, "16 and above", 16},
                 {14.2, "16 and above", 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.score);
        EXPECT_EQ(DaleChallGradeBand(c.score), c.band);
        EXPECT_EQ(DaleChallTopGrade(c.score), c.top);
    }
}

TEST(FamiliarWords, ListedWordsAndTheirRegularEndings) {
    EXPECT_EQ(FamiliarListSize(FamiliarList::DaleChall), 2942u);
    EXPECT_EQ(FamiliarListSize(FamiliarList::Spache), 1063u);
    const struct {
        const char* word;
        bool daleChall;
        bool spache;
    } cases[] = {
        {"cat", true, true},        {"cats", true, true},    {"cat's", true, true},
        {"cat\u2019s", true, true}, {"boxes", true, true},   {"jumped", true, true},
        {"named", true, true},      {"going", true, true},   {"taller", true, true},
        {"tallest", true, true},    {"carried", true, true}, {"babies", true, true},
        {"baby", false, true},      {"unhappy", true, true}, {"jumpeds", false, false},
        {"quixotic", false, false}, {"s", false, true},      {"", false, false},
        {"mr", true, false},        {"mrs.", true, false},   {"cat.", true, true},
        {".", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(IsFamiliarWord(c.word, FamiliarList::DaleChall), c.daleChall);
        EXPECT_EQ(IsFamiliarWord(c.word, FamiliarList::Spache), c.spache);
    }
}

// The lookups stop early for a word longer than any entry, compare words of
// up to 16 bytes as integers and build the stems with a full stop or a y
// on the stack (on the heap past 63 bytes): the longest entries with their
// endings, and long words that only look like listed ones.
TEST(FamiliarWords, TheLongestEntriesAndLongWords) {
    const std::string longWord(70, 'k');
    const struct {
        std::string word;
        bool daleChall;
        bool spache;
    } cases[] = {
        {"grandchildren", true, false},   // the longest entry (13 bytes)
        {"grandchildren's", true, false}, // 15 bytes, its stem the longest
        {"grandchildrens.", true, false}, // the stop, then the ending
        {"neighborhoods", true, true},    // the Spache list's longest, with an ending
        {"grandchildrenx", false, false}, // one byte past the longest
        {"grandchildre", false, false},   // one byte short of it
        {longWord + "ies", false, false}, // its stem built on the heap
        {longWord + ".", false, false},   // and without its stop
        {std::string(62, 'x') + "ies", false, false},
        {"ladies", true, true},       // "lady"
        {"mr", true, false},          // "mr." built from it
        {"aren\u2019t", true, false}, // the typographic apostrophe
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(IsFamiliarWord(c.word, FamiliarList::DaleChall), c.daleChall);
        EXPECT_EQ(IsFamiliarWord(c.word, FamiliarList::Spache), c.spache);
    }
}

TEST(LineStarts, EveryKindOfLineBreakStartsALineInThePassage) {
    const std::string text = "ab\ncd\r\nef\rg\xE2\x80\xA8h\n";
    const std::vector<std::size_t> starts = LineStartsOfText(text);
    EXPECT_EQ(starts, (std::vector<std::size_t>{0, 3, 6, 9, 11}));
    const std::string passage = PassageOfText(text);
    for (std::size_t line = 0; line < starts.size(); ++line)
        EXPECT_EQ(LineAtOffset(starts, starts[line]), static_cast<std::int32_t>(line + 1));
    EXPECT_EQ(passage.substr(starts[4], 1), "h");
    EXPECT_EQ(LineAtOffset(starts, 2), 1);
    EXPECT_EQ(LineStartsOfText(""), std::vector<std::size_t>{0});
}

TEST(ExtraIndices, ZeroDivisorsGiveNoValue) {
    const ExtraIndexValues none = ComputeExtraIndices({}, {});
    for (const auto& value : none)
        EXPECT_FALSE(value.has_value());
    EXPECT_EQ(IndexText(none[0]), "----");
    // A value that rounds to zero from below shows no minus sign.
    EXPECT_EQ(IndexText(-0.004), "0.00");
    EXPECT_EQ(IndexText(-0.0), "0.00");
    EXPECT_EQ(IndexText(-0.006), "-0.01");

    // Words but no sentences: only the indices that divide by words alone.
    const ExtraIndexValues noSentences = ComputeExtraIndices({3, 3, 0, 0}, {12, 0, 0, 3});
    EXPECT_FALSE(noSentences[static_cast<std::size_t>(ExtraIndex::Smog)]);
    EXPECT_FALSE(noSentences[static_cast<std::size_t>(ExtraIndex::AutomatedReadability)]);
    EXPECT_FALSE(noSentences[static_cast<std::size_t>(ExtraIndex::Lix)]);
    EXPECT_NEAR(Value(noSentences, ExtraIndex::ColemanLiau), 0.0588 * 400 - 15.8, 1e-9);
    EXPECT_NEAR(Value(noSentences, ExtraIndex::Forcast), 5, 1e-9);
}

TEST(FryPicture, ExamplePointLandsOnItsPixelAndReadsGrade7) {
    const FryReading reading = ReadFryGraph(141, 6.3);
    ASSERT_EQ(reading.region, FryRegion::Zone);
    EXPECT_EQ(reading.zone, 7);
    const FryPixel pixel = FryPixelOf({141, reading.row});
    // 141 is 33 of the frame's 66 syllables: the middle of 78..782.
    EXPECT_DOUBLE_EQ(pixel.x, 430);
    // Row 33 - 100/6.3 = 17.127 of 29, from the bottom of 74..528.
    EXPECT_NEAR(pixel.y, 74 + (29 - (33 - 100 / 6.3)) * 454 / 29, 1e-9);
    EXPECT_NEAR(pixel.y, 259.87, 0.01);
    EXPECT_DOUBLE_EQ(FryPixelOf({108, 29}).x, 78);
    EXPECT_DOUBLE_EQ(FryPixelOf({174, 0}).y, 528);
    EXPECT_EQ(FryGradeText(reading), "grade 7");
    EXPECT_EQ(FryGradeText(ReadFryGraph(180, 6)), "off the graph");
    EXPECT_EQ(FryGradeText(std::nullopt), "");
}

class PassageDetailsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        Write("words.dat", "the|1\r\ncat|1\r\nsat|1\r\nbeautiful|3\r\nelephants|3\r\nare|1\r\n"
                           "enormous|3\r\nmat|1\r\non|1\r\nanimal|3\r\nanimals|3\r\n");
        Write("custom.dat", "zebra|2\r\nmat|5\r\n");
        ASSERT_TRUE(dictionary_.LoadDictionary(Path("words.dat")));
        ASSERT_TRUE(dictionary_.LoadCustomDictionary(Path("custom.dat")));
    }
    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }
    void Write(const char* name, const char* text) {
        QFile file(dir_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    // The details must agree with the counting passes run the same way.
    PassageDetails Analyse(const std::string& text, const UnknownWordHandler& handler,
                           WordSource source) {
        const WorkingTexts texts = PrepareText(std::string(text));
        UnknownWordLog log;
        NoProgress progress;
        const AnalysisCounts counts =
            CountTexts(texts, dictionary_, log.Recording(handler, source), progress);
        PassageDetails details = BuildPassageDetails(texts, dictionary_, log);
        EXPECT_EQ(details.counts.syllables, counts.syllables);
        EXPECT_EQ(details.counts.words, counts.words);
        EXPECT_EQ(details.counts.sentences, counts.sentences);
        EXPECT_EQ(details.counts.difficultWords, counts.difficultWords);
        std::int32_t sentenceWords = 0;
        for (const SentenceDetails& s : details.sentences)
            sentenceWords += s.words;
        EXPECT_EQ(sentenceWords, counts.words);
        // The cheap pass that JSON uses must count exactly what the details count,
        // on one thread and cut in two at the middle.
        for (const std::size_t parallelFrom : {std::size_t{1} << 20, std::size_t{1}}) {
            SCOPED_TRACE(parallelFrom);
            const IndexCounts cheap = CountIndexWords(texts, dictionary_, log, parallelFrom);
            const IndexCounts& full = details.indexCounts;
            EXPECT_EQ(cheap.letters, full.letters);
            EXPECT_EQ(cheap.longWords, full.longWords);
            EXPECT_EQ(cheap.polysyllables, full.polysyllables);
            EXPECT_EQ(cheap.monosyllables, full.monosyllables);
            EXPECT_EQ(cheap.miniWords, full.miniWords);
            EXPECT_EQ(cheap.daleChallUnfamiliar, full.daleChallUnfamiliar);
            EXPECT_EQ(cheap.spacheUnfamiliar, full.spacheUnfamiliar);
            EXPECT_EQ(cheap.spacheUnfamiliarUnique, full.spacheUnfamiliarUnique);
        }
        return details;
    }
    const WordRow* Row(const PassageDetails& details, const std::string& word,
                       WordSource source) const {
        for (const WordRow& row : details.words)
            if (row.word == word && row.source == source)
                return &row;
        return nullptr;
    }

    QTemporaryDir dir_;
    TDictionary dictionary_;
};

TEST_F(PassageDetailsTest, SourcesOfCounts) {
    // "mat" is in both files: the word list's count wins, and so does its source.
    std::map<std::string, int> asked;
    const UnknownWordHandler estimate = [&](const std::string& word, TDictionary&) {
        ++asked[word];
        return 4;
    };
    const PassageDetails d =
        Analyse("The cat sat on the Mat. Zebra qwzzle! qwzzle", estimate, WordSource::Estimated);
    ASSERT_NE(Row(d, "mat", WordSource::WordList), nullptr);
    EXPECT_EQ(Row(d, "mat", WordSource::WordList)->syllables, 1);
    ASSERT_NE(Row(d, "zebra", WordSource::UserDictionary), nullptr);
    const WordRow* unknown = Row(d, "qwzzle", WordSource::Estimated);
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->occurrences, 2);
    EXPECT_EQ(unknown->syllables, 4);
    const WordRow* the = Row(d, "the", WordSource::WordList);
    ASSERT_NE(the, nullptr);
    EXPECT_EQ(the->occurrences, 2); // case folded
    EXPECT_EQ(d.counts.sentences, 3);

    // No handler: the word is counted as 0 and shown as ignored.
    const PassageDetails plain = Analyse("qwzzle cat", {}, WordSource::Typed);
    ASSERT_NE(Row(plain, "qwzzle", WordSource::Ignored), nullptr);
}

TEST_F(PassageDetailsTest, IndexCountsFollowAnAnswerThenTheDictionaryOnBothThreads) {
    // Asked once (4 syllables), then found in the dictionary (1): the halves
    // cannot be counted apart, and the one-thread order must hold.
    UnknownWordLog log;
    log.Record("Blorft", 4, WordSource::Typed);
    dictionary_.AddWord("blorft", 1);
    EXPECT_FALSE(log.OneCountPerWord(dictionary_));
    const WorkingTexts texts = PrepareText("Blorft the cat blorft.");
    for (const std::size_t parallelFrom : {std::size_t{1} << 20, std::size_t{1}}) {
        const IndexCounts counts = CountIndexWords(texts, dictionary_, log, parallelFrom);
        EXPECT_EQ(counts.polysyllables, 1) << parallelFrom;
        EXPECT_EQ(counts.monosyllables, 3) << parallelFrom;
    }
}

TEST_F(PassageDetailsTest, IgnoredFirstThenTypedGivesTwoRowsThatAddUp) {
    // As the dialog does: "ignore" adds nothing, so the word is asked again; a
    // count given later is added in memory and found from then on.
    int calls = 0;
    const UnknownWordHandler dialog = [&](const std::string& word, TDictionary& dictionary) {
        if (++calls == 1)
            return 0;
        dictionary.AddWord(word, 3);
        return 3;
    };
    const PassageDetails d =
        Analyse("Blorft the cat. Blorft on, blorft. Blorft.", dialog, WordSource::Typed);
    EXPECT_EQ(calls, 2);
    const WordRow* ignored = Row(d, "blorft", WordSource::Ignored);
    const WordRow* typed = Row(d, "blorft", WordSource::Typed);
    ASSERT_TRUE(ignored && typed);
    EXPECT_EQ(ignored->occurrences, 1);
    EXPECT_EQ(typed->occurrences, 3);
    EXPECT_EQ(d.counts.difficultWords, 3);
}

TEST_F(PassageDetailsTest, EditingACountRecountsFiguresAndSentences) {
    PassageDetails d = Analyse("Zebra on the mat. The zebra sat, zebra!", {}, WordSource::Typed);
    ASSERT_EQ(d.sentences.size(), 2u);
    EXPECT_EQ(d.counts.syllables, 2 + 1 + 1 + 1 + 1 + 2 + 1 + 2);
    EXPECT_EQ(d.counts.difficultWords, 0);
    EXPECT_EQ(d.indexCounts.monosyllables, 5);
    std::size_t zebra = 0;
    while (d.words[zebra].word != "zebra")
        ++zebra;
    SetWordSyllables(d, zebra, 3);
    EXPECT_EQ(d.counts.syllables, 14);
    EXPECT_EQ(d.counts.difficultWords, 3);
    EXPECT_EQ(d.indexCounts.polysyllables, 3);
    EXPECT_EQ(d.sentences[0].difficultWords, 1);
    EXPECT_EQ(d.sentences[1].difficultWords, 2);
    // The sentence grades and the sentences to shorten first read these.
    EXPECT_EQ(d.sentences[0].syllables, 3 + 1 + 1 + 1);
    EXPECT_EQ(d.sentences[1].syllables, 1 + 3 + 1 + 3);
    SetWordSyllables(d, zebra, 1);
    EXPECT_EQ(d.indexCounts.monosyllables, 8);
    EXPECT_EQ(d.counts.difficultWords, 0);
    EXPECT_EQ(MostDifficultSentences(d, 20).size(), 0u);
}

TEST_F(PassageDetailsTest, CutOffsOfLongWordsAndMonosyllables) {
    // Six letters is not long, seven is; an ignored word (0 syllables) is no
    // monosyllable, one of one syllable is. Both passes must agree (Analyse).
    PassageDetails d = Analyse("Animal animals qwzzle cat.", {}, WordSource::Typed);
    EXPECT_EQ(d.indexCounts.longWords, 1);
    EXPECT_EQ(d.indexCounts.miniWords, 1);
    EXPECT_EQ(d.indexCounts.monosyllables, 1);
    ExtraIndexValues v = ComputeExtraIndices(d.counts, d.indexCounts);
    EXPECT_NEAR(Value(v, ExtraIndex::Lix), 4.0 / 1 + 100.0 * 1 / 4, 1e-9);
    EXPECT_NEAR(Value(v, ExtraIndex::Forcast), 20 - (1 * 150.0 / 4) / 10, 1e-9);

    std::size_t qwzzle = 0;
    while (d.words[qwzzle].word != "qwzzle")
        ++qwzzle;
    SetWordSyllables(d, qwzzle, 1);
    EXPECT_EQ(d.indexCounts.monosyllables, 2);
    SetWordSyllables(d, qwzzle, 0);
    EXPECT_EQ(d.indexCounts.monosyllables, 1);
}

TEST_F(PassageDetailsTest, LettersLongWordsAndIndicesFromText) {
    // Letters: 3+3+3 + 9+9+3+8 = 38; long words (over 6): beautiful, elephants,
    // enormous; apostrophes and digits are no letters.
    const PassageDetails d =
        Analyse("The cat sat. Beautiful elephants are enormous.", {}, WordSource::Typed);
    EXPECT_EQ(d.indexCounts.letters, 38);
    EXPECT_EQ(d.indexCounts.longWords, 3);
    EXPECT_EQ(d.indexCounts.polysyllables, 3);
    EXPECT_EQ(d.indexCounts.monosyllables, 4);
    const ExtraIndexValues v = ComputeExtraIndices(d.counts, d.indexCounts);
    EXPECT_NEAR(Value(v, ExtraIndex::Lix), 7.0 / 2 + 300.0 / 7, 1e-9);
    EXPECT_NEAR(Value(v, ExtraIndex::AutomatedReadability), 4.71 * 38 / 7 + 0.5 * 7 / 2 - 21.43,
                1e-9);
    EXPECT_EQ(CountLetters("don't"), 4);
    EXPECT_EQ(CountLetters("Straße"), 6);
    EXPECT_EQ(CountLetters("élan"), 4);
    // Short ASCII words are counted eight bytes at a time: every byte next to
    // the letters' ranges, at every length across the steps.
    for (int c = 1; c < 128; ++c) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        for (const std::size_t n : {1u, 3u, 4u, 7u, 8u, 9u, 15u, 16u, 17u}) {
            const std::string word = std::string(n - 1, 'x') + static_cast<char>(c);
            ASSERT_EQ(CountLetters(word), static_cast<std::int32_t>(n - 1 + letter))
                << c << " " << n;
            ASSERT_EQ(CountLetters(std::string(n, static_cast<char>(c))),
                      letter ? static_cast<std::int32_t>(n) : 0)
                << c << " " << n;
        }
    }
}

TEST_F(PassageDetailsTest, PositionsCountUtf16UnitsOfTheTextArea) {
    // "é" is two bytes and one unit; the emoji four bytes and two units; the
    // passage's space after the first line stands for its line break.
    const PassageDetails d = Analyse("café \xF0\x9F\x98\x80 cat\nthe mat", {}, WordSource::Typed);
    ASSERT_EQ(d.occurrences.size(), 5u);
    const TextSpan cat = d.occurrences[2].span;
    EXPECT_EQ(cat.offset, 11u);
    EXPECT_EQ(cat.position, 8u);
    EXPECT_EQ(cat.size, 3u);
    EXPECT_EQ(d.occurrences[0].span.size, 4u);
    EXPECT_EQ(d.occurrences[3].span.position, 12u);
}

// Lint mode tallies a failing file's sentences from what the syllable pass
// counted: each must get the words, syllables and span the details give it,
// wherever the two could part.
TEST_F(PassageDetailsTest, TheSentenceTallyAgreesWithTheDetails) {
    const struct {
        const char* name;
        std::string text;
        CountingRules rules;
    } rows[] = {
        {"across a line break", "The cat\nsat on the mat. Beautiful\r\nelephants sat.\n",
         CountingRules::Classic},
        {"hyphenated words", "The well-known cat-like zebra sat. On the mat-side enormous.",
         CountingRules::Classic},
        {"hyphenated, careful", "The well-known cat-like zebra sat. On the mat-side enormous.",
         CountingRules::Careful},
        // The word starts on the full stop that ends the sentence before.
        {"a word on a full stop", "The cat sat .net on the mat. Zebra .org.",
         CountingRules::Classic},
        {"quotes and ellipses",
         "\"The cat sat.\" Beautiful elephants\u2026 On the mat?\u201D Zebra",
         CountingRules::Careful},
        {"a soft hyphen", "Beauti\u00ADful elephants sat. The cat.", CountingRules::Careful},
        {"unknown words", "Qwzzle blorft the cat. Qwzzle! Blorft enormous qwzzle.",
         CountingRules::Classic},
        {"no sentence ends", "the cat sat on the mat", CountingRules::Classic},
        {"empty sentences", "The cat. . .. Zebra sat. ..", CountingRules::Classic},
        {"blank", " \n ", CountingRules::Classic},
    };
    const UnknownWordHandler four = [](const std::string&, TDictionary&) { return 4; };
    for (const auto& row : rows) {
        // One thread, and the word text cut in two at its middle.
        for (const std::size_t parallelFrom : {std::size_t{1} << 20, std::size_t{1}}) {
            SCOPED_TRACE(std::string(row.name) + (parallelFrom == 1 ? ", two threads" : ""));
            const WorkingTexts texts = PrepareText(std::string(row.text), row.rules);
            UnknownWordLog log;
            UnknownWordLog tailLog;
            SentenceTally sentences = SentencesToTally(texts);
            const AnalysisCounts counts = CountTextsInParallel(
                texts, dictionary_, log.Recording(four, WordSource::Estimated),
                tailLog.Recording(four, WordSource::Estimated), parallelFrom, nullptr, &sentences);
            log.Append(tailLog);
            const PassageDetails details = BuildPassageDetails(texts, dictionary_, log);
            const PassageDetails tally = DetailsOfTally(texts, sentences, counts);
            ASSERT_EQ(tally.sentences.size(), details.sentences.size());
            for (std::size_t i = 0; i < details.sentences.size(); ++i) {
                SCOPED_TRACE(i);
                const SentenceDetails& want = details.sentences[i];
                const SentenceDetails& got = tally.sentences[i];
                EXPECT_EQ(got.span.offset, want.span.offset);
                EXPECT_EQ(got.span.length, want.span.length);
                EXPECT_EQ(got.firstWord, want.firstWord);
                EXPECT_EQ(got.words, want.words);
                EXPECT_EQ(got.difficultWords, want.difficultWords);
                EXPECT_EQ(got.syllables, want.syllables);
            }
            EXPECT_EQ(tally.counts.syllables, details.counts.syllables);
            EXPECT_EQ(tally.counts.words, details.counts.words);
            EXPECT_EQ(SentencesToShortenFirst(tally, 5), SentencesToShortenFirst(details, 5));
        }
    }
}

TEST_F(PassageDetailsTest, HardestSentencesLongestFirstTiesInTextOrder) {
    const PassageDetails d = Analyse("The cat. The cat sat on the mat. Cat sat on. Mat sat on. ..",
                                     {}, WordSource::Typed);
    // Empty sentences (between the last full stops) are never listed.
    EXPECT_EQ(LongestSentences(d, 20), (std::vector<std::size_t>{1, 2, 3, 0}));
    EXPECT_EQ(LongestSentences(d, 2), (std::vector<std::size_t>{1, 2}));
}

TEST(WordOrigin, FilesAndMemory) {
    QTemporaryDir dir;
    QFile list(dir.filePath("list.dat"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("apple|2\r\npear|1\r\n");
    list.close();
    QFile user(dir.filePath("user.dat"));
    ASSERT_TRUE(user.open(QIODevice::WriteOnly));
    user.write("Pear|3\r\nkiwi|2\r\n");
    user.close();
    TDictionary dictionary;
    ASSERT_NO_THROW(LoadStartupDictionaries(
        dictionary, {list.fileName().toStdString(), user.fileName().toStdString()}));
    dictionary.AddWord("plum", 1);
    EXPECT_EQ(dictionary.Origin("APPLE"), WordOrigin::WordList);
    EXPECT_EQ(dictionary.Origin("pear"), WordOrigin::WordList);
    EXPECT_EQ(dictionary.Origin("kiwi"), WordOrigin::UserDictionary);
    EXPECT_EQ(dictionary.Origin("plum"), WordOrigin::AddedLater);
    EXPECT_EQ(dictionary.Origin("fig"), WordOrigin::Absent);
}

} // namespace

TEST(Verdict, FleschBandsAndTheProseCutOff) {
    const struct {
        double ease;
        const char* band;
    } bands[] = {{120, "very easy"},  {90, "very easy"},        {89.99, "easy"},
                 {70, "fairly easy"}, {69.9, "standard"},       {50, "fairly difficult"},
                 {30, "difficult"},   {29.9, "very confusing"}, {-5, "very confusing"}};
    for (const auto& b : bands)
        EXPECT_EQ(FleschEaseBand(b.ease), b.band) << b.ease;

    EXPECT_TRUE(LooksLikeProse({150, 100, 0, 1}));
    EXPECT_FALSE(LooksLikeProse({150, 101, 0, 1}));
    EXPECT_TRUE(LooksLikeProse({80, 50, 0, 0})); // a fragment without a full stop
    EXPECT_FALSE(LooksLikeProse({1500, 979, 300, 1}));
    EXPECT_FALSE(LooksLikeProse({}));
}

TEST(Verdict, HeadlineNamesTheGradeItsRangeTheEaseAndTheTarget) {
    // Consensus 10.49 (FK 7.55, CL 9.18, ARI 9.765, SMOG 11.21, Fog 12, Linsear 12).
    const AnalysisCounts counts{130, 100, 10, 5};
    const IndexCounts more{450, 20, 10, 70, 30, 8, 12};
    const Verdict plain = MakeVerdict(counts, more, std::nullopt);
    EXPECT_TRUE(plain.prose);
    EXPECT_EQ(plain.headline, "About grade 10 (six formulas give 7.6 to 12), fairly easy "
                              "(Flesch Reading Ease 76.6); Fry's graph: grade 7.");
    EXPECT_FALSE(plain.gradesTooHard);

    const Verdict tooHard = MakeVerdict(counts, more, 4);
    EXPECT_EQ(tooHard.gradesTooHard, 6);
    EXPECT_NE(tooHard.headline.find(" 6 grades too hard for grade 4"), std::string::npos);
    EXPECT_EQ(MakeVerdict(counts, more, 9).gradesTooHard, 1);
    EXPECT_NE(MakeVerdict(counts, more, 9).headline.find(" 1 grade too hard"), std::string::npos);
    EXPECT_NE(MakeVerdict(counts, more, 10).headline.find("Suits grade 10."), std::string::npos);
    EXPECT_NE(MakeVerdict(counts, more, 4, ",").headline.find("give 7,6 to 12"), std::string::npos);

    const Verdict symbols = MakeVerdict({1500, 979, 300, 1}, {5000, 0, 300, 0, 0, 0, 0}, 4);
    EXPECT_FALSE(symbols.prose);
    EXPECT_FALSE(symbols.gradesTooHard);
    EXPECT_EQ(symbols.headline, "This does not look like prose: 979 words in 1 sentence. A grade "
                                "would mean nothing here: is it a list, a table or code?");
    // The consensus is rounded to a whole grade; college lies beyond grade 12.
    const struct {
        double consensus;
        const char* words;
    } grades[] = {{13.4, "college"},  {12.5, "college"},  {12.2, "grade 12"},
                  {10.6, "grade 11"}, {10.4, "grade 10"}, {-2, "grade 1"}};
    for (const auto& g : grades)
        EXPECT_EQ(GradeWords(g.consensus), g.words) << g.consensus;
}

// Far above the target, the advice says how far: college is not one grade.
TEST(Verdict, GradesTooHardCountOnPastCollege) {
    const struct {
        double consensus;
        int target;
        int over;
    } rows[] = {{21.8, 5, 17}, {13.5, 5, 9}, {12.5, 12, 1}, {12.4, 12, 0}, {0.2, 1, 0}, {-3, 1, 0}};
    for (const auto& r : rows)
        EXPECT_EQ(GradesAbove(r.consensus, r.target), r.over) << r.consensus;
    // 50 words a sentence of two syllables each: every formula far past college.
    const Verdict verdict =
        MakeVerdict({2000, 1000, 400, 20}, {6500, 500, 400, 200, 100, 600, 600}, 5);
    ASSERT_TRUE(verdict.gradesTooHard);
    EXPECT_GT(*verdict.gradesTooHard, 13);
    EXPECT_NE(verdict.headline.find(std::to_string(*verdict.gradesTooHard) +
                                    " grades too hard for grade 5"),
              std::string::npos)
        << verdict.headline;
}

TEST_F(PassageDetailsTest, SentencesToShortenFirstAreTheLongAndHardOnes) {
    // 3, 7, 6 and 9 words (average 6.25) of 3, 13, 6 and 13 syllables. Cut to
    // the average, the fourth lowers Flesch-Kincaid by 0.33, the second by
    // 0.24; the first and third are no longer than the average.
    const PassageDetails d = Analyse("The cat sat. Beautiful elephants are enormous on the mat. "
                                     "The cat sat on the mat. Beautiful elephants sat on the mat "
                                     "on the mat.",
                                     {}, WordSource::Typed);
    ASSERT_EQ(d.sentences.size(), 4u);
    ASSERT_EQ(d.counts.syllables, 35);
    EXPECT_EQ(SentencesToShortenFirst(d, 10), (std::vector<std::size_t>{3, 1}));
    EXPECT_EQ(SentencesToShortenFirst(d, 1), (std::vector<std::size_t>{3}));
    EXPECT_EQ(SentencesToShortenFirst(d, 0), std::vector<std::size_t>{});
    const PassageDetails one = Analyse("Beautiful elephants are enormous", {}, WordSource::Typed);
    EXPECT_EQ(SentencesToShortenFirst(one, 5), std::vector<std::size_t>{0});
}

// The two parts of Flesch-Kincaid add up to its grade above the target, and the
// larger one names the cause.
TEST(Verdict, CausesSplitTheGradeBetweenSentencesAndWords) {
    const struct {
        const char* name;
        AnalysisCounts counts;
        int target;
        bool wordsLead;
    } rows[] = {
        {"long sentences of plain words", {280, 200, 20, 5}, 5, false},
        {"short sentences of long words", {220, 100, 40, 10}, 5, true},
        {"both long", {440, 200, 80, 5}, 8, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const auto causes = CausesAbove(r.counts, r.target);
        ASSERT_TRUE(causes);
        const double wps = static_cast<double>(r.counts.words) / r.counts.sentences;
        const double spw = static_cast<double>(r.counts.syllables) / r.counts.words;
        EXPECT_NEAR(causes->sentences + causes->words, 0.39 * wps + 11.8 * spw - 15.59 - r.target,
                    1e-9);
        EXPECT_NEAR(causes->words, 11.8 * (spw - kPlainSyllablesPerWord), 1e-9);
        EXPECT_EQ(causes->words > causes->sentences, r.wordsLead);
    }
    EXPECT_FALSE(CausesAbove({10, 5, 0, 0}, 5)) << "no sentences";
    EXPECT_FALSE(CausesAbove({}, 5)) << "no words";
}

TEST(Verdict, TheHeadlineNamesWhatLiftsTheGrade) {
    // Ten words a sentence of 2.2 syllables: the words lift it most.
    const Verdict words = MakeVerdict({220, 100, 40, 10}, {700, 40, 40, 20, 10, 50, 50}, 5);
    ASSERT_TRUE(words.gradesTooHard);
    EXPECT_NE(words.headline.find("too hard for grade 5: the long words lift it most"),
              std::string::npos)
        << words.headline;
    EXPECT_NE(words.headline.find("the sentences' length adds 0 and the words' length 9.4 "
                                  "grades above grade 5."),
              std::string::npos)
        << words.headline;
    const Verdict sentences = MakeVerdict({280, 200, 20, 5}, {900, 20, 20, 140, 80, 10, 10}, 5);
    EXPECT_NE(sentences.headline.find(": shorten the sentences listed first under Sentences."),
              std::string::npos)
        << sentences.headline;
}

TEST_F(PassageDetailsTest, ShortenFirstLeavesOutHeadingsAndListItems) {
    const std::string text = "Beautiful elephants are enormous animals on the mat\n\n"
                             "- Beautiful elephants sat on the mat on the mat on the mat.\n\n"
                             "The cat sat. The cat sat. Beautiful elephants sat on the mat on "
                             "the mat.\n";
    const WorkingTexts texts = PrepareText(std::string(text), CountingRules::Careful);
    const PassageDetails d = BuildPassageDetails(texts, dictionary_, UnknownWordLog());
    ASSERT_EQ(d.sentences.size(), 5u);
    EXPECT_EQ(SentencesToShortenFirst(d, 5), (std::vector<std::size_t>{0, 4, 1}));
    EXPECT_EQ(SentencesToShortenFirst(d, 5, texts.passage), std::vector<std::size_t>{4});
}

TEST_F(PassageDetailsTest, WordsToReplaceFirstAreTheHardOnesThatOccurMost) {
    const PassageDetails d = Analyse(
        "Beautiful elephants utilize the mat. The cat on the elephants. Elephants "
        "utilize enormous animals. 1984 1984 1984.",
        [](const std::string&, TDictionary&) { return 3; }, WordSource::Typed);
    std::vector<std::string> words;
    for (const std::size_t row : WordsToReplaceFirst(d, 4))
        words.push_back(d.words[row].word);
    EXPECT_EQ(words, (std::vector<std::string>{"elephants", "utilize", "beautiful", "enormous"}));
    EXPECT_EQ(WordsToReplaceText(d, 2), "Words to replace first: elephants, utilize (use).");
    EXPECT_EQ(WordsToReplaceText(Analyse("The cat.", {}, WordSource::Typed), 3), "");
}
