#include "analysis/AnalysisPipeline.h"
#include "analysis/CountingPasses.h"
#include "analysis/IndexCounts.h"
#include "analysis/TextPreparation.h"
#include "dictionary/Dictionary.h"
#include "text/Error.h"
#include "text/TextFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

// Records every progress report of every pass.
struct RecordingProgress : AnalysisProgress {
    std::vector<int> syllable, word, sentence;
    void SetSyllableProgress(int p) override { syllable.push_back(p); }
    void SetWordProgress(int p) override { word.push_back(p); }
    void SetSentenceProgress(int p) override { sentence.push_back(p); }
};

using Lines = std::vector<std::string>;

TEST(TextPreparation, WorkingTexts) {
    const struct {
        const char* name;
        Lines lines;
        const char* sentence;
        const char* word;
    } cases[] = {
        {"no lines", {}, "", ""},
        {"each line followed by a space", {"It was", "cold."}, "It was cold. ", "It was cold  "},
        {"digits and hyphen vanish, stops stay",
         {"Dr. Smith's 3.5-inch disk!"},
         "Dr. Smith's  .  inch disk. ",
         "Dr  Smith's     inch disk  "},
        {"question and exclamation marks end sentences",
         {"Wait... what?!"},
         "Wait... what.. ",
         "Wait    what   "},
        {"every punctuation character, plus the line's space",
         {"@#$%^&*()_+1234567890-=[]{}|:;,/<>\""},
         "                                    ",
         "                                    "},
        {"apostrophe, tilde, backslash, grave and tab stay",
         {"a'b~c\\d`e\tf"},
         "a'b~c\\d`e\tf ",
         "a'b~c\\d`e\tf "},
        {"UTF-8 letters and typographic quotes stay",
         {"caf\xC3\xA9 don\xE2\x80\x99t"},
         "caf\xC3\xA9 don\xE2\x80\x99t ",
         "caf\xC3\xA9 don\xE2\x80\x99t "},
        {"a long line is never cut", {std::string(5000, 'x')}, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const std::string passage = BuildPassage(c.lines);
        const WorkingTexts texts = PrepareTexts(passage);
        ASSERT_EQ(texts.sentenceText.size(), passage.size()) << c.name;
        ASSERT_EQ(texts.wordText.size(), passage.size()) << c.name;
        if (c.sentence != nullptr) {
            EXPECT_EQ(texts.sentenceText, c.sentence) << c.name;
            EXPECT_EQ(texts.wordText, c.word) << c.name;
        } else {
            EXPECT_EQ(passage, std::string(5000, 'x') + " ") << c.name;
        }
    }
}

// Runs of letters and spaces are copied a block at a time: any other byte
// must still be mapped, wherever it stands in such a run or after the blocks.
TEST(PrepareTexts, EveryByteIsMappedWhereverItStands) {
    const std::string letters = "Ab cdEF ghIJ kLmZ nop"; // holds 'A', 'Z', 'a' and 'z' too
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        const bool stop = c == '.' || c == '?' || c == '!';
        const bool blank = IsPunctuation(static_cast<unsigned char>(c));
        for (std::size_t at = 0; at < letters.size(); ++at) {
            std::string passage = letters;
            passage[at] = c;
            std::string sentence = passage;
            std::string word = passage;
            sentence[at] = stop ? '.' : blank ? ' ' : c;
            word[at] = stop || blank ? ' ' : c;
            const WorkingTexts texts = PrepareTexts(passage);
            EXPECT_EQ(texts.sentenceText, sentence) << byte << " at " << at;
            EXPECT_EQ(texts.wordText, word) << byte << " at " << at;
        }
    }
}

struct Counted {
    AnalysisCounts counts;
    RecordingProgress progress;
    std::vector<std::string> asked;
};

// Runs the three passes over the lines as the analysis run does; the handler
// answers from `answers` (0 when absent) and adds the word when `addAnswered`.
Counted Count(const Lines& lines, TDictionary& dictionary, std::map<std::string, int> answers = {},
              bool addAnswered = false) {
    Counted result;
    const WorkingTexts texts = PrepareTexts(BuildPassage(lines));
    const UnknownWordHandler handler = [&](const std::string& word, TDictionary& d) {
        result.asked.push_back(word);
        const int answer = answers.count(word) ? answers[word] : 0;
        if (addAnswered)
            d.AddWord(word, answer);
        return answer;
    };
    result.counts.syllables = CountSyllables(texts.wordText, dictionary, handler, result.progress,
                                             result.counts.difficultWords);
    result.counts.words = CountWords(texts.wordText, result.progress);
    result.counts.sentences = CountSentences(texts.sentenceText, result.progress);
    return result;
}

