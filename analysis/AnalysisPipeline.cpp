#include "analysis/AnalysisPipeline.h"

#include "analysis/CarefulRules.h"
#include "analysis/IndexCounts.h"
#include "analysis/PassageDetails.h"
#include "text/TextFile.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <future>
#include <optional>

WorkingTexts PrepareLines(const std::vector<std::string>& lines, CountingRules rules) {
    if (rules == CountingRules::Classic)
        return PrepareTexts(BuildPassage(lines));
    return CarefulWorkingTexts(std::vector<std::string_view>(lines.begin(), lines.end()));
}

namespace {

// Turns a text into its passage where it lies: every line break becomes the
// space after its line (a CR LF pair one space), and a last line without a
// break gets its space too.
bool EndsWithLineBreak(std::string_view text) {
    if (text.empty())
        return false;
    if (text.back() == '\r' || text.back() == '\n')
        return true;
    return text.size() >= 3 && LineBreakAt(text, text.size() - 3) == 3;
}

// Whether a text may hold a line break other than CR or LF: those start with
// one of these two bytes.
bool MayHoldUnicodeBreak(std::string_view text) {
    // Two memchr scans: find_first_of would test each byte against the set.
    return std::memchr(text.data(), '\xE2', text.size()) != nullptr ||
           std::memchr(text.data(), '\xEF', text.size()) != nullptr;
}

// Where the next byte that may start a line break (LF, CR, or the first byte
// of a Unicode separator) stands from `from` on, or the text's size: eight
// bytes a step, so that the text between breaks is passed over, not asked
// about byte by byte.
std::size_t NextBreakCandidate(std::string_view text, std::size_t from) {
    static_assert(std::endian::native == std::endian::little);
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kLow7 = kOnes * 0x7F;
    const auto bytesEqual = [](std::uint64_t bytes, unsigned char c) {
        const std::uint64_t x = bytes ^ (kOnes * c);
        return ~(((x & kLow7) + kLow7) | x) & ~kLow7; // the top bit of each equal byte
    };
    for (; from + 8 <= text.size(); from += 8) {
        std::uint64_t bytes;
        std::memcpy(&bytes, text.data() + from, 8);
        const std::uint64_t found = bytesEqual(bytes, '\n') | bytesEqual(bytes, '\r') |
                                    bytesEqual(bytes, 0xE2) | bytesEqual(bytes, 0xEF);
        if (found != 0)
            return from + static_cast<std::size_t>(std::countr_zero(found) / 8);
    }
    for (; from < text.size(); ++from) {
        const char c = text[from];
        if (c == '\n' || c == '\r' || c == '\xE2' || c == '\xEF')
            return from;
    }
    return text.size();
}

void MakePassage(std::string& text) {
    const bool lastLineOpen = !text.empty() && !EndsWithLineBreak(text);
    if (text.find('\r') == std::string::npos && !MayHoldUnicodeBreak(text)) {
        // Only LF: the length stays, and LF becomes a space eight bytes at a time.
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        constexpr std::uint64_t kLow7 = kOnes * 0x7F;
        std::size_t i = 0;
        for (; i + 8 <= text.size(); i += 8) {
            std::uint64_t bytes;
            std::memcpy(&bytes, text.data() + i, 8);
            const std::uint64_t x = bytes ^ (kOnes * '\n');
            const std::uint64_t lineFeeds = ~(((x & kLow7) + kLow7) | x) & ~kLow7; // top bits
            bytes ^= (lineFeeds >> 7) * ('\n' ^ ' ');
            std::memcpy(text.data() + i, &bytes, 8);
        }
        for (; i < text.size(); ++i)
            text[i] = text[i] == '\n' ? ' ' : text[i];
    } else {
        // The text between breaks moves down whole once a CR LF pair or a
        // separator has shortened what went before.
        std::size_t end = 0;
        for (std::size_t i = 0; i < text.size();) {
            const std::size_t next = NextBreakCandidate(text, i);
            if (next != i) {
                if (end != i)
                    std::memmove(text.data() + end, text.data() + i, next - i);
                end += next - i;
                i = next;
                if (i == text.size())
                    break;
            }
            const std::size_t length = LineBreakAt(text, i);
            if (length == 0) {
                text[end++] = text[i++];
                continue;
            }
            text[end++] = ' ';
            i += length;
        }
        text.resize(end);
    }
    if (lastLineOpen)
        text += ' ';
}

} // namespace

