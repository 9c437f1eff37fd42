// Text preparation and the three counting passes over arbitrary bytes, checked
// against a plain re-statement of what the counting rules amount to: the words
// are the space-separated pieces that hold a character above code 32, the
// sentences are the full stops plus a last unfinished one.

#include "FuzzCheck.h"

#include "analysis/AnalysisPipeline.h"
#include "analysis/CountingPasses.h"
#include "analysis/PassageDetails.h"
#include "analysis/SyllableEstimate.h"
#include "analysis/SyllableEstimate.h"
#include "analysis/TextPreparation.h"
#include "dictionary/Dictionary.h"
#include "text/Bytes.h"
#include "text/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool IsBlankText(std::string_view text) {
    for (const char c : text) {
        if (!IsBlank(c))
            return false;
    }
    return true;
}

// The words of a word text as the passes must cut them: the remainder is
// trimmed before each word, so a word starts with a character above code 32,
// and the last one also loses what trails it.
std::vector<std::string_view> ExpectedWords(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t space = std::min(text.find(' ', start), text.size());
        std::string_view piece = text.substr(start, space - start);
        while (!piece.empty() && IsBlank(piece.front()))
            piece.remove_prefix(1);
        if (!piece.empty())
            words.push_back(piece);
        start = space + 1;
    }
    if (!words.empty()) {
        while (IsBlank(words.back().back()))
            words.back().remove_suffix(1);
    }
    return words;
}

std::int32_t ExpectedSentences(std::string_view text) {
    if (IsBlankText(text))
        return 0;
    std::int32_t stops = 0;
    for (const char c : text)
        stops += c == '.';
    const std::size_t last = text.rfind('.');
    const bool unfinished = last == std::string_view::npos || !IsBlankText(text.substr(last + 1));
    return stops + (unfinished ? 1 : 0);
}

// Every report lies in 0..100 and never goes back; a text that holds anything
// ends at exactly 100, a blank one reports nothing.
void CheckProgress(const std::vector<int>& reports, std::size_t tokens) {
    FUZZ_CHECK(reports.size() == tokens);
    for (std::size_t i = 0; i < reports.size(); ++i) {
        FUZZ_CHECK(reports[i] >= 0 && reports[i] <= 100);
        FUZZ_CHECK(i == 0 || reports[i] >= reports[i - 1]);
    }
    FUZZ_CHECK(reports.empty() || reports.back() == 100);
}

struct RecordingProgress : AnalysisProgress {
    std::vector<int> syllable, word, sentence;
    void SetSyllableProgress(int p) override { syllable.push_back(p); }
    void SetWordProgress(int p) override { word.push_back(p); }
    void SetSentenceProgress(int p) override { sentence.push_back(p); }
};

TDictionary& SmallDictionary() {
    static TDictionary dictionary;
    static const bool filled = [] {
        const struct {
            const char* word;
            std::int32_t count;
        } entries[] = {
            {"the", 1},
            {"a", 1},
            {"every", 3},
            {"readability", 6},
            {"don't", 1},
            {"smith's", 1},
            {"zero", 0},
            {"caf\xC3\xA9", 2},
            {"x", 0},
            {"queue", 1},
            {"\xC3\xBC"
             "ber",
             2},
            {"it\xE2\x80\x99s", 1},
        };
        for (const auto& e : entries)
            dictionary.AddWord(e.word, e.count);
        return true;
    }();
    (void)filled;
    return dictionary;
}

