#pragma once

#include "analysis/CountingPasses.h"
#include "analysis/TextPreparation.h"
#include "analysis/Tokens.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// From text to the four counts, for the desktop program and the command line
// alike: lines -> passage -> working texts -> the three passes.

// The working texts of the text area's logical lines. No lines give two empty
// texts.
WorkingTexts PrepareLines(const std::vector<std::string>& lines,
                          CountingRules rules = CountingRules::Classic);

// The passage of a decoded text: the same as BuildPassage(SplitLines(text)),
// without a string per line. "" gives "".
std::string PassageOfText(std::string_view text);

// Where each line of a decoded text starts in its passage (PassageOfText), in
// order: {0} for a text of one line; "" gives {0}.
std::vector<std::size_t> LineStartsOfText(std::string_view text);

// The line (from 1) of a passage offset, given the line starts.
std::int32_t LineAtOffset(const std::vector<std::size_t>& lineStarts, std::size_t offset);

// The working texts of a decoded text exactly as PrepareLines makes them from
// the same text's lines. The text is consumed and, under the classic rules,
// becomes the word text, so that a large file never needs more than two copies
// of itself at once.
WorkingTexts PrepareText(std::string&& text, CountingRules rules = CountingRules::Classic);

enum class CountingPass { Syllables, Words, Sentences };

// Called after each pass, with the pass that has just ended (the desktop
// program pauses there so that the user can follow the bars).
using AfterPass = std::function<void(CountingPass)>;

// The three passes in their order: the syllable pass (which hands every word
// the dictionary lacks to unknownWord), the word pass, the sentence pass.
// Empty texts give four zeros.
AnalysisCounts CountTexts(const WorkingTexts& texts, TDictionary& dictionary,
                          const UnknownWordHandler& unknownWord, AnalysisProgress& progress,
                          const AfterPass& afterPass = {});

// Below this a second thread costs more than it saves.
inline constexpr std::size_t kParallelFromBytes = 256 * 1024;

// The same counts as CountTexts, without progress or pauses, with the second
// half of a large word text's syllable pass (which counts its words too) on a
// second thread. The head's unknown words go to headUnknownWord in the order
// of the text, the tail's to tailUnknownWord; neither may change the dictionary,
// which both threads read. Texts under minimumSize are counted on this thread
// alone, through headUnknownWord. indexCounts (when given) receives the counts
// of the further indices from the same pass (CountSyllables), and
// sentenceTally (when given, its sentences spanning the working texts) what
// each sentence's words counted.
AnalysisCounts CountTextsInParallel(const WorkingTexts& texts, TDictionary& dictionary,
                                    const UnknownWordHandler& headUnknownWord,
                                    const UnknownWordHandler& tailUnknownWord,
                                    std::size_t minimumSize = kParallelFromBytes,
                                    IndexCounts* indexCounts = nullptr,
                                    SentenceTally* sentenceTally = nullptr);
