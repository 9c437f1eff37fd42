#pragma once

#include "analysis/CountingPasses.h"
#include "analysis/PassageDetails.h"
#include "analysis/TextPreparation.h"
#include "checks/Checks.h"
#include "report/Choices.h"
#include "report/FryGraph.h"
#include "report/ReadabilityIndices.h"
#include "report/ReportFigures.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A word that the dictionary lacked in one text, in the order first met.
struct UnknownWord {
    std::string word; // lower-cased, as the dictionary keys it
    std::int32_t occurrences = 0;
    std::int32_t syllables = 0; // what each occurrence counted
};

// Everything reported for one analysed text.
struct TextReport {
    std::string name;
    std::string rules = "classic"; // the counting rules the text was counted by
    AnalysisCounts counts;
    ReportFigures figures;
    ReportValues values;
    std::vector<UnknownWord> unknownWords;
    std::optional<FryReading> fry; // empty when there are no words to place

    bool hasIndices = false; // the three below were computed
    IndexCounts indexCounts;
    ExtraIndexValues indices;
    std::optional<GradeRange> consensusRange;

    // Only when asked for: they cost as much again as the counting.
    std::optional<std::vector<WordRow>> words;
    struct Sentence {
        std::string text;
        std::int32_t words = 0;
        std::int32_t difficultWords = 0;
        std::int32_t line = 0;   // where it starts in the text, from 1
        std::int32_t column = 0; // from 1, in code points
        std::size_t offset = 0;  // in the text, in bytes
        // The sentence's own Flesch-Kincaid grade, in the list to shorten first.
        std::optional<double> grade;
    };
    std::optional<std::vector<Sentence>> longestSentences;
    std::optional<std::vector<Sentence>> mostDifficultSentences;
    // Those whose shortening lowers the grade most, first (SentencesToShortenFirst).
    std::optional<std::vector<Sentence>> sentencesToShortenFirst;
    // What each sentence's line counts when a front end has put it in its file's
    // terms: "line", "paragraph" (.docx, .odt) or "page" (PDF).
    std::string place = "line";
    std::vector<std::string> warnings; // the reader's, about the text it read

    // A writing check's finding, placed in the text.
    struct Finding {
        CheckRule rule = CheckRule::HardSentence;
        std::size_t offset = 0; // in the text, in bytes
        std::size_t length = 0;
        std::int32_t characters = 0; // the length in code points
        std::int32_t line = 0;       // from 1
        std::int32_t column = 0;     // from 1, in code points
        std::string message;
        std::string suggestion; // "" for none
    };
    std::optional<std::vector<Finding>> checks;
};

// What to add to a report beyond the figures and indices.
struct ReportExtras {
    bool indices = true;           // the further indices and their counts
    bool words = false;            // every distinct word
    int sentences = 0;             // this many of the longest and of the hardest sentences
    bool shortenFirst = false;     // and of the sentences to shorten first
    std::string rules = "classic"; // the name of the counting rules, for the record
    // The writing checks, always on the careful rules' words and sentences;
    // sentences above the target grade (10 without one) are hard.
    bool checks = false;
    std::optional<double> targetGrade;
};

// The report of one counted text: the figures, the Fry reading, the further
// indices when asked for (from a pass of their own over the word text), and
// the words, sentences and checks when asked for. passage and lineStarts
// (LineStartsOfText) are read only for sentences and checks; without line
// starts their lines and columns are 0, for a front end that places them. countedIndex, when
// the counting pass gave them, spares the pass of their own. checkedTexts are
// the careful rules' texts of the same passage, for the checks of a text
// counted by the classic rules. Empty texts give zero counts, placeholders and
// no indices.
TextReport MakeTextReport(std::string name, const WorkingTexts& texts, std::string_view passage,
                          const std::vector<std::size_t>& lineStarts, const AnalysisCounts& counts,
                          const TDictionary& dictionary, const UnknownWordLog& log,
                          std::vector<UnknownWord> unknownWords, const ReportExtras& extras,
                          const IndexCounts* countedIndex = nullptr,
                          const WorkingTexts* checkedTexts = nullptr);

// Adds the sentences that extras ask for (the longest, the hardest and, with
// shortenFirst, those to shorten first) from the details of the counted texts,
// quoted from passage and placed by lineStarts (0 without them).
void AddSentenceLists(TextReport& report, const PassageDetails& details, std::string_view passage,
                      const std::vector<std::size_t>& lineStarts, const ReportExtras& extras);

// A place in the file a text came from: a line, paragraph or page, and the
// column in code points within it, both from 1.
struct FilePosition {
    std::int32_t line = 1;
    std::int32_t column = 1;
};

// Puts the report's sentences and findings in their file's terms: each takes
// the place that at gives for its offset in the counted text, and the report
// names the kind of place ("line", "paragraph" or "page"). Findings that
// silenced (when given) says a comment in the file turned off are dropped.
void PlaceInFile(
    TextReport& report, std::string_view kind,
    const std::function<FilePosition(std::size_t offset)>& at,
    const std::function<bool(std::size_t offset, std::string_view rule)>& silenced = nullptr);

// The grades a script can hold a text to.
enum class GradeIndex {
    Consensus,
    FleschKincaid,
    GunningFog,
    Smog,
    ColemanLiau,
    AutomatedReadability,
    LinsearWrite,
    DaleChall,
};

// The grades by name, in the order of GradeIndex.
inline constexpr std::array<Choice<GradeIndex>, 8> kGradeIndices = {{
    {"consensus", GradeIndex::Consensus, "the median of six grades, the default"},
    {"fk", GradeIndex::FleschKincaid, "Flesch-Kincaid"},
    {"fog", GradeIndex::GunningFog, "Gunning-Fog"},
    {"smog", GradeIndex::Smog, "SMOG"},
    {"cl", GradeIndex::ColemanLiau, "Coleman-Liau"},
    {"ari", GradeIndex::AutomatedReadability, "Automated Readability Index"},
    {"linsear", GradeIndex::LinsearWrite, "Linsear Write"},
    {"dalechall", GradeIndex::DaleChall, "the highest grade of the Dale-Chall score's band"},
}};

// The rules asked for: one of the two sets, or the one that suits each file.
enum class RulesChoice { Auto, Classic, Careful };

// The rules by name, as --rules takes them.
inline constexpr std::array<Choice<RulesChoice>, 3> kCountingRules = {{
    {"auto", RulesChoice::Auto,
     "careful for documents (.docx, .odt, .html, .md, .pdf), classic for plain text and "
     "standard input; the default"},
    {"classic", RulesChoice::Classic, "every full stop ends a sentence, words split at spaces"},
    {"careful", RulesChoice::Careful,
     "abbreviations, numbers and addresses end no sentence, headings and list items end one, "
     "quotes and dashes are no part of words"},
}};

// The rules that count a text under a choice: Auto gives the careful rules
// for a text read from a document, the classic ones for plain text.
CountingRules RulesFor(RulesChoice choice, bool document);

// A name of kGradeIndices; empty for any other name.
std::optional<GradeIndex> GradeIndexNamed(std::string_view name);
std::string_view GradeIndexName(GradeIndex index);

// The text's grade by that index: Flesch-Kincaid and Gunning-Fog as the report
// shows them, Dale-Chall as the highest grade of its score's band. Empty where
// the index has no value (no words or no sentences) or was not computed.
std::optional<double> GradeOf(const TextReport& report, GradeIndex index);

// The report as the twelve lines of the clipboard text, then the words and the
// sentences (each as "NAME:LINE: ...") when they were added.
std::string ReportText(const TextReport& report);