TEST(CountingPasses, WordsSentencesAndProgress) {
    TDictionary dictionary;
    for (const char* w : {"dr", "smith's", "inch", "disk", "wait", "what", "hello", "world"})
        dictionary.AddWord(w, 1);

    const auto drSmith = Count({"Dr. Smith's 3.5-inch disk!"}, dictionary);
    EXPECT_EQ(drSmith.counts.words, 4);
    EXPECT_EQ(drSmith.counts.sentences, 3);
    EXPECT_EQ(drSmith.counts.syllables, 4);
    EXPECT_EQ(drSmith.progress.word, (std::vector<int>{22, 66, 85, 100}));
    EXPECT_EQ(drSmith.progress.syllable, drSmith.progress.word);
    EXPECT_EQ(drSmith.progress.sentence, (std::vector<int>{18, 62, 100}));

    const auto wait = Count({"Wait... what?!"}, dictionary);
    EXPECT_EQ(wait.counts.words, 2);
    EXPECT_EQ(wait.counts.sentences, 5);

    RecordingProgress progress;
    EXPECT_EQ(CountWords("Hello world ", progress), 2);
    EXPECT_EQ(progress.word, (std::vector<int>{58, 100}));
}

// The loop as it reads in words: cut the token off the front, trim the rest,
// report (initial - remaining) * 100 / initial. Slow, but plainly right.
std::vector<int> ReferenceProgress(const std::string& text, char separator, int& tokens) {
    const auto trim = [](std::string t) {
        while (!t.empty() && static_cast<unsigned char>(t.front()) <= 32)
            t.erase(0, 1);
        while (!t.empty() && static_cast<unsigned char>(t.back()) <= 32)
            t.pop_back();
        return t;
    };
    std::vector<int> reports;
    tokens = 0;
    std::string rest = trim(text);
    while (!rest.empty()) {
        const auto sep = rest.find(separator);
        ++tokens;
        rest = sep == std::string::npos ? "" : trim(rest.substr(sep + 1));
        reports.push_back(static_cast<int>((text.size() - rest.size()) * 100 / text.size()));
    }
    return reports;
}

TEST(CountingPasses, ProgressAgreesWithTheLiteralLoop) {
    std::mt19937 rng(1);
    const std::string alphabet = "ab .\t\x01\xC3\xA9";
    for (int round = 0; round < 2000; ++round) {
        std::string text(rng() % 300, ' ');
        for (char& c : text)
            c = alphabet[rng() % alphabet.size()];
        int words = 0;
        int sentences = 0;
        const auto wordReports = ReferenceProgress(text, ' ', words);
        const auto sentenceReports = ReferenceProgress(text, '.', sentences);
        RecordingProgress progress;
        EXPECT_EQ(CountWords(text, progress), words);
        EXPECT_EQ(CountSentences(text, progress), sentences);
        ASSERT_EQ(progress.word, wordReports) << '"' << text << '"';
        ASSERT_EQ(progress.sentence, sentenceReports) << '"' << text << '"';
    }
}

