#include "analysis/TextPreparation.h"

#include <array>

namespace {

enum : unsigned char { Keep = 0, Blank = 1, Stop = 2 };

// What each byte becomes: Blank in both texts, Stop (a full stop in the sentence
// text, a space in the word text), or kept.
constexpr std::array<unsigned char, 256> MakeTable() {
    std::array<unsigned char, 256> table{};
    constexpr std::string_view punctuation = "@#$%^&*()_+1234567890-=[]{}|:;,/<>\"";
    for (char c : punctuation)
        table[static_cast<unsigned char>(c)] = Blank;
    table['?'] = Stop;
    table['!'] = Stop;
    table['.'] = Stop;
    return table;
}

constexpr auto kTable = MakeTable();

} // namespace

bool IsPunctuation(unsigned char c) {
    return kTable[c] == Blank;
}

std::string BuildPassage(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 1;
    std::string passage;
    passage.reserve(size);
    for (const auto& line : lines) {
        passage += line;
        passage += ' ';
    }
    return passage;
}

WorkingTexts PrepareTexts(std::string_view passage) {
    WorkingTexts texts;
    texts.sentenceText.resize(passage.size());
    texts.wordText.resize(passage.size());
    char* sentence = texts.sentenceText.data();
    char* word = texts.wordText.data();
    for (std::size_t i = 0; i < passage.size(); ++i) {
        const char c = passage[i];
        switch (kTable[static_cast<unsigned char>(c)]) {
        case Keep:
            sentence[i] = c;
            word[i] = c;
            break;
        case Blank:
            sentence[i] = ' ';
            word[i] = ' ';
            break;
        default: // "?", "!" and "."
            sentence[i] = '.';
            word[i] = ' ';
            break;
        }
    }
    return texts;
}