std::string PassageOfText(std::string_view text) {
    std::string passage;
    passage.reserve(text.size() + 1);
    passage.assign(text);
    MakePassage(passage);
    return passage;
}

std::vector<std::size_t> LineStartsOfText(std::string_view text) {
    std::vector<std::size_t> starts{0};
    std::size_t passageOffset = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t next = NextBreakCandidate(text, i);
        passageOffset += next - i;
        i = next;
        if (i == text.size())
            break;
        const std::size_t length = LineBreakAt(text, i);
        if (length == 0) {
            ++i;
            ++passageOffset;
            continue;
        }
        // A break becomes one space in the passage.
        i += length;
        if (i < text.size())
            starts.push_back(passageOffset + 1);
        ++passageOffset;
    }
    return starts;
}

std::int32_t LineAtOffset(const std::vector<std::size_t>& lineStarts, std::size_t offset) {
    const auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    return static_cast<std::int32_t>(std::max<std::ptrdiff_t>(after - lineStarts.begin(), 1));
}

namespace {

// The lines of a text, as views, broken where MakePassage breaks them (CR,
// CR LF and the Unicode separators included).
std::vector<std::string_view> LinesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        i = NextBreakCandidate(text, i);
        if (i == text.size())
            break;
        const std::size_t length = LineBreakAt(text, i);
        if (length == 0) {
            ++i;
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        i += length;
        start = i;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

} // namespace

WorkingTexts PrepareText(std::string&& text, CountingRules rules) {
    if (rules == CountingRules::Careful) {
        if (text.find('\r') != std::string::npos || MayHoldUnicodeBreak(text))
            return CarefulWorkingTexts(LinesOf(text));
        // Only LF: the text becomes the passage where it lies, line by line.
        std::vector<CarefulLine> lines;
        for (std::size_t start = 0; start < text.size();) {
            const auto* found = static_cast<const char*>(
                std::memchr(text.data() + start, '\n', text.size() - start));
            const std::size_t end =
                found ? static_cast<std::size_t>(found - text.data()) : text.size();
            lines.push_back({start, end});
            start = end + 1;
        }
        MakePassage(text);
        return CarefulWorkingTexts(std::move(text), std::move(lines));
    }
    // The passage takes the text's place and then becomes the word text, so
    // that a large file is copied once, into the sentence text.
    MakePassage(text);
    WorkingTexts texts;
    texts.sentenceText.resize(text.size());
    FillWorkingTexts(text, texts.sentenceText.data(), text.data());
    texts.wordText = std::move(text);
    return texts;
}

AnalysisCounts CountTexts(const WorkingTexts& texts, TDictionary& dictionary,
                          const UnknownWordHandler& unknownWord, AnalysisProgress& progress,
                          const AfterPass& afterPass) {
    const auto passEnded = [&afterPass](CountingPass pass) {
        if (afterPass)
            afterPass(pass);
    };
    AnalysisCounts counts;
    counts.syllables =
        CountSyllables(texts.wordText, dictionary, unknownWord, progress, counts.difficultWords);
    passEnded(CountingPass::Syllables);
    counts.words = CountWords(texts.wordText, progress);
    passEnded(CountingPass::Words);
    counts.sentences = CountSentences(texts.sentenceText, progress);
    passEnded(CountingPass::Sentences);
    return counts;
}

namespace {

// The sentences of the texts: a tally of them has them already, one for each
// that the sentence pass would count.
std::int32_t SentencesOf(const WorkingTexts& texts, const SentenceTally* tally,
                         AnalysisProgress& progress) {
    if (tally)
        return static_cast<std::int32_t>(tally->sentences.size());
    return CountSentences(texts.sentenceText, progress);
}

} // namespace

AnalysisCounts CountTextsInParallel(const WorkingTexts& texts, TDictionary& dictionary,
                                    const UnknownWordHandler& headUnknownWord,
                                    const UnknownWordHandler& tailUnknownWord,
                                    std::size_t minimumSize, IndexCounts* indexCounts,
                                    SentenceTally* sentenceTally) {
    NoProgress progress;
    const std::string_view wordText = texts.wordText;
    const std::size_t cut = HalfwaySpace(wordText, minimumSize);
    if (cut == std::string_view::npos && !indexCounts && !sentenceTally)
        return CountTexts(texts, dictionary, headUnknownWord, progress);
    if (cut == std::string_view::npos) {
        AnalysisCounts counts;
        SpacheUnfamiliarWords unfamiliar;
        counts.syllables =
            CountSyllables(wordText, dictionary, headUnknownWord, progress, counts.difficultWords,
                           &counts.words, indexCounts, &unfamiliar, sentenceTally);
        counts.sentences = SentencesOf(texts, sentenceTally, progress);
        if (indexCounts)
            indexCounts->spacheUnfamiliarUnique = static_cast<std::int32_t>(unfamiliar.size());
        return counts;
    }

    // The syllable pass counts the words as it goes, so that no pass runs over
    // the whole word text: each thread takes half of it.
    IndexCounts tailIndex;
    SpacheUnfamiliarWords tailUnfamiliar;
    // The tail tallies its own copy of the sentences, added to the head's after.
    std::optional<SentenceTally> tailTally;
    if (sentenceTally) {
        tailTally = *sentenceTally;
        tailTally->textOffset = sentenceTally->textOffset + cut + 1;
    }
    auto tail = std::async(std::launch::async, [&] {
        NoProgress tailProgress;
        AnalysisCounts counts;
        counts.syllables =
            CountSyllables(wordText.substr(cut + 1), dictionary, tailUnknownWord, tailProgress,
                           counts.difficultWords, &counts.words, indexCounts ? &tailIndex : nullptr,
                           &tailUnfamiliar, tailTally ? &*tailTally : nullptr);
        return counts;
    });
    std::int32_t headDifficult = 0;
    std::int32_t headWords = 0;
    SpacheUnfamiliarWords unfamiliar;
    const std::int32_t headSyllables =
        CountSyllables(wordText.substr(0, cut), dictionary, headUnknownWord, progress,
                       headDifficult, &headWords, indexCounts, &unfamiliar, sentenceTally);
    const std::int32_t sentences = SentencesOf(texts, sentenceTally, progress);
    AnalysisCounts counts = tail.get();
    if (sentenceTally) {
        for (std::size_t i = 0; i < tailTally->sentences.size(); ++i) {
            TalliedSentence& sentence = sentenceTally->sentences[i];
            const TalliedSentence& more = tailTally->sentences[i];
            sentence.words += more.words;
            sentence.difficultWords += more.difficultWords;
            sentence.syllables += more.syllables;
        }
    }
    if (indexCounts) {
        AddIndexCounts(*indexCounts, tailIndex);
        MergeSpacheUnfamiliar(unfamiliar, std::move(tailUnfamiliar));
        indexCounts->spacheUnfamiliarUnique = static_cast<std::int32_t>(unfamiliar.size());
    }
    // The sum saturates as one pass over the whole does.
    counts.syllables = static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{counts.syllables} + headSyllables, INT32_MAX));
    counts.difficultWords += headDifficult;
    counts.words += headWords;
    counts.sentences = sentences;
    return counts;
}