TEST(CountingPasses, SentenceEnds) {
    NoProgress none;
    const struct {
        const char* text;
        int sentences;
    } cases[] = {
        {"", 0},     {"   \t ", 0}, {"no stop at all ", 1}, {"One. Two ", 2},    {"One. Two. ", 2},
        {"... ", 3}, {" . ", 1},    {"a.\x01\x02 ", 1},     {"a. \xC3\xA9 ", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountSentences(c.text, none), c.sentences) << '"' << c.text << '"';
}

TEST(CountingPasses, BlankTextsGiveZeroAndNoProgress) {
    TDictionary dictionary;
    for (const Lines& lines : {Lines{}, Lines{""}, Lines{" \t", "\x1f"}, Lines{"...", "--"}}) {
        const auto r = Count(lines, dictionary);
        EXPECT_EQ(r.counts.words, 0);
        EXPECT_EQ(r.counts.syllables, 0);
        EXPECT_TRUE(r.progress.syllable.empty());
        EXPECT_TRUE(r.progress.word.empty());
    }
}

TEST(CountingPasses, WordsAreSplitOnSpacesOnly) {
    TDictionary dictionary;
    const auto r = Count({"one\ttwo  three", "four"}, dictionary);
    EXPECT_EQ(r.counts.words, 3);
    EXPECT_EQ(r.asked, (std::vector<std::string>{"one\ttwo", "three", "four"}));
}

TEST(CountingPasses, UnknownWordsAndDifficultWords) {
    TDictionary dictionary;
    dictionary.AddWord("the", 1);

    // Not added: asked at every occurrence; added: asked once.
    EXPECT_EQ(Count({"zyx the zyx"}, dictionary, {{"zyx", 2}}).asked.size(), 2u);
    TDictionary learning;
    EXPECT_EQ(Count({"Zyx the zyx"}, learning, {{"Zyx", 2}}, true).asked.size(), 2u); // "the" too
    EXPECT_EQ(learning.Lookup("ZYX"), 2);

    const auto r =
        Count({"big bigger biggest"}, dictionary, {{"big", 2}, {"bigger", 3}, {"biggest", 0}});
    EXPECT_EQ(r.counts.syllables, 5);
    EXPECT_EQ(r.counts.difficultWords, 1);
    EXPECT_EQ(r.counts.words, 3);

    // Huge typed counts saturate instead of wrapping to a negative total.
    const auto huge = Count({"a b"}, dictionary, {{"a", INT32_MAX}, {"b", INT32_MAX}});
    EXPECT_EQ(huge.counts.syllables, INT32_MAX);
}

// The syllable pass remembers the counts of recent words by their spelling:
// words that differ only in their last byte, their length or their case, and
// more words than it remembers, must each still get their own count.
TEST(CountingPasses, EveryWordGetsItsOwnCountTheSecondTimeToo) {
    TDictionary dictionary;
    std::string text;
    std::int64_t expected = 0;
    const std::string stem = "abcdefghijklmnopq";
    for (std::size_t n = 1; n <= stem.size(); ++n) {
        for (const char last : {'x', 'y'}) {
            const std::string word = stem.substr(0, n - 1) + last;
            const auto count = static_cast<std::int32_t>(2 * n + (last == 'y'));
            dictionary.AddWord(word, count);
            std::string upper = word;
            for (char& c : upper)
                c = static_cast<char>(c - 'a' + 'A');
            text += word + " " + upper + " ";
            expected += 2 * count;
        }
    }
    for (int i = 0; i < 6000; ++i) {
        std::string word = "w"; // digits would vanish from the word text
        for (int v = i * 7919 + 1; v > 0; v /= 26)
            word += static_cast<char>('a' + v % 26);
        dictionary.AddWord(word, i % 5);
        text += word + " ";
        expected += i % 5;
    }
    const WorkingTexts texts = PrepareTexts(text + text);
    NoProgress progress;
    std::int32_t difficult = 0;
    EXPECT_EQ(CountSyllables(texts.wordText, dictionary, {}, progress, difficult), 2 * expected);
}

TEST(Dictionary, FirstInsertionWinsAndCaseFolds) {
    TDictionary d;
    EXPECT_FALSE(d.Loaded);
    EXPECT_EQ(d.Lookup("cat"), -1);
    d.AddWord("cat", 1);
    EXPECT_TRUE(d.AddWord("Dog", 2));
    EXPECT_TRUE(d.AddWord("dog", 5));
    d.AddWord("zero", 0);
    d.AddWord("\xC3\x89T\xC3\x89", 2); // ÉTÉ
    EXPECT_EQ(d.Lookup("CAT"), 1);
    EXPECT_EQ(d.Lookup("Cat"), 1);
    EXPECT_EQ(d.Lookup("DOG"), 2);
    EXPECT_EQ(d.Lookup("zero"), 0);
    EXPECT_EQ(d.Lookup("\xC3\xA9t\xC3\xA9"), 2); // été
    EXPECT_EQ(d.Lookup(" cat"), -1);
    EXPECT_EQ(d.Lookup("cat."), -1);
    EXPECT_EQ(d.Lookup(""), -1);
}

TEST(TextFile, DecodingByContent) {
    const struct {
        const char* name;
        std::string bytes;
        std::string text;
        TextEncoding encoding;
    } cases[] = {
        {"ASCII", "plain\r\n", "plain\r\n", TextEncoding::Utf8},
        {"UTF-8", "caf\xC3\xA9", "caf\xC3\xA9", TextEncoding::Utf8},
        {"UTF-8 with mark", "\xEF\xBB\xBFhi", "hi", TextEncoding::Utf8WithBom},
        {"Windows-1252", "caf\xE9 \x93q\x94 \x80",
         "caf\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x82\xAC", TextEncoding::Windows1252},
        {"a bad byte after a long ASCII run", "0123456789abcdef\xE9", "0123456789abcdef\xC3\xA9",
         TextEncoding::Windows1252},
        {"a cut-off character at the end", "0123456789abcdefgh\xE2\x80",
         "0123456789abcdefgh\xC3\xA2\xE2\x82\xAC", TextEncoding::Windows1252},
        {"overlong UTF-8 is not UTF-8", "\xC0\xAF", "\xC3\x80\xC2\xAF", TextEncoding::Windows1252},
        {"UTF-16LE", std::string("\xFF\xFEh\0i\0", 6), "hi", TextEncoding::Utf16},
        {"UTF-16BE", std::string("\xFE\xFF\0h\0i", 6), "hi", TextEncoding::Utf16BigEndian},
    };
    for (const auto& c : cases) {
        const DecodedText d = DecodeText(c.bytes);
        EXPECT_EQ(d.text, c.text) << c.name;
        EXPECT_EQ(d.encoding, c.encoding) << c.name;
    }
    EXPECT_THROW(DecodeText(std::string("a\0b", 3)), ScrivoluxError);
    EXPECT_THROW(DecodeText(std::string("\xFF\xFE"
                                        "a\0\0\0",
                                        6)),
                 ScrivoluxError);
}

TEST(TextFile, LinesAndEncodingBack) {
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n\r"), (Lines{"a", ""})); // LF then CR: two breaks
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(JoinLinesCrLf({"a", ""}), "a\r\n");
    EXPECT_EQ(ConvertLineBreaks("a\nb\rc\r\nd\n\r", "\r\n"), "a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_EQ(ConvertLineBreaks("a\r\n\r\n", "\n"), "a\n\n");
    EXPECT_EQ(ConvertLineBreaks("", "\r\n"), "");

    const auto latin = EncodeText("caf\xC3\xA9 \xE2\x82\xAC", TextEncoding::Windows1252);
    EXPECT_EQ(latin.bytes, "caf\xE9 \x80");
    EXPECT_EQ(latin.encoding, TextEncoding::Windows1252);
    // A character Windows-1252 cannot hold: saved as UTF-8 rather than lost.
    const auto greek = EncodeText("\xCE\xB1", TextEncoding::Windows1252);
    EXPECT_EQ(greek.bytes, "\xCE\xB1");
    EXPECT_EQ(greek.encoding, TextEncoding::Utf8);
    EXPECT_EQ(EncodeText("x", TextEncoding::Utf8WithBom).bytes, "\xEF\xBB\xBFx");
    EXPECT_EQ(EncodeText("x", TextEncoding::Utf16).bytes, std::string("\xFF\xFEx\0", 4));
}

} // namespace

TEST(PassageOfText, IsThePassageOfTheTextAreasLines) {
    for (const char* text :
         {"", "\n", "\r\n", "\r", "one", "one\n", "one\r\ntwo", "one\r\rtwo\n",
          "one\n\r two\r\n\r\n", "\n\nend", "tab\there\r", "Why? No. 1-2\r\n",
          "Hello\u2028world. The cat\u2029sat.", "a\uFDD0b\uFDD1", "\xE2\x80", "end\u2028"}) {
        EXPECT_EQ(PassageOfText(text), BuildPassage(SplitLines(text))) << text;
        // The file path makes the passage in place and the word text out of it.
        const WorkingTexts fromLines = PrepareLines(SplitLines(text));
        const WorkingTexts inPlace = PrepareText(std::string(text));
        EXPECT_EQ(inPlace.wordText, fromLines.wordText) << text;
        EXPECT_EQ(inPlace.sentenceText, fromLines.sentenceText) << text;
    }
}

namespace {

// The words that the syllable pass hands over, in order.
std::vector<std::string> WordsMet(std::string_view wordText) {
    TDictionary empty;
    NoProgress progress;
    std::vector<std::string> words;
    std::int32_t difficult = 0;
    CountSyllables(
        wordText, empty,
        [&](const std::string& word, TDictionary&) { return words.push_back(word), 0; }, progress,
        difficult);
    return words;
}

} // namespace

TEST(HalfwaySpace, BothHalvesMeetExactlyTheWordsOfTheWhole) {
    std::string mixed;
    for (int i = 0; i < 200; ++i)
        mixed += (i % 7 == 0 ? "tab\t " : i % 5 == 0 ? "  \x01 " : i % 3 == 0 ? "x\t\t y " : "w ");
    for (const std::string& text :
         {std::string("one two"), std::string("one\t two  three"), std::string("   lead two"),
          std::string("x\t y\t z w"), std::string("a \t b \t c \t d"), mixed}) {
        const std::size_t cut = HalfwaySpace(text, 0);
        ASSERT_NE(cut, std::string::npos) << text;
        std::vector<std::string> halves = WordsMet(std::string_view(text).substr(0, cut));
        for (std::string& word : WordsMet(std::string_view(text).substr(cut + 1)))
            halves.push_back(std::move(word));
        EXPECT_EQ(halves, WordsMet(text)) << text;
    }
    EXPECT_EQ(HalfwaySpace("one two", 100), std::string::npos);
    EXPECT_EQ(HalfwaySpace("one\t\t\t\t two", 0), std::string::npos);
}

TEST(TextFile, WhatTheProgramSavesLoadsBack) {
    // As much text as the program holds, every other byte a line feed: saved
    // with CR LF it takes half as much again, and must still load.
    std::string text;
    text.reserve(kMaxTextFileBytes);
    while (text.size() < kMaxTextFileBytes)
        text += "a\n";
    const std::string saved = EncodeText(ConvertLineBreaks(text, "\r\n"), TextEncoding::Utf8).bytes;
    ASSERT_GT(saved.size(), kMaxTextFileBytes);
    EXPECT_EQ(DecodeBoundedText(saved).text.size(), saved.size());
    EXPECT_THROW(DecodeBoundedText(saved + "b"), ScrivoluxError);
}

TEST(AnalysisPipeline, UnicodeSeparatorsBreakLines) {
    EXPECT_EQ(PassageOfText("Hello\u2028world. The cat\u2029sat."), "Hello world. The cat sat. ");
    EXPECT_EQ(SplitLines("a\uFDD0b"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitLines("a\uFDD2b").size(), 1u) << "other noncharacters are text";
}

// The passes look for the separator in the next eight bytes before they call
// memchr: words and sentences of every length around eight must come out whole.
TEST(CountingPasses, TokensOfEveryLengthComeOutWhole) {
    std::string wordText;
    std::string sentenceText;
    std::vector<std::string> words;
    for (int n = 1; n <= 20; ++n) {
        words.emplace_back(static_cast<std::size_t>(n), static_cast<char>('a' + n));
        wordText += words.back() + std::string(static_cast<std::size_t>(1 + n % 3), ' ');
        sentenceText += std::string(static_cast<std::size_t>(n), 'x') + (n % 2 ? "." : ". ");
    }
    NoProgress progress;
    EXPECT_EQ(WordsMet(wordText), words);
    EXPECT_EQ(CountWords(wordText, progress), 20);
    EXPECT_EQ(CountSentences(sentenceText, progress), 20);
}

// The two threads take their word count from the syllable pass.
TEST(CountSyllables, CountsTheWordsOfTheWordPass) {
    TDictionary empty;
    NoProgress progress;
    std::string mixed;
    for (int i = 0; i < 200; ++i)
        mixed += (i % 7 == 0 ? "tab\t " : i % 5 == 0 ? "  \x01 " : i % 3 == 0 ? "x\t\t y " : "w ");
    for (const std::string& text : {std::string(""), std::string("  \t "), std::string("one"),
                                    std::string("\x01 a  b\t c "), mixed}) {
        std::int32_t difficult = 0;
        std::int32_t words = -1;
        CountSyllables(text, empty, {}, progress, difficult, &words);
        EXPECT_EQ(words, CountWords(text, progress)) << text;
    }
}

TEST(AnalysisPipeline, TwoThreadsCountAsOne) {
    TDictionary dictionary;
    dictionary.AddWord("readability", 5);
    dictionary.AddWord("the", 1);
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += i % 11 == 0 ? "The readability. Of\tzyx! " : "the readability qq ";
    const WorkingTexts texts = PrepareText(std::string(text));
    const UnknownWordHandler three = [](const std::string&, TDictionary&) { return 3; };
    NoProgress progress;
    const AnalysisCounts one = CountTexts(texts, dictionary, three, progress);
    const AnalysisCounts two = CountTextsInParallel(texts, dictionary, three, three, 0);
    EXPECT_EQ(two.syllables, one.syllables);
    EXPECT_EQ(two.words, one.words);
    EXPECT_EQ(two.difficultWords, one.difficultWords);
    EXPECT_EQ(two.sentences, one.sentences);
}

// The passage is made in eight-byte steps that stop only at bytes that may
// start a break: every kind of break, and a byte that starts none, at every
// place in and across those steps, with the text after a CR LF or a separator
// moved down.
TEST(PassageOfText, BreaksAtEveryPlaceOfTheEightByteSteps) {
    const struct {
        const char* name;
        std::string_view bytes;
    } marks[] = {
        {"LF", "\n"},
        {"CR LF", "\r\n"},
        {"CR", "\r"},
        {"U+2028", "\xE2\x80\xA8"},
        {"U+2029", "\xE2\x80\xA9"},
        {"U+FDD0", "\xEF\xB7\x90"},
        {"U+FDD1", "\xEF\xB7\x91"},
        {"a closing quote", "\xE2\x80\x99"},
        {"U+FDD2 (no break)", "\xEF\xB7\x92"},
        {"a cut separator", "\xE2\x80"},
    };
    const std::string filler = "Abcdefghijklmnopqrstu vwxyz. Abcdefgh";
    for (const auto& mark : marks) {
        for (std::size_t at = 0; at <= 20; ++at) {
            // One mark at `at`, another one 9 bytes on, and one at the end.
            std::string text = filler.substr(0, at);
            text.append(mark.bytes);
            text += filler.substr(at, 9);
            text.append(mark.bytes);
            text += filler.substr(at + 9);
            for (const std::string& t : {text, text + std::string(mark.bytes)}) {
                SCOPED_TRACE(std::string(mark.name) + " at " + std::to_string(at));
                const std::vector<std::string> lines = SplitLines(t);
                EXPECT_EQ(PassageOfText(t), BuildPassage(lines));
                std::vector<std::size_t> starts{0};
                for (std::size_t line = 0; line + 1 < lines.size(); ++line)
                    starts.push_back(starts.back() + lines[line].size() + 1);
                EXPECT_EQ(LineStartsOfText(t), starts);
                for (const CountingRules rules : {CountingRules::Classic, CountingRules::Careful}) {
                    const WorkingTexts fromLines = PrepareLines(lines, rules);
                    const WorkingTexts inPlace = PrepareText(std::string(t), rules);
                    EXPECT_EQ(inPlace.wordText, fromLines.wordText);
                    EXPECT_EQ(inPlace.sentenceText, fromLines.sentenceText);
                }
            }
        }
    }
}

namespace {

// Counts the syllables of text, answering every question with `answer` and
// adding the word to the dictionary at the question numbered addAt (from 1).
struct Questions {
    std::int32_t syllables = 0;
    std::vector<std::string> asked;
};

Questions AskedWhileCounting(const std::string& text, TDictionary& dictionary, std::int32_t answer,
                             std::size_t addAt) {
    Questions result;
    const UnknownWordHandler handler = [&](const std::string& word, TDictionary& d) {
        result.asked.push_back(word);
        if (result.asked.size() == addAt)
            d.AddWord(word, answer);
        return answer;
    };
    NoProgress progress;
    std::int32_t difficult = 0;
    result.syllables =
        CountSyllables(PrepareTexts(text).wordText, dictionary, handler, progress, difficult);
    return result;
}

} // namespace

// The pass remembers what the dictionary lacked; an answer that adds the word
// (the desktop's "add to dictionary") must be seen at its next occurrence,
// however late it comes, and an answer that adds nothing leaves the word to be
// asked about again.
TEST(CountingPasses, AWordAddedByAnAnswerIsNotAskedAgain) {
    const struct {
        const char* name;
        std::size_t addAt;
        std::size_t asked;
    } rows[] = {
        {"added at the first question", 1, 1},
        {"added at the second question", 2, 2},
        {"never added", 0, 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TDictionary dictionary;
        dictionary.AddWord("the", 1);
        const Questions q = AskedWhileCounting("zyx the zyx the zyx zyx", dictionary, 2, row.addAt);
        EXPECT_EQ(q.asked.size(), row.asked);
        EXPECT_EQ(q.syllables, 2 * 4 + 2);
    }
    // A word added meanwhile that is not the one asked about grows the
    // dictionary too: the word asked about is still lacking.
    TDictionary dictionary;
    std::size_t questions = 0;
    const UnknownWordHandler other = [&](const std::string&, TDictionary& d) {
        d.AddWord("other" + std::to_string(++questions), 1);
        return 3;
    };
    NoProgress progress;
    std::int32_t difficult = 0;
    EXPECT_EQ(CountSyllables("qq qq qq", dictionary, other, progress, difficult), 9);
    EXPECT_EQ(questions, 3u);
}

// Words the pass must not take for one another: a word with a NUL byte after
// it (its first bytes and their zero padding are alike), long words that
// differ only in a middle byte, and more distinct words than the first table
// holds, all met again after the table grew.
TEST(CountingPasses, TheMemoNeverGivesOneWordAnothersCount) {
    TDictionary dictionary;
    dictionary.AddWord("ab", 1);
    const Questions nul = AskedWhileCounting(std::string("ab ab\0 ab\0 ab", 13), dictionary, 3, 0);
    EXPECT_EQ(nul.syllables, 1 + 3 + 3 + 1);
    EXPECT_EQ(nul.asked.size(), 2u);

    std::string text;
    std::int64_t expected = 0;
    for (std::size_t length : {17, 24, 25, 40}) {
        for (std::size_t middle = 0; middle < 3; ++middle) {
            std::string word(length, 'k');
            word[length / 2] = static_cast<char>('a' + middle);
            const auto count = static_cast<std::int32_t>(length + middle);
            dictionary.AddWord(word, count);
            text += word + " ";
            expected += count;
        }
    }
    for (int i = 0; i < 3000; ++i) {
        std::string word = "v";
        for (int v = i * 104729 + 3; v > 0; v /= 26)
            word += static_cast<char>('a' + v % 26);
        dictionary.AddWord(word, 1 + i % 4);
        text += word + " ";
        expected += 1 + i % 4;
    }
    NoProgress progress;
    std::int32_t difficult = 0;
    const WorkingTexts texts = PrepareTexts(text + text + text);
    EXPECT_EQ(CountSyllables(texts.wordText, dictionary, {}, progress, difficult), 3 * expected);
}

// What the further indices need of a word comes from the memo when the word
// is met again: each list's familiarity stays its own, and the distinct words
// off the Spache list are counted once whatever their case.
TEST(CountingPasses, RepeatedWordsKeepTheirFamiliarityOnEachList) {
    TDictionary dictionary;
    for (const char* word : {"mr", "baby", "quixotic"})
        dictionary.AddWord(word, 1);
    NoProgress progress;
    std::int32_t difficult = 0;
    IndexCounts counts;
    SpacheUnfamiliarWords unfamiliar;
    // "mr" is on the Dale-Chall list only, "baby" on the Spache list only.
    CountSyllables("mr baby quixotic mr mr quixotic baby Mr Quixotic", dictionary, {}, progress,
                   difficult, nullptr, &counts, &unfamiliar);
    EXPECT_EQ(counts.daleChallUnfamiliar, 2 + 3); // baby, quixotic
    EXPECT_EQ(counts.spacheUnfamiliar, 4 + 3);    // mr, quixotic
    EXPECT_EQ(unfamiliar, (SpacheUnfamiliarWords{"mr", "quixotic"}));
    EXPECT_EQ(counts.letters, 4 * 2 + 2 * 4 + 3 * 8);

    // A second answer that adds its word: each occurrence counts once, the
    // first two by the answers and the rest by the dictionary.
    int answers = 0;
    const UnknownWordHandler addsLater = [&answers](const std::string& word, TDictionary& d) {
        if (++answers == 2)
            d.AddWord(word, 3);
        return 3;
    };
    CountSyllables("zebra zebra zebra zebra Zebra mr", dictionary, addsLater, progress, difficult,
                   nullptr, &counts, &unfamiliar);
    EXPECT_EQ(answers, 2);
    EXPECT_EQ(counts.polysyllables, 5);
    EXPECT_EQ(counts.monosyllables, 1);
}

// Words of the word list's index are known by their entries: the further
// indices come out as from the same words read as text, in one pass and in two
// halves, whatever the case of a word, and with words beyond the index.
TEST(CountingPasses, IndexedWordsCountAsListedWordsDo) {
    const std::filesystem::path list =
        std::filesystem::temp_directory_path() / ("indexed-" + std::to_string(::getpid()));
    std::ofstream(list) << "mr|X|1\nbaby|X|2\nquixotic|X|3\ncaf\u00e9|X|2\nthe|X|1\n";
    ASSERT_FALSE(TDictionary::WriteIndex(list.string()));
    TDictionary indexed;
    ASSERT_TRUE(indexed.LoadDictionary(list.string()));
    ASSERT_TRUE(indexed.UsesIndex());
    TDictionary listed;
    for (const char* word : {"mr", "baby", "quixotic", "caf\u00e9", "the"})
        listed.AddWord(word, indexed.Lookup(word));
    // Another index of other counts, read after the first on the same thread.
    std::ofstream(list) << "mr|X|2\nbaby|X|1\nquixotic|X|5\ncaf\u00e9|X|2\nthe|X|2\n";
    ASSERT_FALSE(TDictionary::WriteIndex(list.string()));
    TDictionary other;
    ASSERT_TRUE(other.LoadDictionary(list.string()));
    ASSERT_TRUE(other.UsesIndex());
    std::filesystem::remove(list);
    std::filesystem::remove(list.string() + ".idx");

    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "The mr Mr baby Quixotic quixotic zebras Zebra CAF\u00c9 caf\u00e9 baby the. ";
    const WorkingTexts texts = PrepareTexts(text);
    for (const std::size_t cutFrom : {std::size_t{1}, std::size_t{1} << 20}) {
        IndexCounts fromIndex;
        IndexCounts fromList;
        const std::int32_t syllables =
            CountTextsInParallel(texts, indexed, {}, {}, cutFrom, &fromIndex).syllables;
        EXPECT_EQ(syllables,
                  CountTextsInParallel(texts, listed, {}, {}, cutFrom, &fromList).syllables);
        EXPECT_EQ(syllables, 40 * (1 + 1 + 1 + 2 + 3 + 3 + 2 + 2 + 2 + 1));
        // Off the Spache list: mr, quixotic, zebras, zebra, café; baby and the
        // are on it.
        EXPECT_EQ(fromIndex.spacheUnfamiliarUnique, 5) << cutFrom;
        EXPECT_EQ(fromList.spacheUnfamiliarUnique, 5) << cutFrom;
        EXPECT_EQ(fromIndex.spacheUnfamiliar, fromList.spacheUnfamiliar);
        EXPECT_EQ(fromIndex.daleChallUnfamiliar, fromList.daleChallUnfamiliar);
        EXPECT_EQ(fromIndex.letters, fromList.letters);
        EXPECT_EQ(fromIndex.longWords, 80);  // not the six letters of "zebras"
        EXPECT_EQ(fromIndex.miniWords, 160); // the, mr
        EXPECT_EQ(fromIndex.monosyllables, fromList.monosyllables);
        EXPECT_EQ(fromIndex.polysyllables, 80);
        // Neither the words nor the entries met with the first index answer
        // for the second.
        IndexCounts fromOther;
        EXPECT_EQ(CountTextsInParallel(texts, other, {}, {}, cutFrom, &fromOther).syllables,
                  40 * (2 + 2 + 2 + 1 + 5 + 5 + 2 + 2 + 2 + 1 + 0 + 0));
        EXPECT_EQ(fromOther.polysyllables, 80);
        EXPECT_EQ(fromOther.spacheUnfamiliarUnique, 5);
        EXPECT_EQ(CountTextsInParallel(texts, indexed, {}, {}, cutFrom).syllables, syllables);
    }
}

// A thread's word memo serves one pass at a time: a pass started by an answer
// inside another counts by its own dictionary, and the outer pass's words,
// met before and after, keep their counts.
TEST(CountingPasses, APassInsideAnotherKeepsItsOwnWords) {
    TDictionary outer;
    outer.AddWord("cat", 1);
    outer.AddWord("elephant", 3);
    TDictionary inner;
    inner.AddWord("cat", 2);
    NoProgress progress;
    std::int32_t difficult = 0;
    std::int32_t innerCount = -1;
    const UnknownWordHandler nested = [&](const std::string&, TDictionary&) {
        std::int32_t innerDifficult = 0;
        innerCount = CountSyllables("cat cat zebra", inner, {}, progress, innerDifficult);
        return 4;
    };
    // Long enough for the outer table to grow past what a thread keeps after
    // a pass, while the inner passes come and go.
    std::string text = "cat elephant ";
    for (int i = 0; i < 9000; ++i)
        text += "w" + std::to_string(i) + " cat ";
    outer.AddWord("w7", 1);
    EXPECT_EQ(CountSyllables(text + "qwzzle cat elephant", outer, nested, progress, difficult),
              1 + 3 + 8999 * 4 + 1 + 9000 * 1 + 4 + 1 + 3);
    EXPECT_EQ(innerCount, 4);
}

// A thread remembers each spelling's index facts across texts: whether met
// first or again, they are what the lists and the letters give, each list
// its own flag, and the lower-cased spelling is the word's own, for spellings
// that share their first 8 or 16 bytes or differ only in case.
TEST(IndexCounts, RememberedSpellingsGiveWhatTheListsGive) {
    const std::string longStem = "antidisestablish"; // 16 bytes
    const struct {
        std::string word;
        std::int32_t letters;
        bool daleChall;
        bool spache;
    } cases[] = {
        {"Mr", 2, true, false},
        {"mr", 2, true, false},
        {"MR.", 2, true, false},
        {"baby", 4, false, true},
        {"Babies", 6, true, true},
        {"cat\u2019s", 4, true, true},
        {"quixotic", 8, false, false},
        {"quixotics", 9, false, false},
        {"\u00C9LAN", 4, false, false},
        {"\u00E9lan", 4, false, false},
        {longStem + "mentarianism", 28, false, false},
        {longStem + "mentarianisms", 29, false, false},
        {longStem + "MENTARIANISM", 28, false, false},
        {"grandchildren", 13, true, false},
        {"grandchildren's", 14, true, false},
        {"42", 0, false, false},
    };
    for (int round = 0; round < 3; ++round) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.word + " round " + std::to_string(round));
            const SpeltIndexWord spelt = IndexWordOfSpelling(c.word);
            EXPECT_EQ(spelt.lower, LowerCaseWord(c.word));
            EXPECT_EQ(spelt.facts.letters, c.letters);
            EXPECT_EQ(spelt.facts.daleChallFamiliar, c.daleChall);
            EXPECT_EQ(spelt.facts.spacheFamiliar, c.spache);
        }
    }
    // Another thread has its own memory and the same answers.
    std::thread([] {
        EXPECT_FALSE(IndexWordOfSpelling("Mr").facts.spacheFamiliar);
        EXPECT_TRUE(IndexWordOfSpelling("Mr").facts.daleChallFamiliar);
        EXPECT_EQ(IndexWordOfSpelling("Babies").lower, "babies");
    }).join();
}

