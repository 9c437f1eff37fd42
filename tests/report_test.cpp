#include "analysis/SyllableEstimate.h"
#include "dictionary/Dictionary.h"
#include "report/ReportFigures.h"
#include "report/ResultJson.h"
#include "report/TextAnalysis.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

// The report's JSON as Qt reads it.
QJsonObject ResultJson(const TextReport& report) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(ResultJsonLine(report))).object();
}

AnalysisCounts Counts(int s, int w, int n, int d) {
    AnalysisCounts c;
    c.syllables = s;
    c.words = w;
    c.sentences = n;
    c.difficultWords = d;
    return c;
}

using Rows = std::vector<std::string>;

Rows Figures(int s, int w, int n, int d, std::string_view separator = ".") {
    const auto f = ComputeReportFigures(Counts(s, w, n, d), separator);
    return Rows(f.texts.begin(), f.texts.end());
}

TEST(ReportFigures, WholeReports) {
    EXPECT_EQ(Figures(0, 0, 0, 0), (Rows{"0", "0", "0", "----", "----", "----", "0", "----", "----",
                                         "----", "----", "----"}));
    EXPECT_EQ(Figures(7, 3, 0, 1), (Rows{"7", "3", "0", "2.33333333333333", "----", "----", "1",
                                         "233.333333333333", "0", "----", "----", "----"}));
    EXPECT_EQ(Figures(0, 0, 2, 0),
              (Rows{"0", "0", "2", "----", "0", "0", "0", "----", "----", "----", "----", "----"}));
    EXPECT_EQ(Figures(130, 100, 5, 10), (Rows{"130", "100", "5", "1.3", "26", "20", "10", "130",
                                              "5", "12", "76.5550003051758", "7.55000019073486"}));
    EXPECT_EQ(
        Figures(12345, 10000, 321, 987),
        (Rows{"12345", "10000", "321", "1.2345", "38.4579439252336", "31.1526479750779", "987",
              "123.45", "3.21", "16.4090595245361", "70.7763595581055", "11.1266326904297"}));
}

struct IndexCase {
    const char* name;
    int s, w, n, d;
    FigureRow row;
    const char* text;
};

