#include "analysis/AnalysisPipeline.h"
#include "analysis/PassageDetails.h"
#include "analysis/SyllableEstimate.h"
#include "checks/CheckRules.h"
#include "checks/Checks.h"
#include "dictionary/Dictionary.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// Findings as their rule ids and the text each covers.
using Spans = std::vector<std::pair<std::string, std::string>>;

// A text analysed under the careful rules as the programs analyse it, with the
// words the dictionary lacks estimated.
class ChecksTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* word : {"elephants", "enormous", "animals"})
            dictionary_.AddWord(word, 3);
        for (const char* word : {"are", "the", "cat", "sat", "on", "mat"})
            dictionary_.AddWord(word, 1);
    }

    std::vector<Finding> Check(const std::string& text, std::optional<double> target) {
        texts_ = PrepareText(std::string(text), CountingRules::Careful);
        UnknownWordLog log;
        NoProgress progress;
        const UnknownWordHandler estimate = [](const std::string& word, TDictionary& dictionary) {
            return EstimateSyllables(word, dictionary);
        };
        CountTexts(texts_, dictionary_, log.Recording(estimate, WordSource::Estimated), progress);
        details_ = BuildPassageDetails(texts_, dictionary_, log);
        return RunChecks(texts_.passage, details_, target);
    }

    // Each finding as its rule and the text it covers.
    Spans Found(const std::string& text, std::optional<double> target) {
        Spans found;
        for (const Finding& finding : Check(text, target))
            found.emplace_back(CheckRuleId(finding.rule),
                               texts_.passage.substr(finding.offset, finding.length));
        return found;
    }

    TDictionary dictionary_;
    WorkingTexts texts_;
    PassageDetails details_;
};

struct WordRuleRow {
    const char* name;
    const char* text;
    Spans expected;
};

TEST_F(ChecksTest, EachRuleFindsItsWordsAndPlainSentencesGiveNone) {
    const WordRuleRow rows[] = {
        {"irregular participle", "The ball was thrown by the boy.", {{"passive", "was thrown"}}},
        {"regular participle", "The room was painted.", {{"passive", "was painted"}}},
        {"one adverb between",
         "The door was quickly opened.",
         {{"passive", "was quickly opened"}, {"adverb", "quickly"}}},
        {"-ed that is no participle", "These seeds are sacred.", {}},
        {"weakening adverb", "He really wanted it.", {{"adverb", "really"}}},
        {"wordy phrase", "In order to win, we must train.", {{"wordy", "In order to"}}},
        {"cliche", "Last but not least, it works.", {{"cliche", "Last but not least"}}},
        {"longest phrase wins", "It is quite clearly wrong.", {{"hedge", "quite clearly"}}},
        {"weasel", "It was a huge success.", {{"weasel", "huge"}}},
        {"a word on two lists", "It is very good.", {{"adverb", "very"}}},
        {"filler", "Anyway, it works.", {{"filler", "Anyway"}}},
        {"complex word", "We utilize the tools.", {{"complex-word", "utilize"}}},
        {"repeated across a line break", "I saw the\nThe cat.", {{"repeated-word", "the The"}}},
        {"repetition that is good English", "He had had enough.", {}},
        {"repetition across a comma", "Go, go now.", {}},
        {"phrase cut by a sentence end", "We did it in order. To win is fine.", {}},
        {"plain", "The cat sat on the mat.", {}},
        {"plain past tense", "She reads a book every night and needed none.", {}},
        {"plain with a form of be", "We met at noon and it was red.", {}},
    };
    for (const WordRuleRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Found(row.text, 30.0), row.expected);
    }
}

TEST_F(ChecksTest, FindingsCarryTheirSuggestionAndSentence) {
    const std::vector<Finding> findings =
        Check("The cat sat on the mat. In order to win, we utilize maps.", 30.0);
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].sentence, 1u);
    EXPECT_EQ(findings[0].suggestion, "to");
    EXPECT_EQ(findings[0].message, "\"In order to\" is wordy.");
    EXPECT_EQ(findings[1].suggestion, "use");
    EXPECT_EQ(findings[1].message, "\"utilize\" has a simpler alternative: use.");
}