// When full, a thread's memory starts again: the spellings met before and
// after are still answered right, among them one whose bytes begin the first
// spelling met after starting again, where a forgotten entry would point.
TEST(IndexCounts, RememberedSpellingsStartAgainWhenFull) {
    std::thread([] {
        EXPECT_EQ(IndexWordOfSpelling("MR").lower, "mr");
        EXPECT_FALSE(IndexWordOfSpelling("Zebra").facts.daleChallFamiliar);
        for (std::size_t i = 2; i < kRememberedSpellings; ++i)
            IndexWordOfSpelling("w" + std::to_string(i));
        EXPECT_EQ(IndexWordOfSpelling("MR").lower, "mr");   // still remembered
        EXPECT_EQ(IndexWordOfSpelling("MRS").lower, "mrs"); // starts again
        const SpeltIndexWord mr = IndexWordOfSpelling("MR");
        EXPECT_EQ(mr.lower, "mr");
        EXPECT_TRUE(mr.facts.daleChallFamiliar);
        EXPECT_FALSE(mr.facts.spacheFamiliar);
        EXPECT_EQ(IndexWordOfSpelling("Zebra").lower, "zebra");
        EXPECT_EQ(IndexWordOfSpelling("w7").facts.letters, 1);
        EXPECT_EQ(IndexWordOfSpelling("MRS").lower, "mrs");
    }).join();
}

