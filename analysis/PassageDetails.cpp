#include "analysis/PassageDetails.h"

#include "analysis/CarefulCharacters.h"
#include "analysis/FamiliarWords.h"
#include "analysis/SyllableEstimate.h"
#include "analysis/Tokens.h"
#include "dictionary/Dictionary.h"

#include <QChar>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <future>
#include <limits>
#include <unordered_set>
#include <vector>

std::string_view WordSourceName(WordSource source) {
    switch (source) {
    case WordSource::WordList:
        return "word list";
    case WordSource::UserDictionary:
        return "user dictionary";
    case WordSource::Typed:
        return "typed";
    case WordSource::Estimated:
        return "estimated";
    case WordSource::Ignored:
        break;
    }
    return "ignored";
}

UnknownWordHandler UnknownWordLog::Recording(UnknownWordHandler inner, WordSource source) {
    return
        [this, inner = std::move(inner), source](const std::string& word, TDictionary& dictionary) {
            const std::int32_t count = inner ? inner(word, dictionary) : 0;
            Record(word, count,
                   source == WordSource::Typed && count == 0 ? WordSource::Ignored : source);
            return count;
        };
}

void UnknownWordLog::Record(std::string_view word, std::int32_t count, WordSource source) {
    LowerCaseInto(word, lowerWord_);
    AnswersOf(lowerWord_).push_back({count, source});
}

std::vector<UnknownWordLog::Answer>& UnknownWordLog::AnswersOf(std::string_view lowerWord) {
    auto found = answers_.find(lowerWord);
    if (found == answers_.end())
        found = answers_.emplace(std::string(lowerWord), std::vector<Answer>{}).first;
    return found->second;
}

void UnknownWordLog::Append(const UnknownWordLog& later) {
    for (const auto& [word, answers] : later.answers_) {
        auto& mine = answers_[word];
        mine.insert(mine.end(), answers.begin(), answers.end());
    }
}

const std::vector<UnknownWordLog::Answer>*
UnknownWordLog::AnswersFor(const std::string& lowerWord) const {
    const auto found = answers_.find(lowerWord);
    return found == answers_.end() ? nullptr : &found->second;
}

namespace {

// Counts UTF-16 code units along a UTF-8 text, forwards only.
class Utf16Cursor {
public:
    explicit Utf16Cursor(std::string_view text) : text_(text) {}

    std::size_t PositionOf(std::size_t offset) {
        for (; byte_ < offset; ++byte_) {
            const auto b = static_cast<unsigned char>(text_[byte_]);
            if ((b & 0xC0) != 0x80)
                ++units_;
            if (b >= 0xF0) // four bytes: a surrogate pair
                ++units_;
        }
        return units_;
    }

    // The span of a token of `of`, a text as long as the cursor's.
    TextSpan SpanOf(std::string_view token, std::string_view of) {
        TextSpan span;
        span.offset = static_cast<std::size_t>(token.data() - of.data());
        span.length = token.size();
        span.position = PositionOf(span.offset);
        span.size = PositionOf(span.offset + span.length) - span.position;
        return span;
    }

private:
    std::string_view text_;
    std::size_t byte_ = 0;
    std::size_t units_ = 0;
};

constexpr std::uint32_t kNoRow = std::numeric_limits<std::uint32_t>::max();

// Per distinct lower-cased word: how many logged answers the walk has used, and
// its rows (one per count and source met).
struct WordState {
    const std::vector<UnknownWordLog::Answer>* answers = nullptr;
    std::size_t used = 0;
    std::uint32_t dictionaryRow = kNoRow;
    std::uint32_t firstRow = kNoRow;
    std::vector<std::uint32_t> moreRows; // rarely any: a word given two counts
};

std::int32_t Saturated(std::int64_t value) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, INT32_MAX));
}

