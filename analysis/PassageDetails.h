#pragma once

#include "analysis/CountingPasses.h"
#include "analysis/IndexCounts.h"
#include "analysis/TextPreparation.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// What lies behind the four counts of one analysis: every distinct word with its
// syllables and where they came from, every occurrence, every sentence, and the
// extra counts that the further readability indices need. Built after the run
// from the same working texts with the same tokeniser, so it agrees with the
// counting passes word for word.

// Where the syllable count of a word came from.
enum class WordSource {
    WordList,       // the word list
    UserDictionary, // the user dictionary file
    Typed,          // typed by the user in this session
    Estimated,      // estimated from the spelling and the dictionary
    Ignored,        // no count given: 0 syllables
};

// "word list", "user dictionary", "typed", "estimated", "ignored".
std::string_view WordSourceName(WordSource source);

// The answers given for words the dictionary lacked during one run, in the
// order they were asked, so that the details can replay them.
class UnknownWordLog {
public:
    // Wraps a handler so that each of its answers is logged. A 0 from a handler
    // whose answers are Typed is logged as Ignored.
    UnknownWordHandler Recording(UnknownWordHandler inner, WordSource source);

    void Record(std::string_view word, std::int32_t count, WordSource source);

    // Appends the answers of a later part of the same text.
    void Append(const UnknownWordLog& later);

    bool Empty() const { return answers_.empty(); }

    // Whether every occurrence of every logged word counts alike: each word was
    // given one count throughout and the dictionary still lacks it, so the run
    // asked for every occurrence (the command line's answers are remembered so).
    bool OneCountPerWord(const TDictionary& dictionary) const;

    struct Answer {
        std::int32_t count = 0;
        WordSource source = WordSource::Ignored;
    };
    // The answers for one lower-cased word, in the order asked; nullptr for none.
    const std::vector<Answer>* AnswersFor(const std::string& lowerWord) const;
    // The answers of a lower-cased word, made empty when it is new, for a
    // caller that records each occurrence of a word it keeps track of itself
    // (the reference stays valid as other words are added).
    std::vector<Answer>& AnswersOf(std::string_view lowerWord);

private:
    // Looked up by string_view, so that an occurrence costs no key of its own.
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const noexcept {
            return std::hash<std::string_view>{}(key);
        }
    };
    std::unordered_map<std::string, std::vector<Answer>, KeyHash, std::equal_to<>> answers_;
    std::string lowerWord_; // Record's reused buffer
};

// One distinct word: the lower-cased word with one count from one source. A
// word that was ignored once and given a count later has two rows.
struct WordRow {
    std::string word;
    std::int32_t syllables = 0;
    std::int32_t occurrences = 0;
    std::int32_t letters = 0; // of one occurrence
    WordSource source = WordSource::WordList;
    bool daleChallFamiliar = false;
    bool spacheFamiliar = false;
};

// Positions are in the passage: bytes, and the UTF-16 code units of a text area
// holding the same text (the passage's spaces after each line standing for its
// line breaks).
struct TextSpan {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::size_t position = 0; // UTF-16
    std::size_t size = 0;     // UTF-16
};

struct WordOccurrence {
    TextSpan span;
    std::uint32_t row = 0; // into PassageDetails::words
};

struct SentenceDetails {
    TextSpan span;
    std::size_t firstWord = 0; // into PassageDetails::occurrences
    std::int32_t words = 0;
    std::int32_t difficultWords = 0;
    std::int64_t syllables = 0; // of its words; typed counts can pass INT32_MAX together
};

struct PassageDetails {
    std::vector<WordRow> words; // in the order first met
    std::vector<WordOccurrence> occurrences;
    std::vector<SentenceDetails> sentences;
    AnalysisCounts counts;
    IndexCounts indexCounts;
    CountingRules rules = CountingRules::Classic; // the rules that made the working texts
};

// The details of the working texts: each word's count is the logged answer
// where the run asked for it (in the order asked), else the dictionary's.
// A word with neither counts 0 as Ignored. Empty texts give empty details.
PassageDetails BuildPassageDetails(const WorkingTexts& texts, const TDictionary& dictionary,
                                   const UnknownWordLog& log);

// The sentences of the working texts with nothing tallied yet, spanning what
// BuildPassageDetails's sentences span, for the syllable pass to tally
// (CountSyllables). Empty texts give none.
SentenceTally SentencesToTally(const WorkingTexts& texts);

// The sentences as BuildPassageDetails gives them (their spans in bytes,
// words, difficult words and syllables) from those the syllable pass tallied,
// with that run's counts, rather than from every word's row built again. No
// rows, occurrences or UTF-16 positions.
PassageDetails DetailsOfTally(const WorkingTexts& texts, const SentenceTally& tally,
                              const AnalysisCounts& counts);

// The same counts as BuildPassageDetails(...).indexCounts, without keeping
// every word, occurrence and sentence. Empty texts give zeros. A word text of
// parallelFromBytes or more is counted in two halves on two threads when the
// log's answers allow it (OneCountPerWord).
IndexCounts CountIndexWords(const WorkingTexts& texts, const TDictionary& dictionary,
                            const UnknownWordLog& log, std::size_t parallelFromBytes = 256 * 1024);

// Gives every occurrence of a row a new count and counts the figures again
// (syllables, difficult words, monosyllables, the sentences' difficult words).
void SetWordSyllables(PassageDetails& details, std::size_t row, std::int32_t syllables);

// The indices of the sentences with the most words (or the most difficult
// words), at most limit of them, ties in the order of the text. Sentences with
// none are left out.
std::vector<std::size_t> LongestSentences(const PassageDetails& details, std::size_t limit);
std::vector<std::size_t> MostDifficultSentences(const PassageDetails& details, std::size_t limit);

// Sentences of more words than this are long.
inline constexpr std::int32_t kLongSentenceWords = 20;