TEST(SentenceDifficulty, CutOffsAtTheTargetAndFourAbove) {
    struct Row {
        double grade;
        double target;
        std::optional<CheckRule> expected;
    };
    const Row rows[] = {
        {10.0, 10.0, std::nullopt},
        {10.01, 10.0, CheckRule::HardSentence},
        {13.99, 10.0, CheckRule::HardSentence},
        {14.0, 10.0, CheckRule::VeryHardSentence},
        {8.9, 5.0, CheckRule::HardSentence},
        {9.0, 5.0, CheckRule::VeryHardSentence},
        {-3.0, 5.0, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.grade << " at " << row.target);
        EXPECT_EQ(SentenceDifficulty(row.grade, row.target), row.expected);
    }
    EXPECT_DOUBLE_EQ(SentenceGrade(4, 10), 0.39 * 4 + 11.8 * 2.5 - 15.59);
    EXPECT_EQ(SentenceGrade(0, 0), 0.0);
}

// "Elephants are enormous animals." reads at grade 15.47.
TEST_F(ChecksTest, HardSentencesAgainstTheTargetWithHeadingsAndListItemsLeftOut) {
    const std::string sentence = "Elephants are enormous animals.";
    EXPECT_EQ(Found(sentence, 12.0), (Spans{{"hard-sentence", sentence}}));
    EXPECT_EQ(Found(sentence, 11.0), (Spans{{"very-hard-sentence", sentence}}));
    EXPECT_EQ(Found(sentence, std::nullopt), (Spans{{"very-hard-sentence", sentence}}));
    EXPECT_EQ(Found(sentence, 16.0), Spans{});
    EXPECT_EQ(Found("\"" + sentence + "\"", 12.0),
              (Spans{{"hard-sentence", "\"" + sentence + "\""}}));

    EXPECT_EQ(Found("Elephants are enormous animals\n\nThe cat sat.", 12.0), Spans{});
    EXPECT_EQ(Found("1. " + sentence + "\n2. The cat sat.", 12.0), Spans{});
    EXPECT_EQ(Found("\u2022 " + sentence, 12.0), Spans{});

    const std::vector<Finding> findings = Check(sentence, 12.0);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].message, "This sentence reads at grade 15.5, above the target of 12.");
    EXPECT_EQ(findings[0].suggestion, "");
}

TEST_F(ChecksTest, SpansPointAtTheirBytesAndColumnsCountCodePoints) {
    const std::string text = "Café naïve: he really tried.\nThe ball was thrown.";
    const std::vector<Finding> findings = Check(text, 30.0);
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(texts_.passage.substr(findings[0].offset, findings[0].length), "really");
    EXPECT_EQ(findings[0].offset, text.find("really"));
    EXPECT_EQ(texts_.passage.substr(findings[1].offset, findings[1].length), "was thrown");

    TextPlaces places(texts_.passage, LineStartsOfText(text));
    const TextPlace second = places.At(findings[1].offset);
    EXPECT_EQ(second.line, 2);
    EXPECT_EQ(second.column, 10);
    // Asked out of order, and twice on one line.
    const TextPlace first = places.At(findings[0].offset);
    EXPECT_EQ(first.line, 1);
    EXPECT_EQ(first.column, 16); // 17 bytes, 15 code points before it
    EXPECT_EQ(places.At(findings[0].offset + 7).column, 23);
    EXPECT_EQ(places.At(0).column, 1);

    // A CR LF is one space in the passage: the places are the text's own.
    const std::string crlf = "Yes.\r\n\r\nHe really tried.";
    const std::vector<Finding> after = Check(crlf, 30.0);
    ASSERT_EQ(after.size(), 1u);
    const TextPlace place = TextPlaces(texts_.passage, LineStartsOfText(crlf)).At(after[0].offset);
    EXPECT_EQ(place.line, 3);
    EXPECT_EQ(place.column, 4);
}

TEST_F(ChecksTest, EmptyTextAndDetailsOfAnotherText) {
    EXPECT_TRUE(Check("", std::nullopt).empty());
    Check("The ball was thrown by the boy.", std::nullopt);
    EXPECT_THROW(RunChecks("The ball", details_, std::nullopt), std::invalid_argument);
}

TEST(CheckRules, EveryRuleHasItsOwnIdInTheOrderOfTheRules) {
    for (std::size_t i = 0; i < CheckRules().size(); ++i) {
        const CheckRuleInfo& info = CheckRules()[i];
        SCOPED_TRACE(info.id);
        EXPECT_EQ(static_cast<std::size_t>(info.rule), i);
        EXPECT_EQ(CheckRuleOfId(info.id), info.rule);
        EXPECT_FALSE(info.description.empty());
    }
    EXPECT_EQ(CheckRuleOfId("passive"), CheckRule::Passive);
    EXPECT_EQ(CheckRuleOfId("Passive"), std::nullopt);
    EXPECT_EQ(CheckRuleOfId(""), std::nullopt);
}

} // namespace