// The counts that follow from the rows' syllables; words and letters stay.
void CountFromRows(PassageDetails& details) {
    std::int64_t syllables = 0;
    std::int64_t difficult = 0;
    std::int64_t mono = 0;
    for (const WordRow& row : details.words) {
        syllables += std::int64_t{row.syllables} * row.occurrences;
        if (row.syllables > 2)
            difficult += row.occurrences;
        if (row.syllables == 1)
            mono += row.occurrences;
    }
    details.counts.syllables = Saturated(syllables);
    details.counts.difficultWords = Saturated(difficult);
    details.indexCounts.polysyllables = details.counts.difficultWords;
    details.indexCounts.monosyllables = Saturated(mono);
    std::unordered_set<std::string_view> unfamiliar;
    for (const WordRow& row : details.words) {
        if (!row.spacheFamiliar && row.occurrences > 0)
            unfamiliar.insert(row.word);
    }
    details.indexCounts.spacheUnfamiliarUnique = static_cast<std::int32_t>(unfamiliar.size());
    for (SentenceDetails& sentence : details.sentences) {
        sentence.difficultWords = 0;
        sentence.syllables = 0;
        for (std::size_t i = sentence.firstWord;
             i < sentence.firstWord + static_cast<std::size_t>(sentence.words); ++i) {
            const std::int32_t count = details.words[details.occurrences[i].row].syllables;
            sentence.syllables += count;
            if (count > 2)
                ++sentence.difficultWords;
        }
    }
}

std::int32_t DictionaryCount(const TDictionary& dictionary, const std::string& lower) {
    std::int32_t count = -1;
    if (dictionary.Origin(lower, &count) == WordOrigin::Absent)
        return SpokenFigureSyllables(lower).value_or(0);
    return std::max(count, 0);
}

std::vector<std::size_t> TopSentences(const PassageDetails& details, std::size_t limit,
                                      std::int32_t SentenceDetails::*measure) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < details.sentences.size(); ++i) {
        if (details.sentences[i].*measure > 0)
            order.push_back(i);
    }
    const auto first = [&](std::size_t a, std::size_t b) {
        const auto ma = details.sentences[a].*measure;
        const auto mb = details.sentences[b].*measure;
        return ma != mb ? ma > mb : a < b;
    };
    limit = std::min(limit, order.size());
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(limit),
                      order.end(), first);
    order.resize(limit);
    return order;
}

} // namespace

namespace {

// The word pass: one row per distinct word, count and source, and every
// occurrence with its span.
class WordRows {
public:
    WordRows(PassageDetails& details, const TDictionary& dictionary, const UnknownWordLog& log,
             std::size_t textSize)
        : details_(details), dictionary_(dictionary), log_(log) {
        // Room for as many distinct words as a text of this size can hold, and
        // for every word, so that neither grows on the way.
        states_.reserve(textSize / 6);
        details_.occurrences.reserve(textSize / 6);
    }

    // The row of this occurrence of token: the logged answer where the run
    // asked for it (in the order asked), else the dictionary's count.
    std::uint32_t RowOf(std::string_view token) {
        LowerCaseInto(token, lower_);
        auto [slot, inserted] = states_.try_emplace(lower_);
        WordState& state = slot->second;
        if (inserted)
            state.answers = log_.AnswersFor(lower_);
        if (state.answers && state.used < state.answers->size()) {
            // The run met the word while the dictionary still lacked it.
            const UnknownWordLog::Answer& answer = (*state.answers)[state.used++];
            return RowFor(state, token, answer.count, answer.source);
        }
        if (state.dictionaryRow == kNoRow) {
            std::int32_t count = -1;
            WordSource source = SourceOf(dictionary_.Origin(lower_, &count));
            // A figure the dictionary lacks has the syllables it is said with.
            if (source == WordSource::Ignored) {
                if (const auto spoken = SpokenFigureSyllables(lower_)) {
                    count = *spoken;
                    source = WordSource::Estimated;
                }
            }
            state.dictionaryRow = RowFor(state, token, std::max(count, 0), source);
        }
        return state.dictionaryRow;
    }

private:
    static WordSource SourceOf(WordOrigin origin) {
        switch (origin) {
        case WordOrigin::WordList:
            return WordSource::WordList;
        case WordOrigin::UserDictionary:
            return WordSource::UserDictionary;
        case WordOrigin::AddedLater:
            return WordSource::Typed;
        case WordOrigin::Absent:
            break;
        }
        return WordSource::Ignored;
    }

