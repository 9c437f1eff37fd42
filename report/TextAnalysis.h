#pragma once

#include "analysis/AnalysisPipeline.h"
#include "report/Choices.h"
#include "report/TextReport.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The one way into an analysis for every front end: a text's report, counted
// under the rules with each word the dictionary lacks estimated, ignored or
// asked about. The core keeps the tally of unknown words and where each count
// came from, splits a large text that never asks into two halves, and decides
// whether the index counts come from the counting pass.

// What a word the dictionary lacks counts.
enum class UnknownWordCount {
    Estimate, // the estimate from the spelling and the dictionary
    Zero,     // nothing: the word is ignored
    Ask,      // what the front end's question answers (TextAnalysisOptions::ask)
};

// The policies by the names the command line gives them.
inline constexpr std::array<Choice<UnknownWordCount>, 3> kUnknownWordCounts = {{
    {"ask", UnknownWordCount::Ask, "ask on the terminal"},
    {"zero", UnknownWordCount::Zero, "count it as zero syllables"},
    {"estimate", UnknownWordCount::Estimate, "estimate its syllables"},
}};

// The front end's question about a word the dictionary lacks: its count, 0 or
// more (0 ignores it). Asked once per word and text, in the order of the text;
// remembering answers across texts is the front end's business.
using AskUnknownWord = std::function<std::int32_t(const std::string& word)>;

// The words a text's dictionary lacked, each tallied once in the order first met.
class UnknownWordTally {
public:
    static constexpr std::size_t kNew = SIZE_MAX;
    // The row of the lower-cased word, or kNew when it is new.
    std::size_t Find(std::string_view key) const;
    // One more occurrence of the lower-cased word, which counted syllables (a
    // word tallied before keeps its first count).
    void Add(std::string key, std::int32_t syllables);
    // A row with no occurrences yet for a lower-cased word that Find does not
    // know; its number.
    std::size_t AddNew(std::string_view key, std::int32_t syllables);
    // A row by the number Find or AddNew gave, until the next Take.
    UnknownWord& Row(std::size_t row) { return words_[row]; }
    // The words since the last call.
    std::vector<UnknownWord> Take();

private:
    // The rows by their word's hash, in a table of their own: a look-up reads
    // one place and the row, not a bucket, a node and a second copy of the word.
    struct Place {
        std::uint64_t hash = 0; // 0: an empty place
        std::size_t row = 0;
    };
    static std::uint64_t HashOf(std::string_view key);
    // The place of the key, or the empty place where it would go.
    std::size_t PlaceOf(std::string_view key, std::uint64_t hash) const;
    std::vector<UnknownWord> words_;
    std::vector<Place> places_; // a power of two of them, at most half used
};

// Adds the words of a later part of the same text to a tally.
void MergeTally(std::vector<UnknownWord>& tally, const std::vector<UnknownWord>& later);

// A decoded text made ready for counting and for its report.
struct PreparedText {
    WorkingTexts texts;
    std::string passage;                 // kept only when sentences are quoted
    // Where the passage was not kept, the text as prepared, from which it is
    // made if a report that sentencesIf accepts quotes its sentences: most
    // reports then need no passage.
    std::function<std::string_view()> textLater;
    std::vector<std::size_t> lineStarts; // likewise, and when checked, unless placed elsewhere
    // The careful rules' texts, for the checks of a text counted by the
    // classic rules.
    std::optional<WorkingTexts> checkedTexts;
};

// The working texts of a decoded text under the rules, with the passage and
// its line starts when quoteSentences, and what the writing checks read when
// checked. A front end that places the sentences and findings in its file
// itself (PlaceInFile) asks for no line starts with ownPlaces: their lines
// and columns are then 0 until it does. The text is consumed. "" gives empty
// texts.
PreparedText PrepareForReport(std::string&& text, CountingRules rules, bool quoteSentences,
                              bool checked = false, bool ownPlaces = false);

struct TextAnalysisOptions {
    CountingRules rules = CountingRules::Classic;
    UnknownWordCount unknown = UnknownWordCount::Estimate;
    ReportExtras extras; // its rules are set from rules
    // A word text at least this long is counted on two threads; SIZE_MAX keeps
    // every text on the caller's thread (when the caller spreads texts itself).
    std::size_t parallelFrom = kParallelFromBytes;
    // Called for each unknown word when unknown is Ask; without it every such
    // word counts 0.
    AskUnknownWord ask;
    // A word whose question gave 0 is asked again at its next occurrence
    // rather than counting 0 for the rest of the text: the desktop adds every
    // counted word to the dictionary, so only words left without a count come
    // back to the question.
    bool askAgainAfterZero = false;
    // When given, the passes run in order on the caller's thread and report
    // here; afterPass is called as each pass ends. An exception thrown from
    // either stops the analysis and leaves this function.
    AnalysisProgress* progress = nullptr;
    AfterPass afterPass;
    // When given, receives the details of every word and sentence (the ones the
    // desktop's Details window shows), built once: the report's index counts
    // come from them.
    PassageDetails* details = nullptr;
    // When given, the sentences of extras.sentences are listed only where this
    // says so of the report without them: their details cost as much again as
    // the counting, and a gate wants them only for a text above its grade.
    std::function<bool(const TextReport&)> sentencesIf;
};

// The report of a decoded text, named name: prepared, counted and reported as
// scrivolux-cli reports a file. The dictionary is read, never changed, so that
// several threads may analyse texts with one dictionary at once (unless an ask
// function changes it). "" gives the report of no words: zero counts and
// placeholders.
TextReport AnalyseText(std::string name, std::string text, TDictionary& dictionary,
                       const TextAnalysisOptions& options);

// The same for a text already prepared with PrepareForReport under the same
// rules, with sentences quoted when options.extras.sentences > 0 and checked
// when options.extras.checks (so that a
// front end may read and prepare a text while the dictionary loads).
TextReport AnalysePreparedText(std::string name, const PreparedText& prepared,
                               TDictionary& dictionary, const TextAnalysisOptions& options);
