#pragma once

#include "analysis/AnalysisPipeline.h"
#include "report/TextReport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// A text's report with nobody to ask about unknown words: for batch jobs (the
// Python module, scrivolux-cli without a terminal), where each text is counted
// on its own and the dictionary is only read.

// What a word the dictionary lacks counts when nobody is asked.
enum class UnknownWordCount {
    Estimate, // the estimate from the spelling and the dictionary
    Zero,     // nothing: the word is ignored
};

// The words a text's dictionary lacked, each tallied once in the order first met.
class UnknownWordTally {
public:
    // The count already given to the lower-cased word, or nullptr when it is new.
    const std::int32_t* Find(const std::string& key) const;
    // One more occurrence of the lower-cased word, which counted syllables.
    void Add(std::string key, std::int32_t syllables);
    // The words since the last call.
    std::vector<UnknownWord> Take();

private:
    std::vector<UnknownWord> words_;
    std::unordered_map<std::string, std::size_t> index_;
};

// Adds the words of a later part of the same text to a tally.
void MergeTally(std::vector<UnknownWord>& tally, const std::vector<UnknownWord>& later);

// A decoded text made ready for counting and for its report.
struct PreparedText {
    WorkingTexts texts;
    std::string passage;                 // kept only when sentences are quoted
    std::vector<std::size_t> lineStarts; // likewise
};

// The working texts of a decoded text under the rules, with the passage and
// its line starts when quoteSentences. The text is consumed. "" gives empty
// texts.
PreparedText PrepareForReport(std::string&& text, CountingRules rules, bool quoteSentences);

struct TextAnalysisOptions {
    CountingRules rules = CountingRules::Classic;
    UnknownWordCount unknown = UnknownWordCount::Estimate;
    ReportExtras extras; // its rules are set from rules
    // A word text at least this long is counted on two threads; SIZE_MAX keeps
    // every text on the caller's thread (when the caller spreads texts itself).
    std::size_t parallelFrom = kParallelFromBytes;
};

// The report of a decoded text, named name: prepared, counted and reported as
// scrivolux-cli reports a file. The dictionary is read, never changed, so that
// several threads may analyse texts with one dictionary at once. "" gives the
// report of no words: zero counts and placeholders.
TextReport AnalyseText(std::string name, std::string text, TDictionary& dictionary,
                       const TextAnalysisOptions& options);