    // The word's row for this count and source, made when it is new.
    std::uint32_t RowFor(WordState& state, std::string_view token, std::int32_t count,
                         WordSource source) {
        const auto matches = [&](std::uint32_t r) {
            return details_.words[r].syllables == count && details_.words[r].source == source;
        };
        if (state.firstRow != kNoRow && matches(state.firstRow))
            return state.firstRow;
        for (const std::uint32_t r : state.moreRows) {
            if (matches(r))
                return r;
        }
        details_.words.push_back({lower_, count, 0, CountLetters(token), source,
                                  IsFamiliarWord(lower_, FamiliarList::DaleChall),
                                  IsFamiliarWord(lower_, FamiliarList::Spache)});
        const auto row = static_cast<std::uint32_t>(details_.words.size() - 1);
        if (state.firstRow == kNoRow)
            state.firstRow = row;
        else
            state.moreRows.push_back(row);
        return row;
    }

    PassageDetails& details_;
    const TDictionary& dictionary_;
    const UnknownWordLog& log_;
    std::unordered_map<std::string, WordState> states_;
    std::string lower_;
};

// The careful rules blank characters of several bytes, so the positions in
// UTF-16 are counted on the passage, which has the same length.
std::string_view UnitText(const WorkingTexts& texts, std::string_view text) {
    return texts.passage.empty() ? text : std::string_view(texts.passage);
}

// The careful rules close a word up over its soft hyphens (U+00AD), so the
// word stands in the passage longer than in the word text, by their bytes.
std::string_view WithSoftHyphens(const WorkingTexts& texts, std::string_view token,
                                 std::string_view wordText) {
    const std::string_view passage = texts.passage;
    std::size_t at = static_cast<std::size_t>(token.data() - wordText.data());
    for (std::size_t matched = 0; matched < token.size() && at < passage.size();) {
        if (passage.substr(at, 2) == "\xC2\xAD") {
            at += 2;
            continue;
        }
        ++matched;
        ++at;
    }
    return std::string_view(token.data(),
                            at - static_cast<std::size_t>(token.data() - wordText.data()));
}

void AddWords(const WorkingTexts& texts, const TDictionary& dictionary, const UnknownWordLog& log,
              PassageDetails& details) {
    const std::string_view wordText = texts.wordText;
    WordRows rows(details, dictionary, log, wordText.size());
    Utf16Cursor cursor(UnitText(texts, wordText));
    const bool softHyphens = texts.passage.size() == wordText.size() &&
                             texts.passage.find("\xC2\xAD") != std::string::npos;
    tokens::ForEachToken(
        wordText, ' ',
        [&](std::string_view token) {
            const std::uint32_t row = rows.RowOf(token);
            WordRow& word = details.words[row];
            ++word.occurrences;
            ++details.counts.words;
            AddIndexFacts(details.indexCounts,
                          {word.letters, word.daleChallFamiliar, word.spacheFamiliar});
            details.occurrences.push_back(
                {cursor.SpanOf(softHyphens ? WithSoftHyphens(texts, token, wordText) : token,
                               wordText),
                 row});
        },
        [](int) {});
}

// The careful rules write a sentence's full stop over the last byte of its
// ending character ("." "?" "”" "…"), or over the blank after a block
// that has none. The sentence then runs up to and with that character: a span
// never stops inside a character of several bytes. It starts after the wider
// spaces (U+00A0...) that part it from the sentence before.
std::string_view CarefulSentenceOf(const WorkingTexts& texts, std::string_view token,
                                   std::string_view sentenceText) {
    const std::string_view passage = texts.passage;
    if (passage.size() != sentenceText.size())
        return token;
    while (!token.empty()) {
        const careful::Char first =
            careful::Decode(passage, static_cast<std::size_t>(token.data() - sentenceText.data()));
        if (first.kind != careful::Kind::Space || first.length > token.size())
            break;
        token.remove_prefix(first.length);
    }
    const auto end = static_cast<std::size_t>(token.data() - sentenceText.data()) + token.size();
    if (end >= passage.size())
        return token;
    const std::size_t start = careful::PreviousStart(passage, end + 1);
    const careful::Char ending = careful::Decode(passage, start);
    if (start + ending.length != end + 1 || !careful::IsTrailKind(ending.kind))
        return token;
    return std::string_view(token.data(), token.size() + 1);
}

// Each sentence of the working texts in order, as its details span it, with
// the sentence text it is a view into.
template <typename OnSentence>
void ForEachSentenceSpan(const WorkingTexts& texts, OnSentence onSentence) {
    const std::string_view sentenceText = texts.sentenceText;
    tokens::ForEachToken(
        sentenceText, '.',
        [&](std::string_view token) {
            onSentence(CarefulSentenceOf(texts, token, sentenceText), sentenceText);
        },
        [](int) {});
}

// The sentence pass: each sentence's span and the run of occurrences inside it.
void AddSentences(const WorkingTexts& texts, PassageDetails& details) {
    Utf16Cursor cursor(UnitText(texts, texts.sentenceText));
    std::size_t nextWord = 0;
    ForEachSentenceSpan(texts, [&](std::string_view spanned, std::string_view sentenceText) {
        SentenceDetails sentence;
        sentence.span = cursor.SpanOf(spanned, sentenceText);
        sentence.firstWord = nextWord;
        const std::size_t end = sentence.span.offset + sentence.span.length;
        while (nextWord < details.occurrences.size() &&
               details.occurrences[nextWord].span.offset < end)
            ++nextWord;
        sentence.words = static_cast<std::int32_t>(nextWord - sentence.firstWord);
        details.sentences.push_back(sentence);
        ++details.counts.sentences;
    });
    // Every word lies inside a sentence; should one not, it still counts once.
    if (!details.sentences.empty())
        details.sentences.back().words = static_cast<std::int32_t>(
            details.occurrences.size() - details.sentences.back().firstWord);
}

} // namespace