void CheckPasses(std::string_view wordText, std::string_view sentenceText) {
    TDictionary& dictionary = SmallDictionary();
    const std::size_t knownWords = dictionary.Size();
    RecordingProgress progress;
    std::vector<std::string> asked;
    const UnknownWordHandler answerZero = [&](const std::string& word, TDictionary&) {
        asked.push_back(word);
        return 0;
    };

    AnalysisCounts counts;
    counts.syllables =
        CountSyllables(wordText, dictionary, answerZero, progress, counts.difficultWords);
    counts.words = CountWords(wordText, progress);
    counts.sentences = CountSentences(sentenceText, progress);

    const std::vector<std::string_view> words = ExpectedWords(wordText);
    std::int64_t syllables = 0;
    std::int32_t difficult = 0;
    std::vector<std::string_view> unknown;
    for (const std::string_view word : words) {
        FUZZ_CHECK(!word.empty() && word.find(' ') == std::string_view::npos);
        std::int32_t count = dictionary.Lookup(word);
        // A figure the dictionary lacks is said, never asked about.
        if (count < 0) {
            const std::optional<std::int32_t> spoken = SpokenFigureSyllables(word);
            if (!spoken) {
                unknown.push_back(word);
                continue;
            }
            FUZZ_CHECK(*spoken >= 1);
            count = *spoken;
        }
        syllables += count;
        difficult += count > 2;
    }

    FUZZ_CHECK(counts.syllables >= 0 && counts.words >= 0 && counts.sentences >= 0);
    FUZZ_CHECK(counts.difficultWords >= 0 && counts.difficultWords <= counts.words);
    FUZZ_CHECK(counts.words == static_cast<std::int32_t>(words.size()));
    FUZZ_CHECK(counts.syllables == syllables);
    FUZZ_CHECK(counts.difficultWords == difficult);
    // The handler sees exactly the words the dictionary lacks, as they stand.
    FUZZ_CHECK(asked.size() == unknown.size());
    for (std::size_t i = 0; i < asked.size(); ++i)
        FUZZ_CHECK(asked[i] == unknown[i]);
    FUZZ_CHECK(dictionary.Size() == knownWords);

    FUZZ_CHECK(counts.sentences == ExpectedSentences(sentenceText));
    if (sentenceText.find('.') == std::string_view::npos && !IsBlankText(sentenceText))
        FUZZ_CHECK(counts.sentences == 1);

    CheckProgress(progress.syllable, words.size());
    CheckProgress(progress.word, words.size());
    CheckProgress(progress.sentence, static_cast<std::size_t>(counts.sentences));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);

    const std::vector<std::string> lines = SplitLines(input);
    const std::string passage = BuildPassage(lines);
    std::size_t expectedLength = 0;
    for (const auto& line : lines) {
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        expectedLength += line.size() + 1;
    }
    FUZZ_CHECK(passage.size() == expectedLength);

    const WorkingTexts texts = PrepareTexts(passage);
    FUZZ_CHECK(texts.sentenceText.size() == passage.size());
    FUZZ_CHECK(texts.wordText.size() == passage.size());
    for (std::size_t i = 0; i < passage.size(); ++i) {
        const auto c = static_cast<unsigned char>(passage[i]);
        const bool stop = c == '.' || c == '?' || c == '!';
        const char sentence = texts.sentenceText[i];
        const char word = texts.wordText[i];
        if (IsPunctuation(c)) {
            FUZZ_CHECK(sentence == ' ' && word == ' ');
        } else if (stop) {
            FUZZ_CHECK(sentence == '.' && word == ' ');
        } else {
            FUZZ_CHECK(sentence == passage[i] && word == passage[i]);
        }
    }

    CheckPasses(texts.wordText, texts.sentenceText);

    // The careful rules keep the passage's shape; every byte of theirs is the
    // passage's or blank, and a full stop only in the sentence text. A word
    // closes up over its soft hyphens: its bytes are the passage's from where
    // it starts, the soft hyphens (C2 AD) left out.
    const WorkingTexts careful = PrepareText(std::string(input), CountingRules::Careful);
    FUZZ_CHECK(careful.passage == passage);
    FUZZ_CHECK(careful.sentenceText.size() == passage.size());
    FUZZ_CHECK(careful.wordText.size() == passage.size());
    std::size_t from = 0; // where the current word's next byte stands in the passage
    for (std::size_t i = 0; i < passage.size(); ++i) {
        if (careful.wordText[i] == ' ') {
            from = i + 1;
        } else {
            while (passage.compare(from, 2, "\xC2\xAD") == 0)
                from += 2;
            FUZZ_CHECK(from < passage.size() && careful.wordText[i] == passage[from]);
            ++from;
        }
        FUZZ_CHECK(careful.sentenceText[i] == ' ' || careful.sentenceText[i] == '.' ||
                   careful.sentenceText[i] == passage[i]);
    }
    CheckPasses(careful.wordText, careful.sentenceText);
    // Of a UTF-8 text, every sentence and word the details point at is whole
    // UTF-8 in the passage: no span starts or stops inside a character.
    if (IsValidUtf8(passage)) {
        const PassageDetails details =
            BuildPassageDetails(careful, SmallDictionary(), UnknownWordLog());
        const auto whole = [&](const TextSpan& span) {
            FUZZ_CHECK(span.offset + span.length <= passage.size());
            FUZZ_CHECK(IsValidUtf8(std::string_view(passage).substr(span.offset, span.length)));
            const std::size_t end = span.offset + span.length;
            FUZZ_CHECK(end == passage.size() ||
                       (static_cast<unsigned char>(passage[end]) & 0xC0) != 0x80);
        };
        for (const SentenceDetails& sentence : details.sentences)
            whole(sentence.span);
        for (const WordOccurrence& occurrence : details.occurrences)
            whole(occurrence.span);
    }
    // The passes take any text, not only prepared ones.
    CheckPasses(input, input);
    return 0;
}
