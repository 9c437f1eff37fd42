#pragma once

#include <string>
#include <string_view>
#include <vector>

// The passage: every line followed by one space. No lines give the empty text.
// Lines are logical lines (paragraphs) and are never cut, so the counts do not
// depend on how wide the window is.
std::string BuildPassage(const std::vector<std::string>& lines);

// Which rules turn a text into words and sentences: the classic ones (every
// full stop ends a sentence, words split at spaces only) or the careful ones
// (analysis/CarefulRules.h).
enum class CountingRules { Classic, Careful };

// "classic" or "careful".
std::string_view CountingRulesName(CountingRules rules);

struct WorkingTexts {
    std::string sentenceText; // every sentence end is a full stop
    std::string wordText;     // everything that is not part of a word is a space
    // The passage itself where the working texts blank characters of several
    // bytes (the careful rules), so that positions in UTF-16 are counted on
    // it; empty otherwise, the word text then having the passage's characters.
    std::string passage;
    CountingRules rules = CountingRules::Classic;
};

// Both texts have the passage's length, byte for byte; the empty passage gives
// two empty texts. Multi-byte UTF-8 characters pass through unchanged.
WorkingTexts PrepareTexts(std::string_view passage);

// Writes the working texts of the passage to sentence and word, each as long as
// the passage. word may be the passage itself: each byte is read before it is
// written.
void FillWorkingTexts(std::string_view passage, char* sentence, char* word);

// True for the 35 characters that vanish from both working texts.
bool IsPunctuation(unsigned char c);