TEST(ReportFigures, PrecisionOfSingleRows) {
    const IndexCase cases[] = {
        {"leading zero is not significant", 1, 3, 1, 0, FigureRow::SyllPWord, "0.333333333333333"},
        {"per hundred", 1, 3, 1, 0, FigureRow::SyllPH, "33.3333333333333"},
        {"fog in single precision", 1, 3, 1, 0, FigureRow::GunningFog, "1.20000004768372"},
        {"ease in single precision", 1, 3, 1, 0, FigureRow::FleschEase, "175.589996337891"},
        {"negative grade", 1, 3, 1, 0, FigureRow::KincaidGrade, "-10.4866666793823"},
        {"hundred syllables", 1, 1, 1, 0, FigureRow::SyllPH, "100"},
        {"hundred sentences", 1, 1, 1, 0, FigureRow::SentPH, "100"},
        {"fog below one", 1, 1, 1, 0, FigureRow::GunningFog, "0.400000005960464"},
        {"ease", 1, 1, 1, 0, FigureRow::FleschEase, "121.220001220703"},
        {"grade", 1, 1, 1, 0, FigureRow::KincaidGrade, "-3.40000009536743"},
        {"fifteenth digit zero dropped", 100, 30, 1, 20, FigureRow::FleschEase, "-105.61499786377"},
        {"quotient kept in extended precision", 2995, 2671, 1, 0, FigureRow::SyllPH,
         "112.130288281542"},
        {"scientific below 0.0001", 3000000, 2000000, 1, 0, FigureRow::SentPH, "5E-5"},
        {"fixed at 0.0001", 1500000, 1000000, 1, 0, FigureRow::SentPH, "0.0001"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComputeReportFigures(Counts(c.s, c.w, c.n, c.d))[c.row], c.text) << c.name;
}

TEST(ReportFigures, CommaSeparator) {
    EXPECT_EQ(ComputeReportFigures(Counts(130, 100, 5, 10), ",")[FigureRow::SyllPWord], "1,3");
}

TEST(FormatFigure, NumberToText) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {0.9999999999999999, "1"},
        {130, "130"},
        {2000000, "2000000"},
        {1.3, "1.3"},
        {0.05, "0.05"},
        {0.0001, "0.0001"},
        {0.00005, "5E-5"},
        {1e15, "1E15"},
        {999999999999999.0, "999999999999999"},
        {1.23456789012345678e17, "1.23456789012346E17"},
        {-3.4000000953674316, "-3.40000009536743"},
        {76.555000305175781, "76.5550003051758"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {99999.99999999999, "100000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFigure(c.value), c.text) << c.value;
}

TEST(ReportClipboardText, TwelveLinesEndedByLineFeeds) {
    const auto text = ReportClipboardText(ComputeReportFigures(Counts(130, 100, 5, 10)).texts);
    EXPECT_EQ(text.size(), 396u);
    EXPECT_EQ(text, "Total Number of Syllables: 130\n"
                    "Total Number of Words: 100\n"
                    "Total Number of Sentences: 5\n"
                    "Average Syllables Per Word: 1.3\n"
                    "Average Syllables Per Sentence: 26\n"
                    "Average Words Per Sentence: 20\n"
                    "Number of Difficult Words(3 or more syllables):10\n"
                    "Syllables Per 100 Words: 130\n"
                    "Sentences Per 100 Words: 5\n"
                    "Gunning-Fog Index: 12\n"
                    "Flesch Reading Ease: 76.5550003051758\n"
                    "Flesch-Kincaid Grade Level: 7.55000019073486\n");
    EXPECT_EQ(ReportClipboardText(ComputeReportFigures(Counts(0, 0, 0, 0)).texts).size(), 378u);
}

// The JSON of an empty text keeps every grade null, "" being no grade band.
TEST(ResultJson, AnEmptyTextHasNoGrades) {
    TDictionary dictionary;
    const QJsonObject json = ResultJson(AnalyseText("empty", "", dictionary, {}));
    ASSERT_TRUE(json.contains("daleChallGrades"));
    EXPECT_TRUE(json["daleChallGrades"].isNull());
    EXPECT_TRUE(json["consensusRange"].isNull());
    EXPECT_TRUE(json["indices"]["smogGrade"].isNull());
}

// Zone 12 is the last grade of Fry's graph; college lies beyond it.
TEST(ResultJson, FryZoneTwelveIsNoCollege) {
    TDictionary dictionary;
    TextReport report = AnalyseText("text", "The cat sat on the mat.", dictionary, {});
    for (const auto& [zone, college] : {std::pair{12, false}, std::pair{13, true}}) {
        FryReading reading;
        reading.region = FryRegion::Zone;
        reading.zone = zone;
        report.fry = reading;
        const QJsonObject fry = ResultJson(report)["fry"].toObject();
        EXPECT_EQ(fry["zone"].toInt(), zone);
        EXPECT_EQ(fry["college"].toBool(), college) << zone;
    }
}

// Every front end enters analysis through AnalyseText or AnalysePreparedText:
// the terminal's question and the module's estimate must give one report when
// the answers are the same. The dictionary is empty, so every word is asked.
TEST(AnalyseText, AskingGivesTheReportOfTheSameAnswersInTextOrder) {
    const std::string text = "Zyxt quorble the Zyxt. Quorble flimp the zyxt away! Flimp.";
    const std::map<std::string, std::int32_t> answers = {
        {"zyxt", 2}, {"quorble", 3}, {"the", 1}, {"flimp", 1}, {"away", 2}};
    struct Row {
        const char* name;
        bool words;
        int sentences;
        bool desktop = false; // with progress, pauses and the details handed back
    };
    const Row rows[] = {
        {"indices from the counting pass", false, 0},
        {"indices from the details", true, 2},
        {"the desktop's run", false, 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ReportExtras extras;
        extras.words = row.words;
        extras.sentences = row.sentences;
        TDictionary dictionary;
        std::vector<std::string> asked;
        const auto caller = std::this_thread::get_id();
        bool otherThread = false;
        TextAnalysisOptions ask;
        ask.extras = extras;
        ask.unknown = UnknownWordCount::Ask;
        ask.parallelFrom = 1; // a run that never asks would split even this text
        ask.ask = [&](const std::string& word) {
            asked.push_back(word);
            otherThread = otherThread || std::this_thread::get_id() != caller;
            return answers.at(LowerCaseWord(word));
        };
        NoProgress progress;
        std::vector<CountingPass> passes;
        PassageDetails details;
        if (row.desktop) {
            ask.progress = &progress;
            ask.afterPass = [&passes](CountingPass pass) { passes.push_back(pass); };
            ask.details = &details;
        }
        const TextReport asking = AnalysePreparedText(
            "t", PrepareForReport(std::string(text), ask.rules, row.sentences > 0), dictionary,
            ask);
        // Once per word, as first met, and never from the second thread.
        EXPECT_EQ(asked, (std::vector<std::string>{"Zyxt", "quorble", "the", "flimp", "away"}));
        EXPECT_FALSE(otherThread);
        EXPECT_EQ(asking.counts.words, 10);
        EXPECT_EQ(asking.counts.syllables, 2 + 3 + 1 + 2 + 3 + 1 + 1 + 2 + 2 + 1);
        EXPECT_EQ(asking.counts.difficultWords, 2);
        EXPECT_EQ(asking.counts.sentences, 3);
        ASSERT_EQ(asking.unknownWords.size(), 5u);
        EXPECT_EQ(asking.unknownWords[0].word, "zyxt");
        EXPECT_EQ(asking.unknownWords[0].occurrences, 3);
        EXPECT_EQ(asking.unknownWords[1].syllables, 3);
        if (asking.words) {
            ASSERT_FALSE(asking.words->empty());
            for (const WordRow& word : *asking.words)
                EXPECT_EQ(word.source, WordSource::Typed) << word.word;
        }

        // The same answers given without asking, the text split in two.
        TextAnalysisOptions given = ask;
        given.unknown = UnknownWordCount::Estimate;
        given.ask = {};
        given.progress = nullptr;
        given.afterPass = {};
        given.details = nullptr;
        TDictionary known;
        for (const auto& [word, count] : answers)
            known.AddWord(word, count);
        const TextReport estimated = AnalyseText("t", text, known, given);
        EXPECT_EQ(ResultJson(asking)["counts"], ResultJson(estimated)["counts"]);
        EXPECT_EQ(ResultJson(asking)["indices"], ResultJson(estimated)["indices"]);
        EXPECT_EQ(asking.indexCounts.monosyllables, estimated.indexCounts.monosyllables);
        EXPECT_EQ(asking.indexCounts.polysyllables, estimated.indexCounts.polysyllables);
        if (row.desktop) {
            EXPECT_EQ(passes.size(), 3u);
            // The Details window's words agree with the report they came with.
            EXPECT_EQ(details.counts.syllables, asking.counts.syllables);
            EXPECT_EQ(details.sentences.size(), 3u);
            EXPECT_EQ(details.indexCounts.daleChallUnfamiliar,
                      asking.indexCounts.daleChallUnfamiliar);
            ASSERT_FALSE(details.words.empty());
            EXPECT_EQ(details.words[0].source, WordSource::Typed);
        }
    }
}

// Without a question every unknown word counts 0, and a zero answer is kept for
// the rest of the text rather than asked again.
TEST(AnalyseText, AskingWithoutAnAnswerIgnoresTheWord) {
    TDictionary dictionary;
    TextAnalysisOptions options;
    options.unknown = UnknownWordCount::Ask;
    const TextReport silent = AnalyseText("t", "Zyxt zyxt.", dictionary, options);
    EXPECT_EQ(silent.counts.syllables, 0);
    EXPECT_EQ(silent.counts.words, 2);
    int questions = 0;
    options.ask = [&](const std::string&) { return ++questions, 0; };
    const TextReport ignored = AnalyseText("t", "Zyxt zyxt ZYXT.", dictionary, options);
    EXPECT_EQ(questions, 1);
    ASSERT_EQ(ignored.unknownWords.size(), 1u);
    EXPECT_EQ(ignored.unknownWords[0].occurrences, 3);
}

// Each occurrence of a word the dictionary lacks is tallied and logged under
// its lower-cased word, whatever its case, on either thread of a split text and
// among many words; the details replay the log, so their rows show what was
// logged. A 0 asked again (as the desktop asks) is logged as ignored once and
// the later answers as typed, while the tally keeps the first count.
TEST(AnalyseText, EveryOccurrenceIsTalliedAndLoggedUnderItsLowerCaseWord) {
    struct DetailRow {
        std::string word;
        std::int32_t occurrences;
        WordSource source;
        std::int32_t syllables;
    };
    struct Row {
        const char* name;
        std::string text;
        UnknownWordCount unknown;
        std::vector<UnknownWord> tally;
        std::vector<DetailRow> details;
        int questions = 0;
    };
    // Many words, each twice, so that the tables grow while words are met.
    std::string many;
    std::vector<UnknownWord> manyTally;
    std::vector<DetailRow> manyDetails;
    for (int i = 0; i < 300; ++i) {
        const std::string word = "zq" + std::string(1, static_cast<char>('a' + i % 26)) +
                                 std::string(1, static_cast<char>('a' + i / 26)) + "o";
        many += word + " ";
        manyTally.push_back({word, 2, EstimateSyllablesByRules(word)});
        manyDetails.push_back({word, 2, WordSource::Estimated, EstimateSyllablesByRules(word)});
    }
    many += many + ".";
    const Row rows[] = {
        {"cases and a split text",
         "Zyxtu quorble ZYXTU. Ärgla zyxtu ärgla ÄRGLA quorble.",
         UnknownWordCount::Estimate,
         {{"zyxtu", 3, 2}, {"quorble", 2, 2}, {"ärgla", 3, 2}},
         {{"zyxtu", 3, WordSource::Estimated, 2},
          {"quorble", 2, WordSource::Estimated, 2},
          {"ärgla", 3, WordSource::Estimated, 2}}},
        {"many words", many, UnknownWordCount::Estimate, manyTally, manyDetails},
        {"a zero asked again",
         "Zyxt quorble zyxt ZYXT.",
         UnknownWordCount::Ask,
         {{"zyxt", 3, 0}, {"quorble", 1, 3}},
         {{"zyxt", 1, WordSource::Ignored, 0},
          {"quorble", 1, WordSource::Typed, 3},
          {"zyxt", 2, WordSource::Typed, 2}},
         4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TDictionary dictionary;
        TextAnalysisOptions options;
        options.unknown = row.unknown;
        options.parallelFrom = 1;
        options.askAgainAfterZero = true;
        int questions = 0;
        options.ask = [&](const std::string& word) {
            ++questions;
            if (LowerCaseWord(word) == "quorble")
                return 3;
            return questions == 1 ? 0 : 2;
        };
        PassageDetails details;
        options.details = &details;
        const TextReport report = AnalyseText("t", row.text, dictionary, options);
        EXPECT_EQ(questions, row.questions);
        ASSERT_EQ(report.unknownWords.size(), row.tally.size());
        for (std::size_t i = 0; i < row.tally.size(); ++i) {
            EXPECT_EQ(report.unknownWords[i].word, row.tally[i].word) << i;
            EXPECT_EQ(report.unknownWords[i].occurrences, row.tally[i].occurrences) << i;
            EXPECT_EQ(report.unknownWords[i].syllables, row.tally[i].syllables) << i;
        }
        ASSERT_EQ(details.words.size(), row.details.size());
        for (std::size_t i = 0; i < row.details.size(); ++i) {
            EXPECT_EQ(details.words[i].word, row.details[i].word) << i;
            EXPECT_EQ(details.words[i].occurrences, row.details[i].occurrences) << i;
            EXPECT_EQ(details.words[i].source, row.details[i].source) << i;
            EXPECT_EQ(details.words[i].syllables, row.details[i].syllables) << i;
        }
    }
}

// The checks read the careful rules' words and sentences whichever rules
// counted the text, and asking for them leaves the counts alone. Places count
// code points, so the accent before a finding moves its column by one.
TEST(AnalyseText, ChecksArePlacedInTheTextAndChangeNoCount) {
    const std::string text =
        "Caf\xc3\xa9 talk.\n\"The ball was thrown by the boy.\" He really won.";
    TDictionary dictionary;
    for (const CountingRules rules : {CountingRules::Classic, CountingRules::Careful}) {
        SCOPED_TRACE(CountingRulesName(rules));
        TextAnalysisOptions options;
        options.rules = rules;
        const TextReport plain = AnalyseText("t", text, dictionary, options);
        options.extras.checks = true;
        options.extras.sentences = 1;
        const TextReport checked = AnalyseText("t", text, dictionary, options);
        EXPECT_FALSE(plain.checks);
        EXPECT_EQ(ResultJson(plain)["counts"], ResultJson(checked)["counts"]);
        ASSERT_TRUE(checked.checks);
        std::vector<std::string> found;
        for (const TextReport::Finding& f : *checked.checks)
            found.push_back(std::string(CheckRuleId(f.rule)) + "@" + std::to_string(f.line) + ":" +
                            std::to_string(f.column) + "+" + std::to_string(f.characters));
        EXPECT_EQ(found, (std::vector<std::string>{"passive@2:11+10", "adverb@2:38+6"}));
        const QJsonArray json = ResultJson(checked)["checks"].toArray();
        ASSERT_EQ(json.size(), 2);
        EXPECT_EQ(json[0]["rule"].toString(), "passive");
        EXPECT_TRUE(json[0]["suggestion"].isNull());
        ASSERT_EQ(checked.longestSentences->size(), 1u);
        EXPECT_EQ(checked.longestSentences->front().line, 2);
    }
    TextAnalysisOptions accented;
    accented.extras.sentences = 2;
    const TextReport report =
        AnalyseText("t", "\xc3\xa9t\xc3\xa9 was hot. Then it rained.", dictionary, accented);
    EXPECT_EQ(report.longestSentences->back().column, 14);
    EXPECT_EQ(report.longestSentences->back().offset, 15u);
}

// A gate lists the sentences only of a text above its grade, from the same
// count: the lists are those of a run that asked for them outright.
TEST(AnalyseText, SentencesListedOnlyWhereTheReportAsksForThem) {
    const std::string text = "A cat. The big dog ran home fast. It sat down on the mat.";
    TDictionary dictionary;
    TextAnalysisOptions options;
    options.extras.sentences = 2;
    options.extras.shortenFirst = true;
    const TextReport outright = AnalyseText("t", text, dictionary, options);
    for (const bool wanted : {false, true}) {
        int asked = 0;
        options.sentencesIf = [&](const TextReport& counted) {
            ++asked;
            EXPECT_EQ(counted.counts.words, outright.counts.words);
            return wanted;
        };
        const TextReport gated = AnalyseText("t", text, dictionary, options);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(ResultJson(gated)["indices"], ResultJson(outright)["indices"]);
        ASSERT_EQ(gated.longestSentences.has_value(), wanted);
        if (!wanted)
            continue;
        EXPECT_EQ(ResultJson(gated)["longestSentences"], ResultJson(outright)["longestSentences"]);
        EXPECT_EQ(ResultJson(gated)["sentencesToShortenFirst"],
                  ResultJson(outright)["sentencesToShortenFirst"]);
    }
}

} // namespace