PassageDetails BuildPassageDetails(const WorkingTexts& texts, const TDictionary& dictionary,
                                   const UnknownWordLog& log) {
    PassageDetails details;
    details.rules = texts.rules;
    AddWords(texts, dictionary, log, details);
    AddSentences(texts, details);
    CountFromRows(details);
    return details;
}

SentenceTally SentencesToTally(const WorkingTexts& texts) {
    SentenceTally tally;
    ForEachSentenceSpan(texts, [&tally](std::string_view sentence, std::string_view sentenceText) {
        tally.sentences.push_back(
            {static_cast<std::size_t>(sentence.data() - sentenceText.data()), sentence.size()});
    });
    return tally;
}

PassageDetails DetailsOfTally(const WorkingTexts& texts, const SentenceTally& tally,
                              const AnalysisCounts& counts) {
    PassageDetails details;
    details.rules = texts.rules;
    details.counts = counts;
    details.sentences.reserve(tally.sentences.size());
    std::size_t firstWord = 0;
    for (const TalliedSentence& tallied : tally.sentences) {
        SentenceDetails sentence;
        sentence.span.offset = tallied.offset;
        sentence.span.length = tallied.length;
        sentence.firstWord = firstWord;
        sentence.words = tallied.words;
        sentence.difficultWords = tallied.difficultWords;
        sentence.syllables = tallied.syllables;
        details.sentences.push_back(sentence);
        firstWord += static_cast<std::size_t>(tallied.words);
    }
    return details;
}

bool UnknownWordLog::OneCountPerWord(const TDictionary& dictionary) const {
    for (const auto& [word, answers] : answers_) {
        for (const Answer& answer : answers) {
            if (answer.count != answers.front().count)
                return false;
        }
        if (dictionary.Lookup(word) >= 0)
            return false;
    }
    return true;
}

