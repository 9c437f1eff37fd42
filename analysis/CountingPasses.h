#pragma once

#include "analysis/IndexCounts.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TDictionary;

// The four counts of one analysis; none is ever negative.
struct AnalysisCounts {
    std::int32_t syllables = 0;
    std::int32_t words = 0;
    std::int32_t difficultWords = 0; // words of three or more syllables
    std::int32_t sentences = 0;
};

// One sentence with what its words counted: where it lies in the working
// texts, in bytes, its words, difficult words and syllables.
struct TalliedSentence {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::int32_t words = 0;
    std::int32_t difficultWords = 0;
    std::int64_t syllables = 0; // typed counts can pass INT32_MAX together
};

// The sentences of a text, in order, whose words the syllable pass tallies as
// it counts them: a word counts towards the first sentence that ends after its
// start, and the last sentence takes any word past every end.
struct SentenceTally {
    std::vector<TalliedSentence> sentences;
    std::size_t textOffset = 0; // where the text the pass walks starts in the working texts
    std::size_t reached = 0;    // the sentence the pass has got to
};

// Asked for the syllable count of a word that the dictionary lacks. Returns 0 or
// more (0 when the user gives no count); may add the word to the dictionary.
using UnknownWordHandler =
    std::function<std::int32_t(const std::string& word, TDictionary& dictionary)>;

// Told how far each pass has got, as a percentage of its input text consumed.
// Each pass calls only its own operation, once after every token.
class AnalysisProgress {
public:
    virtual ~AnalysisProgress() = default;
    virtual void SetSyllableProgress(int percent) = 0;
    virtual void SetWordProgress(int percent) = 0;
    virtual void SetSentenceProgress(int percent) = 0;
};

// For callers that show no progress.
class NoProgress final : public AnalysisProgress {
public:
    void SetSyllableProgress(int) override {}
    void SetWordProgress(int) override {}
    void SetSentenceProgress(int) override {}
};

// Sum of the syllables of the words of the word text; difficultWords is set to
// the number of words with more than two, words (when given) to the number
// of words as CountWords counts them, and indexCounts (when given) to the
// counts the further indices need (PassageDetails.h), the same as
// CountIndexWords gives afterwards, and spacheUnfamiliar (when given) the
// distinct words off the Spache list. sentenceTally (when given) receives
// each word's count in its sentence, so that the sentences' figures come
// without counting again. A blank text gives 0 and no progress.
std::int32_t CountSyllables(std::string_view wordText, TDictionary& dictionary,
                            const UnknownWordHandler& unknownWord, AnalysisProgress& progress,
                            std::int32_t& difficultWords, std::int32_t* words = nullptr,
                            IndexCounts* indexCounts = nullptr,
                            SpacheUnfamiliarWords* spacheUnfamiliar = nullptr,
                            SentenceTally* sentenceTally = nullptr);

// Number of space-separated pieces that hold a character above code 32.
std::int32_t CountWords(std::string_view wordText, AnalysisProgress& progress);

// Number of full stops, plus one when a character above code 32 follows the last
// one; a blank text holds none.
std::int32_t CountSentences(std::string_view sentenceText, AnalysisProgress& progress);