// The Spache set holds each word once, whatever else shares its bytes, and
// two halves of a text merge to the words of the whole, either half larger.
TEST(IndexCounts, SpacheSetHoldsEachWordOnceAndMerges) {
    const std::string longStem = "antidisestablish";
    SpacheUnfamiliarWords words;
    EXPECT_TRUE(words.empty());
    EXPECT_FALSE(words.contains("mr"));
    for (const std::string& word :
         {std::string(), std::string("mr"), std::string("mr."), longStem + "ment",
          longStem + "mens", std::string("quixotic")}) {
        EXPECT_TRUE(words.insert(word)) << word;
        EXPECT_FALSE(words.insert(word)) << word;
    }
    EXPECT_EQ(words.size(), 6u);
    EXPECT_TRUE(words.contains(""));
    EXPECT_FALSE(words.contains(longStem + "men"));
    EXPECT_FALSE(words.contains("m"));
    EXPECT_NE(words, (SpacheUnfamiliarWords{"mr", "mr.", "quixotic", longStem + "ment",
                                            longStem + "mens", "quixoti"}));

    // Past the first table's size, and halves of unequal size both ways.
    SpacheUnfamiliarWords head;
    SpacheUnfamiliarWords tail;
    SpacheUnfamiliarWords whole;
    for (int i = 0; i < 1000; ++i) {
        const std::string word = "w" + std::to_string(i);
        (i < 700 ? head : tail).insert(word);
        if (i % 3 == 0)
            (i < 700 ? tail : head).insert(word);
        whole.insert(word);
    }
    // Words of the index go in as its slots (0 among them), counted once each
    // however the halves share them.
    for (std::size_t slot = 0; slot < 300; ++slot) {
        if (slot < 200 || slot % 4 == 0) {
            EXPECT_TRUE(head.InsertIndexed(slot));
            EXPECT_FALSE(head.InsertIndexed(slot));
        }
        if (slot >= 200 || slot % 4 == 0) {
            EXPECT_TRUE(tail.InsertIndexed(slot));
        }
        whole.InsertIndexed(slot);
    }
    EXPECT_NE(head, whole);
    SpacheUnfamiliarWords head2 = head;
    SpacheUnfamiliarWords tail2 = tail;
    MergeSpacheUnfamiliar(head, std::move(tail));
    EXPECT_EQ(head.size(), 1300u);
    EXPECT_EQ(head, whole);
    MergeSpacheUnfamiliar(tail2, std::move(head2));
    EXPECT_EQ(tail2.size(), 1300u);
    EXPECT_EQ(tail2, whole);
}