namespace {

// The index counts of a piece of the word text. With oneCountPerWord a logged
// word counts its first answer at every occurrence, so that the pieces can be
// counted apart; otherwise the answers are used in the order of the text.
IndexCounts CountIndexWordsOf(std::string_view wordText, const TDictionary& dictionary,
                              const UnknownWordLog& log, bool oneCountPerWord,
                              SpacheUnfamiliarWords& spacheUnfamiliar) {
    struct Word {
        const std::vector<UnknownWordLog::Answer>* answers = nullptr;
        std::size_t used = 0;
        std::int32_t syllables = -1; // the dictionary's, looked up when first needed
        std::string lower;
        std::int32_t letters = 0;
        bool daleChallFamiliar = false;
        bool spacheFamiliar = false;
    };
    IndexCounts counts;
    std::unordered_map<std::string, Word> words;
    // Prose repeats its words in the same spelling: a word met before is found
    // by its bytes in the text, without lower-casing it again.
    std::unordered_map<std::string_view, Word*> bySpelling;
    bySpelling.reserve(4096);
    std::string lower;
    tokens::ForEachToken(
        wordText, ' ',
        [&](std::string_view token) {
            Word*& known = bySpelling[token];
            if (!known) {
                LowerCaseInto(token, lower);
                auto [slot, inserted] = words.try_emplace(lower);
                Word& word = slot->second;
                if (inserted) {
                    word.lower = lower;
                    word.answers = log.AnswersFor(lower);
                    word.letters = CountLetters(token);
                    const unsigned lists = FamiliarListsOf(lower);
                    word.daleChallFamiliar = (lists & 1u) != 0;
                    word.spacheFamiliar = (lists & 2u) != 0;
                    if (!word.spacheFamiliar)
                        spacheUnfamiliar.insert(lower);
                    if (oneCountPerWord && word.answers)
                        word.syllables = word.answers->front().count;
                    else if (!word.answers)
                        word.syllables = DictionaryCount(dictionary, lower);
                }
                known = &word;
            }
            Word& word = *known;
            std::int32_t syllables = 0;
            if (!oneCountPerWord && word.answers && word.used < word.answers->size()) {
                syllables = (*word.answers)[word.used++].count;
            } else {
                if (word.syllables < 0)
                    word.syllables = DictionaryCount(dictionary, word.lower);
                syllables = word.syllables;
            }
            AddIndexWord(counts, {word.letters, word.daleChallFamiliar, word.spacheFamiliar},
                         syllables);
        },
        [](int) {});
    return counts;
}

} // namespace

IndexCounts CountIndexWords(const WorkingTexts& texts, const TDictionary& dictionary,
                            const UnknownWordLog& log, std::size_t parallelFromBytes) {
    const std::string_view wordText = texts.wordText;
    const std::size_t cut = HalfwaySpace(wordText, parallelFromBytes);
    SpacheUnfamiliarWords unfamiliar;
    if (cut == std::string_view::npos || !log.OneCountPerWord(dictionary)) {
        IndexCounts counts = CountIndexWordsOf(wordText, dictionary, log, false, unfamiliar);
        counts.spacheUnfamiliarUnique = static_cast<std::int32_t>(unfamiliar.size());
        return counts;
    }
    SpacheUnfamiliarWords tailUnfamiliar;
    auto tail = std::async(std::launch::async, [&] {
        return CountIndexWordsOf(wordText.substr(cut), dictionary, log, true, tailUnfamiliar);
    });
    IndexCounts counts =
        CountIndexWordsOf(wordText.substr(0, cut), dictionary, log, true, unfamiliar);
    AddIndexCounts(counts, tail.get());
    MergeSpacheUnfamiliar(unfamiliar, std::move(tailUnfamiliar));
    counts.spacheUnfamiliarUnique = static_cast<std::int32_t>(unfamiliar.size());
    return counts;
}

void SetWordSyllables(PassageDetails& details, std::size_t row, std::int32_t syllables) {
    if (row >= details.words.size())
        return;
    details.words[row].syllables = std::max(syllables, 0);
    CountFromRows(details);
}

std::vector<std::size_t> LongestSentences(const PassageDetails& details, std::size_t limit) {
    return TopSentences(details, limit, &SentenceDetails::words);
}

std::vector<std::size_t> MostDifficultSentences(const PassageDetails& details, std::size_t limit) {
    return TopSentences(details, limit, &SentenceDetails::difficultWords);
}
